#pragma once
#include "app/MainHost.h"

#include <string>
#include <vector>

namespace hg::testing {

// Records what the main window's logic asked of its window.
class FakeMainHost final : public IMainHost {
public:
    std::vector<std::wstring> messages, errors;
    std::vector<std::pair<std::wstring, std::wstring>> opened;
    int quits = 0;
    int deferredStarts = 0;

    void ShowPlainMessage(const std::wstring& text) override { messages.push_back(text); }
    void ShowError(const std::wstring& text) override { errors.push_back(text); }
    void PostQuit() override { ++quits; }
    void PostDeferredStart() override { ++deferredStarts; }
    void ShellOpen(const std::wstring& file, const std::wstring& parameters) override {
        opened.emplace_back(file, parameters);
    }
};

} // namespace hg::testing

#pragma once
#include "app/MainHost.h"

#include <exception>
#include <functional>
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
    int deferredExits = 0;
    int processMessages = 0;
    int monitors = 1;
    std::uintptr_t foreground = 0;
    std::uintptr_t mainWindow = 0x4242;

    void ShowPlainMessage(const std::wstring& text) override { messages.push_back(text); }
    std::function<void()> whileErrorShown; // e.g. an error raised by the box itself
    void ShowError(const std::wstring& text) override {
        errors.push_back(text);
        if (whileErrorShown)
            whileErrorShown();
    }
    std::vector<std::exception_ptr> reported; // escaped errors, as the boundary shows them
    void ReportError(const std::exception_ptr& error) noexcept override { reported.push_back(error); }
    void PostQuit() override { ++quits; }
    void PostDeferredStart() override { ++deferredStarts; }
    void PostDeferredExit() override { ++deferredExits; }
    void ShellOpen(const std::wstring& file, const std::wstring& parameters) override {
        opened.emplace_back(file, parameters);
    }
    std::function<void()> whileMessagesRun; // what a pending message does
    void ProcessMessages() override {
        ++processMessages;
        if (whileMessagesRun)
            whileMessagesRun();
    }
    int MonitorCount() override { return monitors; }
    std::uintptr_t ForegroundWindow() override { return foreground; }
    std::uintptr_t MainWindowHandle() override { return mainWindow; }
};

} // namespace hg::testing

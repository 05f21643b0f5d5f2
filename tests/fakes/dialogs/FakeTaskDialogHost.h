#pragma once
// A task dialog host that records what it was asked to show and answers with
// a scripted outcome (nullopt: the dialog could not be shown). A script step
// can click links while the "dialog" is up.
#include "dialogs/MsgBox.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace hg::testing {

class FakeTaskDialogHost final : public ITaskDialogHost {
public:
    NativeWindow desktop = reinterpret_cast<NativeWindow>(0xD35C);
    std::wstring title = L"Hueglass";
    std::optional<TaskDialogOutcome> outcome = TaskDialogOutcome{mrOk, 0, false};
    std::vector<std::wstring> linksToClick; // clicked in order while shown, if links are enabled
    std::function<void()> whileShown;       // what happens while the dialog is up (a menu command)

    std::vector<TaskDialogDescription> shown;
    std::vector<std::pair<std::wstring, NativeWindow>> openedUrls;

    NativeWindow DesktopWindow() override { return desktop; }
    std::wstring ApplicationTitle() override { return title; }
    std::optional<TaskDialogOutcome> ShowTaskDialog(const TaskDialogDescription& description,
                                                    const TLinkHandler& onLink) override {
        shown.push_back(description);
        if (description.Flags & tdf::EnableHyperlinks)
            for (const std::wstring& url : linksToClick)
                onLink(url);
        if (whileShown)
            whileShown();
        return outcome;
    }
    void OpenUrl(const std::wstring& url, NativeWindow parent) override { openedUrls.emplace_back(url, parent); }
};

} // namespace hg::testing

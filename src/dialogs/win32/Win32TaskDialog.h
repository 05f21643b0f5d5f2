#pragma once
// Shows TTaskDialog dialogs on Windows: the native task dialog when the
// system has it, otherwise (or when asked) the emulation, a dialog window of
// our own laid out by dialogs/TaskDialogLayout.h.
#include "dialogs/TaskDialog.h"
#include "dialogs/TaskDialogLayout.h"
#include "platform/win32/EntryPoints.h"

#include <windows.h>

#include <string>

namespace hg::win32 {

// Fonts and sizes of the screen, for the emulation's layout.
class Win32TaskDialogMetrics final : public task_dialog::ITaskDialogMetrics {
public:
    std::int32_t Dpi() override;
    bool HasFont(std::wstring_view face) override;
    task_dialog::FontChoice ClassicFont() override;
    std::int32_t TextWidth(const task_dialog::FontChoice& font, std::wstring_view text) override;
    std::int32_t TextHeight(const task_dialog::FontChoice& font, std::wstring_view text, std::int32_t width) override;
    task_dialog::IconSize SystemIconSize(std::uint16_t iconId) override;
};

class Win32TaskDialogPlatform final : public task_dialog::ITaskDialogPlatform {
public:
    // applicationTitle titles dialogs without a title of their own; empty
    // means the executable's name without its extension.
    explicit Win32TaskDialogPlatform(std::wstring applicationTitle = {});
    // With a given task dialog entry point instead of comctl32's; null means
    // the system has none, so every dialog is emulated.
    Win32TaskDialogPlatform(std::wstring applicationTitle, TaskDialogIndirectFn taskDialogIndirect);

    std::wstring ApplicationTitle() override;
    NativeWindow DefaultParent() override;
    std::optional<TaskDialogOutcome> ShowNative(const TaskDialogDescription& description,
                                                const task_dialog::TaskDialogEvents& events) override;
    task_dialog::ITaskDialogMetrics& Metrics() override;
    std::optional<task_dialog::EmulatedOutcome> ShowEmulated(const task_dialog::EmulatedTaskDialogLayout& layout,
                                                             const task_dialog::TaskDialogEvents& events) override;

private:
    std::wstring applicationTitle_;
    TaskDialogIndirectFn taskDialogIndirect_;
    Win32TaskDialogMetrics metrics_;
};

// The platform that the program's dialogs use.
Win32TaskDialogPlatform& DefaultTaskDialogPlatform();

// ShowTaskDialog and TaskMessageDlg (dialogs/TaskDialog.h) on the default
// platform.
std::int32_t ShowTaskDialog(std::wstring_view inst, std::wstring_view content,
                            task_dialog::TCommonButtons commonButtons, task_dialog::TTaskDialogIcon dialogIcon,
                            HWND parent, std::wstring_view title = {}, std::wstring_view footer = {},
                            task_dialog::TTaskDialogFooterIcon footerIcon = task_dialog::tfiWarning,
                            std::int32_t width = 0);
std::int32_t TaskMessageDlg(std::wstring_view msg, std::uint8_t dlgType, std::uint16_t buttons,
                            std::int32_t helpContext, HWND parent, std::wstring_view title = {},
                            std::wstring_view footer = {});

// Resource name of the command links' arrow glyph (a 16 x 16 bitmap whose
// bottom-left pixel gives the transparent colour), looked up in the
// executable.
inline constexpr wchar_t kCommandLinkGlyph[] = L"BTNARROW";

} // namespace hg::win32

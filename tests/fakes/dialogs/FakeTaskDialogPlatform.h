#pragma once
// A task dialog platform that records what it was asked to show and plays a
// script of button presses against the click handler. Text is measured with
// a simple rule: every character is half the font's height wide (rounded
// up), a line is the font's height + 3 high, and words wrap at the width.
#include "dialogs/TaskDialog.h"
#include "dialogs/TaskDialogLayout.h"

#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace hg::testing {

class FakeTaskDialogMetrics final : public task_dialog::ITaskDialogMetrics {
public:
    std::int32_t dpi = 96;
    std::set<std::wstring> fonts = {L"Tahoma", L"Arial"};
    task_dialog::FontChoice classicFont = {L"MS Shell Dlg", -11, false};

    static std::int32_t CharWidth(const task_dialog::FontChoice& font) { return (std::abs(font.Height) + 1) / 2; }
    static std::int32_t LineHeight(const task_dialog::FontChoice& font) { return std::abs(font.Height) + 3; }

    std::int32_t Dpi() override { return dpi; }
    bool HasFont(std::wstring_view face) override { return fonts.count(std::wstring(face)) != 0; }
    task_dialog::FontChoice ClassicFont() override { return classicFont; }
    std::int32_t TextWidth(const task_dialog::FontChoice& font, std::wstring_view text) override {
        return static_cast<std::int32_t>(text.size()) * CharWidth(font);
    }
    std::int32_t TextHeight(const task_dialog::FontChoice& font, std::wstring_view text, std::int32_t width) override {
        if (text.empty())
            return 0;
        const std::int32_t perLine = std::max<std::int32_t>(1, width / CharWidth(font));
        std::int32_t lines = 0;
        std::size_t start = 0;
        while (true) {
            const std::size_t end = text.find(L'\n', start);
            const auto length = static_cast<std::int32_t>((end == std::wstring_view::npos ? text.size() : end) - start);
            lines += std::max<std::int32_t>(1, (length + perLine - 1) / perLine);
            if (end == std::wstring_view::npos)
                break;
            start = end + 1;
        }
        return lines * LineHeight(font);
    }
    task_dialog::IconSize SystemIconSize(std::uint16_t) override { return {dpi / 3, dpi / 3}; }
};

// The running dialog as the record sees it.
class FakeTaskDialogWindow final : public task_dialog::ITaskDialogWindow {
public:
    NativeWindow handle = reinterpret_cast<NativeWindow>(0xD1A1);
    std::vector<std::pair<task_dialog::TTaskDialogElement, std::wstring>> texts;

    NativeWindow Handle() const override { return handle; }
    void SetElementText(task_dialog::TTaskDialogElement element, const std::wstring& text) override {
        texts.emplace_back(element, text);
    }
};

class FakeTaskDialogPlatform final : public task_dialog::ITaskDialogPlatform {
public:
    std::wstring title = L"Hueglass";
    NativeWindow activeWindow = reinterpret_cast<NativeWindow>(0xAC71);
    bool hasNative = true;
    bool emulationFails = false;
    // Pressed in order while the dialog is up; the first press the click
    // handler lets close the dialog ends it with that button. Nothing
    // pressed (or every press refused): closes with the last press, or 1.
    std::vector<std::int32_t> presses = {1};
    TaskDialogOutcome nativeOutcome{0, 0, false}; // Button is taken from the presses
    task_dialog::EmulatedOutcome emulatedOutcome; // Result is taken from the presses

    FakeTaskDialogMetrics metrics;
    FakeTaskDialogWindow window;
    std::vector<TaskDialogDescription> nativeShown;
    std::vector<task_dialog::EmulatedTaskDialogLayout> emulatedShown;
    std::vector<std::int32_t> refused; // presses the click handler refused

    std::wstring ApplicationTitle() override { return title; }
    NativeWindow DefaultParent() override { return activeWindow; }
    std::optional<TaskDialogOutcome> ShowNative(const TaskDialogDescription& description,
                                                const task_dialog::TaskDialogEvents& events) override {
        if (!hasNative)
            return std::nullopt;
        nativeShown.push_back(description);
        TaskDialogOutcome outcome = nativeOutcome;
        outcome.Button = Run(events);
        return outcome;
    }
    task_dialog::ITaskDialogMetrics& Metrics() override { return metrics; }
    std::optional<task_dialog::EmulatedOutcome> ShowEmulated(const task_dialog::EmulatedTaskDialogLayout& layout,
                                                             const task_dialog::TaskDialogEvents& events) override {
        if (emulationFails)
            return std::nullopt;
        emulatedShown.push_back(layout);
        task_dialog::EmulatedOutcome outcome = emulatedOutcome;
        outcome.Result = Run(events);
        return outcome;
    }

private:
    std::int32_t Run(const task_dialog::TaskDialogEvents& events) {
        if (events.OnWindow)
            events.OnWindow(&window);
        std::int32_t result = presses.empty() ? 1 : presses.back();
        for (const std::int32_t press : presses) {
            if (!events.OnButtonClicked || events.OnButtonClicked(press)) {
                result = press;
                break;
            }
            refused.push_back(press);
        }
        if (events.OnWindow)
            events.OnWindow(nullptr);
        return result;
    }
};

} // namespace hg::testing

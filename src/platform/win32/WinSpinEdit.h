#pragma once
// The numeric spin control: a one-line edit holding a signed 64-bit number,
// with an up-down control inside its right edge. Arrow keys and the up-down
// step the number by Increment; typing and pasting take only what a number
// can hold; leaving the control limits the number to [MinValue, MaxValue].
// The number lives only in the text; the rules are platform/SpinValue.h's.
//
// The parent gets EN_CHANGE under the control's id for every change of the
// text: typing, paste and cut, arrow steps and up-down clicks, a non-number
// replaced when the value is read, the number limited on leaving, and
// SetValue itself. A text that stays the same sends nothing. A parent that
// fills the control and must not take that for the user's change ignores
// EN_CHANGE while it calls SetValue.
#include <windows.h>

#include <cstdint>

namespace hg::win32 {

class TWinSpinEdit {
public:
    TWinSpinEdit() = default;
    TWinSpinEdit(const TWinSpinEdit&) = delete;
    TWinSpinEdit& operator=(const TWinSpinEdit&) = delete;
    virtual ~TWinSpinEdit();

    // Creates the control as a child of parent (in its client coordinates),
    // with the parent's font. The text starts as "0". False on failure.
    bool Create(HWND parent, int id, int x, int y, int width, int height);

    HWND hwnd() const { return edit_; }
    HWND button() const { return button_; } // the up-down control

    std::int64_t MinValue() const { return minValue_; }
    std::int64_t MaxValue() const { return maxValue_; }
    std::int64_t Increment() const { return increment_; }
    void SetMinValue(std::int64_t v) { minValue_ = v; }
    void SetMaxValue(std::int64_t v) { maxValue_ = v; }
    void SetIncrement(std::int64_t v) { increment_ = v; }

    // The text as a number. A text that is not one is replaced by MinValue,
    // which is returned (and selected, with AutoSelect, unless the left mouse
    // button is down).
    std::int64_t Value();
    // Writes the number as the text; no limiting. Notifies the parent
    // (EN_CHANGE) when the text changes.
    void SetValue(std::int64_t value);

    bool EditorEnabled() const { return editorEnabled_; }
    void SetEditorEnabled(bool enabled) { editorEnabled_ = enabled; }
    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool autoSelect) { autoSelect_ = autoSelect; }

    // The smallest outer height that shows the font's text whole.
    int MinimumHeight() const;

protected:
    virtual bool AcceptsChar(wchar_t key);
    // One step up or down; a read-only control only beeps.
    virtual void StepClick(bool up);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Paste();
    void ClampOnExit();
    void SelectAllUnlessMouseDown();
    void Resized();
    void UpdateEditRect();
    int ButtonWidth() const;

    HWND edit_ = nullptr;
    HWND button_ = nullptr; // child of edit_, destroyed with it
    std::int64_t minValue_ = 0;
    std::int64_t maxValue_ = 0;
    std::int64_t increment_ = 1;
    bool editorEnabled_ = true;
    bool autoSelect_ = true;
    bool resizing_ = false;
};

} // namespace hg::win32

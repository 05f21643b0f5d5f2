#include "dialogs/TaskDialogLayout.h"

#include "platform/Placement.h"

#include <algorithm>

namespace hg::task_dialog {

namespace {

constexpr std::uint32_t kInstructionColor = 0xB00000; // dark blue

// A length given for 96 pixels per inch at `dpi`.
std::int32_t Scaled(std::int32_t value, std::int32_t dpi) {
    return ScaleByPPI(value, dpi);
}

// Runs the layout steps, growing Y down the form as the controls are placed.
class Layout {
public:
    Layout(const TTaskDialog& dialog, const ExecuteArguments& args, ITaskDialogMetrics& metrics)
        : dialog_(dialog), args_(args), metrics_(metrics), buttons_(ListLines(dialog.Buttons)),
          links_(args.Flags.Contains(tdfUseCommandLinks) && !buttons_.empty()) {
        layout_.Dpi = metrics.Dpi() > 0 ? metrics.Dpi() : 96;
        layout_.Classic = args.EmulateClassicStyle;
        layout_.Caption = dialog.Title;
        layout_.Font = classic() ? metrics.ClassicFont() : EmulationFont(metrics);
        layout_.Cancellable = args.Flags.Contains(tdfAllowDialogCancellation);
    }

    EmulatedTaskDialogLayout Run() {
        ChooseWidth();
        PlaceMainIcon();
        PlaceLabel(tdeMainInstruction, dialog_.Inst, InstructionFont(),
                   classic() ? std::nullopt : std::optional(kInstructionColor));
        PlaceLabel(tdeContent, dialog_.Content, font(), std::nullopt);
        if (!dialog_.Info.empty())
            PlaceLabel(tdeExpandedInfo, dialog_.Info, font(), std::nullopt);
        PlaceCommandLinks();
        PlaceRadios();
        PlaceInput();
        layout_.PanelHeight = y_;
        onPanel_ = false;
        PlaceBottomRow();
        PlaceFooter();
        layout_.ClientWidth = w_;
        layout_.ClientHeight = y_;
        return std::move(layout_);
    }

private:
    bool classic() const { return layout_.Classic; }
    const FontChoice& font() const { return layout_.Font; }
    std::int32_t S(std::int32_t value) const { return Scaled(value, layout_.Dpi); }
    // The form's font made taller by `extra` (scaled) pixels.
    FontChoice Taller(std::int32_t extra, bool bold) const {
        FontChoice f = font();
        f.Height -= S(extra);
        f.Bold = bold;
        return f;
    }
    FontChoice InstructionFont() const { return classic() ? Taller(2, true) : Taller(4, false); }

    LaidOutControl& Add(ControlKind kind, LayoutRect bounds) {
        LaidOutControl& c = layout_.Controls.emplace_back();
        c.Kind = kind;
        c.Bounds = bounds;
        c.Font = font();
        c.OnPanel = onPanel_;
        return c;
    }

    void ChooseWidth() {
        if (args_.Width > 0) {
            w_ = S(args_.Width);
            return;
        }
        const bool wide = metrics_.TextWidth(font(), dialog_.Inst) > S(300) ||
                          metrics_.TextWidth(font(), dialog_.Content) > S(300) || dialog_.Buttons.size() > 40;
        w_ = S(wide ? 480 : 420);
    }

    void PlaceMainIcon() {
        std::int32_t margin = S(classic() ? 10 : 24);
        if (const std::uint16_t id = EmulatedIconId(args_.DialogIcon); id != 0) {
            const IconSize size = metrics_.SystemIconSize(id);
            LaidOutControl& icon = Add(ControlKind::MainIcon, {margin, margin, size.Width, size.Height});
            icon.IconId = id;
            mainIcon_ = icon.Bounds;
            x_ = size.Width + 2 * margin;
            y_ = margin + (classic() ? S(8) : 0);
        } else {
            if (!classic())
                margin *= 2;
            x_ = y_ = margin;
        }
    }

    void PlaceLabel(TTaskDialogElement element, std::wstring_view text, const FontChoice& f,
                    std::optional<std::uint32_t> color) {
        const std::wstring expanded = ExpandLineFeeds(text);
        const std::int32_t width = w_ - x_ - S(8);
        const std::int32_t height = metrics_.TextHeight(f, expanded, width);
        LaidOutControl& label = Add(ControlKind::Label, {x_, y_, width, height});
        label.Element = element;
        label.Text = expanded;
        label.Font = f;
        label.TextColor = color;
        y_ += height + S(16);
    }

    void PlaceCommandLinks() {
        if (!links_)
            return;
        y_ += S(8);
        for (std::size_t i = 0; i < buttons_.size(); ++i) {
            const std::int32_t height = S(40);
            LaidOutControl& link = Add(ControlKind::CommandLink, {x_, y_, w_ - x_ - S(classic() ? 10 : 16), height});
            CaptionHint text = SplitCaptionHint(buttons_[i]);
            link.Text = std::move(text.Caption);
            link.Hint = std::move(text.Hint);
            link.Font = classic() ? Taller(2, true) : Taller(3, false);
            link.Result = kFirstButtonId + static_cast<std::int32_t>(i);
            link.Glyph = !args_.Flags.Contains(tdfUseCommandLinksNoIcon);
            link.GlyphMargin = S(classic() ? 7 : 24);
            link.GlyphSpacing = S(classic() ? 7 : 10);
            link.Focused = link.Result == args_.ButtonDef;
            y_ += height + S(2);
        }
        y_ += S(24);
    }

    void PlaceRadios() {
        const std::vector<std::wstring> radios = ListLines(dialog_.Radios);
        if (radios.empty())
            return;
        // The first one is selected unless the default names another, or the
        // caller asked for none.
        const bool none = args_.Flags.Contains(tdfNoDefaultRadioButton);
        const std::int32_t selected = args_.RadioDef - kFirstRadioId;
        const bool defaultExists = selected >= 0 && static_cast<std::size_t>(selected) < radios.size();
        for (std::size_t i = 0; i < radios.size(); ++i) {
            const std::int32_t height = S(6) - font().Height;
            LaidOutControl& radio = Add(ControlKind::Radio, {x_ + S(16), y_, w_ - S(32) - x_, height});
            CaptionHint text = SplitCaptionHint(radios[i]);
            radio.Text = std::move(text.Caption);
            radio.Hint = std::move(text.Hint);
            radio.Result = kFirstRadioId + static_cast<std::int32_t>(i);
            radio.Checked = !none && (defaultExists ? radio.Result == args_.RadioDef : i == 0);
            y_ += height;
        }
        y_ += S(24);
    }

    void PlaceInput() {
        if (!dialog_.Selection.empty()) {
            LaidOutControl& combo = Add(ControlKind::Combo, {x_, y_, w_ - S(32) - x_, S(22)});
            combo.Items = ListLines(dialog_.Selection);
            const auto found = std::find(combo.Items.begin(), combo.Items.end(), dialog_.Query);
            combo.SelectedItem =
                found == combo.Items.end() ? -1 : static_cast<std::int32_t>(found - combo.Items.begin());
            combo.Editable = args_.Flags.Contains(tdfQuery);
            combo.Text = dialog_.Query;
            y_ += S(42);
        } else if (args_.Flags.Contains(tdfQuery)) {
            LaidOutControl& edit = Add(ControlKind::Edit, {x_, y_, w_ - x_ - S(16), S(22)});
            edit.Text = dialog_.Query;
            edit.Masked = args_.Flags.Contains(tdfQueryMasked);
            edit.Focused = args_.Flags.Contains(tdfQueryFieldFocused);
            y_ += S(42);
        }
    }

    // Places one bottom button right-aligned before the previous one, on a new
    // row when it would start left of half the text column's edge.
    void PlaceButton(const std::wstring& caption, const std::wstring& hint, std::int32_t result) {
        const std::int32_t slot = metrics_.TextWidth(font(), caption) + S(52);
        xb_ -= slot;
        if (xb_ < x_ / 2) {
            xb_ = w_ - slot;
            y_ += S(32);
        }
        LaidOutControl& button =
            Add(ControlKind::Button, {xb_, y_, slot - S(classic() ? 10 : 12), S(classic() ? 22 : 28)});
        button.Text = caption;
        button.Hint = hint;
        button.Result = result;
        button.Default = result == mrOk;
        button.Cancel = result == mrCancel || (result == mrOk && args_.CommonButtons == TCommonButtons{cbOK});
        button.Focused = result == args_.ButtonDef;
        layout_.Cancellable = layout_.Cancellable || button.Cancel;
    }

    void PlaceBottomRow() {
        hasBottomRow_ = !args_.CommonButtons.Empty() || !dialog_.Verify.empty() || (!buttons_.empty() && !links_);
        if (!hasBottomRow_)
            return;
        y_ += S(16);
        xb_ = w_;
        const std::size_t firstButton = layout_.Controls.size();
        if (!links_)
            for (std::size_t i = buttons_.size(); i-- > 0;) {
                const CaptionHint text = SplitCaptionHint(buttons_[i]);
                PlaceButton(text.Caption, text.Hint, kFirstButtonId + static_cast<std::int32_t>(i));
            }
        for (int b = cbClose; b >= cbOK; --b) {
            const auto button = static_cast<TCommonButton>(b);
            if (args_.CommonButtons.Contains(button))
                PlaceButton(std::wstring(EmulatedButtonCaption(button)), {}, EmulatedButtonResult(button));
        }
        // They were placed from the right; the keyboard visits them as they
        // read, row by row from the left.
        std::stable_sort(layout_.Controls.begin() + static_cast<std::ptrdiff_t>(firstButton), layout_.Controls.end(),
                         [](const LaidOutControl& a, const LaidOutControl& b) {
                             return a.Bounds.Top != b.Bounds.Top ? a.Bounds.Top < b.Bounds.Top
                                                                 : a.Bounds.Left < b.Bounds.Left;
                         });
        if (!dialog_.Verify.empty()) {
            if (x_ + metrics_.TextWidth(font(), dialog_.Verify) + S(16) > xb_) {
                y_ += S(32);
                xb_ = w_;
            }
            LaidOutControl& verify = Add(ControlKind::Verify, {x_, y_, xb_ - x_, S(24)});
            verify.Text = dialog_.Verify;
            verify.Checked = dialog_.VerifyChecked;
        }
        y_ += S(36);
    }

    void PlaceFooter() {
        if (dialog_.Footer.empty())
            return;
        if (hasBottomRow_) {
            const bool besideIcon = mainIcon_ && y_ < mainIcon_->Top + mainIcon_->Height;
            const std::int32_t bx = besideIcon ? x_ : S(2);
            Add(ControlKind::Bevel, {bx, y_, w_ - bx - S(2), S(2)});
        }
        y_ += S(16);
        if (const std::uint16_t id = EmulatedFooterIconId(args_.FooterIcon); id != 0) {
            const IconSize size = metrics_.SystemIconSize(id);
            LaidOutControl& icon = Add(ControlKind::FooterIcon, {S(24), y_, size.Width / 2, size.Height / 2});
            icon.IconId = id;
            x_ = size.Width / 2 + S(40);
        } else {
            x_ = S(24);
        }
        PlaceLabel(tdeFooter, dialog_.Footer, font(), std::nullopt);
    }

    const TTaskDialog& dialog_;
    const ExecuteArguments& args_;
    ITaskDialogMetrics& metrics_;
    const std::vector<std::wstring> buttons_;
    const bool links_;
    EmulatedTaskDialogLayout layout_;
    std::int32_t w_ = 0;
    std::int32_t x_ = 0;
    std::int32_t y_ = 0;
    std::int32_t xb_ = 0;
    bool onPanel_ = true;
    bool hasBottomRow_ = false;
    std::optional<LayoutRect> mainIcon_;
};

} // namespace

std::vector<const LaidOutControl*> EmulatedTaskDialogLayout::Of(ControlKind kind) const {
    std::vector<const LaidOutControl*> found;
    for (const LaidOutControl& control : Controls)
        if (control.Kind == kind)
            found.push_back(&control);
    return found;
}

EmulatedTaskDialogLayout LayOutEmulatedTaskDialog(const TTaskDialog& dialog, const ExecuteArguments& args,
                                                  ITaskDialogMetrics& metrics) {
    return Layout(dialog, args, metrics).Run();
}

FontChoice EmulationFont(ITaskDialogMetrics& metrics) {
    const std::int32_t dpi = metrics.Dpi() > 0 ? metrics.Dpi() : 96;
    if (metrics.HasFont(L"Calibri"))
        return {L"Calibri", Scaled(-14, dpi), false};
    if (metrics.HasFont(L"Tahoma"))
        return {L"Tahoma", Scaled(-13, dpi), false};
    return {L"Arial", Scaled(-13, dpi), false};
}

} // namespace hg::task_dialog

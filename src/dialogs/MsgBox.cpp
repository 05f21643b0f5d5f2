#include "dialogs/MsgBox.h"

#include <utility>

namespace hg {

namespace {

// Applies `change` to a copy of `box` and returns the copy.
template <typename Change> TMsgBox Changed(const TMsgBox& box, Change&& change) {
    TMsgBox copy = box;
    std::forward<Change>(change)(copy);
    return copy;
}

TMsgBox WithButtons(const TMsgBox& box, TTaskDialogCommonButtons buttons) {
    return Changed(box, [&](TMsgBox& b) { b.FButtons = buttons; });
}

// Identifier that the dialog returns for each common button, by ordinal.
constexpr TModalResult kCommonButtonIds[] = {mrOk, mrYes, mrNo, mrCancel, mrRetry, mrClose};

} // namespace

TMsgBox MsgBox(std::wstring_view text) {
    TMsgBox box;
    box.FFlags = {tfAllowDialogCancellation, tfPositionRelativeToWindow};
    return box.Text(text);
}

TMsgBox TMsgBox::Text(std::wstring_view text) const {
    return Changed(*this, [&](TMsgBox& b) {
        if (b.FMainText.empty())
            b.FMainText = text;
        else if (b.FSecondText.empty())
            b.FSecondText = text;
        else
            b.FSecondText.append(L"\r\n\r\n").append(text);
    });
}

TMsgBox TMsgBox::TextFmt(std::wstring_view format, std::initializer_list<FormatArg> args) const {
    return Text(Format(format, args));
}

TMsgBox TMsgBox::Info() const {
    return Changed(*this, [](TMsgBox& b) { b.FIcon = tdiInformation; });
}
TMsgBox TMsgBox::Warning() const {
    return Changed(*this, [](TMsgBox& b) { b.FIcon = tdiWarning; });
}
TMsgBox TMsgBox::Question() const {
    return Changed(*this, [](TMsgBox& b) { b.FIcon = tdiQuestion; });
}
TMsgBox TMsgBox::Error() const {
    return Changed(*this, [](TMsgBox& b) { b.FIcon = tdiError; });
}
TMsgBox TMsgBox::Shield() const {
    return Changed(*this, [](TMsgBox& b) { b.FIcon = tdiShield; });
}
TMsgBox TMsgBox::CustomIcon(NativeIcon icon) const {
    return Changed(*this, [&](TMsgBox& b) { b.FCustomIcon = icon; });
}

TMsgBox TMsgBox::WindowCaption(std::wstring_view text) const {
    return Changed(*this, [&](TMsgBox& b) { b.FCaption = text; });
}

TMsgBox TMsgBox::Details(std::wstring_view text, TDetailsPosition position, std::wstring_view caption,
                         bool expanded) const {
    return Changed(*this, [&](TMsgBox& b) {
        b.FDetailsText = text;
        b.FDetailsPosition = position;
        b.FDetailsCaption = caption;
        b.FDetailsExpanded = expanded;
    });
}

TMsgBox TMsgBox::Footer(std::wstring_view text, TTaskDialogIcon icon, NativeIcon customIcon) const {
    return Changed(*this, [&](TMsgBox& b) {
        b.FFooterText = text;
        b.FFooterIcon = icon;
        b.FCustomFooterIcon = customIcon;
    });
}

TMsgBox TMsgBox::Verification(std::wstring_view text, bool* checked) const {
    return Changed(*this, [&](TMsgBox& b) {
        b.FVerificationText = text;
        b.FVerificationCheckedRes = checked;
        if (checked != nullptr)
            b.FVerificationChecked = *checked;
    });
}

TMsgBox TMsgBox::Hypertext(TLinkHandler linkHandler) const {
    return Changed(*this, [&](TMsgBox& b) {
        b.FLinkHandler = std::move(linkHandler);
        b.FHyperlinks = true;
    });
}

TMsgBox TMsgBox::Close() const {
    return WithButtons(*this, {tcbClose});
}
TMsgBox TMsgBox::OK() const {
    return WithButtons(*this, {tcbOk});
}
TMsgBox TMsgBox::OKCancel() const {
    return WithButtons(*this, {tcbOk, tcbCancel});
}
TMsgBox TMsgBox::Cancel() const {
    return WithButtons(*this, {tcbCancel});
}
TMsgBox TMsgBox::YesNoCancel() const {
    return WithButtons(*this, {tcbYes, tcbNo, tcbCancel});
}
TMsgBox TMsgBox::YesNo() const {
    return Changed(*this, [](TMsgBox& b) {
        b.FButtons = {tcbYes, tcbNo};
        b.FFlags.Exclude(tfAllowDialogCancellation);
    });
}

TMsgBox TMsgBox::AddButton(std::wstring_view caption, TModalResult modalResult, bool isDefault) const {
    return Changed(*this, [&](TMsgBox& b) {
        b.FCustomButtons.push_back({std::wstring(caption), modalResult, isDefault});
    });
}

TMsgBox TMsgBox::DefButton(TTaskDialogCommonButton button) const {
    return Changed(*this, [&](TMsgBox& b) { b.FDefButton = button; });
}

TMsgBox TMsgBox::AddRadioButton(std::wstring_view caption) const {
    return Changed(*this, [&](TMsgBox& b) { b.FRadioButtons.emplace_back(caption); });
}

TMsgBox TMsgBox::AddRadioButtons(std::initializer_list<std::wstring_view> captions) const {
    return Changed(*this, [&](TMsgBox& b) {
        for (std::wstring_view caption : captions)
            b.FRadioButtons.emplace_back(caption);
    });
}

TMsgBox TMsgBox::DefRadioButton(std::int32_t index) const {
    return Changed(*this, [&](TMsgBox& b) {
        b.FDefRadioButton = index;
        if (index == -1)
            b.FFlags.Include(tfNoDefaultRadioButton);
    });
}

TMsgBox TMsgBox::SetFlags(TTaskDialogFlags flags) const {
    return Changed(*this, [&](TMsgBox& b) { b.FFlags = flags; });
}
TMsgBox TMsgBox::AddFlag(TTaskDialogFlag flag) const {
    return Changed(*this, [&](TMsgBox& b) { b.FFlags.Include(flag); });
}
TMsgBox TMsgBox::ClearFlag(TTaskDialogFlag flag) const {
    return Changed(*this, [&](TMsgBox& b) { b.FFlags.Exclude(flag); });
}

std::uint32_t PlatformFlags(TTaskDialogFlags flags) {
    // The first sixteen flags are the platform's bits 0 to 15 in the same
    // order; only "size to content" sits elsewhere.
    std::uint32_t platform = flags.Mask() & 0xFFFFu;
    if (flags.Contains(tfSizeToContent))
        platform |= tdf::SizeToContent;
    return platform;
}

std::uint16_t PlatformIconId(TTaskDialogIcon icon) {
    // Warning, error, information and shield are the resource identifiers
    // 0xFFFF down to 0xFFFC; any other value names a system icon resource.
    if (icon >= tdiWarning && icon <= tdiShield)
        return static_cast<std::uint16_t>(0x10000 - icon);
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(icon) & 0xFFFFu);
}

TaskDialogDescription DescribeTaskDialog(const TMsgBox& box, std::wstring_view applicationTitle) {
    TaskDialogDescription d;
    TTaskDialogFlags flags = box.FFlags;
    d.Parent = box.FOwner;
    d.WindowTitle = box.FCaption.empty() ? std::wstring(applicationTitle) : box.FCaption;
    d.MainInstruction = box.FMainText;
    d.Content = box.FSecondText;
    d.CommonButtons = box.FButtons.Mask();

    // Custom and common buttons share one identifier space; a custom button
    // marked default wins (the last one, if several are), else the default
    // common button's identifier.
    d.DefaultButton = kCommonButtonIds[box.FDefButton];
    for (const TTaskDialogButtonRec& button : box.FCustomButtons) {
        d.Buttons.push_back({button.ModalResult, button.Caption});
        if (button.Default)
            d.DefaultButton = button.ModalResult;
    }

    d.ExpandedControlText = box.FDetailsCaption;
    d.CollapsedControlText = box.FDetailsCaption;
    d.ExpandedInformation = box.FDetailsText;
    flags.Include(tfSizeToContent);
    flags.Set(tfExpandFooterArea, box.FDetailsPosition == dpFooter);
    flags.Set(tfExpandedByDefault, box.FDetailsExpanded);

    d.MainIcon = PlatformIconId(box.FIcon);
    d.CustomMainIcon = box.FCustomIcon;
    flags.Set(tfUseHiconMain, box.FCustomIcon != nullptr);
    d.Footer = box.FFooterText;
    d.FooterIcon = PlatformIconId(box.FFooterIcon);
    d.CustomFooterIcon = box.FCustomFooterIcon;
    flags.Set(tfUseHiconFooter, box.FCustomFooterIcon != nullptr);

    d.VerificationText = box.FVerificationText;
    flags.Set(tfVerificationFlagChecked, box.FVerificationChecked);

    for (std::size_t i = 0; i < box.FRadioButtons.size(); ++i)
        d.RadioButtons.push_back({kFirstRadioButtonId + static_cast<std::int32_t>(i), box.FRadioButtons[i]});
    d.DefaultRadioButton = kFirstRadioButtonId + box.FDefRadioButton;

    flags.Set(tfEnableHyperlinks, box.FHyperlinks);
    d.Flags = PlatformFlags(flags);
    return d;
}

std::optional<TModalResult> TMsgBox::TryExecute(ITaskDialogHost& host, NativeWindow ownerForm, bool useDesktopWindow) {
    FOwner = ownerForm != nullptr ? ownerForm : useDesktopWindow ? host.DesktopWindow() : nullptr;
    const TaskDialogDescription description = DescribeTaskDialog(*this, host.ApplicationTitle());

    // Read from this record when a link is clicked, hence "stay where it is".
    const TLinkHandler onLink = [this, &host](const std::wstring& url) {
        if (FLinkHandler)
            FLinkHandler(url);
        else
            host.OpenUrl(url, FOwner);
    };
    const std::optional<TaskDialogOutcome> outcome = host.ShowTaskDialog(description, onLink);

    FRadioOut = -1;
    if (outcome) {
        const std::int32_t index = outcome->RadioButton - kFirstRadioButtonId;
        if (index >= 0 && static_cast<std::size_t>(index) < FRadioButtons.size())
            FRadioOut = index;
    }
    if (FVerificationCheckedRes != nullptr)
        *FVerificationCheckedRes = outcome ? outcome->VerificationChecked : FVerificationChecked;
    if (!outcome)
        return std::nullopt;
    return outcome->Button;
}

TModalResult TMsgBox::Execute(ITaskDialogHost& host, NativeWindow ownerForm, bool useDesktopWindow) {
    return TryExecute(host, ownerForm, useDesktopWindow).value_or(mrCancel);
}

TModalResult TMsgBox::Execute(std::int32_t& radioButton, ITaskDialogHost& host, NativeWindow ownerForm) {
    const TModalResult result = Execute(host, ownerForm, false);
    radioButton = FRadioOut;
    return result;
}

} // namespace hg

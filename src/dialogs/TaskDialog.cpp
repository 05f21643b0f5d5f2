#include "dialogs/TaskDialog.h"

#include "dialogs/TaskDialogLayout.h"

#include <array>
#include <utility>

namespace hg::task_dialog {

namespace {

constexpr std::wstring_view kLineBreakEscape = L"\\n";

bool IsControl(wchar_t c) {
    return c < L' ';
}

// Leading and trailing blanks and control characters removed.
std::wstring_view Trimmed(std::wstring_view text) {
    while (!text.empty() && text.front() <= L' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() <= L' ')
        text.remove_suffix(1);
    return text;
}

struct CommonButtonRow {
    std::wstring_view Caption;
    std::int32_t Emulated;
    std::int32_t Native;
};
constexpr std::array<CommonButtonRow, 6> kCommonButtons = {{
    {L"OK", 1, 1},
    {L"&Yes", 6, 6},
    {L"&No", 7, 7},
    {L"Cancel", 2, 2},
    {L"&Retry", 4, 4},
    {L"&Close", 3, 8},
}};

struct IconRow {
    std::uint16_t Native;
    std::uint16_t Emulated;
    std::wstring_view Instruction;
};
constexpr std::array<IconRow, 7> kIcons = {{
    {17, 0, L""},
    {84, 32515, L"Warning"},
    {99, 32514, L"Confirm"},
    {98, 32513, L"Error"},
    {81, 32516, L"Information"},
    {0, 0, L""},
    {78, 32517, L"Information"},
}};

struct FooterIconRow {
    std::uint16_t Native;
    std::uint16_t Emulated;
};
constexpr std::array<FooterIconRow, 6> kFooterIcons = {{
    {17, 0},
    {84, 32515},
    {99, 32514},
    {98, 32513},
    {65533, 32516},
    {65532, 32517},
}};

// Bits 0 to 15 of the flags are the platform's; the higher ones are this
// unit's own (the input field) and mean something else to the platform.
constexpr std::uint32_t kPlatformFlagMask = 0xFFFFu;

std::vector<TaskDialogButton> NumberedLines(std::wstring_view list, std::int32_t firstId) {
    std::vector<TaskDialogButton> buttons;
    std::int32_t id = firstId;
    for (const std::wstring& line : ListLines(list))
        buttons.push_back({id++, ExpandLineFeeds(line)});
    return buttons;
}

// Clears the record's view of the running dialog when Execute leaves, on
// every path.
class RunningDialogReset {
public:
    explicit RunningDialogReset(TTaskDialogImplementation& dialog) : dialog_(dialog) {}
    RunningDialogReset(const RunningDialogReset&) = delete;
    RunningDialogReset& operator=(const RunningDialogReset&) = delete;
    ~RunningDialogReset() {
        dialog_.Form = nullptr;
        dialog_.Wnd = nullptr;
    }

private:
    TTaskDialogImplementation& dialog_;
};

} // namespace

std::wstring ExpandLineFeeds(std::wstring_view text) {
    std::wstring result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i, kLineBreakEscape.size()) == kLineBreakEscape) {
            result.push_back(L'\n');
            ++i;
        } else {
            result.push_back(text[i]);
        }
    }
    return result;
}

CaptionHint SplitCaptionHint(std::wstring_view line) {
    const std::size_t at = line.find(kLineBreakEscape);
    if (at == std::wstring_view::npos)
        return {std::wstring(line), {}};
    return {std::wstring(line.substr(0, at)), ExpandLineFeeds(line.substr(at + kLineBreakEscape.size()))};
}

std::vector<std::wstring> ListLines(std::wstring_view list) {
    std::vector<std::wstring> lines;
    list = Trimmed(list);
    std::size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && IsControl(list[i]))
            ++i;
        const std::size_t start = i;
        while (i < list.size() && !IsControl(list[i]))
            ++i;
        lines.emplace_back(list.substr(start, i - start)); // never empty: the list ends in text
    }
    return lines;
}

std::wstring_view EmulatedButtonCaption(TCommonButton button) {
    return kCommonButtons.at(button).Caption;
}
std::int32_t EmulatedButtonResult(TCommonButton button) {
    return kCommonButtons.at(button).Emulated;
}
std::int32_t NativeButtonResult(TCommonButton button) {
    return kCommonButtons.at(button).Native;
}

std::wstring_view DefaultInstruction(TTaskDialogIcon icon) {
    return icon < kIcons.size() ? kIcons[icon].Instruction : std::wstring_view{};
}
std::uint16_t NativeIconId(TTaskDialogIcon icon) {
    return icon < kIcons.size() ? kIcons[icon].Native : 0;
}
std::uint16_t EmulatedIconId(TTaskDialogIcon icon) {
    return icon < kIcons.size() ? kIcons[icon].Emulated : 0;
}
std::uint16_t NativeFooterIconId(TTaskDialogFooterIcon icon) {
    return icon < kFooterIcons.size() ? kFooterIcons[icon].Native : 0;
}
std::uint16_t EmulatedFooterIconId(TTaskDialogFooterIcon icon) {
    return icon < kFooterIcons.size() ? kFooterIcons[icon].Emulated : 0;
}

TaskDialogDescription DescribeNativeTaskDialog(const TTaskDialog& dialog, const ExecuteArguments& args,
                                               NativeWindow parent) {
    TaskDialogDescription d;
    d.Parent = parent;
    d.WindowTitle = ExpandLineFeeds(dialog.Title);
    d.MainInstruction = ExpandLineFeeds(dialog.Inst);
    d.Content = ExpandLineFeeds(dialog.Content);
    d.VerificationText = ExpandLineFeeds(dialog.Verify);
    d.ExpandedInformation = ExpandLineFeeds(dialog.Info);
    d.ExpandedControlText = ExpandLineFeeds(dialog.InfoExpanded);
    d.CollapsedControlText = ExpandLineFeeds(dialog.InfoCollapse);
    d.Footer = ExpandLineFeeds(dialog.Footer);
    d.Buttons = NumberedLines(dialog.Buttons, kFirstButtonId);
    d.RadioButtons = NumberedLines(dialog.Radios, kFirstRadioId);
    d.CommonButtons = args.CommonButtons.Mask();
    d.MainIcon = NativeIconId(args.DialogIcon);
    d.FooterIcon = NativeFooterIconId(args.FooterIcon);
    d.DefaultButton = args.ButtonDef;
    d.DefaultRadioButton = args.RadioDef;
    d.Width = args.Width;

    std::uint32_t flags = args.Flags.Mask() & kPlatformFlagMask;
    // The record holds no icon handles: the icons always come from the tables.
    flags &= ~(tdf::UseHiconMain | tdf::UseHiconFooter);
    if (!dialog.Verify.empty() && dialog.VerifyChecked)
        flags |= tdf::VerificationFlagChecked;
    if (d.Buttons.empty() && args.CommonButtons == TCommonButtons{cbOK})
        flags |= tdf::AllowDialogCancellation;
    d.Flags = flags;
    return d;
}

std::int32_t TTaskDialog::Execute(ITaskDialogPlatform& platform, TCommonButtons commonButtons, std::int32_t buttonDef,
                                  TTaskDialogFlags flags, TTaskDialogIcon dialogIcon, TTaskDialogFooterIcon footerIcon,
                                  std::int32_t radioDef, std::int32_t width, NativeWindow parent, bool nonNative,
                                  bool emulateClassicStyle, TTaskDialogButtonClickedEvent onButtonClicked) {
    ExecuteArguments args{commonButtons, buttonDef, flags, dialogIcon,
                          footerIcon,    radioDef,  width, emulateClassicStyle};
    if (args.CommonButtons.Empty() && ListLines(Buttons).empty()) {
        args.CommonButtons = {cbOK};
        if (args.ButtonDef == 0)
            args.ButtonDef = 1;
    }
    if (Title.empty())
        Title = platform.ApplicationTitle();
    if (Inst.empty())
        Inst = DefaultInstruction(dialogIcon);
    if (parent == nullptr)
        parent = platform.DefaultParent();
    Dialog.OnButtonClicked = std::move(onButtonClicked);

    const RunningDialogReset reset(Dialog);
    TaskDialogEvents events;
    events.OnButtonClicked = [this](std::int32_t buttonId) {
        bool canClose = true;
        if (Dialog.OnButtonClicked)
            Dialog.OnButtonClicked(*this, buttonId, canClose);
        return canClose;
    };
    events.OnWindow = [this](ITaskDialogWindow* window) {
        Dialog.Form = window;
        Dialog.Wnd = window != nullptr ? window->Handle() : nullptr;
    };

    // Only the emulation has an input field or a selection list.
    if (!nonNative && !args.Flags.Contains(tdfQuery) && Selection.empty()) {
        Dialog.Emulated = false;
        if (const std::optional<TaskDialogOutcome> outcome =
                platform.ShowNative(DescribeNativeTaskDialog(*this, args, parent), events)) {
            RadioRes = outcome->RadioButton;
            VerifyChecked = outcome->VerificationChecked;
            return outcome->Button;
        }
    }

    Dialog.Emulated = true;
    EmulatedTaskDialogLayout layout = LayOutEmulatedTaskDialog(*this, args, platform.Metrics());
    layout.Owner = parent;
    const std::optional<EmulatedOutcome> outcome = platform.ShowEmulated(layout, events);
    if (!outcome)
        return mrCancel; // not even the emulation could be shown: as if cancelled
    if (outcome->SelectionRes)
        SelectionRes = *outcome->SelectionRes;
    if (outcome->Query)
        Query = *outcome->Query;
    if (outcome->VerifyChecked)
        VerifyChecked = *outcome->VerifyChecked;
    RadioRes = outcome->RadioRes;
    return outcome->Result;
}

void TTaskDialog::SetElementText(TTaskDialogElement element, std::wstring_view text) {
    if (Dialog.Form != nullptr)
        Dialog.Form->SetElementText(element, ExpandLineFeeds(text));
}

void TTaskDialog::AddButton(std::wstring_view caption, std::wstring_view commandLinkHint) {
    if (!Buttons.empty())
        Buttons += L'\n';
    Buttons += caption;
    if (!commandLinkHint.empty())
        Buttons.append(kLineBreakEscape).append(commandLinkHint);
}

const TTaskDialogEx DefaultTaskDialog = {};

void TTaskDialogEx::Init() {
    *this = DefaultTaskDialog;
}

std::int32_t TTaskDialogEx::Execute(ITaskDialogPlatform& platform, NativeWindow parent) {
    return Base.Execute(platform, CommonButtons, ButtonDef, Flags, DialogIcon, FooterIcon, RadioDef, Width, parent,
                        NonNative, EmulateClassicStyle, OnButtonClicked);
}

std::int32_t ShowTaskDialog(ITaskDialogPlatform& platform, std::wstring_view inst, std::wstring_view content,
                            TCommonButtons commonButtons, TTaskDialogIcon dialogIcon, NativeWindow parent,
                            std::wstring_view title, std::wstring_view footer, TTaskDialogFooterIcon footerIcon,
                            std::int32_t width) {
    TTaskDialog dialog;
    dialog.Title = title;
    dialog.Inst = inst;
    dialog.Content = content;
    dialog.Footer = footer;
    return dialog.Execute(platform, commonButtons, 0, {tdfEnableHyperLinks, tdfAllowDialogCancellation}, dialogIcon,
                          footerIcon, 0, width, parent, false, false, nullptr);
}

std::int32_t TaskMessageDlg(ITaskDialogPlatform& platform, std::wstring_view msg, std::uint8_t dlgType,
                            std::uint16_t buttons, std::int32_t /*helpContext*/, NativeWindow parent,
                            std::wstring_view title, std::wstring_view footer) {
    constexpr TTaskDialogIcon kIconOfType[] = {tiWarning, tiError, tiInformation, tiQuestion};
    const TTaskDialogIcon icon = dlgType < std::size(kIconOfType) ? kIconOfType[dlgType] : tiNotUsed;
    TCommonButtons common;
    common.Set(cbOK, (buttons & msg_button::OK) != 0);
    common.Set(cbYes, (buttons & msg_button::Yes) != 0);
    common.Set(cbNo, (buttons & msg_button::No) != 0);
    common.Set(cbCancel, (buttons & msg_button::Cancel) != 0);
    common.Set(cbRetry, (buttons & msg_button::Retry) != 0);
    return ShowTaskDialog(platform, msg, {}, common, icon, parent, title, footer, tfiWarning, 0);
}

} // namespace hg::task_dialog

#pragma once
// TMsgBox: one task dialog described by a chain of builder operations, each
// returning a changed copy, and shown with Execute:
//
//   const TModalResult r = MsgBox(L"Main instruction").Text(L"Content").Warning()
//                              .AddButton(L"&Retry", 1).AddButton(L"&Ignore", 2)
//                              .Execute(host, nullptr, true);
//
// The record is portable: Execute hands a TaskDialogDescription (the native
// task dialog's configuration, already translated to the platform's values)
// to an ITaskDialogHost, which shows it. The Windows host lives in
// dialogs/win32/Win32TaskDialogHost.h.
#include "dialogs/EnumSet.h"
#include "dialogs/Format.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hg {

// Native handles, opaque to portable code (HWND and HICON on Windows).
using NativeWindow = void*;
using NativeIcon = void*;

// Value returned by Execute: a custom button's ModalResult or a common
// button's identifier. Closing the dialog by Esc, Alt+F4 or the close box,
// and a dialog that could not be shown, give mrCancel.
using TModalResult = std::int32_t;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrClose = 8;

// Where the expanded information shows.
enum TDetailsPosition : std::uint8_t {
    dpMain,   // below the content
    dpFooter, // in the footer area
};

// Bit n of the set is the flag of ordinal n.
enum TTaskDialogFlag : std::uint8_t {
    tfEnableHyperlinks,
    tfUseHiconMain,
    tfUseHiconFooter,
    tfAllowDialogCancellation,
    tfUseCommandLinks,
    tfUseCommandLinksNoIcon,
    tfExpandFooterArea,
    tfExpandedByDefault,
    tfVerificationFlagChecked,
    tfShowProgressBar,
    tfShowMarqueeProgressBar,
    tfCallbackTimer,
    tfPositionRelativeToWindow,
    tfRtlLayout,
    tfNoDefaultRadioButton,
    tfCanBeMinimized,
    tfSizeToContent,
};
using TTaskDialogFlags = EnumSet<TTaskDialogFlag, std::uint32_t>;

// Bit n of the set is also the platform's common-button flag of that button.
enum TTaskDialogCommonButton : std::uint8_t {
    tcbOk,
    tcbYes,
    tcbNo,
    tcbCancel,
    tcbRetry,
    tcbClose,
};
using TTaskDialogCommonButtons = EnumSet<TTaskDialogCommonButton, std::uint8_t>;

// Main or footer icon: one of the constants below, or any other value taken
// by its low 16 bits as the identifier of one of the system's icon resources.
using TTaskDialogIcon = std::int32_t;
inline constexpr TTaskDialogIcon tdiNone = 0;
inline constexpr TTaskDialogIcon tdiWarning = 1;
inline constexpr TTaskDialogIcon tdiError = 2;
inline constexpr TTaskDialogIcon tdiInformation = 3;
inline constexpr TTaskDialogIcon tdiShield = 4;
inline constexpr TTaskDialogIcon tdiQuestion = 32514; // the system's question-mark icon

struct TTaskDialogButtonRec {
    std::wstring Caption; // a line feed separates a command link's note
    TModalResult ModalResult = 0;
    bool Default = false;

    friend bool operator==(const TTaskDialogButtonRec&, const TTaskDialogButtonRec&) = default;
};

// Receives the URL of a clicked link; the dialog stays open.
using TLinkHandler = std::function<void(const std::wstring& url)>;

class ITaskDialogHost;

struct TMsgBox {
    NativeWindow FOwner = nullptr; // written by Execute
    std::wstring FCaption;         // empty: the application's title
    std::wstring FMainText;
    std::wstring FSecondText;
    std::wstring FDetailsCaption;
    std::wstring FDetailsText;
    TDetailsPosition FDetailsPosition = dpMain;
    bool FDetailsExpanded = false;
    TTaskDialogIcon FIcon = tdiNone;
    NativeIcon FCustomIcon = nullptr; // not owned: keep it alive until Execute returns
    TTaskDialogCommonButtons FButtons;
    TTaskDialogCommonButton FDefButton = tcbOk;
    std::vector<TTaskDialogButtonRec> FCustomButtons;
    std::wstring FFooterText;
    TTaskDialogIcon FFooterIcon = tdiNone;
    NativeIcon FCustomFooterIcon = nullptr; // not owned
    std::wstring FVerificationText;         // empty: no check box
    bool FVerificationChecked = false;
    bool* FVerificationCheckedRes = nullptr; // receives the check box's state at close
    TTaskDialogFlags FFlags;
    bool FHyperlinks = false;
    std::vector<std::wstring> FRadioButtons;
    std::int32_t FDefRadioButton = 0;
    TLinkHandler FLinkHandler;
    std::int32_t FRadioOut = -1; // written by Execute

    // Builder operations: each returns a changed copy and leaves this record
    // as it is.

    // Fills the main instruction, then the content, then appends further
    // paragraphs to the content, separated by an empty line.
    [[nodiscard]] TMsgBox Text(std::wstring_view text) const;
    [[nodiscard]] TMsgBox TextFmt(std::wstring_view format, std::initializer_list<FormatArg> args) const;
    [[nodiscard]] TMsgBox Info() const;
    [[nodiscard]] TMsgBox Warning() const;
    [[nodiscard]] TMsgBox Question() const;
    [[nodiscard]] TMsgBox Error() const;
    [[nodiscard]] TMsgBox Shield() const;
    [[nodiscard]] TMsgBox CustomIcon(NativeIcon icon) const;
    [[nodiscard]] TMsgBox WindowCaption(std::wstring_view text) const;
    [[nodiscard]] TMsgBox Details(std::wstring_view text, TDetailsPosition position, std::wstring_view caption,
                                  bool expanded) const;
    [[nodiscard]] TMsgBox Footer(std::wstring_view text, TTaskDialogIcon icon = tdiNone,
                                 NativeIcon customIcon = nullptr) const;
    // Adds the check box. With a pointer, its Boolean gives the initial state
    // and receives the state at close.
    [[nodiscard]] TMsgBox Verification(std::wstring_view text, bool* checked) const;
    // Makes links (<a href="...">text</a>) in the content, footer and
    // expanded text active. Without a handler a clicked link opens in the
    // user's default program for it.
    [[nodiscard]] TMsgBox Hypertext(TLinkHandler linkHandler = nullptr) const;
    // The common-button operations replace the whole set.
    [[nodiscard]] TMsgBox Close() const;
    [[nodiscard]] TMsgBox OK() const;
    [[nodiscard]] TMsgBox OKCancel() const;
    [[nodiscard]] TMsgBox Cancel() const;
    // Yes and No only, and the dialog can no longer be cancelled.
    [[nodiscard]] TMsgBox YesNo() const;
    [[nodiscard]] TMsgBox YesNoCancel() const;
    [[nodiscard]] TMsgBox AddButton(std::wstring_view caption, TModalResult modalResult, bool isDefault = false) const;
    [[nodiscard]] TMsgBox DefButton(TTaskDialogCommonButton button) const;
    [[nodiscard]] TMsgBox AddRadioButton(std::wstring_view caption) const;
    [[nodiscard]] TMsgBox AddRadioButtons(std::initializer_list<std::wstring_view> captions) const;
    // -1 selects none at the start (and keeps it that way for this record).
    [[nodiscard]] TMsgBox DefRadioButton(std::int32_t index) const;
    [[nodiscard]] TMsgBox SetFlags(TTaskDialogFlags flags) const;
    [[nodiscard]] TMsgBox AddFlag(TTaskDialogFlag flag) const;
    [[nodiscard]] TMsgBox ClearFlag(TTaskDialogFlag flag) const;

    // Shows the dialog modally and returns the identifier of the button that
    // closed it. The owner is ownerForm, else the desktop window when
    // useDesktopWindow, else none. Writes FOwner and FRadioOut into this
    // record, and the check box's state through FVerificationCheckedRes.
    // This record must stay where it is until Execute returns.
    TModalResult Execute(ITaskDialogHost& host, NativeWindow ownerForm, bool useDesktopWindow);
    // As Execute, but nullopt instead of mrCancel when the dialog could not be
    // shown, for callers that must not take a failure for the user's answer.
    std::optional<TModalResult> TryExecute(ITaskDialogHost& host, NativeWindow ownerForm, bool useDesktopWindow);
    // As above without a desktop owner; radioButton receives the position of
    // the radio button selected at close, -1 for none.
    TModalResult Execute(std::int32_t& radioButton, ITaskDialogHost& host, NativeWindow ownerForm);
};

// A fresh record whose main instruction is `text`, with cancellation allowed
// and the dialog positioned relative to its owner.
[[nodiscard]] TMsgBox MsgBox(std::wstring_view text);

// ---------------------------------------------------------------------------
// The native task dialog's configuration, in the platform's own values.

struct TaskDialogButton {
    std::int32_t Id = 0;
    std::wstring Text;

    friend bool operator==(const TaskDialogButton&, const TaskDialogButton&) = default;
};

// Platform flag values (dwFlags of the native configuration).
namespace tdf {
inline constexpr std::uint32_t EnableHyperlinks = 0x0001;
inline constexpr std::uint32_t UseHiconMain = 0x0002;
inline constexpr std::uint32_t UseHiconFooter = 0x0004;
inline constexpr std::uint32_t AllowDialogCancellation = 0x0008;
inline constexpr std::uint32_t UseCommandLinks = 0x0010;
inline constexpr std::uint32_t ExpandFooterArea = 0x0040;
inline constexpr std::uint32_t ExpandedByDefault = 0x0080;
inline constexpr std::uint32_t VerificationFlagChecked = 0x0100;
inline constexpr std::uint32_t PositionRelativeToWindow = 0x1000;
inline constexpr std::uint32_t NoDefaultRadioButton = 0x4000;
inline constexpr std::uint32_t SizeToContent = 0x01000000;
} // namespace tdf

// Identifier of the first radio button; the others follow in order.
inline constexpr std::int32_t kFirstRadioButtonId = 100;

struct TaskDialogDescription {
    NativeWindow Parent = nullptr;   // none: the host picks the active window
    std::uint32_t Flags = 0;         // platform flags
    std::uint32_t CommonButtons = 0; // platform common-button flags
    std::wstring WindowTitle;
    std::wstring MainInstruction;
    std::wstring Content;
    std::wstring ExpandedControlText;  // shown while expanded
    std::wstring CollapsedControlText; // shown while collapsed
    std::wstring ExpandedInformation;
    std::wstring Footer;
    std::wstring VerificationText;
    std::uint16_t MainIcon = 0;          // icon resource identifier, 0 for none
    NativeIcon CustomMainIcon = nullptr; // used when Flags hold UseHiconMain
    std::uint16_t FooterIcon = 0;
    NativeIcon CustomFooterIcon = nullptr; // used when Flags hold UseHiconFooter
    std::vector<TaskDialogButton> Buttons;
    std::vector<TaskDialogButton> RadioButtons;
    std::int32_t DefaultButton = mrOk;
    std::int32_t DefaultRadioButton = kFirstRadioButtonId;
    std::int32_t Width = 0; // in dialog units; 0: the dialog chooses
};

// The configuration that Execute hands to the host for `box` (with its
// current FOwner as the parent); an empty FCaption gives `applicationTitle`.
TaskDialogDescription DescribeTaskDialog(const TMsgBox& box, std::wstring_view applicationTitle);

// Platform values of the builder's flags and icons.
std::uint32_t PlatformFlags(TTaskDialogFlags flags);
std::uint16_t PlatformIconId(TTaskDialogIcon icon);

// What a shown dialog reports back.
struct TaskDialogOutcome {
    std::int32_t Button = 0;      // identifier of the button that closed it
    std::int32_t RadioButton = 0; // identifier of the selected radio button, 0 for none
    bool VerificationChecked = false;
};

// Port: shows task dialogs.
class ITaskDialogHost {
public:
    virtual ~ITaskDialogHost() = default;

    virtual NativeWindow DesktopWindow() = 0;
    // Window title of dialogs that set no caption of their own.
    virtual std::wstring ApplicationTitle() = 0;
    // Shows the dialog modally; nullopt when it could not be shown. When the
    // description enables links, onLink receives each clicked link's URL
    // while the dialog stays open.
    virtual std::optional<TaskDialogOutcome> ShowTaskDialog(const TaskDialogDescription& description,
                                                            const TLinkHandler& onLink) = 0;
    // Opens a URL in the user's default program for it.
    virtual void OpenUrl(const std::wstring& url, NativeWindow parent) = 0;
};

} // namespace hg

#pragma once
// TTaskDialog: a task dialog described by a plain record of texts. Execute
// shows it with the platform's native task dialog when the system has one
// and the request suits it, and otherwise with an emulation of its own (an
// ordinary window with labels, buttons, command links, radio buttons, a check
// box and an optional input field). Unlike TMsgBox (MsgBox.h), the texts are
// multi-line strings: the two characters backslash and n stand for a line
// break inside a text, and lists (buttons, radio buttons, selection items)
// hold one item per line.
//
// The record is portable: Execute reaches the system through an
// ITaskDialogPlatform. The Windows implementation lives in
// dialogs/win32/Win32TaskDialog.h.
#include "dialogs/EnumSet.h"
#include "dialogs/MsgBox.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hg::task_dialog {

// Bit n of the set is the button of ordinal n, and also the platform's
// common-button flag of that button.
enum TCommonButton : std::uint8_t { cbOK, cbYes, cbNo, cbCancel, cbRetry, cbClose };
using TCommonButtons = EnumSet<TCommonButton, std::uint8_t>;

enum TTaskDialogIcon : std::uint8_t { tiBlank, tiWarning, tiQuestion, tiError, tiInformation, tiNotUsed, tiShield };
enum TTaskDialogFooterIcon : std::uint8_t { tfiBlank, tfiWarning, tfiQuestion, tfiError, tfiInformation, tfiShield };

// Bits 0 to 15 are the platform's task dialog flags of the same meaning;
// bits 16 to 18 are this unit's own and ask for an input field, which only
// the emulation has.
enum TTaskDialogFlag : std::uint8_t {
    tdfEnableHyperLinks,
    tdfUseHIconMain,
    tdfUseHIconFooter,
    tdfAllowDialogCancellation,
    tdfUseCommandLinks,
    tdfUseCommandLinksNoIcon,
    tdfExpandFooterArea,
    tdfExpandByDefault,
    tdfVerificationFlagChecked,
    tdfShowProgressBar,
    tdfShowMarqueeProgressBar,
    tdfCallbackTimer,
    tdfPositionRelativeToWindow,
    tdfRtlLayout,
    tdfNoDefaultRadioButton,
    tdfCanBeMinimized,
    tdfQuery,
    tdfQueryMasked,
    tdfQueryFieldFocused,
};
using TTaskDialogFlags = EnumSet<TTaskDialogFlag, std::uint32_t>;

enum TTaskDialogElement : std::uint8_t {
    tdeContent,
    tdeExpandedInfo,
    tdeFooter,
    tdeMainInstruction,
    tdeEdit,
    tdeVerif,
};

// Identifiers of the custom buttons and radio buttons: the first line gets
// the base, the next one base + 1, and so on.
inline constexpr std::int32_t kFirstButtonId = 100;
inline constexpr std::int32_t kFirstRadioId = 200;

struct TTaskDialog;

// Called when a button is pressed while the dialog is up; clearing canClose
// keeps the dialog open.
using TTaskDialogButtonClickedEvent = std::function<void(TTaskDialog& sender, std::int32_t buttonId, bool& canClose)>;

// The dialog while it is shown, native or emulated.
class ITaskDialogWindow {
public:
    virtual ~ITaskDialogWindow() = default;
    virtual NativeWindow Handle() const = 0;
    // Text already with its line breaks. The native dialog changes only the
    // four texts it has (content to main instruction).
    virtual void SetElementText(TTaskDialogElement element, const std::wstring& text) = 0;
};

struct TTaskDialogImplementation {
    TTaskDialogButtonClickedEvent OnButtonClicked;
    bool Emulated = false;             // the running dialog is the emulation
    NativeWindow Wnd = nullptr;        // the running dialog's window
    ITaskDialogWindow* Form = nullptr; // the running dialog, null when none runs
};

class ITaskDialogPlatform;

struct TTaskDialog {
    std::wstring Title; // empty: the application's title
    std::wstring Inst;  // empty: the main icon's default caption
    std::wstring Content;
    std::wstring Buttons;      // one per line: caption, optionally \n and a note
    std::wstring Radios;       // one per line, same form
    std::wstring Info;         // expanded information
    std::wstring InfoExpanded; // native dialog only
    std::wstring InfoCollapse; // native dialog only
    std::wstring Footer;
    std::wstring Verify;           // caption of the verification check box; empty: none
    std::wstring Selection;        // items of a selection list, one per line; empty: none
    std::wstring Query;            // in: initial text or selected item; out: final text
    std::int32_t RadioRes = 0;     // out: kFirstRadioId + position of the selected radio button, 0 for none
    std::int32_t SelectionRes = 0; // out: position of the selected list item (emulation only)
    bool VerifyChecked = false;    // in and out
    TTaskDialogImplementation Dialog;

    // Shows the dialog modally and returns the identifier of the button that
    // closed it. buttonDef is the default button's identifier, radioDef the
    // initially selected radio button's (kFirstRadioId + position), width the
    // client width (0: automatic), parent the owner (null: the active
    // window). nonNative forces the emulation, emulateClassicStyle gives it
    // the plain look.
    std::int32_t Execute(ITaskDialogPlatform& platform, TCommonButtons commonButtons = {}, std::int32_t buttonDef = 0,
                         TTaskDialogFlags flags = {}, TTaskDialogIcon dialogIcon = tiInformation,
                         TTaskDialogFooterIcon footerIcon = tfiWarning, std::int32_t radioDef = 0,
                         std::int32_t width = 0, NativeWindow parent = nullptr, bool nonNative = false,
                         bool emulateClassicStyle = false, TTaskDialogButtonClickedEvent onButtonClicked = nullptr);

    // Changes a text of the running dialog (backslash-n becomes a line break);
    // does nothing when no dialog runs.
    void SetElementText(TTaskDialogElement element, std::wstring_view text);

    // Appends a custom button: caption, and the note below a command link.
    void AddButton(std::wstring_view caption, std::wstring_view commandLinkHint = {});
};

// The arguments of Execute that shape the dialog (as the emulation's layout
// reads them, resolved).
struct ExecuteArguments {
    TCommonButtons CommonButtons;
    std::int32_t ButtonDef = 0;
    TTaskDialogFlags Flags;
    TTaskDialogIcon DialogIcon = tiInformation;
    TTaskDialogFooterIcon FooterIcon = tfiWarning;
    std::int32_t RadioDef = 0;
    std::int32_t Width = 0;
    bool EmulateClassicStyle = false;
};

// A task dialog together with the arguments of its Execute.
struct TTaskDialogEx : ExecuteArguments {
    TTaskDialog Base;
    bool NonNative = false;
    TTaskDialogButtonClickedEvent OnButtonClicked;

    // The record becomes a copy of DefaultTaskDialog.
    void Init();
    std::int32_t Execute(ITaskDialogPlatform& platform, NativeWindow parent = nullptr);
};

// All empty except the information icon and the warning footer icon.
extern const TTaskDialogEx DefaultTaskDialog;

// Shows a dialog with the main instruction inst, links enabled and
// cancellation allowed; returns the identifier of the button that closed it.
std::int32_t ShowTaskDialog(ITaskDialogPlatform& platform, std::wstring_view inst, std::wstring_view content,
                            TCommonButtons commonButtons, TTaskDialogIcon dialogIcon, NativeWindow parent,
                            std::wstring_view title = {}, std::wstring_view footer = {},
                            TTaskDialogFooterIcon footerIcon = tfiWarning, std::int32_t width = 0);

// Message-dialog style front end. dlgType: 0 warning, 1 error, 2
// information, 3 confirmation, anything else no icon. buttons: Yes (bit 0),
// No (1), OK (2), Cancel (3), Abort (4), Retry (5), Ignore (6), All (7), No
// to all (8), Yes to all (9), Help (10), Close (11); only Yes, No, OK, Cancel
// and Retry are shown. helpContext is not used.
namespace msg_button {
inline constexpr std::uint16_t Yes = 1u << 0;
inline constexpr std::uint16_t No = 1u << 1;
inline constexpr std::uint16_t OK = 1u << 2;
inline constexpr std::uint16_t Cancel = 1u << 3;
inline constexpr std::uint16_t Abort = 1u << 4;
inline constexpr std::uint16_t Retry = 1u << 5;
inline constexpr std::uint16_t Ignore = 1u << 6;
inline constexpr std::uint16_t All = 1u << 7;
inline constexpr std::uint16_t NoToAll = 1u << 8;
inline constexpr std::uint16_t YesToAll = 1u << 9;
inline constexpr std::uint16_t Help = 1u << 10;
inline constexpr std::uint16_t Close = 1u << 11;
} // namespace msg_button
namespace msg_type {
inline constexpr std::uint8_t Warning = 0;
inline constexpr std::uint8_t Error = 1;
inline constexpr std::uint8_t Information = 2;
inline constexpr std::uint8_t Confirmation = 3;
inline constexpr std::uint8_t Custom = 4;
} // namespace msg_type
std::int32_t TaskMessageDlg(ITaskDialogPlatform& platform, std::wstring_view msg, std::uint8_t dlgType,
                            std::uint16_t buttons, std::int32_t helpContext, NativeWindow parent,
                            std::wstring_view title = {}, std::wstring_view footer = {});

// ---------------------------------------------------------------------------
// Text helpers.

// Every backslash-n becomes a line feed.
std::wstring ExpandLineFeeds(std::wstring_view text);

struct CaptionHint {
    std::wstring Caption;
    std::wstring Hint; // line breaks expanded
};
// The part before the first backslash-n is the caption, the rest the hint.
CaptionHint SplitCaptionHint(std::wstring_view line);

// The lines of a list: a line ends at any control character, runs of control
// characters are skipped (so empty lines vanish), and blanks around the whole
// list are trimmed.
std::vector<std::wstring> ListLines(std::wstring_view list);

// ---------------------------------------------------------------------------
// Fixed tables.

// Caption and result of a common button in the emulation (Close gives 3
// there, the native dialog's identifier is 8).
std::wstring_view EmulatedButtonCaption(TCommonButton button);
std::int32_t EmulatedButtonResult(TCommonButton button);
// Identifier that the native dialog returns for a common button.
std::int32_t NativeButtonResult(TCommonButton button);

std::wstring_view DefaultInstruction(TTaskDialogIcon icon);
// Resource identifiers that the native dialog gets (no module handle).
std::uint16_t NativeIconId(TTaskDialogIcon icon);
std::uint16_t NativeFooterIconId(TTaskDialogFooterIcon icon);
// The system icon the emulation shows; 0 for none.
std::uint16_t EmulatedIconId(TTaskDialogIcon icon);
std::uint16_t EmulatedFooterIconId(TTaskDialogFooterIcon icon);

// ---------------------------------------------------------------------------
// What Execute asks of the system.

// The native dialog's configuration for `dialog` (whose Title and Inst are
// already resolved).
TaskDialogDescription DescribeNativeTaskDialog(const TTaskDialog& dialog, const ExecuteArguments& args,
                                               NativeWindow parent);

struct EmulatedTaskDialogLayout; // TaskDialogLayout.h
class ITaskDialogMetrics;        // TaskDialogLayout.h

struct TaskDialogEvents {
    // A button was pressed; false keeps the dialog open.
    std::function<bool(std::int32_t buttonId)> OnButtonClicked;
    // The running dialog became known (and null once it is gone).
    std::function<void(ITaskDialogWindow* window)> OnWindow;
};

// What the emulation reports after it closed.
struct EmulatedOutcome {
    std::int32_t Result = 0;
    std::int32_t RadioRes = 0;
    std::optional<bool> VerifyChecked;        // with a check box
    std::optional<std::wstring> Query;        // with a combo box or an edit field
    std::optional<std::int32_t> SelectionRes; // with a combo box: -1 for none
};

// Port: what Execute needs of the system.
class ITaskDialogPlatform {
public:
    virtual ~ITaskDialogPlatform() = default;

    // Title of dialogs that set none.
    virtual std::wstring ApplicationTitle() = 0;
    // Owner of dialogs that name none: the active window, or none.
    virtual NativeWindow DefaultParent() = 0;
    // Shows the native task dialog; nullopt when the system has none or the
    // call failed.
    virtual std::optional<TaskDialogOutcome> ShowNative(const TaskDialogDescription& description,
                                                        const TaskDialogEvents& events) = 0;
    // Fonts, text sizes and icon sizes for the emulation's layout.
    virtual ITaskDialogMetrics& Metrics() = 0;
    // Shows the emulation modally; nullopt when its window could not be made.
    virtual std::optional<EmulatedOutcome> ShowEmulated(const EmulatedTaskDialogLayout& layout,
                                                        const TaskDialogEvents& events) = 0;
};

} // namespace hg::task_dialog

#pragma once
// The program's open windows that hold the user in a modal loop or mode (a
// dialog, the colour dialog, a warning, the screen pick), and the shell's
// rules around them:
//  - a command whose window is already open brings it forward instead of
//    opening a second one;
//  - "E&xit" while such windows are open closes them as cancelled, and the
//    exit itself runs only once every modal loop has unwound and no message
//    handler of the main window is on the stack any more, so the main window
//    is never destroyed underneath a running loop;
//  - a command whose window was closed by the exit does not resume.
// See docs/architecture.md for how a window joins in.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace hg {

// The kinds of window the program opens; at most one of each is open.
enum class WindowKind : std::uint8_t {
    Message,     // a message box or task dialog of the shell itself
    Warning,     // the warning about a manual colour in automatic mode
    ScreenPick,  // picking a colour from the screen
    ColorDialog, // "Select a &Color..."
    Options,     // "&Settings..."
    About,       // "&About..."
    License,     // the licence text
    TrayMenu,    // the tray icon's popup menu
};

// What the shell asks of an open window.
class IModalWindow {
public:
    virtual ~IModalWindow() = default;
    // Brings the window to the foreground (restoring it if minimised).
    virtual void BringForward() = 0;
    // Ends the window as if the user had cancelled it, so that its modal
    // loop returns. May come before the window is fully created (it then
    // ends as soon as it can) and more than once.
    virtual void CloseAsCancelled() = 0;
};

class ModalWindows {
public:
    // nudge: asks the main window to look at a pending exit once its
    // current handlers have returned (posts it a message). Called when the
    // last open window closes while an exit waits for it.
    explicit ModalWindows(std::function<void()> nudge = {});
    ModalWindows(const ModalWindows&) = delete;
    ModalWindows& operator=(const ModalWindows&) = delete;

    // A window's place in the list for as long as it is open; leaving the
    // scope removes it. Move-only.
    class Registration {
    public:
        Registration() = default;
        Registration(Registration&& other) noexcept : owner_(std::exchange(other.owner_, nullptr)), id_(other.id_) {}
        Registration& operator=(Registration&& other) noexcept;
        ~Registration() { reset(); }
        void reset();
        explicit operator bool() const { return owner_ != nullptr; }

    private:
        friend class ModalWindows;
        Registration(ModalWindows* owner, std::uint64_t id) : owner_(owner), id_(id) {}
        ModalWindows* owner_ = nullptr;
        std::uint64_t id_ = 0;
    };

    // Adds an open window. Allowed also while the program exits (a message
    // that the exit path itself shows); the exit waits for it, and "E&xit"
    // chosen again closes it. Commands open their windows through Run,
    // which opens nothing while the program exits.
    [[nodiscard]] Registration Register(WindowKind kind, IModalWindow& window);

    bool IsOpen(WindowKind kind) const;
    bool AnyOpen() const { return !open_.empty(); }
    // Brings the open window of this kind forward; false when none is open.
    bool BringForward(WindowKind kind);

    // The whole rule for a command that opens a window: if one of this
    // kind is open, it comes forward; while the program exits nothing
    // opens; otherwise the window is registered while show() runs its modal
    // loop. The result of show(), or nullopt when the window was not opened
    // or the exit closed it meanwhile (the command must then stop).
    template <class Show>
    auto Run(WindowKind kind, IModalWindow& window, Show&& show) -> std::optional<decltype(show())> {
        if (BringForward(kind) || exitRequested_)
            return std::nullopt;
        std::optional<decltype(show())> result;
        {
            const Registration open = Register(kind, window);
            result.emplace(show());
        }
        if (exitRequested_)
            return std::nullopt;
        return result;
    }

    // One scope per message handler of the main window (the host enters it
    // around each message it dispatches): the exit waits until none runs.
    class HandlerScope {
    public:
        explicit HandlerScope(ModalWindows& owner) : owner_(&owner) { ++owner_->handlerDepth_; }
        HandlerScope(HandlerScope&& other) noexcept : owner_(std::exchange(other.owner_, nullptr)) {}
        HandlerScope(const HandlerScope&) = delete;
        HandlerScope& operator=(const HandlerScope&) = delete;
        HandlerScope& operator=(HandlerScope&&) = delete;
        ~HandlerScope() {
            if (owner_ != nullptr)
                --owner_->handlerDepth_;
        }

    private:
        ModalWindows* owner_;
    };
    [[nodiscard]] HandlerScope EnterHandler() { return HandlerScope(*this); }
    int HandlerDepth() const { return handlerDepth_; }

    // "E&xit": from now on the program is exiting. Every open window is
    // asked to close as cancelled, the most recently opened first; asking
    // again asks them again.
    void RequestExit();
    bool ExitRequested() const { return exitRequested_; }
    // True exactly once: when the exit was requested, no window is open any
    // more and no handler of the main window runs. The caller then runs the
    // exit path.
    bool ExitDue();

private:
    struct Entry {
        std::uint64_t id;
        WindowKind kind;
        IModalWindow* window;
    };
    void Unregister(std::uint64_t id);

    std::function<void()> nudge_;
    std::vector<Entry> open_; // in the order opened
    std::uint64_t nextId_ = 1;
    int handlerDepth_ = 0;
    bool exitRequested_ = false;
    bool exitDone_ = false;
};

} // namespace hg

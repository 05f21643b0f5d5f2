#include "platform/ModalWindows.h"

#include <algorithm>

namespace hg {

ModalWindows::ModalWindows(std::function<void()> nudge) : nudge_(std::move(nudge)) {}

ModalWindows::Registration& ModalWindows::Registration::operator=(Registration&& other) noexcept {
    if (this != &other) {
        reset();
        owner_ = std::exchange(other.owner_, nullptr);
        id_ = other.id_;
    }
    return *this;
}

void ModalWindows::Registration::reset() {
    if (owner_ != nullptr)
        std::exchange(owner_, nullptr)->Unregister(id_);
}

ModalWindows::Registration ModalWindows::Register(WindowKind kind, IModalWindow& window) {
    const std::uint64_t id = nextId_++;
    open_.push_back({id, kind, &window});
    return Registration(this, id);
}

void ModalWindows::Unregister(std::uint64_t id) {
    const auto it = std::find_if(open_.begin(), open_.end(), [id](const Entry& e) { return e.id == id; });
    if (it == open_.end())
        return;
    open_.erase(it);
    // The exit waits for the last window; the main window looks again once
    // the loop that just ended has handed control back.
    if (open_.empty() && exitRequested_ && !exitDone_ && nudge_)
        nudge_();
}

bool ModalWindows::IsOpen(WindowKind kind) const {
    return std::any_of(open_.begin(), open_.end(), [kind](const Entry& e) { return e.kind == kind; });
}

bool ModalWindows::BringForward(WindowKind kind) {
    // The most recent window of the kind, should a kind ever be open twice.
    for (auto it = open_.rbegin(); it != open_.rend(); ++it)
        if (it->kind == kind) {
            it->window->BringForward();
            return true;
        }
    return false;
}

void ModalWindows::RequestExit() {
    exitRequested_ = true;
    // Innermost first: an outer loop can only return after the inner ones.
    // A window may leave the list while it closes, so each is looked up
    // again before it is asked.
    std::vector<std::uint64_t> ids;
    for (const Entry& e : open_)
        ids.push_back(e.id);
    for (auto id = ids.rbegin(); id != ids.rend(); ++id) {
        const auto it = std::find_if(open_.begin(), open_.end(), [&](const Entry& e) { return e.id == *id; });
        if (it != open_.end())
            it->window->CloseAsCancelled();
    }
}

bool ModalWindows::ExitDue() {
    if (!exitRequested_ || exitDone_ || !open_.empty() || handlerDepth_ != 0)
        return false;
    exitDone_ = true;
    return true;
}

} // namespace hg

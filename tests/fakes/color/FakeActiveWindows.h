#pragma once
// Windows of other applications, made up: which exist, their icons, how they
// answer icon queries, and what they show.
#include "color/ActiveWindow.h"

#include <algorithm>
#include <array>
#include <map>
#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace hg::fakes {

class FakeActiveWindows final : public IActiveWindows {
public:
    struct Window {
        Handle classIcon = 0;
        // Answers to the small, big and generated small icon queries;
        // nullopt: the window does not answer (hung).
        std::array<std::optional<Handle>, 3> answers{Handle{0}, Handle{0}, Handle{0}};
        std::optional<Bitmap24> contents; // nullopt: the capture fails
        bool captureThrows = false;
    };
    std::map<Handle, Window> windows;
    std::map<Handle, std::optional<Bitmap24>> icons; // nullopt: not a usable icon

    std::vector<std::pair<Handle, IconKind>> queries; // every icon query, in order
    std::vector<Handle> drawnIcons;
    std::vector<Handle> captures;

    bool WindowExists(Handle window) override { return windows.count(window) != 0; }
    Handle ClassIcon(Handle window) override {
        const auto it = windows.find(window);
        return it == windows.end() ? 0 : it->second.classIcon;
    }
    std::optional<Handle> QueryIcon(Handle window, IconKind kind) override {
        queries.emplace_back(window, kind);
        const auto it = windows.find(window);
        if (it == windows.end())
            return std::nullopt;
        return it->second.answers[static_cast<std::size_t>(kind)];
    }
    std::optional<Bitmap24> IconToBitmap(Handle icon) override {
        drawnIcons.push_back(icon);
        const auto it = icons.find(icon);
        if (it == icons.end() || !it->second)
            return std::nullopt;
        return Copy(*it->second);
    }
    std::optional<Bitmap24> CaptureWindowToBitmap(Handle window) override {
        captures.push_back(window);
        const auto it = windows.find(window);
        if (it == windows.end() || !it->second.contents)
            return std::nullopt;
        if (it->second.captureThrows)
            throw std::bad_alloc();
        return Copy(*it->second.contents);
    }

    static std::optional<Bitmap24> Copy(const Bitmap24& from) {
        auto to = Bitmap24::Allocate(from.Width(), from.Height());
        std::copy(from.Data(), from.Data() + from.SizeBytes(), to->Data());
        return to;
    }
};

} // namespace hg::fakes

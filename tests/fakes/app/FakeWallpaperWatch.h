#pragma once
#include "app/WallpaperWatch.h"

#include <string>
#include <vector>

namespace hg::testing {

// Records what the loop watches; a test delivers the notices itself.
class FakeWallpaperWatch final : public IWallpaperWatch {
public:
    bool watching = false;
    std::vector<std::wstring> folders;
    int stops = 0;

    void Watch(const std::vector<std::wstring>& watched) override {
        watching = true;
        folders = watched;
    }
    void Stop() override {
        watching = false;
        folders.clear();
        ++stops;
    }
};

} // namespace hg::testing

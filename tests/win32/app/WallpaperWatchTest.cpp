// The wallpaper's change notifications, waited on as the message loop does.
#include "app/win32/Win32WallpaperWatch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace hg::win32 {
namespace {

namespace fs = std::filesystem;

constexpr wchar_t kDesktop[] = L"Control Panel\\Desktop";
constexpr wchar_t kTestValue[] = L"HueglassWatchTest";

class WallpaperWatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1];
        ::GetTempPathW(MAX_PATH + 1, temp);
        folder_ = fs::path(temp) / L"hg-wallpaper-watch";
        std::error_code ec;
        fs::remove_all(folder_, ec);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        watch_.Stop();
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktop, kTestValue);
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    void WriteFile(const wchar_t* name) {
        std::ofstream out(folder_ / name, std::ios::binary | std::ios::trunc);
        out << "picture " << ++writes_;
    }
    void WriteValue() {
        const DWORD value = static_cast<DWORD>(++writes_);
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kDesktop, kTestValue, REG_DWORD, &value, sizeof value),
                  ERROR_SUCCESS);
    }
    // Waits as the message loop does, until a notice comes or 10 s pass.
    bool WaitNotice() {
        const std::size_t before = notices_.size();
        const ULONGLONG deadline = ::GetTickCount64() + 10000;
        while (notices_.size() == before && ::GetTickCount64() < deadline) {
            watch_.RestsOver();
            const auto handles = watch_.Handles();
            const DWORD timeout = std::min<DWORD>(watch_.WaitTimeout(), 1000);
            const DWORD woken = ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE,
                                                         handles.empty() ? 0 : timeout);
            if (woken < WAIT_OBJECT_0 + handles.size())
                watch_.Signalled(woken - WAIT_OBJECT_0);
            else if (handles.empty())
                ::Sleep(timeout); // everything rests
        }
        return notices_.size() > before;
    }

    fs::path folder_;
    int writes_ = 0;
    std::vector<WallpaperNotice> notices_;
    Win32WallpaperWatch watch_{[this](WallpaperNotice notice) { notices_.push_back(notice); }};
};

TEST_F(WallpaperWatchTest, AWriteInTheFolderAndAValueOfTheKeyEachGiveANotice) {
    watch_.Watch({folder_.wstring()});
    ASSERT_EQ(watch_.Handles().size(), 2u) << "the key and the folder";
    EXPECT_EQ(watch_.WaitTimeout(), INFINITE) << "an idle watch wakes nobody";

    WriteFile(L"TranscodedWallpaper");
    ASSERT_TRUE(WaitNotice());
    EXPECT_EQ(notices_.back(), WallpaperNotice::Folder);
    // Re-armed, but resting for a moment: a busy folder cannot keep the
    // thread busy.
    EXPECT_EQ(watch_.Handles().size(), 1u);
    EXPECT_LE(watch_.WaitTimeout(), Win32WallpaperWatch::kRestMs);

    WriteValue();
    ASSERT_TRUE(WaitNotice());
    EXPECT_EQ(notices_.back(), WallpaperNotice::Registry);

    // A write while the folder rests is heard once the rest is over.
    WriteFile(L"Transcoded_000");
    ASSERT_TRUE(WaitNotice());
    EXPECT_EQ(notices_.back(), WallpaperNotice::Folder);
    WriteValue();
    ASSERT_TRUE(WaitNotice()) << "the key was not re-armed";
    EXPECT_EQ(notices_.back(), WallpaperNotice::Registry);

    watch_.Stop();
    EXPECT_TRUE(watch_.Handles().empty());
    EXPECT_EQ(watch_.WaitTimeout(), INFINITE);
}

TEST_F(WallpaperWatchTest, TheWatchFollowsTheWallpaperToAnotherFolder) {
    const fs::path other = folder_ / L"other";
    fs::create_directories(other);
    watch_.Watch({folder_.wstring()});
    watch_.Watch({other.wstring()});
    ASSERT_EQ(watch_.Handles().size(), 2u);
    std::ofstream(other / L"wall.jpg") << "picture";
    ASSERT_TRUE(WaitNotice());
    EXPECT_EQ(notices_.back(), WallpaperNotice::Folder);
}

TEST_F(WallpaperWatchTest, AFolderThatCannotBeWatchedIsLeftToThePoll) {
    watch_.Watch({(folder_ / L"no such folder").wstring()});
    EXPECT_EQ(watch_.Handles().size(), 1u) << "only the key";
    watch_.Watch({});
    EXPECT_EQ(watch_.Handles().size(), 1u);
}

} // namespace
} // namespace hg::win32

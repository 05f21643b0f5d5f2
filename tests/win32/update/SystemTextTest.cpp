#include "update/win32/SystemText.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace hg::win32 {
namespace {

const std::wstring kExe = std::filesystem::path(HUEGLASS_EXE).wstring();

TEST(FileVersionString, OfTheRealProgram) {
    EXPECT_EQ(FileVersionString(kExe), L"2.0.1.1");
    EXPECT_EQ(FormatVersion(FileVersionString(kExe), true, false, true), L"2.01 SR1 (64-bit)");
}

TEST(FileVersionString, FileWithoutVersionGivesTheErrorText) {
    // This test program carries no version resource.
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring text = FileVersionString(self);
    EXPECT_EQ(text.rfind(L"GetFileVersionInfo failed: (", 0), 0u) << text;
    EXPECT_GT(text.size(), std::wstring(L"GetFileVersionInfo failed: (1) ").size()) << "no system text: " << text;
    EXPECT_EQ(FormatVersion(text, true, false, true), L"");

    const std::wstring missing = FileVersionString(L"Z:\\no\\such\\file.exe");
    EXPECT_EQ(missing.rfind(L"GetFileVersionInfo failed: (", 0), 0u) << missing;
}

TEST(GetTempDirectory, ExistingFolderWithBackslash) {
    const std::wstring folder = GetTempDirectory();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'\\');
    EXPECT_TRUE(std::filesystem::is_directory(folder)) << folder;
}

TEST(CreateTempFile, NewEmptyFileEachTime) {
    const std::wstring first = CreateTempFile(L"rtf");
    const std::wstring second = CreateTempFile(L"rtf");
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second); // the first exists, so the second is another
    EXPECT_EQ(first.rfind(GetTempDirectory(), 0), 0u);
    EXPECT_EQ(std::filesystem::path(first).extension(), L".rtf");
    EXPECT_EQ(std::filesystem::file_size(first), 0u);
    std::filesystem::remove(first);
    std::filesystem::remove(second);
}

} // namespace
} // namespace hg::win32

#include "platform/StdFileSystem.h"

#include <gtest/gtest.h>

#include <fstream>

namespace hg {
namespace {

namespace fs = std::filesystem;

class StdFileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("hg-fs-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
    StdFileSystem files_;
};

TEST(PackDosDateTime, PacksDateHighAndTimeLowWithTwoSecondResolution) {
    // 2024-03-15 13:45:59 -> date 0x586F, time 0x6DBD
    EXPECT_EQ(PackDosDateTime(2024, 3, 15, 13, 45, 59), static_cast<std::int32_t>(0x586F6DBD));
    EXPECT_EQ(PackDosDateTime(1980, 1, 1, 0, 0, 0), (1 << 21) | (1 << 16));
    EXPECT_EQ(PackDosDateTime(1979, 12, 31, 23, 59, 59), -1);
    EXPECT_EQ(PackDosDateTime(2108, 1, 1, 0, 0, 0), -1);
}

TEST_F(StdFileSystemTest, MissingFileHasNoAgeNoSizeAndNoContents) {
    const fs::path missing = dir_ / "missing.jpg";
    EXPECT_FALSE(files_.FileExists(missing));
    EXPECT_EQ(files_.FileAge(missing), -1);
    EXPECT_EQ(files_.FileAge(""), -1);
    EXPECT_EQ(files_.FileSize(missing), -1);
    EXPECT_FALSE(files_.ReadAll(missing, 100).has_value());
}

TEST_F(StdFileSystemTest, ReadAllRefusesFilesAboveTheLimit) {
    const std::vector<std::uint8_t> bytes{1, 2, 3, 4};
    ASSERT_TRUE(files_.WriteAtomically(dir_ / "f", bytes));
    EXPECT_EQ(files_.ReadAll(dir_ / "f", 4), bytes);
    EXPECT_FALSE(files_.ReadAll(dir_ / "f", 3).has_value());
    EXPECT_EQ(files_.FileSize(dir_ / "f"), 4);
    EXPECT_GT(files_.FileAge(dir_ / "f"), 0);
}

TEST_F(StdFileSystemTest, AtomicWriteReplacesAndLeavesNoTemporaryFile) {
    const std::vector<std::uint8_t> first{1, 2, 3}, second{9};
    ASSERT_TRUE(files_.WriteAtomically(dir_ / "f", first));
    ASSERT_TRUE(files_.WriteAtomically(dir_ / "f", second));
    EXPECT_EQ(files_.ReadAll(dir_ / "f", 10), second);
    EXPECT_FALSE(fs::exists(dir_ / "f.tmp"));
}

TEST_F(StdFileSystemTest, FailedWriteLeavesTheOldFileInPlace) {
    const std::vector<std::uint8_t> first{1, 2, 3};
    ASSERT_TRUE(files_.WriteAtomically(dir_ / "f", first));
    // A folder where the temporary file would go makes the write fail.
    fs::create_directories(dir_ / "f.tmp");
    EXPECT_FALSE(files_.WriteAtomically(dir_ / "f", std::vector<std::uint8_t>{7}));
    EXPECT_EQ(files_.ReadAll(dir_ / "f", 10), first);
}

TEST_F(StdFileSystemTest, CreateDirectoriesMakesMissingParents) {
    EXPECT_TRUE(files_.CreateDirectories(dir_ / "a" / "b" / "c"));
    EXPECT_TRUE(files_.DirectoryExists(dir_ / "a" / "b"));
    EXPECT_FALSE(files_.FileExists(dir_ / "a"));
}

} // namespace
} // namespace hg

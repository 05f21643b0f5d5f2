#include "cli/HueglassColor.h"

#include "platform/StdFileSystem.h"

#include "PictureFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hg {
namespace {

struct ToolRun {
    int status = 0;
    std::string out, err;
};

ToolRun RunTool(std::vector<std::string> args) {
    ToolRun run;
    StdFileSystem files;
    const ToolOutput output{[&](std::string_view t) { run.out += t; }, [&](std::string_view t) { run.err += t; }};
    run.status = RunHueglassColor(args, files, nullptr, output);
    return run;
}

class HueglassColorTool : public testing::Test {
protected:
    test::TempFolder folder;
    std::string sea, greys, broken;

    void SetUp() override {
        // 16 pixels wide: the worked example twice, as a bitmap file.
        const std::vector<TColor> example = {0x00C85A28, 0x00A0461E, 0x00BE3C00, 0x00783C14,
                                             0x00283CC8, 0x001E32B4, 0x00F0F0F0, 0x000A0A0A};
        std::vector<TColor> row = example;
        row.insert(row.end(), example.begin(), example.end());
        test::ByteWriter pixels;
        for (const TColor c : row)
            pixels.U8(BlueOf(c)).U8(GreenOf(c)).U8(RedOf(c));
        sea = folder.Write("sea.bmp", test::MakeBmp(40, 16, 1, 24, 0, {}, pixels.bytes)).string();
        test::ByteWriter grey;
        grey.U8(128).U8(128).U8(128).U8(0);
        greys = folder.Write("grey.bmp", test::MakeBmp(40, 1, 1, 24, 0, {}, grey.bytes)).string();
        broken = folder.Write("broken.png", {0x89, 'P', 'N', 'G'}).string();
    }
};

TEST_F(HueglassColorTool, PrintsOneLinePerFileInOrder) {
    const ToolRun run = RunTool({sea, greys});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "#003CBE\t0x00BE3C00\t" + sea + "\n#FFFFFF\t0x00FFFFFF\t" + greys + "\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(HueglassColorTool, AverageModes) {
    EXPECT_EQ(RunTool({"--average", sea}).out, "#5A507C\t0x007C505A\t" + sea + "\n");
    EXPECT_EQ(RunTool({"--average", "--ignore-dark-light", sea}).out, "#784B78\t0x00784B78\t" + sea + "\n");
}

TEST_F(HueglassColorTool, FailedFilesAreReportedAndTheRestStillPrinted) {
    const ToolRun run = RunTool({broken, sea, folder.Path().string() + "/none.jpg"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "#003CBE\t0x00BE3C00\t" + sea + "\n");
    EXPECT_NE(run.err.find("hueglass-color: " + broken + ": "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("none.jpg: no such file"), std::string::npos) << run.err;
}

TEST_F(HueglassColorTool, AFolderIsReportedAsAFolder) {
    const ToolRun run = RunTool({folder.Path().string(), sea});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "#003CBE\t0x00BE3C00\t" + sea + "\n");
    EXPECT_EQ(run.err, "hueglass-color: " + folder.Path().string() + ": is a folder, not a picture file\n");
}

TEST_F(HueglassColorTool, VersionIsPrintedAlone) {
    const ToolRun run = RunTool({"--version", sea});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.starts_with("hueglass-color ")) << run.out;
    EXPECT_NE(run.out.find_first_of("0123456789"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find(sea), std::string::npos);
}

TEST_F(HueglassColorTool, UsageErrorsAndHelp) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"--average"}, {"--ignore-dark-light", sea}, {"--bogus", sea}}) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("usage: hueglass-color"), std::string::npos);
        EXPECT_EQ(run.out, "");
    }
    const ToolRun help = RunTool({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--ignore-dark-light"), std::string::npos);
    // After "--", a name that looks like an option is a file.
    EXPECT_EQ(RunTool({"--", "--average"}).status, 1);
}

} // namespace
} // namespace hg

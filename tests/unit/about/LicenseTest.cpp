#include "about/License.h"

#include <gtest/gtest.h>

namespace hg {
namespace {

TEST(PlainTextToRtf, ParagraphsFlowAndSpecialCharactersAreEscaped) {
    EXPECT_EQ(PlainTextToRtf("Title\r\n\r\nOne\ntwo {x} \\ y\n\n\nLast \xC2\xA9 \xF0\x9F\x98\x80\n"),
              "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Tahoma;}}\\f0\\fs16\n"
              "\\b Title\\b0\\par\\par\n"
              "One two \\{x\\} \\\\ y\\par\\par\n"
              "Last \\u169? \\u-10179?\\u-8704?\\par\n}");
    EXPECT_EQ(PlainTextToRtf(""), "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Tahoma;}}\\f0\\fs16\n}");
    // A byte that is not UTF-8 stands for itself; control characters go.
    EXPECT_NE(PlainTextToRtf("a\xE9\x01z").find("a\\u233?z"), std::string::npos);
}

TEST(SplitLines, AnyLineEnd) {
    EXPECT_EQ(SplitLines("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(SplitLines("a\n\n"), (std::vector<std::string>{"a", ""}));
}

} // namespace
} // namespace hg

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

// A printer whose pages take `perPage` characters each (or none further, for
// a layout that makes no progress); it refuses a 50th page, so a loop that
// never ends shows as a failure instead of a hang.
class FakePages final : public IPageSink {
public:
    explicit FakePages(std::int32_t perPage) : perPage_(perPage) {}
    std::vector<std::int32_t> starts;
    int failStartAt = -1, failEndAt = -1;
    bool StartPage() override { return static_cast<int>(starts.size()) != failStartAt && starts.size() < 50; }
    std::int32_t PrintPage(std::int32_t first) override {
        starts.push_back(first);
        return first + perPage_;
    }
    bool EndPage() override { return static_cast<int>(starts.size()) - 1 != failEndAt; }

private:
    std::int32_t perPage_;
};

TEST(PrintPages, EveryPageHoldsTextAndTheLoopEnds) {
    struct Case {
        const char* name;
        std::int32_t length, perPage;
        std::vector<std::int32_t> starts;
        bool ok = true;
    };
    const Case cases[] = {
        {"empty text: no page", 0, 10, {}},
        {"exactly two pages, no blank third", 20, 10, {0, 10}},
        {"a short last page", 25, 10, {0, 10, 20}},
        {"a page that takes nothing further stops the loop", 25, 0, {0}},
        {"a layout that goes backwards too", 25, -3, {0}},
    };
    for (const Case& c : cases) {
        FakePages pages(c.perPage);
        const PrintResult result = PrintPages(c.length, pages);
        EXPECT_EQ(pages.starts, c.starts) << c.name;
        EXPECT_EQ(result.pages, static_cast<std::int32_t>(c.starts.size())) << c.name;
        EXPECT_TRUE(result.ok) << c.name;
    }
}

TEST(PrintPages, APrinterThatFailsEndsTheDocumentAsFailed) {
    FakePages refusesSecond(10);
    refusesSecond.failStartAt = 1;
    const PrintResult started = PrintPages(30, refusesSecond);
    EXPECT_FALSE(started.ok);
    EXPECT_EQ(started.pages, 1);

    FakePages failsFirstEnd(10);
    failsFirstEnd.failEndAt = 0;
    const PrintResult ended = PrintPages(30, failsFirstEnd);
    EXPECT_FALSE(ended.ok);
    EXPECT_EQ(failsFirstEnd.starts, std::vector<std::int32_t>{0});
}

} // namespace
} // namespace hg

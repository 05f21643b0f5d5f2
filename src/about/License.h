#pragma once
// The licence document shown by the licence viewer: the plain licence text
// (the LICENSE file at the root of the sources) as rich text.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hg {

// RTF for UTF-8 text: paragraphs (separated by empty lines) flow as one line
// each, the first one (the title) bold. Characters outside ASCII are
// written as Unicode escapes; RTF's own special characters are escaped.
std::string PlainTextToRtf(std::string_view utf8);

// The lines of a text, without their line ends.
std::vector<std::string> SplitLines(std::string_view text);

// Printing a document page by page: what the print loop asks of the printer
// and of the text's layout.
class IPageSink {
public:
    virtual ~IPageSink() = default;
    virtual bool StartPage() = 0;
    // Lays out and prints the page that begins at character `first`; the
    // first character of the next page.
    virtual std::int32_t PrintPage(std::int32_t first) = 0;
    virtual bool EndPage() = 0;
};

struct PrintResult {
    bool ok = true; // false when the printer failed: the document is then abandoned
    std::int32_t pages = 0;
};

// Prints characters 0 to length - 1 (length as the layout's own positions
// count them) one page after another, until every character is printed, a
// page takes no character further (it would repeat for ever) or the printer
// fails. An empty text prints no page.
PrintResult PrintPages(std::int32_t length, IPageSink& sink);

} // namespace hg

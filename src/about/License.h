#pragma once
// The licence document shown by the licence viewer: the plain licence text
// (the LICENSE file at the root of the sources) as rich text.
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

} // namespace hg

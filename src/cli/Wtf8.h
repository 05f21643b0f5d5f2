#pragma once
// Command-line text on Windows is UTF-16 and may hold unpaired surrogates (a
// file name is any sequence of 16-bit units). The tool keeps arguments as
// WTF-8: UTF-8 in which an unpaired surrogate is encoded like any other code
// point, so every name converts back to the exact UTF-16 it came from.
#include <string>
#include <string_view>

namespace hg {

std::string Wtf8FromWide(std::u16string_view text);
// Bytes that are not WTF-8 become U+FFFD.
std::u16string WideFromWtf8(std::string_view text);

// How a file-name argument's bytes are to be read when it is written out as
// JSON: on Windows as WTF-8 (unpaired surrogates exactly, as \uXXXX); on
// other systems as bytes, where valid UTF-8 is text and every other byte b
// is written as the lone surrogate \udcXX (0xDC00 + b), the usual escape for
// bytes of a name that no text can hold.
enum class NameBytes { Wtf8, Posix };

// `text` as a JSON string, quotes included: quote, backslash and control
// characters escaped, other valid UTF-8 as it is.
std::string JsonString(std::string_view text, NameBytes bytes);

// `text` with every byte that is not part of valid UTF-8 (and every encoded
// surrogate) replaced by U+FFFD: for showing a name as text.
std::string ShownUtf8(std::string_view text);

} // namespace hg

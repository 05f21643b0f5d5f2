// Settings values as a user may have edited them: the input is the settings
// file's lines, "key=value". Every value the parser accepts is a 32-bit
// number that reads back the same from its decimal and hexadecimal forms,
// and the record read from any file is written and read back unchanged.
#include "FuzzChecks.h"
#include "settings/Settings.h"
#include "fakes/platform/FakePorts.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

using namespace hg;

namespace {

std::wstring Widen(std::string_view text) {
    std::wstring wide;
    for (unsigned char c : text)
        wide += static_cast<wchar_t>(c);
    return wide;
}

// What a value means, from the standard library's number reading: blanks,
// a sign, then decimal digits or "0x"/"$" and hexadecimal ones, nothing else.
std::optional<std::int32_t> Expected(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        base = 16, text.remove_prefix(2);
    else if (text.size() > 1 && text[0] == '$')
        base = 16, text.remove_prefix(1);
    if (text.empty() || text.front() == '-' || text.front() == '+')
        return std::nullopt;
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    if (base == 16 ? magnitude > 0xFFFFFFFFull : magnitude > (negative ? 0x80000000ull : 0x7FFFFFFFull))
        return std::nullopt;
    const auto bits = static_cast<std::uint32_t>(negative ? 0u - static_cast<std::uint32_t>(magnitude)
                                                          : static_cast<std::uint32_t>(magnitude));
    return static_cast<std::int32_t>(bits);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hg::fuzz;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::wstring file = L"C:\\Hueglass.Settings";

    hg::testing::FakeProfile profile;
    auto& values = profile.values[file];
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == text.npos)
            end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        const std::size_t equals = line.find('=');
        if (equals == line.npos)
            continue;
        const std::string_view value = line.substr(equals + 1);
        const auto parsed = ParseSettingsInteger(Widen(value));
        Require(parsed == Expected(value), "a value read otherwise than its digits say");
        if (parsed) {
            Require(ParseSettingsInteger(std::to_wstring(*parsed)) == parsed, "the decimal form reads back otherwise");
            wchar_t hex[16];
            std::swprintf(hex, 16, L"0x%X", static_cast<unsigned>(*parsed));
            Require(ParseSettingsInteger(hex) == parsed, "the hexadecimal form reads back otherwise");
        }
        values[Widen(line.substr(0, equals))] = Widen(value);
    }

    const bool windows10 = size % 2 == 1;
    const TAppOptions options = LoadSettings(profile, file, windows10);
    if (windows10)
        Require(!options.FadeColor && options.ShowPreviewWindow, "fades or the hidden preview offered on Windows 10");

    hg::testing::FakeProfile saved;
    hg::testing::FakeFileSystem disk;
    disk.profile = &saved;
    SaveSettings(saved, disk, file, options, options.AppEnabled);
    Require(LoadSettings(saved, file, windows10) == options, "the settings read back differ from those written");
    return 0;
}

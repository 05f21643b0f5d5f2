#include "update/VersionFile.h"

#include "update/VersionText.h"

#include <algorithm>

namespace hg {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 0x20) : c; }

bool SameName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

// Strict UTF-8; nullopt on any malformed sequence.
std::optional<std::wstring> DecodeUtf8(std::span<const std::uint8_t> bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::uint8_t b = bytes[i];
        std::uint32_t cp = 0;
        std::size_t extra = 0;
        if (b < 0x80) {
            cp = b;
        } else if (b >= 0xC2 && b <= 0xDF) {
            cp = b & 0x1F;
            extra = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            cp = b & 0x0F;
            extra = 2;
        } else if (b >= 0xF0 && b <= 0xF4) {
            cp = b & 0x07;
            extra = 3;
        } else {
            return std::nullopt;
        }
        if (extra > 0 && i + extra >= bytes.size())
            return std::nullopt;
        for (std::size_t k = 1; k <= extra; ++k) {
            const std::uint8_t c = bytes[i + k];
            if ((c & 0xC0) != 0x80)
                return std::nullopt;
            cp = (cp << 6) | (c & 0x3F);
        }
        if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
            return std::nullopt;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            text += static_cast<wchar_t>(0xD800 + (cp >> 10));
            text += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
        } else {
            text += static_cast<wchar_t>(cp);
        }
        i += extra + 1;
    }
    return text;
}

std::wstring DecodeUtf16(std::span<const std::uint8_t> bytes, bool bigEndian) {
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += static_cast<wchar_t>(bigEndian ? (bytes[i] << 8 | bytes[i + 1]) : (bytes[i + 1] << 8 | bytes[i]));
    return text;
}

std::wstring Decode(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        return DecodeUtf16(bytes.subspan(2), false);
    if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
        return DecodeUtf16(bytes.subspan(2), true);
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        bytes = bytes.subspan(3);
    if (auto text = DecodeUtf8(bytes))
        return *text;
    // Not UTF-8: single-byte text, each byte its own character.
    return std::wstring(bytes.begin(), bytes.end());
}

struct Entry {
    std::wstring_view key, value;
};
struct Section {
    std::wstring_view name;
    std::vector<Entry> entries;
};

std::vector<Section> SplitSections(std::wstring_view text) {
    std::vector<Section> sections;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring_view::npos)
            end = text.size();
        const std::wstring_view line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == L';')
            continue;
        if (line.front() == L'[') {
            const std::size_t close = line.find(L']');
            if (close != std::wstring_view::npos)
                sections.push_back({Trim(line.substr(1, close - 1)), {}});
            continue;
        }
        const std::size_t equals = line.find(L'=');
        if (equals == std::wstring_view::npos || sections.empty())
            continue;
        sections.back().entries.push_back({Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))});
    }
    return sections;
}

const Section* FindSection(const std::vector<Section>& sections, std::wstring_view name) {
    for (const Section& section : sections)
        if (SameName(section.name, name))
            return &section;
    return nullptr;
}

std::wstring Value(const Section* section, std::wstring_view key) {
    if (section != nullptr)
        for (const Entry& entry : section->entries)
            if (SameName(entry.key, key))
                return std::wstring(entry.value);
    return {};
}

} // namespace

std::optional<VersionFileContent> ParseVersionFile(std::span<const std::uint8_t> bytes, std::wstring_view program) {
    if (bytes.empty() || bytes.size() > kMaxVersionFileBytes || program.empty())
        return std::nullopt;
    const std::wstring text = Decode(bytes);
    // A text file has no NUL and hardly any other control characters.
    for (wchar_t c : text)
        if (c == 0 || (c < 0x20 && c != L'\t' && c != L'\r' && c != L'\n' && c != 0x0C))
            return std::nullopt;

    const std::vector<Section> sections = SplitSections(text);
    VersionFileContent content;
    content.CurrentVersion = Value(FindSection(sections, L"CurrentVersions"), program);
    if (content.CurrentVersion.empty())
        return std::nullopt;
    content.DownloadURL = Value(FindSection(sections, L"DownloadURL"), program);
    if (!IsWebAddress(content.DownloadURL))
        content.DownloadURL.clear();
    content.ReleaseDate = Value(FindSection(sections, L"DateReleased"), L"Date");
    content.BetaVer = Value(FindSection(sections, L"BetaVersions"), program);
    if (const Section* history = FindSection(sections, L"CurrentHistory")) {
        content.Changes.reserve(history->entries.size());
        for (std::size_t i = 0; i < history->entries.size(); ++i)
            content.Changes.push_back(Value(history, std::to_wstring(i + 1)));
    }
    return content;
}

bool IsWebAddress(std::wstring_view address) {
    std::wstring_view rest;
    if (address.size() > 7 && SameName(address.substr(0, 7), L"http://"))
        rest = address.substr(7);
    else if (address.size() > 8 && SameName(address.substr(0, 8), L"https://"))
        rest = address.substr(8);
    else
        return false;
    if (rest.empty() || rest.front() == L'/' || rest.front() == L'\\' || rest.front() == L'@' ||
        rest.front() == L':' || rest.front() == L'.')
        return false;
    for (wchar_t c : address)
        if (c <= 0x20 || c == 0x7F || c == L'\\' || c == L'"' || c == L'<' || c == L'>')
            return false;
    return true;
}

std::optional<WebAddressParts> SplitWebAddress(std::wstring_view address) {
    if (!IsWebAddress(address))
        return std::nullopt;
    WebAddressParts parts;
    parts.secure = SameName(address.substr(0, 6), L"https:");
    std::wstring_view rest = address.substr(parts.secure ? 8 : 7);
    rest = rest.substr(0, rest.find(L'#'));
    const std::size_t authorityEnd = std::min(rest.find_first_of(L"/?"), rest.size());
    std::wstring_view authority = rest.substr(0, authorityEnd);
    const std::wstring_view object = rest.substr(authorityEnd);
    if (authority.find_first_of(L"@[]") != std::wstring_view::npos)
        return std::nullopt;
    parts.port = parts.secure ? 443 : 80;
    if (const std::size_t colon = authority.find(L':'); colon != std::wstring_view::npos) {
        const std::wstring_view digits = authority.substr(colon + 1);
        authority = authority.substr(0, colon);
        if (!digits.empty()) {
            unsigned port = 0;
            for (const wchar_t c : digits) {
                if (c < L'0' || c > L'9' || (port = port * 10 + static_cast<unsigned>(c - L'0')) > 65535)
                    return std::nullopt;
            }
            if (port == 0)
                return std::nullopt;
            parts.port = static_cast<std::uint16_t>(port);
        }
    }
    if (authority.empty())
        return std::nullopt;
    parts.host = authority;
    parts.object = object.empty() || object.front() == L'?' ? L"/" + std::wstring(object) : std::wstring(object);
    return parts;
}

bool IsNewerVersion(std::wstring_view New, std::wstring_view Current) {
    const auto newer = ParseVersion(New);
    const auto current = ParseVersion(Current);
    return newer && current && *current < *newer;
}

} // namespace hg

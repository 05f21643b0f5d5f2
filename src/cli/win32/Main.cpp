// hueglass-color on Windows: wide arguments, the platform's file access (no
// sharing while a picture is read) and its readers for icons, metafiles and
// TIFF pictures.
#include "cli/HueglassColor.h"
#include "cli/Wtf8.h"
#include "color/win32/Win32Pictures.h"
#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Text goes to a console as UTF-16 (any code page shows it right) and to a
// file or pipe as UTF-8.
void Write(DWORD which, FILE* stream, std::string_view text) {
    const HANDLE handle = ::GetStdHandle(which);
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr && ::GetConsoleMode(handle, &mode)) {
        const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(length), L'\0');
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
        DWORD written = 0;
        ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stream);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        // WTF-8, so that a name with an unpaired surrogate still names its file.
        const std::wstring_view arg(argv[i]);
        args.push_back(hg::Wtf8FromWide(std::u16string(arg.begin(), arg.end())));
    }
    hg::win32::Win32FileSystem files;
    hg::win32::Win32Pictures pictures;
    const hg::ToolOutput output{
        [](std::string_view text) { Write(STD_OUTPUT_HANDLE, stdout, text); },
        [](std::string_view text) {
            std::fflush(stdout);
            Write(STD_ERROR_HANDLE, stderr, text);
        },
    };
    const int status = hg::RunHueglassColor(args, files, &pictures, output);
    return std::fflush(stdout) == 0 ? status : 1;
}

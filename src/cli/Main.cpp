// hueglass-color on systems other than Windows (Windows has win32/Main.cpp).
#include "cli/HueglassColor.h"
#include "platform/StdFileSystem.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    hg::StdFileSystem files;
    const hg::ToolOutput output{
        [](std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); },
        [](std::string_view text) {
            std::fflush(stdout); // keep the order of lines when both go to one place
            std::fwrite(text.data(), 1, text.size(), stderr);
        },
    };
    const int status = hg::RunHueglassColor(args, files, nullptr, output);
    return std::fflush(stdout) == 0 ? status : 1;
}

#pragma once
// hueglass-color: the colour Hueglass derives from picture files, on the same
// loading path as the program.
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace hg {

class IFileSystem;
class IPlatformPictures;

struct ToolOutput {
    std::function<void(std::string_view)> out; // UTF-8 text for standard output
    std::function<void(std::string_view)> err; // UTF-8 text for standard error
};

// args: the arguments after the program name, UTF-8. Returns the exit status:
// 0 when every file gave a colour, 1 when any failed, 2 on a usage error.
int RunHueglassColor(std::span<const std::string> args, IFileSystem& files, IPlatformPictures* platform,
                     const ToolOutput& output);

} // namespace hg

#include "cli/HueglassColor.h"

#include "color/ImageColor.h"
#include "color/Wallpaper.h"
#include "platform/FileSystem.h"

#include <cstdio>
#include <filesystem>
#include <vector>

namespace hg {

namespace {

constexpr std::string_view Usage = "usage: hueglass-color [--average [--ignore-dark-light]] FILE...\n"
                                   "       hueglass-color --help | --version\n";

#ifndef HUEGLASS_VERSION
#error "HUEGLASS_VERSION names the program's version"
#endif
constexpr std::string_view Version = "hueglass-color " HUEGLASS_VERSION "\n";

constexpr std::string_view Help =
    "Prints the colour Hueglass derives from each picture file, one line per file:\n"
    "\n"
    "  #RRGGBB<TAB>0x00BBGGRR<TAB>FILE\n"
    "\n"
    "the colour as a web colour, then as the program's colour value (red in the\n"
    "low byte), then the file as given. Pictures are read as the program reads\n"
    "wallpapers: by extension (bmp, jpg, jpeg, png; on Windows also ico, emf,\n"
    "wmf, tif, tiff), or by content when the name has no extension.\n"
    "\n"
    "  (default)            the predominant colour, a vote of hue bands over a\n"
    "                       coarse grid of sampled colours\n"
    "  --average            the average colour of all pixels\n"
    "  --ignore-dark-light  with --average: leave out very dark and very light\n"
    "                       pixels\n"
    "  --help               show this text\n"
    "  --version            show the version\n"
    "\n"
    "A file that cannot be read is reported on standard error and the others\n"
    "are still processed. Exit status: 0 when every file gave a colour, 1 when\n"
    "any could not be read, 2 on a usage error.\n";

std::string FormatLine(TColor color, std::string_view file) {
    char text[32];
    std::snprintf(text, sizeof text, "#%02X%02X%02X\t0x%08X\t", RedOf(color), GreenOf(color), BlueOf(color),
                  static_cast<unsigned>(color));
    std::string line(text);
    line += file;
    line += '\n';
    return line;
}

int UsageError(const ToolOutput& output, std::string_view problem) {
    output.err("hueglass-color: " + std::string(problem) + "\n" + std::string(Usage) +
               "Try 'hueglass-color --help' for more information.\n");
    return 2;
}

} // namespace

int RunHueglassColor(std::span<const std::string> args, IFileSystem& files, IPlatformPictures* platform,
                     const ToolOutput& output) {
    bool average = false;
    bool ignoreDarkLight = false;
    std::vector<std::string> names;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            names.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h" || arg == "-?" || arg == "/?") {
            output.out(std::string(Usage) + "\n" + std::string(Help));
            return 0;
        } else if (arg == "--version") {
            output.out(std::string(Version));
            return 0;
        } else if (arg == "--average") {
            average = true;
        } else if (arg == "--ignore-dark-light") {
            ignoreDarkLight = true;
        } else {
            return UsageError(output, "unknown option '" + arg + "'");
        }
    }
    if (ignoreDarkLight && !average)
        return UsageError(output, "--ignore-dark-light applies to --average only");
    if (names.empty())
        return UsageError(output, "no picture file given");

    const int mode = average ? ColorModeAverage : ColorModePredominant;
    int status = 0;
    for (const std::string& name : names) {
        const std::filesystem::path path(std::u8string(name.begin(), name.end()));
        if (files.DirectoryExists(path)) {
            output.err("hueglass-color: " + name + ": is a folder, not a picture file\n");
            status = 1;
            continue;
        }
        const PictureResult picture = LoadWallpaperBitmap(files, path, platform);
        if (!picture) {
            output.err("hueglass-color: " + name + ": " + picture.error + "\n");
            status = 1;
            continue;
        }
        output.out(FormatLine(ImageColor(picture.bitmap->View(), mode, ignoreDarkLight), name));
    }
    return status;
}

} // namespace hg

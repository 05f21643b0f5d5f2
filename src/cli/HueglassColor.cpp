#include "cli/HueglassColor.h"

#include "cli/ColorReport.h"
#include "cli/Wtf8.h"
#include "color/ImageColor.h"
#include "color/Thumbnail.h"
#include "color/Wallpaper.h"
#include "platform/FileSystem.h"

#include <filesystem>
#include <type_traits>
#include <vector>

namespace hg {

namespace {

constexpr std::string_view Usage =
    "usage: hueglass-color [--json | --explain] [--average [--ignore-dark-light]] FILE...\n"
    "       hueglass-color --sheet OUT.svg [--average [--ignore-dark-light]] FILE\n"
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
    "  --json               one JSON object per file and line: the colour and\n"
    "                       how it was reached (the grid, the hue bands and the\n"
    "                       rule that chose, or the average's pixels and sums)\n"
    "  --explain            the plain line, then the same in a few readable lines\n"
    "  --sheet OUT.svg      draws how the colour of one FILE was reached into\n"
    "                       OUT.svg (a self-contained picture) and prints the\n"
    "                       plain line\n"
    "  --help               show this text\n"
    "  --version            show the version\n"
    "\n"
    "A file that cannot be read is reported on standard error and the others\n"
    "are still processed. Exit status: 0 when every file gave a colour, 1 when\n"
    "any could not be read, 2 on a usage error.\n";

enum class Report { Plain, Json, Explain, Sheet };

// Arguments are UTF-8 (WTF-8 on Windows, so any UTF-16 name comes through).
constexpr bool WidePaths = std::is_same_v<std::filesystem::path::value_type, wchar_t>;
constexpr NameBytes ArgumentBytes = WidePaths ? NameBytes::Wtf8 : NameBytes::Posix;

std::filesystem::path PathOf(const std::string& name) {
    if constexpr (WidePaths) {
        const std::u16string wide = WideFromWtf8(name);
        return std::filesystem::path(std::wstring(wide.begin(), wide.end()));
    } else {
        return std::filesystem::path(std::u8string(name.begin(), name.end()));
    }
}

// The thumbnail of the sheet: at most the size it is shown at, twice over
// for sharp edges on a fine screen would make the sheet four times larger.
constexpr int ThumbnailWidth = SheetThumbnailWidth, ThumbnailHeight = SheetThumbnailHeight;

// Loads the picture once for its colour and its thumbnail. Only an interlaced
// picture whose pixels the average takes pass by pass has delivered no rows
// for the thumbnail; it is read once more for that alone.
std::string LoadForSheet(IFileSystem& files, const std::filesystem::path& path, IPlatformPictures* platform,
                         PictureColorRows& picture, ThumbnailRows& thumbnail) {
    BothRows both(picture, thumbnail);
    if (std::string error = LoadWallpaperRows(files, path, both, platform); !error.empty())
        return error;
    if (!thumbnail.Complete())
        (void)LoadWallpaperRows(files, path, thumbnail, platform); // without it the sheet shows a grey box
    return {};
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
    Report report = Report::Plain;
    std::string sheet;
    std::vector<std::string> names;
    bool optionsEnded = false;
    const auto choose = [&report](Report wanted) {
        const bool clash = report != Report::Plain && report != wanted;
        report = wanted;
        return !clash;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
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
        } else if (arg == "--json" || arg == "--explain") {
            if (!choose(arg == "--json" ? Report::Json : Report::Explain))
                return UsageError(output, "--json, --explain and --sheet exclude each other");
        } else if (arg == "--sheet") {
            if (!choose(Report::Sheet) || !sheet.empty())
                return UsageError(output, "--json, --explain and --sheet exclude each other");
            if (i + 1 >= args.size() || args[i + 1].empty())
                return UsageError(output, "--sheet needs the name of the SVG file to write");
            sheet = args[++i];
        } else {
            return UsageError(output, "unknown option '" + arg + "'");
        }
    }
    if (ignoreDarkLight && !average)
        return UsageError(output, "--ignore-dark-light applies to --average only");
    if (names.empty())
        return UsageError(output, "no picture file given");
    if (report == Report::Sheet && names.size() != 1)
        return UsageError(output, "--sheet draws one picture file");

    const int mode = average ? ColorModeAverage : ColorModePredominant;
    int status = 0;
    for (const std::string& name : names) {
        const std::filesystem::path path = PathOf(name);
        if (files.DirectoryExists(path)) {
            output.err("hueglass-color: " + name + ": is a folder, not a picture file\n");
            status = 1;
            continue;
        }
        PictureColorRows picture({mode, ignoreDarkLight});
        ThumbnailRows thumbnail(ThumbnailWidth, ThumbnailHeight);
        if (report == Report::Sheet)
            picture.AlsoSumMidTones(); // the sheet shows the average with and without the filter
        const std::string error = report == Report::Sheet ? LoadForSheet(files, path, platform, picture, thumbnail)
                                                          : LoadWallpaperRows(files, path, picture, platform);
        if (!error.empty()) {
            output.err("hueglass-color: " + name + ": " + error + "\n");
            status = 1;
            continue;
        }
        if (report == Report::Plain) {
            output.out(PlainLine(picture.Color(), name));
            continue;
        }
        ColorExplanation why;
        const TColor color = picture.Color(&why);
        if (report == Report::Json) {
            output.out(JsonLine(name, why, ArgumentBytes));
        } else if (report == Report::Explain) {
            output.out(ExplainText(name, why));
        } else {
            std::vector<std::uint8_t> png;
            if (const Bitmap24* small = thumbnail.Picture())
                png = EncodePng(small->View());
            const std::string svg =
                ColorSheet(name, why, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()));
            if (!files.WriteAtomically(PathOf(sheet), std::span(reinterpret_cast<const std::uint8_t*>(svg.data()),
                                                                 svg.size()))) {
                output.err("hueglass-color: " + sheet + ": cannot be written\n");
                status = 1;
                continue;
            }
            output.out(PlainLine(color, name));
        }
    }
    return status;
}

} // namespace hg

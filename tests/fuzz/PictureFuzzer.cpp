// The wallpaper as the program loads it: a file read through the file port,
// decoded by its extension and then by content, its colour and corners
// gathered from the rows. The file's extension and the colour request vary
// with the input's length, so the corpus stays made of plain picture files.
#include "FuzzChecks.h"
#include "color/ImageColor.h"
#include "color/Wallpaper.h"
#include "fakes/platform/FakePorts.h"
#include "manual/CustomColors.h"

using namespace hg;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hg::fuzz;
    static const wchar_t* const names[] = {L"C:\\Wallpaper", L"C:\\Wallpaper.jpg", L"C:\\Wallpaper.png",
                                           L"C:\\Wallpaper.bmp"};
    const std::wstring path = names[size % 4];
    // The average is a plain sum over every pixel: natively a small fraction
    // of a second even for the largest pictures, but many times slower with
    // the fuzzer's instrumentation. It is asked for up to 16 megapixels; the
    // predominant colour reads only a grid of rows at any size.
    const auto claimed = ClaimedSize({data, size});
    const auto pixels = ClaimedPixels(claimed);
    const bool average = (size / 4) % 2 == 1 && pixels && *pixels <= (std::int64_t{1} << 24);
    const ImageColorChoice request{average ? ColorModeAverage : ColorModePredominant, (size / 8) % 2 == 1};

    hg::testing::FakeFileSystem files;
    files.files[path].bytes.assign(data, data + size);

    PictureColorRows colour(request);
    CheckedRows checked(colour);
    const std::string error = LoadWallpaperRows(files, path, checked);

    // The bitmap of the same file needs more memory than the running sums,
    // so it loads only where they did; both see the same picture. Compared
    // for pictures of up to 4 megapixels.
    const bool compare = Comparable(claimed);
    const PictureResult picture = compare ? LoadWallpaperBitmap(files, path) : PictureResult::Fail("not compared");
    if (!error.empty()) {
        Require(!picture, "the bitmap loads where the colour could not");
        return 0;
    }
    checked.RequireComplete();
    const auto [width, height] = checked.Size();
    if (claimed)
        Require(claimed->first == width && claimed->second == height, "the picture's size is not its header's");
    if (!compare)
        return 0;
    Require(picture.bitmap.has_value(), "the colour loads but the bitmap does not");
    Require(picture.bitmap->Width() == width && picture.bitmap->Height() == height, "the bitmap has another size");
    Require(colour.Color() == ImageColor(picture.bitmap->View(), request.nColorMode, request.IgnoreDarkLigthColors),
            "the colour gathered from the rows is not the bitmap's");
    Require(colour.Corners() == *CornersOf(*picture.bitmap), "the corners gathered from the rows are not the bitmap's");
    return 0;
}

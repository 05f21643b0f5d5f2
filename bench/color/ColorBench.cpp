// ImageColor on a decoded 3840x2160 bitmap against memcpy of the same bitmap,
// and the colour of each wallpaper in bench/data/color (load from the file
// plus colour, as the program does) against the floors of the same run: the
// bare library decode into a full bitmap, into one reused row buffer, and for
// sequential JPEG a decode that skips to just the rows the predominant colour
// reads.
#include "cli/ColorReport.h"
#include "color/Decoders.h"
#include "color/ImageColor.h"
#include "color/Thumbnail.h"
#include "color/Wallpaper.h"
#include "platform/StdFileSystem.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

fs::path DataFolder() {
    const char* env = std::getenv("HUEGLASS_BENCH_DATA");
    return env ? fs::path(env) : fs::path(HUEGLASS_BENCH_DATA);
}

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The 3840x2160 wallpaper when present, otherwise a synthetic picture of the
// same size (smooth gradients with noise, so no branch predicts it).
hg::Bitmap24 UhdBitmap() {
    hg::StdFileSystem files;
    for (const char* name : {"backgrounds_mate_abstract_Elephants_3840x2160.baseline.jpg",
                             "backgrounds_mate_abstract_Elephants_3840x2160.jpg"}) {
        auto picture = hg::LoadWallpaperBitmap(files, DataFolder() / name);
        if (picture)
            return std::move(*picture.bitmap);
    }
    auto bitmap = hg::Bitmap24::Allocate(3840, 2160);
    std::uint32_t seed = 12345;
    for (int y = 0; y < 2160; ++y)
        for (int x = 0; x < 3840 * 3; ++x) {
            seed = seed * 1664525u + 1013904223u;
            bitmap->Row(y)[x] = static_cast<std::uint8_t>((x / 16 + y / 9) + (seed >> 28));
        }
    return std::move(*bitmap);
}

const hg::Bitmap24& Uhd() {
    static const hg::Bitmap24 bitmap = UhdBitmap();
    return bitmap;
}

void BM_ImageColorPredominant(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(hg::ImageColor(Uhd().View(), hg::ColorModePredominant, false));
}
void BM_ImageColorAverage(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(hg::ImageColor(Uhd().View(), hg::ColorModeAverage, false));
}
void BM_ImageColorAverageFiltered(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(hg::ImageColor(Uhd().View(), hg::ColorModeAverage, true));
}
// The same with the loop built for older processors.
void BM_ImageColorAverageFilteredSsse3(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(hg::detail::AverageColorWith(Uhd().View(), true, hg::detail::AverageKernel::Ssse3));
}
void BM_ImageColorAverageFilteredPortable(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(
            hg::detail::AverageColorWith(Uhd().View(), true, hg::detail::AverageKernel::Portable));
}
void BM_MemcpyOfTheBitmap(benchmark::State& state) {
    std::unique_ptr<std::uint8_t[]> target(new std::uint8_t[Uhd().SizeBytes()]);
    std::memset(target.get(), 0, Uhd().SizeBytes());
    for (auto _ : state) {
        std::memcpy(target.get(), Uhd().Data(), Uhd().SizeBytes());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ImageColorPredominant)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageColorAverage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageColorAverageFiltered)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageColorAverageFilteredSsse3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageColorAverageFilteredPortable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyOfTheBitmap)->Unit(benchmark::kMillisecond);

// ----- bare decodes: the library alone, from the file's bytes in memory -----

struct Target {
    std::unique_ptr<std::uint8_t[]> pixels;
    std::size_t size = 0;
};

// A fresh buffer is allocated for the decode and released after it, as a
// load's bitmap is; a reused one stays from one decode to the next.
std::uint8_t* Buffer(Target& target, std::size_t size, bool fresh) {
    if (fresh || target.size != size) {
        target.pixels.reset();
        target.pixels.reset(new std::uint8_t[size]);
        target.size = size;
    }
    return target.pixels.get();
}

// The rows ImageColor reads in predominant mode: every (width div 15)-th and
// the last (for the corners).
bool PredominantRow(JDIMENSION y, JDIMENSION width, JDIMENSION height) {
    const JDIMENSION step = width / 15;
    return y == height - 1 || (step > 0 && y % step == 0);
}

// libjpeg alone at its defaults, to blue, green, red. prepare(width, height)
// returns where row y goes. With skip only the predominant rows are decoded,
// the others skipped with jpeg_skip_scanlines.
template <class Prepare>
void BareJpegRows(const Bytes& file, bool skip, Prepare&& prepare) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    const JDIMENSION width = cinfo.output_width, height = cinfo.output_height;
    const auto rowAt = prepare(width, height);
    while (cinfo.output_scanline < height) {
        const JDIMENSION y = cinfo.output_scanline;
        if (skip && !PredominantRow(y, width, height)) {
            JDIMENSION next = y + 1;
            while (next < height && !PredominantRow(next, width, height))
                ++next;
            jpeg_skip_scanlines(&cinfo, next - y);
            continue;
        }
        JSAMPROW target = rowAt(y);
        jpeg_read_scanlines(&cinfo, &target, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}

void BareJpeg(const Bytes& file, Target& target, bool fresh) {
    BareJpegRows(file, false, [&](JDIMENSION width, JDIMENSION height) {
        const std::size_t stride = (width * 3 + 3) & ~3u;
        std::uint8_t* pixels = Buffer(target, stride * height, fresh);
        return [pixels, stride](JDIMENSION y) { return pixels + y * stride; };
    });
}

struct PngMemory {
    const Bytes* file;
    std::size_t position;
};

void ReadPng(png_structp png, png_bytep out, png_size_t count) {
    auto* memory = static_cast<PngMemory*>(png_get_io_ptr(png));
    std::memcpy(out, memory->file->data() + memory->position, count);
    memory->position += count;
}

// libpng alone: palette and grey expanded, 16 bits scaled, alpha stripped.
// prepare(width, height, passes) returns where row y goes.
template <class Prepare>
void BarePngRows(const Bytes& file, Prepare&& prepare) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    PngMemory memory{&file, 0};
    png_set_read_fn(png, &memory, ReadPng);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_strip_alpha(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const auto rowAt = prepare(png_get_image_width(png, info), height, passes);
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(png, rowAt(y), nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
}

void BarePng(const Bytes& file, Target& target, bool fresh) {
    BarePngRows(file, [&](png_uint_32 width, png_uint_32 height, int) {
        const std::size_t stride = (width * 3 + 3) & ~3u;
        std::uint8_t* pixels = Buffer(target, stride * height, fresh);
        return [pixels, stride](png_uint_32 y) { return pixels + y * stride; };
    });
}

// libjpeg alone, every row (or only the predominant rows) into one reused
// row buffer.
void JpegRows(const Bytes& file, std::vector<std::uint8_t>& row, bool skip) {
    BareJpegRows(file, skip, [&row](JDIMENSION width, JDIMENSION) {
        row.resize(width * 3);
        return [&row](JDIMENSION) { return row.data(); };
    });
    benchmark::DoNotOptimize(row.data());
}

// libpng alone, row by row into one reused row buffer (interlaced pictures
// into a full one).
void PngRows(const Bytes& file, std::vector<std::uint8_t>& row) {
    BarePngRows(file, [&row](png_uint_32 width, png_uint_32 height, int passes) {
        const std::size_t rowBytes = width * 3;
        row.resize(passes > 1 ? rowBytes * height : rowBytes);
        return [&row, rowBytes, passes](png_uint_32 y) { return row.data() + (passes > 1 ? y * rowBytes : 0); };
    });
    benchmark::DoNotOptimize(row.data());
}

void FloorRows(benchmark::State& state, const fs::path& path, bool skip) {
    const Bytes file = ReadFile(path);
    const bool jpeg = path.extension() == ".jpg";
    std::vector<std::uint8_t> row;
    for (auto _ : state) {
        if (jpeg)
            JpegRows(file, row, skip);
        else
            PngRows(file, row);
    }
}

void BareDecode(benchmark::State& state, const fs::path& path, bool fresh) {
    const Bytes file = ReadFile(path);
    const bool jpeg = path.extension() == ".jpg";
    Target target;
    for (auto _ : state) {
        if (jpeg)
            BareJpeg(file, target, fresh);
        else
            BarePng(file, target, fresh);
        benchmark::DoNotOptimize(target.pixels.get());
        if (fresh)
            target.pixels.reset();
    }
}

// What the program does: the file read whole, decoded from memory, the
// colour and corners gathered from the rows.
void LoadAndColor(benchmark::State& state, const fs::path& path, int mode) {
    hg::StdFileSystem files;
    for (auto _ : state) {
        hg::PictureColorRows rows({mode, false});
        const std::string error = hg::LoadWallpaperRows(files, path, rows);
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            break;
        }
        benchmark::DoNotOptimize(rows.Color());
    }
}

// hueglass-color --json: the same load and colour, with the explanation
// gathered on the way and written out.
void LoadAndExplain(benchmark::State& state, const fs::path& path, int mode) {
    hg::StdFileSystem files;
    for (auto _ : state) {
        hg::PictureColorRows rows({mode, false});
        const std::string error = hg::LoadWallpaperRows(files, path, rows);
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            break;
        }
        hg::ColorExplanation why;
        benchmark::DoNotOptimize(rows.Color(&why));
        benchmark::DoNotOptimize(hg::JsonLine(path.string(), why, hg::NameBytes::Posix));
    }
}

// hueglass-color --sheet: one decode for the colour and the thumbnail (made
// from the rows as they arrive), the thumbnail encoded as PNG, the SVG.
void LoadAndSheet(benchmark::State& state, const fs::path& path, int mode) {
    hg::StdFileSystem files;
    for (auto _ : state) {
        hg::PictureColorRows rows({mode, false});
        if (mode != hg::ColorModePredominant)
            rows.AlsoSumMidTones();
        hg::ThumbnailRows thumbnail(hg::SheetThumbnailWidth, hg::SheetThumbnailHeight);
        hg::BothRows both(rows, thumbnail);
        const std::string error = hg::LoadWallpaperRows(files, path, both);
        if (!error.empty() || !thumbnail.Complete()) {
            state.SkipWithError(error.empty() ? "no thumbnail" : error.c_str());
            break;
        }
        hg::ColorExplanation why;
        rows.Color(&why);
        const std::vector<std::uint8_t> png = hg::EncodePng(thumbnail.Picture()->View());
        benchmark::DoNotOptimize(
            hg::ColorSheet(path.string(), why, std::string_view(reinterpret_cast<const char*>(png.data()), png.size())));
    }
}

} // namespace

int main(int argc, char** argv) {
    std::vector<fs::path> wallpapers;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(DataFolder(), ec))
        if (entry.path().extension() == ".jpg" || entry.path().extension() == ".png")
            wallpapers.push_back(entry.path());
    std::sort(wallpapers.begin(), wallpapers.end());
    for (const fs::path& path : wallpapers) {
        const std::string name = path.filename().string();
        benchmark::RegisterBenchmark(("Wallpaper/" + name + "/bare_decode_fresh").c_str(),
                                     [path](benchmark::State& s) { BareDecode(s, path, true); })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Wallpaper/" + name + "/floor_rows").c_str(),
                                     [path](benchmark::State& s) { FloorRows(s, path, false); })
            ->Unit(benchmark::kMillisecond);
        if (path.extension() == ".jpg")
            benchmark::RegisterBenchmark(("Wallpaper/" + name + "/floor_skip").c_str(),
                                         [path](benchmark::State& s) { FloorRows(s, path, true); })
                ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Wallpaper/" + name + "/load_predominant").c_str(),
                                     [path](benchmark::State& s) { LoadAndColor(s, path, hg::ColorModePredominant); })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Wallpaper/" + name + "/load_average").c_str(),
                                     [path](benchmark::State& s) { LoadAndColor(s, path, hg::ColorModeAverage); })
            ->Unit(benchmark::kMillisecond);
        for (const auto& [mode, label] : {std::pair{hg::ColorModePredominant, "predominant"},
                                          std::pair{hg::ColorModeAverage, "average"}}) {
            benchmark::RegisterBenchmark(("Wallpaper/" + name + "/json_" + label).c_str(),
                                         [path, mode](benchmark::State& s) { LoadAndExplain(s, path, mode); })
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("Wallpaper/" + name + "/sheet_" + label).c_str(),
                                         [path, mode](benchmark::State& s) { LoadAndSheet(s, path, mode); })
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

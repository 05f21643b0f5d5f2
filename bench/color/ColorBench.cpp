// ImageColor on a decoded 3840x2160 bitmap against memcpy of the same bitmap,
// and load plus ImageColor of each wallpaper in bench/data/color against the
// bare library decode of the same file, in one binary.
#include "color/ImageColor.h"
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

void BareJpeg(const Bytes& file, Target& target, bool fresh) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    const std::size_t stride = (cinfo.output_width * 3 + 3) & ~3u;
    std::uint8_t* pixels = Buffer(target, stride * cinfo.output_height, fresh);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels + cinfo.output_scanline * stride;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
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

void BarePng(const Bytes& file, Target& target, bool fresh) {
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
    const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    const std::size_t stride = (width * 3 + 3) & ~3u;
    std::uint8_t* pixels = Buffer(target, stride * height, fresh);
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(png, pixels + y * stride, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
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

void LoadAndColor(benchmark::State& state, const fs::path& path, int mode) {
    hg::StdFileSystem files;
    for (auto _ : state) {
        const hg::PictureResult picture = hg::LoadWallpaperBitmap(files, path);
        if (!picture) {
            state.SkipWithError(picture.error.c_str());
            break;
        }
        benchmark::DoNotOptimize(hg::ImageColor(picture.bitmap->View(), mode, false));
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
        benchmark::RegisterBenchmark(("Wallpaper/" + name + "/bare_decode_reused").c_str(),
                                     [path](benchmark::State& s) { BareDecode(s, path, false); })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Wallpaper/" + name + "/load_predominant").c_str(),
                                     [path](benchmark::State& s) { LoadAndColor(s, path, hg::ColorModePredominant); })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Wallpaper/" + name + "/load_average").c_str(),
                                     [path](benchmark::State& s) { LoadAndColor(s, path, hg::ColorModeAverage); })
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// ppm-color [--average [--ignore-dark-light]] FILE
// The colour ImageColor gives for an 8-bit binary PPM (P6) or PAM (P7, grey or
// colour, alpha composited over white), printed as hueglass-color prints it. Used to check the decoders end to end against
// pixels from an independent decoder.
#include "color/ImageColor.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    bool average = false, ignore = false;
    const char* file = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--average") == 0)
            average = true;
        else if (std::strcmp(argv[i], "--ignore-dark-light") == 0)
            ignore = true;
        else
            file = argv[i];
    }
    std::ifstream in(file ? file : "", std::ios::binary);
    std::string magic, word;
    int width = 0, height = 0, max = 0, depth = 3;
    in >> magic;
    if (magic == "P6") {
        in >> width >> height >> max;
        in.get();
    } else if (magic == "P7") { // PAM: grey or colour, with or without alpha
        while (in >> word && word != "ENDHDR") {
            if (word == "WIDTH")
                in >> width;
            else if (word == "HEIGHT")
                in >> height;
            else if (word == "DEPTH")
                in >> depth;
            else if (word == "MAXVAL")
                in >> max;
            else
                std::getline(in, word);
        }
        in.get();
    }
    if (!in || max != 255 || depth < 1 || depth > 4) {
        std::fprintf(stderr, "ppm-color: %s: not an 8-bit PPM or PAM\n", file ? file : "(none)");
        return 1;
    }
    auto bitmap = hg::Bitmap24::Allocate(width, height);
    if (!bitmap)
        return 1;
    const bool grey = depth <= 2, alpha = depth == 2 || depth == 4;
    std::string row(static_cast<std::size_t>(width) * static_cast<std::size_t>(depth), '\0');
    for (int y = 0; y < height; ++y) {
        in.read(row.data(), static_cast<std::streamsize>(row.size()));
        for (int x = 0; x < width; ++x) {
            const auto at = [&](int k) { return static_cast<unsigned>(static_cast<unsigned char>(row[static_cast<std::size_t>(x * depth + k)])); };
            const unsigned r = at(0), g = grey ? r : at(1), b = grey ? r : at(2), a = alpha ? at(depth - 1) : 255;
            // Over white, rounded to nearest.
            const auto over = [a](unsigned c) { return static_cast<std::uint8_t>((c * a + 255 * (255 - a) + 127) / 255); };
            bitmap->Row(y)[3 * x] = over(b);
            bitmap->Row(y)[3 * x + 1] = over(g);
            bitmap->Row(y)[3 * x + 2] = over(r);
        }
    }
    if (!in)
        return 1;
    const hg::TColor c = hg::ImageColor(bitmap->View(), average ? hg::ColorModeAverage : hg::ColorModePredominant, ignore);
    std::printf("#%02X%02X%02X\t0x%08X\t%s\n", hg::RedOf(c), hg::GreenOf(c), hg::BlueOf(c), static_cast<unsigned>(c), file);
    return 0;
}

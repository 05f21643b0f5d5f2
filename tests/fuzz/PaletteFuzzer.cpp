// The colour dialog's custom colours as the settings value holds them (a
// user may edit it). Whatever palette a value gives is written as a value
// that gives the same palette again.
#include "FuzzChecks.h"
#include "manual/Palette.h"

using namespace hg;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hg::fuzz;
    std::wstring value;
    for (std::size_t i = 0; i < size; ++i)
        value += static_cast<wchar_t>(data[i]);

    const CustomColorPalette palette = ParseCustomColors(value);
    const std::wstring written = FormatCustomColors(palette);
    Require(ParseCustomColors(written) == palette, "the palette written reads back otherwise");
    Require(FormatCustomColors(ParseCustomColors(written)) == written, "the palette is written two ways");
    return 0;
}

// The bitmaps the popup menu receives for its item images, both ways: the
// premultiplied one that Windows menus blend and the opaque one for menus
// that do not blend (Wine's), checked pixel by pixel against their icon.
#include "tray/win32/TrayImages.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace hg::win32 {
namespace {

constexpr int kSize = 4;

// A kSize x kSize 32-bit bitmap, top row first.
BITMAPINFO TopDown32() {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kSize;
    info.bmiHeader.biHeight = -kSize;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// 32-bit pixels (0xAARRGGBB) of a bitmap, top row first; empty on failure.
std::vector<std::uint32_t> PixelsOf(HBITMAP bitmap) {
    BITMAPINFO info = TopDown32();
    std::vector<std::uint32_t> pixels(kSize * kSize);
    const HDC screen = ::GetDC(nullptr);
    const int rows = ::GetDIBits(screen, bitmap, 0, kSize, pixels.data(), &info, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    return rows == kSize ? pixels : std::vector<std::uint32_t>{};
}

// An icon of kSize x kSize from straight-alpha pixels and a mask (1 = not
// covered), as icon files hold them.
UniqueIcon MakeIcon(const std::vector<std::uint32_t>& pixels, const std::vector<bool>& uncovered) {
    BITMAPINFO info = TopDown32();
    void* bits = nullptr;
    const HDC screen = ::GetDC(nullptr);
    const UniqueBitmap colour(::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ::ReleaseDC(nullptr, screen);
    std::memcpy(bits, pixels.data(), pixels.size() * 4);
    // Monochrome rows are padded to 16 bits.
    std::vector<std::uint16_t> maskRows(kSize, 0);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            if (uncovered[static_cast<std::size_t>(y * kSize + x)])
                maskRows[static_cast<std::size_t>(y)] |= static_cast<std::uint16_t>(0x80 >> x);
    const UniqueBitmap mask(::CreateBitmap(kSize, kSize, 1, 1, maskRows.data()));
    ICONINFO parts{};
    parts.fIcon = TRUE;
    parts.hbmColor = colour.get();
    parts.hbmMask = mask.get();
    return UniqueIcon(::CreateIconIndirect(&parts));
}

// The icon's own colour pixels, as the system keeps them.
std::vector<std::uint32_t> IconPixels(HICON icon) {
    ICONINFO parts{};
    if (!::GetIconInfo(icon, &parts))
        return {};
    const UniqueBitmap colour(parts.hbmColor), mask(parts.hbmMask);
    return PixelsOf(colour.get());
}

std::uint32_t Channel(std::uint32_t pixel, int shift) {
    return (pixel >> shift) & 0xFF;
}

// Straight alpha, one pixel of each kind: clear, faint, half, nearly and
// fully opaque, in colours whose channels all differ.
const std::vector<std::uint32_t> kStraight = {
    0x00FF0000, 0x40FF0000, 0x8000FF00, 0xC00000FF, 0xFF123456, 0xFFFFFFFF, 0x80808080, 0x01FFFFFF,
    0xFE102030, 0x7F405060, 0x20A0B0C0, 0xFF000000, 0x10203040, 0xE0E0D0C0, 0x55AA55AA, 0xAA55AA55,
};

TEST(MenuItemBitmap, WindowsMenusReceiveTheIconPremultiplied) {
    const UniqueIcon icon = MakeIcon(kStraight, std::vector<bool>(kSize * kSize, false));
    ASSERT_TRUE(icon);
    const std::vector<std::uint32_t> source = IconPixels(icon.get());
    ASSERT_EQ(source, kStraight) << "the icon does not hold its pixels unchanged";
    const UniqueBitmap bitmap = MenuItemBitmap(icon.get(), false);
    ASSERT_TRUE(bitmap);
    const std::vector<std::uint32_t> menu = PixelsOf(bitmap.get());
    ASSERT_EQ(menu.size(), source.size());
    for (std::size_t i = 0; i < source.size(); ++i) {
        const std::uint32_t a = source[i] >> 24;
        EXPECT_EQ(menu[i] >> 24, a) << "pixel " << i;
        for (const int shift : {0, 8, 16})
            EXPECT_EQ(Channel(menu[i], shift), (Channel(source[i], shift) * a + 127) / 255)
                << "pixel " << i << " channel " << shift;
    }
}

TEST(MenuItemBitmap, ClassicMenusReceiveTheIconLaidOverTheMenuColour) {
    const UniqueIcon icon = MakeIcon(kStraight, std::vector<bool>(kSize * kSize, false));
    ASSERT_TRUE(icon);
    const std::vector<std::uint32_t> source = IconPixels(icon.get());
    const COLORREF under = ::GetSysColor(COLOR_MENU);
    const std::uint32_t back[3] = {GetBValue(under), GetGValue(under), GetRValue(under)};
    const UniqueBitmap bitmap = MenuItemBitmap(icon.get(), true);
    ASSERT_TRUE(bitmap);
    const std::vector<std::uint32_t> menu = PixelsOf(bitmap.get());
    ASSERT_EQ(menu.size(), source.size());
    for (std::size_t i = 0; i < source.size(); ++i) {
        const std::uint32_t a = source[i] >> 24;
        EXPECT_EQ(menu[i] >> 24, 0xFFu) << "pixel " << i << " is not opaque";
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(Channel(menu[i], 8 * c), (Channel(source[i], 8 * c) * a + back[c] * (255 - a) + 127) / 255)
                << "pixel " << i << " channel " << c;
    }
}

TEST(MenuItemBitmap, AnIconWithoutAlphaIsCutOutByItsMaskBothWays) {
    std::vector<std::uint32_t> opaque(kSize * kSize, 0x00336699); // no alpha at all
    std::vector<bool> uncovered(kSize * kSize, false);
    uncovered[0] = uncovered[5] = uncovered[15] = true;
    const UniqueIcon icon = MakeIcon(opaque, uncovered);
    ASSERT_TRUE(icon);
    const COLORREF under = ::GetSysColor(COLOR_MENU);
    const std::uint32_t menuColour = 0xFF000000 | GetRValue(under) << 16 | GetGValue(under) << 8 | GetBValue(under);
    const std::vector<std::uint32_t> blended = PixelsOf(MenuItemBitmap(icon.get(), false).get());
    const std::vector<std::uint32_t> classic = PixelsOf(MenuItemBitmap(icon.get(), true).get());
    ASSERT_EQ(blended.size(), opaque.size());
    ASSERT_EQ(classic.size(), opaque.size());
    for (std::size_t i = 0; i < opaque.size(); ++i) {
        EXPECT_EQ(blended[i], uncovered[i] ? 0u : 0xFF336699u) << "pixel " << i;
        EXPECT_EQ(classic[i], uncovered[i] ? menuColour : 0xFF336699u) << "pixel " << i;
    }
}

} // namespace
} // namespace hg::win32

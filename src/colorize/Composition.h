#pragma once
// Port: the platform side of colour output. The composition engine's
// colorization record, the user's accent colour preference and the classic
// system colours. Every entry point behind it may be missing; the
// implementation then skips the call.
#include "color/Color.h"
#include "color/SystemColors.h"

#include <cstdint>

namespace hg {

// The composition engine's colorization record: seven little-endian 32-bit
// fields, 28 bytes, exactly as the engine reads and writes it.
struct TDwmColorizationParams {
    std::uint32_t Color = 0; // 0xAARRGGBB
    std::uint32_t Afterglow = 0;
    std::uint32_t ColorBalance = 0;
    std::uint32_t AfterglowBalance = 0;
    std::uint32_t BlurBalance = 0;
    std::uint32_t GlassReflectionIntensity = 0;
    std::uint32_t OpaqueBlend = 0; // 0xFFFFFFFF opaque, 0 transparent

    friend bool operator==(const TDwmColorizationParams&, const TDwmColorizationParams&) = default;
};
static_assert(sizeof(TDwmColorizationParams) == 28);

// System colour elements (the platform's COLOR_* indices) that colour output
// touches. Named apart from the platform's macros, which portable code cannot
// see.
namespace SysColor {
inline constexpr int ScrollBar = 0;
inline constexpr int Background = 1;
inline constexpr int ActiveCaption = 2;
inline constexpr int InactiveCaption = 3;
inline constexpr int Menu = 4;
inline constexpr int Window = 5;
inline constexpr int ActiveBorder = 10;
inline constexpr int InactiveBorder = 11;
inline constexpr int AppWorkspace = 12;
inline constexpr int Highlight = 13;
inline constexpr int HighlightText = 14;
inline constexpr int BtnFace = 15;
inline constexpr int BtnShadow = 16;
inline constexpr int BtnHighlight = 20;
inline constexpr int DkShadow3D = 21;
inline constexpr int Light3D = 22;
inline constexpr int InfoBk = 24;
inline constexpr int HotLight = 26;
inline constexpr int GradientActiveCaption = 27;
inline constexpr int GradientInactiveCaption = 28;
inline constexpr int MenuHilight = 29;
inline constexpr int MenuBar = 30;
} // namespace SysColor

// The system colour table (ISystemColors) is read through the same port, so
// that the fade can resolve system-colour codes.
class Composition : public ISystemColors {
public:
    virtual ~Composition() = default;

    // Whether desktop composition is on right now; asked afresh on every call,
    // since the user can switch it while the program runs.
    virtual bool IsCompositionEnabled() = 0;
    // Whether both colorization entry points (read and apply) exist.
    virtual bool HasColorizationParams() const = 0;
    // Fills params from the engine; false when the engine refused, in which
    // case params is left as it was.
    virtual bool GetColorizationParams(TDwmColorizationParams& params) = 0;
    virtual void SetColorizationParams(const TDwmColorizationParams& params) = 0;
    // Sets the user's accent colour preference to the pair (first, second);
    // does nothing where the platform lacks the entry point.
    virtual void SetAccentColorPreference(TColor first, TColor second) = 0;

    // One system colour element; the change lasts until the user logs off.
    virtual void SetSysColor(int element, TColor value) = 0;
    // Tells every top-level window that the system colours changed.
    virtual void BroadcastSysColorChange() = 0;
};

} // namespace hg

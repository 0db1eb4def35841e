#pragma once
// Colour values: 0x00BBGGRR for an explicit colour (red in the low byte), or a system-colour code
// with the top bit set, resolved through a table that the Qt layer fills from the desktop palette.

#include <cstdint>

namespace vlz {

using TColor = std::int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNavy = 0x800000;

constexpr TColor RGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<TColor>(red | (green << 8) | (blue << 16));
}
constexpr std::uint8_t GetRValue(std::uint32_t color) {
    return color & 0xFF;
}
constexpr std::uint8_t GetGValue(std::uint32_t color) {
    return (color >> 8) & 0xFF;
}
constexpr std::uint8_t GetBValue(std::uint32_t color) {
    return (color >> 16) & 0xFF;
}

// System colours: the top bit set, the index of the system colour in the low byte.
constexpr bool IsSystemColor(TColor color) {
    return color < 0;
}
constexpr TColor SystemColor(int index) {
    return static_cast<TColor>(0x80000000u | static_cast<std::uint32_t>(index));
}
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNTEXT = 18;
constexpr int SystemColorCount = 31;
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);

// Sets the RGB value behind a system colour (the Qt layer does this from the desktop palette).
void SetSystemColor(int index, TColor rgb);

// The explicit 0x00BBGGRR value of any colour; an unknown system colour gives black.
TColor ColorToRGB(TColor color);

}  // namespace vlz

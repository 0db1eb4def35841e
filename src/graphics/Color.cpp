#include "graphics/Color.h"

#include <array>

namespace vlz {
namespace {

// Classic desktop colours, used until the Qt layer reads the real ones.
std::array<TColor, SystemColorCount> systemColors = [] {
    std::array<TColor, SystemColorCount> colors{};
    colors.fill(RGB(192, 192, 192));
    colors[COLOR_WINDOW] = RGB(255, 255, 255);
    colors[COLOR_WINDOWTEXT] = RGB(0, 0, 0);
    colors[COLOR_BTNFACE] = RGB(240, 240, 240);
    colors[COLOR_BTNTEXT] = RGB(0, 0, 0);
    colors[COLOR_HIGHLIGHT] = RGB(0, 120, 215);
    colors[COLOR_HIGHLIGHTTEXT] = RGB(255, 255, 255);
    return colors;
}();

}  // namespace

void SetSystemColor(int index, TColor rgb) {
    if (index >= 0 && index < SystemColorCount) {
        systemColors[static_cast<std::size_t>(index)] = rgb & 0xFFFFFF;
    }
}

TColor ColorToRGB(TColor color) {
    if (!IsSystemColor(color)) {
        return color & 0xFFFFFF;
    }
    int index = color & 0xFF;
    return index < SystemColorCount ? systemColors[static_cast<std::size_t>(index)] : clBlack;
}

}  // namespace vlz

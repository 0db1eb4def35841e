#pragma once
// Small pictures kept as editable text: comment lines starting with '#', legend lines (one
// character, a space, then RRGGBB or "transparent"), then one line of characters per pixel row.

#include <cstdint>
#include <string_view>
#include <vector>

namespace vlz {

struct TPixelArt {
    int Width = 0;
    int Height = 0;
    // 0xAARRGGBB, row by row from the top.
    std::vector<std::uint32_t> Pixels;
};

// Throws Exception naming the line when a row has another width than the first one, a character
// is missing from the legend, or a colour is malformed.
TPixelArt ParsePixelArt(std::string_view text);

}  // namespace vlz

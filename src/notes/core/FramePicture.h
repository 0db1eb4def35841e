#pragma once
// The note's frame picture, drawn by code: a raised tan panel, a sunken black inset under the
// memo, and stripes behind the character box.

#include <cstdint>
#include <vector>

#include "notes/core/NoteLayout.h"

namespace vlz {

struct TFramePicture {
    static constexpr int Width = NoteWidth;
    static constexpr int Height = NoteHeight;
    static constexpr int Stride = Width * 3;
    // 24 bits per pixel, blue-green-red, rows from the top (DIB byte order, top-down).
    std::vector<std::uint8_t> Pixels;

    // 0x00RRGGBB of one pixel.
    std::uint32_t RGBAt(int x, int y) const;
};

TFramePicture MakeFramePicture();

}  // namespace vlz

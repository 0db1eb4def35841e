#pragma once
// Expands RLE8 and RLE4 pixel data into one index byte per pixel, with a second byte per pixel that
// tells whether the data set it at all. Malformed codes end the expansion where they start; nothing
// is read past the data or written past the picture.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vlz {

struct TExpandedRle {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Indices;  // picture rows, top row first
    std::vector<std::uint8_t> Written;  // 1 where the data set the pixel
};

// `bitCount` is 8 (RLE8) or 4 (RLE4). The data's first line is the picture's bottom row when
// `bottomUp`, else its top row.
void ExpandRle(const std::uint8_t* data, std::size_t size, int bitCount, int width, int height,
               bool bottomUp, TExpandedRle& out);

}  // namespace vlz

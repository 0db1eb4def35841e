#include "graphics/RleDecoder.h"

namespace vlz {

// Codes, as byte pairs:
//   n > 0, v      n pixels of v (RLE4: the two nibbles of v in turn, high first)
//   0, 0          end of line
//   0, 1          end of bitmap
//   0, 2, dx, dy  move right by dx and down (towards later lines) by dy
//   0, n >= 3     n literal pixels follow (RLE4: two per byte), padded to an even byte count
void ExpandRle(const std::uint8_t* data, std::size_t size, int bitCount, int width, int height,
               bool bottomUp, TExpandedRle& out) {
    out.Width = width;
    out.Height = height;
    std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    out.Indices.assign(pixels, 0);
    out.Written.assign(pixels, 0);

    std::int64_t x = 0, line = 0;  // line counts in data order
    std::size_t position = 0;
    auto put = [&](std::uint8_t value) {
        if (x < width && line < height) {
            std::int64_t row = bottomUp ? height - 1 - line : line;
            std::size_t at = static_cast<std::size_t>(row * width + x);
            out.Indices[at] = value;
            out.Written[at] = 1;
        }
        ++x;
    };
    while (position + 2 <= size && line < height) {
        std::uint8_t count = data[position], value = data[position + 1];
        position += 2;
        if (count > 0) {
            for (int i = 0; i < count && x < width; ++i) {
                put(bitCount == 8 ? value : ((i & 1) ? value & 0x0F : value >> 4));
            }
            continue;
        }
        if (value == 0) {
            x = 0;
            ++line;
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            if (position + 2 > size) {
                return;
            }
            x += data[position];
            line += data[position + 1];
            position += 2;
        } else {
            std::size_t bytes = bitCount == 8 ? value : (value + 1u) / 2;
            if (position + bytes > size) {
                return;
            }
            for (int i = 0; i < value; ++i) {
                std::uint8_t byte = data[position + (bitCount == 8 ? i : i / 2)];
                put(bitCount == 8 ? byte : ((i & 1) ? byte & 0x0F : byte >> 4));
            }
            position += (bytes + 1) & ~std::size_t{1};
        }
    }
}

}  // namespace vlz

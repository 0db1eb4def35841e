#pragma once
// Small BMP files for tests, written field by field. Pixels are given top row first: colour
// values 0x00BBGGRR for 24 bits, palette indexes for 1, 4 and 8 bits.

#include <cstdint>
#include <string>
#include <vector>

#include "characters/PackageWriter.h"

namespace vlz::testing {

inline void Put(std::vector<std::uint8_t>& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

// `palette` entries are 0x00RRGGBB as written in a BMP colour table (blue in the low byte).
inline std::vector<std::uint8_t> MakeBmp(int width, int height, int bitCount,
                                         const std::vector<std::uint32_t>& pixels,
                                         const std::vector<std::uint32_t>& palette = {}) {
    const std::uint32_t stride = ((static_cast<std::uint32_t>(width * bitCount) + 31) / 32) * 4;
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(height);
    const std::uint32_t offBits = 14 + 40 + 4 * static_cast<std::uint32_t>(palette.size());
    std::vector<std::uint8_t> bytes{'B', 'M'};
    Put(bytes, offBits + imageSize, 4);
    Put(bytes, 0, 4);
    Put(bytes, offBits, 4);
    Put(bytes, 40, 4);
    Put(bytes, static_cast<std::uint32_t>(width), 4);
    Put(bytes, static_cast<std::uint32_t>(height), 4);  // bottom-up
    Put(bytes, 1, 2);
    Put(bytes, static_cast<std::uint32_t>(bitCount), 2);
    Put(bytes, 0, 4);  // BI_RGB
    Put(bytes, imageSize, 4);
    Put(bytes, 2835, 4);
    Put(bytes, 2835, 4);
    Put(bytes, static_cast<std::uint32_t>(palette.size()), 4);
    Put(bytes, 0, 4);
    for (std::uint32_t entry : palette) {
        Put(bytes, entry, 4);
    }
    for (int y = height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(stride, 0);
        for (int x = 0; x < width; ++x) {
            std::uint32_t value = pixels[static_cast<std::size_t>(y * width + x)];
            switch (bitCount) {
                case 24:
                    row[3 * x] = static_cast<std::uint8_t>(value >> 16);
                    row[3 * x + 1] = static_cast<std::uint8_t>(value >> 8);
                    row[3 * x + 2] = static_cast<std::uint8_t>(value);
                    break;
                case 8:
                    row[x] = static_cast<std::uint8_t>(value);
                    break;
                case 4:
                    row[x / 2] |= static_cast<std::uint8_t>((value & 0x0F) << (x % 2 == 0 ? 4 : 0));
                    break;
                case 1:
                    row[x / 8] |= static_cast<std::uint8_t>((value & 1) << (7 - x % 8));
                    break;
            }
        }
        bytes.insert(bytes.end(), row.begin(), row.end());
    }
    return bytes;
}

// An 8-bit RLE picture of one colour-0 run per row.
inline std::vector<std::uint8_t> MakeRle8Bmp(int width, int height) {
    std::vector<std::uint8_t> data;
    for (int y = 0; y < height; ++y) {
        data.insert(data.end(), {static_cast<std::uint8_t>(width), 0, 0, 0});
    }
    data.back() = 1;  // end of bitmap instead of the last end of line
    std::vector<std::uint8_t> bytes{'B', 'M'};
    const std::uint32_t offBits = 14 + 40 + 4 * 2;
    Put(bytes, offBits + static_cast<std::uint32_t>(data.size()), 4);
    Put(bytes, 0, 4);
    Put(bytes, offBits, 4);
    Put(bytes, 40, 4);
    Put(bytes, static_cast<std::uint32_t>(width), 4);
    Put(bytes, static_cast<std::uint32_t>(height), 4);
    Put(bytes, 1, 2);
    Put(bytes, 8, 2);
    Put(bytes, 1, 4);  // BI_RLE8
    Put(bytes, static_cast<std::uint32_t>(data.size()), 4);
    Put(bytes, 0, 4);
    Put(bytes, 0, 4);
    Put(bytes, 2, 4);
    Put(bytes, 0, 4);
    Put(bytes, 0x000000, 4);
    Put(bytes, 0xFFFFFF, 4);
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

inline std::vector<std::uint8_t> Text(const std::string& text) {
    return {text.begin(), text.end()};
}

// A package of a description and a picture.
inline std::vector<std::uint8_t> MakeCharacterPackage(const std::string& description,
                                                      const std::vector<std::uint8_t>& picture) {
    return BuildPackage({{"desc.txt", Text(description)}, {"image.bmp", picture}});
}

inline std::string Description(const std::string& name, int width, int height, int count,
                               int interval = 100) {
    return "Name=" + name + "\r\nPatternWidth=" + std::to_string(width) +
           "\r\nPatternHeight=" + std::to_string(height) +
           "\r\nPatternCount=" + std::to_string(count) +
           "\r\nAnimationInterval=" + std::to_string(interval) + "\r\n";
}

}  // namespace vlz::testing

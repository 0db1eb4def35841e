#pragma once
// The files a character's author brings to vlfpack, made in the test: BMP files of every header
// and depth, written field by field, and PNG files. Pixels are given top row first.

#include <stb/stb_image_write.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vlz::testing {

inline void PutField(std::vector<std::uint8_t>& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

struct BmpLayout {
    std::uint32_t HeaderSize = 40;  // 40, 108 or 124
    int BitCount = 24;              // 16, 24 or 32
    std::uint32_t Compression = 0;  // BI_RGB 0, BI_BITFIELDS 3
    // Red, green, blue and alpha masks: after a 40-byte BI_BITFIELDS header the first three,
    // inside a 108- or 124-byte header all four.
    std::uint32_t Masks[4] = {0, 0, 0, 0};
    bool TopDown = false;
};

// `units` are the stored pixel values: 0xAARRGGBB at 32 bits, 0x00RRGGBB at 24, the 16-bit unit.
inline std::vector<std::uint8_t> MakeAuthorBmp(int width, int height, const BmpLayout& layout,
                                               const std::vector<std::uint32_t>& units) {
    const int bytesPerPixel = layout.BitCount / 8;
    const std::uint32_t stride = (static_cast<std::uint32_t>(width * bytesPerPixel) + 3) / 4 * 4;
    std::vector<std::uint8_t> pixels;
    for (int row = 0; row < height; ++row) {
        int y = layout.TopDown ? row : height - 1 - row;
        std::size_t start = pixels.size();
        for (int x = 0; x < width; ++x) {
            PutField(pixels, units[static_cast<std::size_t>(y * width + x)], bytesPerPixel);
        }
        pixels.resize(start + stride, 0);
    }
    const bool separateMasks = layout.HeaderSize == 40 && layout.Compression == 3;
    const std::uint32_t offBits = 14 + layout.HeaderSize + (separateMasks ? 12 : 0);

    std::vector<std::uint8_t> bytes{'B', 'M'};
    PutField(bytes, offBits + static_cast<std::uint32_t>(pixels.size()), 4);  // bfSize
    PutField(bytes, 0, 4);                                                    // reserved
    PutField(bytes, offBits, 4);                                              // bfOffBits
    PutField(bytes, layout.HeaderSize, 4);
    PutField(bytes, static_cast<std::uint32_t>(width), 4);
    PutField(bytes, static_cast<std::uint32_t>(layout.TopDown ? -height : height), 4);
    PutField(bytes, 1, 2);  // planes
    PutField(bytes, static_cast<std::uint32_t>(layout.BitCount), 2);
    PutField(bytes, layout.Compression, 4);
    PutField(bytes, static_cast<std::uint32_t>(pixels.size()), 4);  // biSizeImage
    PutField(bytes, 2835, 4);                                       // 72 dots per inch
    PutField(bytes, 2835, 4);
    PutField(bytes, 0, 4);  // colours used
    PutField(bytes, 0, 4);  // colours important
    if (separateMasks) {
        for (int i = 0; i < 3; ++i) {
            PutField(bytes, layout.Masks[i], 4);
        }
    }
    if (layout.HeaderSize >= 108) {
        for (std::uint32_t mask : layout.Masks) {
            PutField(bytes, mask, 4);
        }
        PutField(bytes, 0x73524742, 4);           // LCS_sRGB
        bytes.resize(bytes.size() + 36 + 12, 0);  // end points, gamma
    }
    if (layout.HeaderSize == 124) {
        PutField(bytes, 4, 4);  // intent: LCS_GM_IMAGES
        PutField(bytes, 0, 4);  // profile data
        PutField(bytes, 0, 4);  // profile size
        PutField(bytes, 0, 4);  // reserved
    }
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    return bytes;
}

// The 32-bit layout that image editors write for pictures with alpha.
inline BmpLayout AlphaBitfields(std::uint32_t headerSize) {
    return {headerSize, 32, 3, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, false};
}

// `rgba` holds 0xAARRGGBB values.
inline std::vector<std::uint8_t> MakePng(int width, int height,
                                         const std::vector<std::uint32_t>& rgba) {
    std::vector<std::uint8_t> pixels;
    for (std::uint32_t value : rgba) {
        pixels.insert(
            pixels.end(),
            {static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
             static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 24)});
    }
    std::vector<std::uint8_t> bytes;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            auto* first = static_cast<std::uint8_t*>(data);
            static_cast<std::vector<std::uint8_t>*>(context)->insert(
                static_cast<std::vector<std::uint8_t>*>(context)->end(), first, first + size);
        },
        &bytes, width, height, 4, pixels.data(), width * 4);
    return bytes;
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace vlz::testing

#pragma once
// Pixel records for converter tests: heap blocks released with the record, and builders for
// small images given pixel by pixel.

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "dib/PxDIBInfos.h"
#include "dib/PxMemory.h"

namespace vlz::test {

// A TPxDIBInfos that owns its heap block.
struct TOwnedInfos {
    TPxDIBInfos Infos;

    TOwnedInfos() = default;
    TOwnedInfos(const TOwnedInfos&) = delete;
    TOwnedInfos& operator=(const TOwnedInfos&) = delete;
    ~TOwnedInfos() { FreeMemory(Infos.MappingHandle, Infos.Bits, false); }

    const TPxDIBInfos& operator*() const { return Infos; }
    TPxDIBInfos& operator*() { return Infos; }
    const TPxDIBInfos* operator->() const { return &Infos; }
    TPxDIBInfos* operator->() { return &Infos; }

    std::int32_t Stride() const {
        return static_cast<std::int32_t>(DibStride(Infos.Header.biBitCount, Infos.Header.biWidth));
    }
    const std::uint8_t* Row(int y) const { return Infos.Bits + y * Stride(); }
    std::uint8_t* Row(int y) { return Infos.Bits + y * Stride(); }

    // Palette index of pixel (x, y) in memory order, for 1, 4 and 8 bits.
    int IndexAt(int x, int y) const {
        const std::uint8_t* row = Row(y);
        switch (Infos.Header.biBitCount) {
            case 1:
                return (row[x / 8] >> (7 - x % 8)) & 1;
            case 4:
                return x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4;
            default:
                return row[x];
        }
    }
    // The colour pixel (x, y) shows, through the table for palette formats.
    RGBQUAD ColorAt(int x, int y) const {
        if (Infos.Header.biBitCount == 24) {
            const std::uint8_t* pixel = Row(y) + 3 * x;
            return {pixel[0], pixel[1], pixel[2], 0};
        }
        return Infos.Colors[IndexAt(x, y)];
    }
};

// An uncompressed image with a zero-filled heap block, a header like CreateDIB's and `colors`
// table entries in use.
inline void MakeImage(TOwnedInfos& image, int width, int height, int bitCount, int colors = 0) {
    TPxDIBInfos& infos = *image;
    infos.Header = {};
    infos.Header.biSize = 40;
    infos.Header.biWidth = width;
    infos.Header.biHeight = height;
    infos.Header.biPlanes = 1;
    infos.Header.biBitCount = static_cast<std::uint16_t>(bitCount);
    infos.Header.biCompression = BI_RGB;
    infos.Header.biClrUsed = static_cast<std::uint32_t>(colors);
    const std::int32_t size =
        static_cast<std::int32_t>(DibStride(bitCount, width) * (height < 0 ? -height : height));
    GetMemory(size, infos.MappingHandle, infos.Bits, false);
    infos.ImageSize = size;
}

inline void SetPixel24(TOwnedInfos& image, int x, int y, std::uint8_t red, std::uint8_t green,
                       std::uint8_t blue) {
    std::uint8_t* pixel = image.Row(y) + 3 * x;
    pixel[0] = blue;
    pixel[1] = green;
    pixel[2] = red;
}

inline void SetIndex(TOwnedInfos& image, int x, int y, int index) {
    std::uint8_t* row = image.Row(y);
    switch (image->Header.biBitCount) {
        case 1:
            row[x / 8] = static_cast<std::uint8_t>((row[x / 8] & ~(0x80 >> x % 8)) |
                                                   (index ? 0x80 >> x % 8 : 0));
            break;
        case 4:
            row[x / 2] = static_cast<std::uint8_t>(x % 2 ? (row[x / 2] & 0xF0) | index
                                                         : (row[x / 2] & 0x0F) | (index << 4));
            break;
        default:
            row[x] = static_cast<std::uint8_t>(index);
    }
}

// Random pixels (and, for palette formats, a random full table).
inline void FillRandom(TOwnedInfos& image, std::mt19937& random) {
    const int bitCount = image->Header.biBitCount;
    const int width = image->Header.biWidth;
    const int height =
        image->Header.biHeight < 0 ? -image->Header.biHeight : image->Header.biHeight;
    std::uniform_int_distribution<int> byte(0, 255);
    for (RGBQUAD& color : image->Colors) {
        color = {static_cast<std::uint8_t>(byte(random)), static_cast<std::uint8_t>(byte(random)),
                 static_cast<std::uint8_t>(byte(random)), 0};
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (bitCount == 24) {
                SetPixel24(image, x, y, static_cast<std::uint8_t>(byte(random)),
                           static_cast<std::uint8_t>(byte(random)),
                           static_cast<std::uint8_t>(byte(random)));
            } else {
                SetIndex(image, x, y, byte(random) & ((1 << bitCount) - 1));
            }
        }
    }
}

}  // namespace vlz::test

#pragma once
// Builds BMP file images and packed DIBs byte by byte for the loader tests, independently of the
// library's own header writer.

#include <cstdint>
#include <vector>

#include "dib/PxInternalDIB.h"

namespace vlz::test {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& bytes, std::uint32_t value) {
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void Put32(Bytes& bytes, std::uint32_t value) {
    Put16(bytes, value & 0xFFFF);
    Put16(bytes, value >> 16);
}

struct InfoHeader {
    std::int32_t Width = 1;
    std::int32_t Height = 1;
    std::uint16_t BitCount = 8;
    std::uint32_t Compression = BI_RGB;
    std::uint32_t ClrUsed = 0;
    std::int32_t PelsPerMeter = 0;
    std::uint32_t Size = 40;
};

// The 40-byte header (or `Size` bytes of it padded with zeros, for larger versions).
inline Bytes InfoHeaderBytes(const InfoHeader& info) {
    Bytes bytes;
    Put32(bytes, info.Size);
    Put32(bytes, static_cast<std::uint32_t>(info.Width));
    Put32(bytes, static_cast<std::uint32_t>(info.Height));
    Put16(bytes, 1);  // biPlanes
    Put16(bytes, info.BitCount);
    Put32(bytes, info.Compression);
    Put32(bytes, 0);  // biSizeImage
    Put32(bytes, static_cast<std::uint32_t>(info.PelsPerMeter));
    Put32(bytes, static_cast<std::uint32_t>(info.PelsPerMeter));
    Put32(bytes, info.ClrUsed);
    Put32(bytes, 0);  // biClrImportant
    bytes.resize(info.Size < 40 ? 40 : info.Size);
    return bytes;
}

// A whole file: file header, `header` bytes (info or core, with table), `gap` bytes, pixels.
// `offBitsAdjust` moves bfOffBits away from where the data really starts.
inline Bytes BmpFile(const Bytes& header, const Bytes& pixels, std::uint32_t gap = 0,
                     std::int32_t offBitsAdjust = 0) {
    auto offBits = static_cast<std::uint32_t>(14 + header.size() + gap);
    Bytes file;
    Put16(file, 0x4D42);                                               // bfType "BM"
    Put32(file, offBits + static_cast<std::uint32_t>(pixels.size()));  // bfSize
    Put32(file, 0);                                                    // reserved
    Put32(file, offBits + static_cast<std::uint32_t>(offBitsAdjust));  // bfOffBits
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), gap, 0xEE);
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

inline Bytes Concat(Bytes first, const Bytes& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// Row r of an uncompressed store, in memory order.
inline const std::uint8_t* RowOf(const TPxInternalDIB& store, std::int32_t row) {
    return store.DIBInfos.Bits + row * RowStrideOf(store.DIBInfos.Header);
}

}  // namespace vlz::test

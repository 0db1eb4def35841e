#pragma once
// Shared body of the RLE decoder fuzz targets. Input: width (u16, taken mod 4096), height (i16,
// taken mod 1024, sign kept), then the stream. The bounds keep each run fast; the decoders' size
// checks are covered by the loaders' targets.
// Whatever decodes is encoded again; an image that encodes must decode back to the same pixels.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "dib/PxDIBError.h"
#include "dib/PxInternalDIB.h"
#include "dib/PxRLE.h"

namespace vlz {

template <int Bits>
int FuzzRLEDecoder(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    std::vector<std::uint8_t> stream(data + 4, data + size);
    TPxDIBInfos source;
    source.Header.biSize = 40;
    source.Header.biWidth = (data[0] | data[1] << 8) & 0x0FFF;
    source.Header.biHeight = static_cast<std::int16_t>(data[2] | data[3] << 8) % 1024;
    source.Header.biBitCount = Bits;
    source.Header.biCompression = Bits == 8 ? BI_RLE8 : BI_RLE4;
    source.Bits = stream.data();
    source.ImageSize = static_cast<std::int32_t>(stream.size());

    auto decode = Bits == 8 ? Convert8BitRLETo8BitRGB : Convert4BitRLETo4BitRGB;
    auto encode = Bits == 8 ? Convert8BitRGBTo8BitRLE : Convert4BitRGBTo4BitRLE;
    TPxDIBInfos decoded;
    try {
        decode(source, decoded, true);
    } catch (const EPxDIBError&) {
        return 0;
    }
    // Keep the round trip to sizes that run quickly.
    if (decoded.ImageSize <= (1 << 18)) {
        TPxDIBInfos encoded;
        bool compressed = true;
        try {
            encode(decoded, encoded, false);
        } catch (const EPxDIBCompressionFailed&) {
            compressed = false;
        }
        if (compressed) {
            TPxDIBInfos again;
            decode(encoded, again, false);
            std::int64_t stride = DibStride(Bits, decoded.Header.biWidth);
            std::int64_t rows = decoded.ImageSize / stride;
            bool topDown = decoded.Header.biHeight < 0;
            // The spare nibble of an odd 4-bit width may be written by a stream but is no pixel.
            std::int32_t width = decoded.Header.biWidth;
            auto wholeBytes = static_cast<std::size_t>(Bits == 8 ? width : width / 2);
            bool halfByte = Bits == 4 && (width & 1) != 0;
            for (std::int64_t row = 0; row < rows; ++row) {
                const std::uint8_t* expected =
                    decoded.Bits + (topDown ? rows - 1 - row : row) * stride;
                const std::uint8_t* actual = again.Bits + row * stride;
                if (std::memcmp(actual, expected, wholeBytes) != 0 ||
                    (halfByte && actual[wholeBytes] != (expected[wholeBytes] & 0xF0))) {
                    __builtin_trap();
                }
            }
            FreeMemory(again.MappingHandle, again.Bits, false);
            FreeMemory(encoded.MappingHandle, encoded.Bits, false);
        }
    }
    FreeMemory(decoded.MappingHandle, decoded.Bits, true);
    return 0;
}

}  // namespace vlz

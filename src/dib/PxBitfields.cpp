#include "dib/PxBitfields.h"

#include <array>
#include <cstring>

#include "dib/PxBlockGuard.h"
#include "dib/PxDIBError.h"
#include "dib/PxDIBHeader.h"
#include "dib/PxInternalDIB.h"
#include "platform/MemoryAdvice.h"

namespace vlz {

namespace {

struct TChannel {
    std::uint32_t Mask;
    std::int32_t Shift;  // brings the mask's top bit to bit 7; negative shifts left
    std::array<std::uint8_t, 256> Levels;  // channel bits so shifted → 0..255

    explicit TChannel(std::uint32_t mask) : Mask(mask), Shift(MaskShiftOf(mask)), Levels{} {
        // The mask so shifted, 128..255; channel bits never exceed it.
        std::uint32_t scale = Shift >= 0 ? mask >> Shift : mask << -Shift;
        for (std::uint32_t bits = 0; bits <= scale; ++bits) {
            Levels[bits] = static_cast<std::uint8_t>(bits * 255 / scale);
        }
    }

    std::uint8_t ValueOf(std::uint32_t pixel) const {
        std::uint32_t bits = pixel & Mask;
        return Levels[Shift >= 0 ? bits >> Shift : bits << -Shift];
    }
};

template <int BytesPerPixel>
void ExpandRow(const std::uint8_t* source, std::uint8_t* destination, std::int32_t width,
               const TChannel& red, const TChannel& green, const TChannel& blue) {
    for (std::int32_t x = 0; x < width; ++x, source += BytesPerPixel, destination += 3) {
        std::uint32_t pixel = source[0] | (static_cast<std::uint32_t>(source[1]) << 8);
        if constexpr (BytesPerPixel == 4) {
            pixel |= (static_cast<std::uint32_t>(source[2]) << 16) |
                     (static_cast<std::uint32_t>(source[3]) << 24);
        }
        destination[0] = blue.ValueOf(pixel);
        destination[1] = green.ValueOf(pixel);
        destination[2] = red.ValueOf(pixel);
    }
}

std::uint32_t MaskAt(const RGBQUAD& entry) {
    return entry.rgbBlue | (static_cast<std::uint32_t>(entry.rgbGreen) << 8) |
           (static_cast<std::uint32_t>(entry.rgbRed) << 16) |
           (static_cast<std::uint32_t>(entry.rgbReserved) << 24);
}

}  // namespace

std::int64_t BitfieldSourceStride(std::uint16_t bitCount, std::int32_t width) {
    return bitCount == 16 ? (static_cast<std::int64_t>(width) * 2 + 3) / 4 * 4
                          : static_cast<std::int64_t>(width) * 4;
}

void ExpandBitfieldsTo24Bit(TPxDIBInfos& infos,
                            const std::function<const std::uint8_t*(std::int32_t)>& rowAt,
                            bool useFileMapping) {
    BITMAPINFOHEADER& header = infos.Header;
    bool sixteen = header.biBitCount == 16;
    std::uint32_t redMask = sixteen ? 0x7C00 : 0x00FF0000;
    std::uint32_t greenMask = sixteen ? 0x03E0 : 0x0000FF00;
    std::uint32_t blueMask = sixteen ? 0x001F : 0x000000FF;
    if (header.biCompression != BI_RGB) {
        redMask = MaskAt(infos.Colors[0]);
        greenMask = MaskAt(infos.Colors[1]);
        blueMask = MaskAt(infos.Colors[2]);
    }
    if (redMask == 0 || greenMask == 0 || blueMask == 0) {
        throw EPxDIBInvalidDIB("TPxInternalDIB.LoadFromStream: Invalid Masks");
    }
    TChannel red(redMask), green(greenMask), blue(blueMask);

    std::int32_t width = header.biWidth;
    auto rows = static_cast<std::int32_t>(RowCountOf(header));
    std::int64_t stride = DibStride(24, width);
    TPxBlockGuard block(infos, static_cast<std::int32_t>(stride * rows), useFileMapping);
    // Every row gets written; mapping the block in one go beats a fault per page.
    PrepareForWriting(infos.Bits, static_cast<std::size_t>(infos.ImageSize));
    for (std::int32_t row = 0; row < rows; ++row) {
        // The block is zeroed, so the padding after each row's last pixel already is.
        std::uint8_t* destination = infos.Bits + row * stride;
        if (sixteen) {
            ExpandRow<2>(rowAt(row), destination, width, red, green, blue);
        } else {
            ExpandRow<4>(rowAt(row), destination, width, red, green, blue);
        }
    }

    if (header.biCompression == BI_BITFIELDS) {
        std::memmove(infos.Colors, infos.Colors + 3, 256 * sizeof(RGBQUAD));
    }
    header.biCompression = BI_RGB;
    header.biBitCount = 24;
    header.biSizeImage = 0;
    block.Release();
}

}  // namespace vlz

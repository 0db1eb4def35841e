#include "dib/PxTrueColorExpansion.h"

#include <string>

#include "dib/PxConverterSupport.h"
#include "dib/PxDIBError.h"

namespace vlz {
namespace {

template <int SourceBits>
void Expand(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping, const char* routine) {
    if (src.Header.biBitCount != SourceBits || src.Header.biCompression != BI_RGB) {
        throw EPxDIBBadDIBType(std::string(routine) +
                               ": Invalid Bitcount & Compression Combination");
    }
    const TPxRowLayout source = SourceLayout(src, routine);
    const TPxRowLayout target = DestinationLayout(source, 24, routine);
    TPxNewBlock block(target.Stride * target.Height, useFileMapping);

    for (std::int32_t y = 0; y < source.Height; ++y) {
        const std::uint8_t* in = SourceRow(src, source, y);
        std::uint8_t* out = block.Row(target, y);
        for (std::int32_t x = 0; x < source.Width; ++x) {
            const RGBQUAD& color = src.Colors[IndexAt(in, SourceBits, x)];
            out[0] = color.rgbBlue;
            out[1] = color.rgbGreen;
            out[2] = color.rgbRed;
            out += 3;
        }
    }

    TPxDIBInfos result = src;
    result.Header.biBitCount = 24;
    result.Header.biCompression = BI_RGB;
    result.Header.biSizeImage = 0;
    block.HandOver(result);
    dst = result;
}

}  // namespace

void Convert1BitRGBToTrueColor(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping) {
    Expand<1>(src, dst, useFileMapping, "Convert1BitRGBToTrueColor");
}

void Convert4BitRGBToTrueColor(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping) {
    Expand<4>(src, dst, useFileMapping, "Convert4BitRGBToTrueColor");
}

void Convert8BitRGBToTrueColor(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping) {
    Expand<8>(src, dst, useFileMapping, "Convert8BitRGBToTrueColor");
}

}  // namespace vlz

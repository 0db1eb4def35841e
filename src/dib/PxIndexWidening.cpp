#include "dib/PxIndexWidening.h"

#include <string>

#include "dib/PxConverterSupport.h"
#include "dib/PxDIBError.h"

namespace vlz {
namespace {

template <int SourceBits, int TargetBits>
void Widen(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping, const char* routine) {
    if (src.Header.biBitCount != SourceBits || src.Header.biCompression != BI_RGB) {
        throw EPxDIBBadDIBType(std::string(routine) +
                               ": Invalid Bitcount & Compression Combination");
    }
    const TPxRowLayout source = SourceLayout(src, routine);
    const TPxRowLayout target = DestinationLayout(source, TargetBits, routine);
    TPxNewBlock block(target.Stride * target.Height, useFileMapping);

    for (std::int32_t y = 0; y < source.Height; ++y) {
        const std::uint8_t* in = SourceRow(src, source, y);
        std::uint8_t* out = block.Row(target, y);
        if constexpr (SourceBits == 4) {
            // Two nibbles become two bytes; an odd width's padding nibble is not a pixel.
            for (std::int32_t x = 0; x < source.Width; ++x) {
                out[x] = Index4(in, x);
            }
        } else if constexpr (TargetBits == 8) {
            for (std::int32_t x = 0; x < source.Width; ++x) {
                out[x] = Index1(in, x);
            }
        } else {
            for (std::int32_t x = 0; x < source.Width; ++x) {
                PutIndex4(out, x, Index1(in, x));
            }
        }
    }

    TPxDIBInfos result = src;
    result.Header.biBitCount = TargetBits;
    result.Header.biCompression = BI_RGB;
    result.Header.biSizeImage = 0;
    block.HandOver(result);
    dst = result;
}

}  // namespace

void Convert1BitRGBTo4BitRGB(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping) {
    Widen<1, 4>(src, dst, useFileMapping, "Convert1BitRGBTo4BitRGB");
}

void Convert1BitRGBTo8BitRGB(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping) {
    Widen<1, 8>(src, dst, useFileMapping, "Convert1BitRGBTo8BitRGB");
}

void Convert4BitRGBTo8BitRGB(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping) {
    Widen<4, 8>(src, dst, useFileMapping, "Convert4BitRGBTo8BitRGB");
}

}  // namespace vlz

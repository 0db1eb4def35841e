#include "dib/PxColorMatch1Bit.h"

#include <array>
#include <string>

#include "dib/PxConverterSupport.h"
#include "dib/PxDIBError.h"

namespace vlz {
namespace {

struct TMatchColour {
    std::uint8_t Red, Green, Blue;
    explicit TMatchColour(std::uint32_t rgb)
        : Red(rgb & 0xFF), Green((rgb >> 8) & 0xFF), Blue((rgb >> 16) & 0xFF) {}
    bool Matches(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const {
        return red == Red && green == Green && blue == Blue;
    }
};

// Packs one bit per pixel, most significant first, into a zero-filled 1-bit row; `isWhite(x)`
// decides each pixel.
template <typename Decide>
void PackRow(std::uint8_t* out, std::int32_t width, Decide isWhite) {
    for (std::int32_t x = 0; x < width; ++x) {
        if (isWhite(x)) {
            out[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
        }
    }
}

template <typename Decide>
void Build(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping, const char* routine,
           Decide decideRow) {
    const TPxRowLayout source = SourceLayout(src, routine);
    const TPxRowLayout target = DestinationLayout(source, 1, routine);
    TPxNewBlock block(target.Stride * target.Height, useFileMapping);
    for (std::int32_t y = 0; y < source.Height; ++y) {
        decideRow(SourceRow(src, source, y), block.Row(target, y), source.Width);
    }
    TPxDIBInfos result = src;
    result.Header.biBitCount = 1;
    result.Header.biCompression = BI_RGB;
    result.Header.biSizeImage = 0;
    SetBlackAndWhitePalette(result);
    block.HandOver(result);
    dst = result;
}

template <int SourceBits>
void ConvertIndexed(const TPxDIBInfos& src, TPxDIBInfos& dst, std::uint32_t rgbColour,
                    bool useFileMapping, const char* routine) {
    // Decide once per table entry, not once per pixel.
    const TMatchColour colour(rgbColour);
    std::array<bool, 256> white{};
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD& entry = src.Colors[i];
        white[i] = colour.Matches(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
    }
    Build(src, dst, useFileMapping, routine,
          [&](const std::uint8_t* in, std::uint8_t* out, std::int32_t width) {
              PackRow(out, width,
                      [&](std::int32_t x) { return white[IndexAt(in, SourceBits, x)]; });
          });
}

}  // namespace

void ConvertTrueColorTo1BitRGB(const TPxDIBInfos& src, TPxDIBInfos& dst, std::uint32_t rgbColour,
                               bool useFileMapping) {
    static constexpr const char* routine = "ConvertTrueColorTo1BitRGB";
    if (src.Header.biBitCount != 24) {
        throw EPxDIBBadDIBType(std::string(routine) + ": Invalid Bitcount");
    }
    const TMatchColour colour(rgbColour);
    Build(src, dst, useFileMapping, routine,
          [&](const std::uint8_t* in, std::uint8_t* out, std::int32_t width) {
              PackRow(out, width, [&](std::int32_t x) {
                  const std::uint8_t* pixel = in + 3 * x;
                  return colour.Matches(pixel[2], pixel[1], pixel[0]);
              });
          });
}

void Convert8BitTo1BitRGB(const TPxDIBInfos& src, TPxDIBInfos& dst, std::uint32_t rgbColour,
                          bool useFileMapping) {
    static constexpr const char* routine = "Convert8BitTo1BitRGB";
    if (src.Header.biBitCount != 8 || src.Header.biCompression != BI_RGB) {
        throw EPxDIBBadDIBType(std::string(routine) + ": Invalid Bitcount or Compression");
    }
    ConvertIndexed<8>(src, dst, rgbColour, useFileMapping, routine);
}

void Convert4BitRGBTo1BitRGB(const TPxDIBInfos& src, TPxDIBInfos& dst, std::uint32_t rgbColour,
                             bool useFileMapping) {
    static constexpr const char* routine = "Convert4BitRGBTo1BitRGB";
    if (src.Header.biBitCount != 4 || src.Header.biCompression != BI_RGB) {
        throw EPxDIBBadDIBType(std::string(routine) + ": Invalid Bitcount");
    }
    ConvertIndexed<4>(src, dst, rgbColour, useFileMapping, routine);
}

}  // namespace vlz

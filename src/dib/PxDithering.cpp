#include "dib/PxDithering.h"

#include <algorithm>
#include <string>
#include <vector>

#include "dib/PxConverterSupport.h"
#include "dib/PxDIBError.h"

namespace vlz {
namespace {

constexpr std::uint8_t RedLevels[6] = {0, 51, 102, 153, 204, 255};
constexpr std::uint8_t GreenLevels[7] = {0, 43, 85, 128, 171, 214, 255};
constexpr std::uint8_t BlueLevels[5] = {0, 64, 128, 192, 255};

// The first corrected value of each level above the lowest; a value below the first bound takes
// level 0. The bounds lie near the midpoints between levels.
constexpr int RedBounds[] = {26, 77, 128, 179, 231};
constexpr int GreenBounds[] = {22, 64, 107, 150, 193, 234};
constexpr int BlueBounds[] = {32, 96, 160, 224};

template <std::size_t N>
constexpr std::array<std::uint8_t, 256> LevelTable(const int (&bounds)[N]) {
    std::array<std::uint8_t, 256> table{};
    for (int v = 0; v < 256; ++v) {
        std::uint8_t level = 0;
        while (level < N && v >= bounds[level]) {
            ++level;
        }
        table[v] = level;
    }
    return table;
}

constexpr auto RedLevelOf = LevelTable(RedBounds);
constexpr auto GreenLevelOf = LevelTable(GreenBounds);
constexpr auto BlueLevelOf = LevelTable(BlueBounds);

// One pixel's errors, red, green, blue; rows of them carry one zero border entry on each side.
struct TErrors {
    std::int16_t Red = 0, Green = 0, Blue = 0;
};

// What the ditherer subtracts from a channel: 12/32 of the error above, 12/32 of the error of
// the previous pixel in scan order and 5/32 of the error above on the side the scan came from,
// truncated toward zero.
inline int Correction(int above, int left, int aboveBehind) {
    return (12 * above + 12 * left + 5 * aboveBehind) / 32;
}

inline std::uint8_t LevelIndex(const std::array<std::uint8_t, 256>& table, int value) {
    return table[std::clamp(value, 0, 255)];
}

struct THalftone {
    static constexpr int BitCount = 8;
    static constexpr const char* Routine = "ConvertToHalftone8Bit";
    static TErrors Quantize(int red, int green, int blue, std::uint8_t* out, std::int32_t x) {
        const std::uint8_t i = LevelIndex(RedLevelOf, red);
        const std::uint8_t j = LevelIndex(GreenLevelOf, green);
        const std::uint8_t k = LevelIndex(BlueLevelOf, blue);
        out[x] = static_cast<std::uint8_t>(i * 35 + j * 5 + k);
        return {static_cast<std::int16_t>(RedLevels[i] - red),
                static_cast<std::int16_t>(GreenLevels[j] - green),
                static_cast<std::int16_t>(BlueLevels[k] - blue)};
    }
    static void SetPalette(TPxDIBInfos& dst) {
        std::copy(HalftoneColors().begin(), HalftoneColors().end(), dst.Colors);
        dst.Header.biClrUsed = HalftoneColorCount;
    }
};

struct TMonochrome {
    static constexpr int BitCount = 1;
    static constexpr const char* Routine = "ConvertToMonochrome1Bit";
    static TErrors Quantize(int red, int green, int blue, std::uint8_t* out, std::int32_t x) {
        if (red + green + blue < 384) {
            return {static_cast<std::int16_t>(-red), static_cast<std::int16_t>(-green),
                    static_cast<std::int16_t>(-blue)};
        }
        out[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
        return {static_cast<std::int16_t>(255 - red), static_cast<std::int16_t>(255 - green),
                static_cast<std::int16_t>(255 - blue)};
    }
    static void SetPalette(TPxDIBInfos& dst) { SetBlackAndWhitePalette(dst); }
};

// Dithers one row of blue-green-red triples. `previous` and `current` are error rows of
// width + 2 entries; entry x + 1 belongs to column x.
template <typename Target, bool LeftToRight>
void DitherRow(const std::uint8_t* pixels, std::int32_t width, const TErrors* previous,
               TErrors* current, std::uint8_t* out) {
    TErrors left;
    for (std::int32_t step = 0; step < width; ++step) {
        const std::int32_t x = LeftToRight ? step : width - 1 - step;
        const std::uint8_t* pixel = pixels + 3 * x;
        const TErrors& above = previous[x + 1];
        const TErrors& behind = LeftToRight ? previous[x] : previous[x + 2];
        const int red = pixel[2] - Correction(above.Red, left.Red, behind.Red);
        const int green = pixel[1] - Correction(above.Green, left.Green, behind.Green);
        const int blue = pixel[0] - Correction(above.Blue, left.Blue, behind.Blue);
        left = Target::Quantize(red, green, blue, out, x);
        current[x + 1] = left;
    }
}

template <typename Target>
void Dither(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping) {
    const int bitCount = src.Header.biBitCount;
    if ((bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24) ||
        src.Header.biCompression != BI_RGB) {
        throw EPxDIBBadDIBType(std::string(Target::Routine) + ": Invalid Bitcount or Compression");
    }
    const TPxRowLayout source = SourceLayout(src, Target::Routine);
    const TPxRowLayout target = DestinationLayout(source, Target::BitCount, Target::Routine);
    TPxNewBlock block(target.Stride * target.Height, useFileMapping);

    const std::size_t errorEntries = static_cast<std::size_t>(source.Width) + 2;
    std::vector<TErrors> errorRows(2 * errorEntries);
    TErrors* previous = errorRows.data();
    TErrors* current = previous + errorEntries;
    // Palette images are looked up into one row of triples first, so that one kernel serves all.
    std::vector<std::uint8_t> expanded(bitCount == 24 ? 0
                                                      : 3 * static_cast<std::size_t>(source.Width));

    for (std::int32_t y = 0; y < source.Height; ++y) {
        // The errors just written become the row above; `current` is overwritten column by
        // column, and its borders stay zero.
        std::swap(previous, current);
        const std::uint8_t* in = SourceRow(src, source, y);
        const std::uint8_t* pixels = in;
        if (bitCount != 24) {
            for (std::int32_t x = 0; x < source.Width; ++x) {
                const RGBQUAD& color = src.Colors[IndexAt(in, bitCount, x)];
                expanded[3 * x] = color.rgbBlue;
                expanded[3 * x + 1] = color.rgbGreen;
                expanded[3 * x + 2] = color.rgbRed;
            }
            pixels = expanded.data();
        }
        std::uint8_t* out = block.Row(target, y);
        if (y % 2 == 0) {
            DitherRow<Target, true>(pixels, source.Width, previous, current, out);
        } else {
            DitherRow<Target, false>(pixels, source.Width, previous, current, out);
        }
    }

    TPxDIBInfos result = src;
    result.Header.biBitCount = Target::BitCount;
    result.Header.biCompression = BI_RGB;
    result.Header.biSizeImage = 0;
    Target::SetPalette(result);
    block.HandOver(result);
    dst = result;
}

}  // namespace

const std::array<RGBQUAD, HalftoneColorCount>& HalftoneColors() {
    static const std::array<RGBQUAD, HalftoneColorCount> colors = [] {
        std::array<RGBQUAD, HalftoneColorCount> table{};
        for (int i = 0; i < 6; ++i) {
            for (int j = 0; j < 7; ++j) {
                for (int k = 0; k < 5; ++k) {
                    table[i * 35 + j * 5 + k] = {BlueLevels[k], GreenLevels[j], RedLevels[i], 0};
                }
            }
        }
        // As blue, green, red: dark red, olive, purple, silver, grey.
        table[210] = {0, 0, 128, 0};
        table[211] = {0, 128, 128, 0};
        table[212] = {128, 0, 128, 0};
        table[213] = {192, 192, 192, 0};
        table[214] = {128, 128, 128, 0};
        return table;
    }();
    return colors;
}

void ConvertToHalftone8Bit(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping) {
    Dither<THalftone>(src, dst, useFileMapping);
}

void ConvertToMonochrome1Bit(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping) {
    Dither<TMonochrome>(src, dst, useFileMapping);
}

}  // namespace vlz

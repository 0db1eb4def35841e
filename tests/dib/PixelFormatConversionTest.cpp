// Converting a pixel store in place: the chains between all formats and the rule that the store
// changes only when every step succeeded.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dib/DibTestImages.h"
#include "dib/PxColorMatch1Bit.h"
#include "dib/PxColorReduction.h"
#include "dib/PxConversionProgress.h"
#include "dib/PxDIBError.h"
#include "dib/PxDithering.h"
#include "dib/PxInternalDIB.h"
#include "dib/PxRLE.h"

namespace vlz {
namespace {

constexpr std::uint32_t White = 0x00FFFFFF;
const char* const FormatNames[] = {"pf1Bit",    "pf4Bit",  "pf4BitRLE",      "pf8Bit",
                                   "pf8BitRLE", "pf24Bit", "pf8BitHalftone", "pf1BitMonochrome"};

int BitCountOf(int format) {
    static constexpr int bits[] = {1, 4, 4, 8, 8, 24, 8, 1};
    return bits[format];
}

bool IsRLE(int format) {
    return format == pf4BitRLE || format == pf8BitRLE;
}

// The colours of an image in picture order (top row first), RLE decoded on the way.
std::vector<RGBQUAD> ColorsOf(const TPxDIBInfos& infos) {
    test::TOwnedInfos decoded;
    const TPxDIBInfos* image = &infos;
    if (infos.Header.biCompression == BI_RLE8) {
        Convert8BitRLETo8BitRGB(infos, *decoded, false);
        image = &*decoded;
    } else if (infos.Header.biCompression == BI_RLE4) {
        Convert4BitRLETo4BitRGB(infos, *decoded, false);
        image = &*decoded;
    }
    const int width = image->Header.biWidth;
    const int height = std::abs(image->Header.biHeight);
    const std::int64_t stride = DibStride(image->Header.biBitCount, width);
    std::vector<RGBQUAD> colors;
    for (int row = 0; row < height; ++row) {
        const int y = image->Header.biHeight > 0 ? height - 1 - row : row;
        const std::uint8_t* bits = image->Bits + y * stride;
        for (int x = 0; x < width; ++x) {
            switch (image->Header.biBitCount) {
                case 24:
                    colors.push_back({bits[3 * x], bits[3 * x + 1], bits[3 * x + 2], 0});
                    break;
                case 8:
                    colors.push_back(image->Colors[bits[x]]);
                    break;
                case 4:
                    colors.push_back(image->Colors[x % 2 ? bits[x / 2] & 15 : bits[x / 2] >> 4]);
                    break;
                default:
                    colors.push_back(image->Colors[(bits[x / 8] >> (7 - x % 8)) & 1]);
            }
        }
    }
    return colors;
}

// Everything a failed conversion must leave as it was.
struct TSnapshot {
    TPxDIBInfos Infos;
    std::vector<std::uint8_t> Pixels;
    HPALETTE Palette;
    bool PaletteChanged;
    std::int32_t Width, Height;

    explicit TSnapshot(const TPxInternalDIB& store)
        : Infos(store.DIBInfos),
          Pixels(store.DIBInfos.Bits, store.DIBInfos.Bits + store.DIBInfos.ImageSize),
          Palette(store.Palette),
          PaletteChanged(store.PaletteChanged),
          Width(store.Width),
          Height(store.Height) {}

    void ExpectSameAs(const TPxInternalDIB& store) const {
        EXPECT_EQ(std::memcmp(&Infos, &store.DIBInfos, sizeof Infos), 0);
        EXPECT_EQ(Pixels, std::vector<std::uint8_t>(
                              store.DIBInfos.Bits, store.DIBInfos.Bits + store.DIBInfos.ImageSize));
        EXPECT_EQ(Palette, store.Palette);
        EXPECT_EQ(PaletteChanged, store.PaletteChanged);
        EXPECT_EQ(Width, store.Width);
        EXPECT_EQ(Height, store.Height);
    }
};

// A store of `format` with random content; rows of one index when `runs` is set, so that RLE
// encoding has something to compress. Its palette is cached and the change flag cleared, so that
// an invalidation shows.
std::unique_ptr<TPxInternalDIB> MakeStore(int format, int width, int height, bool runs,
                                          std::mt19937& random) {
    auto store = std::make_unique<TPxInternalDIB>(false);
    store->FreeDIB();
    const int bits = BitCountOf(format);
    store->CreateDIB(width, height, bits, bits == 24 ? 0 : 1 << bits);
    test::TOwnedInfos view;
    view.Infos = store->DIBInfos;
    test::FillRandom(view, random);
    std::memcpy(store->DIBInfos.Colors, view->Colors, sizeof view->Colors);
    if (runs && bits != 24) {
        for (int y = 0; y < std::abs(height); ++y) {
            const int index = view.IndexAt(0, y);
            for (int x = 0; x < width; ++x) {
                test::SetIndex(view, x, y, index);
            }
        }
    }
    view.Infos.Bits = nullptr;  // the store owns the block
    if (IsRLE(format)) {
        TPxDIBInfos encoded;
        if (format == pf4BitRLE) {
            Convert4BitRGBTo4BitRLE(store->DIBInfos, encoded, false);
        } else {
            Convert8BitRGBTo8BitRLE(store->DIBInfos, encoded, false);
        }
        FreeMemory(store->DIBInfos.MappingHandle, store->DIBInfos.Bits, false);
        store->DIBInfos = encoded;
    }
    store->Palette = store->CreatePaletteFromDIB();
    store->PaletteChanged = false;
    return store;
}

// What the direct converter makes of the uncompressed source, for the lossy targets.
std::vector<RGBQUAD> LossyExpectation(const TPxDIBInfos& source, int target, int reduction) {
    test::TOwnedInfos plain, result;
    const TPxDIBInfos* src = &source;
    if (source.Header.biCompression == BI_RLE8) {
        Convert8BitRLETo8BitRGB(source, *plain, false);
        src = &*plain;
    } else if (source.Header.biCompression == BI_RLE4) {
        Convert4BitRLETo4BitRGB(source, *plain, false);
        src = &*plain;
    }
    const int to = BitCountOf(target);
    if (target == pf8BitHalftone) {
        ConvertToHalftone8Bit(*src, *result, false);
    } else if (target == pf1BitMonochrome) {
        ConvertToMonochrome1Bit(*src, *result, false);
    } else if (to == 1) {
        std::vector<RGBQUAD> colors = ColorsOf(*src);
        for (RGBQUAD& color : colors) {
            const bool white = color.rgbRed == 255 && color.rgbGreen == 255 && color.rgbBlue == 255;
            color = white ? RGBQUAD{255, 255, 255, 0} : RGBQUAD{0, 0, 0, 0};
        }
        return colors;
    } else if (src->Header.biBitCount == 8) {
        Convert8BitRGBTo4BitRGB(*src, *result, false, nullptr);
    } else if (to == 8) {
        (reduction ? ConvertTrueColorTo8BitRGBHigh : ConvertTrueColorTo8BitRGBLow)(*src, *result,
                                                                                   false, nullptr);
    } else {
        (reduction ? ConvertTrueColorTo4BitRGBHigh : ConvertTrueColorTo4BitRGBLow)(*src, *result,
                                                                                   false, nullptr);
    }
    return ColorsOf(*result);
}

TEST(ConvertPixelFormat, EveryPairEitherConvertsOrFailsLeavingTheStore) {
    std::mt19937 random(42);
    int converted = 0, refused = 0;
    for (int round = 0; round < 6; ++round) {
        for (int from = pf1Bit; from <= pf24Bit; ++from) {
            for (int target = pf1Bit; target <= pf1BitMonochrome; ++target) {
                if (from == target) {
                    continue;
                }
                const int reduction = round % 2;
                // RLE sources must encode first: rows of one index, wide enough for the runs.
                const int width = 8 + static_cast<int>(random() % 13) + (IsRLE(from) ? 16 : 0);
                const int height = (round % 3 == 0 ? -1 : 1) * (1 + static_cast<int>(random() % 6));
                auto store = MakeStore(from, width, height, round >= 2 || IsRLE(from), random);
                SCOPED_TRACE(std::string(FormatNames[from]) + " -> " + FormatNames[target] +
                             " round " + std::to_string(round));
                const std::vector<RGBQUAD> before = ColorsOf(store->DIBInfos);
                const bool lossless = target <= pf24Bit && BitCountOf(target) >= BitCountOf(from);
                const std::vector<RGBQUAD> expected =
                    lossless ? before : LossyExpectation(store->DIBInfos, target, reduction);
                const TSnapshot snapshot(*store);
                int steps = 0;
                try {
                    store->ConvertPixelFormat(
                        static_cast<std::uint8_t>(target), static_cast<std::uint8_t>(reduction),
                        [&] { ++steps; }, White);
                } catch (const EPxDIBCompressionFailed&) {
                    ASSERT_TRUE(IsRLE(target));
                    snapshot.ExpectSameAs(*store);
                    ++refused;
                    continue;
                }
                ++converted;
                const int reported = target == pf8BitHalftone     ? pf8Bit
                                     : target == pf1BitMonochrome ? pf1Bit
                                                                  : target;
                EXPECT_EQ(store->GetPixelFormat(), reported);
                EXPECT_TRUE(store->PaletteChanged);
                EXPECT_EQ(store->Palette, nullptr);
                EXPECT_EQ(store->Width, width);
                EXPECT_EQ(store->Height, std::abs(height));
                EXPECT_EQ(ColorsOf(store->DIBInfos), expected);
                const bool reduces = (from == pf24Bit || BitCountOf(from) == 8) &&
                                     (target <= pf24Bit && BitCountOf(target) != 1 &&
                                      BitCountOf(target) < BitCountOf(from));
                EXPECT_EQ(steps, reduces ? 1 << BitCountOf(target) : 0);
            }
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(converted, 200);
}

TEST(ConvertPixelFormat, SameFormatDoesNothingNotEvenAnInvalidation) {
    std::mt19937 random(1);
    for (int format = pf1Bit; format <= pf24Bit; ++format) {
        auto store = MakeStore(format, 9, 3, true, random);
        const TSnapshot snapshot(*store);
        store->ConvertPixelFormat(static_cast<std::uint8_t>(format), 0, nullptr, White);
        snapshot.ExpectSameAs(*store);
    }
    auto store = MakeStore(pf8Bit, 9, 3, true, random);
    const TSnapshot snapshot(*store);
    store->ConvertPixelFormat(8, 0, nullptr, White);
    store->ConvertPixelFormat(255, 0, nullptr, White);
    snapshot.ExpectSameAs(*store);
}

TEST(ConvertPixelFormat, IncompressibleRLE4ToRLE8FailsAndKeepsTheRLE4Image) {
    // 32 pixels alternating 1 and 2: one RLE4 run of the unit 0x12, but in 8 bits a literal of
    // 32 bytes that needs 38 bytes of room in a budget of 32.
    TPxInternalDIB store(false);
    store.FreeDIB();
    store.CreateDIB(32, 1, 4, 16);
    std::memset(store.DIBInfos.Bits, 0x12, 16);
    TPxDIBInfos encoded;
    Convert4BitRGBTo4BitRLE(store.DIBInfos, encoded, false);
    FreeMemory(store.DIBInfos.MappingHandle, store.DIBInfos.Bits, false);
    store.DIBInfos = encoded;
    ASSERT_EQ(store.GetPixelFormat(), pf4BitRLE);
    store.PaletteChanged = false;
    const TSnapshot snapshot(store);
    try {
        store.ConvertPixelFormat(pf8BitRLE, 0, nullptr, White);
        ADD_FAILURE() << "converted";
    } catch (const EPxDIBCompressionFailed& error) {
        EXPECT_STREQ(error.what(), "Convert8BitRGBTo8BitRLE: Compression Failed");
    }
    snapshot.ExpectSameAs(store);
}

TEST(ConvertPixelFormat, InvalidPairingFailsEveryConversion) {
    TPxInternalDIB store(false);
    store.FreeDIB();
    store.CreateDIB(4, 4, 24, 0);
    store.DIBInfos.Header.biCompression = BI_BITFIELDS;
    store.PaletteChanged = false;
    const TSnapshot snapshot(store);
    for (int target = pf1Bit; target <= pf1BitMonochrome; ++target) {
        try {
            store.ConvertPixelFormat(static_cast<std::uint8_t>(target), 0, nullptr, White);
            ADD_FAILURE() << FormatNames[target];
        } catch (const EPxDIBInvalidDIB& error) {
            EXPECT_STREQ(error.what(), "TPxInternalDIB.GetPixelFormat: Invalid DIB(24Bit)");
        }
    }
    snapshot.ExpectSameAs(store);
}

TEST(ConvertPixelFormat, UnknownColorReductionIsRefusedBeforeAnythingChanges) {
    std::mt19937 random(3);
    auto store = MakeStore(pf24Bit, 8, 2, false, random);
    const TSnapshot snapshot(*store);
    int steps = 0;
    EXPECT_THROW(store->ConvertPixelFormat(
                     pf8Bit, 2, [&] { ++steps; }, White),
                 EPxDIBInvalidDIBPara);
    EXPECT_THROW(store->ConvertPixelFormat(
                     pf4BitRLE, 7, [&] { ++steps; }, White),
                 EPxDIBInvalidDIBPara);
    snapshot.ExpectSameAs(*store);
    EXPECT_EQ(steps, 0);
    // Conversions that reduce nothing do not look at it.
    store->ConvertPixelFormat(pf1Bit, 2, nullptr, White);
    EXPECT_EQ(store->GetPixelFormat(), pf1Bit);
}

TEST(ConvertPixelFormat, ProgressFailureLeavesTheStore) {
    std::mt19937 random(4);
    auto store = MakeStore(pf24Bit, 12, 5, false, random);
    const TSnapshot snapshot(*store);
    EXPECT_THROW(store->ConvertPixelFormat(
                     pf8BitRLE, 1, [] { throw EPxDIBError("cancelled"); }, White),
                 EPxDIBError);
    snapshot.ExpectSameAs(*store);
}

TEST(ConversionProgress, OnlyColourReducingPairsHaveAPlan) {
    EXPECT_EQ(ConversionProgressPlan(pf8BitRLE, pf4BitRLE)->Total, 16);
    EXPECT_STREQ(ConversionProgressPlan(pf24Bit, pf4BitRLE)->Message,
                 "PixelFormat 24Bit -> 4BitRLE");
    EXPECT_FALSE(ConversionProgressPlan(pf24Bit, pf1Bit));
    EXPECT_FALSE(ConversionProgressPlan(pf24Bit, pf8BitHalftone));
    EXPECT_FALSE(ConversionProgressPlan(pf4Bit, pf8Bit));
}

}  // namespace
}  // namespace vlz

// Index widening, expansion to 24 bits and the exact-colour conversions to 1 bit.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dib/DibTestImages.h"
#include "dib/PxColorMatch1Bit.h"
#include "dib/PxDIBError.h"
#include "dib/PxIndexWidening.h"
#include "dib/PxTrueColorExpansion.h"

namespace vlz {
namespace {

using test::MakeImage;
using test::TOwnedInfos;
using Converter = std::function<void(const TPxDIBInfos&, TPxDIBInfos&, bool)>;

constexpr std::uint32_t White = 0x00FFFFFF;

struct TLosslessCase {
    const char* Name;
    Converter Convert;
    int SourceBits;
    int TargetBits;
};

const TLosslessCase LosslessCases[] = {
    {"Convert1BitRGBTo4BitRGB", Convert1BitRGBTo4BitRGB, 1, 4},
    {"Convert1BitRGBTo8BitRGB", Convert1BitRGBTo8BitRGB, 1, 8},
    {"Convert4BitRGBTo8BitRGB", Convert4BitRGBTo8BitRGB, 4, 8},
    {"Convert1BitRGBToTrueColor", Convert1BitRGBToTrueColor, 1, 24},
    {"Convert4BitRGBToTrueColor", Convert4BitRGBToTrueColor, 4, 24},
    {"Convert8BitRGBToTrueColor", Convert8BitRGBToTrueColor, 8, 24},
};

TEST(LosslessConversion, EveryPixelShowsTheSameColourAndTheTableGoesAcross) {
    std::mt19937 random(7);
    for (const TLosslessCase& c : LosslessCases) {
        for (int width : {1, 7, 9, 33}) {
            for (int height : {3, -2}) {
                SCOPED_TRACE(std::string(c.Name) + " width " + std::to_string(width) + " height " +
                             std::to_string(height));
                TOwnedInfos src, dst;
                MakeImage(src, width, height, c.SourceBits, 1 << c.SourceBits);
                test::FillRandom(src, random);
                c.Convert(*src, *dst, false);

                EXPECT_EQ(dst->Header.biBitCount, c.TargetBits);
                EXPECT_EQ(dst->Header.biCompression, BI_RGB);
                EXPECT_EQ(dst->Header.biHeight, height);
                EXPECT_EQ(dst->Header.biClrUsed, src->Header.biClrUsed);
                EXPECT_EQ(dst->ImageSize, dst.Stride() * std::abs(height));
                for (int i = 0; i < 256; ++i) {
                    ASSERT_EQ(dst->Colors[i], src->Colors[i]);
                }
                for (int y = 0; y < std::abs(height); ++y) {
                    for (int x = 0; x < width; ++x) {
                        ASSERT_EQ(dst.ColorAt(x, y), src.ColorAt(x, y)) << x << "," << y;
                        if (c.TargetBits != 24) {
                            ASSERT_EQ(dst.IndexAt(x, y), src.IndexAt(x, y));
                        }
                    }
                }
                if (c.TargetBits == 4 && width % 2 == 1) {
                    EXPECT_EQ(dst.Row(0)[width / 2] & 0x0F, 0);
                }
            }
        }
    }
}

TEST(LosslessConversion, OneBitToTrueColorKeepsTheTwoEntryTable) {
    TOwnedInfos src, dst;
    MakeImage(src, 3, 1, 1, 2);
    src->Colors[0] = {10, 20, 30, 0};
    src->Colors[1] = {40, 50, 60, 0};
    test::SetIndex(src, 1, 0, 1);
    Convert1BitRGBToTrueColor(*src, *dst, false);
    EXPECT_EQ(dst->Header.biClrUsed, 2u);
    EXPECT_EQ(dst->Colors[1], (RGBQUAD{40, 50, 60, 0}));
    EXPECT_EQ(dst.ColorAt(0, 0), (RGBQUAD{10, 20, 30, 0}));
    EXPECT_EQ(dst.ColorAt(1, 0), (RGBQUAD{40, 50, 60, 0}));
}

TEST(LosslessConversion, WrongSourceKindIsRefusedAndLeavesTheDestination) {
    for (const TLosslessCase& c : LosslessCases) {
        TOwnedInfos src, dst;
        MakeImage(src, 4, 4, c.SourceBits == 8 ? 4 : 8);
        dst->ImageSize = 1234;
        try {
            c.Convert(*src, *dst, false);
            ADD_FAILURE() << c.Name << " accepted a wrong bit count";
        } catch (const EPxDIBBadDIBType& error) {
            EXPECT_EQ(error.Message(),
                      std::string(c.Name) + ": Invalid Bitcount & Compression Combination");
        }
        EXPECT_EQ(dst->ImageSize, 1234);
        EXPECT_EQ(dst->Bits, nullptr);

        TOwnedInfos compressed;
        MakeImage(compressed, 4, 4, c.SourceBits);
        compressed->Header.biCompression = c.SourceBits == 4 ? BI_RLE4 : BI_RLE8;
        EXPECT_THROW(c.Convert(*compressed, *dst, false), EPxDIBBadDIBType) << c.Name;
    }
}

TEST(LosslessConversion, SourceShorterThanItsRowsIsRefused) {
    // A file may claim fewer pixel bytes than its header's rows need; nothing past the block may
    // be read.
    for (const TLosslessCase& c : LosslessCases) {
        TOwnedInfos src, dst;
        MakeImage(src, 16, 4, c.SourceBits);
        src->ImageSize -= 1;
        EXPECT_THROW(c.Convert(*src, *dst, false), EPxDIBInvalidDIB) << c.Name;
        EXPECT_EQ(dst->Bits, nullptr);
    }
}

TEST(Conversion, HeaderOfEveryRowCountOverASmallBlockIsRefused) {
    // Rows × stride of a 24-bit header near 2^31 × 2^31 does not even fit 64 bits.
    struct TCase {
        std::string Name;
        Converter Convert;
        int SourceBits;
    };
    std::vector<TCase> cases;
    for (const TLosslessCase& c : LosslessCases) {
        cases.push_back({c.Name, c.Convert, c.SourceBits});
    }
    cases.push_back({"ConvertTrueColorTo1BitRGB",
                     [](const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping) {
                         ConvertTrueColorTo1BitRGB(src, dst, White, useFileMapping);
                     },
                     24});
    for (std::int32_t height : {INT32_MAX, -INT32_MAX, INT32_MIN}) {
        for (const TCase& c : cases) {
            TOwnedInfos src, dst;
            MakeImage(src, 16, 4, c.SourceBits);
            src->Header.biWidth = INT32_MAX;
            src->Header.biHeight = height;
            try {
                c.Convert(*src, *dst, false);
                ADD_FAILURE() << c.Name << " converted";
            } catch (const EPxDIBInvalidDIB& error) {
                EXPECT_EQ(error.what(), c.Name + ": Invalid DIB Size");
            }
            EXPECT_EQ(dst->Bits, nullptr);
        }
    }
}

TEST(ExactColourToOneBit, OnlyTheExactColourBecomesWhite) {
    TOwnedInfos src, dst;
    MakeImage(src, 9, 2, 24);
    test::SetPixel24(src, 0, 0, 255, 255, 255);
    test::SetPixel24(src, 1, 0, 254, 255, 255);
    test::SetPixel24(src, 2, 0, 255, 254, 255);
    test::SetPixel24(src, 3, 0, 255, 255, 254);
    test::SetPixel24(src, 8, 0, 255, 255, 255);
    test::SetPixel24(src, 4, 1, 255, 255, 255);
    ConvertTrueColorTo1BitRGB(*src, *dst, White, false);

    EXPECT_EQ(dst->Header.biBitCount, 1);
    EXPECT_EQ(dst->Header.biClrUsed, 2u);
    EXPECT_EQ(dst->Colors[0], (RGBQUAD{0, 0, 0, 0}));
    EXPECT_EQ(dst->Colors[1], (RGBQUAD{255, 255, 255, 0}));
    // Row 0: pixels 0 and 8 white; the bits after the last pixel stay 0.
    EXPECT_EQ(dst.Row(0)[0], 0x80);
    EXPECT_EQ(dst.Row(0)[1], 0x80);
    EXPECT_EQ(dst.Row(1)[0], 0x08);
    EXPECT_EQ(dst.Row(1)[1], 0x00);
}

TEST(ExactColourToOneBit, MatchColourIsRedInTheLowByte) {
    TOwnedInfos src, dst;
    MakeImage(src, 2, 1, 24);
    test::SetPixel24(src, 0, 0, 10, 20, 30);
    test::SetPixel24(src, 1, 0, 30, 20, 10);
    ConvertTrueColorTo1BitRGB(*src, *dst, 0x001E140A, false);
    EXPECT_EQ(dst.IndexAt(0, 0), 1);
    EXPECT_EQ(dst.IndexAt(1, 0), 0);
}

TEST(ExactColourToOneBit, PaletteSourcesMatchThroughTheirTable) {
    for (int bits : {4, 8}) {
        TOwnedInfos src, dst;
        MakeImage(src, 5, 1, bits, 4);
        src->Colors[2] = {255, 255, 255, 0};
        src->Colors[3] = {255, 255, 255, 7};  // the reserved byte plays no part
        test::SetIndex(src, 0, 0, 2);
        test::SetIndex(src, 1, 0, 1);
        test::SetIndex(src, 4, 0, 3);
        if (bits == 8) {
            Convert8BitTo1BitRGB(*src, *dst, White, false);
        } else {
            Convert4BitRGBTo1BitRGB(*src, *dst, White, false);
        }
        EXPECT_EQ(dst.Row(0)[0], 0x88) << bits;
        EXPECT_EQ(dst->Header.biClrUsed, 2u);
    }
}

TEST(ExactColourToOneBit, WrongSourceKindsAreRefusedWithTheirMessages) {
    TOwnedInfos eight, four, dst;
    MakeImage(eight, 4, 1, 8);
    MakeImage(four, 4, 1, 4);
    auto messageOf = [](const std::function<void()>& convert) {
        try {
            convert();
        } catch (const EPxDIBBadDIBType& error) {
            return error.Message();
        }
        return std::string("no error");
    };
    EXPECT_EQ(messageOf([&] { ConvertTrueColorTo1BitRGB(*eight, *dst, White, false); }),
              "ConvertTrueColorTo1BitRGB: Invalid Bitcount");
    EXPECT_EQ(messageOf([&] { Convert8BitTo1BitRGB(*four, *dst, White, false); }),
              "Convert8BitTo1BitRGB: Invalid Bitcount or Compression");
    EXPECT_EQ(messageOf([&] { Convert4BitRGBTo1BitRGB(*eight, *dst, White, false); }),
              "Convert4BitRGBTo1BitRGB: Invalid Bitcount");
    four->Header.biCompression = BI_RLE4;
    EXPECT_EQ(messageOf([&] { Convert4BitRGBTo1BitRGB(*four, *dst, White, false); }),
              "Convert4BitRGBTo1BitRGB: Invalid Bitcount");
    EXPECT_EQ(dst->Bits, nullptr);
}

}  // namespace
}  // namespace vlz

// The error-diffusion conversions to the halftone palette and to black and white.

#include <gtest/gtest.h>

#include <string>

#include "dib/DibTestImages.h"
#include "dib/PxDIBError.h"
#include "dib/PxDithering.h"

namespace vlz {
namespace {

using test::MakeImage;
using test::TOwnedInfos;

void FillUniform(TOwnedInfos& image, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    const int height = std::abs(image->Header.biHeight);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < image->Header.biWidth; ++x) {
            test::SetPixel24(image, x, y, red, green, blue);
        }
    }
}

TEST(HalftonePalette, LevelsAndTheFiveExtraEntries) {
    const auto& colors = HalftoneColors();
    EXPECT_EQ(colors[122], (RGBQUAD{128, 128, 153, 0}));
    EXPECT_EQ(colors[87], (RGBQUAD{128, 128, 102, 0}));
    EXPECT_EQ(colors[209], (RGBQUAD{255, 255, 255, 0}));
    EXPECT_EQ(colors[0], (RGBQUAD{0, 0, 0, 0}));
    EXPECT_EQ(colors[210], (RGBQUAD{0, 0, 128, 0}));
    EXPECT_EQ(colors[213], (RGBQUAD{192, 192, 192, 0}));
    EXPECT_EQ(colors[214], (RGBQUAD{128, 128, 128, 0}));
}

TEST(Halftone, UniformGreyAlternatesBetweenTheTwoNearestReds) {
    TOwnedInfos src, dst;
    MakeImage(src, 6, 2, 24);
    FillUniform(src, 128, 128, 128);
    ConvertToHalftone8Bit(*src, *dst, false);
    const int expected[] = {122, 87, 122, 87, 122, 87};
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(dst.IndexAt(x, 0), expected[x]) << x;
    }
    EXPECT_EQ(dst->Header.biBitCount, 8);
    EXPECT_EQ(dst->Header.biClrUsed, 215u);
    EXPECT_EQ(dst->Colors[122], HalftoneColors()[122]);
}

TEST(Halftone, ExactLevelColoursStayAndNoPixelUsesTheExtraEntries) {
    TOwnedInfos exact, dst;
    MakeImage(exact, 5, 3, 24);
    FillUniform(exact, 204, 171, 64);
    ConvertToHalftone8Bit(*exact, *dst, false);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            ASSERT_EQ(dst.IndexAt(x, y), 4 * 35 + 4 * 5 + 1);
        }
    }

    TOwnedInfos noisy, result;
    MakeImage(noisy, 41, 17, 24);
    std::mt19937 random(11);
    test::FillRandom(noisy, random);
    ConvertToHalftone8Bit(*noisy, *result, false);
    for (int y = 0; y < 17; ++y) {
        for (int x = 0; x < 41; ++x) {
            ASSERT_LT(result.IndexAt(x, y), 210);
        }
    }
}

TEST(Halftone, EightBitImagesAreQuantisedAgainThroughTheirTable) {
    TOwnedInfos src, dst;
    MakeImage(src, 3, 1, 8, 2);
    src->Colors[0] = {255, 255, 255, 0};
    src->Colors[1] = {0, 0, 255, 0};
    test::SetIndex(src, 1, 0, 1);
    ConvertToHalftone8Bit(*src, *dst, false);
    EXPECT_EQ(dst->Header.biClrUsed, 215u);
    EXPECT_EQ(dst.IndexAt(0, 0), 209);
    EXPECT_EQ(dst.IndexAt(1, 0), 5 * 35);
}

TEST(Monochrome, UniformGreyAlternatesWhiteAndBlack) {
    TOwnedInfos src, dst;
    MakeImage(src, 6, 1, 24);
    FillUniform(src, 128, 128, 128);
    ConvertToMonochrome1Bit(*src, *dst, false);
    EXPECT_EQ(dst->Header.biBitCount, 1);
    EXPECT_EQ(dst->Header.biClrUsed, 2u);
    EXPECT_EQ(dst->Colors[1], (RGBQUAD{255, 255, 255, 0}));
    EXPECT_EQ(dst.Row(0)[0], 0xA8);  // 1 0 1 0 1 0, then padding bits 0
}

TEST(Monochrome, SecondRowRunsRightToLeftWithTheErrorsOfTheFirst) {
    // Mid grey, three pixels on two rows. Row 0, left to right: white (error 127), then
    // 128 - 12 * 127 / 32 = 81: black (error -81), then 128 + 30 = 158: white (error 97).
    // Row 1, right to left: x = 2 sees 12 * 97 above: 92, black; x = 1 sees -81 above, -92
    // behind and 97 above-right: 177, white; x = 0 sees 127 above, 78 behind, -81 above-right:
    // 64, black.
    TOwnedInfos src, dst;
    MakeImage(src, 3, 2, 24);
    FillUniform(src, 128, 128, 128);
    ConvertToMonochrome1Bit(*src, *dst, false);
    EXPECT_EQ(dst.Row(0)[0], 0xA0);
    EXPECT_EQ(dst.Row(1)[0], 0x40);
}

TEST(Dithering, BlackAndWhiteSurviveBothConversions) {
    TOwnedInfos src, halftone, monochrome;
    MakeImage(src, 7, 3, 1, 2);
    src->Colors[1] = {255, 255, 255, 0};
    for (int x = 0; x < 7; x += 2) {
        test::SetIndex(src, x, 1, 1);
    }
    ConvertToHalftone8Bit(*src, *halftone, false);
    ConvertToMonochrome1Bit(*src, *monochrome, false);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 7; ++x) {
            const bool white = y == 1 && x % 2 == 0;
            EXPECT_EQ(halftone.IndexAt(x, y), white ? 209 : 0);
            EXPECT_EQ(monochrome.IndexAt(x, y), white ? 1 : 0);
        }
    }
}

TEST(Dithering, CompressedOrOddSourcesAreRefused) {
    TOwnedInfos rle, sixteen, dst;
    MakeImage(rle, 4, 4, 8);
    rle->Header.biCompression = BI_RLE8;
    MakeImage(sixteen, 4, 4, 16);
    EXPECT_THROW(ConvertToHalftone8Bit(*rle, *dst, false), EPxDIBBadDIBType);
    EXPECT_THROW(ConvertToMonochrome1Bit(*sixteen, *dst, false), EPxDIBBadDIBType);
    EXPECT_EQ(dst->Bits, nullptr);
}

}  // namespace
}  // namespace vlz

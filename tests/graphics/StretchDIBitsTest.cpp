#include "graphics/StretchDIBits.h"

#include <gtest/gtest.h>

#include <vector>

#include "graphics/Bitmap.h"
#include "graphics/RasterOp.h"

namespace vlz {
namespace {

struct Dib {
    BITMAPINFOHEADER Header;
    RGBQUAD Colors[256] = {};
    std::vector<std::uint8_t> Bits;

    Dib(int width, int height, int bitCount, std::uint32_t compression = BI_RGB) {
        Header.biSize = 40;
        Header.biWidth = width;
        Header.biHeight = height;
        Header.biPlanes = 1;
        Header.biBitCount = static_cast<std::uint16_t>(bitCount);
        Header.biCompression = compression;
        if (compression == BI_RGB) {
            Bits.assign(static_cast<std::size_t>(DibStride(bitCount, width) * std::abs(height)), 0);
        }
    }
    BitmapInfoView Info() const { return {&Header, Colors}; }
};

// A 24-bit picture of 2 × 2 with distinct colours, stored in either row order.
Dib TwoByTwo(bool bottomUp) {
    Dib dib(2, bottomUp ? 2 : -2, 24);
    // Picture rows: top = red, green; bottom = blue, white.
    std::uint8_t top[] = {0, 0, 255, 0, 255, 0, 0, 0};
    std::uint8_t bottom[] = {255, 0, 0, 255, 255, 255, 0, 0};
    std::copy(std::begin(top), std::end(top), dib.Bits.begin() + (bottomUp ? 8 : 0));
    std::copy(std::begin(bottom), std::end(bottom), dib.Bits.begin() + (bottomUp ? 0 : 8));
    return dib;
}

const TColor Red = RGB(255, 0, 0), Green = RGB(0, 255, 0), Blue = RGB(0, 0, 255);

TEST(StretchDIBits, BothRowOrdersGiveTheSamePictureAtAnyScale) {
    for (bool bottomUp : {true, false}) {
        Dib dib = TwoByTwo(bottomUp);
        TBitmap target(4, 4);
        EXPECT_EQ(StretchDIBits(target.Surface(), 0, 0, 4, 4, 0, 0, 2, 2, dib.Bits.data(),
                                dib.Info(), SRCCOPY),
                  4);
        TCanvas& canvas = target.Canvas();
        EXPECT_EQ(canvas.GetPixel(1, 1), Red);
        EXPECT_EQ(canvas.GetPixel(2, 0), Green);
        EXPECT_EQ(canvas.GetPixel(0, 3), Blue);
        EXPECT_EQ(canvas.GetPixel(3, 3), clWhite);

        TBitmap same(2, 2);
        StretchDIBits(same.Surface(), 0, 0, 2, 2, 0, 0, 2, 2, dib.Bits.data(), dib.Info(), SRCCOPY);
        EXPECT_EQ(same.Canvas().GetPixel(1, 0), Green);
        EXPECT_EQ(same.Canvas().GetPixel(0, 1), Blue);
    }
}

TEST(StretchDIBits, NegativeWidthMirrorsAndShrinkingDropsColumns) {
    Dib dib = TwoByTwo(true);
    TBitmap mirrored(2, 2);
    StretchDIBits(mirrored.Surface(), 2, 0, -2, 2, 0, 0, 2, 2, dib.Bits.data(), dib.Info(),
                  SRCCOPY);
    EXPECT_EQ(mirrored.Canvas().GetPixel(0, 0), Green);
    EXPECT_EQ(mirrored.Canvas().GetPixel(1, 0), Red);

    TBitmap small(1, 1);
    StretchDIBits(small.Surface(), 0, 0, 1, 1, 0, 0, 2, 2, dib.Bits.data(), dib.Info(), SRCCOPY);
    EXPECT_EQ(small.Canvas().GetPixel(0, 0), Red);
}

TEST(StretchDIBits, PalettedSourcesGoThroughTheirColourTable) {
    Dib dib(4, 1, 4);
    dib.Header.biClrUsed = 3;
    dib.Colors[1] = {0, 0, 255, 0};  // red
    dib.Colors[2] = {255, 0, 0, 0};  // blue
    dib.Bits[0] = 0x12;
    dib.Bits[1] = 0x0F;  // index 15 lies past the table: black
    TBitmap target(8, 1);
    StretchDIBits(target.Surface(), 0, 0, 8, 1, 0, 0, 4, 1, dib.Bits.data(), dib.Info(), SRCCOPY);
    EXPECT_EQ(target.Canvas().GetPixel(1, 0), Red);
    EXPECT_EQ(target.Canvas().GetPixel(2, 0), Blue);
    EXPECT_EQ(target.Canvas().GetPixel(4, 0), clBlack);
    EXPECT_EQ(target.Canvas().GetPixel(7, 0), clBlack);
}

TEST(StretchDIBits, RleSkippedPixelsLeaveTheTargetUnchanged) {
    // A 4 × 3 RLE8 picture: two pixels of 1 on the bottom row, end of line, a delta over the
    // middle row and the first column, three literal pixels 2, 1, 2 on the top row, the end.
    Dib dib(4, 3, 8, BI_RLE8);
    dib.Colors[1] = {0, 0, 255, 0};
    dib.Colors[2] = {0, 255, 0, 0};
    dib.Bits = {2, 1, 0, 0, 0, 2, 1, 1, 0, 3, 2, 1, 2, 0, 0, 1};
    dib.Header.biSizeImage = static_cast<std::uint32_t>(dib.Bits.size());
    for (int scale : {1, 2}) {
        TBitmap target(4 * scale, 3 * scale);
        target.Canvas().Brush.Color = Blue;
        target.Canvas().FillRect(Rect(0, 0, 4 * scale, 3 * scale));
        StretchDIBits(target.Surface(), 0, 0, 4 * scale, 3 * scale, 0, 0, 4, 3, dib.Bits.data(),
                      dib.Info(), SRCCOPY);
        auto at = [&](int x, int y) { return target.Canvas().GetPixel(x * scale, y * scale); };
        EXPECT_EQ(at(0, 2), Red);
        EXPECT_EQ(at(1, 2), Red);
        EXPECT_EQ(at(2, 2), Blue);
        EXPECT_EQ(at(0, 1), Blue);  // the skipped row
        EXPECT_EQ(at(0, 0), Blue);  // skipped column
        EXPECT_EQ(at(1, 0), Green);
        EXPECT_EQ(at(2, 0), Red);
        EXPECT_EQ(at(3, 0), Green);
    }
}

TEST(StretchDIBits, Rle4RunsAlternateNibbles) {
    Dib dib(5, 1, 4, BI_RLE4);
    dib.Colors[1] = {0, 0, 255, 0};
    dib.Colors[2] = {255, 0, 0, 0};
    dib.Bits = {5, 0x12, 0, 1};
    dib.Header.biSizeImage = 4;
    TBitmap target(5, 1);
    StretchDIBits(target.Surface(), 0, 0, 5, 1, 0, 0, 5, 1, dib.Bits.data(), dib.Info(), SRCCOPY);
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(target.Canvas().GetPixel(x, 0), x % 2 ? Blue : Red);
    }
}

TEST(StretchDIBits, MalformedRleStopsWithoutReadingPastTheData) {
    const std::vector<std::vector<std::uint8_t>> broken = {
        {0, 2, 5},                // a delta missing its second byte
        {0, 9, 1, 1, 1},          // a literal run longer than the data
        {255, 1, 0, 2, 255, 255}  // a run and a delta far past the picture
    };
    for (int bitCount : {4, 8}) {
        for (const auto& codes : broken) {
            Dib dib(3, 2, bitCount, bitCount == 8 ? BI_RLE8 : BI_RLE4);
            dib.Colors[1] = {0, 0, 255, 0};
            dib.Header.biSizeImage = static_cast<std::uint32_t>(codes.size());
            TBitmap target(3, 2);
            StretchDIBits(target.Surface(), 0, 0, 6, 4, 0, 0, 3, 2, codes.data(), dib.Info(),
                          SRCCOPY);
            EXPECT_EQ(target.Canvas().GetPixel(0, 0), clWhite);
        }
    }
}

TEST(StretchDIBits, RefusesUnusableHeaders) {
    Dib dib = TwoByTwo(true);
    TBitmap target(2, 2);
    auto draw = [&] {
        return StretchDIBits(target.Surface(), 0, 0, 2, 2, 0, 0, 2, 2, dib.Bits.data(), dib.Info(),
                             SRCCOPY);
    };
    dib.Header.biBitCount = 16;
    EXPECT_EQ(draw(), 0);
    dib.Header.biBitCount = 24;
    dib.Header.biCompression = BI_RLE8;
    EXPECT_EQ(draw(), 0);
    dib.Header.biCompression = BI_RGB;
    dib.Header.biWidth = 0;
    EXPECT_EQ(draw(), 0);
}

}  // namespace
}  // namespace vlz

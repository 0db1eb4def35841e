// The bitmap object's pixel-format setter with its progress events, and drawing through the
// halftone and black-and-white palettes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dib/PxDIB.h"
#include "dib/PxDIBError.h"
#include "graphics/Bitmap.h"

namespace vlz {
namespace {

struct TEvent {
    TProgressStage Stage;
    int Percent;
    bool RedrawNow;
    TRect Rect;
    std::string Message;
};

// A 24-bit image of `width` × `height` pixels whose colour depends on the position.
void MakeTrueColor(TPxDIB& dib, int width, int height) {
    dib.SetBitCount(24);
    dib.SetWidth(width);
    dib.SetHeight(height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            dib.SetPixels(
                x, y,
                RGB(static_cast<std::uint8_t>(x * 37 + y * 11), static_cast<std::uint8_t>(y * 53),
                    static_cast<std::uint8_t>(x * y * 7)));
        }
    }
}

TEST(PxDIBPixelFormat, ReducingToEightBitsReportsStartStepsAndEnd) {
    TPxDIB dib;
    MakeTrueColor(dib, 16, 8);
    std::vector<TEvent> events;
    dib.OnProgress = [&events](TObject&, TProgressStage stage, std::uint8_t percent, bool redraw,
                               const TRect& rect, const std::string& message) {
        events.push_back({stage, percent, redraw, rect, message});
    };
    dib.SetPixelFormat(pf8Bit);

    EXPECT_EQ(dib.PixelFormat(), pf8Bit);
    // Start, the first 255 of the 256 steps, End.
    ASSERT_EQ(events.size(), 257u);
    EXPECT_EQ(events.front().Stage, psStarting);
    EXPECT_EQ(events.front().Percent, 0);
    EXPECT_FALSE(events.front().RedrawNow);
    EXPECT_EQ(events[1].Stage, psRunning);
    EXPECT_EQ(events[1].Percent, 0);
    EXPECT_EQ(events[128].Percent, 50);
    EXPECT_EQ(events[255].Percent, 99);
    EXPECT_EQ(events.back().Stage, psEnding);
    EXPECT_EQ(events.back().Percent, 100);
    EXPECT_TRUE(events.back().RedrawNow);
    EXPECT_EQ(events[128].Message, "PixelFormat 24Bit -> 8Bit");
    EXPECT_EQ(events[128].Rect, Rect(0, 0, 16, 8));
}

TEST(PxDIBPixelFormat, FailedConversionStillEndsItsProgressAndKeepsTheImage) {
    TPxDIB dib;
    MakeTrueColor(dib, 6, 2);  // too small and too varied for RLE8
    std::vector<TEvent> events;
    dib.OnProgress = [&events](TObject&, TProgressStage stage, std::uint8_t percent, bool redraw,
                               const TRect& rect, const std::string& message) {
        events.push_back({stage, percent, redraw, rect, message});
    };
    const std::int32_t corner = dib.GetPixels(5, 1);
    EXPECT_THROW(dib.SetPixelFormat(pf8BitRLE), EPxDIBCompressionFailed);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front().Stage, psStarting);
    EXPECT_EQ(events.back().Stage, psEnding);
    EXPECT_EQ(events.back().Message, "PixelFormat 24Bit -> 8BitRLE");
    EXPECT_EQ(dib.PixelFormat(), pf24Bit);
    EXPECT_EQ(dib.GetPixels(5, 1), corner);

    // An unknown reduction method is refused before anything is done.
    events.clear();
    dib.ColorReduction = 2;
    EXPECT_THROW(dib.SetPixelFormat(pf4Bit), EPxDIBInvalidDIBPara);
    EXPECT_EQ(events.back().Stage, psEnding);
    EXPECT_EQ(dib.PixelFormat(), pf24Bit);
}

TEST(PxDIBPixelFormat, SameFormatOrLosslessConversionsRaiseNoProgress) {
    TPxDIB dib;
    MakeTrueColor(dib, 4, 4);
    std::vector<TEvent> events;
    dib.OnProgress = [&events](TObject&, TProgressStage stage, std::uint8_t, bool, const TRect&,
                               const std::string&) {
        events.push_back({stage, 0, false, {}, ""});
    };
    int changes = 0;
    dib.OnChange = [&changes](TObject&) { ++changes; };
    dib.SetPixelFormat(pf24Bit);
    EXPECT_EQ(changes, 0);
    dib.SetPixelFormat(pf1BitMonochrome);
    EXPECT_EQ(dib.PixelFormat(), pf1Bit);
    dib.SetPixelFormat(pf8Bit);
    EXPECT_EQ(dib.PixelFormat(), pf8Bit);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(changes, 2);
}

TEST(PxDIBPaletteModes, FixedPalettesAreMadeOnceAndShared) {
    TPxDIB first, second;
    first.PaletteMode = pmHalftone;
    second.PaletteMode = pmHalftone;
    HPALETTE halftone = first.GetPalette();
    ASSERT_NE(halftone, nullptr);
    EXPECT_EQ(first.GetPalette(), halftone);
    EXPECT_EQ(second.GetPalette(), halftone);
    EXPECT_EQ(GetPaletteEntries(halftone, 0, 0, nullptr), 215);
    PALETTEENTRY entry;
    GetPaletteEntries(halftone, 122, 1, &entry);
    EXPECT_EQ(entry, (PALETTEENTRY{153, 128, 128, 0}));

    first.PaletteMode = pmMonochrome;
    HPALETTE monochrome = first.GetPalette();
    EXPECT_EQ(GetPaletteEntries(monochrome, 0, 0, nullptr), 2);
    EXPECT_EQ(first.GetPalette(), monochrome);
}

TEST(PxDIBPaletteModes, DrawingThroughTheBlackAndWhitePaletteLeavesOnlyBlackAndWhite) {
    TPxDIB dib;
    MakeTrueColor(dib, 8, 8);
    dib.PaletteMode = pmMonochrome;
    TBitmap target(8, 8);
    target.Canvas().StretchDraw(Rect(0, 0, 8, 8), dib);
    int white = 0;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const TColor color = target.Canvas().GetPixel(x, y);
            ASSERT_TRUE(color == clBlack || color == clWhite) << x << "," << y;
            white += color == clWhite;
        }
    }
    EXPECT_GT(white, 0);
    EXPECT_LT(white, 64);
    // The image itself is untouched, and its mode too.
    EXPECT_EQ(dib.PixelFormat(), pf24Bit);
    EXPECT_EQ(dib.PaletteMode, pmMonochrome);

    dib.PaletteMode = pmHalftone;
    TBitmap halftone(8, 8);
    halftone.Canvas().StretchDraw(Rect(0, 0, 8, 8), dib);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const TColor color = halftone.Canvas().GetPixel(x, y);
            const int red = color & 0xFF;
            ASSERT_EQ(red % 51, 0) << x << "," << y;  // on the red levels 0, 51 … 255
        }
    }
}

TEST(PxDIBPaletteModes, EmptyRectangleDrawsNothing) {
    TPxDIB dib;
    MakeTrueColor(dib, 4, 4);
    dib.PaletteMode = pmHalftone;
    TBitmap target(4, 4);
    target.Canvas().Brush.Color = RGB(1, 2, 3);
    target.Canvas().FillRect(Rect(0, 0, 4, 4));
    target.Canvas().StretchDraw(Rect(1, 1, 1, 4), dib);
    target.Canvas().StretchDraw(Rect(1, 1, 4, 1), dib);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(target.Canvas().GetPixel(x, y), RGB(1, 2, 3));
        }
    }
}

}  // namespace
}  // namespace vlz

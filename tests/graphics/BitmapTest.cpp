#include "graphics/Bitmap.h"

#include <gtest/gtest.h>

namespace vlz {
namespace {

TEST(Bitmap, MemoryIsTopDownWithBlueGreenRedPixels) {
    TBitmap bitmap(3, 2);
    EXPECT_LT(bitmap.Header().biHeight, 0);
    EXPECT_EQ(bitmap.Stride(), 12);
    bitmap.Canvas().SetPixel(1, 0, RGB(0x30, 0x20, 0x10));
    EXPECT_EQ(bitmap.Bits(), bitmap.ScanLine(0));
    const std::uint8_t* pixel = bitmap.ScanLine(0) + 3;
    EXPECT_EQ(pixel[0], 0x10);
    EXPECT_EQ(pixel[1], 0x20);
    EXPECT_EQ(pixel[2], 0x30);
}

TEST(Bitmap, ResizingKeepsTheRemainingPixelsAndPaintsNewOnesWhite) {
    TBitmap bitmap(2, 2);
    bitmap.Canvas().Brush.Color = clNavy;
    bitmap.Canvas().FillRect(Rect(0, 0, 2, 2));
    bitmap.SetSize(3, 1);
    EXPECT_EQ(bitmap.Canvas().GetPixel(1, 0), clNavy);
    EXPECT_EQ(bitmap.Canvas().GetPixel(2, 0), clWhite);
    EXPECT_EQ(bitmap.Canvas().GetPixel(0, 1), CLR_INVALID);
    EXPECT_THROW(bitmap.SetWidth(-1), EInvalidGraphic);
    EXPECT_EQ(bitmap.Width(), 3);
}

TEST(Bitmap, PixelFormatConvertsAndPaletteReplacesColoursKeepingIndices) {
    TBitmap bitmap(2, 1);
    bitmap.Canvas().SetPixel(0, 0, RGB(255, 0, 0));
    bitmap.SetPixelFormat(TPixelFormat::pf4bit);
    EXPECT_EQ(bitmap.Header().biBitCount, 4);
    EXPECT_EQ(bitmap.ScanLine(0)[0] >> 4, 9);  // VGA red
    EXPECT_EQ(bitmap.Canvas().GetPixel(1, 0), clWhite);

    PALETTEENTRY entries[10] = {};
    entries[9] = {1, 2, 3, 0};
    bitmap.SetPaletteModified(false);
    bitmap.SetPalette(CreatePalette(entries, 10));
    EXPECT_TRUE(bitmap.PaletteModified());
    EXPECT_EQ(bitmap.Header().biClrUsed, 10u);
    EXPECT_EQ(bitmap.Canvas().GetPixel(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(GetPaletteEntries(bitmap.Palette(), 0, 0, nullptr), 10);
}

// Each bitmap ends up with a palette of its own, so that every palette is freed exactly once
// (ASan reports the double free otherwise).
TEST(Bitmap, SetPaletteCopiesAPaletteThatAnotherBitmapOwns) {
    PALETTEENTRY entries[2] = {{9, 9, 9, 0}, {200, 100, 50, 0}};
    TBitmap first(1, 1, TPixelFormat::pf1bit), second(1, 1, TPixelFormat::pf1bit);
    TBitmap stranger(1, 1, TPixelFormat::pf1bit);
    first.SetPalette(CreatePalette(entries, 2));
    HPALETTE shared = first.Palette();
    second.SetPalette(shared);
    stranger.Assign(&first);
    stranger.SetPalette(first.Palette());
    second.SetPalette(second.Palette());  // its own: kept as it is
    for (TBitmap* bitmap : {&first, &second, &stranger}) {
        PALETTEENTRY entry;
        ASSERT_EQ(GetPaletteEntries(bitmap->Palette(), 1, 1, &entry), 1);
        EXPECT_EQ(entry, entries[1]);
        EXPECT_EQ(bitmap->Canvas().GetPixel(0, 0), RGB(200, 100, 50));  // white was index 1
    }
    EXPECT_EQ(first.Palette(), shared);
    EXPECT_NE(second.Palette(), shared);
    EXPECT_NE(stranger.Palette(), shared);

    // A palette a bitmap made from its colour table, given on after that bitmap has gone.
    HPALETTE survivor = nullptr;
    {
        TBitmap made(1, 1, TPixelFormat::pf4bit);
        first.SetPalette(made.Palette());
        survivor = first.Palette();
    }
    EXPECT_EQ(GetPaletteEntries(survivor, 0, 0, nullptr), 16);
}

TEST(Bitmap, CanvasDrawingSignalsAChangeOfTheBitmap) {
    TBitmap bitmap(4, 4);
    int changes = 0;
    bitmap.OnChange = [&](TObject& sender) {
        EXPECT_EQ(&sender, &bitmap);
        ++changes;
    };
    bitmap.Canvas().FillRect(Rect(0, 0, 2, 2));
    bitmap.Canvas().LineTo(3, 3);
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(bitmap.Modified());
}

TEST(Canvas, ShapesAreClippedAndLinesLeaveOutTheirEnd) {
    TBitmap bitmap(5, 5);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Pen.Color = clBlack;
    canvas.Brush.Color = clNavy;
    canvas.Rectangle(-1, 1, 4, 5);  // outline at x = -1 (clipped) and 3, y = 1 and 4
    EXPECT_EQ(canvas.GetPixel(3, 2), clBlack);
    EXPECT_EQ(canvas.GetPixel(0, 4), clBlack);
    EXPECT_EQ(canvas.GetPixel(0, 2), clNavy);
    EXPECT_EQ(canvas.GetPixel(4, 2), clWhite);

    canvas.Brush.Color = clWhite;
    canvas.FillRect(Rect(-10, -10, 10, 10));
    canvas.MoveTo(-2, 0);
    canvas.LineTo(4, 0);
    EXPECT_EQ(canvas.GetPixel(0, 0), clBlack);
    EXPECT_EQ(canvas.GetPixel(3, 0), clBlack);
    EXPECT_EQ(canvas.GetPixel(4, 0), clWhite);
    EXPECT_EQ(canvas.PenPos, (TPoint{4, 0}));
    EXPECT_EQ(canvas.GetPixel(5, 0), CLR_INVALID);
}

TEST(Canvas, DrawStretchesAPictureWithTheCopyMode) {
    TBitmap picture(1, 1), target(4, 2);
    picture.Canvas().SetPixel(0, 0, RGB(0x0F, 0xF0, 0x00));
    target.Canvas().Brush.Color = RGB(0xF0, 0xF0, 0xF0);
    target.Canvas().FillRect(Rect(0, 0, 4, 2));
    target.Canvas().CopyMode = SRCAND;
    target.Canvas().StretchDraw(Rect(1, 0, 3, 2), picture);
    target.Canvas().CopyMode = SRCCOPY;
    target.Canvas().Draw(3, 1, picture);
    EXPECT_EQ(target.Canvas().GetPixel(0, 0), RGB(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(target.Canvas().GetPixel(2, 1), RGB(0x00, 0xF0, 0x00));
    EXPECT_EQ(target.Canvas().GetPixel(3, 1), RGB(0x0F, 0xF0, 0x00));

    TCanvas detached;
    EXPECT_THROW(detached.Draw(0, 0, picture), EInvalidOperation);
    EXPECT_THROW(detached.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
}

class BitmapFile : public ::testing::TestWithParam<TPixelFormat> {};

TEST_P(BitmapFile, SavesAndLoadsEveryPixel) {
    TBitmap bitmap(13, 3, GetParam());
    const TColor colors[] = {clBlack, clWhite, RGB(255, 0, 0), RGB(0, 0, 128)};
    int colorCount = GetParam() == TPixelFormat::pf1bit ? 2 : 4;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 13; ++x) {
            bitmap.Canvas().SetPixel(x, y, colors[(x * 3 + y) % colorCount]);
        }
    }
    TMemoryStream stream;
    bitmap.SaveToStream(stream);
    stream.Seek(0, SeekOrigin::Begin);
    TBitmap loaded;
    loaded.LoadFromStream(stream);
    EXPECT_EQ(loaded.PixelFormat(), GetParam());
    ASSERT_EQ(loaded.Width(), 13);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 13; ++x) {
            ASSERT_EQ(loaded.Canvas().GetPixel(x, y), colors[(x * 3 + y) % colorCount]);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, BitmapFile,
                         ::testing::Values(TPixelFormat::pf1bit, TPixelFormat::pf4bit,
                                           TPixelFormat::pf8bit, TPixelFormat::pf24bit));

TEST(BitmapFile, BadFilesAreRefusedAndTheOldPictureStays) {
    TBitmap good(2, 2);
    TMemoryStream stream;
    good.SaveToStream(stream);
    std::vector<std::uint8_t> bytes = stream.Bytes();

    auto rejects = [](std::vector<std::uint8_t> file) {
        TBitmap bitmap(1, 1);
        TMemoryStream input(std::move(file));
        EXPECT_THROW(bitmap.LoadFromStream(input), EInvalidGraphic);
        EXPECT_EQ(bitmap.Width(), 1);
    };
    auto patched = [&](std::size_t offset, std::uint8_t value) {
        auto copy = bytes;
        copy[offset] = value;
        return copy;
    };
    rejects(patched(0, 'X'));       // signature
    rejects(patched(30, BI_RLE8));  // compression
    rejects(patched(28, 16));       // 16 bits per pixel
    rejects(patched(25, 0x7F));     // a height of two billion rows, more than the file holds
    rejects({bytes.begin(), bytes.end() - 1});  // a row short
    auto huge = bytes;  // width and height near 2^31: stride × rows overflows 64 bits
    for (std::size_t offset : {18, 19, 20, 22, 23, 24}) {
        huge[offset] = 0xFF;
    }
    huge[21] = huge[25] = 0x7F;
    rejects(huge);
}

}  // namespace
}  // namespace vlz

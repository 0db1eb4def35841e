#include "graphics/RasterOp.h"

#include <gtest/gtest.h>

#include "graphics/Bitmap.h"

namespace vlz {
namespace {

constexpr TColor StripeA = RGB(173, 125, 66);
constexpr TColor StripeB = RGB(239, 195, 148);

// A 24-bit background of horizontal stripes, one colour per row in turn.
void PaintStripes(TBitmap& target) {
    for (int y = 0; y < target.Height(); ++y) {
        target.Canvas().Brush.Color = (y % 2) ? StripeB : StripeA;
        target.Canvas().FillRect(Rect(0, y, target.Width(), y + 1));
    }
}

TColor Stripe(int y) {
    return (y % 2) ? StripeB : StripeA;
}

// The sprite's picture: transparent (black in the image, white in the mask) on a checkerboard,
// opaque elsewhere in `ink`.
bool Transparent(int x, int y) {
    return (x + y) % 2 == 0;
}

struct SpriteCase {
    TPixelFormat Format;
    TColor Ink;
};

class TransparentDraw : public ::testing::TestWithParam<SpriteCase> {};

TEST_P(TransparentDraw, MaskThenImageKeepsBackgroundWhereTransparent) {
    const SpriteCase& param = GetParam();
    TBitmap image(6, 5, param.Format), mask(6, 5, param.Format);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            image.Canvas().SetPixel(x, y, Transparent(x, y) ? clBlack : param.Ink);
            mask.Canvas().SetPixel(x, y, Transparent(x, y) ? clWhite : clBlack);
        }
    }
    TBitmap target(8, 8);
    PaintStripes(target);
    TCanvas& canvas = target.Canvas();
    // At (-1, 4) the frame hangs over the left and bottom edges: both are clipped.
    TRect destination = Bounds(-1, 4, 6, 5), source = Rect(0, 0, 6, 5);
    canvas.CopyMode = SRCAND;
    canvas.CopyRect(destination, mask.Canvas(), source);
    canvas.CopyMode = SRCPAINT;
    canvas.CopyRect(destination, image.Canvas(), source);

    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            int sx = x + 1, sy = y - 4;
            bool inside = sx >= 0 && sx < 6 && sy >= 0 && sy < 5;
            TColor expected = inside && !Transparent(sx, sy) ? param.Ink : Stripe(y);
            ASSERT_EQ(canvas.GetPixel(x, y), expected) << "at " << x << ", " << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(SourceDepths, TransparentDraw,
                         ::testing::Values(SpriteCase{TPixelFormat::pf24bit, RGB(12, 200, 99)},
                                           SpriteCase{TPixelFormat::pf4bit, RGB(255, 0, 0)},
                                           SpriteCase{TPixelFormat::pf1bit, clWhite}));

TEST(BitBlt, OverlappingCopyWithinOneSurfaceActsThroughATemporary) {
    for (TPixelFormat format : {TPixelFormat::pf24bit, TPixelFormat::pf4bit}) {
        TBitmap bitmap(4, 4, format);
        const TColor colors[] = {clBlack, RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                bitmap.Canvas().SetPixel(x, y, colors[(x + y) % 4]);
            }
        }
        TDibSurface surface = bitmap.Surface();
        // Down and right by one: every pixel takes its upper-left neighbour's old colour.
        BitBlt(surface, 1, 1, 3, 3, &surface, 0, 0, SRCCOPY);
        for (int y = 1; y < 4; ++y) {
            for (int x = 1; x < 4; ++x) {
                EXPECT_EQ(bitmap.Canvas().GetPixel(x, y), colors[(x + y - 2) % 4]);
            }
        }
        // And back up again.
        BitBlt(surface, 0, 0, 3, 3, &surface, 1, 1, SRCCOPY);
        EXPECT_EQ(bitmap.Canvas().GetPixel(0, 0), colors[0]);
        EXPECT_EQ(bitmap.Canvas().GetPixel(2, 1), colors[3]);
    }
}

TEST(BitBlt, NamedOperationsOnColourBytes) {
    struct Case {
        std::uint32_t Rop;
        TColor Expected;
    } cases[] = {
        {SRCCOPY, RGB(0xF0, 0x0F, 0x33)},
        {SRCAND, RGB(0xA0, 0x0A, 0x22)},
        {SRCPAINT, RGB(0xFA, 0xAF, 0xBB)},
        {SRCINVERT, RGB(0x5A, 0xA5, 0x99)},
        {NOTSRCCOPY, RGB(0x0F, 0xF0, 0xCC)},
        {DSTINVERT, RGB(0x55, 0x55, 0x55)},
        {SRCERASE, RGB(0x50, 0x05, 0x11)},
        {BLACKNESS, clBlack},
        {WHITENESS, clWhite},
        {PATCOPY, RGB(1, 2, 3)},
    };
    TBitmap source(1, 1);
    source.Canvas().SetPixel(0, 0, RGB(0xF0, 0x0F, 0x33));
    for (const Case& test : cases) {
        TBitmap target(1, 1);
        target.Canvas().SetPixel(0, 0, RGB(0xAA, 0xAA, 0xAA));
        TDibSurface from = source.Surface();
        BitBlt(target.Surface(), 0, 0, 1, 1, &from, 0, 0, test.Rop, RGB(1, 2, 3));
        EXPECT_EQ(target.Canvas().GetPixel(0, 0), test.Expected) << std::hex << test.Rop;
    }
}

TEST(BitBlt, PalettedTargetTakesNearestEntryAndSameTableKeepsIndices) {
    TBitmap source(2, 1), target(2, 1, TPixelFormat::pf4bit);
    source.Canvas().SetPixel(0, 0, RGB(250, 10, 10));
    source.Canvas().SetPixel(1, 0, RGB(120, 130, 125));
    target.Canvas().CopyRect(Rect(0, 0, 2, 1), source.Canvas(), Rect(0, 0, 2, 1));
    EXPECT_EQ(target.ScanLine(0)[0], 0x98);  // VGA red (9), grey (8)

    // Two entries of the same colour: an index copy keeps which of them a pixel uses.
    PALETTEENTRY twins[2] = {{10, 20, 30, 0}, {10, 20, 30, 0}};
    TBitmap a(2, 1, TPixelFormat::pf8bit), b(2, 1, TPixelFormat::pf8bit);
    a.SetPalette(CreatePalette(twins, 2));
    b.SetPalette(CreatePalette(twins, 2));
    a.ScanLine(0)[0] = 1;
    b.Canvas().CopyRect(Rect(0, 0, 2, 1), a.Canvas(), Rect(0, 0, 2, 1));
    EXPECT_EQ(b.ScanLine(0)[0], 1);
}

TEST(BitBlt, NothingOutsideTheTargetIsTouched) {
    TBitmap target(3, 3, TPixelFormat::pf8bit), source(10, 10, TPixelFormat::pf8bit);
    source.Canvas().Brush.Color = clBlack;
    source.Canvas().FillRect(Rect(0, 0, 10, 10));
    TDibSurface from = source.Surface();
    EXPECT_TRUE(BitBlt(target.Surface(), -5, -5, 100, 100, &from, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(target.Surface(), 0, 0, 3, 3, &from, 9, 9, SRCCOPY));
    EXPECT_EQ(target.Canvas().GetPixel(0, 0), clBlack);
    EXPECT_FALSE(BitBlt(target.Surface(), 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));
}

}  // namespace
}  // namespace vlz

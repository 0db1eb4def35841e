#include "dib/PxDIB.h"

#include <gtest/gtest.h>

#include "dib/DibTestSupport.h"
#include "dib/PxDIBError.h"
#include "graphics/Bitmap.h"
#include "graphics/Clipboard.h"
#include "graphics/GraphicRegistry.h"
#include "platform/ClipboardDouble.h"

namespace vlz {
namespace {

using test::Bytes;

// A BMP file of the given header, colour table (blue, green, red per entry) and pixel bytes.
Bytes Bmp(test::InfoHeader info, const std::vector<RGBQUAD>& colors, const Bytes& pixels) {
    info.ClrUsed = static_cast<std::uint32_t>(colors.size());
    Bytes header = test::InfoHeaderBytes(info);
    for (const RGBQUAD& color : colors) {
        header.insert(header.end(), {color.rgbBlue, color.rgbGreen, color.rgbRed, 0});
    }
    return test::BmpFile(header, pixels);
}

void Load(TPxDIB& dib, const Bytes& file) {
    TMemoryStream stream(file);
    dib.LoadFromStream(stream);
}

template <typename Error>
void ExpectMessage(const std::function<void()>& action, const char* message) {
    try {
        action();
        ADD_FAILURE() << "no exception, expected " << message;
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), message);
    }
}

// Two rows of two pixels, 24 bits, bottom-up: memory row 0 (the picture's bottom row) first.
const Bytes TwoRows24 = {0x10, 0x20, 0x30, 1, 2, 3, 0, 0, 0xA0, 0xB0, 0xC0, 4, 5, 6, 0, 0};

TEST(PxDIB, NewImageIsOneBlackPixelOfEightBits) {
    TPxDIB dib;
    EXPECT_EQ(dib.Width(), 1);
    EXPECT_EQ(dib.Height(), 1);
    EXPECT_EQ(dib.BitCount(), 8);
    EXPECT_EQ(dib.PixelFormat(), pf8Bit);
    EXPECT_EQ(dib.GetPixels(0, 0), 0);
    EXPECT_FALSE(dib.GetEmpty());
    EXPECT_TRUE(dib.PaletteModified());
    EXPECT_EQ(dib.ColorReduction, 0);
    EXPECT_EQ(dib.MaskColor, clWhite);
    HPALETTE palette = dib.GetPalette();
    ASSERT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 256);
    PALETTEENTRY last;
    GetPaletteEntries(palette, 255, 1, &last);
    EXPECT_EQ(last, (PALETTEENTRY{0, 0, 0, 0}));
    EXPECT_EQ(dib.GetPalette(), palette);  // cached
}

TEST(PxDIB, TrueColourPixelsAreRedInTheLowByteAndRowsFollowTheRowOrder) {
    TPxDIB bottomUp, topDown;
    Load(bottomUp, Bmp({.Width = 2, .Height = 2, .BitCount = 24}, {}, TwoRows24));
    Load(topDown, Bmp({.Width = 2, .Height = -2, .BitCount = 24}, {}, TwoRows24));
    EXPECT_EQ(bottomUp.GetPixels(0, 0), 0xA0B0C0);  // the last row in memory
    EXPECT_EQ(bottomUp.GetPixels(0, 1), 0x102030);
    EXPECT_EQ(topDown.GetPixels(0, 0), 0x102030);  // the first row in memory
    EXPECT_EQ(topDown.GetPixels(1, 1), 0x040506);

    topDown.SetPixels(1, 0, 0x0000FF);
    TMemoryStream saved;
    topDown.SaveToStream(saved);
    const std::uint8_t* pixel = saved.Bytes().data() + 54 + 3;
    EXPECT_EQ(pixel[0], 0x00);
    EXPECT_EQ(pixel[1], 0x00);
    EXPECT_EQ(pixel[2], 0xFF);
    EXPECT_EQ(topDown.GetPixels(1, 0), 0x0000FF);
}

TEST(PxDIB, SetPixelsHonoursEachDepthsRange) {
    TPxDIB eight;
    ExpectMessage<ERangeError>([&] { eight.SetPixels(0, 0, 0xFFFFFF); }, "範囲チェックエラー");
    ExpectMessage<ERangeError>([&] { eight.SetPixels(0, 0, -1); }, "範囲チェックエラー");
    eight.SetPixels(0, 0, 255);
    EXPECT_EQ(eight.GetPixels(0, 0), 255);

    TPxDIB four;
    four.SetBitCount(4);
    four.SetWidth(3);
    four.SetPixels(1, 0, 0xFFFFFF);
    EXPECT_EQ(four.GetPixels(1, 0), 15);
    EXPECT_EQ(four.GetPixels(0, 0), 0);
    EXPECT_EQ(four.GetPixels(2, 0), 0);

    TPxDIB one;
    one.SetBitCount(1);
    one.SetWidth(9);
    one.SetPixels(8, 0, 0xFFFFFF);
    EXPECT_EQ(one.GetPixels(8, 0), 1);
    EXPECT_EQ(one.GetPixels(7, 0), 0);
    one.SetPixels(8, 0, 0);
    EXPECT_EQ(one.GetPixels(8, 0), 0);

    TPxDIB full;
    full.SetBitCount(24);
    ExpectMessage<ERangeError>([&] { full.SetPixels(0, 0, -1); }, "範囲チェックエラー");
}

TEST(PxDIB, SharingObjectsCopyBeforeTheFirstChange) {
    TPxDIB first, second;
    Load(first, Bmp({.Width = 2, .Height = 2, .BitCount = 24}, {}, TwoRows24));
    int secondChanges = 0;
    second.OnChange = [&](TObject&) { ++secondChanges; };
    second.Assign(&first);
    EXPECT_EQ(secondChanges, 1);
    EXPECT_EQ(second.GetPixels(0, 0), 0xA0B0C0);

    second.SetPaletteModified(false);
    first.SetPaletteModified(false);
    second.SetPixels(0, 0, 0x123456);
    EXPECT_EQ(second.GetPixels(0, 0), 0x123456);
    EXPECT_EQ(first.GetPixels(0, 0), 0xA0B0C0);
    EXPECT_TRUE(second.PaletteModified());
    EXPECT_FALSE(first.PaletteModified());
    EXPECT_EQ(secondChanges, 1);  // SetPixels signals nothing

    // Once unshared, a change stays in place.
    second.SetPaletteModified(false);
    second.SetPixels(1, 0, 1);
    EXPECT_FALSE(second.PaletteModified());
}

TEST(PxDIB, PixelAccessRefusesPositionsOutsideAndCompressedImages) {
    TPxDIB dib;
    dib.SetWidth(4);
    ExpectMessage<EPxDIBPixelPositionRange>([&] { dib.GetPixels(4, 0); },
                                            "TPxDIB.GetPixels: Pixel Position is Out of Range");
    ExpectMessage<EPxDIBPixelPositionRange>([&] { dib.GetPixels(0, -1); },
                                            "TPxDIB.GetPixels: Pixel Position is Out of Range");
    ExpectMessage<EPxDIBPixelPositionRange>([&] { dib.SetPixels(0, 1, 0); },
                                            "TPxDIB.SetPixels: Pixel Position is Out of Range");

    Load(dib, Bmp({.Width = 2, .Height = 1, .BitCount = 8, .Compression = BI_RLE8},
                  {{0, 0, 0, 0}, {255, 255, 255, 0}}, {2, 1, 0, 1}));
    EXPECT_EQ(dib.PixelFormat(), pf8BitRLE);
    ExpectMessage<EPxDIBBadDIBType>([&] { dib.GetPixels(0, 0); }, "TPxDIB.GetPixels: Bad DIB Type");
    ExpectMessage<EPxDIBBadDIBType>([&] { dib.GetPixels(99, 0); },
                                    "TPxDIB.GetPixels: Bad DIB Type");
    ExpectMessage<EPxDIBBadDIBType>([&] { dib.SetPixels(0, 0, 0); },
                                    "TPxDIB.SetPixels: Bad DIB Type");
}

TEST(PxDIB, GeometrySettersBlankTheImage) {
    TPxDIB dib;
    Load(dib, Bmp({.Width = 2, .Height = 10, .BitCount = 8}, {{1, 2, 3, 0}, {4, 5, 6, 0}},
                  Bytes(40, 1)));
    int changes = 0;
    dib.OnChange = [&](TObject&) { ++changes; };

    dib.SetWidth(2);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(dib.GetPixels(1, 9), 1);

    dib.SetHeight(-10);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(dib.Height(), 10);
    EXPECT_EQ(dib.GetPixels(1, 9), 0);
    TMemoryStream saved;
    dib.SaveToStream(saved);
    EXPECT_EQ(saved.Bytes()[22 + 3], 0xFF);  // biHeight negative: top-down
    dib.SetHeight(10);
    EXPECT_EQ(changes, 1);

    dib.SetWidth(3);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(dib.Width(), 3);
    EXPECT_EQ(dib.GetPixels(2, 0), 0);
    PALETTEENTRY first;
    ASSERT_EQ(GetPaletteEntries(dib.GetPalette(), 0, 1, &first), 1);
    EXPECT_EQ(first, (PALETTEENTRY{0, 0, 0, 0}));  // the colour table went too

    ExpectMessage<EPxDIBInvalidDIBPara>([&] { dib.SetWidth(0); }, "TPxDIB.SetWidth: Invalid Width");
    ExpectMessage<EPxDIBInvalidDIBPara>([&] { dib.SetHeight(0); },
                                        "TPxDIB.SetWidth: Invalid Height");
    ExpectMessage<EPxDIBInvalidDIBPara>([&] { dib.SetBitCount(16); },
                                        "TPxDIB.SetBitCount: Invalid BitCount");
    dib.SetBitCount(24);
    EXPECT_EQ(dib.PixelFormat(), pf24Bit);
    EXPECT_EQ(dib.GetPalette(), nullptr);
    EXPECT_EQ(dib.Width(), 3);
}

TEST(PxDIB, FailedLoadKeepsThePreviousImage) {
    TPxDIB dib;
    dib.SetWidth(5);
    Bytes broken = Bmp({.Width = 2, .Height = 2, .BitCount = 24}, {}, TwoRows24);
    broken[0] = 'X';
    EXPECT_THROW(Load(dib, broken), EPxDIBError);
    EXPECT_EQ(dib.Width(), 5);
}

TEST(PxDIB, AssignToBitmapFromRle4KeepsTheImagesColours) {
    TPxDIB dib;
    // Three pixels: 0, 1, 0 as one run of alternating nibbles.
    Load(dib, Bmp({.Width = 3, .Height = 1, .BitCount = 4, .Compression = BI_RLE4},
                  {{30, 20, 10, 0}, {50, 100, 200, 0}}, {3, 0x01, 0, 1}));
    ASSERT_EQ(dib.PixelFormat(), pf4BitRLE);
    TBitmap bitmap;
    bitmap.Assign(&dib);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Header().biClrUsed, 2u);
    EXPECT_EQ(bitmap.Canvas().GetPixel(0, 0), RGB(10, 20, 30));
    EXPECT_EQ(bitmap.Canvas().GetPixel(1, 0), RGB(200, 100, 50));
    EXPECT_EQ(bitmap.ScanLine(0)[0], 0x01);
}

TEST(PxDIB, BitmapRoundTripKeepsPixelsAndColours) {
    TBitmap bitmap(3, 2, TPixelFormat::pf24bit);
    bitmap.Canvas().SetPixel(2, 1, RGB(1, 2, 3));
    TPxDIB dib;
    dib.SetPaletteModified(false);
    dib.Assign(&bitmap);
    EXPECT_TRUE(dib.PaletteModified());
    EXPECT_EQ(dib.PixelFormat(), pf24Bit);
    EXPECT_EQ(dib.GetPixels(2, 1), RGB(1, 2, 3));
    EXPECT_EQ(dib.GetPixels(0, 0), clWhite);

    TBitmap paletted(5, 1, TPixelFormat::pf4bit);
    paletted.Canvas().SetPixel(4, 0, RGB(255, 0, 0));
    dib.Assign(&paletted);
    EXPECT_EQ(dib.PixelFormat(), pf4Bit);
    EXPECT_EQ(dib.GetPixels(4, 0), 9);
    TBitmap back;
    dib.AssignTo(back);
    EXPECT_EQ(back.Canvas().GetPixel(4, 0), RGB(255, 0, 0));
    EXPECT_EQ(back.Canvas().GetPixel(0, 0), clWhite);
}

TEST(PxDIB, SetPaletteReplacesTheColourTableOnly) {
    TPxDIB dib;
    dib.SetPixels(0, 0, 1);
    PALETTEENTRY entries[2] = {{9, 9, 9, 0}, {200, 100, 50, 0}};
    HPALETTE palette = CreatePalette(entries, 2);
    int changes = 0;
    dib.OnChange = [&](TObject&) { ++changes; };
    dib.SetPaletteModified(false);
    dib.SetPalette(palette);  // the image owns it from here
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(dib.PaletteModified());
    EXPECT_EQ(dib.GetPalette(), palette);
    EXPECT_EQ(dib.GetPixels(0, 0), 1);
    TBitmap bitmap;
    bitmap.Assign(&dib);
    EXPECT_EQ(bitmap.Canvas().GetPixel(0, 0), RGB(200, 100, 50));

    TLogicalPalette empty({});
    ExpectMessage<EPxDIBInvalidPalette>([&] { dib.SetPalette(&empty); },
                                        "TPxDIB.SetPalette: Invalid Palette");
    dib.SetPalette(nullptr);
    EXPECT_EQ(dib.GetPalette(), nullptr);
}

TEST(PxDIB, ClipboardCarriesOnlyPackedDibs) {
    test::ScopedClipboardDouble clipboard;
    TPxDIB dib;
    ExpectMessage<EInvalidGraphic>(
        [&] { dib.LoadFromClipboardFormat(CF_BITMAP, nullptr, nullptr); },
        "TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Format or No Data");
    ExpectMessage<EInvalidGraphic>(
        [&] { dib.LoadFromClipboardFormat(CF_DIB, nullptr, nullptr); },
        "TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Format or No Data");

    Load(dib, Bmp({.Width = 2, .Height = 2, .BitCount = 24}, {}, TwoRows24));
    Clipboard().Assign(&dib);
    EXPECT_FALSE(Clipboard().HasFormat(CF_PALETTE));
    TPxDIB pasted;
    pasted.Assign(&Clipboard());
    EXPECT_EQ(pasted.GetPixels(1, 1), 0x010203);

    EXPECT_EQ(CreateGraphic("DIB")->ClassName(), "TPxDIB");
    EXPECT_EQ(CreateGraphic(CF_DIB)->ClassName(), "TPxDIB");
}

// Each image ends up with a palette of its own, so that every palette is freed exactly once
// (ASan reports the double free otherwise).
TEST(PxDIB, SetPaletteCopiesAPaletteThatTheLibraryAlreadyHolds) {
    PALETTEENTRY entries[2] = {{9, 9, 9, 0}, {200, 100, 50, 0}};
    TPxDIB first, second, stranger;
    first.SetBitCount(4);
    first.SetPalette(CreatePalette(entries, 2));
    second.Assign(&first);
    HPALETTE shared = first.GetPalette();
    second.SetPalette(shared);
    stranger.SetPalette(first.GetPalette());
    for (TPxDIB* dib : {&first, &second, &stranger}) {
        PALETTEENTRY entry;
        ASSERT_EQ(GetPaletteEntries(dib->GetPalette(), 1, 1, &entry), 1);
        EXPECT_EQ(entry, entries[1]);
    }
    EXPECT_EQ(first.GetPalette(), shared);
    EXPECT_NE(second.GetPalette(), shared);
    EXPECT_NE(stranger.GetPalette(), shared);

    // The fixed palettes outlive every image that was given them.
    {
        TPxDIB halftone, monochrome;
        halftone.SetPalette(HalftonePalette());
        monochrome.SetPalette(MonochromePalette());
        EXPECT_EQ(halftone.BitCount(), 8);
        EXPECT_EQ(GetPaletteEntries(halftone.GetPalette(), 0, 0, nullptr), 215);
        monochrome.SetBitCount(1);  // drops the store that took the palette
    }
    EXPECT_EQ(GetPaletteEntries(HalftonePalette(), 0, 0, nullptr), 215);
    EXPECT_EQ(GetPaletteEntries(MonochromePalette(), 0, 0, nullptr), 2);

    // Between the library's images and the framework's bitmaps, both ways.
    {
        TBitmap bitmap(1, 1, TPixelFormat::pf8bit), fixed(1, 1, TPixelFormat::pf8bit);
        bitmap.SetPalette(first.GetPalette());
        fixed.SetPalette(HalftonePalette());
        TPxDIB fromBitmap;
        fromBitmap.SetPalette(bitmap.Palette());
        EXPECT_NE(bitmap.Palette(), first.GetPalette());
        EXPECT_NE(fixed.Palette(), HalftonePalette());
        EXPECT_NE(fromBitmap.GetPalette(), bitmap.Palette());
        EXPECT_EQ(GetPaletteEntries(fromBitmap.GetPalette(), 0, 0, nullptr), 2);
    }
    EXPECT_EQ(GetPaletteEntries(first.GetPalette(), 0, 0, nullptr), 2);
    EXPECT_EQ(GetPaletteEntries(HalftonePalette(), 0, 0, nullptr), 215);
}

TEST(PxDIB, DrawStretchesWithTheCanvasCopyMode) {
    TPxDIB dib;
    Load(dib, Bmp({.Width = 2, .Height = 2, .BitCount = 24}, {}, TwoRows24));
    TBitmap target(4, 4);
    target.Canvas().StretchDraw(Rect(0, 0, 4, 4), dib);
    EXPECT_EQ(target.Canvas().GetPixel(1, 1), RGB(0xC0, 0xB0, 0xA0));
    EXPECT_EQ(target.Canvas().GetPixel(3, 3), RGB(3, 2, 1));
    EXPECT_EQ(target.Canvas().GetPixel(0, 3), RGB(0x30, 0x20, 0x10));
    EXPECT_EQ(target.Canvas().GetPixel(3, 0), RGB(6, 5, 4));
}

TEST(PxDIB, FixedPalettesAreMadeOnceAndAnEmptyRectangleDrawsNothing) {
    TPxDIB dib;
    dib.PaletteMode = pmHalftone;
    HPALETTE halftone = dib.GetPalette();
    EXPECT_EQ(dib.GetPalette(), halftone);
    ASSERT_EQ(GetPaletteEntries(halftone, 0, 0, nullptr), 215);
    PALETTEENTRY entry;
    GetPaletteEntries(halftone, 1 * 35 + 2 * 5 + 3, 1, &entry);
    EXPECT_EQ(entry, (PALETTEENTRY{51, 85, 192, 0}));
    GetPaletteEntries(halftone, 213, 1, &entry);
    EXPECT_EQ(entry, (PALETTEENTRY{192, 192, 192, 0}));
    dib.PaletteMode = pmMonochrome;
    EXPECT_EQ(GetPaletteEntries(dib.GetPalette(), 0, 0, nullptr), 2);

    dib.PaletteMode = pmHalftone;
    TBitmap target(2, 2);
    target.Canvas().StretchDraw(Rect(1, 0, 1, 2), dib);
    EXPECT_EQ(target.Canvas().GetPixel(1, 0), clWhite);

    int events = 0;
    dib.OnProgress = [&](TObject&, TProgressStage, std::uint8_t, bool, const TRect&,
                         const std::string&) { ++events; };
    dib.SetPixelFormat(pf8Bit);
    EXPECT_EQ(events, 0);
}

}  // namespace
}  // namespace vlz

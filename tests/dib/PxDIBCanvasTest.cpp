#include "dib/PxDIBCanvas.h"

#include <gtest/gtest.h>

#include <memory>

#include "dib/DibTestSupport.h"
#include "dib/PxDIBError.h"
#include "graphics/Bitmap.h"

namespace vlz {
namespace {

void ExpectCanvasFailure(TPxDIB* dib, const char* message) {
    try {
        TPxDIBCanvas canvas(dib);
        ADD_FAILURE() << "the canvas opened";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), message);
    }
}

TEST(PxDIBCanvas, DrawingIsSeenAtOnceAndSignalledOnceAtTheEnd) {
    TPxDIB dib;
    dib.SetBitCount(24);
    dib.SetWidth(4);
    dib.SetHeight(3);
    int changes = 0;
    dib.OnChange = [&](TObject&) { ++changes; };
    {
        TPxDIBCanvas canvas(&dib);
        canvas.Brush.Color = RGB(1, 2, 3);
        canvas.FillRect(Rect(1, 1, 10, 10));
        canvas.Pen.Color = clWhite;
        canvas.MoveTo(0, 0);
        canvas.LineTo(4, 0);
        EXPECT_EQ(dib.GetPixels(3, 2), RGB(1, 2, 3));
        EXPECT_EQ(dib.GetPixels(0, 1), 0);
        EXPECT_EQ(dib.GetPixels(2, 0), clWhite);
        EXPECT_EQ(changes, 0);
    }
    EXPECT_EQ(changes, 1);
}

TEST(PxDIBCanvas, PalettedDepthsDrawTheNearestColourOfTheirTable) {
    for (int bitCount : {1, 4, 8}) {
        TPxDIB dib;
        dib.SetBitCount(bitCount);
        dib.SetWidth(9);
        PALETTEENTRY entries[2] = {{0, 0, 0, 0}, {250, 250, 250, 0}};
        dib.SetPalette(CreatePalette(entries, 2));
        {
            TPxDIBCanvas canvas(&dib);
            canvas.Brush.Color = clWhite;
            canvas.FillRect(Rect(3, 0, 9, 1));
            canvas.SetPixel(8, 0, clBlack);
        }
        EXPECT_EQ(dib.GetPixels(2, 0), 0) << bitCount;
        EXPECT_EQ(dib.GetPixels(3, 0), 1) << bitCount;
        EXPECT_EQ(dib.GetPixels(7, 0), 1) << bitCount;
        EXPECT_EQ(dib.GetPixels(8, 0), 0) << bitCount;
    }
}

TEST(PxDIBCanvas, DrawsOnlyIntoItsOwnImageOfASharedPair) {
    TPxDIB first, second;
    first.SetBitCount(24);
    second.Assign(&first);
    {
        TPxDIBCanvas canvas(&second);
        canvas.SetPixel(0, 0, RGB(9, 8, 7));
    }
    EXPECT_EQ(second.GetPixels(0, 0), RGB(9, 8, 7));
    EXPECT_EQ(first.GetPixels(0, 0), 0);
}

TEST(PxDIBCanvas, StretchDrawOfAnotherImageLandsInThePixels) {
    TPxDIB source, target;
    source.SetBitCount(24);
    source.SetPixels(0, 0, RGB(40, 50, 60));
    target.SetBitCount(24);
    target.SetWidth(3);
    target.SetHeight(2);
    {
        TPxDIBCanvas canvas(&target);
        canvas.StretchDraw(Rect(1, 0, 3, 2), source);
    }
    EXPECT_EQ(target.GetPixels(0, 0), 0);
    EXPECT_EQ(target.GetPixels(1, 0), RGB(40, 50, 60));
    EXPECT_EQ(target.GetPixels(2, 1), RGB(40, 50, 60));
}

TEST(PxDIBCanvas, ClosingUnmapsOnlyItsOwnViewAfterTheImageWasReplaced) {
    TPxDIB dib;
    auto canvas = std::make_unique<TPxDIBCanvas>(&dib);
    // Two replacements: the second store is made while the first is alive, the third takes the
    // section number the canvas was opened on, with a far larger size.
    dib.SetWidth(1024);
    dib.SetHeight(1024);
    canvas.reset();
    TMemoryStream saved;
    dib.SaveToStream(saved);
    EXPECT_EQ(saved.Size(), 1078 + 1024 * 1024);
    dib.SetPixels(1023, 1023, 7);
    EXPECT_EQ(dib.GetPixels(1023, 1023), 7);
}

TEST(PxDIBCanvas, RefusesNoImageHeapPixelsAndCompressedImages) {
    ExpectCanvasFailure(nullptr, "TPxDIBCanvas.Create: Cannot Create Canvas");

    DefaultUseFileMapping = false;
    TPxDIB onHeap;
    DefaultUseFileMapping = true;
    ExpectCanvasFailure(&onHeap, "TPxDIBCanvas.Create: Cannot Create Canvas");

    test::Bytes header = test::InfoHeaderBytes(
        {.Width = 2, .Height = 1, .BitCount = 8, .Compression = BI_RLE8, .ClrUsed = 2});
    header.resize(header.size() + 8, 0xFF);
    TMemoryStream file(test::BmpFile(header, {2, 1, 0, 1}));
    TPxDIB compressed, sharer;
    compressed.LoadFromStream(file);
    sharer.Assign(&compressed);
    int changes = 0;
    compressed.OnChange = [&](TObject&) { ++changes; };
    try {
        TPxDIBCanvas canvas(&compressed);
        ADD_FAILURE() << "the canvas opened";
    } catch (const EOutOfResources& error) {
        EXPECT_STREQ(error.what(), "TPxDIBCanvas.Create: Cannot Create Memory DC");
    }
    EXPECT_EQ(compressed.PixelFormat(), pf8BitRLE);
    EXPECT_EQ(changes, 1);
    TMemoryStream a, b;
    compressed.SaveToStream(a);
    sharer.SaveToStream(b);
    EXPECT_EQ(a.Bytes(), b.Bytes());
}

}  // namespace
}  // namespace vlz

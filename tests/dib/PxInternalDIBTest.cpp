#include "dib/PxInternalDIB.h"

#include <gtest/gtest.h>

#include "dib/PxDIBError.h"

namespace vlz {
namespace {

TEST(PxInternalDIB, NewStoreIsOneBlackPixelOf8Bits) {
    for (bool mapped : {true, false}) {
        TPxInternalDIB store(mapped);
        EXPECT_EQ(store.RefCount, 1);
        EXPECT_EQ(store.Width, 1);
        EXPECT_EQ(store.Height, 1);
        EXPECT_EQ(store.DIBInfos.ImageSize, 4);
        EXPECT_EQ(store.DIBInfos.Header.biClrUsed, 256u);
        EXPECT_EQ(store.DIBInfos.Bits[0], 0);
        EXPECT_TRUE(store.PaletteChanged);
        EXPECT_EQ(store.GetPixelFormat(), pf8Bit);
        EXPECT_EQ(store.DIBInfos.MappingHandle != NoMapping, mapped);
    }
}

TEST(PxInternalDIB, CreateDIBWithNegativeHeightIsTopDown) {
    TPxInternalDIB store(false);
    store.FreeDIB();
    store.CreateDIB(10, -5, 4, 16);
    EXPECT_EQ(store.DIBInfos.ImageSize, 40);  // stride 8 × 5 rows
    EXPECT_EQ(store.Width, 10);
    EXPECT_EQ(store.Height, 5);
    EXPECT_EQ(store.DIBInfos.Header.biHeight, -5);
    EXPECT_EQ(store.DIBInfos.Header.biXPelsPerMeter, 3780);
    EXPECT_EQ(store.GetPixelFormat(), pf4Bit);
}

TEST(PxInternalDIB, CreateDIBRejectsBadParametersWithoutTouchingTheStore) {
    TPxInternalDIB store(false);
    std::uint8_t* bits = store.DIBInfos.Bits;
    struct Case {
        std::int32_t width, height, bitCount, clrUsed;
    };
    for (Case bad : {Case{0, 5, 8, 0}, Case{5, 5, 16, 0}, Case{5, 0, 8, 0}, Case{5, 5, 8, 257},
                     Case{5, 5, 8, -1}, Case{65536, 65536, 24, 0}}) {
        try {
            store.CreateDIB(bad.width, bad.height, bad.bitCount, bad.clrUsed);
            ADD_FAILURE() << bad.width << " x " << bad.height << " accepted";
        } catch (const EPxDIBInvalidDIBPara& error) {
            EXPECT_STREQ(error.what(), "TPxInternalDIB.CreateDIB: Invalid Parameters");
        }
    }
    EXPECT_EQ(store.DIBInfos.Bits, bits);
    EXPECT_EQ(store.Width, 1);
}

TEST(PxInternalDIB, PaletteFollowsTheColourTable) {
    TPxInternalDIB store(false);
    store.DIBInfos.Header.biClrUsed = 2;
    store.DIBInfos.Colors[1] = RGBQUAD{1, 2, 3, 0};  // blue, green, red
    UniquePalette palette(store.CreatePaletteFromDIB());
    ASSERT_NE(palette, nullptr);
    ASSERT_EQ(palette->Entries().size(), 2u);
    EXPECT_EQ(palette->Entries()[1], (PALETTEENTRY{3, 2, 1, 0}));

    store.DIBInfos.Header.biClrUsed = 0;
    EXPECT_EQ(store.CreatePaletteFromDIB(), nullptr);
}

}  // namespace
}  // namespace vlz

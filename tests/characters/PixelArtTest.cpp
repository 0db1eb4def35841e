#include "PixelArt.h"

#include <gtest/gtest.h>

namespace vlz {
namespace {

const char Grid[] =
    "# three frames in rows of two\n"
    "size 3 1\n"
    "columns 2\n"
    "colour . FF00FF   # transparent\n"
    "colour R FF0000\n"
    "colour g 00FF00\n"
    "frame\n"
    ".RR\n"
    "frame\n"
    "gg.\n"
    "frame\n"
    "Rg.\n";

TEST(PixelArt, LaysFramesOutRowByRowAndFillsTheRestWithTheTransparentColour) {
    PixelArt art = ParsePixelArt(Grid);
    EXPECT_EQ(art.PictureWidth(), 6);
    EXPECT_EQ(art.PictureHeight(), 2);
    const PixelArtColour key{255, 0, 255}, red{255, 0, 0}, green{0, 255, 0};
    std::vector<PixelArtColour> expected{key, red,   red, green, green, key,  //
                                         red, green, key, key,   key,   key};
    EXPECT_EQ(art.Picture(), expected);
}

TEST(PixelArt, WritesABottomUp24BitBmpWithPaddedRows) {
    PixelArt art = ParsePixelArt(Grid);
    std::vector<std::uint8_t> bmp =
        EncodeBmp24(art.PictureWidth(), art.PictureHeight(), art.Picture());
    // 6 pixels × 3 bytes = 18, padded to 20 bytes per row.
    ASSERT_EQ(bmp.size(), 14u + 40u + 2u * 20u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[10], 54);  // bfOffBits
    EXPECT_EQ(bmp[28], 24);  // biBitCount
    // The first row in the file is the picture's bottom row: red, green, then magenta.
    EXPECT_EQ((std::vector<std::uint8_t>(bmp.begin() + 54, bmp.begin() + 63)),
              (std::vector<std::uint8_t>{0, 0, 255, 0, 255, 0, 255, 0, 255}));
    // The top row's first pixel, the transparent key, is magenta.
    EXPECT_EQ(bmp[54 + 20], 255);
    EXPECT_EQ(bmp[54 + 21], 0);
    EXPECT_EQ(bmp[54 + 22], 255);
}

}  // namespace
}  // namespace vlz

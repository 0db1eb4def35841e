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

TEST(PixelArt, ErrorsNameTheLine) {
    auto errorOf = [](const std::string& text) -> std::string {
        try {
            ParsePixelArt(text);
        } catch (const EPixelArtError& error) {
            return error.what();
        }
        return "no error";
    };
    const std::string head = "size 2 1\ncolour . FF00FF\ncolour K 000000\n";
    EXPECT_EQ(errorOf(head + "frame\n.K.\n"), "line 5: a row needs 2 characters, this one has 3");
    EXPECT_EQ(errorOf(head + "frame\n.x\n"), "line 5: 'x' is not in the palette");
    EXPECT_EQ(errorOf(head + "colour m FF00FF\n"),
              "line 4: 'm' has the transparent colour and would vanish");
    EXPECT_EQ(errorOf(head + "frame\n"), "line 4: the last frame ends 1 rows early");
    EXPECT_NE(errorOf(head + "frame\nK.\n").find("top-left pixel"), std::string::npos);
    EXPECT_EQ(errorOf("frame\n"), "line 1: size and the palette come before the first frame");
}

}  // namespace
}  // namespace vlz

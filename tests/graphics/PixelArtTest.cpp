#include "graphics/PixelArt.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Stream.h"

namespace vlz {
namespace {

const char Grid[] =
    "# three frames in rows of two\n"
    "size 3 1\n"
    "columns 2\n"
    "colour . FF00FF   # transparent\n"
    "colour R FF0000\n"
    "colour g 00ff00\n"
    "frame\n"
    ".RR\n"
    "frame\r\n"
    "gg. \r\n"
    "frame\n"
    "Rg.\n";

TEST(PixelArtTest, LaysFramesOutRowByRowAndFillsTheRestWithTheTransparentColour) {
    const TPixelArt art = ParsePixelArt(Grid);
    EXPECT_EQ(art.PictureWidth(), 6);
    EXPECT_EQ(art.PictureHeight(), 2);
    const TPixelArtColour key{255, 0, 255}, red{255, 0, 0}, green{0, 255, 0};
    EXPECT_EQ(art.Transparent, key);
    const std::vector<TPixelArtColour> expected{key, red,   red, green, green, key,  //
                                                red, green, key, key,   key,   key};
    EXPECT_EQ(art.Picture(), expected);
}

TEST(PixelArtTest, IconPixelsLeaveTheTransparentColourOut) {
    const TPixelArt art = ParsePixelArt(Grid);
    const std::vector<std::uint32_t> expected{
        0,          0xFFFF0000, 0xFFFF0000, 0xFF00FF00, 0xFF00FF00, 0,  //
        0xFFFF0000, 0xFF00FF00, 0,          0,          0,          0};
    EXPECT_EQ(art.PictureArgb(), expected);
}

TEST(PixelArtTest, OneFrameWithoutColumnsIsThePictureItself) {
    const TPixelArt art =
        ParsePixelArt("size 2 2\ncolour . 000000\ncolour W FFFFFF\nframe\n.W\nW.\n");
    EXPECT_EQ(art.PictureWidth(), 2);
    EXPECT_EQ(art.PictureHeight(), 2);
    EXPECT_EQ(art.PictureArgb(), (std::vector<std::uint32_t>{0, 0xFFFFFFFF, 0xFFFFFFFF, 0}));
}

TEST(PixelArtTest, RejectsTextThatBreaksTheFormatNamingTheLine) {
    const std::string head = "size 2 1\ncolour . FF00FF\ncolour R FF0000\n";
    const std::vector<std::pair<std::string, std::string>> broken = {
        {head + "frame\n.X\n", "line 5: 'X' is not in the palette"},
        {head + "frame\n.RR\n", "line 5: a row needs 2 characters, this one has 3"},
        {head + "frame\n.R\nframe\n", "line 6: the last frame ends 1 rows early"},
        {"size 2 1\ncolour R FF00G0\n", "line 2: colour needs one character and RRGGBB"},
        {head + "colour R 00FF00\n", "line 4: 'R' is in the palette twice"},
        {head + "colour Q FF00FF\n", "line 4: 'Q' has the transparent colour and would vanish"},
        {"frame\n", "line 1: size and the palette come before the first frame"},
        {head + "tile\n", "line 4: unknown keyword 'tile'"},
        {head, "no frame"},
        {head + "frame\nR.\n",
         "the first frame's top-left pixel must be the transparent colour (the first in the "
         "palette)"},
    };
    for (const auto& [text, message] : broken) {
        try {
            ParsePixelArt(text);
            ADD_FAILURE() << "accepted: " << text;
        } catch (const EPixelArtError& error) {
            EXPECT_EQ(error.what(), message);
        }
    }
}

TEST(PixelArtTest, TheTrayIconsArtIsReadByTheSameRules) {
    // The icons' files, as the program embeds them.
    for (const char* name : {"show.txt", "hide.txt"}) {
        SCOPED_TRACE(name);
        const std::vector<std::uint8_t> text =
            ReadWholeFile(std::string(VLZ_SOURCE_DIR "/resources/icons/") + name);
        const TPixelArt art = ParsePixelArt(
            std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
        EXPECT_EQ(art.PictureWidth(), 16);
        EXPECT_EQ(art.PictureHeight(), 16);
        EXPECT_EQ(art.PictureArgb().front(), 0u) << "the corner shows the tray through";
    }
}

}  // namespace
}  // namespace vlz

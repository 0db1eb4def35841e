#include "PreviewPicture.h"

#include <gtest/gtest.h>

#include "CheckPackage.h"
#include "characters/BmpBuilder.h"
#include "support/TemporaryFolder.h"
#include "vlfpack/AuthorFiles.h"

namespace vlz {
namespace {

using testing::Description;
using testing::MakeBmp;
using testing::MakeCharacterPackage;

constexpr std::uint32_t Key = 0x00FF00;  // 0x00BBGGRR and 0xRRGGBB alike
constexpr std::uint32_t Red = 0xFF0000;
constexpr std::uint32_t Blue = 0x0000FF;

// Two frames of 2 × 2 side by side; frame 0 has red at its top right, frame 1 blue at its
// bottom left, everything else is the key colour.
std::vector<std::uint8_t> TwoFramePicture() {
    const std::uint32_t red = 0x0000FF;  // as 0x00BBGGRR
    const std::uint32_t blue = 0xFF0000;
    return MakeBmp(4, 2, 24,
                   {Key, red, Key, Key,  //
                    Key, Key, blue, Key});
}

class PreviewPicture : public ::testing::Test {
  protected:
    TLoadedCharacter Load(const std::string& description, const std::vector<std::uint8_t>& bmp) {
        testing::WriteBytes(folder_ / "test.vlf", MakeCharacterPackage(description, bmp));
        TLoadedCharacter character = LoadAsTheProgramDoes(folder_ / "test.vlf");
        EXPECT_FALSE(character.Failure);
        EXPECT_TRUE(character.Boxes.empty());
        return character;
    }

    testing::TemporaryFolder folder_;
};

TEST_F(PreviewPicture, DrawsEveryFrameInOrderEnlargedOverACheckerboardWhereItIsTransparent) {
    TLoadedCharacter character = Load(Description("Tobble", 2, 2, 2, 250), TwoFramePicture());
    std::vector<std::string> warnings;
    TPreviewLayout layout;
    const int scale = 8;
    TRgbPicture picture = DrawPreview(*character.Sprite, scale, warnings, &layout);
    EXPECT_TRUE(warnings.empty());
    ASSERT_EQ(layout.FramesDrawn, 2);

    // Each source pixel is a whole 8 × 8 block: its colour where the character is drawn, the
    // checkerboard (one square per block at this scale) where it is transparent.
    const std::uint32_t expected[2][2][2] = {
        {{CheckerLight, Red}, {CheckerDark, CheckerLight}},
        {{CheckerLight, CheckerDark}, {Blue, CheckerLight}},
    };
    for (int frame = 0; frame < 2; ++frame) {
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 2; ++x) {
                for (int inner = 0; inner < scale * scale; ++inner) {
                    int px = layout.FrameLeft(frame) + x * scale + inner % scale;
                    int py = layout.FrameTop(frame) + y * scale + inner / scale;
                    ASSERT_EQ(picture.Pixel(px, py), expected[frame][y][x])
                        << "frame " << frame << " pixel " << x << "," << y;
                }
            }
        }
    }
    EXPECT_LT(layout.FrameLeft(0), layout.FrameLeft(1));
    EXPECT_EQ(layout.FrameTop(0), layout.FrameTop(1));
}

TEST_F(PreviewPicture, NumbersTheFramesAndStatesTheInterval) {
    TLoadedCharacter character = Load(Description("Tobble", 2, 2, 2, 250), TwoFramePicture());
    EXPECT_EQ(PreviewCaption(*character.Sprite, 8),
              "Tobble: 2 frames of 2 x 2, 250 ms each   (shown x8)");
    std::vector<std::string> warnings;
    TPreviewLayout layout;
    TRgbPicture picture = DrawPreview(*character.Sprite, 8, warnings, &layout);
    // Something is written in the caption line and below each frame, and "0" differs from "1".
    auto ink = [&](int left, int top, int width, int height) {
        std::string pattern;
        for (int y = top; y < top + height; ++y) {
            for (int x = left; x < left + width; ++x) {
                pattern += picture.Pixel(x, y) == 0xF0F0F0 ? '#' : '.';
            }
        }
        return pattern;
    };
    const int labelTop = layout.FrameTop(0) + layout.FrameHeight;
    const int labelHeight = layout.CellHeight - layout.FrameHeight;
    std::string zero = ink(layout.CellLeft(0), labelTop, layout.CellWidth, labelHeight);
    std::string one = ink(layout.CellLeft(1), labelTop, layout.CellWidth, labelHeight);
    EXPECT_NE(zero.find('#'), std::string::npos);
    EXPECT_NE(one.find('#'), std::string::npos);
    EXPECT_NE(zero, one);
    EXPECT_NE(ink(0, 0, picture.Width, layout.FramesTop).find('#'), std::string::npos);

    // A Japanese name is left out of the caption (the font has no such characters); a still
    // character says so.
    TLoadedCharacter still = Load(Description("トブル", 2, 2, 1, 0), TwoFramePicture());
    EXPECT_EQ(PreviewCaption(*still.Sprite, 1),
              "1 frame of 2 x 2, interval 0: the note shows frame 0 only   (shown x1)");
}

TEST_F(PreviewPicture, WrapsLongAnimationsIntoRowsAndDrawsNoMoreThanFits) {
    TLoadedCharacter character = Load(Description("Long", 2, 2, 40, 100), TwoFramePicture());
    std::vector<std::string> warnings;
    TPreviewLayout layout;
    TRgbPicture picture = DrawPreview(*character.Sprite, 8, warnings, &layout);
    EXPECT_EQ(layout.FramesDrawn, 40);
    EXPECT_GT(layout.FrameTop(39), layout.FrameTop(0));
    EXPECT_LE(picture.Width, 1200);
    EXPECT_TRUE(warnings.empty());

    // A count far beyond any picture (a package made by hand) stops at the size limit.
    TLoadedCharacter endless = Load(Description("Endless", 2, 2, 1000000, 100), TwoFramePicture());
    picture = DrawPreview(*endless.Sprite, 8, warnings, &layout);
    EXPECT_LE(picture.Height, MaximumPreviewSide);
    EXPECT_LT(layout.FramesDrawn, 1000000);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "only the first " + std::to_string(layout.FramesDrawn) +
                               " of the 1000000 frames are drawn");
}

}  // namespace
}  // namespace vlz

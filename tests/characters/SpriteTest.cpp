#include "characters/Sprite.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "characters/BmpBuilder.h"
#include "doubles/ScriptedMessageBoxes.h"
#include "notes/core/NoteLayout.h"
#include "platform/Stream.h"
#include "support/TemporaryFolder.h"

namespace vlz {
namespace {

namespace fs = std::filesystem;
using namespace vlz::testing;

constexpr std::uint32_t Key = 0xFF00FF;  // magenta, the transparent colour
constexpr std::uint32_t Red = 0x0000FF;  // 0x00BBGGRR
constexpr std::uint32_t Green = 0x00FF00;
constexpr std::uint32_t Blue = 0xFF0000;
constexpr TColor Background = 0x336699;

class SpriteTest : public ::testing::Test {
  protected:
    std::string Write(const std::vector<std::uint8_t>& bytes) {
        const std::string path = folder_ / ("sprite" + std::to_string(written_++) + ".vlf");
        TFileStream file(path, TFileStream::Mode::Create);
        file.WriteBuffer(bytes.data(), bytes.size());
        return path;
    }
    // A 24-bit canvas of the background colour.
    static std::unique_ptr<TBitmap> Board(int width, int height) {
        auto board = std::make_unique<TBitmap>(width, height, TPixelFormat::pf24bit);
        board->Canvas().Brush.Color = Background;
        board->Canvas().FillRect(Rect(0, 0, width, height));
        return board;
    }

    testing::ScriptedMessageBoxes boxes_;
    testing::TemporaryFolder folder_;
    int written_ = 0;
};

// Two 3 × 2 frames side by side: frame 0 red with a transparent corner, frame 1 green with a
// transparent pixel in its middle.
std::vector<std::uint32_t> TwoFramePixels() {
    return {Key, Red, Red, Green, Green, Green,  //
            Red, Red, Key, Green, Key,   Blue};
}

TEST_F(SpriteTest, Loads24BitPictureWithItsTransparencyEverywhere) {
    TSprite sprite;
    sprite.LoadFromFile(Write(MakeCharacterPackage(Description("Duo", 3, 2, 2, 90),
                                                   MakeBmp(6, 2, 24, TwoFramePixels()))));
    EXPECT_TRUE(boxes_.Boxes.empty());
    EXPECT_EQ(sprite.Name, "Duo");
    EXPECT_EQ(sprite.PatternWidth, 3);
    EXPECT_EQ(sprite.PatternCount, 2);
    EXPECT_EQ(sprite.AnimationInterval, 90);
    ASSERT_EQ(sprite.Image.Width(), 6);
    ASSERT_EQ(sprite.Mask.Height(), 2);
    const auto pixels = TwoFramePixels();
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 6; ++x) {
            bool transparent = pixels[static_cast<std::size_t>(y * 6 + x)] == Key;
            SCOPED_TRACE(::testing::Message() << x << "," << y);
            EXPECT_EQ(sprite.Mask.Canvas().GetPixel(x, y), transparent ? clWhite : clBlack);
            EXPECT_EQ(sprite.Image.Canvas().GetPixel(x, y),
                      transparent
                          ? clBlack
                          : static_cast<TColor>(pixels[static_cast<std::size_t>(y * 6 + x)]));
        }
    }
}

TEST_F(SpriteTest, DrawFrameLeavesTransparentPixelsAndRestoresTheCopyMode) {
    TSprite sprite;
    sprite.LoadFromFile(Write(
        MakeCharacterPackage(Description("Duo", 3, 2, 2), MakeBmp(6, 2, 24, TwoFramePixels()))));
    auto board = Board(5, 4);
    board->Canvas().CopyMode = SRCINVERT;
    sprite.DrawFrame(board->Canvas(), 1, 1, 1);
    EXPECT_EQ(board->Canvas().CopyMode, SRCCOPY);
    TCanvas& canvas = board->Canvas();
    EXPECT_EQ(canvas.GetPixel(1, 1), static_cast<TColor>(Green));
    EXPECT_EQ(canvas.GetPixel(3, 2), static_cast<TColor>(Blue));
    EXPECT_EQ(canvas.GetPixel(2, 2), Background);  // the transparent middle pixel
    EXPECT_EQ(canvas.GetPixel(0, 0), Background);
    EXPECT_EQ(canvas.GetPixel(4, 3), Background);

    auto opaque = Board(3, 2);
    opaque->Canvas().Brush.Color = 0x123456;
    sprite.DrawFrameOpaque(opaque->Canvas(), 0, 0, 0);
    EXPECT_EQ(opaque->Canvas().GetPixel(0, 0), 0x123456);
    EXPECT_EQ(opaque->Canvas().GetPixel(1, 0), static_cast<TColor>(Red));
    EXPECT_EQ(opaque->Canvas().GetPixel(2, 1), 0x123456);
}

TEST_F(SpriteTest, NarrowPictureIsOneColumnAndGridsAreReadRowByRow) {
    // 2 × 3 picture, frames of 4 × 1: one column, so frame n is row n.
    TSprite narrow;
    narrow.LoadFromFile(Write(MakeCharacterPackage(
        Description("Tall", 4, 1, 3), MakeBmp(2, 3, 24, {Key, Key, Red, Key, Key, Green}))));
    EXPECT_EQ(narrow.FrameRect(2), Rect(0, 2, 4, 3));
    auto board = Board(4, 1);
    narrow.DrawFrame(board->Canvas(), 0, 0, 2);
    EXPECT_EQ(board->Canvas().GetPixel(1, 0), static_cast<TColor>(Green));
    EXPECT_EQ(board->Canvas().GetPixel(0, 0), Background);
    // Outside the picture counts as transparent.
    EXPECT_EQ(board->Canvas().GetPixel(3, 0), Background);

    // A 2 × 2 grid of 1 × 1 frames: frame 3 is at the bottom right.
    TSprite grid;
    grid.LoadFromFile(Write(MakeCharacterPackage(Description("Grid", 1, 1, 4),
                                                 MakeBmp(2, 2, 24, {Key, Red, Green, Blue}))));
    EXPECT_EQ(grid.FrameRect(3), Rect(1, 1, 2, 2));
    auto cell = Board(1, 1);
    grid.DrawFrame(cell->Canvas(), 0, 0, 3);
    EXPECT_EQ(cell->Canvas().GetPixel(0, 0), static_cast<TColor>(Blue));
    // Frames past the picture draw nothing.
    grid.DrawFrame(cell->Canvas(), 0, 0, 1000000);
    grid.DrawFrame(cell->Canvas(), 0, 0, -1);
    EXPECT_EQ(cell->Canvas().GetPixel(0, 0), static_cast<TColor>(Blue));
}

TEST_F(SpriteTest, OneAndFourBitPicturesLoadWithIndexMasks) {
    struct Case {
        int bitCount;
        std::uint32_t highest;
    };
    for (Case c : {Case{1, 1}, Case{4, 15}}) {
        SCOPED_TRACE(c.bitCount);
        std::vector<std::uint32_t> palette(c.bitCount == 1 ? 2 : 16, 0x808080);
        palette.front() = 0x000000;
        palette.back() = 0xFFFFFF;
        palette[1 % palette.size()] = c.bitCount == 1 ? 0xFFFFFF : 0xFF0000;
        // Index 1 is the key at (0, 0); index 0 is a figure pixel.
        TSprite sprite;
        sprite.LoadFromFile(Write(MakeCharacterPackage(
            Description("Bits", 2, 2, 1), MakeBmp(2, 2, c.bitCount, {1, 0, 0, 1}, palette))));
        ASSERT_EQ(sprite.Image.PixelFormat(),
                  c.bitCount == 1 ? TPixelFormat::pf1bit : TPixelFormat::pf4bit);
        auto index = [&](TBitmap& bitmap, int x, int y) -> std::uint32_t {
            const std::uint8_t* row = bitmap.ScanLine(y);
            return c.bitCount == 1 ? (row[0] >> (7 - x)) & 1 : (row[0] >> (x == 0 ? 4 : 0)) & 0x0F;
        };
        EXPECT_EQ(index(sprite.Image, 0, 0), 0u);
        EXPECT_EQ(index(sprite.Image, 1, 1), 0u);
        EXPECT_EQ(index(sprite.Mask, 0, 0), c.highest);
        EXPECT_EQ(index(sprite.Mask, 1, 1), c.highest);
        EXPECT_EQ(index(sprite.Mask, 1, 0), 0u);
        // With black at index 0 and white at the top, the frame draws right on a 24-bit canvas.
        auto board = Board(2, 2);
        sprite.DrawFrame(board->Canvas(), 0, 0, 0);
        EXPECT_EQ(board->Canvas().GetPixel(0, 0), Background);
        EXPECT_EQ(board->Canvas().GetPixel(1, 0), clBlack);
    }
}

TEST_F(SpriteTest, PicturesItCannotKeyFailAndLeaveTheImageAlone) {
    const std::vector<std::uint8_t> unusable[] = {
        MakeBmp(2, 2, 8, {1, 0, 0, 1}, std::vector<std::uint32_t>(256, 0)),
        MakeRle8Bmp(4, 2),
        {'B', 'M', 1, 2, 3},
    };
    for (const auto& picture : unusable) {
        TSprite sprite;
        try {
            sprite.LoadFromFile(Write(MakeCharacterPackage(Description("Bad", 2, 2, 1), picture)));
            ADD_FAILURE() << "loaded an unusable picture";
        } catch (const Exception& error) {
            EXPECT_STREQ(error.what(), "ファイル読み込みエラー");
        }
        EXPECT_TRUE(sprite.Image.Empty());
        EXPECT_TRUE(sprite.Mask.Empty());
        // The description was read before the picture failed.
        EXPECT_EQ(sprite.Name, "Bad");
        EXPECT_EQ(sprite.PatternWidth, 2);
    }
    TSprite noPicture;
    EXPECT_THROW(noPicture.LoadFromFile(
                     Write(BuildPackage({{"desc.txt", Text(Description("N", 1, 1, 1))}}))),
                 Exception);
    EXPECT_THROW(noPicture.LoadFromFile("/nonexistent/x.vlf"), Exception);
}

TEST_F(SpriteTest, BrokenDescriptionStillLoadsThePictureWithDefaults) {
    TSprite sprite;
    sprite.PatternWidth = 7;  // an earlier load's values do not survive
    sprite.LoadFromFile(
        Write(MakeCharacterPackage("Name=Half\r\nPatternWidth=$10\r\nPatternHeight=0\r\n",
                                   MakeBmp(2, 2, 24, {Key, Red, Red, Red}))));
    ASSERT_EQ(boxes_.Boxes.size(), 1u);
    EXPECT_NE(boxes_.Boxes[0].Text.find("(desc.txt) 読み込み中のエラー."), std::string::npos);
    EXPECT_EQ(sprite.Name, "Half");
    EXPECT_EQ(sprite.PatternWidth, 16);
    EXPECT_EQ(sprite.PatternHeight, 32);
    EXPECT_EQ(sprite.PatternCount, 1);
    EXPECT_EQ(sprite.Image.Width(), 2);
}

TEST(BundledCharacters, EveryFrameOfEveryCharacterShowsSomething) {
    testing::ScriptedMessageBoxes boxes;
    int characters = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(VLZ_BINARY_DIR) / "app")) {
        if (entry.path().extension() != ".vlf") {
            continue;
        }
        ++characters;
        SCOPED_TRACE(entry.path().string());
        TSprite sprite;
        sprite.LoadFromFile(entry.path().string());
        EXPECT_TRUE(boxes.Boxes.empty());
        EXPECT_LE(sprite.PatternWidth, CharacterBoxWidth);
        EXPECT_LE(sprite.PatternHeight, CharacterBoxHeight);
        EXPECT_GE(sprite.PatternCount, 2);
        EXPECT_GT(sprite.AnimationInterval, 0);
        for (int frame = 0; frame < sprite.PatternCount; ++frame) {
            auto board = std::make_unique<TBitmap>(sprite.PatternWidth, sprite.PatternHeight,
                                                   TPixelFormat::pf24bit);
            board->Canvas().Brush.Color = Background;
            board->Canvas().FillRect(Rect(0, 0, sprite.PatternWidth, sprite.PatternHeight));
            sprite.DrawFrame(board->Canvas(), 0, 0, frame);
            int drawn = 0;
            for (int y = 0; y < sprite.PatternHeight; ++y) {
                for (int x = 0; x < sprite.PatternWidth; ++x) {
                    drawn += board->Canvas().GetPixel(x, y) != Background;
                }
            }
            EXPECT_GT(drawn, sprite.PatternWidth * sprite.PatternHeight / 8) << "frame " << frame;
            // The corner that keys the transparency is never part of the figure.
            EXPECT_EQ(board->Canvas().GetPixel(0, 0), Background) << "frame " << frame;
        }
    }
    EXPECT_GE(characters, 4);
}

}  // namespace
}  // namespace vlz

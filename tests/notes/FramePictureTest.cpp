// The note's frame picture against the committed golden image. When the artwork is changed on
// purpose, the test writes what it drew beside itself in the build tree; look at it, then copy it
// over tests/data/notes/frame.bmp.

#include "notes/core/FramePicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>

#include "graphics/Bitmap.h"

namespace vlz {
namespace {

const std::string GoldenPath = VLZ_SOURCE_DIR "/tests/data/notes/frame.bmp";
const std::string DrawnPath = VLZ_BINARY_DIR "/tests/notes/frame.drawn.bmp";

void Save(const TFramePicture& picture, const std::string& path) {
    TBitmap bitmap(TFramePicture::Width, TFramePicture::Height, TPixelFormat::pf24bit);
    for (int y = 0; y < TFramePicture::Height; ++y) {
        std::copy_n(picture.Pixels.data() + y * TFramePicture::Stride, TFramePicture::Stride,
                    bitmap.ScanLine(y));
    }
    bitmap.SaveToFile(path);
}

TEST(FramePictureTest, MatchesTheGoldenImage) {
    const TFramePicture picture = MakeFramePicture();
    ASSERT_EQ(picture.Pixels.size(), 320u * 110u * 3u);
    TBitmap golden;
    try {
        golden.LoadFromFile(GoldenPath);
    } catch (const std::exception& error) {
        Save(picture, DrawnPath);
        FAIL() << GoldenPath << ": " << error.what() << "; the drawn picture is in " << DrawnPath;
    }
    ASSERT_EQ(golden.Width(), TFramePicture::Width);
    ASSERT_EQ(golden.Height(), TFramePicture::Height);
    ASSERT_EQ(golden.PixelFormat(), TPixelFormat::pf24bit);

    int wrong = 0;
    for (int y = 0; y < TFramePicture::Height; ++y) {
        const std::uint8_t* row = golden.ScanLine(y);
        for (int x = 0; x < TFramePicture::Width; ++x) {
            const std::uint32_t expected = row[x * 3] | (row[x * 3 + 1] << 8) |
                                           (static_cast<std::uint32_t>(row[x * 3 + 2]) << 16);
            if (picture.RGBAt(x, y) != expected && ++wrong <= 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex
                              << picture.RGBAt(x, y) << ", the golden image has " << expected;
            }
        }
    }
    if (wrong != 0) {
        Save(picture, DrawnPath);
        ADD_FAILURE() << wrong << " pixels differ; the drawn picture is in " << DrawnPath;
    }
}

TEST(FramePictureTest, UsesTheSixColoursOfTheArtwork) {
    const TFramePicture picture = MakeFramePicture();
    std::set<std::uint32_t> colours;
    for (int y = 0; y < TFramePicture::Height; ++y) {
        for (int x = 0; x < TFramePicture::Width; ++x) {
            colours.insert(picture.RGBAt(x, y));
        }
    }
    EXPECT_EQ(colours, (std::set<std::uint32_t>{0xDE9E52, 0xE7B67B, 0x9C6931, 0x000000, 0xAD7D42,
                                                0xEFC394}));
}

}  // namespace
}  // namespace vlz

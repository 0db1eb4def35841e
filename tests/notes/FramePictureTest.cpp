#include <gtest/gtest.h>

#include <set>

#include "notes/core/FramePicture.h"

namespace vlz {
namespace {

// The frame as a person would describe it, region by region, later regions on top.
std::uint32_t Expected(int x, int y) {
    const auto in = [&](int left, int top, int right, int bottom) {
        return x >= left && x <= right && y >= top && y <= bottom;
    };
    if (in(13, 14, 79, 99)) {
        if ((y - 14) % 4 == 0)
            return 0xAD7D42;
        if ((y - 14) % 4 == 1)
            return 0xEFC394;
        return 0xDE9E52;
    }
    if (in(91, 17, 301, 95))
        return 0x000000;
    if (in(302, 17, 304, 98) || in(91, 96, 304, 98))
        return 0xE7B67B;
    if (in(88, 14, 304, 16) || in(88, 14, 90, 98))
        return 0x9C6931;
    if (in(317, 0, 319, 109) || in(0, 107, 319, 109))
        return 0x9C6931;
    if (in(3, 3, 316, 5) || in(3, 3, 5, 106))
        return 0xE7B67B;
    return 0xDE9E52;
}

TEST(FramePictureTest, EveryPixelMatchesTheArtwork) {
    const TFramePicture picture = MakeFramePicture();
    ASSERT_EQ(picture.Pixels.size(), 320u * 110u * 3u);
    int wrong = 0;
    for (int y = 0; y < 110; ++y) {
        for (int x = 0; x < 320; ++x) {
            if (picture.RGBAt(x, y) != Expected(x, y) && ++wrong <= 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex
                              << picture.RGBAt(x, y) << ", expected " << Expected(x, y);
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(FramePictureTest, UsesSixColoursOnly) {
    const TFramePicture picture = MakeFramePicture();
    std::set<std::uint32_t> colours;
    for (int y = 0; y < 110; ++y) {
        for (int x = 0; x < 320; ++x) {
            colours.insert(picture.RGBAt(x, y));
        }
    }
    EXPECT_EQ(colours.size(), 6u);
}

}  // namespace
}  // namespace vlz

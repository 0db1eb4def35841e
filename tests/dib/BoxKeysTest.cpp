// Box numbers, dropped bits and their summaries, computed many pixels at a time, against the
// pixel-by-pixel definitions, for every count around the block sizes.

#include "dib/PxBoxKeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace vlz {
namespace {

TEST(BoxKeys, EveryPixelGivesItsBoxAndDroppedBitsBack) {
    std::mt19937 random(3);
    for (std::int32_t count = 0; count <= 80; ++count) {
        std::vector<std::uint8_t> pixels(3 * static_cast<std::size_t>(count));
        for (std::uint8_t& byte : pixels) {
            byte = static_cast<std::uint8_t>(random());
        }
        // One spare entry each, to see that nothing is written past the pixels' keys.
        std::vector<std::uint16_t> boxes(count + 1, 0xBEEF);
        std::vector<std::uint8_t> bits(count + 1, 0xA5);
        BoxKeysOf(pixels.data(), count, boxes.data(), bits.data());
        for (std::int32_t i = 0; i < count; ++i) {
            const std::uint8_t blue = pixels[3 * i], green = pixels[3 * i + 1],
                               red = pixels[3 * i + 2];
            ASSERT_EQ(boxes[i], (red >> 3) * 2048 + (green >> 2) * 32 + (blue >> 3))
                << count << " pixels, pixel " << i;
            ASSERT_EQ(bits[i], (red & 7) * 32 + (green & 3) * 8 + (blue & 7))
                << count << " pixels, pixel " << i;
            // The box's corner plus the dropped bits is the pixel itself.
            ASSERT_EQ((boxes[i] >> 11) * 8 + (bits[i] >> 5), red);
            ASSERT_EQ(((boxes[i] >> 5) & 63) * 4 + ((bits[i] >> 3) & 3), green);
            ASSERT_EQ((boxes[i] & 31) * 8 + (bits[i] & 7), blue);
        }
        EXPECT_EQ(boxes[count], 0xBEEF);
        EXPECT_EQ(bits[count], 0xA5);
    }
}

TEST(BoxKeys, SummariesAddUpEveryValue) {
    std::mt19937 random(4);
    for (std::size_t count : {0u, 1u, 15u, 16u, 17u, 31u, 32u, 33u, 100u, 257u, 4099u}) {
        for (int spread = 0; spread < 3; ++spread) {
            std::vector<std::uint8_t> bits(count);
            for (std::uint8_t& value : bits) {
                // All 256 values, a few of them, or a single one.
                value = static_cast<std::uint8_t>(spread == 0   ? random()
                                                  : spread == 1 ? 0x49 + random() % 3 * 0x21
                                                                : 0xB6);
            }
            std::uint64_t sum[3] = {}, squares[3] = {};
            std::uint8_t lowest[3] = {7, 3, 7}, highest[3] = {0, 0, 0};
            for (std::uint8_t value : bits) {
                const std::uint8_t channel[3] = {static_cast<std::uint8_t>(value >> 5),
                                                 static_cast<std::uint8_t>((value >> 3) & 3),
                                                 static_cast<std::uint8_t>(value & 7)};
                for (int c = 0; c < 3; ++c) {
                    sum[c] += channel[c];
                    squares[c] += channel[c] * channel[c];
                    lowest[c] = std::min(lowest[c], channel[c]);
                    highest[c] = std::max(highest[c], channel[c]);
                }
            }
            const TPxDroppedBitSummary summary = SummaryOf(bits.data(), count);
            for (int c = 0; c < 3; ++c) {
                SCOPED_TRACE(::testing::Message()
                             << count << " values, spread " << spread << ", channel " << c);
                EXPECT_EQ(summary.Sum[c], sum[c]);
                EXPECT_EQ(summary.Squares[c], squares[c]);
                EXPECT_EQ(summary.Lowest[c], lowest[c]);
                EXPECT_EQ(summary.Highest[c], highest[c]);
            }
        }
    }
}

}  // namespace
}  // namespace vlz

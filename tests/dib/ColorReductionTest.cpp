// The five colour reducers: palettes, pixel mapping, progress steps, and a comparison with a
// plain reading of the splitting rules.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "dib/DibTestImages.h"
#include "dib/PxColorReduction.h"
#include "dib/PxDIBError.h"

namespace vlz {
namespace {

using test::MakeImage;
using test::TOwnedInfos;
using Reducer = void (*)(const TPxDIBInfos&, TPxDIBInfos&, bool, const TPxProgressCallback&);

struct TReducerCase {
    const char* Name;
    Reducer Reduce;
    int Depth;
    bool High;
};

const TReducerCase TrueColorReducers[] = {
    {"ConvertTrueColorTo8BitRGBLow", ConvertTrueColorTo8BitRGBLow, 8, false},
    {"ConvertTrueColorTo4BitRGBLow", ConvertTrueColorTo4BitRGBLow, 4, false},
    {"ConvertTrueColorTo8BitRGBHigh", ConvertTrueColorTo8BitRGBHigh, 8, true},
    {"ConvertTrueColorTo4BitRGBHigh", ConvertTrueColorTo4BitRGBHigh, 4, true},
};

// Runs a reducer and counts its progress steps.
int Reduce(Reducer reduce, const TOwnedInfos& src, TOwnedInfos& dst) {
    int steps = 0;
    reduce(*src, *dst, false, [&] { ++steps; });
    return steps;
}

// ---- A plain reading of the rules: long double sums, the two-sided partition, recursion ----

struct TReferenceElement {
    int Red, Green, Blue;
    long long Weight;
    int Key;
    int Index = -1;
};

void ReferenceSplit(std::vector<TReferenceElement>& elements, int lo, int hi, int level, int depth,
                    std::vector<RGBQUAD>& palette) {
    if (lo == hi) {
        return;
    }
    long double weight = 0, sum[3] = {}, squares[3] = {};
    for (int i = lo; i < hi; ++i) {
        const TReferenceElement& e = elements[i];
        const int value[3] = {e.Red, e.Green, e.Blue};
        weight += e.Weight;
        for (int c = 0; c < 3; ++c) {
            sum[c] += static_cast<long double>(e.Weight) * value[c];
            squares[c] += static_cast<long double>(e.Weight) * value[c] * value[c];
        }
    }
    long double mean[3], variance[3];
    for (int c = 0; c < 3; ++c) {
        mean[c] = sum[c] / weight;
        variance[c] = squares[c] / weight - mean[c] * mean[c];
    }
    if (level == depth) {
        palette.push_back({static_cast<std::uint8_t>(std::nearbyint(mean[2])),
                           static_cast<std::uint8_t>(std::nearbyint(mean[1])),
                           static_cast<std::uint8_t>(std::nearbyint(mean[0])), 0});
        for (int i = lo; i < hi; ++i) {
            elements[i].Index = static_cast<int>(palette.size()) - 1;
        }
        return;
    }
    const long double wr = 3 * variance[0], wg = 4 * variance[1], wb = 2 * variance[2];
    const int axis = (wr >= wg && wr >= wb) ? 0 : (wg >= wb ? 1 : 2);
    auto valueOf = [axis](const TReferenceElement& e) {
        return axis == 0 ? e.Red : axis == 1 ? e.Green : e.Blue;
    };
    int i = lo, j = hi;
    do {
        while (i < j && valueOf(elements[i]) <= mean[axis]) {
            ++i;
        }
        while (j > i && valueOf(elements[j - 1]) > mean[axis]) {
            --j;
        }
        if (i != j) {
            std::swap(elements[i], elements[j - 1]);
        }
    } while (j != i);
    ReferenceSplit(elements, i, hi, level + 1, depth, palette);
    ReferenceSplit(elements, lo, i, level + 1, depth, palette);
}

struct TReferenceResult {
    std::vector<RGBQUAD> Palette;
    std::vector<int> Indices;  // per pixel, row after row in memory order
};

TReferenceResult ReferenceReduce(const TOwnedInfos& src, int depth, bool high) {
    const int width = src->Header.biWidth;
    const int height = std::abs(src->Header.biHeight);
    std::vector<TReferenceElement> elements;
    std::vector<int> boxOfPixel;
    if (high) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const RGBQUAD c = src.ColorAt(x, y);
                elements.push_back({c.rgbRed, c.rgbGreen, c.rgbBlue, 1, y * width + x});
            }
        }
    } else {
        std::vector<long long> count(65536), red(65536), green(65536), blue(65536);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const RGBQUAD c = src.ColorAt(x, y);
                const int box = (c.rgbRed / 8) * 2048 + (c.rgbGreen / 4) * 32 + c.rgbBlue / 8;
                boxOfPixel.push_back(box);
                ++count[box];
                red[box] += c.rgbRed & 7;
                green[box] += c.rgbGreen & 3;
                blue[box] += c.rgbBlue & 7;
            }
        }
        for (int box = 0; box < 65536; ++box) {
            if (count[box] != 0) {
                elements.push_back(
                    {static_cast<int>((box >> 11) * 8 + red[box] / count[box]),
                     static_cast<int>(((box >> 5) & 63) * 4 + green[box] / count[box]),
                     static_cast<int>((box & 31) * 8 + blue[box] / count[box]), count[box], box});
            }
        }
    }
    TReferenceResult result;
    ReferenceSplit(elements, 0, static_cast<int>(elements.size()), 0, depth, result.Palette);
    if (high) {
        result.Indices.resize(elements.size());
        for (const TReferenceElement& e : elements) {
            result.Indices[e.Key] = e.Index;
        }
    } else {
        std::vector<int> indexOfBox(65536);
        for (const TReferenceElement& e : elements) {
            indexOfBox[e.Key] = e.Index;
        }
        for (int box : boxOfPixel) {
            result.Indices.push_back(indexOfBox[box]);
        }
    }
    return result;
}

// Images whose channels take few values, so that values equal to a mean and ties between the
// weighted variances really occur, and noisy photo-like ones.
void FillClustered(TOwnedInfos& image, std::mt19937& random, int levels) {
    std::uniform_int_distribution<int> level(0, levels - 1);
    const int step = 255 / std::max(levels - 1, 1);
    for (int y = 0; y < std::abs(image->Header.biHeight); ++y) {
        for (int x = 0; x < image->Header.biWidth; ++x) {
            test::SetPixel24(image, x, y, static_cast<std::uint8_t>(level(random) * step),
                             static_cast<std::uint8_t>(level(random) * step),
                             static_cast<std::uint8_t>(level(random) * step));
        }
    }
}

void FillGradientWithNoise(TOwnedInfos& image, std::mt19937& random) {
    std::uniform_int_distribution<int> noise(-12, 12);
    const int width = image->Header.biWidth;
    const int height = std::abs(image->Header.biHeight);
    auto clamp = [](int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            test::SetPixel24(image, x, y, clamp(255 * x / width + noise(random)),
                             clamp(255 * y / height + noise(random)),
                             clamp(128 + (x - y) + noise(random)));
        }
    }
}

// The reducer's palette and indices are those of the plain reading.
void ExpectPlainReading(Reducer reduce, int depth, bool high, const TOwnedInfos& src) {
    TOwnedInfos dst;
    Reduce(reduce, src, dst);
    const TReferenceResult expected = ReferenceReduce(src, depth, high);
    ASSERT_EQ(dst->Header.biClrUsed, expected.Palette.size());
    for (std::size_t i = 0; i < expected.Palette.size(); ++i) {
        ASSERT_EQ(dst->Colors[i], expected.Palette[i]) << "entry " << i;
    }
    const int width = src->Header.biWidth;
    for (int y = 0; y < std::abs(src->Header.biHeight); ++y) {
        for (int x = 0; x < width; ++x) {
            ASSERT_EQ(dst.IndexAt(x, y), expected.Indices[y * width + x]) << x << "," << y;
        }
    }
}

TEST(ColorReduction, MatchesAPlainReadingOfTheSplittingRules) {
    std::mt19937 random(2024);
    for (const TReducerCase& c : TrueColorReducers) {
        for (int pattern = 0; pattern < 6; ++pattern) {
            SCOPED_TRACE(std::string(c.Name) + " pattern " + std::to_string(pattern));
            TOwnedInfos src;
            MakeImage(src, 13 + pattern * 7, pattern % 2 ? -11 : 9, 24);
            if (pattern < 2) {
                FillClustered(src, random, 2);
            } else if (pattern < 4) {
                FillClustered(src, random, 5);
            } else {
                FillGradientWithNoise(src, random);
            }
            ExpectPlainReading(c.Reduce, c.Depth, c.High, src);
        }
    }
}

TEST(ColorReduction, NoiseOverTheWholeColourCubeMatchesThePlainReading) {
    // Cuts go through most boxes here, so the mapping of cut boxes is exercised in bulk.
    std::mt19937 random(77);
    TOwnedInfos src;
    MakeImage(src, 256, 192, 24);
    test::FillRandom(src, random);
    ExpectPlainReading(ConvertTrueColorTo8BitRGBHigh, 8, true, src);
}

// Pixels of `boxCount` colour boxes (5 bits of red, 6 of green, 5 of blue) with any low bits, so
// that cuts go through the boxes; from row `noiseFrom` on, any colour at all.
void FillFewBoxes(TOwnedInfos& image, std::mt19937& random, int boxCount, int noiseFrom) {
    std::set<int> distinct;
    while (static_cast<int>(distinct.size()) < boxCount) {
        distinct.insert(static_cast<int>(random() % 65536));
    }
    const std::vector<int> boxes(distinct.begin(), distinct.end());
    const int height = std::abs(image->Header.biHeight);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < image->Header.biWidth; ++x) {
            const int box = y >= noiseFrom ? static_cast<int>(random() % 65536)
                                           : boxes[random() % boxes.size()];
            const std::uint32_t low = random();
            test::SetPixel24(image, x, y, static_cast<std::uint8_t>((box >> 11) * 8 + (low & 7)),
                             static_cast<std::uint8_t>(((box >> 5) & 63) * 4 + (low >> 3 & 3)),
                             static_cast<std::uint8_t>((box & 31) * 8 + (low >> 5 & 7)));
        }
    }
}

TEST(ColorReduction, LargeImagesOfFewColourBoxesMatchThePlainReading) {
    // 65,536 pixels are counted box by box while they lie in at most 64 boxes, and grouped by
    // box otherwise, even when the 65th box turns up late.
    struct TCase {
        int Boxes;
        int NoiseFrom;
    };
    const TCase cases[] = {{1, 256}, {40, 256}, {64, 256}, {65, 256}, {20, 250}, {64, 255}};
    std::mt19937 random(31);
    for (const TReducerCase& c : TrueColorReducers) {
        if (!c.High) {
            continue;
        }
        for (const TCase& image : cases) {
            SCOPED_TRACE(::testing::Message() << c.Name << ", " << image.Boxes
                                              << " boxes, noise from row " << image.NoiseFrom);
            TOwnedInfos src;
            MakeImage(src, 256, image.NoiseFrom % 2 ? -256 : 256, 24);
            FillFewBoxes(src, random, image.Boxes, image.NoiseFrom);
            ExpectPlainReading(c.Reduce, c.Depth, true, src);
        }
    }
}

TEST(ColorReduction, OneColourGivesOneEntryAndTheFullProgress) {
    for (const TReducerCase& c : TrueColorReducers) {
        TOwnedInfos src, dst;
        MakeImage(src, 5, 3, 24);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) {
                test::SetPixel24(src, x, y, 200, 100, 50);
            }
        }
        EXPECT_EQ(Reduce(c.Reduce, src, dst), 1 << c.Depth) << c.Name;
        EXPECT_EQ(dst->Header.biClrUsed, 1u) << c.Name;
        EXPECT_EQ(dst->Colors[0], (RGBQUAD{50, 100, 200, 0})) << c.Name;
        EXPECT_EQ(dst->Header.biBitCount, c.Depth) << c.Name;
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) {
                EXPECT_EQ(dst.IndexAt(x, y), 0);
            }
        }
    }
}

TEST(ColorReduction, WhiteAboveTheMeanIsSplitOffFirst) {
    for (const TReducerCase& c : TrueColorReducers) {
        TOwnedInfos src, dst;
        MakeImage(src, 4, 2, 24);
        for (int x = 0; x < 4; ++x) {
            test::SetPixel24(src, x, 1, 255, 255, 255);
        }
        Reduce(c.Reduce, src, dst);
        ASSERT_EQ(dst->Header.biClrUsed, 2u) << c.Name;
        EXPECT_EQ(dst->Colors[0], (RGBQUAD{255, 255, 255, 0})) << c.Name;
        EXPECT_EQ(dst->Colors[1], (RGBQUAD{0, 0, 0, 0})) << c.Name;
        EXPECT_EQ(dst.IndexAt(0, 0), 1);
        EXPECT_EQ(dst.IndexAt(3, 1), 0);
    }
}

TEST(ColorReduction, ColoursOfOneBoxMergeOnlyInTheLowMethod) {
    TOwnedInfos src, low, high;
    MakeImage(src, 2, 1, 24);
    test::SetPixel24(src, 0, 0, 8, 4, 8);
    test::SetPixel24(src, 1, 0, 15, 7, 15);
    Reduce(ConvertTrueColorTo8BitRGBLow, src, low);
    ASSERT_EQ(low->Header.biClrUsed, 1u);
    // The box (1, 1, 1) at (8, 4, 8) plus the truncated averages 7 / 2, 3 / 2, 7 / 2.
    EXPECT_EQ(low->Colors[0], (RGBQUAD{11, 5, 11, 0}));

    Reduce(ConvertTrueColorTo8BitRGBHigh, src, high);
    ASSERT_EQ(high->Header.biClrUsed, 2u);
    EXPECT_EQ(high->Colors[0], (RGBQUAD{15, 7, 15, 0}));
    EXPECT_EQ(high->Colors[1], (RGBQUAD{8, 4, 8, 0}));
    EXPECT_EQ(high.IndexAt(0, 0), 1);
    EXPECT_EQ(high.IndexAt(1, 0), 0);
}

TEST(ColorReduction, FourBitsAllowSixteenEntriesAndSixteenSteps) {
    std::mt19937 random(5);
    for (const TReducerCase& c : TrueColorReducers) {
        if (c.Depth != 4) {
            continue;
        }
        TOwnedInfos src, dst;
        MakeImage(src, 31, 7, 24);
        test::FillRandom(src, random);
        EXPECT_EQ(Reduce(c.Reduce, src, dst), 16) << c.Name;
        EXPECT_LE(dst->Header.biClrUsed, 16u) << c.Name;
        // An odd width leaves the low nibble of each row's last byte 0.
        for (int y = 0; y < 7; ++y) {
            EXPECT_EQ(dst.Row(y)[15] & 0x0F, 0) << c.Name;
        }
    }
}

TEST(ColorReduction, WrongSourcesAreRefusedWithTheirMessages) {
    TOwnedInfos eight, four, dst;
    MakeImage(eight, 3, 3, 8);
    MakeImage(four, 3, 3, 4);
    for (const TReducerCase& c : TrueColorReducers) {
        try {
            Reduce(c.Reduce, eight, dst);
            ADD_FAILURE() << c.Name;
        } catch (const EPxDIBBadDIBType& error) {
            EXPECT_EQ(error.Message(), std::string(c.Name) + ": Invalid Bitcount");
        }
    }
    try {
        Reduce(Convert8BitRGBTo4BitRGB, four, dst);
        ADD_FAILURE() << "Convert8BitRGBTo4BitRGB accepted 4 bits";
    } catch (const EPxDIBBadDIBType& error) {
        EXPECT_EQ(error.Message(), "Convert8BitRGBTo4BitRGB: Invalid Bitcount or Compression");
    }
    eight->Header.biCompression = BI_RLE8;
    EXPECT_THROW(Reduce(Convert8BitRGBTo4BitRGB, eight, dst), EPxDIBBadDIBType);
    EXPECT_EQ(dst->Bits, nullptr);
}

TEST(ColorReduction, ProgressFailureLeavesTheDestinationAndReleasesEverything) {
    std::mt19937 random(9);
    TOwnedInfos src;
    MakeImage(src, 10, 10, 24);
    test::FillRandom(src, random);
    for (const TReducerCase& c : TrueColorReducers) {
        TPxDIBInfos dst;
        dst.ImageSize = 77;
        int steps = 0;
        auto failing = [&] {
            if (++steps == 3) {
                throw std::runtime_error("cancelled");
            }
        };
        EXPECT_THROW(c.Reduce(*src, dst, true, failing), std::runtime_error) << c.Name;
        EXPECT_EQ(dst.ImageSize, 77);
        EXPECT_EQ(dst.Bits, nullptr);
    }
}

TEST(EightToFourBits, OnlyTheEntriesInUseMakeThePalette) {
    TOwnedInfos src, dst;
    MakeImage(src, 5, 2, 8, 256);
    for (int i = 0; i < 256; ++i) {
        src->Colors[i] = {static_cast<std::uint8_t>(i), 0, 0, 0};
    }
    src->Colors[3] = {30, 20, 10, 0};
    src->Colors[200] = {200, 210, 220, 0};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 5; ++x) {
            test::SetIndex(src, x, y, (x + y) % 2 ? 200 : 3);
        }
    }
    EXPECT_EQ(Reduce(Convert8BitRGBTo4BitRGB, src, dst), 16);
    ASSERT_EQ(dst->Header.biClrUsed, 2u);
    EXPECT_EQ(dst->Header.biBitCount, 4);
    EXPECT_EQ(dst->Colors[0], (RGBQUAD{200, 210, 220, 0}));
    EXPECT_EQ(dst->Colors[1], (RGBQUAD{30, 20, 10, 0}));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(dst->Colors[dst.IndexAt(x, y)], src.ColorAt(x, y));
        }
        EXPECT_EQ(dst.Row(y)[2] & 0x0F, 0);
    }

    // The same colour under two indices gives one entry.
    src->Colors[200] = src->Colors[3];
    TOwnedInfos same;
    Reduce(Convert8BitRGBTo4BitRGB, src, same);
    EXPECT_EQ(same->Header.biClrUsed, 1u);
}

TEST(EightToFourBits, ManyColoursStayWithinSixteenEntries) {
    std::mt19937 random(1);
    TOwnedInfos src, dst;
    MakeImage(src, 40, 10, 8, 256);
    test::FillRandom(src, random);
    EXPECT_EQ(Reduce(Convert8BitRGBTo4BitRGB, src, dst), 16);
    EXPECT_LE(dst->Header.biClrUsed, 16u);
    EXPECT_GE(dst->Header.biClrUsed, 9u);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 40; ++x) {
            ASSERT_LT(static_cast<unsigned>(dst.IndexAt(x, y)), dst->Header.biClrUsed);
        }
    }
}

}  // namespace
}  // namespace vlz

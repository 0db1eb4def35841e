#include "dib/PxColorSplit.h"

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace vlz {
namespace {

// Exact sums of a part: weights, values and squared values of red, green and blue. Even for the
// largest image they stay far below 2^64, so they convert to long double without loss.
struct TSums {
    std::uint64_t Weight = 0;
    std::uint64_t Sum[3] = {};
    std::uint64_t Squares[3] = {};

    void Add(std::uint64_t weight, std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
        Weight += weight;
        const std::uint32_t value[3] = {red, green, blue};
        for (int c = 0; c < 3; ++c) {
            Sum[c] += weight * value[c];
            Squares[c] += weight * value[c] * value[c];
        }
    }
    TSums operator-(const TSums& part) const {
        TSums rest;
        rest.Weight = Weight - part.Weight;
        for (int c = 0; c < 3; ++c) {
            rest.Sum[c] = Sum[c] - part.Sum[c];
            rest.Squares[c] = Squares[c] - part.Squares[c];
        }
        return rest;
    }
};

struct TStatistics {
    long double Mean[3];
    long double Variance[3];
};

TStatistics StatisticsOf(const TSums& sums) {
    TStatistics statistics;
    const long double weight = static_cast<long double>(sums.Weight);
    for (int c = 0; c < 3; ++c) {
        statistics.Mean[c] = static_cast<long double>(sums.Sum[c]) / weight;
        statistics.Variance[c] = static_cast<long double>(sums.Squares[c]) / weight -
                                 statistics.Mean[c] * statistics.Mean[c];
    }
    return statistics;
}

// Green counts most for the eye and blue least; the largest weighted variance wins, ties going
// to red, then to green.
TPxSplitAxis ChooseAxis(const TStatistics& statistics) {
    const long double red = 3 * statistics.Variance[saRed];
    const long double green = 4 * statistics.Variance[saGreen];
    const long double blue = 2 * statistics.Variance[saBlue];
    if (red >= green && red >= blue) {
        return saRed;
    }
    return green >= blue ? saGreen : saBlue;
}

std::uint8_t RoundedMean(long double mean) {
    // lrint rounds in the current mode, which is to nearest with halves to even.
    return static_cast<std::uint8_t>(std::lrint(mean));
}

std::int32_t AddLeafColor(TPxPaletteBuilder& palette, const TStatistics& statistics) {
    const std::int32_t index = palette.Count++;
    palette.Entries[index] = {RoundedMean(statistics.Mean[saBlue]),
                              RoundedMean(statistics.Mean[saGreen]),
                              RoundedMean(statistics.Mean[saRed]), 0};
    return index;
}

// An empty part still stands for all the leaves below it, so the number of progress steps never
// depends on the image.
void SkipEmptyPart(int level, int depth, const TPxProgressCallback& progress) {
    const std::int64_t leaves = std::int64_t{1} << (depth - level);
    for (std::int64_t leaf = 0; leaf < leaves; ++leaf) {
        if (progress) {
            progress();
        }
    }
}

std::int32_t CellValue(const TPxColorCell& cell, TPxSplitAxis axis) {
    switch (axis) {
        case saRed:
            return cell.Red;
        case saGreen:
            return cell.Green;
        default:
            return cell.Blue;
    }
}

int ShiftOf(TPxSplitAxis axis) {
    return axis == saRed ? 16 : axis == saGreen ? 8 : 0;
}

// The state of one SplitPixels run. Each level partitions its parts out of one buffer into the
// other at the same place, so the next level reads what this one wrote.
struct TPixelSplit {
    int Depth;
    TPxPaletteBuilder& Palette;
    TPxSplitTree& Tree;
    const TPxProgressCallback& Progress;

    // Copies [lo, hi) of `from` into `to`, the pixels whose channel at `shift` is ≤ `threshold`
    // to the front and the others to the back; returns where the high part starts and the sums
    // of the low part. Free of branches and of loads that wait for stores, since the side a
    // pixel falls on is as good as random.
    static std::int64_t Partition(const TPxPackedPixel* from, TPxPackedPixel* to, std::int64_t lo,
                                  std::int64_t hi, int shift, std::uint32_t threshold, TSums& low) {
        std::uint64_t weight = 0, red = 0, green = 0, blue = 0;
        std::uint64_t redSquares = 0, greenSquares = 0, blueSquares = 0;
        std::int64_t front = lo;
        std::int64_t back = hi - 1;
        for (std::int64_t i = lo; i < hi; ++i) {
            const TPxPackedPixel pixel = from[i];
            const std::uint32_t isLow = ((pixel >> shift) & 0xFF) <= threshold;
            // Both slots lie in the part of `to` not yet filled; the one not kept is written
            // again later.
            to[front] = pixel;
            to[back] = pixel;
            front += isLow;
            back -= 1 - isLow;
            const std::uint32_t mask = 0u - isLow;
            const std::uint32_t r = (pixel >> 16) & mask & 0xFF;
            const std::uint32_t g = (pixel >> 8) & mask & 0xFF;
            const std::uint32_t b = pixel & mask & 0xFF;
            weight += isLow;
            red += r;
            green += g;
            blue += b;
            redSquares += r * r;
            greenSquares += g * g;
            blueSquares += b * b;
        }
        low.Weight = weight;
        low.Sum[saRed] = red;
        low.Sum[saGreen] = green;
        low.Sum[saBlue] = blue;
        low.Squares[saRed] = redSquares;
        low.Squares[saGreen] = greenSquares;
        low.Squares[saBlue] = blueSquares;
        return front;
    }

    void Split(std::int64_t lo, std::int64_t hi, int level, std::int32_t nodeIndex,
               const TSums& sums, TPxPackedPixel* from, TPxPackedPixel* to) {
        if (lo == hi) {
            SkipEmptyPart(level, Depth, Progress);
            return;
        }
        const TStatistics statistics = StatisticsOf(sums);
        TPxSplitNode& node = Tree.Nodes[nodeIndex];
        if (level == Depth) {
            node = TPxSplitNode{};
            node.PaletteIndex = static_cast<std::uint8_t>(AddLeafColor(Palette, statistics));
            if (Progress) {
                Progress();
            }
            return;
        }
        const TPxSplitAxis axis = ChooseAxis(statistics);
        const long double mean = statistics.Mean[axis];
        TSums low;
        const std::int64_t middle = Partition(from, to, lo, hi, ShiftOf(axis),
                                              static_cast<std::uint32_t>(std::floor(mean)), low);
        const TSums high = sums - low;

        node.Axis = axis;
        node.Threshold = mean;
        node.PaletteIndex = 0;
        // The part above the mean goes first, so palette index 0 is the leaf reached by always
        // taking the higher values.
        const std::int32_t highChild = Tree.Count++;
        node.HighChild = highChild;
        Split(middle, hi, level + 1, highChild, high, to, from);
        const std::int32_t lowChild = Tree.Count++;
        node.LowChild = lowChild;
        Split(lo, middle, level + 1, lowChild, low, to, from);
    }
};

}  // namespace

void SplitCells(std::int32_t lo, std::int32_t hi, int level, int depth, TPxColorCell* cells,
                TPxPaletteBuilder& palette, const TPxProgressCallback& progress) {
    if (lo == hi) {
        SkipEmptyPart(level, depth, progress);
        return;
    }
    TSums sums;
    for (std::int32_t i = lo; i < hi; ++i) {
        const TPxColorCell& cell = cells[i];
        sums.Add(static_cast<std::uint32_t>(cell.Weight), cell.Red, cell.Green, cell.Blue);
    }
    const TStatistics statistics = StatisticsOf(sums);
    if (level == depth) {
        const std::int32_t index = AddLeafColor(palette, statistics);
        for (std::int32_t i = lo; i < hi; ++i) {
            cells[i].Weight = index;
        }
        if (progress) {
            progress();
        }
        return;
    }
    const TPxSplitAxis axis = ChooseAxis(statistics);
    const long double mean = statistics.Mean[axis];
    std::int32_t i = lo;
    std::int32_t j = hi;
    do {
        while (i < j && CellValue(cells[i], axis) <= mean) {
            ++i;
        }
        while (j > i && CellValue(cells[j - 1], axis) > mean) {
            --j;
        }
        if (i != j) {
            std::swap(cells[i], cells[j - 1]);
        }
    } while (j != i);
    SplitCells(i, hi, level + 1, depth, cells, palette, progress);
    SplitCells(lo, i, level + 1, depth, cells, palette, progress);
}

void SplitPixels(std::int64_t count, int depth, TPxPackedPixel* pixels, TPxPaletteBuilder& palette,
                 TPxSplitTree& tree, const TPxProgressCallback& progress) {
    std::uint64_t red = 0, green = 0, blue = 0, redSquares = 0, greenSquares = 0, blueSquares = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        const TPxPackedPixel pixel = pixels[i];
        const std::uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
        red += r;
        green += g;
        blue += b;
        redSquares += r * r;
        greenSquares += g * g;
        blueSquares += b * b;
    }
    TSums sums;
    sums.Weight = static_cast<std::uint64_t>(count);
    sums.Sum[saRed] = red;
    sums.Sum[saGreen] = green;
    sums.Sum[saBlue] = blue;
    sums.Squares[saRed] = redSquares;
    sums.Squares[saGreen] = greenSquares;
    sums.Squares[saBlue] = blueSquares;
    // Not zeroed: every level writes its whole range before the next one reads it.
    const auto other =
        std::make_unique_for_overwrite<TPxPackedPixel[]>(static_cast<std::size_t>(count));
    tree.Count = 1;
    TPixelSplit split{depth, palette, tree, progress};
    split.Split(0, count, 0, 0, sums, pixels, other.get());
}

TPxTreeMap::TPxTreeMap(const TPxSplitTree& tree) {
    for (int i = 0; i < TPxSplitTree::Capacity; ++i) {
        const TPxSplitNode& node = tree.Nodes[i];
        TNode& compact = nodes_[i];
        if (node.Axis == saLeaf) {
            // Every value is ≤ 255: the walk stays here.
            const auto self = static_cast<std::uint16_t>(i);
            compact = {0, 255, {self, self}};
        } else {
            compact = {static_cast<std::uint8_t>(ShiftOf(static_cast<TPxSplitAxis>(node.Axis))),
                       static_cast<std::uint8_t>(std::floor(node.Threshold)),
                       {static_cast<std::uint16_t>(node.LowChild),
                        static_cast<std::uint16_t>(node.HighChild)}};
        }
        paletteIndex_[i] = node.PaletteIndex;
    }
    for (std::uint32_t box = 0; box < 65536; ++box) {
        // The box's lowest value and its extent on the channel at a shift.
        auto lowest = [box](int shift) -> unsigned {
            return shift == 16  ? (box >> 11) * 8
                   : shift == 8 ? ((box >> 5) & 0x3F) * 4
                                : (box & 0x1F) * 8;
        };
        auto extent = [](int shift) -> unsigned { return shift == 8 ? 3 : 7; };
        std::uint32_t node = 0;
        for (;;) {
            const TNode& current = nodes_[node];
            const unsigned low = lowest(current.Shift);
            std::uint32_t next;
            if (low + extent(current.Shift) <= current.Threshold) {
                next = current.Child[0];
            } else if (low > current.Threshold) {
                next = current.Child[1];
            } else {
                break;
            }
            if (next == node) {
                break;
            }
            node = next;
        }
        boxes_[box] = static_cast<std::uint16_t>(node);
    }
}

}  // namespace vlz

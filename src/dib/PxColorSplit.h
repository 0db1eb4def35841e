#pragma once
// The palette-building core of the colour reducers: a weighted set of colours is split again and
// again at the mean of the channel with the largest weighted variance (red × 3, green × 4,
// blue × 2; ties to red, then green), the part above the mean first, down to a fixed depth; every
// non-empty part at the last level gives one palette entry, its mean colour rounded half to even.
// Statistics are exact integer sums, divided in extended precision, so a value equal to the mean
// goes to the low part exactly as the precise arithmetic says.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "graphics/BitmapInfo.h"

namespace vlz {

// Called once per leaf of the full split tree, empty leaves included: 2^depth times per
// reduction, whatever the image, so that a caller can show a percentage.
using TPxProgressCallback = std::function<void()>;

// A weighted colour: a colour box of the low method or a colour-table entry.
struct TPxColorCell {
    std::int32_t Red = 0;
    std::int32_t Green = 0;
    std::int32_t Blue = 0;
    std::int32_t Weight = 0;  // pixels the cell stands for; its palette index once split
    std::int32_t Key = 0;     // the box number or old colour index the cell maps back to
};

enum TPxSplitAxis : std::uint8_t { saRed = 0, saGreen = 1, saBlue = 2, saLeaf = 3 };

struct TPxSplitNode {
    std::uint8_t Axis = saLeaf;
    long double Threshold = 0;  // values ≤ Threshold go to LowChild
    std::uint8_t PaletteIndex = 0;
    std::int32_t LowChild = 0;
    std::int32_t HighChild = 0;
};

// A decision tree of depth 8 has at most 511 nodes; node 0 is the root.
struct TPxSplitTree {
    static constexpr int Capacity = 512;
    std::int32_t Count = 1;
    TPxSplitNode Nodes[Capacity];
};

// The palette under construction.
struct TPxPaletteBuilder {
    RGBQUAD Entries[256];
    std::int32_t Count = 0;
};

// A pixel of the high method: blue in bits 0–7, green in 8–15, red in 16–23.
using TPxPackedPixel = std::uint32_t;

inline TPxPackedPixel PackPixel(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    return static_cast<TPxPackedPixel>(blue) | (static_cast<TPxPackedPixel>(green) << 8) |
           (static_cast<TPxPackedPixel>(red) << 16);
}

// The pixels of an image grouped by colour box (5 bits of red, 6 of green, 5 of blue): for each
// pixel, in the order of the boxes, only the bits the box number drops,
// (red & 7) << 5 | (green & 3) << 3 | (blue & 7). Box b's pixels are Codes[Start[b]] up to
// Codes[Start[b + 1]]. One byte per pixel is all the splitting needs to see every pixel at full
// precision.
struct TPxBoxedPixels {
    std::vector<std::uint32_t> Start;  // 65,537 entries
    std::unique_ptr<std::uint8_t[]> Codes;
};

// Splits cells [lo, hi) from `level` down to `depth`, reordering them; each cell's Weight becomes
// its palette index.
void SplitCells(std::int32_t lo, std::int32_t hi, int level, int depth, TPxColorCell* cells,
                TPxPaletteBuilder& palette, const TPxProgressCallback& progress);

// Splits the pixels to `depth` and records the decisions in `tree`, so that TPxTreeMap sends
// every pixel to its part's palette entry. The parts move as whole colour boxes, or pieces of
// them, with their exact sums; only a box that a cut goes through is looked at pixel by pixel.
// The result is the same as partitioning the pixels one by one.
void SplitPixels(const TPxBoxedPixels& pixels, int depth, TPxPaletteBuilder& palette,
                 TPxSplitTree& tree, const TPxProgressCallback& progress);

// The walk of the decision tree for one colour. A value goes low when it is ≤ the floor of the
// node's mean, which for whole numbers is the same as ≤ the mean. Most colour boxes of 8 × 4 × 8
// values lie wholly on one side of the first cuts on their way down, so a table gives the node
// where a pixel's own walk begins. Leaves lead to themselves, so every walk takes the same number
// of steps without a branch.
class TPxTreeMap {
  public:
    explicit TPxTreeMap(const TPxSplitTree& tree);
    TPxTreeMap(const TPxTreeMap&) = delete;
    TPxTreeMap& operator=(const TPxTreeMap&) = delete;

    // `Depth` is at least the depth of the tree.
    template <int Depth>
    std::uint8_t IndexOf(TPxPackedPixel pixel) const {
        std::uint32_t node =
            boxes_[((pixel >> 8) & 0xF800) | ((pixel >> 5) & 0x07E0) | ((pixel >> 3) & 0x001F)];
        for (int step = 0; step < Depth; ++step) {
            const TNode& current = nodes_[node];
            node = current.Child[((pixel >> current.Shift) & 0xFF) > current.Threshold];
        }
        return paletteIndex_[node];
    }

  private:
    struct TNode {
        std::uint8_t Shift;  // of the channel in a packed pixel
        std::uint8_t Threshold;
        std::uint16_t Child[2];  // low, high
    };
    TNode nodes_[TPxSplitTree::Capacity];
    std::uint8_t paletteIndex_[TPxSplitTree::Capacity];
    // Per box (red >> 3, green >> 2, blue >> 3): the node where the walk begins.
    std::uint16_t boxes_[65536];
};

}  // namespace vlz

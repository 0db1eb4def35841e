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

// The pixels of an image grouped by colour box (5 bits of red, 6 of green, 5 of blue): for each
// pixel, in the order of the boxes, only the bits the box number drops,
// (red & 7) << 5 | (green & 3) << 3 | (blue & 7). Box b's pixels are Codes[Start[b]] up to
// Codes[Start[b + 1]]. One byte per pixel is all the splitting needs to see every pixel at full
// precision.
struct TPxBoxedPixels {
    std::vector<std::uint32_t> Start;  // 65,537 entries
    std::unique_ptr<std::uint8_t[]> Codes;
};

// The pixels of an image counted by colour box and dropped bits: a histogram of 256 counts for
// each box that holds pixels. Where few boxes hold the pixels of a large image this is smaller
// than the grouped pixels and made in one pass instead of two.
class TPxBoxHistograms {
  public:
    // Room for the histograms of at most `boxLimit` boxes.
    explicit TPxBoxHistograms(std::uint32_t boxLimit);

    // Counts one pixel; false (and nothing counted) when its box would be one over the limit.
    bool Add(std::uint16_t box, std::uint8_t droppedBits) {
        std::uint32_t slot = slots_[box];
        if (slot == 0) {
            if (used_ == limit_) {
                return false;
            }
            slot = slots_[box] = ++used_;
            counts_.resize(counts_.size() + 256);
        }
        ++counts_[static_cast<std::size_t>(slot) << 8 | droppedBits];
        return true;
    }

    bool Has(std::uint16_t box) const { return slots_[box] != 0; }
    // The 256 counts of a box that Has pixels.
    const std::uint32_t* Of(std::uint16_t box) const {
        return counts_.data() + (static_cast<std::size_t>(slots_[box]) << 8);
    }

  private:
    std::uint32_t limit_;
    std::uint32_t used_ = 0;
    std::vector<std::uint32_t> slots_;   // 65,536 entries; 0 for a box without pixels
    std::vector<std::uint32_t> counts_;  // 256 per slot from slot 1 on
};

// Splits cells [lo, hi) from `level` down to `depth`, reordering them; each cell's Weight becomes
// its palette index.
void SplitCells(std::int32_t lo, std::int32_t hi, int level, int depth, TPxColorCell* cells,
                TPxPaletteBuilder& palette, const TPxProgressCallback& progress);

// The palette index of every pixel of a split image, found from its colour box and dropped bits
// (PxBoxKeys.h): every box points at a table of the 256 values of its dropped bits. A box that
// no cut went through points at one of the first 256 tables, table k holding k throughout; a cut
// box has a table of its own. Gives the same index as walking the decision tree, with two
// lookups and no branch.
class TPxPixelIndexMap {
  public:
    TPxPixelIndexMap();

    std::uint8_t IndexOf(std::uint16_t box, std::uint8_t droppedBits) const {
        return pieces_[static_cast<std::size_t>(boxes_[box]) << 8 | droppedBits];
    }

    // Every pixel of `box` takes `index`.
    void SetBox(std::uint32_t box, std::uint8_t index) { boxes_[box] = index; }
    // The pixels of `box` within the bounds (red, green, blue) take `index`.
    void SetPiece(std::uint32_t box, const std::uint8_t (&lowest)[3],
                  const std::uint8_t (&highest)[3], std::uint8_t index);

  private:
    static constexpr std::uint32_t WholeBoxTables = 256;
    std::vector<std::uint32_t> boxes_;  // the table number of every box
    std::vector<std::uint8_t> pieces_;  // 256 entries per table
};

// Splits the pixels to `depth`, records the decisions in `tree` and the palette index of every
// pixel in `map`. The parts move as whole colour boxes, or pieces of them, with their exact sums;
// only a box that a cut goes through is looked at pixel by pixel. The result is the same as
// partitioning the pixels one by one.
void SplitPixels(const TPxBoxedPixels& pixels, int depth, TPxPaletteBuilder& palette,
                 TPxSplitTree& tree, const TPxProgressCallback& progress, TPxPixelIndexMap& map);
void SplitPixels(const TPxBoxHistograms& pixels, int depth, TPxPaletteBuilder& palette,
                 TPxSplitTree& tree, const TPxProgressCallback& progress, TPxPixelIndexMap& map);

}  // namespace vlz

#include "dib/PxColorSplit.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "dib/PxBoxKeys.h"

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

// Some of the pixels of one colour box: those whose channels lie within the bounds.
struct TBoxPart {
    std::uint32_t Box;
    std::uint8_t Lowest[3];  // red, green, blue; the bounds are the members' own extremes
    std::uint8_t Highest[3];
    TSums Sums;
    bool WholeBox;  // no cut has gone through the box yet
};

// The lowest value of each channel in a box: the bits its number keeps.
inline void BoxBase(std::uint32_t box, std::uint32_t (&base)[3]) {
    base[saRed] = (box >> 11) * 8;
    base[saGreen] = ((box >> 5) & 0x3F) * 4;
    base[saBlue] = (box & 0x1F) * 8;
}

// The distinct dropped-bit values of a box with their pixel counts, made when a cut first goes
// through the box and kept for the cuts after it; from the box's grouped codes, or from its
// histogram where the pixels were counted that way.
struct TCodeCount {
    std::uint32_t Count;
    std::uint8_t Code;
};

class TBoxCodes {
  public:
    explicit TBoxCodes(const TPxBoxedPixels& pixels) : grouped_(&pixels) {}
    explicit TBoxCodes(const TPxBoxHistograms& pixels) : histograms_(&pixels) {}

    std::pair<const TCodeCount*, const TCodeCount*> Of(std::uint32_t box) {
        if (first_[box] == Unmade) {
            first_[box] = static_cast<std::uint32_t>(counts_.size());
            if (histograms_ != nullptr) {
                Take(histograms_->Of(box));
            } else {
                CountCodes(box);
                Take(histogram_);
                std::fill_n(histogram_, 256, 0);
            }
            last_[box] = static_cast<std::uint32_t>(counts_.size());
        }
        return {counts_.data() + first_[box], counts_.data() + last_[box]};
    }

  private:
    void CountCodes(std::uint32_t box) {
        const std::uint8_t* code = grouped_->Codes.get() + grouped_->Start[box];
        const std::uint8_t* end = grouped_->Codes.get() + grouped_->Start[box + 1];
        // Two histograms, so that a value repeated at once does not wait for its own count.
        std::uint32_t second[256] = {};
        for (; end - code >= 2; code += 2) {
            ++histogram_[code[0]];
            ++second[code[1]];
        }
        if (code != end) {
            ++histogram_[*code];
        }
        for (int value = 0; value < 256; ++value) {
            histogram_[value] += second[value];
        }
    }

    // Each value once; the order plays no part in the sums.
    void Take(const std::uint32_t* histogram) {
        for (std::uint32_t value = 0; value < 256; ++value) {
            if (histogram[value] != 0) {
                counts_.push_back({histogram[value], static_cast<std::uint8_t>(value)});
            }
        }
    }

    static constexpr std::uint32_t Unmade = 0xFFFFFFFF;
    const TPxBoxedPixels* grouped_ = nullptr;
    const TPxBoxHistograms* histograms_ = nullptr;
    std::vector<std::uint32_t> first_ = std::vector<std::uint32_t>(65536, Unmade);
    std::vector<std::uint32_t> last_ = std::vector<std::uint32_t>(65536, 0);
    std::vector<TCodeCount> counts_;
    std::uint32_t histogram_[256] = {};
};

// All `count` pixels of a box as one part, from what their dropped bits add up to.
TBoxPart WholeBoxPart(std::uint32_t box, std::uint64_t count, const TPxDroppedBitSummary& bits) {
    std::uint32_t base[3];
    BoxBase(box, base);
    TBoxPart part{box, {}, {}, {}, true};
    part.Sums.Weight = count;
    for (int c = 0; c < 3; ++c) {
        // (base + bits)^2 summed: count * base^2 + 2 * base * sum(bits) + sum(bits^2).
        part.Sums.Sum[c] = count * base[c] + bits.Sum[c];
        part.Sums.Squares[c] =
            count * base[c] * base[c] + 2 * base[c] * bits.Sum[c] + bits.Squares[c];
        part.Lowest[c] = static_cast<std::uint8_t>(base[c] + bits.Lowest[c]);
        part.Highest[c] = static_cast<std::uint8_t>(base[c] + bits.Highest[c]);
    }
    return part;
}

// Splits the pixels of `part`'s box that lie within its bounds: those with a value ≤ `threshold`
// on `axis` go to `low`, the others to `high`.
void ScanBox(TBoxCodes& codes, const TBoxPart& part, TPxSplitAxis axis, std::uint32_t threshold,
             TBoxPart& low, TBoxPart& high) {
    std::uint32_t base[3];
    BoxBase(part.Box, base);
    TBoxPart* side[2] = {&low, &high};
    for (TBoxPart* piece : side) {
        *piece = TBoxPart{part.Box, {255, 255, 255}, {0, 0, 0}, {}, false};
    }
    const auto [begin, end] = codes.Of(part.Box);
    for (const TCodeCount* entry = begin; entry != end; ++entry) {
        const std::uint32_t code = entry->Code;
        const std::uint32_t value[3] = {base[saRed] + (code >> 5),
                                        base[saGreen] + ((code >> 3) & 3),
                                        base[saBlue] + (code & 7)};
        bool inside = true;
        for (int c = 0; c < 3; ++c) {
            inside = inside && value[c] >= part.Lowest[c] && value[c] <= part.Highest[c];
        }
        if (!inside) {
            continue;
        }
        TBoxPart& piece = *side[value[axis] > threshold];
        piece.Sums.Add(entry->Count, value[saRed], value[saGreen], value[saBlue]);
        for (int c = 0; c < 3; ++c) {
            piece.Lowest[c] = std::min(piece.Lowest[c], static_cast<std::uint8_t>(value[c]));
            piece.Highest[c] = std::max(piece.Highest[c], static_cast<std::uint8_t>(value[c]));
        }
    }
}

TSums& operator+=(TSums& total, const TSums& part) {
    total.Weight += part.Weight;
    for (int c = 0; c < 3; ++c) {
        total.Sum[c] += part.Sum[c];
        total.Squares[c] += part.Squares[c];
    }
    return total;
}

// The state of one SplitPixels run.
struct TPixelSplit {
    int Depth;
    TBoxCodes& Codes;
    TPxPaletteBuilder& Palette;
    TPxSplitTree& Tree;
    const TPxProgressCallback& Progress;
    TPxPixelIndexMap& Map;

    void Split(const std::vector<TBoxPart>& parts, int level, std::int32_t nodeIndex,
               const TSums& sums) {
        if (parts.empty()) {
            SkipEmptyPart(level, Depth, Progress);
            return;
        }
        const TStatistics statistics = StatisticsOf(sums);
        TPxSplitNode& node = Tree.Nodes[nodeIndex];
        if (level == Depth) {
            node = TPxSplitNode{};
            node.PaletteIndex = static_cast<std::uint8_t>(AddLeafColor(Palette, statistics));
            for (const TBoxPart& part : parts) {
                if (part.WholeBox) {
                    Map.SetBox(part.Box, node.PaletteIndex);
                } else {
                    Map.SetPiece(part.Box, part.Lowest, part.Highest, node.PaletteIndex);
                }
            }
            if (Progress) {
                Progress();
            }
            return;
        }
        const TPxSplitAxis axis = ChooseAxis(statistics);
        const long double mean = statistics.Mean[axis];
        // Whole numbers are ≤ the mean exactly when they are ≤ its floor.
        const auto threshold = static_cast<std::uint32_t>(std::floor(mean));

        std::vector<TBoxPart> lowParts, highParts;
        TSums low;
        for (const TBoxPart& part : parts) {
            if (part.Highest[axis] <= threshold) {
                lowParts.push_back(part);
                low += part.Sums;
            } else if (part.Lowest[axis] > threshold) {
                highParts.push_back(part);
            } else {
                TBoxPart lowPart, highPart;
                ScanBox(Codes, part, axis, threshold, lowPart, highPart);
                lowParts.push_back(lowPart);
                low += lowPart.Sums;
                highParts.push_back(highPart);
            }
        }
        const TSums high = sums - low;

        node.Axis = axis;
        node.Threshold = mean;
        node.PaletteIndex = 0;
        // The part above the mean goes first, so palette index 0 is the leaf reached by always
        // taking the higher values.
        const std::int32_t highChild = Tree.Count++;
        node.HighChild = highChild;
        Split(highParts, level + 1, highChild, high);
        const std::int32_t lowChild = Tree.Count++;
        node.LowChild = lowChild;
        Split(lowParts, level + 1, lowChild, low);
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

namespace {

void SplitWholeBoxes(const std::vector<TBoxPart>& parts, TBoxCodes& codes, int depth,
                     TPxPaletteBuilder& palette, TPxSplitTree& tree,
                     const TPxProgressCallback& progress, TPxPixelIndexMap& map) {
    TSums sums;
    for (const TBoxPart& part : parts) {
        sums += part.Sums;
    }
    tree.Count = 1;
    TPixelSplit split{depth, codes, palette, tree, progress, map};
    split.Split(parts, 0, 0, sums);
}

}  // namespace

void SplitPixels(const TPxBoxedPixels& pixels, int depth, TPxPaletteBuilder& palette,
                 TPxSplitTree& tree, const TPxProgressCallback& progress, TPxPixelIndexMap& map) {
    std::vector<TBoxPart> parts;
    for (std::uint32_t box = 0; box + 1 < pixels.Start.size(); ++box) {
        const std::uint32_t count = pixels.Start[box + 1] - pixels.Start[box];
        if (count != 0) {
            parts.push_back(
                WholeBoxPart(box, count, SummaryOf(pixels.Codes.get() + pixels.Start[box], count)));
        }
    }
    TBoxCodes codes(pixels);
    SplitWholeBoxes(parts, codes, depth, palette, tree, progress, map);
}

void SplitPixels(const TPxBoxHistograms& pixels, int depth, TPxPaletteBuilder& palette,
                 TPxSplitTree& tree, const TPxProgressCallback& progress, TPxPixelIndexMap& map) {
    std::vector<TBoxPart> parts;
    for (std::uint32_t box = 0; box < 65536; ++box) {
        if (pixels.Has(box)) {
            const std::uint32_t* histogram = pixels.Of(box);
            std::uint64_t count = 0;
            for (int value = 0; value < 256; ++value) {
                count += histogram[value];
            }
            parts.push_back(WholeBoxPart(box, count, SummaryOfCounts(histogram)));
        }
    }
    TBoxCodes codes(pixels);
    SplitWholeBoxes(parts, codes, depth, palette, tree, progress, map);
}

TPxBoxHistograms::TPxBoxHistograms(std::uint32_t boxLimit)
    : limit_(std::min<std::uint32_t>(boxLimit, 65536)), slots_(65536, 0) {
    // Reserved once, so that the counts never move; only the pages of boxes in use are touched.
    counts_.reserve((static_cast<std::size_t>(limit_) + 1) << 8);
    counts_.resize(256);
}

TPxPixelIndexMap::TPxPixelIndexMap() : boxes_(65536, 0), pieces_(WholeBoxTables * 256) {
    for (std::uint32_t table = 0; table < WholeBoxTables; ++table) {
        std::fill_n(pieces_.begin() + table * 256, 256, static_cast<std::uint8_t>(table));
    }
}

void TPxPixelIndexMap::SetPiece(std::uint32_t box, const std::uint8_t (&lowest)[3],
                                const std::uint8_t (&highest)[3], std::uint8_t index) {
    // A box is set whole once or in pieces; its first piece gives it a table of its own.
    if (boxes_[box] < WholeBoxTables) {
        boxes_[box] = static_cast<std::uint32_t>(pieces_.size() >> 8);
        pieces_.resize(pieces_.size() + 256);
    }
    std::uint8_t* table = pieces_.data() + (static_cast<std::size_t>(boxes_[box]) << 8);
    std::uint32_t base[3];
    BoxBase(box, base);
    for (std::uint32_t red = lowest[saRed]; red <= highest[saRed]; ++red) {
        for (std::uint32_t green = lowest[saGreen]; green <= highest[saGreen]; ++green) {
            for (std::uint32_t blue = lowest[saBlue]; blue <= highest[saBlue]; ++blue) {
                table[(red - base[saRed]) << 5 | (green - base[saGreen]) << 3 |
                      (blue - base[saBlue])] = index;
            }
        }
    }
}

}  // namespace vlz

#include "dib/PxColorReduction.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "dib/PxBoxKeys.h"
#include "dib/PxConverterSupport.h"
#include "dib/PxDIBError.h"
#include "platform/MemoryAdvice.h"

namespace vlz {
namespace {

constexpr int BoxCount = 65536;

// Pixel count and the sums of the bits the box number drops. 32-bit sums hold up to 2^32 / 7
// pixels per box; larger images take the 64-bit kind.
template <typename Sum>
struct TBoxSums {
    Sum Weight = 0, Red = 0, Green = 0, Blue = 0;
};

template <typename Sum>
void FillBoxCells(const TPxDIBInfos& src, const TPxRowLayout& layout, TPxColorCell* cells) {
    std::vector<TBoxSums<Sum>> boxes(BoxCount);
    for (std::int32_t y = 0; y < layout.Height; ++y) {
        const std::uint8_t* pixel = SourceRow(src, layout, y);
        for (std::int32_t x = 0; x < layout.Width; ++x, pixel += 3) {
            TBoxSums<Sum>& box = boxes[BoxOf(pixel[0], pixel[1], pixel[2])];
            box.Weight += 1;
            box.Red += pixel[2] & 7;
            box.Green += pixel[1] & 3;
            box.Blue += pixel[0] & 7;
        }
    }
    // Each box's colour is its lower corner plus the average of the dropped bits, truncated.
    for (std::int32_t number = 0; number < BoxCount; ++number) {
        const TBoxSums<Sum>& box = boxes[number];
        TPxColorCell& cell = cells[number];
        cell.Key = number;
        if (box.Weight == 0) {
            continue;
        }
        cell.Weight = static_cast<std::int32_t>(box.Weight);
        cell.Red = static_cast<std::int32_t>(((number >> 11) & 0x1F) * 8 + box.Red / box.Weight);
        cell.Green = static_cast<std::int32_t>(((number >> 5) & 0x3F) * 4 + box.Green / box.Weight);
        cell.Blue = static_cast<std::int32_t>((number & 0x1F) * 8 + box.Blue / box.Weight);
    }
}

// Moves the cells that stand for at least one pixel to the front, keeping their order; returns
// how many there are.
std::int32_t CompactUsedCells(TPxColorCell* cells, std::int32_t count) {
    return static_cast<std::int32_t>(
        std::stable_partition(cells, cells + count,
                              [](const TPxColorCell& cell) { return cell.Weight != 0; }) -
        cells);
}

// The common ending of all five: a copy of the source with the new palette and the new block.
void FillDestination(const TPxDIBInfos& src, TPxDIBInfos& dst, const TPxPaletteBuilder& palette,
                     int bitCount, TPxNewBlock& block) {
    TPxDIBInfos result = src;
    result.Header.biClrUsed = static_cast<std::uint32_t>(palette.Count);
    std::copy(palette.Entries, palette.Entries + palette.Count, result.Colors);
    result.Header.biBitCount = static_cast<std::uint16_t>(bitCount);
    result.Header.biCompression = BI_RGB;
    result.Header.biSizeImage = 0;
    block.HandOver(result);
    dst = result;
}

// Writes the index `indexOf(x)` of every pixel of a row as a byte or a high-first nibble.
template <int BitCount, typename IndexOf>
void StoreRow(std::uint8_t* out, std::int32_t width, IndexOf indexOf) {
    if constexpr (BitCount == 8) {
        for (std::int32_t x = 0; x < width; ++x) {
            out[x] = indexOf(x);
        }
    } else {
        std::int32_t x = 0;
        for (; x + 1 < width; x += 2) {
            out[x >> 1] = static_cast<std::uint8_t>((indexOf(x) << 4) | indexOf(x + 1));
        }
        if (x < width) {
            out[x >> 1] = static_cast<std::uint8_t>(indexOf(x) << 4);
        }
    }
}

// Packs indices below 16 two to a byte, the first in the high nibble; an odd count leaves the
// low nibble of the last byte 0.
void PackNibbles(const std::uint8_t* indices, std::int32_t count, std::uint8_t* out) {
    std::int32_t index = 0;
#if defined(__SSE2__)
    // A 16-bit lane holds a pair, the first index in its low byte: (low << 4) | high per lane.
    const auto pairs = [](const std::uint8_t* from) {
        const __m128i lanes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        return _mm_or_si128(_mm_and_si128(_mm_slli_epi16(lanes, 4), _mm_set1_epi16(0xF0)),
                            _mm_srli_epi16(lanes, 8));
    };
    for (; index + 32 <= count; index += 32) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + index / 2),
                         _mm_packus_epi16(pairs(indices + index), pairs(indices + index + 16)));
    }
#endif
    for (; index + 1 < count; index += 2) {
        out[index / 2] = static_cast<std::uint8_t>(indices[index] << 4 | indices[index + 1]);
    }
    if (index < count) {
        out[index / 2] = static_cast<std::uint8_t>(indices[index] << 4);
    }
}

void RequireTrueColor(const TPxDIBInfos& src, const char* routine) {
    if (src.Header.biBitCount != 24) {
        throw EPxDIBBadDIBType(std::string(routine) + ": Invalid Bitcount");
    }
}

template <int BitCount>
void ReduceLow(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping,
               const TPxProgressCallback& progress, const char* routine) {
    RequireTrueColor(src, routine);
    const TPxRowLayout source = SourceLayout(src, routine);
    const TPxRowLayout target = DestinationLayout(source, BitCount, routine);
    TPxNewBlock block(target.Stride * target.Height, useFileMapping);

    TPxPaletteBuilder palette;
    std::vector<std::uint8_t> boxIndex(BoxCount);
    MakeCellPalette(src, palette, progress, BitCount, boxIndex.data());

    for (std::int32_t y = 0; y < source.Height; ++y) {
        const std::uint8_t* in = SourceRow(src, source, y);
        StoreRow<BitCount>(block.Row(target, y), source.Width, [&](std::int32_t x) {
            const std::uint8_t* pixel = in + 3 * x;
            return boxIndex[BoxOf(pixel[0], pixel[1], pixel[2])];
        });
    }
    FillDestination(src, dst, palette, BitCount, block);
}

template <int BitCount>
void ReduceHigh(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping,
                const TPxProgressCallback& progress, const char* routine) {
    RequireTrueColor(src, routine);
    const TPxRowLayout source = SourceLayout(src, routine);
    const TPxRowLayout target = DestinationLayout(source, BitCount, routine);
    TPxNewBlock block(target.Stride * target.Height, useFileMapping);

    TPxPaletteBuilder palette;
    auto tree = std::make_unique<TPxSplitTree>();
    TPxPixelIndexMap map;
    MakeTreePalette(src, palette, progress, BitCount, *tree, map);

    // Every row is written now; making the pages resident in one go saves a fault per page.
    PrepareForWriting(block.Bits(), static_cast<std::size_t>(target.Stride) * target.Height);
    for (std::int32_t y = 0; y < source.Height; ++y) {
        std::uint8_t* out = block.Row(target, y);
        ForEachKeyBlock(SourceRow(src, source, y), source.Width,
                        [&](std::int32_t first, const std::uint16_t* boxes,
                            const std::uint8_t* droppedBits, std::int32_t count) {
                            if constexpr (BitCount == 8) {
                                for (std::int32_t i = 0; i < count; ++i) {
                                    out[first + i] = map.IndexOf(boxes[i], droppedBits[i]);
                                }
                            } else {
                                std::uint8_t indices[256];
                                for (std::int32_t i = 0; i < count; ++i) {
                                    indices[i] = map.IndexOf(boxes[i], droppedBits[i]);
                                }
                                // `first` is even, so a block's nibbles start on a byte.
                                PackNibbles(indices, count, out + first / 2);
                            }
                        });
    }
    FillDestination(src, dst, palette, BitCount, block);
}

// Counts every pixel into the histogram of its box; false when the pixels lie in more boxes
// than `histograms` may take.
bool CountByBox(const TPxDIBInfos& src, const TPxRowLayout& layout, TPxBoxHistograms& histograms) {
    constexpr std::int32_t BlockSize = 256;
    std::uint16_t boxes[BlockSize];
    std::uint8_t droppedBits[BlockSize];
    for (std::int32_t y = 0; y < layout.Height; ++y) {
        const std::uint8_t* row = SourceRow(src, layout, y);
        for (std::int32_t first = 0; first < layout.Width; first += BlockSize) {
            const std::int32_t count = std::min(BlockSize, layout.Width - first);
            BoxKeysOf(row + 3 * first, count, boxes, droppedBits);
            for (std::int32_t i = 0; i < count; ++i) {
                if (!histograms.Add(boxes[i], droppedBits[i])) {
                    return false;
                }
            }
        }
    }
    return true;
}

// Groups the pixels by box: counts them, then places each one's dropped bits at its box's next
// free slot.
TPxBoxedPixels GroupByBox(const TPxDIBInfos& src, const TPxRowLayout& layout) {
    TPxBoxedPixels pixels;
    pixels.Start.assign(BoxCount + 1, 0);
    std::uint32_t* const ends = pixels.Start.data() + 1;
    for (std::int32_t y = 0; y < layout.Height; ++y) {
        ForEachKeyBlock(
            SourceRow(src, layout, y), layout.Width,
            [&](std::int32_t, const std::uint16_t* boxes, const std::uint8_t*, std::int32_t count) {
                for (std::int32_t i = 0; i < count; ++i) {
                    ++ends[boxes[i]];
                }
            });
    }
    for (int box = 0; box < BoxCount; ++box) {
        pixels.Start[box + 1] += pixels.Start[box];
    }
    const std::size_t count = static_cast<std::size_t>(layout.Width) * layout.Height;
    pixels.Codes = std::make_unique_for_overwrite<std::uint8_t[]>(count);
    std::vector<std::uint32_t> next(pixels.Start.begin(), pixels.Start.end() - 1);
    std::uint8_t* const codes = pixels.Codes.get();
    for (std::int32_t y = 0; y < layout.Height; ++y) {
        ForEachKeyBlock(SourceRow(src, layout, y), layout.Width,
                        [&](std::int32_t, const std::uint16_t* boxes,
                            const std::uint8_t* droppedBits, std::int32_t blockSize) {
                            for (std::int32_t i = 0; i < blockSize; ++i) {
                                codes[next[boxes[i]]++] = droppedBits[i];
                            }
                        });
    }
    return pixels;
}

}  // namespace

void MakeCellPalette(const TPxDIBInfos& src, TPxPaletteBuilder& palette,
                     const TPxProgressCallback& progress, int depth, std::uint8_t* boxIndex) {
    const TPxRowLayout layout = SourceLayout(src, "MakeCellPalette");
    std::vector<TPxColorCell> cells(BoxCount);
    const std::int64_t pixels = static_cast<std::int64_t>(layout.Width) * layout.Height;
    if (pixels <= std::numeric_limits<std::uint32_t>::max() / 7) {
        FillBoxCells<std::uint32_t>(src, layout, cells.data());
    } else {
        FillBoxCells<std::uint64_t>(src, layout, cells.data());
    }
    const std::int32_t used = CompactUsedCells(cells.data(), BoxCount);
    palette.Count = 0;
    SplitCells(0, used, 0, depth, cells.data(), palette, progress);
    std::fill(boxIndex, boxIndex + BoxCount, 0);
    for (std::int32_t i = 0; i < used; ++i) {
        boxIndex[cells[i].Key] = static_cast<std::uint8_t>(cells[i].Weight);
    }
}

void MakeTreePalette(const TPxDIBInfos& src, TPxPaletteBuilder& palette,
                     const TPxProgressCallback& progress, int depth, TPxSplitTree& tree,
                     TPxPixelIndexMap& map) {
    const TPxRowLayout layout = SourceLayout(src, "MakeTreePalette");
    palette.Count = 0;
    tree = TPxSplitTree{};
    const std::int64_t pixelCount = static_cast<std::int64_t>(layout.Width) * layout.Height;
    {
        // Histograms of 1 KB per box pay while they take no more room than the grouped pixels.
        TPxBoxHistograms histograms(
            static_cast<std::uint32_t>(std::min<std::int64_t>(pixelCount / 1024, BoxCount)));
        if (CountByBox(src, layout, histograms)) {
            SplitPixels(histograms, depth, palette, tree, progress, map);
            return;
        }
    }
    SplitPixels(GroupByBox(src, layout), depth, palette, tree, progress, map);
}

void MakeIndexPalette(const TPxDIBInfos& src, TPxPaletteBuilder& palette,
                      const TPxProgressCallback& progress, std::uint8_t* indexMap) {
    const TPxRowLayout layout = SourceLayout(src, "MakeIndexPalette");
    TPxColorCell cells[256];
    for (int j = 0; j < 256; ++j) {
        // Every entry takes part by its use, whatever biClrUsed says.
        cells[j] = {src.Colors[j].rgbRed, src.Colors[j].rgbGreen, src.Colors[j].rgbBlue, 0, j};
    }
    for (std::int32_t y = 0; y < layout.Height; ++y) {
        const std::uint8_t* in = SourceRow(src, layout, y);
        for (std::int32_t x = 0; x < layout.Width; ++x) {
            ++cells[in[x]].Weight;
        }
    }
    const std::int32_t used = CompactUsedCells(cells, 256);
    palette.Count = 0;
    SplitCells(0, used, 0, 4, cells, palette, progress);
    std::fill(indexMap, indexMap + 256, 0);
    for (std::int32_t i = 0; i < used; ++i) {
        indexMap[cells[i].Key] = static_cast<std::uint8_t>(cells[i].Weight);
    }
}

void ConvertTrueColorTo8BitRGBLow(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping,
                                  const TPxProgressCallback& progress) {
    ReduceLow<8>(src, dst, useFileMapping, progress, "ConvertTrueColorTo8BitRGBLow");
}

void ConvertTrueColorTo4BitRGBLow(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping,
                                  const TPxProgressCallback& progress) {
    ReduceLow<4>(src, dst, useFileMapping, progress, "ConvertTrueColorTo4BitRGBLow");
}

void ConvertTrueColorTo8BitRGBHigh(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping,
                                   const TPxProgressCallback& progress) {
    ReduceHigh<8>(src, dst, useFileMapping, progress, "ConvertTrueColorTo8BitRGBHigh");
}

void ConvertTrueColorTo4BitRGBHigh(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping,
                                   const TPxProgressCallback& progress) {
    ReduceHigh<4>(src, dst, useFileMapping, progress, "ConvertTrueColorTo4BitRGBHigh");
}

void Convert8BitRGBTo4BitRGB(const TPxDIBInfos& src, TPxDIBInfos& dst, bool useFileMapping,
                             const TPxProgressCallback& progress) {
    static constexpr const char* routine = "Convert8BitRGBTo4BitRGB";
    if (src.Header.biBitCount != 8 || src.Header.biCompression != BI_RGB) {
        throw EPxDIBBadDIBType(std::string(routine) + ": Invalid Bitcount or Compression");
    }
    const TPxRowLayout source = SourceLayout(src, routine);
    const TPxRowLayout target = DestinationLayout(source, 4, routine);
    TPxNewBlock block(target.Stride * target.Height, useFileMapping);

    TPxPaletteBuilder palette;
    std::uint8_t indexMap[256];
    MakeIndexPalette(src, palette, progress, indexMap);

    for (std::int32_t y = 0; y < source.Height; ++y) {
        const std::uint8_t* in = SourceRow(src, source, y);
        StoreRow<4>(block.Row(target, y), source.Width,
                    [&](std::int32_t x) { return indexMap[in[x]]; });
    }
    FillDestination(src, dst, palette, 4, block);
}

}  // namespace vlz

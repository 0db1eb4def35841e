#include "graphics/StretchDIBits.h"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "graphics/PixelTranslation.h"
#include "graphics/RasterOp.h"
#include "graphics/RleCodes.h"

namespace vlz {
namespace {

bool UsableHeader(const BITMAPINFOHEADER& header, const void* bits, const RGBQUAD* colors) {
    if (bits == nullptr || header.biWidth <= 0 || header.biHeight == 0 ||
        header.biHeight == INT32_MIN) {
        return false;
    }
    if (header.biBitCount <= 8 && colors == nullptr) {
        return false;
    }
    switch (header.biCompression) {
        case BI_RGB:
            return header.biBitCount == 1 || header.biBitCount == 4 || header.biBitCount == 8 ||
                   header.biBitCount == 24;
        case BI_RLE8:
            return header.biBitCount == 8 && header.biHeight > 0;
        case BI_RLE4:
            return header.biBitCount == 4 && header.biHeight > 0;
        default:
            return false;
    }
}

// Makes a side's extent positive, moving its start to the other edge; true when it was mirrored.
bool Normalise(int& start, int& extent) {
    if (extent >= 0) {
        return false;
    }
    start += extent;
    extent = -extent;
    return true;
}

// For every target position in [first, last) the source position it takes, or -1 when that lies
// outside the source picture.
std::vector<int> MapAxis(int first, int last, int start, int extent, int sourceStart,
                         int sourceExtent, int sourceLimit, bool mirrored) {
    std::vector<int> map(static_cast<std::size_t>(std::max(0, last - first)));
    for (int position = first; position < last; ++position) {
        std::int64_t offset = position - static_cast<std::int64_t>(start);
        if (mirrored) {
            offset = extent - 1 - offset;
        }
        std::int64_t source = sourceStart + offset * sourceExtent / extent;
        map[static_cast<std::size_t>(position - first)] =
            source >= 0 && source < sourceLimit ? static_cast<int>(source) : -1;
    }
    return map;
}

// How source pixels land on the target: the raster operation and what it combines with.
struct TCombine {
    std::uint8_t Code;
    std::uint32_t Pattern;
    std::uint32_t Mask;  // the target's pixel bits
};

// Draws RLE data as its codes come, one data line at a time: the pixels of a line that target
// rows show are gathered in a buffer of the target's columns and combined with those rows when
// the line ends. Lines only ever move on, so no line is seen twice; memory follows the target,
// whatever picture size the header declares. Pixels the data never sets leave the target alone.
void StretchRle(const TDibSurface& target, TRleCodeReader codes, int bitCount, int imageHeight,
                int firstColumn, const std::vector<int>& columns, int firstRow,
                const std::vector<int>& rows, TPixelTranslation& translate,
                const TCombine& combine) {
    // Target rows by the data line they show (the data's first line is the picture's bottom row),
    // and target columns by the source column they show.
    std::vector<std::pair<std::int64_t, int>> lineRows;
    for (std::size_t index = 0; index < rows.size(); ++index) {
        if (rows[index] >= 0) {
            lineRows.emplace_back(imageHeight - 1 - rows[index],
                                  firstRow + static_cast<int>(index));
        }
    }
    std::vector<std::pair<std::int64_t, int>> takers;
    for (std::size_t index = 0; index < columns.size(); ++index) {
        if (columns[index] >= 0) {
            takers.emplace_back(columns[index], static_cast<int>(index));
        }
    }
    if (lineRows.empty() || takers.empty()) {
        return;
    }
    std::sort(lineRows.begin(), lineRows.end());
    std::sort(takers.begin(), takers.end());

    const int count = static_cast<int>(columns.size());
    std::vector<std::uint32_t> values(static_cast<std::size_t>(count));
    std::vector<std::uint8_t> written(static_cast<std::size_t>(count));
    std::vector<std::uint32_t> targetRow(static_cast<std::size_t>(count));
    bool anyWritten = false;
    std::size_t nextRow = 0;  // lineRows from here on are still to be drawn
    std::size_t taker = 0;    // first taker at or right of x on a shown line
    std::int64_t line = 0;
    std::int64_t x = 0;
    bool shown = lineRows.front().first == 0;

    auto endLine = [&](std::int64_t newLine) {
        for (; nextRow < lineRows.size() && lineRows[nextRow].first == line; ++nextRow) {
            if (!anyWritten) {
                continue;
            }
            int row = lineRows[nextRow].second;
            ReadRow(target, row, firstColumn, count, targetRow.data());
            // Each stretch of written pixels is combined in one go.
            for (std::size_t start = 0; start < written.size();) {
                if (written[start] == 0) {
                    ++start;
                    continue;
                }
                std::size_t end = start + 1;
                while (end < written.size() && written[end] != 0) {
                    ++end;
                }
                CombineRow(combine.Code, combine.Pattern, &values[start], &targetRow[start],
                           static_cast<int>(end - start));
                for (std::size_t index = start; index < end; ++index) {
                    targetRow[index] &= combine.Mask;
                }
                start = end;
            }
            WriteRow(target, row, firstColumn, count, targetRow.data());
        }
        if (anyWritten) {
            std::fill(written.begin(), written.end(), 0);
            anyWritten = false;
        }
        line = newLine;
        while (nextRow < lineRows.size() && lineRows[nextRow].first < line) {
            ++nextRow;
        }
        shown = nextRow < lineRows.size() && lineRows[nextRow].first == line;
        taker = 0;
    };
    // Pixels x to x + length - 1 of a shown line; valueAt(k) gives the k-th, translated.
    auto put = [&](std::int64_t length, auto valueAt) {
        while (taker < takers.size() && takers[taker].first < x) {
            ++taker;
        }
        for (; taker < takers.size() && takers[taker].first < x + length; ++taker) {
            auto index = static_cast<std::size_t>(takers[taker].second);
            values[index] = valueAt(takers[taker].first - x);
            written[index] = 1;
            anyWritten = true;
        }
    };
    auto nibble = [](std::uint8_t byte, std::int64_t k) -> std::uint32_t {
        return (k & 1) != 0 ? byte & 0x0F : byte >> 4;
    };

    while (nextRow < lineRows.size()) {
        const TRleCode code = codes.Next();
        switch (code.Kind) {
            case TRleCodeKind::Run:
                if (shown) {
                    // One or two values for the whole run, translated once.
                    const std::uint32_t high =
                        translate(bitCount == 8 ? code.Value : nibble(code.Value, 0));
                    const std::uint32_t low =
                        bitCount == 8 ? high : translate(nibble(code.Value, 1));
                    put(code.Count, [&](std::int64_t k) { return (k & 1) != 0 ? low : high; });
                }
                x += code.Count;
                break;
            case TRleCodeKind::Absolute:
                if (code.Pixels == nullptr) {
                    endLine(line);
                    return;
                }
                if (shown) {
                    put(code.Count, [&](std::int64_t k) {
                        return translate(bitCount == 8 ? code.Pixels[k]
                                                       : nibble(code.Pixels[k >> 1], k));
                    });
                }
                x += code.Count;
                break;
            case TRleCodeKind::EndOfLine:
                x = 0;
                endLine(line + 1);
                break;
            case TRleCodeKind::Delta:
                x += code.DeltaX;
                if (code.DeltaY != 0) {
                    endLine(line + code.DeltaY);
                }
                break;
            case TRleCodeKind::EndOfBitmap:
            case TRleCodeKind::EndOfData:
                endLine(line);
                return;
        }
    }
}

}  // namespace

int StretchDIBits(const TDibSurface& target, int x, int y, int width, int height, int sourceX,
                  int sourceY, int sourceWidth, int sourceHeight, const void* bits,
                  const BitmapInfoView& info, std::uint32_t rop, TColor pattern) {
    if (!target.IsDrawable() || info.header == nullptr || width == 0 || height == 0 ||
        sourceWidth == 0 || sourceHeight == 0) {
        return 0;
    }
    const BITMAPINFOHEADER& header = *info.header;
    if (!RopUsesSource(rop)) {
        Normalise(x, width);
        Normalise(y, height);
        return BitBlt(target, x, y, width, height, nullptr, 0, 0, rop, pattern) ? height : 0;
    }
    if (!UsableHeader(header, bits, info.colors)) {
        return 0;
    }
    // The source is only read; the surface type simply has no read-only variant.
    TDibSurface source{const_cast<BITMAPINFOHEADER*>(&header), const_cast<RGBQUAD*>(info.colors),
                       static_cast<std::uint8_t*>(const_cast<void*>(bits))};
    bool compressed = header.biCompression != BI_RGB;
    if (!compressed && width == sourceWidth && height == sourceHeight && width > 0 && height > 0) {
        return BitBlt(target, x, y, width, height, &source, sourceX, sourceY, rop, pattern) ? height
                                                                                            : 0;
    }

    int imageWidth = header.biWidth;
    int imageHeight = std::abs(header.biHeight);
    bool mirrorX = Normalise(x, width) != Normalise(sourceX, sourceWidth);
    bool mirrorY = Normalise(y, height) != Normalise(sourceY, sourceHeight);
    int firstColumn = std::max(x, 0);
    int lastColumn =
        static_cast<int>(std::min<std::int64_t>(std::int64_t{x} + width, target.Width()));
    int firstRow = std::max(y, 0);
    int lastRow =
        static_cast<int>(std::min<std::int64_t>(std::int64_t{y} + height, target.Height()));
    if (firstColumn >= lastColumn || firstRow >= lastRow) {
        return height;
    }
    std::vector<int> columns =
        MapAxis(firstColumn, lastColumn, x, width, sourceX, sourceWidth, imageWidth, mirrorX);
    std::vector<int> rows =
        MapAxis(firstRow, lastRow, y, height, sourceY, sourceHeight, imageHeight, mirrorY);

    TPixelTranslation translate(header.biBitCount, info.colors, ColorTableSize(header), target);
    TCombine combine{RopCode(rop), ColorToPixel(target, pattern),
                     target.BitCount() == 24 ? 0xFFFFFFu : (1u << target.BitCount()) - 1};
    if (compressed) {
        StretchRle(target,
                   TRleCodeReader(static_cast<const std::uint8_t*>(bits), header.biSizeImage,
                                  header.biBitCount),
                   header.biBitCount, imageHeight, firstColumn, columns, firstRow, rows, translate,
                   combine);
        return height;
    }

    int count = lastColumn - firstColumn;
    std::vector<std::uint32_t> sourceRow(static_cast<std::size_t>(imageWidth));
    std::vector<std::uint32_t> targetRow(static_cast<std::size_t>(count));
    int cachedRow = -1;
    for (int row = firstRow; row < lastRow; ++row) {
        int from = rows[static_cast<std::size_t>(row - firstRow)];
        if (from < 0) {
            continue;
        }
        if (from != cachedRow) {
            ReadRow(source, from, 0, imageWidth, sourceRow.data());
            translate.TranslateRow(sourceRow.data(), imageWidth);
            cachedRow = from;
        }
        ReadRow(target, row, firstColumn, count, targetRow.data());
        for (int i = 0; i < count; ++i) {
            int column = columns[static_cast<std::size_t>(i)];
            if (column < 0) {
                continue;
            }
            std::uint32_t value = sourceRow[static_cast<std::size_t>(column)];
            std::uint32_t& pixel = targetRow[static_cast<std::size_t>(i)];
            CombineRow(combine.Code, combine.Pattern, &value, &pixel, 1);
            pixel &= combine.Mask;
        }
        WriteRow(target, row, firstColumn, count, targetRow.data());
    }
    return height;
}

}  // namespace vlz

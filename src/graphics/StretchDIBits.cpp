#include "graphics/StretchDIBits.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <vector>

#include "graphics/PixelTranslation.h"
#include "graphics/RasterOp.h"
#include "graphics/RleDecoder.h"

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
    TExpandedRle expanded;
    if (compressed) {
        try {
            ExpandRle(static_cast<const std::uint8_t*>(bits), header.biSizeImage, header.biBitCount,
                      imageWidth, imageHeight, true, expanded);
        } catch (const std::bad_alloc&) {
            return 0;
        }
    }

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
    std::uint8_t code = RopCode(rop);
    std::uint32_t mask = target.BitCount() == 24 ? 0xFFFFFF : (1u << target.BitCount()) - 1;
    std::uint32_t patternValue = ColorToPixel(target, pattern);
    int count = lastColumn - firstColumn;
    std::vector<std::uint32_t> sourceRow(static_cast<std::size_t>(imageWidth));
    std::vector<std::uint32_t> targetRow(static_cast<std::size_t>(count));
    int cachedRow = -1;
    for (int row = firstRow; row < lastRow; ++row) {
        int from = rows[static_cast<std::size_t>(row - firstRow)];
        if (from < 0) {
            continue;
        }
        const std::uint8_t* written = nullptr;
        if (from != cachedRow) {
            if (compressed) {
                const std::uint8_t* indices =
                    expanded.Indices.data() + static_cast<std::size_t>(from) * imageWidth;
                for (int i = 0; i < imageWidth; ++i) {
                    sourceRow[static_cast<std::size_t>(i)] = translate(indices[i]);
                }
            } else {
                ReadRow(source, from, 0, imageWidth, sourceRow.data());
                translate.TranslateRow(sourceRow.data(), imageWidth);
            }
            cachedRow = from;
        }
        if (compressed) {
            written = expanded.Written.data() + static_cast<std::size_t>(from) * imageWidth;
        }
        ReadRow(target, row, firstColumn, count, targetRow.data());
        for (int i = 0; i < count; ++i) {
            int column = columns[static_cast<std::size_t>(i)];
            if (column < 0 || (written && !written[column])) {
                continue;
            }
            std::uint32_t value = sourceRow[static_cast<std::size_t>(column)];
            std::uint32_t& pixel = targetRow[static_cast<std::size_t>(i)];
            CombineRow(code, patternValue, &value, &pixel, 1);
            pixel &= mask;
        }
        WriteRow(target, row, firstColumn, count, targetRow.data());
    }
    return height;
}

}  // namespace vlz

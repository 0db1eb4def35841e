#include "dib/PxDIBHeader.h"

#include <limits>

namespace vlz {

void FillDefaultResolution(BITMAPINFOHEADER& header) {
    if (header.biXPelsPerMeter == 0) {
        header.biXPelsPerMeter = DefaultPelsPerMeter;
    }
    if (header.biYPelsPerMeter == 0) {
        header.biYPelsPerMeter = DefaultPelsPerMeter;
    }
}

void ConvertCoreHeader(const BITMAPCOREHEADER& core, TPxDIBInfos& infos) {
    BITMAPINFOHEADER& header = infos.Header;
    header.biSize = BitmapInfoHeaderSize;
    header.biWidth = core.bcWidth;
    header.biHeight = core.bcHeight;
    header.biPlanes = core.bcPlanes;
    header.biBitCount = core.bcBitCount;
    header.biCompression = BI_RGB;
    header.biSizeImage = 0;
    header.biXPelsPerMeter = DefaultPelsPerMeter;
    header.biYPelsPerMeter = DefaultPelsPerMeter;
    header.biClrUsed = FullColorTableSize(core.bcBitCount);
    header.biClrImportant = 0;
}

bool IsKnownBitCount(std::uint32_t bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
           bitCount == 32;
}

bool IsRLECompressed(const BITMAPINFOHEADER& header) {
    return (header.biBitCount == 8 && header.biCompression == BI_RLE8) ||
           (header.biBitCount == 4 && header.biCompression == BI_RLE4);
}

std::int64_t RowCountOf(const BITMAPINFOHEADER& header) {
    std::int64_t height = header.biHeight;
    return height < 0 ? -height : height;
}

std::int64_t BlockSizeOf(std::int64_t stride, std::int64_t rows) {
    constexpr std::int64_t Limit = std::numeric_limits<std::int32_t>::max();
    if (stride < 0 || rows < 0 || (rows != 0 && stride > Limit / rows)) {
        return -1;
    }
    return stride * rows;
}

}  // namespace vlz

#include "dib/PxConverterSupport.h"

#include <cstdlib>
#include <string>

#include "dib/PxDIBError.h"
#include "dib/PxDIBHeader.h"
#include "platform/Exception.h"

namespace vlz {

TPxRowLayout SourceLayout(const TPxDIBInfos& src, const char* routine) {
    const std::int64_t width = src.Header.biWidth;
    const std::int64_t height = std::llabs(static_cast<std::int64_t>(src.Header.biHeight));
    const std::int64_t stride = DibStride(src.Header.biBitCount, width);
    // BlockSizeOf refuses what does not fit 32 bits before it multiplies.
    const std::int64_t size = BlockSizeOf(stride, height);
    if (width <= 0 || height == 0 || src.Bits == nullptr || size < 0 || size > src.ImageSize) {
        throw EPxDIBInvalidDIB(std::string(routine) + ": Invalid DIB Size");
    }
    return {static_cast<std::int32_t>(width), static_cast<std::int32_t>(height),
            static_cast<std::int32_t>(stride)};
}

TPxRowLayout DestinationLayout(const TPxRowLayout& source, int bitCount, const char* routine) {
    const std::int64_t stride = DibStride(bitCount, source.Width);
    if (BlockSizeOf(stride, source.Height) < 0) {
        throw EOutOfMemory(std::string(routine) + ": Image Too Large");
    }
    return {source.Width, source.Height, static_cast<std::int32_t>(stride)};
}

TPxNewBlock::TPxNewBlock(std::int32_t size, bool useFileMapping)
    : size_(size), useFileMapping_(useFileMapping) {
    GetMemory(size, mapping_, bits_, useFileMapping);
}

TPxNewBlock::~TPxNewBlock() {
    if (bits_ != nullptr) {
        FreeMemory(mapping_, bits_, useFileMapping_);
    }
}

void TPxNewBlock::HandOver(TPxDIBInfos& dst) {
    dst.ImageSize = size_;
    dst.MappingHandle = mapping_;
    dst.Bits = bits_;
    mapping_ = NoMapping;
    bits_ = nullptr;
}

void SetBlackAndWhitePalette(TPxDIBInfos& dst) {
    dst.Colors[0] = RGBQUAD{0, 0, 0, 0};
    dst.Colors[1] = RGBQUAD{255, 255, 255, 0};
    dst.Header.biClrUsed = 2;
}

}  // namespace vlz

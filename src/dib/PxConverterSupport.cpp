#include "dib/PxConverterSupport.h"

#include <cstdlib>
#include <limits>
#include <string>

#include "dib/PxDIBError.h"
#include "platform/Exception.h"

namespace vlz {

TPxRowLayout SourceLayout(const TPxDIBInfos& src, const char* routine) {
    const std::int64_t width = src.Header.biWidth;
    const std::int64_t height = std::llabs(static_cast<std::int64_t>(src.Header.biHeight));
    const std::int64_t stride = DibStride(src.Header.biBitCount, width);
    if (width <= 0 || height == 0 || src.Bits == nullptr || src.ImageSize < 0 ||
        stride * height > src.ImageSize) {
        throw EPxDIBInvalidDIB(std::string(routine) + ": Invalid DIB Size");
    }
    return {static_cast<std::int32_t>(width), static_cast<std::int32_t>(height),
            static_cast<std::int32_t>(stride)};
}

TPxRowLayout DestinationLayout(const TPxRowLayout& source, int bitCount, const char* routine) {
    const std::int64_t stride = DibStride(bitCount, source.Width);
    if (stride * source.Height > std::numeric_limits<std::int32_t>::max()) {
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

#include "graphics/PixelTranslation.h"

#include <algorithm>

namespace vlz {
namespace {

bool SameColorTables(const RGBQUAD* a, int aCount, const RGBQUAD* b, int bCount) {
    return aCount == bCount && (aCount == 0 || a == b || std::equal(a, a + aCount, b));
}

TColor QuadToColor(const RGBQUAD& quad) {
    return RGB(quad.rgbRed, quad.rgbGreen, quad.rgbBlue);
}

}  // namespace

TPixelTranslation::TPixelTranslation(int sourceBitCount, const RGBQUAD* sourceColors,
                                     int sourceColorCount, const TDibSurface& target)
    : targetColors_(target.Colors), targetColorCount_(target.ColorCount()) {
    int targetBits = target.BitCount();
    if (sourceBitCount == 24) {
        kind_ = targetBits == 24 ? Kind::Identity : Kind::NearestEntry;
        return;
    }
    if (targetBits != 24 &&
        SameColorTables(sourceColors, sourceColorCount, target.Colors, targetColorCount_)) {
        kind_ = Kind::Identity;
        return;
    }
    kind_ = Kind::Table;
    int entries = 1 << sourceBitCount;
    for (int i = 0; i < entries; ++i) {
        TColor color = i < sourceColorCount ? QuadToColor(sourceColors[i]) : clBlack;
        table_[static_cast<std::size_t>(i)] = ColorToPixel(target, color);
    }
}

std::uint32_t TPixelTranslation::Nearest(std::uint32_t value) {
    if (value != lastValue_) {
        lastValue_ = value;
        TColor color = RGB(static_cast<std::uint8_t>(value >> 16),
                           static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value));
        lastIndex_ = NearestColorIndex(targetColors_, targetColorCount_, color);
    }
    return lastIndex_;
}

}  // namespace vlz

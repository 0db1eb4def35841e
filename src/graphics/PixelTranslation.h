#pragma once
// Turns raw pixel values of one surface into raw values of another: paletted sources through
// their colour table, paletted targets through the nearest entry of theirs. Two paletted surfaces
// with the same colour table keep their indices unchanged.

#include <array>
#include <cstdint>

#include "graphics/Surface.h"

namespace vlz {

class TPixelTranslation {
  public:
    // `sourceBitCount` and `sourceColors`/`sourceColorCount` describe the source's values (an RLE
    // source gives 4 or 8 bits here).
    TPixelTranslation(int sourceBitCount, const RGBQUAD* sourceColors, int sourceColorCount,
                      const TDibSurface& target);

    bool IsIdentity() const { return kind_ == Kind::Identity; }

    std::uint32_t operator()(std::uint32_t value) {
        switch (kind_) {
            case Kind::Identity:
                return value;
            case Kind::Table:
                return table_[value & 0xFF];
            default:
                return Nearest(value);
        }
    }

    void TranslateRow(std::uint32_t* values, int count) {
        if (kind_ != Kind::Identity) {
            for (int i = 0; i < count; ++i) {
                values[i] = (*this)(values[i]);
            }
        }
    }

  private:
    enum class Kind { Identity, Table, NearestEntry };
    std::uint32_t Nearest(std::uint32_t value);

    Kind kind_ = Kind::Identity;
    std::array<std::uint32_t, 256> table_{};
    const RGBQUAD* targetColors_ = nullptr;
    int targetColorCount_ = 0;
    // 24-bit sources into a paletted target: neighbouring pixels mostly repeat a colour.
    std::uint32_t lastValue_ = 0xFFFFFFFF;
    std::uint32_t lastIndex_ = 0;
};

}  // namespace vlz

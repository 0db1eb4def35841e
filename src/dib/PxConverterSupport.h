#pragma once
// What every pixel converter of the library shares: the checks on a source record, the new pixel
// block that is released unless it reaches the destination, and the packing of 1- and 4-bit rows.

#include <cstdint>

#include "dib/PxDIBInfos.h"

namespace vlz {

// The geometry of an uncompressed image as the converters walk it: rows in memory order (the
// destination keeps the source's biHeight, so row y of one is row y of the other).
struct TPxRowLayout {
    std::int32_t Width = 0;
    std::int32_t Height = 0;  // |biHeight|
    std::int32_t Stride = 0;  // bytes per row at the layout's bit count
};

// Checks that `src` holds `Height` uncompressed rows of its own bit count inside its block, so
// that no converter reads past it whatever a file claimed. Raises EPxDIBInvalidDIB
// "<routine>: Invalid DIB Size" otherwise.
TPxRowLayout SourceLayout(const TPxDIBInfos& src, const char* routine);

// The layout of a destination of `bitCount` bits over the same rows; raises EOutOfMemory
// "<routine>: Image Too Large" when its block would not fit the 32-bit ImageSize.
TPxRowLayout DestinationLayout(const TPxRowLayout& source, int bitCount, const char* routine);

// A pixel block obtained with GetMemory for a converter's result. It goes back with FreeMemory
// when the converter leaves early; HandOver gives it to the destination record.
class TPxNewBlock {
  public:
    TPxNewBlock(std::int32_t size, bool useFileMapping);
    ~TPxNewBlock();
    TPxNewBlock(const TPxNewBlock&) = delete;
    TPxNewBlock& operator=(const TPxNewBlock&) = delete;

    std::uint8_t* Bits() const { return bits_; }
    std::uint8_t* Row(const TPxRowLayout& layout, std::int32_t y) const {
        return bits_ + static_cast<std::int64_t>(y) * layout.Stride;
    }

    // Sets ImageSize, MappingHandle and Bits of `dst`; the block is no longer this object's.
    void HandOver(TPxDIBInfos& dst);

  private:
    std::int32_t size_;
    bool useFileMapping_;
    MappingHandle mapping_ = NoMapping;
    std::uint8_t* bits_ = nullptr;
};

inline const std::uint8_t* SourceRow(const TPxDIBInfos& src, const TPxRowLayout& layout,
                                     std::int32_t y) {
    return src.Bits + static_cast<std::int64_t>(y) * layout.Stride;
}

// Index of pixel x of a 1-bit row (most significant bit first) and of a 4-bit row (high nibble
// for even x).
inline std::uint8_t Index1(const std::uint8_t* row, std::int32_t x) {
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}
inline std::uint8_t Index4(const std::uint8_t* row, std::int32_t x) {
    return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
}

// Index of pixel x of an uncompressed palette row of 1, 4 or 8 bits.
inline std::uint8_t IndexAt(const std::uint8_t* row, int bitCount, std::int32_t x) {
    switch (bitCount) {
        case 1:
            return Index1(row, x);
        case 4:
            return Index4(row, x);
        default:
            return row[x];
    }
}

// Writes one index into a zero-filled 4-bit row; the low nibble of an odd width's last byte
// therefore stays 0.
inline void PutIndex4(std::uint8_t* row, std::int32_t x, std::uint8_t index) {
    row[x >> 1] |= (x & 1) ? index : static_cast<std::uint8_t>(index << 4);
}

// The two-entry table of every 1-bit result: black, white.
void SetBlackAndWhitePalette(TPxDIBInfos& dst);

}  // namespace vlz

#pragma once
// The colour box of a 24-bit pixel and the bits its number drops. A box keeps 5 bits of red, 6 of
// green and 5 of blue; what is left of the pixel, 3 bits of red, 2 of green and 3 of blue, fits in
// one byte. Box and dropped bits together give the pixel back exactly.
//
//   box    = red >> 3 << 11 | green >> 2 << 5 | blue >> 3        (16 bits)
//   bits   = (red & 7) << 5 | (green & 3) << 3 | (blue & 7)      (8 bits)

#include <cstddef>
#include <cstdint>

namespace vlz {

inline std::uint16_t BoxOf(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    return static_cast<std::uint16_t>((red >> 3) << 11 | (green >> 2) << 5 | blue >> 3);
}

inline std::uint8_t DroppedBitsOf(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    return static_cast<std::uint8_t>((red & 7) << 5 | (green & 3) << 3 | (blue & 7));
}

// Box numbers and dropped bits of `count` pixels, each three bytes (blue, green, red), into
// `boxes` and `bits`. Reads exactly the 3 × `count` bytes of the pixels.
void BoxKeysOf(const std::uint8_t* pixels, std::int32_t count, std::uint16_t* boxes,
               std::uint8_t* bits);

// What a set of dropped-bit values holds, per channel (red, green, blue): the sum of the channel's
// dropped bits, the sum of their squares, and their smallest and largest value (7, 3, 7 and 0 for
// no values).
struct TPxDroppedBitSummary {
    std::uint64_t Sum[3] = {};
    std::uint64_t Squares[3] = {};
    std::uint8_t Lowest[3] = {7, 3, 7};
    std::uint8_t Highest[3] = {0, 0, 0};
};

TPxDroppedBitSummary SummaryOf(const std::uint8_t* bits, std::size_t count);
// The same for values given as 256 counts, counts[v] values v.
TPxDroppedBitSummary SummaryOfCounts(const std::uint32_t* counts);

// Calls `use(first, boxes, bits, count)` for the pixels of a row in pieces of at most 256 that
// start at pixel `first` (a multiple of 256), so that the keys stay in the first-level cache
// while they are used.
template <typename Use>
void ForEachKeyBlock(const std::uint8_t* pixels, std::int32_t count, Use use) {
    constexpr std::int32_t BlockSize = 256;
    std::uint16_t boxes[BlockSize];
    std::uint8_t bits[BlockSize];
    for (std::int32_t first = 0; first < count; first += BlockSize) {
        const std::int32_t size = count - first < BlockSize ? count - first : BlockSize;
        BoxKeysOf(pixels + 3 * static_cast<std::int64_t>(first), size, boxes, bits);
        use(first, static_cast<const std::uint16_t*>(boxes), static_cast<const std::uint8_t*>(bits),
            size);
    }
}

}  // namespace vlz

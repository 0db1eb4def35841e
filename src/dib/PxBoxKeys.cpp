#include "dib/PxBoxKeys.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vlz {
namespace {

#if defined(__SSE2__)
// One round of a shuffle over 48 bytes held in three registers: byte p moves to 2p mod 47 (byte
// 47 stays), the first 24 bytes interleaved with the last 24. Four rounds move byte 3j + c to
// 16c + j (as 16 × 3 = 48 ≡ 1), which sorts sixteen pixels into a register of blue bytes, one of
// green and one of red.
inline void InterleaveHalves(__m128i& first, __m128i& second, __m128i& third) {
    const __m128i a = _mm_unpacklo_epi8(first, _mm_unpackhi_epi64(second, second));
    const __m128i b = _mm_unpacklo_epi8(_mm_unpackhi_epi64(first, first), third);
    const __m128i c = _mm_unpacklo_epi8(second, _mm_unpackhi_epi64(third, third));
    first = a;
    second = b;
    third = c;
}

// Sixteen pixels at once. The shifts work on 16-bit lanes; the masks drop what crosses from one
// byte into the other.
inline void SixteenKeys(const std::uint8_t* pixels, std::uint16_t* boxes, std::uint8_t* bits) {
    __m128i blue = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
    __m128i green = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 16));
    __m128i red = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 32));
    for (int round = 0; round < 4; ++round) {
        InterleaveHalves(blue, green, red);
    }
    const auto bytes = [](int value) { return _mm_set1_epi8(static_cast<char>(value)); };
    // High byte of the box: red's top five bits, green's top three.
    const __m128i high = _mm_or_si128(_mm_and_si128(red, bytes(0xF8)),
                                      _mm_and_si128(_mm_srli_epi16(green, 5), bytes(0x07)));
    // Low byte: green's bits 2 to 4, blue's top five bits.
    const __m128i low = _mm_or_si128(_mm_and_si128(_mm_slli_epi16(green, 3), bytes(0xE0)),
                                     _mm_and_si128(_mm_srli_epi16(blue, 3), bytes(0x1F)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(boxes), _mm_unpacklo_epi8(low, high));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(boxes + 8), _mm_unpackhi_epi8(low, high));
    const __m128i dropped =
        _mm_or_si128(_mm_or_si128(_mm_slli_epi16(_mm_and_si128(red, bytes(7)), 5),
                                  _mm_slli_epi16(_mm_and_si128(green, bytes(3)), 3)),
                     _mm_and_si128(blue, bytes(7)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bits), dropped);
}

// Per 16-bit lane: the square of the low byte's value (below 16) in the low byte.
inline __m128i SquaresOfLowBytes(__m128i lanes) {
    return _mm_mullo_epi16(lanes, lanes);
}

// Adds sixteen dropped-bit values to the per-channel sums, sums of squares and bounds. The squares
// (at most 49) are made in 16-bit lanes, one byte of each lane at a time.
struct TSixteenBitsSummary {
    __m128i Sum[3], Squares[3], Lowest[3], Highest[3];

    TSixteenBitsSummary() {
        const std::uint8_t lowest[3] = {7, 3, 7};
        for (int c = 0; c < 3; ++c) {
            Sum[c] = Squares[c] = Highest[c] = _mm_setzero_si128();
            Lowest[c] = _mm_set1_epi8(static_cast<char>(lowest[c]));
        }
    }

    void Add(const std::uint8_t* bits) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bits));
        const __m128i zero = _mm_setzero_si128();
        const __m128i channel[3] = {
            _mm_and_si128(_mm_srli_epi16(block, 5), _mm_set1_epi8(7)),
            _mm_and_si128(_mm_srli_epi16(block, 3), _mm_set1_epi8(3)),
            _mm_and_si128(block, _mm_set1_epi8(7)),
        };
        for (int c = 0; c < 3; ++c) {
            Sum[c] = _mm_add_epi64(Sum[c], _mm_sad_epu8(channel[c], zero));
            const __m128i low = SquaresOfLowBytes(_mm_and_si128(channel[c], _mm_set1_epi16(0xFF)));
            const __m128i high = SquaresOfLowBytes(_mm_srli_epi16(channel[c], 8));
            Squares[c] = _mm_add_epi64(
                Squares[c], _mm_sad_epu8(_mm_or_si128(low, _mm_slli_epi16(high, 8)), zero));
            Lowest[c] = _mm_min_epu8(Lowest[c], channel[c]);
            Highest[c] = _mm_max_epu8(Highest[c], channel[c]);
        }
    }

    void Into(TPxDroppedBitSummary& summary) const {
        for (int c = 0; c < 3; ++c) {
            alignas(16) std::uint64_t sums[2], squares[2];
            alignas(16) std::uint8_t lowest[16], highest[16];
            _mm_store_si128(reinterpret_cast<__m128i*>(sums), Sum[c]);
            _mm_store_si128(reinterpret_cast<__m128i*>(squares), Squares[c]);
            _mm_store_si128(reinterpret_cast<__m128i*>(lowest), Lowest[c]);
            _mm_store_si128(reinterpret_cast<__m128i*>(highest), Highest[c]);
            summary.Sum[c] += sums[0] + sums[1];
            summary.Squares[c] += squares[0] + squares[1];
            for (int i = 0; i < 16; ++i) {
                summary.Lowest[c] = std::min(summary.Lowest[c], lowest[i]);
                summary.Highest[c] = std::max(summary.Highest[c], highest[i]);
            }
        }
    }
};
#endif

}  // namespace

TPxDroppedBitSummary SummaryOf(const std::uint8_t* bits, std::size_t count) {
    TPxDroppedBitSummary summary;
    std::size_t index = 0;
#if defined(__SSE2__)
    if (count >= 16) {
        TSixteenBitsSummary sixteen;
        for (; index + 16 <= count; index += 16) {
            sixteen.Add(bits + index);
        }
        sixteen.Into(summary);
    }
#endif
    for (; index < count; ++index) {
        const std::uint8_t value[3] = {static_cast<std::uint8_t>(bits[index] >> 5),
                                       static_cast<std::uint8_t>((bits[index] >> 3) & 3),
                                       static_cast<std::uint8_t>(bits[index] & 7)};
        for (int c = 0; c < 3; ++c) {
            summary.Sum[c] += value[c];
            summary.Squares[c] += value[c] * value[c];
            summary.Lowest[c] = std::min(summary.Lowest[c], value[c]);
            summary.Highest[c] = std::max(summary.Highest[c], value[c]);
        }
    }
    return summary;
}

TPxDroppedBitSummary SummaryOfCounts(const std::uint32_t* counts) {
    TPxDroppedBitSummary summary;
    for (std::uint32_t value = 0; value < 256; ++value) {
        const std::uint64_t count = counts[value];
        if (count == 0) {
            continue;
        }
        const std::uint8_t channel[3] = {static_cast<std::uint8_t>(value >> 5),
                                         static_cast<std::uint8_t>((value >> 3) & 3),
                                         static_cast<std::uint8_t>(value & 7)};
        for (int c = 0; c < 3; ++c) {
            summary.Sum[c] += count * channel[c];
            summary.Squares[c] += count * channel[c] * channel[c];
            summary.Lowest[c] = std::min(summary.Lowest[c], channel[c]);
            summary.Highest[c] = std::max(summary.Highest[c], channel[c]);
        }
    }
    return summary;
}

void BoxKeysOf(const std::uint8_t* pixels, std::int32_t count, std::uint16_t* boxes,
               std::uint8_t* bits) {
    std::int32_t index = 0;
#if defined(__SSE2__)
    for (; index + 16 <= count; index += 16) {
        SixteenKeys(pixels + 3 * static_cast<std::int64_t>(index), boxes + index, bits + index);
    }
#endif
    for (; index < count; ++index) {
        const std::uint8_t* pixel = pixels + 3 * static_cast<std::int64_t>(index);
        boxes[index] = BoxOf(pixel[0], pixel[1], pixel[2]);
        bits[index] = DroppedBitsOf(pixel[0], pixel[1], pixel[2]);
    }
}

}  // namespace vlz

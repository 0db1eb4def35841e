// The RLE encoders against a plain reading of their rules: the unit-by-unit state machine with
// its literal buffer, every emission checking its room. Random rows mix runs and literals of
// every length around the limits (255 and 127 units), and images near the capacity, so that
// both the streams and the points where encoding fails must agree.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "dib/PxDIBError.h"
#include "dib/PxInternalDIB.h"
#include "dib/PxRLE.h"

namespace vlz {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The stream, or nothing when the encoder finds too little room.
using Outcome = std::optional<Bytes>;

class TReferenceEncoder {
  public:
    TReferenceEncoder(int bits, std::int64_t capacity) : bits_(bits), capacity_(capacity) {}

    // Returns false when an emission found too little room.
    bool Row(const std::uint8_t* units, std::int64_t unitCount, std::int64_t width) {
        const std::int64_t limit = bits_ == 8 ? 255 : 127;
        pixelsLeft_ = width;
        enum { One, Run, Literal } state = One;
        std::vector<std::uint8_t> buffer{units[0]};
        std::int64_t runCount = 0;
        for (std::int64_t index = 1; index < unitCount; ++index) {
            const std::uint8_t unit = units[index];
            switch (state) {
                case One:
                    if (unit == buffer[0]) {
                        state = Run;
                        runCount = 2;
                    } else {
                        buffer.push_back(unit);
                        state = Literal;
                    }
                    break;
                case Run:
                    if (runCount < limit && unit == buffer[0]) {
                        ++runCount;
                    } else {
                        if (!EmitRun(buffer[0], runCount)) {
                            return false;
                        }
                        buffer = {unit};
                        state = One;
                    }
                    break;
                case Literal:
                    if (static_cast<std::int64_t>(buffer.size()) < limit && unit != buffer.back()) {
                        buffer.push_back(unit);
                    } else if (unit == buffer.back()) {
                        buffer.pop_back();
                        if (!EmitLiteral(buffer)) {
                            return false;
                        }
                        buffer = {unit};
                        runCount = 2;
                        state = Run;
                    } else {
                        if (!EmitLiteral(buffer)) {
                            return false;
                        }
                        buffer = {unit};
                        state = One;
                    }
                    break;
            }
        }
        const bool emitted = state == Literal ? EmitLiteral(buffer)
                                              : EmitRun(buffer[0], state == Run ? runCount : 1);
        return emitted && Put(4, {0, 0});
    }

    bool End() { return Put(2, {0, 1}); }
    const Bytes& Stream() const { return stream_; }

  private:
    bool Put(std::int64_t room, const Bytes& bytes) {
        if (capacity_ - static_cast<std::int64_t>(stream_.size()) < room) {
            return false;
        }
        stream_.insert(stream_.end(), bytes.begin(), bytes.end());
        return true;
    }

    std::uint8_t Pixels(std::int64_t units) {
        const std::int64_t pixels = bits_ == 8 ? units : std::min(2 * units, pixelsLeft_);
        pixelsLeft_ -= pixels;
        return static_cast<std::uint8_t>(pixels);
    }

    bool EmitRun(std::uint8_t value, std::int64_t units) { return Put(6, {Pixels(units), value}); }

    bool EmitLiteral(const std::vector<std::uint8_t>& units) {
        const auto count = static_cast<std::int64_t>(units.size());
        const std::int64_t room = (count + 1) / 2 * 2 + 6;
        if ((bits_ == 8 && count <= 2) || (bits_ == 4 && count == 1)) {
            if (capacity_ - static_cast<std::int64_t>(stream_.size()) < room) {
                return false;
            }
            for (std::uint8_t unit : units) {
                stream_.push_back(Pixels(1));
                stream_.push_back(unit);
            }
            return true;
        }
        Bytes bytes{0, Pixels(count)};
        bytes.insert(bytes.end(), units.begin(), units.end());
        if (count % 2 != 0) {
            bytes.push_back(0);
        }
        return Put(room, bytes);
    }

    int bits_;
    std::int64_t capacity_;
    std::int64_t pixelsLeft_ = 0;
    Bytes stream_;
};

Outcome ReferenceEncode(const TPxDIBInfos& source) {
    const int bits = source.Header.biBitCount;
    const std::int64_t width = source.Header.biWidth;
    const std::int64_t rows = std::abs(source.Header.biHeight);
    const std::int64_t stride = RowStrideOf(source.Header);
    const std::int64_t units = bits == 8 ? width : (width + 1) / 2;
    TReferenceEncoder encoder(bits, stride * rows);
    for (std::int64_t row = 0; row < rows; ++row) {
        const std::int64_t sourceRow = source.Header.biHeight < 0 ? rows - 1 - row : row;
        if (!encoder.Row(source.Bits + sourceRow * stride, units, width)) {
            return std::nullopt;
        }
    }
    return encoder.End() ? Outcome(encoder.Stream()) : std::nullopt;
}

// `mapped`: the stream goes into a shared-memory section instead of heap memory.
Outcome LibraryEncode(const TPxDIBInfos& source, bool mapped) {
    const bool eight = source.Header.biBitCount == 8;
    TPxDIBInfos encoded;
    try {
        (eight ? Convert8BitRGBTo8BitRLE : Convert4BitRGBTo4BitRLE)(source, encoded, mapped);
    } catch (const EPxDIBCompressionFailed& error) {
        EXPECT_EQ(error.Message(), eight ? "Convert8BitRGBTo8BitRLE: Compression Failed"
                                         : "Convert4BitRGBTo4BitRLE: Compression Failed");
        return std::nullopt;
    }
    Bytes stream(encoded.Bits, encoded.Bits + encoded.ImageSize);
    FreeMemory(encoded.MappingHandle, encoded.Bits, mapped);
    return stream;
}

// Rows built from stretches of runs and of literals (distinct neighbours), whose lengths are
// small or cluster around the limit.
void FillStretches(TPxInternalDIB& image, std::mt19937& random, int bits) {
    const TPxDIBInfos& infos = image.DIBInfos;
    const std::int64_t stride = RowStrideOf(infos.Header);
    const std::int64_t units = bits == 8 ? infos.Header.biWidth : (infos.Header.biWidth + 1) / 2;
    const std::int64_t limit = bits == 8 ? 255 : 127;
    const std::int64_t lengths[] = {1, 2, 3, 4, limit - 2, limit - 1, limit, limit + 1, limit + 2};
    const std::uint32_t values = random() % 2 == 0 ? 4 : 256;
    // Out of 8 stretches: mostly literals (the image seldom fits), even, or mostly runs.
    const std::uint32_t runShare = 1 + 3 * (random() % 3);
    for (std::int64_t row = 0; row < image.Height; ++row) {
        std::uint8_t* line = infos.Bits + row * stride;
        std::int64_t x = 0;
        while (x < units) {
            const std::int64_t length =
                random() % 3 == 0 ? lengths[random() % std::size(lengths)] : 1 + random() % 40;
            const bool run = random() % 8 < runShare;
            std::uint8_t value = static_cast<std::uint8_t>(random() % values);
            for (std::int64_t index = 0; index < length && x < units; ++index, ++x) {
                if (!run && x > 0) {
                    do {
                        value = static_cast<std::uint8_t>(random() % values);
                    } while (value == line[x - 1] && values > 1);
                }
                line[x] = value;
            }
        }
    }
}

template <int Bits>
void ExpectSameAsReference(std::uint32_t seed, int trials, std::int32_t maxWidth) {
    std::mt19937 random(seed);
    int encoded = 0, failed = 0;
    for (int trial = 0; trial < trials; ++trial) {
        const auto width = static_cast<std::int32_t>(1 + random() % maxWidth);
        auto height = static_cast<std::int32_t>(1 + random() % 6);
        if (random() % 3 == 0) {
            height = -height;
        }
        TPxInternalDIB image(false);
        image.FreeDIB();
        image.CreateDIB(width, height, Bits, ColorCountOf(Bits));
        FillStretches(image, random, Bits);
        const Outcome expected = ReferenceEncode(image.DIBInfos);
        const Outcome actual = LibraryEncode(image.DIBInfos, trial % 4 == 0);
        ASSERT_EQ(actual.has_value(), expected.has_value())
            << "trial " << trial << ", " << width << " x " << height;
        if (expected) {
            ASSERT_EQ(*actual, *expected) << "trial " << trial << ", " << width << " x " << height;
            ++encoded;
        } else {
            ++failed;
        }
    }
    // Both outcomes must really have been compared.
    EXPECT_GT(encoded, trials / 20);
    EXPECT_GT(failed, trials / 20);
}

TEST(RLEEncodingReference, EightBitStreamsAndFailuresMatchThePlainRules) {
    ExpectSameAsReference<8>(8, 1500, 900);
}

TEST(RLEEncodingReference, FourBitStreamsAndFailuresMatchThePlainRules) {
    ExpectSameAsReference<4>(4, 1500, 700);
}

TEST(RLEEncodingReference, NarrowImagesNearTheCapacityMatchThePlainRules) {
    ExpectSameAsReference<8>(21, 3000, 24);
    ExpectSameAsReference<4>(22, 3000, 40);
}

}  // namespace
}  // namespace vlz

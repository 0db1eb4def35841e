#include "dib/PxRLE.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "dib/DibTestSupport.h"
#include "dib/PxDIBError.h"
#include "dib/PxInternalDIB.h"

namespace vlz {
namespace {

using test::Bytes;
using ::testing::ElementsAreArray;

// An uncompressed store of `rows` given in memory order (each row as many bytes as the stride
// needs; missing bytes stay 0).
std::unique_ptr<TPxInternalDIB> Image(int bitCount, std::int32_t width, std::int32_t height,
                                      const std::vector<Bytes>& rows = {}) {
    auto store = std::make_unique<TPxInternalDIB>(false);
    store->FreeDIB();
    store->CreateDIB(width, height, bitCount, ColorCountOf(bitCount));
    for (std::size_t row = 0; row < rows.size(); ++row) {
        std::copy(rows[row].begin(), rows[row].end(),
                  store->DIBInfos.Bits + row * RowStrideOf(store->DIBInfos.Header));
    }
    return store;
}

// An RLE source record of `width` × `height` holding `stream`; the block stays with the caller.
struct RLESource {
    Bytes Stream;
    TPxDIBInfos Infos;
    RLESource(int bitCount, std::int32_t width, std::int32_t height, Bytes stream)
        : Stream(std::move(stream)) {
        Infos.Header.biSize = 40;
        Infos.Header.biWidth = width;
        Infos.Header.biHeight = height;
        Infos.Header.biBitCount = static_cast<std::uint16_t>(bitCount);
        Infos.Header.biCompression = bitCount == 8 ? BI_RLE8 : BI_RLE4;
        Infos.Bits = Stream.data();
        Infos.ImageSize = static_cast<std::int32_t>(Stream.size());
    }
};

// Holds a routine's output block until the end of the test.
struct Output {
    TPxDIBInfos Infos;
    ~Output() { FreeMemory(Infos.MappingHandle, Infos.Bits, false); }
    Bytes Pixels() const { return Bytes(Infos.Bits, Infos.Bits + Infos.ImageSize); }
};

using Routine = void (*)(const TPxDIBInfos&, TPxDIBInfos&, bool);

// The message a routine raises, or "" when it succeeds; a failure must leave Dst alone.
template <typename Error>
std::string ErrorOf(Routine routine, const TPxDIBInfos& source) {
    Output output;
    output.Infos.ImageSize = -7;  // a marker that a failure must leave in place
    try {
        routine(source, output.Infos, false);
    } catch (const Error& error) {
        EXPECT_EQ(output.Infos.ImageSize, -7);
        EXPECT_EQ(output.Infos.Bits, nullptr);
        return error.what();
    }
    return "";
}

Bytes Encode8(const std::vector<Bytes>& rows, std::int32_t width) {
    auto image = Image(8, width, static_cast<std::int32_t>(rows.size()), rows);
    Output output;
    Convert8BitRGBTo8BitRLE(image->DIBInfos, output.Infos, false);
    EXPECT_EQ(output.Infos.Header.biCompression, BI_RLE8);
    EXPECT_EQ(output.Infos.Header.biSizeImage, static_cast<std::uint32_t>(output.Infos.ImageSize));
    return output.Pixels();
}

Bytes Encode4(const Bytes& row, std::int32_t width) {
    auto image = Image(4, width, 1, {row});
    Output output;
    Convert4BitRGBTo4BitRLE(image->DIBInfos, output.Infos, false);
    return output.Pixels();
}

std::string CompressionError8(const std::vector<Bytes>& rows, std::int32_t width) {
    auto image = Image(8, width, static_cast<std::int32_t>(rows.size()), rows);
    return ErrorOf<EPxDIBCompressionFailed>(Convert8BitRGBTo8BitRLE, image->DIBInfos);
}

TEST(RLEEncoding, RunsLiteralsAndEndsOfLine) {
    EXPECT_EQ(Encode8({Bytes(8, 0)}, 8), (Bytes{0x08, 0x00, 0x00, 0x00, 0x00, 0x01}));
    EXPECT_EQ(Encode8({Bytes(300, 7)}, 300),
              (Bytes{0xFF, 0x07, 0x2D, 0x07, 0x00, 0x00, 0x00, 0x01}));
    EXPECT_EQ(Encode8({Bytes(6, 9), Bytes(6, 9)}, 6),
              (Bytes{0x06, 0x09, 0x00, 0x00, 0x06, 0x09, 0x00, 0x00, 0x00, 0x01}));
}

TEST(RLEEncoding, LiteralsShorterThanThreeGoOutAsRunsOfOne) {
    // Wide rows leave room enough for every emission.
    auto encoded = [](Bytes pixels) {
        pixels.resize(64, 0xAA);
        Bytes stream = Encode8({pixels}, 64);
        return Bytes(stream.begin(), stream.end() - 6);  // without the filler and the ends
    };
    EXPECT_EQ(encoded({1, 2, 3, 4}), (Bytes{0x00, 0x04, 1, 2, 3, 4}));
    EXPECT_EQ(encoded({1, 2, 2, 3}), (Bytes{0x01, 1, 0x02, 2, 0x01, 3}));
    EXPECT_EQ(encoded({1, 2, 3, 3}), (Bytes{0x01, 1, 0x01, 2, 0x02, 3}));
    EXPECT_EQ(encoded({1, 2, 3, 0xAA, 0xAA}), (Bytes{0x00, 0x03, 1, 2, 3, 0x00}));
}

TEST(RLEEncoding, FailsWhenTheStreamWouldOutgrowTheUncompressedSize) {
    const std::string failed = "Convert8BitRGBTo8BitRLE: Compression Failed";
    EXPECT_EQ(CompressionError8({{5, 5, 5, 7, 8, 9, 9}}, 7), failed);
    EXPECT_EQ(CompressionError8({Bytes(4, 0)}, 4), failed);
    EXPECT_EQ(CompressionError8({Bytes(4, 0), Bytes(4, 0)}, 4), failed);
    Bytes ramp{1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(CompressionError8({ramp, ramp, ramp, ramp}, 8), failed);
}

TEST(RLEEncoding, FourBitRunsCountPixelsAndStopAtTheRowsEnd) {
    Bytes ones(8, 0x11);
    ones[7] = 0x10;  // the padding nibble of an odd width
    EXPECT_EQ(Encode4(ones, 15), (Bytes{0x0E, 0x11, 0x01, 0x10, 0x00, 0x00, 0x00, 0x01}));
    EXPECT_EQ(Encode4(Bytes(150, 0x55), 300),
              (Bytes{0xFE, 0x55, 0x2E, 0x55, 0x00, 0x00, 0x00, 0x01}));
    EXPECT_EQ(Encode4(Bytes(8, 0x12), 16), (Bytes{0x10, 0x12, 0x00, 0x00, 0x00, 0x01}));
}

TEST(RLEEncoding, TopDownSourceComesOutBottomUp) {
    auto image = Image(8, 6, -2, {Bytes(6, 1), Bytes(6, 2)});
    Output output;
    Convert8BitRGBTo8BitRLE(image->DIBInfos, output.Infos, false);
    EXPECT_EQ(output.Infos.Header.biHeight, 2);
    EXPECT_EQ(output.Pixels(), (Bytes{0x06, 2, 0, 0, 0x06, 1, 0, 0, 0, 1}));
}

TEST(RLEEncoding, RejectsSourcesOfTheWrongFormat) {
    auto eight = Image(8, 4, 1);
    auto four = Image(4, 4, 1);
    EXPECT_EQ(ErrorOf<EPxDIBBadDIBType>(Convert4BitRGBTo4BitRLE, eight->DIBInfos),
              "Convert4BitRGBTo4BitRLE: Invalid Bitcount & Compression Combination");
    EXPECT_EQ(ErrorOf<EPxDIBBadDIBType>(Convert8BitRGBTo8BitRLE, four->DIBInfos),
              "Convert8BitRGBTo8BitRLE: Invalid Bitcount & Compression Combination");
    EXPECT_EQ(ErrorOf<EPxDIBBadDIBType>(Convert8BitRLETo8BitRGB, eight->DIBInfos),
              "Convert8BitRLETo8BitRGB: Invalid Bitcount & Compression Combination");
    EXPECT_EQ(ErrorOf<EPxDIBBadDIBType>(Convert4BitRLETo4BitRGB, four->DIBInfos),
              "Convert4BitRLETo4BitRGB: Invalid Bitcount & Compression Combination");
}

Bytes Decode(int bitCount, std::int32_t width, std::int32_t height, const Bytes& stream) {
    RLESource source(bitCount, width, height, stream);
    Output output;
    (bitCount == 8 ? Convert8BitRLETo8BitRGB : Convert4BitRLETo4BitRGB)(source.Infos, output.Infos,
                                                                        false);
    EXPECT_EQ(output.Infos.Header.biCompression, BI_RGB);
    EXPECT_EQ(output.Infos.Header.biHeight, height);
    return output.Pixels();
}

std::string DecodeError(int bitCount, std::int32_t width, std::int32_t height,
                        const Bytes& stream) {
    RLESource source(bitCount, width, height, stream);
    return ErrorOf<EPxDIBInvalidDIB>(
        bitCount == 8 ? Convert8BitRLETo8BitRGB : Convert4BitRLETo4BitRGB, source.Infos);
}

TEST(RLEDecoding, RunsFillRowsAndUnwrittenPixelsStayZero) {
    EXPECT_EQ(Decode(8, 4, 2, {0x04, 0x07, 0x00, 0x00, 0x02, 0x09, 0x00, 0x01}),
              (Bytes{7, 7, 7, 7, 9, 9, 0, 0}));
    // Delta to pixel 3, then one pixel: the low nibble of the row's second byte.
    EXPECT_EQ(Decode(4, 4, 1, {0x00, 0x02, 0x03, 0x00, 0x01, 0xF0, 0x00, 0x01}),
              (Bytes{0x00, 0x0F, 0, 0}));
    // Absolute runs with their padding, and a run starting on an odd pixel.
    EXPECT_EQ(Decode(8, 5, 1, {0x00, 0x03, 1, 2, 3, 0x00, 0x02, 4, 0x00, 0x01}),
              (Bytes{1, 2, 3, 4, 4, 0, 0, 0}));
    EXPECT_EQ(Decode(4, 8, 1, {0x01, 0x10, 0x03, 0x23, 0x00, 0x03, 0x45, 0x60, 0x00, 0x01}),
              (Bytes{0x12, 0x32, 0x45, 0x60}));
}

TEST(RLEDecoding, RejectsCodesThatLeaveTheImage) {
    EXPECT_EQ(DecodeError(8, 4, 1, {0x04, 1, 0x00, 0x00, 0x00, 0x01}), "");
    EXPECT_EQ(DecodeError(8, 4, 1, {0x04, 1, 0x00, 0x00, 0x00, 0x00}),
              "Convert8BitRLETo8BitRGB: Bad RLE Data 1");
    EXPECT_EQ(DecodeError(8, 4, 1, {0x00, 0x02, 0x04, 0x00, 0x00, 0x01}), "");
    EXPECT_EQ(DecodeError(8, 4, 1, {0x00, 0x02, 0x04, 0x00, 0x01, 0x05}),
              "Convert8BitRLETo8BitRGB: Bad RLE Data 4");
    EXPECT_EQ(DecodeError(8, 4, 1, {0x00, 0x02, 0x05, 0x00}),
              "Convert8BitRLETo8BitRGB: Bad RLE Data 2");
    EXPECT_EQ(DecodeError(8, 4, 1, {0x00, 0x02, 0x00, 0x02}),
              "Convert8BitRLETo8BitRGB: Bad RLE Data 2");
    EXPECT_EQ(DecodeError(8, 4, 1, {0x01, 0x00, 0x00, 0x04, 1, 2, 3, 4}),
              "Convert8BitRLETo8BitRGB: Bad RLE Data 3");
    EXPECT_EQ(DecodeError(8, 4, 1, {0x00, 0x00, 0x00, 0x03, 1, 2, 3, 0}),
              "Convert8BitRLETo8BitRGB: Bad RLE Data 3");

    EXPECT_EQ(DecodeError(4, 5, 1, {0x06, 0x11, 0x00, 0x01}), "");
    EXPECT_EQ(DecodeError(4, 5, 1, {0x07, 0x11, 0x00, 0x01}),
              "Convert4BitRLETo4BitRGB: Bad RLE Data 8");
    EXPECT_EQ(DecodeError(4, 4, 1, {0x00, 0x00, 0x00, 0x00}),
              "Convert4BitRLETo4BitRGB: Bad RLE Data 5");
    EXPECT_EQ(DecodeError(4, 4, 1, {0x00, 0x02, 0x06, 0x00}),
              "Convert4BitRLETo4BitRGB: Bad RLE Data 6");
    EXPECT_EQ(DecodeError(4, 4, 1, {0x00, 0x05, 0x12, 0x34, 0x50, 0x00}),
              "Convert4BitRLETo4BitRGB: Bad RLE Data 7");
}

TEST(RLEDecoding, AStreamThatStopsShortEndsTheImageThere) {
    // No end of bitmap; cut inside a delta; cut inside an absolute run.
    EXPECT_EQ(Decode(8, 4, 1, {0x02, 0x05}), (Bytes{5, 5, 0, 0}));
    EXPECT_EQ(Decode(8, 4, 1, {0x02, 0x05, 0x00, 0x02, 0x01}), (Bytes{5, 5, 0, 0}));
    EXPECT_EQ(Decode(8, 8, 1, {0x02, 0x05, 0x00, 0x03, 1, 2}), (Bytes{5, 5, 0, 0, 0, 0, 0, 0}));
    // The padding byte of the last absolute run may be missing.
    EXPECT_EQ(Decode(8, 4, 1, {0x00, 0x03, 1, 2, 3}), (Bytes{1, 2, 3, 0}));
    EXPECT_EQ(Decode(4, 4, 1, {0x01}), (Bytes{0, 0, 0, 0}));
}

TEST(RLEDecoding, AnExpansionBeyondTheLargestBlockIsRefusedBeforeAnyIsMade) {
    // 60000 × 40000 bytes at 8 bits, 120000 × 40000 nibbles at 4: over 2^31 − 1 bytes each.
    RLESource eight(8, 60000, 40000, {0x00, 0x01});
    EXPECT_EQ(ErrorOf<EOutOfMemory>(Convert8BitRLETo8BitRGB, eight.Infos),
              "Convert8BitRLETo8BitRGB: Image Too Large");
    RLESource four(4, 120000, -40000, {0x00, 0x01});
    EXPECT_EQ(ErrorOf<EOutOfMemory>(Convert4BitRLETo4BitRGB, four.Infos),
              "Convert4BitRLETo4BitRGB: Image Too Large");
    EXPECT_EQ(DecodeError(8, 0, 1, {0x00, 0x01}),
              "Convert8BitRLETo8BitRGB: Invalid Width or Height");
}

// Random images with long and short runs; every one that encodes must decode to itself.
template <int BitCount>
struct Format {
    static constexpr int Bits = BitCount;
};

template <typename T>
class RLERoundTrip : public ::testing::Test {};
using Formats = ::testing::Types<Format<8>, Format<4>>;
TYPED_TEST_SUITE(RLERoundTrip, Formats);

TYPED_TEST(RLERoundTrip, EncodedImagesDecodeToThemselves) {
    constexpr int Bits = TypeParam::Bits;
    Routine encode = Bits == 8 ? Convert8BitRGBTo8BitRLE : Convert4BitRGBTo4BitRLE;
    Routine decode = Bits == 8 ? Convert8BitRLETo8BitRGB : Convert4BitRLETo4BitRGB;
    std::mt19937 random(1234 + Bits);
    int encodedCount = 0;
    for (int trial = 0; trial < 400; ++trial) {
        std::int32_t width = 1 + static_cast<std::int32_t>(random() % 600);
        std::int32_t height = 1 + static_cast<std::int32_t>(random() % 4);
        if (random() % 4 == 0) {
            height = -height;
        }
        auto image = Image(Bits, width, height);
        const TPxDIBInfos& source = image->DIBInfos;
        std::int64_t stride = RowStrideOf(source.Header);
        std::uint32_t colours = 1 + random() % (Bits == 8 ? 256 : 16);
        std::uint32_t runChance = random() % 100;
        for (std::int64_t row = 0; row < image->Height; ++row) {
            std::uint8_t pixel = 0;
            for (std::int32_t x = 0; x < width; ++x) {
                if (random() % 100 >= runChance) {
                    pixel = static_cast<std::uint8_t>(random() % colours);
                }
                std::uint8_t* byte = source.Bits + row * stride + (Bits == 8 ? x : x / 2);
                *byte |= Bits == 8 ? pixel : static_cast<std::uint8_t>(pixel << ((x & 1) ? 0 : 4));
            }
        }
        Output encoded;
        try {
            encode(source, encoded.Infos, false);
        } catch (const EPxDIBCompressionFailed&) {
            continue;
        }
        ++encodedCount;
        Output decoded;
        decode(encoded.Infos, decoded.Infos, false);
        ASSERT_EQ(decoded.Infos.ImageSize, source.ImageSize);
        // The result is bottom-up: compare row by row against the source's picture order.
        for (std::int64_t row = 0; row < image->Height; ++row) {
            std::int64_t sourceRow = height < 0 ? image->Height - 1 - row : row;
            ASSERT_THAT(
                Bytes(decoded.Infos.Bits + row * stride, decoded.Infos.Bits + (row + 1) * stride),
                ElementsAreArray(source.Bits + sourceRow * stride, stride))
                << "trial " << trial << ", " << width << " x " << height << ", row " << row;
        }
    }
    EXPECT_GT(encodedCount, 100);
}

}  // namespace
}  // namespace vlz

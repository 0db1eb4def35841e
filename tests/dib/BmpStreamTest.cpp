#include "dib/PxBmpStream.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "dib/DibTestSupport.h"
#include "dib/PxDIBError.h"
#include "dib/PxInternalDIB.h"

namespace vlz {
namespace {

using test::BmpFile;
using test::Bytes;
using test::Concat;
using test::InfoHeader;
using test::InfoHeaderBytes;
using test::Put32;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

Bytes Save(const TPxInternalDIB& store) {
    TMemoryStream stream;
    store.SaveToStream(stream);
    return stream.Bytes();
}

void Load(TPxInternalDIB& store, const Bytes& file) {
    TMemoryStream stream(file);
    store.LoadFromStream(stream);
}

// Loads `file` into a fresh store and returns the message of what it raised ("" when it loaded).
template <typename Error = EPxDIBInvalidDIB>
std::string LoadError(const Bytes& file) {
    TPxInternalDIB store(false);
    try {
        Load(store, file);
    } catch (const Error& error) {
        return error.what();
    }
    return "";
}

Bytes GrayTable(int entries) {
    Bytes table;
    for (int index = 0; index < entries; ++index) {
        Put32(table, static_cast<std::uint32_t>(index % 256) * 0x010101);
    }
    return table;
}

TEST(BmpStream, NewStoreSavesAs1082ByteFile) {
    TPxInternalDIB store(true);
    Bytes file = Save(store);
    ASSERT_EQ(file.size(), 1082u);
    EXPECT_THAT(Bytes(file.begin(), file.begin() + 14),
                ElementsAre('B', 'M', 0x3A, 0x04, 0, 0,  // bfSize 1082
                            0, 0, 0, 0,                  // reserved
                            0x36, 0x04, 0, 0));          // bfOffBits 1078
    EXPECT_EQ(file[14], 40);                             // biSize
    EXPECT_EQ(file[14 + 32], 0);                         // biClrUsed 256, low byte
    EXPECT_EQ(file[14 + 33], 1);
    EXPECT_TRUE(std::all_of(file.begin() + 54, file.end(), [](auto b) { return b == 0; }));
}

TEST(BmpStream, ColourCountZeroMeansAFullTableAndAboveFullIsSkipped) {
    InfoHeader info;
    info.Width = 4;
    Bytes pixels{1, 2, 3, 4};

    TPxInternalDIB store(false);
    Load(store, BmpFile(Concat(InfoHeaderBytes(info), GrayTable(256)), pixels));
    EXPECT_EQ(store.DIBInfos.Header.biClrUsed, 256u);
    EXPECT_EQ(store.DIBInfos.Colors[255], (RGBQUAD{255, 255, 255, 0}));

    // 300 entries: 256 are kept, 44 (176 bytes) skipped, and bfOffBits must cover all 300.
    info.ClrUsed = 300;
    Load(store, BmpFile(Concat(InfoHeaderBytes(info), GrayTable(300)), pixels));
    EXPECT_EQ(store.DIBInfos.Header.biClrUsed, 256u);
    EXPECT_EQ(store.DIBInfos.Colors[200], (RGBQUAD{200, 200, 200, 0}));
    EXPECT_THAT(Bytes(store.DIBInfos.Bits, store.DIBInfos.Bits + 4), ElementsAre(1, 2, 3, 4));
    EXPECT_EQ(LoadError(BmpFile(Concat(InfoHeaderBytes(info), GrayTable(300)), pixels, 0, -1)),
              "TPxInternalDIB.LoadFromFile: bfOffBits is too small");
}

TEST(BmpStream, PixelDataMayStartAfterAGapButNotInsideTheTable) {
    InfoHeader info;
    info.Width = 4;
    info.ClrUsed = 2;
    Bytes header = Concat(InfoHeaderBytes(info), GrayTable(2));
    TPxInternalDIB store(false);
    Load(store, BmpFile(header, {9, 8, 7, 6}, 100));
    EXPECT_THAT(Bytes(store.DIBInfos.Bits, store.DIBInfos.Bits + 4), ElementsAre(9, 8, 7, 6));
    EXPECT_EQ(LoadError(BmpFile(header, {9, 8, 7, 6}, 0, -1)),
              "TPxInternalDIB.LoadFromFile: bfOffBits is too small");
}

TEST(BmpStream, RejectsWhatIsNotABmpOrHasAnUnknownHeader) {
    InfoHeader info;
    Bytes file = BmpFile(Concat(InfoHeaderBytes(info), GrayTable(256)), {0, 0, 0, 0});
    Bytes notBmp = file;
    notBmp[0] = 'P';
    EXPECT_EQ(LoadError<EPxDIBInvalidDIBFile>(notBmp),
              "TPxInternalDIB.LoadFromFile: File type is invalid");

    info.Size = 108;  // version-4 header
    EXPECT_EQ(LoadError(BmpFile(Concat(InfoHeaderBytes(info), GrayTable(256)), {0, 0, 0, 0})),
              "TPxInternalDIB.LoadFromStream: Invalid Bitmap Header Size");

    info.Size = 40;
    info.BitCount = 2;
    EXPECT_EQ(LoadError(BmpFile(InfoHeaderBytes(info), {0, 0, 0, 0})),
              "TPxInternalDIB.LoadFromStream: Invalid BitCout");
    info.BitCount = 8;
    info.Width = 0;
    EXPECT_EQ(LoadError(BmpFile(Concat(InfoHeaderBytes(info), GrayTable(256)), {})),
              "TPxInternalDIB.LoadFromStream: Invalid Width or Height");
}

TEST(BmpStream, SixteenBitPixelsExpandTo24Bits) {
    Bytes file{
        'B',  'M',  70, 0, 0, 0,  // bfType, bfSize 70
        0,    0,    0,  0,        // reserved
        54,   0,    0,  0,        // bfOffBits 54
        40,   0,    0,  0,        // biSize
        3,    0,    0,  0,        // biWidth 3
        1,    0,    0,  0,        // biHeight 1
        1,    0,    16, 0,        // biPlanes 1, biBitCount 16
        0,    0,    0,  0,        // biCompression BI_RGB
        0,    0,    0,  0,        // biSizeImage
        0,    0,    0,  0,        // biXPelsPerMeter
        0,    0,    0,  0,        // biYPelsPerMeter
        0,    0,    0,  0,        // biClrUsed
        0,    0,    0,  0,        // biClrImportant
        0xFF, 0x7F,               // white
        0x21, 0x04,               // (8, 8, 8)
        0x00, 0x7C,               // red
        0,    0,                  // row padding
    };
    TPxInternalDIB store(true);
    Load(store, file);
    EXPECT_EQ(store.GetPixelFormat(), pf24Bit);
    EXPECT_EQ(store.DIBInfos.ImageSize, 12);
    EXPECT_EQ(store.DIBInfos.Header.biXPelsPerMeter, 3780);
    // Blue, green, red per pixel, then padding.
    EXPECT_THAT(Bytes(store.DIBInfos.Bits, store.DIBInfos.Bits + 12),
                ElementsAre(255, 255, 255, 8, 8, 8, 0, 0, 255, 0, 0, 0));
}

TEST(BmpStream, ThirtyTwoBitBitfieldsLoadLikeDefaultMasksAndLeaveTheTable) {
    InfoHeader info;
    info.Width = 2;
    info.Height = 2;
    info.BitCount = 32;
    Bytes pixels;
    for (std::uint32_t pixel : {0x00123456u, 0xFF00FF00u, 0x00ABCDEFu, 0x00010203u}) {
        Put32(pixels, pixel);
    }
    TPxInternalDIB plain(false);
    Load(plain, BmpFile(InfoHeaderBytes(info), pixels));

    info.Compression = BI_BITFIELDS;
    info.ClrUsed = 1;
    Bytes masks;
    Put32(masks, 0x00FF0000);  // red
    Put32(masks, 0x0000FF00);  // green
    Put32(masks, 0x000000FF);  // blue
    Bytes header = Concat(Concat(InfoHeaderBytes(info), masks), GrayTable(2));
    header.resize(header.size() - 4);  // one palette entry behind the masks
    TPxInternalDIB fields(false);
    Load(fields, BmpFile(header, pixels));

    ASSERT_EQ(fields.DIBInfos.ImageSize, plain.DIBInfos.ImageSize);
    EXPECT_EQ(0, std::memcmp(fields.DIBInfos.Bits, plain.DIBInfos.Bits, 16));
    EXPECT_THAT(Bytes(plain.DIBInfos.Bits, plain.DIBInfos.Bits + 6),
                ElementsAre(0x56, 0x34, 0x12, 0x00, 0xFF, 0x00));
    EXPECT_EQ(fields.DIBInfos.Header.biCompression, BI_RGB);
    EXPECT_EQ(fields.DIBInfos.Header.biClrUsed, 1u);
    EXPECT_EQ(fields.DIBInfos.Colors[0], (RGBQUAD{}));  // the palette entry, not the red mask

    Bytes badMasks = header;
    std::memset(badMasks.data() + 40 + 4, 0, 4);  // green mask 0
    EXPECT_EQ(LoadError(BmpFile(badMasks, pixels)), "TPxInternalDIB.LoadFromStream: Invalid Masks");
}

TEST(BmpStream, TopDownSixteenBitKeepsItsRowOrderAndSign) {
    InfoHeader info;
    info.Width = 1;
    info.Height = -2;
    info.BitCount = 16;
    Bytes pixels{0x00, 0x7C, 0, 0,   // row 0: red
                 0x1F, 0x00, 0, 0};  // row 1: blue
    TPxInternalDIB store(false);
    Load(store, BmpFile(InfoHeaderBytes(info), pixels));
    EXPECT_EQ(store.DIBInfos.Header.biHeight, -2);
    EXPECT_EQ(store.Height, 2);
    EXPECT_THAT(Bytes(store.DIBInfos.Bits, store.DIBInfos.Bits + 8),
                ElementsAre(0, 0, 255, 0, 255, 0, 0, 0));
}

TEST(BmpStream, CoreHeaderBecomesAnInfoHeader) {
    Bytes core{
        12, 0, 0, 0,  // bcSize
        3,  0,        // bcWidth 3
        2,  0,        // bcHeight 2
        1,  0,        // bcPlanes
        4,  0,        // bcBitCount 4
    };
    for (int index = 0; index < 16; ++index) {  // 16 triples: blue, green, red
        core.insert(core.end(), {static_cast<std::uint8_t>(index), 0x40, 0x80});
    }
    TPxInternalDIB store(false);
    Load(store, BmpFile(core, {0x12, 0x30, 0, 0, 0x45, 0x60, 0, 0}));
    const BITMAPINFOHEADER& header = store.DIBInfos.Header;
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 3);
    EXPECT_EQ(header.biHeight, 2);
    EXPECT_EQ(header.biClrUsed, 16u);
    EXPECT_EQ(header.biXPelsPerMeter, 3780);
    EXPECT_EQ(header.biYPelsPerMeter, 3780);
    EXPECT_EQ(store.DIBInfos.Colors[15], (RGBQUAD{15, 0x40, 0x80, 0}));
    EXPECT_EQ(store.GetPixelFormat(), pf4Bit);
    EXPECT_EQ(store.DIBInfos.Bits[4], 0x45);
}

TEST(BmpStream, CompressedAndTopDownImagesGoBackOutAsTheyCameIn) {
    InfoHeader info;
    info.Width = 4;
    info.Height = 2;
    info.Compression = BI_RLE8;
    info.ClrUsed = 2;
    info.PelsPerMeter = 2835;
    Bytes rle{4, 7, 0, 0, 2, 9, 0, 1};
    Bytes file = BmpFile(Concat(InfoHeaderBytes(info), GrayTable(2)), rle);
    TPxInternalDIB store(false);
    Load(store, file);
    EXPECT_EQ(store.GetPixelFormat(), pf8BitRLE);
    EXPECT_EQ(store.DIBInfos.ImageSize, 8);
    EXPECT_EQ(Save(store), file);

    info.Compression = BI_RGB;
    info.Height = -2;
    file = BmpFile(Concat(InfoHeaderBytes(info), GrayTable(2)), {1, 2, 3, 4, 5, 6, 7, 8});
    Load(store, file);
    EXPECT_EQ(store.Height, 2);
    EXPECT_EQ(store.DIBInfos.Header.biHeight, -2);
    EXPECT_EQ(Save(store), file);
}

TEST(BmpStream, TwentyFourBitBitfieldsLoadButHaveNoPixelFormat) {
    InfoHeader info;
    info.BitCount = 24;
    info.Compression = BI_BITFIELDS;
    Bytes masks(12, 0xFF);
    TPxInternalDIB store(false);
    Load(store, BmpFile(Concat(InfoHeaderBytes(info), masks), {1, 2, 3, 0}));
    try {
        store.GetPixelFormat();
        FAIL();
    } catch (const EPxDIBInvalidDIB& error) {
        EXPECT_STREQ(error.what(), "TPxInternalDIB.GetPixelFormat: Invalid DIB(24Bit)");
    }
}

TEST(BmpStream, FailedLoadLeavesThePreviousImageUntouched) {
    TPxInternalDIB store(true);
    store.DIBInfos.Bits[0] = 42;
    store.Palette = store.CreatePaletteFromDIB();
    HPALETTE palette = store.Palette;
    store.PaletteChanged = false;
    std::uint8_t* bits = store.DIBInfos.Bits;

    InfoHeader info;
    info.BitCount = 16;
    info.Compression = BI_BITFIELDS;
    Bytes file = BmpFile(Concat(InfoHeaderBytes(info), Bytes(12, 0)), {1, 2, 3, 4});
    EXPECT_THROW(Load(store, file), EPxDIBInvalidDIB);
    info.BitCount = 8;
    info.Compression = BI_RGB;
    file = BmpFile(Concat(InfoHeaderBytes(info), GrayTable(256)), {1, 2, 3, 4});
    file.resize(file.size() - 1);  // bfSize still claims the full row
    EXPECT_THROW(Load(store, file), EReadError);

    EXPECT_EQ(store.DIBInfos.Bits, bits);
    EXPECT_EQ(store.DIBInfos.Bits[0], 42);
    EXPECT_EQ(store.Palette, palette);
    EXPECT_FALSE(store.PaletteChanged);
    EXPECT_EQ(store.GetPixelFormat(), pf8Bit);
}

TEST(BmpStream, SizesFromTheFileAreCheckedBeforeAnythingIsAllocated) {
    InfoHeader info;
    info.Width = 4;
    info.Height = 2;
    info.ClrUsed = 1;
    Bytes header = Concat(InfoHeaderBytes(info), GrayTable(1));
    // bfSize leaves room for one row of two.
    EXPECT_EQ(LoadError(BmpFile(header, {1, 2, 3, 4})),
              "TPxInternalDIB.LoadFromStream: Invalid Image Size");
    // bfSize before bfOffBits.
    Bytes file = BmpFile(header, {1, 2, 3, 4, 5, 6, 7, 8});
    file[2] = 1;
    file[3] = file[4] = file[5] = 0;
    EXPECT_EQ(LoadError(file), "TPxInternalDIB.LoadFromStream: Invalid Image Size");

    // Gigabytes promised by a file of a hundred bytes.
    info.Width = 40000;
    info.Height = 40000;
    info.BitCount = 8;
    file = BmpFile(Concat(InfoHeaderBytes(info), GrayTable(1)), {1, 2, 3, 4});
    Bytes size;
    Put32(size, 1600000000u + 14 + 44);
    std::copy(size.begin(), size.end(), file.begin() + 2);
    EXPECT_EQ(LoadError<EReadError>(file), "Stream read error");
    info.BitCount = 32;
    info.Width = info.Height = 20000;
    EXPECT_EQ(LoadError<EReadError>(BmpFile(Concat(InfoHeaderBytes(info), GrayTable(1)), {})),
              "Stream read error");

    // Width × height beyond any 32-bit block.
    info.Width = 0x7FFFFFFF;
    info.Height = 0x7FFFFFFF;
    for (std::uint16_t bitCount : {24, 32}) {
        info.BitCount = bitCount;
        EXPECT_EQ(LoadError(BmpFile(Concat(InfoHeaderBytes(info), GrayTable(1)), {1, 2})),
                  "TPxInternalDIB.LoadFromStream: Invalid Image Size");
    }
    info.Height = INT32_MIN;
    EXPECT_EQ(LoadError(BmpFile(Concat(InfoHeaderBytes(info), GrayTable(1)), {1, 2})),
              "TPxInternalDIB.LoadFromStream: Invalid Width or Height");

    // A colour count near 2^32 cannot reach past the file.
    info = InfoHeader{};
    info.ClrUsed = 0xFFFFFFFF;
    EXPECT_EQ(LoadError(BmpFile(Concat(InfoHeaderBytes(info), GrayTable(256)), {1, 2, 3, 4})),
              "TPxInternalDIB.LoadFromFile: bfOffBits is too small");
}

// Every in-memory format goes out to a file and comes back with the same header, table and pixels.
template <int BitCount>
struct Format {
    static constexpr int Bits = BitCount;
};

template <typename T>
class BmpRoundTrip : public ::testing::Test {};
using Formats = ::testing::Types<Format<1>, Format<4>, Format<8>, Format<24>>;
TYPED_TEST_SUITE(BmpRoundTrip, Formats);

TYPED_TEST(BmpRoundTrip, SaveThenLoadGivesTheSameImage) {
    std::mt19937 random(TypeParam::Bits);
    for (std::int32_t height : {7, -3}) {
        TPxInternalDIB original(false);
        original.FreeDIB();
        original.CreateDIB(13, height, TypeParam::Bits, ColorCountOf(TypeParam::Bits));
        for (std::int32_t index = 0; index < original.DIBInfos.ImageSize; ++index) {
            original.DIBInfos.Bits[index] = static_cast<std::uint8_t>(random());
        }
        for (int index = 0; index < ColorCountOf(TypeParam::Bits); ++index) {
            original.DIBInfos.Colors[index] =
                RGBQUAD{static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                        static_cast<std::uint8_t>(random()), 0};
        }
        TPxInternalDIB copy(true);
        Load(copy, Save(original));
        EXPECT_EQ(copy.Width, original.Width);
        EXPECT_EQ(copy.Height, original.Height);
        EXPECT_EQ(0, std::memcmp(&copy.DIBInfos.Header, &original.DIBInfos.Header,
                                 sizeof(BITMAPINFOHEADER)));
        EXPECT_THAT(Bytes(copy.DIBInfos.Bits, copy.DIBInfos.Bits + copy.DIBInfos.ImageSize),
                    ElementsAreArray(original.DIBInfos.Bits,
                                     static_cast<std::size_t>(original.DIBInfos.ImageSize)));
        for (int index = 0; index < ColorCountOf(TypeParam::Bits); ++index) {
            EXPECT_EQ(copy.DIBInfos.Colors[index], original.DIBInfos.Colors[index]);
        }
        EXPECT_EQ(copy.GetPixelFormat(), original.GetPixelFormat());
    }
}

}  // namespace
}  // namespace vlz

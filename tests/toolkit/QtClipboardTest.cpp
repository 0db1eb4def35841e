// The clipboard's image/bmp data is a BMP file; the program's CF_DIB is the same image without
// the file header. Both directions must agree on where the pixels start, for every header kind.
#include "toolkit/QtClipboard.h"

#include <gtest/gtest.h>

#include "dib/DibTestSupport.h"  // tests/dib
#include "dib/PxInternalDIB.h"
#include "graphics/Clipboard.h"
#include "platform/Exception.h"

namespace vlz {
namespace {

using test::Bytes;

std::uint32_t Field32(const QByteArray& file, int offset) {
    std::uint32_t value = 0;
    for (int index = 3; index >= 0; --index) {
        value = value << 8 | static_cast<std::uint8_t>(file[offset + index]);
    }
    return value;
}

Bytes CoreHeader(std::uint16_t width, std::uint16_t height, std::uint16_t bitCount) {
    Bytes bytes;
    test::Put32(bytes, 12);
    test::Put16(bytes, width);
    test::Put16(bytes, height);
    test::Put16(bytes, 1);
    test::Put16(bytes, bitCount);
    return bytes;
}

// The image the library reads from the packed DIB and from the file made of it, as bytes.
struct Loaded {
    Bytes FromClipboard;
    Bytes FromFile;
};

Loaded LoadBoth(const Bytes& dib) {
    TPxInternalDIB packed(false), file(false);
    HGLOBAL block = NewGlobalBlock(dib);
    packed.LoadFromClipboardFormat(block);
    GlobalFree(block);
    QByteArray bmp = PackedDibToBmpFile(dib);
    TReadOnlyMemoryStream stream(reinterpret_cast<const std::uint8_t*>(bmp.constData()),
                                 static_cast<std::size_t>(bmp.size()));
    file.LoadFromStream(stream);
    TMemoryStream first, second;
    packed.SaveToStream(first);
    file.SaveToStream(second);
    return {first.Bytes(), second.Bytes()};
}

TEST(ClipboardBmpFile, CoreHeadersPointPastTheirTriples) {
    // 8 bits: 256 triples; then one row of two pixels padded to four bytes.
    Bytes eight = CoreHeader(2, 1, 8);
    for (int index = 0; index < 256; ++index) {
        eight.insert(eight.end(), {static_cast<std::uint8_t>(index), 0x40, 0x80});
    }
    eight.insert(eight.end(), {7, 200, 0, 0});
    QByteArray file = PackedDibToBmpFile(eight);
    EXPECT_EQ(Field32(file, 10), 14u + 12 + 768);
    EXPECT_EQ(Field32(file, 2), 14u + eight.size());
    Loaded loaded = LoadBoth(eight);
    EXPECT_EQ(loaded.FromFile, loaded.FromClipboard);

    // A 1-bit image shorter than an info header: two triples, one row.
    Bytes one = CoreHeader(3, 1, 1);
    one.insert(one.end(), {0, 0, 0, 255, 255, 255, 0xA0, 0, 0, 0});
    ASSERT_LT(one.size(), 40u);
    EXPECT_EQ(Field32(PackedDibToBmpFile(one), 10), 14u + 12 + 6);
    loaded = LoadBoth(one);
    EXPECT_EQ(loaded.FromFile, loaded.FromClipboard);

    Bytes truecolour = CoreHeader(1, 1, 24);
    truecolour.insert(truecolour.end(), {1, 2, 3, 0});
    EXPECT_EQ(Field32(PackedDibToBmpFile(truecolour), 10), 14u + 12);
}

TEST(ClipboardBmpFile, InfoHeadersCountTheirTableAndMasks) {
    auto offsetOf = [](const test::InfoHeader& info, std::size_t extra) {
        Bytes dib = test::InfoHeaderBytes(info);
        dib.resize(dib.size() + extra);
        return Field32(PackedDibToBmpFile(dib), 10);
    };
    EXPECT_EQ(offsetOf({.BitCount = 8}, 1024 + 4), 14u + 40 + 1024);
    EXPECT_EQ(offsetOf({.BitCount = 8, .ClrUsed = 3}, 12 + 4), 14u + 40 + 12);
    EXPECT_EQ(offsetOf({.BitCount = 24}, 4), 14u + 40);
    EXPECT_EQ(offsetOf({.BitCount = 16, .Compression = BI_BITFIELDS}, 12 + 4), 14u + 40 + 12);
    // A version-5 header holds its masks itself.
    EXPECT_EQ(offsetOf({.BitCount = 16, .Compression = BI_BITFIELDS, .Size = 124}, 4), 14u + 124);
    // Too short to tell: the pixels are taken to follow the file header.
    EXPECT_EQ(Field32(PackedDibToBmpFile({40, 0, 0, 0, 1}), 10), 14u);
}

TEST(ClipboardBmpFile, FilesLoseTheirHeaderAndAnyGapBeforeThePixels) {
    Bytes dib = test::InfoHeaderBytes({.Width = 1, .BitCount = 8, .ClrUsed = 2});
    dib.insert(dib.end(), {0, 0, 0, 0, 255, 255, 255, 0, 1, 0, 0, 0});
    QByteArray file = PackedDibToBmpFile(dib);
    EXPECT_EQ(BmpFileToPackedDib(file), dib);

    Bytes withGap =
        test::BmpFile(Bytes(dib.begin(), dib.end() - 4), Bytes(dib.end() - 4, dib.end()), 10);
    EXPECT_EQ(BmpFileToPackedDib(QByteArray(reinterpret_cast<const char*>(withGap.data()),
                                            static_cast<qsizetype>(withGap.size()))),
              dib);

    EXPECT_EQ(BmpFileToPackedDib(file.left(25)), std::nullopt);
    file[1] = 'A';
    EXPECT_EQ(BmpFileToPackedDib(file), std::nullopt);
}

TEST(ClipboardBmpFile, PicturesEndWhereTheirFileSays) {
    auto packedOf = [](const Bytes& file) {
        return BmpFileToPackedDib(QByteArray(reinterpret_cast<const char*>(file.data()),
                                             static_cast<qsizetype>(file.size())));
    };
    // An RLE8 stream without its end code, then bytes past bfSize: pasted, they must not draw as
    // more of the picture, just as they do not when the file is opened.
    Bytes rle =
        test::InfoHeaderBytes({.Width = 8, .Height = 2, .Compression = BI_RLE8, .ClrUsed = 2});
    rle.insert(rle.end(), {0, 0, 0, 0, 255, 255, 255, 0});
    const Bytes codes = {8, 1};
    EXPECT_EQ(packedOf(test::Concat(test::BmpFile(rle, codes), {0, 0, 8, 1, 0, 1})),
              test::Concat(rle, codes));
    EXPECT_EQ(packedOf(test::Concat(test::BmpFile(rle, codes, 3), {8, 1})),
              test::Concat(rle, codes));

    // Rows of 16 bits are read as many as the header counts, whatever bfSize says.
    const Bytes sixteen = test::InfoHeaderBytes({.Width = 1, .BitCount = 16});
    const Bytes row = {0x1F, 0x7C, 0, 0};
    Bytes file = test::BmpFile(sixteen, row);
    file[2] = 14 + 40;  // bfSize: the header alone
    EXPECT_EQ(packedOf(file), test::Concat(sixteen, row));
}

}  // namespace
}  // namespace vlz

#include "AuthorPicture.h"

#include <gtest/gtest.h>

#include "characters/BmpBuilder.h"
#include "dib/PxDIB.h"
#include "platform/Stream.h"
#include "vlfpack/AuthorFiles.h"

namespace vlz {
namespace {

using testing::AlphaBitfields;
using testing::BmpLayout;
using testing::MakeAuthorBmp;
using testing::MakePng;

// The stored picture as the program's bitmap library reads it: 0x00RRGGBB, top row first.
std::vector<std::uint32_t> ProgramPixels(const TPackagePicture& picture) {
    TReadOnlyMemoryStream stream(picture.Bmp.data(), picture.Bmp.size());
    TPxDIB dib;
    dib.LoadFromStream(stream);
    EXPECT_EQ(dib.PixelFormat(), TPxPixelFormat::pf24Bit);
    EXPECT_EQ(dib.Width(), picture.Width);
    EXPECT_EQ(dib.Height(), picture.Height);
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < dib.Height(); ++y) {
        for (int x = 0; x < dib.Width(); ++x) {
            auto bgr = static_cast<std::uint32_t>(dib.GetPixels(x, y));
            pixels.push_back(((bgr & 0xFF) << 16) | (bgr & 0xFF00) | (bgr >> 16));
        }
    }
    return pixels;
}

std::uint32_t Field(const std::vector<std::uint8_t>& bytes, std::size_t offset, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | bytes[offset + static_cast<std::size_t>(i)];
    }
    return value;
}

// What the program reads without any widening: 40-byte header, 24 bits, no colour table.
void ExpectProgramBmp(const TPackagePicture& picture) {
    ASSERT_GE(picture.Bmp.size(), 54u);
    EXPECT_EQ(Field(picture.Bmp, 14, 4), 40u) << "header size";
    EXPECT_EQ(Field(picture.Bmp, 28, 2), 24u) << "bit count";
    EXPECT_EQ(Field(picture.Bmp, 30, 4), 0u) << "compression";
    EXPECT_EQ(Field(picture.Bmp, 10, 4), 54u) << "pixel offset";
}

std::string RefusalOf(const std::vector<std::uint8_t>& source) {
    try {
        MakePackagePicture(source);
    } catch (const EPictureError& error) {
        return error.what();
    }
    return "(taken)";
}

const std::vector<std::uint32_t> Colours = {0xFF00FF, 0x102030, 0xFFFFFF,
                                            0x000000, 0x80C040, 0x0000FF};

std::vector<std::uint32_t> WithAlpha(std::uint32_t alpha) {
    std::vector<std::uint32_t> units;
    for (std::uint32_t colour : Colours) {
        units.push_back(colour | alpha << 24);
    }
    return units;
}

TEST(AuthorPicture, KeepsA24BitBmpWithA40ByteHeaderByteForByte) {
    for (bool topDown : {false, true}) {
        const std::vector<std::uint8_t> source =
            MakeAuthorBmp(3, 2, {40, 24, 0, {}, topDown}, Colours);
        TPackagePicture picture = MakePackagePicture(source);
        EXPECT_FALSE(picture.Converted);
        EXPECT_EQ(picture.Bmp, source);
        EXPECT_EQ(picture.Width, 3);
        EXPECT_EQ(picture.Height, 2);
    }
}

TEST(AuthorPicture, RewritesEveryOtherBmpAsThe24BitBmpTheProgramReadsWithTheSamePixels) {
    const struct {
        const char* kind;
        BmpLayout layout;
        std::vector<std::uint32_t> units;
    } cases[] = {
        {"24 bits, 108-byte header", {108, 24}, Colours},
        {"24 bits, 124-byte header, top-down", {124, 24, 0, {}, true}, Colours},
        // The fourth byte of a plain 32-bit pixel is unused when it is 0 everywhere.
        {"32 bits, 40-byte header", {40, 32}, WithAlpha(0)},
        {"32 bits, 124-byte header, alpha mask but every alpha 0", AlphaBitfields(124),
         WithAlpha(0)},
        {"32 bits, 108-byte header, opaque alpha", AlphaBitfields(108), WithAlpha(0xFF)},
        // Three masks and no alpha mask: the fourth byte means nothing.
        {"32 bits, 40-byte header with masks",
         {40, 32, 3, {0xFF0000, 0xFF00, 0xFF}},
         WithAlpha(0x12)},
    };
    for (const auto& [kind, layout, units] : cases) {
        SCOPED_TRACE(kind);
        TPackagePicture picture = MakePackagePicture(MakeAuthorBmp(3, 2, layout, units));
        EXPECT_TRUE(picture.Converted);
        ExpectProgramBmp(picture);
        EXPECT_EQ(ProgramPixels(picture), Colours);
        EXPECT_TRUE(picture.Warnings.empty());
    }
}

TEST(AuthorPicture, RewritesBmpFilesTheProgramCouldNotUseAsTheyAre) {
    // A palette picture: the program would take the top-left index, not a colour, as its key.
    TPackagePicture paletted = MakePackagePicture(testing::MakeBmp(
        3, 2, 8, {0, 1, 2, 3, 4, 5}, {0xFF00FF, 0x102030, 0xFFFFFF, 0x000000, 0x80C040, 0x0000FF}));
    ExpectProgramBmp(paletted);
    EXPECT_EQ(ProgramPixels(paletted), Colours);
    // A 24-bit file whose size field claims more bytes than it has: the program's reader stops
    // at the missing bytes, the decoder does not need the field.
    std::vector<std::uint8_t> wrongSize = MakeAuthorBmp(3, 2, {}, Colours);
    wrongSize[2] += 100;
    TPackagePicture rewritten = MakePackagePicture(wrongSize);
    EXPECT_TRUE(rewritten.Converted);
    EXPECT_EQ(ProgramPixels(rewritten), Colours);
}

TEST(AuthorPicture, WidensSixteenBitPixelsToFullIntensity) {
    const std::vector<std::uint32_t> expected = {0xFF0000, 0x00FF00, 0x0000FF,
                                                 0xFFFFFF, 0x000000, 0x080808};
    // 5-6-5 masks in a 124-byte header, and the 5-5-5 default of a 40-byte one.
    TPackagePicture rgb565 =
        MakePackagePicture(MakeAuthorBmp(3, 2, {124, 16, 3, {0xF800, 0x07E0, 0x001F, 0}},
                                         {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0x0841}));
    TPackagePicture rgb555 = MakePackagePicture(
        MakeAuthorBmp(3, 2, {40, 16}, {0x7C00, 0x03E0, 0x001F, 0x7FFF, 0x0000, 0x0421}));
    for (const TPackagePicture* picture : {&rgb565, &rgb555}) {
        ExpectProgramBmp(*picture);
        EXPECT_EQ(ProgramPixels(*picture), expected);
    }
}

// Black transparent background (what editors store under alpha 0), a black outline pixel and a
// transparent white pixel, from every kind of file that carries alpha.
TEST(AuthorPicture, TransparentPixelsTakeAKeyColourThatNoVisiblePixelHas) {
    const struct {
        const char* kind;
        std::vector<std::uint8_t> source;
    } cases[] = {
        {"PNG", MakePng(3, 1, {0x00000000, 0xFF000000, 0x00FFFFFF})},
        {"32-bit BMP, 124-byte header",
         MakeAuthorBmp(3, 1, AlphaBitfields(124), {0x00000000, 0xFF000000, 0x00FFFFFF})},
        {"32-bit BMP, 108-byte header",
         MakeAuthorBmp(3, 1, AlphaBitfields(108), {0x00000000, 0xFF000000, 0x00FFFFFF})},
        {"16-bit BMP with a one-bit alpha",
         MakeAuthorBmp(3, 1, {124, 16, 3, {0x7C00, 0x03E0, 0x001F, 0x8000}},
                       {0x0000, 0x8000, 0x7FFF})},
    };
    for (const auto& [kind, source] : cases) {
        SCOPED_TRACE(kind);
        TPackagePicture picture = MakePackagePicture(source);
        ExpectProgramBmp(picture);
        std::vector<std::uint32_t> pixels = ProgramPixels(picture);
        // Black is drawn, so the key colour must be another one; both transparent pixels have it.
        EXPECT_NE(pixels[0], 0x000000u);
        EXPECT_EQ(pixels[1], 0x000000u);
        EXPECT_EQ(pixels[2], pixels[0]);
        EXPECT_TRUE(picture.Warnings.empty());
    }
}

TEST(AuthorPicture, KeepsTheColourOfATransparentTopLeftPixelAsKeyWhenNothingVisibleHasIt) {
    TPackagePicture picture = MakePackagePicture(MakePng(2, 1, {0x00123456, 0xFF000000}));
    EXPECT_EQ(ProgramPixels(picture), (std::vector<std::uint32_t>{0x123456, 0x000000}));
}

TEST(AuthorPicture, AnOpaqueTopLeftPixelStaysTheKeyAndTheAuthorIsTold) {
    TPackagePicture picture =
        MakePackagePicture(MakePng(3, 1, {0xFF00FF00, 0x00000000, 0xFFFF0000}));
    EXPECT_EQ(ProgramPixels(picture), (std::vector<std::uint32_t>{0x00FF00, 0x00FF00, 0xFF0000}));
    ASSERT_EQ(picture.Warnings.size(), 1u);
    EXPECT_NE(picture.Warnings[0].find("top-left pixel is not transparent, so its colour #00FF00"),
              std::string::npos)
        << picture.Warnings[0];
}

TEST(AuthorPicture, PartlyTransparentPixelsAreShownOpaqueAndTheAuthorIsTold) {
    TPackagePicture picture = MakePackagePicture(MakePng(2, 1, {0x00000000, 0x80FF0000}));
    EXPECT_EQ(ProgramPixels(picture)[1], 0xFF0000u);
    ASSERT_EQ(picture.Warnings.size(), 1u);
    EXPECT_EQ(picture.Warnings[0], "1 pixel is partly transparent; the note shows them opaque");
}

TEST(AuthorPicture, RefusesWhatIsNoPictureItCanTake) {
    EXPECT_EQ(RefusalOf(testing::Text("Name=Tobble\r\n")), "not a PNG or BMP picture");
    EXPECT_NE(RefusalOf(testing::MakeRle8Bmp(4, 2)).find("run-length compressed"),
              std::string::npos);
    std::vector<std::uint8_t> truncated = MakePng(8, 8, std::vector<std::uint32_t>(64, 0xFF00FF00));
    truncated.resize(40);
    EXPECT_NE(RefusalOf(truncated).find("cannot read the picture"), std::string::npos);
    // A header that claims a huge picture is refused before anything is decoded or allocated.
    std::vector<std::uint8_t> huge = MakeAuthorBmp(1, 1, {}, {0});
    huge[18] = 0x60, huge[19] = 0xEA;  // width 60000
    huge[22] = 0x60, huge[23] = 0xEA;  // height 60000
    EXPECT_EQ(RefusalOf(huge),
              "the picture is 60000 x 60000 pixels, more than a character can use");
}

}  // namespace
}  // namespace vlz

#include "characters/PackageFile2.h"

#include <gtest/gtest.h>

#include "characters/PackageWriter.h"
#include "doubles/ScriptedMessageBoxes.h"
#include "support/TemporaryFolder.h"

namespace vlz {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

std::vector<std::uint8_t> TwoEntryPackage() {
    return BuildPackage({{"desc.txt", Bytes("Name=a\r\n")}, {"image.bmp", Bytes("BM123")}});
}

void ExpectHeaderRejected(const std::vector<std::uint8_t>& bytes) {
    testing::ScriptedMessageBoxes boxes;
    TMemoryStream stream(bytes);
    TReadPackageFile reader;
    reader.OpenStream(stream);
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(reader.Count(), 0);
    EXPECT_EQ(reader.IndexOf("desc.txt"), -1);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, "ヘッダエラー。データ形式が違います。");
    EXPECT_EQ(boxes.Boxes[0].Caption, "TReadPackageFile.OpenStream");
    EXPECT_EQ(boxes.Boxes[0].Flags, 0x30u);
    EXPECT_EQ(boxes.Boxes[0].Owner, MessageBoxOwner::None);
}

TEST(PackageReader, EmptyPackageStartsItsDataAfterTheHeader) {
    testing::ScriptedMessageBoxes boxes;
    TMemoryStream stream(BuildPackage({}));
    TReadPackageFile reader;
    reader.OpenStream(stream);
    EXPECT_TRUE(reader.IsOpen());
    EXPECT_EQ(reader.Count(), 0);
    EXPECT_EQ(reader.DataStart(), 15);
    EXPECT_EQ(reader.IndexOf("desc.txt"), -1);
    EXPECT_EQ(reader.OpenEntry("desc.txt"), nullptr);
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST(PackageReader, RejectsAnyWrongSignatureByte) {
    for (std::size_t i = 0; i < PackageSignatureSize; ++i) {
        auto bytes = TwoEntryPackage();
        // A change of letter case counts as much as any other change.
        bytes[i] = bytes[i] >= 'a' && bytes[i] <= 'z' ? bytes[i] - 32 : bytes[i] ^ 0x01;
        SCOPED_TRACE(i);
        ExpectHeaderRejected(bytes);
    }
}

TEST(PackageReader, RejectsTruncatedHeadersAndNegativeCounts) {
    auto good = TwoEntryPackage();
    for (std::size_t length : {std::size_t{0}, std::size_t{12}, std::size_t{14},
                               std::size_t{15 + 264}, std::size_t{15 + 2 * 264 - 1}}) {
        SCOPED_TRACE(length);
        ExpectHeaderRejected({good.begin(), good.begin() + static_cast<long>(length)});
    }
    auto negative = good;
    negative[14] = 0x80;  // count -32768
    ExpectHeaderRejected(negative);
}

TEST(PackageReader, LaterEntryWinsAmongNamesDifferingInCase) {
    TMemoryStream stream(BuildPackage(
        {{"Desc.TXT", Bytes("first")}, {"other", Bytes("x")}, {"DESC.txt", Bytes("second")}}));
    TReadPackageFile reader;
    reader.OpenStream(stream);
    EXPECT_EQ(reader.IndexOf("Desc.TXT"), 2);
    EXPECT_EQ(reader.IndexOf("DESC.txt"), 2);
    EXPECT_EQ(reader.IndexOf("dEsC.TxT"), 2);
    EXPECT_EQ(reader.IndexOf("desc.tx"), -1);
}

TEST(PackageReader, UpperCasingLeavesDoubleByteCharactersAlone) {
    // "ア" in CP932 is 0x83 0x41 and "ャ" 0x83 0x83; "ヂ" is 0x83 0x61, whose trail byte is 'a'.
    std::string lowerTrail = "\x83\x61";
    std::string upperTrail = "\x83\x41";
    TMemoryStream stream(BuildPackage({{lowerTrail, Bytes("x")}}));
    TReadPackageFile reader;
    reader.OpenStream(stream);
    EXPECT_EQ(reader.IndexOf(lowerTrail), 0);
    EXPECT_EQ(reader.IndexOf(upperTrail), -1);
}

TEST(PackageReader, NamesDifferingInTheCaseOfDoubleByteLettersAreTheSameName) {
    // "ａβё" in CP932 and its capitals "ＡΒЁ"; the small Roman numeral one under its two codes.
    const std::string lower = "\x82\x81\x83\xC0\x84\x76";
    const std::string upper = "\x82\x60\x83\xA0\x84\x46";
    TMemoryStream stream(BuildPackage({{upper, Bytes("first")},
                                       {"\xEE\xEF", Bytes("ibm")},
                                       {lower, Bytes("second")},
                                       {"\xFA\x40", Bytes("nec")}}));
    TReadPackageFile reader;
    reader.OpenStream(stream);
    EXPECT_EQ(reader.IndexOf(upper), 2);
    EXPECT_EQ(reader.IndexOf(lower), 2);
    EXPECT_EQ(reader.IndexOf("\x82\x81\x83\xA0\x84\x76"), 2);
    EXPECT_EQ(reader.IndexOf("\x87\x54"), 3) << "the capital Roman numeral one";
}

TEST(PackageReader, BadIndexGivesTheSentinelEntry) {
    TMemoryStream stream(TwoEntryPackage());
    TReadPackageFile reader;
    reader.OpenStream(stream);
    for (std::int32_t index : {-1, 2, 1000}) {
        TPackageEntry entry = reader.GetEntry(index);
        EXPECT_EQ(entry.Name, "ERROR");
        EXPECT_EQ(entry.Offset, -1);
        EXPECT_EQ(entry.Size, -1);
    }
    EXPECT_EQ(reader.GetEntry(1).Name, "image.bmp");
    EXPECT_EQ(reader.GetEntry(1).Offset, 8);
    EXPECT_EQ(reader.GetEntry(1).Size, 5);
}

TEST(PackageReader, OpenEntryPositionsAtDataStartPlusOffset) {
    // The package starts 3 bytes into the stream: DataStart is an absolute position.
    auto bytes = TwoEntryPackage();
    bytes.insert(bytes.begin(), {'x', 'y', 'z'});
    TMemoryStream stream(bytes);
    stream.Seek(3, SeekOrigin::Begin);
    TReadPackageFile reader;
    reader.OpenStream(stream);
    EXPECT_EQ(reader.DataStart(), 3 + 15 + 2 * 264);

    TStream* entry = reader.OpenEntry("DESC.TXT");
    ASSERT_EQ(entry, &stream);
    EXPECT_EQ(entry->Position(), reader.DataStart());
    char text[6] = {};
    entry->ReadBuffer(text, 5);
    EXPECT_STREQ(text, "Name=");
    entry = reader.OpenEntry("image.bmp");
    entry->ReadBuffer(text, 5);
    EXPECT_STREQ(text, "BM123");
}

TEST(PackageReader, ToleratesEntriesOutsideTheFile) {
    auto bytes = TwoEntryPackage();
    auto setField = [&](std::size_t entry, std::size_t field, std::int32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes[15 + entry * 264 + field + static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i));
        }
    };
    setField(0, 256, -100000);  // Offset before the start of the file
    setField(1, 260, 1000);     // Size past the end
    TMemoryStream stream(bytes);
    TReadPackageFile reader;
    reader.OpenStream(stream);
    EXPECT_EQ(reader.OpenEntry("desc.txt"), nullptr);
    EXPECT_FALSE(reader.Contains(reader.GetEntry(0)));
    EXPECT_NE(reader.OpenEntry("image.bmp"), nullptr);
    EXPECT_FALSE(reader.Contains(reader.GetEntry(1)));
    EXPECT_FALSE(reader.Contains({"x", 0, -1}));
}

TEST(PackageReader, MissingFileIsSilentAndLeavesTheReaderEmpty) {
    testing::ScriptedMessageBoxes boxes;
    TReadPackageFile reader;
    reader.OpenFile("/nonexistent/folder/Tobble.vlf");
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(reader.IndexOf("desc.txt"), -1);
    EXPECT_EQ(reader.OpenEntry("desc.txt"), nullptr);
    EXPECT_EQ(reader.GetEntry(0).Name, "ERROR");
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST(PackageReader, ReadsFromAFileAndClosesIt) {
    testing::TemporaryFolder folder;
    const std::string path = folder / "package.vlf";
    {
        auto bytes = TwoEntryPackage();
        TFileStream file(path, TFileStream::Mode::Create);
        file.WriteBuffer(bytes.data(), bytes.size());
    }
    TReadPackageFile reader;
    reader.OpenFile(path);
    EXPECT_EQ(reader.Count(), 2);
    EXPECT_TRUE(reader.Contains(reader.GetEntry(1)));
    reader.Close();
    EXPECT_EQ(reader.Count(), 0);
    EXPECT_EQ(reader.IndexOf("image.bmp"), -1);
}

TEST(PackageWriter, RefusesWhatTheFormatCannotHold) {
    EXPECT_THROW(BuildPackage({{"", {}}}), EPackageError);
    EXPECT_THROW(BuildPackage({{std::string(256, 'a'), {}}}), EPackageError);
    EXPECT_NO_THROW(BuildPackage({{std::string(255, 'a'), {}}}));
}

}  // namespace
}  // namespace vlz

#include "app/core/NoteFile.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/Cp932.h"
#include "platform/FileReplace.h"
#include "support/PrivateMounts.h"
#include "support/TemporaryFolder.h"

namespace vlz {
namespace {

using testing::TemporaryFolder;

class NoteFileTest : public ::testing::Test {
  protected:
    std::string Base() const { return folder_ / "VLZozed"; }
    std::string NoteFile() const { return folder_ / "VLZozed.ini"; }
    void Store(const std::string& name, const std::string& bytes) {
        std::ofstream(folder_ / name, std::ios::binary) << bytes;
    }
    std::string Contents(const std::string& name) {
        return ReadFileIfExists(folder_ / name).value_or("<none>");
    }
    TemporaryFolder folder_;
};

TNote SampleNote(int number) {
    TNote note;
    note.Memo = "メモ " + std::to_string(number) + "\r\n二行目";
    note.WindowLeft = number * 10;
    note.WindowTop = -number;
    note.Character = "Tobble";
    return note;
}

TEST_F(NoteFileTest, LoadsAndSavesTheWindowsLayoutByteForByte) {
    std::string golden =
        *ReadFileIfExists(std::string(VLZ_SOURCE_DIR) + "/tests/data/notes/VLZozed.ini");
    Store("VLZozed.ini", golden);
    std::vector<TNote> notes = ReadNotes(Base());
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].Memo, "2026/12/07 22:15:03\r\nここにメモを書き込めます.");
    EXPECT_EQ(notes[1].Memo, "買い物\r\n・牛乳\r\n・表計算ソフト\r\nC:\\temp\\Notes");
    EXPECT_EQ(notes[1].WindowLeft, -45);
    EXPECT_EQ(notes[1].Font.Name, "MS UI Gothic");
    EXPECT_EQ(notes[1].Font.Style, (TFontStyles{TFontStyle::fsBold, TFontStyle::fsUnderline}));
    EXPECT_EQ(notes[1].BGColor, static_cast<TColor>(0x80000005));
    EXPECT_EQ(notes[2].Font.Charset, 0);
    EXPECT_EQ(notes[2].Character, "");

    RotateBackups(Base());
    WriteNotes(Base(), notes);
    EXPECT_EQ(Contents("VLZozed.ini"), golden);
}

TEST_F(NoteFileTest, AMissingFileHasNoNotesAndAnEmptySectionGivesDefaults) {
    EXPECT_TRUE(ReadNotes(Base()).empty());
    Store("VLZozed.ini", "[only]\r\n");
    std::vector<TNote> notes = ReadNotes(Base());
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0], TNote{});
    EXPECT_EQ(notes[0].Font.Name, "ＭＳ Ｐゴシック");
    EXPECT_EQ(notes[0].Font.Size, 9);
    EXPECT_EQ(notes[0].Font.Color, clWhite);
    EXPECT_EQ(notes[0].Font.Charset, 128);
}

TEST_F(NoteFileTest, NumbersSectionsAfreshInFileOrder) {
    Store("VLZozed.ini",
          "[A]\r\nMemo=first\r\n\r\n[7]\r\nMemo=second\r\n\r\n[0]\r\nMemo=third\r\n");
    std::vector<TNote> notes = ReadNotes(Base());
    ASSERT_EQ(notes.size(), 3u);
    WriteNotes(Base(), notes);
    TIniFile file(NoteFile());
    EXPECT_EQ(file.ReadSections(), (std::vector<std::string>{"0", "1", "2"}));
    EXPECT_EQ(file.ReadString("0", "Memo", ""), "first");
    EXPECT_EQ(file.ReadString("2", "Memo", ""), "third");
}

TEST_F(NoteFileTest, SectionsOfTheSameNameEachKeepTheirOwnNote) {
    Store("VLZozed.ini", "[1]\r\nMemo=one\r\n[1]\r\nMemo=two\r\n");
    std::vector<TNote> notes = ReadNotes(Base());
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[1].Memo, "two");
    WriteNotes(Base(), notes);
    EXPECT_EQ(ReadNotes(Base()), notes);
}

TEST_F(NoteFileTest, MemosRoundTripExactlyWhateverTheirEdges) {
    std::vector<TNote> notes;
    for (std::string memo : std::vector<std::string>{"  leading and trailing  ", "\"quoted\"",
                                                     "'single'", "\tx", "\r\nstarts with a break",
                                                     "表n", "ソnソ", std::string(1500, 'x')}) {
        TNote note;
        note.Memo = memo;
        notes.push_back(note);
    }
    WriteNotes(Base(), notes);
    std::vector<TNote> reread = ReadNotes(Base());
    ASSERT_EQ(reread.size(), notes.size());
    for (std::size_t i = 0; i < notes.size(); ++i) {
        EXPECT_EQ(reread[i].Memo, notes[i].Memo) << i;
    }
}

TEST_F(NoteFileTest, KeepsSystemColoursAndRejectsImpossibleCharacterSets) {
    TNote note;
    note.BGColor = clBtnFace;
    note.Font.Color = clWindowText;
    WriteNotes(Base(), {note});
    EXPECT_NE(Contents("VLZozed.ini").find("BGColor=-2147483633\r\n"), std::string::npos);
    EXPECT_EQ(ReadNotes(Base())[0], note);

    Store("VLZozed.ini",
          "[0]\r\nFontCharSet=300\r\n[1]\r\nFontCharSet=-1\r\n[2]\r\nFontCharSet=0\r\n");
    std::vector<TNote> notes = ReadNotes(Base());
    EXPECT_EQ(notes[0].Font.Charset, 128);
    EXPECT_EQ(notes[1].Font.Charset, 128);
    EXPECT_EQ(notes[2].Font.Charset, 0);
}

TEST_F(NoteFileTest, RotatesTwoGenerationsOfBackups) {
    WriteNotes(Base(), {SampleNote(1)});
    std::string first = Contents("VLZozed.ini");

    RotateBackups(Base());
    WriteNotes(Base(), {SampleNote(2)});
    std::string second = Contents("VLZozed.ini");
    EXPECT_EQ(Contents("VLZozed.bak"), first);
    EXPECT_EQ(Contents("VLZozed.bk2"), "<none>");

    RotateBackups(Base());
    WriteNotes(Base(), {SampleNote(3)});
    EXPECT_EQ(Contents("VLZozed.bak"), second);
    EXPECT_EQ(Contents("VLZozed.bk2"), first);

    RotateBackups(Base());
    EXPECT_EQ(Contents("VLZozed.bak"), Contents("VLZozed.ini"));
    EXPECT_EQ(Contents("VLZozed.bk2"), second);
}

TEST_F(NoteFileTest, AFailedSaveRaisesTheErrorAndKeepsTheOldFile) {
    WriteNotes(Base(), {SampleNote(1)});
    std::string before = Contents("VLZozed.ini");
    TNote unsavable = SampleNote(2);
    unsavable.Character = "😀";
    EXPECT_THROW(WriteNotes(Base(), {SampleNote(5), unsavable}), ECp932Error);
    EXPECT_EQ(Contents("VLZozed.ini"), before);

    // A folder that refuses every change, for root too.
    testing::RunWithPrivateMounts([&](testing::PrivateMounts& mounts) {
        mounts.MakeReadOnly(folder_.Path());
        try {
            WriteNotes(Base(), {SampleNote(7)});
            ADD_FAILURE() << "the save should have failed";
        } catch (const EIniFileException& error) {
            EXPECT_EQ(std::string(error.what()), NoteFile() + " に書き込めません");
        }
    });
    EXPECT_EQ(Contents("VLZozed.ini"), before);
}

TEST_F(NoteFileTest, KeepsWhatStandsBeforeTheFirstSection) {
    Store("VLZozed.ini", "; written by hand\r\n[x]\r\nMemo=a\r\n");
    WriteNotes(Base(), ReadNotes(Base()));
    EXPECT_EQ(Contents("VLZozed.ini").substr(0, 20), "; written by hand\r\n[");
}

// One note section as the program writes it, with the given raw bytes for the text keys.
std::string StoredNote(std::size_t position, const std::string& memo, const std::string& fontName,
                       const std::string& character) {
    return "[" + std::to_string(position) + "]\r\nMemo=" + memo +
           "\r\nWindowLeft=0\r\nWindowTop=0\r\nFontName=" + fontName +
           "\r\nFontSize=9\r\nFontColor=16777215\r\nFontCharSet=128\r\nFontStyleBold=0\r\n"
           "FontStyleItalic=0\r\nFontStyleUnderline=0\r\nFontStyleStrikeOut=0\r\nBGColor=0\r\n"
           "Character=" +
           character + "\r\n";
}

TEST_F(NoteFileTest, KeepsEveryByteThatShiftJisCannotDecodeOnSave) {
    std::string file;
    std::size_t position = 0;
    // Every single byte from 0x80 up: inside a value, before an escaped line break, and last in
    // the value (a lead byte there stands alone).
    for (int value = 0x80; value <= 0xFF; ++value) {
        const std::string byte(1, static_cast<char>(value));
        file += StoredNote(position++, "memo" + byte + "\\nnext" + byte, "Font" + byte,
                           "Ch" + byte + "r" + byte);
    }
    // Unassigned codes, duplicate codes that CP932 writes under another code, one whose second
    // byte is a backslash, and the user-defined area.
    for (const std::string codes : {"\x85\x40\x86\x9F\xEB\xFC", "\xED\x40\xEE\xFC\x87\x90",
                                    "\x85\x5Cn\\n", "\xF0\x40\xF9\xFC"}) {
        file += StoredNote(position++, codes, codes, codes);
    }
    Store("VLZozed.ini", file);

    std::vector<TNote> notes = ReadNotes(Base());
    ASSERT_EQ(notes.size(), position);
    EXPECT_EQ(Cp932Shown(notes[0].Memo), "memo\uFFFD\r\nnext\uFFFD");
    // 0x85 0x5C is one (unassigned) code: its backslash starts no escape.
    EXPECT_EQ(Cp932Shown(notes[0x85 - 0x80].Memo), "memo\uFFFDnnext\uFFFD");
    EXPECT_EQ(Cp932Shown(notes[128 + 2].Memo), "\uFFFDn\r\n");
    WriteNotes(Base(), notes);
    EXPECT_EQ(Contents("VLZozed.ini"), file);
    EXPECT_EQ(ReadNotes(Base()), notes);
}

TEST_F(NoteFileTest, TextTypedAroundUndecodableBytesIsSavedAsTyped) {
    Store("VLZozed.ini", StoredNote(0,
                                    "\x80"
                                    "ends in a lead byte\x81",
                                    "F", "C"));
    std::vector<TNote> notes = ReadNotes(Base());
    ASSERT_EQ(notes.size(), 1u);
    notes[0].Memo = "前に" + notes[0].Memo + "\r\n後に\\n";
    WriteNotes(Base(), notes);
    EXPECT_EQ(Cp932Shown(ReadNotes(Base())[0].Memo),
              "前に\uFFFDends in a lead byte\uFFFD\r\n後に\r\n");
}
}  // namespace
}  // namespace vlz

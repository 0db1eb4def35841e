#include "app/core/Preferences.h"

#include <fstream>

#include <gtest/gtest.h>

#include "platform/FileReplace.h"
#include "support/TemporaryFolder.h"

namespace vlz {
namespace {

using testing::TemporaryFolder;

class PreferencesTest : public ::testing::Test {
  protected:
    std::string Base() const { return folder_ / "VLZozed"; }
    void Store(const std::string& bytes) {
        std::ofstream(folder_ / "VLZozed_pref.ini", std::ios::binary) << bytes;
    }
    std::string Contents() {
        return ReadFileIfExists(folder_ / "VLZozed_pref.ini").value_or("<none>");
    }
    TemporaryFolder folder_;
};

TEST_F(PreferencesTest, AMissingFileIsTheFirstStartWithDefaults) {
    TPreferences preferences = ReadPreferences(Base());
    EXPECT_EQ(preferences.MouseButtonMode, 0);
    EXPECT_EQ(preferences.AutoBackupInterval, 5);
    EXPECT_EQ(preferences.BootCount, 1);
    EXPECT_EQ(preferences.DefaultFont, DefaultNoteFont());
    EXPECT_EQ(preferences.DefaultBGColor, clBlack);
    EXPECT_EQ(preferences.DefaultCharacter, "Tobble");

    WritePreferences(Base(), preferences);
    EXPECT_EQ(Contents(),
              "[Interface]\r\nMouseButtonMode=0\r\n"
              "[System]\r\nAutoBackupInterval=5\r\nBootCount=1\r\n"
              "[DefaultZozedProperty]\r\nFontName=\x82\x6c\x82\x72 \x82\x6f\x83\x53\x83\x56"
              "\x83\x62\x83\x4e\r\nFontSize=9\r\nFontColor=16777215\r\nFontCharSet=128\r\n"
              "FontStyleBold=0\r\nFontStyleItalic=0\r\nFontStyleUnderline=0\r\n"
              "FontStyleStrikeOut=0\r\nBGColor=0\r\nCharacter=Tobble\r\n");
}

TEST_F(PreferencesTest, LoadsAndSavesTheWindowsLayoutCountingTheStart) {
    std::string golden =
        *ReadFileIfExists(std::string(VLZ_SOURCE_DIR) + "/tests/data/notes/VLZozed_pref.ini");
    Store(golden);
    TPreferences preferences = ReadPreferences(Base());
    EXPECT_EQ(preferences.MouseButtonMode, 1);
    EXPECT_EQ(preferences.AutoBackupInterval, 10);
    EXPECT_EQ(preferences.BootCount, 8);
    EXPECT_EQ(preferences.DefaultFont.Size, 11);
    EXPECT_EQ(preferences.DefaultFont.Style, TFontStyles{TFontStyle::fsItalic});
    EXPECT_EQ(preferences.DefaultBGColor, clBtnFace);
    WritePreferences(Base(), preferences);

    std::string expected = golden;
    expected.replace(expected.find("BootCount=7"), 11, "BootCount=8");
    EXPECT_EQ(Contents(), expected);
}

TEST_F(PreferencesTest, KeepsUnknownKeysAndValuesItWasNotAskedToChange) {
    Store(
        "[Interface]\r\nMouseButtonMode=5\r\nTheme=dark\r\n\r\n[Plugins]\r\nx=\"  y  \"\r\n"
        "\r\n[DefaultZozedProperty]\r\nCharacter=\r\n");
    TPreferences preferences = ReadPreferences(Base());
    EXPECT_EQ(preferences.MouseButtonMode, 5);
    EXPECT_EQ(preferences.DefaultCharacter, "");  // present but empty: no "Tobble"
    WritePreferences(Base(), preferences);
    std::string contents = Contents();
    EXPECT_EQ(contents.rfind("[Interface]\r\nMouseButtonMode=5\r\nTheme=dark\r\n\r\n"
                             "[Plugins]\r\nx=\"  y  \"\r\n\r\n",
                             0),
              0u);
    EXPECT_NE(contents.find("\r\nCharacter=\r\n"), std::string::npos);
    EXPECT_EQ(ReadPreferences(Base()).DefaultCharacter, "");
}

TEST_F(PreferencesTest, BringsImpossibleIntervalsAndCountsIntoRange) {
    Store("[System]\r\nAutoBackupInterval=-3\r\nBootCount=2147483647\r\n");
    TPreferences preferences = ReadPreferences(Base());
    EXPECT_EQ(preferences.AutoBackupInterval, 5);
    EXPECT_EQ(preferences.BootCount, 2147483647);

    Store("[System]\r\nAutoBackupInterval=35792\r\n");
    EXPECT_EQ(ReadPreferences(Base()).AutoBackupInterval, 35791);
    Store("[System]\r\nAutoBackupInterval=0\r\nBootCount=$10\r\n");
    preferences = ReadPreferences(Base());
    EXPECT_EQ(preferences.AutoBackupInterval, 0);
    EXPECT_EQ(preferences.BootCount, 17);
}

TEST_F(PreferencesTest, KeepsUndecodableBytesOfTheDefaultFontAndCharacter) {
    for (int value = 0x80; value <= 0xFF; ++value) {
        const std::string byte(1, static_cast<char>(value));
        // An unassigned code, a duplicate code, and the byte inside and last in the value.
        const std::string fontLine = "FontName=F" + byte + "\x85\x40" + byte + "\r\n";
        const std::string characterLine = "Character=\xED\x40" + byte + "\r\n";
        Store("[DefaultZozedProperty]\r\n" + fontLine + characterLine);
        WritePreferences(Base(), ReadPreferences(Base()));
        const std::string written = Contents();
        EXPECT_EQ(written.find("[DefaultZozedProperty]\r\n" + fontLine + characterLine), 0u)
            << std::hex << value;
        EXPECT_NE(written.find("BootCount=1\r\n"), std::string::npos);
    }
}

}  // namespace
}  // namespace vlz

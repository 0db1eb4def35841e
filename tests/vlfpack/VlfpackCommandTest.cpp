// The vlfpack program as an author runs it: each command in a folder of its own, judged by its
// exit status, what it says and the files it leaves.

#include <gtest/gtest.h>

#include <stb/stb_image.h>

#include <filesystem>
#include <set>

#include "CheckPackage.h"
#include "characters/BmpBuilder.h"
#include "characters/PackageWriter.h"
#include "platform/Cp932.h"
#include "support/TemporaryFolder.h"
#include "vlfpack/AuthorFiles.h"
#include "vlfpack/RunVlfpack.h"

namespace vlz {
namespace {

using namespace vlz::testing;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class Vlfpack : public ::testing::Test {
  protected:
    VlfpackResult Run(const std::vector<std::string>& arguments) {
        return RunVlfpack(arguments, work_.Path().string(), captures_.Path().string());
    }
    std::string operator/(const std::string& name) const { return work_ / name; }

    std::set<std::string> Files() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(work_.Path())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    // Loads the package with the program's own loader and expects it to say nothing.
    TLoadedCharacter LoadWithTheProgram(const std::string& name) {
        TLoadedCharacter character = LoadAsTheProgramDoes(work_ / name);
        EXPECT_FALSE(character.Failure) << *character.Failure;
        EXPECT_TRUE(character.Boxes.empty()) << character.Boxes.front();
        return character;
    }

    TemporaryFolder work_;
    TemporaryFolder captures_;
};

// Two frames of 2 × 2 side by side: frame 0 has red at its top right, frame 1 blue at its bottom
// left; the rest is transparent. 0xAARRGGBB.
const std::vector<std::uint32_t> SheetPixels = {0x00000000, 0xFFFF0000, 0x00000000, 0x00000000,
                                                0x00000000, 0x00000000, 0xFF0000FF, 0x00000000};

void ExpectSheetAsTheNoteShowsIt(const TSprite& sprite) {
    ASSERT_EQ(sprite.Image.Width(), 4);
    ASSERT_EQ(sprite.Image.Height(), 2);
    TCanvas& mask = const_cast<TBitmap&>(sprite.Mask).Canvas();
    TCanvas& image = const_cast<TBitmap&>(sprite.Image).Canvas();
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            const bool opaque = (SheetPixels[static_cast<std::size_t>(y * 4 + x)] >> 24) != 0;
            EXPECT_EQ(mask.GetPixel(x, y), opaque ? clBlack : clWhite) << x << "," << y;
        }
    }
    EXPECT_EQ(image.GetPixel(1, 0), 0x0000FFu);  // red as 0x00BBGGRR
    EXPECT_EQ(image.GetPixel(2, 1), 0xFF0000u);  // blue
}

TEST_F(Vlfpack, MakesACharacterFromAPngSheetThatChecksAndLoads) {
    VlfpackResult made = Run({"new", "Tobble", "2", "2", "2", "250"});
    ASSERT_EQ(made.Status, 0) << made.Err;
    WriteBytes(*this / "sheet.png", MakePng(4, 2, SheetPixels));

    VlfpackResult created = Run({"create", "Tobble.vlf", "desc.txt", "sheet.png"});
    EXPECT_EQ(created.Status, 0);
    EXPECT_EQ(created.Err, "");

    VlfpackResult checked = Run({"check", "Tobble.vlf"});
    EXPECT_EQ(checked.Status, 0);
    EXPECT_EQ(checked.Out,
              "name: Tobble\nwidth: 2\nheight: 2\ncount: 2\ninterval: 250\npicture: 4x2\n");
    EXPECT_EQ(checked.Err, "");
    ExpectSheetAsTheNoteShowsIt(*LoadWithTheProgram("Tobble.vlf").Sprite);
}

TEST_F(Vlfpack, MakesALoadingPackageFromEveryKindOfPictureWhateverTheFilesAreCalled) {
    WriteText(*this / "my character.txt", Description("Tobble", 2, 2, 2, 250));
    const struct {
        const char* kind;
        std::vector<std::uint8_t> picture;
    } cases[] = {
        {"PNG with alpha", MakePng(4, 2, SheetPixels)},
        {"BMP, 124-byte header, 32 bits with alpha",
         MakeAuthorBmp(4, 2, AlphaBitfields(124), SheetPixels)},
        {"BMP, 108-byte header, 32 bits with alpha",
         MakeAuthorBmp(4, 2, AlphaBitfields(108), SheetPixels)},
        {"BMP, 40-byte header, 32 bits without alpha",
         MakeAuthorBmp(4, 2, {40, 32}, {0, 0xFF0000, 0, 0, 0, 0, 0x0000FF, 0})},
        {"BMP, 124-byte header, 24 bits",
         MakeAuthorBmp(4, 2, {124, 24}, {0, 0xFF0000, 0, 0, 0, 0, 0x0000FF, 0})},
        {"BMP, 40-byte header, 16 bits",
         MakeAuthorBmp(4, 2, {40, 16}, {0, 0x7C00, 0, 0, 0, 0, 0x001F, 0})},
    };
    for (const auto& [kind, picture] : cases) {
        SCOPED_TRACE(kind);
        WriteBytes(*this / "frames (final).data", picture);
        VlfpackResult created =
            Run({"create", "Tobble.vlf", "my character.txt", "frames (final).data"});
        ASSERT_EQ(created.Status, 0) << created.Err;
        EXPECT_EQ(created.Err, "");
        VlfpackResult listed = Run({"list", "Tobble.vlf"});
        EXPECT_TRUE(listed.Out.starts_with("0\tdesc.txt\t0\t"));
        EXPECT_TRUE(Contains(listed.Out, "\n1\timage.bmp\t"));
        EXPECT_EQ(Run({"check", "Tobble.vlf"}).Status, 0);
        ExpectSheetAsTheNoteShowsIt(*LoadWithTheProgram("Tobble.vlf").Sprite);
    }
}

TEST_F(Vlfpack, StoresA24BitBmpWithA40ByteHeaderByteForByte) {
    WriteText(*this / "desc.txt", Description("Tobble", 2, 2, 2, 250));
    const std::vector<std::uint8_t> picture = MakeBmp(4, 2, 24,
                                                      {0x00FF00, 0x0000FF, 0x00FF00, 0x00FF00,  //
                                                       0x00FF00, 0x00FF00, 0xFF0000, 0x00FF00});
    WriteBytes(*this / "image.bmp", picture);
    ASSERT_EQ(Run({"create", "Tobble.vlf", "desc.txt", "image.bmp"}).Status, 0);
    ASSERT_EQ(Run({"extract", "Tobble.vlf", "image.bmp", "stored.bmp"}).Status, 0);
    EXPECT_EQ(ReadBytes(*this / "stored.bmp"), picture);
    LoadWithTheProgram("Tobble.vlf");
}

TEST_F(Vlfpack, RefusesAPackageTheProgramWouldNotLoadAndWritesNothing) {
    WriteText(*this / "desc.txt", Description("Tobble", 2, 2, 2, 250));
    WriteText(*this / "three.txt", Description("Tobble", 2, 2, 3, 250));
    WriteText(*this / "bird.txt", Description("Tobble🐤", 2, 2, 2, 250));
    WriteBytes(*this / "sheet.png", MakePng(4, 2, SheetPixels));
    WriteBytes(*this / "odd.png", MakePng(5, 2, std::vector<std::uint32_t>(10, 0xFF00FF00)));
    WriteText(*this / "notes.txt", "not a picture");
    const struct {
        std::vector<std::string> files;
        std::string reason;
    } cases[] = {
        {{"desc.txt", "odd.png"},
         "vlfpack: the picture is 5 x 2 pixels, which frames of 2 x 2 do not divide; make it a "
         "whole number of frames wide and high, such as 6 x 2\n"},
        {{"three.txt", "sheet.png"},
         "vlfpack: PatternCount is 3, but the picture has room for only 2 frames of 2 x 2 (2 "
         "across, 1 down)\n"},
        {{"bird.txt", "sheet.png"},
         "vlfpack: bird.txt: the name \"Tobble🐤\" has a character Shift-JIS cannot hold: "
         "\"🐤\"\n"},
        {{"desc.txt", "notes.txt"}, "vlfpack: notes.txt: not a PNG or BMP picture\n"},
        {{"desc.txt", "missing.png"}, "vlfpack: cannot read missing.png: no such file\n"},
        {{"sheet.png", "desc.txt"},
         "vlfpack: sheet.png is a picture; the description comes first: vlfpack create PACKAGE "
         "DESCRIPTION PICTURE\n"},
    };
    const std::set<std::string> before = Files();
    for (const auto& [files, reason] : cases) {
        VlfpackResult refused = Run({"create", "Tobble.vlf", files[0], files[1]});
        EXPECT_EQ(refused.Status, 1);
        EXPECT_EQ(refused.Err, reason);
        EXPECT_EQ(Files(), before) << "a refused create left a file: " << reason;
    }

    // An existing package stays as it was.
    ASSERT_EQ(Run({"create", "Tobble.vlf", "desc.txt", "sheet.png"}).Status, 0);
    const std::vector<std::uint8_t> package = ReadBytes(*this / "Tobble.vlf");
    const std::set<std::string> withPackage = Files();
    for (const auto& [files, reason] : cases) {
        EXPECT_EQ(Run({"create", "Tobble.vlf", files[0], files[1]}).Status, 1);
        EXPECT_EQ(ReadBytes(*this / "Tobble.vlf"), package) << reason;
        EXPECT_EQ(Files(), withPackage);
    }
}

TEST_F(Vlfpack, FailsCleanlyWhereThePackageCannotBeWritten) {
    WriteText(*this / "desc.txt", Description("Tobble", 2, 2, 2, 250));
    WriteBytes(*this / "sheet.png", MakePng(4, 2, SheetPixels));
    // A folder where the package should be, and a folder that does not exist: root cannot write
    // either.
    std::filesystem::create_directory(*this / "Tobble.vlf");
    VlfpackResult onFolder = Run({"create", "Tobble.vlf", "desc.txt", "sheet.png"});
    EXPECT_EQ(onFolder.Status, 1);
    EXPECT_TRUE(Contains(onFolder.Err, "cannot write Tobble.vlf")) << onFolder.Err;
    EXPECT_TRUE(std::filesystem::is_empty(*this / "Tobble.vlf"));
    EXPECT_EQ(Files(), (std::set<std::string>{"Tobble.vlf", "desc.txt", "sheet.png"}));
    EXPECT_EQ(Run({"create", "no/such/Tobble.vlf", "desc.txt", "sheet.png"}).Status, 1);
}

TEST_F(Vlfpack, NeverWritesItsResultOverOneOfItsInputs) {
    WriteText(*this / "desc.txt", Description("Tobble", 2, 2, 2, 250));
    WriteBytes(*this / "sheet.png", MakePng(4, 2, SheetPixels));
    const std::vector<std::uint8_t> sheet = ReadBytes(*this / "sheet.png");
    VlfpackResult created = Run({"create", "sheet.png", "desc.txt", "sheet.png"});
    EXPECT_EQ(created.Status, 1);
    EXPECT_EQ(created.Err, "vlfpack: sheet.png is also an input; it is left as it is\n");
    EXPECT_EQ(ReadBytes(*this / "sheet.png"), sheet);

    ASSERT_EQ(Run({"create", "Tobble.vlf", "desc.txt", "sheet.png"}).Status, 0);
    const std::vector<std::uint8_t> package = ReadBytes(*this / "Tobble.vlf");
    EXPECT_EQ(Run({"preview", "Tobble.vlf", "./Tobble.vlf"}).Status, 1);
    EXPECT_EQ(ReadBytes(*this / "Tobble.vlf"), package);
}

TEST_F(Vlfpack, WarnsOfFramesLargerThanANoteShowsButMakesThePackage) {
    WriteText(*this / "desc.txt", Description("Big", 70, 90, 1, 100));
    WriteBytes(*this / "big.png", MakePng(70, 90, std::vector<std::uint32_t>(70 * 90, 0xFF102030)));
    VlfpackResult created = Run({"create", "Big.vlf", "desc.txt", "big.png"});
    EXPECT_EQ(created.Status, 0);
    EXPECT_EQ(created.Err,
              "vlfpack: warning: frames of 70 x 90 are larger than a note's character box of 68 "
              "x 89 and are cut off there\n");
    LoadWithTheProgram("Big.vlf");
}

TEST_F(Vlfpack, AddsFurtherFilesAsEntriesNamedAfterThem) {
    WriteText(*this / "desc.txt", Description("Tobble", 2, 2, 2, 250));
    WriteBytes(*this / "sheet.png", MakePng(4, 2, SheetPixels));
    WriteText(*this / "readme.txt", "by me");
    ASSERT_EQ(Run({"create", "Tobble.vlf", "desc.txt", "sheet.png", "readme.txt"}).Status, 0);
    EXPECT_TRUE(Contains(Run({"list", "Tobble.vlf"}).Out, "2\treadme.txt\t"));
    // The package already has a desc.txt; the reader would take the later one.
    std::filesystem::create_directory(*this / "old");
    WriteText(*this / "old/DESC.TXT", "Name=Old\r\n");
    VlfpackResult twice = Run({"create", "Tobble.vlf", "desc.txt", "sheet.png", "old/DESC.TXT"});
    EXPECT_EQ(twice.Status, 1);
    EXPECT_EQ(twice.Err, "vlfpack: two entries would be named \"DESC.TXT\"\n");
}

TEST_F(Vlfpack, ListsAndExtractsEntriesByteForByte) {
    WriteText(*this / "desc.txt", Description("Tobble", 2, 2, 2, 250));
    const std::vector<std::uint8_t> picture =
        MakeAuthorBmp(4, 2, {}, std::vector<std::uint32_t>(8, 0x123456));
    WriteBytes(*this / "sheet.bmp", picture);
    ASSERT_EQ(Run({"create", "Tobble.vlf", "desc.txt", "sheet.bmp"}).Status, 0);
    const std::size_t descriptionSize = Description("Tobble", 2, 2, 2, 250).size();
    EXPECT_EQ(Run({"list", "Tobble.vlf"}).Out,
              "0\tdesc.txt\t0\t" + std::to_string(descriptionSize) + "\n1\timage.bmp\t" +
                  std::to_string(descriptionSize) + "\t" + std::to_string(picture.size()) + "\n");

    std::filesystem::remove(*this / "desc.txt");
    EXPECT_EQ(Run({"extract", "Tobble.vlf", "DESC.TXT"}).Status, 0);  // under its stored name
    EXPECT_EQ(ReadWhole(*this / "desc.txt"), Description("Tobble", 2, 2, 2, 250));
    EXPECT_EQ(Run({"extract", "Tobble.vlf", "image.bmp", "copy.bmp"}).Status, 0);
    EXPECT_EQ(ReadBytes(*this / "copy.bmp"), picture);
    EXPECT_EQ(Run({"extract", "Tobble.vlf", "image.bmp", "-"}).Out.size(), picture.size());

    EXPECT_EQ(Run({"extract", "Tobble.vlf", "nothing.txt"}).Status, 1);
    EXPECT_EQ(Run({"list", "desc.txt"}).Status, 1);
    EXPECT_EQ(Run({"list", "missing.vlf"}).Status, 1);
    EXPECT_EQ(Run({"frobnicate"}).Status, 2);
    EXPECT_EQ(Run({"create", "Tobble.vlf", "desc.txt"}).Status, 2);
}

TEST_F(Vlfpack, CheckSaysWhatTheProgramWouldOfABrokenPackage) {
    // Made by hand: create would not write it. The description lacks settings and the picture
    // is no BMP.
    WriteBytes(*this / "broken.vlf",
               BuildPackage({{"desc.txt", Text("Name=Test\r\nPatternWidth=8\r\n")},
                             {"image.bmp", std::vector<std::uint8_t>(1000, '0')}}));
    VlfpackResult checked = Run({"check", "broken.vlf"});
    EXPECT_EQ(checked.Status, 1);
    EXPECT_TRUE(Contains(checked.Err, "(desc.txt) 読み込み中のエラー.")) << checked.Err;
    EXPECT_TRUE(Contains(checked.Err, "ファイル読み込みエラー")) << checked.Err;
    EXPECT_EQ(checked.Out,
              "name: Test\nwidth: 8\nheight: 32\ncount: 1\ninterval: 100\npicture: 0x0\n");
}

TEST_F(Vlfpack, NewWritesAShiftJisDescriptionAndNeverReplacesOne) {
    VlfpackResult made = Run({"new", "トブル", "32", "32", "4", "250"});
    EXPECT_EQ(made.Status, 0) << made.Err;
    EXPECT_TRUE(Contains(made.Out, "4 frames of 32 x 32")) << made.Out;
    const std::string expected = ToCp932(
        "Name=トブル\r\nPatternWidth=32\r\nPatternHeight=32\r\nPatternCount=4\r\n"
        "AnimationInterval=250\r\n");
    EXPECT_EQ(ReadWhole(*this / "desc.txt"), expected);

    VlfpackResult again = Run({"new", "Kerro", "36", "30", "4", "400"});
    EXPECT_EQ(again.Status, 1);
    EXPECT_EQ(again.Err, "vlfpack: desc.txt already exists; it is left as it is\n");
    EXPECT_EQ(ReadWhole(*this / "desc.txt"), expected);

    std::filesystem::remove(*this / "desc.txt");
    VlfpackResult bad = Run({"new", "Kerro", "36", "thirty", "4", "400"});
    EXPECT_EQ(bad.Status, 1);
    EXPECT_TRUE(Contains(bad.Err, "PatternHeight is \"thirty\"")) << bad.Err;
    EXPECT_EQ(Run({"new", "Kerro🐸", "36", "30", "4", "400"}).Status, 1);
    EXPECT_TRUE(Files().empty());
    EXPECT_EQ(Run({"new", "Kerro", "36", "30"}).Status, 2);

    // Root writes anywhere, but not over a folder.
    std::filesystem::create_directory(*this / "desc.txt");
    EXPECT_EQ(Run({"new", "Kerro", "36", "30", "4", "400"}).Status, 1);
    EXPECT_TRUE(std::filesystem::is_empty(*this / "desc.txt"));

    VlfpackResult large = RunVlfpack({"new", "Big", "70", "90", "1", "100"},
                                     captures_.Path().string(), captures_.Path().string());
    EXPECT_EQ(large.Status, 0);
    EXPECT_TRUE(Contains(large.Err, "warning: frames of 70 x 90 are larger")) << large.Err;
}

TEST_F(Vlfpack, PreviewWritesAPngOfEveryFrame) {
    WriteText(*this / "desc.txt", Description("Tobble", 2, 2, 2, 250));
    WriteBytes(*this / "sheet.png", MakePng(4, 2, SheetPixels));
    ASSERT_EQ(Run({"create", "Tobble.vlf", "desc.txt", "sheet.png"}).Status, 0);

    auto size = [&](const std::string& name) {
        std::vector<std::uint8_t> png = ReadBytes(*this / name);
        int width = 0, height = 0, channels = 0;
        EXPECT_TRUE(stbi_info_from_memory(png.data(), static_cast<int>(png.size()), &width, &height,
                                          &channels))
            << name;
        EXPECT_TRUE(png.size() > 4 && png[1] == 'P' && png[2] == 'N' && png[3] == 'G') << name;
        return std::pair{width, height};
    };
    VlfpackResult previewed = Run({"preview", "Tobble.vlf", "preview.png"});
    ASSERT_EQ(previewed.Status, 0) << previewed.Err;
    VlfpackResult larger = Run({"preview", "--scale", "16", "Tobble.vlf", "large.png"});
    ASSERT_EQ(larger.Status, 0) << larger.Err;
    EXPECT_GT(size("large.png").second, size("preview.png").second);

    EXPECT_EQ(Run({"preview", "--scale", "0", "Tobble.vlf", "x.png"}).Status, 2);
    EXPECT_EQ(Run({"preview", "--scale=17", "Tobble.vlf", "x.png"}).Status, 2);
    WriteBytes(*this / "broken.vlf", BuildPackage({{"desc.txt", Text("Name=X\r\n")}}));
    VlfpackResult broken = Run({"preview", "broken.vlf", "x.png"});
    EXPECT_EQ(broken.Status, 1);
    EXPECT_TRUE(Contains(broken.Err,
                         "vlfpack: the program would not load broken.vlf: ファイル読み込みエラー"))
        << broken.Err;
    EXPECT_FALSE(std::filesystem::exists(*this / "x.png"));
}

}  // namespace
}  // namespace vlz

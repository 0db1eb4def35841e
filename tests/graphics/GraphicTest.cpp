#include <gtest/gtest.h>

#include <filesystem>

#include "graphics/Bitmap.h"
#include "graphics/Clipboard.h"
#include "graphics/GraphicRegistry.h"
#include "platform/ClipboardDouble.h"
#include "support/TemporaryFolder.h"

namespace vlz {
namespace {

class ClipboardTest : public ::testing::Test {
  protected:
    test::ScopedClipboardDouble scope;
    test::ClipboardDouble& clipboard = scope.Clipboard;
};

TEST_F(ClipboardTest, BitmapGoesThroughTheClipboardAsPackedDibAndPalette) {
    TBitmap bitmap(3, 2, TPixelFormat::pf4bit);
    bitmap.Canvas().SetPixel(2, 1, RGB(255, 0, 0));
    clipboard.Formats[CF_TEXT] = {'x'};
    Clipboard().Assign(&bitmap);
    EXPECT_FALSE(clipboard.HasFormat(CF_TEXT));
    ASSERT_TRUE(clipboard.HasFormat(CF_DIB));
    EXPECT_EQ(clipboard.Formats[CF_PALETTE].size(), 16u * 4);
    EXPECT_EQ(clipboard.Opens, clipboard.Closes);

    TBitmap pasted;
    pasted.Assign(&Clipboard());
    EXPECT_EQ(pasted.PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(pasted.Canvas().GetPixel(2, 1), RGB(255, 0, 0));
    EXPECT_EQ(clipboard.Opens, clipboard.Closes);
}

TEST_F(ClipboardTest, HeldClipboardRaisesAndEmptyClipboardIsNoPicture) {
    TBitmap bitmap(1, 1);
    clipboard.Held = true;
    try {
        Clipboard().Assign(&bitmap);
        FAIL();
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "クリップボードを開けません");
    }
    clipboard.Held = false;
    EXPECT_THROW(bitmap.Assign(&Clipboard()), EInvalidGraphic);
    EXPECT_EQ(bitmap.Width(), 1);
    EXPECT_EQ(clipboard.Opens, clipboard.Closes);
}

TEST(Persistent, UnrelatedAssignmentNamesBothClasses) {
    TBitmap bitmap(1, 1);
    TCanvas canvas;
    try {
        bitmap.Assign(&canvas);
        FAIL();
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "TCanvas を TBitmap に代入できません");
    }
}

class OtherPicture : public TBitmap {
  public:
    std::string ClassName() const override { return "OtherPicture"; }
};

TEST(GraphicRegistry, FindsByExtensionAndFormatLatestFirst) {
    EXPECT_EQ(CreateGraphic(".BMP")->ClassName(), "TBitmap");
    EXPECT_EQ(CreateGraphic(CF_BITMAP)->ClassName(), "TBitmap");
    EXPECT_THROW(CreateGraphic("xyz"), EInvalidGraphic);
    EXPECT_FALSE(SupportsClipboardFormat(CF_TEXT));

    RegisterFileFormat("bmp", "Other", GraphicClassOf<OtherPicture>());
    RegisterClipboardFormat(CF_TEXT, GraphicClassOf<OtherPicture>());
    EXPECT_EQ(CreateGraphic("bmp")->ClassName(), "OtherPicture");
    EXPECT_EQ(GraphicFilter().rfind("Other (*.bmp)|*.bmp|", 0), 0u);
    UnregisterGraphicClass(typeid(OtherPicture));
    EXPECT_EQ(CreateGraphic("bmp")->ClassName(), "TBitmap");
    EXPECT_FALSE(SupportsClipboardFormat(CF_TEXT));
}

TEST(Graphic, FailedSaveLeavesTheExistingFileAlone) {
    testing::TemporaryFolder folder;
    const std::string path = folder / "picture.bmp";
    TBitmap picture(2, 2);
    picture.SaveToFile(path);
    auto size = std::filesystem::file_size(path);
    TBitmap empty;
    EXPECT_THROW(empty.SaveToFile(path), EInvalidGraphic);
    EXPECT_EQ(std::filesystem::file_size(path), size);
    TBitmap loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.Width(), 2);
}

}  // namespace
}  // namespace vlz

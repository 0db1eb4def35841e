#include "toolkit/FontDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

#include "doubles/ScriptedMessageBoxes.h"
#include "support/EventLoop.h"
#include "support/QtApplication.h"
#include "toolkit/ColorDialog.h"
#include "toolkit/FontMapping.h"

namespace vlz {
namespace {

using testing::WhenShown;

TFont MemoFont() {
    TFont font;
    font.Name = "Noto Sans CJK JP";
    font.Size = 13;
    font.Color = clWhite;
    font.Style = {TFontStyle::fsBold};
    return font;
}

class FontDialog : public ::testing::Test {
  protected:
    void SetUp() override { testing::TestApplication(); }
};

TEST_F(FontDialog, OpensOnTheWorkingFontAndGivesItBackUntouched) {
    for (TColor color : {clWhite, clWindowText, RGB(1, 2, 3)}) {
        TFont font = MemoFont();
        font.Color = color;
        font.Charset = 0;
        font.Style = {TFontStyle::fsItalic, TFontStyle::fsStrikeOut};
        TFontDialogWindow window(font);
        EXPECT_EQ(window.Font(), font) << "colour " << color;
        EXPECT_EQ(window.findChild<QLineEdit*>("SizeEdit")->text(), "13");
        EXPECT_TRUE(window.findChild<QCheckBox*>("StrikeOutCheckBox")->isChecked());
    }
}

TEST_F(FontDialog, EffectsAndColourReachTheFontAndTheSample) {
    TFontDialogWindow window(MemoFont());
    auto* colors = window.findChild<QComboBox*>("ColorComboBox");
    int red = colors->findText("赤");
    ASSERT_GE(red, 0);
    colors->setCurrentIndex(red);
    emit colors->activated(red);
    window.findChild<QCheckBox*>("UnderlineCheckBox")->setChecked(true);
    window.findChild<QListWidget*>("StyleList")->setCurrentRow(3);
    window.findChild<QLineEdit*>("SizeEdit")->setText("200");  // no upper limit

    TFont font = window.Font();
    EXPECT_EQ(font.Color, RGB(255, 0, 0));
    EXPECT_EQ(font.Size, 200);
    EXPECT_EQ(font.Style,
              (TFontStyles{TFontStyle::fsBold, TFontStyle::fsItalic, TFontStyle::fsUnderline}));
    auto* sample = window.findChild<QLabel*>("Sample");
    EXPECT_TRUE(sample->font().underline() && sample->font().italic());
    EXPECT_EQ(sample->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

TEST_F(FontDialog, ExecuteKeepsTheChoiceOnlyOnOk) {
    TFontDialog dialog;
    dialog.Font = MemoFont();
    WhenShown<TFontDialogWindow>([](TFontDialogWindow& window) {
        window.findChild<QCheckBox*>("UnderlineCheckBox")->setChecked(true);
        window.reject();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.Font, MemoFont());

    WhenShown<TFontDialogWindow>([](TFontDialogWindow& window) {
        window.findChild<QCheckBox*>("UnderlineCheckBox")->setChecked(true);
        window.accept();
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_TRUE(dialog.Font.Style.Contains(TFontStyle::fsUnderline));
}

TEST_F(FontDialog, RefusesASizeThatIsNotAPositiveNumber) {
    testing::ScriptedMessageBoxes boxes;
    TFontDialog dialog;
    dialog.Font = MemoFont();
    WhenShown<TFontDialogWindow>([](TFontDialogWindow& window) {
        for (const char* text : {"abc", "0", "-4"}) {
            window.findChild<QLineEdit*>("SizeEdit")->setText(text);
            window.accept();
            EXPECT_TRUE(window.isVisible()) << text;
        }
        window.findChild<QLineEdit*>("SizeEdit")->setText("11");
        window.accept();
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Font.Size, 11);
    EXPECT_EQ(boxes.Boxes.size(), 3u);
}

TEST_F(FontDialog, RefusesAFaceNameThatShiftJisCannotHoldButKeepsTheStoredOne) {
    testing::ScriptedMessageBoxes boxes;
    TFontDialog dialog;
    dialog.Font = MemoFont();
    dialog.Font.Name = "Stored\U000F0080";  // a byte that Shift-JIS could not decode
    WhenShown<TFontDialogWindow>([](TFontDialogWindow& window) {
        auto* face = window.findChild<QLineEdit*>("FaceEdit");
        const QString stored = face->text();
        face->setText(QString::fromUtf8("文泉驿微米黑"));  // 驿 is not in Shift-JIS
        window.accept();
        EXPECT_TRUE(window.isVisible());
        face->setText(stored);
        window.accept();
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Font.Name, "Stored\U000F0080");
    EXPECT_EQ(boxes.Boxes.size(), 1u);
}

TEST_F(FontDialog, ColourDialogShowsTheWorkingColourAndKeepsItOnCancel) {
    TColorDialog dialog;
    dialog.Color = RGB(10, 20, 30);
    WhenShown<QColorDialog>([](QColorDialog& window) {
        EXPECT_EQ(window.currentColor(), QColor(10, 20, 30));
        EXPECT_TRUE(window.testOption(QColorDialog::DontUseNativeDialog));
        window.setCurrentColor(QColor(200, 0, 0));
        window.reject();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.Color, RGB(10, 20, 30));
    WhenShown<QColorDialog>([](QColorDialog& window) {
        window.setCurrentColor(QColor(200, 0, 0));
        window.accept();
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Color, RGB(200, 0, 0));
}

}  // namespace
}  // namespace vlz

#include "notes/ZozedProp.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "support/FakeDialogHost.h"
#include "support/QtApplication.h"
#include "toolkit/FontMapping.h"
#include "toolkit/PreviewBox.h"

namespace vlz {
namespace {

using testing::DrawnFrame;
using testing::WaitFor;
using testing::WhenShown;

constexpr TColor Red = RGB(200, 0, 0);
constexpr TColor Blue = RGB(0, 0, 200);

class ZozedProp : public ::testing::Test {
  protected:
    void SetUp() override {
        // A small one, a big one that overflows the 93 x 65 box, a third.
        controller_.Characters = {{"ちび", 20, 20, 3, 30, Red},
                                  {"でか", 120, 80, 4, 20, Blue},
                                  {"普通", 40, 40, 1, 500, clBlack}};
        note_.Font.Name = "Noto Sans CJK JP";
        note_.Font.Size = 9;
        note_.Font.Color = RGB(255, 255, 0);
        note_.BGColor = RGB(0, 64, 0);
        note_.Character = 1;
        form_.TargetNote = &note_;
    }

    QColor PreviewAt(int x, int y) { return form_.PaintBox->Picture().pixelColor(x, y); }

    TApplication& application_ = testing::TestApplication();
    testing::FakeController controller_;
    testing::FakeNote note_;
    TZozedPropForm form_{controller_};
};

TEST_F(ZozedProp, ShowsTheNotesCharacterAnimatingAndItsFontInThePreview) {
    form_.DefaultCheckBox->setChecked(true);
    form_.Show();
    EXPECT_EQ(form_.Caption(), "付箋のプロパティ");
    EXPECT_EQ(form_.size(), QSize(397, 165));
    ASSERT_EQ(form_.CharListBox->count(), 3);
    EXPECT_EQ(form_.CharListBox->itemText(1), "でか");
    EXPECT_EQ(form_.CharListBox->currentIndex(), 1);
    EXPECT_EQ(form_.PreviewIndex, 1);
    EXPECT_EQ(form_.Timer.Interval(), 20);
    EXPECT_FALSE(form_.DefaultCheckBox->isChecked());

    EXPECT_EQ(form_.FontPrevPanel->text(), "Noto Sans CJK JP 9pt");
    EXPECT_EQ(form_.FontPrevPanel->font().pixelSize(), 12) << "9 points at 96 dots per inch";
    EXPECT_EQ(form_.FontPrevPanel->palette().color(QPalette::Window), QColor(0, 64, 0));
    EXPECT_EQ(form_.FontPrevPanel->palette().color(QPalette::WindowText), QColor(255, 255, 0));

    ASSERT_TRUE(WaitFor([&] { return controller_.Drawn.size() >= 5; }));
    std::vector<DrawnFrame> first(controller_.Drawn.begin(), controller_.Drawn.begin() + 5);
    EXPECT_EQ(first, (std::vector<DrawnFrame>{{1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 0}}));
    // Drawn at the top-left corner and cut at the box's right and bottom edges.
    EXPECT_EQ(form_.PaintBox->Picture().size(), QSize(93, 65));
    EXPECT_EQ(PreviewAt(92, 64), ToQColor(Blue + controller_.Drawn.back().Frame));
    form_.Hide();
}

TEST_F(ZozedProp, AnotherCharacterClearsThePreviewAndTakesItsInterval) {
    form_.Show();
    ASSERT_TRUE(WaitFor([&] { return controller_.Drawn.size() >= 2; }));
    int counter = form_.FrameCounter;
    form_.CharListBox->setCurrentIndex(0);
    EXPECT_EQ(PreviewAt(50, 50), ToQColor(clBtnFace)) << "cleared before the next frame";
    EXPECT_EQ(form_.Timer.Interval(), 30);
    EXPECT_EQ(form_.PreviewIndex, 0);
    EXPECT_EQ(form_.FrameCounter, counter) << "the counter goes on";

    std::size_t before = controller_.Drawn.size();
    ASSERT_TRUE(WaitFor([&] { return controller_.Drawn.size() > before; }));
    EXPECT_EQ(controller_.Drawn[before], (DrawnFrame{0, counter % 3}));
    EXPECT_EQ(PreviewAt(5, 5), ToQColor(Red + counter % 3));
    EXPECT_EQ(PreviewAt(50, 50), ToQColor(clBtnFace));
    form_.Hide();
    EXPECT_FALSE(form_.Timer.Active()) << "no ticks while hidden";
}

TEST_F(ZozedProp, CancelAfterChangesLeavesTheNoteAsItWas) {
    testing::FakeNote before = note_;
    WhenShown<TZozedPropForm>([](TZozedPropForm& form) {
        WhenShown<TFontDialogWindow>([](TFontDialogWindow& fonts) {
            fonts.findChild<QCheckBox*>("UnderlineCheckBox")->setChecked(true);
            fonts.accept();
        });
        form.FontChangeButton->click();
        EXPECT_EQ(form.FontPrevPanel->font().underline(), true);
        WhenShown<QColorDialog>([](QColorDialog& colors) {
            colors.setCurrentColor(QColor(1, 2, 3));
            colors.accept();
        });
        form.BGColorChangeButton->click();
        EXPECT_EQ(form.FontPrevPanel->palette().color(QPalette::Window), QColor(1, 2, 3));
        form.CharListBox->setCurrentIndex(2);
        form.DefaultCheckBox->setChecked(true);
        form.CancelButton->click();
    });
    EXPECT_EQ(form_.ShowModal(), mrCancel);
    EXPECT_EQ(note_.Font, before.Font);
    EXPECT_EQ(note_.BGColor, before.BGColor);
    EXPECT_TRUE(note_.CharactersSet.empty());
    EXPECT_EQ(controller_.DefaultsSet, 0);

    // The next showing starts again from the note, not from what was chosen.
    form_.Show();
    EXPECT_FALSE(form_.FontPrevPanel->font().underline());
    EXPECT_EQ(form_.CharListBox->currentIndex(), 1);
    form_.Hide();
}

TEST_F(ZozedProp, OkChangesTheNoteAndOnlyWithTheBoxTickedTheDefaults) {
    for (bool makeDefault : {false, true}) {
        note_.Character = 1;
        WhenShown<TZozedPropForm>([makeDefault](TZozedPropForm& form) {
            WhenShown<QColorDialog>([](QColorDialog& colors) {
                colors.setCurrentColor(QColor(9, 8, 7));
                colors.accept();
            });
            form.BGColorChangeButton->click();
            form.FontDialog.Font.Size = 14;  // as a confirmed font dialog leaves it
            form.CharListBox->setCurrentIndex(2);
            form.DefaultCheckBox->setChecked(makeDefault);
            form.OkButton->click();
        });
        EXPECT_EQ(form_.ShowModal(), mrOk);
        EXPECT_EQ(note_.BGColor, RGB(9, 8, 7));
        EXPECT_EQ(note_.Font.Size, 14);
        EXPECT_EQ(note_.Character, 2);
        EXPECT_EQ(controller_.DefaultsSet, makeDefault ? 1 : 0);
    }
    EXPECT_EQ(controller_.DefaultFont.Size, 14);
    EXPECT_EQ(controller_.DefaultBGColor, RGB(9, 8, 7));
    EXPECT_EQ(controller_.DefaultCharacter, 2);
}

TEST_F(ZozedProp, ACharacterOutsideTheCatalogueSelectsNothingAndDrawsNothing) {
    note_.Character = 7;
    controller_.Characters[0].AnimationInterval = 10;
    WhenShown<TZozedPropForm>([this](TZozedPropForm& form) {
        EXPECT_EQ(form.CharListBox->currentIndex(), -1);
        EXPECT_EQ(form.PreviewIndex, -1);
        EXPECT_EQ(form.Timer.Interval(), 10) << "the first character's interval";
        WaitFor([] { return false; }, 60);
        EXPECT_TRUE(controller_.Drawn.empty());
        form.DefaultCheckBox->setChecked(true);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(&form, &enter);
    });
    EXPECT_EQ(form_.ShowModal(), mrOk) << "Enter presses OK";
    EXPECT_EQ(note_.CharactersSet, std::vector<int>{-1});
    EXPECT_EQ(controller_.DefaultCharacter, -1);
}

}  // namespace
}  // namespace vlz

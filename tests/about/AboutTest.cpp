#include "about/About.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <set>
#include <vector>

#include "about/LinkLabel.h"
#include "about/RecordingShell.h"
#include "platform/Random.h"
#include "support/FakeDialogHost.h"
#include "support/QtApplication.h"
#include "toolkit/FontMapping.h"
#include "toolkit/PreviewBox.h"

namespace vlz {
namespace {

using testing::DrawnFrame;
using testing::WaitFor;

class AboutBox : public ::testing::Test {
  protected:
    TApplication& application_ = testing::TestApplication();
    testing::FakeController catalogue_;
    TVLZozedAboutForm form_{catalogue_};
};

TEST_F(AboutBox, ShowsTheProgramItsHomePageAndTheRightsNotice) {
    EXPECT_EQ(form_.Caption(), "Velloric付箋について");
    EXPECT_EQ(form_.size(), QSize(349, 162));
    EXPECT_EQ(form_.Label2->text(), "Velloric付箋 Ver.1.0.0");
    EXPECT_TRUE(form_.Label2->font().bold());
    EXPECT_EQ(form_.Label1->text(), "Velloric ホームページ:");
    EXPECT_EQ(form_.LinkLabel1->Caption().rfind("http://", 0), 0u);
    EXPECT_TRUE(form_.LinkLabel1->font().underline());
    EXPECT_EQ(form_.Button2->text(), "開く");
    for (QLabel* line : {form_.Label3, form_.Label4, form_.Label5, form_.Label6}) {
        EXPECT_FALSE(line->text().isEmpty());
        EXPECT_LE(line->x() + line->fontMetrics().horizontalAdvance(line->text()),
                  form_.Button1->x())
            << line->text().toStdString() << " runs into the OK button";
    }
}

TEST_F(AboutBox, OneCharacterIsShownEveryTimeFromItsFirstFrame) {
    catalogue_.Characters = {{"ひとり", 100, 100, 3, 10, RGB(0, 90, 0)}};
    for (int showing = 0; showing < 3; ++showing) {
        catalogue_.Drawn.clear();
        form_.Show();
        EXPECT_EQ(form_.CharacterIndex, 0);
        EXPECT_EQ(form_.FrameCounter, 0);
        EXPECT_EQ(form_.Timer.Interval(), 10);
        EXPECT_EQ(form_.PaintBox->Picture().pixelColor(5, 5), ToQColor(clBtnFace))
            << "nothing is drawn before the first tick";
        ASSERT_TRUE(WaitFor([&] { return catalogue_.Drawn.size() >= 4; }));
        EXPECT_EQ(catalogue_.Drawn.front(), (DrawnFrame{0, 0}));
        EXPECT_EQ(catalogue_.Drawn[3], (DrawnFrame{0, 0})) << "frame = tick mod 3";
        // A character bigger than the 77 x 81 box is cut at its right and bottom.
        EXPECT_EQ(form_.PaintBox->Picture().size(), QSize(77, 81));
        EXPECT_NE(form_.PaintBox->Picture().pixelColor(76, 80), ToQColor(clBtnFace));
        form_.Hide();
    }
    EXPECT_FALSE(form_.Timer.Active());
}

TEST_F(AboutBox, EachShowingPicksACharacterAtRandomWithItsInterval) {
    for (int index = 0; index < 4; ++index) {
        catalogue_.Characters.push_back(
            {"c" + std::to_string(index), 8, 8, 1, 100 + index, RGB(index, 0, 0)});
    }
    RandSeed(7);
    std::set<int> picked;
    for (int showing = 0; showing < 40; ++showing) {
        form_.Show();
        ASSERT_GE(form_.CharacterIndex, 0);
        ASSERT_LT(form_.CharacterIndex, 4);
        EXPECT_EQ(form_.Timer.Interval(), 100 + form_.CharacterIndex);
        picked.insert(form_.CharacterIndex);
        form_.Hide();
    }
    EXPECT_EQ(picked.size(), 4u);
}

TEST_F(AboutBox, OpenButtonDoesWhatAClickOnTheLinkDoes) {
    catalogue_.Characters = {{"ひとり", 8, 8, 1, 1000, clBlack}};
    testing::RecordingShell shell;
    form_.Button2->click();
    form_.LinkLabel1->Click();
    EXPECT_EQ(shell.Opened, (std::vector<std::string>{HomePageAddress, HomePageAddress}));

    QTimer::singleShot(0, [this] {
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(&form_, &enter);
    });
    form_.ShowModal();
    EXPECT_FALSE(form_.isVisible()) << "Enter presses OK, which closes the box";
    EXPECT_EQ(shell.Opened.size(), 2u);
}

TEST_F(AboutBox, EscapeLeavesTheBoxOpenAndEnterPressesOk) {
    catalogue_.Characters = {{"ひとり", 8, 8, 1, 1000, clBlack}};
    bool openAfterEscape = false;
    QTimer::singleShot(0, [&] {
        // No button of the box is its cancel button, wherever the focus is.
        const std::vector<QWidget*> focuses{form_.Button1, form_.Button2, form_.LinkLabel1};
        for (QWidget* focus : focuses) {
            focus->setFocus();
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(focus, &escape);
        }
        openAfterEscape = form_.isVisible();
        form_.Button1->setFocus();
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Enter, Qt::KeypadModifier);
        QApplication::sendEvent(form_.Button1, &enter);
    });
    EXPECT_EQ(form_.ShowModal(), mrOk);
    EXPECT_TRUE(openAfterEscape);
    EXPECT_FALSE(form_.isVisible());
}

}  // namespace
}  // namespace vlz

#include "app/Config.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "support/FakeDialogHost.h"
#include "support/QtApplication.h"

namespace vlz {
namespace {

class ConfigForm : public ::testing::Test {
  protected:
    void ShowWithMode(int mode) {
        controller_.Mode = mode;
        form_.Show();
    }

    TApplication& application_ = testing::TestApplication();
    testing::FakeController controller_;
    TConfigForm form_{controller_};
};

TEST_F(ConfigForm, ShowsTheModesItemFollowingTheRadioGroupRule) {
    EXPECT_EQ(form_.Caption(), "設定");
    EXPECT_EQ(form_.size(), QSize(237, 118));
    EXPECT_EQ(form_.MouseRadioItems[0]->text(), "&1. [左]:メニュー, [右]:隠す/復元");
    const std::pair<int, int> modeToItem[] = {{0, 0}, {1, 1}, {5, 1}, {-1, -1}, {-7, -1}, {0, 0}};
    for (auto [mode, item] : modeToItem) {
        ShowWithMode(mode);
        EXPECT_EQ(form_.ItemIndex(), item) << "mode " << mode;
        EXPECT_EQ(form_.MouseRadioItems[0]->isChecked(), item == 0);
        EXPECT_EQ(form_.MouseRadioItems[1]->isChecked(), item == 1);
        form_.Hide();
    }
    EXPECT_TRUE(controller_.ModesSet.empty()) << "showing changes nothing";
}

TEST_F(ConfigForm, OkHandsTheChoiceToTheControllerAtOnce) {
    controller_.Mode = 0;
    QTimer::singleShot(0, [this] {
        form_.MouseRadioItems[1]->click();
        form_.OkButton->click();
    });
    EXPECT_EQ(form_.ShowModal(), mrOk);
    EXPECT_EQ(controller_.ModesSet, std::vector<int>{1});

    // Nothing chosen stays nothing chosen: -1 goes to the controller as it is.
    controller_.Mode = -1;
    QTimer::singleShot(0, [this] {
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(&form_, &enter);
    });
    EXPECT_EQ(form_.ShowModal(), mrOk);
    EXPECT_EQ(controller_.ModesSet, (std::vector<int>{1, -1}));
}

TEST_F(ConfigForm, CancelEscapeAndTheCloseBoxChangeNothing) {
    controller_.Mode = 0;
    QTimer::singleShot(0, [this] {
        form_.MouseRadioItems[1]->click();
        form_.CancelButton->click();
    });
    EXPECT_EQ(form_.ShowModal(), mrCancel);
    QTimer::singleShot(0, [this] {
        form_.MouseRadioItems[1]->click();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&form_, &escape);
    });
    EXPECT_EQ(form_.ShowModal(), mrCancel);
    QTimer::singleShot(0, [this] {
        form_.MouseRadioItems[1]->click();
        form_.close();
    });
    EXPECT_EQ(form_.ShowModal(), mrCancel);
    EXPECT_TRUE(controller_.ModesSet.empty());
    EXPECT_EQ(controller_.Mode, 0);
}

}  // namespace
}  // namespace vlz

#include "app/Config.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "app/core/Autostart.h"
#include "doubles/ScriptedMessageBoxes.h"
#include "platform/FileReplace.h"
#include "support/FakeDialogHost.h"
#include "support/QtApplication.h"
#include "support/TemporaryFolder.h"

namespace vlz {
namespace {

class ConfigForm : public ::testing::Test {
  protected:
    void ShowWithMode(int mode) {
        controller_.Mode = mode;
        form_.Show();
    }

    // Answers the dialog with a mouse click on OK after `prepare` has set its controls; a dialog
    // that stays open after that (OK failed) is cancelled.
    TModalResult ConfirmWith(const std::function<void()>& prepare) {
        QTimer::singleShot(0, [this, prepare] {
            prepare();
            const QPointF centre = QRectF(form_.OkButton->rect()).center();
            const QPointF global = form_.OkButton->mapToGlobal(centre);
            for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                QMouseEvent click(type, centre, global, Qt::LeftButton,
                                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                  Qt::NoModifier);
                QApplication::sendEvent(form_.OkButton, &click);
            }
            if (form_.isVisible()) {
                form_.CancelButton->click();
            }
        });
        return form_.ShowModal();
    }

    TApplication& application_ = testing::TestApplication();
    testing::FakeController controller_;
    testing::TemporaryFolder config_;
    std::string entryPath_ = config_ / "autostart/org.example.vlzozed.desktop";
    TAutostartEntry autostart_{entryPath_, "/opt/Velloric 付箋/VLZozed"};
    TConfigForm form_{controller_, autostart_};
};

TEST_F(ConfigForm, ShowsTheModesItemFollowingTheRadioGroupRule) {
    EXPECT_EQ(form_.Caption(), "設定");
    EXPECT_EQ(form_.size(), QSize(237, 143));
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

TEST_F(ConfigForm, TheLoginBoxComesBelowTheDesignedControlsAndLastInTheTabOrder) {
    EXPECT_EQ(form_.MouseRadioGroup->geometry(), QRect(12, 12, 213, 65));
    EXPECT_EQ(form_.OkButton->geometry(), QRect(64, 88, 77, 21));
    EXPECT_EQ(form_.CancelButton->geometry(), QRect(148, 88, 77, 21));
    EXPECT_EQ(form_.AutostartCheckBox->text(), "ログイン時に起動する(&L)");
    const QRect box = form_.AutostartCheckBox->geometry();
    EXPECT_GT(box.top(), form_.OkButton->geometry().bottom());
    EXPECT_TRUE(form_.rect().contains(box));

    std::vector<QWidget*> chain;
    QWidget* widget = form_.OkButton;
    do {
        if (widget->focusPolicy() & Qt::TabFocus) {
            chain.push_back(widget);
        }
        widget = widget->nextInFocusChain();
    } while (widget != form_.OkButton);
    const std::vector<QWidget*> expected{form_.OkButton, form_.CancelButton,
                                         form_.MouseRadioItems[0], form_.MouseRadioItems[1],
                                         form_.AutostartCheckBox};
    EXPECT_EQ(chain, expected);
}

TEST_F(ConfigForm, TheLoginBoxShowsWhetherTheEntryIsThereAndSwitchedOn) {
    form_.Show();
    EXPECT_FALSE(form_.AutostartCheckBox->isChecked());
    form_.Hide();

    std::filesystem::create_directories(config_.Path() / "autostart");
    ReplaceFile(entryPath_, "[Desktop Entry]\nType=Application\nExec=/elsewhere/VLZozed\n");
    form_.Show();
    EXPECT_TRUE(form_.AutostartCheckBox->isChecked());
    form_.Hide();

    ReplaceFile(entryPath_, "[Desktop Entry]\nType=Application\nExec=x\nHidden=true\n");
    form_.Show();
    EXPECT_FALSE(form_.AutostartCheckBox->isChecked());
    form_.Hide();
}

TEST_F(ConfigForm, OkWritesOrRemovesTheEntryAndCancelLeavesItAlone) {
    ASSERT_EQ(ConfirmWith([this] { form_.AutostartCheckBox->setChecked(true); }), mrOk);
    std::optional<std::string> written = ReadFileIfExists(entryPath_);
    ASSERT_TRUE(written.has_value());
    EXPECT_NE(written->find("Exec=\"/opt/Velloric 付箋/VLZozed\"\n"), std::string::npos);
    EXPECT_EQ(controller_.ModesSet, std::vector<int>{0});

    QTimer::singleShot(0, [this] {
        form_.AutostartCheckBox->setChecked(false);
        form_.CancelButton->click();
    });
    EXPECT_EQ(form_.ShowModal(), mrCancel);
    EXPECT_EQ(ReadFileIfExists(entryPath_), written);

    ASSERT_EQ(ConfirmWith([this] { form_.AutostartCheckBox->setChecked(false); }), mrOk);
    EXPECT_FALSE(std::filesystem::exists(entryPath_));
    EXPECT_TRUE(std::filesystem::exists(config_.Path() / "autostart"));
}

TEST_F(ConfigForm, AnEntryThatCannotBeWrittenIsReportedAndChangesNothing) {
    // A file where the autostart folder should be: no user, root included, can write there.
    std::ofstream(config_ / "autostart") << "not a folder";
    testing::ScriptedMessageBoxes boxes;
    controller_.Mode = 0;
    EXPECT_EQ(ConfirmWith([this] {
                  form_.MouseRadioItems[1]->click();
                  form_.AutostartCheckBox->setChecked(true);
              }),
              mrCancel);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_NE(boxes.Boxes[0].Text.find(entryPath_), std::string::npos);
    EXPECT_TRUE(controller_.ModesSet.empty()) << "the mode waits for an OK that succeeds";
}

}  // namespace
}  // namespace vlz

#include "about/LinkLabel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "about/RecordingShell.h"
#include "support/QtApplication.h"

namespace vlz {
namespace {

using Words = std::vector<std::string>;

void SendMouse(QWidget& widget, QEvent::Type type, QPoint position,
               Qt::MouseButton button = Qt::LeftButton) {
    QMouseEvent event(type, QPointF(position), widget.mapToGlobal(QPointF(position)), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

class LinkLabel : public ::testing::Test {
  protected:
    void SetUp() override { testing::TestApplication(); }
    testing::RecordingShell shell_;
};

TEST_F(LinkLabel, LooksLikeAHyperlink) {
    TLinkLabel label;
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0, 0, 128));
    EXPECT_TRUE(label.font().underline());
    EXPECT_FALSE(label.font().bold() || label.font().italic() || label.font().strikeOut());
}

TEST_F(LinkLabel, ClickRunsOnClickFirstThenOpensTheCaption) {
    TLinkLabel label;
    label.SetCaption("http://vlzozed.example.org/");
    Words openedBeforeOnClick{"not run"};
    label.OnClick = [&] { openedBeforeOnClick = shell_.Opened; };
    label.Click();
    EXPECT_EQ(openedBeforeOnClick, Words{});
    EXPECT_EQ(shell_.Opened, Words{"http://vlzozed.example.org/"});
    EXPECT_EQ(shell_.ShowCommands, std::vector<int>{SW_SHOW});
}

TEST_F(LinkLabel, OnlyALeftClickOnTheLabelOpensIt) {
    TLinkLabel label;
    label.SetCaption("<b>someone@example.org</b>");
    label.resize(200, 12);
    shell_.Registry["mailto\\shell\\open\\command"] = "mailer %1";

    SendMouse(label, QEvent::MouseButtonPress, {5, 5}, Qt::RightButton);
    SendMouse(label, QEvent::MouseButtonRelease, {5, 5}, Qt::RightButton);
    SendMouse(label, QEvent::MouseButtonPress, {5, 5});
    SendMouse(label, QEvent::MouseButtonRelease, {500, 5});  // dragged off before letting go
    EXPECT_TRUE(shell_.Started.empty());

    SendMouse(label, QEvent::MouseButtonPress, {5, 5});
    SendMouse(label, QEvent::MouseButtonRelease, {6, 5});
    EXPECT_EQ(shell_.Started, Words{"mailer mailto:<b>someone@example.org</b>"})
        << "the caption is plain text, never markup";
}

}  // namespace
}  // namespace vlz

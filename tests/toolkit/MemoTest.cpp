// The memo: every way text comes in is held to Shift-JIS and the byte limit, and bytes of a stored
// memo that Shift-JIS cannot decode stay in it as marks whatever is edited around them.

#include "toolkit/Memo.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextCursor>
#include <QTimer>

#include "doubles/ScriptedMessageBoxes.h"
#include "platform/Cp932.h"
#include "support/QtApplication.h"

namespace vlz {
namespace {

const QString Emoji = QString::fromUtf8("\xF0\x9F\x98\x80");

// The protected hooks of the edit, reachable for the drag-and-drop tests.
class TestMemo : public TMemo {
  public:
    using TMemo::createMimeDataFromSelection;
    using TMemo::dropEvent;
};

class MemoTest : public ::testing::Test {
  protected:
    MemoTest() { testing::TestApplication(); }

    static void Press(QWidget& widget, int key, const QString& text,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(&widget, &event);
    }
    static void Press(QWidget& widget, QKeySequence::StandardKey standard) {
        const QKeyCombination combination = QKeySequence::keyBindings(standard).front()[0];
        Press(widget, combination.key(), QString(), combination.keyboardModifiers());
    }
    static void Commit(QWidget& widget, const QString& text, int replaceFrom = 0,
                       int replaceLength = 0) {
        QInputMethodEvent event;
        event.setCommitString(text, replaceFrom, replaceLength);
        QApplication::sendEvent(&widget, &event);
    }
    static void Drop(TestMemo& memo, const QMimeData& data) {
        QDropEvent event(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        memo.dropEvent(&event);
    }
    static void MoveCursor(QPlainTextEdit& memo, QTextCursor::MoveOperation where, int count = 1) {
        QTextCursor cursor = memo.textCursor();
        cursor.movePosition(where, QTextCursor::MoveAnchor, count);
        memo.setTextCursor(cursor);
    }
    std::size_t Refusals() const { return Boxes.Boxes.size(); }

    testing::ScriptedMessageBoxes Boxes;
};

TEST_F(MemoTest, ShowsUndecodableBytesAsMarksAndGivesThemBack) {
    TestMemo memo;
    // 0x80, a duplicate code of 纊, an unassigned code, and a lead byte at the end.
    const std::string stored = FromCp932(
        "a\x80"
        "b\xED\x40"
        "c\x85\x40\r\nd\x81");
    memo.SetText(stored);
    EXPECT_EQ(memo.toPlainText(), QString::fromUtf8("a\uFFFDb纊c\uFFFD\nd\uFFFD"));
    EXPECT_EQ(memo.Text(), stored);
    EXPECT_EQ(memo.ByteLength(), 12u);  // what the bytes take, not what the marks would
    EXPECT_EQ(ToCp932(memo.Text()),
              "a\x80"
              "b\xED\x40"
              "c\x85\x40\r\nd\x81");
}

TEST_F(MemoTest, EditingAroundMarksKeepsTheirBytes) {
    TestMemo memo;
    memo.SetText(FromCp932("\x80\xED\x40"));
    MoveCursor(memo, QTextCursor::End);
    Press(memo, Qt::Key_A, "x");                             // after the marks
    EXPECT_TRUE(memo.InsertTyped(QString::fromUtf8("纊")));  // typed: the usual code
    MoveCursor(memo, QTextCursor::Start);
    Press(memo, Qt::Key_Return, "\r");  // before them
    MoveCursor(memo, QTextCursor::Right);
    Press(memo, Qt::Key_B, "y");  // between them
    EXPECT_EQ(ToCp932(memo.Text()), "\r\n\x80y\xED\x40x\xFA\x5C");

    // The neighbours go, the marks stay.
    Press(memo, Qt::Key_Backspace, "\b");
    MoveCursor(memo, QTextCursor::Right);
    Press(memo, Qt::Key_Delete, "\x7F");
    EXPECT_EQ(ToCp932(memo.Text()), "\r\n\x80\xED\x40\xFA\x5C");
    EXPECT_EQ(Refusals(), 0u);
}

TEST_F(MemoTest, TypedOrPastedTextCannotForgeBytes) {
    TestMemo memo;
    memo.SetText("memo");
    const QString carrier = QString::fromStdString(FromCp932("\x80"));
    EXPECT_FALSE(memo.InsertTyped(carrier));
    EXPECT_FALSE(memo.InsertTyped(QString(QChar(0xFFFD))));
    QApplication::clipboard()->setText("x" + carrier);
    memo.paste();
    QMimeData dropped;
    dropped.setText("x" + carrier);
    Drop(memo, dropped);
    EXPECT_EQ(memo.Text(), "memo");
    EXPECT_EQ(Refusals(), 4u);
}

TEST_F(MemoTest, CopyAndPasteBetweenMemosKeepTheBytesAndShowOthersTheMark) {
    TestMemo source;
    source.SetText(FromCp932("a\x80\xED\x40z"));
    source.selectAll();
    source.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("a\uFFFD纊z"));

    TestMemo target;
    target.paste();
    EXPECT_EQ(ToCp932(target.Text()), "a\x80\xED\x40z");

    // Dragged within the program: the drag's own data carries the bytes too.
    source.selectAll();
    std::unique_ptr<QMimeData> dragged(source.createMimeDataFromSelection());
    MoveCursor(target, QTextCursor::Start);
    Drop(target, *dragged);
    EXPECT_EQ(ToCp932(target.Text()),
              "a\x80\xED\x40z"
              "a\x80\xED\x40z");
    EXPECT_EQ(Refusals(), 0u);
}

TEST_F(MemoTest, KeysOutsideTheBasicPlaneAndFormatCharactersAreRefused) {
    TestMemo memo;
    memo.SetText("ok");
    MoveCursor(memo, QTextCursor::End);
    Press(memo, 0, Emoji);
    for (const char16_t format : {u'\u200D', u'\u200C', u'\u200E', u'\u00AD'}) {
        Press(memo, 0, QString(QChar(format)));
        // Some layouts type format characters with Control and Shift held.
        Press(memo, 0, QString(QChar(format)), Qt::ControlModifier | Qt::ShiftModifier);
    }
    EXPECT_EQ(memo.Text(), "ok");
    EXPECT_EQ(Refusals(), 9u);
    EXPECT_EQ(Boxes.Boxes.front().Flags, MB_OK | MB_ICONWARNING);
}

TEST_F(MemoTest, EveryKeyThatTypesCountsAgainstTheLimit) {
    TestMemo memo;
    memo.SetMaxLength(4);
    Press(memo, Qt::Key_A, "a");
    Press(memo, Qt::Key_B, "b", Qt::AltModifier);  // Qt's edit types Alt+letter too
    Press(memo, Qt::Key_C, "c", Qt::ControlModifier | Qt::AltModifier);  // AltGr
    Press(memo, Qt::Key_D, "d", Qt::KeypadModifier);
    Press(memo, Qt::Key_E, "e", Qt::AltModifier);
    Press(memo, Qt::Key_Return, "\r", Qt::ShiftModifier);
    EXPECT_EQ(memo.Text(), "abcd");
    EXPECT_EQ(memo.ByteLength(), 4u);
}

TEST_F(MemoTest, InputMethodCommitsAreCheckedAndReplaceWhatTheyAskFor) {
    TestMemo memo;
    memo.SetMaxLength(6);
    Commit(memo, QString::fromUtf8("かな"));
    Commit(memo, Emoji);
    EXPECT_EQ(Refusals(), 1u);
    Commit(memo, QString::fromUtf8("漢字"));  // one fits
    EXPECT_EQ(memo.Text(), "かな漢");
    // A reconversion: the commit replaces the two characters before the cursor.
    Commit(memo, QString::fromUtf8("仮名"), -3, 2);
    EXPECT_EQ(memo.Text(), "仮名漢");
    Commit(memo, QString(QChar(0x200D)), -1, 1);  // refused: nothing is replaced
    EXPECT_EQ(memo.Text(), "仮名漢");
    EXPECT_EQ(Refusals(), 2u);
}

TEST_F(MemoTest, PasteAndDropAreCheckedAndCutToTheLimit) {
    TestMemo memo;
    memo.SetMaxLength(5);
    QApplication::clipboard()->setText(QStringLiteral("ab") + Emoji);
    memo.paste();
    EXPECT_EQ(memo.Text(), "");
    QApplication::clipboard()->setText(QString::fromUtf8("あいう"));
    memo.paste();
    EXPECT_EQ(memo.Text(), "あい");

    memo.clear();
    QMimeData dropped;
    dropped.setText(QString(QChar(0x200E)) + "x");
    Drop(memo, dropped);
    EXPECT_EQ(memo.Text(), "");
    dropped.setText(QStringLiteral("123456789"));
    Drop(memo, dropped);
    EXPECT_EQ(memo.Text(), "12345");
    EXPECT_EQ(Refusals(), 2u);
}

TEST_F(MemoTest, UndoAndRedoCannotBringBackWhatDoesNotFit) {
    TestMemo memo;
    // Text that came in behind the checks (the edit's own insertion) cannot come back by undo.
    memo.insertPlainText(QStringLiteral("x") + Emoji);
    memo.selectAll();
    Press(memo, Qt::Key_Delete, "\x7F");
    Press(memo, QKeySequence::Undo);
    EXPECT_EQ(memo.Text(), "");
    EXPECT_EQ(Refusals(), 1u);
    // Nor by redo.
    memo.undo();  // the edit's own, unchecked
    memo.undo();
    EXPECT_EQ(memo.Text(), "");
    Press(memo, QKeySequence::Redo);
    EXPECT_EQ(memo.Text(), "");
    EXPECT_EQ(Refusals(), 2u);

    // Text over a limit set since cannot come back; a step that fits can.
    TestMemo limited;
    limited.InsertTyped(QStringLiteral("abcdef"));
    limited.SetMaxLength(3);
    limited.selectAll();
    Press(limited, Qt::Key_Delete, "\x7F");
    Press(limited, QKeySequence::Undo);
    EXPECT_EQ(limited.Text(), "");
    limited.InsertTyped(QStringLiteral("ab"));
    Press(limited, QKeySequence::Undo);
    EXPECT_EQ(limited.Text(), "");
    Press(limited, QKeySequence::Redo);
    EXPECT_EQ(limited.Text(), "ab");
}

TEST_F(MemoTest, TheEditMenuUndoesUnderTheSameRulesAndOffersNoControlCharacters) {
    TestMemo memo;
    memo.insertPlainText(Emoji);
    memo.selectAll();
    Press(memo, Qt::Key_Delete, "\x7F");
    memo.show();
    QMenu* shown = nullptr;
    QTimer::singleShot(0, [&] {
        shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(shown, nullptr);
        for (QAction* action : shown->actions()) {
            EXPECT_EQ(action->menu(), nullptr) << action->text().toStdString();
        }
        QAction* undo = shown->findChild<QAction*>("edit-undo");
        ASSERT_NE(undo, nullptr);
        undo->trigger();
        shown->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), memo.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(memo.viewport(), &event);
    QApplication::processEvents();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(memo.Text(), "");
    EXPECT_EQ(Refusals(), 1u);
}

}  // namespace
}  // namespace vlz

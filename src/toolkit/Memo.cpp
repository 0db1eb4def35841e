#include "toolkit/Memo.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>
#include <utility>

#include "platform/Cp932.h"
#include "platform/MessageBox.h"
#include "toolkit/Application.h"
#include "toolkit/FontMapping.h"

namespace vlz {

namespace {

constexpr const char* RefusedText =
    "Shift-JIS で保存できない文字が含まれているため、入力できません。";

// The character format property that marks a character of the document as the mark of a byte
// carrier; its value is the carrier. Formats move with the text through every edit, undo and
// redo, so the bytes stay with their mark.
constexpr int CarrierProperty = QTextFormat::UserProperty + 1;

// What this program's own memos put on the clipboard and into drags: the exact text besides the
// plain text that other programs see. Only an object made here is trusted with byte carriers,
// so nothing from outside can bring bytes in.
class TMemoMimeData : public QMimeData {
  public:
    TMemoMimeData(QString exact, const QString& shown) : Exact(std::move(exact)) { setText(shown); }
    const QString Exact;
};

std::size_t CharacterBytes(char32_t code) {
    if (code == U'\n' || code == U'\r' || code == QChar::ParagraphSeparator ||
        code == QChar::LineSeparator) {
        return 2;
    }
    if (code < 0x80) {
        return 1;
    }
    // Half-width katakana are single bytes in Shift-JIS.
    if (code >= 0xFF61 && code <= 0xFF9F) {
        return 1;
    }
    if (IsCp932ByteCarrier(code)) {
        return CarriedByteCount(code);
    }
    return 2;
}

std::string Caption() {
    auto* application = TApplication::Instance();
    return application ? application->Title() : std::string();
}

QString Normalized(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    return text;
}

QString FromCode(char32_t code) {
    return QString::fromUcs4(&code, 1);
}

// The text as the memo shows it: each byte carrier as its mark.
QString Shown(const QString& exact) {
    QString shown;
    shown.reserve(exact.size());
    for (const char32_t code : exact.toUcs4()) {
        shown += FromCode(IsCp932ByteCarrier(code) ? ShownCharacter(code) : code);
    }
    return shown;
}

// Whether everything but the byte carriers exists in Shift-JIS.
bool Storable(const QString& exact) {
    QString typed;
    typed.reserve(exact.size());
    for (const char32_t code : exact.toUcs4()) {
        if (!IsCp932ByteCarrier(code)) {
            typed += FromCode(code);
        }
    }
    return FitsCp932(typed.toStdString());
}

QTextCharFormat CarrierFormat(char32_t carrier) {
    QTextCharFormat format;
    format.setProperty(CarrierProperty, static_cast<uint>(carrier));
    return format;
}

// Inserts exact text at the cursor: plain characters in the plain format (never the format of a
// mark next to them), each byte carrier as its mark.
void InsertExact(QTextCursor& cursor, const QString& exact) {
    const QTextCharFormat plain;
    QString run;
    for (const char32_t code : exact.toUcs4()) {
        if (!IsCp932ByteCarrier(code)) {
            run += FromCode(code);
            continue;
        }
        if (!run.isEmpty()) {
            cursor.insertText(run, plain);
            run.clear();
        }
        cursor.insertText(FromCode(ShownCharacter(code)), CarrierFormat(code));
    }
    if (!run.isEmpty()) {
        cursor.insertText(run, plain);
    }
}

// What Qt's text control takes as typed text: everything but control characters, unless Control
// (with or without Shift) makes the key a shortcut. Format characters come in whatever the
// modifiers, as some layouts type them with Control and Shift.
bool TypesText(const QKeyEvent& event) {
    const QString text = event.text();
    if (text.isEmpty()) {
        return false;
    }
    const QChar first = text.front();
    if (first.category() == QChar::Other_Format) {
        return true;
    }
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers == Qt::ControlModifier ||
        modifiers == (Qt::ShiftModifier | Qt::ControlModifier)) {
        return false;
    }
    return first.category() != QChar::Other_Control;
}

}  // namespace

std::size_t EditByteLength(const QString& text) {
    std::size_t bytes = 0;
    for (const char32_t code : text.toUcs4()) {
        bytes += CharacterBytes(code);
    }
    return bytes;
}

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
    document()->setDocumentMargin(1);
    ApplyColors();
}

void TMemo::SetFont(const TFont& font) {
    FFont = font;
    setFont(ToQFont(font));
    ApplyColors();
}

void TMemo::SetColor(TColor color) {
    FColor = color;
    ApplyColors();
}

void TMemo::ApplyColors() {
    QPalette colors = palette();
    const QColor background = ToQColor(FColor);
    const QColor text = ToQColor(FFont.Color);
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        colors.setColor(group, QPalette::Base, background);
        colors.setColor(group, QPalette::Window, background);
        colors.setColor(group, QPalette::Text, text);
    }
    setPalette(colors);
}

int TMemo::EndPosition() const {
    return document()->characterCount() - 1;  // without the document's closing separator
}

QString TMemo::ExactText(int from, int to) const {
    QString text;
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        if (block.position() > from) {
            text += QChar('\n');  // the end of the block before
        }
        for (auto fragments = block.begin(); !fragments.atEnd(); ++fragments) {
            const QTextFragment fragment = fragments.fragment();
            const int start = std::max(from, fragment.position());
            const int end = std::min(to, fragment.position() + fragment.length());
            if (start >= end) {
                continue;
            }
            const QString part = fragment.text().mid(start - fragment.position(), end - start);
            const QVariant carrier = fragment.charFormat().property(CarrierProperty);
            if (!carrier.isValid()) {
                text += part;
                continue;
            }
            const auto code = static_cast<char32_t>(carrier.toUInt());
            const QString mark = FromCode(ShownCharacter(code));
            for (const QChar character : part) {
                text += character == mark.front() ? FromCode(code) : QString(character);
            }
        }
    }
    text.replace(QChar::LineSeparator, QChar('\n'));
    text.replace(QChar::ParagraphSeparator, QChar('\n'));
    return text;
}

std::string TMemo::Text() const {
    QString text = ExactText(0, EndPosition());
    text.replace(QChar('\n'), QStringLiteral("\r\n"));
    return text.toStdString();
}

void TMemo::SetText(const std::string& text) {
    const QString exact = Normalized(QString::fromStdString(text));
    // setPlainText gives the whole text the format at the cursor, which may be a mark's.
    QTextCursor cursor = textCursor();
    cursor.clearSelection();
    cursor.setCharFormat(QTextCharFormat());
    setTextCursor(cursor);
    setPlainText(Shown(exact));

    // The marks, each one character long in the document, get their carriers; the text was set
    // anew, so this is no step to undo.
    bool marked = false;
    int position = 0;
    for (const char32_t code : exact.toUcs4()) {
        if (!IsCp932ByteCarrier(code)) {
            position += code > 0xFFFF ? 2 : 1;
            continue;
        }
        if (!marked) {
            document()->setUndoRedoEnabled(false);
            marked = true;
        }
        QTextCursor mark(document());
        mark.setPosition(position);
        mark.setPosition(position + 1, QTextCursor::KeepAnchor);
        mark.setCharFormat(CarrierFormat(code));
        ++position;
    }
    if (marked) {
        document()->setUndoRedoEnabled(true);
    }
}

void TMemo::AddLine(const std::string& line) {
    appendPlainText(QString::fromStdString(line));
}

std::size_t TMemo::ByteLength() const {
    return EditByteLength(ExactText(0, EndPosition()));
}

QString TMemo::FittingPart(const QString& text, const QTextCursor& target) const {
    if (FMaxLength <= 0) {
        return text;
    }
    const std::size_t used =
        ByteLength() - EditByteLength(ExactText(target.selectionStart(), target.selectionEnd()));
    const std::size_t limit = static_cast<std::size_t>(FMaxLength);
    if (used >= limit) {
        return {};
    }
    std::size_t room = limit - used;
    QString fitting;
    for (const char32_t code : text.toUcs4()) {
        const std::size_t bytes = CharacterBytes(code);
        if (bytes > room) {
            break;
        }
        room -= bytes;
        fitting += FromCode(code);
    }
    return fitting;
}

bool TMemo::Insert(QTextCursor target, const QString& typed, bool carriersAllowed) {
    const QString text = Normalized(typed);
    if (text.isEmpty()) {
        return false;
    }
    if (!(carriersAllowed ? Storable(text) : FitsCp932(text.toStdString()))) {
        ShowMessageBox(RefusedText, Caption(), MB_OK | MB_ICONWARNING);
        return false;
    }
    const QString fitting = FittingPart(text, target);
    if (fitting.isEmpty()) {
        QApplication::beep();
        return false;
    }
    target.beginEditBlock();
    InsertExact(target, fitting);
    target.endEditBlock();
    setTextCursor(target);
    return true;
}

bool TMemo::InsertTyped(const QString& text) {
    return Insert(textCursor(), text, false);
}

void TMemo::StepHistory(bool backwards) {
    const std::size_t before = ByteLength();
    backwards ? undo() : redo();
    const QString text = ExactText(0, EndPosition());
    const std::size_t after = EditByteLength(text);
    const bool storable = Storable(text);
    const bool overLimit =
        FMaxLength > 0 && after > static_cast<std::size_t>(FMaxLength) && after > before;
    if (storable && !overLimit) {
        return;
    }
    backwards ? redo() : undo();
    if (!storable) {
        ShowMessageBox(RefusedText, Caption(), MB_OK | MB_ICONWARNING);
    } else {
        QApplication::beep();
    }
}

void TMemo::keyPressEvent(QKeyEvent* event) {
    if (!isReadOnly()) {
        if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
            StepHistory(event->matches(QKeySequence::Undo));
            event->accept();
            return;
        }
        const bool lineBreak = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (lineBreak || TypesText(*event)) {
            InsertTyped(lineBreak ? QStringLiteral("\n") : event->text());
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TMemo::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    if (commit.isEmpty() || isReadOnly()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    // The commit goes in first, under the rules, over the text the input method asks to replace;
    // then the preedit part, without the commit, as the edit would take it.
    QTextCursor target = textCursor();
    if ((event->replacementLength() > 0 || event->replacementStart() != 0) &&
        !target.hasSelection()) {
        const int start =
            std::clamp(target.position() + event->replacementStart(), 0, EndPosition());
        target.setPosition(start);
        target.setPosition(std::clamp(start + event->replacementLength(), 0, EndPosition()),
                           QTextCursor::KeepAnchor);
    }
    Insert(target, commit, false);
    QInputMethodEvent rest(event->preeditString(), event->attributes());
    QPlainTextEdit::inputMethodEvent(&rest);
    event->accept();
}

void TMemo::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu(event->pos());
    if (menu == nullptr) {
        return;
    }
    for (QAction* action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-undo") ||
            action->objectName() == QLatin1String("edit-redo")) {
            const bool backwards = action->objectName() == QLatin1String("edit-undo");
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this,
                    [this, backwards] { StepHistory(backwards); });
        } else if (action->menu() != nullptr) {
            // The submenu of Unicode control characters (right-to-left locales) inserts behind
            // the edit's back, and Shift-JIS holds none of them.
            menu->removeAction(action);
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

bool TMemo::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText();
}

void TMemo::insertFromMimeData(const QMimeData* source) {
    if (const auto* own = dynamic_cast<const TMemoMimeData*>(source)) {
        Insert(textCursor(), own->Exact, true);
    } else if (source->hasText()) {
        InsertTyped(source->text());
    }
}

QMimeData* TMemo::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    QString exact = ExactText(cursor.selectionStart(), cursor.selectionEnd());
    const QString shown = Shown(exact);
    return new TMemoMimeData(std::move(exact), shown);
}

}  // namespace vlz

#include "toolkit/Memo.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>

#include "platform/Cp932.h"
#include "platform/MessageBox.h"
#include "toolkit/Application.h"
#include "toolkit/FontMapping.h"

namespace vlz {

namespace {

constexpr const char* RefusedText =
    "Shift-JIS で保存できない文字が含まれているため、入力できません。";

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

std::string TMemo::Text() const {
    QString text = toPlainText();
    text.replace(QChar('\n'), QStringLiteral("\r\n"));
    return text.toStdString();
}

void TMemo::SetText(const std::string& text) {
    setPlainText(Normalized(QString::fromStdString(text)));
}

void TMemo::AddLine(const std::string& line) {
    appendPlainText(QString::fromStdString(line));
}

std::size_t TMemo::ByteLength() const {
    return EditByteLength(toPlainText());
}

QString TMemo::FittingPart(const QString& text) const {
    if (FMaxLength <= 0) {
        return text;
    }
    const std::size_t used = ByteLength() - EditByteLength(textCursor().selectedText());
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
        fitting += QString::fromUcs4(&code, 1);
    }
    return fitting;
}

bool TMemo::InsertTyped(const QString& typed) {
    const QString text = Normalized(typed);
    if (text.isEmpty()) {
        return false;
    }
    if (!FitsCp932(text.toStdString())) {
        ShowMessageBox(RefusedText, Caption(), MB_OK | MB_ICONWARNING);
        return false;
    }
    const QString fitting = FittingPart(text);
    if (fitting.isEmpty()) {
        QApplication::beep();
        return false;
    }
    insertPlainText(fitting);
    return true;
}

void TMemo::keyPressEvent(QKeyEvent* event) {
    const bool lineBreak = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const QString text = lineBreak ? QStringLiteral("\n") : event->text();
    const bool typing =
        lineBreak || (!text.isEmpty() && text.at(0).isPrint() &&
                      !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)));
    if (typing && !isReadOnly()) {
        InsertTyped(text);
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TMemo::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    if (commit.isEmpty()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    // Let the preedit part through without the commit, then insert the commit under the rules.
    QInputMethodEvent rest(event->preeditString(), event->attributes());
    QPlainTextEdit::inputMethodEvent(&rest);
    InsertTyped(commit);
    event->accept();
}

bool TMemo::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText();
}

void TMemo::insertFromMimeData(const QMimeData* source) {
    if (source->hasText()) {
        InsertTyped(source->text());
    }
}

}  // namespace vlz

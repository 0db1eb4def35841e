#include "about/LinkLabel.h"

#include <QMouseEvent>

#include "about/core/OpenLink.h"
#include "platform/Shell.h"

namespace vlz {

TLinkLabel::TLinkLabel(QWidget* owner) : QLabel(owner) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, QColor(0, 0, 0x80));  // navy, 0x800000
    setPalette(colors);
    QFont underlined = font();
    underlined.setBold(false);
    underlined.setItalic(false);
    underlined.setStrikeOut(false);
    underlined.setUnderline(true);
    setFont(underlined);
}

std::string TLinkLabel::Caption() const {
    return text().toStdString();
}

void TLinkLabel::SetCaption(const std::string& caption) {
    setText(QString::fromStdString(caption));
}

void TLinkLabel::Click() {
    if (OnClick) {
        OnClick();
    }
    try {
        OpenLink(Caption(), SW_SHOW);
    } catch (...) {
        // A link that cannot be opened is not worth a message; the user can click again.
    }
}

// A click is a press and a release of the left button on the label, as for any label.
void TLinkLabel::mousePressEvent(QMouseEvent* event) {
    FPressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    bool click = FPressed && event->button() == Qt::LeftButton &&
                 rect().contains(event->position().toPoint());
    FPressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click) {
        Click();
    }
}

}  // namespace vlz

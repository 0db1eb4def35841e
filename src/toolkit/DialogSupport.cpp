#include "toolkit/DialogSupport.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace vlz {

QFont DesignFont(const char* face, bool bold) {
    QFont font(QString::fromUtf8(face));
    font.setPixelSize(12);
    font.setBold(bold);
    return font;
}

void CentreOnScreen(QWidget& window) {
    QScreen* screen = window.isVisible() ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QRect area = screen->availableGeometry();
    QSize size = window.frameSize().isValid() ? window.frameSize() : window.size();
    window.move(area.x() + (area.width() - size.width()) / 2,
                area.y() + (area.height() - size.height()) / 2);
}

bool PressDefaultButton(QKeyEvent* event, QWidget* focus, QPushButton* defaultButton) {
    if ((event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) ||
        (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        return false;
    }
    if (auto* focusedButton = qobject_cast<QPushButton*>(focus)) {
        if (focusedButton->isEnabled()) {
            focusedButton->click();
            return true;
        }
    }
    if (defaultButton != nullptr && defaultButton->isEnabled()) {
        defaultButton->click();
        return true;
    }
    return false;
}

int FrameOfTick(std::int32_t counter, std::int32_t patternCount) {
    if (patternCount < 1) {
        return 0;
    }
    std::int32_t frame = counter % patternCount;
    return frame < 0 ? frame + patternCount : frame;
}

std::int32_t NextTick(std::int32_t counter) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(counter) + 1u);
}

}  // namespace vlz

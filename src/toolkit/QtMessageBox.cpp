#include "toolkit/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

namespace vlz {

namespace {

QMessageBox::Icon IconOf(unsigned flags) {
    switch (flags & MB_ICONMASK) {
        case MB_ICONERROR:
            return QMessageBox::Critical;
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONWARNING:
            return QMessageBox::Warning;
        case MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

struct Choice {
    const char* Text;
    QMessageBox::ButtonRole Role;
    int Answer;
};

std::vector<Choice> ChoicesOf(unsigned flags) {
    switch (flags & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return {{"OK", QMessageBox::AcceptRole, IDOK},
                    {"キャンセル", QMessageBox::RejectRole, IDCANCEL}};
        case MB_YESNO:
            return {{"はい(&Y)", QMessageBox::YesRole, IDYES},
                    {"いいえ(&N)", QMessageBox::NoRole, IDNO}};
        default:
            return {{"OK", QMessageBox::AcceptRole, IDOK}};
    }
}

}  // namespace

int QtMessageBoxHook::Show(std::string_view text, std::string_view caption, unsigned flags,
                           MessageBoxOwner /*owner*/) {
    if (QApplication::instance() == nullptr) {
        return DefaultAnswer(flags);
    }
    QMessageBox box(IconOf(flags),
                    QString::fromUtf8(caption.data(), static_cast<int>(caption.size())),
                    QString::fromUtf8(text.data(), static_cast<int>(text.size())));
    box.setTextFormat(Qt::PlainText);
    // The program's own windows carry no task-bar button and may be hidden: keep the box where
    // the user sees it.
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    const std::vector<Choice> choices = ChoicesOf(flags);
    std::vector<QPushButton*> buttons;
    for (const Choice& choice : choices) {
        buttons.push_back(box.addButton(QString::fromUtf8(choice.Text), choice.Role));
    }
    const std::size_t defaultIndex =
        (flags & MB_DEFMASK) == MB_DEFBUTTON2 && buttons.size() > 1 ? 1 : 0;
    box.setDefaultButton(buttons[defaultIndex]);
    // Escape means Cancel where there is one; a lone OK answers Escape too. Yes/No has no escape.
    if ((flags & MB_TYPEMASK) == MB_OKCANCEL) {
        box.setEscapeButton(buttons[1]);
    } else if ((flags & MB_TYPEMASK) == MB_OK) {
        box.setEscapeButton(buttons[0]);
    }
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (std::size_t index = 0; index < buttons.size(); ++index) {
        if (buttons[index] == clicked) {
            return choices[index].Answer;
        }
    }
    // Closed by the window manager: Cancel when there is one, otherwise the default button.
    return (flags & MB_TYPEMASK) == MB_OKCANCEL ? IDCANCEL : choices[defaultIndex].Answer;
}

}  // namespace vlz

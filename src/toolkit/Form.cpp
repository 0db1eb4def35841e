#include "toolkit/Form.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

#include "toolkit/Application.h"
#include "toolkit/DialogSupport.h"

namespace vlz {

TForm::TForm(Qt::WindowFlags flags) : QWidget(nullptr, flags) {
    if (auto* application = TApplication::Instance()) {
        setWindowTitle(QString::fromStdString(application->Title()));
    }
}

TForm::~TForm() {
    if (FModalLoop != nullptr) {
        FModalLoop->exit(0);
    }
    if (auto* application = TApplication::Instance();
        application && application->MainForm() == this) {
        application->SetMainForm(nullptr);
    }
}

std::string TForm::Caption() const {
    return windowTitle().toStdString();
}

void TForm::SetCaption(const std::string& caption) {
    setWindowTitle(QString::fromStdString(caption));
}

void TForm::SetClientSize(int width, int height) {
    setFixedSize(width, height);
}

void TForm::SetLeft(int left) {
    FPositionSet = true;
    move(left, y());
}

void TForm::SetTop(int top) {
    FPositionSet = true;
    move(x(), top);
}

void TForm::Show() {
    show();
}

void TForm::Hide() {
    hide();
}

bool TForm::Close() {
    QPointer<TForm> self(this);
    const bool closed = close();
    return self.isNull() || closed;
}

void TForm::RunCreate() {
    Guarded([this] { FormCreate(); });
}

TModalResult TForm::ShowModal() {
    if (FModalLoop != nullptr) {
        return mrNone;  // already shown modally
    }
    FModalResult = mrNone;
    setWindowModality(Qt::ApplicationModal);
    Show();
    raise();
    activateWindow();
    QEventLoop loop;
    FModalLoop = &loop;
    QPointer<TForm> self(this);
    if (isVisible()) {
        loop.exec(QEventLoop::DialogExec);
    }
    if (self.isNull()) {
        return mrCancel;
    }
    FModalLoop = nullptr;
    setWindowModality(Qt::NonModal);
    if (isVisible()) {
        hide();
    }
    return FModalResult == mrNone ? mrCancel : FModalResult;
}

void TForm::SetModalResult(TModalResult result) {
    FModalResult = result;
    if (result != mrNone && FModalLoop != nullptr) {
        close();
    }
}

void TForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Qt sends the show event before it maps the window, so the platform settings still reach
    // the window system in time; show() and Show() run the same hooks.
    if (!event->spontaneous()) {
        Guarded([this] { BeforeShow(); });
        Guarded([this] { FormShow(); });
    }
}

void TForm::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous()) {
        Guarded([this] { FormHide(); });
        if (FModalLoop != nullptr) {
            FModalLoop->exit(0);
        }
    }
}

void TForm::closeEvent(QCloseEvent* event) {
    bool canClose = true;
    Guarded([&] { FormCloseQuery(canClose); });
    if (!canClose) {
        event->ignore();
        if (FModalLoop != nullptr) {
            FModalResult = mrNone;
        }
        return;
    }
    auto* application = TApplication::Instance();
    const bool isMain = application != nullptr && application->MainForm() == this;
    TCloseAction action = isMain ? TCloseAction::caFree : TCloseAction::caHide;
    Guarded([&] { FormClose(action); });
    if (action == TCloseAction::caNone) {
        event->ignore();
        return;
    }
    if (FModalLoop != nullptr && FModalResult == mrNone) {
        FModalResult = mrCancel;
    }
    event->accept();
    if (isMain) {
        // The main form's owner destroys it after the event loop; closing it ends the loop.
        application->Terminate();
    }
}

void TForm::keyPressEvent(QKeyEvent* event) {
    if (PressDefaultButton(event, focusWidget(), FDefaultButton)) {
        return;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (FCancelButton != nullptr && FCancelButton->isEnabled()) {
            FCancelButton->click();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace vlz

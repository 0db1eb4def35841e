#include "trayicon/FormWindow.h"

#include <QPointer>
#include <QWidget>

namespace vlz {
namespace {

// Lives as a child of its form, so the handle goes when the form does.
class FormWindow : public QObject, public TMessageWindow {
  public:
    explicit FormWindow(QWidget* form) : QObject(form), FForm(form), FHandle(AllocateHWnd(this)) {}
    ~FormWindow() override { DeallocateHWnd(FHandle); }

    HWND Handle() const { return FHandle; }

    void WindowProc(unsigned, WPARAM, LPARAM) override {}

    void BringToFront() override {
        if (FForm) {
            FForm->raise();
            FForm->activateWindow();
        }
    }

  private:
    QPointer<QWidget> FForm;
    HWND FHandle;
};

}  // namespace

HWND FormWindowHandle(QWidget* form) {
    if (!form) {
        return 0;
    }
    for (QObject* child : form->children()) {
        if (auto* window = dynamic_cast<FormWindow*>(child)) {
            return window->Handle();
        }
    }
    return (new FormWindow(form))->Handle();
}

}  // namespace vlz

#pragma once
// The form base: a top-level window with the handler hooks the program's forms use (create, show,
// hide, close query, close with its close action) and modal showing. A form's destruction handler
// is its destructor.

#include <QWidget>
#include <memory>
#include <string>
#include <utility>

class QEventLoop;
class QPushButton;

namespace vlz {

enum class TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;

class TForm : public QWidget {
    Q_OBJECT
  public:
    explicit TForm(Qt::WindowFlags flags = Qt::Window);
    ~TForm() override;

    std::string Caption() const;
    void SetCaption(const std::string& caption);
    // The client area is fixed: the forms are laid out in pixels at 96 dots per inch.
    void SetClientSize(int width, int height);

    int Left() const { return x(); }
    int Top() const { return y(); }
    void SetLeft(int left);
    void SetTop(int top);
    // Whether Left or Top was ever set: a form without a position is placed by the system.
    bool PositionSet() const { return FPositionSet; }

    bool Visible() const { return isVisible(); }
    void Show();
    void Hide();

    // Runs the close query and the close handler; true when the form has closed.
    bool Close();

    // Shows the form modally and returns the modal result that ended it.
    TModalResult ShowModal();
    TModalResult ModalResult() const { return FModalResult; }
    // Setting a result other than mrNone closes a form that is shown modally.
    void SetModalResult(TModalResult result);

    // The button that Enter presses when the focus is on no other button, and the one that Escape
    // presses. A form without a cancel button ignores Escape.
    void SetDefaultButton(QPushButton* button) { FDefaultButton = button; }
    void SetCancelButton(QPushButton* button) { FCancelButton = button; }

    // The creation handler, run under the application's exception guard. Every form calls this
    // once right after its construction (CreateForm does so).
    void RunCreate();

  protected:
    virtual void FormCreate() {}
    virtual void FormShow() {}
    virtual void FormHide() {}
    virtual void FormCloseQuery(bool& /*CanClose*/) {}
    virtual void FormClose(TCloseAction& /*Action*/) {}
    // Runs on every show just before the window is mapped, ahead of FormShow (platform window
    // settings, placement).
    virtual void BeforeShow() {}

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    bool FPositionSet = false;
    TModalResult FModalResult = mrNone;
    QEventLoop* FModalLoop = nullptr;
    QPushButton* FDefaultButton = nullptr;
    QPushButton* FCancelButton = nullptr;
};

// Constructs a form and runs its creation handler.
template <class Form, class... Arguments>
std::unique_ptr<Form> CreateForm(Arguments&&... arguments) {
    auto form = std::make_unique<Form>(std::forward<Arguments>(arguments)...);
    form->RunCreate();
    return form;
}

}  // namespace vlz

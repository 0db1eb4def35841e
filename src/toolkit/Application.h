#pragma once
// The application object: the program's title, its main form, and the guard that turns an
// exception reaching the event loop, a timer or a form's creation into a message box, after which
// the program carries on.

#include <QApplication>
#include <exception>
#include <functional>
#include <string>
#include <thread>

namespace vlz {

class TForm;

class TApplication : public QApplication {
    Q_OBJECT
  public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    // The one application object, or nullptr before it exists and after it is gone.
    static TApplication* Instance();

    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& title);

    // The first form created becomes the main form; closing it ends the event loop.
    TForm* MainForm() const { return FMainForm; }
    void SetMainForm(TForm* form);
    bool ShowMainForm() const { return FShowMainForm; }
    void SetShowMainForm(bool show) { FShowMainForm = show; }

    // Ends the event loop as soon as it runs (or at once when it runs already).
    void Terminate();
    bool Terminated() const { return FTerminated; }

    // Runs the event loop unless Terminate was asked for before it.
    int Run();

    // Shows the message of the exception in flight (or of the given one) with the title as
    // caption and the error icon.
    void HandleException(std::exception_ptr error);
    void ShowException(const std::string& message);

    bool notify(QObject* receiver, QEvent* event) override;

  private:
    std::string FTitle;
    TForm* FMainForm = nullptr;
    bool FShowMainForm = true;
    bool FTerminated = false;
};

// Runs an event handler of the program: whatever it throws is shown by the application object
// (or written to standard error when there is none) and goes no further.
void Guarded(const std::function<void()>& handler);

// Chooses Qt's platform before the application object exists: the xcb platform whenever an X
// display is there (windows cannot place themselves under Wayland). Returns false, after telling
// the user on standard error, when there is no X display (a Wayland session without XWayland
// included). A platform chosen in QT_QPA_PLATFORM is left alone.
bool PrepareDisplay();

// Japanese for Qt's own buttons and dialogs, the substitute for the program's Windows fonts, and
// the system colours from the desktop palette. Call once after the application object exists.
void PrepareDesktop(TApplication& application);

// Reads the font configuration and has Qt's font database find the Japanese face the notes show
// and the faces that stand in for characters it lacks, on another thread, while this one goes on
// building the program. Both are shared by every thread; the faces themselves are opened again by
// the thread that draws (Qt keeps opened faces per thread), from files then in the system's
// cache. The returned thread is done when it can be joined; let it go out of scope no later than
// the application object. Call after PrepareDesktop.
std::jthread PrepareFonts();

}  // namespace vlz

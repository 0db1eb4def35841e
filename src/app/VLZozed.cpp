// The program's main routine: one instance only, the four forms in order, the notes loaded, the
// event loop, the instance marker released.

#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "about/About.h"
#include "app/Config.h"
#include "app/Main.h"
#include "app/core/Autostart.h"
#include "app/core/FileLocations.h"
#include "app/core/SingleInstance.h"
#include "notes/ZozedProp.h"
#include "platform/ExceptionText.h"
#include "platform/ExecutablePath.h"
#include "platform/MemoryAdvice.h"
#include "platform/MessageBox.h"
#include "platform/ScopeGuard.h"
#include "platform/WindowFinder.h"
#include "toolkit/Application.h"
#include "toolkit/ApplicationWindow.h"
#include "toolkit/QtClipboard.h"
#include "toolkit/QtDesktop.h"
#include "toolkit/QtMessageBox.h"
#include "toolkit/QtNotifyIconShell.h"
#include "toolkit/Termination.h"

int main(int argc, char** argv) {
    using namespace vlz;
    if (!PrepareDisplay()) {
        return 1;
    }
    // Finding the running instance needs Qt's event machinery, not a window: a core application
    // would do, but the second start must not touch any file, and creating the widgets
    // application touches none either.
    TApplication application(argc, argv);
    QtMessageBoxHook messageBoxes;
    TInstalledHook<MessageBoxHook> boxesInstalled(InstallMessageBoxHook, &messageBoxes);
    TApplicationWindowFinder finder;
    TInstalledHook<WindowFinderHook> finderInstalled(InstallWindowFinderHook, &finder);

    // The running instance's marker, held for the whole run.
    ATOM marker = 0;
    TApplicationWindowServer windowServer;
    if (RefusePrevInstance(
            marker, [&] { return windowServer.Listen(ApplicationClassName, ApplicationTitle); })) {
        return 0;
    }
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    application.SetTitle(ApplicationTitle);
    // Task switchers and Wayland compositors match the windows to the installed desktop entry.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(ApplicationId));
    PrepareDesktop(application);
    // The first note's memo waits for its face; it loads while the forms are made.
    std::jthread fonts = PrepareFonts();

    TFileLocations files;
    try {
        files = LocateFiles(ExecutablePath());
    } catch (const std::exception&) {
        ShowMessageBox(ExceptionText(std::current_exception()), ApplicationTitle,
                       MB_OK | MB_ICONERROR);
        ReleaseInstanceMarker(marker);
        return 1;
    }
    const TAutostartEntry autostart(files.AutostartEntry, ExecutablePath());

    QtDesktop desktop;
    QtNotifyIconShell shell;
    QtClipboardHook clipboard;
    TInstalledHook<ClipboardHook> clipboardInstalled(InstallClipboardHook, &clipboard);

    auto mainForm = std::make_unique<TMainForm>(files);
    mainForm->SetTrayHostMenu(&shell);
#ifdef VLZ_TEST_HOOKS
    // The end-to-end tests see the auto-save timer's rules in seconds instead of minutes, and
    // count the minutes as they pass on standard error: a box shown at start-up is open, or the
    // auto-save timer has ticked, for as many minutes as they count.
    std::unique_ptr<QTimer> minutes;
    const char* minuteSetting = std::getenv("VLZ_TEST_MINUTE_MS");
    if (const int minute = minuteSetting ? std::atoi(minuteSetting) : 0; minute > 0) {
        mainForm->SetMinuteLength(minute);
        minutes = std::make_unique<QTimer>();
        minutes->setInterval(minute);
        QObject::connect(minutes.get(), &QTimer::timeout, [count = 0]() mutable {
            std::fprintf(stderr, "test hook: minute %d\n", ++count);
        });
        minutes->start();
    }
#endif
    application.SetMainForm(mainForm.get());
    mainForm->RunCreate();
    auto configForm = CreateForm<TConfigForm>(*mainForm, autostart);
    auto propForm = CreateForm<TZozedPropForm>(*mainForm);
    auto aboutForm = CreateForm<TVLZozedAboutForm>(*mainForm);
    mainForm->SetDialogs(configForm.get(), propForm.get(), aboutForm.get());

    // A later start finds this instance by the name it listens on and asks it forward.
    QObject::connect(&windowServer, &TApplicationWindowServer::ActivationRequested, mainForm.get(),
                     [&] { Guarded([&] { mainForm->BringForward(); }); });
    TTerminationWatcher termination([&] { mainForm->EndSession(); });

    Guarded([&] { mainForm->LoadAll(); });
    // Start-up leaves freed memory behind (packages read, pictures decoded, the font
    // configuration parsed, the first layouts) and the code that did it mapped; once the notes
    // are painted both go back, and what the notes go on using maps in again as it is touched.
    // The font thread is waited for first: a thread's faces are unmapped as it ends, and pages
    // are only dropped from mappings that stay what they were when they were listed.
    QTimer::singleShot(2000, &application, [&fonts] {
        if (fonts.joinable()) {
            fonts.join();
        }
        ReturnFreeMemory();
        ReleaseFilePages();
    });
#ifdef VLZ_TEST_HOOKS
    // Start-up is over: a change it made would be waiting for its save now.
    QTimer::singleShot(2000, &application, [form = mainForm.get()] {
        std::fprintf(stderr, "test hook: started, %s\n",
                     form->ChangesPending() ? "changes pending" : "nothing to save");
    });
#endif
    const int status = application.Run();
    ReleaseInstanceMarker(marker);

    mainForm->SetDialogs(nullptr, nullptr, nullptr);
    aboutForm.reset();
    propForm.reset();
    configForm.reset();
    mainForm.reset();
    return status;
}

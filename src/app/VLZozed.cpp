// The program's main routine: one instance only, the four forms in order, the notes loaded, the
// event loop, the instance marker released.

#include <QTimer>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "about/About.h"
#include "app/Autostart.h"
#include "app/Config.h"
#include "app/FileLocations.h"
#include "app/Main.h"
#include "app/SingleInstance.h"
#include "notes/ZozedProp.h"
#include "platform/ExecutablePath.h"
#include "platform/MessageBox.h"
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
    MessageBoxHook* previousBoxes = InstallMessageBoxHook(&messageBoxes);
    TApplicationWindowFinder finder;
    WindowFinderHook* previousFinder = InstallWindowFinderHook(&finder);

    // The running instance's marker, held for the whole run.
    ATOM marker = 0;
    // Two starts at the same moment can both pass the marker check while neither window exists
    // yet. Only one of them can take the application window's name; the other ends as a second
    // start does, leaving the marker to the one that runs.
    TApplicationWindowServer windowServer;
    if (CheckPrevInstance(marker) || !windowServer.Listen(ApplicationClassName, ApplicationTitle)) {
        if (!windowServer.IsListening()) {
            if (HWND running = FindWindow(ApplicationClassName, ApplicationTitle)) {
                SetForegroundApplicationWindow(running);
            }
        }
        InstallWindowFinderHook(previousFinder);
        InstallMessageBoxHook(previousBoxes);
        return 0;
    }
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    application.SetTitle("Velloric付箋");
    // Task switchers and Wayland compositors match the windows to the installed desktop entry.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(ApplicationId));
    PrepareDesktop(application);

    TFileLocations files;
    try {
        files = LocateFiles(ExecutablePath());
    } catch (const std::exception&) {
        ShowMessageBox(ExceptionText(std::current_exception()), "Velloric付箋",
                       MB_OK | MB_ICONERROR);
        ReleaseInstanceMarker(marker);
        InstallWindowFinderHook(previousFinder);
        InstallMessageBoxHook(previousBoxes);
        return 1;
    }
    const TAutostartEntry autostart(files.AutostartEntry, ExecutablePath());

    QtDesktop desktop;
    QtNotifyIconShell shell;
    QtClipboardHook clipboard;
    ClipboardHook* previousClipboard = InstallClipboardHook(&clipboard);

    int status = 0;
    {
        auto mainForm = std::make_unique<TMainForm>(files);
        application.SetMainForm(mainForm.get());
        mainForm->RunCreate();
        auto configForm = CreateForm<TConfigForm>(*mainForm, autostart);
        auto propForm = CreateForm<TZozedPropForm>(*mainForm);
        auto aboutForm = CreateForm<TVLZozedAboutForm>(*mainForm);
        mainForm->ConfigForm = configForm.get();
        mainForm->ZozedPropForm = propForm.get();
        mainForm->VLZozedAboutForm = aboutForm.get();

        // A later start finds this instance by the name it listens on and asks it forward.
        QObject::connect(&windowServer, &TApplicationWindowServer::ActivationRequested,
                         mainForm.get(), [&] { Guarded([&] { mainForm->BringForward(); }); });
        TTerminationWatcher termination([&] { mainForm->Close(); });

        Guarded([&] { mainForm->LoadAll(); });
        status = application.Run();
        ReleaseInstanceMarker(marker);

        mainForm->ConfigForm = nullptr;
        mainForm->ZozedPropForm = nullptr;
        mainForm->VLZozedAboutForm = nullptr;
        aboutForm.reset();
        propForm.reset();
        configForm.reset();
        mainForm.reset();
    }
    InstallClipboardHook(previousClipboard);
    InstallWindowFinderHook(previousFinder);
    InstallMessageBoxHook(previousBoxes);
    return status;
}

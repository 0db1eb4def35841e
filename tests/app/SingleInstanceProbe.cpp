// A stand-in for the program's start: the same single-instance check and listening, then a file
// written beside the executable (as the program's note file would be). It reports on standard
// output ("refused", "running", "activated") and ends when its standard input closes.

#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <fstream>

#include "app/core/SingleInstance.h"
#include "platform/ExecutablePath.h"
#include "platform/WindowFinder.h"
#include "toolkit/ApplicationWindow.h"

namespace {

void Report(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    vlz::TApplicationWindowFinder finder;
    vlz::InstallWindowFinderHook(&finder);

    vlz::ATOM marker = 0;
    if (vlz::CheckPrevInstance(marker)) {
        Report("refused");
        return 0;
    }
    vlz::TApplicationWindowServer server;
    if (!server.Listen(vlz::ApplicationClassName, vlz::ApplicationTitle)) {
        // Another start of the same moment took the window's name first: this one is the second.
        if (vlz::HWND running = vlz::FindWindow(vlz::ApplicationClassName, vlz::ApplicationTitle)) {
            vlz::SetForegroundApplicationWindow(running);
        }
        Report("refused");
        return 0;
    }
    QObject::connect(&server, &vlz::TApplicationWindowServer::ActivationRequested,
                     [] { Report("activated"); });
    std::ofstream(vlz::ChangeFileExt(vlz::ExecutablePath(), ".ini")) << "[0]\r\n";
    Report("running");

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            input.setEnabled(false);
            QCoreApplication::quit();
        }
    });
    int status = QCoreApplication::exec();
    vlz::ReleaseInstanceMarker(marker);
    return status;
}

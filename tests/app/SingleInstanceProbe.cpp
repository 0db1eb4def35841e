// A stand-in for the program's start: the same single-instance rule, then a file written beside
// the executable (as the program's note file would be). It reports on standard output ("running",
// "activated", or "refused" followed by "asked forward N times") and ends when its standard input
// closes.

#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "app/core/SingleInstance.h"
#include "platform/ExecutablePath.h"
#include "platform/WindowFinder.h"
#include "toolkit/ApplicationWindow.h"

namespace {

void Report(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

// The real finder, counting the requests to come forward that reach a running instance.
class CountingFinder : public vlz::WindowFinderHook {
  public:
    vlz::HWND FindWindow(std::string_view className, std::string_view windowName) override {
        return finder_.FindWindow(className, windowName);
    }
    bool SetForegroundWindow(vlz::HWND window) override {
        const bool delivered = finder_.SetForegroundWindow(window);
        Delivered += delivered ? 1 : 0;
        return delivered;
    }

    int Delivered = 0;

  private:
    vlz::TApplicationWindowFinder finder_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    CountingFinder finder;
    vlz::InstallWindowFinderHook(&finder);

    vlz::ATOM marker = 0;
    vlz::TApplicationWindowServer server;
    if (vlz::RefusePrevInstance(marker, [&] {
            return server.Listen(vlz::ApplicationClassName, vlz::ApplicationTitle);
        })) {
        Report("refused");
        Report(("asked forward " + std::to_string(finder.Delivered) + " times").c_str());
        vlz::InstallWindowFinderHook(nullptr);
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

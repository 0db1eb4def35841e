#include "toolkit/Termination.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <array>
#include <cerrno>

#include "toolkit/Application.h"

namespace vlz {

namespace {

std::array<int, 2> SignalPipe{-1, -1};
constexpr std::array<int, 3> EndingSignals{SIGTERM, SIGHUP, SIGINT};

void OnSignal(int number) {
    const int saved = errno;
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = ::write(SignalPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

TTerminationWatcher::TTerminationWatcher(std::function<void()> onTerminate, QObject* parent)
    : QObject(parent), FOnTerminate(std::move(onTerminate)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, SignalPipe.data()) ==
        0) {
        FNotifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, this);
        connect(FNotifier, &QSocketNotifier::activated, this, &TTerminationWatcher::ReadSignal);
        struct sigaction action {};
        action.sa_handler = &OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int number : EndingSignals) {
            ::sigaction(number, &action, nullptr);
        }
    }
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(application, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager&) { Guarded(FOnTerminate); });
    }
}

TTerminationWatcher::~TTerminationWatcher() {
    for (const int number : EndingSignals) {
        ::signal(number, SIG_DFL);
    }
    delete FNotifier;
    FNotifier = nullptr;
    for (int& descriptor : SignalPipe) {
        if (descriptor >= 0) {
            ::close(descriptor);
            descriptor = -1;
        }
    }
}

void TTerminationWatcher::ReadSignal() {
    char buffer[16];
    while (::read(SignalPipe[0], buffer, sizeof buffer) > 0) {
    }
    Guarded(FOnTerminate);
}

}  // namespace vlz

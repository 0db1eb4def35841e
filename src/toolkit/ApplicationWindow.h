#pragma once
// How one instance of the program finds another and brings it forward. A running instance listens
// on a local socket of the user, named after its application window's class and title (in the
// abstract namespace: a second listener is refused, and nothing is left behind by a crash).
// Finding the window is connecting to it; bringing it to the front is a message on which the
// running instance activates its last active window.

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <map>
#include <memory>
#include <string_view>

#include "platform/WindowFinder.h"

class QLocalSocket;

namespace vlz {

// The socket name for a window class and title: per user, per executable file name (the text of
// the instance marker) and per atom table (so that instances that cannot see each other's atoms
// do not see each other's windows either).
QString ApplicationWindowSocketName(std::string_view className, std::string_view windowName);

// The running instance's side: listens, and reports each request to come forward.
class TApplicationWindowServer : public QObject {
    Q_OBJECT

  public:
    explicit TApplicationWindowServer(QObject* parent = nullptr);
    ~TApplicationWindowServer() override;

    // Starts listening; false when another instance listens already (or the socket cannot be
    // made), in which case this one is not the running instance.
    bool Listen(std::string_view className, std::string_view windowName);
    bool IsListening() const;

  signals:
    // Another start asked this instance to come to the front.
    void ActivationRequested();

  private:
    void AcceptConnections();

    QLocalServer server_;
};

// The finder hook over those sockets; install it before the single-instance check.
class TApplicationWindowFinder : public WindowFinderHook {
  public:
    TApplicationWindowFinder();
    ~TApplicationWindowFinder() override;

    HWND FindWindow(std::string_view className, std::string_view windowName) override;
    bool SetForegroundWindow(HWND window) override;

  private:
    std::map<HWND, std::unique_ptr<QLocalSocket>> windows_;
    HWND nextWindow_ = 1;
};

}  // namespace vlz

#pragma once
// How one instance of the program finds another and brings it forward. A running instance listens
// on a local socket named after its application window's class and title, in the user's private
// runtime folder (the atom table's, mode 0700): no other user can connect to it, nor take its name
// first. Who may listen is settled by a lock beside the socket, which the system drops when its
// holder ends in any way, so a socket left by a crash never stops the next start. Finding the
// window is connecting to it; bringing it to the front is a message on which the running instance
// activates its last active window.

#include <QObject>
#include <QString>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/WindowFinder.h"

class QSocketNotifier;

namespace vlz {

// The socket's path for a window class and title: per user, per executable file name (the text of
// the instance marker) and per atom table (so that instances that cannot see each other's atoms
// do not see each other's windows either). Empty when the user has no private runtime folder.
QString ApplicationWindowSocketPath(std::string_view className, std::string_view windowName);

// The running instance's side: listens, and reports each request to come forward.
class TApplicationWindowServer : public QObject {
    Q_OBJECT

  public:
    explicit TApplicationWindowServer(QObject* parent = nullptr);
    ~TApplicationWindowServer() override;

    // Takes the window's name and starts listening; false when another instance holds the name,
    // in which case this one is not the running instance. When the name cannot be had for another
    // reason (no private runtime folder, a path too long for a socket), this instance runs on
    // without being findable, as it runs on without an instance marker.
    bool Listen(std::string_view className, std::string_view windowName);
    bool IsListening() const;

  signals:
    // Another start asked this instance to come to the front.
    void ActivationRequested();

  private:
    struct TConnection;

    void AcceptConnections();
    void ReadFrom(int descriptor);
    void Drop(int descriptor);

    std::string path_;
    int listener_ = -1;
    std::unique_ptr<QSocketNotifier> acceptNotifier_;
    std::map<int, std::unique_ptr<TConnection>> connections_;
    int lock_ = -1;  // held for the whole run
};

// The finder hook over those sockets; install it before the single-instance check.
class TApplicationWindowFinder : public WindowFinderHook {
  public:
    TApplicationWindowFinder();
    ~TApplicationWindowFinder() override;

    HWND FindWindow(std::string_view className, std::string_view windowName) override;
    bool SetForegroundWindow(HWND window) override;

  private:
    std::map<HWND, int> windows_;  // connected sockets
    HWND nextWindow_ = 1;
};

}  // namespace vlz

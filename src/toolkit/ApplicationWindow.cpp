#include "toolkit/ApplicationWindow.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <QSocketNotifier>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Cp932Case.h"
#include "platform/ExecutablePath.h"
#include "platform/GlobalAtom.h"

namespace vlz {
namespace {

constexpr int TimeoutMilliseconds = 1000;
constexpr std::string_view ActivateMessage = "activate\n";
// No message is longer; a peer that sends more without a line break is cut off.
constexpr std::size_t LongestMessage = 256;

// Whether the other end of a connection runs as this user: the folder already keeps others out,
// and this keeps out whatever reaches the socket some other way.
bool PeerIsThisUser(int descriptor) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return ::getsockopt(descriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           credentials.uid == ::geteuid();
}

// The socket address of a path; false when the path is too long for one.
bool SocketAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

std::string EncodedPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

QString ApplicationWindowSocketPath(std::string_view className, std::string_view windowName) {
    // Programs of other file names may run beside this one with the same window class and title,
    // so the name also holds this executable's file name (folded, as the atom's text is).
    const std::string table = GlobalAtomFolder();
    if (table.empty()) {
        return {};
    }
    const std::string program = Cp932LowerCase(ExtractFileName(ExecutablePath()));
    QByteArray identity;
    for (std::string_view part :
         {className, windowName, std::string_view(table), std::string_view(program)}) {
        identity.append(part.data(), static_cast<qsizetype>(part.size()));
        identity.append('\0');
    }
    QByteArray digest =
        QCryptographicHash::hash(identity, QCryptographicHash::Sha1).toHex().left(16);
    return QFile::decodeName(table.c_str()) + '/' +
           QString::fromUtf8(className.data(), static_cast<qsizetype>(className.size())) + '-' +
           QString::number(::geteuid()) + '-' + QString::fromLatin1(digest);
}

struct TApplicationWindowServer::TConnection {
    std::unique_ptr<QSocketNotifier> notifier;
    std::string received;
};

TApplicationWindowServer::TApplicationWindowServer(QObject* parent) : QObject(parent) {}

TApplicationWindowServer::~TApplicationWindowServer() {
    // The socket goes before the lock, so that whoever takes the lock next finds no live socket.
    for (auto& [descriptor, connection] : connections_) {
        connection->notifier.reset();
        ::close(descriptor);
    }
    connections_.clear();
    if (listener_ >= 0) {
        acceptNotifier_.reset();
        ::close(listener_);
        ::unlink(path_.c_str());
    }
    if (lock_ >= 0) {
        ::close(lock_);
    }
}

bool TApplicationWindowServer::Listen(std::string_view className, std::string_view windowName) {
    const QString path = ApplicationWindowSocketPath(className, windowName);
    if (path.isEmpty()) {
        return true;
    }
    const std::string lockPath = EncodedPath(path + QStringLiteral(".lock"));
    lock_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock_ < 0) {
        return true;
    }
    if (::flock(lock_, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(lock_);
        lock_ = -1;
        return !held;
    }
    const std::string socketPath = EncodedPath(path);
    sockaddr_un address;
    const auto fail = [&](const char* reason) {
        std::fprintf(stderr, "VLZozed: a later start cannot find this one: %s\n", reason);
        if (listener_ >= 0) {
            ::close(listener_);
            listener_ = -1;
        }
        return true;
    };
    if (!SocketAddress(socketPath, address)) {
        return fail("the socket's path is too long");
    }
    listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener_ < 0) {
        return fail(std::strerror(errno));
    }
    // Holding the lock, any socket there is one that an ended instance left behind.
    ::unlink(socketPath.c_str());
    if (::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 8) != 0) {
        return fail(std::strerror(errno));
    }
    path_ = socketPath;
    acceptNotifier_ = std::make_unique<QSocketNotifier>(listener_, QSocketNotifier::Read);
    connect(acceptNotifier_.get(), &QSocketNotifier::activated, this,
            &TApplicationWindowServer::AcceptConnections);
    return true;
}

bool TApplicationWindowServer::IsListening() const {
    return listener_ >= 0;
}

void TApplicationWindowServer::AcceptConnections() {
    for (;;) {
        const int descriptor = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (descriptor < 0) {
            return;
        }
        if (!PeerIsThisUser(descriptor)) {
            ::close(descriptor);
            continue;
        }
        auto connection = std::make_unique<TConnection>();
        connection->notifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
        connect(connection->notifier.get(), &QSocketNotifier::activated, this,
                [this, descriptor] { ReadFrom(descriptor); });
        connections_[descriptor] = std::move(connection);
    }
}

void TApplicationWindowServer::ReadFrom(int descriptor) {
    auto found = connections_.find(descriptor);
    if (found == connections_.end()) {
        return;
    }
    std::string& received = found->second->received;
    char buffer[512];
    const ssize_t count = ::read(descriptor, buffer, sizeof buffer);
    if (count < 0 && (errno == EAGAIN || errno == EINTR)) {
        return;
    }
    if (count <= 0) {
        Drop(descriptor);  // the other start has said what it had to say
        return;
    }
    received.append(buffer, static_cast<std::size_t>(count));
    std::size_t end;
    int activations = 0;
    while ((end = received.find('\n')) != std::string::npos) {
        if (std::string_view(received).substr(0, end + 1) == ActivateMessage) {
            ++activations;
        }
        received.erase(0, end + 1);
    }
    if (received.size() > LongestMessage) {
        Drop(descriptor);
    }
    // Signalled last: a handler may run a nested event loop.
    for (int activation = 0; activation < activations; ++activation) {
        emit ActivationRequested();
    }
}

void TApplicationWindowServer::Drop(int descriptor) {
    auto found = connections_.find(descriptor);
    if (found == connections_.end()) {
        return;
    }
    // Called from the notifier's own signal: it goes once that signal has returned.
    found->second->notifier->setEnabled(false);
    found->second->notifier.release()->deleteLater();
    connections_.erase(found);
    ::close(descriptor);
}

TApplicationWindowFinder::TApplicationWindowFinder() = default;

TApplicationWindowFinder::~TApplicationWindowFinder() {
    for (const auto& [window, descriptor] : windows_) {
        ::close(descriptor);
    }
}

HWND TApplicationWindowFinder::FindWindow(std::string_view className, std::string_view windowName) {
    const QString path = ApplicationWindowSocketPath(className, windowName);
    sockaddr_un address;
    if (path.isEmpty() || !SocketAddress(EncodedPath(path), address)) {
        return 0;
    }
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0) {
        return 0;
    }
    // A running instance whose queue of connections is full is given a moment, not forever.
    const timeval timeout{TimeoutMilliseconds / 1000, (TimeoutMilliseconds % 1000) * 1000};
    ::setsockopt(descriptor, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    if (::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(descriptor);
        return 0;
    }
    HWND window = nextWindow_++;
    windows_.emplace(window, descriptor);
    return window;
}

bool TApplicationWindowFinder::SetForegroundWindow(HWND window) {
    auto found = windows_.find(window);
    if (found == windows_.end()) {
        return false;
    }
    const int descriptor = found->second;
    windows_.erase(found);
    ssize_t sent;
    do {
        sent = ::send(descriptor, ActivateMessage.data(), ActivateMessage.size(), MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    ::close(descriptor);
    return sent == static_cast<ssize_t>(ActivateMessage.size());
}

}  // namespace vlz

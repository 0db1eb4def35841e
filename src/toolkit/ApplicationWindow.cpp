#include "toolkit/ApplicationWindow.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include <QCryptographicHash>
#include <QFile>
#include <QLocalSocket>

#include "platform/Cp932Case.h"
#include "platform/ExecutablePath.h"
#include "platform/GlobalAtom.h"

namespace vlz {
namespace {

constexpr int ConnectTimeoutMilliseconds = 1000;
const QByteArray ActivateMessage = "activate\n";

// Whether the other end of a connection runs as this user: the folder already keeps others out,
// and this keeps out whatever reaches the socket some other way.
bool PeerIsThisUser(const QLocalSocket& socket) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return ::getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED,
                        &credentials, &size) == 0 &&
           credentials.uid == ::geteuid();
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

TApplicationWindowServer::TApplicationWindowServer(QObject* parent) : QObject(parent) {
    connect(&server_, &QLocalServer::newConnection, this,
            &TApplicationWindowServer::AcceptConnections);
}

TApplicationWindowServer::~TApplicationWindowServer() {
    // The socket goes before the lock, so that whoever takes the lock next finds no live socket.
    server_.close();
    if (lock_ >= 0) {
        ::close(lock_);
    }
}

bool TApplicationWindowServer::Listen(std::string_view className, std::string_view windowName) {
    const QString path = ApplicationWindowSocketPath(className, windowName);
    if (path.isEmpty()) {
        return true;
    }
    const QByteArray lockPath = QFile::encodeName(path + QStringLiteral(".lock"));
    lock_ = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock_ < 0) {
        return true;
    }
    if (::flock(lock_, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(lock_);
        lock_ = -1;
        return !held;
    }
    // Holding the lock, any socket there is one that an ended instance left behind.
    QLocalServer::removeServer(path);
    if (!server_.listen(path)) {
        std::fprintf(stderr, "VLZozed: a later start cannot find this one: %s\n",
                     server_.errorString().toLocal8Bit().constData());
    }
    return true;
}

bool TApplicationWindowServer::IsListening() const {
    return server_.isListening();
}

void TApplicationWindowServer::AcceptConnections() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        if (!PeerIsThisUser(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine() == ActivateMessage) {
                    emit ActivationRequested();
                }
            }
            if (socket->bytesAvailable() > 256) {
                socket->abort();  // no message is that long
            }
        });
    }
}

TApplicationWindowFinder::TApplicationWindowFinder() = default;
TApplicationWindowFinder::~TApplicationWindowFinder() = default;

HWND TApplicationWindowFinder::FindWindow(std::string_view className, std::string_view windowName) {
    const QString path = ApplicationWindowSocketPath(className, windowName);
    if (path.isEmpty()) {
        return 0;
    }
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(path);
    if (!socket->waitForConnected(ConnectTimeoutMilliseconds)) {
        return 0;
    }
    HWND window = nextWindow_++;
    windows_.emplace(window, std::move(socket));
    return window;
}

bool TApplicationWindowFinder::SetForegroundWindow(HWND window) {
    auto found = windows_.find(window);
    if (found == windows_.end()) {
        return false;
    }
    QLocalSocket& socket = *found->second;
    socket.write(ActivateMessage);
    socket.flush();
    bool delivered =
        socket.bytesToWrite() == 0 || socket.waitForBytesWritten(ConnectTimeoutMilliseconds);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(ConnectTimeoutMilliseconds);
    }
    windows_.erase(found);
    return delivered;
}

}  // namespace vlz

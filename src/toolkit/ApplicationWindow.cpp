#include "toolkit/ApplicationWindow.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QLocalSocket>

#include "platform/Cp932Case.h"
#include "platform/ExecutablePath.h"
#include "platform/GlobalAtom.h"

namespace vlz {
namespace {

constexpr int ConnectTimeoutMilliseconds = 1000;
const QByteArray ActivateMessage = "activate\n";

}  // namespace

QString ApplicationWindowSocketName(std::string_view className, std::string_view windowName) {
    // Programs of other file names may run beside this one with the same window class and title,
    // so the name also holds this executable's file name (folded, as the atom's text is).
    const std::string table = GlobalAtomFolder();
    const std::string program = Cp932LowerCase(ExtractFileName(ExecutablePath()));
    QByteArray identity;
    for (std::string_view part :
         {className, windowName, std::string_view(table), std::string_view(program)}) {
        identity.append(part.data(), static_cast<qsizetype>(part.size()));
        identity.append('\0');
    }
    QByteArray digest =
        QCryptographicHash::hash(identity, QCryptographicHash::Sha1).toHex().left(16);
    return QString::fromUtf8(className.data(), static_cast<qsizetype>(className.size())) + '-' +
           QString::number(::geteuid()) + '-' + QString::fromLatin1(digest);
}

TApplicationWindowServer::TApplicationWindowServer(QObject* parent) : QObject(parent) {
    server_.setSocketOptions(QLocalServer::AbstractNamespaceOption);
    connect(&server_, &QLocalServer::newConnection, this,
            &TApplicationWindowServer::AcceptConnections);
}

TApplicationWindowServer::~TApplicationWindowServer() = default;

bool TApplicationWindowServer::Listen(std::string_view className, std::string_view windowName) {
    return server_.listen(ApplicationWindowSocketName(className, windowName));
}

bool TApplicationWindowServer::IsListening() const {
    return server_.isListening();
}

void TApplicationWindowServer::AcceptConnections() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
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
    auto socket = std::make_unique<QLocalSocket>();
    socket->setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket->connectToServer(ApplicationWindowSocketName(className, windowName));
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

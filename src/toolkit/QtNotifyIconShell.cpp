#include "toolkit/QtNotifyIconShell.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <cstring>

#include "graphics/Icon.h"
#include "platform/Cp932.h"
#include "platform/LastError.h"

namespace vlz {

struct QtNotifyIconShell::Entry {
    NOTIFYICONDATA Data;
    QSystemTrayIcon* Icon = nullptr;
    QTimer* BalloonTimer = nullptr;  // runs while a balloon is up
    bool RawInput = false;           // the icon's widget delivers press and release itself
    QPointer<QMenu> HostMenuSource;  // the menu the icon carries a copy of
};

namespace {

QIcon ToQIcon(HICON handle) {
    std::shared_ptr<const TIconImage> image = FindIconImage(handle);
    if (!image) {
        return {};
    }
    QImage picture(image->Width, image->Height, QImage::Format_ARGB32);
    for (int y = 0; y < image->Height; ++y) {
        std::memcpy(picture.scanLine(y),
                    image->Pixels.data() + static_cast<std::size_t>(y) * image->Width,
                    static_cast<std::size_t>(image->Width) * sizeof(std::uint32_t));
    }
    return QIcon(QPixmap::fromImage(picture));
}

QSystemTrayIcon::MessageIcon ToMessageIcon(std::uint32_t infoFlags) {
    switch (infoFlags & 0x0F) {
        case NIIF_INFO:
            return QSystemTrayIcon::Information;
        case NIIF_WARNING:
            return QSystemTrayIcon::Warning;
        case NIIF_ERROR:
            return QSystemTrayIcon::Critical;
        default:
            return QSystemTrayIcon::NoIcon;
    }
}

// The XEmbed icon's widget is private to Qt; it is known by its class name.
bool IsTrayIconWidget(QObject* object) {
    return object->isWidgetType() && object->inherits("QSystemTrayIconSys");
}

unsigned ButtonMessage(Qt::MouseButton button, unsigned left, unsigned right, unsigned middle) {
    switch (button) {
        case Qt::LeftButton:
            return left;
        case Qt::RightButton:
            return right;
        case Qt::MiddleButton:
            return middle;
        default:
            return 0;
    }
}

}  // namespace

QtNotifyIconShell::QtNotifyIconShell() : FPrevious(InstallNotifyIconShell(this)) {
    QCoreApplication::instance()->installEventFilter(this);
}

QtNotifyIconShell::~QtNotifyIconShell() {
    InstallNotifyIconShell(FPrevious);
    if (QCoreApplication* application = QCoreApplication::instance()) {
        application->removeEventFilter(this);
    }
}

bool QtNotifyIconShell::NotifyIcon(unsigned message, const NOTIFYICONDATA& data) {
    switch (message) {
        case NIM_ADD:
            return Add(data);
        case NIM_MODIFY:
            return Modify(data);
        case NIM_DELETE:
            return Delete(data);
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
    }
}

QSystemTrayIcon* QtNotifyIconShell::TrayIconOf(HWND window, std::uint32_t uID) const {
    auto found = FEntries.find({window, uID});
    return found == FEntries.end() ? nullptr : found->second->Icon;
}

bool QtNotifyIconShell::Add(const NOTIFYICONDATA& data) {
    Key key{data.hWnd, data.uID};
    if (data.cbSize < NOTIFYICONDATA_V1_SIZE || FEntries.contains(key)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    auto entry = std::make_unique<Entry>();
    entry->Data = data;
    entry->Icon = MakeIcon(key);
    entry->BalloonTimer = new QTimer(this);
    entry->BalloonTimer->setSingleShot(true);
    connect(entry->BalloonTimer, &QTimer::timeout, this,
            [this, key] { Deliver(key, NIN_BALLOONTIMEOUT); });

    Entry& added = *entry;
    FEntries.emplace(key, std::move(entry));
    Apply(added, data, true);
    UpdateHostMenu(key, added);
    return true;
}

QSystemTrayIcon* QtNotifyIconShell::MakeIcon(Key key) {
    auto* icon = new QSystemTrayIcon(this);
    connect(icon, &QSystemTrayIcon::activated, this,
            [this, key](QSystemTrayIcon::ActivationReason reason) {
                auto found = FEntries.find(key);
                if (found == FEntries.end() || found->second->RawInput) {
                    return;
                }
                switch (reason) {
                    case QSystemTrayIcon::Trigger:
                        Deliver(key, WM_LBUTTONDOWN);
                        Deliver(key, WM_LBUTTONUP);
                        break;
                    case QSystemTrayIcon::DoubleClick:
                        Deliver(key, WM_LBUTTONDBLCLK);
                        Deliver(key, WM_LBUTTONUP);
                        break;
                    case QSystemTrayIcon::Context:
                        Deliver(key, WM_RBUTTONDOWN);
                        Deliver(key, WM_RBUTTONUP);
                        break;
                    case QSystemTrayIcon::MiddleClick:
                        Deliver(key, WM_MBUTTONDOWN);
                        Deliver(key, WM_MBUTTONUP);
                        break;
                    default:
                        break;
                }
            });
    connect(icon, &QSystemTrayIcon::messageClicked, this, [this, key] {
        auto found = FEntries.find(key);
        if (found != FEntries.end() && found->second->BalloonTimer->isActive()) {
            found->second->BalloonTimer->stop();
            Deliver(key, NIN_BALLOONUSERCLICK);
        }
    });
    return icon;
}

void QtNotifyIconShell::SetHostMenu(std::uint32_t uID, QMenu* menu) {
    if (FHostMenus[uID] == menu) {
        return;
    }
    FHostMenus[uID] = menu;
    for (auto& [key, entry] : FEntries) {
        if (key.second == uID) {
            UpdateHostMenu(key, *entry);
        }
    }
}

void QtNotifyIconShell::UpdateHostMenu(Key key, Entry& entry) {
    auto wanted = FHostMenus.find(key.second);
    QMenu* source = wanted == FHostMenus.end() ? nullptr : wanted->second.data();
    if (source == entry.HostMenuSource || (source && FTrayShowsMenus == false)) {
        return;
    }
    QSystemTrayIcon* replacement = MakeIcon(key);
    if (source) {
        // A copy, so that the program's own menu stays an ordinary popup: Qt turns a menu it
        // exports into a D-Bus menu for good. The copy goes with the icon that shows it.
        auto* copy = new QMenu;
        copy->addActions(source->actions());
        connect(replacement, &QObject::destroyed, copy, [copy] { delete copy; });
        replacement->setContextMenu(copy);
        // Only a tray of the platform's own makes a native menu of it.
        FTrayShowsMenus = copy->platformMenu() != nullptr;
        if (!*FTrayShowsMenus) {
            delete replacement;
            return;
        }
    }
    replacement->setIcon(entry.Icon->icon());
    replacement->setToolTip(entry.Icon->toolTip());
    // The old item leaves the tray before the new one comes, so no host shows both.
    QSystemTrayIcon* old = entry.Icon;
    const bool visible = old->isVisible();
    old->hide();
    old->deleteLater();  // its signal may be the one running now
    entry.Icon = replacement;
    entry.HostMenuSource = source;
    replacement->setVisible(visible);
}

bool QtNotifyIconShell::Modify(const NOTIFYICONDATA& data) {
    auto found = FEntries.find({data.hWnd, data.uID});
    if (found == FEntries.end()) {
        SetLastError(ERROR_NOT_FOUND);
        return false;
    }
    Apply(*found->second, data, false);
    return true;
}

bool QtNotifyIconShell::Delete(const NOTIFYICONDATA& data) {
    auto found = FEntries.find({data.hWnd, data.uID});
    if (found == FEntries.end()) {
        SetLastError(ERROR_NOT_FOUND);
        return false;
    }
    // The icon may be the one whose signal is running right now.
    found->second->Icon->hide();
    found->second->Icon->deleteLater();
    found->second->BalloonTimer->deleteLater();
    FEntries.erase(found);
    return true;
}

void QtNotifyIconShell::Apply(Entry& entry, const NOTIFYICONDATA& data, bool adding) {
    QSystemTrayIcon* icon = entry.Icon;
    // A record of the older layout ends after szTip: state and balloon are not in it.
    bool extended = data.cbSize >= NOTIFYICONDATA_V5_SIZE;
    if (data.uFlags & NIF_MESSAGE) {
        entry.Data.uCallbackMessage = data.uCallbackMessage;
    }
    if (data.uFlags & NIF_ICON) {
        icon->setIcon(ToQIcon(data.hIcon));
    }
    if (data.uFlags & NIF_TIP) {
        icon->setToolTip(QString::fromStdString(FromCp932(NotifyText(data.szTip))));
    }
    bool hidden = !adding && !icon->isVisible();
    if (extended && (data.uFlags & NIF_STATE) && (data.dwStateMask & NIS_HIDDEN)) {
        hidden = (data.dwState & NIS_HIDDEN) != 0;
    }
    icon->setVisible(!hidden);
    if (extended && (data.uFlags & NIF_INFO)) {
        ShowBalloon(entry, data);
    }
}

void QtNotifyIconShell::ShowBalloon(Entry& entry, const NOTIFYICONDATA& data) {
    Key key{data.hWnd, data.uID};
    std::string_view text = NotifyText(data.szInfo);
    if (text.empty()) {
        if (entry.BalloonTimer->isActive()) {
            entry.BalloonTimer->stop();
            QTimer::singleShot(0, this, [this, key] { Deliver(key, NIN_BALLOONHIDE); });
        }
        return;
    }
    int timeout = static_cast<int>(data.uTimeout);
    entry.Icon->showMessage(QString::fromStdString(FromCp932(NotifyText(data.szInfoTitle))),
                            QString::fromStdString(FromCp932(text)),
                            ToMessageIcon(data.dwInfoFlags), timeout);
    entry.BalloonTimer->start(timeout);
    // The shell tells about the balloon after the call that asked for it has returned.
    QTimer::singleShot(0, this, [this, key] { Deliver(key, NIN_BALLOONSHOW); });
}

void QtNotifyIconShell::Deliver(Key key, unsigned notification) {
    auto found = FEntries.find(key);
    if (found == FEntries.end()) {
        return;
    }
    // The receiver may delete the icon, so nothing of the entry is used after the call.
    const NOTIFYICONDATA& data = found->second->Data;
    SendMessage(data.hWnd, data.uCallbackMessage, data.uID, notification);
}

QtNotifyIconShell::Entry* QtNotifyIconShell::EntryAt(const QPoint& globalPosition) {
    for (auto& [key, entry] : FEntries) {
        if (entry->Icon->isVisible() && entry->Icon->geometry().contains(globalPosition)) {
            return entry.get();
        }
    }
    return nullptr;
}

bool QtNotifyIconShell::eventFilter(QObject* watched, QEvent* event) {
    QEvent::Type type = event->type();
    if (type == QEvent::Enter && IsTrayIconWidget(watched)) {
        // The pointer passing over the icon is news too, not only a drag.
        static_cast<QWidget*>(watched)->setMouseTracking(true);
        return false;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick && type != QEvent::MouseMove) {
        return false;
    }
    if (!IsTrayIconWidget(watched)) {
        return false;
    }
    auto* mouse = static_cast<QMouseEvent*>(event);
    Entry* entry = EntryAt(mouse->globalPosition().toPoint());
    if (!entry) {
        return false;
    }
    entry->RawInput = true;
    unsigned notification = 0;
    switch (type) {
        case QEvent::MouseButtonPress:
            notification =
                ButtonMessage(mouse->button(), WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN);
            break;
        case QEvent::MouseButtonRelease:
            notification = ButtonMessage(mouse->button(), WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP);
            break;
        case QEvent::MouseButtonDblClick:
            notification = ButtonMessage(mouse->button(), WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK,
                                         WM_MBUTTONDBLCLK);
            break;
        default:
            notification = WM_MOUSEMOVE;
            break;
    }
    if (notification != 0) {
        Deliver({entry->Data.hWnd, entry->Data.uID}, notification);
    }
    return false;
}

}  // namespace vlz

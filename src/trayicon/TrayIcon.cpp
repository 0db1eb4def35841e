#include "trayicon/TrayIcon.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QIcon>
#include <QMenu>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <utility>
#include <vector>

#include "platform/Cp932.h"
#include "platform/Desktop.h"
#include "platform/LastError.h"
#include "platform/MessageBox.h"
#include "platform/ScopeGuard.h"
#include "trayicon/FormWindow.h"
#include "trayicon/QtIcon.h"

namespace vlz {
namespace {

constexpr const char* CannotRegisterIcon = "タスクトレイにアイコンを登録できません。";
constexpr const char* CannotSwitchBalloon =
    "タスクトレイアイコンのバルーンメッセージ表示が切り替えられません。";
constexpr const char* CannotSwitchIcon = "タスクトレイアイコンの表示が切り替えられません。";

constexpr int MaxInstances = 100;
constexpr std::size_t MaxTipBytes = 63;
constexpr std::size_t MaxBalloonTitleBytes = 63;
constexpr std::size_t MaxBalloonTextBytes = 255;
// How long the time-out recovery waits for a busy shell before it tries again, and how often.
constexpr unsigned ShellRetryDelay = 100;
constexpr int MaxAddRetries = 5;

// Every live instance under its ID in decimal, in the order of creation. IDs only grow along the
// list (a new one is the last one's plus 1), so they stay unique.
std::vector<std::pair<std::string, TTrayIcon*>>& TrayIconList() {
    static std::vector<std::pair<std::string, TTrayIcon*>> list;
    return list;
}

TTrayIcon* FindTrayIcon(const std::string& id) {
    auto& list = TrayIconList();
    auto found = std::find_if(list.begin(), list.end(),
                              [&id](const auto& entry) { return entry.first == id; });
    return found == list.end() ? nullptr : found->second;
}

// Cleared when its owner frees it; the next instance then makes a new one.
QPointer<TCallbackWindow> CallbackWindow;
bool BalloonWarningShown = false;

// Handlers are copied before they run, so that a handler may replace itself.
template <typename Handler, typename... Arguments>
void Raise(const Handler& handler, TObject& sender, Arguments... arguments) {
    if (handler) {
        Handler running = handler;
        running(sender, arguments...);
    }
}

// The CP932 form of the text, cut to at most maxBytes without splitting a character.
std::string Cp932Truncated(std::string_view utf8, std::size_t maxBytes) {
    std::string cp932 = ToCp932(utf8);
    return std::string(Cp932Prefix(cp932, maxBytes));
}

}  // namespace

// ---- TCallbackWindow ----------------------------------------------------------------------

TCallbackWindow::TCallbackWindow(QObject* owner) : QObject(owner), FHandle(AllocateHWnd(this)) {}

TCallbackWindow::~TCallbackWindow() {
    DeallocateHWnd(FHandle);
}

void TCallbackWindow::WindowProc(unsigned message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TRAYICON) {
        WMTrayIcon(wParam, lParam);
    }
}

void TCallbackWindow::WMTrayIcon(WPARAM wParam, LPARAM lParam) {
    TTrayIcon* icon = FindTrayIcon(std::to_string(wParam));
    if (!icon) {
        return;
    }
    FTrayIcon = icon;
    if (!icon->FEnabled) {
        return;
    }
    TPoint cursor = GetCursorPos();
    switch (lParam) {
        case WM_MOUSEMOVE:
            Raise(icon->FOnMouseMove, *icon, TShiftState{}, cursor.X, cursor.Y);
            break;
        case WM_LBUTTONDOWN:
            if (icon->FLBPopupMenu && icon->FAutoPopup) {
                icon->PopupMenu(icon->FLBPopupMenu, cursor);
            } else {
                Raise(icon->FOnMouseDown, *icon, mbLeft, TShiftState{ssLeft}, cursor.X, cursor.Y);
            }
            break;
        case WM_LBUTTONUP:
            icon->ActivateFormOnMouseUp();
            if (icon->FOnMouseUp) {
                Raise(icon->FOnMouseUp, *icon, mbLeft, TShiftState{ssLeft}, cursor.X, cursor.Y);
            } else {
                icon->ClickStep();
            }
            break;
        case WM_LBUTTONDBLCLK:
            icon->FClickPending = true;
            Raise(icon->FOnDblClick, *icon);
            break;
        case WM_RBUTTONDOWN:
            if (icon->FRBPopupMenu && icon->FAutoPopup) {
                icon->PopupMenu(icon->FRBPopupMenu, cursor);
            } else {
                Raise(icon->FOnMouseDown, *icon, mbRight, TShiftState{ssRight}, cursor.X, cursor.Y);
            }
            break;
        case WM_RBUTTONUP:
            icon->ActivateFormOnMouseUp();
            Raise(icon->FOnMouseUp, *icon, mbRight, TShiftState{ssRight}, cursor.X, cursor.Y);
            break;
        case WM_MBUTTONDOWN:
            Raise(icon->FOnMouseDown, *icon, mbMiddle, TShiftState{ssMiddle}, cursor.X, cursor.Y);
            break;
        case WM_MBUTTONUP:
            icon->ActivateFormOnMouseUp();
            Raise(icon->FOnMouseUp, *icon, mbMiddle, TShiftState{ssMiddle}, cursor.X, cursor.Y);
            break;
        case NIN_BALLOONSHOW:
            Raise(icon->FOnBalloonShow, *icon);
            break;
        case NIN_BALLOONHIDE:
            Raise(icon->FOnBalloonHide, *icon);
            break;
        case NIN_BALLOONTIMEOUT:
            Raise(icon->FOnBalloonTimeout, *icon);
            break;
        case NIN_BALLOONUSERCLICK:
            Raise(icon->FOnBalloonClick, *icon);
            break;
        default:
            // Right and middle double clicks among them: the component has no events for them.
            break;
    }
}

void TCallbackWindow::SingleClickExpired() {
    TTrayIcon* icon = FTrayIcon;
    if (!icon) {
        return;
    }
    // The flag is cleared before OnClick runs, because the handler may free the component.
    bool pending = icon->FClickPending;
    icon->FClickPending = false;
    if (pending) {
        Raise(icon->FOnClick, *icon);
    }
}

// ---- TSingleClick -------------------------------------------------------------------------

TSingleClick::TSingleClick(TCallbackWindow* window) : QObject(window) {
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    // A coarse timer may fire a little early, and the click must not count before its time.
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this, window] {
        deleteLater();
        window->SingleClickExpired();
    });
    timer->start(static_cast<int>(GetDoubleClickTime()) + 50);
}

// ---- TTrayIcon ----------------------------------------------------------------------------

TTrayIcon::TTrayIcon(QWidget* AOwner, bool designing)
    : QObject(AOwner), FOwner(AOwner), FDesigning(designing) {
    FShellMajorVersion = ShellMajorVersion();
    TSystemVersion system = SystemVersion();
    FIsXPOrLater = system.Major > 5 || (system.Major == 5 && system.Minor > 0);

    auto& list = TrayIconList();
    if (list.size() >= MaxInstances) {
        FID = 0;
        throw ENotifyIconError(CannotRegisterIcon);
    }
    FID = list.empty() ? 1 : std::stoi(list.back().first) + 1;

    FTipHelp = "TipHelp";
    FIcon = std::make_unique<TIcon>();

    if (!FDesigning) {
        FIcon->OnChange = [this](TObject&) { IconChanged(); };
        if (!CallbackWindow) {
            QObject* windowOwner =
                AOwner ? static_cast<QObject*>(AOwner) : QCoreApplication::instance();
            CallbackWindow = new TCallbackWindow(windowOwner);
        }
        FNotifyData = std::make_unique<NOTIFYICONDATA>();
        FNotifyData->cbSize =
            FShellMajorVersion >= 5 ? NOTIFYICONDATA_V5_SIZE : NOTIFYICONDATA_V1_SIZE;
        FNotifyData->uCallbackMessage = WM_TRAYICON;
        FNotifyData->uID = static_cast<std::uint32_t>(FID);
    }
    // Entered last, so that a failure above leaves no entry behind for a component that never was.
    list.emplace_back(std::to_string(FID), this);
}

TTrayIcon::~TTrayIcon() {
    if (FID == 0) {
        return;
    }
    if (!FDesigning) {
        if (FRegistered) {
            PerformOperation(toDelete);
        }
        FNotifyData.reset();
    }
    if (CallbackWindow && CallbackWindow->FTrayIcon == this) {
        CallbackWindow->FTrayIcon = nullptr;
    }
    auto& list = TrayIconList();
    std::erase_if(list, [this](const auto& entry) { return entry.second == this; });
    FIcon->OnChange = nullptr;
}

int TTrayIcon::InstanceCount() {
    return static_cast<int>(TrayIconList().size());
}

void TTrayIcon::ReadState(const std::function<void(TTrayIcon&)>& readProperties) {
    FLoading = true;
    FReading = true;
    if (!FTipCleared) {
        FTipCleared = true;
        SetTipHelp("");
    }
    TScopeExit reading([this] { FReading = false; });
    readProperties(*this);
}

void TTrayIcon::Loaded() {
    FLoading = false;
    FTipCleared = false;
    if (!FDesigning) {
        PerformOperation(toAdd);
    }
}

void TTrayIcon::SetAnimateRate(int milliseconds) {
    FAnimateRate = std::max(milliseconds, 10);
}

void TTrayIcon::SetEnabled(bool value) {
    if (FEnabled == value) {
        return;
    }
    FEnabled = value;
    if (!value) {
        FClickPending = false;
    }
}

void TTrayIcon::SetIcon(const TIcon* value) {
    if (value == FIcon.get()) {
        return;
    }
    FIcon->Assign(value);
}

std::string TTrayIcon::TipHelp() const {
    return FromCp932(FTipHelp);
}

void TTrayIcon::SetTipHelp(std::string_view value) {
    std::string tip = Cp932Truncated(value, MaxTipBytes);
    if (tip == FTipHelp) {
        return;
    }
    FTipHelp = std::move(tip);
    if (!FDesigning) {
        IconChanged();
    }
}

void TTrayIcon::SetVisible(bool value) {
    if (value == FVisible) {
        return;
    }
    FVisible = value && GetIconHandle() != 0;
    if (FDesigning || FLoading) {
        return;
    }
    if (FVisible) {
        PerformOperation(FRegistered && FShellMajorVersion >= 5 ? toShowIcon : toAdd);
    } else if (FRegistered) {
        PerformOperation(FShellMajorVersion >= 5 ? toHideIcon : toDelete);
    }
}

std::string TTrayIcon::BalloonTitle() const {
    return FromCp932(FBalloonTitle);
}

void TTrayIcon::SetBalloonTitle(std::string_view value) {
    FBalloonTitle = Cp932Truncated(value, MaxBalloonTitleBytes);
}

std::string TTrayIcon::BalloonText() const {
    return FromCp932(FBalloonText);
}

void TTrayIcon::SetBalloonText(std::string_view value) {
    FBalloonText = Cp932Truncated(value, MaxBalloonTextBytes);
}

void TTrayIcon::SetBalloonTimeout(int seconds) {
    FBalloonTimeout = static_cast<TBalloonTimeout>(
        std::clamp(seconds, int{MinBalloonTimeout}, int{MaxBalloonTimeout}));
}

void TTrayIcon::SetOnBalloonShow(TNotifyEvent handler) {
    FOnBalloonShow = std::move(handler);
    if (FOnBalloonShow) {
        WarnBalloonEvents();
    }
}

void TTrayIcon::SetOnBalloonHide(TNotifyEvent handler) {
    FOnBalloonHide = std::move(handler);
    if (FOnBalloonHide) {
        WarnBalloonEvents();
    }
}

void TTrayIcon::SetOnBalloonTimeout(TNotifyEvent handler) {
    FOnBalloonTimeout = std::move(handler);
    if (FOnBalloonTimeout) {
        WarnBalloonEvents();
    }
}

void TTrayIcon::SetOnBalloonClick(TNotifyEvent handler) {
    FOnBalloonClick = std::move(handler);
    if (FOnBalloonClick) {
        WarnBalloonEvents();
    }
}

// Balloon notifications came late to the shell; a designer who wires them up is told once.
void TTrayIcon::WarnBalloonEvents() {
    if (!FDesigning || FLoading || FReading || BalloonWarningShown) {
        return;
    }
    BalloonWarningShown = true;
    ShowMessageBox(
        "OnBalloon系イベントはWindows XP/2003などの環境でのみ有効です。\r\n"
        "作成アプリケーションの対応OSには充分注意してください。",
        "注意", MB_ICONWARNING);
}

void TTrayIcon::IconChanged() {
    if (FRegistered) {
        PerformOperation(toModify);
    }
}

QWidget* TTrayIcon::OwnerForm() const {
    return FOwner && FOwner->isWindow() ? FOwner : nullptr;
}

HICON TTrayIcon::GetIconHandle() {
    if (HICON own = FIcon->Handle()) {
        return own;
    }
    // A form without an icon of its own shows the application's.
    QIcon fallback = OwnerForm() ? OwnerForm()->windowIcon() : QApplication::windowIcon();
    if (fallback.isNull()) {
        return 0;
    }
    if (fallback.cacheKey() != FFallbackIconKey || FFallbackIcon.Empty()) {
        if (!AssignQIcon(FFallbackIcon, fallback)) {
            return 0;
        }
        FFallbackIconKey = fallback.cacheKey();
    }
    return FFallbackIcon.Handle();
}

void TTrayIcon::FillNotifyData(TTrayOperation operation) {
    NOTIFYICONDATA& data = *FNotifyData;
    // A delete needs no picture, and it may run while the owner form is being destroyed.
    if (operation != toDelete) {
        data.hIcon = GetIconHandle();
    }
    bool balloon = operation == toShowBalloon || operation == toHideBalloon;
    bool state = operation == toShowIcon || operation == toHideIcon;
    if (FShellMajorVersion >= 5 && balloon) {
        data.uFlags = NIF_INFO | NIF_MESSAGE;
        data.uTimeout = FBalloonTimeout * 1000u;
        data.szInfoTitle.fill('\0');
        data.szInfo.fill('\0');
        if (operation == toShowBalloon) {
            CopyNotifyText(data.szInfoTitle, FBalloonTitle);
            // An empty text would take the balloon down instead of showing it.
            CopyNotifyText(data.szInfo, FBalloonText.empty() ? std::string(" ") : FBalloonText);
            data.dwInfoFlags = FBalloonIcon;
        }
    } else if (FShellMajorVersion >= 5 && state) {
        data.uFlags = NIF_STATE;
        data.dwState = operation == toShowIcon ? 0 : NIS_HIDDEN;
        data.dwStateMask = NIS_HIDDEN | NIS_SHAREDICON;
    } else {
        CopyNotifyText(data.szTip, FTipHelp);
        data.uFlags = FTipHelp.empty() ? NIF_MESSAGE | NIF_ICON : NIF_MESSAGE | NIF_ICON | NIF_TIP;
    }
}

void TTrayIcon::PerformOperation(TTrayOperation operation) {
    if (!FNotifyData) {
        return;  // design mode: the shell is never asked
    }
    FillNotifyData(operation);
    switch (operation) {
        case toAdd:
            AddIcon();
            break;
        case toModify:
            if (!Shell_NotifyIcon(NIM_MODIFY, *FNotifyData)) {
                throw ENotifyIconError(CannotRegisterIcon);
            }
            break;
        case toDelete:
            Shell_NotifyIcon(NIM_DELETE, *FNotifyData);
            FRegistered = false;
            break;
        case toShowBalloon:
        case toHideBalloon:
            if (!FVisible) {
                if (operation == toShowBalloon) {
                    SetVisible(true);
                    if (FVisible) {
                        PerformOperation(toShowBalloon);
                    }
                }
                return;
            }
            if (!Shell_NotifyIcon(NIM_MODIFY, *FNotifyData)) {
                throw ENotifyIconError(CannotSwitchBalloon);
            }
            break;
        case toShowIcon:
        case toHideIcon:
            if (!Shell_NotifyIcon(NIM_MODIFY, *FNotifyData)) {
                throw ENotifyIconError(CannotSwitchIcon);
            }
            break;
    }
}

// A shell that is busy starting up may time out on an add that still arrives; the recovery asks
// once whether the icon is there after all, then retries the add a few times.
void TTrayIcon::AddIcon() {
    if (!FVisible) {
        return;
    }
    NOTIFYICONDATA& data = *FNotifyData;
    data.hWnd = CallbackWindow ? CallbackWindow->Handle() : 0;
    int retries = 0;
    bool modifyTried = false;
    while (!Shell_NotifyIcon(NIM_ADD, data)) {
        if (!(FIsXPOrLater && GetLastError() == ERROR_TIMEOUT && retries < MaxAddRetries)) {
            throw ENotifyIconError(CannotRegisterIcon);
        }
        Sleep(ShellRetryDelay);
        if (!modifyTried) {
            modifyTried = true;
            if (Shell_NotifyIcon(NIM_MODIFY, data)) {
                break;
            }
        }
        ++retries;
    }
    FRegistered = true;
}

void TTrayIcon::PopupMenu(QMenu* menu, TPoint at) {
    QPointer<QMenu> target = menu;
    if (QWidget* form = OwnerForm()) {
        QPointer<TTrayIcon> self = this;
        SetForegroundWindow(FormWindowHandle(form));
        // User input stays queued, so no second click is handled inside this one.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (!self) {
            return;
        }
    }
    if (target) {
        target->popup(QPoint(at.X, at.Y));
    }
}

void TTrayIcon::ActivateFormOnMouseUp() {
    QWidget* active = QApplication::activeWindow();
    if (active && FFormActiveByMouseup) {
        SetForegroundWindow(FormWindowHandle(active));
    }
}

// A left click waits out the double-click time before it counts as a click; the double-click
// message and the second button-up in between cancel it.
void TTrayIcon::ClickStep() {
    if (!FOnClick) {
        FClickPending = false;
    } else if (!FClickPending) {
        FClickPending = true;
        if (CallbackWindow) {
            new TSingleClick(CallbackWindow);
        }
    } else {
        FClickPending = false;
    }
}

}  // namespace vlz

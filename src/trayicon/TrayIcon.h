#pragma once
// TTrayIcon keeps one icon in the desktop's notification area. It registers, updates, hides and
// removes the icon through the notification-area shell, turns the shell's callback messages into
// mouse, click and double-click events, pops a menu up at the cursor for the left or the right
// button and carries the data of a balloon tip.
//
// Every instance gets a numeric ID (its uID) from a registry shared by the process; at most 100
// instances live at once. All instances share one hidden callback window that receives the
// shell's messages. A component built from a form design is loaded between ReadState and Loaded.
// Icon animation is not provided.

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "graphics/Graphic.h"
#include "graphics/Icon.h"
#include "platform/Desktop.h"
#include "platform/Exception.h"
#include "platform/Input.h"
#include "platform/NotifyIcon.h"

class QMenu;
class QWidget;

namespace vlz {

class ENotifyIconError : public Exception {
  public:
    using Exception::Exception;
};

// Passed unchanged as dwInfoFlags (NIIF_NONE .. NIIF_ERROR).
enum TBalloonInfoIconFlag : std::uint8_t { biifNone, biifInfo, biifWarning, biifError };

// Seconds, 10..60.
using TBalloonTimeout = std::uint8_t;
constexpr TBalloonTimeout MinBalloonTimeout = 10;
constexpr TBalloonTimeout MaxBalloonTimeout = 60;

// The uCallbackMessage of every icon.
constexpr unsigned WM_TRAYICON = WM_USER + 200;

enum TTrayOperation {
    toAdd,
    toModify,
    toDelete,
    toShowBalloon,
    toHideBalloon,
    toShowIcon,
    toHideIcon
};

// TNotifyEvent (sender only) comes with the graphic framework.
using TMouseEvent =
    std::function<void(TObject& Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject& Sender, TShiftState Shift, int X, int Y)>;

class TTrayIcon;

// The hidden window that receives the shell's callback messages for every instance. The first
// instance made outside design mode creates it as a child of its owner, which frees it.
class TCallbackWindow : public QObject, public TMessageWindow {
  public:
    explicit TCallbackWindow(QObject* owner);
    ~TCallbackWindow() override;

    HWND Handle() const { return FHandle; }
    void WindowProc(unsigned message, WPARAM wParam, LPARAM lParam) override;
    // Runs on the GUI thread when a single-click wait has ended.
    void SingleClickExpired();

  private:
    friend class TTrayIcon;
    void WMTrayIcon(WPARAM wParam, LPARAM lParam);

    TTrayIcon* FTrayIcon = nullptr;  // the instance whose message was handled last
    HWND FHandle;
};

// Waits out the double-click time plus 50 ms after a left click, then tells the callback window.
// Starts when made and frees itself when it has run; several may run at once.
class TSingleClick : public QObject {
  public:
    explicit TSingleClick(TCallbackWindow* window);
};

class TTrayIcon : public QObject, public TObject {
  public:
    // The owner is the form that owns the component (and the callback window); designing makes a
    // component that only holds its properties and never talks to the shell.
    explicit TTrayIcon(QWidget* AOwner, bool designing = false);
    ~TTrayIcon() override;

    std::string ClassName() const override { return "TTrayIcon"; }

    // Form-stream loading: ReadState runs readProperties, which sets the stored properties;
    // Loaded then puts the icon up when Visible was read as True.
    void ReadState(const std::function<void(TTrayIcon&)>& readProperties);
    void Loaded();

    int AnimateRate() const { return FAnimateRate; }
    void SetAnimateRate(int milliseconds);
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool value) { FAutoPopup = value; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    // The owned icon; changes to it reach the shell.
    TIcon& Icon() { return *FIcon; }
    const TIcon& Icon() const { return *FIcon; }
    void SetIcon(const TIcon* value);
    QMenu* LBPopupMenu() const { return FLBPopupMenu; }
    void SetLBPopupMenu(QMenu* menu) { FLBPopupMenu = menu; }
    QMenu* RBPopupMenu() const { return FRBPopupMenu; }
    void SetRBPopupMenu(QMenu* menu) { FRBPopupMenu = menu; }
    // UTF-8; at most 63 bytes in CP932 are kept.
    std::string TipHelp() const;
    void SetTipHelp(std::string_view value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    std::string BalloonTitle() const;
    void SetBalloonTitle(std::string_view value);
    std::string BalloonText() const;
    void SetBalloonText(std::string_view value);
    TBalloonInfoIconFlag BalloonIcon() const { return FBalloonIcon; }
    void SetBalloonIcon(TBalloonInfoIconFlag value) { FBalloonIcon = value; }
    TBalloonTimeout BalloonTimeout() const { return FBalloonTimeout; }
    void SetBalloonTimeout(int seconds);
    bool FormActiveByMouseup() const { return FFormActiveByMouseup; }
    void SetFormActiveByMouseup(bool value) { FFormActiveByMouseup = value; }

    void SetOnClick(TNotifyEvent handler) { FOnClick = std::move(handler); }
    void SetOnDblClick(TNotifyEvent handler) { FOnDblClick = std::move(handler); }
    void SetOnMouseDown(TMouseEvent handler) { FOnMouseDown = std::move(handler); }
    void SetOnMouseMove(TMouseMoveEvent handler) { FOnMouseMove = std::move(handler); }
    void SetOnMouseUp(TMouseEvent handler) { FOnMouseUp = std::move(handler); }
    void SetOnBalloonShow(TNotifyEvent handler);
    void SetOnBalloonHide(TNotifyEvent handler);
    void SetOnBalloonTimeout(TNotifyEvent handler);
    void SetOnBalloonClick(TNotifyEvent handler);

    // Shows the balloon that the Balloon properties describe (putting the icon up first when it
    // is hidden), or takes it down.
    void ShowBalloon() { PerformOperation(toShowBalloon); }
    void HideBalloon() { PerformOperation(toHideBalloon); }

    // The icon's uID, and whether the shell holds the icon.
    std::int32_t ID() const { return FID; }
    bool Registered() const { return FRegistered; }
    bool Designing() const { return FDesigning; }

    // The number of live instances.
    static int InstanceCount();

  private:
    friend class TCallbackWindow;

    void PerformOperation(TTrayOperation operation);
    void FillNotifyData(TTrayOperation operation);
    void AddIcon();
    void IconChanged();
    HICON GetIconHandle();
    void PopupMenu(QMenu* menu, TPoint at);
    void ActivateFormOnMouseUp();
    void ClickStep();
    void WarnBalloonEvents();
    QWidget* OwnerForm() const;

    QWidget* FOwner;
    bool FDesigning;
    bool FLoading = false;
    bool FReading = false;

    int FAnimateRate = 500;
    bool FAutoPopup = true;
    bool FEnabled = true;
    std::unique_ptr<TIcon> FIcon;
    QPointer<QMenu> FLBPopupMenu;
    QPointer<QMenu> FRBPopupMenu;
    std::string FTipHelp;  // CP932
    bool FVisible = false;
    TNotifyEvent FOnClick;
    TNotifyEvent FOnDblClick;
    TMouseMoveEvent FOnMouseMove;
    TMouseEvent FOnMouseDown;
    TMouseEvent FOnMouseUp;

    std::int32_t FID = 0;
    bool FRegistered = false;
    std::unique_ptr<NOTIFYICONDATA> FNotifyData;
    bool FClickPending = false;
    bool FTipCleared = false;
    std::uint16_t FShellMajorVersion = 0;
    bool FIsXPOrLater = false;

    std::string FBalloonTitle;  // CP932
    std::string FBalloonText;   // CP932
    TBalloonTimeout FBalloonTimeout = MinBalloonTimeout;
    TBalloonInfoIconFlag FBalloonIcon = biifNone;
    TNotifyEvent FOnBalloonHide;
    TNotifyEvent FOnBalloonTimeout;
    TNotifyEvent FOnBalloonClick;
    TNotifyEvent FOnBalloonShow;
    bool FFormActiveByMouseup = false;

    // The owner's or the application's icon, made into a TIcon when the own icon is empty.
    TIcon FFallbackIcon;
    std::int64_t FFallbackIconKey = 0;
};

}  // namespace vlz

#pragma once
// A control that shows a bitmap (the picture control of the forms), with a mouse-down event and
// an optional popup menu.

#include <QWidget>
#include <functional>
#include <memory>

class QMenu;

namespace vlz {

class TBitmap;

// Sender, the button pressed, the buttons held (with it), the position within the control.
using TControlMouseEvent = std::function<void(QWidget* Sender, Qt::MouseButton Button,
                                              Qt::MouseButtons Shift, int X, int Y)>;

// The mouse behaviour the picture and paint-box controls share.
class TGraphicControl : public QWidget {
    Q_OBJECT
  public:
    explicit TGraphicControl(QWidget* parent);

    void SetOnMouseDown(TControlMouseEvent handler) { FOnMouseDown = std::move(handler); }
    // The menu that a right click opens (none when null).
    void SetPopupMenu(QMenu* menu) { FPopupMenu = menu; }
    QMenu* PopupMenu() const { return FPopupMenu; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    TControlMouseEvent FOnMouseDown;
    QMenu* FPopupMenu = nullptr;
};

class TImage : public TGraphicControl {
    Q_OBJECT
  public:
    explicit TImage(QWidget* parent);
    ~TImage() override;

    // The bitmap shown; changes to it are shown at once.
    TBitmap& Picture() { return *FPicture; }
    // Shows a bitmap that other controls show too (one copy of a picture that many windows
    // carry) in place of a bitmap of its own. Nobody draws on a shared bitmap: its changes are
    // not watched.
    void SetSharedPicture(std::shared_ptr<TBitmap> picture);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::shared_ptr<TBitmap> FPicture;
    bool FShared = false;
};

}  // namespace vlz

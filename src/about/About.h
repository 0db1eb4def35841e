#pragma once
// The About box: the program's name and version, the home-page link, the rights notice, and one
// character of the catalogue, picked at random at each showing and animated from its first frame.

#include <cstdint>

#include "dialoghost/DialogHost.h"
#include "toolkit/Form.h"
#include "toolkit/Timer.h"

class QFrame;
class QLabel;
class QPushButton;

namespace vlz {

class TLinkLabel;
class TPreviewBox;

// The product's home page, shown by the link.
inline constexpr const char* HomePageAddress = "http://vlzozed.example.org/";

class TVLZozedAboutForm : public TForm {
    Q_OBJECT
  public:
    explicit TVLZozedAboutForm(TDialogCharacters& Characters);

    // Animation ticks since the dialog was last shown.
    std::int32_t FrameCounter = 0;
    // Catalogue index of the character shown.
    std::int32_t CharacterIndex = 0;

    QFrame* Bevel1 = nullptr;
    TPreviewBox* PaintBox = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    TLinkLabel* LinkLabel1 = nullptr;
    QPushButton* Button2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QPushButton* Button1 = nullptr;
    TTimer Timer;

  protected:
    void FormShow() override;
    void FormHide() override;
    void BeforeShow() override;

  private:
    void TimerTimer();
    void Button1Click();
    void Button2Click();

    TDialogCharacters& FCatalogue;
};

}  // namespace vlz

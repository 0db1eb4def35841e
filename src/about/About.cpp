#include "about/About.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "about/LinkLabel.h"
#include "platform/Random.h"
#include "toolkit/DialogSupport.h"
#include "toolkit/PreviewBox.h"

namespace vlz {
namespace {

QLabel* NewLabel(QWidget* parent, const char* caption, int left, int top, int width) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(left, top, width, 12);
    return label;
}

}  // namespace

TVLZozedAboutForm::TVLZozedAboutForm(TDialogCharacters& Characters)
    : TForm(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
            Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      FCatalogue(Characters) {
    SetCaption("Velloric付箋について");
    SetClientSize(349, 162);
    setFont(DesignFont("MS UI Gothic"));

    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(20, 8, 309, 89);
    PaintBox = new TPreviewBox(this, 24, 12, 77, 81);

    Label2 = NewLabel(this, "Velloric付箋 Ver.1.0.0", 120, 24, 130);
    Label2->setFont(DesignFont("MS UI Gothic", true));
    Label1 = NewLabel(this, "Velloric ホームページ:", 128, 52, 106);
    LinkLabel1 = new TLinkLabel(this);
    LinkLabel1->setGeometry(140, 68, 127, 12);
    QFont linkFont = DesignFont("ＭＳ Ｐゴシック");
    linkFont.setUnderline(true);
    LinkLabel1->setFont(linkFont);
    LinkLabel1->SetCaption(HomePageAddress);

    Button2 = new QPushButton("開く", this);
    Button2->setGeometry(272, 65, 45, 17);
    Button2->setAutoDefault(false);

    // The rights notice: who holds the rights, then a closing line.
    Label3 = NewLabel(this, "Copyright (C) 2026 VLZozed Developers", 24, 104, 225);
    Label4 = NewLabel(this, "プログラムと画像の著作権は", 24, 116, 225);
    Label5 = NewLabel(this, "VLZozed 開発者にあります。", 24, 128, 225);
    Label6 = NewLabel(this, "All rights reserved.", 24, 140, 225);

    Button1 = new QPushButton("OK", this);
    Button1->setGeometry(252, 124, 75, 25);
    Button1->setDefault(true);
    Button1->setAutoDefault(false);
    // No button is the cancel button: Escape leaves the box open.
    SetDefaultButton(Button1);
    QWidget::setTabOrder(Button1, Button2);

    Timer.SetInterval(1000);
    Timer.SetEnabled(false);  // ticks only while the box is shown
    Timer.SetOnTimer([this] { TimerTimer(); });

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void TVLZozedAboutForm::BeforeShow() {
    CentreOnScreen(*this);
}

void TVLZozedAboutForm::FormShow() {
    FrameCounter = 0;
    CharacterIndex = Random(FCatalogue.CharacterCount());
    // Until the first tick draws the new pick, the box must not show the last one.
    PaintBox->Clear();
    Timer.SetInterval(FCatalogue.CharacterAnimationInterval(CharacterIndex));
    Timer.SetEnabled(true);
    Button1->setFocus();
}

void TVLZozedAboutForm::FormHide() {
    Timer.SetEnabled(false);
}

void TVLZozedAboutForm::TimerTimer() {
    int frame = FrameOfTick(FrameCounter, FCatalogue.CharacterPatternCount(CharacterIndex));
    FCatalogue.DrawCharacterFrameOpaque(CharacterIndex, PaintBox->Canvas(), 0, 0, frame);
    PaintBox->Present();
    FrameCounter = NextTick(FrameCounter);
}

void TVLZozedAboutForm::Button1Click() {
    SetModalResult(mrOk);
    Close();
}

void TVLZozedAboutForm::Button2Click() {
    LinkLabel1->Click();
}

}  // namespace vlz

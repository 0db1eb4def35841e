#include "notes/ZozedProp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include "platform/Cp932.h"
#include "toolkit/DialogSupport.h"
#include "toolkit/FontMapping.h"
#include "toolkit/PreviewBox.h"

namespace vlz {

TZozedPropForm::TZozedPropForm(TDialogController& Controller)
    : TForm(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
            Qt::MSWindowsFixedSizeDialogHint),
      FController(Controller) {
    SetCaption("付箋のプロパティ");
    SetClientSize(397, 165);
    setFont(DesignFont("MS UI Gothic"));

    GroupBox1 = new QGroupBox("キャラクター(&C)", this);
    GroupBox1->setGeometry(12, 8, 121, 113);
    PaintBox = new TPreviewBox(GroupBox1, 12, 16, 93, 65);
    CharListBox = new QComboBox(GroupBox1);
    CharListBox->setGeometry(12, 84, 97, 20);
    CharListBox->setEditable(false);

    GroupBox2 = new QGroupBox("フォント設定", this);
    GroupBox2->setGeometry(144, 8, 241, 113);
    FontPrevPanel = new QLabel(GroupBox2);
    FontPrevPanel->setGeometry(16, 20, 209, 49);
    FontPrevPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    FontPrevPanel->setAlignment(Qt::AlignCenter);
    FontPrevPanel->setTextFormat(Qt::PlainText);
    FontPrevPanel->setAutoFillBackground(true);
    FontChangeButton = new QPushButton("フォント変更(&F)", GroupBox2);
    FontChangeButton->setGeometry(16, 80, 101, 21);
    BGColorChangeButton = new QPushButton("背景色変更(&B)", GroupBox2);
    BGColorChangeButton->setGeometry(124, 80, 101, 21);

    OkButton = new QPushButton("OK", this);
    OkButton->setGeometry(224, 132, 77, 21);
    OkButton->setDefault(true);
    CancelButton = new QPushButton("キャンセル", this);
    CancelButton->setGeometry(308, 132, 77, 21);
    DefaultCheckBox = new QCheckBox("この設定をデフォルトにする(&D)", this);
    DefaultCheckBox->setGeometry(48, 134, 161, 17);

    for (QPushButton* button : {FontChangeButton, BGColorChangeButton, OkButton, CancelButton}) {
        button->setAutoDefault(false);
    }
    SetDefaultButton(OkButton);
    SetCancelButton(CancelButton);
    QWidget::setTabOrder(CharListBox, FontChangeButton);
    QWidget::setTabOrder(FontChangeButton, BGColorChangeButton);
    QWidget::setTabOrder(BGColorChangeButton, OkButton);
    QWidget::setTabOrder(OkButton, CancelButton);
    QWidget::setTabOrder(CancelButton, DefaultCheckBox);

    Timer.SetInterval(50);
    Timer.SetEnabled(false);  // ticks only while the dialog is shown
    Timer.SetOnTimer([this] { TimerTimer(); });

    connect(CharListBox, &QComboBox::currentIndexChanged, this, [this] { CharListBoxChange(); });
    connect(FontChangeButton, &QPushButton::clicked, this, [this] { FontChangeButtonClick(); });
    connect(BGColorChangeButton, &QPushButton::clicked, this,
            [this] { BGColorChangeButtonClick(); });
    connect(OkButton, &QPushButton::clicked, this, [this] {
        OkButtonClick();
        SetModalResult(mrOk);
    });
    connect(CancelButton, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

void TZozedPropForm::BeforeShow() {
    CentreOnScreen(*this);
}

void TZozedPropForm::FormShow() {
    {
        // The list is filled quietly; the change handler runs once at the end.
        QSignalBlocker quiet(CharListBox);
        CharListBox->clear();
        for (int index = 0; index < FController.CharacterCount(); ++index) {
            CharListBox->addItem(
                QString::fromStdString(Cp932Shown(FController.CharacterName(index))));
        }
        FrameCounter = 0;
        if (TargetNote != nullptr) {
            FontDialog.Font = TargetNote->MemoFont();
            BGColorDialog.Color = TargetNote->MemoBGColor();
            int index = TargetNote->CurrentCharacter();
            CharListBox->setCurrentIndex(index >= 0 && index < CharListBox->count() ? index : -1);
        } else {
            CharListBox->setCurrentIndex(-1);
        }
    }
    OkButton->setDefault(true);
    DefaultCheckBox->setChecked(false);
    UpdateFontPreview();
    CharListBoxChange();
    Timer.SetEnabled(true);
}

void TZozedPropForm::FormHide() {
    Timer.SetEnabled(false);
}

void TZozedPropForm::TimerTimer() {
    PaintBoxPaint();
    FrameCounter = NextTick(FrameCounter);
}

void TZozedPropForm::PaintBoxPaint() {
    if (PreviewIndex < 0 || PreviewIndex >= FController.CharacterCount()) {
        return;
    }
    int frame = FrameOfTick(FrameCounter, FController.CharacterPatternCount(PreviewIndex));
    FController.DrawCharacterFrameOpaque(PreviewIndex, PaintBox->Canvas(), 0, 0, frame);
    PaintBox->Present();
}

void TZozedPropForm::CharListBoxChange() {
    // A larger previous character must leave nothing behind.
    PaintBox->Clear();
    int selected = CharListBox->currentIndex();
    Timer.SetInterval(FController.CharacterAnimationInterval(selected));
    PreviewIndex = selected;
}

void TZozedPropForm::FontChangeButtonClick() {
    if (FontDialog.Execute(this)) {
        UpdateFontPreview();
    }
}

void TZozedPropForm::BGColorChangeButtonClick() {
    if (BGColorDialog.Execute(this)) {
        UpdateFontPreview();
    }
}

void TZozedPropForm::UpdateFontPreview() {
    const TFont& font = FontDialog.Font;
    FontPrevPanel->setFont(ToQFont(font));
    QPalette colors = FontPrevPanel->palette();
    colors.setColor(QPalette::WindowText, ToQColor(font.Color));
    colors.setColor(QPalette::Window, ToQColor(BGColorDialog.Color));
    FontPrevPanel->setPalette(colors);
    FontPrevPanel->setText(
        QString::fromStdString(Cp932Shown(font.Name) + ' ' + std::to_string(font.Size) + "pt"));
}

void TZozedPropForm::OkButtonClick() {
    if (TargetNote == nullptr) {
        return;
    }
    int selected = CharListBox->currentIndex();
    TargetNote->SetMemoFont(FontDialog.Font);
    TargetNote->SetMemoBGColor(BGColorDialog.Color);
    TargetNote->SetCharacter(selected);
    if (DefaultCheckBox->isChecked()) {
        FController.SetNoteDefaults(FontDialog.Font, BGColorDialog.Color, selected);
    }
}

}  // namespace vlz

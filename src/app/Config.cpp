#include "app/Config.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "app/core/Autostart.h"
#include "toolkit/DialogSupport.h"

namespace vlz {

TConfigForm::TConfigForm(TDialogController& Controller, const TAutostartEntry& Autostart)
    : TForm(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
            Qt::MSWindowsFixedSizeDialogHint),
      FController(Controller),
      FAutostart(Autostart) {
    SetCaption("設定");
    // The designed 237 × 118, and a row below the buttons for the login check box.
    SetClientSize(237, 143);
    setFont(DesignFont("MS UI Gothic"));

    MouseRadioGroup = new QGroupBox("マウスボタンの設定", this);
    MouseRadioGroup->setGeometry(12, 12, 213, 65);
    FItems = new QButtonGroup(this);
    const char* const captions[] = {"&1. [左]:メニュー, [右]:隠す/復元",
                                    "&2. [左]:隠す/復元, [右]:メニュー"};
    for (int item = 0; item < 2; ++item) {
        MouseRadioItems[item] =
            new QRadioButton(QString::fromUtf8(captions[item]), MouseRadioGroup);
        MouseRadioItems[item]->setGeometry(8, 16 + item * 22, 197, 20);
        FItems->addButton(MouseRadioItems[item], item);
    }
    MouseRadioItems[0]->setChecked(true);

    OkButton = new QPushButton("OK", this);
    OkButton->setGeometry(64, 88, 77, 21);
    OkButton->setDefault(true);
    OkButton->setAutoDefault(false);
    CancelButton = new QPushButton("キャンセル", this);
    CancelButton->setGeometry(148, 88, 77, 21);
    CancelButton->setAutoDefault(false);
    SetDefaultButton(OkButton);
    SetCancelButton(CancelButton);
    QWidget::setTabOrder(OkButton, CancelButton);
    QWidget::setTabOrder(CancelButton, MouseRadioItems[0]);

    AutostartCheckBox = new QCheckBox("ログイン時に起動する(&L)", this);
    AutostartCheckBox->setGeometry(12, 117, 213, 17);
    QWidget::setTabOrder(MouseRadioItems[1], AutostartCheckBox);

    connect(OkButton, &QPushButton::clicked, this, [this] {
        OkButtonClick();
        SetModalResult(mrOk);
    });
    connect(CancelButton, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

int TConfigForm::ItemIndex() const {
    return FItems->checkedId();
}

void TConfigForm::SetItemIndex(int index) {
    index = std::clamp(index, -1, 1);
    if (index >= 0) {
        MouseRadioItems[index]->setChecked(true);
        return;
    }
    // A radio group lets nothing be selected only while it is not exclusive.
    FItems->setExclusive(false);
    for (QRadioButton* item : MouseRadioItems) {
        item->setChecked(false);
    }
    FItems->setExclusive(true);
}

void TConfigForm::BeforeShow() {
    CentreOnScreen(*this);
}

void TConfigForm::FormShow() {
    SetItemIndex(FController.CurrentMouseButtonMode());
    AutostartCheckBox->setEnabled(FAutostart.Available());
    AutostartCheckBox->setChecked(FAutostart.Enabled());
    OkButton->setFocus();
}

void TConfigForm::OkButtonClick() {
    // The entry first: when it cannot be written the error is shown, the dialog stays open and
    // nothing has changed.
    FAutostart.Enable(AutostartCheckBox->isChecked());
    FController.SetMouseButtonMode(ItemIndex());
}

}  // namespace vlz

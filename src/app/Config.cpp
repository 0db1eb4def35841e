#include "app/Config.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "toolkit/DialogSupport.h"

namespace vlz {

TConfigForm::TConfigForm(TDialogController& Controller)
    : TForm(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
            Qt::MSWindowsFixedSizeDialogHint),
      FController(Controller) {
    SetCaption("設定");
    SetClientSize(237, 118);
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
    QWidget::setTabOrder(OkButton, CancelButton);
    QWidget::setTabOrder(CancelButton, MouseRadioItems[0]);

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
    OkButton->setFocus();
}

void TConfigForm::keyPressEvent(QKeyEvent* event) {
    if (!PressDefaultButton(event, focusWidget(), OkButton)) {
        TForm::keyPressEvent(event);
    }
}

void TConfigForm::OkButtonClick() {
    FController.SetMouseButtonMode(ItemIndex());
}

}  // namespace vlz

#pragma once
// The settings dialog: which tray mouse button opens the menu and which one hides and restores the
// notes. OK hands the choice to the controller at once; Cancel changes nothing.

#include "dialoghost/DialogHost.h"
#include "toolkit/Form.h"

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace vlz {

class TConfigForm : public TForm {
    Q_OBJECT
  public:
    explicit TConfigForm(TDialogController& Controller);

    // The radio group's selection: -1 for none.
    int ItemIndex() const;
    // An index below -1 selects nothing, one past the last item selects the last item.
    void SetItemIndex(int index);

    QGroupBox* MouseRadioGroup = nullptr;
    QRadioButton* MouseRadioItems[2] = {nullptr, nullptr};
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

  protected:
    void FormShow() override;
    void BeforeShow() override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void OkButtonClick();

    TDialogController& FController;
    QButtonGroup* FItems = nullptr;
};

}  // namespace vlz

#pragma once
// The settings dialog: which tray mouse button opens the menu and which one hides and restores the
// notes, and whether the program starts at login. OK hands the choice to the controller at once
// and writes or removes the autostart entry; Cancel changes nothing.

#include "dialoghost/DialogHost.h"
#include "toolkit/Form.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace vlz {

class TAutostartEntry;

class TConfigForm : public TForm {
    Q_OBJECT
  public:
    TConfigForm(TDialogController& Controller, const TAutostartEntry& Autostart);

    // The radio group's selection: -1 for none.
    int ItemIndex() const;
    // An index below -1 selects nothing, one past the last item selects the last item.
    void SetItemIndex(int index);

    QGroupBox* MouseRadioGroup = nullptr;
    QRadioButton* MouseRadioItems[2] = {nullptr, nullptr};
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QCheckBox* AutostartCheckBox = nullptr;

  protected:
    void FormShow() override;
    void BeforeShow() override;

  private:
    void OkButtonClick();

    TDialogController& FController;
    const TAutostartEntry& FAutostart;
    QButtonGroup* FItems = nullptr;
};

}  // namespace vlz

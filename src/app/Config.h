#pragma once
// The settings dialog: the tray icon's mouse-button mode.

#include "toolkit/Form.h"

namespace vlz {

class TMainForm;

class TConfigForm : public TForm {
    Q_OBJECT
  public:
    explicit TConfigForm(TMainForm& MainForm);

  private:
    TMainForm& FMainForm;
};

}  // namespace vlz

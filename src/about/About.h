#pragma once
// The About box.

#include "toolkit/Form.h"

namespace vlz {

class TMainForm;

class TVLZozedAboutForm : public TForm {
    Q_OBJECT
  public:
    explicit TVLZozedAboutForm(TMainForm& MainForm);

  private:
    TMainForm& FMainForm;
};

}  // namespace vlz

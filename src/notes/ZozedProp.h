#pragma once
// The note properties dialog: a note's character, memo font and background colour.

#include "toolkit/Form.h"

namespace vlz {

class TMainForm;
class TZozedForm;

class TZozedPropForm : public TForm {
    Q_OBJECT
  public:
    explicit TZozedPropForm(TMainForm& MainForm);

    // The note the dialog works on; set before ShowModal.
    TZozedForm* TargetNote = nullptr;

  private:
    TMainForm& FMainForm;
};

}  // namespace vlz

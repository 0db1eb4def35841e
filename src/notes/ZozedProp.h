#pragma once
// The note properties dialog: one note's character, memo font and memo background colour, and
// whether these become the defaults for new notes. It works on copies held by its font and colour
// dialogs and touches the note, and the defaults, only when OK is pressed.

#include <cstdint>

#include "dialoghost/DialogHost.h"
#include "toolkit/ColorDialog.h"
#include "toolkit/FontDialog.h"
#include "toolkit/Form.h"
#include "toolkit/Timer.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace vlz {

class TPreviewBox;

class TZozedPropForm : public TForm {
    Q_OBJECT
  public:
    explicit TZozedPropForm(TDialogController& Controller);

    // The note the dialog works on; set by the note window before ShowModal.
    TPropertyTarget* TargetNote = nullptr;

    // Preview ticks since the dialog was last shown.
    std::int32_t FrameCounter = 0;
    // Catalogue index of the character in the preview; -1 when nothing is selected.
    std::int32_t PreviewIndex = -1;

    QGroupBox* GroupBox1 = nullptr;
    TPreviewBox* PaintBox = nullptr;
    QComboBox* CharListBox = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* FontPrevPanel = nullptr;
    QPushButton* FontChangeButton = nullptr;
    QPushButton* BGColorChangeButton = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QCheckBox* DefaultCheckBox = nullptr;
    TTimer Timer;
    TFontDialog FontDialog;
    TColorDialog BGColorDialog;

  protected:
    void FormShow() override;
    void FormHide() override;
    void BeforeShow() override;

  private:
    void TimerTimer();
    void PaintBoxPaint();
    void CharListBoxChange();
    void FontChangeButtonClick();
    void BGColorChangeButtonClick();
    void OkButtonClick();
    void UpdateFontPreview();

    TDialogController& FController;
};

}  // namespace vlz

#pragma once
// The font dialog with its effects part: face, style, size, strike-out, underline and the text
// colour, with a sample line, in Japanese. Qt's own font dialog has no text colour, and the memo's
// text colour is chosen here. TFontDialog holds the working font, as the common dialog component
// does: Execute shows the dialog on it and keeps the choice only when the user confirms.

#include <QDialog>

#include "graphics/Font.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace vlz {

class TFontDialogWindow : public QDialog {
    Q_OBJECT
  public:
    explicit TFontDialogWindow(const TFont& font, QWidget* parent = nullptr);

    // The font as chosen so far. A colour the user did not touch comes back exactly as given
    // (system colours stay system colours), as does the character set.
    TFont Font() const;

    // Chooses a colour in the colour list, adding it as "カスタム" when it is not one of the list.
    void SelectColor(TColor color);

    void accept() override;

  private:
    void FaceTyped(const QString& text);
    void FaceChosen();
    void SizeChosen();
    void ColorChosen(int index);
    void UpdateSample();

    QLineEdit* FFaceEdit = nullptr;
    QListWidget* FFaceList = nullptr;
    QListWidget* FStyleList = nullptr;
    QLineEdit* FSizeEdit = nullptr;
    QListWidget* FSizeList = nullptr;
    QCheckBox* FStrikeOutCheckBox = nullptr;
    QCheckBox* FUnderlineCheckBox = nullptr;
    QComboBox* FColorComboBox = nullptr;
    QComboBox* FCharsetComboBox = nullptr;
    QLabel* FSample = nullptr;
    TFont FFont;
    int FLastColorIndex = 0;
};

class TFontDialog {
  public:
    TFont Font;

    // Shows the dialog modally on Font; true (and Font changed) when the user pressed OK.
    bool Execute(QWidget* parent = nullptr);
};

}  // namespace vlz

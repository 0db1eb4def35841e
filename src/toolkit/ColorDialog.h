#pragma once
// The colour dialog component: holds the working colour; Execute shows the dialog on it, with
// the custom colours shown, and keeps the choice only when the user confirms.

#include "graphics/Color.h"

class QWidget;

namespace vlz {

class TColorDialog {
  public:
    TColor Color = clBlack;

    bool Execute(QWidget* parent = nullptr);
};

}  // namespace vlz

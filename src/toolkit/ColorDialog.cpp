#include "toolkit/ColorDialog.h"

#include <QColorDialog>

#include "toolkit/FontMapping.h"

namespace vlz {

bool TColorDialog::Execute(QWidget* parent) {
    // The widget dialog, not the desktop's: it always shows the custom colours, which the
    // desktop dialogs may hide behind a button.
    QColorDialog dialog(ToQColor(Color), parent);
    dialog.setObjectName("ColorDialog");
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    Color = FromQColor(dialog.selectedColor());
    return true;
}

}  // namespace vlz

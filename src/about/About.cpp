#include "about/About.h"

namespace vlz {

TVLZozedAboutForm::TVLZozedAboutForm(TMainForm& MainForm)
    : TForm(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), FMainForm(MainForm) {
    SetCaption("Velloric付箋について");
    SetClientSize(349, 162);
}

}  // namespace vlz

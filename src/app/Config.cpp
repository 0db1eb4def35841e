#include "app/Config.h"

namespace vlz {

TConfigForm::TConfigForm(TMainForm& MainForm)
    : TForm(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), FMainForm(MainForm) {
    SetCaption("設定");
    SetClientSize(237, 118);
}

}  // namespace vlz

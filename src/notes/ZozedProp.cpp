#include "notes/ZozedProp.h"

namespace vlz {

TZozedPropForm::TZozedPropForm(TMainForm& MainForm)
    : TForm(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), FMainForm(MainForm) {
    SetCaption("付箋のプロパティ");
    SetClientSize(397, 165);
}

}  // namespace vlz

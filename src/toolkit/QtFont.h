#pragma once
// The program's font and colour values in Qt terms, for widgets that show them.

#include <QColor>
#include <QFont>

#include "graphics/Color.h"
#include "graphics/Font.h"

namespace vlz {

// The explicit colour behind a colour value (system colours resolved).
QColor ToQColor(TColor color);
// 0x00BBGGRR of a Qt colour (alpha dropped).
TColor FromQColor(const QColor& color);

// Face, point size and styles; the colour is not part of a QFont (see ToQColor).
QFont ToQFont(const TFont& font);

}  // namespace vlz

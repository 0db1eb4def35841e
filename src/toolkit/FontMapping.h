#pragma once
// The program's font description as Qt draws it. Sizes are points at 96 dots per inch (the forms
// are not scaled), so 9 points are 12 pixels on every screen.

#include <QColor>
#include <QFont>

#include "graphics/Color.h"
#include "graphics/Font.h"

namespace vlz {

QFont ToQFont(const TFont& font);
// Face, size and styles from Qt; colour and character set stay those of `base`.
TFont FromQFont(const QFont& font, const TFont& base);
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);

}  // namespace vlz

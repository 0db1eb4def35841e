#include "toolkit/QtFont.h"

#include <algorithm>

namespace vlz {

QColor ToQColor(TColor color) {
    TColor rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor& color) {
    return RGB(static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
               static_cast<std::uint8_t>(color.blue()));
}

QFont ToQFont(const TFont& font) {
    QFont result(QString::fromStdString(font.Name));
    // A stored size of 0 or less cannot be drawn; the smallest size stands in for it.
    result.setPointSize(std::max(font.Size, 1));
    result.setBold(font.Style.Contains(TFontStyle::fsBold));
    result.setItalic(font.Style.Contains(TFontStyle::fsItalic));
    result.setUnderline(font.Style.Contains(TFontStyle::fsUnderline));
    result.setStrikeOut(font.Style.Contains(TFontStyle::fsStrikeOut));
    return result;
}

}  // namespace vlz

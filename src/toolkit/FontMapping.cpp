#include "toolkit/FontMapping.h"

#include <cmath>

namespace vlz {

QFont ToQFont(const TFont& font) {
    QFont result(QString::fromStdString(font.Name));
    // Windows rounds points to pixels at 96 dpi: MulDiv(size, 96, 72).
    const int pixels = static_cast<int>(std::lround(font.Size * 96.0 / 72.0));
    result.setPixelSize(pixels > 0 ? pixels : 1);
    result.setBold(font.Style.Contains(TFontStyle::fsBold));
    result.setItalic(font.Style.Contains(TFontStyle::fsItalic));
    result.setUnderline(font.Style.Contains(TFontStyle::fsUnderline));
    result.setStrikeOut(font.Style.Contains(TFontStyle::fsStrikeOut));
    return result;
}

TFont FromQFont(const QFont& font, const TFont& base) {
    TFont result = base;
    result.Name = font.family().toStdString();
    if (font.pixelSize() > 0) {
        result.Size = static_cast<int>(std::lround(font.pixelSize() * 72.0 / 96.0));
    } else if (font.pointSize() > 0) {
        result.Size = font.pointSize();
    }
    result.Style = {};
    if (font.bold())
        result.Style.Include(TFontStyle::fsBold);
    if (font.italic())
        result.Style.Include(TFontStyle::fsItalic);
    if (font.underline())
        result.Style.Include(TFontStyle::fsUnderline);
    if (font.strikeOut())
        result.Style.Include(TFontStyle::fsStrikeOut);
    return result;
}

QColor ToQColor(TColor color) {
    const auto rgb = static_cast<std::uint32_t>(ColorToRGB(color));
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor& color) {
    return RGB(static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
               static_cast<std::uint8_t>(color.blue()));
}

}  // namespace vlz

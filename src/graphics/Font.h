#pragma once
// A font as the program describes it: face name, size in points, colour, character set and a set
// of styles. A plain value; the Qt layer turns it into a QFont and a text colour.

#include <cstdint>
#include <initializer_list>
#include <string>

#include "graphics/Color.h"

namespace vlz {

enum class TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

class TFontStyles {
  public:
    constexpr TFontStyles() = default;
    constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
        for (TFontStyle style : styles) {
            Include(style);
        }
    }
    constexpr bool Contains(TFontStyle style) const { return (bits_ & Bit(style)) != 0; }
    constexpr void Include(TFontStyle style) {
        bits_ = static_cast<std::uint8_t>(bits_ | Bit(style));
    }
    constexpr void Exclude(TFontStyle style) {
        bits_ = static_cast<std::uint8_t>(bits_ & ~Bit(style));
    }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr bool operator==(const TFontStyles&) const = default;

  private:
    static constexpr std::uint8_t Bit(TFontStyle style) {
        return static_cast<std::uint8_t>(1u << static_cast<unsigned>(style));
    }
    std::uint8_t bits_ = 0;
};

// Character sets of the Windows font model, one byte wide.
using TFontCharset = std::uint8_t;
constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset SHIFTJIS_CHARSET = 128;

class TFont {
  public:
    std::string Name = "ＭＳ Ｐゴシック";  // UTF-8
    int Size = 9;                          // points
    TColor Color = clWindowText;
    TFontCharset Charset = SHIFTJIS_CHARSET;
    TFontStyles Style;

    bool operator==(const TFont&) const = default;
};

}  // namespace vlz

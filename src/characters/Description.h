#pragma once
// A character's description ("desc.txt"): CP932 text, one `key=value` setting per line.
//
// Lines end with CR LF, a lone CR or a lone LF, and a NUL byte ends the text. A line counts for a
// key when the text before its first "=" equals the key without regard to letter case; the
// first such line wins, and lines without "=" are ignored.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vlz {

// The lines of the text, without their line breaks. A break at the very end starts no new line.
std::vector<std::string> SplitDescriptionLines(std::string_view text);

// The value of the first line whose key matches: everything after the first "=", untrimmed.
std::optional<std::string> DescriptionValue(const std::vector<std::string>& lines,
                                            std::string_view key);

// A signed 32-bit integer: spaces, an optional sign, then decimal digits, or hexadecimal digits
// after "$" or "0x". Nothing may follow the digits. Decimal values must fit the signed range;
// hexadecimal ones are taken as 32-bit patterns ("$FFFFFFFF" is -1), as Windows-era tools wrote.
std::optional<std::int32_t> ParseDescriptionInteger(std::string_view text);

// What a description gives a character. The integer settings are read in the order of the
// fields; the first that is missing, malformed or out of range stops the reading, and it and
// the ones after it keep their defaults.
struct TCharacterDescription {
    std::string Name;  // CP932, as written
    std::int32_t PatternWidth = 32;
    std::int32_t PatternHeight = 32;
    std::int32_t PatternCount = 1;
    std::int32_t AnimationInterval = 100;
    // The key that stopped the reading; empty when every setting was read.
    std::string FailedKey;

    bool Complete() const { return FailedKey.empty(); }
};

// A frame side larger than this cannot be meant for a note and would only cost memory per tick.
inline constexpr std::int32_t MaximumPatternSide = 4096;

// Reads the five settings. A frame side outside 1..MaximumPatternSide, a frame count below 1
// or a negative interval counts as malformed, so that drawing and timing stay sound.
TCharacterDescription ReadCharacterDescription(const std::vector<std::string>& lines);

class TReadPackageFile;

// The description of an opened package (an empty reader has none), as the character loader
// takes it, with the loader's boxes: "FileOpenError: desc.txt" when the package holds no
// description (or one of negative size), and "<fileName>(desc.txt) 読み込み中のエラー." when a
// setting is missing or unusable. A description that reaches past the end of the package raises
// EReadError before any box. The name comes back as UTF-8.
TCharacterDescription LoadPackageDescription(TReadPackageFile& reader, const std::string& fileName);

}  // namespace vlz

#pragma once
// Letter case as Windows treats the program's names. For INI sections and keys, atoms,
// description keys and file patterns only the ASCII letters A-Z and a-z have a case, and both
// bytes of a double-byte CP932 character are left alone, since a trail byte can be an ASCII
// letter (0x83 0x41 is "ア"). Package entries are compared in the code page's full upper case.

#include <string>
#include <string_view>

namespace vlz {

constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The CP932 text with its ASCII letters in lower case.
std::string Cp932LowerCase(std::string_view text);
// Whether two CP932 texts are the same but for the case of their ASCII letters.
bool Cp932SameIgnoringCase(std::string_view left, std::string_view right);

// The CP932 text in upper case as Windows makes it for the code page (CharUpper), for names that
// are compared that way (package entries): the ASCII letters, and in their double-byte forms the
// full-width Latin letters, Greek, Cyrillic and the small Roman numerals, take their capitals.
// Windows changes the text through Unicode, so a character that CP932 lists under two codes comes
// back under the one it writes it with (0xED40 as 0xFA5C, the small Roman numeral one at 0xFA40 as
// the capital at 0x8754). Bytes that stand for no character stay as they are.
std::string Cp932CodePageUpperCase(std::string_view text);

}  // namespace vlz

#pragma once
// Letter case as Windows treats the program's names (INI sections and keys, atoms, package
// entries, description keys, file patterns): only the ASCII letters A-Z and a-z have a case. In
// CP932 text both bytes of a double-byte character are left alone, since a trail byte can be an
// ASCII letter (0x83 0x41 is "ア").

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
// The CP932 text with its ASCII letters in upper case.
std::string Cp932UpperCase(std::string_view text);
// Whether two CP932 texts are the same but for the case of their ASCII letters.
bool Cp932SameIgnoringCase(std::string_view left, std::string_view right);

}  // namespace vlz

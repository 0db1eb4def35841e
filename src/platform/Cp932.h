#pragma once
// Text at the program's boundaries. Memory holds UTF-8; files, packages and INI values hold CP932
// (Shift-JIS with the Windows extensions, where 0x5C is the backslash).

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Exception.h"

namespace vlz {

// Raised for UTF-8 text that CP932 cannot hold.
class ECp932Error : public Exception {
  public:
    using Exception::Exception;
};

// UTF-8 to CP932; raises ECp932Error naming the first character that CP932 lacks.
std::string ToCp932(std::string_view utf8);

// CP932 to UTF-8. Bytes that are not CP932 (a lone lead byte, an unassigned code) each become
// U+FFFD, so reading never fails.
std::string FromCp932(std::string_view cp932);

// Whether every character of the UTF-8 text exists in CP932.
bool FitsCp932(std::string_view utf8);

// The number of bytes the UTF-8 text takes in CP932; raises ECp932Error like ToCp932.
std::size_t Cp932Length(std::string_view utf8);

// Whether the byte starts a double-byte CP932 character.
constexpr bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The longest prefix of the CP932 bytes that is at most maxBytes long and does not end in the
// first half of a double-byte character.
std::string_view Cp932Prefix(std::string_view cp932, std::size_t maxBytes);

}  // namespace vlz

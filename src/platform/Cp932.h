#pragma once
// Text at the program's boundaries. Memory holds UTF-8; files, packages and INI values hold CP932
// (Shift-JIS with the Windows extensions, where 0x5C is the backslash).
//
// Every byte string read from a file comes back from a save exactly as it was. Bytes that do not
// stand for a character that encodes back to themselves travel through the UTF-8 text as "byte
// carriers", code points of the Supplementary Private Use Area-A that no CP932 text decodes to:
//
//   U+F0000 + byte                   one byte: 0x80, 0xA0, 0xFD-0xFF, or a lead byte at the end
//   U+F0000 + (lead << 8 | trail)    a lead byte and the byte after it: an unassigned code, or
//                                    one of the duplicate codes (NEC-selected IBM extensions and
//                                    the like) that CP932 encodes under another code
//
// The user-defined area 0xF040-0xF9FC decodes to U+E000-U+E757 and back, so it needs no carrier.
// Carriers are for text that came from a file: text a user types is refused when it holds one
// (FitsCp932), so that no one can make the program write bytes that were never read.

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

// UTF-8 to CP932, byte carriers to their bytes; raises ECp932Error naming the first character
// that CP932 lacks. A carried lead byte that is followed by more text is written with 0x7F after
// it, which no character takes as its second byte: on its own it would join the next character.
std::string ToCp932(std::string_view utf8);

// CP932 to UTF-8; never fails, and ToCp932 gives the same bytes back.
std::string FromCp932(std::string_view cp932);

// Whether text that a user typed can be stored: every character exists in CP932 and none is a
// byte carrier.
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

// Byte carriers one by one, for the places that show text: whether a code point is one, how many
// bytes it stands for, and the character it shows as (the character of a duplicate code, or the
// replacement mark U+FFFD).
bool IsCp932ByteCarrier(char32_t code);
std::size_t CarriedByteCount(char32_t carrier);
char32_t ShownCharacter(char32_t carrier);

// The text with every byte carrier replaced by the character it shows as, for labels and lists.
std::string Cp932Shown(std::string_view utf8);

// Code by code, for the places that work on CP932 bytes: the character a double-byte code stands
// for (also one written under a duplicate code), or 0 when it stands for none; and the code CP932
// writes a character under (a single byte, or lead byte << 8 | trail byte), or 0 when it has none.
char32_t Cp932CharacterOf(unsigned char lead, unsigned char trail);
unsigned Cp932CodeOf(char32_t character);

}  // namespace vlz

#include "platform/Cp932Case.h"

#include "platform/Cp932.h"

namespace vlz {
namespace {

// The capital of a letter that CP932 holds in double-byte form; the letter itself otherwise.
char32_t CapitalOf(char32_t letter) {
    if ((letter >= 0xFF41 && letter <= 0xFF5A) ||                      // full-width Latin
        (letter >= 0x03B1 && letter <= 0x03C9 && letter != 0x03C2) ||  // Greek
        (letter >= 0x0430 && letter <= 0x044F)) {                      // Cyrillic
        return letter - 0x20;
    }
    if (letter >= 0x0450 && letter <= 0x045F) {  // Cyrillic with marks: ё
        return letter - 0x50;
    }
    if (letter >= 0x2170 && letter <= 0x217F) {  // small Roman numerals
        return letter - 0x10;
    }
    return letter;
}

// The code CharUpper leaves a double-byte code under: its capital's, or the one CP932 writes its
// character under. Names are short and seldom hold double-byte characters, so each is worked out
// when it comes, through the code page itself.
unsigned UpperCaseCode(unsigned char lead, unsigned char trail) {
    const unsigned code = static_cast<unsigned>(lead) << 8 | trail;
    const char32_t character = Cp932CharacterOf(lead, trail);
    const unsigned upper = character != 0 ? Cp932CodeOf(CapitalOf(character)) : 0;
    return upper > 0xFF ? upper : code;
}

std::string LowerOutsideDoubleBytes(std::string_view text) {
    std::string folded(text);
    for (std::size_t i = 0; i < folded.size(); ++i) {
        if (IsCp932LeadByte(static_cast<unsigned char>(folded[i]))) {
            ++i;
        } else {
            folded[i] = AsciiLower(folded[i]);
        }
    }
    return folded;
}

}  // namespace

std::string Cp932LowerCase(std::string_view text) {
    return LowerOutsideDoubleBytes(text);
}

std::string Cp932CodePageUpperCase(std::string_view text) {
    std::string upper(text);
    for (std::size_t i = 0; i < upper.size(); ++i) {
        const auto lead = static_cast<unsigned char>(upper[i]);
        if (!IsCp932LeadByte(lead)) {
            upper[i] = AsciiUpper(upper[i]);
        } else if (i + 1 < upper.size()) {
            const unsigned code = UpperCaseCode(lead, static_cast<unsigned char>(upper[i + 1]));
            upper[i] = static_cast<char>(code >> 8);
            upper[i + 1] = static_cast<char>(code & 0xFF);
            ++i;
        }
    }
    return upper;
}

bool Cp932SameIgnoringCase(std::string_view left, std::string_view right) {
    if (left.size() != right.size()) {
        return false;
    }
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (IsCp932LeadByte(static_cast<unsigned char>(left[i]))) {
            // Both bytes of a double-byte character compare exactly.
            if (left[i] != right[i] || (i + 1 < left.size() && left[i + 1] != right[i + 1])) {
                return false;
            }
            ++i;
        } else if (AsciiLower(left[i]) != AsciiLower(right[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace vlz

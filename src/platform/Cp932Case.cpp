#include "platform/Cp932Case.h"

#include <map>

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

// The double-byte codes that CharUpper changes, each with the code it leaves; worked out once from
// the code page itself.
const std::map<unsigned, unsigned>& ChangedDoubleByteCodes() {
    static const std::map<unsigned, unsigned> changed = [] {
        std::map<unsigned, unsigned> codes;
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (!IsCp932LeadByte(static_cast<unsigned char>(lead))) {
                continue;
            }
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                const char32_t character = Cp932CharacterOf(static_cast<unsigned char>(lead),
                                                            static_cast<unsigned char>(trail));
                const unsigned code = lead << 8 | trail;
                const unsigned upper = character != 0 ? Cp932CodeOf(CapitalOf(character)) : 0;
                if (upper > 0xFF && upper != code) {
                    codes.emplace(code, upper);
                }
            }
        }
        return codes;
    }();
    return changed;
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
    const std::map<unsigned, unsigned>& changed = ChangedDoubleByteCodes();
    std::string upper(text);
    for (std::size_t i = 0; i < upper.size(); ++i) {
        const auto lead = static_cast<unsigned char>(upper[i]);
        if (!IsCp932LeadByte(lead)) {
            upper[i] = AsciiUpper(upper[i]);
        } else if (i + 1 < upper.size()) {
            const unsigned code = lead << 8 | static_cast<unsigned char>(upper[i + 1]);
            if (const auto found = changed.find(code); found != changed.end()) {
                upper[i] = static_cast<char>(found->second >> 8);
                upper[i + 1] = static_cast<char>(found->second & 0xFF);
            }
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

#include "platform/Cp932Case.h"

#include "platform/Cp932.h"

namespace vlz {
namespace {

template <char (*Fold)(char)>
std::string FoldOutsideDoubleBytes(std::string_view text) {
    std::string folded(text);
    for (std::size_t i = 0; i < folded.size(); ++i) {
        if (IsCp932LeadByte(static_cast<unsigned char>(folded[i]))) {
            ++i;
        } else {
            folded[i] = Fold(folded[i]);
        }
    }
    return folded;
}

}  // namespace

std::string Cp932LowerCase(std::string_view text) {
    return FoldOutsideDoubleBytes<AsciiLower>(text);
}

std::string Cp932UpperCase(std::string_view text) {
    return FoldOutsideDoubleBytes<AsciiUpper>(text);
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

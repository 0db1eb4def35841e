#pragma once
// Every double-byte code of the code page: a lead byte followed by each trail byte of a range.

#include <string>
#include <vector>

#include "platform/Cp932.h"

namespace vlz::testing {

inline std::vector<std::string> DoubleByteCodes(unsigned firstTrail, unsigned lastTrail) {
    std::vector<std::string> codes;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsCp932LeadByte(static_cast<unsigned char>(lead))) {
            continue;
        }
        for (unsigned trail = firstTrail; trail <= lastTrail; ++trail) {
            codes.push_back({static_cast<char>(lead), static_cast<char>(trail)});
        }
    }
    return codes;
}

}  // namespace vlz::testing

#pragma once
// Mouse buttons and the shift state that mouse events carry.

#include <cstdint>

namespace vlz {

enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TShiftStateFlag : std::uint8_t {
    ssShift = 0x01,
    ssAlt = 0x02,
    ssCtrl = 0x04,
    ssLeft = 0x08,
    ssRight = 0x10,
    ssMiddle = 0x20,
    ssDouble = 0x40,
};

// A set of TShiftStateFlag bits.
using TShiftState = std::uint8_t;

}  // namespace vlz

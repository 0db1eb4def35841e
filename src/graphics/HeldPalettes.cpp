#include "graphics/HeldPalettes.h"

#include <unordered_set>

namespace vlz {
namespace {

// Never destroyed: the fixed palettes are released when the library's registration ends, which
// may come after the destruction of any function-local set.
std::unordered_set<HPALETTE>& Held() {
    static auto* held = new std::unordered_set<HPALETTE>;
    return *held;
}

}  // namespace

HPALETTE HoldPalette(HPALETTE palette) {
    if (palette != nullptr) {
        Held().insert(palette);
    }
    return palette;
}

void DeleteHeldPalette(HPALETTE palette) {
    if (palette != nullptr) {
        Held().erase(palette);
        DeletePalette(palette);
    }
}

bool IsHeldPalette(HPALETTE palette) {
    return palette != nullptr && Held().count(palette) != 0;
}

}  // namespace vlz

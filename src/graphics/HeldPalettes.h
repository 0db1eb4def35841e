#pragma once
// The palettes that pictures free themselves: every TBitmap's palette, every DIB store's cached
// palette and the bitmap library's two fixed palettes. A picture given such a palette takes a
// copy, so that no palette is freed twice, whichever picture's palette a caller passes on.

#include <memory>

#include "graphics/Palette.h"

namespace vlz {

// From now on a picture frees `palette`; returns it. nullptr is ignored.
HPALETTE HoldPalette(HPALETTE palette);
// Deletes a palette, held or not; nullptr is ignored.
void DeleteHeldPalette(HPALETTE palette);
bool IsHeldPalette(HPALETTE palette);

// Owns a held palette.
struct HeldPaletteDeleter {
    void operator()(TLogicalPalette* palette) const { DeleteHeldPalette(palette); }
};
using HeldPalette = std::unique_ptr<TLogicalPalette, HeldPaletteDeleter>;

}  // namespace vlz

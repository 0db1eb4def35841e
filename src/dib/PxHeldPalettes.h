#pragma once
// The palettes that the library frees itself: every store's cached palette and the two fixed
// palettes. TPxDIB.SetPalette gives a store such a palette only as a copy, so that no palette is
// freed twice, whichever image's palette a caller passes on.

#include "graphics/Palette.h"

namespace vlz {

// From now on the library frees `palette`; returns it. nullptr is ignored.
HPALETTE HoldPalette(HPALETTE palette);
// Deletes a palette, held or not; nullptr is ignored.
void DeleteHeldPalette(HPALETTE palette);
bool IsHeldPalette(HPALETTE palette);

}  // namespace vlz

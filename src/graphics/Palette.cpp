#include "graphics/Palette.h"

#include <algorithm>

namespace vlz {

HPALETTE CreatePalette(const PALETTEENTRY* entries, int count) {
    if (entries == nullptr || count < 1 || count > MaxPaletteEntries) {
        return nullptr;
    }
    return new TLogicalPalette(std::vector<PALETTEENTRY>(entries, entries + count));
}

void DeletePalette(HPALETTE palette) {
    delete palette;
}

HPALETTE CopyPalette(HPALETTE palette) {
    return palette ? new TLogicalPalette(palette->Entries()) : nullptr;
}

int GetPaletteEntries(HPALETTE palette, int start, int count, PALETTEENTRY* out) {
    if (palette == nullptr) {
        return 0;
    }
    int size = static_cast<int>(palette->Entries().size());
    if (out == nullptr) {
        return size;
    }
    if (start < 0 || start >= size || count <= 0) {
        return 0;
    }
    int copied = std::min(count, size - start);
    std::copy_n(palette->Entries().begin() + start, copied, out);
    return copied;
}

}  // namespace vlz

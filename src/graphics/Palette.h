#pragma once
// Logical palettes: up to 256 colour entries behind a handle. Whoever creates a palette deletes it,
// unless ownership is handed on (a bitmap store, a TBitmap).

#include <cstdint>
#include <memory>
#include <vector>

namespace vlz {

struct PALETTEENTRY {
    std::uint8_t peRed = 0;
    std::uint8_t peGreen = 0;
    std::uint8_t peBlue = 0;
    std::uint8_t peFlags = 0;
    friend bool operator==(const PALETTEENTRY&, const PALETTEENTRY&) = default;
};

class TLogicalPalette {
  public:
    explicit TLogicalPalette(std::vector<PALETTEENTRY> entries) : entries_(std::move(entries)) {}
    const std::vector<PALETTEENTRY>& Entries() const { return entries_; }

  private:
    std::vector<PALETTEENTRY> entries_;
};

using HPALETTE = TLogicalPalette*;

constexpr int MaxPaletteEntries = 256;

// A new palette of `count` entries (1..256); nullptr for any other count.
HPALETTE CreatePalette(const PALETTEENTRY* entries, int count);
// Deletes a palette; nullptr is ignored.
void DeletePalette(HPALETTE palette);
// A new palette with the same entries; nullptr for nullptr.
HPALETTE CopyPalette(HPALETTE palette);
// Copies up to `count` entries from `start` into `out` (which may be nullptr to ask for the number
// of entries); returns the number copied (or held).
int GetPaletteEntries(HPALETTE palette, int start, int count, PALETTEENTRY* out);

// Owns a palette handle for the length of a scope.
struct PaletteDeleter {
    void operator()(TLogicalPalette* palette) const { DeletePalette(palette); }
};
using UniquePalette = std::unique_ptr<TLogicalPalette, PaletteDeleter>;

}  // namespace vlz

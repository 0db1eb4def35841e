#pragma once
// The bitmap library's pixel store: one bitmap in one of six in-memory formats (1, 4, 8, 24 bits
// uncompressed; 4 bits RLE4 and 8 bits RLE8 kept compressed). TPxDIB objects share a store by
// reference count; the codecs and converters read one store's DIBInfos and fill another's.

#include <cstdint>

#include "dib/PxDIBInfos.h"
#include "graphics/Palette.h"
#include "platform/GlobalMemory.h"
#include "platform/Stream.h"

namespace vlz {

class TPxInternalDIB {
  public:
    std::int32_t RefCount = 1;   // only TPxDIB changes it
    std::int32_t Width = 0;      // always biWidth
    std::int32_t Height = 0;     // always |biHeight|
    HPALETTE Palette = nullptr;  // cached palette of the colour table; owned by the store
    TPxDIBInfos DIBInfos;
    bool PaletteChanged = false;  // set whenever the whole image is replaced; TPxDIB clears it
    bool UseFileMapping = true;   // where this store's pixel blocks come from

    // A 1 × 1 black 8-bit image with 256 palette entries.
    explicit TPxInternalDIB(bool useFileMapping);
    ~TPxInternalDIB();
    TPxInternalDIB(const TPxInternalDIB&) = delete;
    TPxInternalDIB& operator=(const TPxInternalDIB&) = delete;

    // Makes the store an empty (zeroed) uncompressed image. A negative height gives a top-down
    // image. The store must hold no pixel block (call FreeDIB first). Raises EPxDIBInvalidDIBPara
    // before touching anything when a parameter is out of range.
    void CreateDIB(std::int32_t width, std::int32_t height, std::int32_t bitCount,
                   std::int32_t clrUsed);
    // Releases the pixel block and the cached palette; harmless when called twice.
    void FreeDIB();
    // Throws the cached palette away and flags the change.
    void InvalidatePalette();
    // A new palette of the colour table (owned by the caller), or nullptr when biClrUsed is 0.
    HPALETTE CreatePaletteFromDIB() const;

    // Replaces the content with the BMP file image at the stream's position. On failure the store
    // keeps its previous image; only the stream position has moved.
    void LoadFromStream(TStream& stream);
    // Writes the store as a BMP file image (40-byte header), nothing converted.
    void SaveToStream(TStream& stream) const;
    // Replaces the content with the packed DIB (CF_DIB) in a global block; the block is locked
    // for the duration and never freed here.
    void LoadFromClipboardFormat(HGLOBAL handle);
    // A new movable, zero-initialised global block holding the store as a packed DIB; the caller
    // owns it.
    void SaveToClipboardFormat(HGLOBAL& handle) const;

    // The store's pixel format, or EPxDIBInvalidDIB for a bit count / compression pairing that is
    // none of the six.
    TPxPixelFormat GetPixelFormat() const;

  private:
    // Swaps in a fully built image; the old block and palette go.
    void Commit(const TPxDIBInfos& infos);
};

// 2, 16 or 256 for 1, 4 or 8 bits per pixel; 0 for every other bit count.
std::int32_t ColorCountOf(std::int32_t bitCount);

// The shift that brings the highest set bit of a non-zero mask to bit 7 (negative: a left shift).
std::int32_t MaskShiftOf(std::uint32_t mask);

// A new palette of biClrUsed entries of the colour table, or nullptr when biClrUsed is 0. Raises
// EOutOfResources "GetPaletteFromDIBInfos: Cannot Make Palette" when none can be made.
HPALETTE GetPaletteFromDIBInfos(const TPxDIBInfos& infos);

// Bytes per row of uncompressed pixels of a store's header.
std::int64_t RowStrideOf(const BITMAPINFOHEADER& header);

}  // namespace vlz

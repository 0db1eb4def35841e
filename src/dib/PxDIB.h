#pragma once
// TPxDIB: the library's device-independent bitmap as a graphic. Its pixels live in a
// TPxInternalDIB store that several TPxDIB objects share by reference count: Assign from another
// TPxDIB shares, and every change in place (SetPixels, SetPalette, SetPixelFormat, opening a
// canvas) first gives the object a copy of its own. Operations that replace the whole image build
// the new store first, so a failure leaves the object with its previous image.

#include <cstdint>
#include <string>

#include "dib/PxDIBInfos.h"
#include "dib/PxGraph.h"
#include "dib/PxInternalDIB.h"
#include "graphics/Color.h"

namespace vlz {

class TBitmap;

enum TPxPaletteMode : std::uint8_t {
    pmOwn = 0,        // the image's own colour table
    pmHalftone = 1,   // the fixed 215-colour palette
    pmMonochrome = 2  // black and white
};

// Where the stores of new TPxDIB objects keep their pixels: in a shared-memory section (true),
// which a TPxDIBCanvas can draw into, or on the heap.
extern bool DefaultUseFileMapping;

class TPxDIB : public TPxGraphic {
  public:
    TPxDIB();
    ~TPxDIB() override;
    TPxDIB(const TPxDIB&) = delete;
    TPxDIB& operator=(const TPxDIB&) = delete;
    std::string ClassName() const override { return "TPxDIB"; }

    // To a TPxDIB: it shares this image. To a TBitmap: size, pixel format (RLE formats give their
    // uncompressed depth), a copy of the own palette, and the pixels.
    void AssignTo(TPersistent& destination) const override;
    // From null: a fresh 1 × 1 8-bit image. From a TPxDIB: share its store and settings. From a
    // TBitmap: a bottom-up copy of its pixels and colours. From the clipboard: CF_DIB.
    void Assign(const TPersistent* source) override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    bool GetEmpty() const override { return false; }
    int GetWidth() const override { return FInternalDIB->Width; }
    int GetHeight() const override { return FInternalDIB->Height; }
    // Each of these three replaces the image by a blank one (pixels and colour table zero) of the
    // new geometry. A new width keeps |height| and makes the image bottom-up; a negative height
    // makes it top-down; a new bit count makes it bottom-up with a full colour table.
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    int BitCount() const { return FInternalDIB->DIBInfos.Header.biBitCount; }
    void SetBitCount(int value);

    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    // Only CF_DIB; the palette is not used (the packed DIB carries its colour table).
    void LoadFromClipboardFormat(TClipboardFormat format, HGLOBAL data, HPALETTE palette) override;
    void SaveToClipboardFormat(TClipboardFormat& format, HGLOBAL& data, HPALETTE& palette) override;

    // The palette of the palette mode; the image's own one is cached in the store (null for an
    // image without colour table). The caller does not own it.
    HPALETTE GetPalette() override;
    // Takes the palette's entries as the colour table (indices unchanged); the store owns the
    // palette afterwards, or a copy of it when the library frees it already (an image's palette,
    // a fixed one). Null empties the colour table.
    void SetPalette(HPALETTE palette) override;
    TClipboardFormat GetClipboardFormat() const override { return CF_DIB; }

    // A colour-table index (1, 4, 8 bits) or a 0x00BBGGRR colour (24 bits) at picture position
    // (x, y), row 0 at the top whatever the row order. Uncompressed images only.
    std::int32_t GetPixels(int x, int y) const;
    // No change is signalled. At 8 bits the value must be 0..255, at 24 bits not negative (else
    // ERangeError); 4 bits take the low nibble, 1 bit sets for any non-zero value.
    void SetPixels(int x, int y, std::int32_t value);

    TPxPixelFormat PixelFormat() const { return FInternalDIB->GetPixelFormat(); }
    // Converts the image in place, with progress reports for the long conversions.
    void SetPixelFormat(TPxPixelFormat target);

    std::uint8_t ColorReduction = 0;
    TColor MaskColor = clWhite;
    TPxPaletteMode PaletteMode = pmOwn;

  private:
    friend class TPxDIBCanvas;

    void ReleaseDIB();
    void MakeUnique();
    void CheckPaletteChanged();
    bool GetUseFileMapping() const { return FInternalDIB->UseFileMapping; }
    // Builds a new store with `fill`, then adopts it and signals the change.
    template <typename Fill>
    void ReplaceStore(Fill fill);
    void AssignFromBitmap(const TBitmap& bitmap);
    void AssignToBitmap(TBitmap& bitmap) const;
    // The image's own palette, cached in the store, whatever the palette mode.
    HPALETTE OwnPalette() const;
    // Drawing through the halftone or black-and-white palette.
    void DrawThroughFixedPalette(TCanvas& canvas, const TRect& rect);

    void InitProgress(std::int32_t total, const std::string& message);
    void ProgressStart();
    void ProgressStep();
    void ProgressEnd();

    TPxInternalDIB* FInternalDIB = nullptr;
    std::int32_t FProgressCount = 0;
    std::int32_t FProgressTotal = 0;
    std::string FProgressMsg;
};

// The two fixed palettes, made on first use and shared by every image. EOutOfResources
// "TPxDIB.GetPalette: Cannot Make Palette(1)" when one cannot be made.
HPALETTE HalftonePalette();
HPALETTE MonochromePalette();

}  // namespace vlz

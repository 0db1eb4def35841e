#pragma once
// The framework's own bitmap: a picture of 1, 4, 8 or 24 bits per pixel with a colour table, a
// palette and a canvas. Its pixel memory is laid out as a top-down DIB (biHeight < 0): row 0 of
// the picture comes first, every row padded to four bytes, 24-bit pixels as blue, green, red, as
// Qt's Format_BGR888 lays them out (Stride() bytes per line).

#include <array>
#include <memory>
#include <vector>

#include "graphics/BitmapInfo.h"
#include "graphics/Canvas.h"
#include "graphics/Graphic.h"
#include "graphics/HeldPalettes.h"
#include "graphics/Palette.h"
#include "graphics/Surface.h"

namespace vlz {

enum class TPixelFormat { pf1bit, pf4bit, pf8bit, pf24bit };

int BitCountOf(TPixelFormat format);

class TBitmap : public TGraphic {
  public:
    TBitmap();
    TBitmap(int width, int height, TPixelFormat format = TPixelFormat::pf24bit);
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;
    std::string ClassName() const override { return "TBitmap"; }

    // The canvas draws on this bitmap's pixels; drawing on it signals a change of the bitmap.
    TCanvas& Canvas() { return *canvas_; }

    // Resizing keeps the pixels of the part that remains (anchored at the top-left corner) and
    // paints the new part white.
    void SetSize(int width, int height);
    int GetWidth() const override { return header_.biWidth; }
    int GetHeight() const override { return -header_.biHeight; }
    void SetWidth(int value) override { SetSize(value, Height()); }
    void SetHeight(int value) override { SetSize(Width(), value); }
    bool GetEmpty() const override { return Width() == 0 || Height() == 0; }

    // A new format converts the pixels; paletted formats start with the standard colour table of
    // their depth (1 bit: black and white; 4 bits: the 16 VGA colours; 8 bits: a colour cube).
    TPixelFormat PixelFormat() const { return format_; }
    void SetPixelFormat(TPixelFormat format);

    // The bitmap's palette; the bitmap owns it. For a paletted bitmap it mirrors the colour table.
    HPALETTE Palette() const;
    // Takes ownership of `palette`, or a copy of it when a picture frees it already (another
    // bitmap's, a DIB's, a fixed one). At 1, 4 and 8 bits its entries become the colour table (as
    // many as the depth holds); the pixels keep their indices.
    void SetPalette(HPALETTE palette);

    std::uint8_t* ScanLine(int y) { return pixels_.data() + Stride() * y; }
    const std::uint8_t* ScanLine(int y) const { return pixels_.data() + Stride() * y; }
    std::int64_t Stride() const { return DibStride(header_.biBitCount, header_.biWidth); }
    const BITMAPINFOHEADER& Header() const { return header_; }
    const RGBQUAD* Colors() const { return colors_.data(); }
    const std::uint8_t* Bits() const { return pixels_.empty() ? nullptr : pixels_.data(); }
    TDibSurface Surface();

    void Assign(const TPersistent* source) override;
    void Draw(TCanvas& canvas, const TRect& rect) override;

    // BMP files: uncompressed 1, 4, 8 and 24 bits with a 40-byte (or longer) header; written
    // bottom-up with a 40-byte header.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    // CF_DIB and CF_BITMAP, both as packed DIB data.
    void LoadFromClipboardFormat(TClipboardFormat format, HGLOBAL data, HPALETTE palette) override;
    void SaveToClipboardFormat(TClipboardFormat& format, HGLOBAL& data, HPALETTE& palette) override;

  private:
    void Reallocate(int width, int height, TPixelFormat format, bool keepPixels);
    void UpdateCanvas();
    void ReadPackedDib(TStream& stream, std::int64_t pixelOffset);
    void WritePackedDib(TStream& stream) const;

    BITMAPINFOHEADER header_;
    std::array<RGBQUAD, 256> colors_{};
    std::vector<std::uint8_t> pixels_;
    TPixelFormat format_ = TPixelFormat::pf24bit;
    mutable HeldPalette palette_;
    std::unique_ptr<TCanvas> canvas_;
};

}  // namespace vlz

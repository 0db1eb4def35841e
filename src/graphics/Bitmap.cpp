#include "graphics/Bitmap.h"

#include <algorithm>
#include <climits>
#include <new>

#include "graphics/BmpHeaders.h"
#include "graphics/Clipboard.h"
#include "graphics/RasterOp.h"
#include "graphics/StretchDIBits.h"

namespace vlz {
namespace {

constexpr RGBQUAD Quad(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return {blue, green, red, 0};
}

constexpr std::array<RGBQUAD, 16> VgaColors = {
    Quad(0, 0, 0),       Quad(128, 0, 0),   Quad(0, 128, 0),   Quad(128, 128, 0),
    Quad(0, 0, 128),     Quad(128, 0, 128), Quad(0, 128, 128), Quad(192, 192, 192),
    Quad(128, 128, 128), Quad(255, 0, 0),   Quad(0, 255, 0),   Quad(255, 255, 0),
    Quad(0, 0, 255),     Quad(255, 0, 255), Quad(0, 255, 255), Quad(255, 255, 255)};

// The colour table a bitmap of `bitCount` bits starts with; returns the number of entries.
int StandardColors(int bitCount, std::array<RGBQUAD, 256>& colors) {
    colors.fill(RGBQUAD{});
    switch (bitCount) {
        case 1:
            colors[1] = Quad(255, 255, 255);
            return 2;
        case 4:
            std::copy(VgaColors.begin(), VgaColors.end(), colors.begin());
            return 16;
        case 8: {
            // The VGA colours, a 6 × 6 × 6 colour cube and 24 greys.
            std::copy(VgaColors.begin(), VgaColors.end(), colors.begin());
            std::size_t entry = 16;
            for (int red = 0; red < 6; ++red) {
                for (int green = 0; green < 6; ++green) {
                    for (int blue = 0; blue < 6; ++blue) {
                        colors[entry++] = Quad(static_cast<std::uint8_t>(red * 51),
                                               static_cast<std::uint8_t>(green * 51),
                                               static_cast<std::uint8_t>(blue * 51));
                    }
                }
            }
            for (int grey = 0; grey < 24; ++grey) {
                auto level = static_cast<std::uint8_t>(8 + grey * 10);
                colors[entry++] = Quad(level, level, level);
            }
            return 256;
        }
        default:
            return 0;
    }
}

TPixelFormat FormatOfBitCount(int bitCount) {
    switch (bitCount) {
        case 1:
            return TPixelFormat::pf1bit;
        case 4:
            return TPixelFormat::pf4bit;
        case 8:
            return TPixelFormat::pf8bit;
        default:
            return TPixelFormat::pf24bit;
    }
}

[[noreturn]] void InvalidBitmap() {
    throw EInvalidGraphic("Bitmap image is not valid");
}

// Largest pixel block a bitmap holds; larger requests are refused before anything is allocated.
constexpr std::int64_t MaxImageBytes = INT32_MAX;

}  // namespace

int BitCountOf(TPixelFormat format) {
    switch (format) {
        case TPixelFormat::pf1bit:
            return 1;
        case TPixelFormat::pf4bit:
            return 4;
        case TPixelFormat::pf8bit:
            return 8;
        default:
            return 24;
    }
}

TBitmap::TBitmap() : canvas_(std::make_unique<TCanvas>()) {
    header_.biSize = BitmapInfoHeaderSize;
    header_.biPlanes = 1;
    header_.biBitCount = 24;
    canvas_->OnChange = [this](TObject&) { Changed(); };
    UpdateCanvas();
}

TBitmap::TBitmap(int width, int height, TPixelFormat format) : TBitmap() {
    Reallocate(width, height, format, false);
}

TBitmap::~TBitmap() = default;

TDibSurface TBitmap::Surface() {
    return {&header_, colors_.data(), pixels_.empty() ? nullptr : pixels_.data()};
}

void TBitmap::UpdateCanvas() {
    canvas_->SetHandle(Surface());
}

void TBitmap::SetSize(int width, int height) {
    if (width != Width() || height != Height()) {
        Reallocate(width, height, format_, true);
        Changed();
    }
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format != format_) {
        Reallocate(Width(), Height(), format, true);
        Changed();
    }
}

void TBitmap::Reallocate(int width, int height, TPixelFormat format, bool keepPixels) {
    if (width < 0 || height < 0) {
        throw EInvalidGraphic("Invalid bitmap size");
    }
    int bitCount = BitCountOf(format);
    std::int64_t bytes = DibStride(bitCount, width) * height;
    if (bytes > MaxImageBytes) {
        throw EOutOfResources("Out of system resources");
    }
    BITMAPINFOHEADER header = header_;
    header.biWidth = width;
    header.biHeight = -height;
    header.biBitCount = static_cast<std::uint16_t>(bitCount);
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<std::uint32_t>(bytes);
    std::array<RGBQUAD, 256> colors = colors_;
    if (format != format_ || header_.biClrUsed == 0) {
        header.biClrUsed = static_cast<std::uint32_t>(StandardColors(bitCount, colors));
    }
    std::vector<std::uint8_t> pixels;
    try {
        pixels.resize(static_cast<std::size_t>(bytes));
    } catch (const std::bad_alloc&) {
        throw EOutOfResources("Out of system resources");
    }
    TDibSurface target{&header, colors.data(), pixels.empty() ? nullptr : pixels.data()};
    if (target.IsDrawable()) {
        BitBlt(target, 0, 0, width, height, nullptr, 0, 0, PATCOPY, clWhite);
        TDibSurface old = Surface();
        if (keepPixels && old.IsDrawable()) {
            BitBlt(target, 0, 0, width, height, &old, 0, 0, SRCCOPY);
        }
    }
    if (format != format_) {
        palette_.reset();
    }
    header_ = header;
    colors_ = colors;
    pixels_ = std::move(pixels);
    format_ = format;
    UpdateCanvas();
}

HPALETTE TBitmap::Palette() const {
    if (!palette_ && format_ != TPixelFormat::pf24bit) {
        std::vector<PALETTEENTRY> entries;
        int count = ColorTableSize(header_);
        for (int i = 0; i < count; ++i) {
            const RGBQUAD& color = colors_[static_cast<std::size_t>(i)];
            entries.push_back({color.rgbRed, color.rgbGreen, color.rgbBlue, 0});
        }
        palette_.reset(HoldPalette(CreatePalette(entries.data(), count)));
    }
    return palette_.get();
}

void TBitmap::SetPalette(HPALETTE palette) {
    if (palette == palette_.get()) {
        return;
    }
    palette_.reset(HoldPalette(IsHeldPalette(palette) ? CopyPalette(palette) : palette));
    if (palette != nullptr && format_ != TPixelFormat::pf24bit) {
        int capacity = 1 << header_.biBitCount;
        std::vector<PALETTEENTRY> entries(static_cast<std::size_t>(capacity));
        int count = GetPaletteEntries(palette, 0, capacity, entries.data());
        if (count > 0) {
            colors_.fill(RGBQUAD{});
            for (int i = 0; i < count; ++i) {
                const PALETTEENTRY& entry = entries[static_cast<std::size_t>(i)];
                colors_[static_cast<std::size_t>(i)] =
                    Quad(entry.peRed, entry.peGreen, entry.peBlue);
            }
            header_.biClrUsed = static_cast<std::uint32_t>(count);
        }
    }
    SetPaletteModified(true);
    Changed();
}

void TBitmap::Assign(const TPersistent* source) {
    if (source == this) {
        return;
    }
    if (source == nullptr) {
        Reallocate(0, 0, format_, false);
        palette_.reset();
        Changed();
        return;
    }
    if (auto bitmap = dynamic_cast<const TBitmap*>(source)) {
        std::vector<std::uint8_t> pixels = bitmap->pixels_;
        header_ = bitmap->header_;
        colors_ = bitmap->colors_;
        pixels_ = std::move(pixels);
        format_ = bitmap->format_;
        palette_.reset(HoldPalette(CopyPalette(bitmap->palette_.get())));
        UpdateCanvas();
        SetPaletteModified(true);
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) {
    if (Empty()) {
        return;
    }
    if (!canvas.HandleAllocated()) {
        throw EInvalidOperation("Canvas does not allow drawing");
    }
    StretchDIBits(canvas.Handle(), rect.Left, rect.Top, rect.Width(), rect.Height(), 0, 0, Width(),
                  Height(), pixels_.data(), BitmapInfoView{&header_, colors_.data()},
                  canvas.CopyMode, canvas.Brush.Color);
    canvas.Changed();
}

// A packed DIB, as in a BMP file after its file header and on the clipboard:
//   BITMAPINFOHEADER  40 bytes (a longer header's extra fields are skipped)
//   colour table      biClrUsed entries (2^bits when 0) of blue, green, red, reserved
//   pixels            rows bottom-up when biHeight > 0, each padded to four bytes
// `pixelOffset` is where the pixels start in the stream, or -1 when they follow the table.
void TBitmap::ReadPackedDib(TStream& stream, std::int64_t pixelOffset) {
    std::uint8_t fields[BitmapInfoHeaderSize];
    stream.ReadBuffer(fields, sizeof fields);
    TLittleEndianReader reader(fields, sizeof fields);
    const std::uint32_t headerSize = reader.U32();
    BITMAPINFOHEADER header;
    ReadInfoHeaderFields(reader, header);
    int bitCount = header.biBitCount;
    if (headerSize < BitmapInfoHeaderSize || headerSize > 124 || header.biPlanes != 1 ||
        header.biCompression != BI_RGB ||
        (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24) ||
        header.biWidth <= 0 || header.biHeight == 0 || header.biHeight == INT32_MIN) {
        InvalidBitmap();
    }
    stream.Skip(headerSize - BitmapInfoHeaderSize);
    const std::uint32_t maxColors = bitCount <= 8 ? FullColorTableSize(bitCount) : 256;
    if (header.biClrUsed > maxColors) {
        InvalidBitmap();
    }
    auto colorCount = static_cast<int>(ColorTableEntriesOf(header));
    std::array<RGBQUAD, 256> colors{};
    std::vector<std::uint8_t> table(static_cast<std::size_t>(colorCount) * 4);
    stream.ReadBuffer(table.data(), table.size());
    TLittleEndianReader tableReader(table.data(), table.size());
    ReadColorTable(tableReader, colors.data(), static_cast<std::size_t>(colorCount));
    for (RGBQUAD& color : colors) {
        color.rgbReserved = 0;
    }
    if (pixelOffset >= 0) {
        if (pixelOffset < stream.Position()) {
            InvalidBitmap();
        }
        stream.Seek(pixelOffset, SeekOrigin::Begin);
    }
    int width = header.biWidth;
    int height = header.biHeight > 0 ? header.biHeight : -header.biHeight;
    std::int64_t stride = DibStride(bitCount, width);
    // Divided, not multiplied: a width and a height near 2^31 overflow even 64 bits.
    if (height > MaxImageBytes / stride || stride * height > stream.Remaining()) {
        InvalidBitmap();
    }
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(stride * height));
    for (int y = 0; y < height; ++y) {
        int row = header.biHeight > 0 ? height - 1 - y : y;
        stream.ReadBuffer(pixels.data() + stride * row, static_cast<std::size_t>(stride));
    }

    BITMAPINFOHEADER adopted;
    adopted.biSize = BitmapInfoHeaderSize;
    adopted.biWidth = width;
    adopted.biHeight = -height;
    adopted.biPlanes = 1;
    adopted.biBitCount = static_cast<std::uint16_t>(bitCount);
    adopted.biSizeImage = static_cast<std::uint32_t>(stride * height);
    adopted.biXPelsPerMeter = header.biXPelsPerMeter;
    adopted.biYPelsPerMeter = header.biYPelsPerMeter;
    adopted.biClrUsed = static_cast<std::uint32_t>(colorCount);
    header_ = adopted;
    colors_ = colors;
    pixels_ = std::move(pixels);
    format_ = FormatOfBitCount(bitCount);
    palette_.reset();
    UpdateCanvas();
    SetPaletteModified(true);
    Changed();
}

void TBitmap::WritePackedDib(TStream& stream) const {
    int colorCount = format_ == TPixelFormat::pf24bit ? 0 : ColorTableSize(header_);
    std::int64_t stride = Stride();
    BITMAPINFOHEADER header;
    header.biSize = BitmapInfoHeaderSize;
    header.biWidth = Width();
    header.biHeight = Height();  // bottom-up
    header.biPlanes = 1;
    header.biBitCount = header_.biBitCount;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<std::uint32_t>(stride * Height());
    header.biXPelsPerMeter = header_.biXPelsPerMeter;
    header.biYPelsPerMeter = header_.biYPelsPerMeter;
    header.biClrUsed = static_cast<std::uint32_t>(colorCount);
    std::vector<std::uint8_t> out;
    TLittleEndianWriter writer(out);
    WriteInfoHeader(writer, header);
    std::array<RGBQUAD, 256> colors = colors_;
    for (RGBQUAD& color : colors) {
        color.rgbReserved = 0;
    }
    WriteColorTable(writer, colors.data(), static_cast<std::size_t>(colorCount));
    stream.WriteBuffer(out.data(), out.size());
    for (int y = Height() - 1; y >= 0; --y) {
        stream.WriteBuffer(ScanLine(y), static_cast<std::size_t>(stride));
    }
}

void TBitmap::LoadFromStream(TStream& stream) {
    std::int64_t start = stream.Position();
    std::uint8_t fields[BitmapFileHeaderSize];
    stream.ReadBuffer(fields, sizeof fields);
    TLittleEndianReader reader(fields, sizeof fields);
    BITMAPFILEHEADER fileHeader = ReadFileHeader(reader);
    if (fileHeader.bfType != BitmapFileType) {
        InvalidBitmap();
    }
    ReadPackedDib(stream, fileHeader.bfOffBits != 0 ? start + fileHeader.bfOffBits : -1);
}

void TBitmap::SaveToStream(TStream& stream) {
    if (Empty()) {
        throw EInvalidGraphic("Cannot save an empty bitmap");
    }
    int colorCount = format_ == TPixelFormat::pf24bit ? 0 : ColorTableSize(header_);
    BITMAPFILEHEADER fileHeader;
    fileHeader.bfType = BitmapFileType;
    fileHeader.bfOffBits = BitmapFileHeaderSize + BitmapInfoHeaderSize + 4u * colorCount;
    fileHeader.bfSize = fileHeader.bfOffBits + static_cast<std::uint32_t>(Stride() * Height());
    std::vector<std::uint8_t> bytes;
    TLittleEndianWriter writer(bytes);
    WriteFileHeader(writer, fileHeader);
    stream.WriteBuffer(bytes.data(), bytes.size());
    WritePackedDib(stream);
}

void TBitmap::LoadFromClipboardFormat(TClipboardFormat format, HGLOBAL data, HPALETTE) {
    if ((format != CF_DIB && format != CF_BITMAP) || data == nullptr) {
        throw EInvalidGraphic("Unsupported clipboard format");
    }
    TGlobalLock lock(data);
    TReadOnlyMemoryStream stream(lock.Data(), lock.Size());
    ReadPackedDib(stream, -1);
}

void TBitmap::SaveToClipboardFormat(TClipboardFormat& format, HGLOBAL& data, HPALETTE& palette) {
    if (Empty()) {
        throw EInvalidGraphic("Cannot save an empty bitmap");
    }
    TMemoryStream stream;
    WritePackedDib(stream);
    HGLOBAL block = NewGlobalBlock(stream.Bytes());
    format = CF_DIB;
    data = block;
    palette = CopyPalette(Palette());
}

}  // namespace vlz

#include "dib/PxDIB.h"

#include <cstring>
#include <memory>

#include "dib/PxDIBError.h"
#include "dib/PxMemory.h"
#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"
#include "graphics/GraphicRegistry.h"
#include "graphics/HeldPalettes.h"
#include "graphics/StretchDIBits.h"

namespace vlz {

bool DefaultUseFileMapping = true;

void ReleaseFixedPalettes();

namespace {

// Registers the class with the picture system for as long as the program runs.
struct Registration {
    Registration() {
        RegisterFileFormat("dib", "Device Independent Bitmap", GraphicClassOf<TPxDIB>());
        RegisterClipboardFormat(CF_DIB, GraphicClassOf<TPxDIB>());
    }
    ~Registration() {
        ReleaseFixedPalettes();
        UnregisterGraphicClass(typeid(TPxDIB));
    }
} registration;

// The header and table of a store as drawing functions take them. An RLE image's data length is
// its block's size, whatever the header says, so that drawing never reads past the block.
struct DrawableInfo {
    BITMAPINFOHEADER Header;
    BitmapInfoView View;
    explicit DrawableInfo(const TPxDIBInfos& infos) : Header(infos.Header) {
        if (Header.biCompression != BI_RGB) {
            Header.biSizeImage = static_cast<std::uint32_t>(infos.ImageSize);
        }
        View = {&Header, infos.Colors};
    }
};

// Address of picture row `y` of an uncompressed store.
std::uint8_t* RowAddress(const TPxDIBInfos& infos, int y) {
    const BITMAPINFOHEADER& header = infos.Header;
    std::int64_t stride = DibStride(header.biBitCount, header.biWidth);
    std::int64_t row = header.biHeight > 0 ? header.biHeight - y - 1 : y;
    return infos.Bits + stride * row;
}

bool InsideImage(const BITMAPINFOHEADER& header, int x, int y) {
    std::int64_t height = header.biHeight < 0 ? -std::int64_t{header.biHeight} : header.biHeight;
    return x >= 0 && x < header.biWidth && y >= 0 && y < height;
}

}  // namespace

TPxDIB::TPxDIB() : FInternalDIB(new TPxInternalDIB(DefaultUseFileMapping)) {
    CheckPaletteChanged();
}

TPxDIB::~TPxDIB() {
    ReleaseDIB();
}

void TPxDIB::ReleaseDIB() {
    if (FInternalDIB != nullptr && --FInternalDIB->RefCount == 0) {
        delete FInternalDIB;
    }
    FInternalDIB = nullptr;
}

void TPxDIB::CheckPaletteChanged() {
    if (FInternalDIB->PaletteChanged) {
        FInternalDIB->PaletteChanged = false;
        SetPaletteModified(true);
    }
}

template <typename Fill>
void TPxDIB::ReplaceStore(Fill fill) {
    auto store = std::make_unique<TPxInternalDIB>(GetUseFileMapping());
    fill(*store);
    ReleaseDIB();
    FInternalDIB = store.release();
    CheckPaletteChanged();
    SetModified(true);
}

void TPxDIB::MakeUnique() {
    if (FInternalDIB->RefCount == 1) {
        return;
    }
    const TPxInternalDIB& shared = *FInternalDIB;
    auto copy = std::make_unique<TPxInternalDIB>(shared.UseFileMapping);
    copy->FreeDIB();
    copy->Width = shared.Width;
    copy->Height = shared.Height;
    copy->DIBInfos = shared.DIBInfos;
    copy->DIBInfos.Bits = nullptr;
    copy->DIBInfos.MappingHandle = NoMapping;
    GetMemory(shared.DIBInfos.ImageSize, copy->DIBInfos.MappingHandle, copy->DIBInfos.Bits,
              copy->UseFileMapping);
    std::memcpy(copy->DIBInfos.Bits, shared.DIBInfos.Bits,
                static_cast<std::size_t>(shared.DIBInfos.ImageSize));
    ReleaseDIB();
    FInternalDIB = copy.release();
    CheckPaletteChanged();
}

void TPxDIB::Assign(const TPersistent* source) {
    if (source == nullptr) {
        ReplaceStore([](TPxInternalDIB&) {});
        return;
    }
    if (auto dib = dynamic_cast<const TPxDIB*>(source)) {
        if (dib == this) {
            return;
        }
        TPxInternalDIB* store = dib->FInternalDIB;
        ++store->RefCount;  // before the release, in case both already share it
        ReleaseDIB();
        FInternalDIB = store;
        MaskColor = dib->MaskColor;
        ColorReduction = dib->ColorReduction;
        PaletteMode = dib->PaletteMode;
        SetPaletteModified(true);
        SetModified(true);
        return;
    }
    if (auto bitmap = dynamic_cast<const TBitmap*>(source)) {
        AssignFromBitmap(*bitmap);
        return;
    }
    TPxGraphic::Assign(source);
}

void TPxDIB::AssignFromBitmap(const TBitmap& bitmap) {
    ReplaceStore([&](TPxInternalDIB& store) {
        store.FreeDIB();
        int bitCount = bitmap.Header().biBitCount;
        store.CreateDIB(bitmap.Width(), bitmap.Height(), bitCount, 0);
        TPxDIBInfos& infos = store.DIBInfos;
        // The bitmap is top-down, the new store bottom-up; rows have the same length.
        std::size_t stride = static_cast<std::size_t>(bitmap.Stride());
        for (int y = 0; y < bitmap.Height(); ++y) {
            std::memcpy(RowAddress(infos, y), bitmap.ScanLine(y), stride);
        }
        int colors = bitCount <= 8 ? ColorTableSize(bitmap.Header()) : 0;
        std::copy(bitmap.Colors(), bitmap.Colors() + colors, infos.Colors);
        if (infos.Header.biClrUsed == 0) {
            infos.Header.biClrUsed = static_cast<std::uint32_t>(ColorCountOf(bitCount));
        }
        if (infos.Header.biXPelsPerMeter == 0) {
            infos.Header.biXPelsPerMeter = 3780;
        }
        if (infos.Header.biYPelsPerMeter == 0) {
            infos.Header.biYPelsPerMeter = 3780;
        }
        store.InvalidatePalette();
    });
}

void TPxDIB::AssignTo(TPersistent& destination) const {
    if (auto dib = dynamic_cast<TPxDIB*>(&destination)) {
        dib->Assign(this);
        return;
    }
    if (auto bitmap = dynamic_cast<TBitmap*>(&destination)) {
        AssignToBitmap(*bitmap);
        return;
    }
    TPxGraphic::AssignTo(destination);
}

void TPxDIB::AssignToBitmap(TBitmap& bitmap) const {
    bitmap.SetHeight(Height());
    bitmap.SetWidth(Width());
    switch (PixelFormat()) {
        case pf1Bit:
            bitmap.SetPixelFormat(TPixelFormat::pf1bit);
            break;
        case pf4Bit:
        case pf4BitRLE:
            bitmap.SetPixelFormat(TPixelFormat::pf4bit);
            break;
        case pf8Bit:
        case pf8BitRLE:
            bitmap.SetPixelFormat(TPixelFormat::pf8bit);
            break;
        default:
            bitmap.SetPixelFormat(TPixelFormat::pf24bit);
            break;
    }
    bitmap.SetPalette(CopyPalette(OwnPalette()));
    DrawableInfo info(FInternalDIB->DIBInfos);
    StretchDIBits(bitmap.Canvas().Handle(), 0, 0, Width(), Height(), 0, 0, Width(), Height(),
                  FInternalDIB->DIBInfos.Bits, info.View, SRCCOPY);
    bitmap.Canvas().Changed();
}

void TPxDIB::Draw(TCanvas& canvas, const TRect& rect) {
    if (FInternalDIB == nullptr) {
        return;
    }
    if (PaletteMode != pmOwn) {
        DrawThroughFixedPalette(canvas, rect);
        return;
    }
    if (!canvas.HandleAllocated()) {
        throw EInvalidOperation("Canvas does not allow drawing");
    }
    // Paletted images draw through their own colour table: a DIB surface has no palette to
    // realise, so the own palette needs no selecting here.
    DrawableInfo info(FInternalDIB->DIBInfos);
    StretchDIBits(canvas.Handle(), rect.Left, rect.Top, rect.Width(), rect.Height(), 0, 0, Width(),
                  Height(), FInternalDIB->DIBInfos.Bits, info.View, canvas.CopyMode,
                  canvas.Brush.Color);
    canvas.Changed();
}

HPALETTE TPxDIB::OwnPalette() const {
    TPxInternalDIB& store = *FInternalDIB;
    if (store.Palette == nullptr && store.DIBInfos.Header.biClrUsed != 0) {
        store.Palette = HoldPalette(store.CreatePaletteFromDIB());
    }
    return store.Palette;
}

HPALETTE TPxDIB::GetPalette() {
    switch (PaletteMode) {
        case pmHalftone:
            return HalftonePalette();
        case pmMonochrome:
            return MonochromePalette();
        default:
            return OwnPalette();
    }
}

void TPxDIB::SetPalette(HPALETTE palette) {
    MakeUnique();
    TPxInternalDIB& store = *FInternalDIB;
    if (palette == nullptr) {
        store.DIBInfos.Header.biClrUsed = 0;
        // A cached palette of the old table would no longer describe the image.
        DeleteHeldPalette(store.Palette);
        store.Palette = nullptr;
        return;
    }
    PALETTEENTRY entries[MaxPaletteEntries];
    int count = GetPaletteEntries(palette, 0, MaxPaletteEntries, entries);
    if (count == 0) {
        throw EPxDIBInvalidPalette("TPxDIB.SetPalette: Invalid Palette");
    }
    store.DIBInfos.Header.biClrUsed = static_cast<std::uint32_t>(count);
    for (int i = 0; i < count; ++i) {
        store.DIBInfos.Colors[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    }
    if (store.Palette != palette) {
        // A palette that the library frees already (another image's, one this image shared before
        // it was made unique, a fixed one) is taken as a copy; any other is taken over.
        HPALETTE own = IsHeldPalette(palette) ? CopyPalette(palette) : palette;
        DeleteHeldPalette(store.Palette);
        store.Palette = HoldPalette(own);
    }
    // A new colour table is a new palette, whether or not the store was just copied.
    store.PaletteChanged = true;
    CheckPaletteChanged();
    SetModified(true);
}

void TPxDIB::SetWidth(int value) {
    if (value <= 0) {
        throw EPxDIBInvalidDIBPara("TPxDIB.SetWidth: Invalid Width");
    }
    if (value == Width()) {
        return;
    }
    const BITMAPINFOHEADER header = FInternalDIB->DIBInfos.Header;
    int height = Height();
    ReplaceStore([&](TPxInternalDIB& store) {
        store.FreeDIB();
        store.CreateDIB(value, height, header.biBitCount,
                        static_cast<std::int32_t>(header.biClrUsed));
    });
}

void TPxDIB::SetHeight(int value) {
    if (value == 0) {
        throw EPxDIBInvalidDIBPara("TPxDIB.SetWidth: Invalid Height");
    }
    if (value == Height()) {
        return;
    }
    const BITMAPINFOHEADER header = FInternalDIB->DIBInfos.Header;
    int width = Width();
    ReplaceStore([&](TPxInternalDIB& store) {
        store.FreeDIB();
        store.CreateDIB(width, value, header.biBitCount,
                        static_cast<std::int32_t>(header.biClrUsed));
    });
}

void TPxDIB::SetBitCount(int value) {
    if (value != 1 && value != 4 && value != 8 && value != 24) {
        throw EPxDIBInvalidDIBPara("TPxDIB.SetBitCount: Invalid BitCount");
    }
    if (value == BitCount()) {
        return;
    }
    int width = Width(), height = Height();
    ReplaceStore([&](TPxInternalDIB& store) {
        store.FreeDIB();
        store.CreateDIB(width, height, value, ColorCountOf(value));
    });
}

void TPxDIB::LoadFromStream(TStream& stream) {
    ReplaceStore([&](TPxInternalDIB& store) { store.LoadFromStream(stream); });
}

void TPxDIB::SaveToStream(TStream& stream) {
    FInternalDIB->SaveToStream(stream);
}

void TPxDIB::LoadFromClipboardFormat(TClipboardFormat format, HGLOBAL data, HPALETTE) {
    if (format != CF_DIB || data == nullptr) {
        throw EInvalidGraphic(
            "TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Format or No Data");
    }
    ReplaceStore([&](TPxInternalDIB& store) { store.LoadFromClipboardFormat(data); });
}

void TPxDIB::SaveToClipboardFormat(TClipboardFormat& format, HGLOBAL& data, HPALETTE& palette) {
    HGLOBAL block = nullptr;
    FInternalDIB->SaveToClipboardFormat(block);
    format = CF_DIB;
    palette = nullptr;
    data = block;
}

std::int32_t TPxDIB::GetPixels(int x, int y) const {
    const TPxDIBInfos& infos = FInternalDIB->DIBInfos;
    if (infos.Header.biCompression != BI_RGB) {
        throw EPxDIBBadDIBType("TPxDIB.GetPixels: Bad DIB Type");
    }
    if (!InsideImage(infos.Header, x, y)) {
        throw EPxDIBPixelPositionRange("TPxDIB.GetPixels: Pixel Position is Out of Range");
    }
    const std::uint8_t* row = RowAddress(infos, y);
    switch (infos.Header.biBitCount) {
        case 1:
            return (row[x / 8] & (0x80 >> (x % 8))) ? 1 : 0;
        case 4:
            return (x % 2 == 0) ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
        case 8:
            return row[x];
        case 24: {
            const std::uint8_t* pixel = row + 3 * static_cast<std::int64_t>(x);
            return pixel[2] | (pixel[1] << 8) | (pixel[0] << 16);
        }
        default:
            throw EPxDIBInvalidDIB("TPxDIB.GetPixels: GetPixel supports only Uncompressed DIB");
    }
}

void TPxDIB::SetPixels(int x, int y, std::int32_t value) {
    MakeUnique();
    const TPxDIBInfos& infos = FInternalDIB->DIBInfos;
    if (infos.Header.biCompression != BI_RGB) {
        throw EPxDIBBadDIBType("TPxDIB.SetPixels: Bad DIB Type");
    }
    if (!InsideImage(infos.Header, x, y)) {
        throw EPxDIBPixelPositionRange("TPxDIB.SetPixels: Pixel Position is Out of Range");
    }
    std::uint8_t* row = RowAddress(infos, y);
    switch (infos.Header.biBitCount) {
        case 1: {
            auto mask = static_cast<std::uint8_t>(0x80 >> (x % 8));
            row[x / 8] = value != 0 ? row[x / 8] | mask : row[x / 8] & ~mask;
            break;
        }
        case 4: {
            std::uint8_t& byte = row[x / 2];
            byte = (x % 2 == 0) ? static_cast<std::uint8_t>((byte & 0x0F) | ((value & 0x0F) << 4))
                                : static_cast<std::uint8_t>((byte & 0xF0) | (value & 0x0F));
            break;
        }
        case 8:
            if (value < 0 || value > 255) {
                throw ERangeError();
            }
            row[x] = static_cast<std::uint8_t>(value);
            break;
        case 24: {
            if (value < 0) {
                throw ERangeError();
            }
            std::uint8_t* pixel = row + 3 * static_cast<std::int64_t>(x);
            pixel[0] = static_cast<std::uint8_t>(value >> 16);
            pixel[1] = static_cast<std::uint8_t>(value >> 8);
            pixel[2] = static_cast<std::uint8_t>(value);
            break;
        }
        default:
            throw EPxDIBInvalidDIB(
                "TPxDIB.SetPixels: GetPixel supports only Uncompressed 8 or 24 bit DIB");
    }
}

}  // namespace vlz

#include "graphics/Clipboard.h"

#include <algorithm>
#include <vector>

#include "platform/ScopeGuard.h"

namespace vlz {

void TClipboard::Open() {
    if (openCount_ == 0 && !CurrentClipboardHook().Open()) {
        throw Exception("クリップボードを開けません");
    }
    ++openCount_;
}

void TClipboard::Close() {
    if (openCount_ > 0 && --openCount_ == 0) {
        CurrentClipboardHook().Close();
    }
}

void TClipboard::Clear() {
    Open();
    CurrentClipboardHook().Clear();
    Close();
}

bool TClipboard::HasFormat(TClipboardFormat format) {
    Open();
    bool has = CurrentClipboardHook().HasFormat(format);
    Close();
    return has;
}

std::optional<TClipboardData> TClipboard::GetAsHandle(TClipboardFormat format) {
    Open();
    TScopeExit closing([this] { Close(); });
    return CurrentClipboardHook().GetData(format);
}

void TClipboard::SetAsHandle(TClipboardFormat format, TClipboardData data) {
    Open();
    bool stored = CurrentClipboardHook().SetData(format, std::move(data));
    Close();
    if (!stored) {
        throw Exception("クリップボードにデータを置けません");
    }
}

HPALETTE TClipboard::GetPalette() {
    std::optional<TClipboardData> data = GetAsHandle(CF_PALETTE);
    return data ? PaletteFromClipboardData(*data) : nullptr;
}

void TClipboard::Assign(const TPersistent* source) {
    auto graphic = dynamic_cast<const TGraphic*>(source);
    if (graphic == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    // Saving to the clipboard does not change a picture; the graphic interface is not const.
    auto& picture = const_cast<TGraphic&>(*graphic);
    TClipboardFormat format = 0;
    HGLOBAL data = nullptr;
    HPALETTE palette = nullptr;
    picture.SaveToClipboardFormat(format, data, palette);
    UniqueGlobalBlock ownedData(data);
    UniquePalette ownedPalette(palette);
    Open();
    TScopeExit closing([this] { Close(); });
    CurrentClipboardHook().Clear();
    SetAsHandle(format, GlobalBlockBytes(data));
    if (palette != nullptr) {
        SetAsHandle(CF_PALETTE, PaletteToClipboardData(palette));
    }
}

void TClipboard::AssignTo(TPersistent& destination) const {
    auto graphic = dynamic_cast<TGraphic*>(&destination);
    if (graphic == nullptr) {
        TPersistent::AssignTo(destination);
        return;
    }
    auto& clipboard = const_cast<TClipboard&>(*this);
    clipboard.Open();
    TScopeExit closing([&clipboard] { clipboard.Close(); });
    std::optional<TClipboardData> data = CurrentClipboardHook().GetData(CF_DIB);
    TClipboardFormat format = CF_DIB;
    if (!data) {
        format = CF_BITMAP;
        data = CurrentClipboardHook().GetData(CF_BITMAP);
    }
    std::optional<TClipboardData> paletteData = CurrentClipboardHook().GetData(CF_PALETTE);
    UniquePalette palette(paletteData ? PaletteFromClipboardData(*paletteData) : nullptr);
    UniqueGlobalBlock block(data ? NewGlobalBlock(*data) : nullptr);
    graphic->LoadFromClipboardFormat(format, block.get(), palette.get());
}

TClipboard& Clipboard() {
    static TClipboard clipboard;
    return clipboard;
}

HGLOBAL NewGlobalBlock(const TClipboardData& bytes) {
    HGLOBAL block = GlobalAlloc(GHND, bytes.size());
    if (block == nullptr) {
        throw EOutOfMemory("Out of memory");
    }
    TGlobalLock lock(block);
    std::copy(bytes.begin(), bytes.end(), lock.Data());
    return block;
}

TClipboardData GlobalBlockBytes(HGLOBAL block) {
    TGlobalLock lock(block);
    if (lock.Data() == nullptr) {
        return {};
    }
    return TClipboardData(lock.Data(), lock.Data() + lock.Size());
}

TClipboardData PaletteToClipboardData(HPALETTE palette) {
    TClipboardData data;
    int count = GetPaletteEntries(palette, 0, 0, nullptr);
    std::vector<PALETTEENTRY> entries(static_cast<std::size_t>(count));
    GetPaletteEntries(palette, 0, count, entries.data());
    for (const PALETTEENTRY& entry : entries) {
        data.insert(data.end(), {entry.peRed, entry.peGreen, entry.peBlue, entry.peFlags});
    }
    return data;
}

HPALETTE PaletteFromClipboardData(const TClipboardData& data) {
    std::vector<PALETTEENTRY> entries;
    for (std::size_t i = 0; i + 4 <= data.size() && entries.size() < MaxPaletteEntries; i += 4) {
        entries.push_back({data[i], data[i + 1], data[i + 2], data[i + 3]});
    }
    return CreatePalette(entries.data(), static_cast<int>(entries.size()));
}

}  // namespace vlz

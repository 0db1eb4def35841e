#pragma once
// The clipboard object: pictures go onto it with Assign and come off it when a picture assigns
// from it. It works through the installed clipboard hook; Open and Close nest.

#include <memory>
#include <optional>

#include "graphics/Graphic.h"
#include "graphics/Palette.h"
#include "platform/ClipboardHook.h"
#include "platform/GlobalMemory.h"

namespace vlz {

class TClipboard : public TPersistent {
  public:
    std::string ClassName() const override { return "TClipboard"; }

    // Raises Exception "クリップボードを開けません" when the clipboard is held elsewhere.
    void Open();
    void Close();
    void Clear();
    bool HasFormat(TClipboardFormat format);
    // The data of a format, or nothing; opens the clipboard for the call when it is closed.
    std::optional<TClipboardData> GetAsHandle(TClipboardFormat format);
    void SetAsHandle(TClipboardFormat format, TClipboardData data);
    // The palette held as CF_PALETTE, or null; the caller owns it.
    HPALETTE GetPalette();

    // Puts a picture on the clipboard, replacing what was there (its palette as CF_PALETTE).
    void Assign(const TPersistent* source) override;
    // Loads the picture from the first clipboard format that the destination reads.
    void AssignTo(TPersistent& destination) const override;

  private:
    int openCount_ = 0;
};

// The process's clipboard object.
TClipboard& Clipboard();

// A new global block holding a copy of the bytes (the caller owns it); EOutOfMemory when none can
// be had. And the bytes of a block (none for null).
HGLOBAL NewGlobalBlock(const TClipboardData& bytes);
TClipboardData GlobalBlockBytes(HGLOBAL block);

// Frees a global block at the end of a scope.
struct GlobalBlockDeleter {
    void operator()(TGlobalBlock* block) const { GlobalFree(block); }
};
using UniqueGlobalBlock = std::unique_ptr<TGlobalBlock, GlobalBlockDeleter>;

// CF_PALETTE data: four bytes per entry, red, green, blue, flags.
TClipboardData PaletteToClipboardData(HPALETTE palette);
HPALETTE PaletteFromClipboardData(const TClipboardData& data);

}  // namespace vlz

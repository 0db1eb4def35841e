#pragma once
// The clipboard, as the program sees it: opened and closed around every use, holding one block of
// bytes per format number. The Qt layer installs the desktop's clipboard; without one, a clipboard
// private to the process is used (command-line tools, tests).

#include <cstdint>
#include <optional>
#include <vector>

namespace vlz {

using TClipboardFormat = std::uint16_t;
using TClipboardData = std::vector<std::uint8_t>;

constexpr TClipboardFormat CF_TEXT = 1;
constexpr TClipboardFormat CF_BITMAP = 2;
constexpr TClipboardFormat CF_DIB = 8;  // a packed DIB: header, colour table, pixels
constexpr TClipboardFormat CF_PALETTE =
    9;  // palette entries, four bytes each: red, green, blue, flags

class ClipboardHook {
  public:
    virtual ~ClipboardHook() = default;
    // False when another program holds the clipboard.
    virtual bool Open() = 0;
    virtual void Close() = 0;
    // Removes every format; only while open.
    virtual void Clear() = 0;
    virtual bool HasFormat(TClipboardFormat format) = 0;
    // The bytes held for a format, or nothing.
    virtual std::optional<TClipboardData> GetData(TClipboardFormat format) = 0;
    // Adds or replaces one format; false when the clipboard refuses it.
    virtual bool SetData(TClipboardFormat format, TClipboardData data) = 0;
};

// Installs the implementation (nullptr restores the process-private one); returns the previous.
ClipboardHook* InstallClipboardHook(ClipboardHook* hook);
ClipboardHook& CurrentClipboardHook();

}  // namespace vlz

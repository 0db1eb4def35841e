#pragma once
// The clipboard as Qt offers it: CF_DIB is the desktop's image/bmp data with its 14-byte file
// header stripped on reading and added on writing; CF_TEXT is text in Shift-JIS. Writes between
// Open and Close are published together at Close.

#include <QMimeData>
#include <memory>

#include "platform/ClipboardHook.h"

namespace vlz {

class QtClipboardHook : public ClipboardHook {
  public:
    bool Open() override;
    void Close() override;
    void Clear() override;
    bool HasFormat(TClipboardFormat format) override;
    std::optional<TClipboardData> GetData(TClipboardFormat format) override;
    bool SetData(TClipboardFormat format, TClipboardData data) override;

  private:
    bool FOpen = false;
    bool FCleared = false;
    std::unique_ptr<QMimeData> FPending;
};

// A packed DIB (header, colour table, pixels) with the BMP file header in front, and back. A
// file whose pixels lie after a gap gives a packed DIB without it; nothing when the bytes are no
// BMP file.
QByteArray PackedDibToBmpFile(const TClipboardData& dib);
std::optional<TClipboardData> BmpFileToPackedDib(const QByteArray& file);

}  // namespace vlz

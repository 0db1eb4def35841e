// BMP files as other programs put them on the clipboard (image/bmp), through the clipboard glue
// that strips the file header: a file the program can read must give a packed DIB, and that
// packed DIB must load as the same image.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "dib/PxInternalDIB.h"
#include "graphics/BmpHeaders.h"
#include "platform/Exception.h"

namespace {

std::vector<std::uint8_t> Saved(const vlz::TPxInternalDIB& store) {
    vlz::TMemoryStream stream;
    store.SaveToStream(stream);
    return stream.Bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vlz;
    TPxInternalDIB fromFile(false);
    bool fileLoaded = true;
    try {
        TReadOnlyMemoryStream stream(data, size);
        fromFile.LoadFromStream(stream);
    } catch (const Exception&) {
        fileLoaded = false;
    }

    const std::optional<std::vector<std::uint8_t>> packed = PackedDibOfBmpFile(data, size);
    if (!packed) {
        if (fileLoaded) {
            __builtin_trap();  // a picture the program reads would not paste
        }
        return 0;
    }
    HGLOBAL block = GlobalAlloc(GHND, packed->size());
    if (block == nullptr) {
        return 0;
    }
    {
        TGlobalLock lock(block);
        if (!packed->empty()) {
            std::memcpy(lock.Data(), packed->data(), packed->size());
        }
    }
    TPxInternalDIB fromClipboard(false);
    bool clipboardLoaded = true;
    try {
        fromClipboard.LoadFromClipboardFormat(block);
    } catch (const Exception&) {
        clipboardLoaded = false;
    }
    GlobalFree(block);
    if (fileLoaded && (!clipboardLoaded || Saved(fromClipboard) != Saved(fromFile))) {
        __builtin_trap();  // the packed DIB is not the file's picture
    }
    return 0;
}

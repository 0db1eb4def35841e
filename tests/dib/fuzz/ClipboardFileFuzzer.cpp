// BMP files as other programs put them on the clipboard (image/bmp), through the clipboard glue
// that strips the file header: a file the program can read must give a packed DIB, and that
// packed DIB must load as the same image.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "ClipboardFuzz.h"
#include "dib/PxInternalDIB.h"
#include "graphics/BmpHeaders.h"
#include "platform/Exception.h"

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
    HGLOBAL block = GlobalBlockOf(packed->data(), packed->size());
    if (block == nullptr) {
        return 0;
    }
    TPxInternalDIB fromClipboard(false);
    bool clipboardLoaded = true;
    try {
        fromClipboard.LoadFromClipboardFormat(block);
    } catch (const Exception&) {
        clipboardLoaded = false;
    }
    GlobalFree(block);
    if (fileLoaded && (!clipboardLoaded || SavedBytes(fromClipboard) != SavedBytes(fromFile))) {
        __builtin_trap();  // the packed DIB is not the file's picture
    }
    return 0;
}

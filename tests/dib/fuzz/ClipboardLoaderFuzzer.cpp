// Packed DIBs of any shape through the clipboard loader; whatever loads is packed again. The
// clipboard glue hands the same bytes on as a BMP file: read back by the stream loader, that file
// must give the same image.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ClipboardFuzz.h"
#include "dib/PxInternalDIB.h"
#include "graphics/BmpHeaders.h"
#include "platform/Exception.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vlz;
    HGLOBAL block = GlobalBlockOf(data, size);
    if (block == nullptr) {
        return 0;
    }
    try {
        TPxInternalDIB store(true);
        store.LoadFromClipboardFormat(block);
        HGLOBAL packed = nullptr;
        store.SaveToClipboardFormat(packed);
        GlobalFree(packed);

        std::vector<std::uint8_t> file = BmpFileOfPackedDib(data, size);
        TPxInternalDIB fromFile(false);
        TReadOnlyMemoryStream stream(file.data(), file.size());
        bool infoHeader = size >= 4 && data[0] == BitmapInfoHeaderSize && data[1] == 0 &&
                          data[2] == 0 && data[3] == 0;
        bool fileLoaded = true;
        try {
            fromFile.LoadFromStream(stream);
        } catch (const Exception&) {
            fileLoaded = false;
        }
        // Only core headers of 16 and 32 bits are read by the clipboard loader alone.
        if ((!fileLoaded && infoHeader) ||
            (fileLoaded && SavedBytes(fromFile) != SavedBytes(store))) {
            __builtin_trap();  // the file does not name the place of the pixels
        }
    } catch (const Exception&) {
    }
    if (GlobalLockCount(block) != 0) {
        __builtin_trap();  // the loader must unlock on every path
    }
    GlobalFree(block);
    return 0;
}

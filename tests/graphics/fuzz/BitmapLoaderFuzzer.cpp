// Feeds arbitrary bytes to TBitmap's BMP reader; a refused file must leave a usable bitmap.
#include <cstddef>
#include <cstdint>

#include "graphics/Bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vlz::TBitmap bitmap(2, 2);
    vlz::TReadOnlyMemoryStream stream(data, size);
    try {
        bitmap.LoadFromStream(stream);
    } catch (const vlz::Exception&) {
    }
    bitmap.Canvas().FillRect(vlz::Rect(0, 0, 1, 1));
    return 0;
}

// BMP files of any shape, loaded and converted to every target: a converter must never read
// outside what the loader accepted, whatever the header claims.
#include <cstddef>
#include <cstdint>

#include "dib/PxInternalDIB.h"
#include "platform/Exception.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vlz;
    for (std::uint8_t target = pf1Bit; target <= pf1BitMonochrome; ++target) {
        try {
            TPxInternalDIB store(false);
            TReadOnlyMemoryStream input(data, size);
            store.LoadFromStream(input);
            // RLE headers may promise far more pixels than their data holds; keep runs short.
            if (static_cast<std::int64_t>(store.Width) * store.Height > (1 << 20)) {
                return 0;
            }
            store.ConvertPixelFormat(target, size % 2, nullptr, 0x00FFFFFF);
        } catch (const Exception&) {
        }
    }
    return 0;
}

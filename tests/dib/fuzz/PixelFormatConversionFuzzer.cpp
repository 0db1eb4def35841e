// BMP files of any shape, loaded and converted: a converter must never read outside what the
// loader accepted, whatever the header claims, and what it makes must be a picture that can be
// written. The file header's reserved bytes, which the loader passes over, choose the target and
// the reducer, so that each input costs one conversion and the corpus still covers all of them.
#include <cstddef>
#include <cstdint>

#include "dib/PxInternalDIB.h"
#include "platform/Exception.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vlz;
    if (size < 8) {
        return 0;
    }
    const auto target = static_cast<std::uint8_t>(data[6] % (pf1BitMonochrome + 1));
    const auto reduction = static_cast<std::uint8_t>(data[7] % 2);
    TPxInternalDIB store(false);
    try {
        TReadOnlyMemoryStream input(data, size);
        store.LoadFromStream(input);
    } catch (const Exception&) {
        return 0;
    }
    // RLE headers may promise far more pixels than their data holds; keep runs short.
    if (static_cast<std::int64_t>(store.Width) * store.Height > (1 << 20)) {
        return 0;
    }
    try {
        store.ConvertPixelFormat(target, reduction, nullptr, 0x00FFFFFF);
    } catch (const Exception&) {
        return 0;
    }
    TMemoryStream output;
    store.SaveToStream(output);
    (void)store.GetPixelFormat();
    return 0;
}

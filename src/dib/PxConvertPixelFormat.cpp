#include "dib/PxConvertPixelFormat.h"

namespace vlz {

void ConvertPixelFormat(TPxInternalDIB& store, TPxPixelFormat target, std::uint8_t colorReduction,
                        const TPxProgressCallback& progress, std::uint32_t maskRGB) {
    store.ConvertPixelFormat(target, colorReduction, progress, maskRGB);
}

}  // namespace vlz

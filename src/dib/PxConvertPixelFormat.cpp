#include "dib/PxConvertPixelFormat.h"

namespace vlz {

// The converters are wired in here as they land; until then no pair is converted.
void ConvertPixelFormat(TPxInternalDIB&, TPxPixelFormat, std::uint8_t, const TPxProgressCallback&,
                        std::uint32_t) {}

}  // namespace vlz

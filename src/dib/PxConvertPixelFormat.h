#pragma once
// The conversion dispatcher behind TPxDIB.PixelFormat: turns a store, in place, into another
// pixel format. A pair of formats it does not convert leaves the store unchanged.

#include <cstdint>
#include <functional>

#include "dib/PxDIBInfos.h"
#include "dib/PxInternalDIB.h"

namespace vlz {

// Called once per step of a long conversion.
using TPxProgressCallback = std::function<void()>;

// `colorReduction` picks the reducer for 24-bit sources (0 or 1); `maskRGB` (0x00BBGGRR) is the
// colour that becomes white in conversions to 1 bit.
void ConvertPixelFormat(TPxInternalDIB& store, TPxPixelFormat target, std::uint8_t colorReduction,
                        const TPxProgressCallback& progress, std::uint32_t maskRGB);

}  // namespace vlz

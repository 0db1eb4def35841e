#pragma once
// Which pixel-format conversions report progress. Only those that reduce colours take long
// enough to: their reducer calls its step callback exactly 256 or 16 times, which the bitmap
// object turns into start / running / end events.

#include <cstdint>
#include <optional>

#include "dib/PxDIBInfos.h"

namespace vlz {

struct TPxProgressPlan {
    int Total;            // steps the conversion will report
    const char* Message;  // "PixelFormat 24Bit -> 8Bit" and the like
};

// The plan of a conversion from `current` to `target`, or nothing for a conversion that runs
// without progress.
std::optional<TPxProgressPlan> ConversionProgressPlan(TPxPixelFormat current, std::uint8_t target);

}  // namespace vlz

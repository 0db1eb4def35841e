#include "dib/PxConversionProgress.h"

namespace vlz {

std::optional<TPxProgressPlan> ConversionProgressPlan(TPxPixelFormat current, std::uint8_t target) {
    struct TRow {
        TPxPixelFormat Current;
        TPxPixelFormat Target;
        TPxProgressPlan Plan;
    };
    static constexpr TRow Rows[] = {
        {pf8Bit, pf4Bit, {16, "PixelFormat 8Bit -> 4Bit"}},
        {pf8Bit, pf4BitRLE, {16, "PixelFormat 8Bit -> 4BitRLE"}},
        {pf8BitRLE, pf4Bit, {16, "PixelFormat 8BitRLE -> 4Bit"}},
        {pf8BitRLE, pf4BitRLE, {16, "PixelFormat 8BitRLE -> 4BitRLE"}},
        {pf24Bit, pf4Bit, {16, "PixelFormat 24Bit -> 4Bit"}},
        {pf24Bit, pf4BitRLE, {16, "PixelFormat 24Bit -> 4BitRLE"}},
        {pf24Bit, pf8Bit, {256, "PixelFormat 24Bit -> 8Bit"}},
        {pf24Bit, pf8BitRLE, {256, "PixelFormat 24Bit -> 8BitRLE"}},
    };
    for (const TRow& row : Rows) {
        if (row.Current == current && row.Target == target) {
            return row.Plan;
        }
    }
    return std::nullopt;
}

}  // namespace vlz

#pragma once
// Progress of a pixel-format conversion. Only the conversions that reduce colours take long
// enough to report: their reducer calls its step callback exactly 256 or 16 times. The bitmap
// object and the command-line tool both turn those steps into start / running / end events
// through TPxConversionProgress.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "dib/PxDIBInfos.h"

namespace vlz {

struct TPxProgressPlan {
    int Total;            // steps the conversion will report
    const char* Message;  // "PixelFormat 24Bit -> 8Bit" and the like
};

// The plan of a conversion from `current` to `target`, or nothing for a conversion that runs
// without progress.
std::optional<TPxProgressPlan> ConversionProgressPlan(TPxPixelFormat current, std::uint8_t target);

enum class TPxProgressPhase : std::uint8_t { Starting, Running, Ending };

// Counts the reducer's steps against a plan and reports: Start at 0 %, each step at
// count × 100 / total (the last step reports nothing, as End follows), End at 100 % with
// redraw-now set.
class TPxConversionProgress {
  public:
    using Sink = std::function<void(TPxProgressPhase phase, std::uint8_t percentDone,
                                    bool redrawNow, const std::string& message)>;

    TPxConversionProgress(TPxProgressPlan plan, Sink sink)
        : total_(plan.Total), message_(plan.Message), sink_(std::move(sink)) {}

    void Start() { sink_(TPxProgressPhase::Starting, 0, false, message_); }
    void Step() {
        ++count_;
        if (count_ != total_) {
            sink_(TPxProgressPhase::Running,
                  static_cast<std::uint8_t>(static_cast<std::int64_t>(count_) * 100 / total_),
                  false, message_);
        }
    }
    void End() { sink_(TPxProgressPhase::Ending, 100, true, message_); }

  private:
    int count_ = 0;
    int total_;
    std::string message_;
    Sink sink_;
};

}  // namespace vlz

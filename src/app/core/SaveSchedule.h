#pragma once
// When the edits made since the last save go to the disk: once the user has paused for a moment,
// and, while the edits keep coming, no later than a while after the first one not yet saved.
//
// Plain bookkeeping over the caller's clock. The controller tells it of every change, which costs
// a comparison and a store, and keeps one timer: armed for Wait() when a change starts a pending
// save, and armed again for Wait() whenever it fires before the save is due.

#include <algorithm>
#include <chrono>

namespace vlz {

class TSaveSchedule {
  public:
    using Clock = std::chrono::steady_clock;
    using Duration = std::chrono::milliseconds;

    // A pause this long saves. The promise is three seconds from the last change to the disk; the
    // rest is room for a key that arrives late on a busy machine and for the save itself.
    static constexpr Duration QuietTime{1000};
    // Edits that never pause for QuietTime are saved this long after the first of them, well
    // inside the half minute promised.
    static constexpr Duration LongestWait{25000};

    // A change at `now`. True when it is the first since the last save: the caller then arms its
    // timer for Wait(now).
    bool Changed(Clock::time_point now) {
        FLastChange = now;
        if (FPending) {
            return false;
        }
        FPending = true;
        FFirstChange = now;
        return true;
    }

    bool Pending() const { return FPending; }

    // How long from `now` until the pending changes are due; zero when they are due now.
    Duration Wait(Clock::time_point now) const {
        const Clock::time_point due = std::min(FLastChange + QuietTime, FFirstChange + LongestWait);
        return due <= now ? Duration::zero() : std::chrono::ceil<Duration>(due - now);
    }

    bool Due(Clock::time_point now) const { return FPending && Wait(now) == Duration::zero(); }

    // The changes have been written, or the attempt is over: nothing is pending until the next
    // change.
    void Saved() { FPending = false; }

  private:
    bool FPending = false;
    Clock::time_point FFirstChange;
    Clock::time_point FLastChange;
};

}  // namespace vlz

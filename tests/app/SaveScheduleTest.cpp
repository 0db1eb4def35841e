#include "app/core/SaveSchedule.h"

#include <gtest/gtest.h>

namespace vlz {
namespace {

using namespace std::chrono_literals;
using Clock = TSaveSchedule::Clock;

// The promise: an edit is on the disk at most three seconds after the last change, and at most
// thirty seconds after the first one while the changes never pause.

TEST(SaveSchedule, APauseSavesWithinThreeSecondsOfTheLastChange) {
    TSaveSchedule schedule;
    const Clock::time_point start = Clock::time_point() + 1h;
    EXPECT_FALSE(schedule.Pending());
    EXPECT_TRUE(schedule.Changed(start)) << "the first change arms the timer";
    const Clock::time_point fired = start + schedule.Wait(start);
    EXPECT_FALSE(schedule.Changed(start + 400ms)) << "later ones find it armed";
    EXPECT_FALSE(schedule.Due(start + 400ms));
    // The timer armed at the first change fires early; it is armed again for the rest.
    EXPECT_FALSE(schedule.Due(fired));
    const Clock::time_point due = fired + schedule.Wait(fired);
    EXPECT_TRUE(schedule.Due(due));
    EXPECT_LE(due - (start + 400ms), 3s);

    schedule.Saved();
    EXPECT_FALSE(schedule.Pending());
    EXPECT_FALSE(schedule.Due(due + 1h)) << "nothing changed, nothing to write";
    EXPECT_TRUE(schedule.Changed(due + 1h)) << "the next change arms the timer again";
}

TEST(SaveSchedule, ChangesThatNeverPauseAreSavedWithinThirtySeconds) {
    TSaveSchedule schedule;
    const Clock::time_point start = Clock::time_point() + 1h;
    Clock::time_point now = start;
    schedule.Changed(now);
    while (!schedule.Due(now)) {
        now += 100ms;  // a key every tenth of a second
        schedule.Changed(now);
        ASSERT_LT(now - start, 60s);
    }
    EXPECT_LE(now - start, 30s);
    EXPECT_GT(now - start, 3s) << "a steady typist is not interrupted by saves";
}

}  // namespace
}  // namespace vlz

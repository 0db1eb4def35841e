// Shared timers: one beat per interval for all of them, and a list of listeners that handlers may
// change while a beat is being delivered.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "doubles/ScriptedMessageBoxes.h"
#include "support/EventLoop.h"
#include "support/QtApplication.h"
#include "toolkit/Timer.h"

namespace vlz {
namespace {

// Runs the event loop until `done` holds; false when it still does not after ten seconds.
bool RunUntil(const std::function<bool()>& done) {
    return testing::WaitFor(done, 10'000);
}

std::unique_ptr<TTimer> SharedTimer(int interval, std::function<void()> handler) {
    auto timer = std::make_unique<TTimer>();
    timer->SetShared(true);
    timer->SetInterval(interval);
    timer->SetOnTimer(std::move(handler));
    return timer;
}

class SharedTimerTest : public ::testing::Test {
  protected:
    TApplication& application_ = testing::TestApplication();
};

TEST_F(SharedTimerTest, TimersOfOneIntervalTickTogetherOncePerBeat) {
    std::string order;
    auto first = SharedTimer(30, [&] { order += 'a'; });
    auto second = SharedTimer(30, [&] { order += 'b'; });
    ASSERT_TRUE(RunUntil([&] { return order.size() >= 8; }));
    // One beat reaches both before the next beat reaches either.
    for (std::size_t beat = 0; beat + 1 < order.size(); beat += 2) {
        EXPECT_EQ(order.substr(beat, 2), "ab") << order;
    }
}

TEST_F(SharedTimerTest, EachIntervalKeepsItsOwnRateBesideTheOthers) {
    int fast = 0, slow = 0, single = 0;
    auto fastTimer = SharedTimer(40, [&] { ++fast; });
    auto slowTimer = SharedTimer(120, [&] { ++slow; });
    auto singleTimer = std::make_unique<TTimer>();
    singleTimer->SetInterval(120);
    singleTimer->SetOnTimer([&] { ++single; });
    ASSERT_TRUE(RunUntil([&] { return slow >= 5; }));
    // Three fast beats to a slow one, give or take the beat in progress on either side.
    EXPECT_GE(fast, 3 * slow - 3);
    EXPECT_LE(fast, 3 * slow + 3);
    EXPECT_LE(std::abs(single - slow), 1) << "a shared timer ticks as often as its own timer";
}

TEST_F(SharedTimerTest, DisabledOrDestroyedDuringABeatGetsNoTickOfIt) {
    std::unique_ptr<TTimer> later;
    std::unique_ptr<TTimer> stopped;
    int laterTicks = 0, stoppedTicks = 0, firstTicks = 0;
    auto first = SharedTimer(25, [&] {
        ++firstTicks;
        if (firstTicks == 2) {
            later.reset();  // gone before its turn in this beat
            stopped->SetEnabled(false);
        }
    });
    later = SharedTimer(25, [&] { ++laterTicks; });
    stopped = SharedTimer(25, [&] { ++stoppedTicks; });
    ASSERT_TRUE(RunUntil([&] { return firstTicks >= 4; }));
    EXPECT_EQ(laterTicks, 1);
    EXPECT_EQ(stoppedTicks, 1);
    EXPECT_FALSE(stopped->Active());
}

TEST_F(SharedTimerTest, JoiningDuringABeatWaitsForTheNextBeat) {
    std::vector<std::string> beats;
    std::unique_ptr<TTimer> joiner;
    auto opener = SharedTimer(25, [&] { beats.emplace_back(); });
    auto first = SharedTimer(25, [&] {
        beats.back() += 'a';
        if (!joiner) {
            joiner = SharedTimer(25, [&] { beats.back() += 'j'; });
        }
    });
    ASSERT_TRUE(RunUntil([&] { return beats.size() >= 3; }));
    EXPECT_EQ(beats[0], "a") << "the joiner waits for the next beat";
    EXPECT_EQ(beats[1], "aj");
}

TEST_F(SharedTimerTest, AFailedTickWaitsForItsErrorBoxWhileTheOthersTickOn) {
    testing::ScriptedMessageBoxes boxes;
    int failing = 0, other = 0;
    // The box stays open until the other timer has ticked five times more.
    int otherWhenShown = -1, failingWhileShown = 0;
    boxes.WhileOpen = testing::KeepOpenUntil(
        [&] {
            if (otherWhenShown < 0) {
                otherWhenShown = other;
            }
            failingWhileShown = failing;
            return other >= otherWhenShown + 5;
        },
        3000);
    auto failingTimer = SharedTimer(20, [&] {
        if (++failing == 1) {
            throw std::runtime_error("描けません");
        }
    });
    auto otherTimer = SharedTimer(20, [&] { ++other; });
    ASSERT_TRUE(RunUntil([&] { return boxes.Boxes.size() == 1 && failing >= 3; }));
    EXPECT_EQ(boxes.Boxes[0].Text, "描けません.");
    EXPECT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_GE(other, otherWhenShown + 5);
    EXPECT_EQ(failingWhileShown, 1) << "the failed timer waits for its box";
}

TEST_F(SharedTimerTest, ClockStopsWhenNoTimerListens) {
    int ticks = 0;
    auto timer = SharedTimer(15, [&] { ++ticks; });
    ASSERT_TRUE(RunUntil([&] { return ticks >= 2; }));
    timer->SetEnabled(false);
    EXPECT_FALSE(timer->Active());
    const int stopped = ticks;
    testing::RunEventsFor(80);
    EXPECT_EQ(ticks, stopped);
    timer->SetEnabled(true);
    EXPECT_TRUE(timer->Active());
    ASSERT_TRUE(RunUntil([&] { return ticks > stopped; }));
}

}  // namespace
}  // namespace vlz

#pragma once
// Running the event loop in widget tests: for a while, until something holds, in a modal dialog,
// and inside a scripted message box the way a real box runs it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>
#include <utility>

#include "doubles/ScriptedMessageBoxes.h"

namespace vlz::testing {

// Runs the event loop for the given time, long enough for short timers to fire.
inline void RunEventsFor(int milliseconds) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

// Runs the event loop until the condition holds or the time is up; returns the condition.
template <class Condition>
bool WaitFor(Condition condition, int milliseconds = 3000) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!condition()) {
        if (elapsed.elapsed() > milliseconds) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Runs `action` on the window that is modal once the event loop comes round: for a test that
// opens a modal dialog and waits in its loop.
template <class Window>
void WhenShown(std::function<void(Window&)> action) {
    QTimer::singleShot(0, [action = std::move(action)] {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        action(*window);
    });
}

// A nested event loop with the flags of a modal dialog's own, as a real message box runs it,
// until `done` holds or the limit is reached; true when it ended by the limit.
inline bool RunModalLoop(const std::function<bool()>& done, int limitMilliseconds) {
    if (done && done()) {
        return false;
    }
    QEventLoop loop;
    bool expired = false;
    QTimer limit;
    limit.setSingleShot(true);
    // The limit of a box kept open for a time must not come early.
    limit.setTimerType(Qt::PreciseTimer);
    QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
        expired = true;
        loop.quit();
    });
    QTimer check;
    if (done) {
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (done()) {
                loop.quit();
            }
        });
        check.start(5);
    }
    limit.start(limitMilliseconds);
    loop.exec(QEventLoop::DialogExec);
    return expired;
}

// What ScriptedMessageBoxes::WhileOpen may run. Each keeps the box open with an event loop of
// its own, so that timers fire and events arrive inside the box as they would with a real one.

// Keeps every box open for the given time, then it takes its scripted answer.
inline std::function<void(const RecordedBox&)> KeepOpenFor(int milliseconds) {
    return [milliseconds](const RecordedBox&) { RunModalLoop(nullptr, milliseconds); };
}

// Keeps every box open until the condition holds; a box still open at the limit is a failure.
inline std::function<void(const RecordedBox&)> KeepOpenUntil(std::function<bool()> condition,
                                                             int limitMilliseconds = 10000) {
    return [condition = std::move(condition), limitMilliseconds](const RecordedBox& box) {
        if (RunModalLoop(condition, limitMilliseconds)) {
            ADD_FAILURE() << "the box \"" << box.Text << "\" was still open after "
                          << limitMilliseconds << " ms";
        }
    };
}

// Keeps every box open until the test answers it with ScriptedMessageBoxes::Answer, from a timer
// or a handler that runs inside the box; a box still open at the limit is a failure.
inline std::function<void(const RecordedBox&)> KeepOpenUntilAnswered(
    ScriptedMessageBoxes& boxes, int limitMilliseconds = 10000) {
    return KeepOpenUntil([&boxes] { return boxes.Answered(); }, limitMilliseconds);
}

}  // namespace vlz::testing

#include "toolkit/Timer.h"

#include <QPointer>
#include <algorithm>
#include <exception>
#include <map>
#include <memory>
#include <vector>

#include "toolkit/Application.h"

namespace vlz {

// The beat of every shared timer of one interval. It runs only while some timer listens.
class TSharedClock : public QObject {
  public:
    explicit TSharedClock(int interval) : FInterval(interval) {
        FTimer.setTimerType(Qt::PreciseTimer);
        connect(&FTimer, &QTimer::timeout, this, [this] { Tick(); });
    }

    static TSharedClock& ForInterval(int interval) {
        // Clocks stay once made, stopped when unused: a program uses a handful of intervals.
        static std::map<int, std::unique_ptr<TSharedClock>> clocks;
        std::unique_ptr<TSharedClock>& clock = clocks[interval];
        if (!clock) {
            clock = std::make_unique<TSharedClock>(interval);
        }
        return *clock;
    }

    void Join(TTimer* timer) {
        FListeners.push_back(timer);
        if (!FTimer.isActive()) {
            FTimer.start(FInterval);
        }
    }

    void Leave(TTimer* timer) {
        auto found = std::find(FListeners.begin(), FListeners.end(), timer);
        if (found == FListeners.end()) {
            return;
        }
        if (FTicking) {
            *found = nullptr;  // the tick in progress still walks the list by index
        } else {
            FListeners.erase(found);
        }
        StopWhenUnused();
    }

  private:
    void Tick() {
        // A handler can make timers leave or join (a note hidden or deleted while its tick's
        // error box is open); those that join now wait for the next beat.
        FTicking = true;
        const std::size_t count = FListeners.size();
        for (std::size_t index = 0; index < count; ++index) {
            if (TTimer* timer = FListeners[index]) {
                timer->Fire();
            }
        }
        FTicking = false;
        std::erase(FListeners, nullptr);
        StopWhenUnused();
    }

    void StopWhenUnused() {
        if (std::none_of(FListeners.begin(), FListeners.end(),
                         [](const TTimer* timer) { return timer != nullptr; })) {
            FTimer.stop();
        }
    }

    QTimer FTimer;
    int FInterval;
    std::vector<TTimer*> FListeners;
    bool FTicking = false;
};

TTimer::TTimer(QObject* parent) : QObject(parent) {
    // Animation periods are short; a coarse timer would make the characters stutter.
    FTimer.setTimerType(Qt::PreciseTimer);
    connect(&FTimer, &QTimer::timeout, this, [this] { Fire(); });
}

TTimer::~TTimer() {
    if (FClock != nullptr) {
        FClock->Leave(this);
    }
}

void TTimer::SetInterval(int milliseconds) {
    if (milliseconds == FInterval) {
        return;
    }
    FInterval = milliseconds;
    Update();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == FEnabled) {
        return;
    }
    FEnabled = enabled;
    Update();
}

void TTimer::SetOnTimer(std::function<void()> handler) {
    FOnTimer = std::move(handler);
    Update();
}

void TTimer::SetShared(bool shared) {
    if (shared == FShared) {
        return;
    }
    FShared = shared;
    Update();
}

void TTimer::Fire() {
    if (!FOnTimer || FShowingError) {
        return;
    }
    if (FClock == nullptr) {
        Guarded(FOnTimer);  // its own timer waits for the error box
        return;
    }
    // The error box runs an event loop, in which the clock, busy with this beat, would not beat
    // again for any of its timers. The box comes after the beat, and until it is closed only this
    // timer waits.
    try {
        FOnTimer();
    } catch (...) {
        FShowingError = true;
        QMetaObject::invokeMethod(
            this,
            [self = QPointer<TTimer>(this), error = std::current_exception()] {
                Guarded([&] { std::rethrow_exception(error); });
                if (self) {
                    self->FShowingError = false;
                }
            },
            Qt::QueuedConnection);
    }
}

void TTimer::Update() {
    FTimer.stop();
    if (FClock != nullptr) {
        FClock->Leave(this);
        FClock = nullptr;
    }
    if (!FEnabled || FInterval <= 0 || !FOnTimer) {
        return;
    }
    if (FShared) {
        FClock = &TSharedClock::ForInterval(FInterval);
        FClock->Join(this);
    } else {
        FTimer.start(FInterval);
    }
}

}  // namespace vlz

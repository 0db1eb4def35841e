#include "toolkit/Timer.h"

#include "toolkit/Application.h"

namespace vlz {

TTimer::TTimer(QObject* parent) : QObject(parent) {
    // Animation periods are short; a coarse timer would make the characters stutter.
    FTimer.setTimerType(Qt::PreciseTimer);
    connect(&FTimer, &QTimer::timeout, this, [this] {
        if (FOnTimer) {
            Guarded(FOnTimer);
        }
    });
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

void TTimer::Update() {
    FTimer.stop();
    if (FEnabled && FInterval > 0 && FOnTimer) {
        FTimer.start(FInterval);
    }
}

}  // namespace vlz

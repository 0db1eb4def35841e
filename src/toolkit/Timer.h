#pragma once
// A timer with the program's rules: it ticks only while enabled, with an interval above 0 and a
// handler assigned; setting the interval, the handler or enabling it again starts the period anew.
// The handler runs under the application's exception guard, and a failed tick leaves the timer
// running.
//
// A shared timer keeps the same rules but ticks in step with every other shared timer of its
// interval, from one clock for all of them: twenty notes animating at four periods wake the
// program four times per round, not twenty. Its period starts anew on the clock's beat, so its
// first tick comes within one interval rather than after exactly one. A shared timer whose tick
// failed skips its ticks while its error is shown; the others of its clock tick on.

#include <QObject>
#include <QTimer>
#include <functional>

namespace vlz {

class TSharedClock;

class TTimer : public QObject {
    Q_OBJECT
  public:
    explicit TTimer(QObject* parent = nullptr);
    ~TTimer() override;

    int Interval() const { return FInterval; }
    void SetInterval(int milliseconds);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    void SetOnTimer(std::function<void()> handler);
    bool Shared() const { return FShared; }
    void SetShared(bool shared);

    // Whether ticks are being delivered now.
    bool Active() const { return FShared ? FClock != nullptr : FTimer.isActive(); }

  private:
    friend class TSharedClock;
    void Update();
    void Fire();

    QTimer FTimer;
    TSharedClock* FClock = nullptr;
    int FInterval = 1000;
    bool FEnabled = true;
    bool FShowingError = false;  // a shared tick's error is being shown
    bool FShared = false;
    std::function<void()> FOnTimer;
};

}  // namespace vlz

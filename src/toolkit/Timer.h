#pragma once
// A timer with the program's rules: it ticks only while enabled, with an interval above 0 and a
// handler assigned; setting the interval, the handler or enabling it again starts the period anew.
// The handler runs under the application's exception guard, and a failed tick leaves the timer
// running.

#include <QObject>
#include <QTimer>
#include <functional>

namespace vlz {

class TTimer : public QObject {
    Q_OBJECT
  public:
    explicit TTimer(QObject* parent = nullptr);

    int Interval() const { return FInterval; }
    void SetInterval(int milliseconds);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    void SetOnTimer(std::function<void()> handler);

    // Whether ticks are being delivered now.
    bool Active() const { return FTimer.isActive(); }

  private:
    void Update();

    QTimer FTimer;
    int FInterval = 1000;
    bool FEnabled = true;
    std::function<void()> FOnTimer;
};

}  // namespace vlz

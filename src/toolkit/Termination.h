#pragma once
// Ends the program the way log-off does: on the session manager's commit request and on SIGTERM,
// SIGHUP or SIGINT, the given handler runs on the GUI thread (the main form's close, whose close
// query saves). Signals reach the event loop through a self-pipe.

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace vlz {

class TTerminationWatcher : public QObject {
    Q_OBJECT
  public:
    explicit TTerminationWatcher(std::function<void()> onTerminate, QObject* parent = nullptr);
    ~TTerminationWatcher() override;

  private:
    void ReadSignal();

    std::function<void()> FOnTerminate;
    QSocketNotifier* FNotifier = nullptr;
};

}  // namespace vlz

// The application's idle event: a handler that runs again and again between
// rounds of the event loop while it reports that it is not done.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

class IdleDriver : public QObject {
public:
  // Sets done to false to be called again; done stays true by default.
  using Handler = std::function<void(bool& done)>;

  explicit IdleDriver(QObject* parent = nullptr);

  // Starts calling the handler when the event loop is idle; an empty handler stops.
  void SetOnIdle(Handler handler);
  bool Active() const { return timer_.isActive() || inStep_; }

private:
  void Step();

  QTimer timer_;
  Handler handler_;
  bool inStep_ = false;
  unsigned generation_ = 0;  // counts handler changes
};

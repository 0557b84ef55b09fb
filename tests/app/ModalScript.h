// Drives the program's modal windows through the real event loop as a user
// does, for the tests and the help pictures that walk the program's road.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/StringGrid.h"

// The longest any one window may take to come up or to finish its work.
constexpr int kStepCapMs = 30000;

// Acts on the program's modal windows as a user would. Each step waits until the
// top modal window is of its kind, then acts on it once; the action runs from a
// timer call of its own, so that it may open the next modal window in its turn,
// and the window takes no next step until its action has returned.
// A window that stays up unscripted past the time cap fails the test and is closed.
class ModalScript {
public:
  ModalScript() {
    poll_.setInterval(5);
    QObject::connect(&poll_, &QTimer::timeout, [this] { Poll(); });
    poll_.start();
    sinceProgress_.start();
  }
  ~ModalScript() { EXPECT_TRUE(steps_.empty()) << "never reached: " << steps_.front().what; }

  template <typename Window>
  void Then(std::string what, std::function<void(Window&)> act) {
    steps_.push_back(MakeStep<Window>(std::move(what), std::move(act)));
  }
  // Acts on every window of the kind that comes up, at any point of the script
  // (for a window that may also go by itself, as the welcome window does).
  template <typename Window>
  void Always(std::string what, std::function<void(Window&)> act) {
    standing_.push_back(MakeStep<Window>(std::move(what), std::move(act)));
  }
  bool Done() const { return steps_.empty() && !dispatching_; }

private:
  struct Step {
    std::string what;
    std::function<bool(QWidget*)> matches;
    std::function<void(QWidget*)> act;
  };
  template <typename Window>
  static Step MakeStep(std::string what, std::function<void(Window&)> act) {
    return {std::move(what), [](QWidget* w) { return dynamic_cast<Window*>(w) != nullptr; },
            [act = std::move(act)](QWidget* w) { act(dynamic_cast<Window&>(*w)); }};
  }

  void Poll() {
    if (dispatching_) return;
    QWidget* top = QApplication::activeModalWidget();
    // No window, or one whose action is still running (and pumping events).
    if (top == nullptr || !top->isVisible() || std::count(acting_.begin(), acting_.end(), top) > 0) {
      sinceProgress_.restart();
      return;
    }
    std::shared_ptr<Step> step;
    for (const Step& standing : standing_)
      if (standing.matches(top)) step = std::make_shared<Step>(standing);
    if (!step && !steps_.empty() && steps_.front().matches(top)) {
      step = std::make_shared<Step>(std::move(steps_.front()));
      steps_.pop_front();
    }
    if (!step) {
      if (sinceProgress_.elapsed() > kStepCapMs) GiveUp(top);
      return;
    }
    dispatching_ = true;
    QTimer::singleShot(0, &poll_, [this, step, window = QPointer<QWidget>(top)] {
      dispatching_ = false;
      sinceProgress_.restart();
      if (!window) return;
      acting_.push_back(window.data());
      step->act(window.data());
      acting_.pop_back();
    });
  }

  void GiveUp(QWidget* top) {
    ADD_FAILURE() << "window \"" << top->windowTitle().toStdString() << "\" still open; next step: "
                  << (steps_.empty() ? std::string("none") : steps_.front().what);
    top->close();
    sinceProgress_.restart();
  }

  std::deque<Step> steps_;
  std::vector<Step> standing_;
  std::vector<QWidget*> acting_;  // the windows whose actions run, innermost last
  QTimer poll_;
  QElapsedTimer sinceProgress_;
  bool dispatching_ = false;
};

// Chooses a combo's item as the user does: the change handler runs.
inline void Pick(QComboBox* combo, const QString& text) {
  const int index = combo->findText(text);
  ASSERT_GE(index, 0) << text.toStdString();
  combo->setCurrentIndex(index);
  emit combo->activated(index);
}

// Selects grid rows top..bottom of a column, as a drag of the mouse does.
inline void SelectRows(StringGrid* grid, int col, int top, int bottom) { grid->SetSelection({col, top, col, bottom}); }

// A user at the keyboard (GUI tests only): keys typed into the widgets Qt
// creates (a grid's cell editor, a dialog's edit box), and real message boxes
// that run their own event loop, answered from a timer.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QtTest/QTest>
#include <functional>
#include <string>
#include <vector>

#include "platform/base/GridRect.h"
#include "platform/qt/QtConvert.h"
#include "platform/qt/QtUiServices.h"
#include "platform/qt/StringGrid.h"
#include "support/EventLoop.h"
#include "support/ScriptedUi.h"

// While it lives, message boxes are the Qt services' own modal boxes; each is
// answered with the key (Enter: its default button) once it is up, and its text
// and the window it opened over kept.
class RealMessageBoxes {
public:
  // beforeAnswer, when given, runs once each box is up, before it is answered.
  explicit RealMessageBoxes(Qt::Key answer = Qt::Key_Return, std::function<void()> beforeAnswer = {})
      : answer_(answer), beforeAnswer_(std::move(beforeAnswer)) {
    InstallUi(&ui_);
    QObject::connect(&poll_, &QTimer::timeout, [this] { AnswerOpenBox(); });
    poll_.start(10);
  }
  ~RealMessageBoxes() { InstallUi(&TestUi()); }
  RealMessageBoxes(const RealMessageBoxes&) = delete;
  RealMessageBoxes& operator=(const RealMessageBoxes&) = delete;

  const std::vector<std::string>& Answered() const { return answered_; }
  const std::vector<const QWidget*>& Over() const { return over_; }

private:
  void AnswerOpenBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    answered_.push_back(StdStr(box->text()));
    over_.push_back(box->parentWidget());
    if (beforeAnswer_) beforeAnswer_();
    QTest::keyClick(box, answer_);
  }

  Qt::Key answer_;
  std::function<void()> beforeAnswer_;
  QtUiServices ui_;
  QTimer poll_;
  std::vector<std::string> answered_;
  std::vector<const QWidget*> over_;
};

// Shows a window and makes it the active one, so that keys reach its focus widget.
inline void ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  QApplication::processEvents();
}

// Types text into a grid cell as a user does: the first key goes to the grid,
// which opens its cell editor, the others to that editor while it is open.
inline void TypeIntoCell(StringGrid& grid, int col, int row, const std::string& text) {
  grid.setFocus();
  grid.SetSelection({col, row, col, row});
  for (char key : text) {
    QWidget* editor = grid.indexWidget(grid.currentIndex());
    QTest::keyClick(editor != nullptr ? editor : &grid, key);
  }
}

// The text of the grid's open cell editor; empty when none is open.
inline std::string EditorText(StringGrid& grid) {
  auto* editor = qobject_cast<QLineEdit*>(grid.indexWidget(grid.currentIndex()));
  return editor != nullptr ? StdStr(editor->text()) : std::string();
}

// Types text into an edit box, then presses Enter in it.
inline void TypeAndEnter(QWidget* edit, const std::string& text) {
  edit->setFocus();
  QTest::keyClicks(edit, QStr(text));
  QTest::keyClick(edit, Qt::Key_Return);
}

// The widget the keyboard delivers keys to; null (a test failure) when none takes them.
inline QWidget* KeyboardTarget() {
  // The keys of a user come through the event loop, once the window system has
  // given the keyboard to a window.
  ProcessEventsUntil([] { return QApplication::focusWidget() != nullptr; }, 2000);
  QWidget* focused = QApplication::focusWidget();
  if (focused == nullptr) ADD_FAILURE() << "no widget has the keyboard";
  return focused;
}

// Whether the window gets the keyboard, once the window system is done.
inline bool HasTheKeyboard(const QWidget* window) {
  return ProcessEventsUntil(
      [window] { return QApplication::focusWidget() != nullptr && QApplication::focusWidget()->window() == window; },
      2000);
}

// Presses a key as the keyboard delivers it: to the widget that has the focus at that moment.
inline void PressAtFocus(Qt::Key key) {
  if (QWidget* target = KeyboardTarget()) QTest::keyClick(target, key);
}

// Types text as the keyboard delivers it, each key to the focus widget of the moment.
inline void TypeAtFocus(const std::string& text) {
  for (char key : text)
    if (QWidget* target = KeyboardTarget()) QTest::keyClick(target, key);
}

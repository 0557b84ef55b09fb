// A UiServices for tests: answers message boxes from a queue and records every
// message shown (text, caption, flags).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/base/UiServices.h"

class ScriptedUi : public UiServices {
public:
  struct Message {
    std::string text;
    std::string caption;
    unsigned flags;
    unsigned Icon() const { return flags & MB_ICONMASK; }
  };

  // Queues the answer of the next message box; unqueued boxes answer IDOK
  // (or IDYES for Yes/No questions).
  void Answer(int result) { answers_.push_back(result); }
  // Makes the next n Escape polls report a press.
  void PressEscape(int polls = 1) { escapes_ += polls; }

  const std::vector<Message>& Shown() const { return shown_; }
  const Message& Shown(std::size_t i) const { return shown_.at(i); }
  void Clear();

  int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
  bool EscapePressed() override;
  void SetBusyCursor(bool busy) override { busyDepth += busy ? 1 : -1; }
  void SetClipboardText(const std::string& text) override { clipboard = text; }
  std::string ClipboardText() override { return clipboard; }

  int busyDepth = 0;
  std::string clipboard;

private:
  std::deque<int> answers_;
  std::vector<Message> shown_;
  int escapes_ = 0;
};

// The scripted UI installed by the test main; reset before every test.
ScriptedUi& TestUi();

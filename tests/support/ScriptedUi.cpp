#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

void ScriptedUi::Clear() {
  answers_.clear();
  shown_.clear();
  escapes_ = 0;
  busyDepth = 0;
  calculationDepth = 0;
  clipboard.clear();
  documents.clear();
  documentViewerFails = false;
  fileAnswers_.clear();
  colorAnswers_.clear();
  folderAnswers_.clear();
  fileDialogs_.clear();
  findDialogs_.clear();
}

void ScriptedUi::Reset() {
  Clear();
  findHandler_ = nullptr;
}

int ScriptedUi::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
  shown_.push_back({text, caption, flags});
  if (!answers_.empty()) {
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  unsigned buttons = flags & MB_BUTTONMASK;
  return (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) ? IDYES : IDOK;
}

bool ScriptedUi::EscapePressed() {
  if (escapes_ == 0) return false;
  --escapes_;
  return true;
}

namespace {

template <typename T>
T PopOr(std::deque<T>& queue, T fallback) {
  if (queue.empty()) return fallback;
  T front = std::move(queue.front());
  queue.pop_front();
  return front;
}

}  // namespace

FileChoice ScriptedUi::NextFile(bool save, const FileDialogOptions& options) {
  fileDialogs_.push_back({save, options});
  return PopOr(fileAnswers_, FileChoice{});
}

FileChoice ScriptedUi::OpenFileDialog(const FileDialogOptions& options) { return NextFile(false, options); }

FileChoice ScriptedUi::SaveFileDialog(const FileDialogOptions& options) { return NextFile(true, options); }

void ScriptedUi::ShowFindDialog(const FindDialogOptions& options, FindHandler onFind) {
  findDialogs_.push_back(options);
  findHandler_ = std::move(onFind);
}

bool ScriptedUi::PressFind(const std::string& text, bool matchCase, bool down) {
  if (!findHandler_) return false;
  findHandler_({text, matchCase, down});
  return true;
}

std::optional<uint32_t> ScriptedUi::ChooseColor(uint32_t) {
  return PopOr(colorAnswers_, std::optional<uint32_t>{});
}

std::string ScriptedUi::ChooseFolder(const std::string&, const std::string&) {
  return PopOr(folderAnswers_, std::string{});
}

namespace {

ScriptedUi scriptedUi;

// Installs the scripted UI afresh before every test.
class ScriptedUiListener : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override {
    scriptedUi.Reset();
    InstallUi(&scriptedUi);
  }
};

struct Registration {
  Registration() { testing::UnitTest::GetInstance()->listeners().Append(new ScriptedUiListener); }
};

}  // namespace

ScriptedUi& TestUi() {
  static Registration registration;
  return scriptedUi;
}

testing::AssertionResult IsMessage(const ScriptedUi::Message& message, const std::string& text,
                                   const std::string& caption, unsigned icon) {
  if (message.text == text && message.caption == caption && message.Icon() == icon) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "shown \"" << message.text << "\", caption \"" << message.caption << "\", icon "
                                     << message.Icon();
}

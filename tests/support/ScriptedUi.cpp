#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

void ScriptedUi::Clear() {
  answers_.clear();
  shown_.clear();
  escapes_ = 0;
  busyDepth = 0;
  clipboard.clear();
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

ScriptedUi scriptedUi;

// Installs the scripted UI afresh before every test.
class ScriptedUiListener : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override {
    scriptedUi.Clear();
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

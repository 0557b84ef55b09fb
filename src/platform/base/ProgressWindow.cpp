#include "platform/base/ProgressWindow.h"

namespace {

struct SilentProgress : Progress {
  void SetText(const std::string&) override {}
  void SetRange(int, int) override {}
  void SetPosition(int) override {}
  void AnimationTick() override {}
};

}  // namespace

std::unique_ptr<Progress> OpenProgress(const ProgressWindowFactory& factory, bool animated) {
  std::unique_ptr<Progress> progress = factory ? factory(animated) : nullptr;
  if (!progress) progress = std::make_unique<SilentProgress>();
  return progress;
}

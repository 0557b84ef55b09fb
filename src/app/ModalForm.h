// The common way the program opens a window and waits for it.
#pragma once

#include <memory>
#include <utility>

#include "platform/base/UiServices.h"

// Builds the window, shows it modally and deletes it when it closes. A window
// that cannot be built gives failureWarning under "APPLICATION WARNING" and the
// result 0; otherwise the window's modal result.
template <typename Form, typename... Args>
int RunModalForm(const char* failureWarning, Args&&... args) {
  std::unique_ptr<Form> form;
  try {
    form = std::make_unique<Form>(std::forward<Args>(args)...);
  } catch (...) {
    Ui().MessageBox(failureWarning, "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
    return 0;
  }
  return form->ShowModal();
}

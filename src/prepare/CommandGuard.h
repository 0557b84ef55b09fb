// The two-tier failure report of the window commands: a failure that carries a
// message text shows it as a warning, any other failure the command's own text.
#pragma once

#include <string>

#include "platform/base/Exception.h"
#include "platform/base/UiServices.h"

inline void ShowWarning(const std::string& text) {
  Ui().MessageBox(text, "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
}

// Runs command; false when it failed (after the report).
template <typename Command>
bool RunGuarded(Command&& command, const char* otherText) {
  try {
    command();
    return true;
  } catch (const Exception& e) {
    ShowWarning(e.Message);
  } catch (const char* text) {
    ShowWarning(text);
  } catch (...) {
    Ui().MessageBox(otherText, "Exception Message", MB_OK);
  }
  return false;
}

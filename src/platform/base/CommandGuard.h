// The two-tier failure report of the window commands: a failure that carries a
// message text shows it as a warning, any other failure the command's own text.
#pragma once

#include <string>

#include "platform/base/Exception.h"
#include "platform/base/NumberText.h"
#include "platform/base/UiServices.h"

inline void ShowWarning(const std::string& text) {
  Ui().MessageBox(text, "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
}

// Reads a number the user typed; a text that is no number is reported in the
// conversion's own words and leaves value unchanged. Whether it was a number.
inline bool ReadTypedNumber(const std::string& text, long double& value) {
  try {
    value = StrToFloat(text);
    return true;
  } catch (const EConvertError& e) {
    ShowWarning(e.Message);
    return false;
  }
}

// Reports the exception being handled (call it inside a catch block): its message
// text under caption with the warning icon, or fallback under "Exception Message"
// when it carries no text.
inline void ShowCaughtException(const std::string& caption, const std::string& fallback) {
  try {
    throw;
  } catch (const Exception& e) {
    Ui().MessageBox(e.Message, caption, MB_OK | MB_ICONWARNING);
  } catch (const char* text) {
    Ui().MessageBox(text, caption, MB_OK | MB_ICONWARNING);
  } catch (...) {
    Ui().MessageBox(fallback, "Exception Message", MB_OK);
  }
}

// The application's display of an exception that no handler caught.
inline void ShowApplicationException(const std::exception& e) {
  Ui().MessageBox(e.what(), "KORVANE", MB_OK | MB_ICONERROR);
}

// Runs command; false when it failed (after the report).
template <typename Command>
bool RunGuarded(Command&& command, const char* otherText) {
  try {
    command();
    return true;
  } catch (...) {
    ShowCaughtException("APPLICATION WARNING", otherText);
  }
  return false;
}

// Runs command; any failure, whatever it carries, shows warning under
// "APPLICATION WARNING" with the warning icon (false).
template <typename Command>
bool RunOrWarn(Command&& command, const std::string& warning) {
  try {
    command();
    return true;
  } catch (...) {
    ShowWarning(warning);
  }
  return false;
}

// Polls Escape and, when it went down, asks whether to abort: true on Yes.
inline bool EscapeAbortRequested() {
  return Ui().EscapePressed() && Ui().MessageBox("Do you really want to abort calculation?", "APPLICATION WARNING",
                                                 MB_YESNO | MB_ICONQUESTION) == IDYES;
}

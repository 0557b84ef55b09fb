#include "data/ProjectHost.h"

#include <ctime>

std::string ProjectHost::DateTimeText() const {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char date[64] = "";
  char time[64] = "";
  std::strftime(date, sizeof date, "%x", &local);
  std::strftime(time, sizeof time, "%X", &local);
  return std::string(date) + " - " + time;
}

std::string UserNumberText(const std::string& number) {
  return MainForm != nullptr ? MainForm->ToSystemDecimalSeparator(number) : number;
}

char UserSeparator() { return MainForm != nullptr ? MainForm->UserDecimalSeparator() : '.'; }

#include "platform/qt/KeyLocks.h"

#include <dlfcn.h>

#include <QGuiApplication>

namespace {

// The few Xlib calls needed, looked up at run time so that the program does not
// depend on Xlib when it runs on another platform.
struct Xlib {
  using OpenDisplay = void* (*)(const char*);
  using GetIndicatorState = int (*)(void*, unsigned, unsigned*);
  void* display = nullptr;
  GetIndicatorState getIndicatorState = nullptr;

  Xlib() {
    void* library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    if (!library) return;
    auto openDisplay = reinterpret_cast<OpenDisplay>(dlsym(library, "XOpenDisplay"));
    getIndicatorState = reinterpret_cast<GetIndicatorState>(dlsym(library, "XkbGetIndicatorState"));
    if (openDisplay && getIndicatorState) display = openDisplay(nullptr);
  }
};

constexpr unsigned kUseCoreKeyboard = 0x0100;
constexpr unsigned kCapsLockIndicator = 1u << 0;
constexpr unsigned kNumLockIndicator = 1u << 1;
constexpr int kSuccess = 0;

}  // namespace

KeyLockState KeyLocks() {
  if (QGuiApplication::platformName() != "xcb") return {};
  static const Xlib xlib;
  unsigned state = 0;
  if (!xlib.display || xlib.getIndicatorState(xlib.display, kUseCoreKeyboard, &state) != kSuccess) return {};
  return {true, (state & kCapsLockIndicator) != 0, (state & kNumLockIndicator) != 0};
}

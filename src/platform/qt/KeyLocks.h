// The Caps Lock and Num Lock states for the status bar, from the X keyboard
// where there is one.
#pragma once

struct KeyLockState {
  bool known = false;  // false without an X display: show the indicators blank
  bool capsLock = false;
  bool numLock = false;
};

KeyLockState KeyLocks();

// What core code may ask of the user interface: message boxes, the Escape poll,
// the busy cursor and the clipboard. The GUI installs the Qt implementation at
// start-up; tests install a scripted one.
#pragma once

#include <string>

// Message box flags: buttons in the low nibble, icon in the next.
enum MessageBoxFlags : unsigned {
  MB_OK = 0x00,
  MB_OKCANCEL = 0x01,
  MB_YESNOCANCEL = 0x03,
  MB_YESNO = 0x04,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONWARNING = 0x30,
  MB_ICONINFORMATION = 0x40,
};
constexpr unsigned MB_BUTTONMASK = 0x0F;
constexpr unsigned MB_ICONMASK = 0xF0;

// Message box results.
enum MessageBoxResult : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

struct UiServices {
  virtual ~UiServices() = default;
  virtual int MessageBox(const std::string& text, const std::string& caption, unsigned flags) = 0;
  virtual bool EscapePressed() = 0;
  virtual void SetBusyCursor(bool busy) = 0;
  virtual void SetClipboardText(const std::string& text) = 0;
  virtual std::string ClipboardText() = 0;
};

// A long loop that shows progress takes a Progress* (or none).
struct Progress {
  virtual ~Progress() = default;
  virtual void SetText(const std::string& text) = 0;
  virtual void SetRange(int lo, int hi) = 0;
  virtual void SetPosition(int pos) = 0;
  virtual void AnimationTick() = 0;
};

// The installed implementation; a silent one (OK to everything) until one is installed.
UiServices& Ui();
void InstallUi(UiServices* ui);

// Shows the busy cursor for the lifetime of the object.
class BusyCursor {
public:
  BusyCursor() { Ui().SetBusyCursor(true); }
  ~BusyCursor() { Ui().SetBusyCursor(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

// What core code may ask of the user interface: message boxes, the Escape poll,
// the busy cursor and the clipboard. The GUI installs the Qt implementation at
// start-up; tests install a scripted one.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
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

// What an open or save dialog is asked to show. The filter has the class
// library's form: "Text file (*.txt)|*.txt|All files (*.*)|*.*".
struct FileDialogOptions {
  std::string title;       // empty: the toolkit's default title
  std::string filter;
  int filterIndex = 1;     // 1-based index of the filter chosen at first
  std::string defaultExt;  // without the dot; appended to a name typed without extension
  std::string fileName;    // initial file name
  std::string initialDir;
};

// What the user chose in an open or save dialog.
struct FileChoice {
  std::string fileName;    // empty when the dialog was cancelled
  int filterIndex = 0;     // 1-based index of the filter in use when the name was chosen
  bool Chosen() const { return !fileName.empty(); }
};

// A modeless find dialog: every press of its Find button runs the handler.
struct FindDialogOptions {
  std::string title = "Find";
  std::string text;        // initial find text
  bool matchCase = false;  // initial state of the match-case option
  bool showMatchCase = true;
  bool showDirection = false;
};

struct FindRequest {
  std::string text;
  bool matchCase = false;
  bool down = true;
};

using FindHandler = std::function<void(const FindRequest&)>;

// Every dialog service has a default that answers "cancelled", so test doubles
// only override what they script.
struct UiServices {
  virtual ~UiServices() = default;
  virtual int MessageBox(const std::string& text, const std::string& caption, unsigned flags) = 0;
  virtual bool EscapePressed() = 0;
  virtual void SetBusyCursor(bool busy) = 0;
  virtual void SetClipboardText(const std::string& text) = 0;
  virtual std::string ClipboardText() = 0;

  virtual FileChoice OpenFileDialog(const FileDialogOptions& options);
  virtual FileChoice SaveFileDialog(const FileDialogOptions& options);
  virtual void ShowFindDialog(const FindDialogOptions& options, FindHandler onFind);
  // Colours are 0x00BBGGRR; nothing when cancelled.
  virtual std::optional<uint32_t> ChooseColor(uint32_t initial);
  // The chosen folder, or empty when cancelled.
  virtual std::string ChooseFolder(const std::string& title, const std::string& startDir);
  // Hands the document to the desktop's viewer without waiting for it; false
  // when no viewer could be started. A viewer that fails later reports it with
  // ReportDocumentNotOpened.
  virtual bool OpenDocument(const std::string& path);
  // While a long calculation runs, user input other than Escape is held off.
  virtual void BeginLongCalculation() {}
  virtual void EndLongCalculation() {}
};

// Runs the save dialog on a window's own options and keeps the chosen name and
// filter in them, so that the next use of that dialog starts from them.
FileChoice RunSaveDialog(FileDialogOptions& dialog);

// Opens an existing document with the desktop's viewer; a missing file or a
// viewer that cannot show it is reported with ReportDocumentNotOpened.
void OpenDocument(const std::string& path);
// "Cannot open the document " + path.
void ReportDocumentNotOpened(const std::string& path);

// A long loop that shows progress takes a Progress* (or none).
struct Progress {
  virtual ~Progress() = default;
  virtual void SetText(const std::string& text) = 0;
  virtual void SetRange(int lo, int hi) = 0;
  virtual void SetPosition(int pos) = 0;
  virtual void AnimationTick() = 0;
  // The window's caption; displays without one ignore it.
  virtual void SetCaption(const std::string&) {}
  // Raises the window above the others; displays without a window ignore it.
  virtual void BringToFront() {}
  // Replaces the text of the animation row; displays without one ignore it.
  virtual void SetAnimationText(const std::string&) {}
};

// Opens the progress window of a long operation: animated (a growing row of "+")
// or with a bar. The window closes when the returned object goes.
using ProgressWindowFactory = std::function<std::unique_ptr<Progress>(bool animated)>;

// The installed implementation; a silent one (OK to everything) until one is installed.
UiServices& Ui();
void InstallUi(UiServices* ui);

// Marks a long calculation for the lifetime of the object.
class LongCalculation {
public:
  LongCalculation() { Ui().BeginLongCalculation(); }
  ~LongCalculation() { Ui().EndLongCalculation(); }
  LongCalculation(const LongCalculation&) = delete;
  LongCalculation& operator=(const LongCalculation&) = delete;
};

// Shows the busy cursor for the lifetime of the object.
class BusyCursor {
public:
  BusyCursor() { Ui().SetBusyCursor(true); }
  ~BusyCursor() { Ui().SetBusyCursor(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

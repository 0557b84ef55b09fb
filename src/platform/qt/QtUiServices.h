// The user-interface services on Qt: message boxes, the Escape poll, the busy
// cursor, the clipboard and the common dialogs; the program font.
#pragma once

#include <QImage>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <chrono>
#include <memory>

#include "platform/base/UiServices.h"
#include "platform/qt/FindTextDialog.h"

class QtUiServices : public QObject, public UiServices {
public:
  QtUiServices();
  ~QtUiServices() override;

  int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
  bool EscapePressed() override;
  void SetBusyCursor(bool busy) override;
  void SetClipboardText(const std::string& text) override;
  std::string ClipboardText() override;
  FileChoice OpenFileDialog(const FileDialogOptions& options) override;
  FileChoice SaveFileDialog(const FileDialogOptions& options) override;
  void ShowFindDialog(const FindDialogOptions& options, FindHandler onFind) override;
  std::optional<uint32_t> ChooseColor(uint32_t initial) override;
  std::string ChooseFolder(const std::string& title, const std::string& startDir) override;
  bool OpenDocument(const std::string& path) override;
  void BeginLongCalculation() override;
  void EndLongCalculation() override;

  FindTextDialog* FindDialog() const { return findDialog_; }
  // The command that opens a document named after its arguments; "xdg-open" unless set.
  void SetDocumentOpener(const QStringList& command) { documentOpener_ = command; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void BeginQuiet();
  void EndQuiet();
  bool ReachesNewModal(QObject* target) const;
  bool ClickReachesTaker(QObject* target, const QEvent* event);
  FileChoice RunFileDialog(bool save, const FileDialogOptions& options);

  bool escapeDown_ = false;
  std::chrono::steady_clock::time_point lastEventPoll_{};
  bool clickOnTaker_ = false;  // a press went to a widget that takes clicks
  int busyDepth_ = 0;
  int quietDepth_ = 0;  // long calculations and Escape polls in progress
  QPointer<QWidget> modalAtQuietStart_;
  QPointer<FindTextDialog> findDialog_;
  QString lastFolder_;  // of the file chosen last in this run
  QStringList documentOpener_{"xdg-open"};
};

// The message box for the flags: caption as given, icon from MB_ICON*, buttons
// from MB_OK/MB_OKCANCEL/MB_YESNO/MB_YESNOCANCEL, the first button the default.
std::unique_ptr<QMessageBox> BuildMessageBox(const std::string& text, const std::string& caption,
                                             unsigned flags);
// IDOK, IDCANCEL, IDYES or IDNO for a clicked standard button.
int MessageBoxResult(QMessageBox::StandardButton button);

// The class library's filter "Text (*.txt)|*.txt|All (*.*)|*.*" as Qt name filters.
QStringList QtNameFilters(const std::string& filter);

// A window whose close request, held off while a long calculation runs, is
// delivered again as a close event once events flow; the window must itself
// defer acting on a close that arrives during its calculation.
void LetWindowDeferClose(QWidget* window);

// A widget (such as a button that stops a calculation) whose mouse clicks reach
// it while a long calculation holds off other input; what it does must be safe
// in the middle of that calculation.
void LetWidgetTakeClicksDuringCalculation(QWidget* widget);

// Creates the Qt services (owned by the application object) and installs them.
void InstallQtUi();
// Makes DejaVu Sans at a fixed pixel size the font of every window.
void ApplyProgramFont();

void SetClipboardImage(const QImage& image);
QImage ClipboardImage();

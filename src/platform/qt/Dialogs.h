// Modal windows with the class library's modal result, and windows shown
// without waiting that delete themselves when closed.
#pragma once

#include <QDialog>
#include <QPointer>
#include <vector>

class QAbstractButton;

enum ModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };

// Moves a window so that its frame is centred on its screen.
void CentreOnScreen(QWidget* window);

// The window a window opened now belongs to and stays over: the progress window
// shown last while it is up (a question asked during the work goes over it),
// else the active window when it takes input (a window owned by the modal one
// does), else the active modal window, else the active window; null when there
// is none.
QWidget* WindowToOpenOver();
// Progress windows announce themselves while they are shown.
void AddProgressWindow(QWidget* window);
void RemoveProgressWindow(QWidget* window);
// From now on, when a window closes while the program has the keyboard and no
// other window takes it, the keyboard goes back to the nearest shown window the
// closed one belonged to, else to the modal window, else to the main window.
void ReturnKeyboardFromClosedWindows();
// Centres the window on its whole screen and moves it offset pixels right and down;
// halves are taken by an arithmetic shift.
void PlaceOnScreen(QWidget& window, int offset);

// Enter in an edit box presses no button unless the window sets one as its
// default (Qt would otherwise make the first push button the default); Enter on
// a focused push button presses that button.
class ModalDialog : public QDialog {
public:
  explicit ModalDialog(QWidget* parent = nullptr);

  // Shows the dialog centred on the screen and waits; the result it closed with.
  ModalResult ShowModal();
  ModalResult Result() const { return result_; }
  // Any result but mrNone closes the dialog.
  void SetModalResult(ModalResult result);
  // A button whose click closes the dialog with the result.
  void SetButtonResult(QAbstractButton* button, ModalResult result);

  void setVisible(bool visible) override;

protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Escape and the close box cancel.
  void reject() override;

private:
  ModalResult result_ = mrNone;
};

// The windows an opener shows without waiting. Each window deletes itself when
// closed; those still open when the list goes are deleted with it, so every
// window has exactly one owner at a time.
class ModelessWindows {
public:
  ModelessWindows() = default;
  ModelessWindows(const ModelessWindows&) = delete;
  ModelessWindows& operator=(const ModelessWindows&) = delete;
  ~ModelessWindows();

  // Shows the window as a top-level window over the opener (usable while the
  // opener is modal); returns its number in the list.
  int Show(QWidget* window, QWidget* opener);
  bool IsClosed(int number) const { return windows_.at(number).isNull(); }

private:
  std::vector<QPointer<QWidget>> windows_;
};

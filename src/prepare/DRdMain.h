// The one-line input dialog: asks the user for a name under the caller's caption.
#pragma once

#include <functional>
#include <string>

#include "platform/qt/Dialogs.h"

class ChemoData;
class QLineEdit;
class QPushButton;

class TDataRequestForm : public ModalDialog {
  Q_OBJECT
public:
  // text: the caller's variable, shown for editing and written back only on Confirm.
  TDataRequestForm(QWidget* owner, const std::string& caption, std::string* text, ChemoData* data);

  void ButtonConfirmClick();

  QLineEdit* EditInputData;
  QPushButton* ButtonConfirm;

protected:
  void showEvent(QShowEvent* event) override;

private:
  std::string* text_;
  ChemoData* data_;  // kept for the caller, never read
};

// Asks for a name through request until it is not empty; an empty one asks
// whether to try again, and No ends with "Procedure aborted": false.
bool AskNonEmptyName(const std::function<void(std::string& text)>& request, std::string& name);

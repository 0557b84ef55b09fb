// The one-line input dialog: asks the user for a name under the caller's caption.
#pragma once

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

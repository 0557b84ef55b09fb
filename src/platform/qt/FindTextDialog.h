// The modeless find dialog: find text, match case and direction; each press of
// "Find Next" runs the handler with the dialog's current request.
#pragma once

#include <QDialog>

#include "platform/base/UiServices.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

class FindTextDialog : public QDialog {
public:
  FindTextDialog(const FindDialogOptions& options, FindHandler onFind, QWidget* parent);

  FindRequest Request() const;
  void PressFind();

  QLineEdit* textEdit;
  QCheckBox* matchCase;
  QRadioButton* down;

private:
  FindHandler onFind_;
};

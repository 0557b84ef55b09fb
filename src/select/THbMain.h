// The three-button choice dialog: three rows of text, Cancel and two choice
// buttons; the caller's int receives 0, 1 or 2 for the button pressed, -1 when
// the dialog closes otherwise.
#pragma once

#include "platform/qt/Dialogs.h"

class QLabel;
class QPushButton;

class TFormThreeButtons : public ModalDialog {
public:
  TFormThreeButtons(QWidget* owner, int* result);

  void ButtonCancelClick() { Choose(0); }
  void ButtonOK1Click() { Choose(1); }
  void ButtonOK2Click() { Choose(2); }

  QLabel* StaticTextRow1;
  QLabel* StaticTextRow2;
  QLabel* StaticTextRow3;
  QPushButton* ButtonCancel;
  QPushButton* ButtonOK1;
  QPushButton* ButtonOK2;

private:
  void Choose(int button);

  int* result_;
};

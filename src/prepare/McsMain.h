// The "MCDM setup" dialog: the optimality and the weight of ranking columns.
#pragma once

#include "numerics/CheckedValue.h"
#include "platform/qt/Dialogs.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TFormMCDMparam : public ModalDialog {
public:
  // setting: the caller's column setting (flag = maximize, value = weight),
  // changed in place; cancelled: set when the user cancels.
  TFormMCDMparam(QWidget* owner, bool* cancelled, CheckedValue* setting);

  // Takes the edit's weight; an invalid text is reported and replaced by the
  // last valid weight: false.
  bool EditWeightExit();
  // Takes the weight and the optimality and closes; stays open on an invalid weight.
  void ButtonOKClick();
  void ButtonCancelClick();

  QRadioButton* RadioButtonMax;
  QRadioButton* RadioButtonMin;
  QLabel* StaticTextWeight;
  QLineEdit* EditWeight;
  QPushButton* ButtonCancel;
  QPushButton* ButtonOK;

private:
  bool* cancelled_;
  CheckedValue* setting_;
  long double lastValidWeight_;
};

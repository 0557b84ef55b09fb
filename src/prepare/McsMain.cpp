// The "MCDM setup" dialog.
#include "prepare/McsMain.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/base/NumberText.h"
#include "platform/base/UiServices.h"
#include "platform/qt/QtConvert.h"

TFormMCDMparam::TFormMCDMparam(QWidget* owner, bool* cancelled, CheckedValue* setting)
    : ModalDialog(owner), cancelled_(cancelled), setting_(setting), lastValidWeight_(setting->Value) {
  setWindowTitle("MCDM setup");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  QFont face("DejaVu Sans");
  face.setPixelSize(11);
  setFont(face);
  setFixedSize(180, 137);
  RadioButtonMax = new QRadioButton("Maximize", this);
  RadioButtonMax->setGeometry(16, 10, 150, 20);
  RadioButtonMin = new QRadioButton("Minimize", this);
  RadioButtonMin->setGeometry(16, 34, 150, 20);
  StaticTextWeight = new QLabel("Weight", this);
  StaticTextWeight->setGeometry(16, 66, 50, 20);
  EditWeight = new QLineEdit(this);
  EditWeight->setGeometry(70, 64, 94, 22);
  ButtonCancel = new QPushButton("Cancel", this);
  ButtonCancel->setGeometry(12, 100, 75, 25);
  ButtonOK = new QPushButton("Accept", this);
  ButtonOK->setGeometry(93, 100, 75, 25);

  (setting->Missing ? RadioButtonMax : RadioButtonMin)->setChecked(true);
  EditWeight->setText(QStr(FloatToStr(setting->Value)));
  // Accept checks the weight itself and keeps the dialog open on a refusal; only
  // leaving the edit for another control checks it here (the edit loses the
  // focus to Accept before Accept is clicked; Enter leaves the focus in the edit).
  connect(EditWeight, &QLineEdit::editingFinished, this, [this] {
    if (!EditWeight->hasFocus() && QApplication::focusWidget() != ButtonOK) EditWeightExit();
  });
  connect(ButtonOK, &QPushButton::clicked, this, [this] { ButtonOKClick(); });
  connect(ButtonCancel, &QPushButton::clicked, this, [this] { ButtonCancelClick(); });
}

bool TFormMCDMparam::EditWeightExit() {
  long double weight = 0.0L;
  if (!TryStrToFloat(StdStr(EditWeight->text()), weight)) {
    Ui().MessageBox("Invalid input data, resetting to the last value.", "APPLICATION ERROR", MB_OK | MB_ICONERROR);
    EditWeight->setText(QStr(FloatToStr(lastValidWeight_)));
    return false;
  }
  lastValidWeight_ = weight;
  setting_->Value = weight;
  return true;
}

void TFormMCDMparam::ButtonOKClick() {
  if (!EditWeightExit()) return;
  setting_->Missing = RadioButtonMax->isChecked();
  SetModalResult(mrOk);
}

void TFormMCDMparam::ButtonCancelClick() {
  *cancelled_ = true;
  SetModalResult(mrCancel);
}

#include "prepare/DRdMain.h"

#include <QLineEdit>
#include <QPushButton>

#include "platform/base/UiServices.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/QtConvert.h"

TDataRequestForm::TDataRequestForm(QWidget* owner, const std::string& caption, std::string* text, ChemoData* data)
    : ModalDialog(owner), text_(text), data_(data) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setFixedSize(183, 92);
  EditInputData = new QLineEdit(this);
  EditInputData->setGeometry(9, 16, 163, 21);
  ButtonConfirm = new QPushButton("Confirm", this);
  ButtonConfirm->setGeometry(53, 57, 75, 25);
  setTabOrder(EditInputData, ButtonConfirm);
  connect(ButtonConfirm, &QPushButton::clicked, this, [this] { ButtonConfirmClick(); });
  SetButtonResult(ButtonConfirm, mrOk);
  setWindowTitle(QStr(caption));
  EditInputData->setText(QStr(*text_));
}

// Centred on the whole screen, halves rounded down.
void TDataRequestForm::showEvent(QShowEvent* event) {
  ModalDialog::showEvent(event);
  PlaceOnScreen(*this, 0);
}

void TDataRequestForm::ButtonConfirmClick() { *text_ = StdStr(EditInputData->text()); }

bool AskNonEmptyName(const std::function<void(std::string& text)>& request, std::string& name) {
  for (;;) {
    request(name);
    if (!name.empty()) return true;
    if (Ui().MessageBox("Empty string: do you want to enter a new name?", "APPLICATION WARNING",
                        MB_YESNO | MB_ICONQUESTION) != IDYES) {
      Ui().MessageBox("Procedure aborted", "APPLICATION MESSAGE", MB_OK | MB_ICONINFORMATION);
      return false;
    }
  }
}

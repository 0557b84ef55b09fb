// The three-button choice dialog.
#include "select/THbMain.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFormThreeButtons::TFormThreeButtons(QWidget* owner, int* result) : ModalDialog(owner), result_(result) {
  *result_ = -1;
  setWindowTitle("Choose option");
  // A title bar without border icons.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  StaticTextRow1 = new QLabel(this);
  StaticTextRow2 = new QLabel(this);
  StaticTextRow3 = new QLabel(this);
  ButtonCancel = new QPushButton("Cancel", this);
  ButtonOK1 = new QPushButton(this);
  ButtonOK2 = new QPushButton(this);
  connect(ButtonCancel, &QPushButton::clicked, this, [this] { ButtonCancelClick(); });
  connect(ButtonOK1, &QPushButton::clicked, this, [this] { ButtonOK1Click(); });
  connect(ButtonOK2, &QPushButton::clicked, this, [this] { ButtonOK2Click(); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* button : {ButtonCancel, ButtonOK1, ButtonOK2}) buttons->addWidget(button);
  auto* main = new QVBoxLayout(this);
  for (QLabel* row : {StaticTextRow1, StaticTextRow2, StaticTextRow3}) main->addWidget(row);
  main->addSpacing(8);
  main->addLayout(buttons);
}

void TFormThreeButtons::Choose(int button) {
  *result_ = button;
  SetModalResult(mrOk);
}

#include "platform/qt/FindTextDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/qt/QtConvert.h"

FindTextDialog::FindTextDialog(const FindDialogOptions& options, FindHandler onFind, QWidget* parent)
    : QDialog(parent), onFind_(std::move(onFind)) {
  setWindowTitle(QStr(options.title));
  setAttribute(Qt::WA_DeleteOnClose);
  textEdit = new QLineEdit(QStr(options.text));
  matchCase = new QCheckBox("Match &case");
  matchCase->setChecked(options.matchCase);
  matchCase->setVisible(options.showMatchCase);

  auto* direction = new QGroupBox("Direction");
  auto* up = new QRadioButton("&Up");
  down = new QRadioButton("&Down");
  down->setChecked(true);
  auto* directionLayout = new QHBoxLayout(direction);
  directionLayout->addWidget(up);
  directionLayout->addWidget(down);
  direction->setVisible(options.showDirection);

  auto* findNext = new QPushButton("&Find Next");
  findNext->setDefault(true);
  findNext->setEnabled(!textEdit->text().isEmpty());
  auto* cancel = new QPushButton("Cancel");
  connect(textEdit, &QLineEdit::textChanged, findNext,
          [findNext](const QString& text) { findNext->setEnabled(!text.isEmpty()); });
  connect(findNext, &QPushButton::clicked, this, &FindTextDialog::PressFind);
  connect(cancel, &QPushButton::clicked, this, &QDialog::close);

  auto* layout = new QGridLayout(this);
  auto* label = new QLabel("Fi&nd what:");
  label->setBuddy(textEdit);
  layout->addWidget(label, 0, 0);
  layout->addWidget(textEdit, 0, 1);
  layout->addWidget(findNext, 0, 2);
  layout->addWidget(matchCase, 1, 0, 1, 2);
  layout->addWidget(cancel, 1, 2);
  layout->addWidget(direction, 2, 0, 1, 2);
}

FindRequest FindTextDialog::Request() const {
  return {StdStr(textEdit->text()), matchCase->isChecked(), down->isChecked()};
}

void FindTextDialog::PressFind() {
  if (onFind_ && !textEdit->text().isEmpty()) onFind_(Request());
}

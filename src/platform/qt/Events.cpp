#include "platform/qt/Events.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

void OnCheckBoxClick(QCheckBox* box, std::function<void()> handler) {
  QObject::connect(box, &QCheckBox::toggled, box, [handler = std::move(handler)](bool) { handler(); });
}

void OnRadioButtonClick(QRadioButton* button, std::function<void()> handler) {
  QObject::connect(button, &QRadioButton::toggled, button, [handler = std::move(handler)](bool checked) {
    if (checked) handler();
  });
}

void OnComboChange(QComboBox* box, std::function<void()> handler) {
  QObject::connect(box, &QComboBox::activated, box, [handler = std::move(handler)](int) { handler(); });
}

void OnEditChange(QLineEdit* edit, std::function<void()> handler) {
  QObject::connect(edit, &QLineEdit::textChanged, edit,
                   [handler = std::move(handler)](const QString&) { handler(); });
}

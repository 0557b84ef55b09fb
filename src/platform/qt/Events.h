// The class library's change events on Qt widgets, mapped once: a check box's
// click handler also runs when code changes its state, a combo box's change
// handler runs only on the user's choice, an edit's change handler runs on
// every change of its text.
#pragma once

#include <QAbstractButton>
#include <QObject>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QWidget;

void OnCheckBoxClick(QCheckBox* box, std::function<void()> handler);
// A radio button's click handler runs when it becomes checked, by the user or by code.
void OnRadioButtonClick(QRadioButton* button, std::function<void()> handler);
void OnComboChange(QComboBox* box, std::function<void()> handler);
void OnEditChange(QLineEdit* edit, std::function<void()> handler);

// Drops the mouse press on its way to widget, which has just taken the focus
// for it: a click whose work is already done, or whose button went up elsewhere.
// A press that does not come before the event loop runs again is not waited for.
void DropArrivingPress(QWidget* widget);

// Connects each (button, member handler) pair of bindings so that a click on the
// button runs the handler on form.
template <class Form, class Bindings>
void ConnectClicks(Form* form, const Bindings& bindings) {
  for (const auto& [button, handler] : bindings) {
    auto run = handler;
    QObject::connect(button, &QAbstractButton::clicked, form, [form, run] { (form->*run)(); });
  }
}

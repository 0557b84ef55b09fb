#include "platform/qt/Events.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>

namespace {

// Swallows the next mouse press of its widget.
class PressDropper : public QObject {
public:
  explicit PressDropper(QWidget* widget) : QObject(widget) { widget->installEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::MouseButtonPress) return false;
    watched->removeEventFilter(this);
    return true;
  }
};

}  // namespace

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

void DropArrivingPress(QWidget* widget) {
  auto* dropper = new PressDropper(widget);
  QTimer::singleShot(0, dropper, [dropper] { delete dropper; });  // whether the press came or not
}

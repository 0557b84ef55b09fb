#include "platform/qt/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

namespace {

// The progress windows shown, oldest first.
std::vector<QPointer<QWidget>>& ProgressWindows() {
  static std::vector<QPointer<QWidget>> windows;
  return windows;
}

}  // namespace

void CentreOnScreen(QWidget* window) { PlaceOnScreen(*window, 0); }

QWidget* WindowToOpenOver() {
  const auto& progress = ProgressWindows();
  for (auto it = progress.rbegin(); it != progress.rend(); ++it)
    if (*it != nullptr && (*it)->isVisible()) return it->data();
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

void AddProgressWindow(QWidget* window) {
  RemoveProgressWindow(window);
  ProgressWindows().emplace_back(window);
}

void RemoveProgressWindow(QWidget* window) {
  auto& progress = ProgressWindows();
  progress.erase(std::remove_if(progress.begin(), progress.end(),
                                [window](const QPointer<QWidget>& w) { return w == nullptr || w == window; }),
                 progress.end());
}

void PlaceOnScreen(QWidget& window, int offset) {
  QScreen* screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->geometry();
  const QSize size = window.frameGeometry().size();
  window.move(area.left() + (area.width() >> 1) - (size.width() >> 1) + offset,
              area.top() + (area.height() >> 1) - (size.height() >> 1) + offset);
}

ModalDialog::ModalDialog(QWidget* parent) : QDialog(parent) {}

ModalResult ModalDialog::ShowModal() {
  result_ = mrNone;
  exec();
  return result_;
}

void ModalDialog::SetModalResult(ModalResult result) {
  result_ = result;
  if (result != mrNone) done(result);
}

void ModalDialog::SetButtonResult(QAbstractButton* button, ModalResult result) {
  connect(button, &QAbstractButton::clicked, this, [this, result] { SetModalResult(result); });
}

void ModalDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnScreen(this);
}

// Qt chooses a default among the auto-default buttons as the dialog is shown.
void ModalDialog::setVisible(bool visible) {
  if (visible)
    for (QPushButton* button : findChildren<QPushButton*>())
      if (!button->isDefault()) button->setAutoDefault(false);
  QDialog::setVisible(visible);
}

void ModalDialog::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  auto* focused = qobject_cast<QPushButton*>(focusWidget());
  if (enter && focused != nullptr && focused->isEnabled())
    focused->click();
  else
    QDialog::keyPressEvent(event);
}

void ModalDialog::reject() { SetModalResult(mrCancel); }

ModelessWindows::~ModelessWindows() {
  for (const QPointer<QWidget>& window : windows_) delete window.data();
}

int ModelessWindows::Show(QWidget* window, QWidget* opener) {
  window->setParent(opener, window->windowFlags() | Qt::Window);
  window->setAttribute(Qt::WA_DeleteOnClose);
  windows_.emplace_back(window);
  window->show();
  return static_cast<int>(windows_.size()) - 1;
}

#include "platform/qt/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace {

// The progress windows shown, oldest first.
std::vector<QPointer<QWidget>>& ProgressWindows() {
  static std::vector<QPointer<QWidget>> windows;
  return windows;
}

// A window that can have the keyboard: a shown window or dialog (no menu or tip).
bool TakesKeyboard(const QWidget* widget) {
  return widget != nullptr && widget->isVisible() &&
         (widget->windowType() == Qt::Window || widget->windowType() == Qt::Dialog);
}

QWidget* ShownMainWindow() {
  for (QWidget* window : QApplication::topLevelWidgets())
    if (qobject_cast<QMainWindow*>(window) != nullptr && window->isVisible()) return window;
  return nullptr;
}

// Whether the keys typed in the window reach it: no modal window is up, or the
// window is the modal one or belongs to it.
bool Unblocked(const QWidget* window, const QWidget* modal) {
  for (; modal != nullptr && window != nullptr; window = window->parentWidget())
    if (window == modal) return true;
  return modal == nullptr;
}

// Gives the keyboard to the first of the owners that can take it, else to the
// modal window, else to the main window; nothing when a window has it already.
void ReturnKeyboard(const std::vector<QPointer<QWidget>>& owners) {
  if (TakesKeyboard(QApplication::activeWindow())) return;
  QWidget* modal = QApplication::activeModalWidget();
  for (const QPointer<QWidget>& owner : owners)
    if (TakesKeyboard(owner) && Unblocked(owner, modal)) {
      owner->activateWindow();
      return;
    }
  QWidget* heir = TakesKeyboard(modal) ? modal : ShownMainWindow();
  if (heir != nullptr) heir->activateWindow();
}

// Window systems do not always give the keyboard back when a window closes (a
// window that closes under a message box just closed, for one). The check runs
// once the closing is over, when the window system has had its say.
class KeyboardReturner : public QObject {
public:
  using QObject::QObject;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow() &&
        QGuiApplication::applicationState() == Qt::ApplicationActive)
      ReturnKeyboardLater(static_cast<QWidget*>(watched));
    return false;
  }

private:
  // The owners are noted now, nearest first: the closed window may be gone
  // before the check runs.
  void ReturnKeyboardLater(QWidget* closed) {
    std::vector<QPointer<QWidget>> owners;
    for (QWidget* owner = closed->parentWidget(); owner != nullptr; owner = owner->window()->parentWidget())
      owners.emplace_back(owner->window());
    QTimer::singleShot(0, this, [owners = std::move(owners)] { ReturnKeyboard(owners); });
  }
};

}  // namespace

void ReturnKeyboardFromClosedWindows() {
  static KeyboardReturner* returner = nullptr;
  if (returner != nullptr) return;
  returner = new KeyboardReturner(QCoreApplication::instance());
  QCoreApplication::instance()->installEventFilter(returner);
}

void CentreOnScreen(QWidget* window) { PlaceOnScreen(*window, 0); }

QWidget* WindowToOpenOver() {
  const auto& progress = ProgressWindows();
  for (auto it = progress.rbegin(); it != progress.rend(); ++it)
    if (*it != nullptr && (*it)->isVisible()) return it->data();
  // The window the user works in: the active one, when the modal window (if
  // any) lets it take input, as it does the windows it owns.
  QWidget* modal = QApplication::activeModalWidget();
  QWidget* active = QApplication::activeWindow();
  if (TakesKeyboard(active) && Unblocked(active, modal)) return active;
  return modal != nullptr ? modal : active;
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

#include "validate/AVmMain.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "platform/qt/QtConvert.h"

std::string NameWithoutExtension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

TFormAvailMod::TFormAvailMod(QWidget* owner, bool messageMode, const std::string& text,
                             const std::vector<std::string>& names)
    : ModalDialog(owner), messageMode_(messageMode), directory_(text), names_(names) {
  setWindowTitle(messageMode ? "Application message" : "Available models");
  Panel = new QLabel(messageMode ? QStr(text) : "Double click to use model", this);
  Panel->setFixedHeight(32);
  Panel->setAlignment(Qt::AlignCenter);
  Panel->setFrameShape(QFrame::Panel);
  ListBox = new QListWidget(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Panel);
  layout->addWidget(ListBox);
  for (const std::string& name : names_) {
    ListBox->addItem(messageMode ? QStr(name) : QPath(NameWithoutExtension(name)));
  }
  // The client area holds the panel above the list.
  resize(messageMode ? 640 : 225, 245);
  QObject::connect(ListBox, &QListWidget::itemDoubleClicked, this, [this] { ListBoxDblClick(); });
  ListBox->installEventFilter(this);
}

bool TFormAvailMod::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ListBox && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      ListBoxDblClick();
      return true;
    }
  }
  return ModalDialog::eventFilter(watched, event);
}

void TFormAvailMod::ListBoxDblClick() {
  const int row = ListBox->currentRow();
  if (messageMode_ || row < 0 || row >= static_cast<int>(names_.size()) || !OnApply) return;
  if (OnApply(directory_ + names_[static_cast<std::size_t>(row)])) SetModalResult(mrOk);
}

#include "prepare/GridWindow.h"

#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/qt/StringGrid.h"

QToolButton* TextToolButton(QWidget* parent, const char* text, const char* hint) {
  auto* button = new QToolButton(parent);
  button->setText(text);
  button->setToolTip(hint);
  button->setAutoRaise(true);
  return button;
}

void LayOutGridWindow(QWidget* window, QLayout* toolBar, StringGrid* grid) {
  auto* main = new QVBoxLayout(window);
  main->addLayout(toolBar);
  main->addWidget(grid, 1);
}

void AttachPopupMenu(StringGrid* grid, QMenu* menu) {
  grid->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(grid, &QWidget::customContextMenuRequested, menu,
                   [grid, menu](const QPoint& at) { menu->popup(grid->viewport()->mapToGlobal(at)); });
}

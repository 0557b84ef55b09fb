#include "prepare/GridWindow.h"

#include <QMenu>
#include <QVBoxLayout>

#include "platform/qt/StringGrid.h"

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

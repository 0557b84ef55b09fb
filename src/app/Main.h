// The main window of the program: menus, toolbar, activity log and status bar.
#pragma once

#include <QMainWindow>

class TMainForm : public QMainWindow {
  Q_OBJECT
public:
  explicit TMainForm(QWidget* parent = nullptr);
};

// The "Change thresholds" dialog: edits the data set's six thresholds of the
// external validation criteria, each with two decimals and an up-down control
// that moves it by 0.01 within its range.
#pragma once

#include <array>

#include "platform/qt/Dialogs.h"

class ChemoData;
class QLabel;
class QLineEdit;
class QPushButton;
class UpDown;

class TFormThreshold : public ModalDialog {
  Q_OBJECT
public:
  static constexpr int RowCount = 6;

  // Copies the data set's thresholds (not owned) into the working values.
  TFormThreshold(QWidget* owner, ChemoData* data);

  // The handler of every row's up-down: the row's working value becomes
  // (position + 1) x 0.01 and all six edits show again.
  void UpDownClick(int row);
  // Copies every working value that differs from its threshold into the data set;
  // a change sets the project's modified flag.
  void ButtonAcceptClick();
  // True only after Accept changed at least one threshold.
  bool ThresholdsChanged() const { return changed_; }

  long double WorkingValue(int row) const { return working_[row]; }

  QLineEdit* EditQ2F1;
  QLineEdit* EditQ2F2;
  QLineEdit* EditQ2F3;
  QLineEdit* EditCCC;
  QLineEdit* EditAvR2m;
  QLineEdit* EditDeR2m;
  ::UpDown* UpDownQ2F1;
  ::UpDown* UpDownQ2F2;
  ::UpDown* UpDownQ2F3;
  ::UpDown* UpDownCCC;
  ::UpDown* UpDownAvR2m;
  ::UpDown* UpDownDeR2m;
  QPushButton* ButtonAccept;
  QPushButton* ButtonCancel;

private:
  void ShowValues();

  ChemoData* data_;
  bool changed_ = false;
  std::array<long double, RowCount> working_;
  std::array<QLineEdit*, RowCount> edits_;
  std::array<::UpDown*, RowCount> upDowns_;
};

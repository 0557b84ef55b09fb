#include "validate/CThMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

#include "data/ChemoData.h"
#include "data/ProjectHost.h"
#include "platform/base/NumberText.h"
#include "platform/qt/QtConvert.h"
#include "platform/qt/UpDown.h"

namespace {

struct ThresholdRow {
  const char* label;
  int minPosition;
  int maxPosition;
  long double ChemoData::*threshold;
};

// Position p stands for the value (p + 1) x 0.01.
constexpr ThresholdRow kRows[TFormThreshold::RowCount] = {
    {"Q2-F1", 39, 98, &ChemoData::ldQ2F1Threshold},        {"Q2-F2", 39, 98, &ChemoData::ldQ2F2Threshold},
    {"Q2-F3", 39, 98, &ChemoData::ldQ2F3Threshold},        {"CCC ex", 62, 98, &ChemoData::ldCCCextThreshold},
    {"r2m aver.", 39, 98, &ChemoData::ldR2mAverThreshold}, {"r2m delta", 0, 39, &ChemoData::ldR2mDeltaThreshold},
};

// The position of a value, the value first clamped into the row's range so that
// a huge or non-finite threshold read from a file converts safely.
int PositionOf(long double value, const ThresholdRow& row) {
  const long double low = (row.minPosition + 1) * 0.01L;
  const long double high = (row.maxPosition + 1) * 0.01L;
  const long double clamped = std::isnan(value) ? low : std::fmin(std::fmax(value, low), high);
  return static_cast<int>(std::lround(clamped * 100.0L)) - 1;
}

// Three rows in each of two columns, the buttons below.
constexpr int kColumnLeft[2] = {8, 116};
constexpr int kLabelWidth[2] = {42, 62};
constexpr int kRowTop[3] = {14, 46, 78};

}  // namespace

TFormThreshold::TFormThreshold(QWidget* owner, ChemoData* data) : ModalDialog(owner), data_(data) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setWindowTitle("Change thresholds");
  setFixedSize(242, 154);
  for (int r = 0; r < RowCount; ++r) {
    const int left = kColumnLeft[r / 3];
    const int editLeft = left + kLabelWidth[r / 3];
    const int top = kRowTop[r % 3];
    auto* label = new QLabel(kRows[r].label, this);
    label->setGeometry(left, top + 2, kLabelWidth[r / 3] - 2, 17);
    edits_[r] = new QLineEdit(this);
    edits_[r]->setGeometry(editLeft, top, 40, 21);
    edits_[r]->setReadOnly(true);
    upDowns_[r] = new ::UpDown(this);
    upDowns_[r]->setGeometry(editLeft + 40, top, 16, 21);
    upDowns_[r]->SetRange(kRows[r].minPosition, kRows[r].maxPosition);
    upDowns_[r]->OnClick = [this, r](::UpDown::Button) { UpDownClick(r); };
    working_[r] = data_->*kRows[r].threshold;
    upDowns_[r]->SetPosition(PositionOf(working_[r], kRows[r]));
  }
  EditQ2F1 = edits_[0], EditQ2F2 = edits_[1], EditQ2F3 = edits_[2];
  EditCCC = edits_[3], EditAvR2m = edits_[4], EditDeR2m = edits_[5];
  UpDownQ2F1 = upDowns_[0], UpDownQ2F2 = upDowns_[1], UpDownQ2F3 = upDowns_[2];
  UpDownCCC = upDowns_[3], UpDownAvR2m = upDowns_[4], UpDownDeR2m = upDowns_[5];

  ButtonAccept = new QPushButton("Accept", this);
  ButtonAccept->setGeometry(36, 116, 75, 25);
  ButtonAccept->setDefault(true);
  ButtonCancel = new QPushButton("Cancel", this);
  ButtonCancel->setGeometry(131, 116, 75, 25);
  connect(ButtonAccept, &QPushButton::clicked, this, [this] { ButtonAcceptClick(); });
  SetButtonResult(ButtonAccept, mrOk);
  SetButtonResult(ButtonCancel, mrCancel);
  ShowValues();
}

void TFormThreshold::ShowValues() {
  for (int r = 0; r < RowCount; ++r) edits_[r]->setText(QStr(FloatToStrF(working_[r], FloatFormat::Fixed, 18, 2)));
}

void TFormThreshold::UpDownClick(int row) {
  working_[row] = (upDowns_[row]->Position() + 1) * 0.01L;
  ShowValues();
}

void TFormThreshold::ButtonAcceptClick() {
  changed_ = false;
  for (int r = 0; r < RowCount; ++r) {
    long double& threshold = data_->*kRows[r].threshold;
    if (working_[r] == threshold) continue;
    threshold = working_[r];
    changed_ = true;
  }
  // The thresholds are saved with the project.
  if (changed_ && MainForm != nullptr) MainForm->SetModified(true);
}

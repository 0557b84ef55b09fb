#include "validate/VMdMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "platform/qt/QtConvert.h"
#include "platform/qt/QtUiServices.h"
#include "validate/ExternalValidator.h"
#include "validate/InternalValidation.h"

namespace {

constexpr int kTimerMs = 50;
constexpr int kRowTop[4] = {20, 48, 76, 104};

QComboBox* DropDown(QWidget* parent, int left, int top, int width) {
  auto* combo = new QComboBox(parent);
  combo->setEditable(false);
  combo->setGeometry(left, top, width, 21);
  return combo;
}

}  // namespace

TValidateModelForm::TValidateModelForm(QWidget* owner, bool allModels, DataResultList* models, ChemoData* data,
                                       TempFiles* registry, ProgressWindowFactory progressWindow)
    : ModalDialog(owner),
      calculator_(std::make_unique<ExternalValidator>(allModels, models, data)),
      validation_(std::make_unique<InternalValidation>(*calculator_, models, data, registry, std::move(progressWindow))),
      idle_(this) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setWindowTitle("Internal model validation");
  setFixedSize(316, 202);
  GroupBoxInt = new QGroupBox(this);
  GroupBoxInt->setGeometry(8, 4, 298, 132);
  BuildRow(kLeaveManyOut, "LMO", kRowTop[0]);
  BuildRow(kYScramble, "Y-scramble", kRowTop[1]);
  BuildRow(kRandomDescriptors, "Rand. Desc.", kRowTop[2]);
  BuildRow(kRandomResponses, "Rand. Resp.", kRowTop[3]);
  CheckBoxLMO = checks_[0], CheckBoxYScramble = checks_[1], CheckBoxRandDesc = checks_[2], CheckBoxRandResp = checks_[3];
  ComboBoxLMOIter = iterations_[0], ComboBoxYscrIter = iterations_[1];
  ComboBoxXrndIter = iterations_[2], ComboBoxYrndIter = iterations_[3];
  StaticTextLMO = iterationLabels_[0], StaticTextYscr = iterationLabels_[1];
  StaticTextRandDesc = iterationLabels_[2], StaticTextRandResp = iterationLabels_[3];

  ComboBoxLMOPercPred = DropDown(GroupBoxInt, 196, kRowTop[0], 44);
  for (int percent = 5; percent <= 50; percent += 5) ComboBoxLMOPercPred->addItem(QString::number(percent));
  ComboBoxLMOPercPred->setCurrentIndex(5);
  StaticTextLMOPercPred = new QLabel("% pred.", GroupBoxInt);
  StaticTextLMOPercPred->setGeometry(244, kRowTop[0] + 3, 50, 17);
  connect(ComboBoxLMOPercPred, &QComboBox::currentIndexChanged, this, [this] { ComboBoxLMOPercPredChange(); });

  CheckBoxLMO->setChecked(true);
  CheckBoxYScramble->setChecked(true);
  CheckBoxLMOClick();
  CheckBoxYScrambleClick();
  CheckBoxRandDescClick();
  CheckBoxRandRespClick();

  ButtonCancel = new QPushButton("Cancel", this);
  ButtonCancel->setGeometry(144, 140, 75, 25);
  ButtonValidate = new QPushButton("Validate", this);
  ButtonValidate->setGeometry(228, 140, 75, 25);
  ButtonValidate->setDefault(true);
  connect(ButtonCancel, &QPushButton::clicked, this, [this] { reject(); });
  // A model's step holds off input: Cancel and the close box still ask the run to end.
  LetWidgetTakeClicksDuringCalculation(ButtonCancel);
  LetWindowDeferClose(this);
  connect(ButtonValidate, &QPushButton::clicked, this, [this] { ButtonValidateClick(); });

  Timer1 = new QTimer(this);
  Timer1->setInterval(kTimerMs);
  connect(Timer1, &QTimer::timeout, this, [this] { TimerTimer(); });
  Timer1->start();
}

TValidateModelForm::~TValidateModelForm() { idle_.SetOnIdle({}); }

void TValidateModelForm::BuildRow(int kind, const char* caption, int top) {
  checks_[kind] = new QCheckBox(caption, GroupBoxInt);
  checks_[kind]->setGeometry(8, top, 90, 21);
  iterations_[kind] = DropDown(GroupBoxInt, 100, top, 64);
  for (int n : {100, 200, 300, 400, 500}) iterations_[kind]->addItem(QString::number(n));
  for (int n = 1000; n <= 10000; n += 1000) iterations_[kind]->addItem(QString::number(n));
  iterations_[kind]->setCurrentIndex(6);
  iterationLabels_[kind] = new QLabel("iter.", GroupBoxInt);
  iterationLabels_[kind]->setGeometry(168, top + 3, 24, 17);
  connect(checks_[kind], &QCheckBox::clicked, this, [this, kind] { EnableRow(kind); });
}

void TValidateModelForm::EnableRow(int kind) {
  const bool on = checks_[kind]->isChecked();
  iterations_[kind]->setEnabled(on);
  iterationLabels_[kind]->setEnabled(on);
  if (kind == kLeaveManyOut) {
    ComboBoxLMOPercPred->setEnabled(on);
    StaticTextLMOPercPred->setEnabled(on);
  }
}

void TValidateModelForm::CheckBoxLMOClick() { EnableRow(kLeaveManyOut); }
void TValidateModelForm::CheckBoxYScrambleClick() { EnableRow(kYScramble); }
void TValidateModelForm::CheckBoxRandDescClick() { EnableRow(kRandomDescriptors); }
void TValidateModelForm::CheckBoxRandRespClick() { EnableRow(kRandomResponses); }

void TValidateModelForm::showEvent(QShowEvent* event) {
  ModalDialog::showEvent(event);
  if (activated_) return;
  activated_ = true;
  QTimer::singleShot(0, this, [this] { FormActivate(); });
}

// The size check runs once on showing (and on every change of the percentage):
// the window is activated again whenever the warning closes.
void TValidateModelForm::FormActivate() { ComboBoxLMOPercPredChange(); }

void TValidateModelForm::ComboBoxLMOPercPredChange() {
  PushSettings();
  validation_->LmoSizeCheck();
}

void TValidateModelForm::PushSettings() {
  for (int kind = 0; kind < kValidationKindCount; ++kind) {
    validation_->SetChecked(kind, checks_[kind]->isChecked());
    validation_->SetIterationText(kind, StdStr(iterations_[kind]->currentText()));
  }
  validation_->SetLmoPercentText(StdStr(ComboBoxLMOPercPred->currentText()));
}

void TValidateModelForm::EnableSettings(bool enabled) {
  for (int kind = 0; kind < kValidationKindCount; ++kind) {
    checks_[kind]->setEnabled(enabled);
    if (enabled)
      EnableRow(kind);
    else
      iterations_[kind]->setEnabled(false);
  }
  if (!enabled) ComboBoxLMOPercPred->setEnabled(false);
  ButtonValidate->setEnabled(enabled);
}

void TValidateModelForm::ButtonValidateClick() {
  if (validation_->Running()) return;
  PushSettings();
  EnableSettings(false);
  validation_->Start();
  idleInstalled_ = true;
  // Called again and again while the run has work; the timer closes the window after it.
  idle_.SetOnIdle([this](bool& done) {
    IdleStep();
    done = !validation_->Running();
  });
}

void TValidateModelForm::IdleStep() {
  validation_->Step();
  for (int kind = 0; kind < kValidationKindCount; ++kind) checks_[kind]->setChecked(validation_->Checked(kind));
}

void TValidateModelForm::TimerTimer() {
  if (validation_->Running() || !idleInstalled_) return;
  idle_.SetOnIdle({});
  idleInstalled_ = false;
  EnableSettings(true);
  SetModalResult(mrOk);
}

bool TValidateModelForm::Running() const { return validation_->Running(); }

// Escape during a run is the run's Escape key, which asks before it aborts; it
// comes here when no poll took it (between two models), so the next poll asks.
void TValidateModelForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && validation_->Running())
    validation_->EscapeTyped();
  else
    ModalDialog::keyPressEvent(event);
}

// During a run Cancel and the close box finish the current model; the timer then
// closes the window.
void TValidateModelForm::reject() {
  if (validation_->Running())
    validation_->RequestAbort();
  else
    ModalDialog::reject();
}

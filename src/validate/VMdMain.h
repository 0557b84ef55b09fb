// The "Internal model validation" window: the four validation kinds with their
// iteration counts and the leave-many-out percentage; Validate runs the internal
// validation one model per idle call, and the 50 ms timer closes the window once
// the run is over. While a run is under way the settings are locked, and Cancel or
// closing asks the run to finish its current model first.
#pragma once

#include <array>
#include <memory>

#include "platform/base/UiServices.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/IdleDriver.h"

class ChemoData;
class DataResultList;
class ExternalValidator;
class InternalValidation;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;
class TempFiles;

class TValidateModelForm : public ModalDialog {
public:
  // Throws when the object masks cannot be built; neither list nor data is owned.
  TValidateModelForm(QWidget* owner, bool allModels, DataResultList* models, ChemoData* data, TempFiles* registry,
                     ProgressWindowFactory progressWindow = {});
  ~TValidateModelForm() override;

  void FormActivate();
  void ComboBoxLMOPercPredChange();
  void ButtonValidateClick();
  // One idle call of the run.
  void IdleStep();
  void TimerTimer();
  void CheckBoxLMOClick();
  void CheckBoxYScrambleClick();
  void CheckBoxRandDescClick();
  void CheckBoxRandRespClick();
  bool Running() const;
  bool IdleInstalled() const { return idleInstalled_; }

  QGroupBox* GroupBoxInt;
  QCheckBox* CheckBoxLMO;
  QCheckBox* CheckBoxYScramble;
  QCheckBox* CheckBoxRandDesc;
  QCheckBox* CheckBoxRandResp;
  QComboBox* ComboBoxLMOIter;
  QComboBox* ComboBoxYscrIter;
  QComboBox* ComboBoxXrndIter;
  QComboBox* ComboBoxYrndIter;
  QComboBox* ComboBoxLMOPercPred;
  QLabel* StaticTextLMO;
  QLabel* StaticTextYscr;
  QLabel* StaticTextRandDesc;
  QLabel* StaticTextRandResp;
  QLabel* StaticTextLMOPercPred;
  QPushButton* ButtonValidate;
  QPushButton* ButtonCancel;
  QTimer* Timer1;

protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void reject() override;

private:
  void BuildRow(int kind, const char* caption, int top);
  void EnableRow(int kind);
  void EnableSettings(bool enabled);
  void PushSettings();

  std::unique_ptr<ExternalValidator> calculator_;
  std::unique_ptr<InternalValidation> validation_;
  std::array<QCheckBox*, 4> checks_{};
  std::array<QComboBox*, 4> iterations_{};
  std::array<QLabel*, 4> iterationLabels_{};
  IdleDriver idle_;
  bool idleInstalled_ = false;
  bool activated_ = false;
};

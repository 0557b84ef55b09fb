// The search set-up window: how to search (all subsets up to a size, the held
// model plus one variable, the genetic algorithm per size), the fitness, the
// QUIK rule and the models kept per size; Calculate writes the settings into
// the data set and runs the search window.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/qt/Dialogs.h"
#include "select/SearchSetup.h"

class ChemoData;
class DataResultList;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TCalcAllSubForm;
class TFormThreeButtons;

class TCalculateSetupForm : public ModalDialog {
public:
  // Shows the choice dialog modally (tests answer it instead).
  using ChoiceRunner = std::function<void(TFormThreeButtons&)>;
  // Runs the search window modally (tests drive it instead).
  using SearchRunner = std::function<void(TCalcAllSubForm&)>;

  TCalculateSetupForm(QWidget* owner, DataResultList* models, ChemoData* data, ChoiceRunner askChoice = {},
                      SearchRunner runSearch = {});

  void ComboBoxAllSubsetChange();
  void RadioButtonAllSubsetClick();
  void RadioButtonHoldAddClick();
  void CheckBoxGAuntilClick();
  void ComboBoxGAuntilChange();
  void ComboBoxGAPopSizeChange();
  void ComboBoxKeepPerSizeChange();
  void ButtonCalculateClick();
  void ButtonCancelClick();

  // Refills "GA until" from firstSize; true when it found a size.
  bool CheckGASettings(int firstSize, bool keepChoice);
  void FillKeepPerSizeBox(bool quiet);

  // The window decided at construction that nothing can be done: it closes
  // as soon as it is shown.
  bool ClosesAtFirstPaint() const { return closeAtPaint_; }
  bool FirstSetup() const { return firstSetup_; }

  // The models-per-size choice, kept between openings for the program's session.
  static KeepPerSizeMemory RememberedKeepPerSize;

  QRadioButton* RadioButtonAllSubset;
  QComboBox* ComboBoxAllSubset;
  QLabel* LabelCombinations;
  QLineEdit* EditCombinations;
  QRadioButton* RadioButtonHoldAdd;
  QLabel* StaticTextHeldVar;
  QLabel* Label4;
  QComboBox* ComboBoxQUIKrule;
  QLabel* Label3;
  QComboBox* ComboBoxKeepPerSize;
  QLabel* LabelFitFunc;
  QComboBox* ComboBoxFitFunc;
  QGroupBox* GroupBoxGA;
  QLabel* LabelPopSize;
  QComboBox* ComboBoxGAPopSize;
  QLabel* StaticTextMutRate;
  QComboBox* ComboBoxMutRate;
  QCheckBox* CheckBoxGAuntil;
  QComboBox* ComboBoxGAuntil;
  QComboBox* ComboBoxGAgen;
  QLabel* StaticTextGen;
  QLabel* StaticTextPerSize;
  QPushButton* ButtonCalculate;
  QPushButton* ButtonCancel;

protected:
  // Centred, then moved 24 pixels right and down; closes at once when so decided.
  void showEvent(QShowEvent* event) override;
  // The close box and Escape cancel like the Cancel button.
  void reject() override { ButtonCancelClick(); }

private:
  void BuildComponents();
  void ConnectHandlers();
  void FillCombos();
  void AskWhereToContinue();
  int PoolSize() const;
  int AllSubsetNumber() const;
  void ShowTotal(long double total);
  void CheckObjectsPerVariable(int size);
  void SetGaControlsEnabled(bool on);
  void SetGaUntilDependantsEnabled(bool on);
  void SetGenerationsEnabled(bool on);
  void FillGaUntil(int firstSize, int count);
  bool GaSetUp() const;
  bool GaRequested() const;
  int GaFirstSize() const;
  void WriteSettings(bool ga);

  ChemoData* data_;
  DataResultList* models_;
  ChoiceRunner askChoice_;
  SearchRunner runSearch_;
  bool firstSetup_ = false;
  bool closeAtPaint_ = false;
  int gaUntilCount_ = 0;
  int gaUntilIndex_ = 0;
  int population_ = 10;
};

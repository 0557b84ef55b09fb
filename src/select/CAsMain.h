// The search window: runs one model search into the project's model list in
// steps while the window stays responsive, and shows the best models met.
#pragma once

#include <QTimer>
#include <cstdint>
#include <memory>

#include "platform/qt/Dialogs.h"
#include "platform/qt/IdleDriver.h"
#include "select/ModelSearchEngine.h"

class ChemoData;
class DataResultList;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class StringGrid;

class TCalcAllSubForm : public ModalDialog, private SearchView {
public:
  // mode: ModelSearchEngine::ModeAllSubsets, ModeHoldAndAdd or ModeGeneticOnly.
  TCalcAllSubForm(QWidget* owner, uint8_t mode, DataResultList* models, ChemoData* data);
  ~TCalcAllSubForm() override;

  // The first activation: starts the run (later calls do nothing).
  void FormActivate();
  // One step of the run; true while the run wants the next step at once.
  bool IdleStep();
  void TimerTimer();
  void ButtonDoneGAClick() { RequestClose(); }
  // The close box (and Escape between steps).
  void RequestClose();
  void CheckBoxDisplayResClick();
  void ComboBoxBestAllSubChange();
  void ComboBoxNumElemToDisplayChange();

  bool Closed() const { return Result() != mrNone; }
  ModelSearchEngine& Engine() { return *engine_; }

  QLabel* StaticText;
  StringGrid* StringGridGAmodels;
  QLabel* StaticTextGAlabel;
  QLabel* StaticTextGAiter;
  QPushButton* ButtonDoneGA;
  QLabel* StaticTextDispNo;
  QComboBox* ComboBoxBestAllSub;
  QLabel* StaticTextBestMod;
  QCheckBox* CheckBoxDisplayRes;
  QLabel* StaticTextDispBest;
  QComboBox* ComboBoxNumElemToDisplay;
  QLabel* StaticTextModGA;
  QLabel* StaticTextAllSubCalc;
  QLabel* StaticTextAllPerc;
  QTimer* Timer;

protected:
  // Placed 48 pixels right and down from the centre; the run starts once shown.
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override { RequestClose(); }

  // SearchView.
  void StatusText(const std::string& text) override;
  void PercentText(const std::string& text) override;
  void DisplaySlotsChanged() override;
  void ShowGaControls() override;
  void SetGridRows(int rows) override;
  void GaIterationText(const std::string& text) override;
  void ShowGaModels(const std::vector<SearchGridRow>& rows) override;
  void SelectBestPerSizeItem(int item) override;
  void CloseWindow() override { closePending_ = true; }

private:
  void BuildComponents();
  void SetGaControlsVisible(bool visible);
  void WriteRows(const std::vector<SearchGridRow>& rows);
  void FormClose();
  void ArmIdle();
  void RunDeferredClose();

  std::unique_ptr<ModelSearchEngine> engine_;
  IdleDriver idle_;
  bool activated_ = false;
  bool activationScheduled_ = false;
  bool busy_ = false;          // a start or a step is running
  bool closing_ = false;       // the close is asking or finishing
  bool closePending_ = false;  // a close waits for the start or step to end
  bool gaDisplay_ = false;     // the grid shows the genetic algorithm's models
};

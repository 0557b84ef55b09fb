// The data set-up window: the response, the selected, held and splitting
// variables, the roles of the objects, named splittings, ordered and random
// splits, normalisation, descriptor PCA and the response distribution. All
// editing happens on working copies; OK writes them into the data set.
#pragma once

#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "numerics/CheckedValue.h"
#include "numerics/Matrix.h"
#include "platform/base/UiServices.h"
#include "platform/qt/Dialogs.h"
#include "plot/PcaPlots.h"
#include "prepare/DataSetup.h"
#include "platform/base/ProgressWindow.h"

class ChemoData;
class DataResultList;
class QAction;
class QComboBox;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class StringGrid;
class TViewGraphForm;
struct VariablePca;

class TDataSetupForm : public ModalDialog {
public:
  TDataSetupForm(QWidget* owner, DataResultList* models, ChemoData* data, ProgressWindowFactory progressWindow = {});
  ~TDataSetupForm() override;

  // Asks for a name with the one-line input dialog (caption, text in and out);
  // tests replace it.
  std::function<void(const std::string& caption, std::string& text)> RequestName;
  // Shows a window modally; tests replace it.
  std::function<void(ModalDialog& window)> ShowModalWindow;

  // Variables.
  void ButtonSetXClick() { MarkSelectedVariables(VarMark::Selected); }
  void ButtonHoldVarClick() { MarkSelectedVariables(VarMark::Hold); }
  void ButtonReleaseXClick();
  void ButtonSetYClick();
  void ButtonReleaseYClick();
  void ButtonClearAllClick();
  void ButtonSetSplittingClick();
  void NormalizevariableClick();
  // Objects.
  void ButtonTrainingClick() { SetSelectedObjectsStatus(1); }
  void ButtonTestClick() { SetSelectedObjectsStatus(2); }
  void ButtonExcludedClick() { SetSelectedObjectsStatus(0); }
  void ButtonResetObjectsClick();
  void ButtonCreateSplittingClick();
  void ButtonDeleteSplittingClick();
  void ComboBoxSplittingChange();
  // Splits.
  void ComboBoxRandomChange();
  void ComboBoxRATrainChange() { RunOrderedSplitting(); }
  void ComboBoxRATestChange() { RunOrderedSplitting(); }
  void ComboBoxRABeginChange() { ApplyOrderedSplitting(); }
  void RadioButtonOrdByRespClick() { ReorderAndSplit(); }
  void RadioButtonOrdByPCA1Click() { ReorderAndSplit(); }
  void ButtonSwapClick();
  // Analyses.
  void ButtonVarPCAClick();
  void ButtonRespDistClick();
  void Button1Click();
  void Button2Click();
  // Searches, copies, OK.
  void SearchvariableClick();
  void SearchobjectClick();
  void SearchGridNames(StringGrid* grid, int which, const FindRequest& request);
  void SpeedButtonCopyVarToClipboardClick();
  void SpeedButtonCopyToClipboardClick();
  void ButtonOKClick();
  void ButtonSingleModelClick();

  bool OrderObjectsByResponse();
  void ApplyOrderedSplitting();
  bool CheckTrainingPresent();
  void FillSplittingCombo();
  void RefreshObjectStatus();
  void ShowSetupSummary();

  // The working state.
  const std::vector<int32_t>& WorkingStatus() const { return ipTempTrainingPtr; }
  int32_t WorkingResponse() const { return iWorkResponse; }
  const std::vector<NamedSplitting>& WorkingSplittings() const { return tempSplittings_; }
  const std::vector<int32_t>& Order() const { return ipOrderedResponsePtr; }
  bool OrderValid() const { return bOrderValid; }
  // The open plot windows: loading, score, training and prediction distribution.
  TViewGraphForm* PlotWindow(int which) const;

  StringGrid* StringGridVar;
  StringGrid* StringGridObj;
  QPushButton* ButtonSetX;
  QPushButton* ButtonHoldVar;
  QPushButton* ButtonReleaseX;
  QPushButton* ButtonSetY;
  QPushButton* ButtonReleaseY;
  QPushButton* ButtonClearAll;
  QPushButton* ButtonSetSplitting;
  QPushButton* ButtonRespDist;
  QPushButton* ButtonNormVar;
  QPushButton* ButtonTraining;
  QPushButton* ButtonTest;
  QPushButton* ButtonExcluded;
  QPushButton* ButtonResetObjects;
  QPushButton* ButtonCreateSplitting;
  QPushButton* ButtonDeleteSplitting;
  QComboBox* ComboBoxSplitting;
  QComboBox* ComboBoxRandom;
  QRadioButton* RadioButtonOrdByResp;
  QRadioButton* RadioButtonOrdByPCA1;
  QComboBox* ComboBoxRATrain;
  QComboBox* ComboBoxRATest;
  QComboBox* ComboBoxRABegin;
  QPushButton* ButtonSwap;
  QPushButton* ButtonVarPCA;
  QPushButton* Button1;
  QPushButton* Button2;
  QPushButton* ButtonSingleModel;
  QComboBox* ComboBoxLOFsmooth;
  QListWidget* ListBoxSelVar;
  QListWidget* ListBoxMissingData;
  QToolButton* SpeedButtonCopyVarToClipboard;
  QToolButton* SpeedButtonCopyToClipboard;
  QPlainTextEdit* MemoDetails;
  QPushButton* ButtonOK;
  QPushButton* ButtonCancel;
  QMenu* PopupMenuVar;
  QMenu* PopupMenuObj;
  QAction* PopUpRespDist;
  QAction* PopupDeleteSplitting;

  // The grid rows at which the next variable and object searches start.
  static int NextVarSearchRow;
  static int NextObjSearchRow;

protected:
  // Centred, then moved 24 pixels right and down.
  void showEvent(QShowEvent* event) override;

private:
  // A plot window shown without waiting and the data it shows; the response
  // distributions keep their cells here.
  struct PlotSet : ModelessPlot {
    std::vector<std::array<CheckedValue, 2>> cells;
    std::vector<CheckedValue*> rows;
  };

  void BuildComponents();
  QWidget* BuildVariableGroup();
  QWidget* BuildObjectGroup();
  QWidget* BuildSplittingGroup();
  QWidget* BuildAnalysisRow();
  QWidget* BuildListsRow();
  void BuildPopupMenus();
  void ConnectHandlers();
  void Construct();
  void FillGrids(Progress& progress);
  void FillCombos();
  void ConfineToStatusColumn(StringGrid* grid);

  std::vector<VarMark> GridMarks() const;
  bool RefuseInvalidSetup(std::size_t variables);
  void SetMark(int32_t var, VarMark mark);
  std::vector<int32_t> MarkedPool() const;
  void MarkSelectedVariables(VarMark mark);
  void AfterVariableChange();
  void SetSelectedObjectsStatus(int32_t status);
  void AfterObjectChange();
  void RunOrderedSplitting();
  void ReorderAndSplit();
  std::vector<int32_t> StructureOrder();
  bool AskSplittingName(std::string& name);
  bool AskPcaName(std::string& name);
  void WriteBack();
  void AppendVariableRows(int32_t firstNew);
  void ReleasePlotSet(PlotSet& set);
  bool FillDistribution(PlotSet& set, int32_t status);
  void ShowDistribution(PlotSet& set, const std::string& caption, bool moved);
  void CopyLines(const QListWidget* list);

  ChemoData* data_;
  DataResultList* models_;
  std::vector<int32_t> ipTempTrainingPtr;
  int32_t iWorkResponse = -1;
  std::vector<NamedSplitting> tempSplittings_;
  int32_t iTempCurrentSplit = 0;
  std::vector<int32_t> ipOrderedResponsePtr;
  bool bOrderValid = false;
  bool bFirstVarSearch = true;
  bool bFirstObjSearch = true;
  ProgressWindowFactory progressWindow_;
  std::array<PlotSet, 4> plots_;  // loading, score, training and prediction distribution
};

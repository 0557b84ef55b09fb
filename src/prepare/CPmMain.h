// The ranking window: the whole data set in one grid, in which the user
// chooses columns (criteria) and objects, and runs a principal component
// analysis of the chosen columns, their correlation matrix or the
// multi-criteria ranking of the chosen objects; the ranking's score can be
// stored in the data set as a new variable.
#pragma once

#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "numerics/Matrix.h"
#include "platform/qt/Dialogs.h"
#include "plot/PcaPlots.h"
#include "prepare/GridCells.h"
#include "platform/base/ProgressWindow.h"
#include "prepare/RankingGrid.h"

class ChemoData;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QToolButton;
class TViewGraphForm;
struct CellLook;

class TFormPcaMcdm : public ModalDialog {
public:
  TFormPcaMcdm(QWidget* owner, ChemoData* data, ProgressWindowFactory progressWindow = {});
  ~TFormPcaMcdm() override;

  // Shows a window modally; tests replace it.
  std::function<void(ModalDialog& window)> ShowModalWindow;
  // Lets the user edit a column setting in the "MCDM setup" dialog; tests replace it.
  std::function<void(bool& cancelled, CheckedValue& setting)> EditColumnSetting;
  // Asks for a name with the one-line input dialog (caption, text in and out); tests replace it.
  std::function<void(const std::string& caption, std::string& text)> RequestName;

  // Event handlers.
  void StringGridMouseUp();
  void Select1Click() { SelectColumns(true); }
  void Unselect1Click() { SelectColumns(false); }
  void Selectmolecules1Click() { SelectObjects(true); }
  void Unselectmolecules1Click() { SelectObjects(false); }
  void SpeedButtonPCAClick();
  void SpeedButtonCorrClick();
  void SpeedButtonCopyClick();
  void SpeedButtonMCDMClick();
  void SetcolumnMCDMparametersClick();
  void Roundweighttoreach1Click();
  void SpeedButtonStoreMCDMClick();
  void StoreMcdmColumn();

  // Enables the calculations when n >= 2 columns are selected; any previous
  // ranking stops being current.
  void UpdateCommands(int n);
  const RankingGrid& Model() const { return model_; }
  // The open loading (0) and score (1) plots, null when closed or released.
  TViewGraphForm* PlotWindow(int which) const;

  QToolButton* SpeedButtonCopy;
  QToolButton* SpeedButtonPCA;
  QToolButton* SpeedButtonMCDM;
  QLabel* StaticTextOrder;
  QComboBox* ComboBoxOrder;
  QToolButton* SpeedButtonStoreMCDM;
  QToolButton* SpeedButtonCorr;
  ::StringGrid* StringGrid;
  QMenu* PopupMenu;
  QAction* Select1;
  QAction* Unselect1;
  QAction* SetcolumnMCDMparameters;
  QAction* Roundweighttoreach1;
  QAction* Selectmolecules1;
  QAction* Unselectmolecules1;
  QAction* PopupMenuCopy;
  QAction* PopupCalculatePCA;
  QAction* PopupCalculateMCDM;
  QAction* PopupStoreMCDMcolumn;
  QAction* PopupCalculatecorrelation;

private:
  void BuildComponents();
  void BuildPopupMenu();
  void StringGridDrawCell(int col, int row, CellLook& look) const;
  void SelectColumns(bool on);
  void SelectObjects(bool on);
  void AfterRanking();
  void ShowScorePlot(const VariablePca& pca);

  ChemoData* data_;
  GridCells cells_;
  RankingGrid model_;
  ProgressWindowFactory progressWindow_;
  std::array<ModelessPlot, 2> plots_;  // loading, score
};

// The "View and select models" window: the model list as a sortable table of
// statistics, with the commands that select, filter, delete and keep models,
// validate them externally, copy or save the table and open the analyses over
// many models. It edits the project's list in place; Accept keeps the edits,
// any other close puts back the list and the validation files of the opening.
#pragma once

#include <QComboBox>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "numerics/CheckedValue.h"
#include "platform/base/UiServices.h"
#include "platform/qt/Dialogs.h"
#include "platform/base/ProgressWindow.h"
#include "models/ModelListTable.h"
#include "models/ValidationUndo.h"

class ChemoData;
class DataResultList;
class DataResultNode;
class ModelListStatistics;
struct ModelScatterPoints;
struct ModelListPcaResult;
class TViewGraphForm;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSpinBox;
class QToolButton;
struct CellLook;
class StringGrid;

// A sort combo: its items are drawn from per-item flags (disabled items grey,
// still choosable) and it reports each drop-down.
class SortComboBox : public QComboBox {
public:
  explicit SortComboBox(QWidget* parent);
  std::array<bool, kSortItemCount> enabled{};
  std::function<void()> OnDropDown;
  void showPopup() override;
};

class TViewSelForm : public ModalDialog {
public:
  // models is the address of the main window's model-list field.
  TViewSelForm(QWidget* owner, DataResultList** models, ChemoData* data, ProgressWindowFactory progressWindow = {});
  ~TViewSelForm() override;

  // Shows another window modally; tests replace it.
  std::function<void(ModalDialog& window)> ShowModalWindow;
  // Drops a combo's list down again; tests replace it.
  std::function<void(QComboBox& combo)> DropDownList;
  // The memory available to the program in bytes, which bounds the principal
  // component analyses; tests replace it.
  std::function<uint64_t()> AvailableMemory;

  // The table.
  void SetColumnTitles();
  void SortAndShowModels();
  void FillResultsGrid(Progress* progress, bool deleteExtra);
  void UpdateCommandStates();
  long double ColumnValue(const DataResultNode& model) const;
  // The text of a grid cell as the table gives it.
  std::string Cells(int col, int row) const;
  void StringGridResultsDrawCell(int col, int row, CellLook& look);
  void ComboBoxSortChange();
  const ModelListTable& Table() const { return table_; }

  // Commands.
  void SpeedButtonCopyClick();
  void SpeedButtonSaveToFileClick();
  void ComboBoxQUIKRuleChange() { RecalculateColumns(); }
  void ComboBoxCIChange() { RecalculateColumns(); }
  // Enter in the CI box: a number joins its list once; any other text is refused
  // and the box shows its last accepted value again.
  void ComboBoxCIEnter();
  void RecalculateColumns();
  void ComboBoxOnlyBestChange();
  void SpeedButtonViewOnlySelModClick();
  void UpDownBestClick();
  void PopupMenuAlwaysselectedClick() { SetStatusOfSelectedRows(SelectionLetter(3)); }
  void PopupMenuNeverselectedClick() { SetStatusOfSelectedRows(SelectionLetter(0)); }
  void SetStatusOfSelectedRows(const std::string& letter);
  void PopupSelectallmodelsClick();
  void PopupMenuResetAllSelClick();
  void SetAllSelection(bool select);
  void SpeedButtonDelUnselModelClick();
  void SpeedButtonViewVarStatClick();
  void SpeedButtonExtValidationClick();
  void ButtonAcceptClick();
  void FormClose();
  // Opens the single-model window on the model of the selection's top row.
  void SpeedButtonViewSelModClick();
  // Validates the selected models internally, then refills the table.
  void SpeedButtonIntValidationClick();
  // Opens the consensus window on the selected models.
  void SpeedButtonModAnClick();
  // The analyses over the selected models.
  void SpeedButtonMultiCritClick();
  void SpeedButtonMCDMgraphClick();
  void SpeedButtonQ2looLOFClick();
  void SpeedButtonR2vsQ2Click();
  void SpeedButtonHatResClick();
  void SpeedButtonChangeThreshClick();
  void SpeedButtonPCAResClick();
  void SpeedButtonPCAdescClick();
  void SpeedButtonPCAchemClick();

  // The model of the selection's top row; null when the selection holds no data row.
  DataResultNode* SelectedRowModel() const;
  bool HasPredictionObjects() const { return hasPredictionObjects_; }
  bool Accepted() const { return accepted_; }
  int BestPosition() const;

  ::StringGrid* StringGridResults;
  QToolButton* SpeedButtonCopy;
  QToolButton* SpeedButtonSaveToFile;
  SortComboBox* ComboBoxSort;
  SortComboBox* ComboBoxSort2nd;
  QComboBox* ComboBoxQUIKRule;
  QComboBox* ComboBoxCI;
  QComboBox* ComboBoxOnlyBest;
  QToolButton* SpeedButtonViewOnlySelMod;
  QLineEdit* EditBest;
  QSpinBox* UpDownBest;
  QPushButton* ButtonAccept;
  QPushButton* ButtonCancel;
  QToolButton* SpeedButtonAlwaysSelModel;
  QToolButton* SpeedButtonNeverSelModel;
  QToolButton* SpeedButtonSelAll;
  QToolButton* SpeedButtonReset;
  QToolButton* SpeedButtonDelUnselModel;
  QToolButton* SpeedButtonViewVarStat;
  QToolButton* SpeedButtonR2vsQ2;
  QToolButton* SpeedButtonQ2looLOF;
  QToolButton* SpeedButtonViewSelMod;
  QToolButton* SpeedButtonIntValidation;
  QToolButton* SpeedButtonExtValidation;
  QToolButton* SpeedButtonHatRes;
  QComboBox* ComboBoxStdRes;
  QToolButton* SpeedButtonChangeThresh;
  QToolButton* SpeedButtonMultiCrit;
  QToolButton* SpeedButtonMCDMgraph;
  QToolButton* SpeedButtonPCARes;
  QToolButton* SpeedButtonPCAdesc;
  QToolButton* SpeedButtonModAn;
  QToolButton* SpeedButtonPCAchem;
  QMenu* PopupMenu;
  QAction* PopupMenuViewOnlySel;
  QAction* PopupMenuAlwaysselected;
  QAction* PopupMenuNeverselected;
  QAction* PopupSelectallmodels;
  QAction* PopupMenuResetAllSel;
  QAction* PopupMenuDelUnsel;
  QAction* PopupMenuViewVarStat;
  QAction* PopupMenuR2vsQ2;
  QAction* ViewQ2loovsLOF1;
  QAction* PopupMenuViewSelMod;
  QAction* PopupMenuIntVal;
  QAction* PopupMenuExtVal;
  QAction* Hatandresabovethreshcounting1;
  QAction* MultiCritDecMak;
  QAction* ViewMCDMgraph1;
  QAction* ViewresidualsPCA1;
  QAction* ViewdescriptorsPCA2;
  QAction* Consensusanalysis1;

protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

private:
  void BuildComponents();
  void BuildPopupMenu();
  void FillCombos();
  void FillOnlyBestCombo();
  void ComputePredictionFlag();
  void BackupValidationFiles();
  void ApplyEmptyColumns();
  // The width in which a column's title and its widest number (among the
  // table's extreme texts of the column) show whole.
  int FittingWidth(int col, const std::vector<std::string>& extremeTexts) const;
  // Refills the table after a command changed the list or its statistics.
  void Refill(bool deleteExtra);
  void SetViewOnlySelectedControls(bool on);
  // Sort items of a combo from the flags; restores and drops down a disabled choice.
  bool RestoreDisabledChoice(SortComboBox& combo, int remembered);
  std::unique_ptr<Progress> OpenProgressWindow(bool animated, const char* text);
  // The calculator of the filters and counts; null after reporting a failure.
  std::unique_ptr<ModelListStatistics> OpenStatistics();
  // Shows the plot window that create builds (a failure to build it is
  // reported) modally with the caption.
  void ShowGraphWindow(const std::function<std::unique_ptr<TViewGraphForm>()>& create, const std::string& caption);
  // The loading plot (model mode) or score plot (object mode) of an analysis.
  void ShowPcaGraph(const ModelListPcaResult& result, bool objectMode, const std::string& title);
  // Shows a models scatter (kind 20) modally with the caption; the points'
  // matrix has one column per axis name.
  void ShowModelsScatter(const ModelScatterPoints& points, std::vector<std::string> axisNames,
                         const std::string& caption);
  // False, after saying why, when the analysis of the selected models cannot
  // fit in the machine's memory.
  bool PcaFitsInMemory();
  // The two-stage PCA of the selected models' descriptors: loadings of the
  // models, or scores of the objects.
  void CalculateDataPca(bool objectMode, const std::string& title);

  DataResultList** models_;
  ChemoData* data_;
  ProgressWindowFactory progressWindow_;
  ModelListTable table_;
  std::unique_ptr<DataResultList> backup_;
  ValidationUndo undo_;
  bool accepted_ = false;
  bool closed_ = false;
  std::string acceptedCi_ = "None";  // the CI box's last number, or "None"
  bool hasPredictionObjects_ = false;
  int rememberedSort_ = 2;
  int rememberedSort2nd_ = 2;
};

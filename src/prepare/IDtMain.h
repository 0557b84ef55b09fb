// The import window: shows a delimited text file as a grid, in which the user points
// out the name column, the label row, the missing value, the splitting column and
// the columns exempt from the descriptor filters, and imports it into the data set.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/UiServices.h"
#include "platform/qt/Dialogs.h"
#include "prepare/DataImport.h"

class ChemoData;
class DataResultList;
class QAction;
class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QSpinBox;
struct CellLook;
class StringGrid;

class TImportDataForm : public ModalDialog {
  Q_OBJECT
public:
  TImportDataForm(QWidget* owner, const std::string& fileName, ChemoData* data, DataResultList* models,
                  ProgressWindowFactory progressWindow = {});

  void LoadFileToGrid();
  void ButtonImportClick();
  // The settings of the import as the controls give them.
  ImportSettings Settings() const;

  // Handlers of the controls.
  void CheckBoxTabClick();
  void EditDelimiterChange();
  void EditDelimiterEnter();
  void UpDownIDColumnClick();
  void UpDownLabelsRowClick();
  void CheckBoxFilterConstClick();
  void CheckBoxFilterCorrClick();
  void PopupMenuExcludeFilterClick();
  void PopupMenuReleaseExcludedClick();
  void PopUpMenuToggleSplitClick();
  void PopupMenuSearchVarClick();
  void FindDialogVarFind(const FindRequest& request);
  void StringGridMouseDown();
  void StringGridMouseUp();
  void StringGridDrawCell(int col, int row, CellLook& look);

  ::StringGrid* StringGrid;
  QSpinBox* UpDownIDColumn;
  QLineEdit* EditIDColumn;
  QSpinBox* UpDownLabelsRow;
  QLineEdit* EditLabelsRow;
  QLineEdit* EditMissingValue;
  QCheckBox* CheckBoxFilterConst;
  QSpinBox* UpDownFiltConst;
  QLineEdit* EditFiltConst;
  QCheckBox* CheckBoxFilterCorr;
  QSpinBox* UpDownFiltCorr;
  QLineEdit* EditFiltCorr;
  QLineEdit* EditDelimiter;
  QCheckBox* CheckBoxTab;
  QPushButton* ButtonImport;
  QPushButton* ButtonCancel;
  QMenu* PopupMenuSelCol;
  QAction* PopupMenuExcludeFilter;
  QAction* PopupMenuReleaseExcluded;
  QAction* PopUpMenuToggleSplit;
  QAction* PopupMenuSearchVar;

  std::string FileName;
  bool MouseIsDown = false;
  std::vector<bool> bpColToBeExcl;  // per grid column
  int SplitColumn = -1;
  bool FirstSearch = true;
  // The grid column at which the next variable search starts, shared by all import windows.
  static inline int NextSearchColumn = 1;

protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void BuildControls();
  void ConnectHandlers();
  void ConnectGrid();
  void ShowTable(const TextTable& table, Progress* progress);
  void FitMarksToGrid();
  void FilterCheckBoxClick(QCheckBox* box, QSpinBox* upDown, QCheckBox* other);
  void EnableRangeSelect();
  void DisableRangeSelect();
  void ResetGridSelection();
  void ConstrainSelection();
  bool AnyFilterChecked() const;
  void SetColumnMarks(bool exempt);
  // Whether the splitting cell of row reads 1; a cell that is no integer clears the
  // splitting column and warns once, after the drawing.
  bool SplitCellIsOne(int row);
  std::unique_ptr<Progress> OpenProgress(bool animated);

  ChemoData* data_;
  DataResultList* models_;
  ProgressWindowFactory progressWindow_;
  bool splitWarningQueued_ = false;
};

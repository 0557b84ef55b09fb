// The data viewer: the whole data set as a read-only table with the status of
// every object and its role in each splitting; copying, name searches, the
// data plots and the correlation matrix of the complete variables.
#pragma once

#include <functional>

#include "platform/base/UiServices.h"
#include "platform/qt/Dialogs.h"
#include "platform/base/ProgressWindow.h"

class ChemoData;
class DataResultList;
class QMenu;
class QToolButton;
class StringGrid;

class TViewDataForm : public ModalDialog {
public:
  TViewDataForm(QWidget* owner, DataResultList* models, ChemoData* data, ProgressWindowFactory progressWindow = {});

  // Shows a window modally; tests replace it.
  std::function<void(ModalDialog& window)> ShowModalWindow;

  void SpeedButtonCopyClick();
  void SpeedButtonSelectRowClick();
  void SpeedButtonSelectColumnClick();
  void SpeedButtonSelectAllClick();
  void SpeedButtonGraphVarClick() { ShowDataPlot(0, "Variables profile"); }
  void SpeedButtonGraphObjClick() { ShowDataPlot(1, "Objects profile"); }
  void SpeedButtonGraphBarClick() { ShowDataPlot(2, "N\xB0 objects bar chart"); }
  void SpeedButtonScatterGraphClick() { ShowDataPlot(3, "Variables scatter plot"); }
  void SpeedButtonCorrMatrClick();
  void SearchVariableClick();
  void SearchObjectClick();
  void FindDialogVarFind(const FindRequest& request);
  void FindDialogObjFind(const FindRequest& request);
  void StringGridMouseUp();

  ::StringGrid* StringGrid;
  QToolButton* SpeedButtonCopy;
  QToolButton* SpeedButtonSelectRow;
  QToolButton* SpeedButtonSelectColumn;
  QToolButton* SpeedButtonSelectAll;
  QToolButton* SpeedButtonGraphVar;
  QToolButton* SpeedButtonGraphObj;
  QToolButton* SpeedButtonGraphBar;
  QToolButton* SpeedButtonScatterGraph;
  QToolButton* SpeedButtonCorrMatr;
  QMenu* PopupMenu;

  // The places at which the next variable and object searches start, shared by all viewers.
  static int NextVarSearchCol;
  static int NextObjSearchRow;

protected:
  // Centred, then moved 24 pixels right and down.
  void showEvent(QShowEvent* event) override;

private:
  void BuildComponents();
  void BuildPopupMenu();
  void FillGrid();
  // The grid holds data beyond its three label columns.
  bool HasDataCells() const;
  void ShowDataPlot(int kind, const char* caption);

  ChemoData* data_;
  DataResultList* models_;
  bool firstVarSearch_ = true;
  bool firstObjSearch_ = true;
  ProgressWindowFactory progressWindow_;
};

// The "Consensus modeling" window: the consensus of the selected models of the
// model list as a list of those models, a text of fitting and external-validation
// criteria and a table of per-object consensus values, with ten plots and the
// report on the clipboard or in a text file. Everything is computed when the
// window is made; after an abort by Escape the window closes as soon as it shows.
#pragma once

#include <QStringList>
#include <functional>
#include <memory>
#include <string>

#include "platform/base/UiServices.h"
#include "platform/qt/Dialogs.h"
#include "plot/VGrMain.h"
#include "validate/Consensus.h"
#include "validate/ConsensusReport.h"

class ChemoData;
class DataResultList;
class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QToolButton;
class StringGrid;

class TFormConsensus : public ModalDialog {
public:
  TFormConsensus(QWidget* owner, DataResultList* models, ChemoData* data, ProgressWindowFactory progressWindow = {});
  ~TFormConsensus() override;

  // Shows another window modally; tests replace it.
  std::function<void(ModalDialog& window)> ShowModalWindow;

  Consensus& Calculation() { return *consensus_; }
  bool Aborted() const { return consensus_->Aborted(); }

  // Opens the plot window of one kind on one value row per object (cell 0 from
  // first, cell 1 from second), titled title.
  void ShowConsensusGraph(const std::string& title, const CheckedValue* first, const CheckedValue* second,
                          GraphKind kind);
  // The report as the copy and save commands write it.
  std::string ReportText(bool saved, Progress* progress = nullptr) const;

  void SpeedButtonCopyClick();
  void SpeedButtonSaveToFileClick();
  void SpeedButtonCalcACMClick();
  void SpeedButtonCalcWCMClick();
  void SpeedButtonPredACMClick();
  void SpeedButtonPredWCMClick();
  void SpeedButtonCalcWillACMClick();
  void SpeedButtonCalcWillWCMClick();
  void SpeedButtonPredWillACMClick();
  void SpeedButtonPredWillWCMClick();
  void SpeedButtonAppDomACMClick();
  void SpeedButtonAppDomWCMClick();

  QToolButton* SpeedButtonCopy;
  QToolButton* SpeedButtonSaveToFile;
  QToolButton* SpeedButtonCalcACM;
  QToolButton* SpeedButtonPredACM;
  QToolButton* SpeedButtonCalcWCM;
  QToolButton* SpeedButtonPredWCM;
  QToolButton* SpeedButtonCalcWillACM;
  QToolButton* SpeedButtonPredWillACM;
  QToolButton* SpeedButtonCalcWillWCM;
  QToolButton* SpeedButtonPredWillWCM;
  QToolButton* SpeedButtonAppDomACM;
  QToolButton* SpeedButtonAppDomWCM;
  QLabel* StaticText1;
  QListWidget* ListBoxSelModels;
  QPlainTextEdit* RichEditCriteria;
  ::StringGrid* StringGrid;
  QMenu* PopupMenu;
  QAction* PopupMenuCopy;
  QAction* PopupMenuSave;
  QAction* PopupMenuCalcACM;
  QAction* PopupMenuPredACM;
  QAction* PopupMenuCalcWCM;
  QAction* PopupMenuPredWCM;
  QAction* PopupMenuCalcWilliamsplotACM;
  QAction* PopupMenuPredWilliamsplotACM;
  QAction* PopupMenuCalcWilliamsplotWCM;
  QAction* PopupMenuPredWilliamsplotWCM;
  QAction* PopupMenuAppDomACM;
  QAction* PopupMenuAppDomWCM;

protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void showEvent(QShowEvent* event) override;

private:
  void BuildComponents();
  void BuildPopupMenu();
  void ShowResults();
  void SetCriteriaTabStops(const QStringList& lines);
  void EnablePlotCommands();
  void FillConsensusGrid();
  // A LOO plot: for prediction objects the model-equation values stand in.
  void ShowMergedGraph(const std::string& title, ConsensusArray first, ConsensusArray loo, ConsensusArray calc,
                       GraphKind kind);
  void ShowArrayGraph(const std::string& title, ConsensusArray first, ConsensusArray second, GraphKind kind);

  ChemoData* data_;
  ProgressWindowFactory progressWindow_;
  std::unique_ptr<Consensus> consensus_;
  ConsensusCells table_;
};

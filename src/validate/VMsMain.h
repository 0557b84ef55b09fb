// The "View selected model" window: one model's coefficients, statistics text and
// per-object values, coloured where an object exceeds h* or the chosen
// standardized-residual threshold, with the model's plots and the correlation
// matrix of its descriptors. Everything is computed when the window is made.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/base/UiServices.h"
#include "platform/qt/Dialogs.h"
#include "plot/PcaPlots.h"
#include "plot/VGrMain.h"
#include "validate/SingleModelAnalysis.h"

class ChemoData;
class DataResultNode;
class QAction;
class QComboBox;
class QFrame;
class QMenu;
class QPlainTextEdit;
class QToolButton;
struct CellLook;
class StringGrid;

class TViewSelModForm : public ModalDialog {
public:
  // fileName: the single-model file the model came from (empty for none).
  // offerSmdSave: the save command offers the single-model file.
  // showProgress: the calculation shows the bar of progressWindow.
  TViewSelModForm(QWidget* owner, const std::string& fileName, uint8_t offerSmdSave, uint8_t showProgress,
                  DataResultNode* model, ChemoData* data, ProgressWindowFactory progressWindow = {});
  ~TViewSelModForm() override;

  // Shows another window modally; tests replace it.
  std::function<void(ModalDialog& window)> ShowModalWindow;

  SingleModelAnalysis& Analysis() { return *analysis_; }
  uint8_t OfferSmdSave() const { return offerSmdSave_; }
  const std::string& QmrfPdfPath() const { return qmrfPdfPath_; }
  // The threshold item read as a number.
  long double Threshold() const;

  void ComboBoxStdResChange();
  void StringGridDrawCell(int col, int row, CellLook& look);
  void StringGridRegrParDrawCell(int col, int row, CellLook& look);

  // Opens the plot window of one kind modally on a copy of the model.
  void ShowModelGraph(GraphKind kind);
  void SpeedButtonViewExpCalcPlotClick() { ShowModelGraph(GraphKind::ExpVsCalc); }
  void SpeedButtonViewExpPredPlotClick() { ShowModelGraph(GraphKind::ExpVsPred); }
  void SpeedButtonResCalcClick() { ShowModelGraph(GraphKind::ResidualsCalc); }
  void SpeedButtonResPredClick() { ShowModelGraph(GraphKind::ResidualsPred); }
  void SpeedButtonViewWillPlotCalcClick();
  void SpeedButtonViewWillPlotPredClick();
  void SpeedButtonApplDomainClick() { ShowModelGraph(GraphKind::ApplicabilityDomain); }
  void SpeedButtonLMOClick() { ShowModelGraph(GraphKind::LeaveManyOut); }
  void SpeedButtonYScrambleClick() { ShowModelGraph(GraphKind::YScramble); }
  void SpeedButtonRandDescClick() { ShowModelGraph(GraphKind::RandomDescriptors); }
  void SpeedButtonRandRespClick() { ShowModelGraph(GraphKind::RandomResponses); }
  void SpeedButtonCorrMatrClick();
  // Puts both grids and the statistics text on the clipboard.
  void SpeedButtonCopyClick();
  // Saves the text report, or the single-model file when offered and chosen.
  void SpeedButtonSaveToFileClick();
  // PCA of the model's descriptors: the loading and score plots shown without
  // waiting, replacing those of the previous run; the first run also adds the
  // score columns to the object grid.
  void SpeedButtonPCAdescClick();
  // Deletes the PCA plots that have not closed themselves and forgets what they showed.
  void ReleasePcaPlots();
  // The loading (0) and score (1) plots of the last PCA run, null once gone.
  TViewGraphForm* PcaPlot(int which) const;
  // Opens the model's QMRF document with the desktop's viewer.
  void SpeedButtonQMRFClick();
  // Copies the QMRF document and the SDF file where the user chooses.
  void SpeedButtonExportQMRFClick();

  QToolButton* SpeedButtonCopy;
  QToolButton* SpeedButtonSaveToFile;
  QToolButton* SpeedButtonViewExpCalcPlot;
  QToolButton* SpeedButtonViewExpPredPlot;
  QToolButton* SpeedButtonResCalc;
  QToolButton* SpeedButtonResPred;
  QToolButton* SpeedButtonViewWillPlotCalc;
  QToolButton* SpeedButtonViewWillPlotPred;
  QToolButton* SpeedButtonApplDomain;
  QToolButton* SpeedButtonLMO;
  QToolButton* SpeedButtonYScramble;
  QToolButton* SpeedButtonRandDesc;
  QToolButton* SpeedButtonRandResp;
  QToolButton* SpeedButtonPCAdesc;
  QToolButton* SpeedButtonCorrMatr;
  QToolButton* SpeedButtonQMRF;
  QToolButton* SpeedButtonExportQMRF;
  QFrame* BevelQMRF;
  ::StringGrid* StringGridRegrPar;
  QPlainTextEdit* RichEdit;
  QComboBox* ComboBoxStdRes;
  ::StringGrid* StringGrid;
  QMenu* PopupMenu;
  QAction* PopupMenuCopy;
  QAction* PopupMenuSaveToFile;
  QAction* PopupMenuViewRespCalcPlot;
  QAction* ViewRespexpvsResppred1;
  QAction* Viewresidualsfrommodcalc1;
  QAction* Viewresidualsfrommodpred1;
  QAction* PopupMenuViewWillPlot;
  QAction* ViewWilliamsplotpred1;
  QAction* ViewApplicabilitydomain1;
  QAction* ViewLMOdatapoints1;
  QAction* ViewYscrambling1;
  QAction* ViewRx1;
  QAction* ViewRanomresponseplot1;
  QAction* ViewPCAofthedescriptors1;
  QAction* Viewcorrelationmatrix1;
  QAction* N5;
  QAction* ViewQMRF1;
  QAction* ExportQMRFandSDF1;

protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

private:
  void BuildComponents();
  void BuildPopupMenu();
  void DisableMissingValidations();
  void ShowQmrfCommandsWhenPresent(const std::string& fileName);
  void ShowResults();
  void WarnAboutMissingResiduals(const std::string& names);
  struct ModelGraph {
    std::string prefix;
    CheckedValue** rows;
  };
  ModelGraph GraphOf(GraphKind kind) const;

  ChemoData* data_;
  DataResultNode* model_;
  uint8_t offerSmdSave_;
  std::string qmrfPdfPath_;
  ProgressWindowFactory progressWindow_;
  std::unique_ptr<SingleModelAnalysis> analysis_;
  // The one save dialog of the window: the export sets its title, filter and
  // name, the save command only its filter; each keeps the name last chosen.
  FileDialogOptions saveDialog_;
  ModelessPlot pcaLoadings_, pcaScores_;
  uint8_t scoreColumnsPending_ = 1;  // the first PCA run adds the score columns
};

// The "Consensus modeling" window.
#include "validate/CAnMain.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <tuple>
#include <vector>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/ProjectHost.h"
#include "numerics/RowArray.h"
#include "platform/base/CommandGuard.h"
#include "platform/base/ProgressWindow.h"
#include "platform/base/ReplaceFile.h"
#include "platform/base/Stream.h"
#include "platform/qt/Events.h"
#include "platform/qt/StringGrid.h"
#include "platform/qt/ViewerCommon.h"

TFormConsensus::TFormConsensus(QWidget* owner, DataResultList* models, ChemoData* data,
                               ProgressWindowFactory progressWindow)
    : ModalDialog(owner), data_(data), progressWindow_(std::move(progressWindow)) {
  ShowModalWindow = [](ModalDialog& window) { window.ShowModal(); };
  setWindowTitle("Consensus modeling");
  BuildComponents();
  BuildPopupMenu();
  consensus_ = std::make_unique<Consensus>(*models, *data, progressWindow_);
  if (!consensus_->Aborted()) ShowResults();
}

TFormConsensus::~TFormConsensus() = default;

void TFormConsensus::BuildComponents() {
  resize(589, 566);
  setMinimumSize(597, 600);
  SpeedButtonCopy = TextToolButton(this, "Copy", "Copy to clipboard");
  SpeedButtonSaveToFile = TextToolButton(this, "Save", "Save to file");
  SpeedButtonCalcACM = TextToolButton(this, "E/C A", "View experimental endpoint vs Predictions by model equation ACM");
  SpeedButtonPredACM = TextToolButton(this, "E/P A", "View experimental endpoint vs Predictions by LOO ACM");
  SpeedButtonCalcWCM = TextToolButton(this, "E/C W", "View Experimental endpoint vs Predictions by model equation WCM");
  SpeedButtonPredWCM = TextToolButton(this, "E/P W", "View Experimental endpoint vs Predictions by LOO WCM");
  SpeedButtonCalcWillACM = TextToolButton(this, "Wc A", "View Williams plot - Predictions by model equation ACM");
  SpeedButtonPredWillACM = TextToolButton(this, "Wp A", "View Williams plot - Predictions by LOO ACM");
  SpeedButtonCalcWillWCM = TextToolButton(this, "Wc W", "View Williams plot - Predictions by model equation WCM");
  SpeedButtonPredWillWCM = TextToolButton(this, "Wp W", "View Williams plot - Predictions by LOO WCM");
  SpeedButtonAppDomACM = TextToolButton(this, "AD A", "View Applicability Domain using ACM");
  SpeedButtonAppDomWCM = TextToolButton(this, "AD W", "View Applicability Domain using WCM");

  auto* top = new QHBoxLayout;
  top->setSpacing(1);
  const std::vector<std::vector<QWidget*>> groups{
      {SpeedButtonCopy, SpeedButtonSaveToFile},
      {SpeedButtonCalcACM, SpeedButtonPredACM, SpeedButtonCalcWCM, SpeedButtonPredWCM},
      {SpeedButtonCalcWillACM, SpeedButtonPredWillACM, SpeedButtonCalcWillWCM, SpeedButtonPredWillWCM},
      {SpeedButtonAppDomACM, SpeedButtonAppDomWCM}};
  for (const auto& group : groups) {
    if (&group != &groups.front()) top->addWidget(MakeBevel(this));
    for (QWidget* w : group) top->addWidget(w);
  }
  top->addStretch(1);

  StaticText1 = new QLabel("Selected models", this);
  ListBoxSelModels = new QListWidget(this);
  RichEditCriteria = new QPlainTextEdit(this);
  RichEditCriteria->setReadOnly(true);
  RichEditCriteria->setLineWrapMode(QPlainTextEdit::NoWrap);
  RichEditCriteria->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  StringGrid = new ::StringGrid(this);
  StringGrid->SetColCount(kConsensusColumns);
  StringGrid->SetRowSelect(true);  // first, so that the selection kept below is a whole row
  StringGrid->SetFixedCols(0);
  StringGrid->SetLeftCol(0);  // the column that was the fixed one comes into view
  StringGrid->SetDefaultColWidth(80);
  StringGrid->SetDefaultRowHeight(16);

  auto* main = new QVBoxLayout(this);
  main->setContentsMargins(2, 2, 2, 2);
  main->addLayout(top);
  main->addWidget(StaticText1);
  main->addWidget(ListBoxSelModels, 1);
  main->addWidget(RichEditCriteria, 2);
  main->addWidget(StringGrid, 4);

  const std::pair<QToolButton*, void (TFormConsensus::*)()> buttons[] = {
      {SpeedButtonCopy, &TFormConsensus::SpeedButtonCopyClick},
      {SpeedButtonSaveToFile, &TFormConsensus::SpeedButtonSaveToFileClick},
      {SpeedButtonCalcACM, &TFormConsensus::SpeedButtonCalcACMClick},
      {SpeedButtonPredACM, &TFormConsensus::SpeedButtonPredACMClick},
      {SpeedButtonCalcWCM, &TFormConsensus::SpeedButtonCalcWCMClick},
      {SpeedButtonPredWCM, &TFormConsensus::SpeedButtonPredWCMClick},
      {SpeedButtonCalcWillACM, &TFormConsensus::SpeedButtonCalcWillACMClick},
      {SpeedButtonPredWillACM, &TFormConsensus::SpeedButtonPredWillACMClick},
      {SpeedButtonCalcWillWCM, &TFormConsensus::SpeedButtonCalcWillWCMClick},
      {SpeedButtonPredWillWCM, &TFormConsensus::SpeedButtonPredWillWCMClick},
      {SpeedButtonAppDomACM, &TFormConsensus::SpeedButtonAppDomACMClick},
      {SpeedButtonAppDomWCM, &TFormConsensus::SpeedButtonAppDomWCMClick}};
  ConnectClicks(this, buttons);
}

void TFormConsensus::BuildPopupMenu() {
  PopupMenu = new QMenu(this);
  auto item = [this](const char* caption, void (TFormConsensus::*handler)()) {
    QAction* action = PopupMenu->addAction(caption);
    connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    return action;
  };
  PopupMenuCopy = item("&Copy", &TFormConsensus::SpeedButtonCopyClick);
  PopupMenuSave = item("&Save...", &TFormConsensus::SpeedButtonSaveToFileClick);
  PopupMenu->addSeparator();
  PopupMenuCalcACM = item("&View Experimental vs Calculated ACM", &TFormConsensus::SpeedButtonCalcACMClick);
  PopupMenuPredACM = item("&View Experimental &vs Predicted ACM", &TFormConsensus::SpeedButtonPredACMClick);
  PopupMenuCalcWCM = item("V&iew Experimental vs Calculated WCM", &TFormConsensus::SpeedButtonCalcWCMClick);
  PopupMenuPredWCM = item("V&iew Experimental vs Predicted WC&M", &TFormConsensus::SpeedButtonPredWCMClick);
  PopupMenu->addSeparator();
  PopupMenuCalcWilliamsplotACM =
      item("View Calculated William&s plot ACM", &TFormConsensus::SpeedButtonCalcWillACMClick);
  PopupMenuPredWilliamsplotACM =
      item("View Predicted Williams &plot ACM", &TFormConsensus::SpeedButtonPredWillACMClick);
  PopupMenuCalcWilliamsplotWCM =
      item("View Calculated Williams p&lot WCM", &TFormConsensus::SpeedButtonCalcWillWCMClick);
  PopupMenuPredWilliamsplotWCM =
      item("View Predicted Williams pl&ot WCM", &TFormConsensus::SpeedButtonPredWillWCMClick);
  PopupMenu->addSeparator();
  PopupMenuAppDomACM = item("View &Appl. Domain ACM", &TFormConsensus::SpeedButtonAppDomACMClick);
  PopupMenuAppDomWCM = item("View Appl. Domain &WCM", &TFormConsensus::SpeedButtonAppDomWCMClick);
}

void TFormConsensus::contextMenuEvent(QContextMenuEvent* event) { PopupMenu->popup(event->globalPos()); }

// After an abort the window closes as soon as it shows; the close is queued
// because a window must not close while it is being shown.
void TFormConsensus::showEvent(QShowEvent* event) {
  ModalDialog::showEvent(event);
  if (consensus_->Aborted()) QTimer::singleShot(0, this, [this] { SetModalResult(mrCancel); });
}

void TFormConsensus::ShowResults() {
  for (const std::string& line : consensus_->ModelLines()) ListBoxSelModels->addItem(QString::fromLatin1(line));
  QStringList lines;
  for (const std::string& line : consensus_->CriteriaLines()) lines << QString::fromLatin1(line);
  RichEditCriteria->setPlainText(lines.join('\n'));
  SetCriteriaTabStops(lines);
  EnablePlotCommands();
  FillConsensusGrid();
}

// Tab stops one column apart: the widest text that a tab follows, and a gap.
void TFormConsensus::SetCriteriaTabStops(const QStringList& lines) {
  const QFontMetrics metrics(RichEditCriteria->font());
  int widest = 0;
  for (const QString& line : lines) {
    const QStringList fields = line.split('\t');
    for (qsizetype f = 0; f + 1 < fields.size(); ++f) widest = std::max(widest, metrics.horizontalAdvance(fields[f]));
  }
  RichEditCriteria->setTabStopDistance(widest + metrics.horizontalAdvance("    "));
}

// The Williams plots need models of one size; a weighted consensus whose fit
// failed has no values to plot.
void TFormConsensus::EnablePlotCommands() {
  const bool williams = consensus_->WilliamsEnabled();
  const bool wcmCalc = !consensus_->WcmCalcCoefficients().empty();
  const bool wcmPred = !consensus_->WcmPredCoefficients().empty();
  const std::tuple<QToolButton*, QAction*, bool> commands[] = {
      {SpeedButtonCalcWCM, PopupMenuCalcWCM, wcmCalc},
      {SpeedButtonPredWCM, PopupMenuPredWCM, wcmPred},
      {SpeedButtonCalcWillACM, PopupMenuCalcWilliamsplotACM, williams},
      {SpeedButtonPredWillACM, PopupMenuPredWilliamsplotACM, williams},
      {SpeedButtonCalcWillWCM, PopupMenuCalcWilliamsplotWCM, williams && wcmCalc},
      {SpeedButtonPredWillWCM, PopupMenuPredWilliamsplotWCM, williams && wcmPred},
      {SpeedButtonAppDomWCM, PopupMenuAppDomWCM, wcmCalc}};
  for (const auto& [button, action, enabled] : commands) {
    button->setEnabled(enabled);
    action->setEnabled(enabled);
  }
}

void TFormConsensus::FillConsensusGrid() {
  table_ = ConsensusTableCells(*consensus_);
  StringGrid->SetRowCount(static_cast<int>(table_.size()));
  StringGrid->SetFixedRows(1);
  for (int row = 0; row < StringGrid->RowCount(); ++row)
    for (int col = 0; col < kConsensusColumns; ++col) StringGrid->Cells(col, row) = table_[row][col];
}

std::string TFormConsensus::ReportText(bool saved, Progress* progress) const {
  return ConsensusReportText(consensus_->ModelLines(), consensus_->CriteriaLines(), table_, saved, UserSeparator(),
                             progress);
}

void TFormConsensus::SpeedButtonCopyClick() {
  BusyCursor busy;
  std::unique_ptr<Progress> progress = OpenProgress(progressWindow_, false);
  progress->SetText("Formatting...");
  const std::string text = ReportText(false, progress.get());
  progress->SetText("Sending...");
  Ui().SetClipboardText(text);
}

void TFormConsensus::SpeedButtonSaveToFileClick() {
  FileDialogOptions options;
  options.filter = "Text file (*.txt)|*.txt";
  const FileChoice choice = Ui().SaveFileDialog(options);
  if (!choice.Chosen()) return;
  const std::string fileName = WithExtension(choice.fileName, ".txt", false);
  if (!ConfirmOverwrite(fileName)) return;
  try {
    const std::string text = ReportText(true);
    WriteReplacingFile(fileName, [&](Stream& stream) { stream.Write(text.data(), text.size()); });
  } catch (...) {
    Ui().MessageBox("Cannot save file", "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  }
}

void TFormConsensus::ShowConsensusGraph(const std::string& title, const CheckedValue* first,
                                        const CheckedValue* second, GraphKind kind) {
  try {
    RowArray<CheckedValue> rows(data_->iObjCount, 2, "*tpDataToPlotPtr", "tpDataToPlotPtr[]");
    for (int i = 0; i < data_->iObjCount; ++i) {
      rows[i][0] = first[i];
      rows[i][1] = second[i];
    }
    // The plot takes h* from the list's last model: a copy of the first selected model.
    DataResultList list(data_);
    if (const DataResultNode* model = consensus_->FirstSelectedModel()) *list.Append() = *model;
    std::unique_ptr<TViewGraphForm> form = TViewGraphForm::CreateForModelValues(this, data_, &list, kind, rows.Get(), "");
    if (!form) {
      ShowWarning("Cannot create View Graph dialog");
      return;
    }
    form->setWindowTitle(QString::fromLatin1(title));
    ShowModalWindow(*form);
  } catch (...) {
    ShowCaughtException("APPLICATION WARNING", "Unhandled ViewGraph exception");
  }
}

void TFormConsensus::ShowArrayGraph(const std::string& title, ConsensusArray first, ConsensusArray second,
                                    GraphKind kind) {
  ShowConsensusGraph(title, consensus_->Array(first), consensus_->Array(second), kind);
}

void TFormConsensus::ShowMergedGraph(const std::string& title, ConsensusArray first, ConsensusArray loo,
                                     ConsensusArray calc, GraphKind kind) {
  try {
    const std::unique_ptr<CheckedValue[]> merged = consensus_->MergeLooWithCalc(loo, calc);
    ShowConsensusGraph(title, consensus_->Array(first), merged.get(), kind);
  } catch (...) {
    ShowCaughtException("APPLICATION WARNING", "Unhandled ViewGraph exception");
  }
}

void TFormConsensus::SpeedButtonCalcACMClick() {
  ShowArrayGraph("Exp. endpoint vs pred. by model eq. ACM", ConsensusArray::Exp, ConsensusArray::AcmCalc,
                 GraphKind::ExpVsCalc);
}

void TFormConsensus::SpeedButtonCalcWCMClick() {
  ShowArrayGraph("Exp. endpoint vs pred. by model eq. WCM", ConsensusArray::Exp, ConsensusArray::WcmCalc,
                 GraphKind::ExpVsCalc);
}

void TFormConsensus::SpeedButtonPredACMClick() {
  ShowMergedGraph("Exp. endpoint vs pred. by LOO ACM", ConsensusArray::Exp, ConsensusArray::AcmPred,
                  ConsensusArray::AcmCalc, GraphKind::ExpVsPred);
}

void TFormConsensus::SpeedButtonPredWCMClick() {
  ShowMergedGraph("Exp. endpoint vs pred. by LOO WCM", ConsensusArray::Exp, ConsensusArray::WcmPred,
                  ConsensusArray::WcmCalc, GraphKind::ExpVsPred);
}

void TFormConsensus::SpeedButtonCalcWillACMClick() {
  ShowArrayGraph("Williams plot pred. by model eq. ACM", ConsensusArray::AverageHat, ConsensusArray::WillAcmCalc,
                 GraphKind::WilliamsCalc);
}

void TFormConsensus::SpeedButtonCalcWillWCMClick() {
  ShowArrayGraph("Williams plot pred. by model eq. WCM", ConsensusArray::AverageHat, ConsensusArray::WillWcmCalc,
                 GraphKind::WilliamsCalc);
}

void TFormConsensus::SpeedButtonPredWillACMClick() {
  ShowMergedGraph("Williams plot pred. by LOO ACM", ConsensusArray::AverageHat, ConsensusArray::WillAcmPred,
                  ConsensusArray::WillAcmCalc, GraphKind::WilliamsPred);
}

void TFormConsensus::SpeedButtonPredWillWCMClick() {
  ShowMergedGraph("Williams plot pred. by LOO WCM", ConsensusArray::AverageHat, ConsensusArray::WillWcmPred,
                  ConsensusArray::WillWcmCalc, GraphKind::WilliamsPred);
}

void TFormConsensus::SpeedButtonAppDomACMClick() {
  ShowArrayGraph("Pred. by model eq. ACM vs Hat", ConsensusArray::AverageHat, ConsensusArray::AcmCalc,
                 GraphKind::ApplicabilityDomain);
}

void TFormConsensus::SpeedButtonAppDomWCMClick() {
  ShowArrayGraph("Pred. by model eq. WCM vs Hat", ConsensusArray::AverageHat, ConsensusArray::WcmCalc,
                 GraphKind::ApplicabilityDomain);
}

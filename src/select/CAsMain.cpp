// The search window: status line, results grid, all-subset progress and the
// genetic algorithm's controls over the model search engine.
#include "select/CAsMain.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <stdexcept>

#include "data/ChemoData.h"
#include "data/LabelLists.h"
#include "data/ProjectHost.h"
#include "platform/base/CommandGuard.h"
#include "platform/base/NumberText.h"
#include "platform/qt/QtConvert.h"
#include "platform/qt/QtUiServices.h"
#include "platform/qt/StringGrid.h"

namespace {

constexpr int kTimerMs = 50;
constexpr int kResourceRows = 21;
constexpr int kDisplayRows = ModelSearchEngine::DisplaySlotCount + 1;

int NumberOf(const QComboBox* box) { return StrToInt(StdStr(box->currentText())); }

void WriteRow(StringGrid& grid, const SearchGridRow& row) {
  grid.Cells(0, row.rank) = IntToStr(row.rank);
  grid.Cells(1, row.rank) = row.fitness;
  grid.Cells(2, row.rank) = IntToStr(row.size);
  grid.Cells(3, row.rank) = row.descriptors;
}

}  // namespace

TCalcAllSubForm::TCalcAllSubForm(QWidget* owner, uint8_t mode, DataResultList* models, ChemoData* data)
    : ModalDialog(owner),
      engine_(std::make_unique<ModelSearchEngine>(mode, models, data, static_cast<SearchView*>(this))),
      idle_(this) {
  setWindowTitle("Models calculation");
  setMinimumSize(320, 120);
  // The close box pressed during a step comes back after it.
  LetWindowDeferClose(this);
  BuildComponents();

  StringGridGAmodels->SetColCount(4);
  StringGridGAmodels->SetRowCount(kResourceRows);
  StringGridGAmodels->SetFixedRows(1);
  StringGridGAmodels->SetFixedCols(0);
  const int widths[] = {48, 48, 32, 640};
  const std::string titles[] = {"Number", FitnessFunc().GetLabel(data->iFitnessFunc), "N. var.", "Descriptors"};
  for (int col = 0; col < 4; ++col) {
    StringGridGAmodels->SetColWidth(col, widths[col]);
    StringGridGAmodels->Cells(col, 0) = titles[col];
  }
  std::vector<int> best, shown;
  for (int n = 0; n <= 100; ++n) best.push_back(n);
  for (int n = 10; n <= 100; n += 10) shown.push_back(n);
  for (int n = 200; n <= data->iGAPopSize; n += 100) shown.push_back(n);
  for (int n : best) ComboBoxBestAllSub->addItem(QString::number(n));
  for (int n : shown) ComboBoxNumElemToDisplay->addItem(QString::number(n));
  ComboBoxBestAllSub->setCurrentIndex(0);
  ComboBoxNumElemToDisplay->setCurrentIndex(0);
  SetGaControlsVisible(false);

  connect(Timer, &QTimer::timeout, this, [this] { TimerTimer(); });
  connect(ButtonDoneGA, &QPushButton::clicked, this, [this] { ButtonDoneGAClick(); });
  connect(CheckBoxDisplayRes, &QCheckBox::toggled, this, [this] { CheckBoxDisplayResClick(); });
  connect(ComboBoxBestAllSub, &QComboBox::activated, this, [this] { ComboBoxBestAllSubChange(); });
  connect(ComboBoxNumElemToDisplay, &QComboBox::activated, this, [this] { ComboBoxNumElemToDisplayChange(); });
}

TCalcAllSubForm::~TCalcAllSubForm() { idle_.SetOnIdle({}); }

void TCalcAllSubForm::BuildComponents() {
  StaticText = new QLabel(this);
  StaticText->setMinimumWidth(560);
  StringGridGAmodels = new StringGrid(this);
  StaticTextAllSubCalc = new QLabel("All subset calculated:", this);
  StaticTextAllPerc = new QLabel("0%", this);
  StaticTextGAlabel = new QLabel("GA iter:", this);
  StaticTextGAiter = new QLabel(this);
  ButtonDoneGA = new QPushButton("Done", this);
  StaticTextDispNo = new QLabel("Display No.", this);
  ComboBoxBestAllSub = new QComboBox(this);
  StaticTextBestMod = new QLabel("best models per size", this);
  CheckBoxDisplayRes = new QCheckBox("Display results while running", this);
  CheckBoxDisplayRes->setChecked(true);
  StaticTextDispBest = new QLabel("Display the best", this);
  ComboBoxNumElemToDisplay = new QComboBox(this);
  StaticTextModGA = new QLabel("models of the current GA calculation", this);
  Timer = new QTimer(this);
  Timer->setInterval(kTimerMs);

  auto* progress = new QHBoxLayout;
  progress->addWidget(StaticTextAllSubCalc);
  progress->addWidget(StaticTextAllPerc);
  progress->addStretch();
  progress->addWidget(StaticTextGAlabel);
  progress->addWidget(StaticTextGAiter);
  StaticTextGAiter->setMinimumWidth(60);

  auto* display = new QGridLayout;
  display->addWidget(StaticTextDispNo, 0, 0);
  display->addWidget(ComboBoxBestAllSub, 0, 1);
  display->addWidget(StaticTextBestMod, 0, 2);
  display->addWidget(CheckBoxDisplayRes, 0, 4);
  display->addWidget(StaticTextDispBest, 1, 0);
  display->addWidget(ComboBoxNumElemToDisplay, 1, 1);
  display->addWidget(StaticTextModGA, 1, 2);
  display->addWidget(ButtonDoneGA, 1, 4);
  display->setColumnStretch(3, 1);

  auto* main = new QVBoxLayout(this);
  main->addWidget(StaticText);
  main->addWidget(StringGridGAmodels, 1);
  main->addLayout(progress);
  main->addLayout(display);
  resize(860, 520);
}

void TCalcAllSubForm::SetGaControlsVisible(bool visible) {
  for (QWidget* control : std::initializer_list<QWidget*>{
           StaticTextGAlabel, StaticTextGAiter, StaticTextDispNo, ComboBoxBestAllSub, StaticTextBestMod,
           CheckBoxDisplayRes, StaticTextDispBest, ComboBoxNumElemToDisplay, StaticTextModGA, ButtonDoneGA})
    control->setVisible(visible);
}

void TCalcAllSubForm::showEvent(QShowEvent* event) {
  ModalDialog::showEvent(event);
  PlaceOnScreen(*this, 48);
  Timer->start();
  if (activationScheduled_) return;
  activationScheduled_ = true;
  // The run starts once the window has been shown, from the event loop.
  QTimer::singleShot(0, this, [this] { FormActivate(); });
}

// ---- The run ---------------------------------------------------------------

void TCalcAllSubForm::FormActivate() {
  if (activated_) return;
  activated_ = true;
  repaint();
  busy_ = true;
  engine_->Activate();
  busy_ = false;
  ArmIdle();
  RunDeferredClose();
}

void TCalcAllSubForm::ArmIdle() {
  if (!engine_->IdleHandlerActive()) return;
  idle_.SetOnIdle([this](bool& done) { done = !IdleStep(); });
}

bool TCalcAllSubForm::IdleStep() {
  if (busy_ || closing_ || Closed()) return false;
  busy_ = true;
  try {
    engine_->IdleStep();
  } catch (const std::exception& e) {
    ShowApplicationException(e);
  } catch (...) {
    ShowApplicationException(std::runtime_error("Unknown exception"));
  }
  busy_ = false;
  RunDeferredClose();
  return !Closed() && engine_->IdleHandlerActive() && engine_->HasWork();
}

void TCalcAllSubForm::TimerTimer() {
  if (busy_ || closing_ || !activated_ || Closed()) return;
  if (engine_->TimerWantsClose()) RequestClose();
}

void TCalcAllSubForm::RequestClose() {
  if (closing_ || Closed()) return;
  // A close never acts on a run that is starting or in a step.
  if (busy_ || !activated_) {
    closePending_ = true;
    return;
  }
  FormClose();
}

void TCalcAllSubForm::RunDeferredClose() {
  if (!closePending_) return;
  closePending_ = false;
  RequestClose();
}

void TCalcAllSubForm::closeEvent(QCloseEvent* event) {
  event->ignore();
  RequestClose();
}

void TCalcAllSubForm::FormClose() {
  closing_ = true;
  idle_.SetOnIdle({});
  if (!engine_->ConfirmClose()) {
    closing_ = false;
    ArmIdle();
    return;
  }
  Timer->stop();
  try {
    engine_->FinishRun([] {
      if (MainForm) MainForm->DiscardModels();
    });
  } catch (const std::exception& e) {
    ShowApplicationException(e);
  }
  closing_ = false;
  SetModalResult(mrOk);
}

// ---- Display controls ------------------------------------------------------

void TCalcAllSubForm::CheckBoxDisplayResClick() {
  const bool on = CheckBoxDisplayRes->isChecked();
  for (QWidget* control : std::initializer_list<QWidget*>{StringGridGAmodels, StaticTextDispNo, ComboBoxBestAllSub,
                                                          StaticTextBestMod, StaticTextDispBest,
                                                          ComboBoxNumElemToDisplay, StaticTextModGA})
    control->setVisible(on);
  engine_->SetDisplayResults(on);
}

void TCalcAllSubForm::ComboBoxBestAllSubChange() { engine_->SetBestPerSizeChoice(NumberOf(ComboBoxBestAllSub)); }

void TCalcAllSubForm::ComboBoxNumElemToDisplayChange() {
  engine_->SetDisplayCountChoice(NumberOf(ComboBoxNumElemToDisplay));
}

// ---- What the engine reports -------------------------------------------------

void TCalcAllSubForm::StatusText(const std::string& text) {
  StaticText->setText(QStr(text));
  StaticText->repaint();
}

void TCalcAllSubForm::PercentText(const std::string& text) {
  StaticTextAllPerc->setText(QStr(text));
  StaticTextAllPerc->repaint();
}

// Once the genetic algorithm runs, the grid is its display: the models that a
// harvest stores do not mix into it.
void TCalcAllSubForm::DisplaySlotsChanged() {
  if (gaDisplay_) return;
  StringGridGAmodels->SetRowCount(kDisplayRows);
  WriteRows(engine_->DisplaySlotRows());
  StringGridGAmodels->viewport()->repaint();
}

void TCalcAllSubForm::ShowGaControls() {
  gaDisplay_ = true;
  SetGaControlsVisible(true);
}

// Every row below the titles shows its entry, or nothing when it has none.
void TCalcAllSubForm::WriteRows(const std::vector<SearchGridRow>& rows) {
  StringGrid& grid = *StringGridGAmodels;
  for (int row = 1; row < grid.RowCount(); ++row)
    for (int col = 0; col < grid.ColCount(); ++col) grid.Cells(col, row).clear();
  for (const SearchGridRow& row : rows)
    if (row.rank < grid.RowCount()) WriteRow(grid, row);
}

void TCalcAllSubForm::SetGridRows(int rows) { StringGridGAmodels->SetRowCount(rows); }

void TCalcAllSubForm::GaIterationText(const std::string& text) {
  StaticTextGAiter->setText(QStr(text));
  StaticTextGAiter->repaint();
}

void TCalcAllSubForm::ShowGaModels(const std::vector<SearchGridRow>& rows) { WriteRows(rows); }

void TCalcAllSubForm::SelectBestPerSizeItem(int item) { ComboBoxBestAllSub->setCurrentIndex(item); }

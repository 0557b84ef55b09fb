// The search set-up window and its continuation of an earlier genetic algorithm.
#include "select/CStMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <memory>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/LabelLists.h"
#include "data/ProjectHost.h"
#include "data/TempFiles.h"
#include "platform/base/NumberText.h"
#include "platform/base/UiServices.h"
#include "platform/qt/Events.h"
#include "platform/qt/QtConvert.h"
#include "select/CAsMain.h"
#include "select/THbMain.h"

KeepPerSizeMemory TCalculateSetupForm::RememberedKeepPerSize;

namespace {

constexpr int kManySubsets = 500000;
constexpr int kDefaultPopulation = 10;

void Warn(const std::string& text, const std::string& caption) {
  Ui().MessageBox(text, caption, MB_OK | MB_ICONWARNING);
}

int NumberOf(const QComboBox* box) { return StrToInt(StdStr(box->currentText())); }

void AddItems(QComboBox* box, const std::vector<std::string>& items, int chosen) {
  box->clear();
  for (const std::string& item : items) box->addItem(QStr(item));
  box->setCurrentIndex(chosen);
}

std::vector<std::string> Numbers(std::initializer_list<int> first, int from, int to, int step) {
  std::vector<std::string> items;
  for (int n : first) items.push_back(IntToStr(n));
  for (int n = from; n <= to; n += step) items.push_back(IntToStr(n));
  return items;
}

void SetEnabled(std::initializer_list<QWidget*> widgets, bool on) {
  for (QWidget* widget : widgets) widget->setEnabled(on);
}

}  // namespace

TCalculateSetupForm::TCalculateSetupForm(QWidget* owner, DataResultList* models, ChemoData* data,
                                         ChoiceRunner askChoice, SearchRunner runSearch)
    : ModalDialog(owner),
      data_(data),
      models_(models),
      askChoice_(std::move(askChoice)),
      runSearch_(std::move(runSearch)) {
  setWindowTitle("Variable selection");
  BuildComponents();
  ConnectHandlers();

  if (!CheckBoxGAuntil->isChecked()) ComboBoxGAuntil->setEnabled(false);
  if (data_->iSelectedHoldCount == 0) {
    RadioButtonHoldAdd->setEnabled(false);
    StaticTextHeldVar->hide();
  }
  AddItems(ComboBoxGAPopSize, Numbers({10, 20, 50, 100}, 200, 1000, 100), 0);
  population_ = data_->iGAPopSize = kDefaultPopulation;

  if (data_->iAllSubsetUntil == 0) {
    firstSetup_ = true;
    SetEnabled({ComboBoxAllSubset, RadioButtonAllSubset}, true);
    CheckBoxGAuntil->setChecked(false);
    AddItems(ComboBoxAllSubset, Numbers({}, 1, PoolSize(), 1), 0);
    data_->iAllSubsetUntil = 1;
    ShowTotal(Binomial(PoolSize(), 1));
    CheckGASettings(data_->iAllSubsetUntil + 1, false);
  } else {
    const int K = data_->iAllSubsetUntil;
    SetEnabled({ComboBoxAllSubset, RadioButtonAllSubset, EditCombinations, LabelCombinations}, false);
    CheckBoxGAuntil->setChecked(true);
    data_->iGAFirstSize = K + 1;
    if (!CheckGASettings(K, false)) {
      if (MainForm) MainForm->EnableCalculateAllSubset(false);
      closeAtPaint_ = true;
    } else {
      AskWhereToContinue();
    }
  }
  FillCombos();
  const int held = data_->iSelectedHoldCount;
  StaticTextHeldVar->setText(QStr("(" + IntToStr(held) + " variable" + (held == 1 ? "" : "s") + " held)"));
  CheckBoxGAuntilClick();
}

void TCalculateSetupForm::BuildComponents() {
  RadioButtonAllSubset = new QRadioButton("All subset until", this);
  RadioButtonAllSubset->setChecked(true);
  ComboBoxAllSubset = new QComboBox(this);
  LabelCombinations = new QLabel("Combinations", this);
  EditCombinations = new QLineEdit(this);
  EditCombinations->setReadOnly(true);
  RadioButtonHoldAdd = new QRadioButton("Hold model and add selected variables", this);
  StaticTextHeldVar = new QLabel(this);
  StaticTextHeldVar->hide();
  Label4 = new QLabel("QUIK rule", this);
  ComboBoxQUIKrule = new QComboBox(this);
  Label3 = new QLabel("Mod. per size", this);
  ComboBoxKeepPerSize = new QComboBox(this);
  LabelFitFunc = new QLabel("Fitness func.", this);
  ComboBoxFitFunc = new QComboBox(this);
  GroupBoxGA = new QGroupBox("Genetic Algorithm setup", this);
  LabelPopSize = new QLabel("Pop. size", GroupBoxGA);
  ComboBoxGAPopSize = new QComboBox(GroupBoxGA);
  StaticTextMutRate = new QLabel("Mut. rate", GroupBoxGA);
  ComboBoxMutRate = new QComboBox(GroupBoxGA);
  CheckBoxGAuntil = new QCheckBox("GA until", GroupBoxGA);
  CheckBoxGAuntil->setChecked(true);
  ComboBoxGAuntil = new QComboBox(GroupBoxGA);
  ComboBoxGAgen = new QComboBox(GroupBoxGA);
  StaticTextGen = new QLabel("gen.", GroupBoxGA);
  StaticTextPerSize = new QLabel("per size", GroupBoxGA);
  ButtonCalculate = new QPushButton("Calculate", this);
  ButtonCancel = new QPushButton("Cancel", this);

  auto* search = new QGridLayout;
  search->addWidget(RadioButtonAllSubset, 0, 0);
  search->addWidget(ComboBoxAllSubset, 0, 1);
  search->addWidget(LabelCombinations, 0, 2);
  search->addWidget(EditCombinations, 0, 3);
  search->addWidget(RadioButtonHoldAdd, 1, 0, 1, 2);
  search->addWidget(StaticTextHeldVar, 1, 2, 1, 2);
  search->addWidget(Label4, 2, 0);
  search->addWidget(ComboBoxQUIKrule, 2, 1);
  search->addWidget(Label3, 2, 2);
  search->addWidget(ComboBoxKeepPerSize, 2, 3);
  search->addWidget(LabelFitFunc, 3, 0);
  search->addWidget(ComboBoxFitFunc, 3, 1);

  auto* ga = new QGridLayout(GroupBoxGA);
  ga->addWidget(LabelPopSize, 0, 0);
  ga->addWidget(ComboBoxGAPopSize, 0, 1);
  ga->addWidget(StaticTextMutRate, 0, 2);
  ga->addWidget(ComboBoxMutRate, 0, 3);
  ga->addWidget(CheckBoxGAuntil, 1, 0);
  ga->addWidget(ComboBoxGAuntil, 1, 1);
  ga->addWidget(ComboBoxGAgen, 1, 2);
  ga->addWidget(StaticTextGen, 1, 3);
  ga->addWidget(StaticTextPerSize, 1, 4);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ButtonCalculate);
  buttons->addWidget(ButtonCancel);
  auto* main = new QVBoxLayout(this);
  main->addLayout(search);
  main->addWidget(GroupBoxGA);
  main->addLayout(buttons);
}

void TCalculateSetupForm::ConnectHandlers() {
  OnComboChange(ComboBoxAllSubset, [this] { ComboBoxAllSubsetChange(); });
  OnRadioButtonClick(RadioButtonAllSubset, [this] { RadioButtonAllSubsetClick(); });
  OnRadioButtonClick(RadioButtonHoldAdd, [this] { RadioButtonHoldAddClick(); });
  OnCheckBoxClick(CheckBoxGAuntil, [this] { CheckBoxGAuntilClick(); });
  OnComboChange(ComboBoxGAuntil, [this] { ComboBoxGAuntilChange(); });
  OnComboChange(ComboBoxGAPopSize, [this] { ComboBoxGAPopSizeChange(); });
  OnComboChange(ComboBoxKeepPerSize, [this] { ComboBoxKeepPerSizeChange(); });
  connect(ButtonCalculate, &QPushButton::clicked, this, [this] { ButtonCalculateClick(); });
  connect(ButtonCancel, &QPushButton::clicked, this, [this] { ButtonCancelClick(); });
}

void TCalculateSetupForm::FillCombos() {
  const FitnessFunc fitness;
  ComboBoxFitFunc->clear();
  for (int id = 0; id < fitness.Count(); ++id) ComboBoxFitFunc->addItem(QStr(fitness.GetLabel(id)));
  ComboBoxFitFunc->setCurrentIndex(0);
  FillKeepPerSizeBox(true);
  std::vector<std::string> quik{"None"};
  for (int i = 0; i <= 20; ++i) quik.push_back(FloatToStrF(i * 0.005L, FloatFormat::Fixed, 18, 3));
  AddItems(ComboBoxQUIKrule, quik, 1);
  AddItems(ComboBoxGAgen, Numbers({50, 100, 500}, 1000, 10000, 1000), 2);
  ComboBoxGAgen->setEnabled(false);
  AddItems(ComboBoxMutRate, Numbers({}, 5, 95, 5), 3);
}

void TCalculateSetupForm::showEvent(QShowEvent* event) {
  ModalDialog::showEvent(event);
  PlaceOnScreen(*this, 24);
  if (closeAtPaint_) QTimer::singleShot(0, this, [this] { SetModalResult(mrCancel); });
}

// ---- Continuing an earlier search -------------------------------------------------

void TCalculateSetupForm::AskWhereToContinue() {
  const int K = data_->iAllSubsetUntil;
  const bool fromNext = !GaUntilSizes(PoolSize(), K + 1, population_).empty();
  const bool chooseSize = data_->iGAUntil != 0 && fromNext;
  int result = -1;
  try {
    TFormThreeButtons dialog(this, &result);
    dialog.setWindowTitle("Choose number of descriptors for GA");
    dialog.StaticTextRow1->setText(QStr("Currently the models are calculated using up to " + IntToStr(K) +
                                        " descriptors."));
    if (chooseSize) {
      dialog.StaticTextRow2->setText("You can continue running the GA.");
      dialog.StaticTextRow3->setText("Choose the number of descriptors you wish to begin with.");
      dialog.ButtonOK1->setText(QString::number(K));
      dialog.ButtonOK2->setText(QString::number(K + 1));
    } else {
      dialog.ButtonOK1->hide();
      dialog.ButtonOK2->setText("Start");
      dialog.StaticTextRow2->setText(
          QStr(fromNext ? "You can continue running the GA starting from " + IntToStr(K + 1) + " descriptors."
                        : "You can continue running the GA using " + IntToStr(K) + " descriptors."));
    }
    if (askChoice_)
      askChoice_(dialog);
    else
      dialog.ShowModal();
  } catch (...) {
    Ui().MessageBox("Cannot create asking dialog.", "APPLICATION ERROR", MB_OK | MB_ICONERROR);
    closeAtPaint_ = true;
    return;
  }
  if (result <= 0) {
    closeAtPaint_ = true;
    return;
  }
  if (result == 1 || !fromNext) data_->iGAFirstSize = K;
  if (!CheckGASettings(data_->iGAFirstSize, false)) closeAtPaint_ = true;
}

// ---- Counts and sizes ---------------------------------------------------------------

int TCalculateSetupForm::PoolSize() const { return data_->iSelectedVarCount; }

int TCalculateSetupForm::AllSubsetNumber() const { return ComboBoxAllSubset->currentIndex() + 1; }

void TCalculateSetupForm::ShowTotal(long double total) {
  EditCombinations->setText(QStr(IntToStr(std::llround(total))));
}

void TCalculateSetupForm::ComboBoxAllSubsetChange() {
  try {
    const int K = AllSubsetNumber();
    const long double total = AllSubsetTotal(PoolSize(), K);
    CheckGASettings(K + 1, true);
    if (total > kCombinationCap) {
      Warn("The number of models generated for all subset is too big. All subset until will be reset to 1.",
           "Application warning");
      ComboBoxAllSubset->setCurrentIndex(0);
      ComboBoxAllSubsetChange();
      return;
    }
    ShowTotal(total);
    if (total > kManySubsets)
      Warn("The number of models generated for all subset will be " + IntToStr(std::llround(total)) +
               ": may be you wish to reconsider your setup.",
           "Application warning");
    CheckObjectsPerVariable(K);
  } catch (...) {
    Ui().MessageBox("Cannot calculate combinations", "Exception Message", MB_OK);
  }
}

void TCalculateSetupForm::CheckObjectsPerVariable(int size) {
  const int training = static_cast<int>(
      std::count(data_->ipTrainingPtr, data_->ipTrainingPtr + data_->iObjCount, kStatusTraining));
  if (TooFewObjectsPerVariable(training, size))
    Warn("The number of objects is less than 1/5 of the variables: it is strongly suggested to change this setup.",
         "APPLICATION WARNING");
}

bool TCalculateSetupForm::CheckGASettings(int firstSize, bool keepChoice) {
  const std::vector<int> sizes = GaUntilSizes(PoolSize(), firstSize, population_);
  SetEnabled({ComboBoxGAgen, ComboBoxMutRate}, true);
  if (!sizes.empty()) {
    const int count = static_cast<int>(sizes.size());
    const bool beyond = gaUntilIndex_ >= count;
    FillGaUntil(firstSize, count);
    SetGaControlsEnabled(true);
    if (!keepChoice && AllSubsetNumber() == sizes.back() - 1) SetGenerationsEnabled(false);
    if (keepChoice && beyond && CheckBoxGAuntil->isChecked())
      Warn("GA until value is now set to " + IntToStr(sizes.back()), "Application Warning");
    return true;
  }
  if (firstSetup_) {
    Warn("Too few descriptors, GA cannot be used.", "APPLICATION WARNING");
    FillGaUntil(firstSize, 0);
    SetEnabled({CheckBoxGAuntil, ComboBoxGAgen, ComboBoxMutRate}, false);
  } else {
    Warn("The requested GA population size is too big. Reset now to default (10)", "APPLICATION WARNING");
    FillGaUntil(firstSize, gaUntilCount_);
    ComboBoxGAPopSize->setCurrentIndex(0);
    population_ = data_->iGAPopSize = kDefaultPopulation;
  }
  return false;
}

// Sizes firstSize .. firstSize + count - 1; the chosen index stays when it
// still exists, else the last size is chosen.
void TCalculateSetupForm::FillGaUntil(int firstSize, int count) {
  std::vector<std::string> items;
  for (int s = firstSize; s < firstSize + count; ++s) items.push_back(IntToStr(s));
  gaUntilCount_ = count;
  gaUntilIndex_ = std::clamp(gaUntilIndex_, 0, std::max(count - 1, 0));
  AddItems(ComboBoxGAuntil, items, count > 0 ? gaUntilIndex_ : -1);
}

// ---- Enable rules -------------------------------------------------------------------

void TCalculateSetupForm::SetGaControlsEnabled(bool on) {
  CheckBoxGAuntil->setEnabled(on);
  SetGaUntilDependantsEnabled(on && CheckBoxGAuntil->isChecked());
}

void TCalculateSetupForm::SetGaUntilDependantsEnabled(bool on) {
  SetEnabled({ComboBoxGAuntil, LabelPopSize, ComboBoxGAPopSize, StaticTextMutRate, ComboBoxMutRate}, on);
  if (!on) SetGenerationsEnabled(false);
}

void TCalculateSetupForm::SetGenerationsEnabled(bool on) {
  SetEnabled({ComboBoxGAgen, StaticTextGen, StaticTextPerSize}, on);
}

bool TCalculateSetupForm::GaSetUp() const {
  return !EditCombinations->isEnabled() || (CheckBoxGAuntil->isChecked() && CheckBoxGAuntil->isEnabled());
}

bool TCalculateSetupForm::GaRequested() const {
  return RadioButtonAllSubset->isChecked() && CheckBoxGAuntil->isChecked() && CheckBoxGAuntil->isEnabled() &&
         ComboBoxGAuntil->currentIndex() >= 0;
}

// The size the genetic algorithm starts from: the one set already, else the
// size after the all-subset part.
int TCalculateSetupForm::GaFirstSize() const {
  if (data_->iGAFirstSize != 0) return data_->iGAFirstSize;
  return ComboBoxAllSubset->currentIndex() >= 0 ? AllSubsetNumber() + 1 : data_->iAllSubsetUntil;
}

// ---- Option handlers ----------------------------------------------------------------

void TCalculateSetupForm::RadioButtonHoldAddClick() {
  ComboBoxAllSubset->setEnabled(false);
  StaticTextHeldVar->show();
  EditCombinations->setText(QStr(IntToStr(PoolSize() - data_->iSelectedHoldCount)));
  SetGaControlsEnabled(false);
}

void TCalculateSetupForm::RadioButtonAllSubsetClick() {
  StaticTextHeldVar->hide();
  ShowTotal(AllSubsetTotal(PoolSize(), AllSubsetNumber()));
  ComboBoxAllSubset->setEnabled(true);
  // A pool too small for any GA size keeps the GA switched off.
  SetGaControlsEnabled(ComboBoxGAuntil->count() > 0);
}

void TCalculateSetupForm::CheckBoxGAuntilClick() {
  const bool on = CheckBoxGAuntil->isChecked();
  SetGaUntilDependantsEnabled(on);
  if (on) ComboBoxGAuntilChange();
  FillKeepPerSizeBox(false);
}

void TCalculateSetupForm::ComboBoxGAuntilChange() {
  SetGenerationsEnabled(true);
  gaUntilIndex_ = ComboBoxGAuntil->currentIndex();
  if (gaUntilIndex_ >= 0) CheckObjectsPerVariable(NumberOf(ComboBoxGAuntil));
}

void TCalculateSetupForm::ComboBoxGAPopSizeChange() {
  population_ = data_->iGAPopSize = NumberOf(ComboBoxGAPopSize);
  CheckGASettings(ComboBoxAllSubset->currentIndex() >= 0 ? AllSubsetNumber() + 1 : data_->iGAFirstSize, true);
  FillKeepPerSizeBox(false);
}

void TCalculateSetupForm::ComboBoxKeepPerSizeChange() {
  RememberedKeepPerSize = {ComboBoxKeepPerSize->currentIndex(), ComboBoxKeepPerSize->currentText() == "ALL"};
  ComboBoxGAPopSizeChange();
}

void TCalculateSetupForm::FillKeepPerSizeBox(bool quiet) {
  const KeepPerSizeChoice choice = FillKeepPerSize(GaSetUp(), population_, RememberedKeepPerSize, quiet);
  AddItems(ComboBoxKeepPerSize, choice.items, choice.index);
  const std::string& chosen = choice.items[choice.index];
  RememberedKeepPerSize = {choice.index, KeepPerSizeValue(chosen) == -1};
  if (choice.lowered)
    Warn("The GA population size is bigger than the requested number of models to be stored. Reset now to the "
         "most similar (" + chosen + ")",
         "APPLICATION WARNING");
}

// ---- Calculate and Cancel -----------------------------------------------------------

void TCalculateSetupForm::ButtonCalculateClick() {
  if (ComboBoxGAuntil->count() == 0 && !ComboBoxAllSubset->isEnabled() && !RadioButtonHoldAdd->isChecked()) {
    Warn("No variables left, cannot continue.", "Application Message");
    SetModalResult(mrCancel);
    return;
  }
  const bool ga = GaRequested();
  if (ga && !GaSizesCanRun(PoolSize(), GaFirstSize(), NumberOf(ComboBoxGAuntil), NumberOf(ComboBoxGAPopSize))) {
    Warn("The genetic algorithm cannot run from " + IntToStr(GaFirstSize()) + " descriptors until " +
             StdStr(ComboBoxGAuntil->currentText()) + " with this population: please change the setup.",
         "Application Message");
    return;
  }
  // With models in the list only the genetic algorithm can go on from them.
  if (models_->Count() > 0 && !ga) {
    Warn("The models list is not empty: only the genetic algorithm can be continued.", "Application Message");
    return;
  }
  WriteSettings(ga);
  if (MainForm) {
    if (MainForm->Registry()) MainForm->Registry()->DeleteTempFiles();
    MainForm->SetModified(true);
  }
  const uint8_t mode = models_->Count() > 0          ? ModelSearchEngine::ModeGeneticOnly
                       : RadioButtonHoldAdd->isChecked() ? ModelSearchEngine::ModeHoldAndAdd
                                                         : ModelSearchEngine::ModeAllSubsets;
  std::unique_ptr<TCalcAllSubForm> search;
  try {
    search = std::make_unique<TCalcAllSubForm>(this, mode, models_, data_);
  } catch (...) {
    Warn("Cannot create Calculate dialog", "APPLICATION WARNING");
  }
  if (search) {
    if (runSearch_)
      runSearch_(*search);
    else
      search->ShowModal();
    search.reset();
  }
  if (models_->Count() > 0 && MainForm) MainForm->EnableViewAndSelModels(true);
  SetModalResult(mrOk);
}

void TCalculateSetupForm::WriteSettings(bool ga) {
  if (ComboBoxAllSubset->currentIndex() >= 0) data_->iAllSubsetUntil = AllSubsetNumber();
  if (ga) {
    data_->iGAFirstSize = GaFirstSize();
    data_->iGAUntil = NumberOf(ComboBoxGAuntil);
    data_->iGAPopSize = NumberOf(ComboBoxGAPopSize);
    data_->iGAGenerations = ComboBoxGAgen->isEnabled() ? NumberOf(ComboBoxGAgen) : 0;
  } else {
    data_->iGAFirstSize = data_->iGAUntil = data_->iGAPopSize = data_->iGAGenerations = 0;
  }
  data_->iEnumSize = PoolSize();
  data_->iGAMutation = NumberOf(ComboBoxMutRate);
  int combinations = 0;
  data_->iCombinations = TryStrToInt(StdStr(EditCombinations->text()), combinations) ? combinations : -1;
  data_->iKeepPerSize = KeepPerSizeValue(StdStr(ComboBoxKeepPerSize->currentText()));
  data_->iFitnessFunc = ComboBoxFitFunc->currentIndex();
  data_->ldQuikDelta =
      ComboBoxQUIKrule->currentIndex() == 0 ? -1.0L : StrToFloat(StdStr(ComboBoxQUIKrule->currentText()));
}

void TCalculateSetupForm::ButtonCancelClick() {
  if (firstSetup_)
    data_->iAllSubsetUntil = data_->iGAFirstSize = data_->iGAUntil = data_->iGAPopSize = data_->iGAGenerations = 0;
  SetModalResult(mrCancel);
}

// The "View and select models" window.
#include "models/VSmMain.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>
#include <optional>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/ProjectFile.h"
#include "data/ProjectHost.h"
#include "platform/base/CommandGuard.h"
#include "platform/base/NumberText.h"
#include "platform/base/Canvas.h"
#include "platform/base/SystemMemory.h"
#include "platform/qt/Events.h"
#include "platform/qt/QtConvert.h"
#include "platform/qt/StringGrid.h"
#include "platform/qt/ViewerCommon.h"
#include "plot/VGrMain.h"
#include "models/ModelFilters.h"
#include "validate/CAnMain.h"
#include "validate/ExternalValidator.h"
#include "validate/VMdMain.h"
#include "validate/ModelListStatistics.h"
#include "validate/VMsMain.h"

namespace {

constexpr TColor kGrey = 0x808080;
constexpr TColor kLightGrey = 0xE0E0E0;
constexpr TColor kDarkRed = 0x000080;   // red 128
constexpr TColor kMagenta = 0xFF00FF;
// Normal and dim colours of the groups fit, internal and external validation.
constexpr TColor kGroupNormal[] = {0xB0F0F0, 0xB0B0F0, 0xF0F0B0};
constexpr TColor kGroupDim[] = {0xB0D0D0, 0xB0B0D0, 0xD0D0B0};

const char* const kDeleteHint = "Delete unselected models";
const char* const kKeepHint = "Keep only selected models";

QLabel* Label(QWidget* parent, const char* text) { return new QLabel(text, parent); }

// Whether a CI box text is "None" or a number; factor, when given, gets the
// number (nothing for "None").
bool ReadCiText(const std::string& text, std::optional<long double>* factor = nullptr) {
  long double value = 0.0L;
  if (text != "None" && !TryStrToFloat(text, value)) return false;
  if (factor != nullptr && text != "None") *factor = value;
  return true;
}

// Draws the sort items from the combo's flags: disabled ones grey, and never
// highlighted.
class SortItemDelegate : public QStyledItemDelegate {
public:
  explicit SortItemDelegate(SortComboBox& combo) : QStyledItemDelegate(&combo), combo_(combo) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const bool enabled = index.row() < kSortItemCount && combo_.enabled[index.row()];
    const bool highlighted = option.state.testFlag(QStyle::State_Selected) && enabled;
    painter->fillRect(option.rect, ToQColor(highlighted ? clHighlight : clWhite));
    painter->setPen(ToQColor(!enabled ? kGrey : highlighted ? clHighlightText : clBlack));
    painter->drawText(option.rect, Qt::AlignLeft | Qt::AlignTop, index.data().toString());
  }

private:
  SortComboBox& combo_;
};

}  // namespace

SortComboBox::SortComboBox(QWidget* parent) : QComboBox(parent) {
  enabled.fill(true);
  setItemDelegate(new SortItemDelegate(*this));
}

void SortComboBox::showPopup() {
  if (OnDropDown) OnDropDown();
  QComboBox::showPopup();
}

// ---- Construction ------------------------------------------------------------------

TViewSelForm::TViewSelForm(QWidget* owner, DataResultList** models, ChemoData* data,
                           ProgressWindowFactory progressWindow)
    : ModalDialog(owner),
      models_(models),
      data_(data),
      progressWindow_(std::move(progressWindow)),
      table_(models),
      undo_(MainForm != nullptr ? MainForm->Registry() : nullptr) {
  ShowModalWindow = [](ModalDialog& window) { window.ShowModal(); };
  DropDownList = [](QComboBox& combo) { combo.showPopup(); };
  AvailableMemory = AvailableMemoryBytes;
  setWindowTitle("View and select models");
  BuildComponents();
  BuildPopupMenu();
  FillCombos();
  backup_ = std::make_unique<DataResultList>(data_);
  backup_->CopyFrom(**models_);
  ComputePredictionFlag();
  SetColumnTitles();
  SortAndShowModels();
  UpDownBest->setMinimum(0);
  UpDownBest->setValue(0);
  EditBest->setText("All");
  BackupValidationFiles();
  SpeedButtonMCDMgraph->setEnabled(false);
  ViewMCDMgraph1->setEnabled(false);
  UpdateCommandStates();
  StringGridResults->SetSelection({kVariablesColumn, 1, kVariablesColumn, 1});
  // The selection scrolls the still small grid; the window opens at its top left.
  StringGridResults->SetLeftCol(0);
  StringGridResults->SetTopRow(1);
  resize(1100, 640);
}

TViewSelForm::~TViewSelForm() { FormClose(); }

void TViewSelForm::showEvent(QShowEvent* event) {
  ModalDialog::showEvent(event);
  PlaceOnScreen(*this, 0);
}

void TViewSelForm::BuildComponents() {
  QFont face("DejaVu Sans");
  face.setPixelSize(11);
  setFont(face);
  SpeedButtonCopy = TextToolButton(this, "Copy", "Copy to clipboard");
  SpeedButtonSaveToFile = TextToolButton(this, "Save", "Save to file");
  ComboBoxSort = new SortComboBox(this);
  ComboBoxSort2nd = new SortComboBox(this);
  ComboBoxQUIKRule = new QComboBox(this);
  ComboBoxCI = new QComboBox(this);
  ComboBoxCI->setEditable(true);
  ComboBoxCI->setInsertPolicy(QComboBox::NoInsert);  // Enter adds only numbers
  ComboBoxOnlyBest = new QComboBox(this);
  SpeedButtonViewOnlySelMod = TextToolButton(this, "Only sel.", "View only selected models");
  SpeedButtonViewOnlySelMod->setCheckable(true);
  EditBest = new QLineEdit(this);
  EditBest->setReadOnly(true);
  EditBest->setMaxLength(5);
  EditBest->setFixedWidth(40);
  UpDownBest = new QSpinBox(this);
  UpDownBest->setRange(0, 32767);
  UpDownBest->setFixedWidth(18);
  ButtonAccept = new QPushButton("Accept", this);
  ButtonCancel = new QPushButton("Cancel", this);

  auto* top = new QHBoxLayout;
  for (QWidget* widget : std::initializer_list<QWidget*>{
           SpeedButtonCopy, SpeedButtonSaveToFile, Label(this, "Sorted by"), ComboBoxSort, Label(this, "and by"),
           ComboBoxSort2nd, Label(this, "QUIK rule"), ComboBoxQUIKRule, Label(this, "CI"), ComboBoxCI,
           Label(this, "times"), Label(this, "coeff."), Label(this, "Only"), ComboBoxOnlyBest, Label(this, "best"),
           SpeedButtonViewOnlySelMod, Label(this, "Best"), EditBest, UpDownBest, Label(this, "m x s")})
    top->addWidget(widget);
  top->addStretch();
  top->addWidget(ButtonAccept);
  top->addWidget(ButtonCancel);

  SpeedButtonAlwaysSelModel = TextToolButton(this, "Select", "Select model");
  SpeedButtonNeverSelModel = TextToolButton(this, "Unselect", "Unselect model");
  SpeedButtonSelAll = TextToolButton(this, "All", "Select all models");
  SpeedButtonReset = TextToolButton(this, "None", "Unselect all models");
  SpeedButtonDelUnselModel = TextToolButton(this, "Delete", kDeleteHint);
  SpeedButtonViewVarStat = TextToolButton(this, "Var. stat.", "View variables statistics");
  SpeedButtonR2vsQ2 = TextToolButton(this, "R2/Q2", "View average models R2 vs. Q2");
  SpeedButtonQ2looLOF = TextToolButton(this, "Q2/LOF", "View Q2loo vs. LOF");
  SpeedButtonViewSelMod = TextToolButton(this, "Model", "View selected model");
  SpeedButtonIntValidation = TextToolButton(this, "Int. val.", "Internal model validation");
  SpeedButtonExtValidation =
      TextToolButton(this, "Ext. val.", "External model validation (Q2-Fn, CCC, r2m, Golbraikh and Tropsha)");
  SpeedButtonHatRes = TextToolButton(this, "Hat/res.", "Count hat/residuals above threshold countings");
  ComboBoxStdRes = new QComboBox(this);
  SpeedButtonChangeThresh = TextToolButton(this, "Thresh.", "Change thresholds");
  SpeedButtonMultiCrit = TextToolButton(this, "MCDM", "Multicriteria decision making");
  SpeedButtonMCDMgraph = TextToolButton(this, "MCDM graph", "View ext. vs. fitting MCDM graph");
  SpeedButtonPCARes = TextToolButton(this, "Res. PCA", "View residuals PCA");
  SpeedButtonPCAdesc = TextToolButton(this, "Desc. PCA", "View descriptors PCA");
  SpeedButtonModAn = TextToolButton(this, "Consensus", "Consensus modeling");
  SpeedButtonPCAchem = TextToolButton(this, "Chem. PCA", "View chemicals PCA");
  SpeedButtonPCAchem->setVisible(false);

  auto* second = new QHBoxLayout;
  for (QWidget* widget : std::initializer_list<QWidget*>{
           SpeedButtonAlwaysSelModel, SpeedButtonNeverSelModel, SpeedButtonSelAll, SpeedButtonReset,
           SpeedButtonDelUnselModel, SpeedButtonViewVarStat, SpeedButtonR2vsQ2, SpeedButtonQ2looLOF,
           SpeedButtonViewSelMod, SpeedButtonIntValidation, SpeedButtonExtValidation, SpeedButtonHatRes,
           Label(this, "Res."), ComboBoxStdRes, Label(this, "std"), SpeedButtonChangeThresh, SpeedButtonMultiCrit,
           SpeedButtonMCDMgraph, SpeedButtonPCARes, SpeedButtonPCAdesc, SpeedButtonModAn, SpeedButtonPCAchem})
    second->addWidget(widget);
  second->addStretch();

  StringGridResults = new ::StringGrid(this);
  StringGridResults->SetRangeSelect(true);
  StringGridResults->OnDrawCell = [this](int col, int row, CellLook& look) { StringGridResultsDrawCell(col, row, look); };
  StringGridResults->OnDblClick = [this] { SpeedButtonViewSelModClick(); };
  auto* main = new QVBoxLayout(this);
  main->addLayout(top);
  main->addLayout(second);
  main->addWidget(StringGridResults, 1);

  const std::pair<QToolButton*, void (TViewSelForm::*)()> buttons[] = {
      {SpeedButtonCopy, &TViewSelForm::SpeedButtonCopyClick},
      {SpeedButtonSaveToFile, &TViewSelForm::SpeedButtonSaveToFileClick},
      {SpeedButtonViewOnlySelMod, &TViewSelForm::SpeedButtonViewOnlySelModClick},
      {SpeedButtonAlwaysSelModel, &TViewSelForm::PopupMenuAlwaysselectedClick},
      {SpeedButtonNeverSelModel, &TViewSelForm::PopupMenuNeverselectedClick},
      {SpeedButtonSelAll, &TViewSelForm::PopupSelectallmodelsClick},
      {SpeedButtonReset, &TViewSelForm::PopupMenuResetAllSelClick},
      {SpeedButtonDelUnselModel, &TViewSelForm::SpeedButtonDelUnselModelClick},
      {SpeedButtonViewVarStat, &TViewSelForm::SpeedButtonViewVarStatClick},
      {SpeedButtonR2vsQ2, &TViewSelForm::SpeedButtonR2vsQ2Click},
      {SpeedButtonQ2looLOF, &TViewSelForm::SpeedButtonQ2looLOFClick},
      {SpeedButtonViewSelMod, &TViewSelForm::SpeedButtonViewSelModClick},
      {SpeedButtonIntValidation, &TViewSelForm::SpeedButtonIntValidationClick},
      {SpeedButtonExtValidation, &TViewSelForm::SpeedButtonExtValidationClick},
      {SpeedButtonHatRes, &TViewSelForm::SpeedButtonHatResClick},
      {SpeedButtonChangeThresh, &TViewSelForm::SpeedButtonChangeThreshClick},
      {SpeedButtonMultiCrit, &TViewSelForm::SpeedButtonMultiCritClick},
      {SpeedButtonMCDMgraph, &TViewSelForm::SpeedButtonMCDMgraphClick},
      {SpeedButtonPCARes, &TViewSelForm::SpeedButtonPCAResClick},
      {SpeedButtonPCAdesc, &TViewSelForm::SpeedButtonPCAdescClick},
      {SpeedButtonModAn, &TViewSelForm::SpeedButtonModAnClick},
      {SpeedButtonPCAchem, &TViewSelForm::SpeedButtonPCAchemClick}};
  ConnectClicks(this, buttons);
  connect(ButtonAccept, &QPushButton::clicked, this, [this] { ButtonAcceptClick(); });
  SetButtonResult(ButtonCancel, mrCancel);
  for (SortComboBox* combo : {ComboBoxSort, ComboBoxSort2nd})
    connect(combo, &QComboBox::activated, this, [this] { ComboBoxSortChange(); });
  ComboBoxSort->OnDropDown = [this] { rememberedSort_ = ComboBoxSort->currentIndex(); };
  ComboBoxSort2nd->OnDropDown = [this] { rememberedSort2nd_ = ComboBoxSort2nd->currentIndex(); };
  connect(ComboBoxQUIKRule, &QComboBox::activated, this, [this] { ComboBoxQUIKRuleChange(); });
  connect(ComboBoxCI, &QComboBox::activated, this, [this] { ComboBoxCIChange(); });
  connect(ComboBoxCI->lineEdit(), &QLineEdit::textEdited, this, [this] { ComboBoxCIChange(); });
  connect(ComboBoxCI->lineEdit(), &QLineEdit::returnPressed, this, [this] { ComboBoxCIEnter(); });
  connect(ComboBoxCI, &QComboBox::currentTextChanged, this, [this](const QString& text) {
    if (ReadCiText(StdStr(text))) acceptedCi_ = StdStr(text);
  });
  connect(ComboBoxOnlyBest, &QComboBox::activated, this, [this] { ComboBoxOnlyBestChange(); });
  connect(UpDownBest, &QSpinBox::valueChanged, this, [this] { UpDownBestClick(); });
}

void TViewSelForm::BuildPopupMenu() {
  PopupMenu = new QMenu(this);
  auto item = [this](const char* caption, void (TViewSelForm::*handler)()) {
    QAction* action = PopupMenu->addAction(caption);
    connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    return action;
  };
  item("&Copy", &TViewSelForm::SpeedButtonCopyClick);
  item("&Save...", &TViewSelForm::SpeedButtonSaveToFileClick);
  PopupMenuViewOnlySel = item("Vie&w only selected models", &TViewSelForm::SpeedButtonViewOnlySelModClick);
  PopupMenuViewOnlySel->setCheckable(true);
  PopupMenuAlwaysselected = item("Select model", &TViewSelForm::PopupMenuAlwaysselectedClick);
  PopupMenuNeverselected = item("&Unselect model", &TViewSelForm::PopupMenuNeverselectedClick);
  PopupSelectallmodels = item("&Select all models", &TViewSelForm::PopupSelectallmodelsClick);
  PopupMenuResetAllSel = item("U&nselect all models", &TViewSelForm::PopupMenuResetAllSelClick);
  PopupMenuDelUnsel = item("&Delete unselected models...", &TViewSelForm::SpeedButtonDelUnselModelClick);
  PopupMenuViewVarStat = item("&View variables statistics...", &TViewSelForm::SpeedButtonViewVarStatClick);
  PopupMenuR2vsQ2 = item("View average models R2 vs. Q2", &TViewSelForm::SpeedButtonR2vsQ2Click);
  ViewQ2loovsLOF1 = item("View Q2loo vs. LOF", &TViewSelForm::SpeedButtonQ2looLOFClick);
  PopupMenuViewSelMod = item("View se&lected model", &TViewSelForm::SpeedButtonViewSelModClick);
  PopupMenuIntVal = item("&Internal model Validation", &TViewSelForm::SpeedButtonIntValidationClick);
  PopupMenuExtVal = item("E&xternal model validation", &TViewSelForm::SpeedButtonExtValidationClick);
  Hatandresabovethreshcounting1 = item("&Hat/res. above thresh. counting", &TViewSelForm::SpeedButtonHatResClick);
  MultiCritDecMak = item("MultiCriteria Decision Making", &TViewSelForm::SpeedButtonMultiCritClick);
  ViewMCDMgraph1 = item("View ext. vs. fitting MCDM graph", &TViewSelForm::SpeedButtonMCDMgraphClick);
  ViewresidualsPCA1 = item("View residuals PCA", &TViewSelForm::SpeedButtonPCAResClick);
  ViewdescriptorsPCA2 = item("View descriptors PCA", &TViewSelForm::SpeedButtonPCAdescClick);
  Consensusanalysis1 = item("C&onsensus modeling", &TViewSelForm::SpeedButtonModAnClick);
  StringGridResults->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(StringGridResults, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu->popup(StringGridResults->viewport()->mapToGlobal(at)); });
}

void TViewSelForm::FillCombos() {
  ComboBoxQUIKRule->addItem("None");
  for (int step = 0; step <= 20; ++step)
    ComboBoxQUIKRule->addItem(QStr(FloatToStrF(step * 0.005L, FloatFormat::Fixed, 18, 3)));
  ComboBoxCI->addItem("None");
  for (int step = 0; step <= 5; ++step) ComboBoxCI->addItem(QStr(FloatToStrF(1.0L + step * 0.1L, FloatFormat::Fixed, 18, 1)));
  for (const char* text : {"0.5", "1.0", "1.5", "2.0", "2.5", "3.0", "4.0", "4.5", "5.0"}) ComboBoxStdRes->addItem(text);
  ComboBoxStdRes->setCurrentText("2.5");
  FillOnlyBestCombo();
}

void TViewSelForm::FillOnlyBestCombo() {
  ComboBoxOnlyBest->clear();
  ComboBoxOnlyBest->addItem("All");
  for (int k = 1; k < (*models_)->Count(); ++k) ComboBoxOnlyBest->addItem(QString::number(k));
  ComboBoxOnlyBest->setCurrentIndex(0);
}

void TViewSelForm::ComputePredictionFlag() {
  std::vector<uint8_t> prediction(static_cast<std::size_t>(std::max(data_->iObjCount, 0)));
  data_->BuildObjectMasks(prediction.data(), nullptr, nullptr);
  hasPredictionObjects_ = std::find(prediction.begin(), prediction.end(), 1) != prediction.end();
}

void TViewSelForm::BackupValidationFiles() {
  try {
    undo_.Backup();
  } catch (...) {
    Ui().MessageBox("Cannot create temporary validation files, please check your privileges.", "APPLICATION ERROR",
                    MB_OK | MB_ICONERROR);
  }
}

std::unique_ptr<Progress> TViewSelForm::OpenProgressWindow(bool animated, const char* text) {
  std::unique_ptr<Progress> progress = OpenProgress(progressWindow_, animated);
  progress->SetText(text);
  return progress;
}

// ---- The table -----------------------------------------------------------------------

void TViewSelForm::SetColumnTitles() {
  StringGridResults->SetCellTextProvider([this](int col, int row) { return table_.CellText(col, row); });
  StringGridResults->SetColCount(kModelListColumnCount);
  StringGridResults->SetRowCount((*models_)->Count() + 1);
  StringGridResults->SetFixedCols(0);
  StringGridResults->SetFixedRows(1);
  const auto& columns = ModelListColumns();
  for (int col = 0; col < kModelListColumnCount; ++col) {
    StringGridResults->Cells(col, 0) = columns[col].title;
    StringGridResults->SetColWidth(col, columns[col].width);
  }
  for (SortComboBox* combo : {ComboBoxSort, ComboBoxSort2nd}) {
    for (int item = 0; item < kSortItemCount; ++item) combo->addItem(columns[SortItemColumn(item)].title);
    combo->enabled.fill(true);
    combo->setCurrentIndex(2);
  }
  rememberedSort_ = rememberedSort2nd_ = 2;
  ComboBoxSort2nd->setEnabled(false);
}

void TViewSelForm::SortAndShowModels() {
  StringGridResults->setVisible(false);
  ComboBoxSort2nd->setEnabled(false);
  if ((*models_)->Count() == 0) {
    Ui().MessageBox("Sorry, empty models list. Please, check data.", "APPLICATION MESSAGE", MB_OK | MB_ICONINFORMATION);
    return;
  }
  BusyCursor busy;
  std::unique_ptr<Progress> progress = OpenProgressWindow(true, "Sorting...");
  if (IsGroupColumn(SortItemColumn(ComboBoxSort->currentIndex()))) ComboBoxSort2nd->setEnabled(true);
  try {
    table_.Sort(ComboBoxSort->currentIndex(), ComboBoxSort2nd->currentIndex(), progress.get());
  } catch (const DataBadAllocEx& e) {
    ShowWarning(e.Message);
  } catch (const DataNoMemoryEx& e) {
    ShowWarning(e.Message);
  } catch (...) {
    Ui().MessageBox("Cannot sort data", "Exception Message", MB_OK);
  }
  FillResultsGrid(progress.get(), false);
  StringGridResults->setVisible(true);
}

void TViewSelForm::FillResultsGrid(Progress* progress, bool deleteExtra) {
  table_.Fill(SpeedButtonViewOnlySelMod->isChecked(), BestPosition(), deleteExtra, progress);
  StringGridResults->SetRowCount(table_.RowCount() + 1);
  UpdateCommandStates();
  ApplyEmptyColumns();
  StringGridResults->Invalidate();
}

// Shown columns keep the width they have (the user's, say) through sorts and
// refills; a column shown again gets its table width. A column narrower than
// its title or its widest number grows to fit them.
void TViewSelForm::ApplyEmptyColumns() {
  const auto& columns = ModelListColumns();
  const auto& extremeTexts = table_.ExtremeTexts();
  for (int col = 0; col < kModelListColumnCount; ++col) {
    const bool empty = table_.EmptyColumns()[col];
    const int shown = StringGridResults->ColWidth(col);
    const int width =
        empty ? -1 : std::max(shown < 0 ? columns[col].width : shown, FittingWidth(col, extremeTexts[col]));
    if (width != shown) StringGridResults->SetColWidth(col, width);
    const int item = ColumnSortItem(col);
    if (item < 0) continue;
    for (SortComboBox* combo : {ComboBoxSort, ComboBoxSort2nd}) combo->enabled[item] = !empty || col == kIdColumn;
  }
}

int TViewSelForm::FittingWidth(int col, const std::vector<std::string>& extremeTexts) const {
  int width = StringGridResults->TextColWidth(ModelListColumns()[col].title);
  for (const std::string& text : extremeTexts) width = std::max(width, StringGridResults->TextColWidth(text));
  return width;
}

void TViewSelForm::Refill(bool deleteExtra) {
  BusyCursor busy;
  std::unique_ptr<Progress> progress = OpenProgressWindow(true, "Sorting...");
  FillResultsGrid(progress.get(), deleteExtra);
  update();
}

std::string TViewSelForm::Cells(int col, int row) const { return StringGridResults->CellText(col, row); }

long double TViewSelForm::ColumnValue(const DataResultNode& model) const {
  return ColumnKey(model, SortItemColumn(ComboBoxSort2nd->currentIndex()));
}

void TViewSelForm::StringGridResultsDrawCell(int col, int row, CellLook& look) {
  if (row < 1) return;
  const DataResultNode* model = table_.RowModel(row);
  if (model == nullptr) return;
  if (col == kStatusColumn) {
    const std::string letter = SelectionLetter(model->iSelStatus);
    look.fill = letter == "S" ? clLime : kGrey;
    look.textColor = clBlack;
  } else {
    const int32_t group = ModelListColumns()[col].group;
    const bool lit = IsSelectedState(model->iSelStatus) || table_.OnlySelected();
    if (lit) {
      if (!look.selected && group != GroupGeneral) look.fill = kGroupNormal[group];
    } else if (look.selected) {
      look.fill = kDarkRed;
    } else {
      look.fill = group != GroupGeneral ? kGroupDim[group] : kLightGrey;
    }
  }
  if (col == table_.SortColumn()) look.fill = kMagenta;
}

bool TViewSelForm::RestoreDisabledChoice(SortComboBox& combo, int remembered) {
  const int index = combo.currentIndex();
  if (index < 0 || combo.enabled[index]) return false;
  combo.setCurrentIndex(remembered);
  DropDownList(combo);
  return true;
}

// The second list counts only when the first key is a group: otherwise it is
// disabled and its choice, empty or not, plays no part.
void TViewSelForm::ComboBoxSortChange() {
  if (RestoreDisabledChoice(*ComboBoxSort, rememberedSort_)) return;
  if (IsGroupColumn(SortItemColumn(ComboBoxSort->currentIndex())) &&
      RestoreDisabledChoice(*ComboBoxSort2nd, rememberedSort2nd_))
    return;
  SortAndShowModels();
}

void TViewSelForm::UpdateCommandStates() {
  const ModelCommandStates states = table_.CommandStates(hasPredictionObjects_);
  const std::pair<bool, std::vector<QObject*>> groups[] = {
      {states.twoOrMore,
       {SpeedButtonViewVarStat, PopupMenuViewVarStat, SpeedButtonQ2looLOF, ViewQ2loovsLOF1, SpeedButtonHatRes,
        Hatandresabovethreshcounting1, SpeedButtonPCARes, ViewresidualsPCA1, SpeedButtonModAn, Consensusanalysis1}},
      {states.multiCriteria, {SpeedButtonMultiCrit, MultiCritDecMak}},
      {states.oneOrMore, {SpeedButtonIntValidation, PopupMenuIntVal, SpeedButtonR2vsQ2, PopupMenuR2vsQ2}},
      {states.external, {SpeedButtonExtValidation, PopupMenuExtVal}},
      {states.descriptorsPca, {SpeedButtonPCAdesc, ViewdescriptorsPCA2}}};
  for (const auto& [enabled, objects] : groups)
    for (QObject* object : objects) {
      if (auto* widget = qobject_cast<QWidget*>(object)) widget->setEnabled(enabled);
      if (auto* action = qobject_cast<QAction*>(object)) action->setEnabled(enabled);
    }
}

DataResultNode* TViewSelForm::SelectedRowModel() const { return table_.RowModel(StringGridResults->Selection().Top); }

void TViewSelForm::SpeedButtonViewSelModClick() {
  DataResultNode* model = SelectedRowModel();
  if (model == nullptr) return;
  RunOrWarn(
      [&] {
        std::unique_ptr<TViewSelModForm> window;
        {
          BusyCursor busy;
          window = std::make_unique<TViewSelModForm>(this, "", 1, 1, model, data_, progressWindow_);
        }
        ShowModalWindow(*window);
      },
      "Cannot create Validate models dialog");
}

void TViewSelForm::SpeedButtonIntValidationClick() {
  std::unique_ptr<TValidateModelForm> window;
  try {
    window = std::make_unique<TValidateModelForm>(this, false, *models_, data_,
                                                  MainForm != nullptr ? MainForm->Registry() : nullptr, progressWindow_);
  } catch (...) {
    ShowWarning("Cannot create Validate models dialog");
    return;
  }
  ShowModalWindow(*window);
  window.reset();
  Refill(false);
}

void TViewSelForm::SpeedButtonModAnClick() {
  if (CountSelectedModels(**models_) == 0) return;
  std::unique_ptr<TFormConsensus> window;
  try {
    window = std::make_unique<TFormConsensus>(this, *models_, data_, progressWindow_);
  } catch (...) {
    ShowWarning("Cannot create Validate models dialog");
    return;
  }
  ShowModalWindow(*window);
}

int TViewSelForm::BestPosition() const { return static_cast<int16_t>(UpDownBest->value()); }

// ---- Selection ------------------------------------------------------------------------

void TViewSelForm::SetStatusOfSelectedRows(const std::string& letter) {
  const GridRect selection = StringGridResults->Selection();
  const int32_t state = StateOfLetter(letter);
  for (int row = selection.Top; row <= selection.Bottom; ++row) {
    DataResultNode* model = table_.RowModel(row);
    if (model != nullptr) model->iSelStatus = state;
  }
  UpdateCommandStates();
  StringGridResults->Invalidate();
}

void TViewSelForm::PopupSelectallmodelsClick() {
  SetAllSelection(true);
  UpdateCommandStates();
}

void TViewSelForm::PopupMenuResetAllSelClick() {
  SetAllSelection(false);
  UpdateCommandStates();
}

void TViewSelForm::SetAllSelection(bool select) {
  const std::string question =
      std::string("All models will be ") + (select ? "selected" : "unselected") + ": do you want to continue?";
  if (Ui().MessageBox(question, "APPLICATION WARNING", MB_YESNO | MB_ICONQUESTION) == IDYES) {
    for (DataResultNode* model = (*models_)->First(); model != nullptr; model = model->Next())
      model->iSelStatus = select ? 1 : 0;
  }
  ComboBoxQUIKRule->setCurrentIndex(0);
  ComboBoxCI->setCurrentIndex(0);
  StringGridResults->Invalidate();
}

void TViewSelForm::RecalculateColumns() {
  ModelFilterChoice choice;
  if (ComboBoxQUIKRule->currentIndex() > 0) choice.quikDelta = StrToFloat(StdStr(ComboBoxQUIKRule->currentText()));
  if (!ReadCiText(StdStr(ComboBoxCI->currentText()), &choice.ciFactor)) return;
  BusyCursor busy;
  std::unique_ptr<Progress> progress = OpenProgressWindow(true, "Calculating...");
  std::unique_ptr<ModelListStatistics> stats = OpenStatistics();
  if (!stats) return;
  const bool complete = ApplyModelFilters(
      table_.Sorted(), choice, [&stats](DataResultNode& model) { stats->ComputeIntervals(model); }, progress.get());
  progress.reset();
  StringGridResults->Invalidate();
  UpdateCommandStates();
  if (!complete)
    Ui().MessageBox("Calculation errors occurs: listed data may be unreliable or incomplete.", "APPLICATION WARNING",
                    MB_OK | MB_ICONWARNING);
}

void TViewSelForm::ComboBoxCIEnter() {
  const std::string text = StdStr(ComboBoxCI->currentText());
  long double factor = 0.0L;
  if (text != "None" && !ReadTypedNumber(text, factor)) {
    ComboBoxCI->setEditText(QStr(acceptedCi_));
    return;
  }
  // The combo makes the item of the text current when the edit finishes.
  if (ComboBoxCI->findText(QStr(text)) < 0) ComboBoxCI->addItem(QStr(text));
}

// ---- Views and list changes -----------------------------------------------------------

void TViewSelForm::SetViewOnlySelectedControls(bool on) {
  SpeedButtonViewOnlySelMod->setChecked(on);
  PopupMenuViewOnlySel->setChecked(on);
  for (QWidget* widget : std::initializer_list<QWidget*>{
           ComboBoxSort, ComboBoxQUIKRule, ComboBoxCI, SpeedButtonAlwaysSelModel, SpeedButtonNeverSelModel,
           SpeedButtonSelAll, SpeedButtonReset, SpeedButtonViewVarStat, SpeedButtonR2vsQ2, UpDownBest})
    widget->setEnabled(!on);
  for (QAction* action : {PopupMenuAlwaysselected, PopupMenuNeverselected, PopupSelectallmodels,
                          PopupMenuResetAllSel, PopupMenuViewVarStat, PopupMenuR2vsQ2})
    action->setEnabled(!on);
  SpeedButtonDelUnselModel->setToolTip(on ? kKeepHint : kDeleteHint);
  PopupMenuDelUnsel->setText(on ? "Keep only selecte&d models" : "&Delete unselected models");
}

void TViewSelForm::SpeedButtonViewOnlySelModClick() {
  SetViewOnlySelectedControls(!table_.OnlySelected());
  Refill(false);
}

void TViewSelForm::UpDownBestClick() {
  const int position = UpDownBest->value();
  EditBest->setText(position == 0 ? QString("All") : QString::number(position));
}

void TViewSelForm::SpeedButtonDelUnselModelClick() {
  if (Ui().MessageBox("Do you really want to delete unselected models?", "APPLICATION WARNING",
                      MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  table_.RemoveUnselected();
  Refill(table_.OnlySelected());
  FillOnlyBestCombo();
}

void TViewSelForm::ComboBoxOnlyBestChange() {
  const int k = ComboBoxOnlyBest->currentIndex();
  if (k <= 0) return;
  if (Ui().MessageBox("Do you really want to keep only the best " + std::to_string(k) + " models?",
                      "APPLICATION WARNING", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  table_.KeepBest(k);
  Refill(false);
  FillOnlyBestCombo();
}

// ---- Other windows ---------------------------------------------------------------------

void TViewSelForm::SpeedButtonViewVarStatClick() {
  RunGuarded(
      [this] {
        std::unique_ptr<TViewGraphForm> form =
            TViewGraphForm::CreateForModelList(this, data_, *models_, GraphKind::VariableFrequency);
        if (!form) {
          ShowWarning("Cannot create View Graph dialog");
          return;
        }
        form->setWindowTitle("View selected models variables statistics");
        ShowModalWindow(*form);
      },
      "Unhandled ViewGraph exception");
}

void TViewSelForm::SpeedButtonExtValidationClick() {
  std::unique_ptr<ExternalValidator> validator;
  try {
    validator = std::make_unique<ExternalValidator>(false, *models_, data_, progressWindow_);
  } catch (...) {
    Ui().MessageBox("Cannot open validation suite.", "APPLICATION ERROR", MB_OK | MB_ICONERROR);
    return;
  }
  validator->ValidateExternal();
  validator.reset();
  Refill(false);
  Ui().MessageBox("External validation completed.", "APPLICATION INFO", MB_OK | MB_ICONINFORMATION);
}

std::unique_ptr<ModelListStatistics> TViewSelForm::OpenStatistics() {
  try {
    return std::make_unique<ModelListStatistics>(data_);
  } catch (...) {
    Ui().MessageBox("Data calculation failed: cannot open validation form.", "INTERNAL ERROR", MB_OK | MB_ICONERROR);
    return nullptr;
  }
}

// ---- Copy and save ----------------------------------------------------------------------

// The bar moves by whole percents: repainting it for each of many thousand
// rows would take far longer than formatting them.
void TViewSelForm::SpeedButtonCopyClick() {
  RunGuarded(
      [this] {
        BusyCursor busy;
        std::unique_ptr<Progress> progress = OpenProgressWindow(false, "Formatting...");
        const GridRect selection = StringGridResults->Selection();
        const int top = std::max(selection.Top, 1);
        const int bottom = std::min(selection.Bottom, table_.RowCount());
        const int64_t rows = std::max(bottom - top + 1, 1);
        progress->SetRange(0, LargestInt());
        const int step = bottom > top ? LargestInt() / (bottom - top + 1) : LargestInt();
        std::string text = table_.LineText(0, UserSeparator());
        for (int row = top; row <= bottom; ++row) {
          text += table_.LineText(row, UserSeparator());
          const int64_t done = row - top + 1;
          if (done * 100 / rows != (done - 1) * 100 / rows) progress->SetPosition(static_cast<int>(done * step));
        }
        progress->SetText("Sending...");
        Ui().SetClipboardText(text);
      },
      "Cannot copy data into clipboard");
}

void TViewSelForm::SpeedButtonSaveToFileClick() {
  FileDialogOptions options;
  options.defaultExt = "txt";
  options.filter = "Text file (*.txt)|*.txt";
  const FileChoice choice = Ui().SaveFileDialog(options);
  if (!choice.Chosen() || !ConfirmOverwrite(choice.fileName)) return;
  BusyCursor busy;
  SafeWriteFile(choice.fileName, [this](Stream& stream) {
    for (int row = 0; row <= table_.RowCount(); ++row) {
      const std::string line = table_.LineText(row, UserSeparator());
      stream.Write(line.data(), line.size());
    }
  });
}

// ---- Closing ---------------------------------------------------------------------------

void TViewSelForm::ButtonAcceptClick() {
  accepted_ = true;
  if (MainForm != nullptr) MainForm->SetModified(true);
  SetModalResult(mrOk);
}

void TViewSelForm::done(int result) {
  FormClose();
  ModalDialog::done(result);
}

void TViewSelForm::FormClose() {
  if (closed_) return;
  closed_ = true;
  StringGridResults->SetRowCount(1);
  table_.Clear();
  CloseModelList(accepted_, *models_, std::move(backup_), undo_);
  ReleaseFreedMemory();  // a long list and its copy leave much memory free
}

// The database window: construction, loading of the data sets, the query and
// the result table's selection.
#include "database/DbbMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "data/ProjectHost.h"
#include "database/CHdMain.h"
#include "numerics/Utils.h"
#include "platform/qt/QtConvert.h"
#include "platform/qt/ViewerCommon.h"

namespace {

constexpr TColor kTableBackground = clWhite;

// The progress window of a step, or nothing without a factory.
std::unique_ptr<Progress> OpenProgressWindow(const ProgressWindowFactory& factory, const char* caption) {
  std::unique_ptr<Progress> progress = factory ? factory(false) : nullptr;
  if (!progress) return progress;
  if (auto* window = dynamic_cast<QWidget*>(progress.get())) window->setWindowTitle(caption);
  progress->SetText("Please wait...");
  progress->SetRange(0, LargestInt());
  return progress;
}

QLineEdit* Edit(QWidget* parent, int maxLength = 0) {
  auto* edit = new QLineEdit(parent);
  if (maxLength > 0) edit->setMaxLength(maxLength);
  return edit;
}

// The element colour list: H and C, whose colours cannot change, in grey.
class ElementColourDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QString symbol = index.data().toString();
    const bool fixed = symbol == "H" || symbol == "C";
    const bool selected = option.state & QStyle::State_Selected;
    painter->fillRect(option.rect, selected && !fixed ? option.palette.highlight() : QBrush(Qt::white));
    painter->setPen(fixed ? ToQColor(clGray) : (selected ? option.palette.highlightedText().color() : Qt::black));
    painter->drawText(option.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, symbol);
  }
};

}  // namespace

MoleculeImage::MoleculeImage(QWidget* parent) : QWidget(parent) {
  setMinimumSize(200, 200);
  setContextMenuPolicy(Qt::CustomContextMenu);
}

void MoleculeImage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, picture_);
}

void MoleculeImage::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  if (OnMouseDown)
    OnMouseDown(event->modifiers() & Qt::ShiftModifier, event->modifiers() & Qt::ControlModifier);
}

void MoleculeImage::mouseMoveEvent(QMouseEvent* event) {
  if (OnMouseMove) OnMouseMove(event->position().toPoint().x(), event->position().toPoint().y());
}

void MoleculeImage::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && OnMouseUp) OnMouseUp();
}

void MoleculeImage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (OnResize) OnResize();
}

TDatabaseForm::TDatabaseForm(QWidget* owner, ProgressWindowFactory progressWindow)
    : ModalDialog(owner), progressWindow_(std::move(progressWindow)) {
  setWindowTitle("Database");
  resize(1180, 760);
  BuildComponents();
  BuildMenus();
  Connect();

  ComboBoxSMtype->addItems({"Dataset SMILES", "Pubchem - EPI suite"});
  ComboBoxSMtype->setCurrentIndex(0);
  RadioButtonCAS->setChecked(true);
  RadioButtonCASClick();

  StringGrid->SetRowCount(2);
  StringGrid->SetColCount(kFirstDataColumn + static_cast<int>(Files().size()));
  StringGrid->SetFixedRows(1);
  StringGrid->SetFixedCols(1);
  const char* titles[] = {"No.", "ID dataset", "Name", "CAS", "SMILES"};
  const int widths[] = {32, -1, 144, 80, 144};
  for (int c = 0; c < kFirstDataColumn; ++c) {
    StringGrid->Cells(c, 0) = titles[c];
    StringGrid->SetColWidth(c, widths[c]);
  }
  columnColours_.assign(static_cast<std::size_t>(StringGrid->ColCount()), kTableBackground);
  for (std::size_t k = 0; k < Files().size(); ++k) ComboBoxDataset->addItem(QPath(DataSetName(Files()[k])));
  if (!Files().empty()) StringGrid->SetColWidth(kFirstDataColumn, 64);
  ComboBoxDataset->setCurrentIndex(0);

  ComboBoxElemColor->addItem("");
  for (int i = 0; i < colours_.Count(); ++i) ComboBoxElemColor->addItem(QStr(colours_.SymbolAt(i)));
  ComboBoxElemColor->setCurrentIndex(0);
  ReadColourMap(ColourMapPath(), colours_);

  view_.Reset();
  selectedRow_ = -1;
  DisableResultControls();
  RunChooseDir = [this](const std::vector<std::string>& paths) {
    std::unique_ptr<ModalDialog> window;
    try {
      window = std::make_unique<TChooseDirForm>(this, paths);
    } catch (...) {
      Ui().MessageBox("Cannot create choose directory dialog.", "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
      return;
    }
    window->ShowModal();
  };
}

TDatabaseForm::~TDatabaseForm() = default;

void TDatabaseForm::BuildComponents() {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildQueryPanel());

  auto* tools = new QHBoxLayout;
  SpeedButtonCopy = MakeToolButton(this, QStyle::SP_FileDialogDetailedView, "Copy all data to clipboard");
  SpeedButtonSave = MakeToolButton(this, QStyle::SP_DialogSaveButton, "Save all data");
  SpeedButtonExport = MakeToolButton(this, QStyle::SP_DirOpenIcon, "Export all molecules");
  SpeedButtonCopyImage = MakeToolButton(this, QStyle::SP_FileDialogContentsView, "Copy image to clipboard");
  SpeedButtonSaveImage = MakeToolButton(this, QStyle::SP_DriveFDIcon, "Save image");
  for (QToolButton* b : {SpeedButtonCopy, SpeedButtonSave, SpeedButtonExport, SpeedButtonCopyImage,
                         SpeedButtonSaveImage})
    tools->addWidget(b);
  StaticTextFound = new QLabel(this);
  tools->addSpacing(16);
  tools->addWidget(StaticTextFound);
  tools->addStretch();
  layout->addLayout(tools);

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  StringGrid = new ::StringGrid(splitter);
  Image = new MoleculeImage(splitter);
  splitter->addWidget(StringGrid);
  splitter->addWidget(Image);
  splitter->setSizes({560, 440});
  auto* lower = new QHBoxLayout;
  lower->addWidget(splitter, 1);
  lower->addWidget(BuildViewerPanel());
  layout->addLayout(lower, 1);
}

QWidget* TDatabaseForm::BuildQueryPanel() {
  auto* box = new QGroupBox("Query", this);
  auto* grid = new QGridLayout(box);
  RadioButtonCAS = new QRadioButton("CAS", box);
  RadioButtonSMILES = new QRadioButton("SMILES", box);
  RadioButtonBruteForm = new QRadioButton("Emp. form.", box);
  RadioButtonChem = new QRadioButton("Name", box);
  EditCAS_00 = Edit(box, 6);
  EditCAS_01 = Edit(box, 2);
  EditCAS_02 = Edit(box, 1);
  EditCAS_00->setFixedWidth(70);
  EditCAS_01->setFixedWidth(34);
  EditCAS_02->setFixedWidth(24);
  auto* cas = new QHBoxLayout;
  cas->addWidget(EditCAS_00);
  cas->addWidget(new QLabel("-", box));
  cas->addWidget(EditCAS_01);
  cas->addWidget(new QLabel("-", box));
  cas->addWidget(EditCAS_02);
  cas->addStretch();
  EditSMILES = Edit(box);
  ComboBoxSMtype = new QComboBox(box);
  EditBruteF = Edit(box);
  EditChem = Edit(box);
  grid->addWidget(RadioButtonCAS, 0, 0);
  grid->addLayout(cas, 0, 1);
  grid->addWidget(RadioButtonSMILES, 1, 0);
  grid->addWidget(EditSMILES, 1, 1);
  grid->addWidget(ComboBoxSMtype, 1, 2);
  grid->addWidget(RadioButtonBruteForm, 2, 0);
  grid->addWidget(EditBruteF, 2, 1);
  grid->addWidget(RadioButtonChem, 3, 0);
  grid->addWidget(EditChem, 3, 1);
  CheckBoxDataset = new QCheckBox("Dataset", box);
  ComboBoxDataset = new QComboBox(box);
  ComboBoxDataset->setEnabled(false);  // only while "Dataset" is checked
  CheckBoxSepar = new QCheckBox("Show compounds separately", box);
  ButtonQuery = new QPushButton("Query", box);
  ButtonQuery->setAutoDefault(false);  // Enter in an edit runs the query once, through the edit
  grid->addWidget(CheckBoxDataset, 0, 3);
  grid->addWidget(ComboBoxDataset, 0, 4);
  grid->addWidget(CheckBoxSepar, 1, 3, 1, 2);
  grid->addWidget(ButtonQuery, 3, 4);
  grid->setColumnStretch(1, 1);
  return box;
}

QWidget* TDatabaseForm::BuildViewerPanel() {
  auto* panel = new QWidget(this);
  auto* column = new QVBoxLayout(panel);
  CheckBoxShowCH = new QCheckBox("Show all atomic symbols", panel);
  CheckBoxHideAll = new QCheckBox("Hide all atomic symbols", panel);
  CheckBoxColor = new QCheckBox("Color", panel);
  CheckBoxColor->setChecked(true);
  CheckBoxInvBack = new QCheckBox("Inv. background", panel);
  StaticTextElemColor = new QLabel("change atom color", panel);
  ComboBoxElemColor = new QComboBox(panel);
  ComboBoxElemColor->setItemDelegate(new ElementColourDelegate(ComboBoxElemColor));
  SpeedButtonSaveColMap = MakeToolButton(panel, QStyle::SP_DialogSaveButton, "Save current color map as default");
  SpeedButtonResColMap = MakeToolButton(panel, QStyle::SP_BrowserReload, "Reset color map to default");
  CheckBoxRad = new QCheckBox("Show atomic radius", panel);
  PanelRad = new QFrame(panel);
  PanelRad->setFrameShape(QFrame::StyledPanel);
  auto* radius = new QVBoxLayout(PanelRad);
  auto* kinds = new QGroupBox(PanelRad);
  auto* kindsLayout = new QVBoxLayout(kinds);
  RadioButtonEmpRad = new QRadioButton("Empirical", kinds);
  RadioButtonCalcRad = new QRadioButton("Calculated", kinds);
  RadioButtonVdwRad = new QRadioButton("van der Waals", kinds);
  RadioButtonEmpRad->setChecked(true);
  for (QRadioButton* r : {RadioButtonEmpRad, RadioButtonCalcRad, RadioButtonVdwRad}) kindsLayout->addWidget(r);
  auto* styles = new QGroupBox(PanelRad);
  auto* stylesLayout = new QVBoxLayout(styles);
  RadioButtonPlain = new QRadioButton("Plain", styles);
  RadioButton3Ddots = new QRadioButton("3D - dots", styles);
  RadioButton3Dlines = new QRadioButton("3D - lines", styles);
  RadioButtonPlain->setChecked(true);
  for (QRadioButton* r : {RadioButtonPlain, RadioButton3Ddots, RadioButton3Dlines}) stylesLayout->addWidget(r);
  radius->addWidget(kinds);
  radius->addWidget(styles);
  auto* mapButtons = new QHBoxLayout;
  mapButtons->addWidget(SpeedButtonSaveColMap);
  mapButtons->addWidget(SpeedButtonResColMap);
  mapButtons->addStretch();
  for (QWidget* w : {static_cast<QWidget*>(CheckBoxShowCH), static_cast<QWidget*>(CheckBoxHideAll),
                     static_cast<QWidget*>(CheckBoxColor), static_cast<QWidget*>(CheckBoxInvBack),
                     static_cast<QWidget*>(StaticTextElemColor), static_cast<QWidget*>(ComboBoxElemColor)})
    column->addWidget(w);
  column->addLayout(mapButtons);
  column->addWidget(CheckBoxRad);
  column->addWidget(PanelRad);
  column->addStretch();
  return panel;
}

void TDatabaseForm::BuildMenus() {
  PopupMenu = new QMenu(this);
  PopupCopy = PopupMenu->addAction("&Copy");
  PopupCopyreference = PopupMenu->addAction("Copy &reference");
  PopupShowreference = PopupMenu->addAction("S&how reference...");
  PopupMenu->addSeparator();
  PopupSaveselected = PopupMenu->addAction("&Save selection as text file...");
  PopupExportselected = PopupMenu->addAction("&Export selected molecules...");
  PopupMenu->addSeparator();
  Changecolumncolor1 = PopupMenu->addAction("C&hange column color...");
  Resetcolumncolor1 = PopupMenu->addAction("&Reset column color");
  Changerowcolor1 = PopupMenu->addAction("Ch&ange row color...");
  Resetrowcolor1 = PopupMenu->addAction("R&eset row color");
  PopupMenuImage = new QMenu(this);
  Copyimagetoclipboard1 = PopupMenuImage->addAction("&Copy");
  Saveimage1 = PopupMenuImage->addAction("&Save...");
}

void TDatabaseForm::Connect() {
  auto click = [this](QAbstractButton* button, void (TDatabaseForm::*handler)()) {
    connect(button, &QAbstractButton::clicked, this, [this, handler] { (this->*handler)(); });
  };
  auto toggled = [this](QAbstractButton* button, void (TDatabaseForm::*handler)()) {
    connect(button, &QAbstractButton::toggled, this, [this, handler] { (this->*handler)(); });
  };
  auto checked = [this](QRadioButton* button, void (TDatabaseForm::*handler)()) {
    connect(button, &QRadioButton::toggled, this, [this, handler](bool on) {
      if (on) (this->*handler)();
    });
  };
  auto action = [this](QAction* item, void (TDatabaseForm::*handler)()) {
    connect(item, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
  };
  click(ButtonQuery, &TDatabaseForm::ButtonQueryClick);
  for (QLineEdit* edit : {EditCAS_00, EditCAS_01, EditCAS_02, EditSMILES, EditBruteF, EditChem})
    connect(edit, &QLineEdit::returnPressed, this, [this] { ButtonQueryClick(); });
  checked(RadioButtonCAS, &TDatabaseForm::RadioButtonCASClick);
  checked(RadioButtonSMILES, &TDatabaseForm::RadioButtonSMILESClick);
  checked(RadioButtonBruteForm, &TDatabaseForm::RadioButtonBruteFormClick);
  checked(RadioButtonChem, &TDatabaseForm::RadioButtonChemClick);
  toggled(CheckBoxDataset, &TDatabaseForm::CheckBoxDatasetClick);
  toggled(CheckBoxSepar, &TDatabaseForm::ButtonQueryClick);
  connect(ComboBoxDataset, &QComboBox::activated, this, [this] { ButtonQueryClick(); });

  toggled(CheckBoxShowCH, &TDatabaseForm::DrawMolecule);
  toggled(CheckBoxHideAll, &TDatabaseForm::CheckBoxHideAllClick);
  toggled(CheckBoxColor, &TDatabaseForm::CheckBoxColorClick);
  toggled(CheckBoxInvBack, &TDatabaseForm::CheckBoxInvBackClick);
  toggled(CheckBoxRad, &TDatabaseForm::CheckBoxRadClick);
  for (QRadioButton* r : {RadioButtonEmpRad, RadioButtonCalcRad, RadioButtonVdwRad, RadioButtonPlain,
                          RadioButton3Ddots, RadioButton3Dlines})
    checked(r, &TDatabaseForm::DrawMolecule);
  connect(ComboBoxElemColor, &QComboBox::activated, this, [this](int index) { ComboBoxElemColorChange(index); });
  click(SpeedButtonSaveColMap, &TDatabaseForm::SpeedButtonSaveColMapClick);
  click(SpeedButtonResColMap, &TDatabaseForm::SpeedButtonResColMapClick);
  click(SpeedButtonCopy, &TDatabaseForm::SpeedButtonCopyClick);
  click(SpeedButtonSave, &TDatabaseForm::SpeedButtonSaveClick);
  click(SpeedButtonExport, &TDatabaseForm::SpeedButtonExportClick);
  click(SpeedButtonCopyImage, &TDatabaseForm::SpeedButtonCopyImageClick);
  click(SpeedButtonSaveImage, &TDatabaseForm::SpeedButtonSaveImageClick);

  action(PopupCopy, &TDatabaseForm::PopupCopyClick);
  action(PopupCopyreference, &TDatabaseForm::PopupCopyreferenceClick);
  action(PopupShowreference, &TDatabaseForm::PopupShowreferenceClick);
  action(PopupSaveselected, &TDatabaseForm::PopupSaveselectedClick);
  action(PopupExportselected, &TDatabaseForm::PopupExportselectedClick);
  action(Changecolumncolor1, &TDatabaseForm::Changecolumncolor1Click);
  action(Resetcolumncolor1, &TDatabaseForm::Resetcolumncolor1Click);
  action(Changerowcolor1, &TDatabaseForm::Changerowcolor1Click);
  action(Resetrowcolor1, &TDatabaseForm::Resetrowcolor1Click);
  action(Copyimagetoclipboard1, &TDatabaseForm::SpeedButtonCopyImageClick);
  action(Saveimage1, &TDatabaseForm::SpeedButtonSaveImageClick);

  StringGrid->OnDrawCell = [this](int col, int row, CellLook& look) { StringGridDrawCell(col, row, look); };
  StringGrid->OnMouseDown = [this](int, int) { MarkRowChanged(); };
  StringGrid->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(StringGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    PopupMenuPopup();
    PopupMenu->popup(StringGrid->viewport()->mapToGlobal(at));
  });
  StringGrid->installEventFilter(this);
  StringGrid->viewport()->installEventFilter(this);

  Image->OnMouseDown = [this](bool shift, bool ctrl) { ImageMouseDown(shift, ctrl); };
  Image->OnMouseMove = [this](int x, int y) { ImageMouseMove(x, y); };
  Image->OnMouseUp = [this] { ImageMouseUp(); };
  Image->OnResize = [this] { FormResize(); };
  connect(Image, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenuImage->popup(Image->mapToGlobal(at)); });
}

void TDatabaseForm::showEvent(QShowEvent* event) {
  ModalDialog::showEvent(event);
  LoadDatabase();
}

// Arrow and page keys and the wheel mark the row as changed; the wheel moves
// the selection by one row. The molecule is read right after the event.
bool TDatabaseForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right ||
        key == Qt::Key_PageUp || key == Qt::Key_PageDown)
      MarkRowChanged();
  } else if (event->type() == QEvent::Wheel && watched == StringGrid->viewport()) {
    GridRect selection = StringGrid->Selection();
    int step = static_cast<QWheelEvent*>(event)->angleDelta().y() > 0 ? -1 : 1;
    int row = std::clamp(selection.Top + step, StringGrid->FixedRows(), StringGrid->RowCount() - 1);
    StringGrid->SetSelection({selection.Left, row, selection.Left, row});
    StringGrid->ScrollIntoView(selection.Left, row);
    MarkRowChanged();
    return true;
  }
  return ModalDialog::eventFilter(watched, event);
}

void TDatabaseForm::MarkRowChanged() {
  rowChanged_ = true;
  if (rowWorkQueued_) return;
  rowWorkQueued_ = true;
  QTimer::singleShot(0, this, [this] { RowChangedWork(); });
}

void TDatabaseForm::RowChangedWork() {
  rowWorkQueued_ = false;
  if (!rowChanged_) return;
  rowChanged_ = false;
  if (StringGrid->isHidden()) return;
  view_.Reset();
  selectedRow_ = StringGrid->Selection().Top;
  ReadHinMolecule(selectedRow_);
}

const std::string& TDatabaseForm::Folder() const { return MainForm->GetDatabaseFolder(); }
const std::vector<std::string>& TDatabaseForm::Files() const { return MainForm->GetDatabaseFiles(); }
std::string TDatabaseForm::ColourMapPath() const { return MainForm->MainFolder() + "/" + kColourMapName; }

void TDatabaseForm::LoadDatabase() {
  BusyCursor busy;
  std::unique_ptr<Progress> progress = OpenProgressWindow(progressWindow_, "Loading database...");
  content_ = DatabaseContent();
  try {
    LoadDatabaseFiles(Folder(), Files(), content_, progress.get());
  } catch (const Exception& e) {
    Ui().MessageBox(e.Message, "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  } catch (...) {
    Ui().MessageBox("Cannot read database.", "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  }
  setWindowTitle(QStr(DatabaseCaption(content_)));
}

void TDatabaseForm::SetQueryInputs(bool cas, bool smiles, bool formula, bool name) {
  for (QLineEdit* e : {EditCAS_00, EditCAS_01, EditCAS_02}) e->setEnabled(cas);
  EditSMILES->setEnabled(smiles);
  ComboBoxSMtype->setEnabled(smiles);
  EditBruteF->setEnabled(formula);
  EditChem->setEnabled(name);
}

void TDatabaseForm::RadioButtonCASClick() { SetQueryInputs(true, false, false, false); }
void TDatabaseForm::RadioButtonSMILESClick() { SetQueryInputs(false, true, false, false); }
void TDatabaseForm::RadioButtonBruteFormClick() { SetQueryInputs(false, false, true, false); }
void TDatabaseForm::RadioButtonChemClick() { SetQueryInputs(false, false, false, true); }

void TDatabaseForm::CheckBoxDatasetClick() {
  ComboBoxDataset->setEnabled(CheckBoxDataset->isChecked());
  ButtonQueryClick();
}

QueryInput TDatabaseForm::Input() const {
  QueryInput input;
  input.mode = RadioButtonSMILES->isChecked()      ? QueryMode::Smiles
               : RadioButtonBruteForm->isChecked() ? QueryMode::Formula
               : RadioButtonChem->isChecked()      ? QueryMode::Name
                                                   : QueryMode::Cas;
  input.cas[0] = StdStr(EditCAS_00->text());
  input.cas[1] = StdStr(EditCAS_01->text());
  input.cas[2] = StdStr(EditCAS_02->text());
  input.smiles = StdStr(EditSMILES->text());
  input.smilesKind = ComboBoxSMtype->currentIndex() == 1 ? SmilesKind::Structure : SmilesKind::DatasetText;
  input.formula = StdStr(EditBruteF->text());
  input.name = StdStr(EditChem->text());
  input.dataset = CheckBoxDataset->isChecked() ? ComboBoxDataset->currentIndex() : -1;
  input.separate = CheckBoxSepar->isChecked();
  return input;
}

void TDatabaseForm::ButtonQueryClick() {
  StringGrid->SetColWidth(1, CheckBoxDataset->isChecked() ? 64 : -1);
  BusyCursor busy;
  std::unique_ptr<Progress> progress = OpenProgressWindow(progressWindow_, "Querying database...");
  DisableResultControls();
  QueryResult result = DatabaseQuery(content_, Folder(), Files()).Run(Input(), progress.get());
  if (result.mode == QueryMode::Cas && !RadioButtonCAS->isChecked()) RadioButtonCAS->setChecked(true);
  ShowResult(result);
}

void TDatabaseForm::ShowResult(const QueryResult& result) {
  const int cols = static_cast<int>(result.rows[0].size());
  StringGrid->SetRowCount(std::max(2, result.Hits() + 1));
  StringGrid->SetColCount(cols);
  for (int r = 1; r < StringGrid->RowCount(); ++r)
    for (int c = 0; c < cols; ++c)
      StringGrid->Cells(c, r) = r <= result.Hits() ? result.rows[r][c] : std::string();
  for (int c = 0; c < cols; ++c) StringGrid->Cells(c, 0) = result.rows[0][c];
  rowColours_.assign(static_cast<std::size_t>(StringGrid->RowCount()), kTableBackground);
  if (result.Hits() == 0) {
    Ui().MessageBox("Sorry, no molecules found.", "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
    return;
  }
  StaticTextFound->setText(QStr("Found: " + IntToStr(result.Hits())));
  for (int c = kFirstDataColumn; c < cols; ++c) StringGrid->SetColWidth(c, result.EmptyColumn(c) ? -1 : 64);
  EnableResultControls();
  if (!CheckBoxColor->isChecked()) SetColorControls(false);
  if (!CheckBoxRad->isChecked()) SetRadiusControls(false);
  StringGrid->SetSelection({2, 1, 2, 1});
  StringGrid->SetTopRow(1);
  rowChanged_ = false;
  // The same row number may have held another molecule: start from a fresh view.
  view_.Reset();
  view_.lastDrawnRow = -1;
  selectedRow_ = 1;
  ReadHinMolecule(1);
}

void TDatabaseForm::SetResultControls(bool on) {
  for (QWidget* w : {static_cast<QWidget*>(StringGrid), static_cast<QWidget*>(Image),
                     static_cast<QWidget*>(StaticTextFound)})
    w->setVisible(on);
  for (QWidget* w : {static_cast<QWidget*>(CheckBoxShowCH), static_cast<QWidget*>(SpeedButtonCopyImage),
                     static_cast<QWidget*>(SpeedButtonSaveImage), static_cast<QWidget*>(CheckBoxHideAll),
                     static_cast<QWidget*>(CheckBoxColor), static_cast<QWidget*>(CheckBoxInvBack),
                     static_cast<QWidget*>(CheckBoxRad), static_cast<QWidget*>(SpeedButtonCopy),
                     static_cast<QWidget*>(SpeedButtonSave), static_cast<QWidget*>(SpeedButtonExport)})
    w->setEnabled(on);
  for (QAction* a : {PopupCopy, PopupCopyreference, PopupShowreference, PopupSaveselected, PopupExportselected})
    a->setEnabled(on);
  if (on && CheckBoxHideAll->isChecked()) CheckBoxShowCH->setEnabled(false);
  SetColorControls(on);
  SetRadiusControls(on);
}

void TDatabaseForm::SetColorControls(bool on) {
  for (QWidget* w : {static_cast<QWidget*>(ComboBoxElemColor), static_cast<QWidget*>(StaticTextElemColor),
                     static_cast<QWidget*>(SpeedButtonSaveColMap), static_cast<QWidget*>(SpeedButtonResColMap)})
    w->setEnabled(on);
}

void TDatabaseForm::SetRadiusControls(bool on) {
  for (QWidget* w : {static_cast<QWidget*>(PanelRad), static_cast<QWidget*>(RadioButtonEmpRad),
                     static_cast<QWidget*>(RadioButtonCalcRad), static_cast<QWidget*>(RadioButtonVdwRad),
                     static_cast<QWidget*>(RadioButtonPlain), static_cast<QWidget*>(RadioButton3Ddots),
                     static_cast<QWidget*>(RadioButton3Dlines)})
    w->setEnabled(on);
}

// The database window's viewer and table commands: reading and drawing the
// selected molecule, its options and colours, copies and saves of the table
// and the image, and the structure export.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QPainter>
#include <QRadioButton>

#include "data/ProjectHost.h"
#include "database/DbbMain.h"
#include "platform/qt/ImageCanvas.h"
#include "platform/qt/ImageFiles.h"
#include "platform/qt/QtConvert.h"
#include "platform/qt/QtUiServices.h"
#include "platform/qt/ViewerCommon.h"

namespace {

constexpr TColor kTableBackground = clWhite;

void Report(const char* text, const char* caption, unsigned icon) { Ui().MessageBox(text, caption, MB_OK | icon); }

}  // namespace

ViewOptions TDatabaseForm::Options() const {
  ViewOptions o;
  o.color = CheckBoxColor->isChecked();
  o.invertBackground = CheckBoxInvBack->isChecked();
  o.showAllSymbols = CheckBoxShowCH->isChecked();
  o.hideAllSymbols = CheckBoxHideAll->isChecked();
  o.spheres = CheckBoxRad->isChecked();
  o.radiusKind = RadioButtonCalcRad->isChecked() ? 1 : RadioButtonVdwRad->isChecked() ? 2 : 0;
  o.style = RadioButton3Ddots->isChecked()    ? SphereStyle::Dots
            : RadioButton3Dlines->isChecked() ? SphereStyle::Lines
                                              : SphereStyle::Plain;
  return o;
}

void TDatabaseForm::ReadHinMolecule(int row) {
  BusyCursor busy;
  atoms_.clear();
  try {
    if (row < 1 || row >= StringGrid->RowCount()) throw Exception("no such row");
    const std::vector<std::string> cells = RowCells(row);
    int column = DataSetColumn(cells, StringGrid->Selection().Left);
    if (column < 0 || column - kFirstDataColumn >= static_cast<int>(Files().size()))
      throw Exception("no data set");
    atoms_ = ReadHinFile(HinPath(Folder(), Files()[column - kFirstDataColumn], cells[3]), colours_);
    if (!atoms_.empty()) box_ = CentreMolecule(atoms_);
  } catch (...) {
    atoms_.clear();
    Report("Cannot interpret molecule data.", "APPLICATION ERROR", MB_ICONERROR);
    return;
  }
  DrawMolecule();
}

void TDatabaseForm::DrawMolecule() {
  if (atoms_.empty()) return;
  QImage& picture = Image->Picture();
  if (picture.size() != Image->size()) picture = QImage(Image->size(), QImage::Format_RGB32);
  const bool spheres = CheckBoxRad->isChecked() && !view_.Dragging();
  std::unique_ptr<BusyCursor> busy = spheres ? std::make_unique<BusyCursor>() : nullptr;
  try {
    ImageCanvas canvas(picture);
    std::string name = selectedRow_ >= 1 && selectedRow_ < StringGrid->RowCount() ? StringGrid->Cells(2, selectedRow_) : "";
    std::string cas = selectedRow_ >= 1 && selectedRow_ < StringGrid->RowCount() ? StringGrid->Cells(3, selectedRow_) : "";
    drawing_.DrawMolecule(canvas, atoms_, box_, Options(), view_, selectedRow_, name, cas, [this] { Image->repaint(); });
  } catch (...) {
    Report("Sorry, cannot visualize molecule due to internal error.", "APPLICATION ERROR", MB_ICONERROR);
  }
  Image->update();
}

void TDatabaseForm::FormResize() {
  Image->Picture() = QImage(Image->size(), QImage::Format_RGB32);
  Image->Picture().fill(Qt::white);
  if (Image->isVisible()) DrawMolecule();
}

void TDatabaseForm::ImageMouseDown(bool shift, bool ctrl) { view_.MouseDown(shift, ctrl); }

void TDatabaseForm::ImageMouseMove(int x, int y) {
  if (view_.MouseMove(x, y)) DrawMolecule();
}

void TDatabaseForm::ImageMouseUp() {
  view_.MouseUp();
  if (CheckBoxRad->isChecked()) DrawMolecule();
}

void TDatabaseForm::CheckBoxHideAllClick() {
  CheckBoxShowCH->setEnabled(!CheckBoxHideAll->isChecked());
  DrawMolecule();
}

void TDatabaseForm::CheckBoxColorClick() {
  SetColorControls(CheckBoxColor->isChecked());
  CheckBoxInvBack->blockSignals(true);
  CheckBoxInvBack->setChecked(false);
  CheckBoxInvBack->blockSignals(false);
  CheckBoxInvBackClick();
}

void TDatabaseForm::CheckBoxInvBackClick() {
  if (!Image->Picture().isNull()) {
    ImageCanvas canvas(Image->Picture());
    SetViewColours(canvas, Options(), true);
  }
  DrawMolecule();
  Image->update();
}

void TDatabaseForm::CheckBoxRadClick() {
  SetRadiusControls(CheckBoxRad->isChecked());
  DrawMolecule();
}

void TDatabaseForm::RecolourAtoms() {
  for (ElemCoord& atom : atoms_) atom.colour = colours_.ColorOfSymbol(atom.element);
}

void TDatabaseForm::ComboBoxElemColorChange(int index) {
  if (index <= 0) return;
  const std::string symbol = colours_.SymbolAt(index - 1);
  if (symbol == "H" || symbol == "C") {
    Ui().MessageBox("Sorry, the color of " + symbol + " cannot be changed.", "APPLICATION MESSAGE",
                    MB_OK | MB_ICONINFORMATION);
    ComboBoxElemColor->setCurrentIndex(0);
    return;
  }
  if (auto colour = Ui().ChooseColor(colours_.ColorAt(index - 1))) {
    colours_.SetColorAt(index - 1, *colour & 0xFFFFFF);
    RecolourAtoms();
  }
  DrawMolecule();
}

void TDatabaseForm::SpeedButtonSaveColMapClick() {
  try {
    WriteColourMap(ColourMapPath(), colours_);
  } catch (...) {
    Report("Cannot save color map: check your privileges.", "APPLICATION WARNING", MB_ICONWARNING);
    return;
  }
  Report("Current color map saved as default.", "APPLICATION INFO", MB_ICONINFORMATION);
}

void TDatabaseForm::SpeedButtonResColMapClick() {
  colours_.Reset();
  RecolourAtoms();
  DrawMolecule();
}

void TDatabaseForm::SpeedButtonCopyImageClick() { SetClipboardImage(Image->Picture()); }

void TDatabaseForm::SpeedButtonSaveImageClick() {
  FileDialogOptions options;
  options.filter = "JPEG Image File (*.jpg)|*.jpg|Bitmaps (*.bmp)|*.bmp";
  FileChoice choice = Ui().SaveFileDialog(options);
  if (choice.Chosen()) SaveImage(choice.fileName, choice.filterIndex);
}

void TDatabaseForm::SaveImage(const std::string& fileName, int filterIndex) {
  const bool jpeg = filterIndex != 2;
  const std::string path = WithExtension(fileName, jpeg ? ".jpg" : ".bmp", false);
  if (!ConfirmOverwrite(path)) return;
  const QImage picture = Image->Picture();
  try {
    if (jpeg)
      SaveJpeg(picture, path);
    else
      SaveBitmap(picture, path);
  } catch (...) {
    Report("Cannot save image", "APPLICATION WARNING", MB_ICONWARNING);
  }
}

void TDatabaseForm::StringGridDrawCell(int col, int row, CellLook& look) const {
  if (look.selected || row < 1 || col < 1) return;
  TColor fill = col < static_cast<int>(columnColours_.size()) ? columnColours_[col] : kTableBackground;
  if (fill == kTableBackground && row < static_cast<int>(rowColours_.size())) fill = rowColours_[row];
  look.fill = fill;
}

std::vector<std::string> TDatabaseForm::RowCells(int row) const {
  std::vector<std::string> cells;
  for (int c = 0; c < StringGrid->ColCount(); ++c) cells.push_back(StringGrid->Cells(c, row));
  return cells;
}

TableRows TDatabaseForm::Rows() const {
  TableRows rows;
  for (int r = 0; r < StringGrid->RowCount(); ++r) rows.push_back(RowCells(r));
  return rows;
}

TableTextStyle TDatabaseForm::TextStyle() const {
  TableTextStyle style;
  for (int c = 0; c < StringGrid->ColCount(); ++c) style.hidden.push_back(StringGrid->ColWidth(c) == -1);
  style.references = content_.references;
  style.separator = MainForm->UserDecimalSeparator();
  return style;
}

CellRange TDatabaseForm::WholeTable() const {
  return {0, 0, StringGrid->ColCount() - 1, StringGrid->RowCount() - 1};
}

CellRange TDatabaseForm::SelectedRange() const {
  GridRect s = StringGrid->Selection();
  return {s.Left, s.Top, s.Right, s.Bottom};
}

void TDatabaseForm::PopupMenuPopup() {
  bool dataColumn = StringGrid->Selection().Left >= kFirstDataColumn;
  PopupCopyreference->setEnabled(dataColumn);
  PopupShowreference->setEnabled(dataColumn);
}

void TDatabaseForm::PopupCopyreferenceClick() {
  std::size_t k = static_cast<std::size_t>(StringGrid->Selection().Left - kFirstDataColumn);
  if (StringGrid->Selection().Left >= kFirstDataColumn && k < content_.references.size())
    Ui().SetClipboardText(content_.references[k]);
}

void TDatabaseForm::PopupShowreferenceClick() {
  std::size_t k = static_cast<std::size_t>(StringGrid->Selection().Left - kFirstDataColumn);
  if (StringGrid->Selection().Left >= kFirstDataColumn && k < content_.references.size())
    Ui().MessageBox(content_.references[k], "RESPONSE REFERENCE", MB_OK | MB_ICONINFORMATION);
}

void TDatabaseForm::PopupCopyClick() { Ui().SetClipboardText(SelectionCopyText(Rows(), SelectedRange(), TextStyle())); }

void TDatabaseForm::SpeedButtonCopyClick() {
  BusyCursor busy;
  std::unique_ptr<Progress> progress = progressWindow_ ? progressWindow_(true) : nullptr;
  if (progress) progress->SetText("Formatting...");
  std::string text = TableSaveText(Rows(), WholeTable(), TextStyle());
  if (progress) progress->SetText("Sending...");
  Ui().SetClipboardText(text);
}

void TDatabaseForm::SpeedButtonSaveClick() { SaveGridAsText(WholeTable()); }
void TDatabaseForm::PopupSaveselectedClick() { SaveGridAsText(SelectedRange()); }

void TDatabaseForm::SaveGridAsText(const CellRange& range) {
  FileDialogOptions options;
  options.filter = "Text file (*.txt)|*.txt";
  FileChoice choice = Ui().SaveFileDialog(options);
  if (!choice.Chosen()) return;
  const std::string path = WithExtension(choice.fileName, ".txt", false);
  if (!ConfirmOverwrite(path)) return;
  const std::string text = TableSaveText(Rows(), range, TextStyle());
  try {
    WriteTextFile(path, text);
  } catch (...) {
    Report("Cannot save file", "APPLICATION ERROR", MB_ICONERROR);
  }
}

void TDatabaseForm::SpeedButtonExportClick() { ExportStructures(1, StringGrid->RowCount() - 1); }

void TDatabaseForm::PopupExportselectedClick() {
  GridRect s = StringGrid->Selection();
  ExportStructures(std::max(1, s.Top), s.Bottom);
}

void TDatabaseForm::ExportStructures(int firstRow, int lastRow) {
  GridRect s = StringGrid->Selection();
  const int chosen = s.Left == s.Right ? s.Left : -1;
  std::vector<std::string> paths;
  for (int r = firstRow; r <= lastRow; ++r) {
    const std::vector<std::string> cells = RowCells(r);
    int column = DataSetColumn(cells, chosen);
    if (column < 0 || column - kFirstDataColumn >= static_cast<int>(Files().size())) continue;
    paths.push_back(HinPath(Folder(), Files()[column - kFirstDataColumn], cells[3]));
  }
  RunChooseDir(paths);
}

void TDatabaseForm::SetRangeColours(std::vector<TColor>& colours, int first, int last, const TColor* colour) {
  for (int i = std::max(0, first); i <= last && i < static_cast<int>(colours.size()); ++i)
    colours[i] = colour != nullptr ? *colour : kTableBackground;
  StringGrid->viewport()->update();
}

void TDatabaseForm::Changecolumncolor1Click() {
  GridRect s = StringGrid->Selection();
  if (auto colour = Ui().ChooseColor(columnColours_.at(s.Left))) SetRangeColours(columnColours_, s.Left, s.Right, &*colour);
}

void TDatabaseForm::Resetcolumncolor1Click() {
  SetRangeColours(columnColours_, StringGrid->Selection().Left, StringGrid->Selection().Right, nullptr);
}

void TDatabaseForm::Changerowcolor1Click() {
  GridRect s = StringGrid->Selection();
  if (auto colour = Ui().ChooseColor(kTableBackground)) SetRangeColours(rowColours_, s.Top, s.Bottom, &*colour);
}

void TDatabaseForm::Resetrowcolor1Click() {
  SetRangeColours(rowColours_, StringGrid->Selection().Top, StringGrid->Selection().Bottom, nullptr);
}

// The database window: queries the data sets of the "database" folder by CAS
// number, SMILES, formula or name, lists the hits, and shows the molecule of the
// selected row in a 3-D viewer with its options, copies, saves and exports.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "database/DatabaseQuery.h"
#include "database/ElemColor.h"
#include "database/HinReader.h"
#include "database/MoleculeDrawing.h"
#include "database/ResultTable.h"
#include "platform/base/UiServices.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/StringGrid.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QToolButton;

// The molecule picture: shows its image and passes mouse and size changes on.
class MoleculeImage : public QWidget {
public:
  explicit MoleculeImage(QWidget* parent);
  QImage& Picture() { return picture_; }

  std::function<void(bool shift, bool ctrl)> OnMouseDown;
  std::function<void(int x, int y)> OnMouseMove;
  std::function<void()> OnMouseUp;
  std::function<void()> OnResize;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  QImage picture_;
};

class TDatabaseForm : public ModalDialog {
public:
  explicit TDatabaseForm(QWidget* owner, ProgressWindowFactory progressWindow = {});
  ~TDatabaseForm() override;

  // Loading and query.
  void LoadDatabase();
  void ButtonQueryClick();
  void RadioButtonCASClick();
  void RadioButtonSMILESClick();
  void RadioButtonBruteFormClick();
  void RadioButtonChemClick();
  void CheckBoxDatasetClick();

  // The result table.
  void MarkRowChanged();  // mouse down, wheel, arrows and page keys
  void RowChangedWork();  // runs right after such an event
  void StringGridDrawCell(int col, int row, CellLook& look) const;
  void PopupMenuPopup();
  void PopupCopyClick();
  void PopupCopyreferenceClick();
  void PopupShowreferenceClick();
  void SpeedButtonCopyClick();
  void SpeedButtonSaveClick();
  void PopupSaveselectedClick();
  void SpeedButtonExportClick();
  void PopupExportselectedClick();
  void Changecolumncolor1Click();
  void Resetcolumncolor1Click();
  void Changerowcolor1Click();
  void Resetrowcolor1Click();

  // The viewer.
  void ReadHinMolecule(int row);
  void DrawMolecule();
  void SpeedButtonCopyImageClick();
  void SpeedButtonSaveImageClick();
  void SaveImage(const std::string& fileName, int filterIndex);
  void CheckBoxHideAllClick();
  void CheckBoxColorClick();
  void CheckBoxInvBackClick();
  void CheckBoxRadClick();
  void ComboBoxElemColorChange(int index);
  void SpeedButtonSaveColMapClick();
  void SpeedButtonResColMapClick();
  void ImageMouseDown(bool shift, bool ctrl);
  void ImageMouseMove(int x, int y);
  void ImageMouseUp();
  void FormResize();

  void SaveGridAsText(const CellRange& range);
  void ExportStructures(int firstRow, int lastRow);

  const DatabaseContent& Content() const { return content_; }
  const std::vector<ElemCoord>& Atoms() const { return atoms_; }
  const ElemColor& Colours() const { return colours_; }
  const ViewState& View() const { return view_; }
  int SelectedRow() const { return selectedRow_; }
  bool RowChanged() const { return rowChanged_; }
  // Runs the choose-directory window; tests replace it.
  std::function<void(const std::vector<std::string>& paths)> RunChooseDir;

  QLineEdit* EditCAS_00;
  QLineEdit* EditCAS_01;
  QLineEdit* EditCAS_02;
  QLineEdit* EditSMILES;
  QComboBox* ComboBoxSMtype;
  QLineEdit* EditBruteF;
  QLineEdit* EditChem;
  QRadioButton* RadioButtonCAS;
  QRadioButton* RadioButtonSMILES;
  QRadioButton* RadioButtonBruteForm;
  QRadioButton* RadioButtonChem;
  QCheckBox* CheckBoxDataset;
  QComboBox* ComboBoxDataset;
  QCheckBox* CheckBoxSepar;
  QPushButton* ButtonQuery;
  QLabel* StaticTextFound;
  ::StringGrid* StringGrid;
  MoleculeImage* Image;
  QCheckBox* CheckBoxShowCH;
  QCheckBox* CheckBoxHideAll;
  QCheckBox* CheckBoxColor;
  QCheckBox* CheckBoxInvBack;
  QComboBox* ComboBoxElemColor;
  QLabel* StaticTextElemColor;
  QToolButton* SpeedButtonSaveColMap;
  QToolButton* SpeedButtonResColMap;
  QCheckBox* CheckBoxRad;
  QFrame* PanelRad;
  QRadioButton* RadioButtonEmpRad;
  QRadioButton* RadioButtonCalcRad;
  QRadioButton* RadioButtonVdwRad;
  QRadioButton* RadioButtonPlain;
  QRadioButton* RadioButton3Ddots;
  QRadioButton* RadioButton3Dlines;
  QToolButton* SpeedButtonCopy;
  QToolButton* SpeedButtonSave;
  QToolButton* SpeedButtonExport;
  QToolButton* SpeedButtonCopyImage;
  QToolButton* SpeedButtonSaveImage;
  QMenu* PopupMenu;
  QAction* PopupCopy;
  QAction* PopupCopyreference;
  QAction* PopupShowreference;
  QAction* PopupSaveselected;
  QAction* PopupExportselected;
  QAction* Changecolumncolor1;
  QAction* Resetcolumncolor1;
  QAction* Changerowcolor1;
  QAction* Resetrowcolor1;
  QMenu* PopupMenuImage;
  QAction* Copyimagetoclipboard1;
  QAction* Saveimage1;

protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void BuildComponents();
  QWidget* BuildQueryPanel();
  QWidget* BuildViewerPanel();
  void BuildMenus();
  void Connect();
  void SetQueryInputs(bool cas, bool smiles, bool formula, bool name);
  QueryInput Input() const;
  void ShowResult(const QueryResult& result);
  void DisableResultControls() { SetResultControls(false); }
  void EnableResultControls() { SetResultControls(true); }
  void SetResultControls(bool on);
  void SetColorControls(bool on);
  void SetRadiusControls(bool on);
  ViewOptions Options() const;
  void RecolourAtoms();
  std::vector<std::string> RowCells(int row) const;
  TableRows Rows() const;
  TableTextStyle TextStyle() const;
  CellRange WholeTable() const;
  CellRange SelectedRange() const;
  void SetRangeColours(std::vector<TColor>& colours, int first, int last, const TColor* colour);
  std::string ColourMapPath() const;
  const std::string& Folder() const;
  const std::vector<std::string>& Files() const;

  ProgressWindowFactory progressWindow_;
  DatabaseContent content_;
  ElemColor colours_;
  MoleculeDrawing drawing_{colours_};
  std::vector<ElemCoord> atoms_;
  ViewBox box_;
  ViewState view_;
  std::vector<TColor> columnColours_;
  std::vector<TColor> rowColours_;
  int selectedRow_ = -1;
  bool rowChanged_ = false;
  bool rowWorkQueued_ = false;
};

// The external prediction set editor: a grid in which the user types or
// pastes objects and their values, then appends them to the data set as new
// objects (add mode) or replaces the data set's objects by the table, with a
// status column (table mode).
#pragma once

#include <memory>
#include <string>

#include "platform/qt/Dialogs.h"
#include "prepare/GridCells.h"

class ChemoData;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;
class StringGrid;
class UpDownControl;
struct CellLook;

class TFormAddExtData : public ModalDialog {
public:
  // Add mode: Accept appends the rows to the data set as new objects.
  static std::unique_ptr<TFormAddExtData> CreateForExternalSet(QWidget* owner, ChemoData* data);
  // Table mode: Accept replaces the data set's objects by the rows, the
  // splitting column giving their statuses; the name column is hidden.
  static std::unique_ptr<TFormAddExtData> CreateForTable(QWidget* owner, ChemoData* data, int splittingColumn);

  // The grid's fixed columns become n when n > 0.
  void SetFixedColumns(int n);

  // Event handlers.
  void SpeedButtonCopyClick();
  void SpeedButtonPasteClick();
  void SpeedButtonDeleteClick();
  void SpeedButtonCutClick();
  void SpeedButtonUndoClick();
  void SpeedButtonEditClick();
  void ButtonAcceptClick();
  void UpDownRowClick();
  void EditRowExit();
  void StringGridSetEditText(int col, int row, const std::string& text);
  void StringGridSelectCell(int col, int row);

  bool EditMode() const { return editMode_; }
  const std::string& UndoText() const { return undoText_; }

  QToolButton* SpeedButtonCopy;
  QToolButton* SpeedButtonPaste;
  QToolButton* SpeedButtonDelete;
  QToolButton* SpeedButtonUndo;
  QToolButton* SpeedButtonCut;
  QToolButton* SpeedButtonEdit;
  QPushButton* ButtonAccept;
  QPushButton* ButtonCancel;
  QLabel* StaticText1;
  QLineEdit* EditRow;
  UpDownControl* UpDownRow;
  ::StringGrid* StringGrid;
  QMenu* PopupMenu;
  QAction* PopupEditCells;

private:
  TFormAddExtData(QWidget* owner, ChemoData* data, int splittingColumn);
  void BuildComponents();
  void BuildPopupMenu();
  void InitWindow();
  void SetupGrid();
  void SetupRows();
  void StringGridDrawCell(int col, int row, CellLook& look) const;
  bool AddMode() const { return splittingColumn_ < 0; }

  ChemoData* data_;
  int splittingColumn_;
  std::string undoText_;
  GridCells cells_;
  bool editMode_ = false;
  // The text of the cell being typed into after its last accepted keystroke.
  int editCol_ = -1;
  int editRow_ = -1;
  std::string lastAccepted_;
};

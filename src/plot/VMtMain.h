// The matrix viewer: a labelled matrix of real or integer cells in a grid, with
// an optional lower-triangle view coloured by three thresholds, sorting of the
// rows by a column, row-label colours, copying and saving as text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "numerics/CheckedValue.h"
#include "platform/base/Canvas.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/StringGrid.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

// A numeric up-down pair of arrows with a position in [Min, Max].
class UpDownControl : public QWidget {
  Q_OBJECT
public:
  UpDownControl(int min, int max, QWidget* parent);
  int Position() const { return position_; }
  void SetPosition(int position);
  // The arrows' click: one step up or down within the limits, then Clicked.
  void Step(int delta);

signals:
  void Clicked();

private:
  int min_;
  int max_;
  int position_;
};

class TFormViewMatrix : public ModalDialog {
public:
  // The caller keeps the matrix, the labels (one per column and one per row)
  // and the row colours alive while the window exists; the window changes none.
  static std::unique_ptr<TFormViewMatrix> CreateForRealMatrix(QWidget* owner, CheckedMatrix* matrix,
                                                              const std::string* colLabels,
                                                              const std::string* rowLabels,
                                                              const std::string& title, uint8_t lowerTriangle,
                                                              uint8_t sortable, int fixedRows, int fixedCols);
  static std::unique_ptr<TFormViewMatrix> CreateForIntMatrix(QWidget* owner, CheckedIntMatrix* matrix,
                                                             const TColor* rowColors,
                                                             const std::string* colLabels,
                                                             const std::string* rowLabels,
                                                             const std::string& title, uint8_t lowerTriangle,
                                                             uint8_t sortable, int fixedRows, int fixedCols);
  ~TFormViewMatrix() override;

  // Event handlers.
  void SpeedButtonCopyClick();
  void SpeedButtonSaveToFileClick();
  void ComboBoxSortColChange() { SortRows(); }
  void ComboBoxAscDesChange() { SortRows(); }
  void UpDownClick() { UpdateThresholdEdits(); }
  void StringGridMouseDown();
  void StringGridMouseUp() { ResetSelection(); }
  void StringGridTopLeftChanged();
  void StringGridDrawCell(int col, int row, CellLook& look) const;

  QComboBox* ComboBoxSortCol = nullptr;
  QComboBox* ComboBoxAscDes = nullptr;
  QLabel* StaticTextSortBy = nullptr;
  QLabel* StaticTextOrder = nullptr;
  QLineEdit* EditLo = nullptr;
  QLineEdit* EditMi = nullptr;
  QLineEdit* EditHi = nullptr;
  UpDownControl* UpDownLo = nullptr;
  UpDownControl* UpDownMi = nullptr;
  UpDownControl* UpDownHi = nullptr;
  QToolButton* SpeedButtonCopy = nullptr;
  QToolButton* SpeedButtonSaveToFile = nullptr;
  ::StringGrid* StringGrid = nullptr;

private:
  TFormViewMatrix(QWidget* owner, CheckedMatrix* realMatrix, CheckedIntMatrix* intMatrix, const TColor* rowColors,
                  const std::string* colLabels, const std::string* rowLabels, const std::string& title,
                  uint8_t lowerTriangle, uint8_t sortable, int fixedRows, int fixedCols);
  void BuildComponents();
  void Construct();
  void SetupGridLabels();
  void SetupPanel();
  void FillCells();
  void SortRows();
  void UpdateThresholdEdits();
  void ResetSelection();
  // The rows of the shown matrix in output order, present cells of column k
  // sorted, missing ones last.
  std::vector<int32_t> SortedRowOrder(int k, bool descending) const;
  void CopySortedRows(const std::vector<int32_t>& order);
  void ReleaseSortedCopies();
  // The data text of one matrix cell: fixed notation with the given decimals,
  // or empty when the cell is missing.
  std::string NumberText(int row, int col, int decimals) const;
  bool CellPresent(int row, int col) const;
  int MatrixRows() const;
  int MatrixCols() const;
  // The text file of the save command.
  std::string SaveText() const;
  long double Threshold(const UpDownControl* upDown) const;

  CheckedMatrix* realMatrix_;
  CheckedIntMatrix* intMatrix_;
  std::unique_ptr<CheckedMatrix> sortedReal_;
  std::unique_ptr<CheckedIntMatrix> sortedInt_;
  const TColor* rowColors_;
  std::vector<TColor> sortedRowColors_;   // "*tpSortRowColorPtr"
  const std::string* colLabels_;
  const std::string* rowLabels_;
  std::vector<std::string> sortedRowLabels_;  // "*tpSortYlabelPtr"
  std::string title_;
  uint8_t lowerTriangle_;
  uint8_t sortable_;
  int fixedRows_;
  int fixedCols_;  // asked for; the grid fixes one more column while scrolled
  bool restoringFixedCols_ = false;
};

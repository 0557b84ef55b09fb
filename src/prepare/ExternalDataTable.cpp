#include "prepare/ExternalDataTable.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "data/ChemoData.h"
#include "numerics/Utils.h"
#include "platform/base/Exception.h"
#include "platform/base/NumberText.h"
#include "platform/base/UiServices.h"

namespace {

bool IsLoneSign(const std::string& text) { return text == "+" || text == "-"; }

// How the editor reports a typed text it refuses.
void ShowRefusal(const std::string& message) { Ui().MessageBox(message, "APPLICATION ERROR", MB_OK | MB_ICONERROR); }

bool Acceptable(const std::string& text, bool statusColumn) { return CellTextError(text, statusColumn).empty(); }

// A checked cell text: its status (status column) or its number.
struct CheckedCell {
  bool ok = false;
  long double value = 0.0L;
  int status = -1;
};

CheckedCell CheckCell(const std::string& text, bool statusColumn) {
  CheckedCell cell;
  if (!ValidateCell(text, statusColumn)) return cell;
  cell.ok = true;
  if (statusColumn)
    cell.status = text.empty() ? -1 : StrToInt(text);
  else
    cell.value = StrToFloat(text);
  return cell;
}

// The per-object arrays of a data set, built aside and then swapped in.
struct ObjectArrays {
  ObjectArrays(int objects, int vars)
      : rowPointers(MakeCheckedArray<CheckedValue*>(objects, "*tpTempValuePtr")),
        names(MakeCheckedArray<std::string>(objects, "*tpTempObjNamePtr")),
        status(MakeCheckedArray<int32_t>(objects, "*ipTempTrainingPtr")),
        count(objects) {
    for (int i = 0; i < objects; ++i) {
      rows.push_back(MakeCheckedArray<CheckedValue>(vars, "**tpTempValuePtr"));
      rowPointers[i] = rows.back().get();
    }
  }

  // Frees the data set's objects and gives it these.
  void MoveInto(ChemoData& data) {
    for (int32_t i = 0; i < data.iObjCount; ++i) delete[] data.tpChemoValuePtr[i];
    delete[] data.tpChemoValuePtr;
    for (auto& row : rows) row.release();
    data.tpChemoValuePtr = rowPointers.release();
    delete[] data.tpObjNameStrPtr;
    data.tpObjNameStrPtr = names.release();
    delete[] data.ipTrainingPtr;
    data.ipTrainingPtr = status.release();
    data.iObjCount = count;
  }

  std::unique_ptr<CheckedValue*[]> rowPointers;
  std::vector<std::unique_ptr<CheckedValue[]>> rows;
  std::unique_ptr<std::string[]> names;
  std::unique_ptr<int32_t[]> status;
  int count;
};

std::string ValueText(const CellStore& cells, int col, int row, char separator) {
  return FromSystemDecimalSeparator(cells.Cell(col, row), separator);
}

}  // namespace

std::string CellTextError(const std::string& text, bool statusColumn) {
  try {
    if (!statusColumn) {
      StrToFloat(text);
      return std::string();
    }
    if (text.empty()) return std::string();
    const int value = StrToInt(text);
    if (value == 1 || value == 2) return std::string();
    return text + " is not a valid splitting value, it must be 1 (training) and 2 (prediction)";
  } catch (const EConvertError& e) {
    return e.Message;
  } catch (...) {
    return "Unknown conversion error: please check your data.";
  }
}

bool ValidateCell(const std::string& text, bool statusColumn) {
  const std::string error = CellTextError(text, statusColumn);
  if (error.empty()) return true;
  ShowRefusal(error);
  return false;
}

std::string TypedCellText(const std::string& text, const std::string& lastAccepted, bool statusColumn) {
  if (text.empty() || IsLoneSign(text) || ValidateCell(text, statusColumn)) return text;
  const std::string shorter = text.substr(0, text.size() - 1);
  if (shorter.empty() || IsLoneSign(shorter) || Acceptable(shorter, statusColumn)) return shorter;
  return lastAccepted;
}

bool PasteText(CellStore& cells, const std::string& text, int startCol, int startRow, int statusCol, char separator) {
  const auto isEnd = [](char c) { return c == '\t' || c == '\r' || c == '\n'; };
  const std::size_t length = text.size();
  std::size_t pos = 0;
  int col = startCol;
  int row = startRow;
  while (pos < length) {
    const std::size_t begin = pos;
    while (pos < length && !isEnd(text[pos])) ++pos;
    std::string token = text.substr(begin, pos - begin);
    if (cells.Contains(col, row)) {
      if (!token.empty() && col > kNameColumn) {
        token = FromSystemDecimalSeparator(token, separator);
        if (!ValidateCell(token, col == statusCol)) return false;
      }
      cells.Cell(col, row) = token;
    }
    if (pos == length) break;
    const char end = text[pos++];
    if (end == '\t') ++col;
    // An LF that does not follow a CR ends the row by itself (Linux line ends).
    const bool lineFeedRow = end == '\n' && (pos < 2 || text[pos - 2] != '\r');
    const bool breakFollows = !lineFeedRow && pos < length && (text[pos] == '\r' || text[pos] == '\n');
    if (breakFollows) ++pos;
    if (lineFeedRow || breakFollows) {
      ++row;
      col = startCol;
    }
  }
  return true;
}

std::string GridToText(const CellStore& cells) {
  std::string text;
  for (int row = 1; row < cells.RowCount(); ++row) {
    if (row > 1) text += "\r\n";
    for (int col = 1; col < cells.ColCount(); ++col) {
      if (col > 1) text += '\t';
      text += cells.Cell(col, row);
    }
  }
  return text;
}

void RestoreGridText(CellStore& cells, const std::string& text) {
  if (text.empty()) return;  // nothing stored yet
  int row = 1;
  int col = kNameColumn;
  std::size_t begin = 0;
  while (true) {
    const std::size_t end = text.find_first_of("\t\r", begin);
    if (cells.Contains(col, row)) cells.Cell(col, row) = text.substr(begin, end - begin);
    if (end == std::string::npos) return;
    if (text[end] == '\t') {
      ++col;
      begin = end + 1;
    } else {
      ++row;
      col = kNameColumn;
      begin = end + 2;  // CR LF
    }
  }
}

std::string CopyCellsText(const CellStore& cells, GridRect rect, char separator) {
  std::string text;
  for (int row = rect.Top; row <= rect.Bottom; ++row) {
    if (row > rect.Top) text += "\r\n";
    for (int col = rect.Left; col <= rect.Right; ++col) {
      if (col > rect.Left) text += '\t';
      std::string cell = cells.Cell(col, row);
      if (col >= kFirstValueColumn)
        for (char& c : cell)
          if (c == '.') c = separator;
      text += cell;
    }
  }
  return text;
}

void DeleteCells(CellStore& cells, GridRect rect) {
  for (int row = rect.Top; row <= rect.Bottom; ++row)
    for (int col = rect.Left; col <= rect.Right; ++col) cells.Cell(col, row).clear();
}

std::optional<int> EditRowPosition(const std::string& text) {
  try {
    return std::clamp(StrToInt(text), 1, kMaxEditorRows);
  } catch (const EConvertError& e) {
    ShowRefusal(e.Message);
    return std::nullopt;
  }
}

void SetupRows(CellStore& cells, int rows, bool unknownMarks) {
  cells.SetRowCount(rows + 1);
  const int last = cells.ColCount() - 1;
  for (int row = 1; row <= rows; ++row) {
    cells.Cell(0, row) = IntToStr(row);
    if (unknownMarks && cells.Cell(last, row).empty()) cells.Cell(last, row) = kUnknownResponse;
  }
}

bool AcceptExternalSet(const CellStore& cells, ChemoData& data, char separator) {
  const int k = data.iObjCount;
  const int rows = cells.RowCount() - 1;
  const int vars = data.iVarCount;
  const int last = cells.ColCount() - 1;
  ObjectArrays fresh(k + rows, vars);
  for (int i = 0; i < k; ++i) {
    for (int j = 0; j < vars; ++j) fresh.rowPointers[i][j] = data.tpChemoValuePtr[i][j];
    fresh.names[i] = data.tpObjNameStrPtr[i];
    fresh.status[i] = data.ipTrainingPtr[i];
  }
  for (int r = 1; r <= rows; ++r) {
    const int obj = k + r - 1;
    for (int col = kFirstValueColumn; col < last; ++col) {
      const CheckedCell cell = CheckCell(ValueText(cells, col, r, separator), false);
      if (!cell.ok) return false;
      fresh.rowPointers[obj][col - kFirstValueColumn] = CheckedValue(cell.value, false);
    }
    fresh.names[obj] = cells.Cell(kNameColumn, r);
    const std::string response = ValueText(cells, last, r, separator);
    const CheckedCell cell = CheckCell(response, false);
    if (!cell.ok) return false;
    CheckedValue& target = fresh.rowPointers[obj][vars - 1];
    if (response == kUnknownResponse) {
      fresh.status[obj] = kStatusTraining;
      target.InitMissing();
    } else {
      fresh.status[obj] = kStatusPrediction;
      target = CheckedValue(cell.value, false);
    }
  }
  fresh.MoveInto(data);
  return true;
}

bool AcceptTable(const CellStore& cells, ChemoData& data, int statusCol, char separator) {
  const int rows = cells.RowCount() - 1;
  const int vars = data.iVarCount;
  ObjectArrays fresh(rows, vars);
  for (int r = 1; r <= rows; ++r) {
    const int obj = r - 1;
    fresh.names[obj] = cells.Cell(kNameColumn, r);
    for (int col = kFirstValueColumn; col < cells.ColCount(); ++col) {
      const bool statusColumn = col == statusCol;
      const CheckedCell cell = CheckCell(ValueText(cells, col, r, separator), statusColumn);
      if (!cell.ok) return false;
      if (statusColumn)
        fresh.status[obj] = cell.status;
      else if (col - kFirstValueColumn < vars)
        fresh.rowPointers[obj][col - kFirstValueColumn] = CheckedValue(cell.value, false);
    }
  }
  fresh.MoveInto(data);
  return true;
}

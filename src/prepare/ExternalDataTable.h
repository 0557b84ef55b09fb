// The table logic of the external prediction set editor: checking cell texts,
// pasting text into the cells, copying and deleting blocks, numbering the
// rows, and filling the data set from the table in its two modes (new objects
// appended, or a whole table with a status column).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "prepare/CellStore.h"

class ChemoData;

// The editor's layout: column 0 numbers the rows, column 1 holds the object
// names, columns 2 .. ColCount - 1 the variables; row 0 is the header.
constexpr int kNameColumn = 1;
constexpr int kFirstValueColumn = 2;
// The response text of an object whose response is not known.
inline const char* const kUnknownResponse = "-999";
constexpr int kMaxEditorRows = 32767;
// Clipboard text beyond this many characters is not pasted.
constexpr std::size_t kPasteLimit = 9999999;

// The message that refuses text in a value column (a real number) or in the
// status column (empty, 1 or 2); empty when the text is acceptable.
std::string CellTextError(const std::string& text, bool statusColumn);
// CellTextError, with the refusal shown as an error box; true when accepted.
bool ValidateCell(const std::string& text, bool statusColumn);

// What a cell holds after the user typed text into it (separator already
// turned into '.'), lastAccepted being its text after the previous keystroke:
// text itself when acceptable (a lone "+" or "-" is let through), else, after
// the refusal's message, text without its last character when that is
// acceptable, else lastAccepted.
std::string TypedCellText(const std::string& text, const std::string& lastAccepted, bool statusColumn);

// Writes TAB-separated text into the cells from (startCol, startRow) on. A TAB
// moves one column right; CR LF, a lone LF or a terminator followed by CR or LF
// starts the next row at startCol; a lone CR only ends the token. Cells outside
// the table are skipped. Value tokens are converted from the user's separator
// and refused tokens end the paste (false) after their message.
bool PasteText(CellStore& cells, const std::string& text, int startCol, int startRow, int statusCol, char separator);

// Columns 1 .. ColCount - 1 of rows 1 .. RowCount - 1, TAB between cells, CR LF between rows.
std::string GridToText(const CellStore& cells);
// Puts a GridToText text back as it stands, empty cells included (the undo);
// cells outside the table are skipped and an empty text changes nothing.
void RestoreGridText(CellStore& cells, const std::string& text);
// The block, TAB between cells, CR LF between rows; value columns with the user's separator.
std::string CopyCellsText(const CellStore& cells, GridRect rect, char separator);
void DeleteCells(CellStore& cells, GridRect rect);

// The row count the rows edit asks for: a negative number counts as 0, and the
// count is held within 1 .. 32767. A text that is no integer is refused after
// the conversion's message (nullopt), so that the rows and their cells stay.
std::optional<int> EditRowPosition(const std::string& text);
// Makes rows data rows (plus the header), numbers them and, with unknownMarks,
// writes "-999" into the empty cells of the last column.
void SetupRows(CellStore& cells, int rows, bool unknownMarks);

// Appends the table's rows to the data set as new objects: names from column 1,
// variables 0 .. nVars - 2 from the value columns, the last variable from the
// last column: "-999" makes a training object without a response, any other
// number a prediction object. Every cell is checked first; the first refusal
// (after its message) leaves the data set unchanged: false.
bool AcceptExternalSet(const CellStore& cells, ChemoData& data, char separator);
// Replaces the data set's objects by the table's rows: value columns into the
// variables before statusCol, the status column's 1, 2 or empty (-1) as the
// object's status. Every cell is checked first; a refusal leaves the data set
// unchanged: false.
bool AcceptTable(const CellStore& cells, ChemoData& data, int statusCol, char separator);

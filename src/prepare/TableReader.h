// Reads a delimited 8-bit text table into rows of fields, as the import grid shows it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/UiServices.h"

// The fields are kept as places in the text itself, so a large table costs its
// text and eight bytes a field, not a string per field.
class TextTable {
public:
  // Widest row (at least 1, so that an empty table still has one column).
  int ColCount = 1;

  // One row per line; a row holds the fields its line had (shorter rows leave the
  // remaining columns empty). An empty text gives no row at all.
  int RowCount() const { return static_cast<int>(rowFirstField_.size()); }
  int FieldCount(int row) const;
  // Field (col, row), 0-based; empty past the end of a short row. Valid while the
  // table lives.
  std::string_view Field(int col, int row) const;

private:
  friend class TableBuilder;
  struct Span {
    uint32_t offset;  // from the start of its line
    uint32_t length;
  };
  std::string bytes_;
  std::vector<std::size_t> rowStart_;       // the offset of each line in bytes_
  std::vector<std::size_t> rowFirstField_;  // the index of each row's first span
  std::vector<Span> spans_;
};

// Splits bytes into lines and fields.
// - CR ends a line; an LF right after a CR is ignored (CR LF is one line end); an LF
//   that does not follow a CR also ends a line.
// - A run of delimiters counts as one; a delimiter directly before a line end adds no
//   empty field; a leading delimiter gives an empty first field.
// - A last line without a line end is kept; the empty row opened by a final line end
//   is not.
// Fields are taken as read: no trimming, no quoting. The progress animation ticks
// while the bytes are read. A line longer than 4 GB is refused (Exception).
TextTable ReadDelimitedTable(std::string bytes, char delimiter, Progress* progress = nullptr);

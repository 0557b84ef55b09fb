// Reads a delimited 8-bit text table into rows of fields, as the import grid shows it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/base/UiServices.h"

struct TextTable {
  // Widest row (at least 1, so that an empty table still has one column).
  int ColCount = 1;
  // One entry per line; a row holds the fields its line had (shorter rows leave the
  // remaining columns empty). An empty text gives no row at all.
  std::vector<std::vector<std::string>> Rows;

  // Field (col, row), 0-based; empty past the end of a short row.
  const std::string& Field(int col, int row) const;
};

// Splits bytes into lines and fields.
// - CR ends a line; an LF right after a CR is ignored (CR LF is one line end); an LF
//   that does not follow a CR also ends a line.
// - A run of delimiters counts as one; a delimiter directly before a line end adds no
//   empty field; a leading delimiter gives an empty first field.
// - A last line without a line end is kept; the empty row opened by a final line end
//   is not.
// Fields are taken as read: no trimming, no quoting. The progress animation ticks
// while the bytes are read.
TextTable ReadDelimitedTable(std::string_view bytes, char delimiter, Progress* progress = nullptr);

// The example table shipped for the user (assets/help/example.txt), read for
// tests: chosen columns, every object a training object, "-999" missing.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data/ChemoData.h"

namespace validationtest {

// Per object of the table: its name, then the cells of the columns named, in that order.
inline std::vector<std::vector<std::string>> ExampleCells(const std::vector<std::string>& wanted) {
  std::ifstream in(KORVANE_ASSETS_DIR "/help/example.txt");
  std::string line, cell;
  std::getline(in, line);
  std::vector<std::string> header;
  for (std::istringstream cells(line); std::getline(cells, cell, '\t');) header.push_back(cell);
  std::vector<std::size_t> columns;
  for (const std::string& name : wanted) columns.push_back(std::find(header.begin(), header.end(), name) - header.begin());
  std::vector<std::vector<std::string>> rows;
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    for (std::istringstream row(line); std::getline(row, cell, '\t');) cells.push_back(cell);
    rows.push_back({cells.at(0)});
    for (std::size_t column : columns) rows.back().push_back(cells.at(column));
  }
  return rows;
}

// The columns named, in this order; the last one is the response.
inline void ReadExampleTable(ChemoData& data, const std::vector<std::string>& wanted) {
  const std::vector<std::vector<std::string>> rows = ExampleCells(wanted);
  const int vars = static_cast<int>(wanted.size());
  data.Allocate(vars, static_cast<int32_t>(rows.size()));
  data.iResponseIndex = vars - 1;
  for (int v = 0; v < vars; ++v) data.tpVarNameStrPtr[v] = wanted[v];
  for (std::size_t o = 0; o < rows.size(); ++o) {
    data.tpObjNameStrPtr[o] = rows[o][0];
    data.ipTrainingPtr[o] = kStatusTraining;
    for (int v = 0; v < vars; ++v) {
      const std::string& text = rows[o][v + 1];
      data.tpChemoValuePtr[o][v] = CheckedValue(std::strtold(text.c_str(), nullptr), text == "-999");
    }
  }
}

}  // namespace validationtest

// Small data sets for the set-up tests: values by rows, kMissing marking a
// missing cell, and the example table of the program's help folder; the texts
// of the messages shown.
#pragma once

#include "support/TestFolder.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data/ChemoData.h"
#include "platform/base/NumberText.h"
#include "prepare/TableReader.h"
#include "support/ScriptedUi.h"

constexpr long double kMissing = -987654.25L;

// Variables "V0", "V1", ...; objects "O0", "O1", ...; every object training.
inline void FillData(ChemoData& data, const std::vector<std::vector<long double>>& rows) {
  const int objects = static_cast<int>(rows.size());
  const int vars = objects == 0 ? 0 : static_cast<int>(rows[0].size());
  data.Allocate(vars, objects);
  for (int j = 0; j < vars; ++j) data.tpVarNameStrPtr[j] = "V" + std::to_string(j);
  for (int i = 0; i < objects; ++i) {
    data.tpObjNameStrPtr[i] = "O" + std::to_string(i);
    data.ipTrainingPtr[i] = kStatusTraining;
    for (int j = 0; j < vars; ++j) {
      CheckedValue& cell = data.tpChemoValuePtr[i][j];
      if (rows[i][j] == kMissing)
        cell.InitMissing();
      else
        cell = CheckedValue(rows[i][j], false);
    }
  }
}

// The variable lists of the set-up: selected, held and splitting variables.
inline void SetVarLists(ChemoData& data, const std::vector<int32_t>& selected, const std::vector<int32_t>& hold = {},
                        const std::vector<int32_t>& split = {}) {
  const auto set = [](int32_t*& list, int32_t& count, const std::vector<int32_t>& items) {
    delete[] list;
    list = new int32_t[items.size()];
    std::copy(items.begin(), items.end(), list);
    count = static_cast<int32_t>(items.size());
  };
  set(data.ipSelectedVarPtr, data.iSelectedVarCount, selected);
  set(data.ipSelectedHoldPtr, data.iSelectedHoldCount, hold);
  set(data.ipSelectedSplitPtr, data.iSelectedSplitCount, split);
}

inline std::string ExamplePath() { return KORVANE_ASSETS_DIR "/help/example.txt"; }

// The texts of the messages shown so far, in order.
inline std::vector<std::string> ShownTexts() {
  std::vector<std::string> texts;
  for (const ScriptedUi::Message& message : TestUi().Shown()) texts.push_back(message.text);
  return texts;
}
using Texts = std::vector<std::string>;

// The example table (names in column 0, variable names in row 0); empty
// fields are missing cells.
inline void LoadExample(ChemoData& data) {
  const TextTable table = ReadDelimitedTable(ReadFileText(ExamplePath()), '\t');
  const int vars = table.ColCount - 1;
  const int objects = table.RowCount() - 1;
  data.Allocate(vars, objects);
  for (int j = 0; j < vars; ++j) data.tpVarNameStrPtr[j] = table.Field(j + 1, 0);
  for (int i = 0; i < objects; ++i) {
    data.tpObjNameStrPtr[i] = table.Field(0, i + 1);
    data.ipTrainingPtr[i] = kStatusTraining;
    for (int j = 0; j < vars; ++j) {
      long double value = 0.0L;
      if (TryStrToFloat(table.Field(j + 1, i + 1), value))
        data.tpChemoValuePtr[i][j] = CheckedValue(value, false);
      else
        data.tpChemoValuePtr[i][j].InitMissing();
    }
  }
}

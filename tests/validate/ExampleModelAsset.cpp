// The example model shipped in assets/models/: Activity of the example table on
// MolWt and qed, fitted by the program and written as a single-model file. The
// test rebuilds it and compares it with the shipped file; with the environment
// variable KORVANE_WRITE_ASSETS set it writes the file instead.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "select/SingleModelFit.h"
#include "support/ScriptedUi.h"
#include "validate/SingleModelFile.h"

namespace {

const std::string kModelsDir = KORVANE_ASSETS_DIR "/models/";
const char* const kExampleModel = "Example activity on MolWt and qed.smd";

// The example table's columns MolWt, qed and Activity, in this order.
void ReadExample(ChemoData& data) {
  const char* const wanted[] = {"MolWt", "qed", "Activity"};
  std::ifstream in(KORVANE_ASSETS_DIR "/help/example.txt");
  std::string line, cell;
  std::getline(in, line);
  std::vector<std::string> header;
  for (std::istringstream cells(line); std::getline(cells, cell, '\t');) header.push_back(cell);
  std::vector<std::size_t> columns;
  for (const char* name : wanted) {
    columns.push_back(std::find(header.begin(), header.end(), name) - header.begin());
  }
  std::vector<std::vector<std::string>> rows;
  while (std::getline(in, line)) {
    rows.emplace_back();
    for (std::istringstream cells(line); std::getline(cells, cell, '\t');) rows.back().push_back(cell);
  }
  data.Allocate(3, static_cast<int32_t>(rows.size()));
  data.iResponseIndex = 2;
  for (int v = 0; v < 3; ++v) data.tpVarNameStrPtr[v] = wanted[v];
  for (std::size_t o = 0; o < rows.size(); ++o) {
    data.tpObjNameStrPtr[o] = rows[o][0];
    data.ipTrainingPtr[o] = kStatusTraining;
    for (int v = 0; v < 3; ++v) {
      const std::string& text = rows[o].at(columns[v]);
      data.tpChemoValuePtr[o][v] = CheckedValue(std::strtold(text.c_str(), nullptr), text == "-999");
    }
  }
  data.ipSelectedVarPtr = new int32_t[2]{0, 1};
  data.iSelectedVarCount = 2;
}

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(ExampleModelAsset, IsTheProgramsOwnFitAndEveryShippedModelApplies) {
  ChemoData data;
  ReadExample(data);
  DataResultList models(&data);
  TestUi().Reset();
  ASSERT_NE(FitSingleModel(models, data, false).model, nullptr);
  MemoryStream written;
  WriteSingleModelFile(written, *models.First(), data);
  const std::string path = kModelsDir + kExampleModel;
  if (std::getenv("KORVANE_WRITE_ASSETS") != nullptr) {
    std::filesystem::create_directories(kModelsDir);
    ASSERT_TRUE(SaveSingleModelFile(path, *models.First(), data));
  }
  EXPECT_EQ(FileBytes(path), written.Bytes());

  for (const auto& entry : std::filesystem::directory_iterator(kModelsDir)) {
    MemoryStream file(FileBytes(entry.path().string()));
    ChemoData applied;
    int shown = 0;
    ApplyStoredModel(file, applied, {{}, [&](DataResultNode&, ChemoData&) { ++shown; }});
    EXPECT_EQ(shown, 1) << entry.path();
  }
  EXPECT_TRUE(TestUi().Shown().empty());
}

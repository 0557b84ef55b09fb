// The example model shipped in assets/models/: Activity of the example table on
// MolWt and qed, fitted by the program and written as a single-model file. The
// test rebuilds it and compares it with the shipped file; with the environment
// variable KORVANE_WRITE_ASSETS set it writes the file instead.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "select/SingleModelFit.h"
#include "support/ScriptedUi.h"
#include "validate/ExampleData.h"
#include "validate/SingleModelFile.h"

namespace {

const std::string kModelsDir = KORVANE_ASSETS_DIR "/models/";
const char* const kExampleModel = "Example activity on MolWt and qed.smd";

// The example table's columns MolWt, qed and Activity, in this order.
void ReadExample(ChemoData& data) {
  validationtest::ReadExampleTable(data, {"MolWt", "qed", "Activity"});
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

#include "prepare/DataSetup.h"

#include <gtest/gtest.h>

#include "data/DataResult.h"
#include "data/ProjectFile.h"
#include "platform/base/Stream.h"
#include "prepare/SetupTestData.h"
#include "prepare/Splitting.h"

namespace {

TEST(DataSetup, LoadLaysMarksInOrderAndDropsBadIndices) {
  ChemoData data;
  FillData(data, {{1, 2, 3, 4, 5}});
  SetVarLists(data, {0, 1, 2, 7}, {1}, {3});
  data.iResponseIndex = 2;
  bool bad = false;
  DataSetup setup = LoadSetup(data, bad);
  EXPECT_TRUE(bad);
  EXPECT_EQ(setup.marks, (std::vector<VarMark>{VarMark::Selected, VarMark::Hold, VarMark::Response,
                                               VarMark::Splitting, VarMark::None}));
  EXPECT_EQ(setup.response, 2);

  SetVarLists(data, {0}, {1}, {3});
  data.iResponseIndex = 9;
  setup = LoadSetup(data, bad);
  EXPECT_TRUE(bad);
  EXPECT_EQ(setup.response, -1);
  data.iResponseIndex = 2;
  LoadSetup(data, bad);  // nothing bad this time
  EXPECT_FALSE(bad);
}

TEST(DataSetup, SummaryAndStatusTexts) {
  ChemoData data;
  // V0 response, V1 selected, V2 held.
  FillData(data, {{1, 1, 1}, {kMissing, 1, 1}, {1, kMissing, 1}, {1, 1, kMissing}, {1, 1, 1},
                  {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {kMissing, 1, 1}});
  const std::vector<int32_t> status = {1, 1, 1, 1, 1, 1, 2, 2, 1, 0};
  const std::vector<VarMark> marks = {VarMark::Response, VarMark::Selected, VarMark::Hold};
  const SetupSummary summary = SummariseSetup(data, status, 0, marks);
  EXPECT_EQ(summary.variables, (Texts{"V1", "V2"}));
  EXPECT_EQ(summary.missingCells, (Texts{"O2 - V1", "O3 - V2"}));
  EXPECT_EQ(summary.Text(),
            "Training: 6\t\tPrediction: 2\t\t\tVariables: 2\nExcluded: 1\t\tMissing: 2\t\t\tUnknown: 1");

  auto text = [&](int obj) { return ObjectStatusText(data, status, 0, marks, obj); };
  EXPECT_EQ(text(1), "Unknown");
  EXPECT_EQ(text(2), "Missing");
  EXPECT_EQ(ObjectStatusText(data, status, -1, marks, 1), "Training");
}

TEST(DataSetup, UnknownOutranksMissingAndTheFirstColumnCounts) {
  ChemoData data;
  // V0 selected, V1 response: O0 lacks both, O1 only V0, O2 only the response, O3 nothing.
  FillData(data, {{kMissing, kMissing}, {kMissing, 1}, {1, kMissing}, {1, 1}});
  const std::vector<int32_t> status = {1, 2, 1, 0};
  const std::vector<VarMark> marks = {VarMark::Selected, VarMark::Response};
  const Texts expected = {"Unknown", "Missing", "Unknown", "Excluded"};
  for (int obj = 0; obj < 4; ++obj) EXPECT_EQ(ObjectStatusText(data, status, 1, marks, obj), expected[obj]) << obj;
  SetVarLists(data, {0});
  data.iResponseIndex = 1;
  for (int obj = 0; obj < 4; ++obj) data.ipTrainingPtr[obj] = status[obj];
  for (int obj = 0; obj < 4; ++obj) EXPECT_EQ(StoredStatusText(data, obj), expected[obj]) << obj;
  data.ipTrainingPtr[0] = kStatusExcluded;  // an excluded object lacking its response is only missing
  EXPECT_EQ(StoredStatusText(data, 0), "Missing");
}

TEST(DataSetup, SplittingsAndTheCurrentOneGoBothWays) {
  ChemoData data;
  FillData(data, {{1, 2}, {3, 4}});
  bool bad = false;
  DataSetup setup = LoadSetup(data, bad);
  setup.splittings = {{"a", {1, 2}}, {"b", {2, 1}}};
  setup.currentSplit = 1;
  WriteSetup(data, setup, 1.0L);
  ASSERT_EQ(data.iSplitCount, 2);
  EXPECT_EQ(data.iCurrentSplit, 1);
  DataSetup loaded = LoadSetup(data, bad);
  EXPECT_EQ(loaded.currentSplit, 1);
  EXPECT_EQ(loaded.splittings[1].name, "b");
  EXPECT_EQ(loaded.splittings[1].status, (std::vector<int32_t>{2, 1}));

  loaded.splittings.clear();  // the last ones deleted
  WriteSetup(data, loaded, 1.0L);
  EXPECT_EQ(data.iSplitCount, 0);
  EXPECT_EQ(data.iCurrentSplit, 0);
  EXPECT_EQ(data.ipSplittingPtr, nullptr);
  EXPECT_EQ(data.tpSplitNameStrPtr, nullptr);
  for (VarMark mark : {VarMark::Selected, VarMark::Response, VarMark::Splitting, VarMark::Hold})
    EXPECT_EQ(VarMarkFromLabel(VariableStatusLabel(mark)), mark);
  EXPECT_EQ(VarMarkFromLabel("Unknown"), VarMark::None);
  EXPECT_EQ(VarMarkFromLabel(""), VarMark::None);
}

TEST(DataSetup, ResetKeepsOnlyTheStatuses) {
  ChemoData data;
  FillData(data, {{1, 2, 3}, {4, 5, 6}});
  SetVarLists(data, {0, 1}, {1}, {2});
  data.iResponseIndex = 2;
  data.ipTrainingPtr[1] = kStatusPrediction;
  bool bad = false;
  DataSetup setup = LoadSetup(data, bad);
  setup.splittings = {{"a", {1, 2}}};
  WriteSetup(data, setup, 0.5L);
  setup.status.pop_back();  // a status per object or nothing is written
  EXPECT_THROW(WriteSetup(data, setup, 0.25L), Exception);
  EXPECT_EQ(data.ldLOFSmoothing, 0.5L);
  ResetSetup(data);
  EXPECT_EQ(data.iSelectedVarCount + data.iSelectedHoldCount + data.iSelectedSplitCount + data.iSplitCount, 0);
  EXPECT_EQ(data.iResponseIndex, -1);
  EXPECT_EQ(data.ipTrainingPtr[1], kStatusPrediction);
  EXPECT_EQ(data.ldLOFSmoothing, 0.5L);
}

TEST(DataSetup, OrderedSplitOfTheExampleSurvivesTheProjectRecord) {
  ChemoData data;
  LoadExample(data);
  bool bad = false;
  DataSetup setup = LoadSetup(data, bad);
  setup.response = 0;
  setup.marks[0] = VarMark::Response;
  for (int j : {1, 2, 5, 6}) setup.marks[j] = VarMark::Selected;
  setup.marks[7] = VarMark::Hold;
  setup.marks[9] = VarMark::Splitting;
  ApplyOrderedSplitting(setup.status, OrderByResponse(data, 0), 3, 1, false);
  setup.splittings.push_back({"Split - 0", setup.status});
  WriteSetup(data, setup, 1.0L);

  MemoryStream stream;
  DataResultList models(&data);
  WriteProject(stream, data, models, nullptr);
  stream.Seek(0, SeekOrigin::Begin);
  ChemoData reopened;
  DataResultList reopenedModels(&reopened);
  ASSERT_EQ(OpenProject(stream, reopened, reopenedModels, nullptr, [] {}), ProjectOpenResult::Loaded);
  DataSetup restored = LoadSetup(reopened, bad);
  EXPECT_FALSE(bad);
  EXPECT_EQ(restored.status, setup.status);
  EXPECT_EQ(restored.marks, setup.marks);
  ASSERT_EQ(restored.splittings.size(), 1u);
  EXPECT_EQ(restored.splittings[0].status, setup.status);
  const int prediction = static_cast<int>(std::count(setup.status.begin(), setup.status.end(), 2));
  EXPECT_NEAR(prediction, data.iObjCount / 4, 2);
}

}  // namespace

#include "validate/SingleModelFile.h"

#include <gtest/gtest.h>

#include <random>

#include "data/ByteBuilder.h"
#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/RecordStreams.h"
#include "platform/base/NumberText.h"
#include "support/ScriptedUi.h"

namespace {

const int kStoredCells[] = {1, 2, 4, 5, 6, 7, 8, 10, 11, 39, 40, 41, 42, 43, 44, 45, 46, 47,
                            48 /* Clos' */, 49 /* Clos */, 50, 51, 53, 54};
const long double kX[] = {1, 2, 3, 4, 5};
const long double kY[] = {2.1L, 3.9L, 6.2L, 7.8L, 10.1L};
const long double kLoo[] = {2.2L, 4.0L, 6.1L, 7.9L, 9.8L};

// Columns "w", "y", "x  " (response y); objects t1..t5 training, then a
// prediction object, an excluded one and a training object without response.
void FillExampleData(ChemoData& data) {
  data.Allocate(3, 8);
  data.iResponseIndex = 1;
  const char* names[] = {"w", "y", "x  "};
  for (int v = 0; v < 3; ++v) data.tpVarNameStrPtr[v] = names[v];
  const int32_t status[] = {1, 1, 1, 1, 1, 2, 0, 1};
  for (int o = 0; o < 8; ++o) {
    data.tpObjNameStrPtr[o] = "t" + std::to_string(o + 1);
    data.ipTrainingPtr[o] = status[o];
    data.tpChemoValuePtr[o][0] = CheckedValue(100 + o, false);
    data.tpChemoValuePtr[o][1] = CheckedValue(o < 5 ? kY[o] : 9.0L, o == 7);
    data.tpChemoValuePtr[o][2] = CheckedValue(o < 5 ? kX[o] : 6.0L, false);
  }
}

long double* Reals(std::initializer_list<long double> values) {
  long double* p = new long double[values.size()];
  std::copy(values.begin(), values.end(), p);
  return p;
}

void FillExampleModel(DataResultNode& model) {
  model.iSelStatus = 1;
  model.iSize = 1;
  model.iTrainCount = 5;
  model.sName = "x  ";
  for (int n : kStoredCells) model.Cell(n) = CheckedValue(n + 0.5L, n == 41);
  model.ipSelVarIdxPtr = new int32_t[1]{2};
  model.ldpBModelCoeffPtr = Reals({0.05L, 1.99L});
  model.ldpBStdCoeffPtr = Reals({0.0L, 0.9987L});
  model.ldpBIntConfPtr = Reals({0.6304L, 0.1901L});
  model.ldpBSignifPtr = Reals({0.01L, 0.02L});
  model.ldpBStdErrPtr = Reals({0.3L, 0.4L});
  model.ldHstar = 1.2L;
  model.ldpTrainYCapPtr = Reals({2.2L, 4.0L, 6.1L, 7.9L, 9.8L});
}

struct Example {
  Example() {
    FillExampleData(data);
    FillExampleModel(model);
  }
  std::vector<uint8_t> File() {
    MemoryStream stream;
    WriteSingleModelFile(stream, model, data);
    return stream.Bytes();
  }
  ChemoData data;
  DataResultNode model;
};

std::vector<uint8_t> ProjectRecord(ChemoData& data) {
  MemoryStream stream;
  data.ReadWrite(&stream, kStreamWrite, 2);
  return stream.Bytes();
}

void ExpectEmpty(const ChemoData& data, const DataResultNode& model) {
  EXPECT_EQ(data.iVarCount, 0);
  EXPECT_EQ(data.iObjCount, 0);
  EXPECT_EQ(data.tpChemoValuePtr, nullptr);
  EXPECT_EQ(model.iSize, 0);
  EXPECT_EQ(model.ldpBModelCoeffPtr, nullptr);
}

}  // namespace

TEST(SingleModelFile, BytesFollowTheLayoutAndWritingChangesNothing) {
  Example e;
  std::vector<uint8_t> before = ProjectRecord(e.data);

  ByteBuilder b;
  b.Raw(std::vector<uint8_t>({'K', 'V', 'P', ' ', 'v', 'e', 'r', '.', ' ', '1', '.', '3', '0'}));
  for (int i = 0; i < 7; ++i) b.Int(' ', 1);
  b.Int(0, 1);
  b.Int(1).Int(1).Int(5).Text("x  ");
  for (int n : kStoredCells) b.Cell(n + 0.5L, n == 41);
  b.Int(1).Int(0);
  b.Int(2).Real(0.05L).Real(1.99L).Int(2).Real(0.0L).Real(0.9987L).Int(2).Real(0.6304L).Real(0.1901L);
  b.Real(1.2L).Int(5);
  for (long double v : kLoo) b.Real(v);
  ASSERT_EQ(b.bytes.size(), 760u);  // 673 + name length + 34 p + 10 nTrain
  b.Int(2).Int(5).Int(1).Int(1).Int(0).Text("x  ").Text("y");
  for (int o = 1; o <= 5; ++o) b.Text("t" + std::to_string(o));
  b.Int(5).Int(1).Int(1).Int(1).Int(1).Int(1);
  for (int o = 0; o < 5; ++o) b.Int(2).Cell(kX[o], false).Cell(kY[o], false);
  b.Int(1);

  EXPECT_EQ(e.File(), b.bytes);
  EXPECT_EQ(ProjectRecord(e.data), before);
  EXPECT_EQ(e.model.ipSelVarIdxPtr[0], 2);
  EXPECT_EQ(e.model.ldpBSignifPtr[1], 0.02L);
}

TEST(SingleModelFile, ReadGivesBackEveryStoredFieldWhateverTheHeader) {
  Example e;
  std::vector<uint8_t> file = e.File();
  for (const char* header : {"KVP ver. 1.30       ", "KVP ver. 1.00       ", "any other twenty chr"}) {
    std::copy(header, header + 20, file.begin());
    MemoryStream stream(file);
    ChemoData data;  // cleared: the model's indices are checked against the file's own columns
    DataResultNode model(&data);
    ReadSingleModelFile(stream, model, data);
    EXPECT_EQ(model.tpChemoData, &data);
    EXPECT_EQ(model.sName, "x  ");
    EXPECT_EQ(model.iSelStatus, 1);
    EXPECT_EQ(model.iTrainCount, 5);
    for (int n : kStoredCells) EXPECT_EQ(model.Cell(n).Value, n + 0.5L) << n;
    EXPECT_TRUE(model.Cell(41).Missing);
    EXPECT_EQ(model.ipSelVarIdxPtr[0], 0);
    EXPECT_EQ(model.ldpBModelCoeffPtr[1], 1.99L);
    EXPECT_EQ(model.ldpBIntConfPtr[0], 0.6304L);
    EXPECT_EQ(model.ldHstar, 1.2L);
    EXPECT_EQ(model.ldpTrainYCapPtr[4], 9.8L);
    for (int j = 0; j < 2; ++j) EXPECT_EQ(model.ldpBSignifPtr[j] + model.ldpBStdErrPtr[j], -2.0L);
    ASSERT_EQ(data.iVarCount, 2);
    EXPECT_EQ(data.tpVarNameStrPtr[1], "y");
    EXPECT_EQ(data.iResponseIndex, 1);
    EXPECT_EQ(data.tpObjNameStrPtr[4], "t5");
    EXPECT_EQ(data.tpChemoValuePtr[2][1].Value, 6.2L);
    // Written again, the read model and data give the same file.
    MemoryStream rewritten;
    WriteSingleModelFile(rewritten, model, data);
    const std::vector<uint8_t>& bytes = rewritten.Bytes();
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 21, bytes.end()), std::vector<uint8_t>(file.begin() + 21, file.end()));
  }
}

TEST(SingleModelFile, ReadKeepsTheFieldsItDoesNotStoreWhileTheyFit) {
  struct Case {
    int32_t splitObjects;  // objects of the kept splitting; the file holds 5
    int32_t held;          // held variable index; the file has 2 columns
    bool splittingKept;
    bool heldKept;
  };
  for (const Case& c : {Case{5, 1, true, true}, Case{7, 2, false, false}}) {
    Example e;
    MemoryStream stream(e.File());
    ChemoData data;
    data.Allocate(4, c.splitObjects);
    data.ldQ2F1Threshold = 0.5L;
    data.iSelectedHoldCount = 1;
    data.ipSelectedHoldPtr = new int32_t[1]{c.held};
    data.iSplitCount = 1;
    data.ipSplittingPtr = new int32_t*[1]{new int32_t[c.splitObjects]()};
    data.tpSplitNameStrPtr = new std::string[1]{"s"};
    DataResultNode model(&data);
    ReadSingleModelFile(stream, model, data);
    EXPECT_EQ(data.ldQ2F1Threshold, 0.5L);
    EXPECT_EQ(data.iSplitCount, c.splittingKept ? 1 : 0);
    EXPECT_EQ(data.ipSplittingPtr != nullptr, c.splittingKept);
    EXPECT_EQ(data.iSelectedHoldCount, c.heldKept ? 1 : 0);
  }
}

TEST(SingleModelFile, RefusesFilesWhoseCountsDoNotFitTheModel) {
  enum Fault { NoVariables, MissingResponse, SelectedIsResponse, ResponseIndex };
  for (Fault fault : {NoVariables, MissingResponse, SelectedIsResponse, ResponseIndex}) {
    Example e;
    if (fault == NoVariables) {
      e.model.iSize = 0;
    } else if (fault == MissingResponse) {
      e.data.tpChemoValuePtr[4][1].Missing = true;  // the file holds 4 training objects, the model 5
    }
    std::vector<uint8_t> file = e.File();
    ASSERT_GT(file.size(), 776u);
    if (fault == SelectedIsResponse) file[776] = 1;
    if (fault == ResponseIndex) file[file.size() - 4] = 0;
    MemoryStream stream(file);
    ChemoData data;
    DataResultNode model(&data);
    EXPECT_THROW(ReadSingleModelFile(stream, model, data), EDamagedRecord) << fault;
    ExpectEmpty(data, model);
  }
}

TEST(SingleModelFile, TruncatedFilesAreRefusedAndCorruptedOnesNeverHarm) {
  Example e;
  const std::vector<uint8_t> file = e.File();
  for (std::size_t size = 0; size < file.size(); ++size) {
    MemoryStream stream(std::vector<uint8_t>(file.begin(), file.begin() + size));
    ChemoData data;
    DataResultNode model(&data);
    EXPECT_THROW(ReadSingleModelFile(stream, model, data), EDamagedRecord) << size;
    ExpectEmpty(data, model);
  }
  std::mt19937 random(18);
  for (int trial = 0; trial < 400; ++trial) {
    std::vector<uint8_t> damaged = file;
    for (int k = 0; k < 3; ++k) damaged[random() % damaged.size()] = static_cast<uint8_t>(random());
    MemoryStream stream(damaged);
    ChemoData data;
    DataResultNode model(&data);
    try {
      ReadSingleModelFile(stream, model, data);
      EXPECT_EQ(data.iVarCount, model.iSize + 1);
    } catch (const Exception&) {
      ExpectEmpty(data, model);
    }
  }
}

TEST(SingleModelRecalculation, RefitsTheStoredColumnsWithTheExternalStatistics) {
  // The stored example with two prediction objects and one without a response.
  const long double x[] = {1, 2, 3, 4, 5, 2.5L, 4.5L, 6};
  const long double y[] = {2.1L, 3.9L, 6.2L, 7.8L, 10.1L, 5.2L, 9.3L, 0};
  ChemoData data(2, 8, 1);
  for (int o = 0; o < 8; ++o) {
    data.ipTrainingPtr[o] = o < 5 ? kStatusTraining : kStatusPrediction;
    data.tpChemoValuePtr[o][0] = CheckedValue(x[o], false);
    data.tpChemoValuePtr[o][1] = CheckedValue(y[o], o == 7);
  }
  TestUi().Reset();
  DataResultList models(&data);
  CalculateSingleModel(models, data);
  EXPECT_TRUE(TestUi().Shown().empty());
  ASSERT_EQ(models.Count(), 1);
  const DataResultNode& m = *models.First();
  auto text = [](long double v) { return FloatToStrF(v, FloatFormat::Fixed, 18, 4); };
  EXPECT_EQ(text(m.ldpBModelCoeffPtr[0]), "0.0500");
  EXPECT_EQ(text(m.ldpBModelCoeffPtr[1]), "1.9900");
  EXPECT_EQ(text(m.cvQ2F1.Value), "0.9897");
  EXPECT_EQ(text(m.cvQ2F2.Value), "0.9860");
  EXPECT_EQ(text(m.cvQ2F3.Value), "0.9926");
  EXPECT_EQ(text(m.cvCCCext.Value), "0.9928");

  // No training object: the engine's message, then the recalculation's own.
  for (int o = 0; o < 5; ++o) data.ipTrainingPtr[o] = kStatusExcluded;
  DataResultList none(&data);
  TestUi().Reset();
  CalculateSingleModel(none, data);
  EXPECT_EQ(none.Count(), 0);
  ASSERT_EQ(TestUi().Shown().size(), 2u);
  EXPECT_EQ(TestUi().Shown(0).text, "Zero rows matrix, cannot continue");
  EXPECT_EQ(TestUi().Shown(1).text, "Cannot calculate single model");
  EXPECT_EQ(TestUi().Shown(1).caption, "APPLICATION ERROR");
}

TEST(StoredModelApply, ShowsTheStoredModelOrTheRefitWithTheAddedObjects) {
  for (bool addPredictions : {false, true}) {
    Example e;
    e.model.ldpBModelCoeffPtr[0] = 0.5L;  // a refit gives 0.05 again
    MemoryStream stream(e.File());
    ChemoData data;
    StoredModelSteps steps;
    steps.addExternalSet = [&](ChemoData& d) {
      if (!addPredictions) return;
      d.ipTrainingPtr[4] = kStatusPrediction;
    };
    long double intercept = 0.0L;
    int shown = 0;
    steps.showModel = [&](DataResultNode& m, ChemoData& d) {
      EXPECT_EQ(&d, &data);
      intercept = m.ldpBModelCoeffPtr[0];
      ++shown;
    };
    ApplyStoredModel(stream, data, steps);
    EXPECT_EQ(shown, 1);
    EXPECT_NE(intercept == 0.5L, addPredictions);
  }
}

TEST(StoredModelApply, ARefitThatFailsShowsNoModel) {
  Example e;
  MemoryStream stream(e.File());
  ChemoData data;
  StoredModelSteps steps;
  steps.addExternalSet = [](ChemoData& d) {
    for (int32_t o = 0; o < d.iObjCount; ++o) d.ipTrainingPtr[o] = kStatusPrediction;
  };
  int shown = 0;
  steps.showModel = [&](DataResultNode&, ChemoData&) { ++shown; };
  TestUi().Reset();
  ApplyStoredModel(stream, data, steps);
  EXPECT_EQ(shown, 0);
  ASSERT_FALSE(TestUi().Shown().empty());
  EXPECT_EQ(TestUi().Shown().back().text, "Cannot calculate single model");
}

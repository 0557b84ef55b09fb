#include "data/ChemoData.h"

#include <gtest/gtest.h>

#include <limits>

#include "data/DataResult.h"
#include "data/RecordStreams.h"
#include "data/ByteBuilder.h"
#include "data/TestFiles.h"
#include "support/ScriptedUi.h"

namespace {

// Two objects by three variables with every stored field set to a distinct value.
void FillSample(ChemoData& d) {
  d.Allocate(3, 2);
  const std::string varNames[] = {"logP", "MW", "Y"}, objNames[] = {"A", ""};
  std::copy(varNames, varNames + 3, d.tpVarNameStrPtr);
  std::copy(objNames, objNames + 2, d.tpObjNameStrPtr);
  d.ipTrainingPtr[0] = 1;
  d.ipTrainingPtr[1] = 2;
  const CheckedValue rows[2][3] = {{{1.5L, false}, {2.5L, true}, {3.25L, false}},
                                   {{-4.0L, false}, {5e-300L, false}, {0.1L, false}}};
  for (int o = 0; o < 2; ++o) std::copy(rows[o], rows[o] + 3, d.tpChemoValuePtr[o]);
  d.ipSelectedVarPtr = new int32_t[2]{0, 1};
  d.iSelectedVarCount = 2;
  d.iResponseIndex = 2;
  d.ipSelectedSplitPtr = new int32_t[1]{1};
  d.iSelectedSplitCount = 1;
  d.ipSelectedHoldPtr = new int32_t[1]{0};
  d.iSelectedHoldCount = 1;
  d.ipSplittingPtr = new int32_t*[1]{new int32_t[2]{2, 0}};
  d.tpSplitNameStrPtr = new std::string[1]{"S1"};
  const std::pair<int32_t*, int32_t> settings[] = {
      {&d.iEnumSize, 2},   {&d.iAllSubsetUntil, 1}, {&d.iCombinations, 7}, {&d.iKeepPerSize, 5},
      {&d.iSplitCount, 1}, {&d.iCurrentSplit, 0},   {&d.iGAFirstSize, 1},  {&d.iGAUntil, 2},
      {&d.iGAPopSize, 30}, {&d.iGAGenerations, 40}, {&d.iGAMutation, 50},  {&d.iFitnessFunc, 3},
      {&d.iNextModelID, 17}};
  for (auto [field, value] : settings) *field = value;
  const std::pair<long double*, long double> reals[] = {
      {&d.ldQuikDelta, 0.05L},       {&d.ldLOFSmoothing, 0.5L},       {&d.ldQ2F1Threshold, 0.71L},
      {&d.ldQ2F2Threshold, 0.72L},   {&d.ldQ2F3Threshold, 0.73L},     {&d.ldCCCextThreshold, 0.86L},
      {&d.ldR2mAverThreshold, 0.66L}, {&d.ldR2mDeltaThreshold, 0.21L}};
  for (auto [field, value] : reals) *field = value;
}

std::vector<uint8_t> EmptyRecord() {
  ChemoData empty;
  return Written(empty, 2);
}

// The sample's record, field by field; version 0 lacks the model ID counter.
std::vector<uint8_t> SampleRecord(int version) {
  ByteBuilder b;
  b.Int(3).Int(2);
  b.Text("logP").Text("MW").Text("Y");
  b.Text("A").Text("");
  b.Int(2).Int(1).Int(2);
  b.Int(3).Cell(1.5L, false).Cell(2.5L, true).Cell(3.25L, false);
  b.Int(3).Cell(-4.0L, false).Cell(5e-300L, false).Cell(0.1L, false);
  b.Int(2).Int(0).Int(1);
  b.Int(2);
  b.Int(1).Int(1);
  b.Int(1).Int(0);
  b.Int(2).Int(1).Int(7).Int(5);
  b.Real(0.05L);
  b.Int(1).Int(0);
  b.Int(2).Int(2).Int(0);
  b.Text("S1");
  b.Int(1).Int(2).Int(30).Int(40).Int(50).Int(3);
  if (version > 0) b.Int(17);
  for (long double t : {0.71L, 0.72L, 0.73L, 0.86L, 0.66L, 0.21L}) b.Real(t);
  return b.bytes;
}

void ReadRecord(ChemoData& d, const std::vector<uint8_t>& bytes, int version) {
  MemoryStream stream(bytes);
  d.ReadWrite(&stream, kStreamRead, version);
}

}  // namespace

// Writing is checked against the layout; reading then needs only to give back what writes the same
// bytes, as every stored field holds a distinct value.
TEST(ChemoDataRecord, WritesTheLayoutByteForByteAndReadsEveryVersionBack) {
  ChemoData d;
  FillSample(d);
  EXPECT_EQ(Written(d, 2), SampleRecord(2));
  for (int version : {2, 1, 0}) {
    ChemoData r;
    ReadRecord(r, SampleRecord(version), version);
    EXPECT_EQ(Written(r, version), SampleRecord(version)) << version;
    EXPECT_EQ(r.iNextModelID, version > 0 ? 17 : 0);
    EXPECT_EQ(r.ldLOFSmoothing, 1.0L);  // not part of the record
  }
}

TEST(ChemoDataRecord, NoInfinityOrNaNIsWritten) {
  ChemoData d;
  FillSample(d);
  d.tpChemoValuePtr[0][0] = CheckedValue(std::numeric_limits<long double>::quiet_NaN(), false);
  d.ldQuikDelta = std::numeric_limits<long double>::infinity();
  ChemoData r;
  ReadRecord(r, Written(d, 2), 2);
  EXPECT_TRUE(r.tpChemoValuePtr[0][0].Missing);
  EXPECT_EQ(r.tpChemoValuePtr[0][0].Value, 0.0L);
  EXPECT_EQ(r.ldQuikDelta, -1.0L);
}

TEST(ChemoDataSingleModel, KeepsTrainingObjectsWithAResponseAndTheModelColumnsInTheLayout) {
  ChemoData d;
  d.Allocate(4, 4);
  d.iResponseIndex = 1;
  for (int v = 0; v < 4; ++v) d.tpVarNameStrPtr[v] = "V" + std::to_string(v);
  const int32_t status[] = {1, 1, 2, 1};
  for (int o = 0; o < 4; ++o) {
    d.tpObjNameStrPtr[o] = "O" + std::to_string(o);
    d.ipTrainingPtr[o] = status[o];
    for (int v = 0; v < 4; ++v) d.tpChemoValuePtr[o][v] = CheckedValue(o * 10 + v, false);
  }
  d.tpChemoValuePtr[1][1].Missing = true;  // no response: left out
  d.tpChemoValuePtr[3][2].Missing = true;  // a missing model value stays
  DataResultNode model;
  model.iSize = 2;
  model.ipSelVarIdxPtr = new int32_t[2]{3, 2};

  // Counts, the selected count and list, names, status, rows (model order, then
  // the response) and the response index.
  ByteBuilder b;
  b.Int(3).Int(2).Int(2).Int(2).Int(0).Int(1);
  b.Text("V3").Text("V2").Text("V1").Text("O0").Text("O3");
  b.Int(2).Int(1).Int(1);
  b.Int(3).Cell(3, false).Cell(2, false).Cell(1, false);
  b.Int(3).Cell(33, false).Cell(32, true).Cell(31, false);
  b.Int(2);
  MemoryStream stream;
  d.ReadWriteSingleModel(&stream, &model, kStreamWrite);
  EXPECT_EQ(stream.Bytes(), b.bytes);

  ChemoData r;
  r.iNextModelID = 9;
  stream.Seek(0, SeekOrigin::Begin);
  r.ReadWriteSingleModel(&stream, nullptr, kStreamRead);
  MemoryStream again;
  DataResultNode identity;
  identity.iSize = 2;
  identity.ipSelVarIdxPtr = new int32_t[2]{0, 1};
  r.ReadWriteSingleModel(&again, &identity, kStreamWrite);
  EXPECT_EQ(again.Bytes(), b.bytes);
  EXPECT_EQ(r.iNextModelID, 9);  // not part of the record

  std::vector<uint8_t> uneven = b.bytes;
  uneven[8] = 1;  // the selected list says 2 items, its array holds 1 (and the rest shifts)
  MemoryStream damaged(uneven);
  EXPECT_THROW(r.ReadWriteSingleModel(&damaged, nullptr, kStreamRead), EDamagedRecord);
  EXPECT_EQ(r.iVarCount, 0);

  std::vector<uint8_t> badStatus = b.bytes;
  badStatus[58] = 5;  // the first object's status
  MemoryStream impossible(badStatus);
  EXPECT_THROW(r.ReadWriteSingleModel(&impossible, nullptr, kStreamRead), EDamagedRecord);

  model.ipSelVarIdxPtr[1] = 4;  // a column the data set does not have
  EXPECT_THROW(d.ReadWriteSingleModel(&stream, &model, kStreamWrite), Exception);
}

TEST(ChemoDataRoles, TrainingAndPredictionObjectsNeedTheirStatusAndAResponse) {
  ChemoData d(2, 4, 1);
  const int32_t status[] = {1, 2, 2, 0};
  for (int o = 0; o < 4; ++o) d.ipTrainingPtr[o] = status[o];
  d.tpChemoValuePtr[2][1].Missing = true;
  const bool training[] = {true, false, false, false};
  const bool prediction[] = {false, true, false, false};
  for (int o = 0; o < 4; ++o) {
    EXPECT_EQ(d.IsTrainingObject(o), training[o]) << o;
    EXPECT_EQ(d.IsPredictionObject(o), prediction[o]) << o;
  }
  d.iResponseIndex = -1;
  EXPECT_FALSE(d.IsTrainingObject(0));
}

// The masks follow the same roles; a null mask is left out, and without a
// response column every object lacks a response.
TEST(ChemoDataRoles, ObjectMasksMarkPredictionTrainingAndMissingObjects) {
  ChemoData d(2, 5, 1);
  const int32_t status[] = {1, 2, 2, 0, 1};
  for (int o = 0; o < 5; ++o) d.ipTrainingPtr[o] = status[o];
  d.tpChemoValuePtr[2][1].Missing = true;
  d.tpChemoValuePtr[4][1].Missing = true;
  std::vector<uint8_t> prediction(5, 7), training(5, 7), missing(5, 7);
  d.BuildObjectMasks(prediction.data(), training.data(), missing.data());
  EXPECT_EQ(prediction, (std::vector<uint8_t>{0, 1, 0, 0, 0}));
  EXPECT_EQ(training, (std::vector<uint8_t>{1, 0, 0, 0, 0}));
  EXPECT_EQ(missing, (std::vector<uint8_t>{0, 0, 1, 0, 1}));

  d.iResponseIndex = 0;  // the first column is a response like any other
  d.BuildObjectMasks(nullptr, training.data(), missing.data());
  EXPECT_EQ(training, (std::vector<uint8_t>{1, 0, 0, 0, 1}));
  EXPECT_EQ(missing, (std::vector<uint8_t>(5, 0)));

  d.iResponseIndex = -1;
  d.BuildObjectMasks(nullptr, training.data(), missing.data());
  EXPECT_EQ(training, (std::vector<uint8_t>(5, 0)));
  EXPECT_EQ(missing, (std::vector<uint8_t>(5, 1)));
}

TEST(ChemoDataRecord, ClearingRestoresEveryDefaultAndAClearedSetReadsBack) {
  ChemoData d;
  FillSample(d);
  d.ldLOFSmoothing = 0.5L;
  d.Clear();
  EXPECT_EQ(Written(d, 2), EmptyRecord());
  EXPECT_EQ(d.tpChemoValuePtr, nullptr);
  EXPECT_EQ(d.ipSplittingPtr, nullptr);
  EXPECT_EQ(d.iResponseIndex, -1);
  EXPECT_EQ(d.iKeepPerSize, -1);
  EXPECT_EQ(d.ldQuikDelta, -1.0L);
  EXPECT_EQ(d.ldLOFSmoothing, 1.0L);
  for (int32_t count : {d.iEnumSize, d.iAllSubsetUntil, d.iCombinations, d.iCurrentSplit, d.iGAFirstSize, d.iGAUntil,
                        d.iGAPopSize, d.iGAGenerations, d.iGAMutation, d.iFitnessFunc, d.iNextModelID,
                        d.iSelectedHoldCount})
    EXPECT_EQ(count, 0);
  const long double thresholds[] = {d.ldQ2F1Threshold,   d.ldQ2F2Threshold,    d.ldQ2F3Threshold,
                                    d.ldCCCextThreshold, d.ldR2mAverThreshold, d.ldR2mDeltaThreshold};
  EXPECT_EQ(std::vector<long double>(thresholds, thresholds + 6),
            (std::vector<long double>{0.7L, 0.7L, 0.7L, 0.85L, 0.65L, 0.2L}));

  ChemoData r;
  FillSample(r);
  ReadRecord(r, Written(d, 2), 2);
  EXPECT_EQ(Written(r, 2), Written(d, 2));
}

TEST(ChemoDataRecord, ImpossibleContentIsADamagedRecordThatLeavesAnEmptySet) {
  struct Case {
    const char* what;
    std::size_t at;  // byte offset in the sample record
    int32_t value;
  };
  const std::vector<uint8_t> sample = SampleRecord(2);
  auto offsetOf = [&](const ByteBuilder& prefix) { return prefix.bytes.size(); };
  ByteBuilder head;
  head.Int(3).Int(2).Text("logP").Text("MW").Text("Y").Text("A").Text("");
  const std::size_t statusAt = offsetOf(head) + 4;
  head.Int(2).Int(1).Int(2);
  const std::size_t firstRowAt = offsetOf(head);
  head.Int(3).Cell(1.5L, false).Cell(2.5L, true).Cell(3.25L, false);
  head.Int(3).Cell(-4.0L, false).Cell(5e-300L, false).Cell(0.1L, false);
  head.Int(2).Int(0).Int(1);
  const std::size_t responseAt = offsetOf(head);
  head.Int(2).Int(1).Int(1).Int(1).Int(0).Int(2).Int(1).Int(7).Int(5).Real(0.05L);
  const std::size_t splitCountAt = offsetOf(head);
  const Case cases[] = {{"status", statusAt, 3},
                        {"selected variable", responseAt - 4, 3},
                        {"response index", responseAt, 3},
                        {"response index", responseAt, -2},
                        {"splitting variable", responseAt + 8, 3},
                        {"held variable", responseAt + 16, -1},
                        {"splitting count", splitCountAt, -1}};
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = sample;
    for (int i = 0; i < 4; ++i) bytes[c.at + i] = static_cast<uint8_t>(static_cast<uint32_t>(c.value) >> (8 * i));
    ChemoData r;
    FillSample(r);
    EXPECT_THROW(ReadRecord(r, bytes, 2), EDamagedRecord) << c.what;
    EXPECT_EQ(Written(r, 2), EmptyRecord()) << c.what;
  }
  // A row stored empty while the set has variables.
  ByteBuilder emptyRow;
  emptyRow.Raw(std::vector<uint8_t>(sample.begin(), sample.begin() + firstRowAt)).Int(0);
  emptyRow.Raw(std::vector<uint8_t>(sample.begin() + firstRowAt + 4 + 3 * 24, sample.end()));
  ChemoData r;
  EXPECT_THROW(ReadRecord(r, emptyRow.bytes, 2), EDamagedRecord);
}

TEST(ChemoDataRecord, WithoutAStreamNothingIsReadOrWrittenAndTheUserIsTold) {
  ChemoData d;
  FillSample(d);
  TestUi().Clear();
  d.ReadWrite(nullptr, kStreamRead, 2);
  d.ReadWrite(nullptr, kStreamWrite, 2);
  d.ReadWriteSingleModel(nullptr, nullptr, kStreamRead);
  EXPECT_EQ(Written(d, 2), SampleRecord(2));
  ASSERT_EQ(TestUi().Shown().size(), 3u);
  EXPECT_EQ(TestUi().Shown(0).text, "Empty file pointer: cannot read data");
  EXPECT_EQ(TestUi().Shown(1).text, "Empty file pointer: cannot write data");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION ERROR");
}

TEST(ChemoDataSettings, EachImpossibleSearchSettingAloneIsResetToItsDefault) {
  EXPECT_FALSE(ChemoData().ResetImpossibleSearchSettings());  // the defaults are possible
  const int32_t most = std::numeric_limits<int32_t>::max();
  struct Case {
    int32_t ChemoData::*field;
    int32_t lowest, highest, fallback;
  };
  // The sample's pool holds 2 selected variables and it has 1 splitting.
  const Case cases[] = {
      {&ChemoData::iEnumSize, 0, 2, 0},         {&ChemoData::iAllSubsetUntil, 0, 2, 0},
      {&ChemoData::iGAFirstSize, 0, 2, 0},      {&ChemoData::iGAUntil, 0, 2, 0},
      {&ChemoData::iGAPopSize, 0, most, 0},     {&ChemoData::iGAGenerations, 0, most, 0},
      {&ChemoData::iGAMutation, 0, most, 0},    {&ChemoData::iNextModelID, 0, most, 0},
      {&ChemoData::iCombinations, -1, most, 0}, {&ChemoData::iKeepPerSize, -1, most, -1},
      {&ChemoData::iFitnessFunc, 0, 3, 0},      {&ChemoData::iCurrentSplit, 0, 0, 0},
  };
  for (const Case& c : cases) {
    ChemoData d;
    FillSample(d);
    const int32_t kept = d.*c.field;
    std::vector<int32_t> impossible = {c.lowest - 1, std::numeric_limits<int32_t>::min()};
    if (c.highest < most) impossible.push_back(c.highest + 1);
    for (int32_t value : {c.lowest, c.highest}) {
      d.*c.field = value;
      EXPECT_FALSE(d.ResetImpossibleSearchSettings()) << value;
      EXPECT_EQ(d.*c.field, value);
    }
    for (int32_t value : impossible) {
      d.*c.field = value;
      EXPECT_TRUE(d.ResetImpossibleSearchSettings()) << value;
      EXPECT_EQ(d.*c.field, c.fallback) << value;
    }
    d.*c.field = kept;
    EXPECT_EQ(Written(d, 2), SampleRecord(2));  // nothing else was touched
  }
  ChemoData unsplit;  // without splittings the current splitting is 0
  unsplit.iCurrentSplit = 1;
  EXPECT_TRUE(unsplit.ResetImpossibleSearchSettings());
  EXPECT_EQ(unsplit.iCurrentSplit, 0);
}

#include "data/DataResult.h"

#include <gtest/gtest.h>

#include "data/ByteBuilder.h"
#include "data/ChemoData.h"
#include "data/TestFiles.h"
#include "data/RecordStreams.h"
#include "support/ScriptedUi.h"

namespace {

bool IsInt(int n) { return (n >= 12 && n <= 17) || n == 22 || n == 85; }

// A count that can be: objects 1 to 6 for the outlier counts, 4 criteria met
// for cell 22; cell 85 is no count.
int32_t PossibleCount(int n) { return n == 85 ? n : n == 22 ? 4 : n - 11; }

// Cell n holds n + 0.25 (an int cell a possible count); every third cell is missing.
void FillCells(DataResultNode& node) {
  for (int n = 1; n <= kModelCellCount; ++n) {
    if (IsInt(n)) {
      node.IntCell(n) = CheckedIntValue(PossibleCount(n), n % 3 == 0);
    } else {
      node.Cell(n) = CheckedValue(n + 0.25L, n % 3 == 0);
    }
  }
}

long double* Reals(std::initializer_list<long double> values) {
  long double* p = new long double[values.size()];
  std::copy(values.begin(), values.end(), p);
  return p;
}

// A model of p = 2 variables fitted on n = 3 objects, every stored field distinct.
void FillModel(DataResultNode& node, int seed) {
  FillCells(node);
  node.iSelStatus = 3;
  node.iSize = 2;
  node.iTrainCount = 3;
  node.iID = 40 + seed;
  node.sName = "MW  logP  ";
  node.ipSelVarIdxPtr = new int32_t[2]{1, seed};
  node.ldpBModelCoeffPtr = Reals({0.5L, -1.5L, 2.5L + seed});
  node.ldpBStdCoeffPtr = Reals({0.0L, 0.1L, 0.2L});
  node.ldpBIntConfPtr = Reals({1e-5L, 2e-5L, 3e-5L});
  node.ldpBSignifPtr = Reals({0.01L, 0.02L, 0.03L});
  node.ldpBStdErrPtr = Reals({0.4L, 0.5L, 0.6L});
  node.ldHstar = 3.0L;
  node.ldpTrainYCapPtr = Reals({7.0L, 8.0L, 9.0L});
}

void AddCells(ByteBuilder& b, DataResultNode& node, std::initializer_list<int> numbers) {
  for (int n : numbers) {
    if (IsInt(n)) {
      b.IntCell(node.IntCell(n).Value, node.IntCell(n).Missing);
    } else {
      b.Cell(node.Cell(n).Value, node.Cell(n).Missing);
    }
  }
}

void ExpectUndefinedErrorArrays(const DataResultNode& node) {
  for (int j = 0; j <= node.iSize; ++j) {
    EXPECT_EQ(node.ldpBSignifPtr[j], -1.0L);
    EXPECT_EQ(node.ldpBStdErrPtr[j], -1.0L);
  }
}

std::vector<uint8_t> Write(DataResultNode& node, bool singleModel) {
  MemoryStream stream;
  if (singleModel) {
    node.ReadWriteSingleModel(stream, kStreamWrite, 2);
  } else {
    node.ReadWrite(stream, kStreamWrite, 2);
  }
  return stream.Bytes();
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, std::size_t from, std::size_t to) {
  return std::vector<uint8_t>(bytes.begin() + from, bytes.begin() + to);
}

}  // namespace

TEST(ModelRecord, SizesFollowNameVariablesAndTrainingCount) {
  DataResultNode node;
  FillModel(node, 0);
  const int L = 10, p = 2, n = 3;
  EXPECT_EQ(Write(node, false).size(), static_cast<size_t>(1992 + L + 34 * p + 10 * n));
  EXPECT_EQ(Write(node, true).size(), static_cast<size_t>(652 + L + 34 * p + 10 * n));
  DataResultNode empty;
  EXPECT_EQ(Write(empty, false).size(), 1992u);  // arrays never filled write undefined values
}

TEST(ModelRecord, ProjectFormWritesTheLayoutByteForByte) {
  DataResultNode node;
  FillModel(node, 0);
  ByteBuilder b;
  b.Int(3).Int(2).Int(3).Int(40).Text("MW  logP  ");
  AddCells(b, node, {1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 22});
  AddCells(b, node, {23, 27, 31, 35, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53,
                     54, 55, 56, 57, 58, 61, 66, 67, 68, 70, 72, 73, 74, 76, 78, 79, 80, 82});
  b.Int(2).Int(1).Int(0);
  for (const long double* values : {node.ldpBModelCoeffPtr, node.ldpBStdCoeffPtr, node.ldpBIntConfPtr}) {
    b.Int(3).Real(values[0]).Real(values[1]).Real(values[2]);  // p + 1 values each
  }
  b.Real(3.0L).Int(3).Real(7.0L).Real(8.0L).Real(9.0L);  // h*, the n training estimates
  AddCells(b, node, {69, 71, 75, 77, 81, 83, 59, 60, 62, 63, 64, 65, 24, 25, 26, 28, 29,
                     30, 32, 33, 34, 36, 37, 38, 85, 84, 18, 19, 20, 21, 3,  16, 17});
  EXPECT_EQ(Write(node, false), b.bytes);
}

// The writer is checked against the layout above; a read that writes the same bytes again has kept
// every stored field, as all of them hold distinct values.
TEST(ModelRecord, ListRoundTripsEveryStoredField) {
  ChemoData data(3, 6, -1);
  DataResultList list(&data);
  FillModel(*list.Append(), 0);
  FillModel(*list.Append(), 2);
  list.First()->tsTrainLev.iCount = 1;
  list.First()->tsTrainLev.ldpValuePtr = Reals({0.3L});
  const std::vector<uint8_t> bytes = Written(list);

  DataResultList read(&data);
  MemoryStream stream(bytes);
  read.ReadWrite(&stream, kStreamRead, 2);
  ASSERT_EQ(read.Count(), 2);
  EXPECT_EQ(Written(read), bytes);
  for (DataResultNode* b = read.First(); b != nullptr; b = b->Next()) {
    ExpectUndefinedErrorArrays(*b);
    EXPECT_EQ(b->tsTrainLev.iCount, 0);
    EXPECT_EQ(b->tpChemoData, &data);
  }
}

TEST(ModelRecord, ReadsVersionZeroWithoutIdAndSecondGroup) {
  DataResultNode node;
  FillModel(node, 0);
  const std::vector<uint8_t> v2 = Write(node, false);
  // version 0: no ID at 12..15, and the record ends before the second cell group (offset in version 2)
  const std::size_t secondGroup = 16 + 4 + 10 + 10 * 24 + 5 * 8 + 37 * 24 + (4 + 8) + 3 * (4 + 30) + 10 + (4 + 30);
  ByteBuilder v0;
  v0.Raw(Slice(v2, 0, 12)).Raw(Slice(v2, 16, secondGroup));

  DataResultNode read;
  MemoryStream stream(v0.bytes);
  read.ReadWrite(stream, kStreamRead, 0);
  EXPECT_EQ(stream.Position(), stream.Size());
  const std::vector<uint8_t> again = Write(read, false);
  EXPECT_EQ(Slice(again, 0, 12), Slice(v2, 0, 12));
  EXPECT_EQ(Slice(again, 12, 16), std::vector<uint8_t>(4, 0));  // no ID
  EXPECT_EQ(Slice(again, 16, secondGroup), Slice(v2, 16, secondGroup));
  EXPECT_TRUE(read.Cell(84).Missing);  // not in version 0: reset value
  EXPECT_EQ(read.Cell(84).Value, -1.0L);

  // version 1 has the layout of version 2
  DataResultNode v1;
  MemoryStream whole(v2);
  v1.ReadWrite(whole, kStreamRead, 1);
  EXPECT_EQ(Write(v1, false), v2);
}

TEST(ModelRecord, SingleModelReadKeepsTheFileIndicesAndUndefinedErrors) {
  DataResultNode node;
  FillModel(node, 0);
  MemoryStream stream(Write(node, true));
  DataResultNode read;
  read.iID = 8;
  read.ReadWriteSingleModel(stream, kStreamRead, 2);
  EXPECT_EQ(read.ipSelVarIdxPtr[0], 0);
  EXPECT_EQ(read.ipSelVarIdxPtr[1], 1);
  EXPECT_EQ(read.iID, 8);  // not part of the record
  EXPECT_EQ(read.cvCCCcv.Value, 40.25L);
  EXPECT_TRUE(read.cvRMSEext.Missing);  // not in this record: reset value
  ExpectUndefinedErrorArrays(read);
}

TEST(ModelCopy, CopiesWhatExistsAndNotTheLinks) {
  ChemoData data;
  DataResultList list(&data);
  DataResultNode* source = list.Append();
  FillModel(*source, 0);
  list.Append();
  source->tsTestLev.iCount = 1;
  source->tsTestLev.ldpValuePtr = Reals({0.2L});

  DataResultNode copy;
  source->tsNoRespLev.iCount = 2;
  source->tsNoRespLev.ldpValuePtr = Reals({0.7L, 0.8L});
  copy = *source;
#ifdef __clang__
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wself-assign-overloaded"
#endif
  copy = copy;  // meant: a node assigned to itself stays whole
#ifdef __clang__
#pragma clang diagnostic pop
#endif
  EXPECT_EQ(copy.tsNoRespLev.iCount, 2);
  EXPECT_EQ(copy.tsNoRespLev.ldpValuePtr[1], 0.8L);
  EXPECT_EQ(copy.Next(), nullptr);
  EXPECT_EQ(Write(copy, false), Write(*source, false));
  EXPECT_NE(copy.ldpBSignifPtr, source->ldpBSignifPtr);
  EXPECT_EQ(copy.ldpBSignifPtr[2], 0.03L);
  EXPECT_EQ(copy.tsTestLev.ldpValuePtr[0], 0.2L);

  DataResultNode unfilled;  // counts set, arrays never filled
  unfilled.iSize = 4;
  unfilled.iTrainCount = 6;
  unfilled.tsTrainLev.iCount = 6;
  copy = unfilled;
  EXPECT_EQ(copy.ldpTrainYCapPtr, nullptr);
  EXPECT_EQ(copy.tsTrainLev.ldpValuePtr, nullptr);
}

// A move into a listed node takes every stored field and the arrays themselves,
// keeps the target's place in the list, and leaves the source reset with its own links.
TEST(ModelCopy, AMoveTakesTheArraysAndKeepsBothNodesLinks) {
  ChemoData data;
  DataResultList list(&data);
  DataResultNode* first = list.Append();
  DataResultNode* target = list.Append();
  DataResultNode* last = list.Append();
  FillModel(*target, 5);  // its arrays are released by the move
  DataResultList sources(&data);
  DataResultNode* before = sources.Append();
  DataResultNode* source = sources.Append();
  DataResultNode* after = sources.Append();
  FillModel(*source, 0);
  source->tsTestLev.iCount = 1;
  source->tsTestLev.ldpValuePtr = Reals({0.2L});
  DataResultNode expected;
  expected = *source;
  const long double* coefficients = source->ldpBModelCoeffPtr;
  const long double* leverages = source->tsTestLev.ldpValuePtr;

  *target = std::move(*source);
  EXPECT_EQ(Write(*target, false), Write(expected, false));
  EXPECT_EQ(target->ldpBModelCoeffPtr, coefficients);
  EXPECT_EQ(target->tsTestLev.ldpValuePtr, leverages);
  EXPECT_EQ(target->tsTestLev.iCount, 1);
  EXPECT_EQ(target->tpChemoData, &data);
  EXPECT_EQ(target->Prev(), first);
  EXPECT_EQ(target->Next(), last);

  DataResultNode reset;
  EXPECT_EQ(Write(*source, false), Write(reset, false));
  EXPECT_EQ(source->ldpBModelCoeffPtr, nullptr);
  EXPECT_EQ(source->tsTestLev.ldpValuePtr, nullptr);
  EXPECT_EQ(source->tsTestLev.iCount, 0);
  EXPECT_TRUE(source->sName.empty());
  EXPECT_EQ(source->Prev(), before);
  EXPECT_EQ(source->Next(), after);

  DataResultNode& self = *target;
  *target = std::move(self);
  EXPECT_EQ(Write(*target, false), Write(expected, false));
}

TEST(ModelList, RemoveRelinksAndReturnsTheFollower) {
  ChemoData data;
  DataResultList list(&data);
  DataResultNode* a = list.Append();
  DataResultNode* b = list.Append();
  DataResultNode* c = list.Append();
  EXPECT_EQ(list.Remove(a), b);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Remove(c), nullptr);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.First(), b);
  EXPECT_EQ(list.Last(), b);
  EXPECT_EQ(b->Prev(), nullptr);
  EXPECT_EQ(b->Next(), nullptr);
}

TEST(ModelRecord, ResetGivesEveryCellAndFieldItsResetValue) {
  ChemoData data;
  DataResultNode node(&data);
  DataResultNode neighbour(&data);  // links that the reset must drop
  node.SetNext(&neighbour);
  node.SetPrev(&neighbour);
  FillModel(node, 0);
  node.iRank = 5;
  node.tsTrainLev.iCount = 1;
  node.tsTrainLev.ldpValuePtr = Reals({0.3L});
  node.Reset();
  for (int n = 1; n <= kModelCellCount; ++n) {
    if (IsInt(n)) {
      EXPECT_EQ(node.IntCell(n).Value, n == 85 ? -1 : 0) << n;
      EXPECT_TRUE(node.IntCell(n).Missing) << n;
    } else {
      EXPECT_EQ(node.Cell(n).Value, n == 3 || n >= 18 ? -1.0L : 0.0L) << n;
      EXPECT_TRUE(node.Cell(n).Missing) << n;
    }
  }
  EXPECT_EQ(node.iSelStatus + node.iSize + node.iTrainCount + node.iRank + node.iID, 0);
  EXPECT_EQ(node.sName, "");
  EXPECT_EQ(node.ldHstar, 0.0L);
  EXPECT_EQ(node.ipSelVarIdxPtr, nullptr);
  EXPECT_EQ(node.ldpBIntConfPtr, nullptr);
  EXPECT_EQ(node.tsTrainLev.iCount, 0);
  EXPECT_EQ(node.tsTrainLev.ldpValuePtr, nullptr);
  EXPECT_EQ(node.Next(), nullptr);
  EXPECT_EQ(node.Prev(), nullptr);
}

TEST(ModelRecord, ReportTextHasFifteenLinesOfLabelledValues) {
  DataResultNode node;
  FillCells(node);  // cell n holds n + 0.25; cells 3, 6, 9, ... are missing
  const std::string expected =
      "(Fitting criteria)\r\n"
      "R2: 4.2500 \t\tR2adj: 2.2500 \t\tR2-R2adj: 2.0000 \t\tLOF: \r\n"
      "Kxx: 5.2500 \t\tDelta K:  \t\tRMSE tr: 7.2500 \t\tMAE tr: 50.2500\r\n"
      "RSS tr: 53.2500 \t\tCCC tr:  \t\ts: 10.2500 \t\tF: 11.2500\r\n"
      "\r\n"
      "(Internal validation criteria)\r\n"
      "Q2loo: 1.2500 \t\tR2-Q2loo: 3.0000 \t\tRMSE cv: 8.2500 \t\tMAE cv: \r\n"
      "PRESS cv:  \t\tCCC cv: 40.2500 \t\t\r\n"
      "Q2LMO:  \t\tR2Yscr:  \t\tQ2Yscr: 67.2500\r\n"
      "R2Xrnd:  \t\tQ2Xrnd: 73.2500 \t\tR2Yrnd:  \t\tQ2Yrnd: 79.2500\r\n"
      "\r\n"
      "(External validation criteria)\r\n"
      "RMSE ext:  \t\tMAE ext: 52.2500 \t\tPRESS ext: 55.2500 \t\tR2ext:  \t\t\r\n"
      "Q2-F1: 23.2500 \t\tQ2-F2:  \t\tQ2-F3: 31.2500 \t\tCCC ext: 35.2500\r\n"
      "r2m aver.: 46.2500 \t\tr2m delta: 47.2500\r\n";
  EXPECT_EQ(ModelReportText(node), expected);
  node.Cell(2).Missing = true;  // a difference with a missing term is missing
  EXPECT_NE(ModelReportText(node).find("\r\nR2: 4.2500 \t\tR2adj:  \t\tR2-R2adj:  \t\tLOF: \r\n"), std::string::npos);
}

TEST(ModelList, CopyFromDuplicatesEveryModelAndADamagedReadAddsNone) {
  ChemoData data;
  DataResultList source(&data);
  FillModel(*source.Append(), 0);
  FillModel(*source.Append(), 2);
  DataResultList copy(&data);
  copy.Append();
  copy.CopyFrom(source);
  copy.CopyFrom(copy);
  EXPECT_EQ(copy.Count(), 2);
  EXPECT_EQ(Written(copy), Written(source));

  // The second of two records is cut short: the list keeps only what it had.
  std::vector<uint8_t> bytes = Written(source);
  bytes.resize(bytes.size() - 40);
  DataResultList read(&data);
  read.Append();
  MemoryStream stream(bytes);
  EXPECT_THROW(read.ReadWrite(&stream, kStreamRead, 2), EDamagedRecord);
  EXPECT_EQ(read.Count(), 1);
  EXPECT_EQ(read.First(), read.Last());

  TestUi().Clear();
  read.ReadWrite(nullptr, kStreamRead, 2);
  DataResultList(&data).ReadWrite(nullptr, kStreamWrite, 2);  // nothing to write: no message
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Empty file pointer: cannot read data");
  EXPECT_EQ(read.Count(), 1);
}

TEST(ModelRecord, FromVersionThreeTheErrorArraysAreStored) {
  DataResultNode node;
  FillModel(node, 0);
  MemoryStream stream;
  node.ReadWrite(stream, kStreamWrite, 3);
  EXPECT_EQ(stream.Size(), static_cast<int64_t>(Write(node, false).size() + 2 * (4 + 3 * 10)));
  DataResultNode read;
  stream.Seek(0, SeekOrigin::Begin);
  read.ReadWrite(stream, kStreamRead, 3);
  EXPECT_EQ(std::vector<long double>(read.ldpBSignifPtr, read.ldpBSignifPtr + 3),
            (std::vector<long double>{0.01L, 0.02L, 0.03L}));
  EXPECT_EQ(std::vector<long double>(read.ldpBStdErrPtr, read.ldpBStdErrPtr + 3),
            (std::vector<long double>{0.4L, 0.5L, 0.6L}));
}

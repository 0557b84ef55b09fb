#include "data/ValidationFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "../support/ScriptedUi.h"
#include "../support/FileSizeLimit.h"
#include "../support/TestFolder.h"
#include "platform/base/ExtendedCodec.h"
#include "platform/base/Stream.h"

namespace {

const char* const kMergeMessage = "Cannot handle or find validation files, please check your privileges.";

ValidationRecord Record(std::vector<int32_t> variables, int iterations, long double base) {
  ValidationRecord record{std::move(variables), {}};
  for (int i = 0; i < iterations; ++i)
    record.iterations.push_back({CheckedValue(base + i, false), CheckedValue(base - i, i == 1),
                                 CheckedValue(0.5L + i * 0.01L, false)});
  return record;
}

std::string Bytes(const std::vector<ValidationRecord>& records) {
  std::string bytes;
  for (const ValidationRecord& record : records) {
    const std::vector<uint8_t> image = EncodeValidationRecord(record);
    bytes.append(image.begin(), image.end());
  }
  return bytes;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

struct MergeFiles {
  TestFolder folder;
  std::string db = folder.Path("~yscr~.db$");
  std::string tmp = db + ".tmp";
  std::string out = db + ".out";
};

}  // namespace

TEST(ValidationFilesTest, RecordImageFollowsTheLayout) {
  ValidationRecord record{{4, 9, 1}, {{CheckedValue(0.25L, false), CheckedValue(0.0L, true), CheckedValue(1.5L, false)},
                                      {CheckedValue(-2.0L, false), CheckedValue(3.0L, false), CheckedValue(0.0L, true)}}};
  const std::vector<uint8_t> bytes = EncodeValidationRecord(record);
  ASSERT_EQ(bytes.size(), 164u);  // 8 + 4 x 3 + 72 x 2
  std::vector<uint8_t> expected(164, 0);
  auto putInt = [&](int offset, int32_t value) { EncodeInt32(value, &expected[offset]); };
  auto putCell = [&](int offset, bool missing, long double value) {
    expected[offset] = missing ? 1 : 0;
    EncodeExtended(value, &expected[offset + 8]);
  };
  putInt(0, 2);
  putInt(4, 3);
  putInt(8, 4);
  putInt(12, 9);
  putInt(16, 1);
  putCell(20, false, 0.25L);
  putCell(44, true, 0.0L);
  putCell(68, false, 1.5L);
  putCell(92, false, -2.0L);
  putCell(116, false, 3.0L);
  putCell(140, true, 0.0L);
  EXPECT_EQ(bytes, expected);

  MemoryStream stream(bytes);
  ValidationRecord read;
  const int32_t model[] = {1, 4, 9};
  ASSERT_EQ(FindValidationRecord(stream, model, 3, read), RecordSearch::Found);
  EXPECT_EQ(read.variables, record.variables);
  ASSERT_EQ(read.iterations.size(), 2u);
  EXPECT_EQ(read.iterations[0].r2.Value, 0.25L);
  EXPECT_EQ(read.iterations[0].k.Value, 1.5L);
  EXPECT_TRUE(read.iterations[0].q2.Missing);
  EXPECT_EQ(read.iterations[1].q2.Value, 3.0L);
  EXPECT_TRUE(read.iterations[1].k.Missing);
}

// A damaged or edited file may hold an infinity or a NaN in a cell: it is read
// as no value, so that nothing unusable reaches a plot.
TEST(ValidationFilesTest, ACellThatIsNotFiniteIsReadAsMissing) {
  std::vector<uint8_t> bytes = EncodeValidationRecord(Record({4}, 1, 0.5L));
  // The cell's 80-bit value at bytes 8 to 17: significand, then sign and exponent.
  auto largestExponent = [&bytes](int cell, bool negative, uint8_t significandTop) {
    uint8_t* value = &bytes[8 + 4 + cell * 24 + 8];
    for (int i = 0; i < 7; ++i) value[i] = 0;
    value[7] = significandTop;
    value[8] = 0xFF;
    value[9] = negative ? 0xFF : 0x7F;
  };
  largestExponent(0, false, 0xC0);  // R2: a NaN
  largestExponent(2, true, 0x80);   // K: -infinity
  MemoryStream stream(bytes);
  ValidationRecord read;
  const int32_t model[] = {4};
  ASSERT_EQ(FindValidationRecord(stream, model, 1, read), RecordSearch::Found);
  ASSERT_EQ(read.iterations.size(), 1u);
  for (const CheckedValue* cell : {&read.iterations[0].r2, &read.iterations[0].k}) {
    EXPECT_TRUE(cell->Missing);
    EXPECT_EQ(cell->Value, 0.0L);
  }
  EXPECT_FALSE(read.iterations[0].q2.Missing);
  EXPECT_EQ(read.iterations[0].q2.Value, 0.5L);
}

TEST(ValidationFilesTest, SearchSkipsOtherModelsAndMatchesByPairs) {
  const std::string bytes = Bytes({Record({3}, 2, 1.0L), Record({2, 5, 8}, 1, 2.0L), Record({7, 2, 5}, 3, 3.0L)});
  MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  ValidationRecord read;
  const int32_t model[] = {2, 5, 7};
  ASSERT_EQ(FindValidationRecord(stream, model, 3, read), RecordSearch::Found);
  EXPECT_EQ(read.iterations.size(), 3u);
  EXPECT_EQ(read.iterations[0].r2.Value, 3.0L);

  EXPECT_FALSE(SameVariableSet({2, 5, 9}, model, 3));
  EXPECT_FALSE(SameVariableSet({2, 5}, model, 3));
  stream.Seek(0, SeekOrigin::Begin);
  const int32_t absent[] = {2, 5};
  EXPECT_EQ(FindValidationRecord(stream, absent, 2, read), RecordSearch::NotFound);
}

TEST(ValidationFilesTest, DamagedHeadsAreRefused) {
  auto head = [](int32_t n, int32_t p, std::size_t extra) {
    std::vector<uint8_t> bytes(8 + extra, 0);
    EncodeInt32(n, &bytes[0]);
    EncodeInt32(p, &bytes[4]);
    return bytes;
  };
  RecordHead read;
  for (auto bytes : {head(-1, 0, 0), head(0, -3, 0), head(1, 0, 71), head(0, 2, 7), head(2000000000, 1, 4)}) {
    MemoryStream stream(bytes);
    EXPECT_EQ(ReadRecordHead(stream, read), RecordRead::Damaged);
  }
  MemoryStream noVariables(head(0, 0, 0));
  EXPECT_EQ(ReadRecordHead(noVariables, read), RecordRead::Ok);
  MemoryStream exact(head(1, 1, 76));
  EXPECT_EQ(ReadRecordHead(exact, read), RecordRead::Ok);
  MemoryStream shortN(std::vector<uint8_t>{1, 0});
  EXPECT_EQ(ReadRecordHead(shortN, read), RecordRead::End);
}

TEST(ValidationFilesTest, FirstMergeRenamesTheRecordFile) {
  MergeFiles f;
  const std::string bytes = Bytes({Record({1, 2}, 2, 0.5L)});
  WriteFile(f.tmp, bytes);
  EXPECT_TRUE(MergeValidationFiles(f.db, f.tmp, f.out));
  EXPECT_EQ(ReadFileText(f.db), bytes);
  EXPECT_FALSE(std::filesystem::exists(f.tmp));
}

TEST(ValidationFilesTest, MergePutsNewRecordsFirstAndKeepsOtherOldOnes) {
  MergeFiles f;
  const ValidationRecord m1old = Record({1}, 2, 1.0L), m2 = Record({4, 6}, 1, 2.0L), m3old = Record({2, 5, 7}, 1, 3.0L);
  const ValidationRecord m1new = Record({1}, 3, 4.0L), m3new = Record({7, 2, 5}, 2, 5.0L);
  WriteFile(f.db, Bytes({m1old, m2, m3old}));
  WriteFile(f.tmp, Bytes({m1new, m3new}));
  EXPECT_TRUE(MergeValidationFiles(f.db, f.tmp, f.out));
  EXPECT_EQ(ReadFileText(f.db), Bytes({m1new, m3new, m2}));
  EXPECT_FALSE(std::filesystem::exists(f.tmp));
  EXPECT_FALSE(std::filesystem::exists(f.out));

  WriteFile(f.tmp, "");
  EXPECT_TRUE(MergeValidationFiles(f.db, f.tmp, f.out));
  EXPECT_EQ(ReadFileText(f.db), Bytes({m1new, m3new, m2}));
}

TEST(ValidationFilesTest, DamagedOldFileLeavesAllFilesAsTheyWere) {
  MergeFiles f;
  TestUi().Reset();
  std::string old = Bytes({Record({1}, 2, 1.0L), Record({3}, 2, 2.0L)});
  old.resize(old.size() - 10);
  const std::string fresh = Bytes({Record({1}, 1, 9.0L)});
  WriteFile(f.db, old);
  WriteFile(f.tmp, fresh);
  EXPECT_FALSE(MergeValidationFiles(f.db, f.tmp, f.out));
  EXPECT_EQ(ReadFileText(f.db), old);
  EXPECT_EQ(ReadFileText(f.tmp), fresh);
  EXPECT_FALSE(std::filesystem::exists(f.out));
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, kMergeMessage);
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION ERROR");
}

TEST(ValidationFilesTest, CorruptedFilesAreReadOrRefused) {
  MergeFiles f;
  TestUi().Reset();
  std::mt19937 random(17);
  const std::string valid = Bytes({Record({1, 2}, 3, 1.0L), Record({3}, 2, 2.0L), Record({5, 6, 7}, 1, 3.0L)});
  const int32_t model[] = {7, 6, 5};
  for (int round = 0; round < 2000; ++round) {
    std::string bytes = valid;
    if (round % 2) bytes.resize(random() % bytes.size());
    for (int flips = bytes.empty() ? 0 : random() % 4; flips > 0; --flips) bytes[random() % bytes.size()] = static_cast<char>(random());
    MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    ValidationRecord read;
    const RecordSearch result = FindValidationRecord(stream, model, 3, read);
    if (result == RecordSearch::Found) {
      EXPECT_LE(read.iterations.size() * 72, bytes.size());
    }
    if (round % 50 == 0) {
      WriteFile(f.db, bytes);
      WriteFile(f.tmp, valid);
      if (!MergeValidationFiles(f.db, f.tmp, f.out)) {
        EXPECT_EQ(ReadFileText(f.db), bytes);
      }
      std::filesystem::remove(f.out);
    }
  }
}

// A full disk under the output: the message names the file and the reason, the
// partial output goes, the validation and record files stay.
TEST(ValidationFilesTest, AMergeOnAFullDiskSaysWhereAndWhyAndLeavesNoOutput) {
  MergeFiles f;
  TestUi().Reset();
  const std::string old = Bytes({Record({1}, 2, 1.0L)});
  const std::string fresh = Bytes({Record({1}, 1, 9.0L)});
  WriteFile(f.db, old);
  WriteFile(f.tmp, fresh);
  std::filesystem::create_symlink("/dev/full", f.out);
  EXPECT_FALSE(MergeValidationFiles(f.db, f.tmp, f.out));
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Cannot write file \"" + f.out + "\": No space left on device");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION ERROR");
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(f.out)));
  EXPECT_EQ(ReadFileText(f.db), old);
  EXPECT_EQ(ReadFileText(f.tmp), fresh);
}

// Removal keeps the other records in their order and drops a damaged end; a
// missing file holds nothing to remove.
TEST(ValidationFilesTest, RecordsAreRemovedInPlace) {
  MergeFiles f;
  // m2 is larger than the blocks the records move in.
  const ValidationRecord m1 = Record({1}, 2, 1.0L), m2 = Record({4, 6}, 1000, 2.0L), m3 = Record({2, 5, 7}, 3, 3.0L);
  const ValidationRecord m4 = Record({3}, 1, 4.0L);
  std::string damaged = Bytes({m4});
  damaged.resize(damaged.size() - 1);
  WriteFile(f.db, Bytes({m1, m2, m3, m4, m1}) + damaged);
  EXPECT_TRUE(RemoveValidationRecords(f.db, {{7, 5, 2}, {1}}));
  EXPECT_EQ(ReadFileText(f.db), Bytes({m2, m4}));
  EXPECT_TRUE(RemoveValidationRecords(f.db, {{9}}));
  EXPECT_EQ(ReadFileText(f.db), Bytes({m2, m4}));
  EXPECT_TRUE(RemoveValidationRecords(f.tmp, {{1}}));
  EXPECT_FALSE(std::filesystem::exists(f.tmp));
}

// A file that cannot be rewritten keeps its records; one whose rewrite fails
// midway (a size limit past which a moved record cannot be written back) is cut
// where the whole records kept so far end, with nothing half moved.
TEST(ValidationFilesTest, ARemovalThatCannotRewriteTheFileLeavesNoHalfMovedRecord) {
  MergeFiles f;
  // m3, of 3612 bytes, goes to the file's buffer whole, and fails when written from it.
  const ValidationRecord m1 = Record({1}, 1, 1.0L), m2 = Record({2}, 1, 2.0L), m3 = Record({3}, 50, 3.0L);
  WriteFile(f.db, Bytes({m1, m2, m3}));
  bool removed = false;
  {
    FileSizeLimit limit(2048);
    removed = RemoveValidationRecords(f.db, {{2}});
  }
  EXPECT_TRUE(removed);
  EXPECT_EQ(ReadFileText(f.db), Bytes({m1}));

  // A file in the place of the folder: whatever the path holds cannot be known.
  EXPECT_FALSE(RemoveValidationRecords(f.db + "/~yscr~.db$", {{1}}));
  EXPECT_EQ(ReadFileText(f.db), Bytes({m1}));
}

// Marks match a variable set in any order; the spans of the other records end
// where a damaged record begins.
TEST(ValidationFilesTest, StaleMarksAndTheSpansOfTheOtherRecords) {
  StaleRecords stale;
  stale.Mark({{2, 5, 7}, {1}});
  stale.Mark({{7, 2, 5}});
  EXPECT_EQ(stale.Sets(), (std::vector<std::vector<int32_t>>{{2, 5, 7}, {1}}));
  const int32_t model[] = {5, 7, 2};
  EXPECT_TRUE(stale.Holds(model, 3));
  EXPECT_FALSE(stale.Holds(model, 2));
  stale.Unmark({{5, 2, 7}, {4}});
  EXPECT_EQ(stale.Sets(), (std::vector<std::vector<int32_t>>{{1}}));

  const ValidationRecord m1 = Record({1}, 2, 1.0L), m2 = Record({4, 6}, 3, 2.0L);
  std::string damaged = Bytes({m1});
  damaged.pop_back();
  const std::string bytes = Bytes({m1, m2, m1, m2}) + damaged;
  MemoryStream file(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  const int64_t a = Bytes({m1}).size(), b = Bytes({m2}).size();
  const std::vector<RecordSpan> spans = RecordSpansOutside(file, stale.Sets());
  ASSERT_EQ(spans.size(), 2u);
  EXPECT_EQ(std::make_pair(spans[0].start, spans[0].end), std::make_pair(a, a + b));
  EXPECT_EQ(std::make_pair(spans[1].start, spans[1].end), std::make_pair(2 * a + b, 2 * a + 2 * b));
}

// With no record to remove the file is not written (a file the user may not
// write loses nothing then); a damaged end goes all the same.
TEST(ValidationFilesTest, ARemovalWithNothingToRemoveWritesNothingButADamagedEndGoes) {
  MergeFiles f;
  const std::string m1 = Bytes({Record({1}, 2, 1.0L)});
  WriteFile(f.db, m1);
  const auto written = std::filesystem::last_write_time(f.db) - std::chrono::hours(1);
  std::filesystem::last_write_time(f.db, written);
  EXPECT_TRUE(RemoveValidationRecords(f.db, {{9}}));
  EXPECT_EQ(std::filesystem::last_write_time(f.db), written);
  WriteFile(f.db, m1 + m1.substr(0, 20));
  EXPECT_TRUE(RemoveValidationRecords(f.db, {{9}}));
  EXPECT_EQ(ReadFileText(f.db), m1);
}

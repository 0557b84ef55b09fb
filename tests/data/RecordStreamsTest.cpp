#include "data/RecordStreams.h"

#include <gtest/gtest.h>

#include <limits>

#include "data/ByteBuilder.h"

namespace {

const long double kInfinity = std::numeric_limits<long double>::infinity();

MemoryStream StreamOf(const ByteBuilder& b) { return MemoryStream(b.bytes); }

}  // namespace

TEST(RecordStreams, ANumberThatIsNotFiniteIsADamagedRecordWhereverItIsRead) {
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  for (long double bad : {kInfinity, -kInfinity, nan}) {
    long double real = 0;
    MemoryStream single = StreamOf(ByteBuilder().Real(bad));
    EXPECT_THROW(StreamLongDouble(single, real, kStreamRead), EDamagedRecord);
    long double* reals = nullptr;
    int32_t count = 0;
    MemoryStream array = StreamOf(ByteBuilder().Int(2).Real(1).Real(bad));
    EXPECT_THROW(StreamRealArray(array, reals, count, kStreamRead), EDamagedRecord);
    delete[] reals;
    CheckedValue cell;
    MemoryStream image = StreamOf(ByteBuilder().Cell(bad, true));
    EXPECT_THROW(StreamCell(image, cell, kStreamRead), EDamagedRecord);
    CheckedValue* row = nullptr;
    MemoryStream rowStream = StreamOf(ByteBuilder().Int(1).Cell(bad, false));
    EXPECT_THROW(StreamValueRow(rowStream, row, count, kStreamRead), EDamagedRecord);
    delete[] row;
  }
}

TEST(RecordStreams, AnArrayReadReplacesTheOldOneAlsoWhenEmptyOrCutShort) {
  int32_t* items = new int32_t[3]{7, 8, 9};
  int32_t count = 3;
  MemoryStream empty = StreamOf(ByteBuilder().Int(0));
  StreamIntArray(empty, items, count, kStreamRead);
  EXPECT_EQ(items, nullptr);
  EXPECT_EQ(count, 0);

  items = new int32_t[1]{5};
  count = 4;
  MemoryStream nothing;  // not even the count
  StreamIntArray(nothing, items, count, kStreamRead);
  EXPECT_EQ(items, nullptr);
  EXPECT_EQ(count, 0);

  // Written without an array: the stated number of zeros.
  MemoryStream out;
  count = 2;
  StreamIntArray(out, items, count, kStreamWrite);
  EXPECT_EQ(out.Bytes(), ByteBuilder().Int(2).Int(0).Int(0).bytes);
  long double* reals = nullptr;
  StreamRealArray(out, reals, count, kStreamWrite);
  EXPECT_EQ(out.Bytes(), ByteBuilder().Int(2).Int(0).Int(0).Int(2).Real(-1).Real(-1).bytes);
}

TEST(RecordStreams, RoomIsMeasuredFromThePositionAndCountsStatedAsZeroPass) {
  MemoryStream stream(std::vector<uint8_t>(12));
  stream.Seek(4, SeekOrigin::Begin);  // 8 bytes left
  EXPECT_NO_THROW(RequireRoom(stream, 2, 4, "fits"));
  EXPECT_THROW(RequireRoom(stream, 3, 4, "one too many"), EDamagedRecord);
  EXPECT_THROW(RequireRoom(stream, -1, 4, "negative"), EDamagedRecord);
  EXPECT_NO_THROW(RequireRoom(stream, 0, 100, "none"));

  EXPECT_NO_THROW(RequireCount(0, 5, "not stored"));
  EXPECT_NO_THROW(RequireCount(5, 5, "as expected"));
  EXPECT_THROW(RequireCount(4, 5, "other"), EDamagedRecord);
}

TEST(RecordStreams, TextsReadTheirLengthOrNothing) {
  std::string text = "old";
  MemoryStream nothing;
  StreamString(nothing, text, kStreamRead);
  EXPECT_EQ(text, "");
  MemoryStream huge = StreamOf(ByteBuilder().Int(0x7fffffff).Text("abc"));
  EXPECT_THROW(StreamString(huge, text, kStreamRead), EDamagedRecord);
  MemoryStream two = StreamOf(ByteBuilder().Text("\xE9t").Text("z"));
  StreamString(two, text, kStreamRead);
  EXPECT_EQ(text, "\xE9t");
  StreamString(two, text, kStreamRead);
  EXPECT_EQ(text, "z");
}

#include "prepare/TableReader.h"

#include <gtest/gtest.h>

namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows Read(std::string_view bytes, char delimiter = ',') { return ReadDelimitedTable(bytes, delimiter).Rows; }

TEST(TableReader, EveryLineEndFormGivesTheSameRows) {
  const Rows expected{{"a", "b"}, {"c", "d"}};
  for (const char* text : {"a,b\r\nc,d\r\n", "a,b\rc,d\r", "a,b\nc,d\n", "a,b\r\nc,d", "a,b\nc,d", "a,b\rc,d"}) {
    EXPECT_EQ(Read(text), expected) << text;
  }
  EXPECT_EQ(ReadDelimitedTable("a,b\r\nc,d\r\n", ',').ColCount, 2);
}

TEST(TableReader, EmptyLinesGiveEmptyRowsButOnlyTheLastOpenedRowGoes) {
  EXPECT_EQ(Read("a\r\n\r\nb\r\n"), (Rows{{"a"}, {""}, {"b"}}));
  EXPECT_EQ(Read("a\n\nb\n"), (Rows{{"a"}, {""}, {"b"}}));
  EXPECT_EQ(Read("a\r\n\r\n"), (Rows{{"a"}, {""}}));
  EXPECT_EQ(Read("\r"), (Rows{{""}}));
  // LF before CR is a line end of its own.
  EXPECT_EQ(Read("a\n\rb"), (Rows{{"a"}, {""}, {"b"}}));
}

TEST(TableReader, RunsOfDelimitersCountAsOne) {
  EXPECT_EQ(Read("a,,b\r\n"), (Rows{{"a", "b"}}));
  EXPECT_EQ(Read("a,b,\r\n"), (Rows{{"a", "b"}}));
  EXPECT_EQ(Read("a,b,"), (Rows{{"a", "b"}}));
  EXPECT_EQ(Read(",a\r\n,b\n"), (Rows{{"", "a"}, {"", "b"}}));
  EXPECT_EQ(Read("a\t\t\tb", '\t'), (Rows{{"a", "b"}}));
}

TEST(TableReader, RaggedLinesWidenTheTable) {
  const TextTable table = ReadDelimitedTable("a\r\nb,c,d\r\ne,f\r\n", ',');
  EXPECT_EQ(table.ColCount, 3);
  ASSERT_EQ(table.Rows.size(), 3u);
  EXPECT_EQ(table.Field(2, 1), "d");
  EXPECT_EQ(table.Field(1, 0), "");
  EXPECT_EQ(table.Field(2, 2), "");
}

TEST(TableReader, EmptyTextHasNoRowsAndOneColumn) {
  const TextTable table = ReadDelimitedTable("", ',');
  EXPECT_TRUE(table.Rows.empty());
  EXPECT_EQ(table.ColCount, 1);
}

TEST(TableReader, FieldsAreKeptByteForByte) {
  const std::string latin1 = "Na\xEFve \xB5g/L";
  EXPECT_EQ(Read(" \"x\" ;" + latin1 + "\r\n", ';'), (Rows{{" \"x\" ", latin1}}));
  // A byte above 127 is never taken for a line end or the delimiter.
  EXPECT_EQ(Read("\x8D\x8A,\xFF", ','), (Rows{{"\x8D\x8A", "\xFF"}}));
}

TEST(TableReader, TheZeroDelimiterOfAnEmptyEditSplitsNothing) {
  EXPECT_EQ(Read("a,b\r\nc\r\n", '\0'), (Rows{{"a,b"}, {"c"}}));
}

}  // namespace

#include "prepare/TableReader.h"

#include <gtest/gtest.h>

namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows RowsOf(const TextTable& table) {
  Rows rows(static_cast<std::size_t>(table.RowCount()));
  for (int r = 0; r < table.RowCount(); ++r)
    for (int c = 0; c < table.FieldCount(r); ++c) rows[static_cast<std::size_t>(r)].emplace_back(table.Field(c, r));
  return rows;
}

TEST(TableReader, LineEndsDelimitersAndBytes) {
  const Rows ab{{"a", "b"}, {"c", "d"}};
  const std::string latin1 = "Na\xEFve \xB5g/L";
  const struct {
    std::string text;
    char delimiter;
    Rows expected;
  } cases[] = {
      // Every line-end form, with or without a last one, gives the same rows.
      {"a,b\r\nc,d\r\n", ',', ab},
      {"a,b\rc,d\r", ',', ab},
      {"a,b\nc,d\n", ',', ab},
      {"a,b\r\nc,d", ',', ab},
      {"a,b\nc,d", ',', ab},
      // Empty lines give empty rows; only the row a final line end opened goes.
      {"a\n\nb\n", ',', {{"a"}, {""}, {"b"}}},
      {"a\r\n\r\n", ',', {{"a"}, {""}}},
      {"\r", ',', {{""}}},
      {"a\n\rb", ',', {{"a"}, {""}, {"b"}}},  // LF before CR is a line end of its own
      // A run of delimiters counts as one; a trailing one adds no field, a leading one does.
      {"a,,b\r\n", ',', {{"a", "b"}}},
      {"a,b,", ',', {{"a", "b"}}},
      {",a\r\n,b\n", ',', {{"", "a"}, {"", "b"}}},
      {"a\t\t\tb", '\t', {{"a", "b"}}},
      // Fields are kept byte for byte; bytes above 127 are never line ends or delimiters.
      {" \"x\" ;" + latin1 + "\r\n", ';', {{" \"x\" ", latin1}}},
      {"a,b\r\nc\r\n", '\0', {{"a,b"}, {"c"}}},  // the delimiter of an empty edit splits nothing
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    EXPECT_EQ(RowsOf(ReadDelimitedTable(c.text, c.delimiter)), c.expected);
  }
}

TEST(TableReader, TheWidestLineGivesTheColumnCount) {
  const TextTable table = ReadDelimitedTable("a\r\nb,c,d\r\ne,f\r\n", ',');
  EXPECT_EQ(table.ColCount, 3);
  ASSERT_EQ(table.RowCount(), 3);
  EXPECT_EQ(table.Field(2, 1), "d");
  EXPECT_EQ(table.Field(2, 2), "");
  const TextTable empty = ReadDelimitedTable("", ',');
  EXPECT_EQ(empty.RowCount(), 0);
  EXPECT_EQ(empty.ColCount, 1);
}

}  // namespace

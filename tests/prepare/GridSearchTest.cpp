#include "prepare/GridSearch.h"

#include <gtest/gtest.h>

#include "platform/qt/StringGrid.h"
#include "support/ScriptedUi.h"

namespace {

const char* const kAgain = "End of list reached, do you want to start searching from the beginning?";

// A grid with the names in column 1 of rows 1..4 and in row 0 of columns 1..4.
struct NamesGrid {
  NamesGrid() {
    grid.SetColCount(5);
    grid.SetRowCount(5);
    const char* names[] = {"logP", ("Stra\xDF" "e"), "MW", "LOGD"};
    for (int i = 0; i < 4; ++i) {
      grid.Cells(1, i + 1) = names[i];
      grid.Cells(i + 1, 0) = names[i];
    }
  }
  // The places found by successive searches for text, with next kept between them.
  std::vector<int> Find(const GridLine& where, const std::string& text, bool matchCase, int searches) {
    std::vector<int> found;
    int next = where.start;
    for (int i = 0; i < searches; ++i)
      SearchGridLine(grid, where, FindRequest{text, matchCase, true}, next, [&](int at) { found.push_back(at); });
    return found;
  }
  StringGrid grid;
};

TEST(GridSearch, FindsAlongRowsOrColumnsInOrderAndOffersToStartAgain) {
  NamesGrid names;
  TestUi().Clear();
  TestUi().Answer(IDNO);
  // Without match case "log" finds logP and then LOGD; the pass after the last place asks.
  EXPECT_EQ(names.Find(GridLine{true, 1, 1, false}, "log", false, 2), (std::vector<int>{1, 4}));
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, kAgain);
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION REQUEST");

  TestUi().Clear();
  TestUi().Answer(IDYES);  // start again: logP once more
  EXPECT_EQ(names.Find(GridLine{false, 0, 1, false}, "log", true, 2), (std::vector<int>{1, 1}));
  EXPECT_EQ(TestUi().Shown().size(), 1u);
}

TEST(GridSearch, UpperCaseFoldingFindsWhatLowerCaseFoldingMisses) {
  NamesGrid names;
  TestUi().Clear();
  TestUi().Answer(IDNO);
  TestUi().Answer(IDNO);
  // Upper case turns the sharp s into SS; lower case leaves it.
  EXPECT_EQ(names.Find(GridLine{true, 1, 1, true}, "ss", false, 1), (std::vector<int>{2}));
  EXPECT_TRUE(names.Find(GridLine{true, 1, 1, false}, "ss", false, 1).empty());
  EXPECT_TRUE(names.Find(GridLine{false, 0, 1, true}, "ss", true, 1).empty());  // match case: exact
}

}  // namespace

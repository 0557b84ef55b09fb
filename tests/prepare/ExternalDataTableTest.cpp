#include "prepare/ExternalDataTable.h"

#include <gtest/gtest.h>

#include "prepare/CellTable.h"
#include "prepare/SetupTestData.h"

namespace {

using Line = std::vector<std::string>;
const char* const kSplitRefusal = " is not a valid splitting value, it must be 1 (training) and 2 (prediction)";

struct TableFixture : testing::Test {
  // The add-mode layout on 3 variables: No., name, two descriptors, response.
  CellTable cells{5, 6};
  ScriptedUi& ui = TestUi();
};

TEST_F(TableFixture, PasteWalksRowsWithEitherLineEnd) {
  for (const char* text : {"1\t2\r\n3\t4", "1\t2\n3\t4", "1\t2\r\n3\t4\r\n"}) {
    CellTable table(5, 6);
    EXPECT_TRUE(PasteText(table, text, 2, 1, -1, '.'));
    EXPECT_EQ(table.Line(1), (Line{"", "", "1", "2", ""})) << text;
    EXPECT_EQ(table.Line(2), (Line{"", "", "3", "4", ""})) << text;
    EXPECT_EQ(table.Line(3), (Line(5))) << text;
  }
  // A blank line leaves an empty row; a break right after a TAB ends the row once.
  EXPECT_TRUE(PasteText(cells, "1\n\n2\t\r\n3", 2, 1, -1, '.'));
  EXPECT_EQ(cells.Cell(2, 2), "");
  EXPECT_EQ(cells.Cell(2, 3), "2");
  EXPECT_EQ(cells.Cell(2, 4), "3");
  EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(TableFixture, LoneCarriageReturnOnlyEndsTheToken) {
  EXPECT_TRUE(PasteText(cells, "7\r8\t9", 2, 1, -1, '.'));
  EXPECT_EQ(cells.Line(1), (Line{"", "", "8", "9", ""}));
  EXPECT_EQ(cells.Line(2), Line(5));
}

TEST_F(TableFixture, PasteConvertsSeparatorsAndDropsCellsOutside) {
  EXPECT_TRUE(PasteText(cells, "A,b\t1,5\t2\t3\t4\t5\r\nB\t6", 1, 5, -1, ','));
  EXPECT_EQ(cells.Line(5), (Line{"", "A,b", "1.5", "2", "3"}));  // names keep their text
  EXPECT_EQ(cells.RowCount(), 6);
}

TEST_F(TableFixture, RefusedTokenEndsThePasteKeepingWhatWasWritten) {
  EXPECT_FALSE(PasteText(cells, "1\tx\t3\r\n4", 2, 1, -1, '.'));
  EXPECT_EQ(cells.Line(1), (Line{"", "", "1", "", ""}));
  EXPECT_EQ(cells.Cell(2, 2), "");
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Shown(0).text, "'x' is not a valid floating point value");
  EXPECT_EQ(ui.Shown(0).caption, "APPLICATION ERROR");
  EXPECT_EQ(ui.Shown(0).Icon(), MB_ICONERROR);
  // The status column takes 1, 2 or nothing.
  EXPECT_FALSE(PasteText(cells, "\t3", 3, 1, 4, '.'));
  EXPECT_EQ(ui.Shown(1).text, std::string("3") + kSplitRefusal);
}

TEST_F(TableFixture, CellChecksAndTheirMessages) {
  EXPECT_EQ(CellTextError("", true), "");
  EXPECT_EQ(CellTextError("2", true), "");
  EXPECT_EQ(CellTextError("0", true), std::string("0") + kSplitRefusal);
  EXPECT_EQ(CellTextError("1.0", true), "'1.0' is not a valid integer value");
  EXPECT_EQ(CellTextError("", false), "'' is not a valid floating point value");
  EXPECT_EQ(CellTextError("-999.0", false), "");
}

TEST_F(TableFixture, TypingRefusalsGoBackOnceWithOneMessage) {
  EXPECT_EQ(TypedCellText("-", "", false), "-");
  EXPECT_EQ(TypedCellText("+", "", true), "+");
  EXPECT_EQ(TypedCellText("12a", "1", false), "12");
  EXPECT_EQ(TypedCellText("3", "", true), "");
  EXPECT_EQ(TypedCellText("-x", "-", false), "-");
  // Typed in front: the text without its last character is refused as well.
  EXPECT_EQ(TypedCellText("a5", "5", false), "5");
  ASSERT_EQ(ui.Shown().size(), 4u);
  EXPECT_EQ(ui.Shown(1).text, std::string("3") + kSplitRefusal);
}

TEST_F(TableFixture, UndoTextRestoresTheGridExactly) {
  SetupRows(cells, 5, true);
  RestoreGridText(cells, "a\t1\t2\t-");
  const std::string before = GridToText(cells);
  EXPECT_EQ(before.substr(0, 18), "a\t1\t2\t-\r\n\t\t\t-999\r\n");
  DeleteCells(cells, {1, 1, 4, 5});
  const std::string emptied = GridToText(cells);
  EXPECT_EQ(emptied, "\t\t\t\r\n\t\t\t\r\n\t\t\t\r\n\t\t\t\r\n\t\t\t");
  RestoreGridText(cells, before);
  EXPECT_EQ(GridToText(cells), before);
  // Empty cells of the last column come back too, and rows beyond the table are skipped.
  RestoreGridText(cells, emptied + "\r\nx\t1\t2\t3");
  EXPECT_EQ(GridToText(cells), emptied);
  cells.Cell(1, 1) = "kept";
  RestoreGridText(cells, "");  // nothing stored yet
  EXPECT_EQ(cells.Cell(1, 1), "kept");
}

TEST_F(TableFixture, CopyUsesTheUserSeparatorInValueColumns) {
  PasteText(cells, "n.1\t1.5\t2\t3.25", 1, 1, -1, '.');
  PasteText(cells, "x\t4", 1, 2, -1, '.');
  EXPECT_EQ(CopyCellsText(cells, {1, 1, 3, 2}, ','), "n.1\t1,5\t2\r\nx\t4\t");
}

TEST_F(TableFixture, RowsAreNumberedAndMarkedUnknown) {
  cells.Cell(4, 2) = "5";
  SetupRows(cells, 3, true);
  EXPECT_EQ(cells.RowCount(), 4);
  EXPECT_EQ(cells.Line(0), Line(5));  // the header row is left alone
  EXPECT_EQ(cells.Line(1), (Line{"1", "", "", "", "-999"}));
  EXPECT_EQ(cells.Line(2), (Line{"2", "", "", "", "5"}));
  SetupRows(cells, 4, false);
  EXPECT_EQ(cells.Line(4), (Line{"4", "", "", "", ""}));
  EXPECT_EQ(EditRowPosition("-5"), 1);
  EXPECT_EQ(EditRowPosition("abc"), std::nullopt);  // refused: the rows stay
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Shown(0).text, "'abc' is not a valid integer value");
  EXPECT_EQ(ui.Shown(0).caption, "APPLICATION ERROR");
  EXPECT_EQ(ui.Shown(0).Icon(), MB_ICONERROR);
  EXPECT_EQ(EditRowPosition("40000"), 32767);
  EXPECT_EQ(EditRowPosition("32767"), 32767);
  EXPECT_EQ(EditRowPosition("7"), 7);
}

struct AcceptFixture : TableFixture {
  AcceptFixture() {
    FillData(data, {{1, 2, 3}});
    data.iResponseIndex = 2;
    SetupRows(cells, 2, true);
  }
  ChemoData data;
};

TEST_F(AcceptFixture, ExternalSetAppendsPredictionAndUnknownObjects) {
  PasteText(cells, "new\t1,5\t2\t-999\r\nnext\t3\t4\t-999,0", 1, 1, -1, ',');
  ASSERT_TRUE(AcceptExternalSet(cells, data, ','));
  ASSERT_EQ(data.iObjCount, 3);
  EXPECT_EQ(data.tpObjNameStrPtr[0], "O0");
  EXPECT_EQ(data.tpChemoValuePtr[0][2].Value, 3.0L);
  EXPECT_EQ(data.tpObjNameStrPtr[1], "new");
  EXPECT_EQ(data.ipTrainingPtr[1], kStatusTraining);
  EXPECT_EQ(data.tpChemoValuePtr[1][0].Value, 1.5L);
  EXPECT_TRUE(data.tpChemoValuePtr[1][2].Missing);
  EXPECT_EQ(data.tpChemoValuePtr[1][2].Value, 0.0L);
  EXPECT_EQ(data.ipTrainingPtr[2], kStatusPrediction);
  EXPECT_FALSE(data.tpChemoValuePtr[2][2].Missing);
  EXPECT_EQ(data.tpChemoValuePtr[2][2].Value, -999.0L);
  EXPECT_EQ(data.tpChemoValuePtr[2][1].Value, 4.0L);
}

TEST_F(AcceptFixture, ExternalSetRefusalLeavesTheDataSet) {
  PasteText(cells, "a\t1\t2\r\nb\t\t4", 1, 1, -1, '.');
  EXPECT_FALSE(AcceptExternalSet(cells, data, '.'));
  EXPECT_EQ(data.iObjCount, 1);
  EXPECT_EQ(data.tpObjNameStrPtr[0], "O0");
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Shown(0).text, "'' is not a valid floating point value");
}

TEST_F(AcceptFixture, TableReplacesObjectsOnlyWhenEveryCellPasses) {
  // "Experimental", "Predicted", "Splitting" with the status in column 4.
  CellTable table(5, 4);
  PasteText(table, "1\t2\t1\r\n3\t4\t\r\n5\t6\t2", 2, 1, 4, '.');
  table.Cell(1, 2) = "named";
  ASSERT_TRUE(AcceptTable(table, data, 4, '.'));
  ASSERT_EQ(data.iObjCount, 3);
  EXPECT_EQ(data.ipTrainingPtr[0], 1);
  EXPECT_EQ(data.ipTrainingPtr[1], -1);
  EXPECT_EQ(data.ipTrainingPtr[2], 2);
  EXPECT_EQ(data.tpChemoValuePtr[2][0].Value, 5.0L);
  EXPECT_EQ(data.tpChemoValuePtr[2][1].Value, 6.0L);
  EXPECT_EQ(data.tpObjNameStrPtr[1], "named");

  table.SetRowCount(6);
  table.Cell(2, 4) = "7";
  table.Cell(3, 4) = "x";
  EXPECT_FALSE(AcceptTable(table, data, 4, '.'));
  EXPECT_EQ(data.iObjCount, 3);
  EXPECT_EQ(data.ipTrainingPtr[2], 2);
  EXPECT_EQ(data.tpObjNameStrPtr[1], "named");
}

}  // namespace

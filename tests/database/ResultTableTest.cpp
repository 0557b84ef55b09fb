#include "database/ResultTable.h"

#include <gtest/gtest.h>

namespace {

const TableRows kRows = {
    {"No.", "ID dataset", "Name", "CAS", "SMILES", "T 1.5", "U"},
    {"1", "a.1", "2.5-Dimer", "000064-17-5", "CC.O", "-114.5", ""},
    {"2", "a.2", "Water", "007732-18-5", "O", "", "100.25"},
};

TableTextStyle Style(char separator) {
  TableTextStyle style;
  style.hidden = {false, true, false, false, false, false, false};
  style.references = {"ref 1.0", "ref U"};
  style.separator = separator;
  return style;
}

}  // namespace

TEST(ResultTableTest, SavedTextsConvertOnlyValueCells) {
  EXPECT_EQ(TableSaveText(kRows, {0, 0, 6, 2}, Style(',')),
            "No.\tName\tCAS\tSMILES\tT 1.5\tU\t\r\n\t\t\t\tref 1.0\tref U\t\r\n"
            "1\t2.5-Dimer\t000064-17-5\tCC.O\t-114,5\t\t\r\n2\tWater\t007732-18-5\tO\t\t100,25\t\r\n");
  // A range below the titles starts with the titles of its columns, without references.
  EXPECT_EQ(TableSaveText(kRows, {3, 2, 6, 2}, Style('.')), "CAS\tSMILES\tT 1.5\tU\t\r\n007732-18-5\tO\t\t100.25\t\r\n");
  EXPECT_EQ(SelectionCopyText(kRows, {0, 0, 5, 1}, Style(',')),
            "No.\tName\tCAS\tSMILES\tT 1.5\t\r\nNo.\tName\tCAS\tSMILES\tT 1.5\r\n1\t2.5-Dimer\t000064-17-5\tCC.O\t-114,5");
}

TEST(ResultTableTest, DataSetColumnPrefersTheChosenColumnWithAValue) {
  EXPECT_EQ(DataSetColumn(kRows[1], 6), 5);  // no value in U: the first data set with one
  EXPECT_EQ(DataSetColumn(kRows[2], 6), 6);
  EXPECT_EQ(DataSetColumn(kRows[2], 2), 6);
  EXPECT_EQ(DataSetColumn(kRows[1], -1), 5);
  EXPECT_EQ(DataSetColumn({"1", "", "x", "1-1-1", "C", "", ""}, 5), -1);
  EXPECT_EQ(MolPathOf("db/Set/hin/50-00-0.hin"), "db/Set/mol/50-00-0.mol");
  EXPECT_EQ(MolPathOf("/a.hin"), "/a.hin");
}

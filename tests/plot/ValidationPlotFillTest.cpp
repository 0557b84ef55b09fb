#include "plot/ValidationPlotFill.h"

#include <gtest/gtest.h>

#include <fstream>

#include "../support/ScriptedUi.h"
#include "../support/TestFolder.h"
#include "plot/VGrMain.h"

namespace {

const char* const kOpenMessage =
    "Cannot open temporary validation file, detailed data are not available for plotting graphs. Please check your "
    "privileges.";
const char* const kReadMessage = "File reading error. Cannot display data.";

ValidationRecord Record(std::vector<int32_t> variables, int iterations) {
  ValidationRecord record{std::move(variables), {}};
  for (int i = 0; i < iterations; ++i)
    record.iterations.push_back(
        {CheckedValue(0.1L * (i + 1), false), CheckedValue(-0.1L * (i + 1), i == 1), CheckedValue(0.5L + i, false)});
  return record;
}

// Three models' records; the plotted model (variables 9, 2, 5) is the middle one,
// stored as 2, 5, 9 and preceded by a record of another size.
struct ValidationFile {
  TestFolder folder;
  std::string path = folder.Path("~yscr~.db$");
  const std::vector<int32_t> model{9, 2, 5};

  explicit ValidationFile(int modelIterations) {
    std::ofstream out(path, std::ios::binary);
    for (const ValidationRecord& r : {Record({2, 5}, 2), Record({2, 5, 9}, modelIterations), Record({2, 5, 7}, 1)}) {
      const std::vector<uint8_t> bytes = EncodeValidationRecord(r);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
  }
};

struct Plot {
  std::vector<std::vector<CheckedValue>> rows;
  std::vector<CheckedValue*> pointers;
  std::vector<std::string> labels;
  std::vector<int32_t> groups;
  TColor colors[4] = {};
  std::string legends[4];
  GraphData d;

  void Fill(GraphKind kind, const ValidationRecord& record, CheckedValue modelQ2) {
    FillValidationPlotData(kind, record, {CheckedValue(0.9L, false), CheckedValue(0.8L, true), modelQ2}, d,
                           {rows, pointers, labels, groups, colors, legends});
  }
  CheckedValue Y(int row) const { return d.tpGraphValue[row][d.YColumn]; }
};

struct KindCase {
  GraphKind kind;
  int rows;
  std::vector<std::string> labels;
  std::vector<int32_t> groups;
  std::vector<std::string> legends;
  std::vector<TColor> colors;
  std::string yAxis;
};

TEST(ValidationPlotTest, ModelRecordBecomesTheSeriesOfEachKind) {
  TestUi().Reset();
  ValidationFile file(3);
  ValidationRecord record;
  ASSERT_TRUE(LoadValidationPlotRecord(file.path, file.model.data(), 3, record, true));
  ASSERT_EQ(record.iterations.size(), 3u);
  const std::vector<KindCase> cases = {
      {GraphKind::YScramble,
       8,
       {"iter 0", "iter 1", "iter 2", "iter 0", "iter 1", "iter 2", "model R2", "model Q2"},
       {0, 0, 0, 1, 1, 1, 2, 3},
       {"R2 Yscr", "Q2 Yscr", "Mod. R2", "Mod. Q2"},
       {0x00FFFF, 0x0000FF, 0xFFFF00, 0xFF0000},
       "R2 Yscr and Q2 Yscr"},
      {GraphKind::RandomDescriptors, 8, {}, {}, {"R2 Xrnd", "Q2 Xrnd", "Mod. R2", "Mod. Q2"}, {}, "R2 Xrnd and Q2 Xrnd"},
      {GraphKind::RandomResponses, 8, {}, {}, {"R2 Yrnd", "Q2 Yrnd", "Mod. R2", "Mod. Q2"}, {}, "R2 Yrnd and Q2 Yrnd"},
      {GraphKind::LeaveManyOut,
       4,
       {"iter 0", "iter 1", "iter 2", "model Q2"},
       {0, 0, 0, 1},
       {"Q2 LMO", "Mod. Q2"},
       {0x0000FF, 0xFF0000},
       "Q2 LMO"},
  };
  for (const KindCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    Plot plot;
    // Left over from another kind.
    plot.d.ElementIDs = plot.d.ColumnNames = plot.legends;
    plot.d.XColumn = 1;
    plot.Fill(c.kind, record, CheckedValue(0.7L, false));
    const GraphData& d = plot.d;
    ASSERT_EQ(d.RowCount, c.rows);
    EXPECT_EQ(d.ColCount, 2);
    EXPECT_EQ(d.XColumn, 0);
    EXPECT_EQ(d.ElementIDs, nullptr);
    EXPECT_EQ(d.ColumnNames, nullptr);
    EXPECT_EQ(d.XAxisName, "Kxy");
    EXPECT_EQ(d.YAxisName, c.yAxis);
    EXPECT_TRUE(d.Axis.Legend);
    ASSERT_EQ(d.Axis.GroupCount, static_cast<int>(c.legends.size()));
    for (std::size_t g = 0; g < c.legends.size(); ++g) EXPECT_EQ(d.Axis.LegendNames[g], c.legends[g]);
    for (std::size_t g = 0; g < c.colors.size(); ++g) EXPECT_EQ(d.Axis.GroupColors[g], c.colors[g]);
    for (std::size_t r = 0; r < c.labels.size(); ++r) {
      EXPECT_EQ(d.ElementNames[r], c.labels[r]);
      EXPECT_EQ(d.Axis.ElementGroup[r], c.groups[r]);
    }
    const bool lmo = c.kind == GraphKind::LeaveManyOut;
    // Iteration 1: X its Kxy; its Q2 is missing in the file, its R2 is not.
    EXPECT_EQ(d.tpGraphValue[1][d.XColumn].Value, 1.5L);
    EXPECT_EQ(plot.Y(lmo ? 2 : 5).Value, -0.3L);
    EXPECT_TRUE(plot.Y(lmo ? 1 : 4).Missing);
    if (!lmo) {
      EXPECT_FALSE(plot.Y(1).Missing);
    }
    // The model points: its Kxy, R2 and Q2, always shown for kinds 10-12.
    EXPECT_EQ(d.tpGraphValue[c.rows - 1][d.XColumn].Value, 0.9L);
    EXPECT_EQ(plot.Y(c.rows - 1).Value, 0.7L);
    if (!lmo) {
      EXPECT_EQ(plot.Y(c.rows - 2).Value, 0.8L);
    }
    if (!lmo) {
      EXPECT_FALSE(plot.Y(c.rows - 2).Missing);
    }
  }
  EXPECT_TRUE(TestUi().Shown().empty());
}

TEST(ValidationPlotTest, NoIterationsAndMissingModelQ2) {
  ValidationFile file(0);
  ValidationRecord record;
  ASSERT_TRUE(LoadValidationPlotRecord(file.path, file.model.data(), 3, record, true));
  Plot yscr;
  yscr.Fill(GraphKind::YScramble, record, CheckedValue(0.7L, true));
  ASSERT_EQ(yscr.d.RowCount, 2);
  EXPECT_EQ(yscr.d.ElementNames[0], "model R2");
  EXPECT_FALSE(yscr.Y(1).Missing);
  Plot lmo;
  lmo.Fill(GraphKind::LeaveManyOut, record, CheckedValue(0.7L, true));
  ASSERT_EQ(lmo.d.RowCount, 1);
  EXPECT_TRUE(lmo.Y(0).Missing);
}

TEST(ValidationPlotTest, MissingFileOrRecordIsReported) {
  ValidationFile file(2);
  ValidationRecord record;
  TestUi().Reset();
  EXPECT_FALSE(LoadValidationPlotRecord(file.folder.Path("none.db$"), file.model.data(), 3, record, true));
  ASSERT_EQ(TestUi().Shown().size(), 2u);
  EXPECT_EQ(TestUi().Shown(0).text, kOpenMessage);
  EXPECT_EQ(TestUi().Shown(1).text, kReadMessage);
  EXPECT_EQ(TestUi().Shown(1).caption, "APPLICATION WARNING");
  TestUi().Reset();
  const std::vector<int32_t> other{9, 2, 4};
  EXPECT_FALSE(LoadValidationPlotRecord(file.path, other.data(), 3, record, true));
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, kReadMessage);
  TestUi().Reset();
  EXPECT_FALSE(LoadValidationPlotRecord(file.path, other.data(), 3, record, false));
  EXPECT_TRUE(TestUi().Shown().empty());
}

}  // namespace

#include "plot/ModelPlotFill.h"

#include <gtest/gtest.h>

#include "plot/VGrMain.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::MakeData;

// Kind 5 over three training objects whose rows are (X, Y) as given.
struct BandFixture {
  explicit BandFixture(const std::vector<std::pair<long double, long double>>& xy)
      : data(MakeData({{1, {1}, 1.0L}, {1, {2}, 2.0L}, {1, {3}, 3.0L}})) {
    for (const auto& [x, y] : xy) cells.push_back({CheckedValue(x, false), CheckedValue(y, false)});
    for (auto& row : cells) rows.push_back(row.data());
  }
  int Fill(GraphData& d, bool band) {
    const ModelPlotInput input{GraphKind::ExpVsCalc, data.get(), rows.data(), 0.5L, 2.0L, band};
    return FillModelPlotData(input, d, {groups, colors, names});
  }
  std::unique_ptr<ChemoData> data;
  std::vector<std::vector<CheckedValue>> cells;
  std::vector<CheckedValue*> rows;
  std::vector<int32_t> groups;
  TColor colors[3];
  std::string names[3];
};

TEST(ModelPlotFill, TheBandIsTwiceTheDeviationOfTheResidualsAndKeepsItsStateWhenItCannotBeComputed) {
  BandFixture plain({{1, 2}, {2, 2}, {3, 2}});  // X - Y = -1, 0, 1: population deviation sqrt(2/3)
  GraphData d;
  plain.Fill(d, true);
  EXPECT_TRUE(d.Axis.Band);
  EXPECT_NEAR(static_cast<double>(d.Axis.BandOffset), 2.0 * std::sqrt(2.0 / 3.0), 1e-15);
  plain.Fill(d, false);
  EXPECT_FALSE(d.Axis.Band);

  // Squares beyond the extended range: the deviation fails, the rest of the plot stands.
  BandFixture huge({{1e4000L, -1e4000L}, {0, 0}, {1, 1}});
  GraphData failed;
  failed.Axis.BandOffset = 7;
  EXPECT_NO_THROW(huge.Fill(failed, true));
  EXPECT_FALSE(failed.Axis.Band);
  EXPECT_EQ(failed.Axis.BandOffset, 7);
  EXPECT_EQ(failed.XAxisName, "Exp. endpoint");
  EXPECT_EQ(huge.groups, (std::vector<int32_t>{0, 0, 0}));
}

}  // namespace

#include "prepare/VDtMain.h"

#include <gtest/gtest.h>

#include "platform/qt/StringGrid.h"
#include "prepare/SetupTestData.h"
#include "support/FakeProjectHost.h"

namespace {

struct ViewerFixture : testing::Test {
  // V0 the response, V1 selected; O1 lacks the response, O2 a selected value,
  // O3 both and is excluded. Two splittings.
  ViewerFixture() {
    FillData(data, {{1.5, 2, 7}, {kMissing, 3, 7}, {2, kMissing, 7}, {kMissing, kMissing, 7}, {4, 1e-7L, 7}});
    data.tpVarNameStrPtr[1] = "LogP";
    data.tpVarNameStrPtr[2] = "Const";
    data.ipTrainingPtr[3] = kStatusExcluded;
    data.ipTrainingPtr[4] = kStatusPrediction;
    data.iResponseIndex = 0;
    SetVarLists(data, {1});
    data.iSplitCount = 2;
    data.tpSplitNameStrPtr = new std::string[2]{"A", "B"};
    data.ipSplittingPtr = new int32_t*[2]{new int32_t[5]{1, 2, 0, 1, 1}, new int32_t[5]{2, 2, 2, 2, 7}};
  }

  // Counts the animation ticks of the progress windows opened.
  struct RecordingProgress : Progress {
    explicit RecordingProgress(ViewerFixture& f) : fixture(f) {}
    void SetText(const std::string&) override {}
    void SetRange(int, int) override {}
    void SetPosition(int) override {}
    void AnimationTick() override { ++fixture.ticks; }
    ViewerFixture& fixture;
  };

  std::unique_ptr<TViewDataForm> Open() {
    auto form = std::make_unique<TViewDataForm>(
        nullptr, nullptr, &data, [this](bool) { return std::make_unique<RecordingProgress>(*this); });
    form->ShowModalWindow = [this](ModalDialog& window) { shown.push_back(window.windowTitle().toStdString()); };
    return form;
  }

  FakeProjectHost host;
  ChemoData& data = host.data;
  std::vector<std::string> shown;
  int ticks = 0;
  ScriptedUi& ui = TestUi();
};

TEST_F(ViewerFixture, TableHoldsValuesStatusesAndSplittings) {
  auto form = Open();
  StringGrid& grid = *form->StringGrid;
  ASSERT_EQ(grid.ColCount(), 8);
  ASSERT_EQ(grid.RowCount(), 6);
  EXPECT_EQ(grid.Cells(7, 0), "B");
  EXPECT_EQ(grid.Cells(4, 5), "1E-7");
  EXPECT_EQ(grid.Cells(3, 2), "Missing data");
  const char* statuses[] = {"Training", "Unknown", "Missing", "Missing", "Prediction"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(grid.Cells(2, i + 1), statuses[i]) << "object " << i;
  EXPECT_EQ(grid.Cells(7, 5), "Undefined");  // a splitting value out of range
  EXPECT_EQ(ticks, 5 + 5 + 5);  // object rows, variable and splitting headers, data rows
}

TEST_F(ViewerFixture, SelectionsKeepToTheDataAndCopyConvertsNumbers) {
  host.separator = ',';
  auto form = Open();
  StringGrid& grid = *form->StringGrid;
  grid.SetSelection({1, 2, 4, 3});
  form->StringGridMouseUp();
  EXPECT_EQ(grid.Selection(), (GridRect{3, 2, 4, 3}));

  grid.SetSelection({3, 1, 4, 2});
  form->SpeedButtonCopyClick();
  EXPECT_EQ(ui.clipboard, "ID\tName\tV0\tLogP\t\r\n1\tO0\t1,5\t2\t\r\n2\tO1\tMissing data\t3\t\r\n");
}

TEST_F(ViewerFixture, PlotsAndCorrelationOpenModally) {
  auto form = Open();
  form->SpeedButtonGraphVarClick();
  form->SpeedButtonGraphObjClick();
  form->SpeedButtonGraphBarClick();
  form->SpeedButtonScatterGraphClick();
  EXPECT_EQ(shown.size(), 4u);
  // Only the constant variable is complete: the correlation refuses with its own text.
  form->SpeedButtonCorrMatrClick();
  ASSERT_EQ(ui.Shown().size(), 1u);
  data.tpChemoValuePtr[1][0] = CheckedValue(3.0L, false);
  data.tpChemoValuePtr[3][0] = CheckedValue(5.0L, false);
  form->SpeedButtonCorrMatrClick();
  EXPECT_EQ(shown.back(), "View correlation matrix");
  EXPECT_EQ(ui.Shown().size(), 1u);
}

}  // namespace

#include "prepare/VDtMain.h"

#include <gtest/gtest.h>

#include <QScrollBar>

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

  // Records the texts of the progress windows opened and their last position.
  struct RecordingProgress : Progress {
    explicit RecordingProgress(ViewerFixture& f) : fixture(f) {}
    void SetText(const std::string& text) override { fixture.progressTexts.push_back(text); }
    void SetRange(int, int) override {}
    void SetPosition(int pos) override { fixture.lastPosition = pos; }
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
  std::vector<std::string> progressTexts;
  int lastPosition = 0;
  int ticks = 0;
  ScriptedUi& ui = TestUi();
};

TEST_F(ViewerFixture, TableHoldsValuesStatusesAndSplittings) {
  auto form = Open();
  StringGrid& grid = *form->StringGrid;
  EXPECT_EQ(form->windowTitle(), "View Data");
  ASSERT_EQ(grid.ColCount(), 8);
  ASSERT_EQ(grid.RowCount(), 6);
  EXPECT_EQ(grid.Cells(4, 0), "LogP");
  EXPECT_EQ(grid.Cells(7, 0), "B");
  EXPECT_EQ(grid.Cells(0, 5), "5");
  EXPECT_EQ(grid.Cells(3, 1), "1.5");
  EXPECT_EQ(grid.Cells(4, 5), "1E-7");
  EXPECT_EQ(grid.Cells(3, 2), "Missing data");
  const char* statuses[] = {"Training", "Unknown", "Missing", "Missing", "Prediction"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(grid.Cells(2, i + 1), statuses[i]) << "object " << i;
  EXPECT_EQ(grid.Cells(6, 2), "Prediction");
  EXPECT_EQ(grid.Cells(7, 5), "Undefined");
  EXPECT_EQ(grid.Selection(), (GridRect{3, 1, 3, 1}));
  EXPECT_EQ(grid.horizontalScrollBar()->value(), 0);  // the labels stay in sight
  EXPECT_EQ(progressTexts, (std::vector<std::string>{"Loading data..."}));
  EXPECT_EQ(ticks, 5 + 5 + 5);  // object rows, variable and splitting headers, data rows
}

TEST_F(ViewerFixture, SelectionsKeepToTheDataAndCopyConvertsNumbers) {
  host.separator = ',';
  auto form = Open();
  StringGrid& grid = *form->StringGrid;
  grid.SetSelection({0, 2, 1, 3});
  form->StringGridMouseUp();
  EXPECT_EQ(grid.Selection(), (GridRect{3, 1, 3, 1}));
  grid.SetSelection({1, 2, 4, 3});
  form->StringGridMouseUp();
  EXPECT_EQ(grid.Selection(), (GridRect{3, 2, 4, 3}));
  form->SpeedButtonSelectRowClick();
  EXPECT_EQ(grid.Selection(), (GridRect{3, 2, 7, 3}));
  form->SpeedButtonSelectColumnClick();
  EXPECT_EQ(grid.Selection(), (GridRect{3, 1, 7, 5}));

  grid.SetSelection({3, 1, 4, 2});
  form->SpeedButtonCopyClick();
  EXPECT_EQ(ui.clipboard, "ID\tName\tV0\tLogP\t\r\n1\tO0\t1,5\t2\t\r\n2\tO1\tMissing data\t3\t\r\n");
  form->SpeedButtonSelectAllClick();
  form->SpeedButtonCopyClick();
  EXPECT_EQ(ui.clipboard.substr(0, 30), "ID\tName\tV0\tLogP\tConst\tA\tB\t\r\n1\t");
  EXPECT_EQ(std::count(ui.clipboard.begin(), ui.clipboard.end(), '\n'), 6);
  EXPECT_EQ(progressTexts.back(), "Sending...");
  EXPECT_EQ(lastPosition, 6);
}

TEST_F(ViewerFixture, PlotsAndCorrelationOpenModally) {
  auto form = Open();
  form->SpeedButtonGraphVarClick();
  form->SpeedButtonGraphObjClick();
  form->SpeedButtonGraphBarClick();
  form->SpeedButtonScatterGraphClick();
  EXPECT_EQ(shown, (std::vector<std::string>{"Variables profile", "Objects profile", "N\xC2\xB0 objects bar chart",
                                             "Variables scatter plot"}));
  // Only the constant variable is complete: the correlation refuses with its own text.
  form->SpeedButtonCorrMatrClick();
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Shown(0).caption, "APPLICATION WARNING");
  data.tpChemoValuePtr[1][0] = CheckedValue(3.0L, false);
  data.tpChemoValuePtr[3][0] = CheckedValue(5.0L, false);
  form->SpeedButtonCorrMatrClick();
  EXPECT_EQ(shown.back(), "View correlation matrix");
  EXPECT_EQ(ui.Shown().size(), 1u);
}

// The search itself (steps, end of list, Yes and No) is the import window's test.
TEST_F(ViewerFixture, SearchesFindLabelsAndNamesFoldingCase) {
  auto form = Open();
  StringGrid& grid = *form->StringGrid;
  form->SearchVariableClick();
  ASSERT_TRUE(ui.PressFind("logp"));
  EXPECT_EQ(grid.Selection().Left, 4);
  ASSERT_TRUE(ui.PressFind("const"));
  EXPECT_EQ(grid.Selection().Left, 5);
  form->SearchObjectClick();
  ui.Answer(IDNO);  // O4 is in the last row: the end of the list is reached
  ASSERT_TRUE(ui.PressFind("o4"));
  EXPECT_EQ(grid.Selection(), (GridRect{1, 5, 1, 5}));
  EXPECT_EQ(ui.Shown().size(), 1u);
}

}  // namespace

// The analyses of the model list window through their handlers, with the
// windows they open captured and shown.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QAction>
#include <array>
#include <cmath>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "models/ModelListColumns.h"
#include "models/VSmMain.h"
#include "platform/qt/QtConvert.h"
#include "platform/qt/QtUiServices.h"
#include "platform/qt/StringGrid.h"
#include "platform/qt/UpDown.h"
#include "plot/VGrMain.h"
#include "plot/VMtMain.h"
#include "support/FakeProjectHost.h"
#include "support/GridColumns.h"
#include "support/Pictures.h"
#include "support/ScriptedUi.h"
#include "support/UserInput.h"
#include "support/WindowSystemInput.h"
#include "validate/AVmMain.h"
#include "validate/CThMain.h"
#include "validate/SingleModelAnalysis.h"
#include "validate/ValidationTestData.h"

namespace {

using namespace validationtest;

// Every progress window's calls, as text.
struct ProgressLog : Progress {
  explicit ProgressLog(std::vector<std::string>& log) : log(log) {}
  void SetText(const std::string& text) override { log.push_back("text " + text); }
  void SetRange(int lo, int hi) override { log.push_back("range " + std::to_string(lo) + " " + std::to_string(hi)); }
  void SetPosition(int pos) override { log.push_back("at " + std::to_string(pos)); }
  void AnimationTick() override { log.push_back("tick"); }
  void SetCaption(const std::string& caption) override { log.push_back("caption " + caption); }
  void SetAnimationText(const std::string& text) override { log.push_back("animation" + text); }
  std::vector<std::string>& log;
};

struct Shown {
  std::string caption;
  int points = 0;
  std::vector<std::string> axes;
  std::vector<std::string> lines;  // message window lines, or count-matrix cells
  std::vector<std::string> labels;  // a plot's label choices
  std::vector<std::string> firstPoint;  // a models scatter's first point: its name, number and identifier
  bool wholeTexts = true;  // every cell and title of a count matrix shows whole
};

// The thresholds dialog's answer: Q2-F1 down to its lowest step (0.01), accepted.
void LowestQ2F1Threshold(ModalDialog& window) {
  auto& dialog = dynamic_cast<TFormThreshold&>(window);
  dialog.UpDownQ2F1->SetPosition(0);
  dialog.UpDownClick(0);
  dialog.ButtonAcceptClick();
}

class ViewSelAnalysesTest : public ::testing::Test {
protected:
  ViewSelAnalysesTest() {
    TestUi().Reset();
    std::vector<TestObject> objects;
    const long double bs[12] = {2.1L, 0.4L, 3.3L, 1.8L, 4.6L, 0.9L, 2.7L, 3.9L, 1.2L, 4.1L, 2.2L, 3.0L};
    const long double cs[12] = {5.2L, 3.1L, 0.7L, 4.4L, 2.9L, 6.3L, 1.5L, 3.8L, 4.9L, 0.2L, 2.6L, 5.5L};
    for (int i = 0; i < 12; ++i) {
      const long double a = i, b = bs[i], c = cs[i];
      const int status = i < 8 ? 1 : i < 10 ? 2 : 0;
      std::optional<long double> y = 1.0L + 0.8L * a - 0.5L * b + 0.3L * c + ((i * 5) % 3) * 0.2L;
      if (i == 7) y.reset();  // a training object without a response
      objects.push_back({status, {a, b, c}, y});
    }
    data = MakeData(objects);
    host.models = new DataResultList(data.get());
    for (const std::vector<int>& vars : std::vector<std::vector<int>>{{0, 1}, {1, 2}, {0, 2}}) {
      DataResultNode& m = FitByEngine(*data, *host.models, vars);
      m.iSelStatus = 3;
      m.iID = 10 + static_cast<int>(m.iSize) * 10 + host.models->Count();
    }
  }
  ~ViewSelAnalysesTest() override { delete host.models; }

  std::unique_ptr<TViewSelForm> Open(ProgressWindowFactory progress = {}) {
    auto form = std::make_unique<TViewSelForm>(nullptr, &host.models, data.get(), std::move(progress));
    form->ShowModalWindow = [this](ModalDialog& window) { Capture(window); };
    return form;
  }
  void Capture(ModalDialog& window) {
    Shown shown;
    shown.caption = StdStr(window.windowTitle());
    if (auto* graph = dynamic_cast<TViewGraphForm*>(&window)) {
      Grab(window, shown.caption);
      shown.points = graph->Data().RowCount;
      for (int c = 0; c < graph->Data().ColCount && graph->Data().ColumnNames; ++c)
        shown.axes.push_back(graph->Data().ColumnNames[c]);
      for (int i = 0; i < graph->ComboBoxLabel->count(); ++i) shown.labels.push_back(StdStr(graph->ComboBoxLabel->itemText(i)));
      if (shown.labels.size() == 4 && shown.points > 0)
        for (int choice = 1; choice <= 3; ++choice) {
          graph->ComboBoxLabel->setCurrentIndex(choice);
          graph->ComboBoxLabelChange();
          const GraphData& d = graph->Data();
          const std::string* texts = choice == 3 ? d.ElementIDs : d.ElementNames;
          shown.firstPoint.push_back(texts != nullptr ? texts[0] : "none");
        }
    } else if (auto* matrix = dynamic_cast<TFormViewMatrix*>(&window)) {
      Grab(window, shown.caption);
      for (int col = 0; col < matrix->StringGrid->ColCount(); ++col)
        shown.wholeTexts = shown.wholeTexts && ShowsWholeTexts(*matrix->StringGrid, col);
      for (int row = 0; row < matrix->StringGrid->RowCount(); ++row)
        for (int col = 0; col < matrix->StringGrid->ColCount(); ++col)
          shown.lines.push_back(matrix->StringGrid->Cells(col, row));
    } else if (auto* list = dynamic_cast<TFormAvailMod*>(&window)) {
      for (int i = 0; i < list->ListBox->count(); ++i) shown.lines.push_back(StdStr(list->ListBox->item(i)->text()));
    } else if (onDialog) {
      onDialog(window);
    }
    window.hide();
    shown_.push_back(shown);
  }
  static void Grab(QWidget& window, std::string name) {
    window.resize(760, 560);
    window.show();
    QApplication::processEvents();
    for (char& ch : name)
      if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    SavePictureWhenAsked(window, "korvane_" + name);
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& m : TestUi().Shown()) texts.push_back(m.text);
    return texts;
  }

  FakeProjectHost host;
  std::unique_ptr<ChemoData> data;
  std::vector<Shown> shown_;
  std::function<void(ModalDialog&)> onDialog;
};

}  // namespace

TEST_F(ViewSelAnalysesTest, McdmScoresListsModelsWithoutInternalValidationAndEnablesItsPlot) {
  auto form = Open();
  EXPECT_FALSE(form->SpeedButtonMCDMgraph->isEnabled());
  EXPECT_FALSE(form->ViewMCDMgraph1->isEnabled());
  EXPECT_TRUE(form->SpeedButtonMultiCrit->isEnabled());
  form->SpeedButtonMultiCritClick();
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].caption, "Application message");
  ASSERT_EQ(shown_[0].lines.size(), 3u);
  // The search gave Q2loo and CCC cv; the internal validation never ran.
  EXPECT_EQ(shown_[0].lines[0], "Mod ID 31 --> <Internal>[ (R2 Yscr) (Q2 LMO)  ]     ");
  EXPECT_EQ(shown_[0].lines[2], "Mod ID 33 --> <Internal>[ (R2 Yscr) (Q2 LMO)  ]     ");
  EXPECT_TRUE(form->SpeedButtonMCDMgraph->isEnabled());
  EXPECT_TRUE(form->ViewMCDMgraph1->isEnabled());
  for (DataResultNode* m = host.models->First(); m != nullptr; m = m->Next()) {
    EXPECT_FALSE(m->cvMCDMfit.Missing);
    EXPECT_FALSE(m->cvMCDMext.Missing);  // recomputed from the prediction objects
    EXPECT_TRUE(m->cvMCDMall.Missing);
  }
  EXPECT_EQ(form->Cells(54, 0), "MCDM all");

  host.models->First()->iSelStatus = 0;
  form->SpeedButtonMCDMgraphClick();
  ASSERT_EQ(shown_.size(), 2u);
  EXPECT_EQ(shown_[1].caption, "MCDM fitting vs. MCDM external");
  EXPECT_EQ(shown_[1].points, 2);
  EXPECT_EQ(shown_[1].axes, (std::vector<std::string>{"MCDM ext", "MCDM fit"}));

  // No selected model with both scores: said plainly, no plot.
  for (DataResultNode* m = host.models->First(); m != nullptr; m = m->Next()) m->cvMCDMext.Missing = true;
  TestUi().Clear();
  form->SpeedButtonMCDMgraphClick();
  EXPECT_EQ(shown_.size(), 2u);
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_TRUE(IsMessage(TestUi().Shown(0),
                        "Sorry, no selected model has both MCDM fit and MCDM ext. Please, check your selection.",
                        "APPLICATION MESSAGE", MB_ICONINFORMATION));
}

TEST_F(ViewSelAnalysesTest, Q2LofPlotLeavesOutAModelWithAMissingLof) {
  auto form = Open();
  host.models->Last()->cvLOF = CheckedValue(1e99L, true);
  form->SpeedButtonQ2looLOFClick();
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].caption, "Q2loo vs. Lack Of Fitting");
  EXPECT_EQ(shown_[0].points, 2);
  EXPECT_EQ(shown_[0].axes, (std::vector<std::string>{"Q2loo", "LOF"}));
  // Variables texts as names, ranks as numbers, identifiers.
  EXPECT_EQ(shown_[0].labels, (std::vector<std::string>{"None", "Name", "Number", "Mod ID"}));
  // The first point's variables text, rank and identifier belong to one model.
  ASSERT_EQ(shown_[0].firstPoint.size(), 3u);
  const DataResultNode* model = host.models->First();
  while (model != nullptr && std::to_string(model->iID) != shown_[0].firstPoint[2]) model = model->Next();
  ASSERT_NE(model, nullptr) << shown_[0].firstPoint[2];
  EXPECT_FALSE(model->sName.empty());
  EXPECT_EQ(shown_[0].firstPoint[0], model->sName);
  EXPECT_EQ(shown_[0].firstPoint[1], std::to_string(model->iRank));
}

TEST_F(ViewSelAnalysesTest, AverageR2Q2PlotGivesTheMeansOfEachSize) {
  auto form = Open();
  form->SpeedButtonR2vsQ2Click();
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].caption, "Average models R2 vs. Q2");
  EXPECT_EQ(shown_[0].points, 4);  // 2K rows, K = 2
}

TEST_F(ViewSelAnalysesTest, OutlierCountsShowTheMatrixEmptyForExcludedAndResponseLessObjects) {
  data->tpObjNameStrPtr[4] = "An object with a rather long name";
  auto form = Open();
  form->ComboBoxStdRes->setCurrentText("0.5");
  form->SpeedButtonHatResClick();
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].caption, "View counting of the out of limits objects");
  EXPECT_TRUE(shown_[0].wholeTexts);
  const std::vector<std::string> low = shown_[0].lines;
  const int cols = 4;
  ASSERT_EQ(low.size(), 13u * cols);
  EXPECT_EQ(low[0], "Name");
  EXPECT_EQ(low[1], "High leverage (> h*)");
  // The window may order the rows: find the object's row by its name.
  auto cell = [&](const std::vector<std::string>& cells, int obj, int col) {
    for (std::size_t row = 1; row * cols < cells.size(); ++row)
      if (cells[row * cols] == data->tpObjNameStrPtr[obj]) return cells[row * cols + col + 1];
    return std::string("no row");
  };
  for (int obj : {7, 10, 11})
    for (int col = 0; col < 3; ++col) EXPECT_EQ(cell(low, obj, col), "") << obj;
  int counted = 0;
  for (int obj = 0; obj < 10; ++obj)
    if (obj != 7) counted += std::stoi(cell(low, obj, 1));
  EXPECT_GT(counted, 0);
  const DataResultNode& first = *host.models->First();
  EXPECT_FALSE(first.ciNYOutlOverModEq.Missing);

  // A higher residual threshold changes the residual columns only.
  form->ComboBoxStdRes->setCurrentText("5.0");
  form->SpeedButtonHatResClick();
  ASSERT_EQ(shown_.size(), 2u);
  const std::vector<std::string>& high = shown_[1].lines;
  for (int obj = 0; obj < 10; ++obj) {
    if (obj == 7) continue;
    EXPECT_EQ(cell(high, obj, 0), cell(low, obj, 0));
    EXPECT_EQ(cell(high, obj, 1), "0");
    EXPECT_EQ(cell(high, obj, 2), "0");
  }
  EXPECT_EQ(first.ciNYOutlOverModEq.Value + first.ciNYOutlUndModEq.Value, 0);
}

// A run in which every model is counted: no warning, and each object's cells
// and each model's count cells are exactly what the single-model residuals give.
TEST_F(ViewSelAnalysesTest, OutlierCountsWithoutFailureAreExact) {
  const long double t = 0.5L;
  std::vector<int> equation(10), loo(10);
  std::vector<std::array<int, 4>> perModel;
  for (DataResultNode* m = host.models->First(); m != nullptr; m = m->Next()) {
    SingleModelAnalysis analysis(*data, *m);
    std::array<int, 4> signs{};  // over eq., under eq., over LOO, under LOO
    for (int e = 0; e < 10; ++e) {
      for (int kind = 0; kind < 2; ++kind) {
        const CheckedValue& r = (kind == 0 ? analysis.StdResCalc() : analysis.StdResPred())[e][1];
        if (r.Missing || !(t < std::fabs(r.Value))) continue;
        ++(kind == 0 ? equation : loo)[e];
        ++signs[2 * kind + (r.Value >= 0.0L ? 0 : 1)];
      }
    }
    perModel.push_back(signs);
  }
  auto form = Open();
  form->ComboBoxStdRes->setCurrentText("0.5");
  form->SpeedButtonHatResClick();
  EXPECT_TRUE(TestUi().Shown().empty());
  ASSERT_EQ(shown_.size(), 1u);
  const std::vector<std::string>& cells = shown_[0].lines;
  for (std::size_t row = 1; row * 4 < cells.size(); ++row) {
    const int obj = std::stoi(cells[row * 4].substr(1));
    if (obj == 7 || obj >= 10) continue;
    EXPECT_EQ(cells[row * 4 + 2], std::to_string(equation[obj])) << obj;
    EXPECT_EQ(cells[row * 4 + 3], std::to_string(loo[obj])) << obj;
  }
  int k = 0;
  for (DataResultNode* m = host.models->First(); m != nullptr; m = m->Next(), ++k) {
    EXPECT_EQ(m->ciNYOutlOverModEq.Value, perModel[k][0]);
    EXPECT_EQ(m->ciNYOutlUndModEq.Value, perModel[k][1]);
    EXPECT_EQ(m->ciNYOutlOverLOO.Value, perModel[k][2]);
    EXPECT_EQ(m->ciNYOutlUndLOO.Value, perModel[k][3]);
  }
  // The list shows every model's six counts.
  using model_list_columns::ColumnTitled;
  for (int row = 1; row <= form->Table().RowCount(); ++row) {
    const DataResultNode& m = *form->Table().RowModel(row);
    for (int col = ColumnTitled("N. Y-outl. und. mod. eq."); col <= ColumnTitled("N. out AD"); ++col)
      EXPECT_EQ(form->Cells(col, row), std::to_string((m.*ModelListColumns()[col].count).Value)) << col;
  }
}

// The first model's design made singular after its fit: its count fails with
// an exception, which is reported, and no count matrix is shown.
TEST_F(ViewSelAnalysesTest, AnOutlierCountThatFailsSaysWhy) {
  for (int i = 0; i < data->iObjCount; ++i) data->tpChemoValuePtr[i][1] = data->tpChemoValuePtr[i][0];
  auto form = Open();
  form->SpeedButtonHatResClick();
  EXPECT_TRUE(shown_.empty());
  ASSERT_EQ(Texts(), (std::vector<std::string>{"Leverage calculation: singular matrix found"}));
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
}

TEST_F(ViewSelAnalysesTest, LoweringTheQ2F1ThresholdBelowAModelRaisesItsExternalCount) {
  auto form = Open();
  data->ldQ2F1Threshold = 1.0L;
  form->SpeedButtonExtValidationClick();
  DataResultNode& model = *host.models->First();
  const int before = model.ciNExtOK.Value;
  ASSERT_LT(model.cvQ2F1.Value, 1.0L);
  ASSERT_GT(model.cvQ2F1.Value, 0.01L);
  onDialog = LowestQ2F1Threshold;
  form->SpeedButtonChangeThreshClick();
  EXPECT_EQ(model.ciNExtOK.Value, before + 1);

  onDialog = [](ModalDialog&) {};  // closed without a change
  model.ciNExtOK.Value = 77;
  form->SpeedButtonChangeThreshClick();
  EXPECT_EQ(model.ciNExtOK.Value, 77);
}

TEST_F(ViewSelAnalysesTest, ResidualsPcaShowsOneLoadingPointPerSelectedModel) {
  auto form = Open();
  form->SpeedButtonPCAResClick();
  ASSERT_EQ(shown_.size(), 1u) << (Texts().empty() ? "" : Texts()[0]);
  EXPECT_EQ(shown_[0].caption, "PCA of the residuals");
  EXPECT_EQ(shown_[0].points, 3);
  ASSERT_EQ(shown_[0].axes.size(), 3u);
  EXPECT_EQ(shown_[0].axes[0].rfind("PC1 (EV% = ", 0), 0u);
  EXPECT_EQ(shown_[0].labels, (std::vector<std::string>{"None", "Name", "Number", "Mod ID"}));
  // The hidden single-model calculation gave the models their leverages.
  EXPECT_EQ(host.models->First()->tsTrainLev.iCount, 7);
  EXPECT_EQ(host.models->First()->tsTestLev.iCount, 2);
}

// Nine included objects and three selected models need 1161 bytes: one byte
// less refuses both analyses before any pass, naming how many models fit.
TEST_F(ViewSelAnalysesTest, APcaTooLargeForTheAvailableMemoryIsRefusedAtOnce) {
  std::vector<std::string> log;
  auto form = Open([&log](bool) { return std::make_unique<ProgressLog>(log); });
  form->AvailableMemory = [] { return uint64_t{1160}; };
  log.clear();
  form->SpeedButtonPCAResClick();
  form->SpeedButtonPCAdescClick();
  EXPECT_TRUE(shown_.empty());
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(host.models->First()->tsTrainLev.iCount, 0);  // no pass ran
  ASSERT_EQ(TestUi().Shown().size(), 2u);
  EXPECT_TRUE(
      IsMessage(TestUi().Shown(0),
                "Cannot calculate PCA of 3 models: it needs 0.0 GB of memory and 0.0 GB are available. Please, select "
                "at most 2 models.",
                "APPLICATION ERROR", MB_ICONERROR));
  form->AvailableMemory = [] { return uint64_t{1161}; };
  form->SpeedButtonPCAResClick();
  EXPECT_EQ(shown_.size(), 1u);
}

TEST_F(ViewSelAnalysesTest, EscapeAnsweredYesEndsAPcaWithoutAPlot) {
  auto form = Open();
  TestUi().PressEscape(1);
  TestUi().Answer(IDYES);
  form->SpeedButtonPCAResClick();
  TestUi().PressEscape(1);
  TestUi().Answer(IDYES);
  form->SpeedButtonPCAdescClick();
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(Texts(), (std::vector<std::string>(2, "Do you really want to abort calculation?")));
}

TEST_F(ViewSelAnalysesTest, DescriptorsAndChemicalsPca) {
  auto form = Open();
  EXPECT_TRUE(form->SpeedButtonPCAdesc->isEnabled());
  form->SpeedButtonPCAdescClick();
  form->SpeedButtonPCAchemClick();
  ASSERT_EQ(shown_.size(), 2u) << (Texts().empty() ? "" : Texts()[0]);
  EXPECT_EQ(shown_[0].caption, "PCA of the descriptors");
  EXPECT_EQ(shown_[0].points, 3);
  EXPECT_EQ(shown_[1].caption, "PCA of the chemicals");
  EXPECT_EQ(shown_[1].points, 9);  // training and prediction objects with a response
  EXPECT_FALSE(form->SpeedButtonPCAchem->isVisible());
}

TEST_F(ViewSelAnalysesTest, ModelsOfSizeOneGiveTheFirstStageMessage) {
  host.models->Clear();
  for (int v = 0; v < 2; ++v) FitByEngine(*data, *host.models, {v}).iSelStatus = 3;
  auto form = Open();
  form->SpeedButtonPCAdescClick();
  EXPECT_TRUE(shown_.empty());
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Sorry, cannot calculate PCA. Please, check your data.");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION ERROR");
}

TEST_F(ViewSelAnalysesTest, ProgressOfThePcaCommands) {
  std::vector<std::string> log;
  auto form = Open([&log](bool animated) {
    log.push_back(animated ? "open animated" : "open bar");
    return std::make_unique<ProgressLog>(log);
  });
  log.clear();
  form->SpeedButtonPCAdescClick();
  std::vector<std::string> expected = {"open animated", "caption Please wait or press ESC to abort...",
                                       "text Calculating PCA...", "tick", "tick", "tick",
                                       "animation finalizing, please wait..."};
  EXPECT_EQ(log, expected);

  log.clear();
  form->SpeedButtonPCAResClick();
  const int step = 2147483647 / 3 / 2;
  ASSERT_GE(log.size(), 5u);
  EXPECT_EQ(log[0], "open bar");
  EXPECT_EQ(log[1], "range 0 2147483647");
  EXPECT_EQ(log[2], "caption Calculating PCA...");
  EXPECT_EQ(log[3], "text Press ESC to abort...");
  std::vector<std::string> positions;
  for (const std::string& entry : log)
    if (entry.rfind("at ", 0) == 0) positions.push_back(entry);
  ASSERT_EQ(positions.size(), 6u);  // every model of the list, in both passes
  EXPECT_EQ(positions.back(), "at " + std::to_string(6 * step));
}

namespace {

// Each progress window's calls as "<n> <call>", n counting the windows opened,
// and "<n> closed" when it goes.
struct NumberedProgress : Progress {
  NumberedProgress(std::vector<std::string>& log, int id) : log(log), id(std::to_string(id) + " ") {}
  ~NumberedProgress() override { log.push_back(id + "closed"); }
  void SetText(const std::string& text) override { log.push_back(id + "text " + text); }
  void SetRange(int lo, int hi) override { log.push_back(id + "range " + std::to_string(lo) + " " + std::to_string(hi)); }
  void SetPosition(int pos) override { log.push_back(id + "at " + std::to_string(pos)); }
  void AnimationTick() override {}
  void SetCaption(const std::string& caption) override { log.push_back(id + "caption " + caption); }
  std::vector<std::string>& log;
  std::string id;
};

// The entries of window n, and where the first shown window came in the log.
std::vector<std::string> EntriesOf(const std::vector<std::string>& log, int n) {
  std::vector<std::string> entries;
  const std::string prefix = std::to_string(n) + " ";
  for (const std::string& entry : log)
    if (entry.rfind(prefix, 0) == 0) entries.push_back(entry.substr(prefix.size()));
  return entries;
}

}  // namespace

TEST_F(ViewSelAnalysesTest, ProgressOfMcdmAndOutlierCountsAndPlotsShownOnlyAfterTheirProgressCloses) {
  std::vector<std::string> log;
  int opened = 0;
  auto form = Open([&](bool animated) {
    log.push_back(std::to_string(opened) + (animated ? " open animated" : " open bar"));
    return std::make_unique<NumberedProgress>(log, opened++);
  });
  form->ShowModalWindow = [&](ModalDialog& window) {
    log.push_back("show " + StdStr(window.windowTitle()));
    Capture(window);
  };
  auto run = [&](void (TViewSelForm::*command)()) {
    log.clear();
    opened = 0;
    ((*form).*command)();
  };

  run(&TViewSelForm::SpeedButtonHatResClick);
  EXPECT_EQ(EntriesOf(log, 0), (std::vector<std::string>{"open bar", "caption Outliers-leverages counting...",
                                                          "text Press ESC to abort...", "range 0 3", "at 1", "at 2",
                                                          "at 3", "closed"}));
  ASSERT_GE(log.size(), 9u);
  EXPECT_EQ(log[7], "0 closed");
  EXPECT_EQ(log[8], "show View counting of the out of limits objects");

  run(&TViewSelForm::SpeedButtonMultiCritClick);
  const int step = 2147483647 / 3;
  const std::vector<std::string> mcdm = EntriesOf(log, 0);
  ASSERT_GE(mcdm.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(mcdm.begin(), mcdm.begin() + 3),
            (std::vector<std::string>{"open bar", "caption Calculating MCDM", "text Press ESC to abort..."}));
  EXPECT_EQ(std::vector<std::string>(mcdm.end() - 5, mcdm.end()),
            (std::vector<std::string>{"range 0 2147483647", "at " + std::to_string(step),
                                      "at " + std::to_string(2 * step), "at " + std::to_string(3 * step), "closed"}));
  // The recomputation of the external criteria shows its own two bars, then the table is sorted.
  EXPECT_EQ(EntriesOf(log, 1).front(), "open bar");
  EXPECT_EQ(EntriesOf(log, 2).front(), "open bar");
  EXPECT_EQ(EntriesOf(log, 3).front(), "open animated");
  // The message window comes while the bar is still there.
  const auto shown = std::find(log.begin(), log.end(), "show Application message");
  EXPECT_LT(shown - log.begin(), std::find(log.begin(), log.end(), "0 closed") - log.begin());

  for (auto command : {&TViewSelForm::SpeedButtonPCAResClick, &TViewSelForm::SpeedButtonPCAdescClick}) {
    run(command);
    const auto plot = std::find_if(log.begin(), log.end(), [](const std::string& e) { return e.rfind("show ", 0) == 0; });
    ASSERT_NE(plot, log.end());
    EXPECT_LT(std::find(log.begin(), log.end(), "0 closed"), plot) << *plot;
  }
}

TEST_F(ViewSelAnalysesTest, AResidualsPcaOfOneModelEndsWithItsErrorAndNoPlot) {
  host.models->First()->iSelStatus = 0;
  host.models->Last()->iSelStatus = 0;
  auto form = Open();
  TestUi().Clear();
  form->SpeedButtonPCAResClick();
  EXPECT_TRUE(shown_.empty());
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Cannot calculate PCA, please check your data.");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION ERROR");
  EXPECT_EQ(TestUi().Shown(0).flags, unsigned(MB_OK | MB_ICONERROR));
}

TEST_F(ViewSelAnalysesTest, McdmAndOutlierCountsRefillTheTableWhichShowsTheirNewColumns) {
  using model_list_columns::ColumnTitled;
  auto form = Open();
  const int mcdmFit = ColumnTitled("MCDM fit");
  const int outAd = ColumnTitled("N. out AD");
  ASSERT_EQ(form->StringGridResults->ColWidth(mcdmFit), -1);  // empty, so hidden
  ASSERT_EQ(form->StringGridResults->ColWidth(outAd), -1);
  form->SpeedButtonMultiCritClick();
  EXPECT_GT(form->StringGridResults->ColWidth(mcdmFit), 0);
  form->SpeedButtonHatResClick();
  EXPECT_GT(form->StringGridResults->ColWidth(outAd), 0);
}

TEST_F(ViewSelAnalysesTest, ChangedThresholdsReSortTheTableByTheNewExternalCounts) {
  auto form = Open();
  form->SpeedButtonExtValidationClick();
  const int column = model_list_columns::ColumnTitled("N. ext. OK");
  form->ComboBoxSort->setCurrentIndex(column - 3);
  form->ComboBoxSortChange();
  auto top = [&] { return form->Cells(kIdColumn, 1) + ":" + form->Cells(column, 1); };
  ASSERT_NE(top().rfind("32:", 0), 0u);
  // The second model's stored external statistics now meet every threshold.
  DataResultNode& second = *host.models->First()->Next();
  ASSERT_EQ(second.iID, 32);
  for (CheckedValue* cell : {&second.cvQ2F1, &second.cvQ2F2, &second.cvQ2F3, &second.cvCCCext})
    *cell = CheckedValue(0.99L, false);
  second.cvR2mAver = CheckedValue(0.9L, false);
  second.cvR2mDelta = CheckedValue(0.0L, false);
  onDialog = LowestQ2F1Threshold;
  form->SpeedButtonChangeThreshClick();
  EXPECT_EQ(top(), "32:5");
}

namespace {

// The bar of the residuals PCA: when it starts again from the left, the
// decomposition has begun, and the action runs once. It counts its moves in
// moves, which outlives it: the window deletes its bar when it returns.
struct DecompositionBar : Progress {
  DecompositionBar(std::function<void()> atDecomposition, int& moves)
      : atDecomposition(std::move(atDecomposition)), moves(moves) {}
  void SetText(const std::string&) override {}
  void SetRange(int, int) override {}
  void SetPosition(int pos) override {
    if (pos < last && atDecomposition) std::exchange(atDecomposition, {})();
    last = pos;
    ++moves;
  }
  void AnimationTick() override {}
  std::function<void()> atDecomposition;
  int last = 0;
  int& moves;
};

// The residuals PCA of 300 models, whose decomposition runs long enough for a
// user to press Escape during it; the question is a real message box of the Qt
// services, answered from a timer.
class ResidualsPcaEscape : public ViewSelAnalysesTest {
protected:
  ResidualsPcaEscape() {
    std::vector<TestObject> objects;
    for (int i = 0; i < 40; ++i) {
      TestObject object{i % 5 == 4 ? 2 : 1, {}, 0.0L};
      for (int v = 0; v < 25; ++v) object.x.push_back(std::sin(1.3L * i * (v + 1) + v));
      object.y = object.x[0] + 0.5L * object.x[3] + 0.2L * std::cos(2.9L * i);
      objects.push_back(object);
    }
    delete host.models;
    data = MakeData(objects);
    host.models = new DataResultList(data.get());
    for (int a = 0; a < 25; ++a)
      for (int b = a + 1; b < 25; ++b) FitByEngine(*data, *host.models, {a, b}).iSelStatus = 3;
    InstallUi(&ui);
    QObject::connect(&answerer, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || reply == QMessageBox::NoButton) return;
      asked.push_back(StdStr(box->text()));
      movesAtAnswer = barMoves;
      sinceAnswer.start();
      box->button(std::exchange(reply, QMessageBox::NoButton))->click();
    });
    answerer.start(10);
  }
  ~ResidualsPcaEscape() override { InstallUi(&TestUi()); }

  // Runs the analysis through the shown window; with an answer, Escape is typed
  // as the decomposition begins (through the event loop, as the window system
  // delivers it while the calculation polls). The values of the plot shown, if any.
  std::vector<long double> Run(QMessageBox::StandardButton answer = QMessageBox::NoButton) {
    reply = answer;
    std::unique_ptr<TViewSelForm> form;
    form = Open([this, &form, answer](bool) {
      barMoves = 0;
      return std::make_unique<DecompositionBar>([this, &form, answer] {
        atDecomposition = State(*form);
        if (answer == QMessageBox::NoButton) return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [&form] {
              QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
              QWidget* focus = QApplication::focusWidget();
              SendFromWindowSystem(focus != nullptr ? focus : form.get(), escape);
            },
            Qt::QueuedConnection);
      }, barMoves);
    });
    std::vector<long double> plot;
    form->ShowModalWindow = [&plot](ModalDialog& window) {
      window.show();  // the plot window takes its values when it shows
      const GraphData& graph = dynamic_cast<TViewGraphForm&>(window).Data();
      for (int r = 0; r < graph.RowCount; ++r)
        for (int c = 0; c < graph.ColCount; ++c) plot.push_back(graph.tpGraphValue[r][c].Value);
    };
    ShowActive(*form);
    form->SpeedButtonPCAResClick();
    returnedAfter = sinceAnswer.isValid() ? sinceAnswer.elapsed() : -1;
    movesAfterAnswer = barMoves - movesAtAnswer;
    afterwards = State(*form);
    return plot;
  }
  // The table's cells and every model's selection and leverages.
  std::string State(TViewSelForm& form) const {
    std::string text;
    for (int row = 0; row < form.StringGridResults->RowCount(); ++row)
      for (int col = 0; col < form.StringGridResults->ColCount(); ++col) text += form.Cells(col, row) + "|";
    for (const DataResultNode* m = host.models->First(); m != nullptr; m = m->Next()) {
      text += std::to_string(m->iSelStatus);
      for (const LeverageStruct* lev : {&m->tsTrainLev, &m->tsTestLev})
        for (int i = 0; i < lev->iCount; ++i) text += " " + FloatToStr(lev->ldpValuePtr[i]);
    }
    return text;
  }

  QtUiServices ui;
  QTimer answerer;
  QMessageBox::StandardButton reply = QMessageBox::NoButton;
  int barMoves = 0;
  std::vector<std::string> asked;
  QElapsedTimer sinceAnswer;
  int movesAtAnswer = 0;
  int movesAfterAnswer = 0;
  qint64 returnedAfter = -1;
  std::string atDecomposition, afterwards;
};

}  // namespace

TEST_F(ResidualsPcaEscape, YesDuringTheDecompositionEndsItAtOnceWithoutAPlotOrAChange) {
  ASSERT_EQ(host.models->Count(), 300);
  EXPECT_TRUE(Run(QMessageBox::Yes).empty());
  EXPECT_EQ(asked, std::vector<std::string>{"Do you really want to abort calculation?"});
  EXPECT_GT(movesAtAnswer, 2 * 300);  // the bar moved in the decomposition before the question
  EXPECT_EQ(movesAfterAnswer, 0);
  EXPECT_GE(returnedAfter, 0);
  EXPECT_LT(returnedAfter, 1000);
  EXPECT_TRUE(afterwards == atDecomposition);  // not EXPECT_EQ: the texts are long
}

TEST_F(ResidualsPcaEscape, NoDuringTheDecompositionGoesOnToTheSamePlot) {
  const std::vector<long double> without = Run();
  ASSERT_EQ(without.size(), 300u * 300u);
  EXPECT_EQ(Run(QMessageBox::No), without);
  EXPECT_EQ(asked, std::vector<std::string>{"Do you really want to abort calculation?"});
  EXPECT_GT(movesAfterAnswer, 0);
}

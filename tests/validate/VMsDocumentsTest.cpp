// The single-model window's descriptor PCA, QMRF commands, copy progress and
// pop-up menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/qt/StringGrid.h"
#include "support/FakeProjectHost.h"
#include "support/ScriptedUi.h"
#include "support/TestFolder.h"
#include "validate/VMsMain.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::FitByEngine;
using validationtest::MakeData;

// Records what the copy command shows in its progress window.
struct RecordingProgress : Progress {
  explicit RecordingProgress(std::vector<std::string>& log) : log_(log) {}
  ~RecordingProgress() override { log_.push_back("closed"); }
  void SetText(const std::string& text) override { log_.push_back(text); }
  void SetRange(int lo, int hi) override { log_.push_back("range " + std::to_string(lo) + "-" + std::to_string(hi)); }
  void SetPosition(int pos) override { last = pos; }
  void AnimationTick() override {}
  int last = -1;
  std::vector<std::string>& log_;
};

struct ModelWindowCommands : ::testing::Test {
  ModelWindowCommands() {
    TestUi().Reset();
    data = MakeData({{1, {1, 2}, 3.1L}, {1, {2, 1}, 3.9L}, {1, {3, 4}, 7.2L},
                     {1, {4, 3}, 7.8L}, {1, {5, 6}, 11.1L}, {1, {6, 5}, 11.9L}});
    list = std::make_unique<DataResultList>(data.get());
  }

  std::unique_ptr<TViewSelModForm> Open(const std::vector<int>& variables, const std::string& fileName = "") {
    DataResultNode& model = FitByEngine(*data, *list, variables);
    model.sName = "M";
    ProgressWindowFactory progress = [this](bool animated) -> std::unique_ptr<Progress> {
      progressLog.push_back(animated ? "animated" : "bar");
      return std::make_unique<RecordingProgress>(progressLog);
    };
    return std::make_unique<TViewSelModForm>(nullptr, fileName, 0, 0, &model, data.get(), progress);
  }

  FakeProjectHost host;
  std::unique_ptr<ChemoData> data;
  std::unique_ptr<DataResultList> list;
  std::vector<std::string> progressLog;
};

TEST_F(ModelWindowCommands, PcaShowsBothPlotsAndAddsTheScoreColumnsOnce) {
  data->ipTrainingPtr[2] = kStatusExcluded;
  auto form = Open({0, 1});
  ASSERT_TRUE(form->SpeedButtonPCAdesc->isEnabled());
  form->SpeedButtonPCAdescClick();
  EXPECT_TRUE(TestUi().Shown().empty());
  EXPECT_EQ(TestUi().busyDepth, 0);
  TViewGraphForm* loadings = form->PcaPlot(0);
  TViewGraphForm* scores = form->PcaPlot(1);
  ASSERT_NE(loadings, nullptr);
  ASSERT_NE(scores, nullptr);
  EXPECT_EQ(loadings->windowTitle(), "Loading plot");
  EXPECT_EQ(scores->windowTitle(), "Score plot");
  EXPECT_EQ(loadings->Kind(), GraphKind::PcaLoadings);
  EXPECT_EQ(scores->Kind(), GraphKind::PcaScores);
  EXPECT_EQ(scores->Data().RowCount, 5);
  // Shown without waiting over the window, so they take input while it is modal.
  for (TViewGraphForm* plot : {loadings, scores}) {
    EXPECT_TRUE(plot->isVisible());
    EXPECT_FALSE(plot->isModal());
    EXPECT_EQ(plot->parentWidget(), form.get());
    EXPECT_TRUE(plot->isWindow());
  }
  EXPECT_EQ(scores->pos(), loadings->pos() + QPoint(32, 32));

  ASSERT_EQ(form->StringGrid->ColCount(), 13);
  const std::string pc1 = form->StringGrid->Cells(11, 0);
  EXPECT_EQ(form->StringGrid->Cells(12, 0).substr(0, 11), "PC2 (EV% = ");
  EXPECT_EQ(form->StringGrid->Cells(11, 3), "");  // the excluded object
  EXPECT_NE(form->StringGrid->Cells(11, 4), "");

  // A second run replaces the plots and adds no columns; plots closed by the
  // user are not deleted again.
  QPointer<TViewGraphForm> firstLoadings = loadings;
  QPointer<TViewGraphForm> firstScores = scores;
  firstScores->close();
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  form->SpeedButtonPCAdescClick();
  EXPECT_TRUE(firstLoadings.isNull());
  EXPECT_TRUE(firstScores.isNull());
  EXPECT_EQ(form->StringGrid->ColCount(), 13);
  EXPECT_EQ(form->StringGrid->Cells(11, 0), pc1);

  // The copy takes the score columns too; closing the window releases the plots.
  form->SpeedButtonCopyClick();
  EXPECT_NE(TestUi().clipboard.find(pc1), std::string::npos);
  QPointer<TViewGraphForm> last = form->PcaPlot(1);
  ASSERT_FALSE(last.isNull());
  form.reset();
  EXPECT_TRUE(last.isNull());
}

TEST_F(ModelWindowCommands, PcaOfOneDescriptorIsRefusedAndOpensNothing) {
  auto form = Open({0});
  form->SpeedButtonPCAdescClick();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Too few selected variables, cannot continue.");
  EXPECT_EQ(form->PcaPlot(0), nullptr);
  EXPECT_EQ(form->PcaPlot(1), nullptr);
  EXPECT_EQ(form->StringGrid->ColCount(), 11);
  EXPECT_EQ(TestUi().busyDepth, 0);
}

TEST_F(ModelWindowCommands, AConstantDescriptorFailsThePcaWithItsMessageAndOpensNothing) {
  auto form = Open({0, 1});
  for (int i = 0; i < 6; ++i) data->tpChemoValuePtr[i][1].Value = 2;
  form->SpeedButtonPCAdescClick();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
  EXPECT_EQ(form->PcaPlot(0), nullptr);
  EXPECT_EQ(form->StringGrid->ColCount(), 11);
  EXPECT_EQ(TestUi().busyDepth, 0);
}

TEST_F(ModelWindowCommands, CopyShowsFormattingThenSendingInItsProgressWindow) {
  auto form = Open({0});
  form->SpeedButtonCopyClick();
  ASSERT_GE(progressLog.size(), 4u);
  EXPECT_EQ(progressLog[0], "bar");
  EXPECT_EQ(progressLog[1], "Formatting...");
  const std::size_t rows = 3 + form->Analysis().TextLines().size() + 7;  // both grids and the text
  EXPECT_EQ(progressLog[2], "range 0-" + std::to_string(rows));
  EXPECT_EQ(progressLog[progressLog.size() - 2], "Sending...");
  EXPECT_EQ(progressLog.back(), "closed");
  EXPECT_EQ(TestUi().busyDepth, 0);
}

TEST_F(ModelWindowCommands, RightClickOnTheTextShowsTheWindowsOwnMenu) {
  auto form = Open({0});
  form->show();
  QWidget* viewport = form->RichEdit->viewport();
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), viewport->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(viewport, &event);
  QApplication::processEvents();
  EXPECT_TRUE(form->PopupMenu->isVisible());
  EXPECT_EQ(QApplication::activePopupWidget(), form->PopupMenu);
  form->PopupMenu->close();
}

struct QmrfWindow : ModelWindowCommands {
  QmrfWindow() {
    std::ofstream(folder.Path("model.pdf"), std::ios::binary) << "%PDF qmrf";
    std::ofstream(folder.Path("model.sdf"), std::ios::binary) << "sdf";
  }
  TestFolder folder;
};

TEST_F(QmrfWindow, CommandsShowOnlyWithThePdfBesideTheModelAndWork) {
  auto without = Open({0}, folder.Path("other.smd"));
  EXPECT_TRUE(without->SpeedButtonQMRF->isHidden());
  EXPECT_TRUE(without->SpeedButtonExportQMRF->isHidden());
  EXPECT_FALSE(without->ExportQMRFandSDF1->isVisible());

  auto form = Open({0}, folder.Path("model.smd"));
  EXPECT_EQ(form->QmrfPdfPath(), folder.Path("model.pdf"));
  for (QToolButton* button : {form->SpeedButtonQMRF, form->SpeedButtonExportQMRF}) {
    EXPECT_FALSE(button->isHidden());
    EXPECT_TRUE(button->isEnabled());
  }
  for (QAction* action : {form->N5, form->ViewQMRF1, form->ExportQMRFandSDF1}) EXPECT_TRUE(action->isVisible());

  form->ViewQMRF1->trigger();
  EXPECT_EQ(TestUi().documents, std::vector<std::string>{folder.Path("model.pdf")});

  std::filesystem::create_directories(folder.Path("out"));
  TestUi().AnswerFile(folder.Path("out/copy.pdf"));
  TestUi().AnswerFile(folder.Path("out/model.sdf"));
  form->SpeedButtonExportQMRF->click();
  EXPECT_EQ(TestUi().FileDialogs().at(1).options.fileName, folder.Path("out/model.sdf"));
  EXPECT_EQ(ReadFileText(folder.Path("out/copy.pdf")), "%PDF qmrf");
  EXPECT_EQ(ReadFileText(folder.Path("out/model.sdf")), "sdf");
  EXPECT_TRUE(TestUi().Shown().empty());

  if (const char* dir = std::getenv("KORVANE_PNG_DIR")) {
    form->resize(760, 566);
    form->show();
    QApplication::processEvents();
    form->grab().save(QString(dir) + "/single-model-qmrf.png");
  }
}

// The save command and the export share the window's one save dialog: it keeps
// the title and name the export left and the name and filter last chosen.
TEST_F(QmrfWindow, SaveAndExportShareOneDialogThatKeepsWhatWasLastSet) {
  auto form = Open({0}, folder.Path("model.smd"));
  TestUi().AnswerFile(folder.Path("report.txt"), 1);
  form->SpeedButtonSaveToFileClick();
  TestUi().AnswerFile("");
  form->SpeedButtonSaveToFileClick();
  const FileDialogOptions& again = TestUi().FileDialogs().at(1).options;
  EXPECT_EQ(again.fileName, folder.Path("report.txt"));
  EXPECT_EQ(again.title, "");

  TestUi().AnswerFile("");
  TestUi().AnswerFile(folder.Path("copy.sdf"));
  form->SpeedButtonExportQMRFClick();
  EXPECT_EQ(TestUi().FileDialogs().at(2).options.fileName, folder.Path("model.pdf"));
  TestUi().AnswerFile("");
  form->SpeedButtonSaveToFileClick();
  const FileDialogOptions& afterExport = TestUi().FileDialogs().at(4).options;
  EXPECT_EQ(afterExport.title, "Save SDF file");
  EXPECT_EQ(afterExport.fileName, folder.Path("copy.sdf"));
  EXPECT_EQ(afterExport.filter, "Text file (*.txt)|*.txt");
  EXPECT_EQ(afterExport.defaultExt, "txt");
}

// With KORVANE_PNG_DIR set, writes the two PCA plots for a person to look at.
TEST_F(ModelWindowCommands, GrabsThePcaPlotsWhenAsked) {
  const char* dir = std::getenv("KORVANE_PNG_DIR");
  if (dir == nullptr) GTEST_SKIP();
  auto form = Open({0, 1});
  form->SpeedButtonPCAdescClick();
  for (int which = 0; which < 2; ++which) {
    TViewGraphForm* plot = form->PcaPlot(which);
    ASSERT_NE(plot, nullptr);
    QApplication::processEvents();
    plot->grab().save(QString(dir) + (which == 0 ? "/model-pca-loadings.png" : "/model-pca-scores.png"));
  }
  form->resize(760, 566);
  form->show();
  form->StringGrid->scrollTo(form->StringGrid->model()->index(0, 12));
  QApplication::processEvents();
  form->grab().save(QString(dir) + "/single-model-scores.png");
}

}  // namespace

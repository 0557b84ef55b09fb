#include "validate/CAnMain.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QAbstractTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolButton>

#include "platform/qt/StringGrid.h"
#include "platform/qt/ViewerCommon.h"
#include "support/FakeProjectHost.h"
#include "support/Pictures.h"
#include "support/ScriptedUi.h"
#include "support/TestFolder.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::AddModel;
using validationtest::MakeData;

// What a plot window was opened with.
struct ShownPlot {
  std::string title;
  GraphKind kind;
  std::vector<CheckedValue> x, y;
  long double verticalLineX = 0.0L;
};

class ConsensusWindow : public ::testing::Test {
protected:
  explicit ConsensusWindow(char separator = '.') : host(separator) {
    TestUi().Reset();
    data = MakeData({{1, {1.1L, 0.9L}, 1}, {1, {1.9L, 2.1L}, 2}, {1, {3.2L, 2.8L}, 3},
                     {1, {3.8L, 4.2L}, 4}, {2, {5.2L, 5.0L}, 5}, {2, {5.7L, 6.1L}, 6}});
    list = std::make_unique<DataResultList>(data.get());
    Add({0}, {0, 1}, 7, 1, 1.5L);
    Add({1}, {0, 1}, 3, 3, 1.5L);
  }

  DataResultNode& Add(const std::vector<int>& variables, const std::vector<long double>& coefficients, int id,
                      int state, long double hStar) {
    DataResultNode& model = AddModel(*list, variables, coefficients, state);
    model.iID = id;
    model.ldHstar = hStar;
    model.iTrainCount = 4;
    AllocCheckedArray(model.ldpTrainYCapPtr, 4, "*ldpTrainYCapPtr");
    const long double loo[2][4] = {{1.2L, 1.8L, 3.3L, 3.7L}, {0.8L, 2.2L, 2.7L, 4.3L}};
    for (int t = 0; t < 4; ++t) model.ldpTrainYCapPtr[t] = loo[variables.front()][t];
    return model;
  }

  std::unique_ptr<TFormConsensus> Open(ProgressWindowFactory progress = {}) {
    auto form = std::make_unique<TFormConsensus>(nullptr, list.get(), data.get(), std::move(progress));
    form->ShowModalWindow = [this](ModalDialog& window) {
      auto& plot = dynamic_cast<TViewGraphForm&>(window);
      plot.resize(640, 480);
      plot.FormResize();
      ShownPlot shown{window.windowTitle().toStdString(), plot.Kind(), {}, {}, plot.Data().Axis.VerticalLineX};
      for (int i = 0; i < data->iObjCount; ++i) {
        shown.x.push_back(plot.Data().tpGraphValue[i][0]);
        shown.y.push_back(plot.Data().tpGraphValue[i][1]);
      }
      plots.push_back(shown);
      if (!grabAs.empty()) SavePictureWhenAsked(plot, grabAs);
    };
    return form;
  }

  FakeProjectHost host;
  std::unique_ptr<ChemoData> data;
  std::unique_ptr<DataResultList> list;
  std::vector<ShownPlot> plots;
  std::string grabAs;
};

class ConsensusWindowWithComma : public ConsensusWindow {
protected:
  ConsensusWindowWithComma() : ConsensusWindow(',') {}
};

std::vector<std::string> ActionTexts(const QMenu& menu) {
  std::vector<std::string> texts;
  for (const QAction* action : menu.actions())
    if (!action->isSeparator()) texts.push_back(action->text().toStdString());
  return texts;
}

TEST_F(ConsensusWindow, ShowsTheModelsTheCriteriaAndTheTable) {
  auto form = Open();
  EXPECT_EQ(form->windowTitle(), "Consensus modeling");
  ASSERT_EQ(form->ListBoxSelModels->count(), 2);
  EXPECT_EQ(form->ListBoxSelModels->item(0)->text(), "ID: 3   model: D1");
  EXPECT_EQ(form->ListBoxSelModels->item(1)->text(), "ID: 7   model: D0");
  const QStringList lines = form->RichEditCriteria->toPlainText().split('\n');
  ASSERT_EQ(lines.size(), 9);
  EXPECT_EQ(lines[1], "R2 ACM: 0.9989\tR2 WCM: 0.9989\tMAE tr: 0.0000\tRMSE tr: 0.0000\tCCC tr: 1.0000");
  EXPECT_EQ(lines[8], QString::fromUtf8("Calc. external data (WCM) regr. angle from diagonal: -6.3402\u00B0"));
  EXPECT_EQ(form->StringGrid->RowCount(), 7);
  EXPECT_EQ(form->StringGrid->ColCount(), 15);
  EXPECT_EQ(form->StringGrid->Cells(0, 0), "ID");
  EXPECT_EQ(form->StringGrid->Cells(14, 0), "Av. HAT i/i");
  EXPECT_EQ(form->StringGrid->Cells(2, 5), "Prediction");
  EXPECT_EQ(form->StringGrid->Cells(4, 5), "PRED");
  EXPECT_EQ(form->StringGrid->Cells(5, 5), "5.1000");
  EXPECT_EQ(form->StringGrid->Cells(9, 1), "0.1414");
  // Whole rows are selected, the first object's row at the start.
  EXPECT_EQ(form->StringGrid->Selection(), (GridRect{0, 1, 14, 1}));
  EXPECT_TRUE(form->SpeedButtonCalcWillACM->isEnabled());
  EXPECT_TRUE(form->PopupMenuPredWilliamsplotWCM->isEnabled());
  EXPECT_EQ(ActionTexts(*form->PopupMenu),
            (std::vector<std::string>{"&Copy", "&Save...", "&View Experimental vs Calculated ACM",
                                      "&View Experimental &vs Predicted ACM", "V&iew Experimental vs Calculated WCM",
                                      "V&iew Experimental vs Predicted WC&M", "View Calculated William&s plot ACM",
                                      "View Predicted Williams &plot ACM", "View Calculated Williams p&lot WCM",
                                      "View Predicted Williams pl&ot WCM", "View &Appl. Domain ACM",
                                      "View Appl. Domain &WCM"}));
  EXPECT_TRUE(TestUi().Shown().empty());
  form->resize(900, 600);
  SavePictureWhenAsked(*form, "consensus-window");
}

// The window as drawn: a separator stands between each two groups of tool
// buttons, and "Selected models" between the tool bar and the model list.
TEST_F(ConsensusWindow, SeparatorsPartTheButtonGroupsAndTheLabelStandsAboveTheModelList) {
  auto form = Open();
  form->resize(900, 600);
  form->show();
  const QImage picture = form->grab().toImage();
  std::vector<QRect> separators;
  for (const QFrame* frame : form->findChildren<QFrame*>())
    if (frame->frameShape() == QFrame::VLine && frame->isVisible()) separators.push_back(frame->geometry());
  std::sort(separators.begin(), separators.end(), [](const QRect& a, const QRect& b) { return a.left() < b.left(); });
  ASSERT_EQ(separators.size(), 3u);
  const QToolButton* const lastOfGroup[] = {form->SpeedButtonSaveToFile, form->SpeedButtonPredWCM,
                                            form->SpeedButtonPredWillWCM};
  const QToolButton* const firstOfNext[] = {form->SpeedButtonCalcACM, form->SpeedButtonCalcWillACM,
                                            form->SpeedButtonAppDomACM};
  for (int k = 0; k < 3; ++k) {
    EXPECT_LT(lastOfGroup[k]->geometry().right(), separators[k].left()) << k;
    EXPECT_LT(separators[k].right(), firstOfNext[k]->geometry().left()) << k;
    EXPECT_TRUE(separators[k].intersects(lastOfGroup[k]->geometry().adjusted(-900, 0, 900, 0))) << k;  // on the bar
  }
  const QRect label = form->StaticText1->geometry();
  EXPECT_TRUE(form->StaticText1->isVisible());
  EXPECT_GT(label.top(), form->SpeedButtonCopy->geometry().bottom());
  EXPECT_LT(label.bottom(), form->ListBoxSelModels->geometry().top());
  EXPECT_GE(label.width(), form->StaticText1->fontMetrics().horizontalAdvance("Selected models"));
  int dark = 0;  // the label's text as drawn
  for (int y = label.top(); y <= label.bottom(); ++y)
    for (int x = label.left(); x <= label.right(); ++x) dark += qGray(picture.pixel(x, y)) < 100 ? 1 : 0;
  EXPECT_GT(dark, 20);
}

TEST_F(ConsensusWindow, ModelsOfDifferentSizesDisableTheFourWilliamsCommands) {
  Add({0, 1}, {0, 0.5L, 0.5L}, 5, 3, 2.25L);
  auto form = Open();
  for (QToolButton* button : {form->SpeedButtonCalcWillACM, form->SpeedButtonPredWillACM,
                              form->SpeedButtonCalcWillWCM, form->SpeedButtonPredWillWCM})
    EXPECT_FALSE(button->isEnabled());
  for (QAction* action : {form->PopupMenuCalcWilliamsplotACM, form->PopupMenuPredWilliamsplotACM,
                          form->PopupMenuCalcWilliamsplotWCM, form->PopupMenuPredWilliamsplotWCM})
    EXPECT_FALSE(action->isEnabled());
  EXPECT_TRUE(form->SpeedButtonAppDomACM->isEnabled());
  EXPECT_TRUE(form->PopupMenuAppDomACM->isEnabled());
}

TEST_F(ConsensusWindow, AFailedWeightedFitLeavesOnlyTheAveragedPlotsAndEveryColumnApart) {
  Add({0}, {0, 1}, 9, 1, 1.5L);  // the first model again: the weighted fit is singular
  auto form = Open();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Calculation errors occurs: listed data may be unreliable or incomplete.");
  for (QToolButton* button : {form->SpeedButtonCalcWCM, form->SpeedButtonPredWCM, form->SpeedButtonCalcWillWCM,
                              form->SpeedButtonPredWillWCM, form->SpeedButtonAppDomWCM})
    button->click();
  for (QAction* action : {form->PopupMenuCalcWCM, form->PopupMenuPredWCM, form->PopupMenuCalcWilliamsplotWCM,
                          form->PopupMenuPredWilliamsplotWCM, form->PopupMenuAppDomWCM}) {
    EXPECT_FALSE(action->isEnabled());
    action->trigger();
  }
  EXPECT_TRUE(plots.empty());
  for (QToolButton* button : {form->SpeedButtonCalcACM, form->SpeedButtonPredACM, form->SpeedButtonCalcWillACM,
                              form->SpeedButtonPredWillACM, form->SpeedButtonAppDomACM})
    button->click();
  EXPECT_EQ(plots.size(), 5u);

  EXPECT_EQ(form->StringGrid->FixedRows(), 1);
  form->resize(900, 600);
  SavePictureWhenAsked(*form, "consensus-failed-wcm");

  // In every font size, each text that a tab follows ends well before the next column starts.
  const QFont kept = QApplication::font();
  int tabs = 0;
  for (int pixels = 9; pixels <= 16; ++pixels) {
    QFont font = kept;
    font.setPixelSize(pixels);
    QApplication::setFont(font);
    form = Open();
    QTextDocument& document = *form->RichEditCriteria->document();
    const int gap = form->RichEditCriteria->fontMetrics().horizontalAdvance("  ");
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
      document.documentLayout()->blockBoundingRect(block);  // lays the block out
      const QTextLine line = block.layout()->lineAt(0);
      for (int at = 0; (at = block.text().indexOf('\t', at)) >= 0; ++at, ++tabs)
        EXPECT_GE(line.cursorToX(at + 1) - line.cursorToX(at), gap) << pixels << ": " << block.text().toStdString();
    }
  }
  QApplication::setFont(kept);
  EXPECT_EQ(tabs, 8 * 8);
}

TEST_F(ConsensusWindow, TheTenPlotsOpenWithTheirTitlesKindsAndValues) {
  Add({0, 1}, {0, 0.5L, 0.5L}, 5, 0, 2.25L);  // unselected, last, another size and h*
  auto form = Open();
  const std::vector<std::pair<QToolButton*, GraphKind>> buttons{
      {form->SpeedButtonCalcACM, GraphKind::ExpVsCalc},         {form->SpeedButtonCalcWCM, GraphKind::ExpVsCalc},
      {form->SpeedButtonPredACM, GraphKind::ExpVsPred},         {form->SpeedButtonPredWCM, GraphKind::ExpVsPred},
      {form->SpeedButtonCalcWillACM, GraphKind::WilliamsCalc},  {form->SpeedButtonCalcWillWCM, GraphKind::WilliamsCalc},
      {form->SpeedButtonPredWillACM, GraphKind::WilliamsPred},  {form->SpeedButtonPredWillWCM, GraphKind::WilliamsPred},
      {form->SpeedButtonAppDomACM, GraphKind::ApplicabilityDomain},
      {form->SpeedButtonAppDomWCM, GraphKind::ApplicabilityDomain}};
  for (const auto& [button, kind] : buttons) {
    grabAs = button == form->SpeedButtonCalcWillACM ? "consensus-williams"
             : button == form->SpeedButtonPredACM   ? "consensus-loo"
                                                    : "";
    button->click();
  }
  ASSERT_EQ(plots.size(), 10u);
  const std::vector<std::string> titles{
      "Exp. endpoint vs pred. by model eq. ACM", "Exp. endpoint vs pred. by model eq. WCM",
      "Exp. endpoint vs pred. by LOO ACM",       "Exp. endpoint vs pred. by LOO WCM",
      "Williams plot pred. by model eq. ACM",    "Williams plot pred. by model eq. WCM",
      "Williams plot pred. by LOO ACM",          "Williams plot pred. by LOO WCM",
      "Pred. by model eq. ACM vs Hat",           "Pred. by model eq. WCM vs Hat"};
  for (std::size_t k = 0; k < plots.size(); ++k) {
    EXPECT_EQ(plots[k].title, titles[k]);
    EXPECT_EQ(plots[k].kind, buttons[k].second);
  }
  const Consensus& c = form->Calculation();
  // Experimental against the ACM equation values.
  EXPECT_EQ(plots[0].x[4].Value, 5.0L);
  EXPECT_EQ(plots[0].y[4].Value, c.Array(ConsensusArray::AcmCalc)[4].Value);
  // The LOO plot: leave-one-out values, the equation values for prediction objects.
  EXPECT_EQ(plots[2].y[0].Value, c.Array(ConsensusArray::AcmPred)[0].Value);
  EXPECT_FALSE(plots[2].y[5].Missing);
  EXPECT_EQ(plots[2].y[5].Value, c.Array(ConsensusArray::AcmCalc)[5].Value);
  EXPECT_EQ(plots[3].y[4].Value, c.Array(ConsensusArray::WcmCalc)[4].Value);
  // Williams and applicability domain: mean leverage on X, h* of the selected models.
  EXPECT_EQ(plots[4].x[1].Value, c.Array(ConsensusArray::AverageHat)[1].Value);
  EXPECT_EQ(plots[4].y[1].Value, c.Array(ConsensusArray::WillAcmCalc)[1].Value);
  EXPECT_EQ(plots[6].y[1].Value, c.Array(ConsensusArray::WillAcmPred)[1].Value);
  for (int k : {4, 5, 6, 7, 8, 9}) EXPECT_EQ(plots[k].verticalLineX, 1.5L) << k;
  EXPECT_EQ(plots[9].y[2].Value, c.Array(ConsensusArray::WcmCalc)[2].Value);
  EXPECT_TRUE(TestUi().Shown().empty());
}

TEST_F(ConsensusWindow, AFailingPlotIsReportedAndTheWindowStays) {
  auto form = Open();
  form->ShowModalWindow = [](ModalDialog&) { throw Exception("The plot failed"); };
  form->SpeedButtonCalcACMClick();
  form->ShowModalWindow = [](ModalDialog&) { throw 42; };
  form->SpeedButtonPredWillWCMClick();
  ASSERT_EQ(TestUi().Shown().size(), 2u);
  EXPECT_EQ(TestUi().Shown(0).text, "The plot failed");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
  EXPECT_EQ(TestUi().Shown(0).Icon(), unsigned(MB_ICONWARNING));
  EXPECT_EQ(TestUi().Shown(1).text, "Unhandled ViewGraph exception");
  EXPECT_EQ(TestUi().Shown(1).caption, "Exception Message");
  EXPECT_EQ(TestUi().Shown(1).Icon(), 0u);
}

TEST_F(ConsensusWindow, PopupItemsRunTheButtonsHandlers) {
  auto form = Open();
  form->PopupMenuAppDomWCM->trigger();
  form->PopupMenuCalcWilliamsplotACM->trigger();
  ASSERT_EQ(plots.size(), 2u);
  EXPECT_EQ(plots[0].title, "Pred. by model eq. WCM vs Hat");
  EXPECT_EQ(plots[1].title, "Williams plot pred. by model eq. ACM");
  form->PopupMenuCopy->trigger();
  EXPECT_EQ(TestUi().clipboard, form->ReportText(false));
}

TEST_F(ConsensusWindowWithComma, CopyConvertsNumbersOnlyBehindFormattingAndSendingProgress) {
  std::vector<std::string> texts;
  int positions = 0;
  struct Recorder : Progress {
    Recorder(std::vector<std::string>& t, int& p) : texts(t), positions(p) {}
    void SetText(const std::string& t) override { texts.push_back(t); }
    void SetRange(int, int) override {}
    void SetPosition(int) override { ++positions; }
    void AnimationTick() override {}
    std::vector<std::string>& texts;
    int& positions;
  };
  auto form = Open([&](bool) { return std::make_unique<Recorder>(texts, positions); });
  texts.clear();
  positions = 0;
  form->SpeedButtonCopyClick();
  const std::string& copied = TestUi().clipboard;
  EXPECT_EQ(copied.substr(0, 40), "ID: 3   model: D1\r\nID: 7   model: D0\r\n\r\n");
  EXPECT_NE(copied.find("R2 ACM: 0,9989 \tR2 WCM: 0,9989 \t"), std::string::npos);
  EXPECT_NE(copied.find("\tSd. Pred. LOO\tSd. Pred. Mod.Eq.\t"), std::string::npos);
  EXPECT_NE(copied.find("5\tO4\tPrediction\t5,0000\tPRED\t5,1000\t"), std::string::npos);
  EXPECT_EQ(texts, (std::vector<std::string>{"Formatting...", "Sending..."}));
  EXPECT_EQ(positions, 1 + 2 + 9 + 15 + 6);
  EXPECT_EQ(TestUi().busyDepth, 0);
}

TEST_F(ConsensusWindowWithComma, SaveAddsTxtAsksBeforeOverwritingAndReportsFailures) {
  TestFolder folder;
  auto form = Open();
  const std::string report = form->ReportText(true);
  EXPECT_EQ(report.substr(0, 28), "Consensus selected models:\r\n");
  EXPECT_NE(report.find("\tSd, Pred, LOO\t"), std::string::npos);  // the saved header shows the comma too

  TestUi().AnswerFile(folder.Path("out"));
  form->SpeedButtonSaveToFileClick();
  EXPECT_EQ(ReadFileText(folder.Path("out.txt")), report);
  EXPECT_EQ(TestUi().FileDialogs().at(0).options.filter, "Text file (*.txt)|*.txt");

  WriteTextFile(folder.Path("OLD.TXT"), "old");
  TestUi().AnswerFile(folder.Path("OLD.TXT"));
  TestUi().Answer(IDNO);
  form->SpeedButtonSaveToFileClick();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "File already esists! Do you want to overwrite?");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
  EXPECT_EQ(ReadFileText(folder.Path("OLD.TXT")), "old");
  TestUi().AnswerFile(folder.Path("OLD.TXT"));
  TestUi().Answer(IDYES);
  form->SpeedButtonSaveToFileClick();
  EXPECT_EQ(ReadFileText(folder.Path("OLD.TXT")), report);
  EXPECT_FALSE(std::filesystem::exists(folder.Path("OLD.TXT.txt")));

  TestUi().Clear();
  TestUi().AnswerFile(folder.Path("missing/out"));
  form->SpeedButtonSaveToFileClick();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Cannot save file");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION ERROR");
}

TEST_F(ConsensusWindow, AfterAnAbortTheWindowClosesAsSoonAsItShows) {
  TestUi().PressEscape(1);
  TestUi().Answer(IDYES);
  auto form = Open();
  EXPECT_TRUE(form->Aborted());
  EXPECT_EQ(form->ListBoxSelModels->count(), 0);
  EXPECT_EQ(form->StringGrid->Cells(0, 1), "");
  form->show();
  QElapsedTimer timer;
  timer.start();
  while (form->isVisible() && timer.elapsed() < 3000) QApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->Result(), mrCancel);
  EXPECT_EQ(list->First()->tsTrainLev.iCount, 4);  // the processed model keeps its leverages
}

}  // namespace

namespace {

using validationtest::FitByEngine;

// Sixteen objects on three descriptors, twelve training and four prediction
// objects, three engine-fitted two-descriptor models: the pictures a person looks at.
TEST(ConsensusWindowPictures, AWindowAndItsWilliamsAndLooPlots) {
  TestUi().Reset();
  FakeProjectHost host;
  std::vector<validationtest::TestObject> objects;
  for (int i = 0; i < 16; ++i) {
    const long double x0 = i, x1 = (i * 7) % 5, x2 = (i * 3) % 7;
    const long double noise = ((i * 37) % 11 - 5) / 10.0L;
    objects.push_back({i % 4 == 3 ? 2 : 1, {x0, x1, x2}, 1.0L + 0.8L * x0 + 0.5L * x1 + 0.2L * x2 + noise});
  }
  auto data = MakeData(objects);
  DataResultList list(data.get());
  int id = 1;
  for (const std::vector<int>& variables : {std::vector<int>{0, 1}, {0, 2}, {1, 2}}) {
    DataResultNode& model = FitByEngine(*data, list, variables);
    model.iID = id++;
    model.iSelStatus = 3;
  }
  TFormConsensus form(nullptr, &list, data.get());
  std::vector<std::string> names{"consensus-real-williams", "consensus-real-loo"};
  form.ShowModalWindow = [&](ModalDialog& window) {
    auto& plot = dynamic_cast<TViewGraphForm&>(window);
    plot.resize(640, 480);
    plot.FormResize();
    SavePictureWhenAsked(plot, names.front());
    names.erase(names.begin());
  };
  form.resize(900, 650);
  SavePictureWhenAsked(form, "consensus-real-window");
  EXPECT_TRUE(form.SpeedButtonPredWillACM->isEnabled());
  form.SpeedButtonPredWillACM->click();
  form.SpeedButtonPredACM->click();
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(list.Count(), 3);
  for (const auto& message : TestUi().Shown()) ADD_FAILURE() << message.text;
}

}  // namespace

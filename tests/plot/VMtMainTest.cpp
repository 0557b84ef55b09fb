#include "plot/VMtMain.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>

#include "platform/base/Files.h"
#include "platform/qt/ViewerCommon.h"
#include "plot/PlotTestData.h"
#include "support/FileSizeLimit.h"
#include "support/ScriptedUi.h"

namespace {

// The fill the window gives a cell drawn on white; nothing when it keeps white.
std::optional<TColor> Fill(const TFormViewMatrix& form, int col, int row) {
  CellLook look{clWhite, clBlack, false, false};
  form.StringGridDrawCell(col, row, look);
  return look.fill == clWhite ? std::nullopt : std::optional<TColor>(look.fill);
}

// A 3 x 3 correlation matrix in lower-triangle mode, as the data viewer opens it.
class CorrelationViewTest : public testing::Test {
protected:
  CorrelationViewTest() : matrix(3, 3) {
    const long double values[3][3] = {{1.0L, 0.85L, -0.95L}, {0.85L, 1.0L, 0.75L}, {-0.95L, 0.75L, 1.0L}};
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) matrix.At(r, c) = CheckedValue(values[r][c], false);
    form = TFormViewMatrix::CreateForRealMatrix(nullptr, &matrix, labels, labels, "Corr. v1.2", 1, 0, 1, 0);
  }

  CheckedMatrix matrix;
  std::string labels[3] = {"a.1", "b", "c"};
  std::unique_ptr<TFormViewMatrix> form;
};

TEST_F(CorrelationViewTest, ColoursCellsBelowTheDiagonalByThresholds) {
  EXPECT_EQ(form->EditLo->text(), "0.70");
  EXPECT_EQ(form->EditHi->text(), "0.90");
  auto fill = [&](int col, int row) { return Fill(*form, col, row); };
  EXPECT_EQ(fill(1, 2), std::optional<TColor>(33023));  // 0.85 orange
  EXPECT_EQ(fill(1, 3), std::optional<TColor>(255));    // -0.95 red
  EXPECT_EQ(fill(2, 3), std::optional<TColor>(65535));  // 0.75 yellow
  EXPECT_FALSE(fill(2, 2).has_value());                 // the diagonal never
  EXPECT_FALSE(fill(3, 1).has_value());                 // the empty upper triangle never

  for (int i = 0; i < 25; ++i) form->UpDownLo->Step(1);  // Lo 95, Mi 80, Hi 90
  EXPECT_EQ(form->EditLo->text(), "0.95");
  EXPECT_EQ(fill(1, 2), std::optional<TColor>(33023));
  EXPECT_EQ(fill(1, 3), std::optional<TColor>(255));
  EXPECT_EQ(fill(2, 3), std::nullopt);
}

// Shown and left alone, the window paints once and then rests: no cell is
// painted again while the event loop runs.
TEST_F(CorrelationViewTest, AWindowAtRestPaintsNothing) {
  int paints = 0;
  const auto hook = form->StringGrid->OnDrawCell;
  form->StringGrid->OnDrawCell = [&](int col, int row, CellLook& look) {
    ++paints;
    hook(col, row, look);
  };
  form->show();
  auto pump = [](int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  };
  pump(300);
  ASSERT_GT(paints, 0);
  paints = 0;
  pump(300);
  EXPECT_EQ(paints, 0);
}

TEST_F(CorrelationViewTest, SavesTheTriangleWithEighteenDecimalsAndTheUsersSeparator) {
  FakeProjectHost host(',');
  TestFolder folder;
  TestUi().AnswerFile(folder.Path("corr"));
  form->SpeedButtonSaveToFileClick();
  std::string expected = "Corr. v1.2\ta.1\tb\tc\t\r\n"
                         "a.1\t1,000000000000000000\t\r\n"
                         "b\t0,850000000000000000\t1,000000000000000000\t\r\n"
                         "c\t-0,950000000000000000\t0,750000000000000000\t1,000000000000000000\t\r\n";
  EXPECT_EQ(ReadFile(folder.Path("corr.txt")), expected);
}

TEST_F(CorrelationViewTest, ShowsTheLowerTriangleWithFourDecimalsAndCopiesItConvertingOnlyNumbers) {
  FakeProjectHost host(',');
  form->SpeedButtonCopyClick();
  EXPECT_EQ(TestUi().clipboard,
            "Corr. v1.2\ta.1\tb\tc\t\r\n"
            "a.1\t1,0000\t\t\t\r\n"
            "b\t0,8500\t1,0000\t\t\r\n"
            "c\t-0,9500\t0,7500\t1,0000\t\r\n");
}

TEST_F(CorrelationViewTest, SaveKeepsATxtExtensionInAnyCaseAndAsksBeforeOverwriting) {
  TestFolder folder;
  for (const auto& [chosen, written] : {std::pair{"a.TXT", "a.TXT"}, {"b.dat", "b.dat.txt"}}) {
    TestUi().AnswerFile(folder.Path(chosen));
    form->SpeedButtonSaveToFileClick();
    EXPECT_FALSE(ReadFile(folder.Path(written)).empty()) << chosen;
  }

  WriteTextFile(folder.Path("old.txt"), "keep");
  TestUi().AnswerFile(folder.Path("old.txt"));
  TestUi().Answer(IDNO);
  form->SpeedButtonSaveToFileClick();
  EXPECT_EQ(TestUi().Shown(0).text, "File already esists! Do you want to overwrite?");
  EXPECT_EQ(ReadFile(folder.Path("old.txt")), "keep");
}

// A save that fails midway, as on a full disk, leaves the older file whole and
// no temporary file beside it.
TEST_F(CorrelationViewTest, AFailedSaveLeavesTheOlderFileWhole) {
  TestFolder folder;
  WriteTextFile(folder.Path("corr.txt"), "older matrix");
  TestUi().AnswerFile(folder.Path("corr.txt"));
  TestUi().Answer(IDYES);
  {
    FileSizeLimit fullDisk(64);
    form->SpeedButtonSaveToFileClick();
  }
  EXPECT_EQ(ReadFile(folder.Path("corr.txt")), "older matrix");
  EXPECT_EQ(ListFiles(folder.Dir(), "*"), std::vector<std::string>{"corr.txt"});
  ASSERT_EQ(TestUi().Shown().size(), 2u);
  EXPECT_EQ(TestUi().Shown(1).text, "Cannot save file");
}

// The out-of-limit counts of the model list: integers, sortable, with row colours.
class CountsViewTest : public testing::Test {
protected:
  CountsViewTest() : matrix(5, 2) {
    const int counts[5] = {3, -1, 7, -1, 5};  // -1: missing
    for (int r = 0; r < 5; ++r) {
      matrix.At(r, 0) = CheckedIntValue(counts[r], counts[r] < 0);
      matrix.At(r, 1) = CheckedIntValue(10 * r, false);
    }
    form = TFormViewMatrix::CreateForIntMatrix(nullptr, &matrix, colors, labels, rows, "Out", 0, 1, 1, 0);
  }

  std::vector<std::string> Column(int col) const {
    std::vector<std::string> texts;
    for (int row = 1; row < form->StringGrid->RowCount(); ++row) texts.push_back(form->StringGrid->Cells(col, row));
    return texts;
  }
  void Choose(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    form->ComboBoxSortColChange();
  }

  CheckedIntMatrix matrix;
  TColor colors[5] = {1, 2, 3, 4, 5};
  std::string labels[2] = {"Count", "Other"};
  std::string rows[5] = {"m0", "m1", "m2", "m3", "m4"};
  std::unique_ptr<TFormViewMatrix> form;
};

TEST_F(CountsViewTest, SortsDescendingFirstWithMissingRowsLastInReverseOrder) {
  EXPECT_EQ(form->ComboBoxAscDes->currentText(), "Descending");
  EXPECT_EQ(Column(0), (std::vector<std::string>{"m2", "m4", "m0", "m3", "m1"}));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"7", "5", "3", "", ""}));
  EXPECT_EQ(Fill(*form, 0, 1), std::optional<TColor>(3));  // row colours follow the rows: m2
  Choose(form->ComboBoxAscDes, 0);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"m0", "m4", "m2", "m3", "m1"}));
  EXPECT_EQ(Column(2), (std::vector<std::string>{"0", "40", "20", "30", "10"}));
}

TEST_F(CountsViewTest, ResortingNeverShowsAStaleNumberInAMissingCell) {
  Choose(form->ComboBoxSortCol, 1);  // m4 first: every Count cell moves
  EXPECT_EQ(Column(0), (std::vector<std::string>{"m4", "m3", "m2", "m1", "m0"}));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"5", "", "7", "", "3"}));
}


TEST(MatrixViewTest, SavedIntegerTableWritesEveryRowInFull) {
  CheckedIntMatrix matrix(2, 2);
  matrix.At(0, 0) = CheckedIntValue(4, false);
  matrix.At(0, 1) = CheckedIntValue(0, true);
  matrix.At(1, 0) = CheckedIntValue(-2, false);
  matrix.At(1, 1) = CheckedIntValue(9, false);
  std::string labels[2] = {"x", "y"};
  auto form = TFormViewMatrix::CreateForIntMatrix(nullptr, &matrix, nullptr, labels, labels, "t", 0, 0, 1, 0);
  TestFolder folder;
  TestUi().AnswerFile(folder.Path("m.txt"));
  form->SpeedButtonSaveToFileClick();
  EXPECT_EQ(ReadFile(folder.Path("m.txt")), "t\tx\ty\t\r\nx\t4\t\t\r\ny\t-2\t9\t\r\n");
}

}  // namespace

// The main window's comparison of experimental with predicted values, through
// the table editor as the user fills it.
#include <gtest/gtest.h>

#include <QLocale>
#include <QPlainTextEdit>

#include "app/MainFixture.h"
#include "platform/qt/StringGrid.h"
#include "plot/VMtMain.h"
#include "prepare/ISmMain.h"
#include "validate/ValidationCriteriaExample.h"

namespace {

const std::string kReport = std::string(criteriaexample::kTrainingBlock) + criteriaexample::kPredictionBlock;

// Rows (experimental, predicted, split) as the user pastes them, with the separator.
std::string TableText(char separator, const std::string& lastSplit) {
  const char* const rows[][3] = {{"1", "1.1", "1"}, {"2", "1.9", "1"}, {"3", "3.2", "1"},
                                 {"4", "3.8", "2"}, {"5", "5.3", "2"}, {"6", "5.9", "2"}};
  std::string text;
  for (int r = 0; r < 6; ++r) {
    for (int c = 0; c < 3; ++c) {
      std::string cell = r == 5 && c == 2 ? lastSplit : rows[r][c];
      for (char& ch : cell)
        if (ch == '.') ch = separator;
      text += cell + (c < 2 ? "\t" : "\r\n");
    }
  }
  return text;
}

class ValidateExternalDataTest : public MainFormTest {
protected:
  // The editor gets six rows, the pasted text, then Accept (or Cancel).
  void FillEditorWith(const std::string& text, bool accept = true, int rows = 6) {
    handleModal_ = [this, text, accept, rows](QWidget& modal) {
      auto* editor = dynamic_cast<TFormAddExtData*>(&modal);
      if (editor == nullptr) return false;
      editorTitle_ = editor->windowTitle().toStdString();
      editorHeader_ = editor->StringGrid->Cells(4, 0);
      fixedCols_ = editor->StringGrid->FixedCols();
      openRows_ = editor->StringGrid->RowCount();
      if (accept) {
        editor->UpDownRow->SetPosition(rows);
        editor->UpDownRowClick();
        TestUi().clipboard = text;
        editor->StringGrid->SetSelection({2, 1, 2, 1});
        editor->SpeedButtonPasteClick();
        editor->ButtonAcceptClick();
      } else {
        editor->close();
      }
      return true;
    };
  }

  std::string LogText() const { return form_->RichEdit->toPlainText().toStdString(); }

  std::string editorTitle_;
  std::string editorHeader_;
  int fixedCols_ = 0;
  int openRows_ = 0;
};

}  // namespace

TEST_F(ValidateExternalDataTest, ReportShowsInABoxAndTheLogWithPointUnderEitherSeparator) {
  std::string separators;
  for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
    QLocale::setDefault(locale);
    TMainForm& form = StartInCompleteFolder();
    const char separator = form.UserDecimalSeparator();
    separators += separator;
    FillEditorWith(TableText(separator, "2"));
    TestUi().Clear();
    const std::string before = LogText();
    const std::string startTime = form.DateTimeText();
    form.SpeedButtonValExtModClick();
    EXPECT_EQ(editorTitle_, "Validate experimental vs. predicted data");
    EXPECT_EQ(editorHeader_, "Splitting");
    EXPECT_EQ(fixedCols_, 2);
    EXPECT_EQ(openRows_, 6);  // the title row and five empty rows
    ASSERT_EQ(TestUi().Shown().size(), 1u) << separator;
    EXPECT_EQ(TestUi().Shown(0).text, kReport) << separator;
    EXPECT_EQ(TestUi().Shown(0).caption, "VALIDATION CRITERIA");
    EXPECT_EQ(TestUi().Shown(0).flags, unsigned(MB_OK | MB_ICONINFORMATION));
    const std::string added = LogText().substr(before.size());
    // The clock may pass a second during the command: the entry holds one of the two times.
    auto entryAt = [&](const std::string& time) {
      return std::string(before.empty() ? "" : "\n") + "VALIDATION CRITERIA CALCULATED FROM EXTERNAL DATA (" + time +
             ")\n\n" + kReport;
    };
    const std::string endTime = form.DateTimeText();
    EXPECT_TRUE(added == entryAt(startTime) || added == entryAt(endTime)) << added;
    form_.reset();
  }
  QLocale::setDefault(QLocale::c());
  EXPECT_EQ(separators, ".,");
}

TEST_F(ValidateExternalDataTest, AnEmptySplitCellMakesAnUnsplitPredictionBlock) {
  TMainForm& form = StartInCompleteFolder();
  FillEditorWith(TableText('.', ""));
  TestUi().Clear();
  form.SpeedButtonValExtModClick();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  const std::string& report = TestUi().Shown(0).text;
  EXPECT_EQ(report.find("(Prediction validation criteria)"), std::string::npos);
  EXPECT_EQ(report.find("Q2-F1"), std::string::npos);
  EXPECT_NE(report.find("\nMAE = 0.2000\nR2 = 0.9300\n"), std::string::npos);
}

TEST_F(ValidateExternalDataTest, CancelShowsAndLogsNothing) {
  TMainForm& form = StartInCompleteFolder();
  FillEditorWith("", false);
  TestUi().Clear();
  const std::string before = LogText();
  form.SpeedButtonValExtModClick();
  EXPECT_FALSE(editorTitle_.empty());
  EXPECT_TRUE(TestUi().Shown().empty());
  EXPECT_EQ(LogText(), before);
}

TEST_F(ValidateExternalDataTest, ASingleRowIsReported) {
  TMainForm& form = StartInCompleteFolder();
  FillEditorWith("1\t1.5\t1\r\n", true, 1);
  TestUi().Clear();
  form.SpeedButtonValExtModClick();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text.rfind("(Training validation criteria)\nRMSE = 0.5000\nMAE = 0.5000\n", 0), 0u)
      << TestUi().Shown(0).text;
}

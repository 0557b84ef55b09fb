#include "prepare/IDtMain.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <fstream>

#include "platform/qt/StringGrid.h"
#include "prepare/SetupTestData.h"
#include "support/FakeProjectHost.h"
#include "support/TestFolder.h"

namespace {

class ImportWindowTest : public testing::Test {
protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = folder.Path(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  static TColor Fill(TImportDataForm& form, int col, int row) {
    CellLook look{clWhite, clBlack, false, false};
    form.StringGridDrawCell(col, row, look);
    return look.fill;
  }

  FakeProjectHost host;
  TestFolder folder;
};

TEST_F(ImportWindowTest, ReadsTheFileWithTabsAtOnceAndShowsItWithHeaders) {
  const std::string path = Write("t.txt", "Name\tA\tB\r\nx\t1\t2\r\ny\t3\t4\t5\r\n");
  TImportDataForm form(nullptr, path, &host.data, nullptr);
  StringGrid& grid = *form.StringGrid;
  ASSERT_EQ(grid.ColCount(), 5);
  ASSERT_EQ(grid.RowCount(), 4);
  EXPECT_EQ(grid.Cells(0, 3), "Row 3");
  EXPECT_EQ(grid.Cells(4, 3), "5");
  EXPECT_EQ(form.UpDownIDColumn->maximum(), 3);
  EXPECT_EQ(form.UpDownLabelsRow->maximum(), 2);
}

TEST_F(ImportWindowTest, NameColumnAndLabelRowReachPastSixteenBits) {
  std::string line = "N";
  for (int c = 0; c < 40000; ++c) line += "\tv";
  TImportDataForm form(nullptr, Write("wide.txt", line + "\r\n" + line + "\r\n"), &host.data, nullptr);
  EXPECT_EQ(form.UpDownIDColumn->maximum(), 40000);  // 40,001 fields
  form.UpDownIDColumn->setValue(39999);
  EXPECT_EQ(form.Settings().NameColumn, 39999);
}

TEST_F(ImportWindowTest, FiltersTurnOnColumnMarkingWithWholeDataColumns) {
  TImportDataForm form(nullptr, Write("t.txt", "N\tA\tB\tC\r\nx\t1\t2\t3\r\ny\t4\t5\t6\r\n"), &host.data, nullptr);
  form.CheckBoxFilterCorr->setChecked(true);
  form.StringGrid->SetSelection({1, 1, 3, 1});
  form.StringGridMouseUp();
  EXPECT_EQ(form.StringGrid->Selection(), (GridRect{2, 2, 3, 3}));
  form.PopupMenuExcludeFilterClick();
  EXPECT_EQ(form.bpColToBeExcl, (std::vector<bool>{false, false, true, true, false}));
  EXPECT_EQ(Fill(form, 3, 2), 0x00FFFFu);
  // Unchecking the last filter turns the marking off; the marks stay but are not shown.
  form.CheckBoxFilterCorr->setChecked(false);
  EXPECT_FALSE(form.StringGrid->RangeSelect());
  EXPECT_EQ(Fill(form, 2, 2), 0xF0FBFFu);
  EXPECT_TRUE(form.Settings().ExemptColumns[2]);
}

TEST_F(ImportWindowTest, ASplittingColumnThatIsNoIntegerIsDroppedWithOneWarningAfterDrawing) {
  TImportDataForm form(nullptr, Write("t.txt", "N\tS\tA\r\nx\tone\t5\r\ny\t0.5\t6\r\n"), &host.data, nullptr);
  form.CheckBoxFilterConst->setChecked(true);
  form.StringGrid->SetSelection({2, 2, 2, 3});
  form.PopUpMenuToggleSplitClick();
  EXPECT_EQ(Fill(form, 3, 2), 0xF0FBFFu);
  EXPECT_EQ(form.SplitColumn, -1);
  EXPECT_TRUE(TestUi().Shown().empty());  // not from inside the drawing
  QCoreApplication::processEvents();
  EXPECT_EQ(ShownTexts(), (Texts{"Invalid splitting column"}));
}

TEST_F(ImportWindowTest, AReloadKeepsTheMarksThatStillFitTheGrid) {
  TImportDataForm form(nullptr, Write("t.txt", "N;A;B;C\r\nx;1;2;3\r\n"), &host.data, nullptr);
  form.EditDelimiterEnter();
  form.EditDelimiter->setText(";");
  form.CheckBoxFilterConst->setChecked(true);
  form.StringGrid->SetSelection({4, 2, 4, 2});
  form.PopupMenuExcludeFilterClick();
  form.PopUpMenuToggleSplitClick();
  form.StringGrid->SetSelection({2, 2, 2, 2});
  form.PopupMenuExcludeFilterClick();
  ASSERT_EQ(form.SplitColumn, 4);
  form.EditDelimiter->setText(",");  // one column per line now
  EXPECT_EQ(form.SplitColumn, -1);
  EXPECT_EQ(form.bpColToBeExcl, (std::vector<bool>{false, false}));
  form.EditDelimiter->setText(";");  // wider again: the new columns start clear
  EXPECT_EQ(form.bpColToBeExcl, (std::vector<bool>{false, false, false, false, false}));
  EXPECT_EQ(form.StringGrid->Selection(), (GridRect{2, 2, 2, 2}));  // still whole data columns
}

TEST_F(ImportWindowTest, SearchesLabelsByPartAndCaseAndWrapsOnRequest) {
  TImportDataForm form(nullptr, ExamplePath(), &host.data, nullptr);
  auto selectedLabel = [&] {
    const GridRect s = form.StringGrid->Selection();
    EXPECT_EQ(s.Left, s.Right);
    EXPECT_EQ(s.Top, 1);
    return form.StringGrid->Cells(s.Left, s.Top);
  };
  form.FindDialogVarFind({"logp", false, true});
  EXPECT_EQ(selectedLabel(), "BCUT2D_LOGPHI");
  form.FindDialogVarFind({"LogP", true, true});  // goes on from there
  EXPECT_EQ(selectedLabel(), "MolLogP");
  TestUi().Answer(IDNO);
  form.FindDialogVarFind({"LOGP", true, true});
  EXPECT_EQ(ShownTexts(), (Texts{"End of list reached, do you want to start searching from the beginning?"}));
  TestUi().Answer(IDYES);
  form.FindDialogVarFind({"logp", false, true});
  EXPECT_EQ(TestUi().Shown().size(), 2u);
  EXPECT_EQ(selectedLabel(), "BCUT2D_LOGPHI");
}

// Without filters the main window's import command test imports the example through this window.
TEST_F(ImportWindowTest, ImportsTheExampleTableWithBothFiltersAtTheirDefaults) {
  TImportDataForm form(nullptr, ExamplePath(), &host.data, nullptr);
  form.CheckBoxFilterConst->setChecked(true);
  form.CheckBoxFilterCorr->setChecked(true);
  form.ButtonImport->click();
  EXPECT_EQ(form.Result(), mrOk);
  EXPECT_EQ(host.data.iObjCount, 204);
  EXPECT_EQ(host.data.iVarCount, 83);
  EXPECT_EQ(host.data.tpVarNameStrPtr[0], "Activity");
  EXPECT_TRUE(host.dataCommands);
  EXPECT_TRUE(TestUi().Shown().empty());
}

}  // namespace

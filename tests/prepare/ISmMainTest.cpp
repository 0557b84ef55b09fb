#include "prepare/ISmMain.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QToolButton>

#include "platform/qt/StringGrid.h"
#include "plot/VMtMain.h"
#include "prepare/ExternalDataTable.h"
#include "prepare/SetupTestData.h"
#include "support/FakeProjectHost.h"
#include "support/GridColumns.h"

namespace {

using Line = std::vector<std::string>;

struct EditorFixture : testing::Test {
  EditorFixture() {
    FillData(data, {{1, 2, 3}});
    data.iResponseIndex = 2;
  }
  Line Row(const TFormAddExtData& form, int row) const {
    Line cells;
    for (int col = 0; col < form.StringGrid->ColCount(); ++col) cells.push_back(form.StringGrid->Cells(col, row));
    return cells;
  }
  void Paste(TFormAddExtData& form, int col, int row, const std::string& text) {
    ui.clipboard = text;
    form.StringGrid->SetSelection({col, row, col, row});
    form.SpeedButtonPasteClick();
  }

  FakeProjectHost host;
  ChemoData& data = host.data;
  ScriptedUi& ui = TestUi();
};

TEST_F(EditorFixture, AddModeShowsTheVariablesAndUnknownResponses) {
  auto form = TFormAddExtData::CreateForExternalSet(nullptr, &data);
  EXPECT_EQ(form->windowTitle(), "Add external prediction dataset");
  ASSERT_EQ(form->StringGrid->RowCount(), 6);
  EXPECT_EQ(Row(*form, 0), (Line{"No.", "Obj. Name", "V0", "V1", "V2"}));
  EXPECT_EQ(Row(*form, 5), (Line{"5", "", "", "", "-999"}));
  EXPECT_EQ(form->EditRow->text(), "5");
  EXPECT_EQ(form->StringGrid->FixedCols(), 1);
  EXPECT_NE(form->StringGrid->ColWidth(1), -1);
}

TEST_F(EditorFixture, LongVariableNamesShowWhole) {
  data.tpVarNameStrPtr[0] = "BCUT2D_CHGHI";
  data.tpVarNameStrPtr[1] = "BCUT2D_CHGLO";
  auto form = TFormAddExtData::CreateForExternalSet(nullptr, &data);
  for (int col = 0; col < form->StringGrid->ColCount(); ++col) EXPECT_TRUE(ShowsWholeTexts(*form->StringGrid, col));
}

TEST_F(EditorFixture, RowCountFollowsTheRowsEdit) {
  auto form = TFormAddExtData::CreateForExternalSet(nullptr, &data);
  form->StringGrid->Cells(2, 5) = "7";
  form->EditRow->setText("-3");
  form->EditRowExit();
  EXPECT_EQ(form->StringGrid->RowCount(), 2);
  EXPECT_EQ(form->EditRow->text(), "1");
  form->EditRow->setText("6");
  form->EditRowExit();
  EXPECT_EQ(Row(*form, 5), (Line{"5", "", "", "", "-999"}));  // the dropped cell is gone
  form->UpDownRow->Step(1);
  EXPECT_EQ(form->StringGrid->RowCount(), 8);
  EXPECT_EQ(form->EditRow->text(), "7");
}

TEST_F(EditorFixture, PasteWithEitherLineEndAndToggleUndo) {
  host.separator = ',';
  auto form = TFormAddExtData::CreateForExternalSet(nullptr, &data);
  Paste(*form, 2, 1, "1,5\t2\n3\t4");
  EXPECT_EQ(Row(*form, 1), (Line{"1", "", "1.5", "2", "-999"}));
  EXPECT_EQ(Row(*form, 2), (Line{"2", "", "3", "4", "-999"}));
  const Line pasted = Row(*form, 1);
  Paste(*form, 3, 1, "9\t8\t7");
  EXPECT_EQ(Row(*form, 1), (Line{"1", "", "1.5", "9", "8"}));
  form->SpeedButtonUndoClick();
  EXPECT_EQ(Row(*form, 1), pasted);
  form->SpeedButtonUndoClick();
  EXPECT_EQ(Row(*form, 1), (Line{"1", "", "1.5", "9", "8"}));

  form->StringGrid->SetSelection({2, 1, 3, 2});
  form->SpeedButtonCutClick();
  EXPECT_EQ(ui.clipboard, "1,5\t9\r\n3\t4");
  EXPECT_EQ(Row(*form, 2), (Line{"2", "", "", "", "-999"}));
  form->SpeedButtonUndoClick();
  EXPECT_EQ(Row(*form, 2), (Line{"2", "", "3", "4", "-999"}));
}

TEST_F(EditorFixture, UndoAndRedoBringBackEmptyLastCells) {
  auto form = TFormAddExtData::CreateForExternalSet(nullptr, &data);
  Paste(*form, 1, 1, "a\t1\t2");
  form->StringGrid->SetSelection({4, 1, 4, 2});
  form->SpeedButtonDeleteClick();  // the responses emptied
  EXPECT_EQ(Row(*form, 1), (Line{"1", "a", "1", "2", ""}));
  form->SpeedButtonUndoClick();
  EXPECT_EQ(Row(*form, 1), (Line{"1", "a", "1", "2", "-999"}));
  form->SpeedButtonUndoClick();
  EXPECT_EQ(Row(*form, 1), (Line{"1", "a", "1", "2", ""}));
  EXPECT_EQ(Row(*form, 2), (Line{"2", "", "", "", ""}));

  auto table = TFormAddExtData::CreateForTable(nullptr, &data, 4);
  Paste(*table, 2, 1, "1\t2\t1\r\n3\t4\t2");
  EXPECT_EQ(Row(*table, 2), (Line{"2", "", "3", "4", "2"}));
  table->SpeedButtonUndoClick();
  EXPECT_EQ(Row(*table, 1), (Line{"1", "", "", "", ""}));
  EXPECT_EQ(Row(*table, 2), (Line{"2", "", "", "", ""}));
  table->SpeedButtonUndoClick();
  EXPECT_EQ(Row(*table, 2), (Line{"2", "", "3", "4", "2"}));
}

TEST_F(EditorFixture, PasteTakesAtMostTheLimit) {
  auto form = TFormAddExtData::CreateForExternalSet(nullptr, &data);
  Paste(*form, 1, 1, std::string(kPasteLimit - 1, 'a') + "bc");
  EXPECT_EQ(form->StringGrid->Cells(1, 1).size(), kPasteLimit);
  EXPECT_EQ(form->StringGrid->Cells(1, 1).back(), 'b');
}

TEST_F(EditorFixture, EditModeDisablesTheClipboardButtonsAndChecksTyping) {
  auto form = TFormAddExtData::CreateForTable(nullptr, &data, 4);
  form->SetFixedColumns(2);
  EXPECT_EQ(form->StringGrid->FixedCols(), 2);
  EXPECT_EQ(form->StringGrid->ColWidth(1), -1);
  EXPECT_EQ(form->StringGrid->Cells(4, 1), "");  // no unknown marks in table mode
  form->StringGrid->Cells(2, 1) = "5";
  form->SpeedButtonEditClick();
  EXPECT_TRUE(form->EditMode());
  EXPECT_TRUE(form->PopupEditCells->isChecked());
  EXPECT_EQ(form->UndoText().substr(0, 6), "\t5\t\t\r\n");
  for (QToolButton* button :
       {form->SpeedButtonCopy, form->SpeedButtonPaste, form->SpeedButtonCut, form->SpeedButtonDelete,
        form->SpeedButtonUndo})
    EXPECT_FALSE(button->isEnabled());

  form->StringGridSelectCell(4, 1);
  form->StringGrid->Cells(4, 1) = "3";
  form->StringGridSetEditText(4, 1, "3");
  EXPECT_EQ(form->StringGrid->Cells(4, 1), "");
  EXPECT_EQ(ui.Shown(0).text, "3 is not a valid splitting value, it must be 1 (training) and 2 (prediction)");
  form->StringGridSelectCell(3, 1);
  form->StringGrid->Cells(3, 1) = "-";
  form->StringGridSetEditText(3, 1, "-");
  form->StringGrid->Cells(3, 1) = "-2";
  form->StringGridSetEditText(3, 1, "-2");
  form->StringGrid->Cells(3, 1) = "-2x";
  form->StringGridSetEditText(3, 1, "-2x");
  EXPECT_EQ(form->StringGrid->Cells(3, 1), "-2");
  EXPECT_EQ(ui.Shown().size(), 2u);

  form->SpeedButtonEditClick();
  EXPECT_FALSE(form->EditMode());
  EXPECT_TRUE(form->SpeedButtonUndo->isEnabled());
}

TEST_F(EditorFixture, AcceptAppendsObjectsOrKeepsTheWindowOpen) {
  auto form = TFormAddExtData::CreateForExternalSet(nullptr, &data);
  form->EditRow->setText("2");
  form->EditRowExit();
  Paste(*form, 1, 1, "a\t1\t2\t-999\r\nb\t3\t\t-999.0");
  form->ButtonAcceptClick();
  EXPECT_EQ(form->Result(), mrNone);
  EXPECT_EQ(data.iObjCount, 1);
  EXPECT_EQ(ui.Shown(0).text, "'' is not a valid floating point value");
  form->StringGrid->Cells(3, 2) = "4";
  form->ButtonAcceptClick();
  EXPECT_EQ(form->Result(), mrOk);
  ASSERT_EQ(data.iObjCount, 3);
  EXPECT_EQ(data.ipTrainingPtr[1], kStatusTraining);
  EXPECT_TRUE(data.tpChemoValuePtr[1][2].Missing);
  EXPECT_EQ(data.ipTrainingPtr[2], kStatusPrediction);
  EXPECT_EQ(data.tpChemoValuePtr[2][2].Value, -999.0L);
  EXPECT_EQ(data.tpObjNameStrPtr[2], "b");
}

TEST_F(EditorFixture, TableAcceptReplacesTheObjects) {
  ChemoData table(3, 0, 2);
  table.tpVarNameStrPtr[0] = "Experimental";
  table.tpVarNameStrPtr[1] = "Predicted";
  table.tpVarNameStrPtr[2] = "Splitting";
  auto form = TFormAddExtData::CreateForTable(nullptr, &table, 4);
  EXPECT_EQ(Row(*form, 0), (Line{"No.", "Obj. Name", "Experimental", "Predicted", "Splitting"}));
  form->EditRow->setText("2");
  form->EditRowExit();
  Paste(*form, 2, 1, "1.5\t2\t1\r\n3\t4.25\t");
  form->ButtonAcceptClick();
  EXPECT_EQ(form->Result(), mrOk);
  ASSERT_EQ(table.iObjCount, 2);
  EXPECT_EQ(table.tpChemoValuePtr[0][0].Value, 1.5L);
  EXPECT_EQ(table.tpChemoValuePtr[1][1].Value, 4.25L);
  EXPECT_EQ(table.ipTrainingPtr[0], 1);
  EXPECT_EQ(table.ipTrainingPtr[1], -1);
}

}  // namespace

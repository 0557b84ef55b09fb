// The preparation windows driven from the keyboard: keys typed into the cell
// editors Qt creates, refusals shown in real message boxes with their own event
// loop, Enter pressed in the edit boxes of dialogs that have an Accept button.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <fstream>
#include <functional>
#include <memory>

#include "platform/qt/StringGrid.h"
#include "prepare/DRdMain.h"
#include "prepare/IDtMain.h"
#include "prepare/ISmMain.h"
#include "prepare/SetupTestData.h"
#include "support/FakeProjectHost.h"
#include "support/TestFolder.h"
#include "support/UserInput.h"

namespace {

// The table the main window builds to compare experimental and predicted values.
void FillComparisonTable(ChemoData& table) {
  table.Allocate(3, 0);
  table.tpVarNameStrPtr[0] = "Experimental";
  table.tpVarNameStrPtr[1] = "Predicted";
  table.tpVarNameStrPtr[2] = "Splitting";
  table.iResponseIndex = 2;
}

std::unique_ptr<TFormAddExtData> OpenEditor(ChemoData& data, bool tableMode) {
  if (!tableMode) return TFormAddExtData::CreateForExternalSet(nullptr, &data);
  auto form = TFormAddExtData::CreateForTable(nullptr, &data, 4);
  form->SetFixedColumns(2);
  return form;
}

std::string Refused(const std::string& text) { return "'" + text + "' is not a valid floating point value"; }

class KeyboardInput : public testing::Test {
protected:
  std::string Write(const std::string& bytes) {
    const std::string path = folder.Path("t.txt");
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  // The editor on the comparison table (table mode) or on a data set of three
  // variables (add mode), shown in edit mode, its grid focused on cell (col, 1).
  std::unique_ptr<TFormAddExtData> EditCell(bool tableMode, int col) {
    if (tableMode)
      FillComparisonTable(host.data);
    else
      FillData(host.data, {{1, 2, 3}});
    auto form = OpenEditor(host.data, tableMode);
    ShowActive(*form);
    form->SpeedButtonEditClick();
    form->StringGrid->setFocus();
    form->StringGrid->SetSelection({col, 1, col, 1});
    return form;
  }

  FakeProjectHost host;
  TestFolder folder;
};

TEST_F(KeyboardInput, RefusedKeystrokesAreTakenBackInTheCellAndItsOpenEditor) {
  const std::string badSplitting =
      "3 is not a valid splitting value, it must be 1 (training) and 2 (prediction)";
  const struct {
    bool tableMode;
    int col;
    std::string keys;
    std::string kept;
    std::vector<std::string> messages;
  } cases[] = {
      {true, 4, "3", "", {badSplitting}},
      {true, 4, "31", "1", {badSplitting}},
      {true, 2, "q", "", {Refused("q")}},
      {true, 3, "-2.5", "-2.5", {}},
      {false, 2, "1x", "1", {Refused("1x")}},
      {false, 4, "x7", "7", {Refused("x")}},  // the first key replaces the unknown mark
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    auto form = EditCell(c.tableMode, c.col);
    StringGrid& grid = *form->StringGrid;
    {
      RealMessageBoxes boxes;
      TypeIntoCell(grid, c.col, 1, c.keys);
      EXPECT_EQ(boxes.Answered(), c.messages);
    }
    EXPECT_EQ(grid.Cells(c.col, 1), c.kept);
    EXPECT_EQ(EditorText(grid), c.kept);
    QTest::keyClick(grid.indexWidget(grid.currentIndex()), Qt::Key_Return);
    QApplication::processEvents();  // the view closes the editor in the next round
    EXPECT_EQ(grid.indexWidget(grid.currentIndex()), nullptr);
    EXPECT_EQ(grid.Cells(c.col, 1), c.kept);
    EXPECT_TRUE(form->isVisible());
  }
}

// Keys reach the widget that has the focus, as the keyboard delivers them: after
// a refusal's message, answered with Enter or Escape, the cell's editor has the
// keyboard again and the typing goes on in it.
TEST_F(KeyboardInput, TypingGoesOnInTheCellAfterARefusal) {
  const std::string badSplitting = " is not a valid splitting value, it must be 1 (training) and 2 (prediction)";
  const struct {
    bool tableMode;
    int col;
    std::string keys;
    Qt::Key answer;
    std::string kept;
    std::vector<std::string> messages;
  } cases[] = {
      {true, 2, "x56", Qt::Key_Return, "56", {Refused("x")}},
      {true, 2, "x56", Qt::Key_Escape, "56", {Refused("x")}},
      {true, 4, "31", Qt::Key_Return, "1", {"3" + badSplitting}},
      {true, 4, "1,5", Qt::Key_Return, "1", {"'1,' is not a valid integer value", "15" + badSplitting}},
      {false, 3, "7x8", Qt::Key_Escape, "78", {Refused("7x")}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    auto form = EditCell(c.tableMode, c.col);
    StringGrid& grid = *form->StringGrid;
    {
      RealMessageBoxes boxes(c.answer);
      TypeAtFocus(c.keys);
      EXPECT_EQ(boxes.Answered(), c.messages);
    }
    EXPECT_EQ(EditorText(grid), c.kept);
    PressAtFocus(Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(grid.Cells(c.col, 1), c.kept);
    EXPECT_EQ(QApplication::focusWidget(), &grid);
  }
}

// Typed into the rows box and confirmed with Enter, a text that is no number is
// refused; the rows and what they hold stay, and the box takes a number next.
TEST_F(KeyboardInput, ARowsTextThatIsNoNumberIsRefusedAndTheRowsStay) {
  for (const std::string typed : {"x", "-", "2x"}) {
    SCOPED_TRACE(typed);
    auto form = EditCell(true, 2);
    for (int row = 1; row <= 5; ++row) form->StringGrid->Cells(2, row) = IntToStr(row);
    form->EditRow->setFocus();
    form->EditRow->selectAll();
    {
      RealMessageBoxes boxes;
      TypeAtFocus(typed);
      PressAtFocus(Qt::Key_Return);
      EXPECT_EQ(boxes.Answered(), std::vector<std::string>{"'" + typed + "' is not a valid integer value"});
    }
    EXPECT_EQ(form->EditRow->text().toStdString(), "5");
    EXPECT_EQ(form->StringGrid->RowCount(), 6);
    EXPECT_EQ(form->StringGrid->Cells(2, 5), "5");
    form->EditRow->selectAll();
    TypeAtFocus("2");
    PressAtFocus(Qt::Key_Return);
    EXPECT_EQ(form->StringGrid->RowCount(), 3);
    EXPECT_TRUE(form->isVisible());
    form->hide();  // the program closes a window before it deletes it: the rows box is left alive
  }
}

TEST_F(KeyboardInput, EnterInAnEditBoxDoesOnlyWhatThatBoxDoes) {
  ChemoData table;
  FillComparisonTable(table);
  auto editor = OpenEditor(table, true);
  for (int row = 1; row <= 5; ++row) {
    for (int col = 2; col <= 3; ++col) editor->StringGrid->Cells(col, row) = "1.5";
    editor->StringGrid->Cells(4, row) = "1";
  }
  TImportDataForm import(nullptr, Write("N\tA\r\nx\t1\r\ny\t2\r\n"), &host.data, nullptr);
  std::string name = "MCDM-A";
  TDataRequestForm request(nullptr, "MCDM column name", &name, nullptr);

  const struct {
    const char* name;
    ModalDialog* dialog;
    QLineEdit* edit;
    std::string typed;
    std::function<void()> check;
  } cases[] = {
      {"rows", editor.get(), editor->EditRow, "3",
       [&] {
         EXPECT_EQ(editor->StringGrid->RowCount(), 4);
         EXPECT_EQ(table.iObjCount, 0);
       }},
      {"missing value", &import, import.EditMissingValue, "0", [&] { EXPECT_EQ(host.data.iObjCount, 0); }},
      {"delimiter", &import, import.EditDelimiter, ";", [&] { EXPECT_EQ(host.data.iObjCount, 0); }},
      {"name", &request, request.EditInputData, "B", [&] { EXPECT_EQ(name, "MCDM-A"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ShowActive(*c.dialog);
    RealMessageBoxes boxes;
    c.edit->selectAll();
    TypeAndEnter(c.edit, c.typed);
    EXPECT_TRUE(c.dialog->isVisible());
    EXPECT_EQ(c.dialog->Result(), mrNone);
    EXPECT_EQ(boxes.Answered(), std::vector<std::string>{});
    c.check();
    c.dialog->hide();
  }
}

}  // namespace

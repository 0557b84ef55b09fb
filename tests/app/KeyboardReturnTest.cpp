// Where the keyboard goes after the program's questions and messages, answered in
// real message boxes, and after its modal windows close: back to the window that
// opened them, or to the main window when that one is gone; the main window's
// menu keys work again.
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "app/MainFixture.h"
#include "ModalScript.h"
#include "prepare/IDtMain.h"
#include "numerics/Utils.h"
#include "select/CStMain.h"
#include "support/EventLoop.h"
#include "support/UserInput.h"

namespace {

using KeyboardReturn = MainFormTest;

// Alt+F, as typed, opens the main window's File menu.
void ExpectFileMenuOpensFromTheKeyboard(TMainForm& main) {
  ASSERT_TRUE(HasTheKeyboard(&main));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier);
  QApplication::processEvents();
  EXPECT_EQ(QApplication::activePopupWidget(), main.MenuFile);
  if (QApplication::activePopupWidget() != nullptr) QApplication::activePopupWidget()->close();
}

// A table of four variables, the last one a linear response of the first three.
const char* const kGoodTable =
    "Name\tA\tB\tC\tY\r\n"
    "o1\t1\t2\t0.5\t3.1\r\no2\t2\t1\t0.7\t3.9\r\no3\t3\t5\t0.2\t6.2\r\no4\t4\t3\t0.9\t7.1\r\n"
    "o5\t5\t4\t0.4\t9.3\r\no6\t6\t7\t0.1\t10.8\r\no7\t7\t6\t0.8\t13.2\r\no8\t8\t9\t0.3\t14.9\r\n";

TEST_F(KeyboardReturn, GoesBackToTheMainWindowAfterAnImportErrorTheImportWindowAndASearch) {
  TMainForm& main = StartShown();
  RealMessageBoxes boxes;
  ModalScript script;

  // Yes to the erase question, then Enter on the import's error; the import window closes.
  main.SetModified(true);
  MakeFile("help/example.txt", "Name\tA\tB\r\nx\t1,5\t2\r\ny\t2\t3\r\n");
  script.Then<TImportDataForm>("import", [](TImportDataForm& w) { w.ButtonImport->click(); });
  main.Loadexample1Click();
  ASSERT_EQ(boxes.Answered().size(), 2u);
  EXPECT_EQ(boxes.Answered()[0], "Previous data will be erased! Do you really want to continue?");
  EXPECT_EQ(boxes.Answered()[1].rfind("'1,5' is not a valid floating point value", 0), 0u);
  ExpectFileMenuOpensFromTheKeyboard(main);

  // Escape closes the import window.
  MakeFile("help/example.txt", kGoodTable);
  script.Then<TImportDataForm>("Escape", [](TImportDataForm& w) {
    EXPECT_TRUE(HasTheKeyboard(&w));
    PressAtFocus(Qt::Key_Escape);
  });
  main.Loadexample1Click();
  EXPECT_EQ(main.DataSet().iObjCount, 0);
  ExpectFileMenuOpensFromTheKeyboard(main);

  // OK on the message that ends an all-subset search.
  script.Then<TImportDataForm>("import", [](TImportDataForm& w) { w.ButtonImport->click(); });
  main.Loadexample1Click();
  ChemoData& data = main.DataSet();
  ASSERT_EQ(data.iVarCount, 4);
  data.iResponseIndex = 3;
  AllocCheckedArray(data.ipSelectedVarPtr, 3, "*ipSelectedVarPtr");
  for (int32_t v = 0; v < 3; ++v) data.ipSelectedVarPtr[v] = v;
  data.iSelectedVarCount = 3;
  script.Then<TCalculateSetupForm>("search set-up", [](TCalculateSetupForm& w) { w.ButtonCalculate->click(); });
  main.MenuCalculateAllSubsetClick();
  EXPECT_EQ(boxes.Answered().back(), "Models calculation completed.");
  ExpectFileMenuOpensFromTheKeyboard(main);
  EXPECT_TRUE(script.Done());

  // A window that belongs to no other, as a message opened while no window was active.
  QLineEdit stray;
  ShowActive(stray);
  stray.setFocus();
  ASSERT_TRUE(HasTheKeyboard(&stray));
  stray.close();
  ExpectFileMenuOpensFromTheKeyboard(main);
}

}  // namespace

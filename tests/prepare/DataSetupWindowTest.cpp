// The data set-up window on the example table, worked as a user works it: rows
// chosen with the mouse, buttons clicked, combo items picked, modal windows
// answered as they come up; what the window shows is read back from its grids,
// lists, combos and summary.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QColor>
#include <QImage>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest/QTest>
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/ModalScript.h"
#include "platform/qt/StringGrid.h"
#include "prepare/DRdMain.h"
#include "prepare/SDtMain.h"
#include "plot/VGrMain.h"
#include "prepare/SetupTestData.h"
#include "support/FakeProjectHost.h"
#include "support/UserInput.h"
#include "validate/VMdMain.h"
#include "validate/VMsMain.h"

namespace {

using Marks = std::map<std::string, std::string>;

// The example table with its stored set-up: MaxEStateIndex the response, qed
// and MolWt selected, Activity a splitting variable, every object training; the
// set-up window open on it.
class DataSetupWindow : public testing::Test {
protected:
  DataSetupWindow() {
    TestUi().Reset();
    LoadExample(data);
    data.iResponseIndex = 1;
    SetVarLists(data, {5, 6}, {}, {0});
    form = std::make_unique<TDataSetupForm>(nullptr, &models, &data);
    ShowActive(*form);
  }
  ~DataSetupWindow() override { form->hide(); }

  // The one push button of the window with this caption.
  QPushButton* ButtonCalled(const QString& caption) const {
    QPushButton* found = nullptr;
    for (QPushButton* button : form->findChildren<QPushButton*>())
      if (button->text() == caption) {
        EXPECT_EQ(found, nullptr) << "two buttons " << caption.toStdString();
        found = button;
      }
    EXPECT_NE(found, nullptr) << "no button " << caption.toStdString();
    return found;
  }
  void Click(const QString& caption) const { QTest::mouseClick(ButtonCalled(caption), Qt::LeftButton); }

  // The buttons, in order, sit in rows of three: each below the one three before
  // it, each row's buttons side by side.
  void ExpectRowsOfThree(const std::vector<QString>& captions) const {
    std::vector<QPoint> at;
    for (const QString& caption : captions) at.push_back(ButtonCalled(caption)->pos());
    for (std::size_t i = 0; i < at.size(); ++i) {
      SCOPED_TRACE(captions[i].toStdString());
      if (i % 3 > 0) {
        EXPECT_EQ(at[i].y(), at[i - 1].y());
        EXPECT_GT(at[i].x(), at[i - 1].x());
      }
      if (i >= 3) {
        EXPECT_EQ(at[i].x(), at[i - 3].x());
        EXPECT_GT(at[i].y(), at[i - 3].y());
      }
    }
  }

  // Runs the action of the widget (a list's or a pop-up menu's item) with this caption.
  static void Trigger(const QWidget* widget, const QString& caption) {
    for (QAction* action : widget->actions())
      if (action->text() == caption) return action->trigger();
    ADD_FAILURE() << "no action " << caption.toStdString();
  }

  // Clicks the name of row top, then shift-clicks the name of row bottom.
  static void ClickRows(StringGrid* grid, int top, int bottom) {
    ClickCell(grid, 1, top, Qt::NoModifier);
    if (bottom != top) ClickCell(grid, 1, bottom, Qt::ShiftModifier);
  }
  static void ClickCell(StringGrid* grid, int col, int row, Qt::KeyboardModifiers modifiers) {
    grid->ScrollIntoView(col, row);
    const QRect cell = grid->visualRect(grid->model()->index(row - grid->FixedRows(), col - grid->FixedCols()));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, cell.center());
  }
  void ClickVariables(int top, int bottom, const QString& caption) const {
    ClickRows(form->StringGridVar, top, bottom);
    Click(caption);
  }
  void ClickObjects(int top, int bottom, const QString& caption) const {
    ClickRows(form->StringGridObj, top, bottom);
    Click(caption);
  }

  // The rows of a grid with a status, by name.
  static Marks Statuses(const StringGrid* grid) {
    Marks marks;
    for (int row = 1; row < grid->RowCount(); ++row)
      if (!grid->Cells(2, row).empty()) marks[grid->Cells(1, row)] = grid->Cells(2, row);
    return marks;
  }
  static std::vector<std::string> MenuTexts(const QMenu* menu) {
    std::vector<std::string> texts;
    for (const QAction* action : menu->actions()) texts.push_back(action->text().toStdString());
    return texts;
  }
  // The colour the grid shows near the lower right corner of a cell, clear of its text.
  static QColor Fill(StringGrid* grid, int col, int row) {
    const QRect cell = grid->visualRect(grid->model()->index(row - grid->FixedRows(), col - grid->FixedCols()));
    return grid->viewport()->grab().toImage().pixelColor(cell.right() - 3, cell.bottom() - 2);
  }
  static std::vector<std::string> Lines(const QListWidget* list) {
    std::vector<std::string> lines;
    for (int i = 0; i < list->count(); ++i) lines.push_back(list->item(i)->text().toStdString());
    return lines;
  }
  std::string Summary() const { return form->MemoDetails->toPlainText().toStdString(); }

  FakeProjectHost host;
  ChemoData& data = host.data;
  DataResultList models{&host.data};
  std::unique_ptr<TDataSetupForm> form;
};

// The buttons of each group sit in rows of three, and each marks the rows chosen
// with the mouse; the lists, the summary and the copies follow the marks.
TEST_F(DataSetupWindow, ItsButtonsSitInRowsOfThreeAndMarkTheRowsChosen) {
  ExpectRowsOfThree({"Select var.", "Hold var.", "Release var.", "Select resp.", "Release resp.", "Clear all",
                     "Set splitting", "View resp. d.", "Normalize var."});
  ExpectRowsOfThree({"Training", "Prediction", "Excluded", "Reset objects", "Create splitting", "Delete splitting"});

  StringGrid* vars = form->StringGridVar;
  StringGrid* objects = form->StringGridObj;
  for (const auto& [grid, name] : {std::pair{vars, "Variable"}, std::pair{objects, "Name"}})
    EXPECT_EQ((std::vector<std::string>{grid->Cells(0, 0), grid->Cells(1, 0), grid->Cells(2, 0)}),
              (std::vector<std::string>{"No.", name, "Status"}));
  EXPECT_EQ(MenuTexts(form->PopupMenuVar),
            (std::vector<std::string>{"&Select variable", "&Hold variable", "&Release variable", "&Normalize variable",
                                      "S&elect response ", "Re&lease response", "Se&t splitting", "&Clear All",
                                      "View Res&ponse distribution", "Se&arch variable..."}));
  EXPECT_EQ(MenuTexts(form->PopupMenuObj),
            (std::vector<std::string>{"&Training", "&Prediction", "E&xcluded", "&Reset objects", "&Create splitting...",
                                      "&Delete splitting", "&Search object..."}));

  EXPECT_EQ(Statuses(vars), (Marks{{"Activity", "Splitting"},
                                   {"MaxEStateIndex", "Response"},
                                   {"qed", "Selected"},
                                   {"MolWt", "Selected"}}));
  EXPECT_EQ(Fill(vars, 2, 2), QColor(0, 128, 0));  // the response's status cell
  ClickVariables(3, 5, "Hold var.");
  ClickVariables(4, 4, "Select var.");
  EXPECT_EQ(Statuses(vars), (Marks{{"Activity", "Splitting"},
                                   {"MaxEStateIndex", "Response"},
                                   {"MinEStateIndex", "Hold"},
                                   {"MaxAbsEStateIndex", "Selected"},
                                   {"MinAbsEStateIndex", "Hold"},
                                   {"qed", "Selected"},
                                   {"MolWt", "Selected"}}));
  const std::string pool = "MinEStateIndex\r\nMaxAbsEStateIndex\r\nMinAbsEStateIndex\r\nqed\r\nMolWt\r\n";
  EXPECT_EQ(Lines(form->ListBoxSelVar),
            (std::vector<std::string>{"MinEStateIndex", "MaxAbsEStateIndex", "MinAbsEStateIndex", "qed", "MolWt"}));
  Trigger(form->ListBoxSelVar, "&Copy");
  EXPECT_EQ(TestUi().clipboard, pool);
  TestUi().clipboard.clear();
  form->ListBoxSelVar->setFocus();
  QTest::keyClick(form->ListBoxSelVar, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(TestUi().clipboard, pool);

  Click("Var. PCA");
  Click("View resp. d.");
  ASSERT_NE(form->PlotWindow(1), nullptr);
  ASSERT_NE(form->PlotWindow(2), nullptr);
  EXPECT_EQ(form->PlotWindow(1)->Data().RowCount, 204);  // the score plot
  EXPECT_EQ(form->PlotWindow(2)->Data().RowCount, 204);  // the training responses
  EXPECT_EQ(form->PlotWindow(3), nullptr);               // no prediction object

  ClickVariables(4, 6, "Release var.");
  ClickVariables(7, 7, "Select resp.");
  EXPECT_EQ(Statuses(vars), (Marks{{"Activity", "Splitting"}, {"MinEStateIndex", "Hold"}, {"MolWt", "Response"}}));
  EXPECT_EQ(Fill(vars, 2, 7), QColor(0, 187, 0));  // selected
  EXPECT_NE(Fill(vars, 2, 2), QColor(0, 128, 0));
  EXPECT_TRUE(ButtonCalled("View resp. d.")->isEnabled());
  Click("Release resp.");
  EXPECT_EQ(Statuses(vars), (Marks{{"Activity", "Splitting"}, {"MinEStateIndex", "Hold"}}));
  EXPECT_FALSE(ButtonCalled("View resp. d.")->isEnabled());
  Click("Clear all");
  EXPECT_EQ(Statuses(vars), Marks{});
  EXPECT_TRUE(Lines(form->ListBoxSelVar).empty());
  ClickRows(vars, 8, 8);
  Trigger(form->PopupMenuVar, "&Hold variable");
  EXPECT_EQ(Statuses(vars), (Marks{{"HeavyAtomMolWt", "Hold"}}));

  ClickObjects(1, 3, "Prediction");
  ClickObjects(2, 2, "Excluded");
  ClickObjects(3, 4, "Training");
  ClickRows(objects, 4, 4);
  Trigger(form->PopupMenuObj, "&Prediction");
  EXPECT_EQ((std::vector<std::string>{objects->Cells(2, 1), objects->Cells(2, 2), objects->Cells(2, 3),
                                      objects->Cells(2, 4)}),
            (std::vector<std::string>{"Prediction", "Excluded", "Training", "Prediction"}));
  EXPECT_EQ(Summary(), "Training: 201\t\tPrediction: 2\t\t\tVariables: 1\nExcluded: 1\t\tMissing: 0\t\t\tUnknown: 0");
  Click("Reset objects");
  EXPECT_EQ(objects->Cells(2, 1), "Training");
  EXPECT_EQ(Summary(), "Training: 204\t\tPrediction: 0\t\t\tVariables: 1\nExcluded: 0\t\tMissing: 0\t\t\tUnknown: 0");
  EXPECT_EQ(data.iResponseIndex, 1);  // nothing stored without OK
  EXPECT_EQ(data.iSelectedVarCount, 2);
}

// A named splitting picked by its name gives way, in the name combo, to every
// other way of splitting: the ordered split's two combos and the random one.
TEST_F(DataSetupWindow, ANamedSplittingGivesWayToTheOtherSplits) {
  ClickObjects(1, 5, "Prediction");
  ModalScript script;
  script.Then<TDataRequestForm>("splitting name", [](TDataRequestForm& w) {
    w.EditInputData->setText("by hand");
    QTest::mouseClick(w.ButtonConfirm, Qt::LeftButton);
  });
  Click("Create splitting");
  QComboBox* name = form->ComboBoxSplitting;
  EXPECT_EQ(name->currentText(), "by hand");
  Click("Reset objects");
  EXPECT_EQ(name->currentText(), "");
  EXPECT_EQ(Statuses(form->StringGridVar),
            (Marks{{"MaxEStateIndex", "Response"}, {"qed", "Selected"}, {"MolWt", "Selected"}}));

  const auto recall = [&] {
    Pick(name, "by hand");
    EXPECT_EQ(form->StringGridObj->Cells(2, 5), "Prediction");
    EXPECT_EQ(form->StringGridObj->Cells(2, 6), "Training");
  };
  recall();
  Pick(form->ComboBoxRATrain, "3");
  EXPECT_EQ(name->currentText(), "");
  recall();
  EXPECT_EQ(form->ComboBoxRATrain->currentText(), "");
  Pick(form->ComboBoxRATest, "1");
  EXPECT_EQ(name->currentText(), "");
  Pick(form->ComboBoxRATrain, "3");  // now both are chosen: one object in four predicts
  EXPECT_EQ(Summary(), "Training: 154\t\tPrediction: 50\t\t\tVariables: 2\nExcluded: 0\t\tMissing: 0\t\t\tUnknown: 0");
  recall();
  Pick(form->ComboBoxRandom, "10");
  EXPECT_EQ(name->currentText(), "");

  recall();
  TestUi().Answer(IDNO);  // every ordered object changes role
  Click("Swap");
  EXPECT_EQ(Summary(), "Training: 5\t\tPrediction: 199\t\t\tVariables: 2\nExcluded: 0\t\tMissing: 0\t\t\tUnknown: 0");
  Click("Delete splitting");
  EXPECT_EQ(ShownTexts(), (Texts{"Do you want to preserve the first and the last object status with reference to an "
                                 "ORDERED response table?",
                                 "Do you really want to delete by hand?"}));
  EXPECT_EQ(name->count(), 1);
  EXPECT_FALSE(ButtonCalled("Delete splitting")->isEnabled());
}

// Single model fits what the window shows, not the set-up the data set holds:
// another response, another pool, ten objects moved to prediction.
TEST_F(DataSetupWindow, SingleModelFitsTheWindowsMarksNotTheStoredSetup) {
  ClickVariables(1, 1, "Select resp.");
  ClickVariables(6, 6, "Release var.");
  ClickVariables(10, 10, "Select var.");
  ClickObjects(1, 10, "Prediction");
  const Marks marks = Statuses(form->StringGridVar);
  EXPECT_EQ(marks, (Marks{{"Activity", "Response"}, {"MolWt", "Selected"}, {"NumValenceElectrons", "Selected"}}));

  std::vector<std::string> coefficients, first;
  std::string hat;
  TestUi().Answer(IDNO);  // no external validation
  ModalScript script;
  script.Then<TValidateModelForm>("validation", [](TValidateModelForm& w) {
    QTest::mouseClick(w.ButtonCancel, Qt::LeftButton);
  });
  script.Then<TViewSelModForm>("model", [&](TViewSelModForm& w) {
    for (int row = 0; row < w.StringGridRegrPar->RowCount(); ++row)
      coefficients.push_back(w.StringGridRegrPar->CellText(0, row));
    hat = w.StringGrid->CellText(8, 0);
    for (int col = 1; col <= 3; ++col) first.push_back(w.StringGrid->CellText(col, 1));
    w.close();
  });
  Click("Single model");
  EXPECT_EQ(coefficients, (std::vector<std::string>{"Variable", "Intercept", "MolWt", "NumValenceElectrons"}));
  EXPECT_EQ(hat, "HAT i/i (h*=0.0464)");  // 3 parameters on 194 training objects
  EXPECT_EQ(first, (std::vector<std::string>{"Mol_1520012", "Prediction", "5.4800"}));  // its Activity
  EXPECT_EQ(ShownTexts(),
            (Texts{"Do you want to perform external validation (Q2-Fn, CCC, r2m, Golbraikh and Tropsha method)?"}));

  EXPECT_EQ(Statuses(form->StringGridVar), marks);  // the window keeps its work, the data set its own
  EXPECT_EQ(data.iResponseIndex, 1);
  EXPECT_EQ(std::vector<int32_t>(data.ipSelectedVarPtr, data.ipSelectedVarPtr + data.iSelectedVarCount),
            (std::vector<int32_t>{5, 6}));
  EXPECT_EQ(data.ipTrainingPtr[0], kStatusTraining);
}
}  // namespace

#include "models/VSmMain.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <optional>

#include "data/TempFiles.h"
#include "data/ValidationFiles.h"
#include "platform/qt/StringGrid.h"
#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "platform/qt/QtConvert.h"
#include "app/ModalScript.h"
#include "support/BlockedFolder.h"
#include "support/EventLoop.h"
#include "support/FakeProjectHost.h"
#include "support/GridColumns.h"
#include "support/ScriptedUi.h"
#include "support/TestFolder.h"
#include "support/UserInput.h"
#include "validate/VMsMain.h"
#include "numerics/Utils.h"
#include "platform/base/NumberText.h"
#include "validate/VMdMain.h"
#include "validate/ValidationTestData.h"
#include <QComboBox>
#include <QFontMetrics>

namespace {

// A main window whose temporary folder is a test folder.
class HostWithRegistry : public FakeProjectHost {
public:
  explicit HostWithRegistry(const std::string& dir, char separator = '.') : FakeProjectHost(separator), registry(dir) {
    for (const char* name : kValidationFileNames) registry.AddName(name);
  }
  TempFiles* Registry() override { return &registry; }
  TempFiles registry;
};

class ViewSelFormTest : public ::testing::Test {
protected:
  ViewSelFormTest() {
    TestUi().Reset();
    host.data.Allocate(3, 8);
    host.data.iResponseIndex = 2;
    for (int i = 0; i < 8; ++i) host.data.ipTrainingPtr[i] = kStatusTraining;
    host.models = new DataResultList(&host.data);
  }
  ~ViewSelFormTest() override { delete host.models; }

  // Models with R2 falling by id; every other one selected.
  void AddModels(int count) {
    for (int id = 1; id <= count; ++id) {
      DataResultNode* model = host.models->Append();
      model->iID = id;
      model->iSize = 1 + id % 3;
      model->iSelStatus = id % 2 == 1 ? 3 : 0;
      model->sName = "D" + std::to_string(id % 3) + "  ";
      model->cvR2 = CheckedValue(1.0L - id / 100.0L, false);
      model->cvQ2loo = CheckedValue(0.5L + (id % 4) / 10.0L, false);
      model->cvKxx = CheckedValue(0.0L, false);
      model->cvKxy = CheckedValue(id / 1000.0L, false);
    }
  }
  std::unique_ptr<TViewSelForm> Open() {
    auto form = std::make_unique<TViewSelForm>(nullptr, &host.models, &host.data);
    form->DropDownList = [this](QComboBox&) { ++dropDowns; };
    form->ShowModalWindow = [this](ModalDialog& window) { shownCaptions.push_back(StdStr(window.windowTitle())); };
    return form;
  }
  std::vector<int> RowIds(const TViewSelForm& form) const {
    std::vector<int> ids;
    for (int row = 1; row <= form.Table().RowCount(); ++row) ids.push_back(std::stoi(form.Cells(2, row)));
    return ids;
  }
  static void Choose(QComboBox& combo, int index) {
    combo.setCurrentIndex(index);
    emit combo.activated(index);
  }

  TestFolder folder;
  HostWithRegistry host{folder.Dir()};
  int dropDowns = 0;
  std::vector<std::string> shownCaptions;
};

TEST_F(ViewSelFormTest, OpensSortedByR2WithItsCombosAndTheVariablesCellSelected) {
  AddModels(4);
  auto form = Open();
  EXPECT_EQ(RowIds(*form), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(form->Cells(4, 0), "Variables");
  EXPECT_EQ(form->Cells(5, 1), "0.9900");
  EXPECT_EQ(form->ComboBoxSort->currentText(), "R2");
  EXPECT_FALSE(form->ComboBoxSort2nd->isEnabled());
  EXPECT_EQ(form->ComboBoxQUIKRule->count(), 22);
  EXPECT_EQ(form->ComboBoxQUIKRule->itemText(3), "0.010");
  EXPECT_EQ(form->ComboBoxCI->count(), 7);
  EXPECT_EQ(form->ComboBoxCI->itemText(6), "1.5");
  EXPECT_EQ(form->ComboBoxStdRes->currentText(), "2.5");
  EXPECT_EQ(form->ComboBoxStdRes->count(), 9);
  EXPECT_EQ(form->ComboBoxOnlyBest->count(), 4);
  EXPECT_EQ(form->EditBest->text(), "All");
  EXPECT_EQ(form->StringGridResults->Selection(), (GridRect{4, 1, 4, 1}));
  EXPECT_FALSE(form->HasPredictionObjects());
  EXPECT_FALSE(form->SpeedButtonExtValidation->isEnabled());
  EXPECT_FALSE(form->SpeedButtonMultiCrit->isEnabled());
  EXPECT_FALSE(form->SpeedButtonMCDMgraph->isEnabled());
  EXPECT_FALSE(form->SpeedButtonPCAdesc->isEnabled());  // selected models of sizes 2 and 1
  EXPECT_TRUE(form->SpeedButtonViewVarStat->isEnabled());
  EXPECT_EQ(form->StringGridResults->ColWidth(23), -1);  // no Q2 LMO anywhere
  EXPECT_FALSE(form->ComboBoxSort->enabled[ColumnSortItem(23)]);
  EXPECT_FALSE(form->ComboBoxSort2nd->enabled[ColumnSortItem(23)]);
  EXPECT_TRUE(form->ComboBoxSort2nd->enabled[ColumnSortItem(17)]);
}

TEST_F(ViewSelFormTest, SortCombosGroupAndRestoreDisabledChoices) {
  AddModels(6);
  auto form = Open();
  Choose(*form->ComboBoxSort, ColumnSortItem(kSizeColumn));
  EXPECT_TRUE(form->ComboBoxSort2nd->isEnabled());
  Choose(*form->ComboBoxSort2nd, ColumnSortItem(17));
  // Sizes 3 (ids 2, 5), 2 (ids 1, 4), 1 (ids 3, 6); inside each the larger Q2loo first.
  EXPECT_EQ(RowIds(*form), (std::vector<int>{2, 5, 1, 4, 3, 6}));
  EXPECT_EQ(form->Table().SortColumn(), 17);
  // "Q2 LMO" has no value: choosing it puts the remembered item back and drops the list again.
  form->ComboBoxSort->showPopup();
  form->ComboBoxSort->hidePopup();
  Choose(*form->ComboBoxSort, ColumnSortItem(23));
  EXPECT_EQ(form->ComboBoxSort->currentIndex(), ColumnSortItem(kSizeColumn));
  EXPECT_EQ(dropDowns, 1);
  EXPECT_EQ(form->Table().SortColumn(), 17);
  Choose(*form->ComboBoxSort, ColumnSortItem(kR2Column));
  EXPECT_FALSE(form->ComboBoxSort2nd->isEnabled());
}

TEST_F(ViewSelFormTest, SelectionLettersAndStates) {
  AddModels(5);
  auto form = Open();
  form->StringGridResults->SetSelection({4, 2, 4, 3});
  form->PopupMenuAlwaysselectedClick();
  EXPECT_EQ(form->Cells(0, 2), "S");
  EXPECT_EQ(form->Table().RowModel(2)->iSelStatus, 3);
  form->PopupMenuNeverselectedClick();
  EXPECT_EQ(form->Cells(0, 3), "U");
  EXPECT_EQ(form->Table().RowModel(3)->iSelStatus, 0);
  // Select all answered No still puts both filters back to "None".
  form->ComboBoxQUIKRule->setCurrentIndex(3);
  form->ComboBoxCI->setCurrentIndex(2);
  TestUi().Answer(IDNO);
  form->PopupSelectallmodelsClick();
  EXPECT_EQ(TestUi().Shown(0).text, "All models will be selected: do you want to continue?");
  EXPECT_EQ(form->ComboBoxQUIKRule->currentText(), "None");
  EXPECT_EQ(StdStr(form->ComboBoxCI->currentText()), "None");
  EXPECT_EQ(form->Table().RowModel(3)->iSelStatus, 0);
  form->PopupSelectallmodelsClick();
  for (int row = 1; row <= 5; ++row) EXPECT_EQ(form->Table().RowModel(row)->iSelStatus, 1);
  form->PopupMenuResetAllSelClick();
  EXPECT_EQ(form->Table().RowModel(1)->iSelStatus, 0);
  EXPECT_FALSE(form->SpeedButtonIntValidation->isEnabled());
}

TEST_F(ViewSelFormTest, QuikRuleFilterAndNoneSelectsTheWholeList) {
  AddModels(20);  // Kxy - Kxx = id / 1000: id 10 is on the limit and passes
  auto form = Open();
  Choose(*form->ComboBoxQUIKRule, 3);  // 0.010
  for (DataResultNode* m = host.models->First(); m != nullptr; m = m->Next()) {
    if (m->iID < 10) {
      EXPECT_EQ(m->iSelStatus, m->iID % 2 == 1 ? 2 : 0) << m->iID;
    } else {
      EXPECT_EQ(m->iSelStatus, 3) << m->iID;
    }
  }
  Choose(*form->ComboBoxQUIKRule, 0);
  for (DataResultNode* m = host.models->First(); m != nullptr; m = m->Next()) EXPECT_EQ(m->iSelStatus, 3);
  // A typed CI text that is no number changes nothing and shows nothing.
  host.models->First()->iSelStatus = 0;
  form->ComboBoxCI->setEditText("1.x");
  form->ComboBoxCIChange();
  EXPECT_EQ(host.models->First()->iSelStatus, 0);
  EXPECT_TRUE(TestUi().Shown().empty());
}

TEST_F(ViewSelFormTest, KeepBestAndDeleteUnselected) {
  AddModels(20);
  auto form = Open();
  Choose(*form->ComboBoxOnlyBest, 5);
  EXPECT_EQ(TestUi().Shown(0).text, "Do you really want to keep only the best 5 models?");
  EXPECT_EQ(RowIds(*form), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(host.models->Count(), 5);
  ASSERT_EQ(form->ComboBoxOnlyBest->count(), 5);
  EXPECT_EQ(form->ComboBoxOnlyBest->itemText(4), "4");
  EXPECT_EQ(form->ComboBoxOnlyBest->currentText(), "All");
  TestUi().Answer(IDNO);
  form->SpeedButtonDelUnselModelClick();
  EXPECT_EQ(host.models->Count(), 5);
  form->SpeedButtonDelUnselModelClick();
  EXPECT_EQ(TestUi().Shown(2).text, "Do you really want to delete unselected models?");
  EXPECT_EQ(RowIds(*form), (std::vector<int>{1, 3, 5}));
  EXPECT_EQ(host.models->Count(), 3);
  EXPECT_EQ(form->Cells(1, 2), "3");  // ranks of the last sort
  // The "Only ... best" list follows the shorter list.
  ASSERT_EQ(form->ComboBoxOnlyBest->count(), 3);
  Choose(*form->ComboBoxOnlyBest, 2);
  EXPECT_EQ(TestUi().Shown(3).text, "Do you really want to keep only the best 2 models?");
  EXPECT_EQ(RowIds(*form), (std::vector<int>{1, 3}));
}

// A user deletes the unselected models with the button and keeps the best of
// the rest with the keyboard, each question a real message box answered with Enter.
TEST_F(ViewSelFormTest, TheUserKeepsTheBestOfWhatTheDeletionLeft) {
  AddModels(20);
  auto form = Open();
  RealMessageBoxes boxes;
  ShowActive(*form);
  QTest::mouseClick(form->SpeedButtonDelUnselModel, Qt::LeftButton);
  ASSERT_EQ(host.models->Count(), 10);
  ASSERT_EQ(form->ComboBoxOnlyBest->count(), 10);  // "All", then 1 to 9
  form->ComboBoxOnlyBest->setFocus();
  QTest::keyClick(form->ComboBoxOnlyBest, Qt::Key_End);
  EXPECT_EQ(boxes.Answered(), (std::vector<std::string>{"Do you really want to delete unselected models?",
                                                        "Do you really want to keep only the best 9 models?"}));
  EXPECT_EQ(host.models->Count(), 9);
  EXPECT_EQ(RowIds(*form), (std::vector<int>{1, 3, 5, 7, 9, 11, 13, 15, 17}));
  EXPECT_EQ(form->ComboBoxOnlyBest->count(), 9);
  EXPECT_EQ(form->ComboBoxOnlyBest->currentText(), "All");
}

// "and by" is disabled and holds "Q2 LMO", which the deletion emptied: a new
// first key still sorts.
TEST_F(ViewSelFormTest, ANewFirstKeySortsWhateverTheDisabledSecondListHolds) {
  AddModels(6);
  for (DataResultNode* model = host.models->First(); model != nullptr; model = model->Next())
    if (model->iSelStatus == 0) model->cvQ2LMO = CheckedValue(model->iID / 10.0L, false);
  auto form = Open();
  Choose(*form->ComboBoxSort, ColumnSortItem(kSizeColumn));
  Choose(*form->ComboBoxSort2nd, ColumnSortItem(23));
  ASSERT_EQ(form->Table().SortColumn(), 23);
  form->SpeedButtonDelUnselModelClick();
  ASSERT_FALSE(form->ComboBoxSort2nd->enabled[ColumnSortItem(23)]);
  Choose(*form->ComboBoxSort, ColumnSortItem(17));
  EXPECT_EQ(form->Table().SortColumn(), 17);
  EXPECT_EQ(dropDowns, 0);
  EXPECT_EQ(RowIds(*form).front(), 3);  // Q2loo 0.8, then ids 1 and 5 with 0.6
}

// A progress window that repaints the whole grid whenever it shows anything,
// as the real one may when it lets pending events through.
struct RepaintingProgress : Progress {
  explicit RepaintingProgress(TViewSelForm*& form) : form(form) { Repaint(); }
  void Repaint() {
    if (form == nullptr) return;
    for (int row = 1; row < form->StringGridResults->RowCount(); ++row)
      for (int col = 0; col < kModelListColumnCount; ++col) texts += form->Cells(col, row).size();
  }
  void SetText(const std::string&) override { Repaint(); }
  void SetRange(int, int) override {}
  void SetPosition(int) override { Repaint(); }
  void AnimationTick() override { Repaint(); }
  TViewSelForm*& form;
  std::size_t texts = 0;
};

TEST_F(ViewSelFormTest, RemovingModelsInTheOnlySelectedViewNeverRepaintsFreedOnes) {
  AddModels(12);
  TViewSelForm* shown = nullptr;
  TViewSelForm form(nullptr, &host.models, &host.data,
                    [&shown](bool) { return std::make_unique<RepaintingProgress>(shown); });
  shown = &form;
  form.SpeedButtonViewOnlySelModClick();
  ASSERT_EQ(RowIds(form), (std::vector<int>{1, 3, 5, 7, 9, 11}));
  Choose(*form.ComboBoxOnlyBest, 4);  // frees eight models, four of them shown
  EXPECT_EQ(RowIds(form), (std::vector<int>{1, 3}));
  form.PopupMenuNeverselectedClick();  // the selection is row 1: id 1
  form.SpeedButtonDelUnselModelClick();
  EXPECT_EQ(RowIds(form), (std::vector<int>{3}));
  EXPECT_EQ(host.models->Count(), 1);
}

TEST_F(ViewSelFormTest, OnlySelectedViewControlsAndKeepOnlySelected) {
  AddModels(8);
  auto form = Open();
  form->UpDownBest->setValue(1);
  EXPECT_EQ(form->EditBest->text(), "1");
  form->SpeedButtonViewOnlySelModClick();
  EXPECT_TRUE(form->SpeedButtonViewOnlySelMod->isChecked());
  EXPECT_TRUE(form->PopupMenuViewOnlySel->isChecked());
  EXPECT_FALSE(form->ComboBoxSort->isEnabled());
  EXPECT_FALSE(form->UpDownBest->isEnabled());
  EXPECT_FALSE(form->SpeedButtonSelAll->isEnabled());
  EXPECT_FALSE(form->PopupMenuAlwaysselected->isEnabled());
  EXPECT_EQ(StdStr(form->SpeedButtonDelUnselModel->toolTip()), "Keep only selected models");
  EXPECT_EQ(StdStr(form->PopupMenuDelUnsel->text()), "Keep only selecte&d models");
  // Selected: ids 1, 3, 5, 7 of sizes 2, 1, 3, 2: one per size.
  EXPECT_EQ(RowIds(*form), (std::vector<int>{1, 3, 5}));
  EXPECT_TRUE(form->SpeedButtonViewVarStat->isEnabled());  // the command rule enables it again
  EXPECT_EQ(form->SelectedRowModel()->iID, 1);
  form->SpeedButtonDelUnselModelClick();
  EXPECT_EQ(host.models->Count(), 3);
  form->SpeedButtonViewOnlySelModClick();
  EXPECT_EQ(StdStr(form->SpeedButtonDelUnselModel->toolTip()), "Delete unselected models");
  EXPECT_TRUE(form->ComboBoxSort->isEnabled());
  EXPECT_EQ(RowIds(*form), (std::vector<int>{1, 3, 5}));
}

TEST_F(ViewSelFormTest, RowsWithoutModelsAreLeftAlone) {
  AddModels(2);
  for (DataResultNode* m = host.models->First(); m != nullptr; m = m->Next()) m->iSelStatus = 0;
  auto form = Open();
  form->SpeedButtonViewOnlySelModClick();
  EXPECT_EQ(form->Table().RowCount(), 0);
  EXPECT_EQ(form->SelectedRowModel(), nullptr);
  form->SetStatusOfSelectedRows("S");
  EXPECT_EQ(form->Table().SelectedCount(), 0);
}

// A copy of many rows repaints the bar only when it moves a whole percent, and
// ends it where stepping every row would.
TEST_F(ViewSelFormTest, CopyOfManyRowsMovesTheBarByPercents) {
  AddModels(1000);
  struct Bar : Progress {
    explicit Bar(std::vector<int>& positions) : positions(positions) {}
    void SetText(const std::string&) override {}
    void SetRange(int, int) override {}
    void SetPosition(int pos) override { positions.push_back(pos); }
    void AnimationTick() override {}
    std::vector<int>& positions;
  };
  std::vector<int> positions;
  TViewSelForm form(nullptr, &host.models, &host.data, [&positions](bool) { return std::make_unique<Bar>(positions); });
  form.StringGridResults->SetSelection({0, 1, 4, 1000});
  positions.clear();
  form.SpeedButtonCopyClick();
  ASSERT_EQ(positions.size(), 100u);
  const int step = LargestInt() / 1000;
  EXPECT_EQ(positions.front(), 10 * step);
  EXPECT_EQ(positions.back(), 1000 * step);
  EXPECT_EQ(std::count(TestUi().clipboard.begin(), TestUi().clipboard.end(), '\n'), 1001);
}

// Titles and the widest numbers (of 100 and of 10000 or more, negative ones,
// marked ones) fit their cells, and a wider width the user gave stays through
// sorts and refills.
TEST_F(ViewSelFormTest, ColumnsFitTheirTitlesAndWidestNumbersAndKeepWiderWidths) {
  AddModels(3);
  DataResultNode& first = *host.models->First();
  DataResultNode& last = *host.models->Last();
  last.iID = 123456;
  first.cvPRESScv = CheckedValue(100.535L, false);
  last.cvPRESScv = CheckedValue(99999.5L, false);
  first.cvRSStr = CheckedValue(-12345.678L, false);
  first.cvF = CheckedValue(98765.4321L, false);
  first.cvKxx = CheckedValue(-10000.0L, true);  // "Delta K" shows "*10000.0010"
  first.ciNXOutl = CheckedIntValue(1234567, false);
  // R2: "*0.5000" lies between "0.1000" and "0.9900" and is wider than both.
  first.Next()->cvR2 = CheckedValue(0.1L, false);
  last.cvR2 = CheckedValue(0.5L, true);
  auto form = Open();
  ShowActive(*form);
  StringGrid& grid = *form->StringGridResults;
  const auto everyColumnShowsItsTextsWhole = [&] {
    for (int col = 0; col < kModelListColumnCount; ++col) {
      if (grid.ColWidth(col) < 0) continue;
      EXPECT_TRUE(ShowsWholeTexts(grid, col)) << grid.CellText(col, 0);
    }
  };
  everyColumnShowsItsTextsWhole();
  EXPECT_EQ(grid.ColWidth(kRankColumn), ModelListColumns()[kRankColumn].width);  // "3" fits
  grid.SetColWidth(kRankColumn, 90);
  grid.SetColWidth(kR2Column, 77);
  Choose(*form->ComboBoxSort, ColumnSortItem(kIdColumn));
  form->SpeedButtonViewOnlySelModClick();
  EXPECT_EQ(grid.ColWidth(kRankColumn), 90);
  EXPECT_EQ(grid.ColWidth(kR2Column), 77);
  everyColumnShowsItsTextsWhole();
}

TEST_F(ViewSelFormTest, CopyUnderACommaLocaleConvertsNumberCellsOnly) {
  host.separator = ',';
  AddModels(6);
  host.models->First()->sName = "x.1  ";
  auto form = Open();
  form->StringGridResults->SetSelection({2, 3, 6, 5});
  form->SpeedButtonCopyClick();
  const std::string& text = TestUi().clipboard;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
  EXPECT_EQ(text.substr(0, 29), "St.\tNo.\tID\tSize\tVariables\tR2\t");
  EXPECT_NE(text.find("\r\nS\t3\t3\t1\tD0  \t0,9700\t"), std::string::npos);
  EXPECT_EQ(text.find("0.9"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 3), "\t\r\n");
  // Saving writes every row the same way, after asking before it overwrites.
  const std::string path = folder.Path("table.txt");
  std::ofstream(path) << "old";
  TestUi().AnswerFile(path);
  TestUi().Answer(IDNO);
  form->SpeedButtonSaveToFileClick();
  EXPECT_EQ(TestUi().Shown(0).text, "File already esists! Do you want to overwrite?");
  EXPECT_EQ(ReadFileText(path), "old");
  TestUi().AnswerFile(path);
  form->SpeedButtonSaveToFileClick();
  const std::string saved = ReadFileText(path);
  EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 7);
  EXPECT_NE(saved.find("\r\nS\t1\t1\t2\tx.1  \t0,9900\t"), std::string::npos);
  EXPECT_EQ(saved.substr(0, text.find('\n') + 1), text.substr(0, text.find('\n') + 1));
  EXPECT_EQ(TestUi().FileDialogs().back().options.defaultExt, "txt");
}

TEST_F(ViewSelFormTest, CancelGivesBackTheListAndTheFilesOfTheOpening) {
  AddModels(6);
  const std::string many = folder.Path("~many~.db$");
  const std::string rdes = folder.Path("~rdes~.db$");
  std::ofstream(many) << "many at opening";
  std::ofstream(rdes + ".und") << "stale";
  auto form = Open();
  form->SpeedButtonDelUnselModelClick();
  host.models->First()->cvR2 = CheckedValue(0.1L, false);
  std::ofstream(many) << "changed";
  std::ofstream(rdes) << "new";
  form->ButtonCancel->click();
  EXPECT_EQ(host.models->Count(), 6);
  EXPECT_EQ(host.models->First()->cvR2.Value, 0.99L);
  EXPECT_EQ(ReadFileText(many), "many at opening");
  EXPECT_FALSE(std::filesystem::exists(rdes));
  EXPECT_FALSE(std::filesystem::exists(many + ".und"));
  EXPECT_FALSE(host.modified);
}

TEST_F(ViewSelFormTest, AcceptKeepsTheEditsAndSetsTheModifiedFlag) {
  AddModels(6);
  auto form = Open();
  DataResultList* list = host.models;
  form->SpeedButtonDelUnselModelClick();
  form->ButtonAccept->click();
  EXPECT_TRUE(form->Accepted());
  EXPECT_EQ(host.models, list);
  EXPECT_EQ(host.models->Count(), 3);
  EXPECT_TRUE(host.modified);
  EXPECT_EQ(form->Result(), mrOk);
}

TEST_F(ViewSelFormTest, CellColours) {
  AddModels(4);
  auto form = Open();
  auto look = [&form](int col, int row, bool selected) {
    CellLook cell{clWhite, clBlack, selected, false};
    if (selected) cell.fill = clHighlight;
    form->StringGridResultsDrawCell(col, row, cell);
    return cell.fill;
  };
  // Row 1: model 1, selected; row 2: model 2, unselected. Sort column 5 (R2).
  EXPECT_EQ(look(0, 1, false), 0x00FF00u);
  EXPECT_EQ(look(0, 2, true), 0x808080u);
  EXPECT_EQ(look(6, 1, false), 0xB0F0F0u);   // fit, normal
  EXPECT_EQ(look(17, 1, false), 0xB0B0F0u);  // internal, normal
  EXPECT_EQ(look(31, 1, false), 0xF0F0B0u);  // external, normal
  EXPECT_EQ(look(2, 1, false), clWhite);     // general keeps its colour
  EXPECT_EQ(look(6, 1, true), clHighlight);
  EXPECT_EQ(look(6, 2, false), 0xB0D0D0u);   // dim
  EXPECT_EQ(look(17, 2, false), 0xB0B0D0u);
  EXPECT_EQ(look(31, 2, false), 0xD0D0B0u);
  EXPECT_EQ(look(2, 2, false), 0xE0E0E0u);
  EXPECT_EQ(look(6, 2, true), 0x000080u);
  EXPECT_EQ(look(5, 1, true), 0xFF00FFu);
  EXPECT_EQ(look(5, 2, false), 0xFF00FFu);
}

TEST_F(ViewSelFormTest, VariableStatisticsOpenThePlotWindow) {
  AddModels(4);
  auto form = Open();
  form->SpeedButtonViewVarStatClick();
  ASSERT_EQ(shownCaptions.size(), 1u);
  EXPECT_EQ(shownCaptions[0], "View selected models variables statistics");
}

// Models fitted on real data sets, for the interval filter and the external validation.
class ViewSelFittedTest : public ::testing::Test {
protected:
  ViewSelFittedTest() { TestUi().Reset(); }
  std::unique_ptr<TViewSelForm> Open(std::unique_ptr<ChemoData>& data) {
    delete host.models;
    host.models = new DataResultList(data.get());
    auto form = std::make_unique<TViewSelForm>(nullptr, &host.models, data.get());
    EXPECT_EQ(TestUi().Shown().at(0).text, "Sorry, empty models list. Please, check data.");
    TestUi().Clear();
    return form;
  }
  ~ViewSelFittedTest() override { delete host.models; }

  FakeProjectHost host;
};

TEST_F(ViewSelFittedTest, ConfidenceFilterRejectsWideIntervalsAndKeepsNarrowOnes) {
  using validationtest::FitByEngine;
  using validationtest::MakeData;
  auto line = MakeData({{1, {1}, 2.1L}, {1, {2}, 3.9L}, {1, {3}, 6.2L}, {1, {4}, 7.8L}, {1, {5}, 10.1L}});
  {
    auto form = Open(line);
    DataResultNode& model = FitByEngine(*line, *host.models, {0});
    model.iSelStatus = 3;
    form->SortAndShowModels();
    form->ComboBoxCI->setCurrentIndex(1);  // 1.0
    form->ComboBoxCIChange();
    EXPECT_EQ(model.iSelStatus, 2);  // intercept 0.05, half-width about 0.630
    EXPECT_NEAR(static_cast<double>(model.ldpBIntConfPtr[0]), 0.630, 0.001);
    EXPECT_EQ(form->Cells(0, 1), "N");
    EXPECT_TRUE(TestUi().Shown().empty());
  }
  auto plane = MakeData({{1, {1, 2}, 3.1L},
                         {1, {2, 1}, 3.9L},
                         {1, {3, 4}, 7.2L},
                         {1, {4, 3}, 7.8L},
                         {1, {5, 6}, 11.1L},
                         {1, {6, 5}, 11.9L}});
  auto form = Open(plane);
  DataResultNode& model = FitByEngine(*plane, *host.models, {0, 1});
  model.iSelStatus = 1;
  DataResultNode& zero = FitByEngine(*plane, *host.models, {0});
  zero.iSelStatus = 3;
  form->SortAndShowModels();
  form->ComboBoxCI->setCurrentIndex(1);
  form->ComboBoxCIChange();
  EXPECT_EQ(model.iSelStatus, 1);
  for (int j = 0; j <= 2; ++j) EXPECT_LT(std::fabs(model.ldpBIntConfPtr[j]), std::fabs(model.ldpBModelCoeffPtr[j]));
  // A coefficient of 0 rejects, whatever its interval.
  zero.iSelStatus = 3;
  zero.ldpBModelCoeffPtr[1] = 0.0L;
  form->ComboBoxCI->setCurrentIndex(6);
  form->ComboBoxCIChange();
  EXPECT_EQ(zero.iSelStatus, 2);
}

// The user types CI factors into the box and presses Enter: a text that is no
// number is refused in the conversion's words and the box's last value comes
// back; a number filters the models and joins the list once.
TEST_F(ViewSelFittedTest, TypedCiTextsThatAreNoNumbersAreRefusedAndOnlyNumbersJoinTheList) {
  auto line = validationtest::MakeData({{1, {1}, 2.1L}, {1, {2}, 3.9L}, {1, {3}, 6.2L}, {1, {4}, 7.8L}, {1, {5}, 10.1L}});
  auto form = Open(line);
  DataResultNode& model = validationtest::FitByEngine(*line, *host.models, {0});
  model.iSelStatus = 3;
  form->SortAndShowModels();
  RealMessageBoxes boxes;
  auto enter = [&](const char* text) {
    ShowActive(*form);  // the user clicks into the box
    form->ComboBoxCI->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), text);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  };
  enter("abc");
  EXPECT_EQ(StdStr(form->ComboBoxCI->currentText()), "None");
  enter("2.25");  // the intercept's half-width is about 12.6 times the intercept
  EXPECT_EQ(model.iSelStatus, 2);
  for (const char* text : {"#", "-", "..", "2.25"}) enter(text);
  EXPECT_EQ(boxes.Answered(), (std::vector<std::string>{"'abc' is not a valid floating point value",
                                                        "'#' is not a valid floating point value",
                                                        "'-' is not a valid floating point value",
                                                        "'..' is not a valid floating point value"}));
  EXPECT_EQ(StdStr(form->ComboBoxCI->currentText()), "2.25");
  ASSERT_EQ(form->ComboBoxCI->count(), 8);
  EXPECT_EQ(StdStr(form->ComboBoxCI->itemText(7)), "2.25");
  EXPECT_EQ(form->ComboBoxCI->currentIndex(), 7);
  enter("None");
  EXPECT_EQ(form->ComboBoxCI->count(), 8);
  EXPECT_EQ(form->ComboBoxCI->currentIndex(), 0);
  EXPECT_TRUE(form->isVisible());  // Enter closed nothing
}

TEST_F(ViewSelFittedTest, ExternalValidationFillsTheSelectedModelsOnly) {
  using validationtest::FitByEngine;
  using validationtest::MakeData;
  auto data = MakeData({{1, {1, 2}, 3.1L},
                        {1, {2, 1}, 3.9L},
                        {1, {3, 4}, 7.2L},
                        {1, {4, 3}, 7.8L},
                        {2, {5, 6}, 11.0L},
                        {2, {6, 5}, 12.2L},
                        {2, {2.5L, 2}, 5.0L}});
  auto form = Open(data);
  DataResultNode& selected = FitByEngine(*data, *host.models, {0, 1});
  selected.iSelStatus = 3;
  DataResultNode& other = FitByEngine(*data, *host.models, {0});
  other.iSelStatus = 0;
  form->SortAndShowModels();
  EXPECT_TRUE(form->HasPredictionObjects());
  EXPECT_TRUE(form->SpeedButtonExtValidation->isEnabled());
  form->SpeedButtonExtValidationClick();
  EXPECT_FALSE(selected.cvQ2F1.Missing);
  EXPECT_TRUE(other.cvQ2F1.Missing);
  ASSERT_FALSE(TestUi().Shown().empty());
  EXPECT_TRUE(
      IsMessage(TestUi().Shown().back(), "External validation completed.", "APPLICATION INFO", MB_ICONINFORMATION));
  EXPECT_NE(form->Cells(35, 1), "");
  EXPECT_EQ(form->Cells(35, 2), "");
}

}  // namespace

namespace {

int ColumnOf(const TViewSelForm& form, const std::string& title) {
  for (int col = 0; col < kModelListColumnCount; ++col)
    if (form.Cells(col, 0) == title) return col;
  return -1;
}

// A data set with a real relation of the response to both descriptors.
void FillValidationData(ChemoData& data) {
  for (int i = 0; i < 8; ++i) {
    data.tpChemoValuePtr[i][0] = CheckedValue(i + 1.0L, false);
    data.tpChemoValuePtr[i][1] = CheckedValue((i * 7) % 5 + 0.5L * i, false);
    data.tpChemoValuePtr[i][2] = CheckedValue(2.0L * i + (i % 3) * 0.3L, false);
  }
}

// Three models over that data set; the first and last selected.
std::vector<DataResultNode*> AddValidationModels(HostWithRegistry& host) {
  FillValidationData(host.data);
  std::vector<DataResultNode*> models = {&validationtest::AddModel(*host.models, {0}, {0.0L, 2.0L}, 3),
                                         &validationtest::AddModel(*host.models, {0, 1}, {0.0L, 2.0L, 0.0L}, 0),
                                         &validationtest::AddModel(*host.models, {1}, {0.0L, 1.0L}, 3)};
  for (int i = 0; i < 3; ++i) {
    models[i]->iID = i + 1;
    models[i]->cvR2 = CheckedValue(0.9L - i / 10.0L, false);
  }
  return models;
}

// Runs the internal validation of the form's selected models, LMO and
// Y-scrambling, through the validation window's own event loop.
void ValidateInternally(TViewSelForm& form, std::vector<std::string>& captions) {
  form.ShowModalWindow = [&captions](ModalDialog& window) {
    captions.push_back(StdStr(window.windowTitle()));
    auto& validate = dynamic_cast<TValidateModelForm&>(window);
    validate.ComboBoxLMOPercPred->setCurrentText("50");
    validate.ComboBoxLMOIter->setCurrentText("100");
    validate.ComboBoxYscrIter->setCurrentText("100");
    validate.show();
    validate.ButtonValidate->click();
    EXPECT_TRUE(ProcessEventsUntil([&validate] { return validate.Result() != mrNone; }));
  };
  form.SpeedButtonIntValidationClick();
}

TEST_F(ViewSelFormTest, InternalValidationValidatesTheSelectedModelsAndRefills) {
  std::vector<DataResultNode*> models = AddValidationModels(host);
  auto form = Open();
  EXPECT_EQ(form->StringGridResults->ColWidth(ColumnOf(*form, "Q2 LMO")), -1);
  ValidateInternally(*form, shownCaptions);
  EXPECT_EQ(shownCaptions, (std::vector<std::string>{"Internal model validation"}));
  EXPECT_FALSE(models[0]->cvQ2LMO.Missing);
  EXPECT_TRUE(models[1]->cvQ2LMO.Missing);
  EXPECT_TRUE(models[1]->cvR2Yscr.Missing);
  EXPECT_FALSE(models[2]->cvQ2Yscr.Missing);
  const int q2Lmo = ColumnOf(*form, "Q2 LMO");
  const int r2Yscr = ColumnOf(*form, "R2 Yscr");
  ASSERT_GE(q2Lmo, 0);
  ASSERT_GE(r2Yscr, 0);
  EXPECT_GT(form->StringGridResults->ColWidth(q2Lmo), 0);
  EXPECT_EQ(RowIds(*form), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(form->Cells(q2Lmo, 1), FloatToStrF(models[0]->cvQ2LMO.Value, FloatFormat::Fixed, 18, 4));
  EXPECT_EQ(form->Cells(r2Yscr, 2), "");
  EXPECT_TRUE(std::filesystem::exists(host.registry.FindTempFilePath("~many~", 0)));
}

// Cancel puts back the cells and the four files of the opening; Accept keeps what
// the validation wrote.
TEST_F(ViewSelFormTest, InternalValidationIsUndoneByCancelAndKeptByAccept) {
  AddValidationModels(host);
  const std::string yscr = host.registry.FindTempFilePath("~yscr~", 0);
  const std::string many = host.registry.FindTempFilePath("~many~", 0);
  const std::vector<uint8_t> record = EncodeValidationRecord({{2}, {}});
  const std::string opening(record.begin(), record.end());
  std::ofstream(yscr, std::ios::binary) << opening;
  auto form = Open();
  ValidateInternally(*form, shownCaptions);
  EXPECT_NE(ReadFileText(yscr), opening);
  form->ButtonCancel->click();
  EXPECT_TRUE(host.models->First()->cvQ2LMO.Missing);
  EXPECT_TRUE(host.models->Last()->cvR2Yscr.Missing);
  EXPECT_EQ(ReadFileText(yscr), opening);
  EXPECT_FALSE(std::filesystem::exists(many));

  form = Open();
  ValidateInternally(*form, shownCaptions);
  const std::string validated = ReadFileText(yscr);
  form->ButtonAccept->click();
  EXPECT_FALSE(host.models->First()->cvQ2LMO.Missing);
  EXPECT_FALSE(host.models->Last()->cvR2Yscr.Missing);
  EXPECT_EQ(ReadFileText(yscr), validated);
  EXPECT_TRUE(std::filesystem::exists(many));
  EXPECT_FALSE(std::filesystem::exists(many + ".und"));
}


// Runs the internal validation of the selected models, LMO and Y-scrambling,
// through the list's command and the validation window as a user does.
void ValidateThroughTheList(TViewSelForm& form, ModalScript& script) {
  script.Then<TValidateModelForm>("validate", [](TValidateModelForm& window) {
    Pick(window.ComboBoxLMOPercPred, "50");
    Pick(window.ComboBoxLMOIter, "100");
    Pick(window.ComboBoxYscrIter, "100");
    QTest::mouseClick(window.ButtonValidate, Qt::LeftButton);
  });
  QTest::mouseClick(form.SpeedButtonIntValidation, Qt::LeftButton);
}

// Whether the single-model window opened from the row offers the LMO and the
// Y-scrambling plot, buttons and menu items alike.
std::pair<bool, bool> ValidationPlotsOffered(TViewSelForm& form, ModalScript& script, int row) {
  std::pair<bool, bool> offered;
  script.Then<TViewSelModForm>("single model", [&offered](TViewSelModForm& window) {
    EXPECT_EQ(window.SpeedButtonLMO->isEnabled(), window.ViewLMOdatapoints1->isEnabled());
    EXPECT_EQ(window.SpeedButtonYScramble->isEnabled(), window.ViewYscrambling1->isEnabled());
    offered = {window.SpeedButtonLMO->isEnabled(), window.SpeedButtonYScramble->isEnabled()};
    window.close();
  });
  SelectRows(form.StringGridResults, 0, row, row);
  QTest::mouseClick(form.SpeedButtonViewSelMod, Qt::LeftButton);
  return offered;
}

// The temporary folder is replaced by a file for a second run of the first model
// (as a folder turned read-only, which root cannot make): its old records can be
// neither replaced nor removed. They are not offered as its current details once
// the folder is back, while the second model, not in the run, keeps its records and
// plots; a later run that stores the first model's records offers them again.
TEST_F(ViewSelFormTest, OldRecordsThatCannotBeReplacedOrRemovedAreNotOfferedAsCurrent) {
  FillValidationData(host.data);
  DataResultNode& first = validationtest::FitByEngine(host.data, *host.models, {0});
  DataResultNode& second = validationtest::FitByEngine(host.data, *host.models, {1});
  first.iSelStatus = second.iSelStatus = 1;
  ASSERT_GT(first.cvR2.Value, second.cvR2.Value);  // the rows of the list
  RealMessageBoxes boxes;
  ModalScript script;
  TViewSelForm form(nullptr, &host.models, &host.data);
  ShowActive(form);
  ValidateThroughTheList(form, script);
  ASSERT_TRUE(boxes.Answered().empty());
  const std::string many = host.registry.FindTempFilePath("~many~", 0);
  const std::string yscr = host.registry.FindTempFilePath("~yscr~", 0);
  const std::string firstRun = ReadFileText(many) + ReadFileText(yscr);

  second.iSelStatus = 0;
  const std::filesystem::path dir = std::filesystem::path(folder.Dir()).parent_path();
  std::filesystem::rename(dir, dir.string() + ".aside");
  std::ofstream(dir) << "no folder";
  const CheckedValue before = first.cvQ2Yscr;
  ValidateThroughTheList(form, script);
  std::filesystem::remove(dir);
  std::filesystem::rename(dir.string() + ".aside", dir);
  EXPECT_NE(first.cvQ2Yscr.Value, before.Value);
  EXPECT_EQ(boxes.Answered(),
            (std::vector<std::string>{
                "Cannot open temporary validation file, detailed data will not be available for plotting graphs. "
                "Please check your privileges.",
                "Cannot remove the earlier validation records of the models validated: their validation plots "
                "will not be available. Please check your privileges."}));
  EXPECT_EQ(ReadFileText(many) + ReadFileText(yscr), firstRun);
  EXPECT_EQ(ValidationPlotsOffered(form, script, 1), std::make_pair(false, false));
  EXPECT_EQ(ValidationPlotsOffered(form, script, 2), std::make_pair(true, true));

  ValidateThroughTheList(form, script);
  EXPECT_EQ(boxes.Answered().size(), 2u);
  EXPECT_EQ(ValidationPlotsOffered(form, script, 1), std::make_pair(true, true));
  EXPECT_EQ(ValidationPlotsOffered(form, script, 2), std::make_pair(true, true));
  EXPECT_TRUE(script.Done());
}

// The temporary folder is replaced by a file when Cancel would put back the files
// of an accepted run: they keep the cancelled run's records, which neither the
// single-model window nor a saved project offers as the model's once it is back.
TEST_F(ViewSelFormTest, RecordsOfACancelledRunThatCannotBeUndoneAreNotOfferedAsCurrent) {
  FillValidationData(host.data);
  validationtest::FitByEngine(host.data, *host.models, {0}).iSelStatus = 1;
  RealMessageBoxes boxes;
  ModalScript script;
  for (QPushButton* TViewSelForm::*close : {&TViewSelForm::ButtonAccept, &TViewSelForm::ButtonCancel}) {
    TViewSelForm form(nullptr, &host.models, &host.data);
    ShowActive(form);
    ValidateThroughTheList(form, script);
    std::optional<BlockedFolder> blocked;
    if (close == &TViewSelForm::ButtonCancel) blocked.emplace(folder.Dir());
    QTest::mouseClick(form.*close, Qt::LeftButton);
  }
  EXPECT_EQ(boxes.Answered(),
            std::vector<std::string>{"Cannot handle undo validation files, please check your privileges."});
  EXPECT_FALSE(host.models->First()->cvQ2LMO.Missing);
  TViewSelForm form(nullptr, &host.models, &host.data);
  ShowActive(form);
  EXPECT_EQ(ValidationPlotsOffered(form, script, 1), std::make_pair(false, false));
  for (const char* name : {"~many~", "~yscr~"}) {
    MemoryStream project;
    EXPECT_TRUE(host.registry.StoreTempFile(name, project));
    EXPECT_EQ(project.Size(), 4 + 6 + 8) << name;  // the name and the size 0
  }
  EXPECT_TRUE(script.Done());
}

// A new search clears the validation files while the temporary folder is replaced
// by a file: they stay, and no model is offered their records as its own once the
// folder is back. The next run of a model starts a new file without them.
TEST_F(ViewSelFormTest, ValidationFilesThatAClearCannotDeleteAreNotOfferedAsCurrent) {
  FillValidationData(host.data);
  DataResultNode& first = validationtest::FitByEngine(host.data, *host.models, {0});
  DataResultNode& second = validationtest::FitByEngine(host.data, *host.models, {1});
  first.iSelStatus = second.iSelStatus = 1;
  RealMessageBoxes boxes;
  ModalScript script;
  TViewSelForm form(nullptr, &host.models, &host.data);
  ShowActive(form);
  ValidateThroughTheList(form, script);
  {
    BlockedFolder blocked(folder.Dir());
    host.registry.DeleteTempFiles();
  }
  EXPECT_EQ(boxes.Answered(),
            std::vector<std::string>{"Cannot delete the earlier validation files: their records will not be available "
                                     "for validation plots. Please check your privileges."});
  EXPECT_EQ(ValidationPlotsOffered(form, script, 1), std::make_pair(false, false));
  EXPECT_EQ(ValidationPlotsOffered(form, script, 2), std::make_pair(false, false));

  second.iSelStatus = 0;
  ValidateThroughTheList(form, script);
  EXPECT_EQ(boxes.Answered().size(), 1u);
  EXPECT_EQ(ValidationPlotsOffered(form, script, 1), std::make_pair(true, true));
  EXPECT_EQ(ValidationPlotsOffered(form, script, 2), std::make_pair(false, false));
  EXPECT_TRUE(script.Done());
}

}  // namespace

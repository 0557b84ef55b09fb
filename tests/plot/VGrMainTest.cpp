#include "plot/VGrMain.h"

#include <jpeglib.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QTextEdit>
#include <QToolButton>
#include <QLabel>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "plot/PlotTestData.h"
#include "plot/ValidationPlotFill.h"
#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/TempFiles.h"
#include "data/ValidationFiles.h"
#include "numerics/Matrix.h"
#include "numerics/Utils.h"
#include "platform/base/Files.h"
#include "platform/qt/QtUiServices.h"
#include "platform/qt/RecordingCanvas.h"
#include "support/FileSizeLimit.h"
#include "support/ScriptedUi.h"
#include "support/UserInput.h"
#include "support/WindowSystemInput.h"

namespace {

// A data set of vars x objs with value (o + 1) * (v + 1), every object training.
std::unique_ptr<ChemoData> MakeData(int vars, int objs, int response = -1) {
  auto data = std::make_unique<ChemoData>(vars, objs, response);
  for (int v = 0; v < vars; ++v) data->tpVarNameStrPtr[v] = "V" + std::to_string(v + 1);
  for (int o = 0; o < objs; ++o) {
    data->tpObjNameStrPtr[o] = "O" + std::to_string(o + 1);
    data->ipTrainingPtr[o] = kStatusTraining;
    for (int v = 0; v < vars; ++v) data->tpChemoValuePtr[o][v] = CheckedValue((o + 1.0L) * (v + 1), false);
  }
  return data;
}

// Draws the window's plots on a recording canvas of the image's resource size.
void Record(TViewGraphForm& form, int width = 616, int height = 577) {
  form.DrawOn(std::make_unique<RecordingCanvas>(width, height));
  form.FormResize();
}

RecordingCanvas& Recorded(TViewGraphForm& form) { return dynamic_cast<RecordingCanvas&>(form.ImageCanvasInUse()); }

void PressKey(TViewGraphForm& form, QLineEdit* edit, const std::string& text, int which) {
  edit->setText(QString::fromLatin1(text.c_str()));
  form.EditLimitKeyDown(which, Qt::Key_Return);
}

void ChooseLabel(TViewGraphForm& form, int index) {
  form.ComboBoxLabel->setCurrentIndex(index);
  form.ComboBoxLabelChange();
}

// A plot window over a data set of vars x objs, drawn once unless told otherwise.
struct DataSetWindow {
  DataSetWindow(int vars, int objs, GraphKind kind, bool draw = true)
      : data(MakeData(vars, objs)), form(TViewGraphForm::CreateForDataSet(nullptr, data.get(), kind)) {
    if (draw) Record(*form);
  }
  TViewGraphForm* operator->() const { return form.get(); }
  std::unique_ptr<ChemoData> data;
  std::unique_ptr<TViewGraphForm> form;
};

TEST(PlotPanelTest, BarChoicesFollowTheObjectCount) {
  struct Case {
    int objs, choices;
    std::string chosen;
    int bars;
    std::string firstBar;
  };
  // Two objects leave the list empty: one bar, drawn without a conversion error on any redraw.
  const Case cases[] = {{57, 55, "7", 7, "[1.00, 9.00) : 14.04%"},
                        {1, 1, "1", 1, "[1.00, 1.00) : 100.00%"},
                        {2, 0, "", 1, "[1.00, 2.00) : 100.00%"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.objs);
    DataSetWindow w(2, c.objs, GraphKind::VariableDistribution);
    Record(*w.form, 500, 400);
    EXPECT_EQ(w->ComboBoxVar2->count(), c.choices);
    EXPECT_EQ(w->ComboBoxVar2->currentText().toStdString(), c.chosen);
    EXPECT_EQ(w->ElementCount(), c.bars);
    EXPECT_NE(Recorded(*w.form).FindText(c.firstBar), nullptr);
    EXPECT_TRUE(TestUi().Shown().empty());
  }
}

TEST(PlotPanelTest, ResponseDistributionCountsItsBarsNotItsRows) {
  auto data = MakeData(2, 30);
  std::vector<CheckedValue*> rows(data->tpChemoValuePtr, data->tpChemoValuePtr + 25);
  auto form = TViewGraphForm::CreateForValueRows(nullptr, data.get(), GraphKind::ResponseDistribution, rows.data(), 25);
  Record(*form);
  EXPECT_EQ(form->ComboBoxVar2->currentText(), "4");  // 25 rows / 10 = item 2
  EXPECT_EQ(form->ElementCount(), 4);
  EXPECT_EQ(form->Data().RowCount, 25);
}

TEST(PlotPanelTest, ProfilesOfferTheirColumnsAndLabelChoices) {
  DataSetWindow variable(3, 4, GraphKind::VariableProfile);
  EXPECT_NE(Recorded(*variable.form).FindText("4"), nullptr);  // ID labels: ordinals
  // Values at the ends of the extended range: finite tick labels, no bar.
  DataSetWindow extreme(1, 2, GraphKind::VariableProfile, false);
  extreme.data->tpChemoValuePtr[0][0].Value = 1e4932L;
  extreme.data->tpChemoValuePtr[1][0].Value = -1e4932L;
  Record(*extreme.form);
  EXPECT_NE(Recorded(*extreme.form).FindText("1.00E+4932"), nullptr);
  EXPECT_EQ(Recorded(*extreme.form).FindText("INF"), nullptr);
  EXPECT_TRUE(Recorded(*extreme.form).CallsOf(CallKind::Rectangle).empty());
  DataSetWindow object(3, 4, GraphKind::ObjectProfile);
  EXPECT_EQ(object->ElementCount(), 3);
  EXPECT_NE(Recorded(*object.form).FindText("V2"), nullptr);
}

// A scatter plot of four elements at (e + 1, 2e + 2) on two chosen axes.
struct AxesWindow {
  explicit AxesWindow(bool draw = true) : data(MakeData(1, 4)), values(4, 2) {
    for (int e = 0; e < 4; ++e) {
      values.At(e, 0) = e + 1.0L;
      values.At(e, 1) = 2.0L * (e + 1);
    }
    source.values = &values;
    source.elementNames = names;
    source.firstLabelTexts = names;
    source.firstLabelText = "Name";
    source.singleLabel = 1;
    source.axisNames = axes;
    form = TViewGraphForm::CreateForMatrixScatter(nullptr, data.get(), source, GraphKind::AxesChoice);
    if (draw) Record(*form);
  }
  TViewGraphForm* operator->() const { return form.get(); }
  std::unique_ptr<ChemoData> data;
  Matrix values;
  std::string names[4] = {"e1", "e2", "e3", "e4"};
  std::string axes[2] = {"A1", "A2"};
  MatrixPlotSource source;
  std::unique_ptr<TViewGraphForm> form;
};

TEST(PlotPanelTest, OnlyTheDataScatterPlotOfTheScatterKindsHasNoLimitControls) {
  DataSetWindow data(2, 4, GraphKind::VariablesScatter);
  AxesWindow axes;
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(data->CheckBoxLimit[i]->isHidden()) << i;
    EXPECT_TRUE(data->EditLimit[i]->isHidden()) << i;
    EXPECT_FALSE(axes->CheckBoxLimit[i]->isHidden()) << i;
    EXPECT_FALSE(axes->EditLimit[i]->isHidden()) << i;
  }
  EXPECT_FALSE(data->CheckBoxCustomLabel->isHidden());
  EXPECT_FALSE(data->StaticTextHint->isHidden());
}

// Every plot kind opened as its opener opens it: a data set of three variables
// (the third the response) and twelve objects, one selected model of two
// variables, 30 elements ranked 1 to 30 on two axes, and two-cell value rows.
class EveryKindTest : public testing::Test {
protected:
  EveryKindTest() : data(MakeData(3, 12, 2)), models(data.get()), values(30, 2) {
    data->iSelectedVarCount = 2;
    AllocCheckedArray(data->ipSelectedVarPtr, 2, "*ipSelectedVarPtr");
    DataResultNode* model = models.Append();
    model->iSize = 2;
    model->iSelStatus = 1;
    AllocCheckedArray(model->ipSelVarIdxPtr, 2, "*ipSelVarIdxPtr");
    for (int v = 0; v < 2; ++v) data->ipSelectedVarPtr[v] = model->ipSelVarIdxPtr[v] = v;
    for (int r = 0; r < 30; ++r) {
      values.At(r, 0) = r;
      values.At(r, 1) = 30 - r;
      ranks[r] = std::to_string(r + 1);
      names[r] = "m" + std::to_string(r + 1);
    }
    for (int r = 0; r < 32; ++r) {
      cells.push_back({CheckedValue(r % 4 + 1, false), CheckedValue(0.5L, false)});
      rows.push_back(cells.back().data());
    }
  }

  // The matrix kinds' label choices, as their openers give them.
  MatrixPlotSource Source(GraphKind kind) {
    MatrixPlotSource source;
    source.values = &values;
    source.elementNames = names;
    source.firstLabelTexts = ranks;
    source.elementIDs = names;
    source.axisNames = axes;
    source.firstLabelText = "ID";
    source.secondLabelText = "Name";
    if (kind == GraphKind::ModelsScatter) source.firstLabelText = "Number";
    if (kind == GraphKind::McdmRanking) source.firstLabelText = "MCDM order";
    if (kind == GraphKind::PcaLoadings) {
      source.firstLabelText = "Name";
      source.secondLabelText = "";
      source.singleLabel = 1;
    }
    return source;
  }

  std::unique_ptr<TViewGraphForm> Open(GraphKind kind) {
    switch (PlotFamilyOf(kind)) {
      case PlotFamily::DataSet:
        if (kind == GraphKind::ResponseDistribution)
          return TViewGraphForm::CreateForResponseDistribution(nullptr, data.get(), kind, rows.data(), 25, nullptr);
        return TViewGraphForm::CreateForDataSet(nullptr, data.get(), kind);
      case PlotFamily::Frequency:
      case PlotFamily::Validation:
        return TViewGraphForm::CreateForModelList(nullptr, data.get(), &models, kind);
      case PlotFamily::Model:
        return TViewGraphForm::CreateForModelValues(nullptr, data.get(), &models, kind, data->tpChemoValuePtr, "M1");
      case PlotFamily::Matrix:
        if (kind == GraphKind::PcaScores || kind == GraphKind::PcaLoadings)
          return TViewGraphForm::CreateForPcaPlot(nullptr, data.get(), Source(kind), kind, nullptr);
        return TViewGraphForm::CreateForMatrixScatter(nullptr, data.get(), Source(kind), kind);
      case PlotFamily::Uncertainty:
        return TViewGraphForm::CreateForValueRows(nullptr, data.get(), kind, rows.data(), 8);
    }
    return nullptr;
  }

  std::unique_ptr<ChemoData> data;
  DataResultList models;
  Matrix values;
  std::string ranks[30];
  std::string names[30];
  std::string axes[2] = {"PC1", "PC2"};
  std::vector<std::vector<CheckedValue>> cells;
  std::vector<CheckedValue*> rows;
};

std::string Shown(const QLabel* label, const QComboBox* combo) {
  std::string line = StdStr(label->text()) + " " + StdStr(combo->currentText()) + " of";
  for (int i = 0; i < combo->count(); ++i) line += (i == 0 ? " " : "|") + StdStr(combo->itemText(i));
  line += " @" + std::to_string(combo->y());
  if (label->isHidden() != combo->isHidden() || label->y() != combo->y() + 4) line += " beside its caption";
  return line;
}

// The panel as it opens: each shown caption and combo (its choice, items and
// top), then the other shown controls; the reset button when it is off and the
// export when the save offers it.
std::vector<std::string> PanelLines(const TViewGraphForm& w) {
  std::vector<std::string> lines;
  const std::pair<const QLabel*, const QComboBox*> pairs[] = {
      {w.LabelVar1, w.ComboBoxVar1}, {w.LabelVar2, w.ComboBoxVar2}, {w.LabelLabel, w.ComboBoxLabel}};
  for (const auto& [label, combo] : pairs)
    if (!label->isHidden() || !combo->isHidden()) lines.push_back(Shown(label, combo));
  if (!w.CheckBoxLabel2->isHidden()) lines.push_back(w.CheckBoxLabel2->isEnabled() ? "Label2" : "Label2 off");
  if (!w.CheckBoxMoreInfo->isHidden()) lines.push_back("Full info");
  if (!w.CheckBoxCustomLabel->isHidden())
    lines.push_back(w.CheckBoxCustomLabel->isChecked() ? "Single labels ticked" : "Single labels");
  if (!w.StaticTextHint->isHidden()) lines.push_back("hint");
  int limitsShown = 0;
  for (int i = 0; i < 4; ++i) {
    limitsShown += !w.CheckBoxLimit[i]->isHidden() + !w.EditLimit[i]->isHidden();
    const bool ticked = w.CheckBoxLimit[i]->isChecked();
    const bool editable = w.EditLimit[i]->isEnabled();
    if (ticked || editable)
      lines.push_back(StdStr(w.CheckBoxLimit[i]->text()) + " " + StdStr(w.EditLimit[i]->text()) +
                      (ticked ? " ticked" : "") + (editable ? " editable" : ""));
  }
  if (limitsShown > 0) lines.push_back(limitsShown == 8 ? "limits" : "some limits");
  if (!w.CheckBoxVieRegr->isHidden()) lines.push_back("regression line");
  if (!w.RichEditParam->isHidden()) lines.push_back("note: " + StdStr(w.RichEditParam->toPlainText()));
  if (!w.PanelRange->isHidden()) {
    lines.push_back("ranks @" + std::to_string(w.PanelRange->y()));
    for (int i = 0; i < 3; ++i)
      lines.push_back(StdStr(w.StaticTextRange[i]->text()) + " " + StdStr(w.EditRange[i]->text()) + " " +
                      StdStr(w.EditRange[i]->styleSheet()) + (w.EditRange[i]->isReadOnly() ? " read-only" : ""));
  }
  if (!w.SpeedButtonLabelReset->isEnabled()) lines.push_back("reset off");
  if (w.SavePictureFilter.ends_with("|Text (*.txt)|*.txt")) lines.push_back("export");
  return lines;
}

TEST_F(EveryKindTest, EachKindOpensWithItsOwnPanel) {
  using Lines = std::vector<std::string>;
  const std::string vars = "V1|V2|V3";
  const std::string bars = "2|3|4|5|6|7|8|9|10|11";
  const std::string noneIdName = "None|ID|Name";
  const char* calculated =
      "note: Note: training data are calculated by the model equation. Prediction data (when present) are predicted "
      "by the model equation.";
  const char* loo =
      "note: Note: training data are predicted by LOO cross-validation. Prediction data (when present) are predicted "
      "by the model equation.";
  const char* domain =
      "note: Note: training data are calculated by the model equation. Prediction and unknown data (when present) "
      "are predicted by the model equation.";
  auto model = [&](const char* note, bool label2, bool stdDev) {
    Lines lines;
    if (stdDev) lines.push_back("Std.Dev.: 2.5 of 2.0|2.5|3.0 @40");
    lines.push_back("Label: None of " + noneIdName + " @12");
    if (label2) lines.push_back("Label2");
    for (const char* line : {"Full info", "Single labels", "hint", "limits", note, "reset off", "export"})
      lines.push_back(line);
    return lines;
  };
  const Lines validation = {"Label: Name label of None|Name label @68", "Single labels ticked", "hint", "limits",
                            "export"};
  auto matrix = [&](const std::string& label) {
    return Lines{"X axis: PC1 of PC1|PC2 @12", "Y axis: PC2 of PC1|PC2 @40", "Label: " + label + " @68",
                 "Single labels", "hint", "limits", "export"};
  };
  Lines ranking = matrix("ID of None|MCDM order|Name|ID");
  ranking.insert(ranking.end() - 1, {"ranks @336", "From 1 to 10 background-color: #ff0000",
                                     "From 11 to 20 background-color: #ffff00",
                                     "From 21 to 30 background-color: #0000ff read-only"});
  const std::pair<GraphKind, Lines> table[] = {
      {GraphKind::VariableProfile, {"Variable: V1 of " + vars + " @12", "Label: ID of " + noneIdName + " @40"}},
      {GraphKind::ObjectProfile,
       {"Object: O1 of O1|O2|O3|O4|O5|O6|O7|O8|O9|O10|O11|O12 @12", "Label: Name of None|Name @40"}},
      {GraphKind::VariableDistribution,
       {"Variable: V1 of " + vars + " @12", "Bars: 3 of " + bars + " @40", "Label: Data of None|Data @68"}},
      {GraphKind::VariablesScatter,
       {"X variable: V1 of " + vars + " @12", "Y variable: V2 of " + vars + " @40",
        "Label: Name of " + noneIdName + " @68", "Single labels", "hint"}},
      {GraphKind::VariableFrequency, {"Model vars: All of All|1|2 @12"}},
      {GraphKind::ExpVsCalc, model(calculated, true, true)},
      {GraphKind::ExpVsPred, model(loo, true, true)},
      {GraphKind::WilliamsCalc, model(calculated, false, true)},
      {GraphKind::WilliamsPred, model(loo, false, true)},
      {GraphKind::YScramble, validation},
      {GraphKind::RandomDescriptors, validation},
      {GraphKind::RandomResponses, validation},
      {GraphKind::ApplicabilityDomain, model(domain, false, false)},
      {GraphKind::ResidualsCalc, model(calculated, false, false)},
      {GraphKind::ResidualsPred, model(loo, false, false)},
      {GraphKind::LeaveManyOut, validation},
      {GraphKind::AxesChoice, matrix("ID of " + noneIdName)},
      {GraphKind::PcaScores, matrix("ID of " + noneIdName)},
      {GraphKind::PcaLoadings, matrix("Name of None|Name")},
      {GraphKind::ModelsScatter, matrix("Mod ID of None|Number|Name|Mod ID")},
      {GraphKind::McdmRanking, ranking},
      {GraphKind::ResponseDistribution, {"Bars: 4 of " + bars + " @40", "Label: Data of None|Data @68"}},
      {GraphKind::R2VsQ2,
       {"Label: None of None|Number of variables @12", "X min 0.9 ticked editable", "limits", "reset off", "export"}},
  };
  for (const auto& [kind, expected] : table) {
    SCOPED_TRACE(static_cast<int>(kind));
    auto form = Open(kind);
    Record(*form);
    EXPECT_EQ(PanelLines(*form), expected);
  }
}

// A scatter plot of four elements: its limits and its labels.
class ScatterWindowTest : public testing::Test {
protected:
  long double Bound(int which) { return RangeOf(*w->CurrentPlot())[which]; }
  LabelPlotParam& Label(int k) { return w->Data().tpLabelPlotParam[k]; }
  void Drag(int x, int y, int dx, int dy) {
    w->ImageMouseMove(x, y);
    w->ImageMouseDown();
    w->ImageMouseMove(x + dx / 2, y + dy / 2);
    w->ImageMouseMove(x + dx, y + dy);
    w->ImageMouseUp();
  }
  AxesWindow w;
};

// X runs 1 .. 4 and Y 2 .. 8: the plot widens each by a 32nd of its span at both ends.
TEST_F(ScatterWindowTest, ACheckedLimitStaysInForceUntilUnchecked) {
  EXPECT_EQ(w->EditLimit[1]->text(), "4.09375");
  w->CheckBoxLimit[1]->setChecked(true);
  PressKey(*w.form, w->EditLimit[1], "10", 1);
  EXPECT_EQ(Bound(1), 10.0L);
  Record(*w.form, 800, 600);
  EXPECT_EQ(Bound(1), 10.0L);
  EXPECT_EQ(w->EditLimit[1]->text(), "10");
  w->CheckBoxLimit[1]->setChecked(false);
  Record(*w.form);
  EXPECT_EQ(Bound(1), 4.09375L);
}

TEST_F(ScatterWindowTest, AnEmptyOrReversedRangeIsPutBackSilently) {
  w->CheckBoxLimit[0]->setChecked(true);
  PressKey(*w.form, w->EditLimit[0], "7", 0);
  EXPECT_EQ(w->EditLimit[0]->text(), "0.90625");
  EXPECT_EQ(Bound(0), 0.90625L);
  EXPECT_TRUE(TestUi().Shown().empty());
  // A span beyond the largest real cannot be mapped to pixels either.
  PressKey(*w.form, w->EditLimit[0], "-1e4932", 0);
  w->CheckBoxLimit[1]->setChecked(true);
  PressKey(*w.form, w->EditLimit[1], "1e4932", 1);
  EXPECT_EQ(w->EditLimit[1]->text(), "4.09375");
  EXPECT_EQ(Bound(1), 4.09375L);
}

TEST_F(ScatterWindowTest, ANonNumberIsReportedOnceAndReplacedByTheBound) {
  w->CheckBoxLimit[3]->setChecked(true);
  w->EditLimit[3]->setText("abc");
  Record(*w.form, 700, 500);
  Record(*w.form, 600, 500);
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "'abc' is not a valid floating point value");
  EXPECT_EQ(w->EditLimit[3]->text(), "8.1875");

  PressKey(*w.form, w->EditLimit[3], "x1", 3);
  EXPECT_EQ(TestUi().Shown().size(), 2u);
  EXPECT_EQ(w->EditLimit[3]->text(), "8.1875");
}

TEST_F(ScatterWindowTest, LabelsMoveWithTheImageAndKeepTheirSize) {
  LabelPlotParam before = Label(2);
  ASSERT_TRUE(before.IsPlaced());
  Record(*w.form, 1232, 1154);
  EXPECT_EQ(Label(2).LabelLeft, 2 * before.LabelLeft);
  EXPECT_EQ(Label(2).LabelRight - Label(2).LabelLeft, before.LabelRight - before.LabelLeft);
  EXPECT_EQ(Label(2).LabelTop, 2 * before.LabelTop);
  EXPECT_EQ(Label(2).LabelBottom - Label(2).LabelTop, before.LabelBottom - before.LabelTop);

  w->SpeedButtonLabelResetClick();  // placed afresh next to the points
  EXPECT_NE(Label(2).LabelLeft, 2 * before.LabelLeft);
}

TEST_F(ScatterWindowTest, DraggingALabelKeepsItWhereItWasDropped) {
  LabelPlotParam start = Label(1);
  Drag((start.LabelLeft + start.LabelRight) / 2, (start.LabelTop + start.LabelBottom) / 2, 40, 26);
  EXPECT_EQ(Label(1).LabelLeft, start.LabelLeft + 40);
  EXPECT_EQ(Label(1).LabelBottom, start.LabelBottom + 26);
  Record(*w.form, 1232, 577);  // the dropped place is the new base
  EXPECT_EQ(Label(1).LabelLeft, 2 * (start.LabelLeft + 40));
}

TEST_F(ScatterWindowTest, DoubleClickTogglesTheLabelUnderTheCursorOnlyWithSingleLabels) {
  LabelPlotParam point = Label(0);
  auto doubleClick = [&] {
    w->ImageMouseMove((point.SymbolLeft + point.SymbolRight) / 2, (point.SymbolTop + point.SymbolBottom) / 2);
    w->ImageDblClick();
  };
  doubleClick();
  EXPECT_FALSE(Label(0).Shown);

  w->CheckBoxCustomLabel->setChecked(true);
  EXPECT_TRUE(Recorded(*w.form).CallsOf(CallKind::RoundRect).empty());
  doubleClick();
  EXPECT_TRUE(Label(0).Shown);
  EXPECT_EQ(Recorded(*w.form).CallsOf(CallKind::RoundRect).size(), 1u);
}

TEST(PlotBuilderTest, NoPlotMeansALimitEditDoesNothing) {
  AxesWindow w(false);
  ASSERT_EQ(w->CurrentPlot(), nullptr);
  w->CheckBoxLimit[0]->setChecked(true);
  PressKey(*w.form, w->EditLimit[0], "2", 0);
  EXPECT_EQ(w->CurrentPlot(), nullptr);
  EXPECT_TRUE(TestUi().Shown().empty());
}

// The frequency of the pool variables in the selected models.
class FrequencyTest : public testing::Test {
protected:
  FrequencyTest() : data(MakeData(4, 3)), models(data.get()) {
    data->iSelectedVarCount = 3;
    AllocCheckedArray(data->ipSelectedVarPtr, 3, "*ipSelectedVarPtr");
    for (int p = 0; p < 3; ++p) data->ipSelectedVarPtr[p] = p;
  }
  void AddModel(std::vector<int32_t> vars, int status) {
    DataResultNode* node = models.Append();
    node->iSize = static_cast<int32_t>(vars.size());
    node->iSelStatus = status;
    AllocCheckedArray(node->ipSelVarIdxPtr, node->iSize, "*ipSelVarIdxPtr");
    std::copy(vars.begin(), vars.end(), node->ipSelVarIdxPtr);
  }
  long double Cell(int row, int col) { return form->Data().tpGraphValue[row][col].Value; }
  void Open() {
    form = TViewGraphForm::CreateForModelList(nullptr, data.get(), &models, GraphKind::VariableFrequency);
    Record(*form);
  }
  std::unique_ptr<ChemoData> data;
  DataResultList models;
  std::unique_ptr<TViewGraphForm> form;
};

TEST_F(FrequencyTest, CountsOnlySelectedModelsPerSizeAndOverall) {
  AddModel({0, 1}, 1);
  AddModel({1}, 3);
  AddModel({0, 2}, 0);
  AddModel({1, 3}, 1);  // variable 3 lies outside the pool
  Open();
  ASSERT_EQ(form->Data().RowCount, 3);
  EXPECT_EQ(form->ComboBoxVar1->count(), 3);  // "All", "1", "2"
  EXPECT_EQ(Cell(1, 1), 1.0L);
  EXPECT_EQ(Cell(2, 0), 1.0L / 3);
  EXPECT_EQ(Cell(2, 1), 2.0L / 3);
  EXPECT_EQ(Cell(0, 1), 3.0L / 4);
  EXPECT_EQ(Cell(0, 2), 0.0L);
  EXPECT_NE(Recorded(*form).FindText("Selected models variables: All"), nullptr);
  EXPECT_EQ(form->ElementCount(), 3);
}

// A selected model that holds no variable indices (a damaged record) is counted nowhere.
TEST_F(FrequencyTest, AModelWithoutVariableIndicesIsPassedOver) {
  AddModel({0, 1}, 1);
  DataResultNode* broken = models.Append();
  broken->iSize = 2;
  broken->iSelStatus = 1;
  Open();
  EXPECT_EQ(Cell(2, 0), 0.5L);
  EXPECT_EQ(Cell(0, 1), 0.5L);
}

TEST_F(FrequencyTest, NoSelectedModelGivesPresentZeros) {
  AddModel({0, 1}, 0);
  Open();
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) {
      EXPECT_EQ(Cell(row, col), 0.0L);
      EXPECT_FALSE(form->Data().tpGraphValue[row][col].Missing);
    }
}

// A user's clicks through the shown window, and keys to the widget that has the focus.
class PanelClicks {
public:
  explicit PanelClicks(TViewGraphForm& form) : form_(form) { ShowActive(form); }
  void Click(QWidget* widget) { ClickFromWindowSystem(widget); }
  // Clicks into the edit and types over its text.
  void TypeInto(QLineEdit* edit, const std::string& text) {
    Click(edit);
    QTest::keyClick(KeyboardTarget(), Qt::Key_A, Qt::ControlModifier);
    TypeAtFocus(text);
  }
  long double Bound(int which) const { return RangeOf(*form_.CurrentPlot())[which]; }

  // Leaving an edited limit for another limit control applies the limit, and the
  // click lands where it was aimed: the box is ticked, the edit takes the keys.
  void LeaveEditedLimits() {
    Click(form_.CheckBoxLimit[0]);
    TypeInto(form_.EditLimit[0], "1");
    Click(form_.CheckBoxLimit[3]);
    EXPECT_EQ(Bound(0), 1.0L);
    EXPECT_TRUE(form_.CheckBoxLimit[3]->isChecked());
    EXPECT_FALSE(form_.CheckBoxLimit[3]->isDown());
    EXPECT_EQ(QApplication::focusWidget(), form_.CheckBoxLimit[3]);

    TypeInto(form_.EditLimit[0], "0");
    Click(form_.EditLimit[3]);
    EXPECT_EQ(Bound(0), 0.0L);
    EXPECT_EQ(QApplication::focusWidget(), form_.EditLimit[3]);
    TypeInto(form_.EditLimit[3], "9");
    EXPECT_EQ(form_.EditLimit[3]->text(), "9");
  }

private:
  TViewGraphForm& form_;
};

// A score plot of 3 x 2 values over a data set whose last object lacks its response.
class MatrixPlotTest : public testing::Test {
protected:
  MatrixPlotTest() : data(MakeData(2, 3, 1)), values(3, 2) {
    data->tpChemoValuePtr[2][1].Missing = true;
    for (int r = 0; r < 3; ++r) {
      values.At(r, 0) = r * 0.5L;
      values.At(r, 1) = 1.0L + r;
    }
    source.values = &values;
    source.elementNames = names;
    source.firstLabelTexts = ranks;
    source.firstLabelText = "ID";
    source.secondLabelText = "Name";
    source.elementIDs = ids;
    source.axisNames = axes;
  }
  std::unique_ptr<ChemoData> data;
  Matrix values;
  std::string names[3] = {"n1", "n2", "n.3"};
  std::string ranks[3] = {"2", "3", "1"};
  std::string ids[3] = {"i1", "i2", "i3"};
  std::string axes[2] = {"PC1", "PC2"};
  MatrixPlotSource source;
};

TEST_F(MatrixPlotTest, ScorePlotLegendListsOnlyThePresentGroups) {
  bool closed = false;
  auto form = TViewGraphForm::CreateForPcaPlot(nullptr, data.get(), source, GraphKind::PcaScores, &closed);
  Record(*form);
  const AxisParams& axis = form->Data().Axis;
  ASSERT_EQ(axis.GroupCount, 2);
  EXPECT_EQ(axis.ElementGroup[2], 1);
  EXPECT_NE(Recorded(*form).FindText("Unknown"), nullptr);
  EXPECT_EQ(Recorded(*form).FindText("Prediction"), nullptr);
  form->close();
  EXPECT_TRUE(closed);
}

TEST_F(MatrixPlotTest, ExportWritesCaptionHeaderAndOneLinePerElement) {
  FakeProjectHost host(',');
  auto form = TViewGraphForm::CreateForMatrixScatter(nullptr, data.get(), source, GraphKind::ModelsScatter);
  form->setWindowTitle("Models");
  Record(*form);
  EXPECT_EQ(form->ExportText(),
            "Models\r\n\r\nElement\tPC1\tPC2\r\n"
            "\r\nn1\t0\t1"
            "\r\nn2\t0,5\t2"
            "\r\nn.3\t1\t3");
}

TEST_F(MatrixPlotTest, AClickOutOfALimitEditOfAPcaPlotLandsWhereItWasAimed) {
  bool closed = false;
  auto form = TViewGraphForm::CreateForPcaPlot(nullptr, data.get(), source, GraphKind::PcaScores, &closed);
  PanelClicks user(*form);
  user.LeaveEditedLimits();
}

// The experimental vs calculated plot ties each X limit to the same Y limit. A
// click on the unticked partner box that leaves the edited limit meant to tick
// it: it stays ticked, its edit reads the limit and the plot is drawn from it.
TEST_F(EveryKindTest, AClickOnThePartnerBoxOfAnEditedLimitLeavesItTicked) {
  std::unique_ptr<TViewGraphForm> form = Open(GraphKind::ExpVsCalc);
  PanelClicks user(*form);
  ASSERT_NE(form->CurrentPlot(), nullptr);
  user.Click(form->CheckBoxLimit[0]);
  user.Click(form->CheckBoxLimit[3]);
  user.TypeInto(form->EditLimit[0], "5.5");
  QCheckBox* partner = form->CheckBoxLimit[2];
  user.Click(partner);
  EXPECT_TRUE(partner->isChecked());
  EXPECT_FALSE(partner->isDown());
  EXPECT_TRUE(form->EditLimit[2]->isEnabled());
  EXPECT_EQ(form->EditLimit[2]->text(), "5.5");
  EXPECT_EQ(user.Bound(2), 5.5L);
  user.Click(form->EditLimit[3]);
  PressAtFocus(Qt::Key_Return);  // the next redraw keeps it
  EXPECT_TRUE(partner->isChecked());
  EXPECT_EQ(user.Bound(2), 5.5L);
  user.TypeInto(form->EditLimit[0], "6");
  user.Click(partner);  // a click on the ticked partner box meant to untick it
  EXPECT_FALSE(partner->isChecked());
  EXPECT_EQ(form->EditLimit[2]->text(), "6");
  EXPECT_TRUE(TestUi().Shown().empty());
}

// Kind 21: the ranking window's score plot with three rank classes.
class RankTest : public MatrixPlotTest {
protected:
  RankTest() : big(30, 2) {
    for (int r = 0; r < 30; ++r) {
      big.At(r, 0) = r;
      big.At(r, 1) = 30 - r;
      rankTexts[r] = std::to_string(r + 1);
      bigNames[r] = "m" + std::to_string(r);
    }
    source.values = &big;
    source.firstLabelTexts = rankTexts;
    source.elementNames = bigNames;
    source.elementIDs = bigNames;
    form = TViewGraphForm::CreateForMatrixScatter(nullptr, data.get(), source, GraphKind::McdmRanking);
    Record(*form);
  }
  void Enter(int which, const char* text) {
    form->EditRange[which]->setText(text);
    form->EditRangeKeyDown(which, Qt::Key_Return);
  }
  Matrix big;
  std::string rankTexts[30];
  std::string bigNames[30];
  std::unique_ptr<TViewGraphForm> form;
};

TEST_F(RankTest, StartsWithThirdsAndTheirCaptions) {
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(form->EditRange[k]->text().toStdString(), std::to_string(10 * k + 10));
    EXPECT_EQ(form->RankClasses()[10 * k], k);
    EXPECT_EQ(form->RankClasses()[10 * k + 9], k);
  }
}

TEST_F(RankTest, RefusesABoundOutOfRangeAndRevertsBothEdits) {
  Enter(1, "30");
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Sorry, 30 is an invalid value. Allowed range is: 11 to 29.");
  EXPECT_EQ(form->EditRange[1]->text(), "20");
  Enter(0, "x");
  EXPECT_EQ(TestUi().Shown(1).text, "Sorry, x is an invalid value. Allowed range is: 1 to 19.");
  EXPECT_EQ(form->EditRange[0]->text(), "10");
}

TEST_F(RankTest, AcceptedBoundsReclassifyAndEscapeReverts) {
  Enter(0, "5");
  EXPECT_TRUE(TestUi().Shown().empty());
  EXPECT_EQ(form->StaticTextRange[1]->text(), "From 6 to");
  EXPECT_EQ(form->RankClasses()[5], 1);
  EXPECT_EQ(form->Data().Axis.ElementGroup[5], 1);

  form->EditRange[1]->setText("7");
  form->EditRangeKeyDown(1, Qt::Key_Escape);
  EXPECT_EQ(form->EditRange[1]->text(), "20");
  EXPECT_EQ(form->EditRange[0]->text(), "5");
  EXPECT_TRUE(TestUi().Shown().empty());
}

// The rank edits sit after the limit edits in the focus chain: no key meant
// for a limit may reach them, and leaving them applies them as well.
TEST_F(RankTest, AClickOutOfALimitOrRankEditLandsWhereItWasAimed) {
  PanelClicks user(*form);
  user.LeaveEditedLimits();
  EXPECT_EQ(form->EditRange[0]->text(), "10");
  user.TypeInto(form->EditRange[0], "5");
  user.Click(form->EditLimit[0]);
  EXPECT_EQ(user.Bound(3), 9.0L);
  EXPECT_EQ(form->StaticTextRange[1]->text(), "From 6 to");
  EXPECT_EQ(QApplication::focusWidget(), form->EditLimit[0]);
  EXPECT_TRUE(TestUi().Shown().empty());
}

// A refused limit shows its message while the click that left the edit is on its
// way; the button goes up over the message, so the clicked box is neither
// toggled nor left drawn pressed.
TEST_F(RankTest, AClickThatARefusalInterruptsLeavesTheClickedBoxAsItWas) {
  PanelClicks user(*form);
  user.Click(form->CheckBoxLimit[1]);
  user.TypeInto(form->EditLimit[1], "abc");
  QCheckBox* box = form->CheckBoxLimit[2];
  RealMessageBoxes messages(Qt::Key_Return, [box] { MouseFromWindowSystem(box, QEvent::MouseButtonRelease); });
  MouseFromWindowSystem(box, QEvent::MouseButtonPress);
  ProcessEventsUntil([] { return false; }, 50);
  EXPECT_EQ(messages.Answered(), std::vector<std::string>{"'abc' is not a valid floating point value"});
  EXPECT_FALSE(box->isDown());
  EXPECT_FALSE(box->isChecked());
  EXPECT_EQ(StdStr(form->EditLimit[1]->text()), FloatToStr(user.Bound(1)));
  user.Click(box);  // the next click is the box's own
  EXPECT_TRUE(box->isChecked());
}

TEST_F(RankTest, ExportWritesAnEmptyStatusForGroupsWithoutLegend) {
  std::string text = form->ExportText();
  EXPECT_NE(text.find("Element\tStatus\tPC1\tPC2\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nm0\t\t0\t30"), std::string::npos);
}

// Kind 23: four model sizes, averages and their standard deviations.
class R2Q2Test : public testing::Test {
protected:
  R2Q2Test() : data(MakeData(1, 1)) {
    rows.assign(16, std::vector<CheckedValue>(2));
    for (int i = 0; i < 16; ++i) {
      rows[i][0] = CheckedValue(i % 4 + 1, false);
      rows[i][1] = CheckedValue(i < 8 ? 0.5L + i * 0.01L : 0.125L, false);
      pointers.push_back(rows[i].data());
    }
    form = TViewGraphForm::CreateForValueRows(nullptr, data.get(), GraphKind::R2VsQ2, pointers.data(), 8);
    form->setWindowTitle("R2/Q2");
    Record(*form);
  }
  std::unique_ptr<ChemoData> data;
  std::vector<std::vector<CheckedValue>> rows;
  std::vector<CheckedValue*> pointers;
  std::unique_ptr<TViewGraphForm> form;
};

TEST_F(R2Q2Test, OpensWithXMinForcedAndExtendsTheFilterOnce) {
  EXPECT_TRUE(form->CheckBoxLimit[0]->isChecked());
  EXPECT_EQ(form->EditLimit[0]->text(), "0.9");
  Record(*form, 700, 500);
  Record(*form, 600, 500);
  EXPECT_EQ(form->SavePictureFilter, "JPEG Image File (*.jpg)|*.jpg|Bitmap (*.bmp)|*.bmp|Text (*.txt)|*.txt");
  EXPECT_TRUE(form->Data().Axis.IntegerXTicks);
}

TEST_F(R2Q2Test, LabelsEverySizeTwiceAndExportsTheDeviations) {
  ChooseLabel(*form, 1);
  EXPECT_EQ(Recorded(*form).CallsOf(CallKind::RoundRect).size(), 8u);
  EXPECT_EQ(form->Data().ElementNames[5], "2");
  std::string text = form->ExportText();
  EXPECT_NE(text.find("Element\tStatus\tNumber of variables\tR2 and Q2\r\n\r\n1\tAverage R2\t1\t0.5\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("\r\n4\tS.D. of Average Q2\t4\t0.125"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 2), "25");  // no line end after the last line
}

// The width and height a JPEG file declares, read by libjpeg.
QSize JpegSize(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return {};
  jpeg_decompress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  QSize size(static_cast<int>(info.image_width), static_cast<int>(info.image_height));
  jpeg_destroy_decompress(&info);
  std::fclose(file);
  return size;
}

TEST_F(R2Q2Test, SavesPicturesUnderTheirCaseSensitiveExtension) {
  TestFolder folder;
  const std::pair<std::string, int> choices[] = {{"plot", 1}, {"plot.bmp", 1}, {"shot.bmp", 2}, {"values", 3}};
  for (const auto& [name, filter] : choices) {
    TestUi().AnswerFile(folder.Path(name), filter);
    form->SpeedButtonSaveImageClick();
  }
  EXPECT_EQ(JpegSize(folder.Path("plot.jpg")), form->Picture().size());
  EXPECT_FALSE(ReadFile(folder.Path("plot.bmp.jpg")).empty());
  EXPECT_EQ(QImage(QString::fromLatin1(folder.Path("shot.bmp").c_str())).size(), form->Picture().size());
  EXPECT_EQ(ReadFile(folder.Path("values.txt")), form->ExportText());

  TestUi().AnswerFile(folder.Path("plot.jpg"), 1);
  TestUi().Answer(IDNO);
  form->SpeedButtonSaveImageClick();
  EXPECT_EQ(TestUi().Shown(0).text, "File already esists! Do you want to overwrite?");
  TestUi().AnswerFile(folder.Path("none/x"), 3);
  form->SpeedButtonSaveImageClick();
  EXPECT_EQ(TestUi().Shown(1).text, "Cannot write data. Please check your privileges.");
}

// A save that fails midway, as on a full disk, leaves each older file whole and
// no temporary file behind; the next save replaces it with a whole picture.
TEST_F(R2Q2Test, AFailedSaveLeavesTheOlderFileWhole) {
  TestFolder folder;
  const std::pair<std::string, int> choices[] = {{"plot.jpg", 1}, {"plot.bmp", 2}, {"plot.txt", 3}};
  for (const auto& [name, filter] : choices) {
    std::ofstream(folder.Path(name), std::ios::binary) << "older " << name;
    TestUi().AnswerFile(folder.Path(name), filter);
    TestUi().Answer(IDYES);
    FileSizeLimit fullDisk(64);
    form->SpeedButtonSaveImageClick();
  }
  for (const auto& [name, filter] : choices) EXPECT_EQ(ReadFile(folder.Path(name)), "older " + name);
  EXPECT_EQ(ListFiles(folder.Dir(), "*"), (std::vector<std::string>{"plot.bmp", "plot.jpg", "plot.txt"}));
  ASSERT_EQ(TestUi().Shown().size(), 6u);
  EXPECT_EQ(TestUi().Shown(1).text, "Cannot save image");
  EXPECT_EQ(TestUi().Shown(3).text, "Cannot save image");
  EXPECT_EQ(TestUi().Shown(5).text, "Cannot write data. Please check your privileges.");

  TestUi().AnswerFile(folder.Path("plot.jpg"), 1);
  TestUi().Answer(IDYES);
  form->SpeedButtonSaveImageClick();
  const std::string jpeg = ReadFile(folder.Path("plot.jpg"));
  EXPECT_EQ(JpegSize(folder.Path("plot.jpg")), form->Picture().size());
  EXPECT_EQ(jpeg.substr(jpeg.size() - 2), "\xFF\xD9");  // the end-of-image marker
}

TEST_F(R2Q2Test, SavesUnderNamesBeyondAsciiAsTheFileSystemsBytes) {
  TestFolder folder;
  const std::string out = folder.Path("sortie_é/");
  std::filesystem::create_directories(out);
  for (int filter : {1, 3}) {
    TestUi().AnswerFile(out + "plot_ü_ж", filter);
    form->SpeedButtonSaveImageClick();
  }
  EXPECT_EQ(JpegSize(out + "plot_ü_ж.jpg"), form->Picture().size());
  EXPECT_EQ(ReadFile(out + "plot_ü_ж.txt"), form->ExportText());
  EXPECT_TRUE(TestUi().Shown().empty());
}

TEST_F(R2Q2Test, ARedrawOnAnImageBelowSixteenPixelsDrawsNothingAndLeavesNoPointerOnFreedLabels) {
  Record(*form, 15, 300);
  EXPECT_TRUE(Recorded(*form).Calls().empty());
  EXPECT_EQ(form->Data().ElementNames, nullptr);
  EXPECT_NE(form->ExportText().find("\r\n\tAverage R2\t1\t0.5"), std::string::npos);
}

TEST(PlotPanelTest, ModelPlotsOfferDeviationsBandAndFullInfo) {
  auto data = MakeData(2, 4, 1);
  DataResultList models(data.get());
  models.Append();
  std::vector<CheckedValue*> rows(data->tpChemoValuePtr, data->tpChemoValuePtr + 4);
  auto form = TViewGraphForm::CreateForModelValues(nullptr, data.get(), &models, GraphKind::ExpVsCalc, rows.data(),
                                                   "Exp. endpoint vs Pred. by model eq.: M1");
  Record(*form);
  EXPECT_EQ(form->ComboBoxVar2->currentText(), "2.5");
  EXPECT_EQ(form->Data().Caption, "Exp. endpoint vs Pred. by model eq.: M1");
  form->CheckBoxMoreInfo->setChecked(false);
  EXPECT_EQ(form->Data().Caption, "");
  PressKey(*form, form->EditLimit[1], "10", 1);  // one range on both axes
  EXPECT_TRUE(form->CheckBoxLimit[3]->isChecked());
  EXPECT_EQ(form->EditLimit[3]->text(), "10");
}

TEST(PlotWindowTest, AModelessWindowDeletesItselfAndSetsTheClosedFlag) {
  auto data = MakeData(2, 20);
  std::vector<CheckedValue*> rows(data->tpChemoValuePtr, data->tpChemoValuePtr + 20);
  ModelessWindows windows;
  QWidget opener;
  for (bool escape : {false, true}) {
    SCOPED_TRACE(escape ? "Escape" : "close box");
    bool closed = false;
    QPointer<TViewGraphForm> watch(TViewGraphForm::CreateForResponseDistribution(
                                       nullptr, data.get(), GraphKind::ResponseDistribution, rows.data(), 20, &closed)
                                       .release());
    const int number = windows.Show(watch, &opener);
    if (escape)
      watch->SetModalResult(mrCancel);
    else
      watch->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(watch.isNull());
    EXPECT_TRUE(windows.IsClosed(number));
  }
}

// A validation plot window over a model of variables 2 and 0 whose validation
// files are registered in a test folder.
struct ValidationPlotWindowTest : ::testing::Test {
  struct Host : FakeProjectHost {
    TempFiles files;
    explicit Host(const std::string& dir) : files(dir) {
      for (const char* tag : {"~yscr~", "~rdes~", "~rres~", "~many~"}) files.AddName(tag);
    }
    TempFiles* Registry() override { return &files; }
  };

  void SetUp() override {
    TestUi().Reset();
    node->iSize = 2;
    AllocCheckedArray(node->ipSelVarIdxPtr, 2, "*ipSelVarIdxPtr");
    node->ipSelVarIdxPtr[0] = 2;
    node->ipSelVarIdxPtr[1] = 0;
    node->cvKxy = CheckedValue(0.4L, false);
    node->cvR2 = CheckedValue(0.9L, false);
    node->cvQ2loo = CheckedValue(0.85L, false);
  }
  // Writes the model's record (variables in another order) with N iterations.
  void WriteRecord(GraphKind kind, int iterations) {
    ValidationRecord record{{0, 2}, {}};
    for (int i = 0; i < iterations; ++i)
      record.iterations.push_back({CheckedValue(0.1L * i, false), CheckedValue(-0.2L * i + 0.5L, false),
                                   CheckedValue(0.3L + 0.1L * i, false)});
    const std::vector<uint8_t> bytes = EncodeValidationRecord(record);
    std::ofstream(host.files.FindTempFilePath(ValidationPlotFileName(kind), TempFiles::DbExtensionIndex()),
                  std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  void DoubleClick(TViewGraphForm& form, int row) {
    const LabelPlotParam point = form.Data().tpLabelPlotParam[row];
    form.ImageMouseMove((point.SymbolLeft + point.SymbolRight) / 2, (point.SymbolTop + point.SymbolBottom) / 2);
    form.ImageDblClick();
  }
  static std::vector<bool> ShownFlags(TViewGraphForm& form) {
    std::vector<bool> shown;
    for (int r = 0; r < form.Data().RowCount; ++r) shown.push_back(form.Data().tpLabelPlotParam[r].Shown);
    return shown;
  }

  TestFolder folder;
  Host host{folder.Path("")};
  std::unique_ptr<ChemoData> data = MakeData(3, 4);
  DataResultList models{data.get()};
  DataResultNode* node = models.Append();
};

// The record is read from the registered file at each redraw; a failure is
// reported once until a read succeeds.
TEST_F(ValidationPlotWindowTest, ReadsTheModelRecordAndReportsAFailureOnce) {
  auto form = TViewGraphForm::CreateForModelList(nullptr, data.get(), &models, GraphKind::YScramble);
  Record(*form);
  form->FormResize();
  ASSERT_EQ(TestUi().Shown().size(), 2u);  // the open failure and the reading error, once
  WriteRecord(GraphKind::YScramble, 3);
  form->FormResize();
  const GraphData& d = form->Data();
  ASSERT_EQ(d.RowCount, 8);
  EXPECT_EQ(ShownFlags(*form), (std::vector<bool>{false, false, false, false, false, false, true, true}));
  EXPECT_NE(Recorded(*form).FindText("Kxy"), nullptr);
  EXPECT_EQ(TestUi().Shown().size(), 2u);
}

// With "Single labels" a double click toggles a point's label, and the toggle
// outlives every later redraw; each kind is grabbed when KORVANE_PNG_DIR is set.
TEST_F(ValidationPlotWindowTest, ADoubleClickedLabelStaysToggledOverRedraws) {
  for (GraphKind kind : {GraphKind::YScramble, GraphKind::RandomDescriptors, GraphKind::RandomResponses,
                         GraphKind::LeaveManyOut}) {
    SCOPED_TRACE(static_cast<int>(kind));
    WriteRecord(kind, 4);
    auto form = TViewGraphForm::CreateForModelList(nullptr, data.get(), &models, kind);
    Record(*form);
    ASSERT_TRUE(form->CheckBoxCustomLabel->isChecked());
    const int rows = form->Data().RowCount;
    ASSERT_EQ(rows, kind == GraphKind::LeaveManyOut ? 5 : 10);
    std::vector<bool> expected(static_cast<std::size_t>(rows), false);
    for (int r = rows - ValidationModelPointCount(kind); r < rows; ++r) expected[r] = true;
    EXPECT_EQ(ShownFlags(*form), expected);

    DoubleClick(*form, 1);
    DoubleClick(*form, rows - 1);
    expected[1] = true;
    expected[rows - 1] = false;
    EXPECT_EQ(ShownFlags(*form), expected);
    Record(*form, 700, 500);
    form->FormResize();
    EXPECT_EQ(ShownFlags(*form), expected);
    EXPECT_NE(Recorded(*form).FindText("iter 1"), nullptr);
    EXPECT_EQ(Recorded(*form).FindText(kind == GraphKind::LeaveManyOut ? "model Q2" : "model R2") != nullptr,
              kind != GraphKind::LeaveManyOut);

    if (const char* dir = std::getenv("KORVANE_PNG_DIR")) {
      auto shown = TViewGraphForm::CreateForModelList(nullptr, data.get(), &models, kind);
      shown->resize(800, 640);
      shown->FormResize();
      shown->grab().save(QString::fromStdString(std::string(dir) + "/validation" +
                                                std::to_string(static_cast<int>(kind)) + ".png"));
    }
  }
  EXPECT_TRUE(TestUi().Shown().empty());
}

}  // namespace

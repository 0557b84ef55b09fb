// The road a user walks through the program, from the main window's commands
// through every window on the way, in the real event loop: import the example,
// set up a split, search, view and validate the models, save and reopen the
// project, apply a stored model and query the database. Modal windows are driven
// by a script that acts on each as it comes up; every step checks what it left.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/Main.h"
#include "app/SplMain.h"
#include "data/DataResult.h"
#include "database/DbbMain.h"
#include "ExampleModelSteps.h"
#include "models/ModelListTable.h"
#include "models/VSmMain.h"
#include "ModalScript.h"
#include "platform/base/Random.h"
#include "platform/qt/StringGrid.h"
#include "plot/VGrMain.h"
#include "plot/VMtMain.h"
#include "prepare/IDtMain.h"
#include "prepare/ISmMain.h"
#include "prepare/SDtMain.h"
#include "select/CAsMain.h"
#include "select/CStMain.h"
#include "select/THbMain.h"
#include "support/ScriptedUi.h"
#include "support/TestFolder.h"
#include "validate/AVmMain.h"
#include "validate/CAnMain.h"
#include "validate/VMdMain.h"
#include "validate/VMsMain.h"

namespace fs = std::filesystem;

namespace {

// Saves a picture of the window into the folder KORVANE_PNG_DIR names, when it names one.
void Grab(QWidget& window, const char* name) {
  const char* dir = std::getenv("KORVANE_PNG_DIR");
  if (dir == nullptr) return;
  QCoreApplication::processEvents();  // the layout as the user sees it
  window.grab().save(QString(dir) + "/road-" + name + ".png");
}

// The row of the variable named name in the set-up's variable grid.
int VariableRow(const ChemoData& data, const std::string& name) {
  for (int v = 0; v < data.iVarCount; ++v)
    if (data.tpVarNameStrPtr[v] == name) return v + 1;
  ADD_FAILURE() << "no variable " << name;
  return 1;
}

int CountStatus(const ChemoData& data, int32_t status) {
  return static_cast<int>(std::count(data.ipTrainingPtr, data.ipTrainingPtr + data.iObjCount, status));
}

// What the list says of each model, in list order: identity and a statistic.
struct ModelSummary {
  int32_t id;
  std::string name;
  int32_t selection;
  long double q2loo, q2f1, q2lmo;
  bool lmoMissing;
  bool operator==(const ModelSummary&) const = default;
};
std::vector<ModelSummary> Summarise(const DataResultList& list) {
  std::vector<ModelSummary> models;
  for (const DataResultNode* m = list.First(); m != nullptr; m = m->Next())
    models.push_back({m->iID, m->sName, m->iSelStatus, m->cvQ2loo.Value, m->cvQ2F1.Value, m->cvQ2LMO.Value, m->cvQ2LMO.Missing});
  return models;
}

// The points a plot window shows: its elements with both coordinates.
int PlottedPoints(TViewGraphForm& plot) {
  const GraphData& d = plot.Data();
  int points = 0;
  for (int i = 0; i < d.RowCount; ++i)
    points += !d.tpGraphValue[i][d.XColumn].Missing && !d.tpGraphValue[i][d.YColumn].Missing;
  return points;
}

std::map<int, int> CountBySize(const DataResultList& list) {
  std::map<int, int> sizes;
  for (const DataResultNode* m = list.First(); m != nullptr; m = m->Next()) ++sizes[m->iSize];
  return sizes;
}

bool Shown(const std::string& text) {
  for (const ScriptedUi::Message& message : TestUi().Shown())
    if (message.text == text) return true;
  return false;
}

// The descriptors of the search: a small pool keeps the whole road to seconds.
const char* const kPool[] = {"qed", "MolWt", "HeavyAtomMolWt", "NumValenceElectrons",
                             "MaxPartialCharge", "MinPartialCharge", "BalabanJ", "Chi0"};

class WholeRoadTest : public testing::Test {
protected:
  void SetUp() override {
    TestUi().Reset();
    script_.Always<TSplashForm>("welcome window", [](TSplashForm& w) { w.close(); });
    SetRandomizeClock([]() -> uint64_t { return 29; });  // the same genetic algorithm every run
    TCalculateSetupForm::RememberedKeepPerSize = {};      // as at the program's start
    previous_ = fs::current_path();
    for (const char* folder : {"models", "database"})
      fs::copy(fs::path(KORVANE_ASSETS_DIR) / folder, folder_.Path(folder), fs::copy_options::recursive);
    fs::current_path(folder_.Dir());
  }
  void TearDown() override {
    main_.reset();
    SetRandomizeClock(nullptr);
    fs::current_path(previous_);
  }

  // Starts the main window; its welcome window is closed as the user does.
  TMainForm& Start() {
    main_ = std::make_unique<TMainForm>();
    main_->show();
    return *main_;
  }
  // Closes the main window as the user does, and starts the program again.
  TMainForm& Restart() {
    EXPECT_TRUE(main_->close());
    main_.reset();
    return Start();
  }
  // Runs a command of the main window and checks the script met every window on the way.
  void Run(QAction* command) {
    ASSERT_TRUE(command->isEnabled()) << command->text().toStdString();
    command->trigger();
    EXPECT_TRUE(script_.Done());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    QCoreApplication::processEvents();
    for (QWidget* window : QApplication::topLevelWidgets())
      EXPECT_TRUE(window == main_.get() || !window->isVisible())
          << "left open: " << window->metaObject()->className() << " \"" << window->windowTitle().toStdString() << "\"";
  }
  // Imports the example table and sets it up: the response, a small pool of
  // descriptors, and an ordered split by response putting one object in four
  // into the prediction set.
  void ImportAndSetUp(TMainForm& main) {
    ChemoData& data = main.DataSet();
    TestUi().AnswerFile(KORVANE_ASSETS_DIR "/help/example.txt");
    script_.Then<TImportDataForm>("import", [](TImportDataForm& w) { w.ButtonImport->click(); });
    Run(main.MenuFileImport);
    ASSERT_EQ(data.iObjCount, 204);
    ASSERT_EQ(data.iVarCount, 124);
    EXPECT_TRUE(main.Modified());

    script_.Then<TDataSetupForm>("set-up", [&data](TDataSetupForm& w) {
      const int response = VariableRow(data, "Activity");
      SelectRows(w.StringGridVar, 2, response, response);
      w.ButtonSetY->click();
      for (const char* name : kPool) {
        const int row = VariableRow(data, name);
        SelectRows(w.StringGridVar, 2, row, row);
        w.ButtonSetX->click();
      }
      Pick(w.ComboBoxRATest, "1");
      Pick(w.ComboBoxRATrain, "3");
      w.ButtonOK->click();
    });
    Run(main.MenuDataSetup);
    EXPECT_EQ(data.iSelectedVarCount, 8);
    EXPECT_EQ(data.tpVarNameStrPtr[data.iResponseIndex], "Activity");
    const int prediction = CountStatus(data, kStatusPrediction);
    EXPECT_EQ(CountStatus(data, kStatusTraining) + prediction, 204);
    EXPECT_NEAR(prediction, 51, 1);
  }
  std::string PathOf(const std::string& name) const { return folder_.Path(name); }

  ModalScript script_;
  std::unique_ptr<TMainForm> main_;

private:
  TestFolder folder_;
  fs::path previous_;
};

TEST_F(WholeRoadTest, FromImportToDatabaseThroughTheEventLoop) {
  TMainForm& main = Start();
  ChemoData& data = main.DataSet();

  ImportAndSetUp(main);
  const int prediction = CountStatus(data, kStatusPrediction);

  // Search: all subsets to size 3, then a short genetic algorithm for size 4;
  // the search window runs on its own and closes itself.
  script_.Then<TCalculateSetupForm>("search set-up", [](TCalculateSetupForm& w) {
    Pick(w.ComboBoxAllSubset, "3");
    w.ComboBoxQUIKrule->setCurrentText("None");  // every size keeps its best ten
    w.CheckBoxGAuntil->click();
    Pick(w.ComboBoxGAuntil, "4");
    w.ComboBoxGAgen->setCurrentText("50");
    w.ButtonCalculate->click();
  });
  Run(main.MenuCalculateAllSubset);
  EXPECT_TRUE(Shown("Models calculation completed."));
  EXPECT_EQ(data.iAllSubsetUntil, 4);  // the last size searched
  EXPECT_EQ(data.iGAUntil, 4);
  EXPECT_EQ(data.iKeepPerSize, 10);
  // The eight models of one descriptor, and the ten kept (the population) of every other size.
  EXPECT_EQ(CountBySize(*main.ModelList()), (std::map<int, int>{{1, 8}, {2, 10}, {3, 10}, {4, 10}}));
  EXPECT_TRUE(main.MenuViewAndSelModels->isEnabled());

  // Search again: the genetic algorithm goes on from the next size, 5, and the
  // models found so far stay.
  script_.Then<TFormThreeButtons>("where to go on", [](TFormThreeButtons& w) {
    EXPECT_EQ(w.ButtonOK2->text(), "5");
    w.ButtonOK2->click();
  });
  script_.Then<TCalculateSetupForm>("later search set-up", [](TCalculateSetupForm& w) {
    Pick(w.ComboBoxGAuntil, "5");
    w.ComboBoxQUIKrule->setCurrentText("None");
    w.ComboBoxGAgen->setCurrentText("50");
    w.ButtonCalculate->click();
  });
  Run(main.MenuCalculateAllSubset);
  EXPECT_EQ(data.iAllSubsetUntil, 5);
  EXPECT_EQ(CountBySize(*main.ModelList()), (std::map<int, int>{{1, 8}, {2, 10}, {3, 10}, {4, 10}, {5, 10}}));

  // The model list: validate externally, look at the best model and its plots,
  // validate the three best internally and take their consensus, then accept.
  const int models = main.ModelList()->Count();
  std::vector<DataResultNode*> chosen;
  script_.Then<TViewSelForm>("model list: choose three, validate them externally, view the best",
                              [&](TViewSelForm& w) {
    EXPECT_EQ(w.StringGridResults->RowCount(), models + 1);
    SelectRows(w.StringGridResults, kVariablesColumn, 1, 3);
    w.SpeedButtonAlwaysSelModel->click();
    for (int row = 1; row <= 3; ++row) chosen.push_back(w.Table().RowModel(row));
    w.SpeedButtonExtValidation->click();
    EXPECT_TRUE(Shown("External validation completed."));
    for (int row = 1; row <= 4; ++row) EXPECT_EQ(w.Table().RowModel(row)->cvQ2F1.Missing, row == 4) << row;
    Grab(w, "model-list");
    SelectRows(w.StringGridResults, kVariablesColumn, 1, 1);
    w.SpeedButtonViewSelMod->click();
  });
  script_.Then<TViewSelModForm>("single model: fitted plot", [](TViewSelModForm& w) {
    Grab(w, "single-model");
    w.SpeedButtonViewExpCalcPlot->click();
  });
  script_.Then<TViewGraphForm>("fitted plot", [](TViewGraphForm& w) {
    EXPECT_EQ(w.Kind(), GraphKind::ExpVsCalc);
    EXPECT_EQ(PlottedPoints(w), 204);  // training and prediction objects alike
    w.close();
  });
  script_.Then<TViewSelModForm>("single model: Williams plot of predictions", [](TViewSelModForm& w) {
    w.SpeedButtonViewWillPlotPred->click();
  });
  script_.Then<TViewGraphForm>("Williams plot", [](TViewGraphForm& w) {
    EXPECT_EQ(w.Kind(), GraphKind::WilliamsPred);
    EXPECT_EQ(PlottedPoints(w), 204);
    w.close();
  });
  script_.Then<TViewSelModForm>("single model: close", [](TViewSelModForm& w) { w.close(); });
  script_.Then<TViewSelForm>("model list: internal validation", [](TViewSelForm& w) {
    w.SpeedButtonIntValidation->click();
  });
  script_.Then<TValidateModelForm>("internal validation", [](TValidateModelForm& w) {
    EXPECT_TRUE(w.CheckBoxLMO->isChecked());
    EXPECT_TRUE(w.CheckBoxYScramble->isChecked());
    w.ComboBoxLMOIter->setCurrentText("100");
    w.ComboBoxYscrIter->setCurrentText("100");
    w.ButtonValidate->click();  // runs on idle calls and closes the window when done
  });
  script_.Then<TViewSelForm>("model list: consensus", [](TViewSelForm& w) { w.SpeedButtonModAn->click(); });
  script_.Then<TFormConsensus>("consensus", [](TFormConsensus& w) {
    EXPECT_EQ(w.Calculation().CountSelectedModels(), 3);
    EXPECT_FALSE(w.Aborted());
    Grab(w, "consensus");
    w.SpeedButtonCalcACM->click();
  });
  script_.Then<TViewGraphForm>("consensus plot", [](TViewGraphForm& w) {
    EXPECT_EQ(PlottedPoints(w), 204);
    w.close();
  });
  script_.Then<TFormConsensus>("consensus: close", [](TFormConsensus& w) { w.close(); });
  // The analyses over the three chosen models.
  script_.Then<TViewSelForm>("model list: multi-criteria scores", [&chosen](TViewSelForm& w) {
    EXPECT_FALSE(w.SpeedButtonMCDMgraph->isEnabled());
    w.SpeedButtonMultiCrit->click();  // every score can be computed: no message window
    for (const DataResultNode* m : chosen) EXPECT_FALSE(m->cvMCDMall.Missing) << m->sName;
    w.SpeedButtonMCDMgraph->click();
  });
  script_.Then<TViewGraphForm>("MCDM plot", [](TViewGraphForm& w) {
    EXPECT_EQ(PlottedPoints(w), 3);
    w.close();
  });
  script_.Then<TViewSelForm>("model list: Q2loo against LOF", [](TViewSelForm& w) { w.SpeedButtonQ2looLOF->click(); });
  script_.Then<TViewGraphForm>("Q2loo-LOF plot", [](TViewGraphForm& w) {
    EXPECT_EQ(PlottedPoints(w), 3);
    w.close();
  });
  script_.Then<TViewSelForm>("model list: R2 and Q2 per size", [](TViewSelForm& w) { w.SpeedButtonR2vsQ2->click(); });
  script_.Then<TViewGraphForm>("R2-Q2 plot", [&chosen](TViewGraphForm& w) {
    std::set<int32_t> sizes;
    for (const DataResultNode* m : chosen) sizes.insert(m->iSize);
    EXPECT_EQ(PlottedPoints(w), 2 * static_cast<int>(sizes.size()));  // an R2 and a Q2 point per size
    w.close();
  });
  script_.Then<TViewSelForm>("model list: outlier counts", [](TViewSelForm& w) { w.SpeedButtonHatRes->click(); });
  script_.Then<TFormViewMatrix>("outlier counts", [](TFormViewMatrix& w) {
    EXPECT_EQ(w.StringGrid->RowCount(), 204 + 1);
    EXPECT_EQ(w.StringGrid->Cells(1, 0), "High leverage (> h*)");
    w.close();
  });
  script_.Then<TViewSelForm>("model list: PCA of the residuals", [](TViewSelForm& w) { w.SpeedButtonPCARes->click(); });
  script_.Then<TViewGraphForm>("residuals PCA plot", [](TViewGraphForm& w) {
    EXPECT_EQ(PlottedPoints(w), 3);  // one loading point per model
    w.close();
  });
  script_.Then<TViewSelForm>("model list: three models of one size, PCA of their descriptors", [](TViewSelForm& w) {
    w.SpeedButtonReset->click();  // answered Yes: no model is selected
    int picked = 0;
    for (int row = 1; row < w.StringGridResults->RowCount() && picked < 3; ++row) {
      if (w.Table().RowModel(row)->iSize != 3) continue;
      SelectRows(w.StringGridResults, kVariablesColumn, row, row);
      w.SpeedButtonAlwaysSelModel->click();
      ++picked;
    }
    EXPECT_TRUE(w.SpeedButtonPCAdesc->isEnabled());
    w.SpeedButtonPCAdesc->click();
  });
  script_.Then<TViewGraphForm>("descriptors PCA plot", [](TViewGraphForm& w) {
    EXPECT_EQ(PlottedPoints(w), 3);  // one loading point per model
    w.close();
  });
  script_.Then<TViewSelForm>("model list: accept", [](TViewSelForm& w) { w.ButtonAccept->click(); });
  Run(main.MenuViewAndSelModels);
  ASSERT_EQ(main.ModelList()->Count(), models);
  ASSERT_EQ(chosen.size(), 3u);
  for (const DataResultNode* m = main.ModelList()->First(); m != nullptr; m = m->Next()) {
    EXPECT_FALSE(m->cvQ2F1.Missing) << m->sName;  // the multi-criteria scores validate every model
    const bool validated = std::find(chosen.begin(), chosen.end(), m) != chosen.end();
    EXPECT_EQ(m->cvQ2LMO.Missing, !validated) << m->sName;
    EXPECT_EQ(m->cvR2Yscr.Missing, !validated) << m->sName;
    if (validated) {
      EXPECT_LT(m->cvR2Yscr.Value, m->cvR2.Value) << m->sName;  // scrambled responses fit worse
    }
  }

  // Save, close the program, start it again and open the project: the same
  // list comes back, with the validation files the plots read.
  const std::vector<ModelSummary> saved = Summarise(*main.ModelList());
  const std::string validated = chosen.front()->sName;
  TestUi().AnswerFile(PathOf("road"));
  Run(main.MenuFileSave);
  EXPECT_TRUE(fs::exists(PathOf("road.kvp")));
  EXPECT_FALSE(main.Modified());
  TMainForm& reopened = Restart();
  TestUi().AnswerFile(PathOf("road.kvp"));
  Run(reopened.MenuFileOpen);
  EXPECT_NE(reopened.RichEdit->toPlainText().toStdString().find("\nSource file: " + PathOf("road.kvp")),
            std::string::npos);
  EXPECT_EQ(Summarise(*reopened.ModelList()), saved);
  EXPECT_EQ(reopened.DataSet().iObjCount, 204);
  EXPECT_EQ(CountStatus(reopened.DataSet(), kStatusPrediction), prediction);

  script_.Then<TViewSelForm>("reopened list: view a validated model", [&validated](TViewSelForm& w) {
    int row = 1;
    while (row < w.StringGridResults->RowCount() && w.Table().RowModel(row)->sName != validated) ++row;
    SelectRows(w.StringGridResults, kVariablesColumn, row, row);
    w.SpeedButtonViewSelMod->click();
  });
  script_.Then<TViewSelModForm>("reopened model: leave-many-out plot", [](TViewSelModForm& w) {
    w.SpeedButtonLMO->click();
  });
  script_.Then<TViewGraphForm>("leave-many-out plot", [](TViewGraphForm& w) {
    EXPECT_EQ(w.Kind(), GraphKind::LeaveManyOut);
    EXPECT_EQ(PlottedPoints(w), 100 + 1);  // the iterations and the model itself
    w.close();
  });
  script_.Then<TViewSelModForm>("reopened model: close", [](TViewSelModForm& w) { w.close(); });
  script_.Then<TViewSelForm>("reopened list: cancel", [](TViewSelForm& w) { w.ButtonCancel->click(); });
  Run(reopened.MenuViewAndSelModels);
  EXPECT_EQ(Summarise(*reopened.ModelList()), saved);

  // Apply the example stored model to two new chemicals: the model is refitted
  // with them as prediction objects and shown.
  TestUi().clipboard = kNewChemicals;
  script_.Then<TFormAvailMod>("stored models", OpenExampleModel);
  script_.Then<TFormAddExtData>("new chemicals", [](TFormAddExtData& w) {
    PasteNewChemicals(w);
    w.ButtonAccept->click();
  });
  script_.Then<TViewSelModForm>("stored model", [](TViewSelModForm& w) {
    const DataResultNode& model = w.Analysis().Model();
    EXPECT_EQ(model.iSize, 2);
    EXPECT_EQ(model.iTrainCount, 204);
    EXPECT_FALSE(model.cvR2.Missing);
    EXPECT_FALSE(model.cvRMSEext.Missing);
    Grab(w, "stored-model");
    w.close();
  });
  Run(reopened.Availablemodels1);
  ChemoData& applied = reopened.DataSet();
  EXPECT_EQ(applied.iVarCount, 3);
  EXPECT_EQ(applied.iObjCount, 206);
  EXPECT_EQ(CountStatus(applied, kStatusPrediction), 2);
  EXPECT_EQ(applied.tpObjNameStrPtr[205], "new two");

  // Query the database by CAS number.
  script_.Then<TDatabaseForm>("database", [](TDatabaseForm& w) {
    w.EditCAS_00->setText("58");
    w.EditCAS_01->setText("08");
    w.EditCAS_02->setText("2");
    w.ButtonQuery->click();
    EXPECT_EQ(w.StaticTextFound->text(), "Found: 1");
    EXPECT_EQ(w.StringGrid->Cells(3, 1), "000058-08-2");
    Grab(w, "database");
    w.close();
  });
  Run(reopened.MenuItemQueryDB);

  // Compare experimental values with predicted ones the user types in.
  TestUi().clipboard = "1\t1.1\t1\r\n2\t1.9\t1\r\n3\t3.2\t1\r\n4\t3.8\t2\r\n5\t5.3\t2\r\n6\t5.9\t2";
  script_.Then<TFormAddExtData>("experimental against predicted", [](TFormAddExtData& w) {
    EXPECT_EQ(w.windowTitle(), "Validate experimental vs. predicted data");
    w.EditRow->setText("6");
    w.EditRowExit();
    w.StringGrid->SetSelection({2, 1, 2, 1});
    w.SpeedButtonPaste->click();
    w.ButtonAccept->click();
  });
  Run(reopened.Validateexternaldata1);
  ASSERT_EQ(TestUi().Shown().back().caption, "VALIDATION CRITERIA");
  EXPECT_NE(TestUi().Shown().back().text.find("\nQ2-F1 = 0.9952\n"), std::string::npos);

  Grab(reopened, "main");
  // Leaving the program leaves nothing behind.
  const std::string temporary = reopened.TempFolder();
  EXPECT_TRUE(reopened.close());
  EXPECT_FALSE(temporary.empty());
  EXPECT_FALSE(fs::exists(temporary));

  // No step met an error; the only warnings are of the PBT model the folder lacks.
  for (const ScriptedUi::Message& message : TestUi().Shown()) {
    EXPECT_NE(message.Icon(), unsigned(MB_ICONERROR)) << message.text;
    if (message.Icon() == MB_ICONWARNING) {
      EXPECT_EQ(message.text.rfind("PBT Index model is not available", 0), 0u) << message.text;
    }
  }
}

// Escape during a search: the models found so far go, the search can be set up
// afresh, and the next search fills the list.
TEST_F(WholeRoadTest, AnAbortedSearchLeavesNoModelsAndTheNextSearchRuns) {
  TMainForm& main = Start();
  ImportAndSetUp(main);
  auto searchToSize = [this](const char* size) {
    script_.Then<TCalculateSetupForm>("search set-up", [size](TCalculateSetupForm& w) {
      EXPECT_TRUE(w.FirstSetup());
      Pick(w.ComboBoxAllSubset, size);
      w.ComboBoxQUIKrule->setCurrentText("None");
      w.ButtonCalculate->click();
    });
  };
  searchToSize("3");
  TestUi().PressEscape();  // answered Yes: abort
  Run(main.MenuCalculateAllSubset);
  EXPECT_TRUE(Shown("Models calculation aborted."));
  EXPECT_EQ(main.ModelList()->Count(), 0);
  EXPECT_FALSE(main.MenuViewAndSelModels->isEnabled());

  searchToSize("2");
  Run(main.MenuCalculateAllSubset);
  EXPECT_TRUE(Shown("Models calculation completed."));
  EXPECT_EQ(CountBySize(*main.ModelList()), (std::map<int, int>{{1, 8}, {2, 10}}));  // ten kept per size
  EXPECT_TRUE(main.MenuViewAndSelModels->isEnabled());
}

}  // namespace

// Makes the pictures of the help documents: walks the road of a first session on
// the example data through the program's own windows in the real event loop, as
// a user does, and saves each window as the user meets it.
//   korvane_help_pictures FOLDER      (scripts/make-help-pictures.sh)
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/Main.h"
#include "app/SplMain.h"
#include "data/DataResult.h"
#include "database/DbbMain.h"
#include "ExampleModelSteps.h"
#include "models/ModelListTable.h"
#include "models/VSmMain.h"
#include "ModalScript.h"
#include "platform/base/Random.h"
#include "platform/qt/QtUiServices.h"
#include "plot/VGrMain.h"
#include "prepare/CPmMain.h"
#include "prepare/IDtMain.h"
#include "prepare/ISmMain.h"
#include "prepare/McsMain.h"
#include "prepare/SDtMain.h"
#include "prepare/VDtMain.h"
#include "select/CStMain.h"
#include "support/ScriptedUi.h"
#include "validate/AVmMain.h"
#include "validate/CAnMain.h"
#include "validate/VMdMain.h"
#include "validate/VMsMain.h"

namespace fs = std::filesystem;

namespace {

std::string pictureFolder;

// Saves the window as it shows now, or the part of it in area, at the given size
// when one is given.
void Save(QWidget& window, const char* name, QSize size = {}, QRect area = QRect(QPoint(0, 0), QSize(-1, -1))) {
  if (size.isValid()) window.resize(size);
  QCoreApplication::processEvents();
  EXPECT_TRUE(window.grab(area).save(QString::fromStdString(pictureFolder + "/" + name + ".png"))) << name;
}

// Drags the mouse over a widget with the left button down, from one point to another.
void Drag(QWidget* widget, QPoint from, QPoint to) {
  auto send = [widget](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
  };
  send(QEvent::MouseButtonPress, from, Qt::LeftButton);
  send(QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
  send(QEvent::MouseMove, to, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, to, Qt::NoButton);
  QCoreApplication::processEvents();
}

// Presses a key in a widget.
void Press(QWidget* widget, Qt::Key key) {
  for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
    QKeyEvent event(type, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
  }
  QCoreApplication::processEvents();
}

// Answers every message as the scripted services do; lets the walk act while a
// message is up (the search window is still open under its closing message).
class PictureUi : public ScriptedUi {
public:
  int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override {
    if (onMessage) onMessage(text);
    return ScriptedUi::MessageBox(text, caption, flags);
  }
  std::function<void(const std::string&)> onMessage;
};

int VariableRow(const ChemoData& data, const std::string& name) {
  for (int v = 0; v < data.iVarCount; ++v)
    if (data.tpVarNameStrPtr[v] == name) return v + 1;
  ADD_FAILURE() << "no variable " << name;
  return 1;
}

class HelpPictures : public testing::Test {
protected:
  void SetUp() override {
    InstallUi(&ui_);
    script_.Always<TSplashForm>("welcome window", [](TSplashForm& w) { w.close(); });
    SetRandomizeClock([]() -> uint64_t { return 7; });  // the same split every time
    previous_ = fs::current_path();
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    for (const char* name : {"help", "models", "database"})
      fs::copy(fs::path(KORVANE_ASSETS_DIR) / name, folder_ / name, fs::copy_options::recursive);
    fs::current_path(folder_);
    main_ = std::make_unique<TMainForm>();
    main_->show();
  }
  void TearDown() override {
    main_.reset();
    SetRandomizeClock(nullptr);
    fs::current_path(previous_);
    fs::remove_all(folder_);
    InstallUi(&TestUi());
  }
  void Run(QAction* command) {
    ASSERT_TRUE(command->isEnabled()) << command->text().toStdString();
    command->trigger();
    EXPECT_TRUE(script_.Done());
  }

  PictureUi ui_;
  ModalScript script_;
  std::unique_ptr<TMainForm> main_;

private:
  // The main folder, whose name the log shows.
  const fs::path folder_ = fs::temp_directory_path() / "korvane-pictures";
  fs::path previous_;
};

TEST_F(HelpPictures, AFirstSessionOnTheExampleData) {
  TMainForm& main = *main_;
  ChemoData& data = main.DataSet();

  // Import with both filters; the response is kept out of them.
  script_.Then<TImportDataForm>("import", [](TImportDataForm& w) {
    w.CheckBoxFilterConst->click();
    w.CheckBoxFilterCorr->click();
    w.StringGrid->SetSelection({2, 2, 2, 2});
    w.PopupMenuExcludeFilter->trigger();
    Save(w, "import", {900, 560});
    w.ButtonImport->click();
  });
  Run(main.Loadexample1);
  ASSERT_EQ(data.iObjCount, 204);
  main.resize(900, 560);
  main.RichEdit->verticalScrollBar()->setValue(0);  // the start of the import's report
  Save(main, "main-window");

  script_.Then<TViewDataForm>("data viewer", [](TViewDataForm& w) {
    Save(w, "data-viewer", {900, 520});
    w.close();
  });
  Run(main.MenuViewData);

  // The response, every descriptor as a variable, a fifth of the objects for prediction.
  script_.Then<TDataSetupForm>("set-up", [&data](TDataSetupForm& w) {
    const int response = VariableRow(data, "Activity");
    SelectRows(w.StringGridVar, 2, response, response);
    w.ButtonSetY->click();
    SelectRows(w.StringGridVar, 2, response + 1, data.iVarCount);
    w.ButtonSetX->click();
    Pick(w.ComboBoxRandom, "20");
    Save(w, "data-setup");
    w.ButtonOK->click();
  });
  Run(main.MenuDataSetup);

  // All subsets of one to three descriptors.
  ui_.onMessage = [](const std::string& text) {
    if (text == "Models calculation completed.") Save(*QApplication::activeModalWidget(), "search-run");
  };
  script_.Then<TCalculateSetupForm>("search set-up", [](TCalculateSetupForm& w) {
    Pick(w.ComboBoxAllSubset, "3");
    Save(w, "search-setup");
    w.ButtonCalculate->click();
  });
  Run(main.MenuCalculateAllSubset);
  ui_.onMessage = nullptr;
  ASSERT_GT(main.ModelList()->Count(), 5);

  // The model list: the best five chosen and validated, the best examined.
  script_.Then<TViewSelForm>("model list", [](TViewSelForm& w) {
    SelectRows(w.StringGridResults, kVariablesColumn, 1, 5);
    w.SpeedButtonAlwaysSelModel->click();
    w.SpeedButtonExtValidation->click();
    SelectRows(w.StringGridResults, kVariablesColumn, 1, 1);
    Save(w, "model-list", {900, 560});
    w.SpeedButtonViewSelMod->click();
  });
  script_.Then<TViewSelModForm>("single model", [](TViewSelModForm& w) {
    Save(w, "single-model", {900, 640});
    w.SpeedButtonViewWillPlotPred->click();
  });
  script_.Then<TViewGraphForm>("Williams plot", [](TViewGraphForm& w) {
    Save(w, "williams-plot");
    w.close();
  });
  script_.Then<TViewSelModForm>("single model: close", [](TViewSelModForm& w) { w.close(); });
  script_.Then<TViewSelForm>("model list: internal validation", [](TViewSelForm& w) {
    w.SpeedButtonIntValidation->click();
  });
  script_.Then<TValidateModelForm>("internal validation", [](TValidateModelForm& w) {
    w.ComboBoxLMOIter->setCurrentText("100");
    w.ComboBoxYscrIter->setCurrentText("100");
    Save(w, "internal-validation");
    w.ButtonValidate->click();
  });
  script_.Then<TViewSelForm>("model list: the best again", [](TViewSelForm& w) {
    SelectRows(w.StringGridResults, kVariablesColumn, 1, 1);
    w.SpeedButtonViewSelMod->click();
  });
  script_.Then<TViewSelModForm>("single model: Y-scrambling", [](TViewSelModForm& w) { w.SpeedButtonYScramble->click(); });
  script_.Then<TViewGraphForm>("Y-scrambling plot", [](TViewGraphForm& w) {
    Save(w, "validation-plot");
    w.close();
  });
  script_.Then<TViewSelModForm>("single model: close again", [](TViewSelModForm& w) { w.close(); });
  script_.Then<TViewSelForm>("model list: consensus", [](TViewSelForm& w) { w.SpeedButtonModAn->click(); });
  script_.Then<TFormConsensus>("consensus", [](TFormConsensus& w) {
    Save(w, "consensus", {900, 640});
    w.close();
  });
  script_.Then<TViewSelForm>("model list: multi-criteria ranking", [](TViewSelForm& w) {
    w.SpeedButtonMultiCrit->click();
    w.SpeedButtonMCDMgraph->click();
  });
  script_.Then<TViewGraphForm>("MCDM graph", [](TViewGraphForm& w) {
    Save(w, "mcdm-graph");
    w.close();
  });
  script_.Then<TViewSelForm>("model list: accept", [](TViewSelForm& w) { w.ButtonAccept->click(); });
  Run(main.MenuViewAndSelModels);

  // Ranking of the objects on the last three descriptors, the larger the better.
  script_.Then<TFormPcaMcdm>("ranking", [](TFormPcaMcdm& w) {
    const int score = w.StringGrid->ColCount() - 1;
    w.StringGrid->SetSelection({score - 3, 3, score - 1, 3});
    w.Select1->trigger();
    w.SetcolumnMCDMparameters->trigger();
  });
  script_.Then<TFormMCDMparam>("MCDM parameters", [](TFormMCDMparam& w) { w.ButtonOK->click(); });
  script_.Then<TFormPcaMcdm>("ranking: rank", [](TFormPcaMcdm& w) {
    w.SpeedButtonMCDM->click();
    w.resize(900, 560);
    w.StringGrid->horizontalScrollBar()->setValue(w.StringGrid->horizontalScrollBar()->maximum());  // the scores
    Save(w, "ranking");
    w.close();
  });
  Run(main.CalculatePCAorMCDM);

  // The example model applied to two new chemicals.
  ui_.clipboard = kNewChemicals;
  script_.Then<TFormAvailMod>("stored models", OpenExampleModel);
  script_.Then<TFormAddExtData>("new chemicals", [](TFormAddExtData& w) {
    PasteNewChemicals(w);
    Save(w, "apply-model");
    w.ButtonAccept->click();
  });
  script_.Then<TViewSelModForm>("stored model", [](TViewSelModForm& w) { w.close(); });
  Run(main.Availablemodels1);

  // The database: a query by name, its first structure in the viewer.
  script_.Then<TDatabaseForm>("database", [](TDatabaseForm& w) {
    w.RadioButtonChem->click();
    w.EditChem->setText("acid");
    w.ButtonQuery->click();
    Save(w, "database", {900, 600});
    Press(w.StringGrid, Qt::Key_Down);
    Press(w.StringGrid, Qt::Key_Down);
    Drag(w.Image, {150, 100}, {150, 220});  // turns the flat ring towards the viewer
    // The structure and the viewer's options, right of the table.
    const QPoint topLeft = w.Image->mapTo(&w, QPoint(0, 0));
    Save(w, "molecule-viewer", {}, QRect(topLeft, QPoint(w.width() - 1, topLeft.y() + w.Image->height() - 1)));
    w.close();
  });
  Run(main.MenuItemQueryDB);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ApplyProgramFont();
  testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  pictureFolder = fs::absolute(argv[1]).string();  // the walk runs in a main folder of its own
  return RUN_ALL_TESTS();
}

// The "View and select models" window as its user works it: the real window and
// the windows it opens, real clicks and keys, real message boxes answered from a
// timer, and what the window shows read back from its picture and its cells.
#include "models/VSmMain.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest/QTest>
#include <algorithm>
#include <cmath>
#include <utility>

#include "data/TempFiles.h"
#include "platform/base/Random.h"
#include "platform/base/WorkerThreads.h"
#include "platform/qt/QtConvert.h"
#include "platform/qt/QtUiServices.h"
#include "platform/qt/StringGrid.h"
#include "support/FakeProjectHost.h"
#include "support/ScriptedUi.h"
#include "support/TestFolder.h"
#include "support/UserInput.h"
#include "support/WindowSystemInput.h"
#include "validate/InternalValidation.h"
#include "validate/VMdMain.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::FitByEngine;
using validationtest::TestObject;

constexpr int kQ2looColumn = model_list_columns::ColumnTitled("Q2loo");
constexpr int kQ2LmoColumn = model_list_columns::ColumnTitled("Q2 LMO");

uint64_t ZeroClock() { return 0; }

// Forty training objects whose response follows the first two of three descriptors.
std::unique_ptr<ChemoData> RelatedData() {
  std::vector<TestObject> objects;
  for (int i = 0; i < 40; ++i) {
    const long double x0 = std::sin(1.3L * i), x1 = std::cos(0.7L * i + 1), x2 = std::sin(2.9L * i + 2);
    objects.push_back({1, {x0, x1, x2}, 1.5L * x0 - 0.8L * x1 + 0.1L * std::sin(5.1L * i)});
  }
  return validationtest::MakeData(objects);
}

// The colour the window shows at the top left corner of a cell, inside its fill
// and before its text; a hidden grid shows the window's background there.
QColor ShownFill(const QImage& picture, TViewSelForm& form, int col, int row) {
  StringGrid& grid = *form.StringGridResults;
  const QModelIndex index = grid.model()->index(row - grid.FixedRows(), col - grid.FixedCols());
  return picture.pixelColor(grid.viewport()->mapTo(&form, grid.visualRect(index).topLeft() + QPoint(1, 1)));
}

QColor Colour(TColor color) { return ToQColor(color); }

// Tells whether the model's iterations run (from its caption to its end on the bar,
// the one selected model filling the bar), and types Escape into the validation
// window as the first one starts.
struct IterationProgress : Progress {
  explicit IterationProgress(bool& running) : running(running) {}
  void SetText(const std::string&) override {}
  void SetRange(int, int) override {}
  void SetPosition(int position) override { running = running && position != 2147483647; }
  void AnimationTick() override {}
  void SetCaption(const std::string& caption) override {
    if (caption.starts_with("Calc.")) return;  // the share done
    running = true;
    if (typeEscape && !std::exchange(typed, true)) {
      QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      SendFromWindowSystem(QApplication::activeModalWidget(), escape);
    }
  }
  bool& running;
  bool typeEscape = false;
  bool typed = false;
};

// The program's own message boxes and Escape poll while it lives.
struct QtUi {
  QtUi() { InstallUi(&ui); }
  ~QtUi() { InstallUi(&TestUi()); }
  QtUiServices ui;
};

// In one thread every piece of a model's iterations polls: the first one asks
// when Escape went down before it.
struct OneThread {
  OneThread() { SetWorkerThreadCount(1); }
  ~OneThread() { SetWorkerThreadCount(0); }
};

class ModelListWindow : public ::testing::Test {
protected:
  ModelListWindow() {
    TestUi().Reset();
    SetRandomizeClock(ZeroClock);
    for (int kind = 0; kind < kValidationKindCount; ++kind) registry.AddName(ValidationFileTag(kind));
    host.registry = &registry;
    host.models = new DataResultList(data.get());
  }
  ~ModelListWindow() override {
    SetRandomizeClock(nullptr);
    delete host.models;
  }

  // The models of the variables in the order given, with ids from 1; selected
  // where states says so.
  std::vector<DataResultNode*> Fit(const std::vector<std::vector<int>>& variables, const std::vector<int>& states) {
    std::vector<DataResultNode*> models;
    for (std::size_t i = 0; i < variables.size(); ++i) {
      DataResultNode& model = FitByEngine(*data, *host.models, variables[i]);
      model.iID = static_cast<int>(i) + 1;
      model.iSelStatus = states[i];
      models.push_back(&model);
    }
    return models;
  }
  std::unique_ptr<TViewSelForm> Open(ProgressWindowFactory progress = {}) {
    auto form = std::make_unique<TViewSelForm>(nullptr, &host.models, data.get(), std::move(progress));
    ShowActive(*form);
    return form;
  }
  static std::vector<std::string> ShownIds(const TViewSelForm& form) {
    std::vector<std::string> ids;
    for (int row = 1; row <= form.Table().RowCount(); ++row) ids.push_back(form.Cells(kIdColumn, row));
    return ids;
  }

  TestFolder folder;
  TempFiles registry{folder.Dir()};
  FakeProjectHost host;
  std::unique_ptr<ChemoData> data = RelatedData();
};

// The user sorts by another column with the mouse and the keyboard: the table
// shows the models in the new order, drawn with the window's colours (the sort
// column magenta, the states' letters lime or grey, the groups of selected and
// unselected models bright or dim).
TEST_F(ModelListWindow, TheUserSortsAndSeesTheTableInItsColours) {
  const std::vector<DataResultNode*> models = Fit({{0}, {1}, {2}, {0, 1}, {0, 2}, {1, 2}}, {3, 0, 3, 0, 1, 3});
  auto form = Open();
  ASSERT_TRUE(form->StringGridResults->isVisible());
  QImage picture = form->grab().toImage();
  EXPECT_EQ(ShownFill(picture, *form, kR2Column, 2), Colour(0xFF00FF));  // sorted by R2
  EXPECT_EQ(ShownFill(picture, *form, kQ2looColumn, 2), Colour(0xB0B0F0));

  QTest::mouseClick(form->ComboBoxSort, Qt::LeftButton);
  QAbstractItemView* list = form->ComboBoxSort->view();
  ASSERT_TRUE(ProcessEventsUntil([list] { return list->isVisible(); }));
  for (int item = form->ComboBoxSort->currentIndex(); item < ColumnSortItem(kQ2looColumn); ++item)
    QTest::keyClick(list, Qt::Key_Down);
  QTest::keyClick(list, Qt::Key_Return);
  ASSERT_EQ(form->ComboBoxSort->currentText(), "Q2loo");

  std::vector<DataResultNode*> byQ2 = models;
  std::stable_sort(byQ2.begin(), byQ2.end(),
                   [](auto* a, auto* b) { return a->cvQ2loo.Value > b->cvQ2loo.Value; });
  std::vector<std::string> expected;
  for (DataResultNode* model : byQ2) expected.push_back(std::to_string(model->iID));
  EXPECT_EQ(ShownIds(*form), expected);
  ASSERT_TRUE(form->StringGridResults->isVisible());
  picture = form->grab().toImage();
  for (int row = 1; row <= 6; ++row) {
    const bool selected = IsSelectedState(form->Table().RowModel(row)->iSelStatus);
    EXPECT_EQ(ShownFill(picture, *form, kQ2looColumn, row), Colour(0xFF00FF)) << row;
    EXPECT_EQ(ShownFill(picture, *form, kStatusColumn, row), Colour(selected ? 0x00FF00 : 0x808080)) << row;
    EXPECT_EQ(ShownFill(picture, *form, kR2Column, row), Colour(selected ? 0xB0F0F0 : 0xB0D0D0)) << row;  // fit
    EXPECT_EQ(ShownFill(picture, *form, kIdColumn, row), selected ? QColor(Qt::white) : Colour(0xE0E0E0)) << row;
  }
}

// The user validates the one selected model from the list and types Escape
// while its iterations run: No to the question goes on to the values a run
// without Escape gives, and the table shows them.
TEST_F(ModelListWindow, NoToTheAbortQuestionDuringTheIterationsKeepsTheModel) {
  Fit({{0}, {0, 1}}, {0, 3});
  OneThread thread;
  // Cancel gives the window's list back as a copy of the one it opened on.
  auto selected = [this]() -> DataResultNode& { return *host.models->Last(); };
  QtUi ui;
  std::vector<std::string> asked;
  auto validate = [&](bool typeEscape) {
    bool running = false;
    auto form = Open([&running, typeEscape](bool) {
      auto progress = std::make_unique<IterationProgress>(running);
      progress->typeEscape = typeEscape;
      return progress;
    });
    QTimer user;
    bool started = false;
    QObject::connect(&user, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        asked.push_back(StdStr(box->text()) + (running ? " (iterating)" : ""));
        QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
      } else if (auto* window = dynamic_cast<TValidateModelForm*>(modal); window != nullptr && !started) {
        started = true;
        window->ComboBoxLMOPercPred->setCurrentText("50");
        window->ComboBoxLMOIter->setCurrentText("2000");
        window->ComboBoxYscrIter->setCurrentText("100");
        QTimer::singleShot(0, window, [window] { QTest::mouseClick(window->ButtonValidate, Qt::LeftButton); });
      }
    });
    user.start(10);
    QTest::mouseClick(form->SpeedButtonIntValidation, Qt::LeftButton);
    EXPECT_TRUE(started);
    return form;
  };

  auto form = validate(false);
  const long double q2Lmo = selected().cvQ2LMO.Value;
  const long double r2Yscr = selected().cvR2Yscr.Value;
  ASSERT_FALSE(selected().cvQ2LMO.Missing);
  const std::string lmoFile = ReadFileText(registry.FindTempFilePath("~many~", 0));
  form->ButtonCancel->click();  // puts the model back as it was before the run
  ASSERT_TRUE(selected().cvQ2LMO.Missing);
  EXPECT_TRUE(asked.empty());

  form = validate(true);
  EXPECT_EQ(asked, std::vector<std::string>{"Do you really want to abort calculation? (iterating)"});
  EXPECT_FALSE(selected().cvQ2LMO.Missing);
  EXPECT_EQ(selected().cvQ2LMO.Value, q2Lmo);
  EXPECT_EQ(selected().cvR2Yscr.Value, r2Yscr);
  ASSERT_EQ(form->Table().RowModel(1), &selected());
  EXPECT_EQ(form->Cells(kQ2LmoColumn, 1), FloatToStrF(q2Lmo, FloatFormat::Fixed, 18, 4));
  EXPECT_EQ(ReadFileText(registry.FindTempFilePath("~many~", 0)), lmoFile);  // the same iterations
}

}  // namespace

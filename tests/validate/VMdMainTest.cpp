#include "validate/VMdMain.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "data/TempFiles.h"
#include "platform/base/Random.h"
#include "platform/qt/QtUiServices.h"
#include "support/EventLoop.h"
#include "support/ScriptedUi.h"
#include "support/TestFolder.h"
#include "support/WindowSystemInput.h"
#include "validate/InternalValidation.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::AddModel;
using validationtest::MakeData;
using validationtest::TestObject;

uint64_t ZeroClock() { return 0; }

struct SilentProgress : Progress {
  void SetText(const std::string&) override {}
  void SetRange(int, int) override {}
  void SetPosition(int) override {}
  void AnimationTick() override {}
};

// Records the hourglass depth at the end of each model (the bar's steps).
struct BusyProbe : SilentProgress {
  explicit BusyProbe(std::vector<int>& depths) : depths(depths) {}
  void SetPosition(int position) override {
    if (position > 0) depths.push_back(TestUi().busyDepth);
  }
  std::vector<int>& depths;
};

// Clicks Cancel, through the event loop, once the first model is done.
struct CancelAfterFirstModel : SilentProgress {
  explicit CancelAfterFirstModel(TValidateModelForm& form) : form(form) {}
  void SetPosition(int position) override {
    if (position > 0 && !clicked)
      QMetaObject::invokeMethod(form.ButtonCancel, [button = form.ButtonCancel] { button->click(); }, Qt::QueuedConnection);
    clicked = clicked || position > 0;
  }
  TValidateModelForm& form;
  bool clicked = false;
};

// Runs an action through the event loop once the first model has begun: it comes
// while the run polls the Escape key, as the window system's input does.
struct ActDuringFirstModel : SilentProgress {
  explicit ActDuringFirstModel(std::function<void()> action) : action(std::move(action)) {}
  void SetCaption(const std::string&) override {
    if (action) QMetaObject::invokeMethod(QCoreApplication::instance(), std::exchange(action, {}), Qt::QueuedConnection);
  }
  std::function<void()> action;
};

// Types Escape during the first model: it reaches the window once the model is done.
struct EscapeDuringFirstModel : SilentProgress {
  explicit EscapeDuringFirstModel(QWidget& form) : form(form) {}
  void SetCaption(const std::string&) override {
    if (!typed) QCoreApplication::postEvent(&form, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    typed = true;
  }
  QWidget& form;
  bool typed = false;
};

struct ValidateWindow : ::testing::Test {
  void SetUp() override {
    TestUi().Reset();
    SetRandomizeClock(ZeroClock);
    for (int kind = 0; kind < kValidationKindCount; ++kind) registry.AddName(ValidationFileTag(kind));
  }
  void TearDown() override { SetRandomizeClock(nullptr); }

  std::unique_ptr<TValidateModelForm> Open(bool allModels = false, ProgressWindowFactory progress = {}) {
    return std::make_unique<TValidateModelForm>(nullptr, allModels, &list, data.get(), &registry, std::move(progress));
  }
  // Shows the window, presses Validate and runs the event loop until the window
  // closes itself; false when it is still open after 20 s.
  static bool ValidateAndWait(TValidateModelForm& form) {
    form.show();
    form.ButtonValidate->click();
    return ProcessEventsUntil([&form] { return form.Result() != mrNone; });
  }

  TestFolder folder;
  TempFiles registry{folder.Dir()};
  std::unique_ptr<ChemoData> data = MakeData({{1, {1}, 2.1L}, {1, {2}, 3.9L}, {1, {3}, 6.2L}, {1, {4}, 7.8L},
                                              {1, {5}, 10.1L}, {1, {6}, 12.2L}});
  DataResultList list{data.get()};
};

TEST_F(ValidateWindow, OpensWithTheDefaultsAndLayout) {
  auto form = Open();
  EXPECT_EQ(form->windowTitle(), "Internal model validation");
  EXPECT_EQ(form->size(), QSize(316, 202));
  EXPECT_EQ(form->GroupBoxInt->width(), 298);
  EXPECT_EQ(form->ButtonCancel->pos(), QPoint(144, 140));
  EXPECT_EQ(form->ButtonValidate->pos(), QPoint(228, 140));
  EXPECT_TRUE(form->CheckBoxLMO->isChecked());
  EXPECT_TRUE(form->CheckBoxYScramble->isChecked());
  EXPECT_FALSE(form->CheckBoxRandDesc->isChecked());
  EXPECT_FALSE(form->ComboBoxXrndIter->isEnabled());
  EXPECT_TRUE(form->ComboBoxLMOPercPred->isEnabled());
  EXPECT_EQ(form->ComboBoxYrndIter->count(), 15);
  EXPECT_EQ(form->ComboBoxYrndIter->currentText(), "2000");
  EXPECT_EQ(form->ComboBoxLMOPercPred->count(), 10);
  EXPECT_EQ(form->ComboBoxLMOPercPred->currentText(), "30");
  if (const char* dir = std::getenv("KORVANE_PNG_DIR")) form->grab().save(QString(dir) + "/validate-dialog.png");
  form->CheckBoxLMO->click();
  EXPECT_FALSE(form->ComboBoxLMOPercPred->isEnabled());
  EXPECT_FALSE(form->ComboBoxLMOIter->isEnabled());
}

TEST_F(ValidateWindow, SizeCheckWarnsOnShowingAndOnEachChange) {
  auto form = Open();
  form->FormActivate();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).caption, "LMO WARNING");
  form->ComboBoxLMOPercPred->setCurrentText("50");
  EXPECT_EQ(TestUi().Shown().size(), 1u);
  form->ComboBoxLMOPercPred->setCurrentText("5");
  EXPECT_EQ(TestUi().Shown().size(), 2u);
}

TEST_F(ValidateWindow, TheEventLoopRunsEveryModelAndKindAndClosesTheWindow) {
  DataResultNode& first = AddModel(list, {0}, {0.0L, 2.0L}, 3);
  DataResultNode& other = AddModel(list, {0}, {0.0L, 2.0L}, 0);
  DataResultNode& last = AddModel(list, {0}, {0.0L, 2.0L}, 1);
  auto form = Open();
  form->ComboBoxLMOPercPred->setCurrentText("50");
  for (QComboBox* combo : {form->ComboBoxLMOIter, form->ComboBoxYscrIter, form->ComboBoxXrndIter, form->ComboBoxYrndIter})
    combo->setCurrentText("100");
  form->CheckBoxRandDesc->click();
  form->CheckBoxRandResp->click();
  ASSERT_TRUE(ValidateAndWait(*form));
  EXPECT_EQ(form->Result(), mrOk);
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(form->IdleInstalled());
  for (DataResultNode* model : {&first, &last})
    for (const CheckedValue* cell : {&model->cvQ2LMO, &model->cvR2Yscr, &model->cvQ2Yscr, &model->cvR2Xrnd,
                                     &model->cvQ2Xrnd, &model->cvR2Yrnd, &model->cvQ2Yrnd})
      EXPECT_FALSE(cell->Missing);
  EXPECT_TRUE(other.cvQ2LMO.Missing);
  EXPECT_TRUE(other.cvR2Yrnd.Missing);
  for (QCheckBox* box : {form->CheckBoxLMO, form->CheckBoxYScramble, form->CheckBoxRandDesc, form->CheckBoxRandResp})
    EXPECT_FALSE(box->isChecked());
  EXPECT_TRUE(form->ButtonValidate->isEnabled());
  EXPECT_TRUE(TestUi().Shown().empty());
}

TEST_F(ValidateWindow, OneModelOfOneKindClosesByItself) {
  DataResultNode& model = AddModel(list, {0}, {0.0L, 2.0L});
  auto form = Open();
  form->CheckBoxLMO->click();
  form->ComboBoxYscrIter->setCurrentText("100");
  ASSERT_TRUE(ValidateAndWait(*form));
  EXPECT_FALSE(model.cvR2Yscr.Missing);
  EXPECT_TRUE(model.cvQ2LMO.Missing);
}

TEST_F(ValidateWindow, TheHourglassStaysForTheWholeRun) {
  AddModel(list, {0}, {0.0L, 2.0L});
  AddModel(list, {0}, {0.0L, 2.0L});
  std::vector<int> depths;
  auto form = Open(false, [&depths](bool) { return std::make_unique<BusyProbe>(depths); });
  form->CheckBoxLMO->click();
  form->ComboBoxYscrIter->setCurrentText("100");
  ASSERT_TRUE(ValidateAndWait(*form));
  EXPECT_EQ(depths, (std::vector<int>{1, 1}));  // at the end of each model
  EXPECT_EQ(TestUi().busyDepth, 0);
}

// The first poll comes before the first model.
TEST_F(ValidateWindow, EscapeAnsweredYesBeforeTheFirstModelEndsTheRun) {
  DataResultNode& first = AddModel(list, {0}, {0.0L, 2.0L});
  DataResultNode& second = AddModel(list, {0}, {0.0L, 2.0L});
  auto form = Open();
  form->ComboBoxLMOPercPred->setCurrentText("50");
  form->ComboBoxLMOIter->setCurrentText("100");
  TestUi().PressEscape();
  TestUi().Answer(IDYES);
  ASSERT_TRUE(ValidateAndWait(*form));
  EXPECT_TRUE(first.cvQ2LMO.Missing);
  EXPECT_TRUE(second.cvQ2LMO.Missing);
  EXPECT_TRUE(first.cvR2Yscr.Missing);
  EXPECT_FALSE(form->CheckBoxYScramble->isChecked());
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Do you really want to abort calculation?");
}

TEST_F(ValidateWindow, CancelDuringARunFinishesTheModelAndThenCloses) {
  DataResultNode& first = AddModel(list, {0}, {0.0L, 2.0L});
  AddModel(list, {0}, {0.0L, 2.0L});
  DataResultNode& last = AddModel(list, {0}, {0.0L, 2.0L});
  std::unique_ptr<TValidateModelForm> form;
  // The end of the first model clicks Cancel through the event loop.
  form = Open(false, [&form](bool) { return std::make_unique<CancelAfterFirstModel>(*form); });
  form->ComboBoxLMOPercPred->setCurrentText("50");
  form->ComboBoxLMOIter->setCurrentText("100");
  ASSERT_TRUE(ValidateAndWait(*form));
  EXPECT_FALSE(first.cvQ2LMO.Missing);
  EXPECT_TRUE(last.cvQ2LMO.Missing);
  EXPECT_TRUE(first.cvR2Yscr.Missing);
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(form->IdleInstalled());
}

// Escape typed during a model that holds no poll (the scripted one) reaches the
// window: the poll before the next model asks, and Yes ends the run there.
TEST_F(ValidateWindow, EscapeTypedBetweenModelsAsksFirst) {
  for (int answer : {IDNO, IDYES}) {
    TestUi().Reset();
    list.Clear();
    DataResultNode& first = AddModel(list, {0}, {0.0L, 2.0L});
    DataResultNode& second = AddModel(list, {0}, {0.0L, 2.0L});
    DataResultNode& last = AddModel(list, {0}, {0.0L, 2.0L});
    std::unique_ptr<TValidateModelForm> form;
    form = Open(false, [&form](bool) { return std::make_unique<EscapeDuringFirstModel>(*form); });
    form->ComboBoxLMOPercPred->setCurrentText("50");
    form->ComboBoxLMOIter->setCurrentText("100");
    form->CheckBoxYScramble->click();
    TestUi().Answer(answer);
    ASSERT_TRUE(ValidateAndWait(*form));
    ASSERT_EQ(TestUi().Shown().size(), 1u);
    EXPECT_EQ(TestUi().Shown(0).text, "Do you really want to abort calculation?");
    EXPECT_FALSE(first.cvQ2LMO.Missing);
    EXPECT_EQ(second.cvQ2LMO.Missing, answer == IDYES);
    EXPECT_EQ(last.cvQ2LMO.Missing, answer == IDYES);
  }
}

// With the program's own user-interface services, which hold off input while a
// model is computed: Cancel and the close box still reach the window.
struct ValidateWindowOnQt : ValidateWindow {
  void SetUp() override {
    ValidateWindow::SetUp();
    InstallUi(&ui);
  }
  void TearDown() override {
    InstallUi(&TestUi());
    ValidateWindow::TearDown();
  }
  // Three models, leave-many-out only; the action comes during the first model.
  void RunWith(const std::function<void(TValidateModelForm&)>& action) {
    first = &AddModel(list, {0}, {0.0L, 2.0L});
    AddModel(list, {0}, {0.0L, 2.0L});
    last = &AddModel(list, {0}, {0.0L, 2.0L});
    std::unique_ptr<TValidateModelForm> form;
    form = Open(false, [&form, &action](bool) {
      return std::make_unique<ActDuringFirstModel>([&form, &action] { action(*form); });
    });
    form->ComboBoxLMOPercPred->setCurrentText("50");
    form->ComboBoxLMOIter->setCurrentText("100");
    form->CheckBoxYScramble->click();
    ASSERT_TRUE(ValidateAndWait(*form));
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(first->cvQ2LMO.Missing);
    EXPECT_TRUE(last->cvQ2LMO.Missing);
  }
  QtUiServices ui;
  DataResultNode* first = nullptr;
  DataResultNode* last = nullptr;
};

TEST_F(ValidateWindowOnQt, CancelClickedDuringAModelEndsTheRunAfterIt) {
  RunWith([](TValidateModelForm& form) { ClickFromWindowSystem(form.ButtonCancel); });
}

TEST_F(ValidateWindowOnQt, TheCloseBoxDuringAModelEndsTheRunAfterIt) {
  RunWith([](TValidateModelForm& form) {
    QCloseEvent close;
    SendFromWindowSystem(&form, close);
  });
}

TEST_F(ValidateWindow, NoKindCheckedClosesAtOnce) {
  auto form = Open();
  form->CheckBoxLMO->click();
  form->CheckBoxYScramble->click();
  ASSERT_TRUE(ValidateAndWait(*form));
  EXPECT_EQ(form->Result(), mrOk);
  EXPECT_EQ(TestUi().busyDepth, 0);
}

// Types Escape at the model's first poll and tells whether the model runs (the bar
// reaches the end of the one model's step when it is done).
struct EscapeProgress : ActDuringFirstModel {
  EscapeProgress(bool& running, std::function<void()> typeEscape)
      : ActDuringFirstModel(std::move(typeEscape)), running(running) {}
  void SetCaption(const std::string& caption) override {
    running = true;
    ActDuringFirstModel::SetCaption(caption);
  }
  void SetPosition(int position) override { running = running && position != 2147483647; }
  bool& running;
};

// Escape typed while the worker threads refit a model of 17 descriptors, the
// question answered from a timer as a user would answer it.
struct EscapeDuringTheIterations : ValidateWindowOnQt {
  void SetUp() override {
    ValidateWindowOnQt::SetUp();
    std::vector<TestObject> objects;
    for (int i = 0; i < 40; ++i) {
      TestObject object{1, {}, 0.0L};
      for (int v = 0; v < 17; ++v) object.x.push_back(std::sin(1.7L * i * (v + 1) + v) + 0.05L * i);
      *object.y = object.x[0] - 2.0L * object.x[1] + 0.3L * std::cos(3.1L * i);
      objects.push_back(object);
    }
    data = MakeData(objects);
    std::vector<int> all(17);
    for (int v = 0; v < 17; ++v) all[v] = v;
    model = &AddModel(list, all, std::vector<long double>(18, 1.0L));
    answerer.setInterval(10);
    QObject::connect(&answerer, &QTimer::timeout, [this] {
      if (modelRunning && sinceAnswer.isValid()) ++ticksAfterAnswer;
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || answer == QMessageBox::NoButton) return;
      asked = box->text().toStdString();
      sinceAnswer.start();
      box->button(std::exchange(answer, QMessageBox::NoButton))->click();
    });
    answerer.start();
  }
  // Random descriptors for the model, N iterations, through the window until it closes;
  // with `reply`, Escape comes at the first poll of the iterations.
  void Validate(const char* iterations, QMessageBox::StandardButton reply = QMessageBox::NoButton) {
    answer = reply;
    std::unique_ptr<TValidateModelForm> form;
    ProgressWindowFactory progress = [this, &form](bool) {
      return std::make_unique<EscapeProgress>(modelRunning, [&form] {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        SendFromWindowSystem(form.get(), escape);
      });
    };
    form = Open(false, reply == QMessageBox::NoButton ? ProgressWindowFactory{} : progress);
    form->CheckBoxLMO->click();
    form->CheckBoxYScramble->click();
    form->CheckBoxRandDesc->click();
    form->ComboBoxXrndIter->setCurrentText(iterations);
    ASSERT_TRUE(ValidateAndWait(*form));
    EXPECT_EQ(asked, reply == QMessageBox::NoButton ? "" : "Do you really want to abort calculation?");
  }
  // The validation file and the model's cells.
  std::string File() const { return ReadFileText(registry.FindTempFilePath("~rdes~", 0)); }
  std::string State() const {
    return File() + std::to_string(model->cvR2Xrnd.Value) + std::to_string(model->cvQ2Xrnd.Value);
  }
  DataResultNode* model = nullptr;
  QTimer answerer;
  QMessageBox::StandardButton answer = QMessageBox::NoButton;
  std::string asked;
  QElapsedTimer sinceAnswer;
  bool modelRunning = false;
  int ticksAfterAnswer = 0;  // of the timer while the model still ran
};

TEST_F(EscapeDuringTheIterations, YesStopsTheModelAtOnceAndLeavesItAsItWas) {
  Validate("100");
  const std::string before = State();
  ASSERT_EQ(File().size(), 8 + 4 * 17 + 72 * 100u);
  Validate("10000", QMessageBox::Yes);  // seconds of work on every thread
  EXPECT_LT(sinceAnswer.elapsed(), 1000);
  EXPECT_EQ(State(), before);
}

TEST_F(EscapeDuringTheIterations, NoGoesOnToTheResultOfARunWithoutEscape) {
  Validate("500");
  const std::string without = State();
  Validate("500", QMessageBox::No);
  EXPECT_EQ(State(), without);
  EXPECT_GT(ticksAfterAnswer, 0);  // events are handled while the threads work
}

}  // namespace

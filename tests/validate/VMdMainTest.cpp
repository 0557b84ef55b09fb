#include "validate/VMdMain.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>

#include "data/TempFiles.h"
#include "platform/base/Random.h"
#include "support/ScriptedUi.h"
#include "support/TestFolder.h"
#include "validate/InternalValidation.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::AddModel;
using validationtest::MakeData;
using validationtest::TestObject;

uint64_t ZeroClock() { return 0; }

struct ValidateWindow : ::testing::Test {
  void SetUp() override {
    TestUi().Reset();
    SetRandomizeClock(ZeroClock);
    for (int kind = 0; kind < kValidationKindCount; ++kind) registry.AddName(ValidationFileTag(kind));
  }
  void TearDown() override { SetRandomizeClock(nullptr); }

  std::unique_ptr<TValidateModelForm> Open(bool allModels = false) {
    return std::make_unique<TValidateModelForm>(nullptr, allModels, &list, data.get(), &registry);
  }
  // Idle calls until the run is over, then the timer tick.
  void Finish(TValidateModelForm& form) {
    for (int calls = 0; form.Running() && calls < 100; ++calls) form.IdleStep();
    form.TimerTimer();
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

TEST_F(ValidateWindow, RunValidatesTheSelectedModelsAndCloses) {
  DataResultNode& selected = AddModel(list, {0}, {0.0L, 2.0L}, 3);
  DataResultNode& other = AddModel(list, {0}, {0.0L, 2.0L}, 0);
  auto form = Open();
  form->ComboBoxLMOPercPred->setCurrentText("50");
  form->ComboBoxLMOIter->setCurrentText("100");
  form->ComboBoxYscrIter->setCurrentText("100");
  form->ButtonValidateClick();
  EXPECT_FALSE(form->ButtonValidate->isEnabled());
  EXPECT_FALSE(form->CheckBoxLMO->isEnabled());
  form->TimerTimer();
  EXPECT_TRUE(form->IdleInstalled());
  Finish(*form);
  EXPECT_FALSE(form->IdleInstalled());
  EXPECT_EQ(form->Result(), mrOk);
  EXPECT_FALSE(selected.cvQ2LMO.Missing);
  EXPECT_FALSE(selected.cvR2Yscr.Missing);
  EXPECT_TRUE(other.cvQ2LMO.Missing);
  EXPECT_FALSE(form->CheckBoxLMO->isChecked());
  EXPECT_FALSE(form->CheckBoxYScramble->isChecked());
}

TEST_F(ValidateWindow, CancelDuringARunFinishesTheModelAndThenCloses) {
  DataResultNode& first = AddModel(list, {0}, {0.0L, 2.0L});
  DataResultNode& second = AddModel(list, {0}, {0.0L, 2.0L});
  auto form = Open();
  form->ComboBoxLMOPercPred->setCurrentText("50");
  form->ButtonValidateClick();
  form->IdleStep();
  form->ButtonCancel->click();
  EXPECT_EQ(form->Result(), mrNone);
  Finish(*form);
  EXPECT_FALSE(first.cvQ2LMO.Missing);
  EXPECT_TRUE(second.cvQ2LMO.Missing);
  EXPECT_TRUE(first.cvR2Yscr.Missing);
  EXPECT_NE(form->Result(), mrNone);
}

TEST_F(ValidateWindow, NoKindCheckedClosesAtTheFirstIdleCall) {
  auto form = Open();
  form->CheckBoxLMO->click();
  form->CheckBoxYScramble->click();
  form->ButtonValidateClick();
  form->IdleStep();
  EXPECT_FALSE(form->Running());
  form->TimerTimer();
  EXPECT_EQ(form->Result(), mrOk);
}

}  // namespace

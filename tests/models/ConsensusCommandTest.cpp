#include <gtest/gtest.h>

#include <QAction>
#include <QToolButton>

#include "models/VSmMain.h"
#include "support/FakeProjectHost.h"
#include "support/ScriptedUi.h"
#include "validate/CAnMain.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::FitByEngine;
using validationtest::MakeData;

TEST(ConsensusCommand, OpensTheConsensusWindowOnTheSelectedModelsFromTwoOn) {
  TestUi().Reset();
  FakeProjectHost host;
  auto data = MakeData({{1, {1, 2}, 2.1L}, {1, {2, 1}, 3.9L}, {1, {3, 5}, 6.2L}, {1, {4, 3}, 7.8L},
                        {1, {5, 7}, 10.1L}, {2, {2.5L, 4}, 5.0L}});
  // The list window may put back a list of its own when it closes: the pointer is freed last.
  DataResultList* models = new DataResultList(data.get());
  struct Release {
    DataResultList*& list;
    ~Release() { delete list; }
  } release{models};
  FitByEngine(*data, *models, {0}).iSelStatus = 3;
  FitByEngine(*data, *models, {1}).iSelStatus = 0;
  auto list = std::make_unique<TViewSelForm>(nullptr, &models, data.get());
  std::vector<std::string> opened;
  list->ShowModalWindow = [&](ModalDialog& window) {
    auto& consensus = dynamic_cast<TFormConsensus&>(window);
    opened.push_back(consensus.windowTitle().toStdString());
    EXPECT_EQ(consensus.Calculation().CountSelectedModels(), 2);
  };
  EXPECT_FALSE(list->SpeedButtonModAn->isEnabled());
  EXPECT_FALSE(list->Consensusanalysis1->isEnabled());
  models->Last()->iSelStatus = 3;
  list->UpdateCommandStates();
  EXPECT_TRUE(list->SpeedButtonModAn->isEnabled());
  EXPECT_TRUE(list->Consensusanalysis1->isEnabled());
  list->SpeedButtonModAn->click();
  list->Consensusanalysis1->trigger();
  EXPECT_EQ(opened, (std::vector<std::string>{"Consensus modeling", "Consensus modeling"}));
  EXPECT_TRUE(TestUi().Shown().empty());

  // A window that cannot be made (its per-object arrays cannot be allocated) is reported.
  const int objects = data->iObjCount;
  data->iObjCount = -1;
  list->SpeedButtonModAnClick();
  data->iObjCount = objects;
  EXPECT_EQ(opened.size(), 2u);
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Cannot create Validate models dialog");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
  list.reset();
}

TEST(ConsensusCommand, WithoutSelectedModelsNothingIsComputed) {
  TestUi().Reset();
  FakeProjectHost host;
  auto data = MakeData({{1, {1}, 2.1L}, {1, {2}, 3.9L}, {1, {3}, 6.2L}, {1, {4}, 7.8L}});
  DataResultList* models = new DataResultList(data.get());
  struct Release {
    DataResultList*& list;
    ~Release() { delete list; }
  } release{models};
  FitByEngine(*data, *models, {0}).iSelStatus = 0;
  auto list = std::make_unique<TViewSelForm>(nullptr, &models, data.get());
  int opened = 0;
  list->ShowModalWindow = [&](ModalDialog&) { ++opened; };
  list->SpeedButtonModAnClick();
  EXPECT_EQ(opened, 0);
  EXPECT_TRUE(TestUi().Shown().empty());
  list.reset();
}

}  // namespace

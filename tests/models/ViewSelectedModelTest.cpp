#include <gtest/gtest.h>

#include <QToolButton>

#include "platform/base/Exception.h"
#include "platform/qt/StringGrid.h"
#include "models/VSmMain.h"
#include "support/FakeProjectHost.h"
#include "support/ScriptedUi.h"
#include "validate/VMsMain.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::FitByEngine;
using validationtest::MakeData;

TEST(ViewSelectedModel, OpensTheSingleModelWindowOnTheSelectedRowsModel) {
  TestUi().Reset();
  FakeProjectHost host;
  auto data = MakeData({{1, {1, 2}, 2.1L}, {1, {2, 1}, 3.9L}, {1, {3, 5}, 6.2L}, {1, {4, 3}, 7.8L}, {1, {5, 7}, 10.1L}});
  // The list window may put back a list of its own when it closes: the pointer is freed last.
  DataResultList* models = new DataResultList(data.get());
  struct Release {
    DataResultList*& list;
    ~Release() { delete list; }
  } release{models};
  FitByEngine(*data, *models, {0}).sName = "first";
  FitByEngine(*data, *models, {1}).sName = "second";
  auto list = std::make_unique<TViewSelForm>(nullptr, &models, data.get());
  std::vector<std::string> opened;
  list->ShowModalWindow = [&](ModalDialog& window) {
    auto& view = dynamic_cast<TViewSelModForm&>(window);
    EXPECT_EQ(view.OfferSmdSave(), 1);
    opened.push_back(view.windowTitle().toStdString());
  };
  for (int row = 1; row <= 2; ++row) {
    list->StringGridResults->SetSelection({0, row, 0, row});
    const std::string expected = "Model: " + list->SelectedRowModel()->sName;
    list->SpeedButtonViewSelMod->click();
    ASSERT_EQ(opened.size(), static_cast<std::size_t>(row));
    EXPECT_EQ(opened.back(), expected);
  }
  list->StringGridResults->OnDblClick();
  EXPECT_EQ(opened.size(), 3u);
  EXPECT_TRUE(TestUi().Shown().empty());

  // A window that fails says so in the program's words, whatever the failure carried.
  list->ShowModalWindow = [](ModalDialog&) { throw Exception("Matrix is singular"); };
  list->SpeedButtonViewSelMod->click();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Cannot create Validate models dialog");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
  EXPECT_EQ(TestUi().Shown(0).Icon(), MB_ICONWARNING);
  list.reset();
}

}  // namespace

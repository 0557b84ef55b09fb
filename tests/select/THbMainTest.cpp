#include "select/THbMain.h"

#include <gtest/gtest.h>

#include <QPushButton>

namespace {

TEST(THbMainTest, ResultIsMinusOneUntilAButtonStoresItsNumber) {
  for (int button = 0; button < 3; ++button) {
    int result = 99;
    TFormThreeButtons dialog(nullptr, &result);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Choose option");
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    QPushButton* buttons[] = {dialog.ButtonCancel, dialog.ButtonOK1, dialog.ButtonOK2};
    buttons[button]->click();
    EXPECT_EQ(result, button);
    EXPECT_EQ(dialog.Result(), mrOk);
  }
}

TEST(THbMainTest, ClosingWithoutAButtonLeavesMinusOne) {
  int result = 5;
  TFormThreeButtons dialog(nullptr, &result);
  static_cast<QDialog&>(dialog).reject();
  EXPECT_EQ(result, -1);
  EXPECT_EQ(dialog.Result(), mrCancel);
}

}  // namespace

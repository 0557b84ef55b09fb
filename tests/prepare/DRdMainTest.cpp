#include "prepare/DRdMain.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

namespace {

TEST(DataRequestForm, OnlyConfirmWritesTheEditedTextBack) {
  const struct {
    const char* edited;  // nullptr: left as proposed
    bool confirm;
    std::string expected;
  } cases[] = {
      {nullptr, true, "set-A"}, {"Gr\xFCn", true, "Gr\xFCn"}, {"", true, ""}, {"other", false, "set-A"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    std::string name = "set-A";
    TDataRequestForm form(nullptr, "PCA variable name", &name, nullptr);
    EXPECT_EQ(form.EditInputData->text(), "set-A");
    if (c.edited != nullptr) form.EditInputData->setText(QString::fromLatin1(c.edited));
    if (c.confirm) {
      form.ButtonConfirm->click();
      EXPECT_EQ(form.Result(), mrOk);
    } else {
      form.close();
    }
    EXPECT_EQ(name, c.expected);
  }
}

}  // namespace

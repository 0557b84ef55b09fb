#include "prepare/DRdMain.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

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
    EXPECT_EQ(form.windowTitle(), "PCA variable name");
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

TEST(DataRequestForm, OpensAtTheScreenCentreWithHalvesRoundedDown) {
  std::string name;
  TDataRequestForm form(nullptr, "Splitting variable name", &name, nullptr);
  form.show();
  const QRect screen = form.screen()->geometry();
  const QSize size = form.frameGeometry().size();
  EXPECT_EQ(form.frameGeometry().topLeft(), QPoint(screen.left() + screen.width() / 2 - size.width() / 2,
                                                   screen.top() + screen.height() / 2 - size.height() / 2));
}

}  // namespace

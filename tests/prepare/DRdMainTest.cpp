#include "prepare/DRdMain.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

TEST(DataRequestForm, ShowsTheCaptionAndTheProposedText) {
  std::string name = "set-A";
  TDataRequestForm form(nullptr, "PCA variable name", &name, nullptr);
  EXPECT_EQ(form.windowTitle(), "PCA variable name");
  EXPECT_EQ(form.EditInputData->text(), "set-A");
  EXPECT_EQ(form.ButtonConfirm->text(), "Confirm");
}

TEST(DataRequestForm, ConfirmWritesTheEditedTextBack) {
  std::string name = "MCDM-A";
  {
    TDataRequestForm form(nullptr, "MCDM column name", &name, nullptr);
    form.ButtonConfirm->click();
    EXPECT_EQ(form.Result(), mrOk);
  }
  EXPECT_EQ(name, "MCDM-A");
  {
    TDataRequestForm form(nullptr, "MCDM column name", &name, nullptr);
    form.EditInputData->setText(QString::fromLatin1("Gr\xFCn"));
    form.ButtonConfirm->click();
  }
  EXPECT_EQ(name, "Gr\xFCn");
  {
    TDataRequestForm form(nullptr, "MCDM column name", &name, nullptr);
    form.EditInputData->clear();
    form.ButtonConfirmClick();
  }
  EXPECT_EQ(name, "");
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

TEST(DataRequestForm, EndingWithoutConfirmKeepsTheCallersText) {
  std::string name = "Splitting 1";
  TDataRequestForm form(nullptr, "Splitting variable name", &name, nullptr);
  form.EditInputData->setText("other");
  form.close();
  EXPECT_EQ(name, "Splitting 1");
}

}  // namespace

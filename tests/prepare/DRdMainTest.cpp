#include "prepare/DRdMain.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

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

TEST(DataRequestForm, EndingWithoutConfirmKeepsTheCallersText) {
  std::string name = "Splitting 1";
  TDataRequestForm form(nullptr, "Splitting variable name", &name, nullptr);
  form.EditInputData->setText("other");
  form.close();
  EXPECT_EQ(name, "Splitting 1");
}

}  // namespace

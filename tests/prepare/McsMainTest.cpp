#include "prepare/McsMain.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "support/ScriptedUi.h"

namespace {

TEST(McdmSetupDialog, AcceptTakesTheWeightAndTheOptimality) {
  CheckedValue setting(0.5L, true);
  bool cancelled = false;
  TFormMCDMparam form(nullptr, &cancelled, &setting);
  EXPECT_EQ(form.windowTitle(), "MCDM setup");
  EXPECT_TRUE(form.RadioButtonMax->isChecked());
  EXPECT_EQ(form.EditWeight->text(), "0.5");
  form.RadioButtonMin->setChecked(true);
  form.EditWeight->setText("-0.25");
  form.ButtonOKClick();
  EXPECT_EQ(form.Result(), mrOk);
  EXPECT_EQ(setting.Value, -0.25L);
  EXPECT_FALSE(setting.Missing);
  EXPECT_FALSE(cancelled);
}

TEST(McdmSetupDialog, AnInvalidWeightKeepsTheDialogOpen) {
  CheckedValue setting(0.5L, false);
  bool cancelled = false;
  TFormMCDMparam form(nullptr, &cancelled, &setting);
  EXPECT_TRUE(form.RadioButtonMin->isChecked());
  form.EditWeight->setText("0.7");
  EXPECT_TRUE(form.EditWeightExit());
  form.EditWeight->setText("0,3");
  form.ButtonOKClick();
  EXPECT_EQ(form.Result(), mrNone);
  EXPECT_EQ(TestUi().Shown(0).text, "Invalid input data, resetting to the last value.");
  EXPECT_EQ(form.EditWeight->text(), "0.7");
  EXPECT_EQ(setting.Value, 0.7L);
  form.ButtonCancelClick();
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(form.Result(), mrCancel);
}

// The user's own way: the dialog on screen, a bad weight typed, then a click on
// Accept (the edit loses the focus to it first) or Tab to another control; Enter
// in the edit neither checks the weight nor accepts.
TEST(McdmSetupDialog, AcceptOrLeavingWithAnInvalidWeightWarnOnceAndStayOpen) {
  CheckedValue setting(0.5L, false);
  bool cancelled = false;
  TFormMCDMparam form(nullptr, &cancelled, &setting);
  form.show();
  form.activateWindow();
  QApplication::processEvents();
  ASSERT_EQ(QApplication::activeWindow(), &form);
  auto typeBadWeight = [&form] {
    form.EditWeight->setFocus(Qt::OtherFocusReason);
    form.EditWeight->setText("abc");
    TestUi().Clear();
  };
  auto expectWarnedAndOpen = [&form, &setting] {
    ASSERT_EQ(TestUi().Shown().size(), 1u);
    EXPECT_EQ(TestUi().Shown(0).text, "Invalid input data, resetting to the last value.");
    EXPECT_EQ(form.EditWeight->text(), "0.5");
    EXPECT_EQ(form.Result(), mrNone);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(setting.Value, 0.5L);
  };

  typeBadWeight();
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(form.EditWeight, &enter);
  EXPECT_TRUE(TestUi().Shown().empty());
  EXPECT_EQ(form.EditWeight->text(), "abc");
  EXPECT_TRUE(form.isVisible());

  typeBadWeight();
  form.ButtonOK->setFocus(Qt::MouseFocusReason);
  form.ButtonOK->click();
  expectWarnedAndOpen();

  typeBadWeight();
  form.RadioButtonMax->setFocus(Qt::TabFocusReason);
  expectWarnedAndOpen();

  form.EditWeight->setFocus(Qt::OtherFocusReason);
  form.EditWeight->setText("0.25");
  QApplication::sendEvent(form.EditWeight, &enter);
  EXPECT_EQ(form.Result(), mrNone);
  form.ButtonOK->click();
  EXPECT_EQ(form.Result(), mrOk);
  EXPECT_EQ(setting.Value, 0.25L);
}

}  // namespace

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <limits>

#include "platform/qt/UpDown.h"
#include "support/FakeProjectHost.h"
#include "validate/CThMain.h"

namespace {

struct ThresholdsDialog : ::testing::Test {
  std::vector<std::string> Texts(const TFormThreshold& form) const {
    std::vector<std::string> texts;
    for (QLineEdit* edit : {form.EditQ2F1, form.EditQ2F2, form.EditQ2F3, form.EditCCC, form.EditAvR2m, form.EditDeR2m})
      texts.push_back(edit->text().toStdString());
    return texts;
  }
  std::vector<long double> Thresholds() const {
    const ChemoData& d = host.data;
    return {d.ldQ2F1Threshold,   d.ldQ2F2Threshold,    d.ldQ2F3Threshold,
            d.ldCCCextThreshold, d.ldR2mAverThreshold, d.ldR2mDeltaThreshold};
  }

  FakeProjectHost host;
};

TEST_F(ThresholdsDialog, OpensOnTheDefaultsWithTheirPositions) {
  TFormThreshold form(nullptr, &host.data);
  EXPECT_EQ(form.windowTitle(), "Change thresholds");
  EXPECT_EQ(form.size(), QSize(242, 154));
  EXPECT_EQ(Texts(form), (std::vector<std::string>{"0.70", "0.70", "0.70", "0.85", "0.65", "0.20"}));
  std::vector<int> positions;
  for (UpDown* upDown :
       {form.UpDownQ2F1, form.UpDownQ2F2, form.UpDownQ2F3, form.UpDownCCC, form.UpDownAvR2m, form.UpDownDeR2m})
    positions.push_back(upDown->Position());
  EXPECT_EQ(positions, (std::vector<int>{69, 69, 69, 84, 64, 19}));
  EXPECT_TRUE(form.EditDeR2m->isReadOnly());
  EXPECT_FALSE(form.ThresholdsChanged());
}

TEST_F(ThresholdsDialog, OneClickMovesTheValueByAHundredth) {
  TFormThreshold form(nullptr, &host.data);
  form.UpDownQ2F1->Click(UpDown::Button::Up);
  EXPECT_EQ(form.EditQ2F1->text(), "0.71");
  form.UpDownQ2F1->Click(UpDown::Button::Down);
  form.UpDownQ2F1->Click(UpDown::Button::Down);
  EXPECT_EQ(form.EditQ2F1->text(), "0.69");
  EXPECT_EQ(form.EditQ2F2->text(), "0.70");  // the other rows keep their values
}

TEST_F(ThresholdsDialog, ValuesStayWithinTheirRanges) {
  TFormThreshold form(nullptr, &host.data);
  for (int i = 0; i < 60; ++i) form.UpDownCCC->Click(UpDown::Button::Up);
  EXPECT_EQ(form.EditCCC->text(), "0.99");
  for (int i = 0; i < 60; ++i) form.UpDownCCC->Click(UpDown::Button::Down);
  EXPECT_EQ(form.EditCCC->text(), "0.63");
  for (int i = 0; i < 60; ++i) form.UpDownDeR2m->Click(UpDown::Button::Up);
  EXPECT_EQ(form.EditDeR2m->text(), "0.40");
  for (int i = 0; i < 60; ++i) form.UpDownDeR2m->Click(UpDown::Button::Down);
  EXPECT_EQ(form.EditDeR2m->text(), "0.01");
  for (int i = 0; i < 60; ++i) form.UpDownAvR2m->Click(UpDown::Button::Down);
  EXPECT_EQ(form.EditAvR2m->text(), "0.40");
}

TEST_F(ThresholdsDialog, AcceptWithoutChangeAndCancelLeaveTheDataSet) {
  const std::vector<long double> before = Thresholds();
  {
    TFormThreshold form(nullptr, &host.data);
    form.ButtonAccept->click();
    EXPECT_EQ(form.Result(), mrOk);
    EXPECT_FALSE(form.ThresholdsChanged());
  }
  {
    TFormThreshold form(nullptr, &host.data);
    form.UpDownQ2F3->Click(UpDown::Button::Up);
    form.UpDownDeR2m->Click(UpDown::Button::Down);
    form.ButtonCancel->click();
    EXPECT_EQ(form.Result(), mrCancel);
    EXPECT_FALSE(form.ThresholdsChanged());
  }
  EXPECT_EQ(Thresholds(), before);
  EXPECT_FALSE(host.modified);
}

TEST_F(ThresholdsDialog, AcceptStoresAChangedThresholdAndMarksTheProjectModified) {
  TFormThreshold form(nullptr, &host.data);
  form.UpDownQ2F1->Click(UpDown::Button::Up);
  form.UpDownDeR2m->Click(UpDown::Button::Up);
  form.ButtonAccept->click();
  EXPECT_TRUE(form.ThresholdsChanged());
  EXPECT_NEAR(static_cast<double>(host.data.ldQ2F1Threshold), 0.71, 1e-15);
  EXPECT_NEAR(static_cast<double>(host.data.ldR2mDeltaThreshold), 0.21, 1e-15);
  EXPECT_EQ(host.data.ldQ2F2Threshold, 0.7L);
  EXPECT_TRUE(host.modified);
}

TEST_F(ThresholdsDialog, ThresholdsOutsideTheRangesOpenSafely) {
  host.data.ldQ2F1Threshold = 0.30L;
  host.data.ldQ2F2Threshold = 1e300L;
  host.data.ldCCCextThreshold = std::numeric_limits<long double>::quiet_NaN();
  host.data.ldR2mDeltaThreshold = -std::numeric_limits<long double>::infinity();
  TFormThreshold form(nullptr, &host.data);
  EXPECT_EQ(form.UpDownQ2F1->Position(), 39);
  EXPECT_EQ(form.EditQ2F1->text(), "0.30");  // the working value, as read
  EXPECT_EQ(form.UpDownQ2F2->Position(), 98);
  EXPECT_EQ(form.UpDownCCC->Position(), 62);
  EXPECT_EQ(form.UpDownDeR2m->Position(), 0);
  form.UpDownQ2F2->Click(UpDown::Button::Down);
  EXPECT_EQ(form.EditQ2F2->text(), "0.98");
}

}  // namespace

#include "platform/qt/Events.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

namespace {

TEST(EventsTest, ClicksRunAlsoWhenCodeChangesTheState) {
  QCheckBox box;
  int clicks = 0;
  OnCheckBoxClick(&box, [&] { ++clicks; });
  box.setChecked(true);
  box.setChecked(true);  // no change, no click
  box.click();
  EXPECT_EQ(clicks, 2);

  QWidget group;
  auto* first = new QRadioButton(&group);
  auto* second = new QRadioButton(&group);
  int firstClicks = 0;
  OnRadioButtonClick(first, [&] { ++firstClicks; });
  first->setChecked(true);
  second->setChecked(true);  // unchecks the first: no click
  EXPECT_EQ(firstClicks, 1);
}

TEST(EventsTest, ComboChangeRunsOnlyOnTheUsersChoice) {
  QComboBox box;
  box.addItems({"Q2loo", "R2adj", "LOF"});
  int changes = 0;
  OnComboChange(&box, [&] { ++changes; });
  box.setCurrentIndex(2);
  emit box.activated(1);  // what a choice from the list sends
  EXPECT_EQ(changes, 1);
}

}  // namespace

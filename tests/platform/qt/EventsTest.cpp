#include "platform/qt/Events.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QtTest/QTest>

#include "support/WindowSystemInput.h"

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

// The press on its way is dropped, and only it: keys still reach the box, and
// once the event loop has run, a press that did not come is no longer waited for.
TEST(EventsTest, AnArrivingPressIsDroppedAndNothingElse) {
  QCheckBox box("Limit");
  box.show();
  QApplication::processEvents();
  DropArrivingPress(&box);
  QTest::keyClick(&box, Qt::Key_Space);
  EXPECT_TRUE(box.isChecked());
  ClickFromWindowSystem(&box);
  EXPECT_TRUE(box.isChecked());
  EXPECT_FALSE(box.isDown());
  QApplication::processEvents();
  ClickFromWindowSystem(&box);
  EXPECT_FALSE(box.isChecked());

  DropArrivingPress(&box);
  QApplication::processEvents();
  ClickFromWindowSystem(&box);
  EXPECT_TRUE(box.isChecked());
}

}  // namespace

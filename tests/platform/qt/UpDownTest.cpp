#include <gtest/gtest.h>

#include <QToolButton>
#include <vector>

#include "platform/qt/UpDown.h"

namespace {

TEST(UpDownTest, ArrowsStepThePositionWithinTheRangeAndReport) {
  UpDown upDown;
  upDown.SetRange(3, 5);
  upDown.SetPosition(9);
  EXPECT_EQ(upDown.Position(), 5);
  std::vector<std::pair<UpDown::Button, int>> clicks;
  upDown.OnClick = [&](UpDown::Button button) { clicks.emplace_back(button, upDown.Position()); };
  upDown.UpButton->click();  // stays at the top, still reported
  upDown.DownButton->click();
  upDown.DownButton->click();
  upDown.DownButton->click();  // stays at the bottom
  const std::vector<std::pair<UpDown::Button, int>> expected = {
      {UpDown::Button::Up, 5}, {UpDown::Button::Down, 4}, {UpDown::Button::Down, 3}, {UpDown::Button::Down, 3}};
  EXPECT_EQ(clicks, expected);
  upDown.SetRange(0, 2);
  EXPECT_EQ(upDown.Position(), 2);  // a narrower range takes the position along
}

}  // namespace

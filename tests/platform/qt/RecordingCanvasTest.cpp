#include "platform/qt/RecordingCanvas.h"

#include <gtest/gtest.h>

TEST(RecordingCanvasTest, TextSizesFollowTheFont) {
  RecordingCanvas canvas(100, 100);
  const std::string text = "Range: 0.00 - 1.00";
  const int plain = canvas.TextWidth(text);
  EXPECT_LT(canvas.TextWidth("Range"), plain);
  EXPECT_EQ(canvas.TextWidth(""), 0);
  const int height = canvas.TextHeight("x");
  EXPECT_GE(height, canvas.font.pixelSize);
  canvas.font.bold = true;
  EXPECT_GT(canvas.TextWidth(text), plain);
  canvas.font.bold = false;
  canvas.font.pixelSize = 24;
  EXPECT_GT(canvas.TextWidth(text), plain * 3 / 2);
  EXPECT_GT(canvas.TextHeight("x"), height);
  canvas.font.pixelSize = 12;
  EXPECT_EQ(2 * canvas.TextWidth("\xB0"), canvas.TextWidth("\xB0\xB0"));  // Latin-1: one character
}

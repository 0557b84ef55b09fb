#include "platform/qt/RecordingCanvas.h"

#include <gtest/gtest.h>

TEST(RecordingCanvasTest, RecordsCallsWithTheStateInForce) {
  RecordingCanvas canvas(300, 200);
  canvas.MoveTo(1, 2);
  canvas.pen.style = PenStyle::Dash;
  canvas.LineTo(10, 20);
  canvas.LineTo(30, 5);  // continues from the end of the last line
  canvas.brush.color = clAqua;
  canvas.RoundRect(1, 2, 3, 4, 16, 16);
  canvas.font.bold = true;
  canvas.TextOut(7, 8, "N\xB0");
  const std::vector<CanvasCall>& calls = canvas.Calls();
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[0].pen.style, PenStyle::Solid);
  EXPECT_EQ(calls[1].pen.style, PenStyle::Dash);
  EXPECT_EQ(canvas.FindLine(10, 20, 30, 5), &calls[2]);
  EXPECT_EQ(canvas.FindLine(30, 5, 10, 20), nullptr);
  EXPECT_EQ(calls[3].at, (std::vector<int>{1, 2, 3, 4, 16, 16}));
  EXPECT_EQ(calls[3].brush.color, clAqua);
  EXPECT_TRUE(canvas.FindText("N\xB0")->font.bold);
}

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

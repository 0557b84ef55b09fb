#include "platform/qt/RecordingCanvas.h"

#include <gtest/gtest.h>

TEST(RecordingCanvasTest, RecordsCallsWithTheStateInForce) {
  RecordingCanvas canvas(300, 200);
  EXPECT_EQ(canvas.Width(), 300);
  EXPECT_EQ(canvas.Height(), 200);
  canvas.MoveTo(1, 2);
  canvas.pen.color = clRed;
  canvas.pen.style = PenStyle::Dash;
  canvas.LineTo(10, 20);
  canvas.LineTo(30, 5);  // continues from the end of the last line
  canvas.brush.color = clAqua;
  canvas.RoundRect(1, 2, 3, 4, 16, 16);
  canvas.font.bold = true;
  canvas.TextOut(7, 8, "N\xB0");
  const int xy[] = {0, 0, 5, 0, 5, 5};
  canvas.Polygon(xy, 3);
  canvas.SetPixel(4, 4, clBlue);

  const std::vector<CanvasCall>& calls = canvas.Calls();
  ASSERT_EQ(calls.size(), 7u);
  EXPECT_EQ(calls[0].kind, CallKind::MoveTo);
  EXPECT_EQ(calls[0].pen.color, clBlack);
  EXPECT_EQ(calls[1].at, (std::vector<int>{1, 2, 10, 20}));
  EXPECT_EQ(calls[1].pen.style, PenStyle::Dash);
  EXPECT_EQ(calls[2].at, (std::vector<int>{10, 20, 30, 5}));
  EXPECT_EQ(canvas.FindLine(10, 20, 30, 5), &calls[2]);
  EXPECT_EQ(canvas.FindLine(30, 5, 10, 20), nullptr);
  EXPECT_EQ(calls[3].at, (std::vector<int>{1, 2, 3, 4, 16, 16}));
  EXPECT_EQ(calls[3].brush.color, clAqua);
  EXPECT_EQ(canvas.FindText("N\xB0"), &calls[4]);
  EXPECT_TRUE(calls[4].font.bold);
  EXPECT_EQ(calls[5].at, (std::vector<int>{0, 0, 5, 0, 5, 5}));
  EXPECT_EQ(calls[6].color, clBlue);
  EXPECT_EQ(canvas.CallsOf(CallKind::LineTo).size(), 2u);
  canvas.ClearCalls();
  EXPECT_TRUE(canvas.Calls().empty());
}

TEST(RecordingCanvasTest, TextSizesFollowTheFont) {
  RecordingCanvas canvas(100, 100);
  const int plain = canvas.TextWidth("Range: 0.00 - 1.00");
  EXPECT_GT(plain, 0);
  EXPECT_EQ(canvas.TextWidth("Range: 0.00 - 1.00"), plain);
  EXPECT_EQ(canvas.TextWidth(""), 0);
  EXPECT_LT(canvas.TextWidth("Range"), plain);
  const int height = canvas.TextHeight("x");
  EXPECT_GE(height, canvas.font.pixelSize);
  EXPECT_EQ(canvas.TextHeight("Wg"), height);
  canvas.font.bold = true;
  EXPECT_GT(canvas.TextWidth("Range: 0.00 - 1.00"), plain);
  canvas.font.bold = false;
  canvas.font.pixelSize = 24;
  EXPECT_GT(canvas.TextWidth("Range: 0.00 - 1.00"), plain * 3 / 2);
  EXPECT_GT(canvas.TextHeight("x"), height);
  // Texts are Latin-1: the degree sign is one character.
  canvas.font.pixelSize = 12;
  EXPECT_EQ(canvas.TextWidth("\xB0"), canvas.TextWidth("\xB0\xB0") / 2);
}

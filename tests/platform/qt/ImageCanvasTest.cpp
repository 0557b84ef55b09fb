#include "platform/qt/ImageCanvas.h"

#include <gtest/gtest.h>

#include "platform/qt/QtConvert.h"

namespace {

// A small white image and a canvas on it.
struct Board {
  QImage image;
  ImageCanvas canvas{image};
  explicit Board(int width = 12, int height = 10) : image(width, height, QImage::Format_RGB32) {
    image.fill(Qt::white);
  }
  TColor At(int x, int y) const { return ToTColor(QColor(image.pixel(x, y))); }
  // The bounding box of the pixels of the given colour.
  QRect Cover(TColor color) const { return Bounds([color](TColor c) { return c == color; }); }
  // The pixels that are not white.
  QRect Ink() const { return Bounds([](TColor c) { return c != clWhite; }); }
  template <class Pick>
  QRect Bounds(Pick pick) const {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (pick(At(x, y))) box = box.united(QRect(x, y, 1, 1));
    return box;
  }
};

TEST(ImageCanvasTest, ColoursAreBlueGreenRed) {
  Board board;
  board.canvas.SetPixel(1, 1, 0x00332211);
  QColor pixel(board.image.pixel(1, 1));
  EXPECT_EQ(pixel.red(), 0x11);
  EXPECT_EQ(pixel.green(), 0x22);
  EXPECT_EQ(pixel.blue(), 0x33);
  EXPECT_EQ(ToTColor(ToQColor(0x00C0FFEE)), 0x00C0FFEEu);
  board.canvas.SetPixel(-1, 50, clRed);  // outside: ignored
}

TEST(ImageCanvasTest, LineLeavesOutItsEndPixel) {
  Board board;
  board.canvas.pen.color = clRed;
  board.canvas.MoveTo(2, 3);
  board.canvas.LineTo(7, 3);
  EXPECT_EQ(board.Cover(clRed), QRect(QPoint(2, 3), QPoint(6, 3)));
  board.canvas.LineTo(7, 8);  // continues from the previous end
  EXPECT_EQ(board.At(7, 3), clRed);
  EXPECT_EQ(board.At(7, 7), clRed);
  EXPECT_EQ(board.At(7, 8), clWhite);
}

TEST(ImageCanvasTest, RectangleAndEllipseLeaveOutRightAndBottomEdge) {
  Board board;
  board.canvas.pen.color = clRed;
  board.canvas.brush.color = clBlue;
  board.canvas.Rectangle(1, 2, 6, 8);
  EXPECT_EQ(board.Cover(clRed), QRect(QPoint(1, 2), QPoint(5, 7)));
  EXPECT_EQ(board.Cover(clBlue), QRect(QPoint(2, 3), QPoint(4, 6)));

  Board round;
  round.canvas.pen.color = clRed;
  round.canvas.brush.style = BrushStyle::Clear;
  round.canvas.Ellipse(0, 0, 9, 7);
  EXPECT_EQ(round.Cover(clRed), QRect(QPoint(0, 0), QPoint(8, 6)));
  EXPECT_EQ(round.At(4, 3), clWhite);  // clear brush: inside untouched
}

TEST(ImageCanvasTest, FillRectCoversLeftTopToRightBottomExclusive) {
  Board board;
  board.canvas.brush.color = clLime;
  board.canvas.FillRect(3, 1, 5, 4);
  EXPECT_EQ(board.Cover(clLime), QRect(QPoint(3, 1), QPoint(4, 3)));
}

TEST(ImageCanvasTest, NotXorTwiceRestoresThePicture) {
  Board board;
  board.canvas.brush.color = clYellow;
  board.canvas.FillRect(0, 0, 6, 10);
  const QImage before = board.image.copy();
  board.canvas.pen.mode = PenMode::NotXor;
  board.canvas.pen.color = clBlack;
  board.canvas.brush.color = clSilver;
  board.canvas.RoundRect(2, 2, 10, 9, 4, 4);
  EXPECT_NE(board.image, before);
  // Not-xor of black on white gives black: ~(0 ^ 0xFFFFFF) is 0.
  EXPECT_EQ(board.At(9, 5), clBlack);
  board.canvas.RoundRect(2, 2, 10, 9, 4, 4);
  EXPECT_EQ(board.image, before);
}

TEST(ImageCanvasTest, DottedLineHasGaps) {
  Board board;
  board.canvas.pen.style = PenStyle::Dot;
  board.canvas.MoveTo(0, 0);
  board.canvas.LineTo(12, 0);
  EXPECT_EQ(board.At(0, 0), clBlack);
  EXPECT_EQ(board.At(4, 0), clWhite);
  EXPECT_EQ(board.At(6, 0), clBlack);
}

TEST(ImageCanvasTest, TextCellStartsAtTopLeftAndClearBrushKeepsBackground) {
  Board board(80, 30);
  ImageCanvas& canvas = board.canvas;
  canvas.brush.color = clAqua;
  canvas.TextOut(10, 5, "Wg");
  const int w = canvas.TextWidth("Wg");
  const int h = canvas.TextHeight("Wg");
  EXPECT_GT(w, 8);
  EXPECT_GT(h, 8);
  // The cell is filled with the brush colour, exactly from (10, 5) to (10 + w, 5 + h) exclusive.
  EXPECT_EQ(board.Cover(clAqua), QRect(10, 5, w, h));

  board.image.fill(Qt::white);
  canvas.brush.style = BrushStyle::Clear;
  canvas.font.color = clRed;
  canvas.TextOut(10, 5, "Wg");
  EXPECT_TRUE(QRect(10, 5, w, h).contains(board.Ink()));
  EXPECT_EQ(board.At(10, 5), clWhite);
}

}  // namespace

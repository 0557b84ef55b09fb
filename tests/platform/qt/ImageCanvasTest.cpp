#include "platform/qt/ImageCanvas.h"

#include <gtest/gtest.h>

#include "platform/qt/QtConvert.h"

namespace {

// A small white image and a canvas on it.
struct Board {
  QImage image;
  ImageCanvas canvas{image};
  explicit Board(int width = 20, int height = 10) : image(width, height, QImage::Format_RGB32) {
    image.fill(Qt::white);
  }
  TColor At(int x, int y) const { return ToTColor(QColor(image.pixel(x, y))); }
  // The bounding box of the pixels of the given colour.
  QRect Cover(TColor color) const {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (At(x, y) == color) box = box.united(QRect(x, y, 1, 1));
    return box;
  }
};

TEST(ImageCanvasTest, ColoursAreBlueGreenRed) {
  Board board;
  board.canvas.SetPixel(1, 1, 0x00332211);
  EXPECT_EQ(board.image.pixel(1, 1) & 0xFFFFFF, 0x112233u);
  EXPECT_EQ(ToTColor(ToQColor(0x00C0FFEE)), 0x00C0FFEEu);
  board.canvas.SetPixel(-1, 50, clRed);  // outside: ignored
}

TEST(ImageCanvasTest, ShapesLeaveOutTheirRightAndBottomEdge) {
  Board board;
  ImageCanvas& canvas = board.canvas;
  canvas.pen.color = clRed;
  canvas.MoveTo(0, 0);
  canvas.LineTo(5, 0);
  EXPECT_EQ(board.Cover(clRed), QRect(QPoint(0, 0), QPoint(4, 0)));
  canvas.LineTo(5, 3);  // continues from the previous end
  EXPECT_EQ(board.Cover(clRed), QRect(QPoint(0, 0), QPoint(5, 2)));

  canvas.pen.color = clGreen;
  canvas.brush.color = clBlue;
  canvas.Rectangle(7, 2, 12, 8);
  EXPECT_EQ(board.Cover(clGreen), QRect(QPoint(7, 2), QPoint(11, 7)));
  EXPECT_EQ(board.Cover(clBlue), QRect(QPoint(8, 3), QPoint(10, 6)));
  canvas.brush.color = clLime;
  canvas.FillRect(14, 1, 16, 4);
  EXPECT_EQ(board.Cover(clLime), QRect(QPoint(14, 1), QPoint(15, 3)));
}

TEST(ImageCanvasTest, NotXorTwiceRestoresThePicture) {
  Board board(12, 10);
  board.canvas.brush.color = clYellow;
  board.canvas.FillRect(0, 0, 6, 10);
  const QImage before = board.image.copy();
  board.canvas.pen.mode = PenMode::NotXor;
  board.canvas.pen.color = clBlack;
  board.canvas.brush.color = clSilver;
  board.canvas.RoundRect(2, 2, 10, 9, 4, 4);
  // Not-xor of black on white gives black: ~(0 ^ 0xFFFFFF) is 0.
  EXPECT_EQ(board.At(9, 5), clBlack);
  board.canvas.RoundRect(2, 2, 10, 9, 4, 4);
  EXPECT_EQ(board.image, before);
}

TEST(ImageCanvasTest, TextCellStartsAtTopLeftAndClearBrushKeepsBackground) {
  Board board(80, 30);
  ImageCanvas& canvas = board.canvas;
  canvas.brush.color = clAqua;
  canvas.TextOut(10, 5, "Wg");
  const QRect cell(10, 5, canvas.TextWidth("Wg"), canvas.TextHeight("Wg"));
  EXPECT_GT(cell.height(), 8);
  EXPECT_EQ(board.Cover(clAqua), cell);

  board.image.fill(Qt::white);
  canvas.brush.style = BrushStyle::Clear;
  canvas.font.color = clRed;
  canvas.TextOut(10, 5, "Wg");
  EXPECT_TRUE(cell.contains(board.Cover(clRed)));
  EXPECT_FALSE(board.Cover(clRed).isEmpty());
  EXPECT_EQ(board.At(10, 5), clWhite);
}

}  // namespace

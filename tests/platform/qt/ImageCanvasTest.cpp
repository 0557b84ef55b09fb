#include "platform/qt/ImageCanvas.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <string>
#include <vector>

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

// The pixels of the given colour, in row order.
std::vector<QPoint> PixelsOf(const Board& board, TColor color) {
  std::vector<QPoint> pixels;
  for (int y = 0; y < board.image.height(); ++y)
    for (int x = 0; x < board.image.width(); ++x)
      if (board.At(x, y) == color) pixels.emplace_back(x, y);
  return pixels;
}

TEST(ImageCanvasTest, LinesLeaveOutTheirEndPixelInEveryDirection) {
  struct Case {
    QPoint from, to;
    std::vector<QPoint> pixels;
  };
  const std::vector<Case> cases = {
      {{1, 1}, {5, 1}, {{1, 1}, {2, 1}, {3, 1}, {4, 1}}},  // rightwards
      {{5, 1}, {1, 1}, {{2, 1}, {3, 1}, {4, 1}, {5, 1}}},  // leftwards
      {{1, 1}, {1, 4}, {{1, 1}, {1, 2}, {1, 3}}},          // downwards
      {{1, 4}, {1, 1}, {{1, 2}, {1, 3}, {1, 4}}},          // upwards
      {{4, 4}, {1, 1}, {{2, 2}, {3, 3}, {4, 4}}},          // up and left
      {{1, 7}, {3, 1}, {{1, 7}, {1, 6}, {1, 5}, {2, 4}, {2, 3}, {2, 2}}},  // steep, upwards
      {{3, 3}, {3, 3}, {}},                                // no length: nothing
      {{3, 3}, {4, 3}, {{3, 3}}},                          // one step: the start alone
      {{3, 3}, {4, 2}, {{3, 3}}},
      {{3, 3}, {2, 4}, {{3, 3}}},
  };
  for (const Case& c : cases) {
    Board board;
    board.canvas.pen.color = clRed;
    board.canvas.MoveTo(c.from.x(), c.from.y());
    board.canvas.LineTo(c.to.x(), c.to.y());
    std::vector<QPoint> expected = c.pixels;
    std::sort(expected.begin(), expected.end(), [](QPoint a, QPoint b) { return std::pair(a.y(), a.x()) < std::pair(b.y(), b.x()); });
    EXPECT_EQ(PixelsOf(board, clRed), expected) << c.from.x() << "," << c.from.y() << " to " << c.to.x() << "," << c.to.y();
  }

  Board board;  // a line continues from the previous end, whose pixel the next line draws
  board.canvas.pen.color = clRed;
  board.canvas.MoveTo(5, 3);
  board.canvas.LineTo(5, 0);
  board.canvas.LineTo(0, 0);
  EXPECT_EQ(PixelsOf(board, clRed),
            (std::vector<QPoint>{{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {5, 1}, {5, 2}, {5, 3}}));

  Board thick;  // over one step too, a wider pen covers its width and a clear one nothing
  thick.canvas.pen = {clRed, 3};
  thick.canvas.MoveTo(3, 3);
  thick.canvas.LineTo(4, 3);
  thick.canvas.pen = {clRed, 1, PenStyle::Clear};
  thick.canvas.LineTo(5, 4);
  EXPECT_EQ(PixelsOf(thick, clRed), (std::vector<QPoint>{{3, 2}, {3, 3}, {3, 4}}));
}

// The Qt pen a blue canvas pen of the width and dash pattern stands for.
QPen QtPen(int width, const QList<qreal>& dashes = {}) {
  QPen pen(Qt::blue, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
  if (!dashes.isEmpty()) pen.setDashPattern(dashes);
  return pen;
}

// Qt's line on a copy of the image, with its end pixel clipped away and its
// start pixel filled as the canvas's lines have them.
QImage QtLineWithCanvasEnds(QImage image, const QPen& pen, bool notXor, QPoint from, QPoint to) {
  QPainter painter(&image);
  painter.setPen(pen);
  if (notXor) painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
  painter.setClipRegion(QRegion(image.rect()).subtracted(QRegion(to.x(), to.y(), 1, 1)));
  painter.drawLine(from, to);
  painter.setClipping(false);
  painter.fillRect(QRect(from, QSize(1, 1)), pen.color());
  painter.end();
  return image;
}

// Qt leaves out the start of a line drawn towards the smaller coordinate: the
// canvas covers the pixels of Qt's line with its end pixel clipped away and its
// start pixel filled, on any background, whatever the pen.
TEST(ImageCanvasTest, LinesTowardsTheSmallerCoordinateAreQtsLinesWithTheEndsSwapped) {
  const struct {
    Pen pen;
    QPen qpen;
  } pens[] = {{{clBlue, 1}, QtPen(1)},
              {{clBlue, 3}, QtPen(3)},
              {{clBlue, 2, PenStyle::Dot}, QtPen(2, {3, 3})},
              {{clBlue, 1, PenStyle::Dash}, QtPen(1, {18, 6})},
              {{clBlue, 1, PenStyle::Solid, PenMode::NotXor}, QtPen(1)},
              {{clBlue, 4, PenStyle::Solid, PenMode::NotXor}, QtPen(4)}};
  const QPoint from(32, 7);
  const QPoint ends[] = {{14, 7},  {15, 2},  {16, 12}, {27, 2},  {27, 12}, {32, 1},  {35, 0},
                         {29, 0},  {31, 6},  {31, 8},  {32, -3}, {-6, 9},  {34, 2}};
  for (const auto& [pen, qpen] : pens)
    for (const QPoint& to : ends) {
      Board drawn(40, 14);
      for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 40; ++x) drawn.image.setPixel(x, y, qRgb(6 * x, 18 * y, 255 - 3 * x - 9 * y));
      const QImage expected = QtLineWithCanvasEnds(drawn.image, qpen, pen.mode == PenMode::NotXor, from, to);
      drawn.canvas.pen = pen;
      drawn.canvas.MoveTo(from.x(), from.y());
      drawn.canvas.LineTo(to.x(), to.y());
      EXPECT_EQ(drawn.image, expected) << pen.width << " " << to.x() << "," << to.y();
    }
}

// A thin solid line, which the canvas draws without Qt inside the image, takes
// Qt's pixels towards every end around it, in the image and beyond its edges;
// the ends on the right give long shallow lines, where Qt's rounding shows.
TEST(ImageCanvasTest, ThinLinesTakeQtsPixelsTowardsEveryEnd) {
  const QPoint from(20, 20);
  for (int x = -2; x < 302; ++x)
    for (int y = -2; y < 43; ++y) {
      if (QPoint(x, y) == from) continue;
      Board drawn(300, 41);
      const QImage expected = QtLineWithCanvasEnds(drawn.image, QtPen(1), false, from, {x, y});
      drawn.canvas.pen.color = clBlue;
      drawn.canvas.MoveTo(from.x(), from.y());
      drawn.canvas.LineTo(x, y);
      ASSERT_EQ(drawn.image, expected) << x << "," << y;
    }
}

TEST(ImageCanvasTest, RectanglesCoverTheSamePixelsWhicheverCornersAreGiven) {
  for (const QRect corners : {QRect(QPoint(7, 2), QPoint(12, 8)), QRect(QPoint(12, 8), QPoint(7, 2)),
                              QRect(QPoint(7, 8), QPoint(12, 2)), QRect(QPoint(12, 2), QPoint(7, 8))}) {
    const int l = corners.left(), t = corners.top(), r = corners.right(), b = corners.bottom();
    Board board;
    ImageCanvas& canvas = board.canvas;
    canvas.pen.color = clGreen;
    canvas.brush.color = clBlue;
    canvas.Rectangle(l, t, r, b);
    EXPECT_EQ(board.Cover(clGreen), QRect(QPoint(7, 2), QPoint(11, 7))) << l << "," << t;
    EXPECT_EQ(board.Cover(clBlue), QRect(QPoint(8, 3), QPoint(10, 6))) << l << "," << t;
    canvas.brush.color = clLime;
    canvas.FillRect(l, t, r, b);
    EXPECT_EQ(board.Cover(clLime), QRect(QPoint(7, 2), QPoint(11, 7))) << l << "," << t;
    canvas.pen.color = clRed;
    canvas.Ellipse(l, t, r, b);
    EXPECT_EQ(board.Cover(clRed), QRect(QPoint(7, 2), QPoint(11, 7))) << l << "," << t;
  }
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
  for (int k = 0; k < 2; ++k) {  // one step right, one down and two down: all but their ends, twice
    for (const QLine& line : {QLine(5, 5, 6, 5), QLine(4, 5, 4, 6), QLine(3, 5, 3, 7)})
      board.canvas.MoveTo(line.x1(), line.y1()), board.canvas.LineTo(line.x2(), line.y2());
    if (k == 0) {  // ~(0 ^ yellow) is blue
      EXPECT_EQ(PixelsOf(board, clBlue), (std::vector<QPoint>{{3, 5}, {4, 5}, {5, 5}, {3, 6}}));
    }
  }
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

// The ellipsis byte is drawn and measured as the ellipsis letter; the Latin-1
// letters around it as they are.
TEST(ImageCanvasTest, TheEllipsisByteIsDrawnAsTheEllipsis) {
  Board drawn(80, 30);
  Board expected(80, 30);
  const std::string text = std::string("Ab\xE9") + kEllipsis;
  drawn.canvas.TextOut(4, 4, text);
  const QString letters = QString::fromUtf8("Ab\u00E9\u2026");
  const QFont font = PixelFont(drawn.canvas.font.name, drawn.canvas.font.pixelSize, false, false);
  QPainter painter(&expected.image);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(4, 4 + QFontMetrics(font).ascent(), letters);
  painter.end();
  EXPECT_EQ(drawn.image, expected.image);
  EXPECT_EQ(drawn.canvas.TextWidth(text), QFontMetrics(font).horizontalAdvance(letters));
}

}  // namespace

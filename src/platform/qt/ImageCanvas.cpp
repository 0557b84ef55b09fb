#include "platform/qt/ImageCanvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "platform/qt/QtConvert.h"

namespace {

// The class library's dash patterns, in pixels of a one-pixel pen.
const QList<qreal> kDashPattern = {18, 6};
const QList<qreal> kDotPattern = {3, 3};

QPen ToQPen(const Pen& pen) {
  if (pen.style == PenStyle::Clear) return Qt::NoPen;
  QPen result(ToQColor(pen.color));
  result.setWidth(pen.width);
  result.setCapStyle(Qt::FlatCap);
  result.setJoinStyle(Qt::MiterJoin);
  if (pen.style == PenStyle::Dash) result.setDashPattern(kDashPattern);
  if (pen.style == PenStyle::Dot) result.setDashPattern(kDotPattern);
  return result;
}

QBrush ToQBrush(const Brush& brush) {
  if (brush.style == BrushStyle::Clear) return Qt::NoBrush;
  return QBrush(ToQColor(brush.color));
}

// The pixels a shape given by two corners covers, in either order: from the
// smaller coordinate up to, not including, the larger one.
QRect CoveredRect(int l, int t, int r, int b) {
  return QRect(QPoint(std::min(l, r), std::min(t, b)), QPoint(std::max(l, r) - 1, std::max(t, b) - 1));
}

// The outline rectangle of a shape that covers a rectangle: Qt draws a
// one-pixel outline on both its left and right edge.
QRect OutlineRect(int l, int t, int r, int b) {
  const QRect covered = CoveredRect(l, t, r, b);
  return QRect(covered.topLeft(), covered.size() - QSize(1, 1));
}

// Qt leaves out the end of a line with the larger coordinate along its main
// axis, whichever way the line is drawn; true when that end is `to`.
bool QtLeavesOut(const QPoint& from, const QPoint& to) {
  const QPoint d = to - from;
  return std::abs(d.x()) >= std::abs(d.y()) ? d.x() > 0 : d.y() > 0;
}

// A solid one-pixel pen that copies its colour.
bool Thin(const Pen& pen) {
  return pen.width == 1 && pen.style == PenStyle::Solid && pen.mode == PenMode::Copy;
}

}  // namespace

QFont PixelFont(const std::string& name, int pixelSize, bool bold, bool italic) {
  QFont font(QStr(name));
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setItalic(italic);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

ImageCanvas::ImageCanvas(QImage& image) : image_(image) {
  if (image_.format() != QImage::Format_RGB32 && image_.format() != QImage::Format_ARGB32_Premultiplied)
    image_ = image_.convertToFormat(QImage::Format_RGB32);
}

int ImageCanvas::Width() const { return image_.width(); }

int ImageCanvas::Height() const { return image_.height(); }

void ImageCanvas::Paint(Outline outline, const std::function<void(QPainter&)>& draw) {
  QPainter painter(&image_);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(outline == Outline::Pen ? ToQPen(pen) : QPen(Qt::NoPen));
  painter.setBrush(ToQBrush(brush));
  if (pen.mode == PenMode::NotXor)
    painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
  draw(painter);
}

void ImageCanvas::MoveTo(int x, int y) {
  penX_ = x;
  penY_ = y;
}

void ImageCanvas::LineTo(int x, int y) {
  const QPoint from(penX_, penY_);
  const QPoint to(x, y);
  MoveTo(x, y);
  if (from == to) return;  // only the end pixel, which is left out
  if (Thin(pen) && image_.valid(from) && image_.valid(to)) {
    ThinLine(from, to);
    return;
  }
  if (QtLeavesOut(from, to) || pen.style == PenStyle::Clear) {
    Paint(Outline::Pen, [&](QPainter& painter) { painter.drawLine(from, to); });
    return;
  }
  // Drawn towards the smaller coordinate: Qt draws the end pixel and leaves
  // out the start pixel, so put the one back as it was and set the other.
  // (Clipping the end pixel away gives the same pixels, but a clip region
  // costs Qt far more than a short line.)
  const bool endInside = image_.valid(to);
  const QRgb end = endInside ? Word(to) : 0;
  Paint(Outline::Pen, [&](QPainter& painter) {
    painter.drawLine(from, to);
    painter.fillRect(QRect(from, QSize(1, 1)), painter.pen().color());
  });
  if (endInside) Word(to) = end;
}

// Sets the start pixel and the pixels Qt's line covers strictly between the
// ends (Qt's own end pixels differ from the canvas's only by direction). Qt
// steps along the main axis (x when the line is at least as wide as tall) from
// the end with the smaller coordinate; across it, a 16.16 fixed-point position
// starts at that end, half a step on when the step is positive, and moves by
// the slope rounded towards zero; each pixel takes the position's floor.
void ImageCanvas::ThinLine(const QPoint& from, const QPoint& to) {
  const QRgb colour = ToQColor(pen.color).rgb();  // opaque, as Qt stores it
  QRgb* const pixels = reinterpret_cast<QRgb*>(image_.bits());  // detached once, not per pixel
  const qsizetype perRow = image_.bytesPerLine() / qsizetype{sizeof(QRgb)};
  auto set = [&](int x, int y) { pixels[y * perRow + x] = colour; };
  set(from.x(), from.y());
  const bool alongX = std::abs(to.x() - from.x()) >= std::abs(to.y() - from.y());
  auto along = [&](const QPoint& p) { return alongX ? p.x() : p.y(); };
  auto across = [&](const QPoint& p) { return alongX ? p.y() : p.x(); };
  const auto [low, high] = std::minmax(from, to, [&](const QPoint& p, const QPoint& q) { return along(p) < along(q); });
  const int length = along(high) - along(low);
  const int64_t step = (int64_t{across(high) - across(low)} << 16) / length;
  int64_t position = (int64_t{across(low)} << 16) + (step > 0 ? step / 2 : 0);
  for (int k = 1; k < length; ++k) {
    position += step;
    const int u = along(low) + k;
    const int v = static_cast<int>(position >> 16);
    alongX ? set(u, v) : set(v, u);
  }
}

QRgb& ImageCanvas::Word(const QPoint& p) { return reinterpret_cast<QRgb*>(image_.scanLine(p.y()))[p.x()]; }

void ImageCanvas::Rectangle(int l, int t, int r, int b) {
  Paint(Outline::Pen, [&](QPainter& painter) { painter.drawRect(OutlineRect(l, t, r, b)); });
}

void ImageCanvas::FillRect(int l, int t, int r, int b) {
  QPainter painter(&image_);
  painter.fillRect(CoveredRect(l, t, r, b), ToQBrush(brush));
}

void ImageCanvas::RoundRect(int l, int t, int r, int b, int cornerW, int cornerH) {
  Paint(Outline::Pen, [&](QPainter& painter) {
    painter.drawRoundedRect(OutlineRect(l, t, r, b), cornerW / 2.0, cornerH / 2.0);
  });
}

void ImageCanvas::Ellipse(int l, int t, int r, int b) {
  Paint(Outline::Pen, [&](QPainter& painter) { painter.drawEllipse(OutlineRect(l, t, r, b)); });
}

void ImageCanvas::Polygon(const int* xy, int pointCount) {
  QPolygon polygon(pointCount);
  for (int i = 0; i < pointCount; ++i) polygon.setPoint(i, xy[2 * i], xy[2 * i + 1]);
  Paint(Outline::Pen, [&](QPainter& painter) { painter.drawPolygon(polygon); });
}

void ImageCanvas::SetPixel(int x, int y, TColor color) {
  if (image_.valid(x, y)) image_.setPixel(x, y, ToQColor(color).rgb());
}

QFont ImageCanvas::CurrentFont() const {
  return PixelFont(font.name, font.pixelSize, font.bold, font.italic);
}

void ImageCanvas::TextOut(int x, int y, const std::string& text) {
  const QString qtext = CanvasText(text);
  const QFont qfont = CurrentFont();
  const QFontMetrics metrics(qfont);
  QPainter painter(&image_);
  if (brush.style == BrushStyle::Solid)
    painter.fillRect(QRect(x, y, metrics.horizontalAdvance(qtext), metrics.height()),
                     ToQColor(brush.color));
  painter.setFont(qfont);
  painter.setPen(ToQColor(font.color));
  painter.drawText(x, y + metrics.ascent(), qtext);
}

int ImageCanvas::TextWidth(const std::string& text) {
  return QFontMetrics(CurrentFont()).horizontalAdvance(CanvasText(text));
}

int ImageCanvas::TextHeight(const std::string&) { return QFontMetrics(CurrentFont()).height(); }

#include "platform/qt/ImageCanvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cstdlib>
#include <optional>

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

// A solid one-pixel line that copies its colour, to a neighbouring pixel,
// covers its start pixel alone (the end is left out): no painter is needed.
bool OnePixel(const Pen& pen, const QPoint& from, const QPoint& to) {
  const QPoint d = to - from;
  return std::abs(d.x()) <= 1 && std::abs(d.y()) <= 1 && pen.width == 1 && pen.style == PenStyle::Solid &&
         pen.mode == PenMode::Copy;
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
  if (OnePixel(pen, from, to)) {
    SetPixel(from.x(), from.y(), pen.color);
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
  const std::optional<QRgb> end = PixelWord(to);
  Paint(Outline::Pen, [&](QPainter& painter) {
    painter.drawLine(from, to);
    painter.fillRect(QRect(from, QSize(1, 1)), painter.pen().color());
  });
  if (end) SetPixelWord(to, *end);
}

std::optional<QRgb> ImageCanvas::PixelWord(const QPoint& p) const {
  if (!image_.valid(p)) return std::nullopt;
  return reinterpret_cast<const QRgb*>(image_.constScanLine(p.y()))[p.x()];
}

void ImageCanvas::SetPixelWord(const QPoint& p, QRgb word) {
  reinterpret_cast<QRgb*>(image_.scanLine(p.y()))[p.x()] = word;
}

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

#include "platform/qt/ImageCanvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

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

// The outline rectangle of a shape that covers l..r-1 and t..b-1: Qt draws a
// one-pixel outline on both its left and right edge.
QRect OutlineRect(int l, int t, int r, int b) { return QRect(l, t, r - l - 1, b - t - 1); }

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
  Paint(Outline::Pen, [&](QPainter& painter) { painter.drawLine(from, to); });
  MoveTo(x, y);
}

void ImageCanvas::Rectangle(int l, int t, int r, int b) {
  Paint(Outline::Pen, [&](QPainter& painter) { painter.drawRect(OutlineRect(l, t, r, b)); });
}

void ImageCanvas::FillRect(int l, int t, int r, int b) {
  QPainter painter(&image_);
  painter.fillRect(QRect(l, t, r - l, b - t), ToQBrush(brush));
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
  const QString qtext = QStr(text);
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
  return QFontMetrics(CurrentFont()).horizontalAdvance(QStr(text));
}

int ImageCanvas::TextHeight(const std::string&) { return QFontMetrics(CurrentFont()).height(); }

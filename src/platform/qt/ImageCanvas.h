// A Canvas drawing on a QImage with the class library's pixel conventions.
#pragma once

#include <QFont>
#include <QImage>
#include <functional>

#include "platform/base/Canvas.h"

class QPainter;

class ImageCanvas : public Canvas {
public:
  // Draws on the given image, which must outlive the canvas; the image is
  // converted to 32-bit RGB when it has another format (raster operations and
  // the canvas's own pixel writes need it), and an image put in its place later
  // must be 32-bit too.
  explicit ImageCanvas(QImage& image);

  int Width() const override;
  int Height() const override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Rectangle(int l, int t, int r, int b) override;
  void FillRect(int l, int t, int r, int b) override;
  void RoundRect(int l, int t, int r, int b, int cornerW, int cornerH) override;
  void Ellipse(int l, int t, int r, int b) override;
  void Polygon(const int* xy, int pointCount) override;
  void SetPixel(int x, int y, TColor color) override;
  void TextOut(int x, int y, const std::string& text) override;
  int TextWidth(const std::string& text) override;
  int TextHeight(const std::string& text) override;

  QImage& Image() { return image_; }

private:
  enum class Outline { Pen, None };
  // Runs one drawing operation with a painter set up from pen, brush and mode.
  void Paint(Outline outline, const std::function<void(QPainter&)>& draw);
  QFont CurrentFont() const;
  // Draws a line of a thin pen inside the image without a painter, which costs
  // more than a line of a few pixels.
  void ThinLine(const QPoint& from, const QPoint& to);
  // The stored 32-bit word of a pixel inside the image.
  QRgb& Word(const QPoint& p);

  QImage& image_;
  int penX_ = 0;
  int penY_ = 0;
};

// A font of the given face at a fixed pixel size, so layouts do not depend on
// the machine's screen resolution.
QFont PixelFont(const std::string& name, int pixelSize, bool bold = false, bool italic = false);

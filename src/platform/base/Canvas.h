// Drawing with the class library's conventions: colours are 0x00BBGGRR, lines
// leave out their end pixel, rectangles and ellipses leave out their right and
// bottom edge, TextOut places the top-left of the text cell, a clear brush draws
// text transparently. ImageCanvas draws on a QImage; RecordingCanvas records the
// calls for tests.
#pragma once

#include <cstdint>
#include <string>

using TColor = uint32_t;  // 0x00BBGGRR

// Canvas texts are 8-bit Latin-1, except this byte (a control character there),
// which the canvas draws as the ellipsis "…" that ends a shortened text.
constexpr char kEllipsis[] = "\x85";

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clGreen = 0x008000;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clOlive = 0x008080;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;

enum class PenStyle { Solid, Dash, Dot, Clear };
enum class PenMode { Copy, NotXor };
enum class BrushStyle { Solid, Clear };

struct Pen {
  TColor color = clBlack;
  int width = 1;
  PenStyle style = PenStyle::Solid;
  PenMode mode = PenMode::Copy;
};

struct Brush {
  TColor color = clWhite;
  BrushStyle style = BrushStyle::Solid;
};

struct Font {
  std::string name = "DejaVu Sans";
  int pixelSize = 12;
  TColor color = clBlack;
  bool bold = false;
  bool italic = false;
};

class Canvas {
public:
  virtual ~Canvas() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  virtual void Rectangle(int l, int t, int r, int b) = 0;
  virtual void FillRect(int l, int t, int r, int b) = 0;
  virtual void RoundRect(int l, int t, int r, int b, int cornerW, int cornerH) = 0;
  virtual void Ellipse(int l, int t, int r, int b) = 0;
  virtual void Polygon(const int* xy, int pointCount) = 0;
  virtual void SetPixel(int x, int y, TColor color) = 0;
  virtual void TextOut(int x, int y, const std::string& text) = 0;
  virtual int TextWidth(const std::string& text) = 0;
  virtual int TextHeight(const std::string& text) = 0;

  Pen pen;
  Brush brush;
  Font font;
};

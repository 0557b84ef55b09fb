// A canvas that draws nothing and records every call with the pen, brush and
// font in force, so tests can check what a drawing routine painted and where.
// Text sizes are those of the image canvas (Qt font metrics at the font's pixel
// size; a QApplication must exist).
#pragma once

#include <string>
#include <vector>

#include "platform/base/Canvas.h"

enum class CallKind { MoveTo, LineTo, Rectangle, FillRect, RoundRect, Ellipse, Polygon, SetPixel, TextOut };

struct CanvasCall {
  CallKind kind;
  // MoveTo: x, y. LineTo: from x, from y, to x, to y. Rectangle, FillRect,
  // Ellipse: l, t, r, b. RoundRect: l, t, r, b, corner w, corner h.
  // Polygon: x0, y0, x1, y1, ... SetPixel, TextOut: x, y.
  std::vector<int> at;
  std::string text;  // TextOut only
  TColor color = 0;  // SetPixel only
  Pen pen;
  Brush brush;
  Font font;
};

class RecordingCanvas : public Canvas {
public:
  RecordingCanvas(int width, int height) : width_(width), height_(height) {}

  int Width() const override { return width_; }
  int Height() const override { return height_; }
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

  const std::vector<CanvasCall>& Calls() const { return calls_; }
  std::vector<CanvasCall> CallsOf(CallKind kind) const;
  // The first TextOut of exactly this text, or null.
  const CanvasCall* FindText(const std::string& text) const;
  // The first line drawn from (x1, y1) to (x2, y2), or null.
  const CanvasCall* FindLine(int x1, int y1, int x2, int y2) const;
  void ClearCalls() { calls_.clear(); }

private:
  void Record(CallKind kind, std::vector<int> at, const std::string& text = std::string());

  int width_;
  int height_;
  int penX_ = 0;
  int penY_ = 0;
  std::vector<CanvasCall> calls_;
};

#include "platform/qt/RecordingCanvas.h"

#include <QFontMetrics>

#include "platform/qt/ImageCanvas.h"
#include "platform/qt/QtConvert.h"

namespace {

// The metrics the image canvas uses, so recorded layouts match drawn ones.
QFontMetrics MetricsOf(const Font& font) {
  return QFontMetrics(PixelFont(font.name, font.pixelSize, font.bold, font.italic));
}

}  // namespace

void RecordingCanvas::Record(CallKind kind, std::vector<int> at, const std::string& text) {
  calls_.push_back(CanvasCall{kind, std::move(at), text, 0, pen, brush, font});
}

void RecordingCanvas::MoveTo(int x, int y) {
  Record(CallKind::MoveTo, {x, y});
  penX_ = x;
  penY_ = y;
}

void RecordingCanvas::LineTo(int x, int y) {
  Record(CallKind::LineTo, {penX_, penY_, x, y});
  penX_ = x;
  penY_ = y;
}

void RecordingCanvas::Rectangle(int l, int t, int r, int b) { Record(CallKind::Rectangle, {l, t, r, b}); }

void RecordingCanvas::FillRect(int l, int t, int r, int b) { Record(CallKind::FillRect, {l, t, r, b}); }

void RecordingCanvas::RoundRect(int l, int t, int r, int b, int cornerW, int cornerH) {
  Record(CallKind::RoundRect, {l, t, r, b, cornerW, cornerH});
}

void RecordingCanvas::Ellipse(int l, int t, int r, int b) { Record(CallKind::Ellipse, {l, t, r, b}); }

void RecordingCanvas::Polygon(const int* xy, int pointCount) {
  Record(CallKind::Polygon, std::vector<int>(xy, xy + 2 * pointCount));
}

void RecordingCanvas::SetPixel(int x, int y, TColor color) {
  Record(CallKind::SetPixel, {x, y});
  calls_.back().color = color;
}

void RecordingCanvas::TextOut(int x, int y, const std::string& text) { Record(CallKind::TextOut, {x, y}, text); }

int RecordingCanvas::TextWidth(const std::string& text) {
  return MetricsOf(font).horizontalAdvance(CanvasText(text));
}

int RecordingCanvas::TextHeight(const std::string& text) { return MetricsOf(font).height(); }

std::vector<CanvasCall> RecordingCanvas::CallsOf(CallKind kind) const {
  std::vector<CanvasCall> found;
  for (const CanvasCall& call : calls_)
    if (call.kind == kind) found.push_back(call);
  return found;
}

const CanvasCall* RecordingCanvas::FindText(const std::string& text) const {
  for (const CanvasCall& call : calls_)
    if (call.kind == CallKind::TextOut && call.text == text) return &call;
  return nullptr;
}

const CanvasCall* RecordingCanvas::FindLine(int x1, int y1, int x2, int y2) const {
  const std::vector<int> wanted{x1, y1, x2, y2};
  for (const CanvasCall& call : calls_)
    if (call.kind == CallKind::LineTo && call.at == wanted) return &call;
  return nullptr;
}

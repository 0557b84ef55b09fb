#include "app/Glyphs.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygon>

namespace {

constexpr int kGlyphSize = 20;

// Colours of one look: outline, paper and highlight.
struct Look {
  QColor ink, paper, accent;
};

const Look kEnabled{QColor(32, 32, 32), QColor(255, 255, 255), QColor(40, 90, 200)};
const Look kShadow{QColor(255, 255, 255), Qt::transparent, QColor(255, 255, 255)};
const Look kGrey{QColor(128, 128, 128), Qt::transparent, QColor(200, 200, 200)};

void Page(QPainter& p, const Look& c, QRect r) {
  p.setPen(c.ink);
  p.setBrush(c.paper);
  p.drawRect(r);
}

void DrawNew(QPainter& p, const Look& c) {
  p.setPen(c.ink);
  p.setBrush(c.paper);
  p.drawPolygon(QPolygon({QPoint(4, 1), QPoint(12, 1), QPoint(16, 5), QPoint(16, 18), QPoint(4, 18)}));
  p.drawPolyline(QPolygon({QPoint(12, 1), QPoint(12, 5), QPoint(16, 5)}));
}

void DrawOpen(QPainter& p, const Look& c) {
  p.setPen(c.ink);
  p.setBrush(c.paper);
  p.drawPolygon(QPolygon({QPoint(1, 4), QPoint(7, 4), QPoint(9, 6), QPoint(16, 6), QPoint(16, 17), QPoint(1, 17)}));
  p.setBrush(c.accent);
  p.drawPolygon(QPolygon({QPoint(1, 17), QPoint(5, 9), QPoint(19, 9), QPoint(16, 17)}));
}

void DrawGrid(QPainter& p, const Look& c, QRect r, int cols, int rows) {
  Page(p, c, r);
  for (int i = 1; i < cols; ++i) {
    int x = r.left() + i * r.width() / cols;
    p.drawLine(x, r.top(), x, r.bottom());
  }
  for (int i = 1; i < rows; ++i) {
    int y = r.top() + i * r.height() / rows;
    p.drawLine(r.left(), y, r.right(), y);
  }
}

void Arrow(QPainter& p, const Look& c, QPoint from, QPoint to) {
  p.setPen(QPen(c.accent, 2));
  p.drawLine(from, to);
  p.setBrush(c.accent);
  p.setPen(c.accent);
  int dir = to.x() > from.x() ? 1 : -1;
  p.drawPolygon(QPolygon({to + QPoint(dir * 2, 0), to + QPoint(-dir * 3, -4), to + QPoint(-dir * 3, 4)}));
}

void DrawImport(QPainter& p, const Look& c) {
  DrawGrid(p, c, QRect(7, 3, 12, 14), 2, 3);
  Arrow(p, c, QPoint(0, 10), QPoint(8, 10));
}

void DrawSave(QPainter& p, const Look& c) {
  p.setPen(c.ink);
  p.setBrush(c.accent);
  p.drawRect(2, 2, 16, 16);
  p.setBrush(c.paper);
  p.drawRect(5, 2, 10, 7);
  p.drawRect(6, 12, 8, 6);
}

void DrawViewData(QPainter& p, const Look& c) { DrawGrid(p, c, QRect(2, 3, 16, 14), 3, 4); }

void DrawDataSetup(QPainter& p, const Look& c) {
  DrawGrid(p, c, QRect(2, 3, 16, 14), 1, 4);
  p.setPen(c.accent);
  p.setBrush(c.accent);
  p.drawEllipse(QPoint(6, 9), 2, 2);
  p.drawEllipse(QPoint(6, 14), 2, 2);
}

void DrawCalculate(QPainter& p, const Look& c) {
  p.setPen(QPen(c.ink, 2));
  p.setBrush(Qt::NoBrush);
  p.drawPolyline(QPolygon({QPoint(15, 3), QPoint(4, 3), QPoint(10, 10), QPoint(4, 17), QPoint(15, 17)}));
}

void DrawViewModels(QPainter& p, const Look& c) {
  Page(p, c, QRect(2, 2, 16, 16));
  for (int y = 5; y <= 15; y += 5) {
    p.setPen(c.accent);
    p.drawLine(5, y, 7, y);
    p.setPen(c.ink);
    p.drawLine(9, y, 15, y);
  }
}

void DrawValidate(QPainter& p, const Look& c) {
  p.setPen(c.ink);
  p.drawLine(2, 2, 2, 17);
  p.drawLine(2, 17, 18, 17);
  p.setPen(QPen(c.accent, 1));
  p.drawLine(3, 16, 17, 3);
  p.setBrush(c.ink);
  for (QPoint dot : {QPoint(5, 12), QPoint(8, 11), QPoint(11, 8), QPoint(14, 7), QPoint(15, 3)})
    p.drawRect(QRect(dot, QSize(2, 2)));
}

void DrawHelp(QPainter& p, const Look& c) {
  p.setPen(c.ink);
  p.setBrush(c.accent);
  p.drawEllipse(1, 1, 17, 17);
  QFont font("DejaVu Sans");
  font.setPixelSize(14);
  font.setBold(true);
  p.setFont(font);
  p.setPen(c.paper == Qt::transparent ? c.ink : c.paper);
  p.drawText(QRect(1, 1, 18, 18), Qt::AlignCenter, "?");
}

void Draw(QPainter& p, Glyph glyph, const Look& look) {
  switch (glyph) {
    case Glyph::New: return DrawNew(p, look);
    case Glyph::Open: return DrawOpen(p, look);
    case Glyph::Import: return DrawImport(p, look);
    case Glyph::Save: return DrawSave(p, look);
    case Glyph::ViewData: return DrawViewData(p, look);
    case Glyph::DataSetup: return DrawDataSetup(p, look);
    case Glyph::Calculate: return DrawCalculate(p, look);
    case Glyph::ViewModels: return DrawViewModels(p, look);
    case Glyph::Validate: return DrawValidate(p, look);
    case Glyph::Help: return DrawHelp(p, look);
  }
}

// Paints one look of a glyph onto a transparent pixmap; the disabled look is
// the grey outline over a white shadow one pixel down and right.
template <typename Painter>
QPixmap Render(QSize size, bool enabled, Painter paint) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  if (enabled) {
    paint(p, kEnabled);
  } else {
    p.translate(1, 1);
    paint(p, kShadow);
    p.translate(-1, -1);
    paint(p, kGrey);
  }
  return pixmap;
}

template <typename Painter>
QIcon TwoLookIcon(QSize size, Painter paint) {
  QIcon icon;
  icon.addPixmap(Render(size, true, paint), QIcon::Normal);
  icon.addPixmap(Render(size, false, paint), QIcon::Disabled);
  return icon;
}

}  // namespace

QIcon GlyphIcon(Glyph glyph) {
  return TwoLookIcon(QSize(kGlyphSize, kGlyphSize),
                     [glyph](QPainter& p, const Look& look) { Draw(p, glyph, look); });
}

QIcon TextGlyphIcon(const std::string& text, QSize size) {
  return TwoLookIcon(size, [&text, size](QPainter& p, const Look& look) {
    QFont font("DejaVu Sans");
    font.setPixelSize(size.height() > 20 ? 12 : 10);
    font.setBold(true);
    p.setFont(font);
    p.setPen(look.accent == kEnabled.accent ? kEnabled.accent.darker(130) : look.ink);
    p.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, QString::fromLatin1(text.c_str()));
  });
}

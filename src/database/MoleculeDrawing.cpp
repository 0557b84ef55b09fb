#include "database/MoleculeDrawing.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

#include "numerics/Sorts.h"
#include "numerics/Utils.h"

namespace {

const SinCosInt360& Trig() {
  static const SinCosInt360 table;
  return table;
}

int WrapDegrees(int degrees) { return ((degrees % 360) + 360) % 360; }

struct Point3 {
  long double x, y, z;
};

struct Rotation {
  long double r[3][3];  // r[1][0] is 0 and never needed
  Rotation(int a, int b) {
    const long double* s = Trig().ldpSinTablePtr;
    const long double* c = Trig().ldpCosTablePtr;
    r[0][0] = c[b];
    r[0][1] = s[a] * s[b];
    r[0][2] = c[a] * s[b];
    r[1][1] = c[a];
    r[1][2] = -s[a];
    r[2][0] = -s[b];
    r[2][1] = s[a] * c[b];
    r[2][2] = c[a] * c[b];
  }
  Point3 Apply(long double x, long double y, long double z) const {
    return {x * r[0][0] + y * r[0][1] + z * r[0][2], y * r[1][1] + z * r[1][2], x * r[2][0] + y * r[2][1] + z * r[2][2]};
  }
};

// Dots on the unit sphere for a step of whole degrees; point
// (i / step) * divisions + j / step lies on the circle of polar angle i.
const std::vector<Point3>& UnitSphere(int step) {
  static std::map<int, std::vector<Point3>> cache;
  std::vector<Point3>& dots = cache[step];
  if (dots.empty()) {
    const long double* s = Trig().ldpSinTablePtr;
    const long double* c = Trig().ldpCosTablePtr;
    for (int i = 0; i < 360; i += step)
      for (int j = 0; j < 360; j += step) dots.push_back({s[i] * c[j], c[i], s[i] * s[j]});
  }
  return dots;
}

// x cut towards zero, for |x| up to 2^40. The nearest double, cut by the
// processor's own truncating conversion, is at most one further from zero; this
// spares switching the x87 unit's rounding mode, which cost most of a dot's time.
long long Truncated(long double x) {
  const long long cut = static_cast<long long>(static_cast<double>(x));
  if (x > 0 && cut > x) return cut - 1;
  if (x < 0 && cut < x) return cut + 1;
  return cut;
}

// The pixel of a projected value: the value truncated towards zero plus the
// offset, cut to the screen limit. A projection that is not a number counts as 0.
int Pixel(long double projected, long long offset = 0) {
  constexpr long double kFar = 1LL << 40;  // beyond the screen limit from any offset
  const long long cut = std::isnan(projected) ? 0 : Truncated(std::clamp(projected, -kFar, kFar));
  return static_cast<int>(std::clamp<long long>(cut + offset, -kScreenLimit, kScreenLimit));
}

// A rotated sphere dot kept as a float; a value beyond the float range becomes its largest value.
float DotFloat(long double value) {
  constexpr float kLargest = std::numeric_limits<float>::max();
  return static_cast<float>(std::clamp<long double>(value, -kLargest, kLargest));
}

// The distance of a point from an atom's centre, given their differences per axis,
// as the test of a sphere dot against another atom takes it.
long double Distance(long double ex, long double ey, long double ez) {
  long double flat = std::sqrt(ex * ex + ez * ez);
  return std::sqrt(flat * flat + ey * ey);
}

// The smallest box around the rotated dots of one sphere (x, y, z per dot). A
// coordinate that is not a number is left out: no atom hides such a dot.
class DotBox {
public:
  explicit DotBox(const std::vector<float>& dots) {
    for (int axis = 0; axis < 3; ++axis) {
      float lo = std::numeric_limits<float>::infinity();
      float hi = -lo;
      for (std::size_t k = axis; k < dots.size(); k += 3) {
        lo = std::min(lo, dots[k]);
        hi = std::max(hi, dots[k]);
      }
      lo_[axis] = lo;
      hi_[axis] = hi;
    }
  }

  // The distance from the point to the box. Each gap is the box side's difference
  // to the point, rounded as a dot's difference would be, so it is never larger
  // than the difference of any dot in the box; as every step of Distance grows
  // with its inputs, this distance is never larger than any dot's.
  long double DistanceFrom(const Point3& c) const { return Distance(Gap(0, c.x), Gap(1, c.y), Gap(2, c.z)); }

private:
  long double Gap(int axis, long double c) const {
    if (c < lo_[axis]) return lo_[axis] - c;
    if (c > hi_[axis]) return c - hi_[axis];
    return 0;
  }

  long double lo_[3];
  long double hi_[3];
};

// The unit sphere of the step, turned; made once per step and drawing.
const std::vector<Point3>& TurnedSphere(const Rotation& rot, int step, std::map<int, std::vector<Point3>>& turned) {
  std::vector<Point3>& dots = turned[step];
  if (dots.empty())
    for (const Point3& u : UnitSphere(step)) dots.push_back(rot.Apply(u.x, u.y, u.z));
  return dots;
}

// A turned unit sphere scaled and moved to the centre, as floats (x, y, z per dot).
void PlaceSphere(const std::vector<Point3>& turned, const Point3& centre, long double scaled, std::vector<float>& dots) {
  dots.resize(3 * turned.size());
  float* out = dots.data();
  for (const Point3& p : turned) {
    *out++ = DotFloat(centre.x + scaled * p.x);
    *out++ = DotFloat(centre.y + scaled * p.y);
    *out++ = DotFloat(centre.z + scaled * p.z);
  }
}

// The atoms other than self that may hide one of the dots: only an atom nearer
// to the box around them than its scaled radius can.
void AtomsThatMayHide(const std::vector<float>& dots, std::size_t self, const std::vector<Point3>& centres,
                      const std::vector<long double>& scaled, std::vector<std::size_t>& near) {
  const DotBox around(dots);
  near.clear();
  for (std::size_t j = 0; j < centres.size(); ++j)
    if (j != self && around.DistanceFrom(centres[j]) < scaled[j]) near.push_back(j);
}

bool IsHOrC(const std::string& element) { return element == "H" || element == "C"; }

bool ValidAtom(int number, std::size_t count) { return number >= 0 && static_cast<std::size_t>(number) < count; }

// Draws a line in one colour, or split at its midpoint into the two atoms' colours.
void SplitLine(Canvas& canvas, int x1, int y1, int x2, int y2, const TColor* colours) {
  if (colours == nullptr) {
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
    return;
  }
  int mx = x1 + ((x2 - x1) >> 1);
  int my = y1 + ((y2 - y1) >> 1);
  canvas.pen.color = colours[0];
  canvas.MoveTo(x1, y1);
  canvas.LineTo(mx, my);
  canvas.pen.color = colours[1];
  canvas.MoveTo(mx, my);
  canvas.LineTo(x2, y2);
}

}  // namespace

void ViewState::Reset() {
  a = b = 0;
  zoom = 1.0L;
  panX = panY = 0;
}

// Press and release both forget the last position: moves without a button
// never reach the image, so a drag must not start from where the last one ended.
void ViewState::MouseDown(bool shift, bool ctrl) {
  lastX_ = lastY_ = -1;
  pan_ = shift;
  rotate_ = !shift && !ctrl;
  zoom_ = !shift && ctrl;
}

bool ViewState::MouseMove(int x, int y) {
  if (!Dragging()) {
    lastX_ = lastY_ = -1;
    return false;
  }
  if (lastX_ == -1 && lastY_ == -1) {
    lastX_ = anchorX_ = x;
    lastY_ = anchorY_ = y;
    anchorA_ = a;
    anchorB_ = b;
    return false;
  }
  if (x == lastX_ && y == lastY_) return false;
  if (rotate_) {
    a = WrapDegrees(anchorA_ + ((y - anchorY_) >> 1));
    b = WrapDegrees(anchorB_ + ((x - anchorX_) >> 1));
  } else if (pan_) {
    panX += x - lastX_;
    panY += y - lastY_;
  } else {
    zoom += (y - lastY_) * 0.025L;
    if (zoom < 0) zoom = 0;
  }
  lastX_ = x;
  lastY_ = y;
  return true;
}

void ViewState::MouseUp() {
  rotate_ = pan_ = zoom_ = false;
  lastX_ = lastY_ = -1;
}

int SphereDotStep(long double radius) {
  if (radius <= 50) return 9;
  if (radius <= 100) return 6;
  if (radius <= 150) return 5;
  if (radius <= 250) return 4;
  return 3;
}

TColor AtomDrawColour(const ElemCoord& atom, const ViewOptions& options) {
  TColor colour = atom.colour;
  if (!options.invertBackground && IsHOrC(atom.element)) colour += 0x6F6F6F;
  return colour & 0xFFFFFF;
}

void SetViewColours(Canvas& canvas, const ViewOptions& options, bool clear) {
  bool dark = options.color != options.invertBackground;
  TColor background = dark ? clBlack : clWhite;
  TColor foreground = dark ? clWhite : clBlack;
  canvas.brush.color = background;
  canvas.brush.style = BrushStyle::Solid;
  canvas.pen.color = foreground;
  canvas.font.color = foreground;
  if (clear) canvas.FillRect(0, 0, canvas.Width(), canvas.Height());
}

long double MoleculeDrawing::Radius(const ElemCoord& atom, const ViewOptions& options) const {
  return colours_.RadiusAt(colours_.IndexOfSymbol(atom.element), options.radiusKind);
}

Scene MoleculeDrawing::PrepareScene(int width, int height, const std::vector<ElemCoord>& atoms, const ViewBox& box,
                                    const ViewOptions& options, const ViewState& state, bool spheres) const {
  Scene scene;
  long double d = BoxDiagonal(box);
  if (!(d > 0)) d = 1;  // a molecule of zero extent sits at the centre
  long double ox = (d - std::fabs(box.maxX - box.minX)) * 0.5L;
  long double oy = (d - std::fabs(box.maxY - box.minY)) * 0.5L;
  if (height >= width) {
    scene.size = width - 32;
    scene.marginY = (height - width) >> 1;
  } else {
    scene.size = height - 32;
    scene.marginX = (width - height) >> 1;
  }
  const Rotation rot(state.a, state.b);
  const long long offsetX = static_cast<long long>(state.panX) + scene.marginX + 16;
  const long long offsetY = static_cast<long long>(state.panY) + scene.marginY + 16;
  auto screenX = [&](long double rx) { return Pixel((rx - box.minX + ox) / d * scene.size, offsetX); };
  auto screenY = [&](long double ry) { return Pixel((ry - box.minY + oy) / d * scene.size, offsetY); };

  const std::size_t n = atoms.size();
  std::vector<Point3> centres(n);
  for (std::size_t i = 0; i < n; ++i) {
    centres[i] = rot.Apply(atoms[i].x * state.zoom, atoms[i].y * state.zoom, atoms[i].z * state.zoom);
    scene.atoms.push_back({screenX(centres[i].x), screenY(centres[i].y), 0, true});
  }
  if (!spheres) return scene;

  std::vector<long double> depth(n);
  std::vector<long double> scaled(n);
  scene.order.resize(n);
  int dotCount = 0;
  for (std::size_t i = 0; i < n; ++i) {
    depth[i] = centres[i].z;
    scene.order[i] = atoms[i].number;
    long double r = Radius(atoms[i], options) * 0.01L;
    scene.atoms[i].radius = r <= 0 ? -1 : Pixel(r / d * state.zoom * scene.size);
    scaled[i] = r * state.zoom;
    depth[i] += scaled[i];  // nearer spheres cover farther ones at any zoom
    scene.dotStart.push_back(dotCount);
    const int divisions = 360 / SphereDotStep(Radius(atoms[i], options));
    scene.divisions.push_back(divisions);
    if (r > 0) dotCount += divisions * divisions;  // an unknown radius gets no sphere
  }
  scene.dotStart.push_back(dotCount);
  if (options.style == SphereStyle::Plain) {
    if (n > 0) SortWithIndex(depth.data(), scene.order.data(), 0, static_cast<int32_t>(n) - 1, true);
    return scene;
  }

  scene.dots.reserve(dotCount);
  std::map<int, std::vector<Point3>> turned;
  std::vector<float> sphere;
  std::vector<std::size_t> near;
  for (std::size_t i = 0; i < n; ++i) {
    if (scene.dotStart[i] == scene.dotStart[i + 1]) continue;
    PlaceSphere(TurnedSphere(rot, 360 / scene.divisions[i], turned), centres[i], scaled[i], sphere);
    AtomsThatMayHide(sphere, i, centres, scaled, near);
    for (std::size_t k = 0; k < sphere.size(); k += 3) {
      const float* p = &sphere[k];
      VideoCoord dot{Pixel((p[0] - (box.minX - ox)) / d * scene.size, offsetX),
                     Pixel((p[1] - (box.minY - oy)) / d * scene.size, offsetY), 0, true};
      for (std::size_t j : near) {
        if (Distance(p[0] - centres[j].x, p[1] - centres[j].y, p[2] - centres[j].z) < scaled[j]) {
          dot.visible = false;
          break;
        }
      }
      scene.dots.push_back(dot);
    }
  }
  return scene;
}

void MoleculeDrawing::DrawBonds(Canvas& canvas, const std::vector<ElemCoord>& atoms, const Scene& scene,
                                const ViewOptions& options) const {
  std::vector<std::pair<int, int>> drawn;
  canvas.pen.width = 1;
  const TColor foreground = canvas.pen.color;
  for (std::size_t i = 0; i < atoms.size(); ++i) {
    const ElemCoord& atom = atoms[i];
    for (const BondStruct& bond : atom.bonds) {
      if (!ValidAtom(bond.partner, atoms.size())) continue;
      bool seen = false;
      for (const auto& pair : drawn)
        if ((pair.first == atom.number && pair.second == bond.partner) ||
            (pair.first == bond.partner && pair.second == atom.number))
          seen = true;
      if (seen) continue;
      drawn.emplace_back(atom.number, bond.partner);
      const VideoCoord& from = scene.atoms[i];
      const VideoCoord& to = scene.atoms[bond.partner];
      int offsetB = 2;
      int offsetC = 0;
      if (from.x != to.x) {
        long double slope = std::fabs(static_cast<long double>(from.y - to.y) / (from.x - to.x));
        if (slope < 1.15L) {
          offsetB = 0;
          offsetC = 2;
        }
      }
      TColor split[2] = {AtomDrawColour(atom, options), AtomDrawColour(atoms[bond.partner], options)};
      const TColor* colours = options.color ? split : nullptr;
      auto line = [&](int shiftX, int shiftY, PenStyle style) {
        canvas.pen.style = style;
        SplitLine(canvas, from.x + shiftX, from.y + shiftY, to.x + shiftX, to.y + shiftY, colours);
        canvas.pen.style = PenStyle::Solid;
      };
      if (bond.type == 0 || bond.type == 2) line(0, 0, PenStyle::Solid);
      if (bond.type >= 1) {
        line(-offsetB, -offsetC, PenStyle::Solid);
        line(offsetB, offsetC, bond.type == 3 ? PenStyle::Dot : PenStyle::Solid);
      }
    }
  }
  canvas.pen.color = foreground;
}

void MoleculeDrawing::DrawSpheres(Canvas& canvas, const std::vector<ElemCoord>& atoms, const Scene& scene,
                                  const ViewOptions& options) const {
  const TColor foreground = canvas.pen.color;
  auto penFor = [&](std::size_t k) { canvas.pen.color = options.color ? AtomDrawColour(atoms[k], options) : foreground; };
  if (options.style == SphereStyle::Plain) {
    for (int32_t k : scene.order) {
      if (!ValidAtom(k, atoms.size())) continue;
      penFor(k);
      const VideoCoord& c = scene.atoms[k];
      if (c.radius > 0) canvas.Ellipse(c.x - c.radius, c.y - c.radius, c.x + c.radius, c.y + c.radius);
    }
  } else {
    for (std::size_t i = 0; i < atoms.size(); ++i) {
      penFor(i);
      const int first = scene.dotStart[i];
      const int count = scene.dotStart[i + 1] - first;
      const VideoCoord* dots = scene.dots.data() + first;
      if (options.style == SphereStyle::Dots) {
        for (int k = 0; k < count; ++k) {
          if (!dots[k].visible) continue;
          canvas.MoveTo(dots[k].x, dots[k].y);
          canvas.LineTo(dots[k].x + 1, dots[k].y);
        }
        continue;
      }
      const int n = scene.divisions[i];
      for (int m = 0; m < count - n; m += n) {
        for (int q = 0; q <= n - 2; ++q) {
          const int k = m + q;
          if (!dots[k].visible || !dots[k + n].visible || !dots[k + 1].visible) continue;
          canvas.MoveTo(dots[k].x, dots[k].y);
          canvas.LineTo(dots[k + 1].x, dots[k + 1].y);
          canvas.MoveTo(dots[k].x, dots[k].y);
          canvas.LineTo(dots[k + n].x, dots[k + n].y);
        }
      }
    }
  }
  canvas.pen.color = foreground;
}

void MoleculeDrawing::DrawAtomLabels(Canvas& canvas, const std::vector<ElemCoord>& atoms, const Scene& scene,
                                     const ViewOptions& options, TColor fontColour) const {
  if (options.hideAllSymbols) return;
  for (std::size_t i = 0; i < atoms.size(); ++i) {
    if (IsHOrC(atoms[i].element) && !options.showAllSymbols) continue;
    canvas.font.bold = true;
    canvas.font.color = options.color ? AtomDrawColour(atoms[i], options) : fontColour;
    canvas.TextOut(scene.atoms[i].x, scene.atoms[i].y, atoms[i].element);
    canvas.font.bold = false;
    canvas.font.color = fontColour;
  }
}

void MoleculeDrawing::DrawMolecule(Canvas& canvas, const std::vector<ElemCoord>& atoms, const ViewBox& box,
                                   const ViewOptions& options, ViewState& state, int selectedRow,
                                   const std::string& name, const std::string& cas,
                                   const std::function<void()>& pleaseWait) {
  if (atoms.empty()) return;
  if (selectedRow != state.lastDrawnRow) {
    state.Reset();
    state.lastDrawnRow = selectedRow;
  }
  const bool spheres = options.spheres && !state.Dragging();
  const int width = canvas.Width();
  const int height = canvas.Height();
  if (spheres) {
    SetViewColours(canvas, options, true);
    const std::string wait = "Calculating, please wait...";
    int textWidth = canvas.TextWidth(wait);
    canvas.TextOut(width / 2 - textWidth / 2, height / 2 - textWidth / 2, wait);
    if (pleaseWait) pleaseWait();
  }
  SetViewColours(canvas, options, false);
  const TColor fontColour = canvas.font.color;
  Scene scene = PrepareScene(width, height, atoms, box, options, state, spheres);

  const int fontSize = canvas.font.pixelSize;
  canvas.font.pixelSize = 13;  // 10 points at 96 dots per inch
  SetViewColours(canvas, options, true);
  DrawBonds(canvas, atoms, scene, options);
  if (spheres) DrawSpheres(canvas, atoms, scene, options);
  DrawAtomLabels(canvas, atoms, scene, options, fontColour);
  canvas.font.pixelSize = fontSize;
  SetViewColours(canvas, options, false);

  canvas.TextOut(width / 2 - canvas.TextWidth(name) / 2, 0, name);
  canvas.TextOut(width / 2 - canvas.TextWidth(cas) / 2, canvas.TextHeight(name), cas);
}

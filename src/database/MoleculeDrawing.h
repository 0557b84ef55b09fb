// Drawing a molecule of the database viewer on a Canvas: bonds as lines that
// show the bond type, atoms optionally as spheres (outlined circles painted
// back to front, or dot or line meshes without their hidden dots), element
// labels, and the name and CAS number at the top. Also the view state that the
// mouse changes (turn, move, zoom).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "database/ElemColor.h"
#include "database/HinReader.h"
#include "platform/base/Canvas.h"

enum class SphereStyle { Plain, Dots, Lines };

// The viewer's check boxes and radio buttons.
struct ViewOptions {
  bool color = true;           // "Color"
  bool invertBackground = false;
  bool showAllSymbols = false; // also H and C
  bool hideAllSymbols = false;
  bool spheres = false;        // "Show atomic radius"
  int radiusKind = 0;          // 0 empirical, 1 calculated, 2 van der Waals
  SphereStyle style = SphereStyle::Plain;
};

// Rotation, pan and zoom, and the mouse drag that changes them.
class ViewState {
public:
  void Reset();
  bool Dragging() const { return rotate_ || pan_ || zoom_; }
  void MouseDown(bool shift, bool ctrl);
  // True when the view changed and must be redrawn.
  bool MouseMove(int x, int y);
  void MouseUp();

  int a = 0;  // degrees about the x axis
  int b = 0;  // degrees about the y axis
  long double zoom = 1.0L;
  int panX = 0;
  int panY = 0;
  int lastDrawnRow = -1;

private:
  bool rotate_ = false;
  bool pan_ = false;
  bool zoom_ = false;
  int lastX_ = -1;
  int lastY_ = -1;
  // The turn is taken from the offset since the drag's first position, so
  // slow drags turn as far as fast ones.
  int anchorX_ = 0;
  int anchorY_ = 0;
  int anchorA_ = 0;
  int anchorB_ = 0;
};

// Screen points and radii are cut to this many pixels either way: far beyond
// any picture, yet small enough that the offsets, midpoints and circle corners
// of the painting never overflow and that a circle this large is painted in
// about a millisecond.
constexpr int kScreenLimit = 1 << 16;

// A projected atom or sphere dot.
struct VideoCoord {
  int x = 0;
  int y = 0;
  int radius = 0;  // -1: no circle
  bool visible = true;
};

// The projection of one drawing, kept for the painting steps and for tests.
struct Scene {
  int size = 0;
  int marginX = 0;
  int marginY = 0;
  std::vector<VideoCoord> atoms;
  std::vector<VideoCoord> dots;        // sphere dots, atom after atom
  std::vector<int> dotStart;           // first dot of each atom
  std::vector<int> divisions;          // per atom: dots per circle of its sphere
  std::vector<int32_t> order;          // atoms back to front ("Plain")
};

// 9, 6, 5, 4 or 3 degrees by radius in picometres.
int SphereDotStep(long double radius);
// The atom's colour; H and C are lightened (plus 0x6F6F6F) on a dark background.
TColor AtomDrawColour(const ElemCoord& atom, const ViewOptions& options);
// Background and foreground of the four Color / Inv. background combinations;
// clear also paints the whole canvas in the background.
void SetViewColours(Canvas& canvas, const ViewOptions& options, bool clear);

class MoleculeDrawing {
public:
  MoleculeDrawing(const ElemColor& colours) : colours_(colours) {}

  // Redraws everything; pleaseWait runs after the waiting text was written
  // (the window repaints there). Nothing happens for an empty atom list.
  void DrawMolecule(Canvas& canvas, const std::vector<ElemCoord>& atoms, const ViewBox& box,
                    const ViewOptions& options, ViewState& state, int selectedRow, const std::string& name,
                    const std::string& cas, const std::function<void()>& pleaseWait = {});

  // Projects atoms (and sphere dots when spheres) for a canvas of this size.
  Scene PrepareScene(int width, int height, const std::vector<ElemCoord>& atoms, const ViewBox& box,
                     const ViewOptions& options, const ViewState& state, bool spheres) const;

private:
  long double Radius(const ElemCoord& atom, const ViewOptions& options) const;
  void DrawBonds(Canvas& canvas, const std::vector<ElemCoord>& atoms, const Scene& scene,
                 const ViewOptions& options) const;
  void DrawSpheres(Canvas& canvas, const std::vector<ElemCoord>& atoms, const Scene& scene,
                   const ViewOptions& options) const;
  void DrawAtomLabels(Canvas& canvas, const std::vector<ElemCoord>& atoms, const Scene& scene,
                      const ViewOptions& options, TColor fontColour) const;

  const ElemColor& colours_;
};

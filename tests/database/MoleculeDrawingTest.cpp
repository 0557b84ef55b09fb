#include "database/MoleculeDrawing.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <cmath>
#include <set>

#include "SampleDatabase.h"
#include "platform/qt/ImageCanvas.h"
#include "platform/qt/RecordingCanvas.h"

namespace {

ElemCoord Atom(int number, const std::string& element, long double x, long double y, long double z,
               std::vector<BondStruct> bonds = {}) {
  ElemColor colours;
  ElemCoord atom;
  atom.number = number;
  atom.element = element;
  atom.x = x;
  atom.y = y;
  atom.z = z;
  atom.colour = colours.ColorOfSymbol(element);
  atom.bonds = std::move(bonds);
  return atom;
}

ViewBox BoxOf(const std::vector<ElemCoord>& atoms) {
  ViewBox box{atoms[0].x, atoms[0].x, atoms[0].y, atoms[0].y, atoms[0].z, atoms[0].z};
  for (const auto& a : atoms) {
    box.minX = std::min(box.minX, a.x), box.maxX = std::max(box.maxX, a.x);
    box.minY = std::min(box.minY, a.y), box.maxY = std::max(box.maxY, a.y);
    box.minZ = std::min(box.minZ, a.z), box.maxZ = std::max(box.maxZ, a.z);
  }
  return box;
}

class MoleculeDrawingTest : public testing::Test {
protected:
  // Draws atoms on a fresh recording canvas; returns its calls.
  RecordingCanvas& Draw(const std::vector<ElemCoord>& atoms, int width = 300, int height = 300) {
    canvas = std::make_unique<RecordingCanvas>(width, height);
    drawing.DrawMolecule(*canvas, atoms, BoxOf(atoms), options, state, 1, "Name", "CAS", [&] { ++waits; });
    return *canvas;
  }
  std::vector<CanvasCall> Lines() const { return canvas->CallsOf(CallKind::LineTo); }

  ElemColor colours;
  MoleculeDrawing drawing{colours};
  ViewOptions options;
  ViewState state;
  std::unique_ptr<RecordingCanvas> canvas;
  int waits = 0;
};

// Two atoms on a horizontal (or vertical) line with one bond of the type.
std::vector<ElemCoord> Pair(uint8_t type, bool vertical, const std::string& second = "C") {
  return {Atom(0, "C", 0, 0, 0, {{1, type}}), Atom(1, second, vertical ? 0 : 2, vertical ? 2 : 0, 0, {{0, type}})};
}

}  // namespace

TEST_F(MoleculeDrawingTest, ProjectsIntoTheCentredSquare) {
  std::vector<ElemCoord> atoms = {Atom(0, "C", 0, 0, 0), Atom(1, "C", 2, 0, 0), Atom(2, "C", 0, 1, 0)};
  Scene wide = drawing.PrepareScene(400, 300, atoms, BoxOf(atoms), options, state, false);
  EXPECT_EQ(wide.size, 268);
  EXPECT_EQ(wide.marginX, 50);
  EXPECT_EQ(wide.marginY, 0);
  EXPECT_EQ(wide.atoms[0].x, 30 + 50);
  Scene tall = drawing.PrepareScene(300, 400, atoms, BoxOf(atoms), options, state, false);
  EXPECT_EQ(tall.size, 268);
  EXPECT_EQ(tall.marginY, 50);
  EXPECT_EQ(tall.atoms[2].y, 209 + 50);

  Scene scene = drawing.PrepareScene(300, 300, atoms, BoxOf(atoms), options, state, true);
  EXPECT_EQ(scene.marginX, 0);
  EXPECT_EQ(scene.atoms[0].x, 30);
  EXPECT_EQ(scene.atoms[0].y, 90);
  EXPECT_EQ(scene.atoms[1].x, 269);
  EXPECT_EQ(scene.atoms[1].y, 90);
  EXPECT_EQ(scene.atoms[2].x, 30);
  EXPECT_EQ(scene.atoms[2].y, 209);
  EXPECT_EQ(scene.atoms[0].radius, 83);
  // Only the place within the box counts: the molecule moved anywhere projects alike.
  std::vector<ElemCoord> elsewhere = atoms;
  for (ElemCoord& atom : elsewhere) atom.x -= 3, atom.y -= 5, atom.z += 7;
  Scene same = drawing.PrepareScene(300, 300, elsewhere, BoxOf(elsewhere), options, state, true);
  for (std::size_t i = 0; i < atoms.size(); ++i) {
    EXPECT_EQ(same.atoms[i].x, scene.atoms[i].x) << i;
    EXPECT_EQ(same.atoms[i].y, scene.atoms[i].y) << i;
  }

  state.panX = 5;
  state.panY = -3;
  state.zoom = 2;
  Scene moved = drawing.PrepareScene(300, 300, atoms, BoxOf(atoms), options, state, true);
  EXPECT_EQ(moved.atoms[0].x, 35);
  EXPECT_EQ(moved.atoms[1].x, 514);  // trunc((4 + ox) / D * 268) + 5 + 16
  EXPECT_EQ(moved.atoms[0].radius, 167);
}

// A projection a hair short of a whole pixel, on either side of zero, is cut to
// the pixel nearer zero, though the nearest double is the whole pixel itself.
TEST_F(MoleculeDrawingTest, ProjectionsJustShortOfAWholePixelAreCutTowardsZero) {
  const ViewBox box{0, 2, 0, 0, 0, 0};  // diagonal 2 and no margin across: x projects to x / 2 * 268
  for (int whole : {100, -100}) {
    long double x = whole * 2.0L / 268;
    while (std::fabs(x / 2 * 268) >= std::abs(whole)) x = std::nextafter(x, 0.0L);
    ASSERT_GT(std::fabs(x / 2 * 268), std::abs(whole) - 1e-15L);
    std::vector<ElemCoord> atoms = {Atom(0, "C", x, 0, 0)};
    EXPECT_EQ(drawing.PrepareScene(300, 300, atoms, box, options, state, false).atoms[0].x,
              16 + whole - (whole > 0 ? 1 : -1));
  }
}

TEST_F(MoleculeDrawingTest, ZeroExtentMoleculeSitsInTheMiddle) {
  std::vector<ElemCoord> one = {Atom(0, "N", 0, 0, 0)};
  Scene scene = drawing.PrepareScene(300, 300, one, BoxOf(one), options, state, false);
  EXPECT_EQ(scene.atoms[0].x, 150);
  EXPECT_EQ(scene.atoms[0].y, 150);
}

TEST_F(MoleculeDrawingTest, BondTypesDrawTheirLines) {
  options.color = false;
  Draw(Pair(1, false));
  EXPECT_NE(canvas->FindLine(16, 148, 284, 148), nullptr);
  EXPECT_NE(canvas->FindLine(16, 152, 284, 152), nullptr);
  EXPECT_EQ(canvas->FindLine(16, 150, 284, 150), nullptr);
  Draw(Pair(1, true));
  EXPECT_NE(canvas->FindLine(148, 16, 148, 284), nullptr);
  EXPECT_NE(canvas->FindLine(152, 16, 152, 284), nullptr);
  Draw(Pair(2, false));
  EXPECT_EQ(Lines().size(), 3u);
  EXPECT_NE(canvas->FindLine(16, 150, 284, 150), nullptr);
  Draw(Pair(3, false));
  ASSERT_EQ(Lines().size(), 2u);
  EXPECT_EQ(canvas->FindLine(16, 148, 284, 148)->pen.style, PenStyle::Solid);
  EXPECT_EQ(canvas->FindLine(16, 152, 284, 152)->pen.style, PenStyle::Dot);
  // The pen is solid again after an aromatic bond: spheres drawn next are outlined.
  options.spheres = true;
  Draw(Pair(3, false));
  ASSERT_EQ(canvas->CallsOf(CallKind::Ellipse).size(), 2u);
  EXPECT_EQ(canvas->CallsOf(CallKind::Ellipse)[0].pen.style, PenStyle::Solid);
  options.spheres = false;
  Draw(Pair(0, false));
  ASSERT_EQ(Lines().size(), 1u);
  EXPECT_EQ(Lines()[0].pen.width, 1);
  EXPECT_EQ(Lines()[0].pen.color, clBlack);  // without Color: black on white
}

TEST_F(MoleculeDrawingTest, SteepDoubleBondsKeepTwoSeparateLines) {
  options.color = false;
  // Partner above and to the left with a slope of 1.5.
  Draw({Atom(0, "C", 2, 3, 0, {{1, 1}}), Atom(1, "C", 0, 0, 0, {{0, 1}})});
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].at[0] + 4, lines[1].at[0]);
}

TEST_F(MoleculeDrawingTest, ColouredBondsSplitAtTheMiddle) {
  Draw(Pair(0, false, "O"));
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].pen.color, 0xAFAFAFu);
  EXPECT_EQ(lines[0].at, (std::vector<int>{16, 150, 150, 150}));
  EXPECT_EQ(lines[1].pen.color, 0x0000FFu);
  EXPECT_EQ(lines[1].at, (std::vector<int>{150, 150, 284, 150}));
}

TEST_F(MoleculeDrawingTest, ColoursOfAtomsAndViews) {
  ElemCoord carbon = Atom(0, "C", 0, 0, 0);
  EXPECT_EQ(AtomDrawColour(carbon, options), 0xAFAFAFu);
  carbon.colour = 0xFFFFFF;
  EXPECT_EQ(AtomDrawColour(carbon, options), 0x6F6F6Eu);  // masked to 24 bits
  options.invertBackground = true;
  EXPECT_EQ(AtomDrawColour(carbon, options), 0xFFFFFFu);
  EXPECT_EQ(AtomDrawColour(Atom(0, "O", 0, 0, 0), ViewOptions{}), 0x0000FFu);

  RecordingCanvas canvas(10, 10);
  const TColor expected[4][2] = {{clBlack, clWhite}, {clWhite, clBlack}, {clWhite, clBlack}, {clBlack, clWhite}};
  for (int k = 0; k < 4; ++k) {
    ViewOptions o;
    o.color = k < 2;
    o.invertBackground = k % 2 == 1;
    SetViewColours(canvas, o, k == 0);
    EXPECT_EQ(canvas.brush.color, expected[k][0]) << k;
    EXPECT_EQ(canvas.pen.color, expected[k][1]) << k;
    EXPECT_EQ(canvas.font.color, expected[k][1]) << k;
  }
  ASSERT_EQ(canvas.CallsOf(CallKind::FillRect).size(), 1u);
  EXPECT_EQ(canvas.CallsOf(CallKind::FillRect)[0].at, (std::vector<int>{0, 0, 10, 10}));

  EXPECT_EQ(SphereDotStep(-1), 9);
  EXPECT_EQ(SphereDotStep(50), 9);
  EXPECT_EQ(SphereDotStep(51), 6);
  EXPECT_EQ(SphereDotStep(100), 6);
  EXPECT_EQ(SphereDotStep(150), 5);
  EXPECT_EQ(SphereDotStep(250), 4);
  EXPECT_EQ(SphereDotStep(251), 3);
}

TEST_F(MoleculeDrawingTest, LabelsNameAndWaitingText) {
  std::vector<ElemCoord> atoms = {Atom(0, "C", 0, 0, 0), Atom(1, "H", 1, 0, 0), Atom(2, "O", 2, 0, 0)};
  Draw(atoms);
  EXPECT_EQ(canvas->FindText("C"), nullptr);
  EXPECT_EQ(canvas->FindText("H"), nullptr);
  ASSERT_NE(canvas->FindText("O"), nullptr);
  EXPECT_TRUE(canvas->FindText("O")->font.bold);
  EXPECT_EQ(canvas->FindText("O")->font.color, 0x0000FFu);
  EXPECT_EQ(canvas->FindText("O")->at, (std::vector<int>{284, 150}));
  const CanvasCall* name = canvas->FindText("Name");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->at[1], 0);
  EXPECT_FALSE(name->font.bold);
  EXPECT_EQ(canvas->FindText("CAS")->at,
            (std::vector<int>{150 - canvas->TextWidth("CAS") / 2, canvas->TextHeight("Name")}));
  EXPECT_EQ(canvas->FindText("Calculating, please wait..."), nullptr);
  EXPECT_EQ(waits, 0);

  options.showAllSymbols = true;
  options.color = false;
  Draw(atoms);
  EXPECT_NE(canvas->FindText("H"), nullptr);
  EXPECT_EQ(canvas->FindText("O")->font.color, clBlack);
  options.hideAllSymbols = true;
  Draw(atoms);
  EXPECT_EQ(canvas->FindText("O"), nullptr);
  EXPECT_EQ(canvas->FindText("H"), nullptr);

  options.spheres = true;
  Draw(atoms);
  EXPECT_EQ(waits, 1);
  ASSERT_EQ(canvas->CallsOf(CallKind::TextOut)[0].text, "Calculating, please wait...");
}

TEST_F(MoleculeDrawingTest, PlainSpheresArePaintedBackToFront) {
  options.spheres = true;
  // Francium has no empirical radius and gets no circle.
  std::vector<ElemCoord> atoms = {Atom(0, "O", 0, 0, 1), Atom(1, "C", 1, 0, -1), Atom(2, "Fr", 2, 0, 0)};
  Draw(atoms);
  auto circles = canvas->CallsOf(CallKind::Ellipse);
  ASSERT_EQ(circles.size(), 2u);
  EXPECT_EQ(drawing.PrepareScene(300, 300, atoms, BoxOf(atoms), options, state, true).atoms[2].radius, -1);
  EXPECT_EQ(circles[0].pen.color, 0xAFAFAFu);  // carbon lies farther back
  EXPECT_EQ(circles[1].pen.color, 0x0000FFu);
  EXPECT_EQ(circles[1].brush.color, clBlack);
  // At one depth the larger sphere, nearer at its front, is painted last.
  Draw({Atom(0, "C", 0, 0, 0), Atom(1, "O", 1, 0, 0)});
  circles = canvas->CallsOf(CallKind::Ellipse);
  ASSERT_EQ(circles.size(), 2u);
  EXPECT_EQ(circles[1].pen.color, 0xAFAFAFu);

  // While dragging, spheres are left out.
  state.MouseDown(false, false);
  Draw(atoms);
  EXPECT_TRUE(canvas->CallsOf(CallKind::Ellipse).empty());
}

TEST_F(MoleculeDrawingTest, DotSpheresHideDotsInsideOtherAtoms) {
  options.spheres = true;
  options.style = SphereStyle::Dots;
  std::vector<ElemCoord> lone = {Atom(0, "O", 0, 0, 0), Atom(1, "O", 10, 0, 0)};
  Scene apart = drawing.PrepareScene(300, 300, lone, BoxOf(lone), options, state, true);
  EXPECT_EQ(apart.dots.size(), 2u * 3600u);  // step 6: 60 x 60 dots each
  for (const auto& d : apart.dots) ASSERT_TRUE(d.visible);
  std::vector<ElemCoord> close = {Atom(0, "O", 0, 0, 0), Atom(1, "O", 0.5L, 0, 0), Atom(2, "Fr", 1, 0, 0)};
  Scene overlap = drawing.PrepareScene(300, 300, close, BoxOf(close), options, state, true);
  EXPECT_EQ(overlap.dots.size(), 2u * 3600u);  // no sphere for an unknown radius
  int hidden = 0;
  for (const auto& d : overlap.dots) hidden += d.visible ? 0 : 1;
  EXPECT_GT(hidden, 0);
  EXPECT_LT(hidden, 3600);

  // The first dot of a sphere points along +y, towards a neighbour above it.
  std::vector<ElemCoord> stacked = {Atom(0, "O", 0, 0, 0), Atom(1, "O", 0, 0.5L, 0)};
  Scene above = drawing.PrepareScene(400, 300, stacked, BoxOf(stacked), options, state, true);
  EXPECT_FALSE(above.dots[0].visible);
  EXPECT_TRUE(above.dots[30 * 60].visible);  // polar angle 180: pointing away
  EXPECT_EQ(above.dots[0].x, above.atoms[0].x);
  EXPECT_EQ(above.marginX, 50);
  Scene tallAbove = drawing.PrepareScene(300, 400, stacked, BoxOf(stacked), options, state, true);
  EXPECT_EQ(tallAbove.dots[0].y, above.dots[0].y + 50);

  Draw(close);
  auto dots = Lines();
  EXPECT_EQ(static_cast<int>(dots.size()), 2 * 3600 - hidden);
  EXPECT_EQ(dots.back().at[2], dots.back().at[0] + 1);
  options.style = SphereStyle::Lines;
  Draw(lone);
  auto mesh = Lines();
  EXPECT_EQ(mesh.size(), 2u * 59 * 59 * 2);  // rows below the last, dots before the last of a row
  auto line = [&](int from, int to) {
    return std::vector<int>{apart.dots[from].x, apart.dots[from].y, apart.dots[to].x, apart.dots[to].y};
  };
  EXPECT_EQ(mesh[0].at, line(0, 1));
  EXPECT_EQ(mesh[1].at, line(0, 60));
  EXPECT_EQ(mesh[3].at, line(1, 61));
  EXPECT_EQ(mesh[2 * 59 + 1].at, line(60, 120));
}

namespace {

// A helix of n carbon atoms (atom i at 1.5 cos 0.6i, 1.5 sin 0.6i, 0.15i,
// bonded to atoms i - 1 and i + 1).
std::vector<ElemCoord> CarbonHelix(int n) {
  std::vector<ElemCoord> helix;
  for (int i = 0; i < n; ++i) {
    helix.push_back(Atom(i, "C", 1.5L * std::cos(0.6L * i), 1.5L * std::sin(0.6L * i), 0.15L * i));
    if (i > 0) helix[i].bonds.push_back({i - 1, 0});
    if (i < n - 1) helix[i].bonds.push_back({i + 1, 0});
  }
  return helix;
}

// A 200-atom helix, every sample structure, and two of absurd scales.
std::vector<std::vector<ElemCoord>> MoleculesToDraw(const ElemColor& colours) {
  std::vector<std::vector<ElemCoord>> molecules = {CarbonHelix(200)};
  for (const char* set : {"BoilingPoint/hin/", "MeltingPoint/hin/"})
    for (const std::string& file : ListFiles(SampleFolder() + set, "*.hin"))
      molecules.push_back(ReadHinFile(SampleFolder() + set + file, colours));
  molecules.push_back({Atom(0, "O", 0, 0, 0), Atom(1, "N", 1e-20L, 0, 0), Atom(2, "C", 0, 2e-20L, 1e-20L)});
  molecules.push_back({Atom(0, "O", -5e38L, 0, 0), Atom(1, "O", 5e38L, 1, 0), Atom(2, "O", 5e38L, 0, 0.5L)});
  return molecules;
}

}  // namespace

// Turned a few ways, the dots and meshes of these molecules are drawn exactly as
// the test of every dot against every other atom drew them (the hashes of the
// pictures were taken from that drawing; the last row's from the canvas that
// clipped each line's end pixel away). Both styles hide the same dots; the
// meshes, slower to paint, are drawn for every eighth molecule. A short helix,
// whose spheres fill the picture, may lead instead of the long one.
TEST_F(MoleculeDrawingTest, SphereMeshesMatchTheDrawingOfEveryDotAgainstEveryAtom) {
  const struct {
    SphereStyle style;
    int a, b, radiusKind, helixAtoms;
    const char* hash;
  } rows[] = {{SphereStyle::Dots, 0, 0, 0, 200, "201d02b46a16625e"},
              {SphereStyle::Dots, 300, 120, 2, 200, "3ae70bf79298e841"},
              {SphereStyle::Lines, 35, 250, 1, 200, "f61fd90ad77afe9f"},
              {SphereStyle::Lines, 90, 45, 0, 200, "85586e70d1a987fb"},
              {SphereStyle::Lines, 160, 300, 2, 50, "56b5102391e49b94"}};
  std::vector<std::vector<ElemCoord>> molecules = MoleculesToDraw(colours);
  ASSERT_EQ(molecules.size(), 106u);
  options.spheres = true;
  options.hideAllSymbols = true;
  state.lastDrawnRow = 1;
  QImage image(440, 560, QImage::Format_RGB32);
  for (const auto& row : rows) {
    molecules[0] = CarbonHelix(row.helixAtoms);
    options.style = row.style;
    options.radiusKind = row.radiusKind;
    state.a = row.a;
    state.b = row.b;
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (std::size_t k = 0; k < molecules.size(); k += row.style == SphereStyle::Dots ? 1 : 8) {
      std::vector<ElemCoord> atoms = molecules[k];
      ImageCanvas canvas(image);
      drawing.DrawMolecule(canvas, atoms, CentreMolecule(atoms), options, state, 1, "", "");
      hash.addData(QByteArrayView(image.constBits(), image.sizeInBytes()));
    }
    EXPECT_EQ(hash.result().toHex().left(16).toStdString(), row.hash) << row.a << " " << row.b;
  }
}

// Projections far off the picture are cut to the screen limit, dots beyond the
// float range to its edge, and a projection that is not a number to the offset.
TEST_F(MoleculeDrawingTest, AbsurdScalesAreCutToTheScreenLimit) {
  options.spheres = true;
  // Two atoms 1e-20 apart: each circle would be 1e22 pixels wide.
  std::vector<ElemCoord> close = {Atom(0, "O", 0, 0, 0, {{1, 1}}), Atom(1, "N", 1e-20L, 0, 0, {{0, 1}})};
  Draw(close);
  auto circles = canvas->CallsOf(CallKind::Ellipse);
  ASSERT_EQ(circles.size(), 2u);
  const int r = kScreenLimit;
  EXPECT_EQ(circles[1].at[2] - circles[1].at[0], 2 * r);
  EXPECT_EQ(circles[1].at[1], 150 - r);
  EXPECT_EQ((std::set<int>{circles[0].at[0], circles[1].at[0]}), (std::set<int>{16 - r, 284 - r}));
  EXPECT_EQ(Lines().size(), 4u);  // the double bond's two lines, each split

  // Zoomed and moved as far as the view allows.
  state.zoom = 1e30L;
  state.panX = INT32_MAX;
  state.panY = INT32_MIN;
  Scene far = drawing.PrepareScene(300, 300, close, BoxOf(close), options, state, true);
  EXPECT_EQ(far.atoms[1].x, r);
  EXPECT_EQ(far.atoms[1].y, -r);
  EXPECT_EQ(far.atoms[1].radius, r);
  state.Reset();

  // 1e39 lies beyond the float range the rotated dots are kept in.
  options.style = SphereStyle::Dots;
  std::vector<ElemCoord> wide = {Atom(0, "O", -5e38L, 0, 0), Atom(1, "O", 5e38L, 0, 0)};
  Scene dots = drawing.PrepareScene(300, 300, wide, BoxOf(wide), options, state, true);
  ASSERT_EQ(dots.dots.size(), 2u * 3600u);
  for (const VideoCoord& dot : dots.dots) {
    ASSERT_GE(dot.x, 16);
    ASSERT_LE(dot.x, 284);
  }

  // A box whose diagonal is infinite: every projection is not a number.
  std::vector<ElemCoord> huge = {Atom(0, "C", 1e3000L, 0, 0), Atom(1, "C", 0, 0, 0)};
  Scene lost = drawing.PrepareScene(300, 300, huge, BoxOf(huge), options, state, true);
  EXPECT_EQ(lost.atoms[0].x, 16);
  EXPECT_EQ(lost.atoms[1].y, 16);
  EXPECT_EQ(lost.dots.back().x, 16);
}

TEST_F(MoleculeDrawingTest, ANewRowStartsFromAFreshViewAndBadPartnersArePassedOver) {
  options.color = false;
  std::vector<ElemCoord> atoms = {Atom(0, "C", 0, 0, 0, {{1, 0}, {7, 0}, {-1, 0}}), Atom(1, "C", 2, 0, 0, {{0, 0}})};
  state.a = 30;
  state.lastDrawnRow = 1;
  Draw(atoms);  // the row drawn last: the turn stays
  EXPECT_EQ(state.a, 30);
  EXPECT_EQ(Lines().size(), 1u);
  canvas = std::make_unique<RecordingCanvas>(300, 300);
  drawing.DrawMolecule(*canvas, atoms, BoxOf(atoms), options, state, 2, "", "");
  EXPECT_EQ(state.a, 0);
  EXPECT_EQ(state.lastDrawnRow, 2);
}

TEST(ViewStateTest, MouseTurnsMovesAndZooms) {
  ViewState view;
  EXPECT_FALSE(view.MouseMove(5, 5));
  view.MouseDown(false, false);
  EXPECT_FALSE(view.MouseMove(10, 10));  // the first position is only recorded
  EXPECT_TRUE(view.MouseMove(10, 20));
  EXPECT_EQ(view.a, 5);
  EXPECT_TRUE(view.MouseMove(10, 9));
  EXPECT_EQ(view.a, 359);
  EXPECT_EQ(view.b, 0);
  view.MouseUp();
  EXPECT_FALSE(view.MouseMove(0, 0));

  // A slow drag of one-pixel steps turns as far as one long step.
  view.Reset();
  view.MouseDown(false, false);
  view.MouseMove(0, 0);
  for (int x = 1; x <= 10; ++x) view.MouseMove(x, 0);
  EXPECT_EQ(view.b, 5);
  view.MouseUp();
  view.MouseMove(0, 0);

  view.MouseDown(true, true);  // Shift wins: pan
  view.MouseMove(0, 0);
  view.MouseMove(7, -3);
  view.MouseMove(10, -1);
  EXPECT_EQ(view.panX, 10);
  EXPECT_EQ(view.panY, -1);
  view.MouseUp();
  view.MouseMove(0, 0);

  view.MouseDown(false, true);
  view.MouseMove(0, 0);
  view.MouseMove(0, 40);
  EXPECT_EQ(view.zoom, 1.0L + 40 * 0.025L);
  view.MouseMove(0, -1000);
  EXPECT_EQ(view.zoom, 0.0L);
}

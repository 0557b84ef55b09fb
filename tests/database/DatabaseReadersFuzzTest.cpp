// Truncated, random and absurd inputs for the database readers, and the drawing
// of the molecules they read: they must neither crash, hang nor read out of
// bounds, nor meet undefined behaviour (also run under the sanitizers).
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>

#include "database/DatabaseLoader.h"
#include "database/DatabaseQuery.h"
#include "database/ElemColor.h"
#include "database/HinReader.h"
#include "database/MoleculeDrawing.h"
#include "platform/base/NumberText.h"
#include "platform/qt/ImageCanvas.h"
#include "support/TestFolder.h"

namespace {

const std::string kHin =
    "mol 1 \"x\"\r\natom 1 - C ** - 0.1 1.0 2.0 3.0 2 2 s 3 a \r\natom 2 - O ** - -0.2 0.5 1 1 1 1 s\r\n"
    "atom 3 - N ** - 0 1e2 -3 .5 1 1 a\r\nendmol 1\r\n";
// Two molecules of one atom each, both at the origin, each bonded to the other.
// The ignored fields carry no number, so that each number is one the reader
// takes: atom numbers, coordinates and partners.
const std::string kTwoMolecules =
    "mol a\r\natom 1 - H ** - q 0 0 0 n 2 s\r\nendmol a\r\nmol b\r\natom 1 - H ** - q 0 0 0 n 1 s\r\nendmol b\r\n";
const std::string kDataSet = "ID;Name;CAS;SMILES;T;R\r\n1;A;000064-17-5;CCO;5;\r\n2;B;2-2-2;[NH3+]C1CC1;6;\r\n";

// Numbers that break arithmetic done naively: beyond the long double, float and
// 32-bit ranges, tiny and subnormal, and at the 32-bit limits.
const std::vector<std::string> kAbsurdNumbers = {"1e3000", "-1.1e2466", "1e39",       "-3.4e38",     "1e-20",
                                                 "1e-4940", "2147483647", "-2147483648", "4294967298", "0"};

std::vector<std::string> Inputs(const std::string& seed, unsigned rounds) {
  std::vector<std::string> inputs;
  for (std::size_t n = 0; n <= seed.size(); ++n) inputs.push_back(seed.substr(0, n));
  std::mt19937 random(12345);
  const std::string alphabet = "atom mol;\r\n 0123456789.-+eE\tCNOsad[]()=#";
  for (unsigned i = 0; i < rounds; ++i) {
    std::string text = seed;
    int edits = 1 + static_cast<int>(random() % 8);
    for (int e = 0; e < edits && !text.empty(); ++e)
      text[random() % text.size()] = alphabet[random() % alphabet.size()];
    inputs.push_back(text);
    std::string noise(random() % 200, ' ');
    for (char& c : noise) c = alphabet[random() % alphabet.size()];
    inputs.push_back(noise);
  }
  return inputs;
}

// The text with one of its numbers replaced by each absurd number in turn, for
// every number of the text (separated by blanks and line ends).
std::vector<std::string> AbsurdVariants(const std::string& text) {
  std::vector<std::string> variants;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = std::min(text.find_first_of(" \r\n", start), text.size());
    long double value = 0;
    if (TryStrToFloat(text.substr(start, end - start), value))
      for (const std::string& number : kAbsurdNumbers)
        variants.push_back(text.substr(0, start) + number + text.substr(end));
    start = end + 1;
  }
  return variants;
}

// A canvas that paints nothing and keeps whether every point it was given lies
// within reach of the screen limit: a circle's corner is its centre plus its
// radius, a bond's side line is two pixels off its centre line.
class ReachCanvas : public Canvas {
public:
  int Width() const override { return 72; }
  int Height() const override { return 56; }
  void MoveTo(int x, int y) override { Check(x, y); }
  void LineTo(int x, int y) override { Check(x, y); }
  void Rectangle(int l, int t, int r, int b) override { Check(l, t), Check(r, b); }
  void FillRect(int l, int t, int r, int b) override { Check(l, t), Check(r, b); }
  void RoundRect(int l, int t, int r, int b, int, int) override { Check(l, t), Check(r, b); }
  void Ellipse(int l, int t, int r, int b) override { Check(l, t), Check(r, b); }
  void Polygon(const int* xy, int pointCount) override {
    for (int i = 0; i < pointCount; ++i) Check(xy[2 * i], xy[2 * i + 1]);
  }
  void SetPixel(int x, int y, TColor) override { Check(x, y); }
  void TextOut(int x, int y, const std::string&) override { Check(x, y); }
  int TextWidth(const std::string& text) override { return 7 * static_cast<int>(text.size()); }
  int TextHeight(const std::string&) override { return 13; }

  bool InReach() const { return inReach_; }

private:
  void Check(int x, int y) {
    constexpr int kReach = 2 * kScreenLimit + 2;
    inReach_ = inReach_ && std::abs(x) <= kReach && std::abs(y) <= kReach;
  }
  bool inReach_ = true;
};

// The display modes: without spheres, plain circles of van der Waals radii, and
// dot and line meshes of the smaller calculated and empirical radii (fewer dots).
std::vector<ViewOptions> DisplayModes() {
  std::vector<ViewOptions> modes(4);
  const SphereStyle styles[] = {SphereStyle::Plain, SphereStyle::Plain, SphereStyle::Dots, SphereStyle::Lines};
  const int radiusKinds[] = {0, 2, 1, 0};
  for (int mode = 0; mode < 4; ++mode) {
    modes[mode].spheres = mode > 0;
    modes[mode].style = styles[mode];
    modes[mode].radiusKind = radiusKinds[mode];
    modes[mode].showAllSymbols = true;
  }
  return modes;
}

// Reads a structure file and draws it as the window does, in each mode given;
// a refused file draws nothing.
void ReadAndDraw(const std::string& text, Canvas& canvas, const std::vector<ViewOptions>& modes) {
  static const ElemColor colours;
  static MoleculeDrawing drawing(colours);
  MemoryStream stream(std::vector<uint8_t>(text.begin(), text.end()));
  std::vector<ElemCoord> atoms;
  ViewBox box;
  try {
    atoms = ReadHinAtoms(stream, colours);
    if (atoms.empty()) return;
    box = CentreMolecule(atoms);
  } catch (const Exception&) {
    return;
  }
  ASSERT_TRUE(std::isfinite(BoxDiagonal(box))) << text;
  ViewState view;
  for (const ViewOptions& options : modes) drawing.DrawMolecule(canvas, atoms, box, options, view, 1, "name", "cas");
}

}  // namespace

TEST(DatabaseReadersFuzzTest, HinReaderAndDrawingSurviveDamagedFiles) {
  const std::vector<ViewOptions> modes = DisplayModes();
  const std::vector<std::string> inputs = Inputs(kHin, 2000);
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    ReachCanvas canvas;
    ReadAndDraw(inputs[i], canvas, {modes[i % modes.size()]});
    ASSERT_TRUE(canvas.InReach()) << inputs[i];
  }
}

// Each number of the file made absurd in turn, drawn onto a real image.
TEST(DatabaseReadersFuzzTest, HinReaderAndDrawingSurviveAbsurdNumbers) {
  QImage image(72, 56, QImage::Format_RGB32);
  ImageCanvas canvas(image);
  for (const std::string& text : AbsurdVariants(kTwoMolecules)) ReadAndDraw(text, canvas, DisplayModes());
}

TEST(DatabaseReadersFuzzTest, LoaderAndQueriesSurviveDamagedFiles) {
  for (const std::string& text : Inputs(kDataSet, 2000)) {
    DatabaseContent content;
    MemoryStream stream(std::vector<uint8_t>(text.begin(), text.end()));
    LoadDataSet(stream, 0, content);
    for (const Molecule& m : content.records) ParseSmilesStructure(m.smiles);
    std::vector<AtomNum> counts;
    ParseEmpiricalFormula(text, counts);
  }
}

// Formulas of three counts, each none, small, at or beyond the 32-bit limit or
// wrapping round to a small one: the atoms are counted exactly or refused.
TEST(DatabaseReadersFuzzTest, FormulaCountsAreExactOrRefused) {
  const std::vector<std::string> counts = {"",           "0",          "2",         "999999999",
                                           "2147483647", "2147483648", "294967300", "99999999999999999999"};
  auto value = [](const std::string& count) { return count.empty() ? 1.0L : std::stold(count); };
  for (const std::string& a : counts)
    for (const std::string& b : counts)
      for (const std::string& c : counts) {
        const std::string formula = "C" + a + "H" + b + "C" + c;
        const long double total = value(a) + value(b) + value(c);
        std::vector<AtomNum> found;
        const std::optional<int> atoms = ParseEmpiricalFormula(formula, found);
        if (total > INT32_MAX) {
          ASSERT_EQ(atoms, std::nullopt) << formula;
        } else {
          ASSERT_EQ(atoms, static_cast<int>(total)) << formula;
          ASSERT_EQ(found[0].count, static_cast<int>(value(a) + value(c))) << formula;
        }
      }
}

TEST(DatabaseReadersFuzzTest, ColourMapReaderSurvivesAnyLength) {
  TestFolder folder;
  ElemColor colours;
  for (const std::string& text : Inputs(std::string(480, '\xAB'), 50)) {
    std::ofstream(folder.Path("map.cfg"), std::ios::binary | std::ios::trunc) << text;
    ReadColourMap(folder.Path("map.cfg"), colours);
    for (int i = 0; i < colours.Count(); ++i) ASSERT_EQ(colours.ColorAt(i) >> 24, 0u);
  }
}

// Truncated and random inputs for the database readers: they must neither
// crash, hang nor read out of bounds (also run under AddressSanitizer).
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "database/DatabaseLoader.h"
#include "database/DatabaseQuery.h"
#include "database/ElemColor.h"
#include "database/HinReader.h"
#include "support/TestFolder.h"

namespace {

const std::string kHin =
    "mol 1 \"x\"\r\natom 1 - C ** - 0.1 1.0 2.0 3.0 2 2 s 3 a \r\natom 2 - O ** - -0.2 0.5 1 1 1 1 s\r\n"
    "atom 3 - N ** - 0 1e2 -3 .5 1 1 a\r\nendmol 1\r\n";
const std::string kDataSet = "ID;Name;CAS;SMILES;T;R\r\n1;A;000064-17-5;CCO;5;\r\n2;B;2-2-2;[NH3+]C1CC1;6;\r\n";

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

}  // namespace

TEST(DatabaseReadersFuzzTest, HinReaderSurvivesDamagedFiles) {
  ElemColor colours;
  for (const std::string& text : Inputs(kHin, 2000)) {
    MemoryStream stream(std::vector<uint8_t>(text.begin(), text.end()));
    try {
      auto atoms = ReadHinAtoms(stream, colours);
      if (!atoms.empty()) CentreMolecule(atoms);
    } catch (const Exception&) {
    }
  }
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

TEST(DatabaseReadersFuzzTest, ColourMapReaderSurvivesAnyLength) {
  TestFolder folder;
  ElemColor colours;
  for (const std::string& text : Inputs(std::string(480, '\xAB'), 50)) {
    std::ofstream(folder.Path("map.cfg"), std::ios::binary | std::ios::trunc) << text;
    ReadColourMap(folder.Path("map.cfg"), colours);
    for (int i = 0; i < colours.Count(); ++i) ASSERT_EQ(colours.ColorAt(i) >> 24, 0u);
  }
}

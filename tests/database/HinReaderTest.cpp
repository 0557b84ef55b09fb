#include "database/HinReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

std::vector<ElemCoord> Read(const std::string& text) {
  MemoryStream stream(std::vector<uint8_t>(text.begin(), text.end()));
  ElemColor colours;
  return ReadHinAtoms(stream, colours);
}

std::vector<std::string> Tokens(const std::string& text) {
  MemoryStream stream(std::vector<uint8_t>(text.begin(), text.end()));
  ByteSource source(stream);
  std::vector<std::string> tokens;
  for (std::string t = ReadHinToken(&source); !t.empty(); t = ReadHinToken(&source)) tokens.push_back(t);
  return tokens;
}

const char* kAtomLine = "atom 1 - C CA - 0 1.0 2.0 3.0 2 2 s 3 a\r\n";

}  // namespace

TEST(HinReaderTest, ReadsAnAtomWithItsBonds) {
  auto atoms = Read(std::string("mol 1\r\n") + kAtomLine + "endmol 1\r\n");
  ASSERT_EQ(atoms.size(), 1u);
  EXPECT_EQ(atoms[0].number, 0);
  EXPECT_EQ(atoms[0].element, "C");
  EXPECT_EQ(atoms[0].x, 1.0L);
  EXPECT_EQ(atoms[0].y, 2.0L);
  EXPECT_EQ(atoms[0].z, 3.0L);
  EXPECT_EQ(atoms[0].colour, 0x404040u);
  ASSERT_EQ(atoms[0].bonds.size(), 2u);
  EXPECT_EQ(atoms[0].bonds[0].partner, 1);
  EXPECT_EQ(atoms[0].bonds[0].type, 0);
  EXPECT_EQ(atoms[0].bonds[1].partner, 2);
  EXPECT_EQ(atoms[0].bonds[1].type, 3);
}

TEST(HinReaderTest, TokensBondLettersAndOddFields) {
  EXPECT_EQ(Tokens("  a  b\tc\r\nd"), (std::vector<std::string>{"a", "b\tc", "\n", "d"}));
  EXPECT_EQ(Tokens("x\ny"), (std::vector<std::string>{"x", "\n", "y"}));
  EXPECT_EQ(ReadHinToken(nullptr), "");
  EXPECT_EQ(HinBondType("s"), 0);
  EXPECT_EQ(HinBondType("d"), 1);
  EXPECT_EQ(HinBondType("t"), 2);
  EXPECT_EQ(HinBondType("a"), 3);
  for (const char* other : {"D", "x", "", "dd"}) EXPECT_EQ(HinBondType(other), 0) << other;

  auto atoms = Read("atom 1 - Xx ** - 0   1 2 3 0\r\natom  2 - O ** - 0 0 0 0 1 1 D");
  ASSERT_EQ(atoms.size(), 2u);
  EXPECT_EQ(atoms[1].number, 1);  // no molecule line: numbered from the file
  EXPECT_TRUE(atoms[0].bonds.empty());
  EXPECT_EQ(atoms[0].colour, 0xFFFFFFu);
  ASSERT_EQ(atoms[1].bonds.size(), 1u);  // the file ends inside the line
  EXPECT_EQ(atoms[1].bonds[0].type, 0);
}

TEST(HinReaderTest, LineFeedEndsLinesLikeCrLfButALoneCrRunsOn) {
  std::string lf = "mol 1\natom 1 - C ** - 0 0 0 0 1 2 d\natom 2 - O ** - 0 1 0 0 1 1 d\nendmol 1\n";
  auto atoms = Read(lf);
  ASSERT_EQ(atoms.size(), 2u);
  ASSERT_EQ(atoms[0].bonds.size(), 1u);
  EXPECT_EQ(atoms[0].bonds[0].type, 1);
  EXPECT_EQ(atoms[1].x, 1.0L);

  std::string cr = "atom 1 - C ** - 0 0 0 0 1 2 d\ratom 2 - O ** - 0 1 0 0 1 1 d\r";
  EXPECT_THROW(Read(cr), EConvertError);
  // Lines that do not start with the keyword are passed over.
  EXPECT_TRUE(Read(" atom 1 - C ** - 0 0 0 0 0\r\nAtom 1 - C ** - 0 0 0 0 0\r\n").empty());
}

TEST(HinReaderTest, LaterMoleculesNumberAfterEarlierOnes) {
  auto atoms = Read(
      "mol 1\r\natom 1 - C ** - 0 0 0 0 1 2 s\r\natom 2 - C ** - 0 1 0 0 1 1 s\r\nendmol 1\r\n"
      "mol 2\r\natom 1 - O ** - 0 5 0 0 1 2 s\r\natom 2 - H ** - 0 6 0 0 1 1 s\r\nendmol 2\r\n");
  ASSERT_EQ(atoms.size(), 4u);
  EXPECT_EQ(atoms[2].number, 2);
  EXPECT_EQ(atoms[2].bonds[0].partner, 3);
  EXPECT_EQ(atoms[3].bonds[0].partner, 2);
  EXPECT_EQ(atoms[1].bonds[0].partner, 0);
}

TEST(HinReaderTest, NumbersWhoseResultLeaves32BitsAreBadNumbers) {
  const std::string first = "mol 1\r\natom 1 - C ** - 0 0 0 0 1 2 s\r\n";
  auto atoms = Read(first + "mol 2\r\natom 2147483647 - C ** - 0 0 0 0 1 2147483646 s\r\n");
  ASSERT_EQ(atoms.size(), 2u);
  EXPECT_EQ(atoms[1].number, INT32_MAX);
  EXPECT_EQ(atoms[1].bonds[0].partner, INT32_MAX - 1);
  EXPECT_EQ(Read("atom -2147483647 - C ** - 0 0 0 0 0\r\n")[0].number, INT32_MIN);
  const std::string third = first + first + "mol 3\r\n";
  for (const std::string& file : std::vector<std::string>{
           "atom -2147483648 - C ** - 0 0 0 0 0\r\n", "atom 1 - C ** - 0 0 0 0 1 -2147483648 s\r\n",
           third + "atom 1 - C ** - 0 0 0 0 1 2147483647 s\r\n", third + "atom 2147483647 - C ** - 0 0 0 0 0\r\n"})
    EXPECT_THROW(Read(file), EConvertError) << file;
}

TEST(HinReaderTest, PartnersNumberedBelowOneAreBadNumbers) {
  EXPECT_EQ(Read("atom 1 - C ** - 0 0 0 0 1 1 s\r\n")[0].bonds[0].partner, 0);
  const std::string first = "mol 1\r\natom 1 - C ** - 0 0 0 0 1 2 s\r\natom 2 - C ** - 0 0 0 0 1 1 s\r\n";
  for (const char* partner : {"0", "-1", "-2147483647", "-2147483648"}) {
    const std::string line = std::string("atom 1 - C ** - 0 0 0 0 1 ") + partner + " s\r\n";
    EXPECT_THROW(Read(line), EConvertError) << partner;
    // After an earlier molecule the shifted result would still fit 32 bits.
    EXPECT_THROW(Read(first + "mol 2\r\n" + line), EConvertError) << partner;
  }
}

TEST(HinReaderTest, AMoleculeTooLargeToDrawIsRefusedUnmoved) {
  // The diagonal's square overflows from a spread of about 1.09e2466 on.
  for (const char* axis :
       {"atom 2 - C ** - 0 %s 0 0 0\r\n", "atom 2 - C ** - 0 0 %s 0 0\r\n", "atom 2 - C ** - 0 0 0 %s 0\r\n"}) {
    auto line = [axis](const char* spread) {
      char text[80];
      std::snprintf(text, sizeof text, axis, spread);
      return "atom 1 - C ** - 0 0 0 0 0\r\n" + std::string(text);
    };
    auto huge = Read(line("1.1e2466"));
    EXPECT_THROW(CentreMolecule(huge), EConvertError) << axis;
    EXPECT_EQ(huge[1].x + huge[1].y + huge[1].z, 1.1e2466L);
    auto large = Read(line("1e2466"));
    ViewBox box = CentreMolecule(large);
    EXPECT_EQ(large[0].x + large[0].y + large[0].z, -5e2465L);
    EXPECT_EQ(BoxDiagonal(box), 1e2466L);
  }
  auto far = Read("atom 1 - C ** - 0 1e3000 0 0 0\r\natom 2 - C ** - 0 0 0 0 0\r\n");
  EXPECT_THROW(CentreMolecule(far), EConvertError);
  auto close = Read("atom 1 - C ** - 0 1e-20 0 0 0\r\natom 2 - C ** - 0 0 0 0 0\r\n");
  EXPECT_EQ(BoxDiagonal(CentreMolecule(close)), 1e-20L);
}

TEST(HinReaderTest, CentringMakesTheBoxSymmetric) {
  auto atoms = Read(
      "atom 1 - C ** - 0 1 -2 10 0\r\natom 2 - C ** - 0 4 6 10.5 0\r\natom 3 - C ** - 0 2 0 12 0\r\n");
  ViewBox box = CentreMolecule(atoms);
  EXPECT_EQ(box.minX, -1.5L);
  EXPECT_EQ(box.maxX, 1.5L);
  EXPECT_EQ(box.maxY, 4.0L);
  EXPECT_EQ(box.minZ, -1.0L);
  EXPECT_EQ(atoms[0].x, -1.5L);
  EXPECT_EQ(atoms[1].x, 1.5L);
  EXPECT_EQ(atoms[2].x, -0.5L);
  EXPECT_EQ(atoms[0].y, -4.0L);
  EXPECT_EQ(atoms[2].z, 1.0L);

  auto single = Read("atom 1 - N ** - 0 3 4 5 0\r\n");
  box = CentreMolecule(single);
  EXPECT_EQ(single[0].x, 0.0L);
  EXPECT_EQ(single[0].z, 0.0L);
  EXPECT_EQ(box.maxX - box.minX, 0.0L);
}

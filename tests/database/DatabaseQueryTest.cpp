#include "database/DatabaseQuery.h"

#include <gtest/gtest.h>

#include <set>

#include "database/SampleDatabase.h"

namespace {

class DatabaseQueryTest : public testing::Test {
protected:
  QueryResult Run(const QueryInput& input) {
    DatabaseQuery query(SampleContent(), SampleFolder(), SampleFiles());
    return query.Run(input);
  }
  std::set<std::string> Cas(const QueryInput& input) {
    std::set<std::string> found;
    for (std::size_t r = 1; r < Run(input).rows.size(); ++r) found.insert(Run(input).rows[r][3]);
    return found;
  }
  static QueryInput CasQuery(const std::string& a, const std::string& b, const std::string& c) {
    QueryInput input;
    input.cas[0] = a;
    input.cas[1] = b;
    input.cas[2] = c;
    return input;
  }
  static QueryInput Structure(const std::string& smiles) {
    QueryInput input;
    input.mode = QueryMode::Smiles;
    input.smilesKind = SmilesKind::Structure;
    input.smiles = smiles;
    return input;
  }
  static QueryInput Formula(const std::string& formula) {
    QueryInput input;
    input.mode = QueryMode::Formula;
    input.formula = formula;
    return input;
  }
};

const std::string kEthanol = "000064-17-5";
const std::string kEther = "000115-10-6";
const std::string kBenzene = "000071-43-2";
const std::string kCyclohexane = "000110-82-7";

}  // namespace

TEST_F(DatabaseQueryTest, CasPartsMatchAtTheirPositions) {
  const std::string parts[3] = {"64", "", ""};
  EXPECT_TRUE(CasMatches(kEthanol, parts));
  const std::string shifted[3] = {"17", "", ""};
  EXPECT_FALSE(CasMatches(kEthanol, shifted));  // position 8 belongs to part 2
  const std::string full[3] = {"000064", "17", "5"};
  EXPECT_TRUE(CasMatches(kEthanol, full));
  const std::string second[3] = {"", "1", "5"};
  EXPECT_TRUE(CasMatches(kEthanol, second));
  const std::string secondLate[3] = {"", "7", ""};
  EXPECT_FALSE(CasMatches(kEthanol, secondLate));
  const std::string checkOnly[3] = {"", "", "5"};
  EXPECT_FALSE(CasMatches("64-17-5", checkOnly));
  const std::string tooLong[3] = {"0000641", "", ""};
  EXPECT_FALSE(CasMatches(kEthanol, tooLong));

  EXPECT_TRUE(Cas(CasQuery("64", "", "")).count(kEthanol));
  QueryResult all = Run(CasQuery("", "", ""));
  EXPECT_EQ(all.Hits(), 56);
  QueryInput separate = CasQuery("", "", "");
  separate.separate = true;
  EXPECT_EQ(Run(separate).Hits(), 103);
  separate.dataset = 1;
  EXPECT_EQ(Run(separate).Hits(), 54);
}

TEST_F(DatabaseQueryTest, MergedRowsHoldEveryDataSetsValue) {
  QueryResult result = Run(CasQuery("64", "17", "5"));
  ASSERT_EQ(result.Hits(), 1);
  const auto& row = result.rows[1];
  EXPECT_EQ(row[0], "1");
  EXPECT_EQ(row[2], "Ethanol");
  EXPECT_EQ(row[4], "CCO");
  EXPECT_EQ(row[5], "78");
  EXPECT_EQ(row[6], "-114");
  EXPECT_EQ(result.rows[0][5], "Boiling point (deg C)");

  QueryResult caffeine = Run(CasQuery("58", "08", "2"));
  ASSERT_EQ(caffeine.Hits(), 1);
  EXPECT_TRUE(caffeine.EmptyColumn(5));
  EXPECT_FALSE(caffeine.EmptyColumn(6));
}

TEST_F(DatabaseQueryTest, NameAndDatasetSmilesAndEmptyInputFallBack) {
  QueryInput name;
  name.mode = QueryMode::Name;
  name.name = "ETHANOL";
  std::set<std::string> names = Cas(name);  // also the methanols: a substring search
  EXPECT_TRUE(names.count(kEthanol));
  EXPECT_TRUE(names.count("000067-56-1"));
  EXPECT_EQ(names.size(), 4u);
  name.name = "bromophenol";
  EXPECT_EQ(Run(name).Hits(), 3);
  EXPECT_EQ(Run(name).rows[1][2], "2-Bromophenol");

  // A chemist's names find their compounds.
  const std::pair<const char*, const char*> common[] = {{"caffeine", "000058-08-2"}, {"water", "007732-18-5"},
                                                        {"acetone", "000067-64-1"}, {"glycerol", "000056-81-5"},
                                                        {"paracetamol", "000103-90-2"}};
  for (const auto& [text, cas] : common) {
    name.name = text;
    EXPECT_EQ(Cas(name), std::set<std::string>{cas}) << text;
  }

  QueryInput smiles;
  smiles.mode = QueryMode::Smiles;
  smiles.smiles = "CCO";
  EXPECT_EQ(Cas(smiles), (std::set<std::string>{kEthanol}));
  smiles.smiles = "OCC";
  EXPECT_TRUE(Cas(smiles).empty());
  smiles.smiles = "";
  QueryResult fallBack = Run(smiles);
  EXPECT_EQ(fallBack.mode, QueryMode::Cas);
  EXPECT_EQ(fallBack.Hits(), 56);
}

TEST_F(DatabaseQueryTest, FormulaCountsEveryElementWithHydrogens) {
  EXPECT_EQ(Cas(Formula("C2H6O")), (std::set<std::string>{kEthanol, kEther}));
  EXPECT_EQ(Cas(Formula("CH3OH")), (std::set<std::string>{"000067-56-1"}));
  EXPECT_EQ(Cas(Formula("CH4O")), (std::set<std::string>{"000067-56-1"}));
  EXPECT_TRUE(Cas(Formula("C2H5O")).empty());
  EXPECT_TRUE(Cas(Formula("C2H6N")).empty());  // every element of the molecule must be in the formula

  struct LastPosition : Progress {
    void SetText(const std::string&) override {}
    void SetRange(int, int) override {}
    void SetPosition(int pos) override { last = pos; }
    void AnimationTick() override {}
    int last = -1;
  } progress;
  DatabaseQuery(SampleContent(), SampleFolder(), SampleFiles()).Run(Formula("CH4O"), &progress);
  EXPECT_EQ(progress.last, 103 * (2147483647 / 103));
  // A structure file that cannot be read is no match.
  const std::string elsewhere = SampleFolder() + "no-such-folder/";
  EXPECT_EQ(DatabaseQuery(SampleContent(), elsewhere, SampleFiles()).Run(Formula("CH4O")).Hits(), 0);
  std::vector<AtomNum> counts;
  EXPECT_EQ(ParseEmpiricalFormula("C6H5Cl", counts), 12);
  ASSERT_EQ(counts.size(), 3u);
  EXPECT_EQ(counts[2].element, "Cl");
  counts.clear();
  EXPECT_EQ(ParseEmpiricalFormula("CoCl2H12O6", counts), 21);
  EXPECT_EQ(counts[0].element, "Co");
  // Text that names no element counts no atom.
  EXPECT_EQ(ParseEmpiricalFormula("(C6H5)-Cl?", counts), 12);
  EXPECT_EQ(counts.size(), 3u);
}

TEST_F(DatabaseQueryTest, FormulasWhoseCountsLeave32BitsMatchNothing) {
  std::vector<AtomNum> counts;
  EXPECT_EQ(ParseEmpiricalFormula("C2147483647", counts), INT32_MAX);
  EXPECT_EQ(counts[0].count, INT32_MAX);
  for (const char* bad : {"C2147483648", "C2147483647H", "C99999999999999999999999", "C999999999C999999999C999999999"})
    EXPECT_EQ(ParseEmpiricalFormula(bad, counts), std::nullopt) << bad;
  // Every digit belongs to the count, however many there are.
  EXPECT_EQ(ParseEmpiricalFormula("C00000000000002H6O", counts), 9);
  EXPECT_EQ(counts[0].count, 2);
  EXPECT_EQ(Cas(Formula("C00000000000002H6O")), (std::set<std::string>{kEthanol, kEther}));
  // The carbons would wrap round to ethanol's two in 32 bits.
  const std::string wrapsToTwo = "C999999999C999999999C999999999C999999999C294967300C2";
  EXPECT_TRUE(Cas(Formula(wrapsToTwo + "H6O")).empty());
  // A SMILES of hydrogens only takes the formula's counts (heavy atoms), bad ones included.
  QueryInput hydrogens = Structure("[H][H]");
  hydrogens.formula = "C2O";
  EXPECT_EQ(Cas(hydrogens), (std::set<std::string>{kEthanol, kEther, "000075-07-0"}));  // and acetaldehyde
  hydrogens.formula = wrapsToTwo + "O";
  EXPECT_TRUE(Cas(hydrogens).empty());
}

TEST_F(DatabaseQueryTest, StructureQueriesCompareElementsAndBonds) {
  // Bond orders are not compared: acetaldehyde has ethanol's heavy atoms and bonds.
  EXPECT_EQ(Cas(Structure("CCO")), (std::set<std::string>{kEthanol, "000075-07-0"}));
  std::set<std::string> rings = {kBenzene, kCyclohexane};
  EXPECT_EQ(Cas(Structure("c1ccccc1")), rings);
  EXPECT_EQ(Cas(Structure("C1CCCCC1")), rings);
  EXPECT_EQ(Cas(Structure("OC(c1ccccc1)(c1ccccc1)c1ccccc1")), (std::set<std::string>{"000076-84-6"}));
  EXPECT_EQ(Cas(Structure("c1ccc(nc1)c1ccccn1")), (std::set<std::string>{"000366-18-7", "000553-26-4"}));
  EXPECT_EQ(Cas(Structure("[NH3+]CCCC[C@@H](C(=O)[O-])[NH3+]")), (std::set<std::string>{"000056-87-1"}));
  EXPECT_EQ(Cas(Structure("Cn1cnc2c1c(=O)n(C)c(=O)n2C")), (std::set<std::string>{"000058-08-2"}));
  EXPECT_EQ(Cas(Structure("Clc1ccccc1")), (std::set<std::string>{"000108-90-7"}));
  EXPECT_EQ(Cas(Structure("CC#N")), (std::set<std::string>{"000075-05-8"}));
}

TEST(SmilesParsingTest, SymbolsBranchesAndRingClosures) {
  std::size_t p = 0;
  EXPECT_EQ(NextElementSymbol("Sc", p, false, false), "S");
  p = 0;
  EXPECT_EQ(NextElementSymbol("Sc", p, false, true), "Sc");
  EXPECT_EQ(p, 1u);
  p = 0;
  EXPECT_EQ(NextElementSymbol("Cl", p, false, false), "Cl");
  p = 1;
  EXPECT_EQ(NextElementSymbol("Cn", p, false, false), "N");
  p = 1;
  EXPECT_EQ(NextElementSymbol("Cn", p, true, false), "");
  p = 0;
  EXPECT_EQ(NextElementSymbol("=", p, false, false), "");

  auto branched = ParseSmilesStructure("CC(C)(O)N");
  ASSERT_EQ(branched.size(), 5u);
  EXPECT_EQ(branched[1].partners, (std::vector<int>{0, 2, 3, 4}));
  EXPECT_EQ(branched[3].partners, (std::vector<int>{1}));

  auto nested = ParseSmilesStructure("C(C(O)N)S");
  ASSERT_EQ(nested.size(), 5u);
  EXPECT_EQ(nested[3].partners, (std::vector<int>{1}));
  EXPECT_EQ(nested[4].partners, (std::vector<int>{0}));
  EXPECT_EQ(ParseSmilesStructure("C9CC9")[0].partners, (std::vector<int>{1, 2}));

  // A reused ring digit opens a new ring; digits in brackets are no rings.
  auto rings = ParseSmilesStructure("C1CC1C1CC1");
  ASSERT_EQ(rings.size(), 6u);
  EXPECT_EQ(rings[0].partners, (std::vector<int>{1, 2}));
  EXPECT_EQ(rings[3].partners, (std::vector<int>{2, 4, 5}));
  auto charged = ParseSmilesStructure("[NH3+]CC[NH3+]");
  EXPECT_EQ(charged[0].partners, (std::vector<int>{1}));
  EXPECT_EQ(charged[3].partners, (std::vector<int>{2}));
  EXPECT_TRUE(ParseSmilesStructure("[H][H]").empty());
  EXPECT_TRUE(ParseSmilesStructure("C")[0].partners.empty());
}

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "database/HinReader.h"
#include "database/SampleDatabase.h"

namespace {

bool CasCheckDigitHolds(const std::string& cas) {
  if (cas.size() != 11 || cas[6] != '-' || cas[9] != '-') return false;
  std::string digits = cas.substr(0, 6) + cas.substr(7, 2);
  int sum = 0;
  for (int i = 0; i < 8; ++i) sum += (8 - i) * (digits[i] - '0');
  return sum % 10 == cas[10] - '0';
}

}  // namespace

// The counts printed by scripts/make-sample-database.py.
TEST(SampleDatabaseTest, HoldsTheGeneratedRecordsAndValidCasNumbers) {
  ASSERT_EQ(SampleFiles(), (std::vector<std::string>{"BoilingPoint.csv", "MeltingPoint.csv"}));
  const DatabaseContent& content = SampleContent();
  EXPECT_EQ(content.recordCount, 103);
  EXPECT_EQ(content.distinctCas, 56);
  EXPECT_EQ(content.titles, (std::vector<std::string>{"Boiling point (deg C)", "Melting point (deg C)"}));
  for (const Molecule& m : content.records) EXPECT_TRUE(CasCheckDigitHolds(m.cas)) << m.cas;
}

TEST(SampleDatabaseTest, IdsFollowTheStructureFilesAndNitroGroupsCarryTheirCharges) {
  std::map<std::string, std::string> idOf, smilesOf;
  for (const Molecule& m : SampleContent().records) {
    idOf[m.cas] = m.idDataset;
    smilesOf[m.cas] = m.smiles;
  }
  EXPECT_EQ(idOf["000095-56-7"], "CS_2-bromophenol");
  EXPECT_EQ(idOf["000591-20-8"], "CS_3-bromophenol");
  EXPECT_EQ(smilesOf["000098-95-3"], "[O-][N+](=O)c1ccccc1");
}

TEST(SampleDatabaseTest, EveryStructureFileReadsWithBondsOnBothAtoms) {
  ElemColor colours;
  for (const Molecule& m : SampleContent().records) {
    auto atoms = ReadHinFile(HinPath(SampleFolder(), SampleFiles()[m.dataset], m.cas), colours);
    ASSERT_FALSE(atoms.empty()) << m.cas;
    for (std::size_t i = 0; i < atoms.size(); ++i) {
      ASSERT_EQ(atoms[i].number, static_cast<int>(i)) << m.cas;
      for (const BondStruct& bond : atoms[i].bonds) {
        ASSERT_GE(bond.partner, 0);
        ASSERT_LT(bond.partner, static_cast<int>(atoms.size())) << m.cas;
        const auto& back = atoms[bond.partner].bonds;
        EXPECT_TRUE(std::any_of(back.begin(), back.end(), [&](const BondStruct& b) {
          return b.partner == static_cast<int>(i) && b.type == bond.type;
        })) << m.cas << " atom " << i;
      }
    }
  }
}

#include "prepare/DataImport.h"

#include <gtest/gtest.h>

#include <new>
#include <random>

#include "numerics/Matrix.h"
#include "numerics/Statistics.h"
#include "platform/base/NumberText.h"
#include "platform/base/WorkerThreads.h"

#include "prepare/FixedClock.h"
#include "prepare/SetupTestData.h"
#include "support/FakeProjectHost.h"

namespace {

struct LastPosition : Progress {
  void SetText(const std::string&) override {}
  void SetRange(int, int) override {}
  void SetPosition(int pos) override { position = pos; }
  void AnimationTick() override {}
  int position = -1;
};

class DataImportTest : public testing::Test {
protected:
  void Import(const std::string& text, char delimiter = ',') {
    TextTableCells cells(ReadDelimitedTable(text, delimiter));
    if (ConfirmReplaceData(host)) ImportData(cells, settings, "in.txt", host.data, nullptr, host, &progress);
  }
  Texts VarNames() const { return {host.data.tpVarNameStrPtr, host.data.tpVarNameStrPtr + host.data.iVarCount}; }

  ImportSettings settings;
  FakeProjectHost host;
  LastPosition progress;
};

// Columns left of the names and rows above the labels are ignored.
TEST_F(DataImportTest, FillsNamesValuesAndMissingCellsAndLogs) {
  settings.NameColumn = 2;
  settings.LabelRow = 2;
  Import("title\r\nid,Name,y,x1\r\n7,A,1,2.5\r\n8,B,-999,-4E2\r\n");
  const ChemoData& d = host.data;
  ASSERT_EQ(d.iObjCount, 2);
  EXPECT_EQ(VarNames(), (Texts{"y", "x1"}));
  EXPECT_EQ(d.tpChemoValuePtr[0][1].Value, 2.5L);
  EXPECT_TRUE(d.tpChemoValuePtr[1][0].Missing);
  EXPECT_EQ(d.tpChemoValuePtr[1][1].Value, -400.0L);
  EXPECT_EQ(host.discards, 1);
  ASSERT_EQ(host.log.size(), 3u);
  EXPECT_EQ(host.log[1], "Source file: in.txt");
  EXPECT_EQ(progress.position, 2);
}

TEST_F(DataImportTest, ACellThatIsNoNumberStopsTheImportNamingItsPlace) {
  host.modified = true;
  TestUi().Answer(IDYES);
  Import("Name;y;x\r\nA;1;2\r\nB;3;1,5\r\n", ';');
  EXPECT_EQ(ShownTexts(),
            (Texts{"Previous data will be erased! Do you really want to continue?",
                   "'1,5' is not a valid floating point value, found at coordinates: row = 3 column = 3 . You are "
                   "using invalid characters (usually this error occurs because you are using a comma (,) instead of "
                   "a dot (.) as a decimal separator).  Please, check all items before importing data"}));
  EXPECT_EQ(host.data.iVarCount, 0);
  EXPECT_FALSE(host.modified);
  EXPECT_FALSE(host.dataCommands);
}

TEST_F(DataImportTest, FiltersDropAndLogVariablesButNeverExemptOnes) {
  settings.ConstFilter = true;
  settings.ConstPercent = 60;  // 2 of 3 share a value: 0.67
  settings.ExemptColumns = {false, false, false, true};  // grid column 3: the second variable
  Import("Name,c1,c2,x\r\nA,1,1,1\r\nB,1,1,2\r\nC,1,1,3\r\n");
  EXPECT_EQ(VarNames(), (Texts{"c2", "x"}));
  ASSERT_EQ(host.log.size(), 5u);
  EXPECT_EQ(host.log[2], "c1");
  EXPECT_EQ(host.log[3], "Total excluded descriptors: 1\n");
}

TEST_F(DataImportTest, WhenEveryVariableGoesTheDataSetIsLeftEmptyAndTheCommandsAsTheyWere) {
  settings.ConstFilter = true;
  settings.ConstPercent = 50;
  for (bool commands : {false, true}) {
    host.dataCommands = commands;
    host.modified = false;
    TestUi().Clear();
    Import("Name,c\r\nA,1\r\nB,1\r\nC,1\r\n");
    ASSERT_EQ(TestUi().Shown().size(), 1u);
    EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNINT");
    EXPECT_EQ(host.log.back(), "DATA NOT AVAILABLE: All descriptors excluded: no data available for calculation.\n\n");
    EXPECT_EQ(host.data.iObjCount, 0);
    EXPECT_FALSE(host.modified);
    EXPECT_EQ(host.dataCommands, commands);
  }
}

// x and y agree on the objects marked 1 in s and disagree elsewhere; z has a missing cell
// on an unmarked object.
const char* const kSplitTable =
    "Name,s,x,y,z\r\n"
    "A,1,1,1.1,5\r\n"
    "B,1,2,2.0,3\r\n"
    "C,1,3,3.1,8\r\n"
    "D,0,4,-7,1\r\n"
    "E,0,5,9,-999\r\n";

TEST_F(DataImportTest, TheSplittingColumnChoosesTheFilterRowsAndStays) {
  settings.CorrFilter = true;
  Import(kSplitTable);
  EXPECT_EQ(VarNames(), (Texts{"s", "x", "y"}));  // only z, for its missing cell
  settings.SplitColumn = 2;
  Import(kSplitTable);
  ASSERT_EQ(host.data.iVarCount, 2);  // x and y agree on the training objects
  EXPECT_EQ(host.data.tpVarNameStrPtr[0], "s");
  EXPECT_EQ(host.data.ipTrainingPtr[4], 1);
}

TEST_F(DataImportTest, ACorrelationFilterWithoutTwoTrainingObjectsIsRefused) {
  settings.CorrFilter = true;
  Import("Name,x,y\r\nA,1,2\r\n");  // no splitting column: one object
  EXPECT_EQ(ShownTexts(), Texts{"Cannot filter correlated descriptors: at least 2 objects are needed."});
  settings.SplitColumn = 2;
  TestUi().Clear();
  Import("Name,s,x,y\r\nA,1,1,2\r\nB,0,2,3\r\nC,2,3,1\r\n");
  EXPECT_EQ(ShownTexts(), Texts{"Cannot filter correlated descriptors: at least 2 training objects are needed in the "
                                "splitting column."});
  EXPECT_FALSE(host.dataCommands);
  // Without the correlation filter the same table imports.
  settings.CorrFilter = false;
  Import("Name,s,x,y\r\nA,1,1,2\r\nB,0,2,3\r\nC,2,3,1\r\n");
  EXPECT_EQ(host.data.iVarCount, 3);
}

TEST_F(DataImportTest, TheExampleTableGivesTheExpectedVariableCounts) {
  const TextTableCells cells(ReadDelimitedTable(ReadFileText(ExamplePath()), '\t'));
  const struct {
    bool constant, correlation;
    int expected;
  } cases[] = {{false, false, 124}, {true, false, 104}, {false, true, 99}, {true, true, 83}};
  for (const auto& c : cases) {
    for (bool dropFirst : {true, false}) {  // either of the two identical columns goes
      FixedClock clock(FixedClock::ReadingThatDrops(dropFirst));
      host.modified = false;
      settings.ConstFilter = c.constant;
      settings.CorrFilter = c.correlation;
      ImportData(cells, settings, "example.txt", host.data, nullptr, host, nullptr);
      EXPECT_EQ(host.data.iObjCount, 204);
      EXPECT_EQ(host.data.iVarCount, c.expected) << c.constant << c.correlation << dropFirst;
      const auto logged = [&](const char* name) { return std::count(host.log.begin(), host.log.end(), name) == 1; };
      if (c.correlation) {  // the identical columns tie and the coin decides
        EXPECT_EQ(logged("MaxEStateIndex"), dropFirst);
        EXPECT_EQ(logged("MaxAbsEStateIndex"), !dropFirst);
      }
      if (c.constant) {
        EXPECT_TRUE(logged("Ipc"));
      }
      host.log.clear();
    }
  }
  EXPECT_TRUE(TestUi().Shown().empty());
}

// Variables in groups of four: a base, a near copy of it, an unrelated one and one
// of few values, so that many pairs lie near the threshold and scores tie.
std::string CorrelatedTable(int objects, int variables) {
  std::mt19937 random(3);
  std::normal_distribution<double> noise;
  std::string text = "Name";
  for (int j = 0; j < variables; ++j) text += ",D" + std::to_string(j);
  text += "\r\n";
  std::vector<double> row(static_cast<std::size_t>(variables));
  for (int i = 0; i < objects; ++i) {
    text += "O" + std::to_string(i);
    for (int j = 0; j < variables; ++j) {
      double value = noise(random);
      if (j % 4 == 1) value = row[static_cast<std::size_t>(j - 1)] + 0.2 * value;
      if (j % 4 == 3) value = static_cast<double>(random() % 3);
      row[static_cast<std::size_t>(j)] = value;
      text += "," + FloatToStrF(value, FloatFormat::General, 15, 0);
    }
    text += "\r\n";
  }
  return text;
}

// PairCorrelation on the whole table, as the filter is specified.
class PlainPairs : public PairCorrelations {
public:
  explicit PlainPairs(const Matrix& m) : m_(m) {}
  long double Correlation(int a, int b) override { return PairCorrelation(m_, a, b); }

private:
  const Matrix& m_;
};

// The import's correlations (screened, kept in a table, summed on 1 or 4 threads)
// keep exactly the variables that plain PairCorrelation keeps, under the same coin.
TEST_F(DataImportTest, TheCorrelationFilterKeepsWhatPlainPairCorrelationsKeep) {
  settings.CorrFilter = true;
  for (const std::string& text : {ReadFileText(ExamplePath()), CorrelatedTable(60, 160)}) {
    const char delimiter = text.find('\t') != std::string::npos ? '\t' : ',';
    const TextTableCells cells(ReadDelimitedTable(text, delimiter));
    for (int percent : {80, 95}) {
      settings.CorrPercent = percent;
      FixedClock clock(FixedClock::ReadingThatDrops(true));
      std::vector<bool> expected;
      {
        DataImport import(cells, settings);
        import.ReadValues(nullptr);
        ChemoData all;
        import.Fill(all);
        Matrix m(all.iObjCount, all.iVarCount);
        expected.assign(static_cast<std::size_t>(all.iVarCount), true);
        for (int j = 0; j < all.iVarCount; ++j)
          for (int i = 0; i < all.iObjCount; ++i) {
            m.At(i, j) = all.tpChemoValuePtr[i][j].Value;
            if (all.tpChemoValuePtr[i][j].Missing) expected[static_cast<std::size_t>(j)] = false;
          }
        PlainPairs plain(m);
        const std::vector<bool> exempt(expected.size(), false);
        CorrelationFilter(plain, expected, exempt).Run(FilterThreshold(percent), [] {});
      }
      for (int threads : {1, 4}) {
        SetWorkerThreadCount(threads);
        DataImport import(cells, settings);
        import.ReadValues(nullptr);
        import.FilterCorrelated(nullptr);
        std::vector<bool> kept;
        for (std::size_t j = 0; j < expected.size(); ++j) kept.push_back(import.Kept(static_cast<int>(j)));
        EXPECT_EQ(kept, expected) << percent << " % on " << threads << " threads";
        EXPECT_LT(std::count(kept.begin(), kept.end(), true), static_cast<long>(kept.size()));
      }
      SetWorkerThreadCount(0);
    }
  }
}

// Cells that run the memory out at the first value.
class ExhaustingCells : public ImportCells {
public:
  int ColCount() const override { return 3; }
  int RowCount() const override { return 4; }
  std::string_view Cell(int col, int row) const override {
    if (col > 1 && row > 1) throw std::bad_alloc();
    return "x";
  }
};

TEST_F(DataImportTest, ATableTooLargeForTheMemoryLeavesTheProjectEmpty) {
  host.data.Allocate(2, 2);
  ImportData(ExhaustingCells(), settings, "big.txt", host.data, nullptr, host, nullptr);
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text,
            "Cannot import data: the table is too large for the memory available. No data have been imported.");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
  EXPECT_EQ(host.data.iVarCount, 0);
  EXPECT_FALSE(host.dataCommands);
}

}  // namespace

#include "models/ModelListTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

#include "data/DataResult.h"
#include "numerics/Sorts.h"

namespace {

int Item(int col) { return ColumnSortItem(col); }

// A list of models with chosen statistics; every other cell missing.
class ModelListTableTest : public ::testing::Test {
protected:
  DataResultNode& Add(int id, int size, long double r2, int32_t state = 3) {
    DataResultNode* model = list->Append();
    model->iID = id;
    model->iSize = size;
    model->iSelStatus = state;
    model->sName = "V" + std::to_string(id);
    model->cvR2 = CheckedValue(r2, false);
    return *model;
  }
  std::vector<int> RowIds() const {
    std::vector<int> ids;
    for (int row = 1; row <= table.RowCount(); ++row) ids.push_back(table.RowModel(row)->iID);
    return ids;
  }
  void SortBy(int firstCol, int secondCol = kR2Column) {
    table.Sort(Item(firstCol), Item(secondCol), nullptr);
    table.Fill(false, 0, false, nullptr);
  }

  DataResultList* list = new DataResultList(nullptr);
  std::unique_ptr<DataResultList> owner{list};
  ModelListTable table{&list};
};

struct CountingProgress : Progress {
  void SetText(const std::string&) override {}
  void SetRange(int, int) override {}
  void SetPosition(int) override {}
  void AnimationTick() override {
    if (++ticks == failAt) throw std::runtime_error("stop");
  }
  int ticks = 0;
  int failAt = -1;
};

TEST(ModelListColumnsTest, TitlesOrdersAndSortItems) {
  const auto& columns = ModelListColumns();
  EXPECT_STREQ(columns[21].title, "PRESS cv ");
  EXPECT_STREQ(columns[33].title, "PRESS ext ");
  EXPECT_STREQ(columns[45].title, "N. Y-outl. und. mod. eq.");
  EXPECT_STREQ(columns[54].title, "MCDM all");
  EXPECT_EQ(columns[8].order, 1);   // LOF: smaller first
  EXPECT_EQ(columns[10].order, 0);  // Delta K: larger first
  EXPECT_EQ(columns[30].group, GroupExternal);
  EXPECT_EQ(columns[52].group, GroupInternal);
  for (int item = 0; item < kSortItemCount; ++item) EXPECT_EQ(ColumnSortItem(SortItemColumn(item)), item);
  EXPECT_EQ(SortItemColumn(0), 2);
  EXPECT_EQ(SortItemColumn(2), kR2Column);
  EXPECT_EQ(SortItemColumn(51), 54);
  for (int col : {0, 1, 4, 55}) EXPECT_EQ(ColumnSortItem(col), -1);
}

TEST(ModelListColumnsTest, WidthsOrdersAndGroupsOfEveryColumn) {
  const int widths[kModelListColumnCount] = {24, 32, 32, 24, 128, 40, 40, 50, 50, 40, 40, 50, 40, 40,
                                             50, 40, 40, 40, 50, 50, 40, 50, 50, 50, 50, 50, 50, 50,
                                             50, 50, 60, 50, 50, 50, 40, 50, 50, 50, 50, 50, 50, 50,
                                             50, 54, 54, 100, 100, 100, 100, 50, 50, 50, 50, 50, 50};
  const std::string orders = "1110100111011101101111001111110111000000111111111110000";
  const std::string groups = "3333300000000000011111111111112222222222222223333330123";
  std::string orderText, groupText;
  for (int col = 0; col < kModelListColumnCount; ++col) {
    EXPECT_EQ(ModelListColumns()[col].width, widths[col]) << col;
    orderText += std::to_string(ModelListColumns()[col].order);
    groupText += std::to_string(ModelListColumns()[col].group);
  }
  EXPECT_EQ(orderText, orders);
  EXPECT_EQ(groupText, groups);
}

TEST(ModelListColumnsTest, LettersAndStates) {
  EXPECT_EQ(SelectionLetter(0), "U");
  EXPECT_EQ(SelectionLetter(2), "N");
  EXPECT_EQ(SelectionLetter(3), "S");
  EXPECT_EQ(StateOfLetter("S"), 3);
  EXPECT_EQ(StateOfLetter("U"), 0);
  EXPECT_EQ(StateOfLetter("N"), 2);
  EXPECT_EQ(StateOfLetter("x"), -1);
  EXPECT_TRUE(IsSelectedState(1));
  EXPECT_FALSE(IsSelectedState(2));
}

TEST(SortValuesWithIndexTest, SameNetworkAsSortWithIndexAndOneTickPerWidth) {
  const long double keys[] = {3, 1, 4, 1, 5, 9, 2, 6, 5, 3, 5, 8, 9, 7, 9, 3, 2, 3, 8, 4, 6};
  constexpr int n = 21;
  for (bool ascending : {true, false}) {
    long double a[n], b[n];
    int32_t index[n];
    DataResultNode nodes[n];
    DataResultNode* pointers[n];
    for (int i = 0; i < n; ++i) {
      a[i] = b[i] = keys[i];
      index[i] = i;
      pointers[i] = &nodes[i];
    }
    CountingProgress progress;
    SortWithIndex(a, index, 0, n - 1, ascending);
    SortValuesWithIndex(b, pointers, 0, n - 1, ascending, &progress);
    for (int i = 0; i < n; ++i) {
      EXPECT_EQ(a[i], b[i]);
      EXPECT_EQ(pointers[i], &nodes[index[i]]) << i;
    }
    EXPECT_EQ(progress.ticks, 5);  // p = 1, 2, 4, 8, 16
  }
}

// The network with every j scanning i up to n - j - k, as a reference for the
// tie order.
void FullScanNetwork(std::vector<int>& keys, std::vector<int>& payload, bool ascending) {
  const int64_t n = static_cast<int64_t>(keys.size());
  for (int64_t p = 1; p < n; p *= 2)
    for (int64_t k = p; k >= 1; k /= 2)
      for (int64_t j = k % p; j + k < n; j += 2 * k)
        for (int64_t i = 0; i < n - j - k; ++i) {
          if ((i + j) / (2 * p) != (i + j + k) / (2 * p)) continue;
          const int64_t a = i + j, b = a + k;
          if (ascending ? keys[a] > keys[b] : keys[a] < keys[b]) {
            std::swap(keys[a], keys[b]);
            std::swap(payload[a], payload[b]);
          }
        }
}

TEST(SortValuesWithIndexTest, TiesEndWhereTheFullScanLeavesThem) {
  uint32_t state = 7;
  for (int n = 1; n <= 160; ++n)
    for (int round = 0; round < 6; ++round) {
      const bool ascending = round % 2 == 0;
      const int range = round < 2 ? 3 : (round < 4 ? n : 1000);
      std::vector<int> keys(n), payload(n);
      std::vector<long double> values(n);
      std::vector<DataResultNode*> models(n);
      static DataResultNode nodes[160];
      for (int i = 0; i < n; ++i) {
        state = state * 1103515245u + 12345u;
        keys[i] = static_cast<int>((state >> 8) % static_cast<uint32_t>(range));
        values[i] = keys[i];
        payload[i] = i;
        models[i] = &nodes[i];
      }
      FullScanNetwork(keys, payload, ascending);
      SortValuesWithIndex(values.data(), models.data(), 0, n - 1, ascending, nullptr);
      for (int i = 0; i < n; ++i) ASSERT_EQ(models[i], &nodes[payload[i]]) << n << " " << round;
    }
}

TEST_F(ModelListTableTest, SingleKeyPutsBestFirstAndRanksRows) {
  Add(1, 2, 0.5L).cvLOF = CheckedValue(0.3L, false);
  Add(2, 2, 0.9L).cvLOF = CheckedValue(0.1L, false);
  Add(3, 3, 0.7L).cvLOF = CheckedValue(0.2L, false);
  SortBy(kR2Column);
  EXPECT_EQ(RowIds(), (std::vector<int>{2, 3, 1}));
  EXPECT_EQ(table.CellText(kRankColumn, 1), "1");
  EXPECT_EQ(table.CellText(kRankColumn, 3), "3");
  EXPECT_EQ(table.SortColumn(), kR2Column);
  SortBy(8);  // LOF, smaller first
  EXPECT_EQ(RowIds(), (std::vector<int>{2, 3, 1}));
  EXPECT_EQ(table.SortColumn(), 8);
  SortBy(2);  // ID: smaller first
  EXPECT_EQ(RowIds(), (std::vector<int>{1, 2, 3}));
}

TEST_F(ModelListTableTest, EqualKeysKeepTheNetworksOrder) {
  Add(1, 2, 0.8L);
  Add(2, 2, 0.8L);
  SortBy(kR2Column);
  EXPECT_EQ(RowIds(), (std::vector<int>{2, 1}));
}

TEST_F(ModelListTableTest, GroupsThenSecondKey) {
  Add(1, 1, 0.5L).cvQ2loo = CheckedValue(0.40L, false);
  Add(2, 3, 0.5L).cvQ2loo = CheckedValue(0.20L, false);
  Add(3, 2, 0.5L).cvQ2loo = CheckedValue(0.60L, false);
  Add(4, 3, 0.5L).cvQ2loo = CheckedValue(0.70L, false);
  Add(5, 1, 0.5L).cvQ2loo = CheckedValue(0.45L, false);
  SortBy(kSizeColumn, 17);
  EXPECT_EQ(RowIds(), (std::vector<int>{4, 2, 3, 5, 1}));
  EXPECT_EQ(table.SortColumn(), 17);
  EXPECT_EQ(table.CellText(kRankColumn, 1), "1");
  // Models never validated externally (missing count, stored 0) form group 0 at the bottom.
  DataResultNode* model = list->First();
  for (int count : {2, -1, 1, -1, 2}) {
    if (count >= 0) model->ciNExtOK = CheckedIntValue(count, false);
    model = model->Next();
  }
  SortBy(kNExtOkColumn, kR2Column);
  EXPECT_EQ(RowIds(), (std::vector<int>{5, 1, 3, 4, 2}));
  EXPECT_TRUE(IsGroupColumn(kSizeColumn));
  EXPECT_TRUE(IsGroupColumn(kNExtOkColumn));
  EXPECT_FALSE(IsGroupColumn(kR2Column));
}

TEST_F(ModelListTableTest, KeysUseStoredNumbersWhateverTheirFlags) {
  DataResultNode& m = Add(7, 2, 0.9L);
  m.cvR2adj = CheckedValue(0.85L, true);
  m.cvKxy = CheckedValue(0.5L, false);
  m.cvKxx = CheckedValue(0.2L, true);
  m.cvQ2loo = CheckedValue(0.6L, false);
  m.ciNOutAD = CheckedIntValue(4, true);
  m.iID = -1;
  EXPECT_NEAR(static_cast<double>(ColumnKey(m, 7)), 0.05, 1e-15);
  EXPECT_NEAR(static_cast<double>(ColumnKey(m, 10)), 0.3, 1e-15);
  EXPECT_NEAR(static_cast<double>(ColumnKey(m, 18)), 0.3, 1e-15);
  EXPECT_EQ(ColumnKey(m, 50), 4.0L);
  EXPECT_EQ(ColumnKey(m, 2), 4294967295.0L);
  EXPECT_EQ(ModelIdText(m), "4294967295");
  EXPECT_EQ(ColumnKey(m, kSizeColumn), 2.0L);
}

TEST_F(ModelListTableTest, CellTexts) {
  DataResultNode& m = Add(1, 2, 0.25L, 2);
  m.cvR2 = CheckedValue(0.123456L, true);
  m.cvR2adj = CheckedValue(0.1L, false);
  m.cvKxy = CheckedValue(0.4L, false);
  m.cvKxx = CheckedValue(0.1L, false);
  m.cvLOF = CheckedValue(-2.5L, false);
  m.ciNExtOK = CheckedIntValue(3, false);
  m.ciNXOutl = CheckedIntValue(5, true);
  EXPECT_EQ(ModelCellText(m, 0), "N");
  EXPECT_EQ(ModelCellText(m, 3), "2");
  EXPECT_EQ(ModelCellText(m, 4), "V1");
  EXPECT_EQ(ModelCellText(m, kR2Column), "*0.1235");
  EXPECT_EQ(ModelCellText(m, 6), "0.1000");
  EXPECT_EQ(ModelCellText(m, 7), "*0.0235");   // R2 missing
  EXPECT_EQ(ModelCellText(m, 10), "0.3000");   // both present
  EXPECT_EQ(ModelCellText(m, 18), "*0.1235");  // Q2loo missing, stored 0
  EXPECT_EQ(ModelCellText(m, 8), "-2.5000");
  EXPECT_EQ(ModelCellText(m, 23), "");
  EXPECT_EQ(ModelCellText(m, kNExtOkColumn), "3");
  EXPECT_EQ(ModelCellText(m, 49), "");
  for (int col : {0, 1, 2, 3, 4, 5, 7, 10, 18}) EXPECT_TRUE(ModelCellPresent(m, col)) << col;
  EXPECT_FALSE(ModelCellPresent(m, 23));
  EXPECT_FALSE(ModelCellPresent(m, 49));
  EXPECT_TRUE(ModelCellPresent(m, 30));
  EXPECT_TRUE(ModelCellPresent(m, 8));
}

TEST_F(ModelListTableTest, EmptyColumnsFollowTheShownModels) {
  Add(1, 2, 0.9L).cvQ2LMO = CheckedValue(0.5L, false);
  Add(2, 2, 0.8L, 0);
  SortBy(kR2Column);
  EXPECT_EQ(table.CellText(23, 1), "0.5000");
  EXPECT_EQ(table.CellText(23, 2), "");
  EXPECT_FALSE(table.EmptyColumns()[23]);
  EXPECT_TRUE(table.EmptyColumns()[24]);
  for (int col : {0, 1, 2, 3, 4, 5, 7, 10, 18}) EXPECT_FALSE(table.EmptyColumns()[col]);
  // Re-sorted, the model without a value moves onto the row that showed one.
  list->First()->cvR2 = CheckedValue(0.1L, false);
  SortBy(kR2Column);
  EXPECT_EQ(table.CellText(23, 1), "");
  EXPECT_EQ(table.CellText(23, 2), "0.5000");
  // The only-selected view without the model that has a value: the column is empty.
  list->First()->iSelStatus = 0;
  list->Last()->iSelStatus = 1;
  table.Fill(true, 0, false, nullptr);
  EXPECT_EQ(table.RowCount(), 1);
  EXPECT_TRUE(table.EmptyColumns()[23]);
  EXPECT_EQ(table.CellText(4, 0), "Variables");
}

// Over more models than one scan takes at once: each number column's texts of its
// smallest and largest values, the marked ones apart, wherever the models lie.
TEST_F(ModelListTableTest, ExtremeTextsOfManyModels) {
  for (int id = 1; id <= 10000; ++id) Add(id, 1 + id % 3, 0.5L + id / 100000.0L);
  list->First()->Next()->cvR2 = CheckedValue(-3.25L, false);
  DataResultNode* marked = list->First();
  for (int k = 1; k < 7000; ++k) marked = marked->Next();
  marked->cvR2 = CheckedValue(12.5L, true);
  SortBy(kR2Column);
  const auto& texts = table.ExtremeTexts();
  EXPECT_EQ(texts[kR2Column], (std::vector<std::string>{"-3.2500", "0.6000", "*12.5000", "*12.5000"}));
  EXPECT_EQ(texts[kIdColumn], (std::vector<std::string>{"1", "10000"}));
  EXPECT_EQ(texts[kRankColumn], (std::vector<std::string>{"1", "10000"}));
  EXPECT_EQ(texts[kSizeColumn], (std::vector<std::string>{"1", "3"}));
  EXPECT_TRUE(texts[kVariablesColumn].empty());
  EXPECT_TRUE(texts[23].empty());  // no Q2 LMO
  EXPECT_TRUE(table.EmptyColumns()[23]);
}

TEST_F(ModelListTableTest, OnlySelectedViewWithBestLimit) {
  // Sizes and R2 chosen so that the order by R2 interleaves the sizes.
  Add(1, 2, 0.95L);
  Add(2, 3, 0.90L);
  Add(3, 2, 0.85L, 0);
  Add(4, 2, 0.80L);
  Add(5, 3, 0.75L, 1);
  Add(6, 2, 0.70L);
  Add(7, 3, 0.65L);
  SortBy(kR2Column);
  table.Fill(true, 2, false, nullptr);
  EXPECT_EQ(RowIds(), (std::vector<int>{1, 2, 4, 5}));
  EXPECT_EQ(table.CellText(kRankColumn, 3), "4");
  EXPECT_EQ(list->Count(), 7);
  table.Fill(true, 0, false, nullptr);
  EXPECT_EQ(RowIds(), (std::vector<int>{1, 2, 4, 5, 6, 7}));
  // With the delete flag the models beyond the limit leave the list; unselected ones stay.
  table.Fill(true, 1, true, nullptr);
  EXPECT_EQ(RowIds(), (std::vector<int>{1, 2}));
  EXPECT_EQ(list->Count(), 3);
  table.Fill(false, 0, false, nullptr);
  EXPECT_EQ(RowIds(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(table.RowModel(0), nullptr);
  EXPECT_EQ(table.RowModel(4), nullptr);
}

TEST_F(ModelListTableTest, SortAndFillAdvanceTheProgressOncePerModel) {
  for (int id = 1; id <= 5; ++id) Add(id, 2, id / 10.0L);
  CountingProgress progress;
  table.Sort(Item(kR2Column), Item(kR2Column), &progress);
  EXPECT_EQ(progress.ticks, 5 + 3);  // the walk, then p = 1, 2, 4
  table.Fill(false, 0, false, &progress);
  EXPECT_EQ(progress.ticks, 8 + 5);
  table.Fill(true, 0, false, &progress);
  EXPECT_EQ(progress.ticks, 13 + 5);
}

TEST_F(ModelListTableTest, RemoveUnselectedAndKeepBest) {
  for (int id = 1; id <= 6; ++id) Add(id, 2, 1.0L - id / 10.0L, id % 2 == 0 ? 0 : (id == 3 ? 2 : 1));
  SortBy(kR2Column);
  table.KeepBest(5);
  table.Fill(false, 0, false, nullptr);
  EXPECT_EQ(RowIds(), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(list->Count(), 5);
  table.RemoveUnselected();
  table.Fill(false, 0, false, nullptr);
  EXPECT_EQ(RowIds(), (std::vector<int>{1, 5}));
  EXPECT_EQ(list->Count(), 2);
  table.KeepBest(7);
  EXPECT_EQ(list->Count(), 2);
}

// Every removal in the only-selected view leaves rows that show models of the
// list, whenever the table is read (a repaint may come at any tick).
TEST_F(ModelListTableTest, RemovalsNeverLeaveARowOnAFreedModel) {
  auto rowsInList = [this] {
    for (int row = 1; row <= table.RowCount(); ++row) {
      bool found = false;
      for (DataResultNode* m = list->First(); m != nullptr && !found; m = m->Next()) found = m == table.RowModel(row);
      if (!found) return false;
    }
    return true;
  };
  for (int id = 1; id <= 8; ++id) Add(id, 1 + id % 2, 1.0L - id / 10.0L, id % 3 == 0 ? 0 : 3);
  SortBy(kR2Column);
  table.Fill(true, 0, false, nullptr);
  ASSERT_EQ(RowIds(), (std::vector<int>{1, 2, 4, 5, 7, 8}));
  table.KeepBest(6);  // the bottom two: ids 8 and 7
  EXPECT_TRUE(rowsInList());
  EXPECT_EQ(RowIds(), (std::vector<int>{1, 2, 4, 5}));
  table.RemoveUnselected();  // ids 3 and 6
  EXPECT_TRUE(rowsInList());
  EXPECT_EQ(list->Count(), 4);
  struct CheckingProgress : Progress {
    std::function<bool()> check;
    bool ok = true;
    void SetText(const std::string&) override {}
    void SetRange(int, int) override {}
    void SetPosition(int) override {}
    void AnimationTick() override { ok = ok && check(); }
  } progress;
  progress.check = rowsInList;
  table.Fill(true, 1, true, &progress);  // one per size: ids 1 and 2 stay
  EXPECT_TRUE(progress.ok);
  EXPECT_TRUE(rowsInList());
  EXPECT_EQ(RowIds(), (std::vector<int>{1, 2}));
  EXPECT_EQ(list->Count(), 2);
  EXPECT_EQ(table.Sorted().size(), 2u);
}

// Group keys from a damaged or foreign list: a negative key forms its own group
// below the others, a huge one its own group above, and the sort ends at once.
TEST_F(ModelListTableTest, GroupsTrustNoKey) {
  const int32_t counts[] = {2, -1, 1000000000, 2, -1, 0};
  for (int id = 1; id <= 6; ++id) Add(id, 2, id / 10.0L).ciNExtOK = CheckedIntValue(counts[id - 1], false);
  SortBy(kNExtOkColumn, kR2Column);
  EXPECT_EQ(RowIds(), (std::vector<int>{3, 4, 1, 6, 5, 2}));
  list->First()->iSize = -5;
  list->Last()->iSize = INT32_MAX;
  SortBy(kSizeColumn, kR2Column);
  EXPECT_EQ(RowIds(), (std::vector<int>{6, 5, 4, 3, 2, 1}));
}

TEST_F(ModelListTableTest, FailedSortKeepsThePreviousOrder) {
  for (int id = 1; id <= 4; ++id) Add(id, 2, id / 10.0L);
  CountingProgress failing;
  failing.failAt = 2;
  EXPECT_THROW(table.Sort(Item(kR2Column), Item(kR2Column), &failing), std::runtime_error);
  table.Fill(false, 0, false, nullptr);
  EXPECT_EQ(RowIds(), (std::vector<int>{4, 3, 2, 1}));  // list order, shown from its end
  SortBy(kR2Column);
  failing.ticks = 0;
  failing.failAt = 6;  // inside the network
  EXPECT_THROW(table.Sort(Item(2), Item(kR2Column), &failing), std::runtime_error);
  table.Fill(false, 0, false, nullptr);
  EXPECT_EQ(RowIds(), (std::vector<int>{4, 3, 2, 1}));
  EXPECT_EQ(table.SortColumn(), kR2Column);
}

TEST_F(ModelListTableTest, LinesConvertNumberCellsOnly) {
  DataResultNode& m = Add(12, 2, 0.5L, 3);
  m.sName = "x.1  x.2  ";
  m.cvR2adj = CheckedValue(0.25L, true);
  m.ciNExtOK = CheckedIntValue(2, false);
  SortBy(kR2Column);
  const std::string title = table.LineText(0, ',');
  EXPECT_EQ(title.substr(0, 46), "St.\tNo.\tID\tSize\tVariables\tR2\tR2-R2adj\tDelta K\t");
  EXPECT_NE(title.find("\tN. ext. OK\t"), std::string::npos);
  EXPECT_EQ(title.find("R2adj\tLOF"), std::string::npos);  // empty columns are left out
  EXPECT_EQ(title.substr(title.size() - 3), "\t\r\n");
  EXPECT_EQ(table.LineText(1, ','), "S\t1\t12\t2\tx.1  x.2  \t0,5000\t*0,2500\t*0,0000\t*0,5000\t2\t\r\n");
}

TEST_F(ModelListTableTest, CommandStates) {
  EXPECT_EQ(table.CommandStates(true), ModelCommandStates{});
  Add(1, 2, 0.5L, 1);
  ModelCommandStates one = table.CommandStates(true);
  EXPECT_TRUE(one.oneOrMore);
  EXPECT_TRUE(one.external);
  EXPECT_FALSE(one.twoOrMore);
  EXPECT_FALSE(one.descriptorsPca);
  EXPECT_FALSE(table.CommandStates(false).external);
  Add(2, 2, 0.5L, 2);
  Add(3, 2, 0.5L, 3);
  ModelCommandStates two = table.CommandStates(true);
  EXPECT_TRUE(two.twoOrMore && two.multiCriteria && two.descriptorsPca);
  ModelCommandStates noPrediction = table.CommandStates(false);
  EXPECT_TRUE(noPrediction.twoOrMore && noPrediction.descriptorsPca && noPrediction.oneOrMore);
  EXPECT_FALSE(noPrediction.multiCriteria || noPrediction.external);
  Add(4, 3, 0.5L, 1);
  EXPECT_FALSE(table.CommandStates(true).descriptorsPca);
  EXPECT_EQ(table.SelectedCount(), 3);
}

}  // namespace

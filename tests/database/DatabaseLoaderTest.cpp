#include "database/DatabaseLoader.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/TestFolder.h"

namespace {

DatabaseContent Load(const std::vector<std::string>& files) {
  DatabaseContent content;
  for (std::size_t i = 0; i < files.size(); ++i) {
    MemoryStream stream(std::vector<uint8_t>(files[i].begin(), files[i].end()));
    LoadDataSet(stream, static_cast<int>(i), content);
  }
  return content;
}

std::vector<std::string> Fields(const Molecule& m) { return {m.idDataset, m.name, m.cas, m.smiles, m.value}; }

const char* kHeader = "ID;Name;CAS;SMILES;Boiling point;Ref A\r\n";

}  // namespace

TEST(DatabaseLoaderTest, ReadsRecordsTitlesReferencesAndCounts) {
  auto content = Load({std::string(kHeader) + "1;Ethanol;000064-17-5;CCO;78;\r\n2;Water;007732-18-5;O;100;x\r\n",
                       "a;b;c;d;Melting;Ref B\r\n9;Ethanol;000064-17-5;OCC;-114;\r\n"});
  ASSERT_EQ(content.records.size(), 3u);
  EXPECT_EQ(Fields(content.records[0]), (std::vector<std::string>{"1", "Ethanol", "000064-17-5", "CCO", "78"}));
  EXPECT_EQ(content.records[1].dataset, 0);
  EXPECT_EQ(content.records[2].dataset, 1);
  EXPECT_EQ(content.records[2].value, "-114");
  EXPECT_EQ(content.titles, (std::vector<std::string>{"Boiling point", "Melting"}));
  EXPECT_EQ(content.references, (std::vector<std::string>{"Ref A", "Ref B"}));
  EXPECT_EQ(content.recordCount, 3);
  EXPECT_EQ(content.distinctCas, 2);
  EXPECT_EQ(DatabaseCaption(content), "Database: 2 molecules - 3 data");
}

TEST(DatabaseLoaderTest, LineFeedsAloneReadLikeCrLfAndAfterASemicolon) {
  auto crlf = Load({std::string(kHeader) + "1;A;1-1-1;C;5;\r\n2;B;2-2-2;N;6;\r\n"});
  auto lf = Load({"ID;Name;CAS;SMILES;Boiling point;Ref A\n1;A;1-1-1;C;5;\n2;B;2-2-2;N;6;\n"});
  auto semicolon = Load({"ID;Name;CAS;SMILES;Boiling point;Ref A;\n1;A;1-1-1;C;5;;\n2;B;2-2-2;N;6;;\n"});
  for (const auto* content : {&lf, &semicolon}) {
    ASSERT_EQ(content->records.size(), 2u);
    EXPECT_EQ(Fields(content->records[1]), Fields(crlf.records[1]));
    EXPECT_EQ(content->references, crlf.references);
  }
}

TEST(DatabaseLoaderTest, MalformedLinesShiftFieldsAsTheFormatImplies) {
  // The last line without its line end is not stored.
  EXPECT_EQ(Load({std::string(kHeader) + "1;A;1-1-1;C;5;\r\n2;B;2-2-2;N;6;"}).records.size(), 1u);
  // An empty line shifts the next line's fields by two.
  auto empty = Load({std::string(kHeader) + "\r\n1;A;1-1-1;C;5;\r\n"});
  ASSERT_EQ(empty.records.size(), 1u);
  EXPECT_EQ(Fields(empty.records[0]), (std::vector<std::string>{"", "", "1", "A", "1-1-1"}));
  // A sixth field followed by ';' and CR LF reads every later line one field off.
  auto extra = Load({std::string("ID;Name;CAS;SMILES;T;R;\r\n1;A;1-1-1;C;5;\r\n")});
  ASSERT_EQ(extra.records.size(), 1u);
  EXPECT_EQ(Fields(extra.records[0]), (std::vector<std::string>{"", "1", "A", "1-1-1", "C"}));
  // More than six fields: the extra text starts the next record.
  auto seven = Load({std::string(kHeader) + "1;A;1-1-1;C;5;;X\r\n;B;2-2-2;N;6;\r\n"});
  ASSERT_EQ(seven.records.size(), 2u);
  EXPECT_EQ(seven.records[1].idDataset, "X");
  EXPECT_EQ(seven.records[1].smiles, "2-2-2");
}

TEST(DatabaseLoaderTest, EveryFileKeepsItsOwnTitleAndReference) {
  auto content = Load({"", "ID;Name;CAS;SMILES;Second;Ref 2\r\n"});
  EXPECT_EQ(content.titles, (std::vector<std::string>{"", "Second"}));
  EXPECT_EQ(content.references, (std::vector<std::string>{"", "Ref 2"}));
}

struct Positions : Progress {
  void SetText(const std::string&) override {}
  void SetRange(int, int) override {}
  void SetPosition(int pos) override { seen.push_back(pos); }
  void AnimationTick() override {}
  std::vector<int> seen;
};

TEST(DatabaseLoaderTest, LoadsFilesOfAFolderAndStopsAtAMissingOne) {
  TestFolder folder;
  std::ofstream(folder.Path("A.csv"), std::ios::binary) << kHeader << "1;A;1-1-1;C;5;\r\n";
  std::ofstream(folder.Path("B.csv"), std::ios::binary) << kHeader << std::string("2;A\0B;1-1-1;C;5;\r\n", 18);
  DatabaseContent content;
  Positions progress;
  LoadDatabaseFiles(folder.Dir(), {"A.csv", "B.csv", "A.csv"}, content, &progress);
  EXPECT_EQ(progress.seen, (std::vector<int>{715827882, 1431655764, 2147483646}));
  EXPECT_EQ(content.records[1].name, std::string("A\0B", 3));
  EXPECT_EQ(content.distinctCas, 1);

  content = DatabaseContent();
  EXPECT_THROW(LoadDatabaseFiles(folder.Dir(), {"A.csv", "Missing.csv"}, content, nullptr), Exception);
  EXPECT_EQ(content.recordCount, 1);
  EXPECT_EQ(content.titles.size(), 2u);
  EXPECT_EQ(DataSetName("Set.v2.csv"), "Set.v2");
  EXPECT_EQ(DataSetName("Set"), "Set");
  EXPECT_EQ(HinPath("/db/", "B.csv", "64-17-5"), "/db/B/hin/64-17-5.hin");
}

#include "data/ProjectFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "data/ByteBuilder.h"
#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/RecordStreams.h"
#include "data/TempFiles.h"
#include "data/TestFiles.h"
#include "platform/base/Files.h"
#include "support/FileSizeLimit.h"
#include "support/ScriptedUi.h"

namespace {

const std::string kCurrentTag("KVP ver. 1.30       \0", 21);

// A project in memory: a small data set, its models and a registry on a test folder.
struct Project {
  TestFolder folder;
  ChemoData data;
  DataResultList models{&data};
  TempFiles temp{folder.Dir() + "tmp/"};

  Project() {
    ForceDirectories(folder.Dir() + "tmp");
    for (const char* name : {"~yscr~", "~rdes~", "~rres~", "~many~"}) temp.AddName(name);
  }
  void Fill(int modelCount) {
    data.Allocate(2, 3);
    for (int o = 0; o < 3; ++o) {
      data.tpObjNameStrPtr[o] = "obj" + std::to_string(o);
      data.ipTrainingPtr[o] = 1;
      for (int v = 0; v < 2; ++v) data.tpChemoValuePtr[o][v] = CheckedValue(o + v / 4.0L, false);
    }
    data.tpVarNameStrPtr[0] = "X";
    data.tpVarNameStrPtr[1] = "Y";
    data.iResponseIndex = 1;
    for (int m = 0; m < modelCount; ++m) {
      DataResultNode* node = models.Append();
      node->iSize = 1;
      node->iTrainCount = 3;
      node->sName = "X  ";
      node->ipSelVarIdxPtr = new int32_t[1]{0};
      node->cvR2 = CheckedValue(0.5L + m, false);
    }
  }
  std::string Db(const std::string& name) const { return folder.Dir() + "tmp/" + name + ".db$"; }
  void Clear() {
    data.Clear();
    models.Clear();
    temp.DeleteTempFiles();
  }
  std::vector<uint8_t> Save() {
    MemoryStream stream;
    WriteProject(stream, data, models, &temp);
    return stream.Bytes();
  }
  ProjectOpenResult Open(const std::vector<uint8_t>& bytes) {
    MemoryStream stream(bytes);
    return OpenProject(stream, data, models, &temp, [this] { Clear(); });
  }
  bool Empty() const { return data.iVarCount == 0 && data.iObjCount == 0 && models.Count() == 0; }
};

std::vector<uint8_t> Tag(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

}  // namespace

TEST(ProjectFile, WritesTheEnvelopeByteForByte) {
  Project p;
  p.Fill(1);
  WriteBytes(p.Db("~many~"), {9, 8, 7});
  WriteBytes(p.Db("~yscr~"), {});
  ByteBuilder expected;
  expected.Raw(Tag(kCurrentTag)).Raw(Written(p.data)).Int(1).Raw(Written(p.models));
  expected.Text("~yscr~").Int(0, 8).Text("~many~").Int(3, 8).Raw({9, 8, 7});
  EXPECT_EQ(p.Save(), expected.bytes);
}

TEST(ProjectFile, OpenRestoresDataModelsAndValidationFiles) {
  Project source;
  source.Fill(2);
  WriteBytes(source.Db("~rres~"), {1, 2, 3, 4});
  ByteBuilder file;
  file.Raw(source.Save()).Text("~odd~").Int(2, 8).Raw({1, 2});  // an unknown name is skipped by its size
  file.Raw({0, 0, 0});                                           // a cut-off length ends the list quietly

  Project p;
  WriteBytes(p.Db("~yscr~"), {5});  // a leftover of the old project
  ASSERT_EQ(p.Open(file.bytes), ProjectOpenResult::Loaded);
  EXPECT_EQ(p.data.iObjCount, 3);
  EXPECT_EQ(p.data.tpObjNameStrPtr[2], "obj2");
  ASSERT_EQ(p.models.Count(), 2);
  EXPECT_EQ(p.models.Last()->cvR2.Value, 1.5L);
  EXPECT_EQ(p.models.Last()->tpChemoData, &p.data);
  EXPECT_EQ(ReadBytes(p.Db("~rres~")), (std::vector<uint8_t>{1, 2, 3, 4}));
  EXPECT_FALSE(FileExists(p.Db("~yscr~")));
  EXPECT_FALSE(FileExists(p.folder.Dir() + "tmp/~odd~.db$"));
  EXPECT_TRUE(TestUi().Shown().empty());
}

// A sound project on a disk too full for one of its validation files opens
// without that file's results, and says which file and why.
TEST(ProjectFile, OpensWithoutTheValidationFilesAFullDiskCannotHold) {
  Project source;
  source.Fill(1);
  WriteBytes(source.Db("~yscr~"), std::vector<uint8_t>(5000, 7));
  WriteBytes(source.Db("~many~"), {1, 2, 3});
  const std::vector<uint8_t> bytes = source.Save();

  Project p;
  ProjectOpenResult result;
  {
    FileSizeLimit disk(1000);
    result = p.Open(bytes);
  }
  ASSERT_EQ(result, ProjectOpenResult::Loaded);
  EXPECT_EQ(p.models.Count(), 1);
  EXPECT_FALSE(FileExists(p.Db("~yscr~")));
  EXPECT_EQ(ReadBytes(p.Db("~many~")), (std::vector<uint8_t>{1, 2, 3}));
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Cannot write file \"" + p.Db("~yscr~") +
                                        "\": File too large: validation results of ~yscr~ are not restored.");
}

TEST(ProjectFile, ImpossibleSearchSettingsAreResetWithAWarning) {
  Project source;
  source.Fill(1);
  source.data.iEnumSize = 5;  // a pool of 5 where no variable is selected
  source.data.iCurrentSplit = 0x7fffffff;
  source.data.iGAPopSize = 30;
  Project p;
  ASSERT_EQ(p.Open(source.Save()), ProjectOpenResult::Loaded);
  EXPECT_EQ(p.data.iEnumSize, 0);
  EXPECT_EQ(p.data.iCurrentSplit, 0);
  EXPECT_EQ(p.data.iGAPopSize, 30);
  EXPECT_EQ(p.models.Count(), 1);
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
  EXPECT_EQ(TestUi().Shown(0).text.substr(0, 48), "The search settings stored in this project do no");
}

TEST(ProjectFile, OlderVersionsOpenWithTheWarningAndTheirOwnLayout) {
  const std::string tags[] = {std::string("KVP beta ver. 0.99  \0", 21), std::string("KVP beta ver. 1.00  \0", 21)};
  for (int version : {0, 1}) {
    Project source;
    source.Fill(1);
    source.data.iNextModelID = 5;
    source.models.First()->iID = 3;
    MemoryStream body;
    body.Write(tags[version].data(), tags[version].size());
    source.data.ReadWrite(&body, kStreamWrite, version);
    int32_t count = 1;
    StreamInt(body, count, kStreamWrite);
    source.models.ReadWrite(&body, kStreamWrite, version);

    Project p;
    TestUi().Clear();
    ASSERT_EQ(p.Open(body.Bytes()), ProjectOpenResult::Loaded) << version;
    ASSERT_EQ(TestUi().Shown().size(), 1u);
    EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
    EXPECT_EQ(TestUi().Shown(0).text.substr(0, 68),
              "You are loading a project saved with a previous version of KORVANE. ");
    EXPECT_EQ(p.data.iNextModelID, version == 0 ? 0 : 5);  // version 0 has no ID counter nor model IDs
    EXPECT_EQ(p.models.First()->iID, version == 0 ? 0 : 3);
    EXPECT_EQ(p.data.tpObjNameStrPtr[2], "obj2");
  }
}

TEST(ProjectFile, TheExtensionIsAddedUnlessTheNameEndsInKvpOfAnyCase) {
  for (const std::string kept : {"a.kvp", "a.KVP", "dir/b.kVp", ".kvp"}) EXPECT_EQ(ProjectFileName(kept), kept);
  for (const std::string added : {"a.kv", "kvp", "a.kvpx", "a_kvp", ""}) EXPECT_EQ(ProjectFileName(added), added + ".kvp");
}

TEST(ProjectFile, UnknownTagsLeaveTheProjectUnchanged) {
  Project p;
  p.Fill(1);
  // a header cut short, and the current tag without its zero byte
  for (const std::string header : {"KVP v", "KVP ver. 1.30       "}) {
    TestUi().Clear();
    EXPECT_EQ(p.Open(Tag(header)), ProjectOpenResult::Unchanged);
    ASSERT_EQ(TestUi().Shown().size(), 1u);
    EXPECT_EQ(TestUi().Shown(0).text, "Cannot load file, wrong project file version: " + header);
  }
  EXPECT_EQ(p.models.Count(), 1);
}

TEST(ProjectFile, FilesCutShortAreRefusedAndLeaveAnEmptyProject) {
  Project source;
  source.Fill(1);
  WriteBytes(source.Db("~yscr~"), std::vector<uint8_t>(100, 3));
  WriteBytes(source.Db("~many~"), std::vector<uint8_t>(100, 4));
  std::vector<uint8_t> bytes = source.Save();
  std::size_t dataEnd = 21 + Written(source.data).size();
  std::size_t modelsEnd = dataEnd + 4 + Written(source.models).size();
  // inside the data set, before and inside the model count, inside the models, inside the first and the
  // second embedded file
  for (std::size_t cut : {dataEnd - 5, dataEnd, dataEnd + 2, modelsEnd - 5, modelsEnd + 4 + 6 + 8 + 50,
                          bytes.size() - 1}) {
    Project p;
    p.Fill(1);
    TestUi().Clear();
    EXPECT_EQ(p.Open(std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut)), ProjectOpenResult::Refused) << cut;
    EXPECT_TRUE(p.Empty());
    EXPECT_FALSE(FileExists(p.Db("~yscr~")));  // restored before the damage, deleted again
    ASSERT_EQ(TestUi().Shown().size(), 1u);
    EXPECT_EQ(TestUi().Shown(0).text.substr(0, 41), "Cannot load file, damaged project file: D");
  }
}

// Counts that no run can give are damage: the file is refused, nothing loaded.
TEST(ProjectFile, ImpossibleCountsAreRefused) {
  struct Case {
    CheckedIntValue ModelCells::*cell;
    int32_t value;
    bool possible;
    std::string reason;
  };
  const Case cases[] = {
      {&ModelCells::ciNExtOK, -1, false, "number of external criteria met"},
      {&ModelCells::ciNExtOK, 1000000000, false, "number of external criteria met"},
      {&ModelCells::ciNExtOK, kExternalCriteriaCount + 1, false, "number of external criteria met"},
      {&ModelCells::ciNExtOK, kExternalCriteriaCount, true, ""},
      {&ModelCells::ciNOutAD, -1, false, "number of outlying objects"},
      {&ModelCells::ciNYOutlOverLOO, 4, false, "number of outlying objects"},  // of 3 objects
      {&ModelCells::ciNYOutlOverLOO, 3, true, ""},
  };
  for (const Case& c : cases) {
    Project source;
    source.Fill(2);
    source.models.Last()->*c.cell = CheckedIntValue(c.value, true);  // missing or not
    Project p;
    TestUi().Clear();
    if (c.possible) {
      EXPECT_EQ(p.Open(source.Save()), ProjectOpenResult::Loaded) << c.value;
      EXPECT_EQ((p.models.Last()->*c.cell).Value, c.value);
      continue;
    }
    EXPECT_EQ(p.Open(source.Save()), ProjectOpenResult::Refused) << c.value;
    EXPECT_TRUE(p.Empty());
    ASSERT_EQ(TestUi().Shown().size(), 1u);
    EXPECT_EQ(TestUi().Shown(0).text, "Cannot load file, damaged project file: Damaged record: " + c.reason);
  }
}

TEST(ProjectFile, CorruptedFilesAreReadOrRefusedNeverTrusted) {
  Project source;
  source.Fill(2);
  source.data.iSplitCount = 1;
  source.data.ipSplittingPtr = new int32_t*[1]{new int32_t[3]{1, 2, 0}};
  source.data.tpSplitNameStrPtr = new std::string[1]{"split"};
  WriteBytes(source.Db("~rdes~"), std::vector<uint8_t>(300, 1));
  const std::vector<uint8_t> bytes = source.Save();

  Project p;
  uint64_t state = 20240601;
  auto next = [&state] {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(state >> 33);
  };
  int loaded = 0, refused = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    std::vector<uint8_t> file = bytes;
    if (trial % 3 == 0) file.resize(next() % file.size());
    for (uint32_t flips = 1 + next() % 4; flips > 0; --flips) {
      if (file.size() <= 21) break;
      std::size_t at = 21 + next() % (file.size() - 21);
      file[at] = next() % 2 ? static_cast<uint8_t>(next()) : static_cast<uint8_t>(file[at] ^ 0x80);
    }
    TestUi().Clear();
    ProjectOpenResult result = p.Open(file);
    if (result == ProjectOpenResult::Refused) {
      ++refused;
      EXPECT_TRUE(p.Empty());
      ASSERT_FALSE(TestUi().Shown().empty());  // after a warning on the settings, perhaps
      EXPECT_EQ(TestUi().Shown().back().caption, "APPLICATION ERROR");
    } else if (result == ProjectOpenResult::Unchanged) {
      EXPECT_LT(file.size(), 21u);  // only a header cut short is not a project file
    } else {
      ASSERT_EQ(result, ProjectOpenResult::Loaded);
      ++loaded;
      EXPECT_FALSE(p.data.ResetImpossibleSearchSettings());
      for (DataResultNode* m = p.models.First(); m != nullptr; m = m->Next()) {
        for (int j = 0; j < m->iSize; ++j) ASSERT_LT(m->ipSelVarIdxPtr[j], p.data.iVarCount);
        ASSERT_GE(m->ciNExtOK.Value, 0);
        ASSERT_LE(m->ciNExtOK.Value, kExternalCriteriaCount);
      }
    }
  }
  EXPECT_GT(loaded, 0);
  EXPECT_GT(refused, 0);
}

TEST(ProjectFile, SaveReplacesTheFileOnlyWhenWrittenWhole) {
  Project p;
  p.Fill(1);
  std::string name = p.folder.Dir() + "study.kvp";
  ASSERT_TRUE(SaveProjectFile(name, p.data, p.models, &p.temp));
  EXPECT_EQ(ReadBytes(name), p.Save());

  const std::vector<uint8_t> old = ReadBytes(name);
  p.models.Clear();
  bool saved = SafeWriteFile(name, [&](Stream& stream) {
    WriteProject(stream, p.data, p.models, &p.temp);
    throw EStreamError("No space left on device");  // the disk fills up midway
  });
  EXPECT_FALSE(saved);
  EXPECT_EQ(ReadBytes(name), old);
  EXPECT_EQ(ListFiles(p.folder.Dir(), "*"), (std::vector<std::string>{"study.kvp"}));
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Cannot save file " + name + ": No space left on device");
}


// Models that carry validation results whose records the save leaves out (their
// file is gone, deleted under the open model list, or the records are out of
// date) are saved without their details, and the user is told.
TEST(ProjectFile, SaveSaysWhenTheModelsValidationDetailsAreMissing) {
  struct Case {
    const char* name;
    std::function<void(Project&)> change;
    bool told;
  };
  const Case cases[] = {
      {"another model's record out of date", [](Project& p) { p.temp.Stale("~yscr~").Mark({{1}}); }, false},
      {"the model's record out of date", [](Project& p) { p.temp.Stale("~yscr~").Mark({{0}}); }, true},
      {"every record out of date", [](Project& p) { p.temp.Stale("~yscr~").MarkAll(); }, true},
      {"file missing", [](Project& p) { p.models.Last()->cvQ2LMO = CheckedValue(0.3L, false); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Project p;
    p.Fill(2);
    TestUi().Reset();
    const std::string name = p.folder.Dir() + "study.kvp";
    std::ofstream(p.Db("~yscr~")) << "records";
    p.models.Last()->cvQ2Yscr = CheckedValue(0.2L, false);
    c.change(p);
    ASSERT_TRUE(SaveProjectFile(name, p.data, p.models, &p.temp));
    EXPECT_EQ(ReadBytes(name), p.Save());
    ASSERT_EQ(TestUi().Shown().size(), c.told ? 1u : 0u);
    if (!c.told) continue;
    EXPECT_TRUE(IsMessage(
        TestUi().Shown(0),
        "The project has been saved without the internal validation details: their temporary files are missing, "
        "and the models' validation plots will not be available.",
        "APPLICATION WARNING", MB_ICONWARNING));
  }
}

TEST(ProjectFile, SaveUsesATemporaryOfItsOwnAndKeepsPermissionsAndLinks) {
  namespace fs = std::filesystem;
  Project p;
  p.Fill(1);
  const std::string dir = p.folder.Dir();
  const std::string name = dir + "study.kvp";
  const std::string users = name + ".saving~";
  std::ofstream(users) << "the user's own file";

  // A second save of the same name while the first is writing: each writes its
  // own temporary file, and the save that ends last leaves its whole file.
  std::vector<uint8_t> inner;
  ASSERT_TRUE(SafeWriteFile(name, [&](Stream& stream) {
    stream.Write("outer", 5);
    ASSERT_TRUE(SafeWriteFile(name, [&](Stream& second) { second.Write("inner", 5); }));
    inner = ReadBytes(name);
    stream.Write(" end", 4);
  }));
  EXPECT_EQ(inner, (std::vector<uint8_t>{'i', 'n', 'n', 'e', 'r'}));
  EXPECT_EQ(ReadBytes(name), (std::vector<uint8_t>{'o', 'u', 't', 'e', 'r', ' ', 'e', 'n', 'd'}));
  const std::string kept = "the user's own file";
  EXPECT_EQ(ReadBytes(users), std::vector<uint8_t>(kept.begin(), kept.end()));
  EXPECT_EQ(ListFiles(dir, "*"), (std::vector<std::string>{"study.kvp", "study.kvp.saving~"}));

  fs::permissions(name, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(SaveProjectFile(name, p.data, p.models, &p.temp));
  EXPECT_EQ(fs::status(name).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  // Saving through a link replaces the file it points at and keeps the link.
  ForceDirectories(dir + "real");
  fs::create_symlink("real/linked.kvp", dir + "link.kvp");
  ASSERT_TRUE(SaveProjectFile(dir + "link.kvp", p.data, p.models, &p.temp));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir + "link.kvp")));
  EXPECT_EQ(ReadBytes(dir + "real/linked.kvp"), p.Save());
  EXPECT_EQ(ListFiles(dir + "real", "*"), std::vector<std::string>{"linked.kvp"});
}

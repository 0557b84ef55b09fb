#include "models/ValidationUndo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "data/DataResult.h"
#include "data/TempFiles.h"
#include "support/ScriptedUi.h"
#include "support/TestFolder.h"

namespace {

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

class ValidationUndoTest : public ::testing::Test {
protected:
  ValidationUndoTest() {
    TestUi().Reset();
    for (const char* name : kValidationFileNames) registry.AddName(name);
  }
  std::string Db(const char* name) const { return folder.Path(std::string(name) + ".db$"); }
  std::string Und(const char* name) const { return Db(name) + ".und"; }
  bool AnyUndoCopy() const {
    for (const char* name : kValidationFileNames)
      if (FileExistsHere(Und(name))) return true;
    return false;
  }
  static bool FileExistsHere(const std::string& path) { return std::filesystem::exists(path); }

  TestFolder folder;
  TempFiles registry{folder.Dir()};
  ValidationUndo undo{&registry};
};

TEST_F(ValidationUndoTest, UndoPathsEndInDbAndUnd) {
  EXPECT_EQ(undo.UndoPath("~many~"), folder.Path("~many~.db$.und"));
}

TEST_F(ValidationUndoTest, CancelRestoresTheFilesAsTheyWereAtOpening) {
  Write(Db("~many~"), "many at opening");
  Write(Db("~yscr~"), "yscr at opening");
  Write(Und("~rdes~"), "stale copy of an earlier session");
  undo.Backup();
  EXPECT_FALSE(FileExistsHere(Und("~rdes~")));
  Write(Db("~many~"), "many changed");
  std::filesystem::remove(Db("~yscr~"));
  Write(Db("~rdes~"), "rdes new");
  Write(Db("~rres~"), "rres new");

  DataResultList* field = new DataResultList(nullptr);
  field->Append()->iID = 9;
  auto backup = std::make_unique<DataResultList>(nullptr);
  backup->Append()->iID = 1;
  backup->Append()->iID = 2;
  CloseModelList(false, field, std::move(backup), undo);
  std::unique_ptr<DataResultList> owner(field);

  EXPECT_EQ(ReadFileText(Db("~many~")), "many at opening");
  EXPECT_EQ(ReadFileText(Db("~yscr~")), "yscr at opening");
  EXPECT_FALSE(FileExistsHere(Db("~rdes~")));
  EXPECT_FALSE(FileExistsHere(Db("~rres~")));
  EXPECT_FALSE(AnyUndoCopy());
  ASSERT_EQ(field->Count(), 2);
  EXPECT_EQ(field->First()->iID, 1);
  EXPECT_TRUE(TestUi().Shown().empty());
  EXPECT_EQ(TestUi().busyDepth, 0);
}

TEST_F(ValidationUndoTest, AcceptKeepsTheListAndTheFiles) {
  Write(Db("~many~"), "at opening");
  undo.Backup();
  Write(Db("~many~"), "changed");
  Write(Db("~rres~"), "new");
  DataResultList* edited = new DataResultList(nullptr);
  DataResultList* field = edited;
  CloseModelList(true, field, std::make_unique<DataResultList>(nullptr), undo);
  std::unique_ptr<DataResultList> owner(field);
  EXPECT_EQ(field, edited);
  EXPECT_EQ(ReadFileText(Db("~many~")), "changed");
  EXPECT_EQ(ReadFileText(Db("~rres~")), "new");
  EXPECT_FALSE(AnyUndoCopy());
}

TEST_F(ValidationUndoTest, AFailedCopyLeavesNoUndoCopyAndStopsTheRest) {
  Write(Db("~many~"), "many");
  Write(Db("~rdes~"), "rdes");
  Write(Db("~rres~"), "rres");
  // The undo copy of "~rdes~" cannot be written: its name is taken by a folder.
  std::filesystem::create_directory(Und("~rdes~"));
  EXPECT_THROW(undo.Backup(), Exception);
  EXPECT_TRUE(FileExistsHere(Und("~many~")));
  EXPECT_FALSE(FileExistsHere(Und("~rres~")));
}

// Files whose copy (leaving a partial one), delete or rename fails for the paths
// named, and which note each watched file found missing after a delete or rename.
struct FailingFiles : FileOperations {
  bool Copy(const std::string& from, const std::string& to) override {
    if (from != failCopyOf) return FileOperations::Copy(from, to);
    Write(to, "partial");
    return false;
  }
  bool Delete(const std::string& path) override {
    const bool done = path != failDeleteOf && FileOperations::Delete(path);
    NoteMissing();
    return done;
  }
  bool RenameOver(const std::string& from, const std::string& to) override {
    const bool done = to != failRenameTo && FileOperations::RenameOver(from, to);
    NoteMissing();
    return done;
  }
  std::optional<FileStamp> Stamp(const std::string& path) override {
    return path == failStampOf ? std::nullopt : FileOperations::Stamp(path);
  }
  void NoteMissing() {
    for (const std::string& path : watched)
      if (!std::filesystem::exists(path)) missing.push_back(path);
  }
  std::string failCopyOf;
  std::string failDeleteOf;
  std::string failRenameTo;
  std::string failStampOf;
  std::vector<std::string> watched;
  std::vector<std::string> missing;
};

class ValidationUndoFailureTest : public ValidationUndoTest {
protected:
  ValidationUndoFailureTest() {
    for (const char* name : kValidationFileNames) Write(Db(name), std::string(name) + " at opening");
  }
  void ChangeAll() {
    for (const char* name : kValidationFileNames) Write(Db(name), std::string(name) + " changed");
  }
  void Cancel() { Close(false); }
  void Close(bool accepted) {
    DataResultList* field = new DataResultList(nullptr);
    CloseModelList(accepted, field, std::make_unique<DataResultList>(nullptr), failingUndo);
    delete field;
  }
  FailingFiles files;
  ValidationUndo failingUndo{&registry, files};
};

// A copy that fails at opening: Cancel puts back the files copied before it.
// Of the others, one written meanwhile, or whose state cannot be told, is deleted
// with its records, and one that cannot be deleted keeps no record current and
// is reported; one that nothing wrote stays as it was, with its marks.
TEST_F(ValidationUndoFailureTest, CancelPutsBackTheFilesThatWereCopiedAndDeletesTheOthersWritten) {
  struct Case {
    const char* name;
    bool written, deletable, told;
  };
  for (const Case& c : {Case{"written", true, true, true}, Case{"not deletable", true, false, true},
                        Case{"untouched", false, true, true}, Case{"untold", false, true, false}}) {
    SCOPED_TRACE(c.name);
    TestUi().Reset();
    files = FailingFiles();
    for (const char* name : kValidationFileNames) Write(Db(name), std::string(name) + " at opening");
    registry.Stale("~rdes~").Mark({{4}});
    failingUndo.Backup();  // an earlier backup's copies count no more
    files.failCopyOf = Db("~rdes~");
    if (!c.told) files.failStampOf = Db("~rdes~");
    EXPECT_THROW(failingUndo.Backup(), Exception);
    EXPECT_FALSE(FileExistsHere(Und("~rdes~")));
    registry.Stale("~rdes~").Mark({{5}});
    Write(Db("~many~"), "~many~ changed");
    if (c.written) {
      ChangeAll();
      std::filesystem::remove(Db("~rres~"));
    }
    if (!c.deletable) files.failDeleteOf = Db("~rdes~");
    Cancel();
    EXPECT_EQ(ReadFileText(Db("~many~")), "~many~ at opening");
    EXPECT_EQ(ReadFileText(Db("~yscr~")), "~yscr~ at opening");
    const bool kept = !c.written && c.told;
    EXPECT_EQ(FileExistsHere(Db("~rdes~")), kept || !c.deletable);
    EXPECT_EQ(ReadFileText(Db("~rdes~")), kept ? "~rdes~ at opening" : c.deletable ? "" : "~rdes~ changed");
    EXPECT_EQ(registry.Stale("~rdes~").All(), !c.deletable);
    EXPECT_EQ(registry.Stale("~rdes~").Sets().size(), kept ? 1u : c.deletable ? 0u : 2u);
    EXPECT_EQ(FileExistsHere(Db("~rres~")), !c.written);
    EXPECT_FALSE(registry.Stale("~rres~").All());
    EXPECT_FALSE(AnyUndoCopy());
    EXPECT_EQ(TestUi().Shown().size(), c.deletable ? 0u : 1u);
    registry.Stale("~rdes~") = StaleRecords();
  }
}

// A Backup that cannot even clear the earlier copies covers nothing: Cancel puts
// back no earlier copy, and deletes every file.
TEST_F(ValidationUndoFailureTest, CancelAfterABackupThatCoveredNothingDeletesEveryFile) {
  failingUndo.Backup();
  files.failDeleteOf = Und("~many~");
  EXPECT_THROW(failingUndo.Backup(), Exception);
  ChangeAll();
  Cancel();
  for (const char* name : kValidationFileNames) EXPECT_FALSE(FileExistsHere(Db(name))) << name;
}

// A validation file new since opening that cannot be deleted on Cancel: the
// others are still put back, the failure is reported and the undo copies go; no
// record of the file that stays is current.
TEST_F(ValidationUndoFailureTest, AFileThatCannotBeDeletedIsReportedAndTheOthersComeBack) {
  std::filesystem::remove(Db("~yscr~"));
  failingUndo.Backup();
  ChangeAll();
  files.failDeleteOf = Db("~yscr~");
  Cancel();
  EXPECT_EQ(ReadFileText(Db("~many~")), "~many~ at opening");
  EXPECT_EQ(ReadFileText(Db("~yscr~")), "~yscr~ changed");
  EXPECT_EQ(ReadFileText(Db("~rdes~")), "~rdes~ at opening");
  EXPECT_EQ(ReadFileText(Db("~rres~")), "~rres~ at opening");
  EXPECT_TRUE(registry.Stale("~yscr~").All());
  EXPECT_FALSE(registry.Stale("~many~").All());
  EXPECT_FALSE(AnyUndoCopy());
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Cannot handle undo validation files, please check your privileges.");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION ERROR");
}

// Each copy replaces its file in one step, so no validation file is ever
// missing; one that cannot be put back keeps its changed file and is reported.
TEST_F(ValidationUndoFailureTest, ACopyThatCannotBeRenamedBackIsReported) {
  failingUndo.Backup();
  ChangeAll();
  for (const char* name : kValidationFileNames) files.watched.push_back(Db(name));
  files.failRenameTo = Db("~yscr~");
  Cancel();
  EXPECT_EQ(files.missing, std::vector<std::string>{});
  EXPECT_EQ(ReadFileText(Db("~many~")), "~many~ at opening");
  EXPECT_EQ(ReadFileText(Db("~yscr~")), "~yscr~ changed");
  EXPECT_EQ(ReadFileText(Db("~rdes~")), "~rdes~ at opening");
  EXPECT_EQ(ReadFileText(Db("~rres~")), "~rres~ at opening");
  EXPECT_FALSE(AnyUndoCopy());
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Cannot handle undo validation files, please check your privileges.");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION ERROR");
  EXPECT_EQ(TestUi().Shown(0).flags, MB_OK | MB_ICONERROR);
}

// An undo copy that cannot be deleted on Accept is reported.
TEST_F(ValidationUndoFailureTest, AnUndoCopyThatCannotBeDeletedIsReported) {
  failingUndo.Backup();
  files.failDeleteOf = Und("~rdes~");
  Close(true);
  EXPECT_TRUE(FileExistsHere(Und("~rdes~")));
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Cannot handle undo validation files, please check your privileges.");
}

TEST(ValidationUndoWithoutRegistryTest, DoesNothing) {
  ValidationUndo undo(nullptr);
  EXPECT_NO_THROW(undo.Backup());
  EXPECT_NO_THROW(undo.Restore());
  EXPECT_NO_THROW(undo.DeleteUndoCopies());
}

}  // namespace

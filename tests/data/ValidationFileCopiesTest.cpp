#include "data/ValidationFileCopies.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "data/TempFiles.h"
#include "support/ScriptedUi.h"
#include "support/TestFolder.h"

namespace {

class ValidationFilesAsideTest : public ::testing::Test {
protected:
  ValidationFilesAsideTest() {
    TestUi().Reset();
    for (const char* name : kValidationFileNames) registry.AddName(name);
  }
  std::string Db(const char* name) const { return folder.Path(std::string(name) + ".db$"); }
  void Write(const char* name, const std::string& text) const { std::ofstream(Db(name), std::ios::binary) << text; }
  bool Exists(const std::string& path) const { return std::filesystem::exists(path); }

  TestFolder folder;
  TempFiles registry{folder.Dir()};
};

TEST_F(ValidationFilesAsideTest, WhatIsWrittenMeanwhileIsGoneAndTheFilesComeBack) {
  Write("~many~", "many before");
  Write("~yscr~", "yscr before");
  {
    ValidationFilesAside aside(&registry);
    ASSERT_TRUE(aside.Held());
    EXPECT_EQ(ReadFileText(Db("~many~") + ".new"), "many before");
    Write("~many~", "many meanwhile");
    std::filesystem::remove(Db("~yscr~"));
    Write("~rres~", "rres meanwhile");
  }
  EXPECT_EQ(ReadFileText(Db("~many~")), "many before");
  EXPECT_EQ(ReadFileText(Db("~yscr~")), "yscr before");
  EXPECT_FALSE(Exists(Db("~rres~")));
  EXPECT_FALSE(Exists(Db("~rdes~")));
  for (const char* name : kValidationFileNames) EXPECT_FALSE(Exists(Db(name) + ".new")) << name;
  EXPECT_TRUE(TestUi().Shown().empty());
}

TEST_F(ValidationFilesAsideTest, CopiesThatCannotBeTakenAreReportedAndNothingIsPutBack) {
  Write("~many~", "many before");
  Write("~rdes~", "rdes before");
  std::filesystem::create_directories(Db("~rdes~") + ".new/taken");  // the copy's name is a folder's
  {
    ValidationFilesAside aside(&registry);
    EXPECT_FALSE(aside.Held());
    EXPECT_FALSE(Exists(Db("~many~") + ".new"));
    Write("~many~", "many meanwhile");
  }
  EXPECT_EQ(ReadFileText(Db("~many~")), "many meanwhile");
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Cannot handle undo validation files, please check your privileges.");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION ERROR");
}

// Files that cannot be renamed.
struct NoRenames : FileOperations {
  bool RenameOver(const std::string&, const std::string&) override { return false; }
};

TEST_F(ValidationFilesAsideTest, FilesThatCannotBePutBackAreReportedAndKeepTheirCopies) {
  Write("~many~", "many before");
  NoRenames files;
  {
    ValidationFilesAside aside(&registry, files);
    ASSERT_TRUE(aside.Held());
    Write("~many~", "many meanwhile");
  }
  EXPECT_EQ(ReadFileText(Db("~many~")), "many meanwhile");
  EXPECT_EQ(ReadFileText(Db("~many~") + ".new"), "many before");
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Cannot handle undo validation files, please check your privileges.");
  EXPECT_EQ(TestUi().Shown(0).flags, MB_OK | MB_ICONERROR);
}

// Files of one name that cannot be renamed over.
struct NoRenameOver : FileOperations {
  explicit NoRenameOver(std::string name) : name(std::move(name)) {}
  bool RenameOver(const std::string& from, const std::string& to) override {
    return to.find(name) == std::string::npos && FileOperations::RenameOver(from, to);
  }
  std::string name;
};

// The marks of records out of date come back with the content they were made for;
// a file not put back may hold what was written meanwhile: none of its records is current.
TEST_F(ValidationFilesAsideTest, MarksOfStaleRecordsComeBackWithTheirFiles) {
  Write("~many~", "many before");
  Write("~yscr~", "yscr before");
  registry.Stale("~many~").Mark({{1}});
  NoRenameOver files("~yscr~");
  {
    ValidationFilesAside aside(&registry, files);
    ASSERT_TRUE(aside.Held());
    registry.Stale("~many~").Mark({{2}});
    registry.Stale("~yscr~").Mark({{3}});
  }
  EXPECT_EQ(registry.Stale("~many~").Sets(), (std::vector<std::vector<int32_t>>{{1}}));
  EXPECT_FALSE(registry.Stale("~many~").All());
  EXPECT_EQ(registry.Stale("~yscr~").Sets(), (std::vector<std::vector<int32_t>>{{3}}));
  EXPECT_TRUE(registry.Stale("~yscr~").All());
  EXPECT_EQ(TestUi().Shown().size(), 1u);
}

TEST(ValidationFilesAsideWithoutRegistryTest, HoldsNothingAndSaysNothing) {
  TestUi().Reset();
  { EXPECT_TRUE(ValidationFilesAside(nullptr).Held()); }
  EXPECT_TRUE(TestUi().Shown().empty());
}

}  // namespace

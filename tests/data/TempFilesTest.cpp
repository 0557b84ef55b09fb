#include "data/TempFiles.h"

#include <gtest/gtest.h>

#include "data/ByteBuilder.h"
#include "data/RecordStreams.h"
#include "data/TestFiles.h"
#include "platform/base/Files.h"
#include "support/ScriptedUi.h"

namespace {

std::vector<uint8_t> Pattern(std::size_t size) {
  std::vector<uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
  return bytes;
}

struct Registry {
  TestFolder folder;
  TempFiles temp{folder.Dir()};
  Registry() {
    for (const char* name : {"~yscr~", "~rdes~", "~rres~", "~many~"}) temp.AddName(name);
  }
  std::string Db(const std::string& name) const { return folder.Dir() + name + ".db$"; }
};

}  // namespace

TEST(TempFiles, PathsExistOnlyForRegisteredNames) {
  Registry r;
  EXPECT_EQ(r.temp.FindTempFilePath("~many~", TempFiles::DbExtensionIndex()), r.Db("~many~"));
  EXPECT_EQ(r.temp.FindTempFilePath("~yscr~", 3), r.folder.Dir() + "~yscr~.und");
  EXPECT_EQ(r.temp.FindTempFilePath("~other~", 0), "");
  EXPECT_EQ(r.temp.FindTempFilePath("~many~", 5), "");
}

TEST(TempFiles, DeleteRemovesEveryExtensionOfRegisteredNamesOnly) {
  Registry r;
  for (const char* file : {"~many~.db$", "~many~.und", "~rres~.out", "~other~.db$", "~many~.db$.tmp"}) {
    WriteBytes(r.folder.Dir() + file, {1});
  }
  r.temp.DeleteTempFiles();
  EXPECT_FALSE(FileExists(r.Db("~many~")));
  EXPECT_FALSE(FileExists(r.folder.Dir() + "~many~.und"));
  EXPECT_FALSE(FileExists(r.folder.Dir() + "~rres~.out"));
  EXPECT_TRUE(FileExists(r.folder.Dir() + "~other~.db$"));
  EXPECT_TRUE(FileExists(r.folder.Dir() + "~many~.db$.tmp"));
}

TEST(TempFiles, StoreWritesNameSizeAndContent) {
  Registry r;
  MemoryStream stream;
  r.temp.StoreTempFile("~rdes~", stream);  // no such file: nothing
  EXPECT_EQ(stream.Size(), 0);

  WriteBytes(r.Db("~rdes~"), {});
  r.temp.StoreTempFile("~rdes~", stream);
  EXPECT_EQ(stream.Bytes(), ByteBuilder().Text("~rdes~").Int(0, 8).bytes);

  for (std::size_t size : {32767u, 32768u, 100000u}) {
    MemoryStream out;
    WriteBytes(r.Db("~yscr~"), Pattern(size));
    r.temp.StoreTempFile("~yscr~", out);
    EXPECT_EQ(out.Bytes(), ByteBuilder().Text("~yscr~").Int(static_cast<int64_t>(size), 8).Raw(Pattern(size)).bytes);
  }
}

TEST(TempFiles, RestoreRecreatesTheStoredFile) {
  Registry r;
  MemoryStream stream;
  WriteBytes(r.Db("~many~"), Pattern(70000));
  WriteBytes(r.Db("~rres~"), {});
  r.temp.StoreTempFile("~many~", stream);
  r.temp.StoreTempFile("~rres~", stream);
  r.temp.DeleteTempFiles();

  stream.Seek(4 + 6, SeekOrigin::Begin);  // the caller has read the name
  r.temp.RestoreTempFile(stream, "~many~");
  stream.Seek(4 + 6, SeekOrigin::Current);
  r.temp.RestoreTempFile(stream, "~rres~");
  EXPECT_EQ(stream.Position(), stream.Size());
  EXPECT_EQ(ReadBytes(r.Db("~many~")), Pattern(70000));
  EXPECT_TRUE(FileExists(r.Db("~rres~")));
  EXPECT_TRUE(ReadBytes(r.Db("~rres~")).empty());
  EXPECT_EQ(TestUi().busyDepth, 0);
}

TEST(TempFiles, StoreFailsWhenTheStreamFails) {
  Registry r;
  WriteBytes(r.Db("~yscr~"), Pattern(50000));
  FailingStream stream(40000);
  EXPECT_THROW(r.temp.StoreTempFile("~yscr~", stream), EStreamError);
  EXPECT_EQ(TestUi().busyDepth, 0);
}

TEST(TempFiles, RestoreRefusesRecordsTheStreamDoesNotHold) {
  Registry r;
  MemoryStream shortContent(ByteBuilder().Int(100, 8).Raw(Pattern(60)).bytes);
  EXPECT_THROW(r.temp.RestoreTempFile(shortContent, "~many~"), EDamagedRecord);
  EXPECT_FALSE(FileExists(r.Db("~many~")));
  MemoryStream shortSize(ByteBuilder().Int(3, 4).bytes);
  EXPECT_THROW(r.temp.RestoreTempFile(shortSize, "~many~"), EDamagedRecord);
  MemoryStream negative(ByteBuilder().Int(-5, 8).Raw(Pattern(10)).bytes);
  EXPECT_THROW(r.temp.RestoreTempFile(negative, "~many~"), EDamagedRecord);
}

TEST(TempFiles, RestoreSkipsATargetThatCannotBeCreatedAndWarns) {
  TestFolder folder;
  TempFiles temp(folder.Dir() + "missing/");
  temp.AddName("~many~");
  MemoryStream stream(ByteBuilder().Int(5, 8).Raw(Pattern(5)).Int(77).bytes);
  temp.RestoreTempFile(stream, "~many~");
  EXPECT_EQ(stream.Position(), 13);
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
}

#include "data/TempFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "data/ByteBuilder.h"
#include "data/RecordStreams.h"
#include "data/TestFiles.h"
#include "data/ValidationFileCopies.h"
#include "platform/base/Files.h"
#include "support/BlockedFolder.h"
#include "support/FileSizeLimit.h"
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

// Sizes around the 32 KiB copy buffer, an empty file, and a name with no file, which stores nothing.
TEST(TempFiles, StoreWritesNameSizeAndContentAndRestoreRecreatesTheFile) {
  Registry r;
  for (std::size_t size : {0u, 32767u, 32768u, 70000u}) {
    WriteBytes(r.Db("~many~"), Pattern(size));
    MemoryStream stream;
    r.temp.StoreTempFile("~many~", stream);
    r.temp.StoreTempFile("~rdes~", stream);
    EXPECT_EQ(stream.Bytes(), ByteBuilder().Text("~many~").Int(static_cast<int64_t>(size), 8).Raw(Pattern(size)).bytes);
    r.temp.DeleteTempFiles();

    stream.Seek(4 + 6, SeekOrigin::Begin);  // the caller has read the name
    r.temp.RestoreTempFile(stream, "~many~");
    EXPECT_EQ(stream.Position(), stream.Size());
    ASSERT_TRUE(FileExists(r.Db("~many~")));
    EXPECT_EQ(ReadBytes(r.Db("~many~")), Pattern(size));
  }
  EXPECT_EQ(TestUi().busyDepth, 0);
}

// A project stream during whose writing another program cuts the file at path to
// `size` bytes, once `after` bytes have been written.
class CuttingStream : public MemoryStream {
public:
  CuttingStream(std::string path, std::size_t after, std::uintmax_t size)
      : path_(std::move(path)), after_(after), size_(size) {}
  void Write(const void* buffer, std::size_t count) override {
    MemoryStream::Write(buffer, count);
    if (Bytes().size() >= after_) std::filesystem::resize_file(path_, size_);
  }

private:
  std::string path_;
  std::size_t after_;
  std::uintmax_t size_;
};

// A project whose validation file cannot go into it whole is not saved: the
// stream fails, or the file ends before the size its record announces.
TEST(TempFiles, StoreFailsWhenTheStreamFailsOrTheFileEndsEarly) {
  Registry r;
  WriteBytes(r.Db("~yscr~"), Pattern(50000));
  FailingStream stream(40000);
  EXPECT_THROW(r.temp.StoreTempFile("~yscr~", stream), EStreamError);
  CuttingStream cut(r.Db("~yscr~"), 4 + 6 + 8, 100);  // once the size is written
  EXPECT_THROW(r.temp.StoreTempFile("~yscr~", cut), EStreamError);
  EXPECT_EQ(TestUi().busyDepth, 0);
}

// A project stream whose reads end at `end` though its size counts every byte, as
// a file cut while it is read.
class ShortReadStream : public MemoryStream {
public:
  ShortReadStream(std::vector<uint8_t> bytes, int64_t end) : MemoryStream(std::move(bytes)), end_(end) {}
  std::size_t Read(void* buffer, std::size_t count) override {
    const int64_t left = std::max<int64_t>(0, end_ - Position());
    return MemoryStream::Read(buffer, std::min<std::size_t>(count, static_cast<std::size_t>(left)));
  }

private:
  int64_t end_;
};

// An embedded file that cannot be read whole (the project ends inside its size
// or reads short) is reported to the project's reader as damage; one that
// cannot be written (the disk fills up) is passed over with a warning, as the
// project is sound. Neither leaves a part of the file.
TEST(TempFiles, RestoreReportsAFileItCannotWriteWholeAndLeavesNone) {
  Registry r;
  MemoryStream noSize(ByteBuilder().Int(5).bytes);
  EXPECT_THROW(r.temp.RestoreTempFile(noSize, "~many~"), EDamagedRecord);
  const std::vector<uint8_t> record = ByteBuilder().Int(5000, 8).Raw(Pattern(5000)).Int(77).bytes;
  ShortReadStream cut(record, 8 + 3000);
  EXPECT_THROW(r.temp.RestoreTempFile(cut, "~many~"), EDamagedRecord);
  EXPECT_FALSE(FileExists(r.Db("~many~")));
  EXPECT_TRUE(TestUi().Shown().empty());
  // A file the write buffer holds whole fails when flushed; a larger one as it is copied.
  for (const int64_t size : {3000, 40000}) {
    TestUi().Reset();
    r.temp.Stale("~many~").Mark({{1}});
    MemoryStream whole(ByteBuilder().Int(size, 8).Raw(Pattern(static_cast<std::size_t>(size))).Int(77).bytes);
    {
      FileSizeLimit disk(1000);
      r.temp.RestoreTempFile(whole, "~many~");
    }
    EXPECT_EQ(whole.Position(), 8 + size);
    EXPECT_FALSE(FileExists(r.Db("~many~")));
    EXPECT_TRUE(r.temp.Stale("~many~").Sets().empty());  // the marks go with the file
    ASSERT_EQ(TestUi().Shown().size(), 1u);
    EXPECT_EQ(TestUi().Shown(0).text, "Cannot write file \"" + r.Db("~many~") +
                                          "\": File too large: validation results of ~many~ are not restored.");
    EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
  }
  EXPECT_EQ(TestUi().busyDepth, 0);
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

// Clearing the registry leaves none of its files, working copies included (a
// killed run leaves them), so that the folder can go; another file stays.
TEST(TempFiles, ClearingDeletesEveryWorkingCopySoThatTheFolderCanGo) {
  Registry r;
  for (const char* name : kValidationFileNames) {
    WriteBytes(r.Db(name), {1});
    for (const char* extension : {".tmp", ".new", ".und", ".out"}) {
      WriteBytes(r.folder.Path(name + std::string(extension)), {1});
      WriteBytes(r.Db(name) + extension, {1});
    }
  }
  WriteBytes(r.folder.Path("~other~.db$.tmp"), {1});
  r.temp.DeleteTempFiles();
  EXPECT_EQ(ListFiles(r.folder.Dir(), "*"), std::vector<std::string>{"~other~.db$.tmp"});
  DeleteFile(r.folder.Path("~other~.db$.tmp"));
  EXPECT_TRUE(RemoveDirIfEmpty(r.folder.Dir()));
  EXPECT_TRUE(TestUi().Shown().empty());
}

// Records out of date stay out of a project, so that a loaded project does not
// show them; the marks go with the file's content, when it is restored or deleted.
TEST(TempFiles, AProjectStoresNoStaleRecordAndTheMarksGoWithTheContent) {
  Registry r;
  const std::vector<uint8_t> m1 = EncodeValidationRecord({{1}, {{}}});
  const std::vector<uint8_t> m2 = EncodeValidationRecord({{4, 6}, {{}, {}}});
  const std::vector<uint8_t> file = ByteBuilder().Raw(m1).Raw(m2).Raw(m1).bytes;
  WriteBytes(r.Db("~yscr~"), file);
  r.temp.Stale("~yscr~").Mark({{6, 4}});
  const int32_t stale[] = {4, 6}, current[] = {1};
  EXPECT_FALSE(r.temp.HoldsCurrentRecord("~yscr~", stale, 2));
  EXPECT_TRUE(r.temp.HoldsCurrentRecord("~yscr~", current, 1));
  MemoryStream stream;
  r.temp.StoreTempFile("~yscr~", stream);
  EXPECT_EQ(stream.Bytes(), ByteBuilder().Text("~yscr~").Int(2 * static_cast<int64_t>(m1.size()), 8).Raw(m1).Raw(m1).bytes);

  WriteBytes(r.Db("~yscr~"), file);
  stream.Seek(4 + 6, SeekOrigin::Begin);
  r.temp.RestoreTempFile(stream, "~yscr~");
  EXPECT_TRUE(r.temp.Stale("~yscr~").Sets().empty());
  r.temp.Stale("~yscr~").Mark({{1}});
  r.temp.Stale("~rres~").Mark({{1}});
  r.temp.DeleteTempFiles();
  EXPECT_TRUE(r.temp.Stale("~yscr~").Sets().empty());
  EXPECT_TRUE(r.temp.Stale("~rres~").Sets().empty());
}

// A validation file that a new project or search cannot delete keeps the records
// of the earlier one: none of them is current, and a project stores none, until
// the file is deleted or rewritten. The user is told when a file newly stays.
TEST(TempFiles, AValidationFileThatCannotBeDeletedHoldsNoCurrentRecordUntilItGoes) {
  Registry r;
  const std::vector<uint8_t> m1 = EncodeValidationRecord({{1}, {{}}});
  const int32_t model[] = {1};
  for (const char* name : {"~many~", "~yscr~", "~rdes~"}) WriteBytes(r.Db(name), m1);
  const std::string said =
      "Cannot delete the earlier validation files: their records will not be available for validation plots. "
      "Please check your privileges.";
  {
    BlockedFolder blocked(r.folder.Dir());
    r.temp.DeleteTempFiles();
    r.temp.DeleteTempFiles();
  }
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_TRUE(IsMessage(TestUi().Shown(0), said, "APPLICATION WARNING", MB_ICONWARNING));
  EXPECT_EQ(ReadBytes(r.Db("~many~")), m1);
  EXPECT_FALSE(r.temp.HoldsCurrentRecord("~many~", model, 1));
  MemoryStream stream;
  r.temp.StoreTempFile("~many~", stream);
  EXPECT_EQ(stream.Bytes(), ByteBuilder().Text("~many~").Int(0, 8).bytes);

  // Each way of the file going ends the marks: deleted before new records join it,
  // deleted with the others, rewritten from a project.
  EXPECT_TRUE(r.temp.DeleteWhollyStaleFile("~many~"));
  EXPECT_FALSE(FileExists(r.Db("~many~")));
  EXPECT_TRUE(r.temp.DeleteWhollyStaleFile("~many~"));
  WriteBytes(r.Db("~many~"), m1);
  EXPECT_TRUE(r.temp.HoldsCurrentRecord("~many~", model, 1));
  EXPECT_TRUE(r.temp.DeleteWhollyStaleFile("~many~"));
  EXPECT_EQ(ReadBytes(r.Db("~many~")), m1);

  r.temp.DeleteTempFiles();  // the folder is back: every file goes with its marks
  EXPECT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_FALSE(FileExists(r.Db("~yscr~")));

  std::filesystem::create_directories(r.Db("~rres~") + "/inside");
  r.temp.DeleteTempFiles();
  ASSERT_EQ(TestUi().Shown().size(), 2u);
  EXPECT_EQ(TestUi().Shown(1).text, said);
  EXPECT_FALSE(r.temp.DeleteWhollyStaleFile("~rres~"));
  EXPECT_TRUE(r.temp.Stale("~rres~").All());
  for (const char* name : {"~yscr~", "~rdes~", "~many~"}) {
    WriteBytes(r.Db(name), m1);
    EXPECT_TRUE(r.temp.HoldsCurrentRecord(name, model, 1)) << name;
  }
  stream.Seek(4 + 6, SeekOrigin::Begin);
  r.temp.Stale("~rdes~").MarkAll();
  r.temp.RestoreTempFile(stream, "~rdes~");
  EXPECT_FALSE(r.temp.Stale("~rdes~").All());
}

#include "platform/base/Stream.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TestFolder.h"

TEST(MemoryStream, ShortReadsReturnTheCountAndWritesOverwriteAndExtend) {
  MemoryStream stream;
  stream.Write("abcdef", 6);
  EXPECT_EQ(stream.Seek(2, SeekOrigin::Begin), 2);
  char buffer[8] = {};
  EXPECT_EQ(stream.Read(buffer, 8), 4u);
  EXPECT_EQ(std::string(buffer), "cdef");
  EXPECT_EQ(stream.Read(buffer, 8), 0u);
  stream.Seek(-1, SeekOrigin::End);
  stream.Write("XY", 2);
  EXPECT_EQ(std::string(stream.Bytes().begin(), stream.Bytes().end()), "abcdeXY");
  stream.Seek(9, SeekOrigin::Begin);  // past the end: the gap is zero-filled by the next write
  stream.Write("Z", 1);
  EXPECT_EQ(stream.Size(), 10);
  EXPECT_EQ(stream.Bytes()[7], 0);
  EXPECT_THROW(stream.Seek(-1, SeekOrigin::Begin), EStreamError);
}

TEST(FileStream, ReadsBackWhatWasWrittenAcrossSeeksAndBeyondFourGigabytes) {
  TestFolder folder;
  const std::string path = folder.Path("rw");
  {
    FileStream file(path, FileMode::Create);
    file.Write("hello world", 11);
    file.Seek(6, SeekOrigin::Begin);
    char buffer[5];
    EXPECT_EQ(file.Read(buffer, 5), 5u);
    EXPECT_EQ(std::string(buffer, 5), "world");
    file.Write("!", 1);  // a write right after a read appends at the position
    EXPECT_EQ(file.Size(), 12);
    EXPECT_EQ(file.Position(), 12);
  }
  FileStream file(path, FileMode::OpenRead);
  char buffer[20];
  EXPECT_EQ(file.Read(buffer, 20), 12u);
  EXPECT_EQ(std::string(buffer, 12), "hello world!");
  EXPECT_THROW(file.Write("x", 1), EStreamError);

  FileStream big(folder.Path("big"), FileMode::Create);
  const int64_t far = 5'000'000'000LL;
  EXPECT_EQ(big.Seek(far, SeekOrigin::Begin), far);
  big.Write("x", 1);
  EXPECT_EQ(big.Size(), far + 1);
}

TEST(FileStream, OpenAndWriteFailuresThrow) {
  TestFolder folder;
  EXPECT_THROW(FileStream(folder.Path("missing/none"), FileMode::OpenRead), EStreamError);
  EXPECT_THROW(FileStream(folder.Path("missing/none"), FileMode::Create), EStreamError);
  // A full device accepts buffered writes and fails when they reach it.
  FileStream full("/dev/full", FileMode::OpenReadWrite);
  const std::string block(1 << 16, 'x');
  EXPECT_THROW(
      {
        full.Write(block.data(), block.size());
        full.Flush();
      },
      EStreamError);
}

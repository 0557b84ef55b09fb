#include "platform/base/Stream.h"

#include <gtest/gtest.h>

#include <functional>

#include <string>

#include "support/TestFolder.h"

TEST(StreamMemory, ShortReadsReturnTheCountAndWritesOverwriteAndExtend) {
  MemoryStream stream;
  stream.Write("abcdef", 6);
  stream.Seek(2, SeekOrigin::Begin);
  char buffer[8] = {};
  EXPECT_EQ(stream.Read(buffer, 8), 4u);
  EXPECT_EQ(std::string(buffer), "cdef");
  EXPECT_EQ(stream.Read(buffer, 8), 0u);
  stream.Seek(-1, SeekOrigin::End);
  stream.Write("XY", 2);
  stream.Seek(9, SeekOrigin::Begin);  // past the end: the gap is zero-filled by the next write
  stream.Write("Z", 1);
  EXPECT_EQ(std::string(stream.Bytes().begin(), stream.Bytes().end()), std::string("abcdeXY\0\0Z", 10));
  EXPECT_THROW(stream.Seek(-1, SeekOrigin::Begin), EStreamError);
}

TEST(StreamFile, ReadsBackWhatWasWrittenAcrossSeeksAndBeyondFourGigabytes) {
  TestFolder folder;
  {
    FileStream file(folder.Path("rw"), FileMode::Create);
    file.Write("hello world", 11);
    file.Seek(6, SeekOrigin::Begin);
    char buffer[5];
    EXPECT_EQ(file.Read(buffer, 5), 5u);
    file.Write("!", 1);  // a write right after a read lands at the position
  }
  FileStream file(folder.Path("rw"), FileMode::OpenRead);
  char buffer[20];
  EXPECT_EQ(file.Read(buffer, 20), 12u);
  EXPECT_EQ(std::string(buffer, 12), "hello world!");
  EXPECT_THROW(file.Write("x", 1), EStreamError);

  FileStream big(folder.Path("big"), FileMode::Create);
  big.Seek(5'000'000'000LL, SeekOrigin::Begin);
  big.Write("x", 1);
  EXPECT_EQ(big.Size(), 5'000'000'001LL);
}

TEST(StreamFile, OpenAndWriteFailuresThrow) {
  TestFolder folder;
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

std::string FailureText(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const EStreamError& e) {
    return e.Message;
  }
  return "no failure";
}

// A failure names the file and the system's reason: a full disk is no matter of
// privileges. Calls after a failed write give its reason again.
TEST(StreamFile, FailuresNameTheFileAndTheReason) {
  TestFolder folder;
  const std::string missing = folder.Path("missing/none");
  EXPECT_EQ(FailureText([&] { FileStream(missing, FileMode::Create); }),
            "Cannot create file \"" + missing + "\": No such file or directory");
  EXPECT_EQ(FailureText([&] { FileStream(missing, FileMode::OpenRead); }),
            "Cannot open file \"" + missing + "\": No such file or directory");
  const std::string noSpace = "Cannot write file \"/dev/full\": No space left on device";
  FileStream full("/dev/full", FileMode::OpenReadWrite);
  const std::string block(1 << 16, 'x');
  EXPECT_EQ(FailureText([&] { full.Write(block.data(), block.size()); }), noSpace);
  EXPECT_EQ(FailureText([&] { full.Flush(); }), noSpace);
  FileStream buffered("/dev/full", FileMode::OpenReadWrite);
  buffered.Write("abc", 3);
  EXPECT_EQ(FailureText([&] { buffered.Close(); }), noSpace);
}

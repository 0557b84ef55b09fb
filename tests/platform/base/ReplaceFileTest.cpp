#include "platform/base/ReplaceFile.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>

#include "platform/base/Files.h"
#include "platform/base/Stream.h"
#include "support/TestFolder.h"

namespace {

// A writer's failure that names the temporary file names the chosen file
// instead, and leaves the chosen file and the folder as they were.
TEST(ReplaceFile, AFailureNamesTheChosenFileNotTheTemporaryOne) {
  TestFolder folder;
  const std::string name = folder.Path("f.db");
  WriteReplacingFile(name, [](Stream& out) { out.Write("old", 3); });
  std::string temporary;
  try {
    WriteReplacingPath(name, [&](const std::string& path) {
      temporary = path;
      throw Exception("Cannot write file " + path);
    });
    FAIL() << "no failure";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Cannot write file " + name);
  }
  EXPECT_NE(temporary, name);
  EXPECT_EQ(ReadFileText(name), "old");
  EXPECT_EQ(ListFiles(folder.Dir(), "*"), (std::vector<std::string>{"f.db"}));

  // A message without the temporary name passes unchanged, with its type.
  EXPECT_THROW(WriteReplacingPath(name, [](const std::string&) { throw EConvertError("x"); }), EConvertError);
}

std::string FailureText(const std::string& name, const std::function<void(const std::string&)>& write) {
  try {
    WriteReplacingPath(name, write);
  } catch (const Exception& e) {
    return e.Message;
  }
  return "";
}

// Each step that fails says so, and leaves the folder as it was.
TEST(ReplaceFile, EachFailingStepIsReportedAndLeavesNothingBehind) {
  TestFolder folder;
  const std::string name = folder.Path("f.txt");
  auto nothing = [](const std::string&) {};
  EXPECT_EQ(FailureText(folder.Path("no/f.txt"), nothing),
            "Cannot create a temporary file in the folder of \"" + folder.Path("no/f.txt") + "\"");
  // The written file vanished before it reached the disk.
  EXPECT_EQ(FailureText(name, [](const std::string& path) { DeleteFile(path); }), "Cannot write file \"" + name + "\"");
  // A folder of that name cannot be replaced by a file.
  ForceDirectories(folder.Path("d/inner"));
  EXPECT_EQ(FailureText(folder.Path("d"), nothing), "Cannot replace file \"" + folder.Path("d") + "\"");
  // A failure of any other kind passes unchanged.
  EXPECT_THROW(WriteReplacingPath(name, [](const std::string&) { throw std::runtime_error("x"); }), std::runtime_error);
  EXPECT_EQ(ListFiles(folder.Dir(), "*"), std::vector<std::string>{});
  EXPECT_TRUE(DirectoryExists(folder.Path("d/inner")));
}

// Data the close could not write is a failure, not a silent loss.
TEST(ReplaceFile, ClosingReportsDataThatCouldNotBeWritten) {
  FileStream full("/dev/full", FileMode::Create);
  full.Write("abc", 3);  // buffered: the device refuses it only when flushed
  EXPECT_THROW(full.Close(), EStreamError);
}

// A save killed midway leaves its temporary file, which the next save of the
// same file deletes; it leaves the file of a save under way, another file's,
// a link and names of the user's own.
TEST(ReplaceFile, TheNextSaveDeletesWhatKilledSavesOfTheFileLeft) {
  TestFolder folder;
  const std::string name = folder.Path("p.kvp");
  std::ofstream(name) << "old";
  const pid_t child = fork();
  if (child == 0) {
    WriteReplacingPath(name, [](const std::string& path) {
      std::ofstream(path) << "cut short";
      _exit(0);  // killed midway
    });
  }
  waitpid(child, nullptr, 0);
  ASSERT_EQ(ListFiles(folder.Dir(), "p.kvp.*.saving~").size(), 1u);
  FileLock running;
  const std::string underWay = CreateUniqueFile(folder.Dir(), "p.kvp.", ".saving~", &running);
  const std::string others = CreateUniqueFile(folder.Dir(), "q.kvp.", ".saving~");
  std::filesystem::create_symlink(name, folder.Path("p.kvp.LinkLink.saving~"));
  std::vector<std::string> kept{"p.kvp", "p.kvp.LinkLink.saving~", underWay.substr(folder.Dir().size()),
                                others.substr(folder.Dir().size())};
  for (const char* own :
       {"p.kvp.saving~", "p.kvp.1234567.saving~", "p.kvp.12345678.saving", "p.kvp.1234-678.saving~"}) {
    std::ofstream(folder.Path(own)) << "the user's";
    kept.push_back(own);
  }
  std::ofstream(folder.Path("p.kvp.azAZ09az.saving~")) << "left by a killed save too";
  WriteReplacingFile(name, [](Stream& out) { out.Write("new", 3); });
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(ListFiles(folder.Dir(), "*"), kept);
  EXPECT_EQ(ReadFileText(name), "new");
}

TEST(ReplaceFile, FilesAndFoldersAreWrittenThroughToTheDisk) {
  TestFolder folder;
  WriteReplacingFile(folder.Path("a"), [](Stream& out) { out.Write("new", 3); });
  EXPECT_EQ(ReadFileText(folder.Path("a")), "new");
  EXPECT_TRUE(SyncToDisk(folder.Path("a")));
  EXPECT_TRUE(SyncToDisk(folder.Dir()));
  EXPECT_FALSE(SyncToDisk(folder.Path("missing")));
}

}  // namespace

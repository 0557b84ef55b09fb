#include "platform/base/Files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "support/TestFolder.h"

namespace {

class FilesTest : public testing::Test {
protected:
  std::string Path(const std::string& name) const { return folder_.Path(name); }
  void Write(const std::string& name, const std::string& text) const { std::ofstream(Path(name)) << text; }
  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name));
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  TestFolder folder_;
};

}  // namespace

TEST_F(FilesTest, FoldersAreMadeWithParentsAndRemovedOnlyWhenEmpty) {
  EXPECT_TRUE(ForceDirectories(Path("a/b/c")));
  EXPECT_TRUE(ForceDirectories(Path("a/b/c")));  // already there
  Write("a/b/c/f", "x");
  EXPECT_FALSE(ForceDirectories(Path("a/b/c/f/g")));  // a file stands in the way
  EXPECT_FALSE(RemoveDirIfEmpty(Path("a/b/c")));
  EXPECT_TRUE(DeleteFile(Path("a/b/c/f")));
  EXPECT_FALSE(DeleteFile(Path("a/b/c")));  // never a folder, even an empty one
  EXPECT_TRUE(RemoveDirIfEmpty(Path("a/b/c")));
  EXPECT_FALSE(DirectoryExists(Path("a/b/c")));
}

TEST_F(FilesTest, RenameNeverReplacesAndCopyReplacesOnlyWhenAskedTo) {
  Write("from", "new");
  Write("to", "old");
  EXPECT_FALSE(RenameFile(Path("from"), Path("to")));
  EXPECT_FALSE(CopyFile(Path("from"), Path("to"), false));
  EXPECT_EQ(Read("to"), "old");
  EXPECT_TRUE(CopyFile(Path("from"), Path("to"), true));
  EXPECT_EQ(Read("to"), "new");
  EXPECT_TRUE(RenameFile(Path("from"), Path("moved")));
  EXPECT_FALSE(FileExists(Path("from")));
  EXPECT_EQ(Read("moved"), "new");
  EXPECT_TRUE(RenameOver(Path("moved"), Path("to")));
  EXPECT_FALSE(FileExists(Path("moved")));
  EXPECT_EQ(Read("to"), "new");
  EXPECT_FALSE(RenameOver(Path("moved"), Path("to")));
}

TEST_F(FilesTest, ListFilesMatchesTheMaskCaseSensitivelyInNameOrder) {
  for (const char* name : {"b.smd", "a.smd", "C.smd", "c.SMD", "x.smdx", "PBT Index.smd", "notes.txt"})
    Write(name, "");
  ForceDirectories(Path("dir.smd"));
  EXPECT_EQ(ListFiles(folder_.Dir(), "*.smd"), (std::vector<std::string>{"C.smd", "PBT Index.smd", "a.smd", "b.smd"}));
  EXPECT_EQ(ListFiles(folder_.Dir(), "?.smd"), (std::vector<std::string>{"C.smd", "a.smd", "b.smd"}));
  EXPECT_TRUE(ListFiles(Path("missing"), "*").empty());
  EXPECT_TRUE(MatchesMask("abcbd", "a*b?"));  // the star backtracks past the first b
  EXPECT_FALSE(MatchesMask("", "?"));
}

TEST_F(FilesTest, ListFilesWithExtensionTakesAnyLetterCaseInNameOrder) {
  for (const char* name : {"a.smd", "B.SMD", "c.Smd", ".smd", "x.smdx", "smd", "notes.txt"}) Write(name, "");
  ForceDirectories(Path("dir.smd"));
  EXPECT_EQ(ListFilesWithExtension(folder_.Dir(), ".smd"), (std::vector<std::string>{"B.SMD", "a.smd", "c.Smd"}));
  EXPECT_EQ(ListFilesWithExtension(folder_.Dir(), ".TXT"), std::vector<std::string>{"notes.txt"});
}

TEST_F(FilesTest, SameFileSeesThroughRelativePathsAndLinks) {
  Write("a", "x");
  Write("b", "x");
  ForceDirectories(Path("sub"));
  std::filesystem::create_symlink(Path("a"), Path("link"));
  EXPECT_TRUE(SameFile(Path("a"), Path("sub/../a")));
  EXPECT_TRUE(SameFile(Path("link"), Path("a")));
  EXPECT_FALSE(SameFile(Path("a"), Path("b")));
  EXPECT_FALSE(SameFile(Path("a"), Path("missing")));
}

// A file locked from its creation is in use until the lock goes; links and
// folders are never deleted.
TEST_F(FilesTest, DeleteIfUnlockedLeavesFilesInUseLinksAndFolders) {
  std::string held;
  {
    FileLock lock;
    held = CreateUniqueFile(Path(""), "a.", "~", &lock);
    EXPECT_FALSE(DeleteIfUnlocked(held));
  }
  EXPECT_TRUE(DeleteIfUnlocked(held));
  EXPECT_FALSE(FileExists(held));
  EXPECT_FALSE(DeleteIfUnlocked(held));
  Write("b", "x");
  std::filesystem::create_symlink(Path("b"), Path("link"));
  ForceDirectories(Path("sub"));
  EXPECT_FALSE(DeleteIfUnlocked(Path("link")));
  EXPECT_FALSE(DeleteIfUnlocked(Path("sub")));
  EXPECT_EQ(ListFiles(Path(""), "*"), (std::vector<std::string>{"b", "link"}));
}

// Each unique file is named by the prefix, eight characters drawn from the
// whole of the letters and digits, and the suffix, and exists under that name.
TEST_F(FilesTest, UniqueFileNamesDrawEightLettersOrDigits) {
  const std::string letterSet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  const std::string prefix = folder_.Dir() + "p.kvp.";
  std::set<char> drawn;
  std::set<std::string> names;
  for (int i = 0; i < 400; ++i) {
    const std::string path = CreateUniqueFile(folder_.Dir(), "p.kvp.", ".saving~");
    ASSERT_EQ(path.size(), prefix.size() + 8 + 8) << path;
    EXPECT_EQ(path.substr(0, prefix.size()), prefix);
    EXPECT_TRUE(path.ends_with(".saving~")) << path;
    for (char c : path.substr(prefix.size(), 8)) {
      EXPECT_NE(letterSet.find(c), std::string::npos) << "character " << static_cast<int>(c) << " in " << path;
      drawn.insert(c);
    }
    names.insert(path);
  }
  // Made with the permissions of any new file: read and write for all that the umask leaves.
  Write("new", "");
  for (const std::string& path : names)
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::status(Path("new")).permissions()) << path;
  EXPECT_EQ(names.size(), 400u);
  EXPECT_EQ(ListFiles(folder_.Dir(), "p.kvp.*.saving~").size(), 400u);
  EXPECT_EQ(drawn.size(), letterSet.size());  // 3,200 draws leave out none of the 62
}

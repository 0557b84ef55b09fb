// Files and folders. Paths are joined with '/' and names are case-sensitive. Every
// operation reports an ordinary failure (missing file, no permission) by its result and
// never throws for it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// True when path names an existing file (not a folder).
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Deletes a file (never a folder); false when nothing was deleted.
bool DeleteFile(const std::string& path);
// Renames or moves a file; fails, changing nothing, when `to` already exists.
bool RenameFile(const std::string& from, const std::string& to);
// Renames a file over `to` in one step: an existing `to` is replaced, and names
// the old file or the new one at every moment.
bool RenameOver(const std::string& from, const std::string& to);
// Copies a file; an existing `to` is replaced only when overwrite is set.
bool CopyFile(const std::string& from, const std::string& to, bool overwrite);

// True when both paths name one existing file (through links and relative paths).
bool SameFile(const std::string& a, const std::string& b);

// What a write changes of a file, as build tools tell changed files: its
// identity (device and inode), size and modification time.
struct FileStamp {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t modifiedSeconds = 0;
  int64_t modifiedNanoseconds = 0;
  bool operator==(const FileStamp&) const = default;
};
// The stamp of an existing file; none when it cannot be read (no such file, no permission).
std::optional<FileStamp> StampOf(const std::string& path);

// An exclusive lock (flock) on a file, held while the object lives: the file is
// in use, and DeleteIfUnlocked leaves it.
class FileLock {
public:
  FileLock() = default;
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  // Locks the open file descriptor, which the object closes when it goes.
  void Hold(int descriptor);

private:
  int descriptor_ = -1;
};

// Creates a new empty file in folder whose name is prefix followed by eight
// random letters or digits and suffix. The file is made exclusively, so its name
// cannot have existed before; returns its path, or "" when no file could be
// made. With lock, the file is locked through it from its creation.
std::string CreateUniqueFile(const std::string& folder, const std::string& prefix, const std::string& suffix,
                             FileLock* lock = nullptr);
// Deletes path when it is a regular file of this user that no FileLock holds
// (its maker was killed, say); false when nothing was deleted.
bool DeleteIfUnlocked(const std::string& path);
// The file a chain of symbolic links ends at; path itself when it is no link.
std::string ResolveLinks(const std::string& path);
// Gives path the permission bits of model; false when either cannot be read or set.
bool CopyPermissions(const std::string& model, const std::string& path);
// Writes the file's or folder's data and entries through to the disk (fsync);
// false when that failed. A folder on a file system that cannot do so counts as written.
bool SyncToDisk(const std::string& path);

// Makes the folder with any missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string& path);
// Removes the folder only when it is empty.
bool RemoveDirIfEmpty(const std::string& path);

// Names (without folder) of the files in folder matching mask ('*' any run of characters,
// '?' one character), sorted by name; empty when the folder cannot be read.
std::vector<std::string> ListFiles(const std::string& folder, const std::string& mask);

// Names of the files in folder that end in extension (".smd") in any letter
// case with at least one character before it, sorted by name.
std::vector<std::string> ListFilesWithExtension(const std::string& folder, const std::string& extension);

// The process's current folder, without a trailing '/'.
std::string CurrentDir();

// True when name matches mask ('*' and '?' wildcards, case-sensitive).
bool MatchesMask(const std::string& name, const std::string& mask);

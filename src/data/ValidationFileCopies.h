// Copies of the four temporary validation files under an extra extension: taken
// before something may rewrite the files, put back afterwards.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>

#include "data/ValidationFiles.h"
#include "platform/base/Files.h"

class TempFiles;

// The file operations the copies go through; tests make them fail.
class FileOperations {
public:
  virtual ~FileOperations() = default;
  virtual bool Exists(const std::string& path);
  virtual bool Copy(const std::string& from, const std::string& to);  // overwrites
  virtual bool Delete(const std::string& path);
  virtual bool RenameOver(const std::string& from, const std::string& to);  // replaces `to` in one step
  virtual std::optional<FileStamp> Stamp(const std::string& path);
};
// The operating system's files.
FileOperations& SystemFiles();

// The four validation files, in the order they are handled.
inline constexpr const char* kValidationFileNames[] = {"~many~", "~yscr~", "~rdes~", "~rres~"};

class ValidationFileCopies {
public:
  // registry may be null (no temporary folder): then there is nothing to copy.
  // extension is appended to a file's ".db$" path to name its copy.
  ValidationFileCopies(TempFiles* registry, std::string extension, FileOperations& files = SystemFiles())
      : registry_(registry), extension_(std::move(extension)), files_(files) {}

  // Notes each ".db$" file's stamp and the registry's marks of its stale records,
  // deletes any copy left behind, then copies each existing ".db$" file. Throws on
  // the first failed copy, which leaves no partial copy; the files handled before
  // it stay covered.
  void Backup();
  // For each file the last Backup copied: its copy replaces the ".db$" file in
  // one rename, so that the file exists at every moment, and its marks come
  // back. Every other file (absent at Backup, or not reached by a failed Backup)
  // stays with its marks when nothing wrote it since Backup, and is deleted when
  // it was written, is new, or its state cannot be told. A file not put back or
  // not known to be gone has all its records marked out of date, and Restore
  // throws after trying every file.
  void Restore();
  // Deletes every copy that exists; throws when one cannot be deleted.
  void DeleteCopies();

  std::string DbPath(const std::string& name) const;
  std::string CopyPath(const std::string& name) const;

private:
  enum class Restored { AsAtBackup, Deleted, Failed };
  Restored RestoreFile(std::size_t index);
  bool DeleteIfExists(const std::string& path);
  // Deletes the file; true when it is known not to exist afterwards (a file
  // whose folder cannot be looked into may still be there).
  bool Gone(const std::string& path);
  void DeleteExisting(const std::string& path);

  TempFiles* registry_;
  std::string extension_;
  FileOperations& files_;
  std::array<bool, std::size(kValidationFileNames)> covered_{};
  std::array<std::optional<FileStamp>, std::size(kValidationFileNames)> stamps_{};
  std::array<StaleRecords, std::size(kValidationFileNames)> stale_{};
};

// The files put aside (copies with the registry's ".new" extension appended) for the
// life of the object and put back when it ends: files that did not exist before
// are deleted, so whatever was written meanwhile is gone. A failure shows "Cannot
// handle undo validation files, please check your privileges."; when the copies
// could not be taken, Held() is false and nothing is put back.
class ValidationFilesAside {
public:
  explicit ValidationFilesAside(TempFiles* registry, FileOperations& files = SystemFiles());
  ~ValidationFilesAside();
  ValidationFilesAside(const ValidationFilesAside&) = delete;
  ValidationFilesAside& operator=(const ValidationFilesAside&) = delete;

  bool Held() const { return held_; }

private:
  ValidationFileCopies copies_;
  bool held_ = false;
};

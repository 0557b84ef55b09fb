// Copies of the four temporary validation files under an extra extension: taken
// before something may rewrite the files, put back afterwards.
#pragma once

#include <string>
#include <utility>

class TempFiles;

// The four validation files, in the order they are handled.
inline constexpr const char* kValidationFileNames[] = {"~many~", "~yscr~", "~rdes~", "~rres~"};

class ValidationFileCopies {
public:
  // registry may be null (no temporary folder): then there is nothing to copy.
  // extension is appended to a file's ".db$" path to name its copy.
  ValidationFileCopies(TempFiles* registry, std::string extension)
      : registry_(registry), extension_(std::move(extension)) {}

  // Deletes any copy left behind, then copies each existing ".db$" file. Throws
  // on the first failed copy, which leaves no partial copy.
  void Backup();
  // For each file: deletes the ".db$" file, then renames its copy (if any) to
  // the ".db$" name (a failed rename is ignored). Throws when a ".db$" file
  // cannot be deleted.
  void Restore();
  // Deletes every copy that exists; throws when one cannot be deleted.
  void DeleteCopies();

  std::string DbPath(const std::string& name) const;
  std::string CopyPath(const std::string& name) const { return DbPath(name) + extension_; }

private:
  TempFiles* registry_;
  std::string extension_;
};

// The files put aside (copies with the registry's ".new" extension appended) for the
// life of the object and put back when it ends: files that did not exist before
// are deleted, so whatever was written meanwhile is gone. A failure shows "Cannot
// handle undo validation files, please check your privileges."; when the copies
// could not be taken, Held() is false and nothing is put back.
class ValidationFilesAside {
public:
  explicit ValidationFilesAside(TempFiles* registry);
  ~ValidationFilesAside();
  ValidationFilesAside(const ValidationFilesAside&) = delete;
  ValidationFilesAside& operator=(const ValidationFilesAside&) = delete;

  bool Held() const { return held_; }

private:
  ValidationFileCopies copies_;
  bool held_ = false;
};

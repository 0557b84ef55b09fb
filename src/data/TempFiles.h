// The registry of the temporary validation files: the folder, the registered
// base names and the five extensions a file of a base name can carry; builds
// their paths, deletes them, and copies a results file into or out of a
// project file; keeps which records of its files are out of date.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "data/ValidationFiles.h"
#include "platform/base/Stream.h"

// One registered base name.
class FileNameNode {
public:
  explicit FileNameNode(std::string name) : name_(std::move(name)) {}
  FileNameNode* Next() const { return next_; }
  void SetNext(FileNameNode* node) { next_ = node; }
  const std::string& Name() const { return name_; }

private:
  FileNameNode* next_ = nullptr;
  std::string name_;
};

// Whether clearing the registry tells the user of validation files that stay.
enum class StaleNotice { Warn, Silent };

class TempFiles {
public:
  // directory ends with '/'.
  explicit TempFiles(std::string directory);
  ~TempFiles();
  TempFiles(const TempFiles&) = delete;
  TempFiles& operator=(const TempFiles&) = delete;

  // Registers name at the end of the list.
  FileNameNode* AddName(const std::string& name);
  std::string Directory() const { return directory_; }
  // Deletes, for every registered name, its file under each extension and the
  // working copies of its ".db$" file; other files of the folder stay. A ".db$"
  // file that may still be there afterwards has all its records marked out of
  // date; unless Silent, the user is told when a file newly becomes so.
  void DeleteTempFiles(StaleNotice notice = StaleNotice::Warn);
  // Deletes name's ".db$" file when all its records are out of date, so that new
  // records need not join them; false when such a file stays.
  bool DeleteWhollyStaleFile(const std::string& name);
  // directory + name + extension k when name is registered, else "".
  std::string FindTempFilePath(const std::string& name, int extensionIndex) const;
  // The path of name's ".db$" file followed by extension: the working copy under
  // that extension (~many~.db$.tmp); "" when name is not registered.
  std::string WorkingCopyPath(const std::string& name, const std::string& extension) const;

  static int DbExtensionIndex() { return 0; }
  std::string DbExtension() const { return extensions_[0]; }
  std::string TmpExtension() const { return extensions_[1]; }
  std::string NewExtension() const { return extensions_[2]; }
  std::string UndExtension() const { return extensions_[3]; }
  std::string OutExtension() const { return extensions_[4]; }

  // Appends the embedded record of name's ".db$" file (length, name, int64 size,
  // content) to stream. A file that cannot be opened adds nothing and gives
  // false; a failure after that (the file cannot be read whole, the stream
  // cannot be written) throws, so that the save fails.
  bool StoreTempFile(const std::string& name, Stream& stream);
  // Reads the int64 size and the content of one embedded record into name's
  // ".db$" file. A record the stream does not hold whole throws EDamagedRecord
  // (a partly written target is deleted); a target that cannot be created or
  // written whole is deleted, reported, and its content skipped.
  void RestoreTempFile(Stream& stream, const std::string& name);

  // The records of name's ".db$" file that are out of date. The marks go with the
  // file's content: when the file is deleted or restored from a project; a project
  // stores none of those records.
  StaleRecords& Stale(const std::string& name) { return stale_[name]; }
  // True when name's ".db$" file holds a record of the variables that is not stale.
  bool HoldsCurrentRecord(const std::string& name, const int32_t* variables, int p);

private:
  std::string DbPath(const std::string& name) const { return directory_ + name + DbExtension(); }
  // After a deletion: the marks of name's ".db$" file go when it is known to be
  // gone (true); else every record of it is marked out of date (false).
  bool ForgetIfDeleted(const std::string& name);

  FileNameNode* first_ = nullptr;
  FileNameNode* last_ = nullptr;
  std::string directory_;
  std::array<std::string, 5> extensions_{".db$", ".tmp", ".new", ".und", ".out"};
  std::map<std::string, StaleRecords> stale_;
};

// Embedded record sizes are 8-byte little-endian integers.
void StreamInt64(Stream& stream, int64_t& target, uint8_t mode);

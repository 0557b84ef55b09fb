#include "data/ValidationFileCopies.h"

#include "data/TempFiles.h"
#include "platform/base/Exception.h"
#include "platform/base/Files.h"
#include "platform/base/UiServices.h"

bool FileOperations::Exists(const std::string& path) { return FileExists(path); }
bool FileOperations::Copy(const std::string& from, const std::string& to) { return CopyFile(from, to, true); }
bool FileOperations::Delete(const std::string& path) { return DeleteFile(path); }
bool FileOperations::RenameOver(const std::string& from, const std::string& to) { return ::RenameOver(from, to); }
std::optional<FileStamp> FileOperations::Stamp(const std::string& path) { return StampOf(path); }

FileOperations& SystemFiles() {
  static FileOperations files;
  return files;
}

namespace {

void ReportCopyFailure() {
  Ui().MessageBox("Cannot handle undo validation files, please check your privileges.", "APPLICATION ERROR",
                  MB_OK | MB_ICONERROR);
}

// Deletes what copies it can after a failure already reported.
void DeleteCopiesQuietly(ValidationFileCopies& copies) {
  try {
    copies.DeleteCopies();
  } catch (...) {
  }
}

}  // namespace

std::string ValidationFileCopies::DbPath(const std::string& name) const {
  return registry_->FindTempFilePath(name, TempFiles::DbExtensionIndex());
}

std::string ValidationFileCopies::CopyPath(const std::string& name) const {
  return registry_->WorkingCopyPath(name, extension_);
}

bool ValidationFileCopies::DeleteIfExists(const std::string& path) {
  return !files_.Exists(path) || files_.Delete(path);
}

bool ValidationFileCopies::Gone(const std::string& path) { return DeleteIfExists(path) && NoSuchFile(path); }

void ValidationFileCopies::DeleteExisting(const std::string& path) {
  if (!DeleteIfExists(path)) throw Exception("Cannot delete " + path);
}

void ValidationFileCopies::Backup() {
  covered_.fill(false);
  if (registry_ == nullptr) return;
  for (std::size_t i = 0; i < covered_.size(); ++i) {
    const char* name = kValidationFileNames[i];
    stamps_[i] = files_.Stamp(DbPath(name));
    stale_[i] = registry_->Stale(name);
  }
  DeleteCopies();
  for (std::size_t i = 0; i < covered_.size(); ++i) {
    const char* name = kValidationFileNames[i];
    const std::string db = DbPath(name);
    if (files_.Exists(db) && !files_.Copy(db, CopyPath(name))) {
      files_.Delete(CopyPath(name));
      throw Exception("Cannot copy " + db);
    }
    covered_[i] = true;
  }
}

ValidationFileCopies::Restored ValidationFileCopies::RestoreFile(std::size_t index) {
  const char* name = kValidationFileNames[index];
  const std::string db = DbPath(name);
  const std::string copy = CopyPath(name);
  // A copy left from before a failed Backup is not this file's: only a covered file's copy is used.
  if (covered_[index] && files_.Exists(copy))
    return files_.RenameOver(copy, db) ? Restored::AsAtBackup : Restored::Failed;
  if (stamps_[index] && files_.Stamp(db) == stamps_[index]) return Restored::AsAtBackup;  // nothing wrote it
  return Gone(db) ? Restored::Deleted : Restored::Failed;
}

void ValidationFileCopies::Restore() {
  if (registry_ == nullptr) return;
  bool failed = false;
  for (std::size_t i = 0; i < covered_.size(); ++i) {
    StaleRecords& marks = registry_->Stale(kValidationFileNames[i]);
    switch (RestoreFile(i)) {
      case Restored::AsAtBackup:
        marks = stale_[i];
        break;
      case Restored::Deleted:
        marks = StaleRecords();
        break;
      case Restored::Failed:
        marks.MarkAll();  // it may hold the records written meanwhile
        failed = true;
        break;
    }
  }
  if (failed) throw Exception("Cannot put back the validation files");
}

void ValidationFileCopies::DeleteCopies() {
  if (registry_ == nullptr) return;
  for (const char* name : kValidationFileNames) DeleteExisting(CopyPath(name));
}

ValidationFilesAside::ValidationFilesAside(TempFiles* registry, FileOperations& files)
    : copies_(registry, registry != nullptr ? registry->NewExtension() : std::string(), files) {
  try {
    copies_.Backup();
    held_ = true;
  } catch (...) {
    ReportCopyFailure();
    DeleteCopiesQuietly(copies_);
  }
}

ValidationFilesAside::~ValidationFilesAside() {
  if (!held_) return;
  try {
    copies_.Restore();  // every file was covered, so no copy is left when it succeeds
  } catch (...) {
    ReportCopyFailure();  // a copy not put back stays beside its file
  }
}

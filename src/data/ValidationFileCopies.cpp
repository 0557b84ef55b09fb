#include "data/ValidationFileCopies.h"

#include "data/TempFiles.h"
#include "platform/base/Exception.h"
#include "platform/base/Files.h"
#include "platform/base/UiServices.h"

bool FileOperations::Exists(const std::string& path) { return FileExists(path); }
bool FileOperations::Copy(const std::string& from, const std::string& to) { return CopyFile(from, to, true); }
bool FileOperations::Delete(const std::string& path) { return DeleteFile(path); }
bool FileOperations::Rename(const std::string& from, const std::string& to) { return RenameFile(from, to); }

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

void ValidationFileCopies::DeleteExisting(const std::string& path) {
  if (files_.Exists(path) && !files_.Delete(path)) throw Exception("Cannot delete " + path);
}

void ValidationFileCopies::Backup() {
  covered_.fill(false);
  if (registry_ == nullptr) return;
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

void ValidationFileCopies::Restore() {
  bool failed = false;
  for (std::size_t i = 0; i < covered_.size(); ++i) {
    if (!covered_[i]) continue;
    const char* name = kValidationFileNames[i];
    try {
      DeleteExisting(DbPath(name));
      if (files_.Exists(CopyPath(name)) && !files_.Rename(CopyPath(name), DbPath(name))) failed = true;
    } catch (const Exception&) {
      failed = true;
    }
  }
  if (failed) throw Exception("Cannot put back the validation files");
}

void ValidationFileCopies::DeleteCopies() {
  if (registry_ == nullptr) return;
  for (const char* name : kValidationFileNames) DeleteExisting(CopyPath(name));
}

ValidationFilesAside::ValidationFilesAside(TempFiles* registry)
    : copies_(registry, registry != nullptr ? registry->NewExtension() : std::string()) {
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
    copies_.Restore();
    copies_.DeleteCopies();
  } catch (...) {
    ReportCopyFailure();  // a copy not put back stays beside its file
  }
}

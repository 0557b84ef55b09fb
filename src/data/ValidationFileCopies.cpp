#include "data/ValidationFileCopies.h"

#include "data/TempFiles.h"
#include "platform/base/Exception.h"
#include "platform/base/Files.h"
#include "platform/base/UiServices.h"

namespace {

void DeleteExisting(const std::string& path) {
  if (FileExists(path) && !DeleteFile(path)) throw Exception("Cannot delete " + path);
}

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

void ValidationFileCopies::Backup() {
  if (registry_ == nullptr) return;
  DeleteCopies();
  for (const char* name : kValidationFileNames) {
    const std::string db = DbPath(name);
    if (!FileExists(db)) continue;
    if (!CopyFile(db, CopyPath(name), true)) {
      DeleteFile(CopyPath(name));
      throw Exception("Cannot copy " + db);
    }
  }
}

void ValidationFileCopies::Restore() {
  if (registry_ == nullptr) return;
  for (const char* name : kValidationFileNames) {
    DeleteExisting(DbPath(name));
    if (FileExists(CopyPath(name))) RenameFile(CopyPath(name), DbPath(name));
  }
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

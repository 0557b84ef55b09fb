#include "models/ValidationUndo.h"

#include <utility>

#include "data/DataResult.h"
#include "data/TempFiles.h"
#include "platform/base/Exception.h"
#include "platform/base/Files.h"
#include "platform/base/UiServices.h"

namespace {

void DeleteExisting(const std::string& path) {
  if (FileExists(path) && !DeleteFile(path)) throw Exception("Cannot delete " + path);
}

}  // namespace

std::string ValidationUndo::DbPath(const std::string& name) const {
  return registry_->FindTempFilePath(name, TempFiles::DbExtensionIndex());
}

std::string ValidationUndo::UndoPath(const std::string& name) const {
  return DbPath(name) + registry_->UndExtension();
}

void ValidationUndo::Backup() {
  if (registry_ == nullptr) return;
  DeleteUndoCopies();
  for (const char* name : kValidationFileNames) {
    const std::string db = DbPath(name);
    if (!FileExists(db)) continue;
    if (!CopyFile(db, UndoPath(name), true)) {
      DeleteFile(UndoPath(name));
      throw Exception("Cannot copy " + db);
    }
  }
}

void ValidationUndo::Restore() {
  if (registry_ == nullptr) return;
  for (const char* name : kValidationFileNames) {
    DeleteExisting(DbPath(name));
    if (FileExists(UndoPath(name))) RenameFile(UndoPath(name), DbPath(name));
  }
}

void ValidationUndo::DeleteUndoCopies() {
  if (registry_ == nullptr) return;
  for (const char* name : kValidationFileNames) DeleteExisting(UndoPath(name));
}

void CloseModelList(bool accepted, DataResultList*& field, std::unique_ptr<DataResultList> backup,
                    ValidationUndo& undo) {
  BusyCursor busy;
  if (!accepted) {
    DataResultList* edited = field;
    field = backup.release();
    backup.reset(edited);
  }
  try {
    if (!accepted) undo.Restore();
    undo.DeleteUndoCopies();
  } catch (...) {
    Ui().MessageBox("Cannot handle undo validation files, please check your privileges.", "APPLICATION ERROR",
                    MB_OK | MB_ICONERROR);
    try {
      undo.DeleteUndoCopies();
    } catch (...) {
      // Already reported; what cannot be deleted stays.
    }
  }
}

#include "models/ValidationUndo.h"

#include <utility>

#include "data/DataResult.h"
#include "data/TempFiles.h"
#include "platform/base/UiServices.h"

ValidationUndo::ValidationUndo(TempFiles* registry, FileOperations& files)
    : ValidationFileCopies(registry, registry != nullptr ? registry->UndExtension() : std::string(), files) {}

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

// Undo copies of the four temporary validation files while the model list
// window is open, and the close of that window: without Accept the model list
// and the validation files go back to what they were when it opened.
#pragma once

#include <memory>
#include <string>

#include "data/ValidationFileCopies.h"

class DataResultList;
class TempFiles;

// The copies carry the registry's undo extension ".und".
class ValidationUndo : public ValidationFileCopies {
public:
  explicit ValidationUndo(TempFiles* registry, FileOperations& files = SystemFiles());

  void DeleteUndoCopies() { DeleteCopies(); }
  std::string UndoPath(const std::string& name) const { return CopyPath(name); }
};

// Closes the model list window. Not accepted: the main window's model-list
// field gets the backup list back (the edited list is freed) and the
// validation files are restored. Always: every undo copy is deleted. A failure
// on the files shows "Cannot handle undo validation files, please check your
// privileges." and still deletes the undo copies.
void CloseModelList(bool accepted, DataResultList*& field, std::unique_ptr<DataResultList> backup,
                    ValidationUndo& undo);

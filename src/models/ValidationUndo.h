// Undo copies of the four temporary validation files while the model list
// window is open, and the close of that window: without Accept the model list
// and the validation files go back to what they were when it opened.
#pragma once

#include <memory>
#include <string>

class DataResultList;
class TempFiles;

class ValidationUndo {
public:
  // registry may be null (no temporary folder): then there is nothing to copy.
  explicit ValidationUndo(TempFiles* registry) : registry_(registry) {}

  // Deletes any undo copy left behind, then copies each existing ".db$" file to
  // its undo copy. Throws on the first failed copy, which leaves no partial copy.
  void Backup();
  // For each file: deletes the ".db$" file, then renames its undo copy (if any)
  // to the ".db$" name (a failed rename is ignored). Throws when a ".db$" file
  // cannot be deleted.
  void Restore();
  // Deletes every undo copy that exists; throws when one cannot be deleted.
  void DeleteUndoCopies();

  std::string DbPath(const std::string& name) const;
  std::string UndoPath(const std::string& name) const;

private:
  TempFiles* registry_;
};

// The four validation files, in the order they are handled.
inline constexpr const char* kValidationFileNames[] = {"~many~", "~yscr~", "~rdes~", "~rres~"};

// Closes the model list window. Not accepted: the main window's model-list
// field gets the backup list back (the edited list is freed) and the
// validation files are restored. Always: every undo copy is deleted. A failure
// on the files shows "Cannot handle undo validation files, please check your
// privileges." and still deletes the undo copies.
void CloseModelList(bool accepted, DataResultList*& field, std::unique_ptr<DataResultList> backup,
                    ValidationUndo& undo);

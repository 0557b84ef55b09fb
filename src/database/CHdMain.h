// The "Choose directory" window of the database window's structure export:
// a folder list and buttons that copy the chosen molecules' HIN or MOL files
// into the chosen folder.
#pragma once

#include <string>
#include <vector>

#include "database/ResultTable.h"
#include "platform/qt/Dialogs.h"

class QFileSystemModel;
class QPushButton;
class QTreeView;

class TChooseDirForm : public ModalDialog {
public:
  TChooseDirForm(QWidget* owner, std::vector<std::string> hinPaths);

  void ButtonExportHINClick() { CopyStructureFiles(paths_, StructureKind::Hin, Directory()); }
  void ButtonExportMOLClick() { CopyStructureFiles(paths_, StructureKind::Mol, Directory()); }
  // The folder chosen in the list.
  std::string Directory() const;
  void SetDirectory(const std::string& folder);

  QTreeView* DirectoryListBox;
  QPushButton* ButtonExportHIN;
  QPushButton* ButtonExportMOL;
  QPushButton* ButtonClose;

private:
  QFileSystemModel* model_;
  std::vector<std::string> paths_;
};

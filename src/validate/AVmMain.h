// "Available models": the stored single-model files of the models folder, one
// applied by a double click or Enter (list mode); or a title and lines of text shown to
// the user (message mode).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/qt/Dialogs.h"

class QLabel;
class QListWidget;

class TFormAvailMod : public ModalDialog {
public:
  // List mode: text is the models folder (ending with '/'), names its file names,
  // listed without their extension. Message mode: text is the title line and
  // names the lines, listed as they are. The names are copied.
  TFormAvailMod(QWidget* owner, bool messageMode, const std::string& text, const std::vector<std::string>& names);

  // List mode: applies the file at the given path (reporting any failure itself);
  // the window closes when it returns true.
  std::function<bool(const std::string& path)> OnApply;

  // List mode only; nothing without a selected entry.
  void ListBoxDblClick();

  QListWidget* ListBox;
  QLabel* Panel;

protected:
  // Enter in the list does what a double click does.
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  bool messageMode_;
  std::string directory_;
  std::vector<std::string> names_;
};

// The file name less its extension (from the last '.' on); unchanged without one.
std::string NameWithoutExtension(const std::string& name);

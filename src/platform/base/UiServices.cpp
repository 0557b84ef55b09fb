#include "platform/base/UiServices.h"

#include "platform/base/Files.h"

namespace {

// Answers every question with its first button and keeps no state.
struct SilentUi : UiServices {
  int MessageBox(const std::string&, const std::string&, unsigned flags) override {
    unsigned buttons = flags & MB_BUTTONMASK;
    return (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) ? IDYES : IDOK;
  }
  bool EscapePressed() override { return false; }
  void SetBusyCursor(bool) override {}
  void SetClipboardText(const std::string& text) override { clipboard = text; }
  std::string ClipboardText() override { return clipboard; }
  std::string clipboard;
};

SilentUi silentUi;
UiServices* installed = &silentUi;

}  // namespace

FileChoice UiServices::OpenFileDialog(const FileDialogOptions&) { return {}; }

FileChoice UiServices::SaveFileDialog(const FileDialogOptions&) { return {}; }

FileChoice RunSaveDialog(FileDialogOptions& dialog) {
  const FileChoice choice = Ui().SaveFileDialog(dialog);
  if (choice.Chosen()) {
    dialog.fileName = choice.fileName;
    dialog.filterIndex = choice.filterIndex;
  }
  return choice;
}

void UiServices::ShowFindDialog(const FindDialogOptions&, FindHandler) {}

std::optional<uint32_t> UiServices::ChooseColor(uint32_t) { return std::nullopt; }

std::string UiServices::ChooseFolder(const std::string&, const std::string&) { return {}; }

bool UiServices::OpenDocument(const std::string&) { return false; }

void OpenDocument(const std::string& path) {
  if (!FileExists(path) || !Ui().OpenDocument(path)) ReportDocumentNotOpened(path);
}

void ReportDocumentNotOpened(const std::string& path) {
  Ui().MessageBox("Cannot open the document " + path, "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
}

UiServices& Ui() { return *installed; }

void InstallUi(UiServices* ui) { installed = ui ? ui : &silentUi; }

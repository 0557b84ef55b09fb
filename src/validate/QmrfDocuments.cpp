#include "validate/QmrfDocuments.h"

#include "platform/base/Files.h"
#include "platform/base/UiServices.h"

namespace {

// The file name of path in the folder of another file.
std::string BesideFile(const std::string& file, const std::string& path) {
  return file.substr(0, file.rfind('/') + 1) + path.substr(path.rfind('/') + 1);
}

// The chosen target, or "" when the dialog was cancelled.
std::string ChooseTarget(FileDialogOptions& dialog, const char* title, const char* filter, const char* extension,
                         const std::string& proposal) {
  dialog.title = title;
  dialog.filter = filter;
  dialog.filterIndex = 1;
  dialog.defaultExt = extension;
  dialog.fileName = proposal;
  return RunSaveDialog(dialog).fileName;
}

void CopyDocument(const std::string& source, const std::string& target) {
  if (SameFile(source, target)) return;
  if (FileExists(target) &&
      Ui().MessageBox(target + " already exists. Do you want to overwrite it?", "APPLICATION WARNING",
                      MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  if (!CopyFile(source, target, true))
    Ui().MessageBox("Cannot copy " + source + " to " + target, "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
}

}  // namespace

std::string QmrfPdfPathOf(const std::string& modelFileName) {
  return modelFileName.substr(0, modelFileName.size() >= 3 ? modelFileName.size() - 3 : 0) + "pdf";
}

std::string SdfPathOf(const std::string& pdfPath) {
  return pdfPath.substr(0, pdfPath.size() >= 4 ? pdfPath.size() - 4 : 0) + ".sdf";
}

void ExportQmrfAndSdf(const std::string& pdfPath, FileDialogOptions& dialog) {
  const std::string pdfTarget = ChooseTarget(dialog, "Save QMRF file", "PDF file (*.pdf)|*.pdf", "pdf", pdfPath);
  if (!pdfTarget.empty()) CopyDocument(pdfPath, pdfTarget);
  const std::string sdfPath = SdfPathOf(pdfPath);
  const std::string proposal = pdfTarget.empty() ? sdfPath : BesideFile(pdfTarget, sdfPath);
  const std::string sdfTarget = ChooseTarget(dialog, "Save SDF file", "SDF file (*.sdf)|*.sdf", "sdf", proposal);
  if (!sdfTarget.empty()) CopyDocument(sdfPath, sdfTarget);
}

// The commands of the main window's menus, toolbar and log popup.
#include <QPlainTextEdit>

#include "app/Application.h"
#include "app/Main.h"
#include "app/ModalForm.h"
#include "app/PBDialog.h"
#include "app/SplMain.h"
#include "app/TextForm.h"
#include "data/DataResult.h"
#include "data/ProjectFile.h"
#include "numerics/Matrix.h"
#include "database/DbbMain.h"
#include "platform/base/Files.h"
#include "platform/base/UiServices.h"
#include "prepare/CPmMain.h"
#include "prepare/ISmMain.h"
#include "prepare/IDtMain.h"
#include "prepare/SDtMain.h"
#include "prepare/VDtMain.h"
#include "select/CStMain.h"
#include "models/VSmMain.h"
#include "validate/AVmMain.h"
#include "validate/SingleModelFile.h"
#include "validate/ValidationCriteriaReport.h"
#include "validate/VMsMain.h"

namespace {

// The import window on a text file.
void OpenImportWindow(TMainForm* main, const std::string& fileName) {
  RunModalForm<TImportDataForm>("Cannot create Import Data dialog", main, fileName, &main->DataSet(),
                                main->ModelList(), ProgressWindowsOver(main));
}

const char* const kProjectFilter = "KORVANE project files (*.kvp)|*.kvp";

}  // namespace

void TMainForm::MenuFileNewClick() {
  if (!modified_) return;
  if (Ui().MessageBox("All data will be erased! Do you really want to continue without saving?",
                      "APPLICATION WARNING", MB_YESNO | MB_ICONQUESTION) == IDYES)
    ClearProject();
}

void TMainForm::MenuFileExitClick() { close(); }

void TMainForm::GeneralHelp1Click() { OpenHelpDocument("Manual_v21.pdf"); }

void TMainForm::Moreinfo1Click() { OpenHelpDocument("GeneralInfo_v21.pdf"); }

// Opens a document of the help folder with the desktop's viewer.
void TMainForm::OpenHelpDocument(const std::string& name) { OpenDocument(InMainFolder("help/" + name)); }

void TMainForm::AboutKORVANE1Click() { ShowSplashForm(false); }

void TMainForm::HowtociteKORVANE1Click() {
  RunModalForm<TTextForm>("Cannot create How to cyte KORVANE dialog", this, "How to cite KORVANE", kCitationText);
}

// The hidden help items do nothing.
void TMainForm::SingleModels2Click() {}

void TMainForm::SingleModels1Click() {}

void TMainForm::N4Click() {
  RunModalForm<TTextForm>("Cannot create Acknowledgment dialog", this, "Acknowledgments", kAcknowledgmentsText);
}

void TMainForm::Copytoclipboard1Click() { Ui().SetClipboardText(RichEdit->toPlainText().toLatin1().toStdString()); }

// Saves the project under the chosen name (".kvp" appended unless present).
// The file is replaced only when the whole project was written; a failed save
// is reported and leaves the modified flag and the log as they were.
void TMainForm::MenuFileSaveClick() {
  if (modelList_ == nullptr) return;  // released: the window is closing
  FileDialogOptions options;
  options.filter = kProjectFilter;
  FileChoice choice = Ui().SaveFileDialog(options);
  if (!choice.Chosen()) return;
  std::string fileName = ProjectFileName(choice.fileName);
  if (FileExists(fileName) &&
      Ui().MessageBox(fileName + " already exists. Do you want to overwrite it?", "APPLICATION WARNING",
                      MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  if (!SaveProjectFile(fileName, dataSet_, *modelList_, registry_.get())) return;
  modified_ = false;
  LogBlock("DATA SAVED: ", "Destination file: " + fileName);
}

// Replaces the project by the chosen project file. A file that is not a known
// project leaves the project as it was; a damaged one leaves it empty.
void TMainForm::MenuFileOpenClick() {
  if (modelList_ == nullptr) return;  // released: the window is closing
  FileDialogOptions options;
  options.filter = kProjectFilter;
  FileChoice choice = Ui().OpenFileDialog(options);
  if (!choice.Chosen()) return;
  if (!FileExists(choice.fileName)) {
    Ui().MessageBox("Cannot load file, please check your privileges.", "APPLICATION ERROR", MB_OK | MB_ICONERROR);
    return;
  }
  if (modified_ && Ui().MessageBox("All data will be replaced! Do you really want to continue without saving?",
                                   "APPLICATION WARNING", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  try {
    if (OpenProjectFile(choice.fileName, dataSet_, *modelList_, registry_.get(), [this] { ClearProject(); }) ==
        ProjectOpenResult::Loaded)
      ReportDataLoaded(choice.fileName);
  } catch (const std::exception& e) {
    TApplication::ShowException(e);
  }
}

void TMainForm::MenuViewAndSelModelsClick() {
  if (modelList_ == nullptr || modelList_->Count() < 1) {
    Ui().MessageBox("Empty models list, cannot open View Models Data dialog", "APPLICATION WARNING",
                    MB_OK | MB_ICONWARNING);
    return;
  }
  RunModalForm<TViewSelForm>("Cannot create View Models Data dialog", this, &modelList_, &dataSet_,
                             ProgressWindowsOver(this));
}

// Commands that open the windows of the other parts of the program; each is
// connected to its menu item and speed button here.
void TMainForm::MenuFileImportClick() {
  FileDialogOptions options;
  options.filter = "Text files (*.txt, *.csv)|*.txt;*.csv|All files (*.*)|*.*";
  FileChoice choice = Ui().OpenFileDialog(options);
  if (!choice.Chosen()) return;
  if (!FileExists(choice.fileName)) {
    Ui().MessageBox(choice.fileName + " - File not found", "Error Message", MB_OK | MB_ICONERROR);
    return;
  }
  OpenImportWindow(this, choice.fileName);
}

void TMainForm::Loadexample1Click() {
  const std::string path = InMainFolder("help/example.txt");
  if (!FileExists(path)) {
    Ui().MessageBox("Cannot import example file:" + path, "APPLICATION ERROR", MB_OK | MB_ICONERROR);
    return;
  }
  OpenImportWindow(this, path);
}
void TMainForm::MenuViewDataClick() {
  RunModalForm<TViewDataForm>("Cannot create View Data dialog", this, modelList_, &dataSet_, ProgressWindowsOver(this));
}

void TMainForm::MenuDataSetupClick() {
  RunModalForm<TDataSetupForm>("Cannot create Data Setup dialog", this, modelList_, &dataSet_,
                               ProgressWindowsOver(this));
}

void TMainForm::MenuCalculateAllSubsetClick() {
  RunModalForm<TCalculateSetupForm>("Cannot create Calculate setup dialog", this, modelList_, &dataSet_);
}
namespace {

const char* const kAboutPbt =
    "The PBT index model estimates, from a few molecular descriptors, how persistent, bioaccumulative "
    "and toxic a chemical is likely to be, as one number: the higher the index, the more the chemical "
    "is of concern. Apply it to your chemicals by adding them as prediction objects.\n"
    "If you need, select the pertaining Help menu voice to learn how to use this model.";

}  // namespace

StoredModelSteps TMainForm::StoredModelWindows(const std::string& fileName) {
  StoredModelSteps steps;
  steps.addExternalSet = [this](ChemoData& data) {
    std::unique_ptr<TFormAddExtData> editor;
    try {
      editor = TFormAddExtData::CreateForExternalSet(this, &data);
    } catch (...) {
    }
    if (editor == nullptr) {
      Ui().MessageBox("Cannot create Add external prediction set dialog", "APPLICATION WARNING",
                      MB_OK | MB_ICONWARNING);
      return;
    }
    editor->ShowModal();
  };
  steps.showModel = [this, fileName](DataResultNode& model, ChemoData& data) {
    RunModalForm<TViewSelModForm>("Cannot create Validate models dialog", this, fileName, uint8_t{0}, uint8_t{1},
                                  &model, &data, ProgressWindowsOver(this));
  };
  return steps;
}

void TMainForm::SpeedButtonPBTClick() {
  if (modified_ && Ui().MessageBox("All data will be erased! Do you really want to continue without saving?",
                                   "APPLICATION WARNING", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  const std::string path = modelsFolder_ + "PBT Index.smd";
  const char* const failure =
      "Cannot load PBT file: check its existence in the models folder and/or check your privileges.";
  std::unique_ptr<FileStream> file;
  try {
    file = std::make_unique<FileStream>(path, FileMode::OpenRead);
  } catch (...) {
    Ui().MessageBox(failure, "APPLICATION ERROR", MB_OK | MB_ICONERROR);
    return;
  }
  Ui().MessageBox(kAboutPbt, "ABOUT PBT", MB_OK | MB_ICONINFORMATION);
  try {
    ApplyStoredModelFile(*file, path);
  } catch (...) {
    Ui().MessageBox(failure, "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  }
}

void TMainForm::ApplyStoredModelFile(Stream& file, const std::string& path) {
  ClearProject();
  try {
    ApplyStoredModel(file, dataSet_, StoredModelWindows(path));
  } catch (...) {
    ClearProject();
    throw;
  }
  ReportDataLoaded(path);
}
void TMainForm::SpeedButtonDatabaseClick() {
  RunModalForm<TDatabaseForm>("Cannot create database dialog.", this, ProgressWindowsOver(this));
}
void TMainForm::Availablemodels1Click() {
  if (modified_ && Ui().MessageBox("All data will be erased! Do you really want to continue without saving?",
                                   "APPLICATION WARNING", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  std::unique_ptr<TFormAvailMod> list;
  try {
    list = std::make_unique<TFormAvailMod>(this, false, modelsFolder_, modelFiles_);
  } catch (...) {
    Ui().MessageBox("Cannot create Available models dialog", "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
    return;
  }
  list->OnApply = [this](const std::string& path) {
    try {
      FileStream file(path, FileMode::OpenRead);
      ApplyStoredModelFile(file, path);
      return true;
    } catch (const std::exception& e) {
      TApplication::ShowException(e);
      return false;
    }
  };
  list->ShowModal();
}
void TMainForm::SpeedButtonRankingClick() {
  RunModalForm<TFormPcaMcdm>("Cannot create Data PCA and MCDM dialog", this, &dataSet_, ProgressWindowsOver(this));
}
void TMainForm::SpeedButtonValExtModClick() {
  // A table of its own: the pairs and their split, discarded afterwards.
  ChemoData table(3, 5, 2);
  const char* const names[] = {"Experimental", "Predicted", "Splitting"};
  for (int j = 0; j < 3; ++j) table.tpVarNameStrPtr[j] = names[j];
  std::unique_ptr<TFormAddExtData> editor;
  try {
    editor = TFormAddExtData::CreateForTable(this, &table, 4);
  } catch (...) {
  }
  if (editor == nullptr) {
    Ui().MessageBox("Cannot create Add external prediction set dialog", "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
    return;
  }
  editor->SetFixedColumns(2);
  editor->setWindowTitle("Validate experimental vs. predicted data");
  const bool accepted = editor->ShowModal() == mrOk;
  editor.reset();
  if (!accepted || table.iObjCount == 0) return;
  Matrix pairs(table.iObjCount, 2);
  std::vector<int32_t> statuses(table.ipTrainingPtr, table.ipTrainingPtr + table.iObjCount);
  for (int i = 0; i < table.iObjCount; ++i)
    for (int j = 0; j < 2; ++j) pairs.At(i, j) = table.tpChemoValuePtr[i][j].Value;
  const std::string report = ValidationCriteriaReport(pairs, statuses);
  Ui().MessageBox(report, "VALIDATION CRITERIA", MB_OK | MB_ICONINFORMATION);
  ActivityLog("VALIDATION CRITERIA CALCULATED FROM EXTERNAL DATA (" + DateTimeText() + ")");
  ActivityLog("");
  ActivityLog(report);
}

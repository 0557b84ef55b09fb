// The main window of the program: menus, toolbar, activity log and status bar.
// It owns the project and serves the other windows as their ProjectHost.
#pragma once

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "data/ChemoData.h"
#include "data/ProjectHost.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QToolButton;
class QWidget;

class Stream;
struct StoredModelSteps;

class TMainForm : public QMainWindow, public ProjectHost {
  Q_OBJECT
public:
  // Builds the window and runs the start-up steps (FormCreate).
  explicit TMainForm(QWidget* parent = nullptr);
  ~TMainForm() override;

  // ProjectHost.
  ChemoData& DataSet() override { return dataSet_; }
  DataResultList*& ModelList() override { return modelList_; }
  TempFiles* Registry() override { return registry_.get(); }
  void DisableDataCommands() override;
  void EnableDataCommands() override;
  void EnableViewAndSelModels(bool enabled) override;
  void ReportDataLoaded(const std::string& sourcePath) override;
  void ClearProject() override;
  void DiscardModels() override;
  bool ConfirmDiscardModels() override;
  void EnableCalculateAllSubset(bool enabled) override;
  bool Modified() const override { return modified_; }
  void SetModified(bool modified) override { modified_ = modified; }
  void ActivityLog(const std::string& text) override;
  std::string DateTimeText() const override;
  const std::string& MainFolder() const override { return mainFolder_; }
  const std::string& ModelsFolder() const override { return modelsFolder_; }
  const std::vector<std::string>& StoredModelNames() const override { return modelFiles_; }
  const std::string& GetDatabaseFolder() const override { return databaseFolder_; }
  const std::vector<std::string>& GetDatabaseFiles() const override { return databaseFiles_; }
  char UserDecimalSeparator() const override { return userDecimalSeparator_; }

  // The temporary folder taken at start-up (ends with '/'); empty without one.
  const std::string& TempFolder() const { return tempFolder_; }

  // Refreshes the four status-bar panels; run whenever the program is idle.
  void UpdateStatusBar();

  // Commands of the menus, the toolbar and the log's popup menu.
  void MenuFileNewClick();
  void MenuFileOpenClick();
  void MenuFileSaveClick();
  void MenuFileImportClick();
  void MenuFileExitClick();
  void MenuViewDataClick();
  void MenuDataSetupClick();
  void MenuCalculateAllSubsetClick();
  void MenuViewAndSelModelsClick();
  void SpeedButtonPBTClick();
  void SpeedButtonDatabaseClick();
  void Availablemodels1Click();
  void SpeedButtonRankingClick();
  void SpeedButtonValExtModClick();
  void Moreinfo1Click();
  void GeneralHelp1Click();
  void SingleModels2Click();
  void SingleModels1Click();
  void Loadexample1Click();
  void HowtociteKORVANE1Click();
  void N4Click();
  void AboutKORVANE1Click();
  void Copytoclipboard1Click();

  // Menus and their items.
  QMenu* MenuFile;
  QAction* MenuFileNew;
  QAction* MenuFileOpen;
  QAction* MenuFileSave;
  QAction* MenuFileImport;
  QAction* MenuFileExit;
  QMenu* MenuView;
  QAction* MenuViewData;
  QAction* MenuDataSetup;
  QAction* MenuCalculateAllSubset;
  QAction* MenuViewAndSelModels;
  QMenu* ools1;
  QAction* PBTIndex1;
  QAction* MenuItemQueryDB;
  QAction* Availablemodels1;
  QAction* CalculatePCAorMCDM;
  QAction* Validateexternaldata1;
  QMenu* Help1;
  QAction* Moreinfo1;
  QAction* GeneralHelp1;
  QAction* SingleModels2;
  QAction* SingleModels1;
  QAction* Loadexample1;
  QAction* HowtociteKORVANE1;
  QAction* N4;
  QAction* AboutKORVANE1;

  // The toolbar.
  QWidget* Panel;
  QToolButton* SpeedButtonFileNew;
  QToolButton* SpeedButtonFileOpen;
  QToolButton* SpeedButtonFileImport;
  QToolButton* SpeedButtonFileSave;
  QToolButton* SpeedButtonViewData;
  QToolButton* SpeedButtonDataSetup;
  QToolButton* SpeedButtonCalculateAllSubset;
  QToolButton* SpeedButtonViewAndSelModels;
  QToolButton* SpeedButtonPBT;
  QToolButton* SpeedButtonDatabase;
  QToolButton* SpeedButtonAvailMod;
  QToolButton* SpeedButtonRanking;
  QToolButton* SpeedButtonValExtMod;
  QToolButton* SpeedButtonHelp;
  QFrame* Bevel1;
  QFrame* Bevel5;
  QFrame* Bevel3;
  QFrame* BevelDatabase;
  QFrame* Bevel2;
  QFrame* Bevel4;
  QLabel* ImageKORVANE;

  // The activity log, its popup menu and the status bar's panels
  // (caps lock, insert, num lock, modified).
  QPlainTextEdit* RichEdit;
  QMenu* PopupMenuMain;
  QAction* Copytoclipboard1;
  QLabel* StatusPanels[4];

signals:
  // The window closed for good: the program ends.
  void Closed();

protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void BuildMenus();
  void BuildToolbar();
  void BuildLogAndStatusBar();
  void FormCreate();
  void FindMainFolder();
  // The path of name in the main folder (relative to the current folder when
  // the main folder is not known).
  std::string InMainFolder(const std::string& name) const;
  void PrepareTempFolder();
  void CreateRegistry();
  void FindStoredModels();
  // The editor and the single-model window of applying a stored model.
  StoredModelSteps StoredModelWindows(const std::string& fileName);
  // Clears the project and applies the stored model read from file; a refused
  // file leaves the project cleared and throws.
  void ApplyStoredModelFile(Stream& file, const std::string& path);
  void TestPbtModel();
  void FindDatabaseFiles();
  void KeepDecimalSeparator();
  // Asks the closing question; true when the window may close.
  bool FormClose();
  void ReleaseProject();
  void OpenHelpDocument(const std::string& name);
  void LogBlock(const std::string& title, const std::string& fileLine);

  ChemoData dataSet_;
  DataResultList* modelList_;
  std::unique_ptr<TempFiles> registry_;
  bool modified_ = false;
  bool released_ = false;
  bool insertOn_ = false;
  char userDecimalSeparator_ = '.';
  std::string mainFolder_;
  std::string tempFolder_;
  std::string modelsFolder_;
  std::vector<std::string> modelFiles_;
  std::string databaseFolder_;
  std::vector<std::string> databaseFiles_;
};

// The main window: its components, the start-up steps, the command states and
// the closing of the program.
#include "app/Main.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QDate>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTime>
#include <QToolButton>
#include <QVBoxLayout>
#include <clocale>
#include <fstream>

#include "app/Glyphs.h"
#include "app/SplMain.h"
#include "data/DataResult.h"
#include "data/TempFiles.h"
#include "platform/base/Files.h"
#include "platform/base/UiServices.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/KeyLocks.h"
#include "platform/qt/QtConvert.h"

namespace {

constexpr int kClientWidth = 664;
constexpr int kClientHeight = 449;

void SetCommandEnabled(QAction* item, QToolButton* button, bool enabled) {
  item->setEnabled(enabled);
  button->setEnabled(enabled);
}

QFrame* VerticalBevel(QWidget* parent, int left) {
  auto* bevel = new QFrame(parent);
  bevel->setFrameShape(QFrame::VLine);
  bevel->setFrameShadow(QFrame::Sunken);
  bevel->setGeometry(left, 2, 2, 29);
  return bevel;
}

// The registered base names of the temporary validation files.
const char* const kTempFileNames[] = {"~yscr~", "~rdes~", "~rres~", "~many~"};

std::string LogDate() {
  return QLocale().toString(QDate::currentDate(), QLocale::ShortFormat).toLatin1().toStdString();
}

// The locale's long time format without its time-zone name.
std::string LogTime() {
  QString format = QLocale().timeFormat(QLocale::LongFormat).remove('t').trimmed();
  return QLocale().toString(QTime::currentTime(), format).toLatin1().toStdString();
}

}  // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent), modelList_(new DataResultList(&dataSet_)) {
  setWindowTitle("KORVANE v2.1.1");
  BuildMenus();
  BuildToolbar();
  BuildLogAndStatusBar();
  // The client area holds the toolbar, the log and the status bar; the menu bar lies above it.
  resize(kClientWidth, menuBar()->sizeHint().height() + kClientHeight);
  MainForm = this;
  FormCreate();
}

TMainForm::~TMainForm() {
  if (!released_) ReleaseProject();
  if (MainForm == this) MainForm = nullptr;
}

void TMainForm::BuildMenus() {
  auto item = [this](QMenu* menu, const char* caption, void (TMainForm::*handler)()) {
    QAction* action = menu->addAction(caption);
    connect(action, &QAction::triggered, this, handler);
    return action;
  };
  MenuFile = menuBar()->addMenu("&File");
  MenuFileNew = item(MenuFile, "&New project", &TMainForm::MenuFileNewClick);
  MenuFileOpen = item(MenuFile, "&Open project...", &TMainForm::MenuFileOpenClick);
  MenuFileSave = item(MenuFile, "&Save project...", &TMainForm::MenuFileSaveClick);
  MenuFile->addSeparator();
  MenuFileImport = item(MenuFile, "&Import data...", &TMainForm::MenuFileImportClick);
  MenuFile->addSeparator();
  MenuFileExit = item(MenuFile, "E&xit", &TMainForm::MenuFileExitClick);

  MenuView = menuBar()->addMenu("&Analysis");
  MenuViewData = item(MenuView, "&View data...", &TMainForm::MenuViewDataClick);
  MenuDataSetup = item(MenuView, "&Data setup...", &TMainForm::MenuDataSetupClick);
  MenuCalculateAllSubset = item(MenuView, "Variable selection and models &calculation...",
                                &TMainForm::MenuCalculateAllSubsetClick);
  MenuViewAndSelModels = item(MenuView, "Vie&w and select models...", &TMainForm::MenuViewAndSelModelsClick);

  ools1 = menuBar()->addMenu("&Tools");
  PBTIndex1 = item(ools1, "Apply &PBT index model...", &TMainForm::SpeedButtonPBTClick);
  MenuItemQueryDB = item(ools1, "&Query database... ", &TMainForm::SpeedButtonDatabaseClick);
  MenuItemQueryDB->setVisible(false);
  Availablemodels1 = item(ools1, "&Apply developed models...", &TMainForm::Availablemodels1Click);
  Availablemodels1->setEnabled(false);
  CalculatePCAorMCDM = item(ools1, "&Calculate ranking...", &TMainForm::SpeedButtonRankingClick);
  CalculatePCAorMCDM->setEnabled(false);
  Validateexternaldata1 = item(ools1, "&Validate experimental vs. predicted data...",
                               &TMainForm::SpeedButtonValExtModClick);

  Help1 = menuBar()->addMenu("&Help");
  Moreinfo1 = item(Help1, "G&eneral information", &TMainForm::Moreinfo1Click);
  GeneralHelp1 = item(Help1, "&KORVANE manual", &TMainForm::GeneralHelp1Click);
  SingleModels2 = item(Help1, "&Single models", &TMainForm::SingleModels2Click);
  SingleModels1 = item(Help1, "&PBT index", &TMainForm::SingleModels1Click);
  SingleModels2->setVisible(false);
  SingleModels1->setVisible(false);
  Loadexample1 = item(Help1, "Imp&ort example data...", &TMainForm::Loadexample1Click);
  Help1->addSeparator();
  HowtociteKORVANE1 = item(Help1, "&How to cite KORVANE", &TMainForm::HowtociteKORVANE1Click);
  N4 = item(Help1, "Acknowledgments", &TMainForm::N4Click);
  AboutKORVANE1 = item(Help1, "&About KORVANE", &TMainForm::AboutKORVANE1Click);
}

void TMainForm::BuildToolbar() {
  Panel = new QWidget(this);
  Panel->setFixedHeight(33);
  auto button = [this](const QIcon& icon, const char* hint, QRect geometry, void (TMainForm::*handler)()) {
    auto* b = new QToolButton(Panel);
    b->setAutoRaise(true);
    b->setIcon(icon);
    b->setIconSize(geometry.size() - QSize(4, 4));
    b->setToolTip(hint);
    b->setGeometry(geometry);
    connect(b, &QToolButton::clicked, this, handler);
    return b;
  };
  auto square = [](int left) { return QRect(left, 4, 25, 25); };
  auto small = [](int left) { return QRect(left, 15, 70, 16); };
  SpeedButtonFileNew = button(GlyphIcon(Glyph::New), "New project", square(4), &TMainForm::MenuFileNewClick);
  SpeedButtonFileOpen = button(GlyphIcon(Glyph::Open), "Open project", square(28), &TMainForm::MenuFileOpenClick);
  SpeedButtonFileImport =
      button(GlyphIcon(Glyph::Import), "Import data", square(52), &TMainForm::MenuFileImportClick);
  SpeedButtonFileSave = button(GlyphIcon(Glyph::Save), "Save project", square(76), &TMainForm::MenuFileSaveClick);
  Bevel1 = VerticalBevel(Panel, 105);
  SpeedButtonViewData =
      button(GlyphIcon(Glyph::ViewData), "View data", square(110), &TMainForm::MenuViewDataClick);
  SpeedButtonDataSetup =
      button(GlyphIcon(Glyph::DataSetup), "Data setup", square(134), &TMainForm::MenuDataSetupClick);
  SpeedButtonCalculateAllSubset =
      button(GlyphIcon(Glyph::Calculate), "Variable selection and models calculation", square(158),
             &TMainForm::MenuCalculateAllSubsetClick);
  SpeedButtonViewAndSelModels = button(GlyphIcon(Glyph::ViewModels), "View and select model", square(182),
                                       &TMainForm::MenuViewAndSelModelsClick);
  Bevel5 = VerticalBevel(Panel, 211);
  SpeedButtonPBT = button(TextGlyphIcon("PBT index", QSize(66, 21)), "Apply PBT Index model",
                          QRect(216, 4, 70, 25), &TMainForm::SpeedButtonPBTClick);
  SpeedButtonPBT->setEnabled(false);
  Bevel3 = VerticalBevel(Panel, 290);
  SpeedButtonDatabase = button(TextGlyphIcon("Database", QSize(66, 12)), "Query database", small(295),
                               &TMainForm::SpeedButtonDatabaseClick);
  SpeedButtonDatabase->setEnabled(false);
  SpeedButtonDatabase->setVisible(false);
  ImageKORVANE = new QLabel(Panel);
  ImageKORVANE->setPixmap(TextGlyphIcon("KORVANE", QSize(85, 11)).pixmap(QSize(85, 11)));
  ImageKORVANE->setGeometry(355, 5, 85, 11);
  SpeedButtonAvailMod = button(TextGlyphIcon("Models", QSize(66, 12)), "Apply developed models", small(364),
                               &TMainForm::Availablemodels1Click);
  SpeedButtonAvailMod->setEnabled(false);
  SpeedButtonRanking = button(TextGlyphIcon("Ranking", QSize(66, 12)), "Calculate ranking", small(434),
                              &TMainForm::SpeedButtonRankingClick);
  SpeedButtonRanking->setEnabled(false);
  BevelDatabase = VerticalBevel(Panel, 508);
  BevelDatabase->setVisible(false);
  SpeedButtonValExtMod = button(GlyphIcon(Glyph::Validate), "Validate experimental vs. predicted data",
                                square(514), &TMainForm::SpeedButtonValExtModClick);
  Bevel2 = VerticalBevel(Panel, 543);
  SpeedButtonHelp = button(GlyphIcon(Glyph::Help), "KORVANE manual", square(549), &TMainForm::GeneralHelp1Click);
  Bevel4 = VerticalBevel(Panel, 578);
}

void TMainForm::BuildLogAndStatusBar() {
  RichEdit = new QPlainTextEdit(this);
  RichEdit->setReadOnly(true);
  RichEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // The log carries a hint that is not shown on hover (only the speed buttons show theirs).
  RichEdit->setWhatsThis("Available models");
  PopupMenuMain = new QMenu(this);
  Copytoclipboard1 = PopupMenuMain->addAction("&Copy");
  connect(Copytoclipboard1, &QAction::triggered, this, &TMainForm::Copytoclipboard1Click);
  RichEdit->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(RichEdit, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopupMenuMain->popup(RichEdit->mapToGlobal(pos)); });

  auto* client = new QWidget(this);
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Panel);
  layout->addWidget(RichEdit);
  setCentralWidget(client);

  const int widths[4] = {50, 50, 50, 100};
  for (int i = 0; i < 4; ++i) {
    StatusPanels[i] = new QLabel(this);
    StatusPanels[i]->setAlignment(Qt::AlignCenter);
    StatusPanels[i]->setFixedWidth(widths[i]);
    StatusPanels[i]->setFrameShape(QFrame::Panel);
    StatusPanels[i]->setFrameShadow(QFrame::Sunken);
    statusBar()->addWidget(StatusPanels[i]);
  }
}

// ---- Start-up -------------------------------------------------------------

void TMainForm::FormCreate() {
  BevelDatabase->setVisible(true);
  SpeedButtonDatabase->setVisible(true);
  MenuItemQueryDB->setVisible(true);
  FindMainFolder();
  ShowSplashForm(true);
  CentreOnScreen(this);
  DisableDataCommands();
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
          &TMainForm::UpdateStatusBar);
  qApp->installEventFilter(this);
  PrepareTempFolder();
  CreateRegistry();
  FindStoredModels();
  TestPbtModel();
  if (!modelFiles_.empty()) SetCommandEnabled(Availablemodels1, SpeedButtonAvailMod, true);
  FindDatabaseFiles();
  KeepDecimalSeparator();
}

void TMainForm::FindMainFolder() {
  std::string current = CurrentDir();
  if (current.empty()) {
    Ui().MessageBox("Cannot read main folder position, please check your privileges.", "APPLICATION ERROR",
                    MB_OK | MB_ICONERROR);
    return;
  }
  mainFolder_ = current;
}

std::string TMainForm::InMainFolder(const std::string& name) const {
  return mainFolder_.empty() ? name : mainFolder_ + "/" + name;
}

// Takes "~.Temp_n" for the first n whose folder is free or released by the
// user; without a main folder the program runs without a temporary folder.
void TMainForm::PrepareTempFolder() {
  const char* cannotCreate = "Cannot create temporary directory or related files, please check your privileges.";
  if (mainFolder_.empty()) {
    Ui().MessageBox(cannotCreate, "APPLICATION ERROR", MB_OK | MB_ICONERROR);
    return;
  }
  try {
    for (int n = 0;; ++n) {
      std::string name = "~.Temp_" + std::to_string(n);
      std::string folder = mainFolder_ + "/" + name + "/";
      if (!DirectoryExists(folder)) {
        if (!ForceDirectories(folder)) {
          Ui().MessageBox(cannotCreate, "APPLICATION ERROR", MB_OK | MB_ICONERROR);
          return;
        }
        tempFolder_ = folder;
        return;
      }
      int answer = Ui().MessageBox(
          "An already existing temporary directory named (" + name + ") located in (" + mainFolder_ +
              ") was found. The reason can be an another running session of KORVANE, an aborted session or "
              "to a directory created by the user. In the latest case, please backup the directory in "
              "another place before proceeding. If there is already another runnin session of KORVANE PRESS "
              "NO, otherwise press yes to regain disk space.",
          "APPLICATION WARNING", MB_YESNO | MB_ICONQUESTION);
      if (answer == IDYES) {
        tempFolder_ = folder;
        return;
      }
    }
  } catch (const std::exception& e) {
    Ui().MessageBox(e.what(), "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  }
}

void TMainForm::CreateRegistry() {
  if (tempFolder_.empty()) return;
  registry_ = std::make_unique<TempFiles>(tempFolder_);
  for (const char* name : kTempFileNames) registry_->AddName(name);
  registry_->DeleteTempFiles();
}

void TMainForm::FindStoredModels() {
  SpeedButtonPBT->setEnabled(false);
  std::string folder = InMainFolder("models");
  if (!DirectoryExists(folder)) return;
  modelsFolder_ = folder + "/";
  modelFiles_ = ListFilesWithExtension(folder, ".smd");
}

void TMainForm::TestPbtModel() {
  std::string path = modelsFolder_ + "PBT Index.smd";
  std::ifstream file(path, std::ios::binary);
  if (file.is_open() && FileExists(path)) {
    SpeedButtonPBT->setEnabled(true);
    return;
  }
  Ui().MessageBox(
      "PBT Index model is not available: cannot load the PBT file (check its existence in the models folder "
      "and/or check your privileges).",
      "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
}

void TMainForm::FindDatabaseFiles() {
  std::string folder = InMainFolder("database");
  if (DirectoryExists(folder)) {
    databaseFolder_ = folder + "/";
    // Data-set files end in ".csv" in any letter case; their order is the data sets' order.
    databaseFiles_ = ListFilesWithExtension(folder, ".csv");
  }
  bool found = !databaseFiles_.empty();
  if (!found)
    Ui().MessageBox("Error in database format or empty database folder: query will be disabled.",
                    "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
  MenuItemQueryDB->setEnabled(found);
  SpeedButtonDatabase->setEnabled(found);
}

// Keeps the user's separator for the converters; every number conversion of
// the program itself uses '.'.
void TMainForm::KeepDecimalSeparator() {
  QString point = QLocale().decimalPoint();
  QByteArray latin1 = point.toLatin1();
  userDecimalSeparator_ = (point.size() == 1 && latin1[0] != '?') ? latin1[0] : '.';
  std::setlocale(LC_NUMERIC, "C");
}

// ---- Command states -------------------------------------------------------

void TMainForm::DisableDataCommands() {
  modified_ = false;
  SetCommandEnabled(MenuViewData, SpeedButtonViewData, false);
  SetCommandEnabled(MenuDataSetup, SpeedButtonDataSetup, false);
  SetCommandEnabled(MenuCalculateAllSubset, SpeedButtonCalculateAllSubset, false);
  SetCommandEnabled(MenuViewAndSelModels, SpeedButtonViewAndSelModels, false);
  SetCommandEnabled(MenuFileSave, SpeedButtonFileSave, false);
  SetCommandEnabled(CalculatePCAorMCDM, SpeedButtonRanking, false);
}

void TMainForm::EnableDataCommands() {
  SetCommandEnabled(MenuViewData, SpeedButtonViewData, true);
  SetCommandEnabled(MenuFileSave, SpeedButtonFileSave, true);
  SetCommandEnabled(MenuDataSetup, SpeedButtonDataSetup, true);
  SetCommandEnabled(CalculatePCAorMCDM, SpeedButtonRanking, true);
  SetCommandEnabled(MenuCalculateAllSubset, SpeedButtonCalculateAllSubset, false);
  SetCommandEnabled(MenuViewAndSelModels, SpeedButtonViewAndSelModels, false);
}

void TMainForm::EnableCalculateAllSubset(bool enabled) {
  SetCommandEnabled(MenuCalculateAllSubset, SpeedButtonCalculateAllSubset, enabled);
}

void TMainForm::EnableViewAndSelModels(bool enabled) {
  SetCommandEnabled(MenuViewAndSelModels, SpeedButtonViewAndSelModels, enabled);
}

void TMainForm::ReportDataLoaded(const std::string& sourcePath) {
  EnableDataCommands();
  SetCommandEnabled(MenuCalculateAllSubset, SpeedButtonCalculateAllSubset, dataSet_.iSelectedVarCount > 0);
  EnableViewAndSelModels(modelList_ != nullptr && modelList_->Count() > 0);
  modified_ = true;
  LogBlock("DATA LOADED: ", "Source file: " + sourcePath);
}

void TMainForm::ClearProject() {
  dataSet_.Clear();
  if (modelList_ != nullptr) modelList_->Clear();
  DisableDataCommands();
  if (registry_) registry_->DeleteTempFiles();
}

void TMainForm::DiscardModels() {
  if (modelList_ != nullptr) modelList_->Clear();
  EnableViewAndSelModels(false);
  if (registry_) registry_->DeleteTempFiles();
  for (int32_t* setting : {&dataSet_.iEnumSize, &dataSet_.iAllSubsetUntil, &dataSet_.iGAFirstSize, &dataSet_.iGAUntil,
                           &dataSet_.iGAPopSize, &dataSet_.iGAGenerations, &dataSet_.iGAMutation})
    *setting = 0;
}

bool TMainForm::ConfirmDiscardModels() {
  if (Ui().MessageBox("Previous calculated models data will be erased! Do you want to continue?",
                      "APPLICATION WARNING", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return false;
  DiscardModels();
  return true;
}

// ---- Log and status bar ---------------------------------------------------

void TMainForm::ActivityLog(const std::string& text) {
  RichEdit->appendPlainText(ShownText(text));
}

std::string TMainForm::DateTimeText() const { return LogDate() + " - " + LogTime(); }

void TMainForm::LogBlock(const std::string& title, const std::string& fileLine) {
  ActivityLog(title + DateTimeText());
  ActivityLog(fileLine);
  ActivityLog("");
}

void TMainForm::UpdateStatusBar() {
  KeyLockState keys = KeyLocks();
  StatusPanels[0]->setText(keys.capsLock ? "CAPS" : "");
  StatusPanels[1]->setText(insertOn_ ? "INS" : "");
  StatusPanels[2]->setText(keys.numLock ? "NUM" : "");
  StatusPanels[3]->setText(modified_ ? "Modified" : "");
}

// The Insert key toggles the program's insert state.
bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Insert && !key->isAutoRepeat() && watched == QApplication::focusWidget())
      insertOn_ = !insertOn_;
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- Closing --------------------------------------------------------------

void TMainForm::closeEvent(QCloseEvent* event) {
  if (!FormClose()) {
    event->ignore();
    return;
  }
  ReleaseProject();
  event->accept();
  emit Closed();
}

bool TMainForm::FormClose() {
  return !modified_ || Ui().MessageBox("Data modified! Do you really want to exit without saving?",
                                       "APPLICATION WARNING", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// Frees the model list, deletes the temporary files and the temporary folder
// (a folder that is not empty stays) and frees the registry.
void TMainForm::ReleaseProject() {
  released_ = true;
  delete modelList_;
  modelList_ = nullptr;
  if (!registry_) return;
  registry_->DeleteTempFiles(StaleNotice::Silent);  // no record is wanted any more
  RemoveDirIfEmpty(registry_->Directory());
  registry_.reset();
}

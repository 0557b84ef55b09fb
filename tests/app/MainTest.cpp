#include <QCloseEvent>
#include <algorithm>
#include <QLocale>
#include <QPlainTextEdit>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>

#include "app/MainFixture.h"
#include "app/ModalForm.h"
#include "data/DataResult.h"
#include "support/BlockedFolder.h"
#include "validate/AVmMain.h"
#include "validate/SingleModelFile.h"

namespace fs = std::filesystem;

namespace {

const char* const kPbtWarning =
    "PBT Index model is not available: cannot load the PBT file (check its existence in the models folder "
    "and/or check your privileges).";
const char* const kDatabaseWarning = "Error in database format or empty database folder: query will be disabled.";

struct Pair {
  QAction* item;
  QToolButton* button;
};

void ExpectEnabled(const Pair& pair, bool enabled, const char* what) {
  EXPECT_EQ(pair.item->isEnabled(), enabled) << what << " menu item";
  EXPECT_EQ(pair.button->isEnabled(), enabled) << what << " speed button";
}

bool CloseAccepted(TMainForm& form) {
  QCloseEvent event;
  QApplication::sendEvent(&form, &event);
  return event.isAccepted();
}

// The titles of the windows shown while it is installed, in order.
struct ShownWindows : QObject {
  ShownWindows() { qApp->installEventFilter(this); }
  ~ShownWindows() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::Show && widget != nullptr && widget->isWindow())
      titles.push_back(widget->windowTitle().toStdString());
    return false;
  }
  std::vector<std::string> titles;
};

struct UnbuildableForm {
  explicit UnbuildableForm(int) { throw std::bad_alloc(); }
  int ShowModal() { return 1; }
};

}  // namespace

TEST_F(MainFormTest, StartUpOffersTheStoredModelsAndDatabaseFilesItFinds) {
  struct Case {
    std::vector<std::string> files;
    std::vector<std::string> warnings;
    bool pbt, models, database;  // models: the models folder exists
  };
  const std::vector<std::string> both = {kPbtWarning, kDatabaseWarning};
  const Case cases[] = {
      {{}, both, false, false, false},
      {{"models/other.smd", "database/readme.txt"}, both, false, true, false},
      {{"PBT Index.smd", "database/a.csv"}, {}, true, false, true},  // PBT model in the main folder
      {{"models/PBT Index.smd", "models/b.smd", "models/readme.txt", "database/chemicals.csv", "database/more.csv",
        "database/notes.txt", "database/Upper.CSV"},
       {}, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.files.empty() ? "empty folder" : c.files[0]);
    form_.reset();
    for (const auto& entry : fs::directory_iterator(Folder())) fs::remove_all(entry.path());
    for (const std::string& file : c.files) MakeFile(file);
    TestUi().Clear();
    TMainForm& form = Start();
    EXPECT_EQ(ShownTexts(), c.warnings);
    EXPECT_EQ(form.TempFolder(), Folder() + "/~.Temp_0/");
    EXPECT_EQ(form.SpeedButtonPBT->isEnabled(), c.pbt);
    EXPECT_EQ(form.ModelsFolder(), c.models ? Folder() + "/models/" : "");
    ExpectEnabled({form.Availablemodels1, form.SpeedButtonAvailMod}, c.models, "available models");
    EXPECT_EQ(form.GetDatabaseFolder(), c.files.empty() ? "" : Folder() + "/database/");
    ExpectEnabled({form.MenuItemQueryDB, form.SpeedButtonDatabase}, c.database, "database");
  }
  EXPECT_EQ(form_->StoredModelNames(), (std::vector<std::string>{"PBT Index.smd", "b.smd"}));
  EXPECT_EQ(form_->GetDatabaseFiles(), (std::vector<std::string>{"Upper.CSV", "chemicals.csv", "more.csv"}));
}

TEST_F(MainFormTest, TheWelcomeWindowIsTheFirstWindowOfTheStart) {
  MakeCompleteFolder();
  ShownWindows shown;
  Start();
  ASSERT_FALSE(shown.titles.empty());
  EXPECT_EQ(shown.titles.front(), "Welcome");
  EXPECT_EQ(std::count(shown.titles.begin(), shown.titles.end(), "Welcome"), 1);
}

TEST_F(MainFormTest, ExistingTemporaryFolderAsksAndNoMovesToTheNextCounter) {
  MakeCompleteFolder();
  fs::create_directories(PathOf("~.Temp_0"));
  fs::create_directories(PathOf("~.Temp_1"));
  TestUi().Answer(IDNO);
  TestUi().Answer(IDNO);
  TMainForm& form = Start();
  ASSERT_EQ(TestUi().Shown().size(), 2u);
  EXPECT_EQ(TestUi().Shown(0).text,
            "An already existing temporary directory named (~.Temp_0) located in (" + Folder() +
                ") was found. The reason can be an another running session of KORVANE, an aborted session or "
                "to a directory created by the user. In the latest case, please backup the directory in "
                "another place before proceeding. If there is already another runnin session of KORVANE PRESS "
                "NO, otherwise press yes to regain disk space.");
  EXPECT_EQ(TestUi().Shown(0).flags, unsigned(MB_YESNO | MB_ICONQUESTION));
  EXPECT_NE(TestUi().Shown(1).text.find("(~.Temp_1)"), std::string::npos);
  EXPECT_EQ(form.TempFolder(), Folder() + "/~.Temp_2/");
  EXPECT_TRUE(fs::is_directory(PathOf("~.Temp_2")));
}

TEST_F(MainFormTest, AFileInThePlaceOfTheTemporaryFolderIsReportedNotTaken) {
  MakeCompleteFolder();
  MakeFile("~.Temp_0", "user data");
  TMainForm& form = Start();
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{
                              "Cannot create temporary directory or related files, please check your privileges."});
  EXPECT_EQ(form.Registry(), nullptr);
  EXPECT_TRUE(CloseAccepted(form));
  EXPECT_EQ(ReadFileText(PathOf("~.Temp_0")), "user data");
}

TEST_F(MainFormTest, CommandStatesFollowStartUpLoadingDiscardingAndClearing) {
  TMainForm& form = StartInCompleteFolder();
  const Pair viewData{form.MenuViewData, form.SpeedButtonViewData};
  const Pair save{form.MenuFileSave, form.SpeedButtonFileSave};
  const Pair calculate{form.MenuCalculateAllSubset, form.SpeedButtonCalculateAllSubset};
  const Pair viewModels{form.MenuViewAndSelModels, form.SpeedButtonViewAndSelModels};
  const Pair dataCommands[] = {viewData, {form.MenuDataSetup, form.SpeedButtonDataSetup}, save,
                               {form.CalculatePCAorMCDM, form.SpeedButtonRanking}};
  for (const Pair& p : dataCommands) ExpectEnabled(p, false, "after start-up");
  ExpectEnabled(calculate, false, "calculate after start-up");
  ExpectEnabled(viewModels, false, "view models after start-up");

  form.EnableDataCommands();
  for (const Pair& p : dataCommands) ExpectEnabled(p, true, "after import");
  ExpectEnabled(calculate, false, "calculate after import");

  form.EnableViewAndSelModels(true);
  TestUi().Answer(IDNO);
  EXPECT_FALSE(form.ConfirmDiscardModels());
  EXPECT_EQ(TestUi().Shown(0).text, "Previous calculated models data will be erased! Do you want to continue?");
  ExpectEnabled(viewModels, true, "view models kept on No");
  EXPECT_TRUE(form.ConfirmDiscardModels());
  ExpectEnabled(viewModels, false, "view models after discarding");
  ExpectEnabled(viewData, true, "view data after discarding");

  form.EnableCalculateAllSubset(true);
  form.EnableViewAndSelModels(true);
  form.ReportDataLoaded("/data/p.kvp");  // no search pool, no models
  EXPECT_TRUE(form.Modified());
  ExpectEnabled(calculate, false, "calculate after loading");
  ExpectEnabled(viewModels, false, "view models after loading");

  form.ClearProject();
  EXPECT_FALSE(form.Modified());
  ExpectEnabled(viewData, false, "view data after clearing");
  ExpectEnabled(save, false, "save after clearing");
}

TEST_F(MainFormTest, NewProjectAsksOnlyWhenModified) {
  TMainForm& form = StartInCompleteFolder();
  form.EnableDataCommands();
  form.MenuFileNewClick();
  EXPECT_TRUE(TestUi().Shown().empty());

  form.SetModified(true);
  TestUi().Answer(IDNO);
  form.MenuFileNewClick();
  EXPECT_EQ(TestUi().Shown(0).text, "All data will be erased! Do you really want to continue without saving?");
  EXPECT_TRUE(form.MenuViewData->isEnabled());

  form.MenuFileNewClick();
  EXPECT_FALSE(form.Modified());
  EXPECT_FALSE(form.MenuViewData->isEnabled());
}

TEST_F(MainFormTest, ClosingAModifiedProjectAsksAndNoKeepsEverything) {
  TMainForm& form = StartInCompleteFolder();
  bool closed = false;
  QObject::connect(&form, &TMainForm::Closed, [&closed] { closed = true; });
  form.SetModified(true);
  TestUi().Answer(IDNO);
  EXPECT_FALSE(CloseAccepted(form));
  EXPECT_EQ(TestUi().Shown(0).text, "Data modified! Do you really want to exit without saving?");
  EXPECT_TRUE(form.Modified());
  EXPECT_TRUE(fs::is_directory(PathOf("~.Temp_0")));
  EXPECT_FALSE(closed);

  MakeFile("~.Temp_0/~many~.db$.und");  // a working copy goes with the folder
  EXPECT_TRUE(CloseAccepted(form));
  EXPECT_TRUE(closed);
  EXPECT_FALSE(fs::exists(PathOf("~.Temp_0")));
}

// At exit no record will be wanted again: validation files that cannot be
// deleted are not reported.
TEST_F(MainFormTest, ExitSaysNothingOfValidationFilesItCannotDelete) {
  TMainForm& form = StartInCompleteFolder();
  MakeFile("~.Temp_0/~many~.db$");
  {
    BlockedFolder blocked(PathOf("~.Temp_0/"));
    EXPECT_TRUE(CloseAccepted(form));
  }
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{});
  EXPECT_TRUE(fs::exists(PathOf("~.Temp_0/~many~.db$")));
}

TEST_F(MainFormTest, CopyPutsTheWholeLogOnTheClipboardAndAMissingHelpDocumentIsNamed) {
  TMainForm& form = StartInCompleteFolder();
  form.ActivityLog("first line\nsecond \xE9");
  form.ActivityLog("last");
  form.Copytoclipboard1Click();
  EXPECT_EQ(TestUi().clipboard, "first line\nsecond \xE9\nlast");

  form.GeneralHelp1Click();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_NE(TestUi().Shown(0).text.find(Folder() + "/help/Manual_v21.pdf"), std::string::npos);
}

TEST_F(MainFormTest, HelpHidesSingleModelsAndThePbtIndexWhichDoNothing) {
  TMainForm& form = StartInCompleteFolder();
  form.show();
  EXPECT_FALSE(form.SingleModels2->isVisible());
  EXPECT_FALSE(form.SingleModels1->isVisible());
  ShownWindows windows;
  form.SingleModels2->trigger();
  form.SingleModels1->trigger();
  EXPECT_TRUE(windows.titles.empty());
  EXPECT_TRUE(TestUi().Shown().empty());
  EXPECT_TRUE(TestUi().documents.empty());
}

TEST_F(MainFormTest, UserSeparatorComesFromTheLocaleAndConvertsOnlyNumberTexts) {
  MakeCompleteFolder();
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  TMainForm& form = Start();
  QLocale::setDefault(QLocale::c());
  EXPECT_EQ(form.UserDecimalSeparator(), ',');
  EXPECT_EQ(form.ToSystemDecimalSeparator("1.5"), "1,5");
}

TEST(RunModalFormTest, AWindowThatCannotBeBuiltIsReportedWithItsWarning) {
  EXPECT_EQ(RunModalForm<UnbuildableForm>("Cannot create Acknowledgment dialog", 0), 0);
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Cannot create Acknowledgment dialog");
  EXPECT_EQ(TestUi().Shown(0).Icon(), MB_ICONWARNING);
}

TEST_F(MainFormTest, WithoutAMainFolderTheProgramRunsWithoutTemporaryFolder) {
  fs::create_directories(PathOf("gone"));
  fs::current_path(PathOf("gone"));
  fs::remove(PathOf("gone"));  // the current folder no longer exists
  TMainForm& form = Start();
  EXPECT_EQ(ShownTexts(), (std::vector<std::string>{
                              "Cannot read main folder position, please check your privileges.",
                              "Cannot create temporary directory or related files, please check your privileges.",
                              kPbtWarning, kDatabaseWarning}));
  EXPECT_TRUE(form.TempFolder().empty());
  EXPECT_EQ(form.Registry(), nullptr);
  EXPECT_FALSE(fs::exists("/~.Temp_0"));
  TestUi().Clear();
  form.Loadexample1Click();  // looked for beside the program, never at the root
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{"Cannot import example file:help/example.txt"});
  form.ClearProject();
  form.DiscardModels();
  EXPECT_TRUE(CloseAccepted(form));
}

TEST_F(MainFormTest, PbtCommandAppliesTheStoredModelOrLeavesAnEmptyProject) {
  const char* const failure =
      "Cannot load PBT file: check its existence in the models folder and/or check your privileges.";
  TMainForm& form = StartInCompleteFolder();  // its "PBT Index.smd" is damaged
  form.EnableDataCommands();
  form.SetModified(true);
  TestUi().Clear();
  form.SpeedButtonPBTClick();
  EXPECT_EQ(ShownTexts().size(), 3u);
  EXPECT_EQ(TestUi().Shown(1).caption, "ABOUT PBT");
  EXPECT_EQ(TestUi().Shown(2).text, failure);
  EXPECT_FALSE(form.Modified());
  EXPECT_FALSE(form.MenuViewData->isEnabled());
  EXPECT_EQ(form.DataSet().iVarCount, 0);

  ChemoData data(2, 5, 1);
  for (int o = 0; o < 5; ++o) {
    data.ipTrainingPtr[o] = kStatusTraining;
    data.tpChemoValuePtr[o][0] = CheckedValue(o + 1, false);
    data.tpChemoValuePtr[o][1] = CheckedValue(2.0L * (o + 1), false);
  }
  DataResultNode model;
  model.iSize = 1;
  model.iTrainCount = 5;
  model.ipSelVarIdxPtr = new int32_t[1]{0};
  ASSERT_TRUE(SaveSingleModelFile(PathOf("models/PBT Index.smd"), model, data));
  TestUi().Clear();
  form.SpeedButtonPBTClick();
  EXPECT_EQ(ShownTexts().size(), 1u);  // the about box only
  EXPECT_TRUE(form.Modified());
  EXPECT_EQ(form.DataSet().iObjCount, 5);
  EXPECT_EQ(form.ModelList()->Count(), 0);
  EXPECT_NE(form.RichEdit->toPlainText().toStdString().find("Source file: " + PathOf("models/PBT Index.smd")),
            std::string::npos);

  fs::remove(PathOf("models/PBT Index.smd"));
  TestUi().Clear();
  form.SpeedButtonPBTClick();  // modified: asked, then the file is missing
  EXPECT_EQ(ShownTexts(), (std::vector<std::string>{
                              "All data will be erased! Do you really want to continue without saving?", failure}));
  EXPECT_EQ(form.DataSet().iObjCount, 5);
}

TEST_F(MainFormTest, StoredModelListAppliesTheDoubleClickedFileAndStaysOpenAfterAFailure) {
  TMainForm& form = StartInCompleteFolder();  // "PBT Index.smd" is damaged
  TFormAvailMod list(&form, false, form.ModelsFolder(), {"PBT Index.smd", "a.b.smd", "noext"});
  std::vector<std::string> shown;
  for (int row = 0; row < list.ListBox->count(); ++row) shown.push_back(list.ListBox->item(row)->text().toStdString());
  EXPECT_EQ(shown, (std::vector<std::string>{"PBT Index", "a.b", "noext"}));
  std::vector<std::string> applied;
  list.OnApply = [&](const std::string& path) {
    applied.push_back(path);
    return false;
  };
  list.ListBoxDblClick();  // nothing selected
  list.ListBox->setCurrentRow(1);
  list.ListBoxDblClick();
  EXPECT_EQ(applied, (std::vector<std::string>{form.ModelsFolder() + "a.b.smd"}));

  TFormAvailMod message(&form, true, "Title", {"first", "second"});
  message.OnApply = list.OnApply;
  message.ListBox->setCurrentRow(0);
  message.ListBoxDblClick();
  EXPECT_EQ(applied.size(), 1u);
  EXPECT_EQ(message.width(), 640);
  EXPECT_EQ(message.ListBox->count(), 2);
  EXPECT_EQ(message.Panel->text().toStdString(), "Title");
}

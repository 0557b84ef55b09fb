#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>

#include "app/MainFixture.h"
#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/TempFiles.h"
#include "data/ValidationFiles.h"
#include "platform/base/Files.h"
#include "platform/qt/QtUiServices.h"

namespace fs = std::filesystem;

namespace {

long double* Reals(std::initializer_list<long double> values) {
  auto* p = new long double[values.size()];
  std::copy(values.begin(), values.end(), p);
  return p;
}

// Two objects by three variables, two of them in the search pool, and one model.
void FillProject(ProjectHost& host) {
  ChemoData& d = host.DataSet();
  d.Allocate(3, 2);
  const char* vars[] = {"logP", "MW", "Y"};
  for (int v = 0; v < 3; ++v) d.tpVarNameStrPtr[v] = vars[v];
  d.tpObjNameStrPtr[0] = "aspirin";
  d.tpObjNameStrPtr[1] = "caffeine";
  d.ipTrainingPtr[0] = 1;
  d.ipTrainingPtr[1] = 1;
  for (int o = 0; o < 2; ++o)
    for (int v = 0; v < 3; ++v) d.tpChemoValuePtr[o][v] = CheckedValue(0.1L * (o + 1) + v / 3.0L, o == 1 && v == 0);
  d.ipSelectedVarPtr = new int32_t[2]{0, 1};
  d.iSelectedVarCount = 2;
  d.iResponseIndex = 2;
  d.iEnumSize = 1;

  DataResultNode& m = *host.ModelList()->Append();
  m.iSize = 1;
  m.iTrainCount = 2;
  m.iID = 7;
  m.sName = "logP  ";
  m.ipSelVarIdxPtr = new int32_t[1]{0};
  for (long double** array : {&m.ldpBModelCoeffPtr, &m.ldpBStdCoeffPtr, &m.ldpBIntConfPtr, &m.ldpBSignifPtr,
                              &m.ldpBStdErrPtr, &m.ldpTrainYCapPtr})
    *array = Reals({0.5L, -1.25L});
  m.cvQ2loo = CheckedValue(0.75L, false);
}

std::string LogText(TMainForm& form) { return form.RichEdit->toPlainText().toLatin1().toStdString(); }

class MainProjectTest : public MainFormTest {
protected:
  TMainForm& StartWithProject() {
    TMainForm& form = StartInCompleteFolder();
    FillProject(form);
    form.EnableDataCommands();
    form.SetModified(true);
    return form;
  }
  std::string ValidationFile(TMainForm& form, const std::string& name) {
    return form.Registry()->FindTempFilePath(name, TempFiles::DbExtensionIndex());
  }
  void Save(TMainForm& form, const std::string& chosen) {
    TestUi().AnswerFile(chosen);
    form.MenuFileSaveClick();
  }
  void Open(TMainForm& form, const std::string& chosen) {
    TestUi().AnswerFile(chosen);
    form.MenuFileOpenClick();
  }
};

}  // namespace

TEST_F(MainProjectTest, SaveThenOpenRestoresTheProjectAndItsValidationFilesUnderAnyLocale) {
  TMainForm& form = StartWithProject();
  const std::string yscr = "\x01\x02 scrambling results";
  MakeFile("~.Temp_0/~yscr~.db$", yscr);

  Save(form, PathOf("project"));
  const std::string saved = PathOf("project.kvp");
  EXPECT_TRUE(TestUi().Shown().empty());
  EXPECT_FALSE(form.Modified());
  std::string log = LogText(form);
  EXPECT_EQ(log.rfind("DATA SAVED: ", 0), 0u) << log;
  EXPECT_NE(log.find("\nDestination file: " + saved + "\n"), std::string::npos) << log;

  form.ClearProject();
  EXPECT_FALSE(fs::exists(ValidationFile(form, "~yscr~")));
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
  Open(form, saved);
  EXPECT_TRUE(TestUi().Shown().empty());
  ChemoData& d = form.DataSet();
  ASSERT_EQ(d.iObjCount, 2);
  EXPECT_TRUE(d.tpChemoValuePtr[1][0].Missing);
  EXPECT_EQ(d.tpChemoValuePtr[1][2].Value, 0.2L + 2 / 3.0L);
  ASSERT_EQ(form.ModelList()->Count(), 1);
  EXPECT_EQ(form.ModelList()->First()->ldpBModelCoeffPtr[1], -1.25L);
  EXPECT_EQ(ReadFileText(ValidationFile(form, "~yscr~")), yscr);

  form.UpdateStatusBar();
  EXPECT_EQ(form.StatusPanels[3]->text(), "Modified");
  EXPECT_TRUE(form.MenuCalculateAllSubset->isEnabled());
  EXPECT_TRUE(form.MenuViewAndSelModels->isEnabled());
  log = LogText(form);
  EXPECT_NE(log.find("\nDATA LOADED: "), std::string::npos) << log;
  EXPECT_NE(log.find("\nSource file: " + saved + "\n"), std::string::npos) << log;

  // Saving what was opened writes the same file again.
  Save(form, PathOf("again.kvp"));
  QLocale::setDefault(QLocale::c());
  EXPECT_EQ(ReadFileText(PathOf("again.kvp")), ReadFileText(saved));
}

// The four validation files travel inside the project: New deletes them, Open
// brings them back byte for byte.
// The Qt services, with their real file dialogs, for the lifetime of the object.
struct RealDialogs : QtUiServices {
  RealDialogs() { InstallUi(this); }
  ~RealDialogs() override { InstallUi(&TestUi()); }
};

// Names typed into the real file dialogs reach the file system as its own
// bytes, and the log shows them as typed.
TEST_F(MainProjectTest, AProjectNamedBeyondAsciiIsSavedAndReopenedThroughTheFileDialogs) {
  TMainForm& form = StartWithProject();
  fs::create_directories(PathOf("sortie_é"));
  const RealDialogs dialogs;
  QString typed;
  handleModal_ = [&](QWidget& modal) {
    auto* dialog = qobject_cast<QFileDialog*>(&modal);
    if (dialog == nullptr) return false;
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(typed);
    static_cast<QDialog*>(dialog)->accept();
    return true;
  };
  typed = QString::fromUtf8(PathOf("sortie_é/projé_ü_ж").c_str());
  form.MenuFileSaveClick();
  const std::string saved = PathOf("sortie_é/projé_ü_ж.kvp");
  EXPECT_TRUE(fs::is_regular_file(saved));
  EXPECT_TRUE(form.RichEdit->toPlainText().contains("Destination file: " + QString::fromUtf8(saved.c_str())));

  form.ClearProject();
  typed = QString::fromUtf8("projé_ü_ж.kvp");  // where the last dialog ended
  form.MenuFileOpenClick();
  EXPECT_EQ(form.ModelList()->Count(), 1);
  EXPECT_TRUE(form.RichEdit->toPlainText().contains("Source file: " + QString::fromUtf8(saved.c_str())));
}

TEST_F(MainProjectTest, SaveNewOpenCarriesTheFourValidationFilesByteForByte) {
  TMainForm& form = StartWithProject();
  const std::vector<std::string> names = {"~many~", "~yscr~", "~rdes~", "~rres~"};
  std::vector<std::string> contents;
  for (std::size_t k = 0; k < names.size(); ++k) {
    ValidationRecord record{{0, static_cast<int32_t>(k)}, {}};
    for (std::size_t i = 0; i <= k; ++i)
      record.iterations.push_back({CheckedValue(-1.5L * i, false), CheckedValue(0.0L, true),
                                   CheckedValue(0.25L + i, false)});
    const std::vector<uint8_t> bytes = EncodeValidationRecord(record);
    contents.emplace_back(bytes.begin(), bytes.end());
    MakeFile("~.Temp_0/" + names[k] + ".db$", contents.back());
  }
  Save(form, PathOf("validated.kvp"));
  form.SetModified(true);  // New erases only after its question
  TestUi().Answer(IDYES);
  form.MenuFileNewClick();
  for (const std::string& name : names) EXPECT_FALSE(fs::exists(ValidationFile(form, name))) << name;
  Open(form, PathOf("validated.kvp"));
  EXPECT_EQ(TestUi().Shown().size(), 1u);
  for (std::size_t k = 0; k < names.size(); ++k) EXPECT_EQ(ReadFileText(ValidationFile(form, names[k])), contents[k]);
}

TEST_F(MainProjectTest, SaveAppendsTheExtensionAsksBeforeOverwritingAndLogsOnlyWhatItWrote) {
  TMainForm& form = StartWithProject();
  Save(form, PathOf("data.txt"));
  EXPECT_TRUE(fs::exists(PathOf("data.txt.kvp")));

  form.SetModified(true);
  TestUi().Answer(IDNO);
  Save(form, PathOf("data.txt"));
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{PathOf("data.txt.kvp") + " already exists. Do you want to overwrite it?"});
  EXPECT_TRUE(form.Modified());

  const std::string log = LogText(form);
  Save(form, PathOf("gone/failed"));  // no folder to make the temporary file in
  EXPECT_EQ(TestUi().Shown().back().caption, "APPLICATION ERROR");
  EXPECT_FALSE(fs::exists(PathOf("gone")));
  EXPECT_TRUE(form.Modified());
  EXPECT_EQ(LogText(form), log);

  Save(form, PathOf("data.txt"));  // Yes
  EXPECT_FALSE(form.Modified());
}

TEST_F(MainProjectTest, OpenRefusesMissingForeignAndDamagedFiles) {
  TMainForm& form = StartWithProject();
  MakeFile("~.Temp_0/~many~.db$", "leave-many-out");
  Save(form, PathOf("whole.kvp"));
  const std::string whole = ReadFileText(PathOf("whole.kvp"));
  MakeFile("cut.kvp", whole.substr(0, whole.size() - 5));
  MakeFile("foreign.kvp", std::string("Some other file\0tail", 20));
  form.SetModified(true);

  Open(form, PathOf("missing.kvp"));
  TestUi().Answer(IDNO);
  Open(form, PathOf("foreign.kvp"));
  Open(form, PathOf("foreign.kvp"));  // Yes
  const std::string replace = "All data will be replaced! Do you really want to continue without saving?";
  EXPECT_EQ(ShownTexts(), (std::vector<std::string>{"Cannot load file, please check your privileges.", replace, replace,
                                                    "Cannot load file, wrong project file version: Some other file"}));
  EXPECT_EQ(form.ModelList()->Count(), 1);  // refused before reading: the project is kept
  EXPECT_TRUE(form.Modified());
  EXPECT_EQ(LogText(form).find("DATA LOADED"), std::string::npos);

  Open(form, PathOf("cut.kvp"));  // damaged while reading: an empty project is left
  EXPECT_EQ(form.ModelList()->Count(), 0);
  EXPECT_FALSE(fs::exists(ValidationFile(form, "~many~")));
  EXPECT_FALSE(form.MenuFileSave->isEnabled());
  EXPECT_FALSE(form.Modified());
}

TEST_F(MainProjectTest, AReusedTemporaryFolderLosesItsLeftoversAndDiscardingResetsTheSearch) {
  MakeCompleteFolder();
  MakeFile("~.Temp_0/~rdes~.tmp");
  MakeFile("~.Temp_0/~many~.db$.tmp");  // a working copy of a killed run
  MakeFile("~.Temp_0/keep.txt");
  TestUi().Answer(IDYES);
  TMainForm& form = Start();
  EXPECT_EQ(form.TempFolder(), Folder() + "/~.Temp_0/");
  EXPECT_EQ(ListFiles(PathOf("~.Temp_0"), "*"), std::vector<std::string>{"keep.txt"});

  FillProject(form);
  ChemoData& d = form.DataSet();
  int32_t* const search[] = {&d.iEnumSize,  &d.iAllSubsetUntil, &d.iGAFirstSize, &d.iGAUntil,
                             &d.iGAPopSize, &d.iGAGenerations,  &d.iGAMutation};
  for (int32_t* setting : search) *setting = 1;
  d.iCombinations = d.iFitnessFunc = d.iNextModelID = 2;  // not part of the search's state
  const std::vector<std::string> validation = {"~yscr~", "~rdes~", "~rres~", "~many~"};
  for (const std::string& name : validation) MakeFile("~.Temp_0/" + name + ".db$");
  form.EnableViewAndSelModels(true);
  form.DiscardModels();
  EXPECT_EQ(form.ModelList()->Count(), 0);
  for (int32_t* setting : search) EXPECT_EQ(*setting, 0) << setting - &d.iEnumSize;
  EXPECT_EQ(d.iCombinations + d.iFitnessFunc + d.iNextModelID, 6);
  EXPECT_EQ(d.iObjCount, 2);
  EXPECT_FALSE(form.MenuViewAndSelModels->isEnabled());
  EXPECT_EQ(ListFiles(PathOf("~.Temp_0"), "*"), std::vector<std::string>{"keep.txt"});

  // Closing deletes the validation files again and keeps the folder of a user's file.
  for (const std::string& name : validation) MakeFile("~.Temp_0/" + name + ".db$");
  form.close();
  EXPECT_EQ(ListFiles(PathOf("~.Temp_0"), "*"), std::vector<std::string>{"keep.txt"});
  TestUi().Clear();
  Save(form, PathOf("closed.kvp"));  // no list left to save or to open into
  Open(form, PathOf("closed.kvp"));
  EXPECT_TRUE(TestUi().Shown().empty());
  EXPECT_FALSE(fs::exists(PathOf("closed.kvp")));
}

TEST_F(MainProjectTest, ViewingModelsOfAnEmptyListWarns) {
  TMainForm& form = StartWithProject();
  DataResultList* opened = form.ModelList();
  form.MenuViewAndSelModelsClick();  // one model: the list window opens, and the closer cancels it
  EXPECT_TRUE(TestUi().Shown().empty());
  // Cancel puts the copy taken at opening into the main window's field.
  EXPECT_NE(form.ModelList(), opened);
  EXPECT_EQ(form.ModelList()->Count(), 1);
  form.ModelList()->Clear();
  form.MenuViewAndSelModelsClick();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Empty models list, cannot open View Models Data dialog");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
  EXPECT_EQ(TestUi().Shown(0).flags, unsigned(MB_OK | MB_ICONWARNING));
}

#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QToolButton>

#include "app/MainFixture.h"
#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/TempFiles.h"
#include "platform/base/Files.h"

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
  m.ldpBModelCoeffPtr = Reals({0.5L, -1.25L});
  m.ldpBStdCoeffPtr = Reals({0.0L, 0.3L});
  m.ldpBIntConfPtr = Reals({1e-5L, 2e-5L});
  m.ldpBSignifPtr = Reals({0.01L, 0.02L});
  m.ldpBStdErrPtr = Reals({0.4L, 0.5L});
  m.ldpTrainYCapPtr = Reals({0.3L, 0.4L});
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

TEST_F(MainProjectTest, SaveThenOpenRestoresTheProjectAndItsValidationFiles) {
  TMainForm& form = StartWithProject();
  const std::string yscr = "\x01\x02 scrambling results";
  MakeFile("~.Temp_0/~yscr~.db$", yscr);

  Save(form, PathOf("project"));
  const std::string saved = PathOf("project.kvp");
  ASSERT_TRUE(fs::exists(saved));
  EXPECT_EQ(TestUi().FileDialogs().at(0).options.filter, "KORVANE project files (*.kvp)|*.kvp");
  EXPECT_TRUE(TestUi().Shown().empty());
  EXPECT_FALSE(form.Modified());
  std::string log = LogText(form);
  EXPECT_EQ(log.rfind("DATA SAVED: ", 0), 0u) << log;
  EXPECT_NE(log.find("\nDestination file: " + saved + "\n"), std::string::npos) << log;

  form.ClearProject();
  EXPECT_FALSE(fs::exists(ValidationFile(form, "~yscr~")));
  EXPECT_EQ(form.ModelList()->Count(), 0);

  Open(form, saved);
  EXPECT_TRUE(TestUi().Shown().empty());
  ChemoData& d = form.DataSet();
  ASSERT_EQ(d.iVarCount, 3);
  ASSERT_EQ(d.iObjCount, 2);
  EXPECT_EQ(d.tpObjNameStrPtr[1], "caffeine");
  EXPECT_TRUE(d.tpChemoValuePtr[1][0].Missing);
  EXPECT_EQ(d.tpChemoValuePtr[1][2].Value, 0.2L + 2 / 3.0L);
  ASSERT_EQ(form.ModelList()->Count(), 1);
  EXPECT_EQ(form.ModelList()->First()->sName, "logP  ");
  EXPECT_EQ(form.ModelList()->First()->ldpBModelCoeffPtr[1], -1.25L);
  EXPECT_EQ(ReadBytes(ValidationFile(form, "~yscr~")), yscr);

  EXPECT_TRUE(form.Modified());
  form.UpdateStatusBar();
  EXPECT_EQ(form.StatusPanels[3]->text(), "Modified");
  EXPECT_TRUE(form.MenuCalculateAllSubset->isEnabled());
  EXPECT_TRUE(form.SpeedButtonViewAndSelModels->isEnabled());
  log = LogText(form);
  EXPECT_NE(log.find("\nDATA LOADED: "), std::string::npos) << log;
  EXPECT_NE(log.find("\nSource file: " + saved + "\n"), std::string::npos) << log;

  // Saving what was opened writes the same file again.
  Save(form, PathOf("again.kvp"));
  EXPECT_EQ(ReadBytes(PathOf("again.kvp")), ReadBytes(saved));
}

TEST_F(MainProjectTest, ProjectFilesAreTheSameUnderACommaLocale) {
  TMainForm& form = StartWithProject();
  Save(form, PathOf("dot.kvp"));
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
  Open(form, PathOf("dot.kvp"));
  Save(form, PathOf("comma.kvp"));
  QLocale::setDefault(QLocale::c());
  EXPECT_EQ(ReadBytes(PathOf("comma.kvp")), ReadBytes(PathOf("dot.kvp")));
}

TEST_F(MainProjectTest, SaveAppendsTheExtensionUnlessPresentAndAsksBeforeOverwriting) {
  TMainForm& form = StartWithProject();
  Save(form, PathOf("upper.KVP"));
  EXPECT_TRUE(fs::exists(PathOf("upper.KVP")));
  Save(form, PathOf("data.txt"));
  EXPECT_TRUE(fs::exists(PathOf("data.txt.kvp")));
  EXPECT_TRUE(TestUi().Shown().empty());

  MakeFile("old.kvp", "old project");
  form.SetModified(true);
  TestUi().Answer(IDNO);
  Save(form, PathOf("old"));
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{PathOf("old.kvp") + " already exists. Do you want to overwrite it?"});
  EXPECT_EQ(TestUi().Shown(0).flags, unsigned(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(ReadBytes(PathOf("old.kvp")), "old project");
  EXPECT_TRUE(form.Modified());

  Save(form, PathOf("old"));  // Yes
  EXPECT_NE(ReadBytes(PathOf("old.kvp")), "old project");
  EXPECT_FALSE(form.Modified());

  const std::string before = LogText(form);
  Save(form, "");  // cancelled
  EXPECT_EQ(LogText(form), before);
}

TEST_F(MainProjectTest, FailedSaveKeepsTheOldFileAndIsNeverLoggedAsSaved) {
  TMainForm& form = StartWithProject();
  MakeFile("kept.kvp", "old project");
  fs::create_directories(PathOf("kept.kvp.saving~"));  // the temporary file cannot be made
  Save(form, PathOf("kept.kvp"));
  ASSERT_EQ(TestUi().Shown().size(), 2u);  // the overwrite question, then the failure
  EXPECT_EQ(TestUi().Shown(1).caption, "APPLICATION ERROR");
  EXPECT_EQ(ReadBytes(PathOf("kept.kvp")), "old project");
  EXPECT_TRUE(form.Modified());
  EXPECT_EQ(LogText(form).find("DATA SAVED"), std::string::npos);
}

TEST_F(MainProjectTest, OpenRefusesMissingAndForeignFilesAndKeepsTheProject) {
  TMainForm& form = StartWithProject();
  Open(form, PathOf("missing.kvp"));
  EXPECT_EQ(TestUi().FileDialogs().at(0).options.filter, "KORVANE project files (*.kvp)|*.kvp");
  EXPECT_FALSE(TestUi().FileDialogs().at(0).save);
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION ERROR");

  MakeFile("foreign.kvp", std::string("Some other file\0tail", 20));
  TestUi().Answer(IDNO);
  Open(form, PathOf("foreign.kvp"));
  Open(form, PathOf("foreign.kvp"));  // Yes
  const std::string replace = "All data will be replaced! Do you really want to continue without saving?";
  EXPECT_EQ(ShownTexts(), (std::vector<std::string>{"Cannot load file, please check your privileges.", replace, replace,
                                                    "Cannot load file, wrong project file version: Some other file"}));
  EXPECT_EQ(form.DataSet().iObjCount, 2);
  EXPECT_EQ(form.ModelList()->Count(), 1);
  EXPECT_TRUE(form.Modified());
  EXPECT_TRUE(form.MenuFileSave->isEnabled());
  EXPECT_EQ(LogText(form).find("DATA LOADED"), std::string::npos);
}

TEST_F(MainProjectTest, DamagedFileLeavesAnEmptyProjectWithoutValidationFiles) {
  TMainForm& form = StartWithProject();
  MakeFile("~.Temp_0/~many~.db$", "leave-many-out");
  Save(form, PathOf("whole.kvp"));
  std::string bytes = ReadBytes(PathOf("whole.kvp"));
  MakeFile("cut.kvp", bytes.substr(0, bytes.size() - 5));

  Open(form, PathOf("cut.kvp"));
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION ERROR");
  EXPECT_EQ(form.DataSet().iObjCount, 0);
  EXPECT_EQ(form.ModelList()->Count(), 0);
  EXPECT_FALSE(fs::exists(ValidationFile(form, "~many~")));
  EXPECT_FALSE(form.MenuFileSave->isEnabled());
  EXPECT_FALSE(form.Modified());
}

TEST_F(MainProjectTest, StartUpDeletesLeftoversOfAReusedTemporaryFolderAndDiscardingResetsTheSearch) {
  MakeCompleteFolder();
  for (const char* leftover : {"~yscr~.db$", "~rdes~.tmp", "~rres~.new", "~many~.und", "~many~.out"})
    MakeFile(std::string("~.Temp_0/") + leftover);
  MakeFile("~.Temp_0/keep.txt");
  TestUi().Answer(IDYES);
  TMainForm& form = Start();
  EXPECT_EQ(form.TempFolder(), Folder() + "/~.Temp_0/");  // Yes: reused
  EXPECT_EQ(ListFiles(PathOf("~.Temp_0"), "*"), std::vector<std::string>{"keep.txt"});

  FillProject(form);
  MakeFile("~.Temp_0/~rdes~.db$");
  form.DataSet().iGAPopSize = 30;
  form.EnableViewAndSelModels(true);
  form.DiscardModels();
  EXPECT_EQ(form.ModelList()->Count(), 0);
  EXPECT_FALSE(fs::exists(PathOf("~.Temp_0/~rdes~.db$")));
  EXPECT_EQ(form.DataSet().iEnumSize, 0);
  EXPECT_EQ(form.DataSet().iGAPopSize, 0);
  EXPECT_EQ(form.DataSet().iObjCount, 2);
  EXPECT_FALSE(form.MenuViewAndSelModels->isEnabled());
}

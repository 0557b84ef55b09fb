// The main window's two import commands.
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/MainFixture.h"
#include "prepare/IDtMain.h"

namespace {

// Presses Import instead of closing the import window when the test fixture closes it.
class ImportOnClose : public QObject {
public:
  ImportOnClose() { qApp->installEventFilter(this); }
  ~ImportOnClose() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* form = qobject_cast<TImportDataForm*>(watched);
    if (form == nullptr || event->type() != QEvent::Close) return false;
    form->ButtonImport->click();
    return true;
  }
};

TEST_F(MainFormTest, ImportOfAMissingFileNamesIt) {
  TMainForm& form = Start();
  TestUi().Clear();
  TestUi().AnswerFile(PathOf("none.txt"));
  form.MenuFileImportClick();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, PathOf("none.txt") + " - File not found");
  EXPECT_EQ(TestUi().Shown(0).caption, "Error Message");
}

TEST_F(MainFormTest, ExampleImportFillsTheProjectOrNamesTheMissingExample) {
  TMainForm& form = Start();
  TestUi().Clear();
  form.Loadexample1Click();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Cannot import example file:" + PathOf("help/example.txt"));

  std::filesystem::create_directories(PathOf("help"));
  std::filesystem::copy_file(KORVANE_ASSETS_DIR "/help/example.txt",
                             PathOf("help/example.txt"));
  TestUi().Clear();
  const ImportOnClose importer;
  form.Loadexample1Click();
  EXPECT_TRUE(TestUi().Shown().empty());
  EXPECT_EQ(form.DataSet().iObjCount, 204);
  EXPECT_EQ(form.DataSet().iVarCount, 124);
  EXPECT_TRUE(form.Modified());
  EXPECT_TRUE(form.MenuDataSetup->isEnabled());
  EXPECT_NE(form.RichEdit->toPlainText().toStdString().find("Source file: " + PathOf("help/example.txt")),
            std::string::npos);

  // An example that is there but cannot be imported is reported by the import itself.
  std::ofstream(PathOf("help/example.txt"), std::ios::binary | std::ios::trunc) << "Name\tY\r\n";
  TestUi().Clear();
  form.Loadexample1Click();
  for (const std::string& text : ShownTexts()) EXPECT_EQ(text.find("Cannot import example file:"), std::string::npos);
}

// In a main folder named beyond ASCII, a file so named imports, the import
// window's caption and the log show the names as typed, and the help commands
// find their documents.
TEST_F(MainFormTest, NamesBeyondAsciiImportAndShowAsTyped) {
  const std::string folder = PathOf("prüfung_ж");
  std::filesystem::create_directories(folder + "/help");
  std::ofstream(folder + "/help/Manual_v21.pdf") << "%PDF-";
  std::filesystem::current_path(folder);
  TMainForm& form = Start();
  const std::string file = folder + "/données.txt";
  std::filesystem::copy_file(KORVANE_ASSETS_DIR "/help/example.txt", file);
  TestUi().Clear();
  TestUi().AnswerFile(file);
  QString caption;
  handleModal_ = [&](QWidget& modal) {
    auto* import = qobject_cast<TImportDataForm*>(&modal);
    if (import == nullptr) return false;
    caption = import->windowTitle();
    import->ButtonImport->click();
    return true;
  };
  form.MenuFileImportClick();
  EXPECT_EQ(caption, QString::fromUtf8(("Import data - " + file).c_str()));
  EXPECT_EQ(form.DataSet().iObjCount, 204);
  EXPECT_TRUE(form.RichEdit->toPlainText().contains(QString::fromUtf8(("Source file: " + file).c_str())));

  form.GeneralHelp1->trigger();
  EXPECT_EQ(TestUi().documents, std::vector<std::string>{folder + "/help/Manual_v21.pdf"});
  EXPECT_TRUE(TestUi().Shown().empty());
}

}  // namespace

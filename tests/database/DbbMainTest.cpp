#include "database/DbbMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "database/CHdMain.h"
#include "database/SampleDatabase.h"
#include "support/FakeProjectHost.h"
#include "support/ScriptedUi.h"
#include "support/TestFolder.h"
#include "support/UserInput.h"

namespace {

// The main window with a database folder and a main folder of the test's own.
class DatabaseHost : public FakeProjectHost {
public:
  DatabaseHost(std::string folder, std::vector<std::string> files, std::string main, char separator = '.')
      : FakeProjectHost(separator), folder_(std::move(folder)), files_(std::move(files)), main_(std::move(main)) {}
  const std::string& GetDatabaseFolder() const override { return folder_; }
  const std::vector<std::string>& GetDatabaseFiles() const override { return files_; }
  const std::string& MainFolder() const override { return main_; }

private:
  std::string folder_;
  std::vector<std::string> files_;
  std::string main_;
};

class DatabaseFormTest : public testing::Test {
protected:
  void Open(const std::string& folder, const std::vector<std::string>& files, char separator = '.') {
    form.reset();
    host.reset();  // the old host clears MainForm when it goes
    host = std::make_unique<DatabaseHost>(folder, files, main.Dir().substr(0, main.Dir().size() - 1), separator);
    form = std::make_unique<TDatabaseForm>(nullptr);
    form->resize(1180, 760);
    form->LoadDatabase();
  }
  void OpenSample() { Open(SampleFolder(), SampleFiles()); }
  void QueryCas(const char* a, const char* b = "", const char* c = "") {
    form->EditCAS_00->setText(a);
    form->EditCAS_01->setText(b);
    form->EditCAS_02->setText(c);
    form->ButtonQueryClick();
  }
  std::string Cell(int col, int row) const { return form->StringGrid->Cells(col, row); }

  TestFolder main;
  std::unique_ptr<DatabaseHost> host;
  std::unique_ptr<TDatabaseForm> form;
};

// A database of two sets A and B sharing one molecule, with structure files.
void WriteTwoSets(const TestFolder& folder) {
  std::ofstream(folder.Path("A.csv"), std::ios::binary)
      << "ID;Name;CAS;SMILES;A;ref A\r\na1;Methane;000074-82-8;C;-161.5;\r\na2;Water;007732-18-5;O;100;\r\n";
  std::ofstream(folder.Path("B.csv"), std::ios::binary) << "ID;Name;CAS;SMILES;B;ref B\r\nb1;Methane;000074-82-8;C;-182.5;\r\n";
  const char* atom = "mol 1\r\natom 1 - C ** - 0 0 0 0 0\r\nendmol 1\r\n";
  for (const char* set : {"A", "B"}) {
    std::filesystem::create_directories(folder.Path(std::string(set) + "/hin"));
    std::filesystem::create_directories(folder.Path(std::string(set) + "/mol"));
    std::ofstream(folder.Path(std::string(set) + "/hin/000074-82-8.hin"), std::ios::binary) << atom;
    std::ofstream(folder.Path(std::string(set) + "/mol/000074-82-8.mol"), std::ios::binary) << "mol";
  }
  std::ofstream(folder.Path("A/hin/007732-18-5.hin"), std::ios::binary) << atom;
}

}  // namespace

TEST_F(DatabaseFormTest, LoadsTheDataSetsAndStartsWithoutResults) {
  OpenSample();
  EXPECT_EQ(form->windowTitle(), "Database: 56 molecules - 103 data");
  ASSERT_EQ(form->ComboBoxDataset->count(), 2);
  EXPECT_EQ(form->ComboBoxDataset->itemText(1), "MeltingPoint");
  EXPECT_FALSE(form->CheckBoxDataset->isChecked());
  EXPECT_FALSE(form->ComboBoxDataset->isEnabled());
  EXPECT_EQ(form->ComboBoxElemColor->count(), 119);
  EXPECT_EQ(form->StringGrid->ColCount(), 7);
  EXPECT_EQ(form->StringGrid->ColWidth(1), -1);
  EXPECT_TRUE(form->StringGrid->isHidden());
  EXPECT_FALSE(form->SpeedButtonCopy->isEnabled());
  EXPECT_TRUE(form->EditCAS_00->isEnabled());
  EXPECT_FALSE(form->EditSMILES->isEnabled());
  EXPECT_EQ(form->EditCAS_00->maxLength(), 6);
}

TEST_F(DatabaseFormTest, CasQueryShowsTheMoleculeAndHidesEmptyDataSets) {
  OpenSample();
  QueryCas("58", "08", "2");
  EXPECT_TRUE(TestUi().Shown().empty());
  ASSERT_EQ(form->StringGrid->RowCount(), 2);
  EXPECT_EQ(Cell(3, 1), "000058-08-2");
  EXPECT_EQ(form->StringGrid->ColWidth(5), -1);  // caffeine has no boiling point
  EXPECT_EQ(form->StringGrid->ColWidth(6), 64);
  EXPECT_EQ(form->StaticTextFound->text(), "Found: 1");
  EXPECT_EQ(form->Atoms().size(), 24u);
  EXPECT_EQ(form->SelectedRow(), 1);
  EXPECT_FALSE(form->StringGrid->isHidden());
  EXPECT_FALSE(form->PanelRad->isEnabled());  // "Show atomic radius" is off

  QueryCas("99", "99", "9");
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Sorry, no molecules found.");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
  EXPECT_TRUE(form->StringGrid->isHidden());
}

// A drag on the molecule picture: press, the moves with the button held, release.
void Drag(QWidget* image, Qt::KeyboardModifiers keys, std::initializer_list<QPoint> path) {
  auto send = [image, keys](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), image->mapToGlobal(QPointF(at)), Qt::LeftButton, held, keys);
    QApplication::sendEvent(image, &event);
  };
  send(QEvent::MouseButtonPress, *path.begin(), Qt::LeftButton);
  for (QPoint at : path) send(QEvent::MouseMove, at, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, *(path.end() - 1), Qt::NoButton);
}

TEST_F(DatabaseFormTest, EveryDragStartsWhereItsButtonGoesDown) {
  OpenSample();
  QueryCas("58", "08", "2");
  Drag(form->Image, Qt::NoModifier, {{50, 50}, {70, 50}});
  EXPECT_EQ(form->View().b, 10);
  // The next drag starts far away, with no move between the two.
  Drag(form->Image, Qt::NoModifier, {{150, 150}, {151, 150}, {155, 152}});
  EXPECT_EQ(form->View().a, 1);
  EXPECT_EQ(form->View().b, 12);
  Drag(form->Image, Qt::ShiftModifier, {{10, 10}, {15, 12}});
  Drag(form->Image, Qt::ShiftModifier, {{200, 200}, {201, 200}});
  EXPECT_EQ(form->View().panX, 6);
  EXPECT_EQ(form->View().panY, 2);
  Drag(form->Image, Qt::ControlModifier, {{0, 300}, {0, 340}});
  Drag(form->Image, Qt::ControlModifier, {{0, 0}, {0, 40}});
  EXPECT_NEAR(static_cast<double>(form->View().zoom), 3.0, 1e-12);
}

TEST_F(DatabaseFormTest, EmptyInputFallsBackToCasAndReruns) {
  OpenSample();
  form->RadioButtonChem->setChecked(true);
  EXPECT_TRUE(form->EditChem->isEnabled());
  form->ButtonQueryClick();
  EXPECT_TRUE(form->RadioButtonCAS->isChecked());
  EXPECT_EQ(form->StringGrid->RowCount(), 57);
  form->CheckBoxSepar->setChecked(true);  // runs the query again
  EXPECT_EQ(form->StringGrid->RowCount(), 104);
  form->ComboBoxDataset->setCurrentIndex(1);
  form->CheckBoxDataset->setChecked(true);
  EXPECT_TRUE(form->ComboBoxDataset->isEnabled());
  EXPECT_EQ(form->StringGrid->RowCount(), 55);
  EXPECT_EQ(form->StringGrid->ColWidth(1), 64);
}

TEST_F(DatabaseFormTest, RowOneIsReadFromItsOwnDataSetAfterAQuery) {
  OpenSample();
  QueryCas("");
  form->StringGrid->SetSelection({6, 20, 6, 20});  // a melting-point cell
  form->RadioButtonBruteForm->setChecked(true);
  form->EditBruteF->setText("CH2O");  // formaldehyde: a boiling point only
  form->ButtonQueryClick();
  EXPECT_TRUE(TestUi().Shown().empty());
  EXPECT_EQ(form->Atoms().size(), 4u);
  EXPECT_EQ(form->View().a, 0);
}

TEST_F(DatabaseFormTest, ArrowsAndClicksLoadTheNewRowButHomeAndEndDoNot) {
  OpenSample();
  QueryCas("");
  form->StringGrid->SetSelection({2, 3, 2, 3});
  QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
  QApplication::sendEvent(form->StringGrid, &home);
  EXPECT_FALSE(form->RowChanged());
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QApplication::sendEvent(form->StringGrid, &down);
  EXPECT_TRUE(form->RowChanged());
  QApplication::processEvents();
  EXPECT_FALSE(form->RowChanged());
  int row = form->SelectedRow();
  EXPECT_GT(row, 1);
  EXPECT_EQ(form->StringGrid->Cells(3, row), form->StringGrid->Cells(3, form->StringGrid->Selection().Top));
  EXPECT_FALSE(form->Atoms().empty());
}

TEST_F(DatabaseFormTest, SavesAndCopiesTheTableWithReferences) {
  const TestFolder& db = main;
  WriteTwoSets(db);
  Open(db.Dir(), {"A.csv", "B.csv"}, ',');
  QueryCas("");
  ASSERT_EQ(form->StringGrid->RowCount(), 3);
  TestUi().AnswerFile(main.Path("table"));
  form->SpeedButtonSaveClick();
  EXPECT_EQ(ReadFileText(main.Path("table.txt")),
            "No.\tName\tCAS\tSMILES\tA\tB\t\r\n\t\t\t\tref A\tref B\t\r\n"
            "1\tMethane\t000074-82-8\tC\t-161,5\t-182,5\t\r\n2\tWater\t007732-18-5\tO\t100\t\t\r\n");

  TestUi().AnswerFile(main.Path("table.txt"));
  TestUi().Answer(IDNO);
  form->SpeedButtonSaveClick();
  EXPECT_EQ(TestUi().Shown(0).text, "File already esists! Do you want to overwrite?");

  form->StringGrid->SetSelection({2, 1, 5, 2});
  form->PopupCopyClick();
  EXPECT_EQ(TestUi().clipboard, "Name\tCAS\tSMILES\tA\t\r\nMethane\t000074-82-8\tC\t-161,5\r\nWater\t007732-18-5\tO\t100");

  form->StringGrid->SetSelection({5, 1, 5, 1});
  form->PopupMenuPopup();
  EXPECT_TRUE(form->PopupShowreference->isEnabled());
  form->PopupShowreferenceClick();
  EXPECT_EQ(TestUi().Shown().back().text, "ref A");
  EXPECT_EQ(TestUi().Shown().back().caption, "RESPONSE REFERENCE");
}

TEST_F(DatabaseFormTest, ExportsStructureFilesAndReportsMissingOnes) {
  const TestFolder& db = main;
  WriteTwoSets(db);
  Open(db.Dir(), {"A.csv", "B.csv"});
  QueryCas("");
  std::vector<std::string> paths;
  form->RunChooseDir = [&](const std::vector<std::string>& p) { paths = p; };
  form->StringGrid->SetSelection({6, 1, 6, 2});  // column B chosen: row 2 has no B value
  form->PopupExportselectedClick();
  EXPECT_EQ(paths, (std::vector<std::string>{db.Path("B/hin/000074-82-8.hin"), db.Path("A/hin/007732-18-5.hin")}));

  const std::string out = db.Path("out");
  std::filesystem::create_directories(out);
  CopyStructureFiles(paths, StructureKind::Hin, out);
  EXPECT_TRUE(std::filesystem::exists(out + "/007732-18-5.hin"));
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION INFO");
  EXPECT_EQ(TestUi().Shown(0).text, "Exported 2 files in the folder " + out);
  CopyStructureFiles(paths, StructureKind::Mol, out);
  EXPECT_EQ(TestUi().Shown(1).caption, "APPLICATION WARNING");
  EXPECT_EQ(TestUi().Shown(1).text, "Exported 1 files in the folder " + out +
                                        "\n\nFile / path not found, or permissions not granted:\n(source) " +
                                        db.Path("A/mol/007732-18-5.mol") + "\n(destination) " + out + "\n\n");
  EXPECT_EQ(ReadFileText(out + "/000074-82-8.mol"), "mol");
  EXPECT_EQ(MolPathOf("/db/Set/hin/50-00-0.hin"), "/db/Set/mol/50-00-0.mol");
  EXPECT_EQ(MolPathOf("x.hin"), "x.hin");
}

// A data set's file name shows as the file system spells it; in a main folder
// named beyond ASCII the folder chooser starts there and exports into it.
TEST_F(DatabaseFormTest, NamesBeyondAsciiShowAsSpelledAndTheChooserStartsInTheMainFolder) {
  WriteTwoSets(main);
  std::filesystem::copy_file(main.Path("B.csv"), main.Path("données.csv"));
  Open(main.Dir(), {"A.csv", "données.csv"});
  EXPECT_GE(form->ComboBoxDataset->findText(QString::fromUtf8("données")), 0);

  const std::string folder = main.Path("prüfung_ж");
  std::filesystem::create_directories(folder);
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  TChooseDirForm choose(nullptr, {main.Path("B/hin/000074-82-8.hin")});
  std::filesystem::current_path(main.Dir());  // the chooser's folder, not the current one, takes the files
  choose.ButtonExportMOLClick();
  std::filesystem::current_path(previous);
  EXPECT_EQ(ReadFileText(folder + "/000074-82-8.mol"), "mol");
}

TEST_F(DatabaseFormTest, ElementColoursChangeSaveAndReset) {
  OpenSample();
  QueryCas("98", "95", "3");  // nitrobenzene
  ASSERT_FALSE(form->Atoms().empty());
  form->ComboBoxElemColorChange(1);  // H
  EXPECT_EQ(TestUi().Shown(0).text, "Sorry, the color of H cannot be changed.");
  EXPECT_EQ(form->ComboBoxElemColor->currentIndex(), 0);
  TestUi().AnswerColor(0x123456);
  form->ComboBoxElemColorChange(7);  // N
  auto nitrogen = std::find_if(form->Atoms().begin(), form->Atoms().end(), [](const ElemCoord& a) { return a.element == "N"; });
  ASSERT_NE(nitrogen, form->Atoms().end());
  EXPECT_EQ(nitrogen->colour, 0x123456u);
  form->SpeedButtonSaveColMapClick();
  EXPECT_EQ(TestUi().Shown(1).text, "Current color map saved as default.");
  EXPECT_EQ(ReadFileText(main.Path("~colmap.cfg")).size(), 472u);
  form->SpeedButtonResColMapClick();
  EXPECT_EQ(form->Colours().ColorOfSymbol("N"), 0xFF0000u);
  OpenSample();
  EXPECT_EQ(form->Colours().ColorOfSymbol("N"), 0x123456u);
}

TEST_F(DatabaseFormTest, ColourCheckBoxesAndImageSaves) {
  OpenSample();
  QueryCas("58", "08", "2");
  form->CheckBoxInvBack->setChecked(true);
  form->CheckBoxColor->setChecked(false);
  EXPECT_FALSE(form->CheckBoxInvBack->isChecked());
  EXPECT_FALSE(form->ComboBoxElemColor->isEnabled());
  form->CheckBoxHideAll->setChecked(true);
  EXPECT_FALSE(form->CheckBoxShowCH->isEnabled());
  form->SaveImage(main.Path("mol"), 2);
  EXPECT_EQ(ReadFileText(main.Path("mol.bmp")).substr(0, 2), "BM");
  form->SaveImage(main.Path("mol.JPG"), 1);
  EXPECT_EQ(ReadFileText(main.Path("mol.JPG")).substr(0, 2), "\xFF\xD8");
  form->SaveImage(main.Path("missing/mol"), 1);
  EXPECT_EQ(TestUi().Shown().back().text, "Cannot save image");
}

TEST_F(DatabaseFormTest, ColumnColoursWinOverRowColours) {
  OpenSample();
  QueryCas("");
  auto fill = [&](int col, int row, bool selected = false) {
    CellLook look{clWhite, clBlack, selected, false};
    form->StringGridDrawCell(col, row, look);
    return look.fill;
  };
  form->StringGrid->SetSelection({2, 3, 3, 4});
  TestUi().AnswerColor(0x00FF00);
  form->Changerowcolor1Click();
  form->StringGrid->SetSelection({3, 1, 3, 1});
  TestUi().AnswerColor(0x0000FF);
  form->Changecolumncolor1Click();
  EXPECT_EQ(fill(2, 3), 0x00FF00u);
  EXPECT_EQ(fill(3, 3), 0x0000FFu);
  EXPECT_EQ(fill(3, 7), 0x0000FFu);
  EXPECT_EQ(fill(2, 5), clWhite);
  EXPECT_EQ(fill(2, 3, true), clWhite);  // selected cells keep the table's own look
  EXPECT_EQ(fill(0, 3), clWhite);        // the fixed column too
  form->Resetcolumncolor1Click();
  EXPECT_EQ(fill(3, 3), 0x00FF00u);
  form->StringGrid->SetSelection({2, 2, 2, 4});
  form->Resetrowcolor1Click();
  EXPECT_EQ(fill(2, 3), clWhite);
}

// Molecules with absurd numbers, driven through the window's edits and boxes:
// one too large to draw is refused, one of atoms 1e-20 apart is drawn in every
// sphere style, and a formula whose counts wrap round in 32 bits finds nothing.
TEST_F(DatabaseFormTest, AbsurdMoleculesAndFormulasAreRefusedOrDrawnWithinTheScreen) {
  std::ofstream(main.Path("A.csv"), std::ios::binary)
      << "ID;Name;CAS;SMILES;A;ref\r\na1;Far;000001-11-1;CC;1;\r\na2;Tiny;000002-22-2;C=O;2;\r\n";
  std::filesystem::create_directories(main.Path("A/hin"));
  std::ofstream(main.Path("A/hin/000001-11-1.hin"), std::ios::binary)
      << "mol 1\r\natom 1 - C ** - 0 1e3000 0 0 1 2 s\r\natom 2 - C ** - 0 0 0 0 1 1 s\r\nendmol 1\r\n";
  std::ofstream(main.Path("A/hin/000002-22-2.hin"), std::ios::binary)
      << "mol 1\r\natom 1 - C ** - 0 0 0 0 1 2 d\r\natom 2 - O ** - 0 1e-20 0 0 1 1 d\r\nendmol 1\r\n";
  Open(main.Dir(), {"A.csv"});
  ShowActive(*form);

  TypeAndEnter(form->EditCAS_00, "000001");
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_TRUE(IsMessage(TestUi().Shown(0), "Cannot interpret molecule data.", "APPLICATION ERROR", MB_ICONERROR));
  EXPECT_TRUE(form->Atoms().empty());

  QTest::mouseClick(form->CheckBoxRad, Qt::LeftButton);
  ASSERT_TRUE(form->CheckBoxRad->isChecked());
  form->EditCAS_00->clear();
  TypeAndEnter(form->EditCAS_00, "000002");
  EXPECT_EQ(form->Atoms().size(), 2u);
  // The carbon's half of the bond shows between the meshes, which lie beyond
  // the picture, but not through the plain circles, which cover all of it.
  auto greyPixels = [&] {
    const QImage& picture = form->Image->Picture();
    int grey = 0;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x) grey += picture.pixel(x, y) == qRgb(0xAF, 0xAF, 0xAF) ? 1 : 0;
    return grey;
  };
  for (QRadioButton* style : {form->RadioButton3Ddots, form->RadioButton3Dlines, form->RadioButtonPlain}) {
    QTest::mouseClick(style, Qt::LeftButton, {}, QPoint(6, style->height() / 2));  // on the button's circle
    ASSERT_TRUE(style->isChecked());
    EXPECT_EQ(greyPixels() > 50, style != form->RadioButtonPlain) << StdStr(style->text());
  }
  EXPECT_EQ(TestUi().Shown().size(), 1u);

  QTest::mouseClick(form->RadioButtonBruteForm, Qt::LeftButton);
  TypeAndEnter(form->EditBruteF, "C999999999C999999999C999999999C999999999C294967300C1O");
  ASSERT_EQ(TestUi().Shown().size(), 2u);
  EXPECT_TRUE(IsMessage(TestUi().Shown(1), "Sorry, no molecules found.", "APPLICATION WARNING", MB_ICONWARNING));
  form->EditBruteF->clear();
  TypeAndEnter(form->EditBruteF, "CO");
  EXPECT_EQ(TestUi().Shown().size(), 2u);
  EXPECT_EQ(Cell(2, 1), "Tiny");
}

// With KORVANE_PNG_DIR set, writes pictures of the window for a person to look at.
TEST_F(DatabaseFormTest, GrabsPicturesWhenAsked) {
  const char* dir = std::getenv("KORVANE_PNG_DIR");
  if (dir == nullptr) GTEST_SKIP();
  OpenSample();
  form->show();
  QueryCas("58", "08", "2");
  auto grab = [&](const char* name) {
    QApplication::processEvents();
    form->DrawMolecule();
    form->grab().save(QString(dir) + "/" + name);
  };
  grab("database-caffeine.png");
  form->CheckBoxRad->setChecked(true);
  grab("database-caffeine-plain.png");
  form->RadioButton3Ddots->setChecked(true);
  grab("database-caffeine-dots.png");
  form->RadioButton3Dlines->setChecked(true);
  grab("database-caffeine-lines.png");
  form->CheckBoxRad->setChecked(false);
  form->CheckBoxInvBack->setChecked(true);
  grab("database-caffeine-inverted.png");
  form->CheckBoxColor->setChecked(false);
  grab("database-caffeine-no-colour.png");
  TChooseDirForm choose(nullptr, {});
  choose.show();
  QApplication::processEvents();
  choose.grab().save(QString(dir) + "/choose-directory.png");
}

#include "validate/QmrfDocuments.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/ScriptedUi.h"
#include "support/TestFolder.h"

namespace {

namespace fs = std::filesystem;

struct QmrfExport : ::testing::Test {
  QmrfExport() {
    TestUi().Reset();
    fs::create_directories(folder.Path("models"));
    fs::create_directories(folder.Path("out"));
    std::ofstream(pdf, std::ios::binary) << std::string("%PDF-1.4\0qmrf", 13);
    std::ofstream(sdf, std::ios::binary) << "mol\r\n$$$$\r\n";
  }
  TestFolder folder;
  const std::string pdf = folder.Path("models/model.pdf");
  const std::string sdf = folder.Path("models/model.sdf");
  FileDialogOptions dialog;
};

TEST(QmrfPaths, ThePdfReplacesTheLastThreeCharactersAndTheSdfTheLastFour) {
  EXPECT_EQ(QmrfPdfPathOf("/m/PBT Index.smd"), "/m/PBT Index.pdf");
  EXPECT_EQ(QmrfPdfPathOf(""), "pdf");
  EXPECT_EQ(QmrfPdfPathOf("ab"), "pdf");
  EXPECT_EQ(SdfPathOf("/m/PBT Index.pdf"), "/m/PBT Index.sdf");
  EXPECT_EQ(SdfPathOf("pdf"), ".sdf");
}

TEST_F(QmrfExport, BothDocumentsAreCopiedTheSdfProposedBesideThePdfCopy) {
  TestUi().AnswerFile(folder.Path("out/qmrf.pdf"));
  TestUi().AnswerFile(folder.Path("out/structures.sdf"));
  ExportQmrfAndSdf(pdf, dialog);
  ASSERT_EQ(TestUi().FileDialogs().size(), 2u);
  const FileDialogOptions& first = TestUi().FileDialogs()[0].options;
  const FileDialogOptions& second = TestUi().FileDialogs()[1].options;
  EXPECT_TRUE(TestUi().FileDialogs()[0].save);
  EXPECT_EQ(first.title, "Save QMRF file");
  EXPECT_EQ(first.filter, "PDF file (*.pdf)|*.pdf");
  EXPECT_EQ(first.fileName, pdf);
  EXPECT_EQ(first.defaultExt, "pdf");
  EXPECT_EQ(second.defaultExt, "sdf");
  EXPECT_EQ(second.title, "Save SDF file");
  EXPECT_EQ(second.filter, "SDF file (*.sdf)|*.sdf");
  EXPECT_EQ(second.fileName, folder.Path("out/model.sdf"));
  EXPECT_EQ(ReadFileText(folder.Path("out/qmrf.pdf")), ReadFileText(pdf));
  EXPECT_EQ(ReadFileText(folder.Path("out/structures.sdf")), ReadFileText(sdf));
  EXPECT_TRUE(TestUi().Shown().empty());
}

TEST_F(QmrfExport, TheWindowsDialogKeepsTheTitleFilterAndNameTheExportLeft) {
  FileDialogOptions dialog;
  dialog.filter = "Text file (*.txt)|*.txt|Single model (*.smd)|*smd";
  dialog.filterIndex = 2;
  dialog.fileName = folder.Path("out/report.txt");
  TestUi().AnswerFile(folder.Path("out/qmrf.pdf"));
  TestUi().AnswerFile(folder.Path("out/structures.sdf"));
  ExportQmrfAndSdf(pdf, dialog);
  EXPECT_EQ(TestUi().FileDialogs().at(0).options.filterIndex, 1);  // the only filter
  EXPECT_EQ(dialog.title, "Save SDF file");
  EXPECT_EQ(dialog.filter, "SDF file (*.sdf)|*.sdf");
  EXPECT_EQ(dialog.fileName, folder.Path("out/structures.sdf"));

  // Both dialogs cancelled: the name stays the proposal of the second.
  TestUi().Clear();
  ExportQmrfAndSdf(pdf, dialog);
  EXPECT_EQ(dialog.title, "Save SDF file");
  EXPECT_EQ(dialog.fileName, sdf);
  EXPECT_EQ(TestUi().FileDialogs().at(0).options.fileName, pdf);
}

TEST_F(QmrfExport, ACancelledPdfProposesTheSdfBesideTheModelAndTheSourceItselfIsLeftAlone) {
  const std::string before = ReadFileText(sdf);
  TestUi().AnswerFile("");
  TestUi().AnswerFile(sdf);
  ExportQmrfAndSdf(pdf, dialog);
  EXPECT_EQ(TestUi().FileDialogs().at(1).options.fileName, sdf);
  EXPECT_EQ(ReadFileText(sdf), before);

  const std::string pdfBefore = ReadFileText(pdf);
  TestUi().Clear();
  TestUi().AnswerFile(folder.Path("models/../models/model.pdf"));  // the source by another path
  ExportQmrfAndSdf(pdf, dialog);
  EXPECT_EQ(ReadFileText(pdf), pdfBefore);
  EXPECT_TRUE(TestUi().Shown().empty());
}

TEST_F(QmrfExport, AnExistingTargetIsReplacedOnlyAfterYesAndAFailedCopyIsNamed) {
  const std::string target = folder.Path("out/qmrf.pdf");
  std::ofstream(target, std::ios::binary) << "old";
  TestUi().AnswerFile(target);
  TestUi().Answer(IDNO);
  ExportQmrfAndSdf(pdf, dialog);
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, target + " already exists. Do you want to overwrite it?");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
  EXPECT_EQ(TestUi().Shown(0).flags, static_cast<unsigned>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(ReadFileText(target), "old");

  TestUi().Clear();
  TestUi().AnswerFile(target);
  TestUi().Answer(IDYES);
  TestUi().AnswerFile(folder.Path("missing/model.sdf"));
  ExportQmrfAndSdf(pdf, dialog);
  EXPECT_EQ(ReadFileText(target), ReadFileText(pdf));
  ASSERT_EQ(TestUi().Shown().size(), 2u);
  EXPECT_EQ(TestUi().Shown(1).text, "Cannot copy " + sdf + " to " + folder.Path("missing/model.sdf"));
  EXPECT_EQ(TestUi().Shown(1).Icon(), MB_ICONWARNING);
}

TEST_F(QmrfExport, DocumentsOpenThroughTheServicesAndAFailureNamesTheFile) {
  OpenDocument(pdf);
  EXPECT_EQ(TestUi().documents, std::vector<std::string>{pdf});
  EXPECT_TRUE(TestUi().Shown().empty());

  OpenDocument(folder.Path("models/none.pdf"));  // missing: the viewer is not asked
  TestUi().documentViewerFails = true;
  OpenDocument(pdf);
  EXPECT_EQ(TestUi().documents.size(), 2u);
  ASSERT_EQ(TestUi().Shown().size(), 2u);
  EXPECT_EQ(TestUi().Shown(0).text, "Cannot open the document " + folder.Path("models/none.pdf"));
  EXPECT_EQ(TestUi().Shown(1).text, "Cannot open the document " + pdf);
  EXPECT_EQ(TestUi().Shown(1).caption, "APPLICATION WARNING");
}

}  // namespace

// The help documents: the build makes them, the Help commands open them.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QToolButton>
#include <filesystem>
#include <string>

#include "HelpPdf.h"
#include "app/Main.h"
#include "MainFixture.h"

namespace fs = std::filesystem;

namespace {

const char* const kDocuments[] = {"Manual_v21.pdf", "GeneralInfo_v21.pdf"};

// The pages of a PDF: its page objects, not the page tree ("/Type /Pages").
int PageCount(const std::string& pdf) {
  int pages = 0;
  for (std::size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
    pages += pdf.compare(at, 12, "/Type /Pages") != 0;
  return pages;
}

TEST(HelpDocumentsTest, TheBuildMadeBothDocumentsEachOfSeveralPages) {
  for (const char* name : kDocuments) {
    const std::string pdf = ReadFileText(std::string(KORVANE_HELP_DIR) + "/" + name);
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-") << name;
    EXPECT_GT(PageCount(pdf), 1) << name;
  }
}

// A picture in a paragraph of its own is captioned under it; one within a
// sentence is not. Pictures wider or taller than a page's text shrink to fit.
TEST(HelpDocumentsTest, PicturesStandingAloneAreCaptionedAndPicturesShrinkToThePage) {
  TestFolder folder;
  fs::create_directories(folder.Path("images"));
  QImage wide(1200, 300, QImage::Format_RGB32);
  wide.fill(Qt::red);
  ASSERT_TRUE(wide.save(QString::fromStdString(folder.Path("images/wide.png"))));
  QImage small(40, 20, QImage::Format_RGB32);
  small.fill(Qt::green);
  ASSERT_TRUE(small.save(QString::fromStdString(folder.Path("images/small.png"))));
  std::ofstream(folder.Path("doc.md")) << "# Title\n\n![Figure 1. Wide](images/wide.png)\n\n"
                                          "See ![icon](images/small.png) here.\n\n![Figure 2. Small](images/small.png)\n";
  QTextDocument doc;
  LoadHelpDocument(QString::fromStdString(folder.Path("doc.md")), doc);
  const std::string picture = QString(QChar::ObjectReplacementCharacter).toStdString();
  EXPECT_EQ(doc.toPlainText().toStdString(),
            "Title\n" + picture + "\nFigure 1. Wide\nSee " + picture + " here.\n" + picture + "\nFigure 2. Small");
  EXPECT_EQ(doc.blockCount(), 4);  // a caption stays in its picture's paragraph, on a line of its own
  std::vector<QSizeF> sizes;
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
    for (auto it = block.begin(); !it.atEnd(); ++it)
      if (it.fragment().charFormat().isImageFormat()) {
        const QTextImageFormat format = it.fragment().charFormat().toImageFormat();
        sizes.emplace_back(format.width(), format.height());
      }
  EXPECT_EQ(sizes, (std::vector<QSizeF>{{600, 150}, {40, 20}, {40, 20}}));
}

TEST(HelpDocumentsTest, PicturesComeFromTheDocumentsFolderAndAMissingOneIsAnError) {
  TestFolder folder;
  fs::create_directories(folder.Path("images"));
  QImage picture(900, 1400, QImage::Format_RGB32);  // wider and taller than a page's text column
  picture.fill(Qt::blue);
  ASSERT_TRUE(picture.save(QString::fromStdString(folder.Path("images/one.png"))));
  std::ofstream(folder.Path("doc.md")) << "# Title\n\nText.\n\n![One](images/one.png)\n\n![One again](images/one.png)\n";
  const QString pdf = QString::fromStdString(folder.Path("doc.pdf"));
  WriteHelpPdf(QString::fromStdString(folder.Path("doc.md")), pdf);
  // Shrunk to fit a page, the first picture shares the first page with the title.
  EXPECT_EQ(PageCount(ReadFileText(folder.Path("doc.pdf"))), 2);

  std::ofstream(folder.Path("doc.md")) << "![Two](images/two.png)\n\n![One](images/one.png)\n";
  try {
    WriteHelpPdf(QString::fromStdString(folder.Path("doc.md")), pdf);
    ADD_FAILURE() << "no error";
  } catch (const HelpPdfError& e) {
    EXPECT_STREQ(e.what(), "missing pictures: images/two.png");
  }
}

// "KORVANE manual" (menu item and speed button) and "General information" hand
// the viewer the documents of the main folder's help/.
TEST_F(MainFormTest, HelpCommandsOpenTheDocumentsOfTheHelpFolder) {
  fs::create_directories(PathOf("help"));
  for (const char* name : kDocuments) fs::copy_file(std::string(KORVANE_HELP_DIR) + "/" + name, PathOf("help/") + name);
  TMainForm& form = StartInCompleteFolder();
  form.GeneralHelp1->trigger();
  form.SpeedButtonHelp->click();
  form.Moreinfo1->trigger();
  const std::string manual = Folder() + "/help/Manual_v21.pdf";
  EXPECT_EQ(TestUi().documents, (std::vector<std::string>{manual, manual, Folder() + "/help/GeneralInfo_v21.pdf"}));
  for (const std::string& document : TestUi().documents) EXPECT_TRUE(fs::is_regular_file(document)) << document;
  EXPECT_TRUE(TestUi().Shown().empty());
}

}  // namespace

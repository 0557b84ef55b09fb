#include "HelpPdf.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPdfWriter>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QTextTable>
#include <algorithm>
#include <vector>

namespace {

// The largest picture on the page, in the document's 96-dpi pixels: the text
// column of A4 within the printed margins, and most of a page's height.
constexpr double kMaxPictureWidth = 600;
constexpr double kMaxPictureHeight = 820;

QString ReadText(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw HelpPdfError("cannot read " + path.toStdString());
  return QString::fromUtf8(file.readAll());
}

struct Picture {
  int position;  // of its character in the document
  QTextImageFormat format;
};

std::vector<Picture> Pictures(const QTextDocument& doc) {
  std::vector<Picture> pictures;
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
    for (auto it = block.begin(); !it.atEnd(); ++it)
      if (it.fragment().charFormat().isImageFormat())
        pictures.push_back({it.fragment().position(), it.fragment().charFormat().toImageFormat()});
  return pictures;
}

// Puts the caption of a picture that stands in a paragraph of its own under it,
// both centred. The cursor holds the picture.
void AddCaption(QTextCursor& cursor, const QString& caption) {
  QTextBlockFormat centred = cursor.blockFormat();
  centred.setAlignment(Qt::AlignHCenter);
  cursor.setBlockFormat(centred);
  if (caption.isEmpty()) return;
  cursor.clearSelection();
  cursor.movePosition(QTextCursor::EndOfBlock);
  QTextCharFormat italic;
  italic.setFontItalic(true);
  cursor.insertText(QString(QChar::LineSeparator) + caption, italic);
}

// Loads each picture into the document at a size that fits the page, with its
// caption; the pictures that cannot be read are named in the error.
void LoadPictures(QTextDocument& doc, const QDir& folder) {
  QStringList missing;
  std::vector<Picture> pictures = Pictures(doc);
  // From the last, so that a caption added does not move the pictures still to do.
  for (auto it = pictures.rbegin(); it != pictures.rend(); ++it) {
    Picture& picture = *it;
    const QImage image(folder.filePath(picture.format.name()));
    if (image.isNull()) {
      missing.prepend(picture.format.name());
      continue;
    }
    doc.addResource(QTextDocument::ImageResource, QUrl(picture.format.name()), image);
    const double scale = std::min({1.0, kMaxPictureWidth / image.width(), kMaxPictureHeight / image.height()});
    picture.format.setWidth(image.width() * scale);
    picture.format.setHeight(image.height() * scale);
    QTextCursor cursor(&doc);
    cursor.setPosition(picture.position);
    cursor.setPosition(picture.position + 1, QTextCursor::KeepAnchor);
    cursor.setCharFormat(picture.format);
    if (cursor.block().length() == 2) AddCaption(cursor, picture.format.property(QTextFormat::ImageAltText).toString());
  }
  if (!missing.isEmpty()) throw HelpPdfError("missing pictures: " + missing.join(", ").toStdString());
}

// Draws the tables with single thin grey rules and some room in their cells.
void StyleTables(QTextDocument& doc) {
  for (QTextFrame* frame : doc.rootFrame()->childFrames()) {
    auto* table = qobject_cast<QTextTable*>(frame);
    if (table == nullptr) continue;
    QTextTableFormat format = table->format();
    format.setCellSpacing(0);
    format.setBorder(0.5);
    format.setBorderBrush(Qt::gray);
    format.setCellPadding(3);
    table->setFormat(format);
  }
}

}  // namespace

void LoadHelpDocument(const QString& markdownPath, QTextDocument& doc) {
  doc.setDefaultFont(QFont("DejaVu Sans", 10));
  doc.setMarkdown(ReadText(markdownPath));
  LoadPictures(doc, QFileInfo(markdownPath).absoluteDir());
  StyleTables(doc);
}

void WriteHelpPdf(const QString& markdownPath, const QString& pdfPath) {
  QTextDocument doc;
  LoadHelpDocument(markdownPath, doc);

  QFile::remove(pdfPath);
  {
    QPdfWriter pdf(pdfPath);
    pdf.setTitle(doc.firstBlock().text());
    pdf.setCreator("KORVANE");
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(5, 5, 5, 5),
                                  QPageLayout::Millimeter));
    doc.print(&pdf);  // lays the document out on pages within 2 cm margins and numbers them
  }
  if (QFileInfo(pdfPath).size() == 0) throw HelpPdfError("cannot write " + pdfPath.toStdString());
}

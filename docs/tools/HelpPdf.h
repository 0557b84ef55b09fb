// Turns a help document written in Markdown, with its pictures, into an A4 PDF.
#pragma once

#include <QString>
#include <stdexcept>

struct HelpPdfError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class QTextDocument;

// Reads the document at markdownPath into doc, ready to print: pictures are
// resolved relative to the document's folder, shrunk to the text column and
// captioned; a picture that cannot be read or an unreadable document throws.
void LoadHelpDocument(const QString& markdownPath, QTextDocument& doc);

// Writes the document at markdownPath to pdfPath as LoadHelpDocument reads it; a
// PDF that cannot be written throws too.
void WriteHelpPdf(const QString& markdownPath, const QString& pdfPath);

// Turns a help document written in Markdown, with its pictures, into an A4 PDF.
#pragma once

#include <QString>
#include <stdexcept>

struct HelpPdfError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Writes the document at markdownPath to pdfPath. Pictures are resolved relative
// to the document's folder and shrunk to the text column; a picture that cannot
// be read, an unreadable document or a PDF that cannot be written throws.
void WriteHelpPdf(const QString& markdownPath, const QString& pdfPath);

// Build tool: makes the PDF of a help document.
//   korvane_help_pdf DOCUMENT.md OUTPUT.pdf
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

#include "HelpPdf.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s DOCUMENT.md OUTPUT.pdf\n", argv[0]);
    return 2;
  }
  try {
    WriteHelpPdf(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
  } catch (const HelpPdfError& e) {
    std::fprintf(stderr, "%s: %s\n", argv[1], e.what());
    return 1;
  }
  return 0;
}

// A plain modal window showing a text with a Close button (citation and
// acknowledgments).
#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;

class TTextForm : public QDialog {
  Q_OBJECT
public:
  TTextForm(QWidget* owner, const std::string& caption, const std::string& text);

  QPlainTextEdit* Memo;
};

// The texts the Help menu shows.
extern const char* const kCitationText;
extern const char* const kAcknowledgmentsText;

// A plain modal window showing a text with a Close button (citation,
// acknowledgments).
#pragma once

#include <string>

#include "platform/qt/Dialogs.h"

class QPlainTextEdit;

class TTextForm : public ModalDialog {
  Q_OBJECT
public:
  TTextForm(QWidget* owner, const std::string& caption, const std::string& text);

  QPlainTextEdit* Memo;
};

// The texts the Help menu shows.
extern const char* const kCitationText;
extern const char* const kAcknowledgmentsText;

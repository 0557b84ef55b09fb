#include "platform/qt/ViewerCommon.h"

#include <QFrame>
#include <QToolButton>
#include <algorithm>
#include <cctype>

#include "platform/base/Files.h"
#include "platform/base/ReplaceFile.h"
#include "platform/base/Stream.h"
#include "platform/base/UiServices.h"

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

}  // namespace

QToolButton* MakeToolButton(QWidget* parent, QStyle::StandardPixmap icon, const char* hint) {
  auto* button = new QToolButton(parent);
  button->setIcon(parent->style()->standardIcon(icon));
  button->setToolTip(hint);
  button->setAutoRaise(true);
  return button;
}

QToolButton* TextToolButton(QWidget* parent, const char* text, const char* hint) {
  auto* button = new QToolButton(parent);
  button->setText(text);
  button->setToolTip(hint);
  button->setAutoRaise(true);
  return button;
}

QFrame* MakeBevel(QWidget* parent) {
  auto* bevel = new QFrame(parent);
  bevel->setFrameShape(QFrame::VLine);
  bevel->setFrameShadow(QFrame::Sunken);
  return bevel;
}

std::string FileExtension(const std::string& fileName) {
  std::size_t dot = fileName.rfind('.');
  std::size_t slash = fileName.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
  return fileName.substr(dot);
}

std::string WithExtension(const std::string& fileName, const std::string& ext, bool matchCase) {
  std::string current = FileExtension(fileName);
  bool same = matchCase ? current == ext : Lower(current) == Lower(ext);
  return same ? fileName : fileName + ext;
}

bool ConfirmOverwrite(const std::string& path) {
  if (!FileExists(path)) return true;
  return Ui().MessageBox("File already esists! Do you want to overwrite?", "APPLICATION WARNING",
                         MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void WriteTextFile(const std::string& path, const std::string& text) {
  WriteReplacingFile(path, [&](Stream& file) { file.Write(text.data(), text.size()); });
}

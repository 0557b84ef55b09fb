// The "Choose directory" window of the structure export.
#include "database/CHdMain.h"

#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "platform/base/Files.h"
#include "platform/qt/QtConvert.h"

TChooseDirForm::TChooseDirForm(QWidget* owner, std::vector<std::string> hinPaths)
    : ModalDialog(owner), paths_(std::move(hinPaths)) {
  setWindowTitle("Choose directory");
  resize(420, 460);
  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  model_->setRootPath("/");
  DirectoryListBox = new QTreeView(this);
  DirectoryListBox->setModel(model_);
  for (int c = 1; c < model_->columnCount(); ++c) DirectoryListBox->hideColumn(c);
  DirectoryListBox->header()->hide();
  ButtonExportHIN = new QPushButton("Export hin", this);
  ButtonExportMOL = new QPushButton("Export mol", this);
  ButtonClose = new QPushButton("Close", this);
  for (QPushButton* b : {ButtonExportHIN, ButtonExportMOL, ButtonClose}) b->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ButtonExportHIN);
  buttons->addWidget(ButtonExportMOL);
  buttons->addStretch();
  buttons->addWidget(ButtonClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(DirectoryListBox);
  layout->addLayout(buttons);
  connect(ButtonExportHIN, &QPushButton::clicked, this, [this] { ButtonExportHINClick(); });
  connect(ButtonExportMOL, &QPushButton::clicked, this, [this] { ButtonExportMOLClick(); });
  SetButtonResult(ButtonClose, mrCancel);
  SetDirectory(CurrentDir());
}

std::string TChooseDirForm::Directory() const {
  QModelIndex current = DirectoryListBox->currentIndex();
  return current.isValid() ? StdPath(model_->filePath(current)) : CurrentDir();
}

void TChooseDirForm::SetDirectory(const std::string& folder) {
  QModelIndex index = model_->index(QPath(folder));
  DirectoryListBox->setCurrentIndex(index);
  DirectoryListBox->scrollTo(index);
  DirectoryListBox->expand(index);
}

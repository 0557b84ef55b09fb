#include "app/TextForm.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TTextForm::TTextForm(QWidget* owner, const std::string& caption, const std::string& text) : ModalDialog(owner) {
  setWindowTitle(QString::fromLatin1(caption.c_str()));
  resize(520, 300);
  Memo = new QPlainTextEdit(QString::fromLatin1(text.c_str()), this);
  Memo->setReadOnly(true);
  auto* close = new QPushButton("Close", this);
  close->setDefault(true);
  SetButtonResult(close, mrOk);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Memo);
  layout->addWidget(close, 0, Qt::AlignRight);
}

const char* const kCitationText =
    "To cite KORVANE in a publication, please refer to the program and its version:\n"
    "\n"
    "KORVANE v2.1.1 - a program for QSAR and QSPR modelling by multiple linear regression: "
    "variable selection by all subsets and genetic algorithm, internal and external validation, "
    "applicability domain, consensus models and application of stored models.\n"
    "\n"
    "Please also state the settings that produced your models (fitness function, model sizes, "
    "splitting of the objects and validation criteria), so that others can reproduce them.";

const char* const kAcknowledgmentsText =
    "KORVANE ships with public data and is built on free software.\n"
    "\n"
    "Example data (help/example.txt): 204 compounds of the ChEMBL assay CHEMBL2321810 with "
    "123 two-dimensional descriptors, as distributed with the data of the RDKit cheminformatics "
    "toolkit. ChEMBL data are made available under the Creative Commons Attribution-ShareAlike 3.0 "
    "Unported licence (CC BY-SA 3.0).\n"
    "\n"
    "Sample database (database/): structures, names and measured melting and boiling points from the "
    "chemical-structures collection by Jerome Pansanel (Debian package chemical-structures-data), "
    "under its BSD-style licence (database/COPYRIGHT-chemical-structures); converted with Open Babel. "
    "The CAS numbers were entered by hand and checked by check digit and formula only.\n"
    "\n"
    "The windows are drawn with the Qt toolkit; JPEG images are written with the library of the "
    "Independent JPEG Group (this software is based in part on the work of the Independent JPEG "
    "Group); the text is set in the DejaVu fonts.";

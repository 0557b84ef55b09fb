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

const char* const kSingleModelsHelpText =
    "A single model is one regression model saved with its training data in a file of its own "
    "(*.smd), so that it can be applied to new chemicals later.\n"
    "\n"
    "Saving a model: open it in its model window, either from Analysis, \"Data setup...\" with the "
    "\"Single model\" button (the response and the marked variables), or from Analysis, \"View and "
    "select models...\" with \"View selected model\"; the model window saves it as a single-model "
    "file.\n"
    "\n"
    "Applying a model: put its file in the folder \"models\" beside the program and choose Tools, "
    "\"Apply developed models...\", then the file. The current project is replaced, so save it first. "
    "A table opens for the new chemicals: one row each with its name and descriptor values, and in "
    "the last column the experimental response when it is known, or -999 when it is not. After "
    "Accept the model window shows the model with the new chemicals and their predicted values.";

const char* const kPbtHelpText =
    "The PBT index model is a stored single model (the file \"PBT Index.smd\" in the folder "
    "\"models\" beside the program) that scores how persistent, bioaccumulative and toxic a chemical "
    "is likely to be.\n"
    "\n"
    "Choose Tools, \"Apply PBT index model...\" (or the \"PBT index\" button). The current project is "
    "replaced, so save it first. In the table that opens, enter one row per chemical: its name and "
    "the values of the model's descriptors in the columns that name them, and -999 in the last "
    "column unless the index of the chemical is already known. After Accept the model window lists "
    "the chemicals with their predicted PBT index: the higher the index, the more the chemical is of "
    "concern. Chemicals outside the model's applicability domain (a leverage above h*) are "
    "predicted less reliably.";


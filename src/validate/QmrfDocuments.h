// The QMRF document (a PDF) and the SDF structure file that may lie beside a
// single-model file: their paths, viewing the document and exporting copies.
#pragma once

#include <string>

#include "platform/base/UiServices.h"

// The model file's name with "pdf" in place of its last three characters.
std::string QmrfPdfPathOf(const std::string& modelFileName);
// The PDF path less its last four characters, followed by ".sdf".
std::string SdfPathOf(const std::string& pdfPath);

// Asks where to copy the PDF ("Save QMRF file") and then the SDF ("Save SDF
// file", proposed in the folder chosen for the PDF, or beside the model when
// that dialog was cancelled) and copies each confirmed one. An existing target
// is replaced only after the overwrite question; a target that is the source
// itself is left alone; a failed copy is reported naming both files. Both
// dialogs are the window's dialog, which keeps the title, filter and name they left.
void ExportQmrfAndSdf(const std::string& pdfPath, FileDialogOptions& dialog);

// The analyses of the "View and select models" window over its selected
// models: multi-criteria ranking and its plots, outlier counts and thresholds,
// principal component analyses, average R2 and Q2 per model size. The
// handlers gather the window's state, call the core and show the result.
#include <QToolButton>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "models/ModelMcdm.h"
#include "models/VSmMain.h"
#include "platform/base/CommandGuard.h"
#include "plot/VGrMain.h"
#include "validate/AVmMain.h"

// ---- Multi-criteria decision making ---------------------------------------------------

void TViewSelForm::SpeedButtonMultiCritClick() {
  bool hasTest = false;
  {
    BusyCursor busy;
    std::unique_ptr<Progress> progress = OpenProgress(progressWindow_, false);
    progress->SetCaption("Calculating MCDM");
    progress->SetText("Press ESC to abort...");
    hasTest = RecomputeExternalCriteria(*models_, data_, progressWindow_);
    const McdmRun run = RunMcdm(**models_, *progress);
    if (!run.lines.empty()) {
      std::unique_ptr<TFormAvailMod> message;
      try {
        message = std::make_unique<TFormAvailMod>(
            this, true,
            "The MCDM for the following models cannot be calculated because of missing validation criteria "
            "(reported in []).",
            run.lines);
        message->setWindowTitle("Application message");
      } catch (...) {
        ShowWarning("Cannot create the dialog containing the reasons of why MCDM cannot be calculated");
      }
      if (message) ShowModalWindow(*message);
    }
  }
  if (hasTest) {
    SpeedButtonMCDMgraph->setEnabled(true);
    ViewMCDMgraph1->setEnabled(true);
  }
  SortAndShowModels();
}

void TViewSelForm::ShowModelsScatter(const ModelScatterPoints& points, std::vector<std::string> axisNames,
                                     const std::string& caption) {
  std::vector<std::string> ids = points.ids;
  std::vector<std::string> ranks = points.ranks;
  std::vector<std::string> names = points.names;
  MatrixPlotSource source;
  source.values = &points.values;
  source.firstLabelText = "Name";
  source.firstLabelTexts = names.data();
  source.secondLabelText = "Number";
  source.elementNames = ranks.data();
  source.elementIDs = ids.data();
  source.axisNames = axisNames.data();
  std::unique_ptr<TViewGraphForm> form;
  try {
    form = TViewGraphForm::CreateForMatrixScatter(this, data_, source, GraphKind::ModelsScatter);
  } catch (...) {
  }
  if (!form) {
    ShowWarning("Cannot create View Graph dialog");
    return;
  }
  form->setWindowTitle(QString::fromLatin1(caption.c_str()));
  ShowModalWindow(*form);
}

void TViewSelForm::SpeedButtonMCDMgraphClick() {
  RunGuarded(
      [this] {
        ShowModelsScatter(McdmPlotPoints(table_.Sorted()), {"MCDM ext", "MCDM fit"}, "MCDM fitting vs. MCDM external");
      },
      "Unhandled View PCA exception");
}

void TViewSelForm::SpeedButtonQ2looLOFClick() {
  RunGuarded([this] { ShowModelsScatter(Q2LofPlotPoints(table_.Sorted()), {"Q2loo", "LOF"}, "Q2loo vs. Lack Of Fitting"); },
             "Unhandled View PCA exception");
}

void TViewSelForm::SpeedButtonR2vsQ2Click() {}
void TViewSelForm::SpeedButtonHatResClick() {}
void TViewSelForm::SpeedButtonChangeThreshClick() {}
void TViewSelForm::SpeedButtonPCAResClick() {}
void TViewSelForm::SpeedButtonPCAdescClick() {}
void TViewSelForm::SpeedButtonPCAchemClick() {}

// The analyses of the "View and select models" window over its selected
// models: multi-criteria ranking and its plots, outlier counts and thresholds,
// principal component analyses, average R2 and Q2 per model size. The
// handlers gather the window's state, call the core and show the result.
#include <QToolButton>
#include <algorithm>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "models/ModelListPca.h"
#include "models/ModelMcdm.h"
#include "models/ModelOutliers.h"
#include "models/ModelSizeAverages.h"
#include "numerics/ProgressStepper.h"
#include "numerics/Utils.h"
#include "plot/VMtMain.h"
#include "validate/CThMain.h"
#include "validate/Consensus.h"
#include "validate/ExternalValidator.h"
#include "validate/SingleModelAnalysis.h"
#include "models/VSmMain.h"
#include "platform/base/CommandGuard.h"
#include "platform/base/NumberText.h"
#include "platform/qt/QtConvert.h"
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

void TViewSelForm::ShowGraphWindow(const std::function<std::unique_ptr<TViewGraphForm>()>& create,
                                   const std::string& caption) {
  std::unique_ptr<TViewGraphForm> form;
  try {
    form = create();
  } catch (...) {
  }
  if (!form) {
    ShowWarning("Cannot create View Graph dialog");
    return;
  }
  form->setWindowTitle(QString::fromLatin1(caption.c_str()));
  ShowModalWindow(*form);
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
  ShowGraphWindow([&] { return TViewGraphForm::CreateForMatrixScatter(this, data_, source, GraphKind::ModelsScatter); },
                  caption);
}

void TViewSelForm::SpeedButtonMCDMgraphClick() {
  const std::vector<DataResultNode*>& sorted = table_.Sorted();
  if (std::none_of(sorted.begin(), sorted.end(), [](const DataResultNode* m) { return HasMcdmPlotPoint(*m); })) {
    Ui().MessageBox("Sorry, no selected model has both MCDM fit and MCDM ext. Please, check your selection.",
                    "APPLICATION MESSAGE", MB_OK | MB_ICONINFORMATION);
    return;
  }
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

// ---- Average R2 and Q2 per size -----------------------------------------------------------

void TViewSelForm::SpeedButtonR2vsQ2Click() {
  RunGuarded(
      [this] {
        SizeAverages averages(table_.Sorted());
        ShowGraphWindow(
            [&] {
              return TViewGraphForm::CreateForValueRows(this, data_, GraphKind::R2VsQ2, averages.Rows(),
                                                        2 * averages.Sizes());
            },
            "Average models R2 vs. Q2");
      },
      "Unhandled View PCA exception");
}

// ---- Outlier counts and thresholds ------------------------------------------------------

void TViewSelForm::SpeedButtonHatResClick() {
  try {
    BusyCursor busy;
    std::unique_ptr<CheckedIntMatrix> counts;
    OutlierWalk walk;
    {
      std::unique_ptr<Progress> progress = OpenProgress(progressWindow_, false);
      progress->SetCaption("Outliers-leverages counting...");
      progress->SetText("Press ESC to abort...");
      counts = std::make_unique<CheckedIntMatrix>(data_->iObjCount, kOutlierCountColumns);
      const std::unique_ptr<ModelListStatistics> stats = OpenStatistics();
      const long double threshold = StrToFloat(StdStr(ComboBoxStdRes->currentText()));
      walk = CountOutliersOverModels(
          **models_, *counts,
          [&stats, threshold](DataResultNode& model) -> std::optional<ModelOutlierCounts> {
            if (!stats) return std::nullopt;
            return stats->CountOutliers(model, threshold);
          },
          *progress);
    }
    if (walk.failed) ShowWarning("Calculation errors occurs: listed data may be unreliable or incomplete.");
    const std::vector<std::string> names(data_->tpObjNameStrPtr, data_->tpObjNameStrPtr + data_->iObjCount);
    const std::vector<uint32_t> colours = OutlierRowColours(*data_);
    std::unique_ptr<TFormViewMatrix> window;
    try {
      window = TFormViewMatrix::CreateForIntMatrix(this, counts.get(), colours.data(), OutlierCountTitles().data(),
                                                   names.data(), "Name", 0, 1, 1, 0);
    } catch (...) {
    }
    if (!window) {
      ShowWarning("Cannot create View Matrix dialog");
    } else {
      window->setWindowTitle("View counting of the out of limits objects");
      for (int col = 0; col < window->StringGrid->ColCount(); ++col) window->StringGrid->WidenColToFit(col);
      ShowModalWindow(*window);
    }
  } catch (...) {
    ShowCaughtException("APPLICATION WARNING", "Unhandled ViewGraph exception");
  }
  SortAndShowModels();
}

void TViewSelForm::SpeedButtonChangeThreshClick() {
  std::unique_ptr<TFormThreshold> dialog;
  try {
    dialog = std::make_unique<TFormThreshold>(this, data_);
  } catch (...) {
    ShowWarning("Cannot create Validate models dialog");
    return;
  }
  ShowModalWindow(*dialog);
  if (!dialog->ThresholdsChanged()) return;
  try {
    ExternalValidator(true, *models_, data_).CountExternalCriteria();
  } catch (...) {
    return;
  }
  SortAndShowModels();
}

// ---- Principal component analyses ---------------------------------------------------------

void TViewSelForm::ShowPcaGraph(const ModelListPcaResult& result, bool objectMode, const std::string& title) {
  RunGuarded(
      [&] {
        PcaPlotValues plot = PcaPlotOf(result, objectMode);
        ModelScatterPoints points{plot.values, result.numbers, result.names,
                                  // One identifier per point: the objects' own numbers in object mode.
                                  objectMode ? result.numbers : result.ids};
        ShowModelsScatter(points, plot.axisNames, title);
      },
      "Unhandled View PCA exception");
}

bool TViewSelForm::PcaFitsInMemory() {
  const std::string refusal =
      PcaMemoryRefusal(static_cast<int64_t>(IncludedObjects(*data_).size()), CountSelectedModels(**models_),
                       AvailableMemory());
  if (refusal.empty()) return true;
  Ui().MessageBox(refusal, "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  return false;
}

void TViewSelForm::SpeedButtonPCAResClick() {
  if (!PcaFitsInMemory()) return;
  auto busy = std::make_unique<BusyCursor>();
  std::unique_ptr<Progress> progress = OpenProgress(progressWindow_, false);
  progress->SetRange(0, LargestInt());
  ProgressStepper stepper(*progress, LargestInt() / std::max((*models_)->Count(), 1) / 2);
  progress->SetCaption("Calculating PCA...");
  progress->SetText("Press ESC to abort...");
  const ModelListPcaResult result = ResidualsPca(
      **models_, *data_,
      [this](DataResultNode& model) {
        // Built for what its construction stores in the model: the leverages.
        SingleModelAnalysis hidden(*data_, model);
      },
      [&stepper] {
        stepper.Step();
        return EscapeAbortRequested();
      },
      [&progress](double share) {
        // The bar runs again from the start through the decomposition.
        progress->SetPosition(static_cast<int>(share * LargestInt()));
        return EscapeAbortRequested();
      });
  if (result.outcome == ModelPcaOutcome::ResidualsFailed)
    Ui().MessageBox(ModelPcaFailureText(result.outcome), "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  if (result.outcome != ModelPcaOutcome::Done) return;
  progress.reset();
  busy.reset();
  ShowPcaGraph(result, false, "PCA of the residuals");
}

void TViewSelForm::CalculateDataPca(bool objectMode, const std::string& title) {
  if (!PcaFitsInMemory()) return;
  auto busy = std::make_unique<BusyCursor>();
  std::unique_ptr<Progress> progress = OpenProgress(progressWindow_, true);
  progress->SetCaption("Please wait or press ESC to abort...");
  progress->SetText("Calculating PCA...");
  const ModelListPcaResult result = DescriptorsPca(
      **models_, *data_, objectMode,
      [&progress] {
        progress->AnimationTick();
        return EscapeAbortRequested();
      },
      [&progress] { progress->SetAnimationText(" finalizing, please wait..."); },
      [](double) { return EscapeAbortRequested(); });
  const std::string failure = ModelPcaFailureText(result.outcome);
  if (!failure.empty()) Ui().MessageBox(failure, "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  if (result.outcome != ModelPcaOutcome::Done) return;
  progress.reset();
  busy.reset();
  ShowPcaGraph(result, objectMode, title);
}

void TViewSelForm::SpeedButtonPCAdescClick() { CalculateDataPca(false, "PCA of the descriptors"); }

void TViewSelForm::SpeedButtonPCAchemClick() { CalculateDataPca(true, "PCA of the chemicals"); }

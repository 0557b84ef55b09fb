#include "validate/SingleModelAnalysis.h"

#include <climits>
#include <cmath>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/LabelLists.h"
#include "numerics/Matrix.h"
#include "numerics/ModelCalc.h"
#include "data/PredictObjects.h"
#include "data/ValidationFiles.h"
#include "numerics/ProgressStepper.h"
#include "numerics/Statistics.h"
#include "platform/base/NumberText.h"
#include "validate/ExternalValidator.h"
#include "validate/FullModelStats.h"

namespace {

constexpr long double kDegreesPerRadian = 57.29577951308232L;

// Appends text split at its CR LF line ends.
void AppendLines(std::vector<std::string>& lines, const std::string& text) {
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back(text.substr(start));
}

std::string CellText(const CheckedValue& cell) {
  return cell.Missing ? std::string() : SingleModelAnalysis::NumberText(cell.Value);
}

// The values of one line of regression statistics: R2, R2o, k, Clos, r2m.
struct LineStats {
  CheckedValue r2, r2o, k, clos, r2m;
};

// head + "R2: .. \tR<mark>2o: .. \tk<mark>: .. \tClos<mark>: .. \tr<mark>2m: ..\t"
std::string StatsLine(const std::string& head, const char* mark, const LineStats& s) {
  const std::string m = mark;
  return head + "R2: " + CellText(s.r2) + " \t" + "R" + m + "2o: " + CellText(s.r2o) + " \t" + "k" + m + ": " +
         CellText(s.k) + " \t" + "Clos" + m + ": " + CellText(s.clos) + " \t" + "r" + m + "2m: " + CellText(s.r2m) +
         "\t";
}

// Regression statistics of column 1 on column 0.
LineStats RegressionStats(const Matrix& m) {
  LineCoefficients line;
  LineFit(m, line);
  const long double r2 = LineR2(m, line.a, line.b);
  const long double k = OriginSlope(m);
  const long double r2o = OriginR2(m, k);
  const CheckedValue clos = r2 == 0.0L ? CheckedValue(0.0L, true) : IfFinite((r2 - r2o) / r2);
  return {IfFinite(r2), IfFinite(r2o), IfFinite(k), clos, R2m(r2, r2o)};
}

bool InAnyMask(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, const std::vector<uint8_t>& c, int i) {
  return a[i] || b[i] || c[i];
}

}  // namespace

const std::vector<std::string>& SingleModelAnalysis::ThresholdItems() {
  static const std::vector<std::string> items{"0.5", "1.0", "1.5", "2.0", "2.5", "3.0", "4.5", "5.0"};
  return items;
}

std::string SingleModelAnalysis::NumberText(long double value) {
  return std::isfinite(value) ? FloatToStrF(value, FloatFormat::Fixed, 18, Decimals) : std::string();
}

SingleModelAnalysis::SingleModelAnalysis(ChemoData& data, DataResultNode& model, ProgressWindowFactory progressWindow)
    : data_(data),
      model_(model),
      n_(data.iObjCount),
      training_(n_),
      test_(n_),
      unknown_(n_),
      expCalc_(n_, 2, "*tpXYExternExpCalcData", "tpXYExternExpCalcData[]"),
      expPred_(n_, 2, "*tpXYExternExpPredData", "tpXYExternExpPredData[]"),
      leverage_(n_, 2, "*tpXYHAT_Calc", "tpXYHAT_Calc[]"),
      stdResCalc_(n_, 2, "*tpXYExternStdResDataCalc", "tpXYExternStdResDataCalc[]"),
      stdResPred_(n_, 2, "*tpXYExternStdResDataPred", "tpXYExternStdResDataPred[]"),
      resCalc_(n_, 2, "*tpXYExternResDataCalc", "tpXYExternResDataCalc[]"),
      resPred_(n_, 2, "*tpXYExternResDataPred", "tpXYExternResDataPred[]") {
  AppendLines(text_, ModelReportText(model_));
  FillParameterTitles();
  FillObjectTitles();
  data_.BuildObjectMasks(test_.data(), training_.data(), nullptr);
  std::unique_ptr<Progress> window = progressWindow ? progressWindow(false) : nullptr;
  std::unique_ptr<ProgressStepper> stepper;
  if (window) {
    // Three passes step the bar once per object, each step raising the window.
    window->SetRange(0, INT_MAX);
    window->SetPosition(0);
    stepper = std::make_unique<ProgressStepper>(*window, n_ > 0 ? INT_MAX / (3 * n_) : 0, 0, true);
  }
  FirstBlock(stepper.get());
  SecondBlock(stepper.get());
  for (std::string* names : {&noResidualCalc_, &noResidualPred_})
    if (!names->empty()) names->resize(names->size() - 2);
  stepper.reset();
  window.reset();
  if (errors_)
    Ui().MessageBox("Calculation errors occurs: listed data may be unreliable or incomplete.", "APPLICATION WARNING",
                    MB_OK | MB_ICONWARNING);
}

SingleModelAnalysis::~SingleModelAnalysis() = default;

std::string SingleModelAnalysis::Caption() const { return "Model: " + model_.sName; }

bool SingleModelAnalysis::HasValidation(InternalValidationKind kind) const {
  return !(model_.*kValidationMeanQ2[static_cast<int>(kind)]).Missing;
}

void SingleModelAnalysis::FillParameterTitles() {
  const int p = model_.iSize;
  paramCells_.assign(p + 2, std::vector<std::string>(ParamColumns));
  paramCells_[0] = {"Variable", "Coeff.", "Std. coeff.", "Std. err.", "(+/-) Co. int. 95%", "p-value"};
  paramCells_[1][0] = "Intercept";
  paramCells_[1][1] = NumberText(model_.ldpBModelCoeffPtr[0]);
  for (int r = 2; r <= p + 1; ++r) {
    paramCells_[r][0] = data_.tpVarNameStrPtr[model_.ipSelVarIdxPtr[r - 2]];
    paramCells_[r][1] = NumberText(model_.ldpBModelCoeffPtr[r - 1]);
  }
}

void SingleModelAnalysis::FillObjectTitles() {
  objectCells_.assign(n_ + 1, std::vector<std::string>(ObjectColumns));
  objectCells_[0] = {"ID",        "Name",    "Status",         "Exp. endpoint",         "Pred. by model eq.",
                     "Pred.Mod.Eq.Res.", "Pred. LOO", "Pred. LOO Res.", "HAT i/i",
                     "Std.Pred.Mod.Eq. Res.", "Std.Pred.LOO Res."};
  const TrainingStatus labels;
  const int response = data_.iResponseIndex;
  for (int i = 0; i < n_; ++i) {
    std::vector<std::string>& row = objectCells_[i + 1];
    const CheckedValue* values = data_.tpChemoValuePtr[i];
    row[0] = IntToStr(i + 1);
    row[1] = data_.tpObjNameStrPtr[i];
    row[2] = labels.GetLabel(data_.ipTrainingPtr[i]);
    for (int j = 0; j < model_.iSize; ++j) {
      if (values[model_.ipSelVarIdxPtr[j]].Missing) row[2] = "Missing";
      if (j == 0 && values[response].Missing) row[2] = "Unknown";
    }
  }
}

void SingleModelAnalysis::FirstBlock(ProgressStepper* progress) {
  try {
    PredictObjects(data_, training_.data(), test_.data(), model_, expCalc_.Get(), expPred_.Get(), leverage_.Get(),
                   progress);
    std::vector<std::pair<long double, long double>> training;
    for (int i = 0; i < n_; ++i) {
      const CheckedValue* values = data_.tpChemoValuePtr[i];
      if (training_[i]) {
        // The leave-one-out prediction as PredictObjects placed it: missing
        // beyond the model's stored predictions.
        if (!expPred_[i][1].Missing) training.emplace_back(values[data_.iResponseIndex].Value, expPred_[i][1].Value);
      } else if (!test_[i] && values[data_.iResponseIndex].Missing) {
        bool complete = true;
        for (int j = 0; j < model_.iSize; ++j) complete = complete && !values[model_.ipSelVarIdxPtr[j]].Missing;
        if (complete) {
          unknown_[i] = 1;
          ++unknownCount_;
        }
      }
      if (progress) progress->Step();
    }
    text_.emplace_back();
    AddAngleLine();
    AddLeaveOneOutLines(training);
    AddExternalLines();
  } catch (...) {
    errors_ = true;
  }
}

void SingleModelAnalysis::AddAngleLine() {
  std::vector<int> rows;
  for (int i = 0; i < n_; ++i)
    if (test_[i] && !expCalc_[i][0].Missing && !expCalc_[i][1].Missing) rows.push_back(i);
  if (rows.size() < 2) return;
  Matrix m(static_cast<int>(rows.size()), 2);
  for (int r = 0; r < m.Rows(); ++r) {
    m.At(r, 0) = expCalc_[rows[r]][0].Value;
    m.At(r, 1) = expCalc_[rows[r]][1].Value;
  }
  LineCoefficients line;
  LineFit(m, line);
  const long double angle = std::atan(line.b) * kDegreesPerRadian - 45.0L;
  text_.push_back("Calc. external data regr. angle from diagonal: " + NumberText(angle) + "\xB0");
  text_.emplace_back();
}

void SingleModelAnalysis::AddLeaveOneOutLines(const std::vector<std::pair<long double, long double>>& training) {
  Matrix m(static_cast<int>(training.size()), 2);
  for (int r = 0; r < m.Rows(); ++r) {
    m.At(r, 0) = training[r].first;
    m.At(r, 1) = training[r].second;
  }
  text_.push_back("Predictions by LOO:");
  text_.push_back(StatsLine("Exp(x) vs. Pred(y): ", "'", RegressionStats(m)));
  for (int r = 0; r < m.Rows(); ++r) std::swap(m.At(r, 0), m.At(r, 1));
  text_.push_back(StatsLine("Pred(x) vs. Exp(y): ", "", RegressionStats(m)));
}

void SingleModelAnalysis::AddExternalLines() {
  bool anyPrediction = false;
  for (uint8_t t : test_) anyPrediction = anyPrediction || t;
  if (!anyPrediction) return;
  auto stored = [](const CheckedValue& r2, const CheckedValue& r2o, const CheckedValue& k, const CheckedValue& clos) {
    const CheckedValue r2m = r2.Missing || r2o.Missing ? CheckedValue(0.0L, true) : R2m(r2.Value, r2o.Value);
    return LineStats{r2, r2o, k, clos, r2m};
  };
  text_.emplace_back();
  text_.push_back("External predictions by model equation:");
  text_.push_back(StatsLine("Exp(x) vs. Pred(y): ", "'",
                            stored(model_.cvR2extReg, model_.cvR2oPrime, model_.cvKPrime, model_.cvClosPrime)));
  text_.push_back(StatsLine("Pred(x) vs. Exp(y): ", "", stored(model_.cvR2extReg, model_.cvR2o, model_.cvK, model_.cvClos)));
}

// The residual rows of an object in no mask would otherwise stay present zeros
// and stretch the residual plots' range to the origin.
void SingleModelAnalysis::MarkUnmaskedResidualsMissing() {
  for (int i = 0; i < n_; ++i) {
    if (InAnyMask(training_, test_, unknown_, i)) continue;
    for (CheckedValue** rows : {resCalc_.Get(), resPred_.Get()}) {
      rows[i][0].InitMissing();
      rows[i][1].InitMissing();
    }
  }
}

void SingleModelAnalysis::SecondBlock(ProgressStepper* progress) {
  try {
    MarkUnmaskedResidualsMissing();
    DataResultList list(&data_);
    ExternalValidator builder(true, &list, &data_);
    const ModelObjectMasks masks{training_.data(), test_.data(), unknown_.data()};
    const ModelPointRows rows{expCalc_.Get(),    expPred_.Get(), stdResCalc_.Get(), stdResPred_.Get(),
                              resCalc_.Get(),    resPred_.Get(), leverage_.Get()};
    std::string unused;
    FullModelStats(data_, masks, unknownCount_, hStar_, rows, model_, unused, builder, progress, false);
    objectCells_[0][LeverageColumn] = "HAT i/i (h*=" + NumberText(model_.ldHstar) + ")";
    for (int i = 0; i < n_; ++i) FillObjectRow(i);
    FillParameterStatistics();
  } catch (...) {
    errors_ = true;
  }
}

void SingleModelAnalysis::FillObjectRow(int i) {
  std::vector<std::string>& row = objectCells_[i + 1];
  const std::string entry = data_.tpObjNameStrPtr[i] + "(" + IntToStr(i + 1) + "), ";
  const CheckedValue* calc = expCalc_[i];
  const CheckedValue* pred = expPred_[i];
  if (training_[i] || test_[i]) {
    if (!calc[0].Missing) row[3] = NumberText(calc[0].Value);
    if (!calc[1].Missing) {
      row[4] = NumberText(calc[1].Value);
      if (!calc[0].Missing) row[5] = NumberText(calc[1].Value - calc[0].Value);
    }
    if (calc[0].Missing || calc[1].Missing) noResidualCalc_ += entry;
  }
  if (training_[i]) {
    if (!pred[1].Missing) row[6] = NumberText(pred[1].Value);
    else noResidualPred_ += entry;
    if (!pred[0].Missing && !pred[1].Missing) row[7] = NumberText(pred[1].Value - pred[0].Value);
  } else if (test_[i]) {
    row[6] = row[7] = "-";
  } else if (data_.tpChemoValuePtr[i][data_.iResponseIndex].Missing && !calc[1].Missing) {
    row[4] = NumberText(calc[1].Value);
  }
  if (InAnyMask(training_, test_, unknown_, i)) {
    row[8] = CellText(leverage_[i][0]);
    row[9] = CellText(stdResCalc_[i][1]);
    row[10] = CellText(stdResPred_[i][1]);
  }
}

void SingleModelAnalysis::FillParameterStatistics() {
  for (int j = 0; j <= model_.iSize; ++j) {
    std::vector<std::string>& row = paramCells_[j + 1];
    if (j > 0) row[2] = NumberText(model_.ldpBStdCoeffPtr[j]);
    row[3] = NumberText(model_.ldpBStdErrPtr[j]);
    row[4] = NumberText(model_.ldpBIntConfPtr[j]);
    row[5] = NumberText(model_.ldpBSignifPtr[j]);
  }
  statisticsShown_ = true;
}

uint32_t SingleModelAnalysis::ParamCellColour(int col, int row) const {
  if (!statisticsShown_ || row < 1 || row > model_.iSize + 1) return kNoCellColour;
  const int j = row - 1;
  if (col == 4) {
    const long double halfWidth = model_.ldpBIntConfPtr[j];
    const long double coefficient = model_.ldpBModelCoeffPtr[j];
    if (halfWidth == GetUndefinedReal()) return kNoCellColour;
    // A zero coefficient lies inside any interval around it.
    if (coefficient == 0.0L || std::fabs(halfWidth / coefficient) >= 1.0L) return kCellRed;
  } else if (col == 5) {
    const long double p = model_.ldpBSignifPtr[j];
    if (p > 0.1L) return kCellRed;
    if (p > 0.05L) return kCellYellow;
  }
  return kNoCellColour;
}

uint32_t SingleModelAnalysis::ObjectCellColour(int col, int row, long double threshold) const {
  if (row < 1 || row > n_) return kNoCellColour;
  const int i = row - 1;
  if (col == LeverageColumn && hStar_ && hStar_[i]) return kCellRed;
  if (col == 9 || col == 10) {
    const CheckedValue& cell = (col == 9 ? stdResCalc_ : stdResPred_).Get()[i][1];
    if (!cell.Missing && std::fabs(cell.Value) > threshold) return kCellMagenta;
  }
  return kNoCellColour;
}

#include "validate/ValidationCriteriaReport.h"

#include <cmath>
#include <optional>

#include "numerics/Matrix.h"
#include "numerics/ModelCalc.h"
#include "numerics/Statistics.h"
#include "platform/base/NumberText.h"

namespace {

// The sums of one set of pairs (y experimental, f predicted).
struct PairSums {
  int n = 0;
  long double meanY = 0.0L, meanF = 0.0L;
  long double sse = 0.0L, absErrors = 0.0L;
  long double syy = 0.0L, sff = 0.0L, syf = 0.0L;  // about the set's own means
  long double yf = 0.0L, ff = 0.0L, yy = 0.0L;     // raw products
};

PairSums SumsOf(const std::vector<long double>& y, const std::vector<long double>& f) {
  PairSums s;
  s.n = static_cast<int>(y.size());
  if (s.n == 0) return s;
  for (int i = 0; i < s.n; ++i) {
    s.meanY += y[i];
    s.meanF += f[i];
  }
  s.meanY /= s.n;
  s.meanF /= s.n;
  for (int i = 0; i < s.n; ++i) {
    const long double e = y[i] - f[i];
    s.sse += e * e;
    s.absErrors += std::fabs(e);
    s.syy += (y[i] - s.meanY) * (y[i] - s.meanY);
    s.sff += (f[i] - s.meanF) * (f[i] - s.meanF);
    s.syf += (y[i] - s.meanY) * (f[i] - s.meanF);
    s.yf += y[i] * f[i];
    s.ff += f[i] * f[i];
    s.yy += y[i] * y[i];
  }
  return s;
}

long double Ccc(const PairSums& s) {
  const long double gap = s.meanY - s.meanF;
  const long double denominator = s.sff + s.syy + s.n * gap * gap;
  return denominator == 0.0L ? 0.0L : 2.0L * s.syf / denominator;
}

// r2m of one orientation of the pairs: x in column 0, y in column 1.
std::optional<long double> OrientedR2m(const std::vector<long double>& x, const std::vector<long double>& y) {
  Matrix m(static_cast<int>(x.size()), 2);
  for (int i = 0; i < m.Rows(); ++i) {
    m.At(i, 0) = x[i];
    m.At(i, 1) = y[i];
  }
  LineCoefficients line;
  LineFit(m, line);
  const CheckedValue r2m = R2m(LineR2(m, line.a, line.b), OriginR2(m, OriginSlope(m)));
  if (r2m.Missing) return std::nullopt;
  return r2m.Value;
}

class ReportText {
public:
  void Title(const char* title) { text_ += std::string(title) + "\n"; }
  void Empty() { text_ += "\n"; }
  void Value(const char* label, long double value) {
    if (std::isfinite(value)) text_ += label + FloatToStrF(value, FloatFormat::Fixed, 18, 4) + "\n";
  }
  // label value when the denominator is not 0.
  void Ratio(const char* label, long double numerator, long double denominator) {
    if (denominator != 0.0L) Value(label, numerator / denominator);
  }
  void OneMinusRatio(const char* label, long double numerator, long double denominator) {
    if (denominator != 0.0L) Value(label, 1.0L - numerator / denominator);
  }
  const std::string& Text() const { return text_; }

private:
  std::string text_;
};

}  // namespace

std::string ValidationCriteriaReport(const Matrix& pairs, const std::vector<int32_t>& statuses) {
  std::vector<long double> yTr, fTr, yExt, fExt;
  bool unsplit = false;
  for (int i = 0; i < pairs.Rows(); ++i) {
    const bool training = statuses[i] == 1;
    if (statuses[i] < 0) unsplit = true;
    if (!training && statuses[i] != 2 && statuses[i] >= 0) continue;
    (training ? yTr : yExt).push_back(pairs.At(i, 0));
    (training ? fTr : fExt).push_back(pairs.At(i, 1));
  }
  const PairSums tr = SumsOf(yTr, fTr);
  const PairSums ext = SumsOf(yExt, fExt);
  ReportText report;
  if (tr.n > 0) {
    report.Title("(Training validation criteria)");
    report.Value("RMSE = ", std::sqrt(tr.sse / tr.n));
    report.Value("MAE = ", tr.absErrors / tr.n);
    report.OneMinusRatio("R2 = ", tr.sse, tr.syy);
    report.Value("CCC = ", Ccc(tr));
    report.Ratio("k = ", tr.yf, tr.ff);
    report.Ratio("k' = ", tr.yf, tr.yy);
  }
  if (ext.n == 0) return report.Text();
  if (tr.n > 0) report.Empty();
  if (!unsplit) report.Title("(Prediction validation criteria)");
  report.Value("RMSE = ", std::sqrt(ext.sse / ext.n));
  report.Value("MAE = ", ext.absErrors / ext.n);
  if (!unsplit && tr.n > 0) {
    long double s1 = 0.0L;
    for (long double y : yExt) s1 += (y - tr.meanY) * (y - tr.meanY);
    report.OneMinusRatio("Q2-F1 = ", ext.sse, s1);
  }
  report.OneMinusRatio(unsplit ? "R2 = " : "Q2-F2 = ", ext.sse, ext.syy);
  if (tr.n > 0) report.OneMinusRatio("Q2-F3 = ", ext.sse / ext.n, tr.syy / tr.n);
  report.Value("CCC = ", Ccc(ext));
  report.Ratio("k = ", ext.yf, ext.ff);
  report.Ratio("k' = ", ext.yf, ext.yy);
  const std::optional<long double> r2mA = OrientedR2m(yExt, fExt);
  const std::optional<long double> r2mB = OrientedR2m(fExt, yExt);
  if (r2mA && r2mB) {
    report.Value("r2m aver. = ", (*r2mB + *r2mA) * 0.5L);
    report.Value("r2m delta = ", std::fabs(*r2mA - *r2mB));
  }
  return report.Text();
}

#include "models/ModelListPca.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "platform/base/NumberText.h"

namespace {

using Table = std::vector<std::vector<long double>>;

// An independent symmetric eigen-decomposition (cyclic Jacobi rotations):
// eigenvalues ascending, vectors as columns.
void JacobiEigen(Table a, std::vector<long double>& values, Table& vectors) {
  const int n = static_cast<int>(a.size());
  Table v(n, std::vector<long double>(n, 0.0L));
  for (int i = 0; i < n; ++i) v[i][i] = 1.0L;
  for (int sweep = 0; sweep < 100; ++sweep) {
    long double off = 0.0L;
    for (int p = 0; p < n; ++p)
      for (int q = p + 1; q < n; ++q) off += a[p][q] * a[p][q];
    if (off < 1e-36L) break;
    for (int p = 0; p < n; ++p)
      for (int q = p + 1; q < n; ++q) {
        if (a[p][q] == 0.0L) continue;
        const long double theta = (a[q][q] - a[p][p]) / (2.0L * a[p][q]);
        const long double t = (theta >= 0 ? 1.0L : -1.0L) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0L));
        const long double c = 1.0L / std::sqrt(t * t + 1.0L), s = t * c;
        for (int k = 0; k < n; ++k) {
          const long double akp = a[k][p], akq = a[k][q];
          a[k][p] = c * akp - s * akq;
          a[k][q] = s * akp + c * akq;
        }
        for (int k = 0; k < n; ++k) {
          const long double apk = a[p][k], aqk = a[q][k];
          a[p][k] = c * apk - s * aqk;
          a[q][k] = s * apk + c * aqk;
        }
        for (int k = 0; k < n; ++k) {
          const long double vkp = v[k][p], vkq = v[k][q];
          v[k][p] = c * vkp - s * vkq;
          v[k][q] = s * vkp + c * vkq;
        }
      }
  }
  std::vector<int> order(n);
  for (int i = 0; i < n; ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](int x, int y) { return a[x][x] < a[y][y]; });
  values.assign(n, 0.0L);
  vectors.assign(n, std::vector<long double>(n, 0.0L));
  for (int j = 0; j < n; ++j) {
    values[j] = a[order[j]][order[j]];
    for (int i = 0; i < n; ++i) vectors[i][j] = v[i][order[j]];
  }
}

Table CorrelationOf(const Table& x) {
  const int n = static_cast<int>(x.size()), m = static_cast<int>(x[0].size());
  std::vector<long double> mean(m, 0.0L), sd(m, 0.0L);
  for (int j = 0; j < m; ++j) {
    for (int i = 0; i < n; ++i) mean[j] += x[i][j] / n;
    for (int i = 0; i < n; ++i) sd[j] += (x[i][j] - mean[j]) * (x[i][j] - mean[j]);
    sd[j] = std::sqrt(sd[j]);
  }
  Table r(m, std::vector<long double>(m, 0.0L));
  for (int a = 0; a < m; ++a)
    for (int b = 0; b < m; ++b) {
      for (int i = 0; i < n; ++i) r[a][b] += (x[i][a] - mean[a]) * (x[i][b] - mean[b]);
      r[a][b] /= sd[a] * sd[b];
    }
  return r;
}

// Objects 0-4 training, 5-6 prediction, 7 excluded, 8 training without a response.
class ModelListPcaTest : public ::testing::Test {
protected:
  ModelListPcaTest() : data(4, 9, 3) {
    const long double x[9][3] = {{1.0L, 2.0L, 0.5L}, {2.0L, 1.5L, 0.1L}, {3.0L, 3.5L, 0.9L},
                                 {4.0L, 2.5L, 0.4L}, {5.0L, 5.0L, 0.3L}, {2.5L, 4.0L, 0.8L},
                                 {3.5L, 1.0L, 0.2L}, {9.0L, 9.0L, 9.0L}, {1.5L, 1.5L, 0.6L}};
    const long double y[9] = {3.1L, 3.9L, 6.8L, 7.2L, 10.1L, 6.0L, 5.2L, 1.0L, 0.0L};
    for (int i = 0; i < 9; ++i) {
      for (int j = 0; j < 3; ++j) data.tpChemoValuePtr[i][j] = CheckedValue(x[i][j], false);
      data.tpChemoValuePtr[i][3] = CheckedValue(y[i], i == 8);
      data.ipTrainingPtr[i] = i < 5 || i == 8 ? kStatusTraining : i < 7 ? kStatusPrediction : kStatusExcluded;
      data.tpObjNameStrPtr[i] = "O" + std::to_string(i);
    }
  }

  DataResultNode& AddModel(int id, std::vector<int32_t> vars, std::vector<long double> b, long double s,
                           std::vector<long double> trainLev, std::vector<long double> testLev, int32_t state = 3) {
    DataResultNode* m = models.Append();
    m->iID = id;
    m->iRank = 10 + id;
    m->iSelStatus = state;
    m->iSize = static_cast<int32_t>(vars.size());
    m->sName = "M" + std::to_string(id);
    m->ipSelVarIdxPtr = new int32_t[vars.size()];
    std::copy(vars.begin(), vars.end(), m->ipSelVarIdxPtr);
    m->ldpBModelCoeffPtr = new long double[b.size()];
    std::copy(b.begin(), b.end(), m->ldpBModelCoeffPtr);
    m->cvS = CheckedValue(s, false);
    SetLeverages(m->tsTrainLev, trainLev);
    SetLeverages(m->tsTestLev, testLev);
    return *m;
  }
  static void SetLeverages(LeverageStruct& lev, const std::vector<long double>& values) {
    lev.iCount = static_cast<int32_t>(values.size());
    lev.ldpValuePtr = new long double[values.size()];
    std::copy(values.begin(), values.end(), lev.ldpValuePtr);
  }
  // The residual a test computes for itself.
  long double Residual(const DataResultNode& m, int obj, long double h) const {
    long double fit = m.ldpBModelCoeffPtr[0];
    for (int k = 0; k < m.iSize; ++k) fit += m.ldpBModelCoeffPtr[k + 1] * data.tpChemoValuePtr[obj][m.ipSelVarIdxPtr[k]].Value;
    const long double w = 1.0L - h;
    const long double d = w > 0 ? m.cvS.Value * std::sqrt(w) : 0.0L;
    return d == 0 ? 0.0L : (fit - data.tpChemoValuePtr[obj][3].Value) / d;
  }
  void AddThreeModels() {
    AddModel(1, {0, 1}, {0.5L, 1.2L, 0.6L}, 0.4L, {0.3L, 0.2L, 0.5L, 0.25L, 0.6L}, {0.35L, 0.45L});
    AddModel(2, {1, 2}, {1.0L, 1.5L, 2.0L}, 0.7L, {0.2L, 0.3L, 0.4L, 0.2L, 0.5L}, {0.3L, 0.4L}, 0);
    AddModel(3, {0, 2}, {0.2L, 1.9L, -1.0L}, 0.5L, {0.4L, 0.1L, 0.3L, 0.3L, 0.7L}, {0.2L, 0.6L});
    AddModel(4, {0, 1}, {-0.3L, 1.0L, 0.9L}, 0.6L, {0.25L, 0.35L, 0.45L, 0.15L, 0.55L}, {0.5L, 0.1L}, 1);
  }
  void ExpectAgreesWithJacobi(const Table& x, const ModelListPcaResult& result) {
    std::vector<long double> values;
    Table vectors;
    JacobiEigen(CorrelationOf(x), values, vectors);
    const int m = static_cast<int>(values.size());
    ASSERT_EQ(result.components.eigenvalues.Cols(), m);
    long double total = 0.0L;
    for (long double v : values) total += v;
    for (int j = 0; j < m; ++j) {
      EXPECT_NEAR(static_cast<double>(result.components.eigenvalues.At(0, j)), static_cast<double>(values[j]), 1e-12);
      EXPECT_NEAR(static_cast<double>(result.components.explained.At(0, j)), static_cast<double>(values[j] / total),
                  1e-12);
      // Up to the sign of each component.
      const long double sign = vectors[0][j] * result.components.vectors.At(0, j) < 0 ? -1.0L : 1.0L;
      for (int i = 0; i < m; ++i)
        EXPECT_NEAR(static_cast<double>(result.components.vectors.At(i, j)), static_cast<double>(sign * vectors[i][j]),
                    1e-10);
      for (std::size_t r = 0; r < x.size(); ++r) {
        long double score = 0.0L;
        for (int i = 0; i < m; ++i) score += x[r][i] * vectors[i][j];
        EXPECT_NEAR(static_cast<double>(result.scores.At(static_cast<int>(r), j)), static_cast<double>(sign * score),
                    1e-10);
      }
    }
  }

  ChemoData data;
  DataResultList models{&data};
};

}  // namespace

TEST_F(ModelListPcaTest, IncludedObjectsAreTrainingAndPredictionObjectsWithAResponse) {
  EXPECT_EQ(IncludedObjects(data), (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6}));
}

TEST_F(ModelListPcaTest, ResidualsAgreeWithAnIndependentDecompositionAndRunPrepareOnSelectedModels) {
  AddThreeModels();
  std::vector<int> prepared;
  int steps = 0;
  const ModelListPcaResult result = ResidualsPca(
      models, data, [&](DataResultNode& m) { prepared.push_back(m.iID); },
      [&] {
        ++steps;
        return false;
      });
  ASSERT_EQ(result.outcome, ModelPcaOutcome::Done);
  EXPECT_EQ(prepared, (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(steps, 8);  // every model of the list, in both passes
  EXPECT_EQ(result.ids, (std::vector<std::string>{"1", "3", "4"}));
  EXPECT_EQ(result.names, (std::vector<std::string>{"M1", "M3", "M4"}));
  EXPECT_EQ(result.numbers, (std::vector<std::string>{"11", "13", "14"}));
  Table x;
  for (int obj = 0; obj < 7; ++obj) {
    std::vector<long double> row;
    for (const DataResultNode* m = models.First(); m != nullptr; m = m->Next()) {
      if (m->iSelStatus == 0) continue;
      const long double h = obj < 5 ? m->tsTrainLev.ldpValuePtr[obj] : m->tsTestLev.ldpValuePtr[obj - 5];
      row.push_back(Residual(*m, obj, h));
    }
    x.push_back(row);
  }
  ExpectAgreesWithJacobi(x, result);
}

TEST_F(ModelListPcaTest, ResidualIsZeroWithoutRoomUnderTheLeverageOrWithoutAnError) {
  DataResultNode& m = AddModel(1, {0, 1}, {0.5L, 1.2L, 0.6L}, 0.4L, {1.0L, 0.2L, 1.5L, 0.25L, 0.6L}, {0.35L, 0.99L});
  Matrix R(7, 1);
  FillResidualColumn(data, m, IncludedObjects(data), R, 0);
  EXPECT_EQ(R.At(0, 0), 0.0L);
  EXPECT_EQ(R.At(2, 0), 0.0L);
  EXPECT_NEAR(static_cast<double>(R.At(1, 0)), static_cast<double>(Residual(m, 1, 0.2L)), 1e-15);
  // Prediction objects take the test leverages in turn.
  EXPECT_NEAR(static_cast<double>(R.At(6, 0)), static_cast<double>(Residual(m, 6, 0.99L)), 1e-12);
  m.cvS = CheckedValue(0.0L, false);
  FillResidualColumn(data, m, IncludedObjects(data), R, 0);
  for (int r = 0; r < 7; ++r) EXPECT_EQ(R.At(r, 0), 0.0L);
}

TEST_F(ModelListPcaTest, OneSelectedModelFailsTheResidualAnalysis) {
  AddModel(1, {0, 1}, {0.5L, 1.2L, 0.6L}, 0.4L, {0.3L, 0.2L, 0.5L, 0.25L, 0.6L}, {0.35L, 0.45L});
  EXPECT_EQ(ResidualsPca(models, data, {}, {}).outcome, ModelPcaOutcome::ResidualsFailed);
}

TEST_F(ModelListPcaTest, ModelWithoutFittingLeveragesFailsTheResidualAnalysis) {
  AddThreeModels();
  models.First()->tsTestLev.Release();  // as a failed single-model calculation leaves it
  const ModelListPcaResult result = ResidualsPca(models, data, {}, {});
  EXPECT_EQ(result.outcome, ModelPcaOutcome::ResidualsFailed);
  EXPECT_EQ(ModelPcaFailureText(result.outcome), "Cannot calculate PCA, please check your data.");
}

TEST_F(ModelListPcaTest, AStepAskingToStopAbortsEitherAnalysis) {
  AddThreeModels();
  int steps = 0;
  auto stopAtThird = [&] { return ++steps == 3; };
  EXPECT_EQ(ResidualsPca(models, data, {}, stopAtThird).outcome, ModelPcaOutcome::Aborted);
  steps = 0;  // in the second pass
  EXPECT_EQ(ResidualsPca(models, data, {}, [&] { return ++steps == 6; }).outcome, ModelPcaOutcome::Aborted);
  steps = 0;
  bool finalized = false;
  EXPECT_EQ(DescriptorsPca(models, data, false, stopAtThird, [&] { finalized = true; }).outcome,
            ModelPcaOutcome::Aborted);
  EXPECT_FALSE(finalized);
}

// 120 selected models: their decomposition is long enough for its poll to be asked.
TEST_F(ModelListPcaTest, TheDecompositionsPollStopsEitherAnalysisOrLeavesItsResult) {
  for (int id = 1; id <= 120; ++id) {
    const long double t = id / 7.0L;
    std::vector<long double> training;
    for (int i = 0; i < 5; ++i) training.push_back(0.2L + 0.3L * std::fabs(std::sin(t * (i + 1))));
    AddModel(id, {id % 3, (id + 1) % 3}, {std::sin(t), 1.0L + std::cos(t), 0.5L * std::sin(2 * t)}, 0.3L + 0.01L * id,
             training, {0.3L + 0.2L * std::fabs(std::cos(t)), 0.4L});
  }
  const ModelListPcaResult plain = ResidualsPca(models, data, {}, {});
  int asked = 0;
  const ModelListPcaResult polled = ResidualsPca(models, data, {}, {}, [&asked](double) { return ++asked < 0; });
  ASSERT_EQ(polled.outcome, ModelPcaOutcome::Done);
  EXPECT_GT(asked, 0);
  for (int j = 0; j < 120; ++j) {
    EXPECT_EQ(polled.components.eigenvalues.At(0, j), plain.components.eigenvalues.At(0, j));
    EXPECT_EQ(polled.components.vectors.At(j, 119), plain.components.vectors.At(j, 119));
  }
  auto stop = [](double) { return true; };
  const ModelListPcaResult stopped = ResidualsPca(models, data, {}, {}, stop);
  EXPECT_EQ(stopped.outcome, ModelPcaOutcome::Aborted);
  EXPECT_EQ(ModelPcaFailureText(stopped.outcome), "");
  bool finalized = false;
  EXPECT_EQ(DescriptorsPca(models, data, true, {}, [&] { finalized = true; }, stop).outcome, ModelPcaOutcome::Aborted);
  EXPECT_TRUE(finalized);  // stopped in the second stage
}

TEST_F(ModelListPcaTest, TwoModelsGiveTwoLoadingPointsWhosePercentagesAddUpToAHundred) {
  AddModel(1, {0, 1}, {0.5L, 1.2L, 0.6L}, 0.4L, {0.3L, 0.2L, 0.5L, 0.25L, 0.6L}, {0.35L, 0.45L});
  AddModel(2, {1, 2}, {1.0L, 1.5L, 2.0L}, 0.7L, {0.2L, 0.3L, 0.4L, 0.2L, 0.5L}, {0.3L, 0.4L});
  bool finalized = false;
  const ModelListPcaResult result = DescriptorsPca(models, data, false, {}, [&] { finalized = true; });
  ASSERT_EQ(result.outcome, ModelPcaOutcome::Done);
  EXPECT_TRUE(finalized);
  const PcaPlotValues plot = PcaPlotOf(result, false);
  ASSERT_EQ(plot.values.Rows(), 2);
  ASSERT_EQ(plot.axisNames.size(), 2u);
  EXPECT_EQ(plot.axisNames[0].rfind("PC1 (EV% = ", 0), 0u);
  EXPECT_EQ(plot.axisNames[1].rfind("PC2 (EV% = ", 0), 0u);
  // The percentage in "PCk (EV% = 49.50%)", read whatever the C library's locale.
  auto percent = [](const std::string& name) { return StrToFloat(name.substr(11, name.find('%', 11) - 11)); };
  const long double pc1 = percent(plot.axisNames[0]);
  const long double pc2 = percent(plot.axisNames[1]);
  EXPECT_GE(pc1, pc2);
  EXPECT_NEAR(static_cast<double>(pc1 + pc2), 100.0, 0.011);
  // Column 0 holds the component of the largest eigenvalue.
  EXPECT_EQ(plot.values.At(1, 0), result.components.vectors.At(1, 1));
  EXPECT_EQ(plot.values.At(0, 1), result.components.vectors.At(0, 0));
}

TEST_F(ModelListPcaTest, TwoStageAnalysisAgreesWithIndependentDecompositionsUpToSigns) {
  AddThreeModels();
  const ModelListPcaResult result = DescriptorsPca(models, data, false, {}, {});
  ASSERT_EQ(result.outcome, ModelPcaOutcome::Done);
  // One point per selected model: its variables text, rank and identifier.
  EXPECT_EQ(result.names, (std::vector<std::string>{"M1", "M3", "M4"}));
  EXPECT_EQ(result.numbers, (std::vector<std::string>{"11", "13", "14"}));
  EXPECT_EQ(result.ids, (std::vector<std::string>{"1", "3", "4"}));
  // First stage by hand: the autoscaled descriptors' scores on their largest component.
  Table f(7);
  for (const DataResultNode* m = models.First(); m != nullptr; m = m->Next()) {
    if (m->iSelStatus == 0) continue;
    Table d(7);
    for (int r = 0; r < 7; ++r)
      for (int k = 0; k < m->iSize; ++k) d[r].push_back(data.tpChemoValuePtr[r][m->ipSelVarIdxPtr[k]].Value);
    for (int k = 0; k < m->iSize; ++k) {
      long double mean = 0, ss = 0;
      for (int r = 0; r < 7; ++r) mean += d[r][k] / 7;
      for (int r = 0; r < 7; ++r) ss += (d[r][k] - mean) * (d[r][k] - mean);
      for (int r = 0; r < 7; ++r) d[r][k] = (d[r][k] - mean) / std::sqrt(ss / 7);
    }
    std::vector<long double> values;
    Table vectors;
    JacobiEigen(CorrelationOf(d), values, vectors);
    for (int r = 0; r < 7; ++r) {
      long double score = 0;
      for (int k = 0; k < m->iSize; ++k) score += d[r][k] * vectors[k][m->iSize - 1];
      f[r].push_back(score);
    }
  }
  std::vector<long double> values;
  Table vectors;
  JacobiEigen(CorrelationOf(f), values, vectors);
  for (int j = 0; j < 3; ++j) {
    EXPECT_NEAR(static_cast<double>(result.components.eigenvalues.At(0, j)), static_cast<double>(values[j]), 1e-12);
    for (int i = 0; i < 3; ++i)
      EXPECT_NEAR(static_cast<double>(std::fabs(result.components.vectors.At(i, j))),
                  static_cast<double>(std::fabs(vectors[i][j])), 1e-10);
  }
}

TEST_F(ModelListPcaTest, ObjectModeNamesTheIncludedObjectsAndPlotsTheirScores) {
  AddThreeModels();
  const ModelListPcaResult result = DescriptorsPca(models, data, true, {}, {});
  ASSERT_EQ(result.outcome, ModelPcaOutcome::Done);
  EXPECT_EQ(result.names, (std::vector<std::string>{"O0", "O1", "O2", "O3", "O4", "O5", "O6"}));
  EXPECT_EQ(result.numbers, (std::vector<std::string>{"0", "1", "2", "3", "4", "5", "6"}));
  EXPECT_EQ(result.ids, (std::vector<std::string>{"1", "3", "4"}));
  const PcaPlotValues plot = PcaPlotOf(result, true);
  ASSERT_EQ(plot.values.Rows(), 7);
  EXPECT_EQ(plot.values.At(4, 0), result.scores.At(4, 2));
  // The scores are those of the autoscaled first-stage columns: each
  // component's sum of squared scores is n times its eigenvalue.
  for (int j = 0; j < 3; ++j) {
    long double squares = 0.0L;
    for (int r = 0; r < 7; ++r) squares += result.scores.At(r, j) * result.scores.At(r, j);
    EXPECT_NEAR(static_cast<double>(squares), static_cast<double>(7.0L * result.components.eigenvalues.At(0, j)), 1e-9);
  }
}

TEST_F(ModelListPcaTest, ModelsOfSizeOneOrAConstantDescriptorFailTheFirstStage) {
  AddModel(1, {0}, {0.5L, 1.2L}, 0.4L, {}, {});
  AddModel(2, {1}, {0.5L, 1.2L}, 0.4L, {}, {});
  bool finalized = false;
  ModelListPcaResult result = DescriptorsPca(models, data, false, {}, [&] { finalized = true; });
  EXPECT_EQ(result.outcome, ModelPcaOutcome::FirstStageFailed);
  EXPECT_FALSE(finalized);
  EXPECT_EQ(ModelPcaFailureText(result.outcome), "Sorry, cannot calculate PCA. Please, check your data.");

  models.Clear();
  for (int r = 0; r < 9; ++r) data.tpChemoValuePtr[r][2] = CheckedValue(1.0L, false);
  AddModel(1, {0, 1}, {0, 1, 1}, 1, {}, {});
  AddModel(2, {1, 2}, {0, 1, 1}, 1, {}, {});
  EXPECT_EQ(DescriptorsPca(models, data, false, {}, {}).outcome, ModelPcaOutcome::FirstStageFailed);
}

TEST_F(ModelListPcaTest, ASingleFirstStageColumnFailsTheSecondStage) {
  AddModel(1, {0, 1}, {0, 1, 1}, 1, {}, {});
  const ModelListPcaResult result = DescriptorsPca(models, data, true, {}, {});
  EXPECT_EQ(result.outcome, ModelPcaOutcome::SecondStageFailed);
  EXPECT_EQ(ModelPcaFailureText(result.outcome), "Cannot calculate PCA of first axis, please check your data.");
}

// The residuals of 84,252 models over 1,017 objects with 24 GB available.
TEST(PcaMemoryTest, TheRefusalSaysWhatIsNeededAndHowManyModelsFit) {
  EXPECT_EQ(CorrelationPcaBytes(1017, 84252), 236989080720u);
  const uint64_t machine = uint64_t{24} << 30;
  EXPECT_EQ(MaxCorrelationPcaColumns(1017, machine), 27455);
  EXPECT_LE(CorrelationPcaBytes(1017, 27455), machine);
  EXPECT_GT(CorrelationPcaBytes(1017, 27456), machine);
  EXPECT_EQ(PcaMemoryRefusal(1017, 84252, machine),
            "Cannot calculate PCA of 84252 models: it needs 220.7 GB of memory and 24.0 GB are available. "
            "Please, select at most 27455 models.");
  EXPECT_EQ(PcaMemoryRefusal(1017, 27455, machine), "");
  EXPECT_EQ(MaxCorrelationPcaColumns(9, CorrelationPcaBytes(9, 3)), 3);  // the exact need fits
}

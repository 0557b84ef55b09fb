// Six experimental/predicted pairs, the first three of training objects and the
// last three of prediction objects, and the two blocks of the criteria report they give.
#pragma once

#include <utility>
#include <vector>

namespace criteriaexample {

inline const std::vector<std::pair<long double, long double>> kRows = {{1, 1.1L}, {2, 1.9L}, {3, 3.2L},
                                                                       {4, 3.8L}, {5, 5.3L}, {6, 5.9L}};

inline constexpr const char* kTrainingBlock =
    "(Training validation criteria)\n"
    "RMSE = 0.1414\n"
    "MAE = 0.1333\n"
    "R2 = 0.9700\n"
    "CCC = 0.9859\n"
    "k = 0.9628\n"
    "k' = 1.0357\n";

// Follows the training block when both sets are there.
inline constexpr const char* kPredictionBlock =
    "\n"
    "(Prediction validation criteria)\n"
    "RMSE = 0.2160\n"
    "MAE = 0.2000\n"
    "Q2-F1 = 0.9952\n"
    "Q2-F2 = 0.9300\n"
    "Q2-F3 = 0.9300\n"
    "CCC = 0.9677\n"
    "k = 0.9969\n"
    "k' = 1.0013\n"
    "r2m aver. = 0.8693\n"
    "r2m delta = 0.0600\n";

}  // namespace criteriaexample

// Multi-criteria ranking of objects: each selected object is compared with
// every other one, criterion by criterion, and scored between 0 and 1; the
// scores are then sorted both ways.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ChemoData;
struct Progress;

struct McdmCriterion {
  int32_t variable;
  long double weight;
  bool maximize;
};

// The scores of every object of the data set: those of selected (object
// order) from the pairwise comparisons, 0 for the others. For an ordered pair
// (a, b) P sums the weights of the criteria on which a is better, Q those on
// which b is; M(a, b) = K ((P + 1) / (Q + 1) - 0.5) with K the double nearest
// 2/3, and a's score is the mean of M(a, b) over the other selected objects.
// At least two objects must be selected. A tick per object a.
std::vector<long double> McdmScores(const ChemoData& data, const std::vector<int32_t>& selected,
                                    const std::vector<McdmCriterion>& criteria, Progress* progress);

// The objects in ascending and descending score order with their scores.
struct McdmOrder {
  std::vector<int32_t> ascending;
  std::vector<long double> ascendingScores;
  std::vector<int32_t> descending;
  std::vector<long double> descendingScores;
};
// Sorts all scores with the shared sort network (ties stay where it leaves
// them); descending is the exact reverse of ascending.
McdmOrder OrderByScore(std::vector<long double> scores);
// Both orders with the objects in their own order and scores 0.
McdmOrder InitialOrder(int objects);

// Weights must total 1 within the doubles nearest 0.99999999999999 and 1.00000000000001.
bool WeightTotalAccepted(long double total);
std::string WeightTotalMessage(long double total);

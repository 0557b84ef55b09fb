// Splitting of the objects into training (1), prediction (2) and excluded (0):
// along an order of the objects, at random with the class library's generator,
// by exchanging the two roles, or from the values of a splitting variable; and
// the names of the saved splittings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "prepare/DataSetup.h"

class ChemoData;

// The objects whose response is present, in ascending order of it (Batcher's
// network, so ties may change places).
std::vector<int32_t> OrderByResponse(const ChemoData& data, int32_t response);
// objects in ascending order of their scores (scores[r] belongs to objects[r]).
std::vector<int32_t> OrderByScores(const std::vector<int32_t>& objects, const std::vector<long double>& scores);

// Along the order, runs of `training` training objects and `prediction` prediction
// objects alternate from position 1 (predictionSecond: the prediction run first);
// the first and the last ordered object are training. Nothing happens when
// either run length is 0 or the order is empty; objects outside it keep their role.
void ApplyOrderedSplitting(std::vector<int32_t>& status, const std::vector<int32_t>& order, int training,
                           int prediction, bool predictionSecond);

// percent of the objects (truncated) become prediction, the others training;
// then, with the generator seeded from the clock, every object i exchanges its
// role with object Random(O).
void RandomSplitting(std::vector<int32_t>& status, int percent);

// Training and prediction exchange roles among the given objects; keepEnds puts
// back the roles of the first and the last of them.
void SwapRoles(std::vector<int32_t>& status, const std::vector<int32_t>& objects, bool keepEnds);
std::vector<int32_t> AllObjects(int32_t count);

// Roles from the values of a variable, truncated toward zero (flags ignored);
// a value at or below -1 or at or above 3 gives training. True when some did.
bool StatusesFromVariable(const ChemoData& data, int32_t var, std::vector<int32_t>& status);

// "Split - n", n from the number of splittings up, the first name not yet used.
std::string ProposeSplittingName(const std::vector<NamedSplitting>& splittings);
bool HasSplittingName(const std::vector<NamedSplitting>& splittings, const std::string& name);

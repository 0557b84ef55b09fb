// The working copy of a data set's set-up (object roles, response, variable
// marks, named splittings, LOF smoothing): taken from the data set, examined
// for the summary and the object status texts, and written back on OK.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

class ChemoData;

// The role of a variable in the set-up, shown in the variable grid's status column.
enum class VarMark { None, Selected, Response, Splitting, Hold };

// "Selected", "Response", "Splitting", "Hold", or empty.
const char* VariableStatusLabel(VarMark mark);
VarMark VarMarkFromLabel(const std::string& label);

// One saved set of object roles (0 excluded, 1 training, 2 prediction).
struct NamedSplitting {
  std::string name;
  std::vector<int32_t> status;
};

struct DataSetup {
  std::vector<int32_t> status;  // per object
  int32_t response = -1;        // variable index, -1 none
  std::vector<VarMark> marks;   // per variable
  std::vector<NamedSplitting> splittings;
  int32_t currentSplit = 0;
};

// The set-up stored in the data set. Marks are laid in the order selected,
// held, response, splitting (a later one wins). Indices outside the data set
// are left out; badIndices tells whether there were any.
DataSetup LoadSetup(const ChemoData& data, bool& badIndices);

// Writes the set-up into the data set: selected and held variables (both in the
// selected list, in column order), splitting variables, response, statuses,
// named splittings and the LOF smoothing. Everything is built before anything
// is replaced, so a failure leaves the data set as it was.
void WriteSetup(ChemoData& data, const DataSetup& setup, long double lofSmoothing);

// Empties the selected, splitting and held variables and the named splittings,
// and removes the response: what is left after a failed write-back.
void ResetSetup(ChemoData& data);

// Counts of the set-up summary and its two lists.
struct SetupSummary {
  int training = 0;
  int prediction = 0;
  int excluded = 0;
  int unknown = 0;  // training or prediction objects without a response
  std::vector<std::string> variables;     // names of the selected and held variables
  std::vector<std::string> missingCells;  // "object - variable", object by object
  // The two lines of the details box.
  std::string Text() const;
};

SetupSummary SummariseSetup(const ChemoData& data, const std::vector<int32_t>& status, int32_t response,
                            const std::vector<VarMark>& marks);

// "Unknown" for a non-excluded object without its response, else "Missing" when
// a "Selected" variable is missing for it, else the label of its status.
std::string ObjectStatusText(const ChemoData& data, const std::vector<int32_t>& status, int32_t response,
                             const std::vector<VarMark>& marks, int32_t obj);

// The status of an object under the data set's own set-up: its label, "Missing"
// when a selected variable is missing for it, "Unknown" (applied last) when it is
// not excluded and its response is missing.
std::string StoredStatusText(const ChemoData& data, int32_t obj);

// The indices of the variables with the given marks, in column order.
std::vector<int32_t> MarkedVariables(const std::vector<VarMark>& marks, std::initializer_list<VarMark> which);

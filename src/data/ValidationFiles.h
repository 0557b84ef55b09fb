// The temporary validation files: one per internal-validation kind, a sequence of
// records (N iterations, p variable indices, then per iteration R2, Q2 and K as
// 24-byte checked cells), all integers 32-bit little-endian. A record is written
// whole, once its model's iterations are known; the one record reader serves the
// merge and the plots and refuses a damaged record (negative counts or more bytes
// than the file still holds) instead of seeking or allocating without bound.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/DataResult.h"
#include "numerics/CheckedValue.h"

class Stream;

// A model's mean R2 and mean Q2 cells of each validation kind, in kind order:
// leave-many-out, Y-scrambling, random descriptors, random responses. A model
// carries a kind's results when its mean Q2 is present.
inline constexpr CheckedValue DataResultNode::*kValidationMeanR2[] = {
    &DataResultNode::cvR2LMO, &DataResultNode::cvR2Yscr, &DataResultNode::cvR2Xrnd, &DataResultNode::cvR2Yrnd};
inline constexpr CheckedValue DataResultNode::*kValidationMeanQ2[] = {
    &DataResultNode::cvQ2LMO, &DataResultNode::cvQ2Yscr, &DataResultNode::cvQ2Xrnd, &DataResultNode::cvQ2Yrnd};

constexpr int kValidationBlockSize = 72;

struct ValidationIteration {
  CheckedValue r2;
  CheckedValue q2;
  CheckedValue k;
};

struct ValidationRecord {
  std::vector<int32_t> variables;
  std::vector<ValidationIteration> iterations;
};

// The byte image of one record (unused cell bytes zero).
std::vector<uint8_t> EncodeValidationRecord(const ValidationRecord& record);
// Appends the image of record; throws EStreamError when it cannot be written.
void WriteValidationRecord(Stream& stream, const ValidationRecord& record);

enum class RecordRead { Ok, End, Damaged };

// The head of one record: its iteration count and variable indices; the stream is
// left at its first iteration block.
struct RecordHead {
  int32_t iterations = 0;
  std::vector<int32_t> variables;
  int64_t BlockBytes() const { return int64_t{kValidationBlockSize} * iterations; }
};

// Reads the next record head. End: nothing (or less than the 4 bytes of N) is left.
// Damaged: N or p negative, or the record needs more bytes than remain.
RecordRead ReadRecordHead(Stream& stream, RecordHead& head);
// Reads the head's iteration blocks (the head has been checked against the size);
// a cell whose value is not finite is read as missing with value 0.
RecordRead ReadRecordIterations(Stream& stream, const RecordHead& head, ValidationRecord& record);

// The model's variable set: p equal and p pairs (model variable, record index) of
// equal values, so any order of the same indices matches.
bool SameVariableSet(const std::vector<int32_t>& a, const int32_t* b, int bCount);

enum class RecordSearch { Found, NotFound, Damaged };
// The first record of the model's variable set, from the stream's position.
RecordSearch FindValidationRecord(Stream& stream, const int32_t* variables, int p, ValidationRecord& record);
// True when the file at path holds a whole record of the model's variable set.
bool HoldsValidationRecord(const std::string& path, const int32_t* variables, int p);

// Merges the record file into the validation file: the new records first, then the
// old records of other variable sets; the output file replaces the validation file
// by rename and the record file goes. Without a validation file the record file is
// renamed to it. A failure shows the merge message (a failed write its file and
// reason), leaves the validation and record files as they are and removes the
// output file; returns false then.
bool MergeValidationFiles(const std::string& validationPath, const std::string& recordPath,
                          const std::string& outputPath);

// Where a record lies in its file: its first byte and the byte after its last.
struct RecordSpan {
  int64_t start;
  int64_t end;
};
// The records of the file, read from its start up to its end or a damaged record,
// whose variable sets are not among the sets.
std::vector<RecordSpan> RecordSpansOutside(Stream& file, const std::vector<std::vector<int32_t>>& variableSets);

// Only a file known not to exist holds no records: a path whose folder cannot be
// looked into (no folder, a file in its place, or one the user may not search)
// may still hold them.
bool NoSuchFile(const std::string& path);

// Removes from the validation file, in place, every record of one of the variable
// sets; a damaged end, which no reader gets past, goes too. Needs no room on the
// disk, and writes nothing when there is nothing to remove. A write that fails
// midway cuts the file where the records kept so far end, so that no record is
// left half moved. True when the file holds no record of the sets afterwards (a
// file that does not exist holds none); false when it could not be rewritten, or
// its folder could not be looked into.
bool RemoveValidationRecords(const std::string& path, const std::vector<std::vector<int32_t>>& variableSets);

// The variable sets whose records in one validation file are out of date: their
// models were validated again, and the old records could neither be replaced nor
// removed. Every record is out of date when the file could not be deleted for a
// new project or search. A reader takes such a model as having no record in the file.
class StaleRecords {
public:
  void Mark(const std::vector<std::vector<int32_t>>& variableSets);
  void Unmark(const std::vector<std::vector<int32_t>>& variableSets);
  void MarkAll() { all_ = true; }
  bool All() const { return all_; }
  bool Holds(const int32_t* variables, int p) const;
  const std::vector<std::vector<int32_t>>& Sets() const { return sets_; }

private:
  std::vector<std::vector<int32_t>> sets_;
  bool all_ = false;
};

// What the consensus window shows and exports as text: the object table and the
// report that the copy and save commands write (lines end with CR LF, every
// table cell is followed by a TAB; number cells, criteria values and, in the
// saved report, the column titles show the user's decimal separator).
#pragma once

#include <string>
#include <vector>

#include "platform/base/UiServices.h"

class Consensus;

using ConsensusCells = std::vector<std::vector<std::string>>;

constexpr int kConsensusColumns = 15;

// The header row and one row per data-set object.
ConsensusCells ConsensusTableCells(const Consensus& consensus);

// The report: the model lines, the criteria lines and the table, separated by
// empty lines; the saved report starts with "Consensus selected models:".
// progress, when given, advances once per model line, criteria line, header
// cell and table row.
std::string ConsensusReportText(const std::vector<std::string>& modelLines, const std::vector<std::string>& criteria,
                                const ConsensusCells& table, bool saved, char separator, Progress* progress = nullptr);

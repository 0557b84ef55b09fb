// The texts the single-model window copies to the clipboard and saves as a
// report. Lines end with CR LF; only number cells show the user's decimal
// separator, names, statuses and titles go out as they stand.
#pragma once

#include <string>

struct Progress;
class SingleModelAnalysis;

// Both grids with the statistics text between them, every cell followed by a
// TAB. progress, when given, shows "Formatting..." and a bar stepped once per
// row written.
std::string ModelCopyText(const SingleModelAnalysis& analysis, char separator, Progress* progress = nullptr);
// "Model: " + name, the coefficient lines, the statistics text and the object grid.
std::string ModelReportText(const SingleModelAnalysis& analysis, char separator);
// The file the save command writes for the chosen name: a ".txt" or ".smd"
// ending (any case) is dropped, then ".txt" (filter 1) or ".smd" (filter 2) added.
std::string ModelReportFileName(const std::string& chosen, int filterIndex);

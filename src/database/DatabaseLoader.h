// The data sets of the database folder: ';'-separated files of six fields
// per line (identifier, name, CAS number, SMILES, value, ignored) under a
// header whose fields 5 and 6 are the response title and its reference.
#pragma once

#include <string>
#include <vector>

#include "platform/base/Stream.h"
#include "platform/base/UiServices.h"

struct Molecule {
  std::string idDataset;
  std::string name;
  std::string cas;
  std::string smiles;
  std::string value;
  int dataset = 0;  // position of its file in the list of database files
};

struct DatabaseContent {
  std::vector<Molecule> records;       // file after file, in file order
  std::vector<std::string> titles;     // one per file (empty when its header has none)
  std::vector<std::string> references; // one per file
  int recordCount = 0;
  int distinctCas = 0;
};

// Reads one data-set file with the byte rules of the format and appends its
// records to content, counting records and distinct CAS texts.
void LoadDataSet(Stream& stream, int datasetIndex, DatabaseContent& content);

// Reads every file of folder in order, stepping progress per file. A file that
// cannot be read ends the loading with an Exception; what was read stays in content.
void LoadDatabaseFiles(const std::string& folder, const std::vector<std::string>& files, DatabaseContent& content,
                       Progress* progress);

// "Database: N molecules - M data".
std::string DatabaseCaption(const DatabaseContent& content);

// The file name without its extension (from the last '.').
std::string DataSetName(const std::string& fileName);
// folder + data set name + "/hin/" + CAS + ".hin".
std::string HinPath(const std::string& folder, const std::string& fileName, const std::string& cas);

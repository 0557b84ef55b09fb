// The database query: by CAS number parts, by name, by SMILES text, by
// structure (a SMILES compared with each molecule's structure file) or by
// empirical formula, optionally within one data set; hits are placed one row
// per CAS number (or per record) with each data set's value in its own column.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "database/DatabaseLoader.h"
#include "platform/base/UiServices.h"

enum class QueryMode { Cas, Smiles, Formula, Name };
enum class SmilesKind { DatasetText, Structure };

struct QueryInput {
  QueryMode mode = QueryMode::Cas;
  std::string cas[3];
  std::string smiles;
  SmilesKind smilesKind = SmilesKind::DatasetText;
  std::string formula;
  std::string name;
  int dataset = -1;       // -1: every data set
  bool separate = false;  // "Show compounds separately"
};

// An element and how often it occurs.
struct AtomNum {
  std::string element;
  int count;
};

// One atom of a query or molecule structure: its element and bonded atoms.
struct QueryAtom {
  std::string element;
  std::vector<int> partners;
};

// The element symbol starting at position p of text, or empty; p is advanced
// to the symbol's last character. Outside brackets (SMILES only) the two-letter
// symbols are Cl and Br alone; lower-case c, n, o, s are aromatic atoms except
// in formulas (formula = true), which are read case-sensitively.
std::string NextElementSymbol(const std::string& text, std::size_t& p, bool formula, bool inBracket);
// The heavy atoms of a SMILES and their bonds (symmetric lists).
std::vector<QueryAtom> ParseSmilesStructure(const std::string& smiles);
// Fills counts with the count per element of a formula ("CH3OH"); returns the
// number of atoms, or nothing for a bad formula, whose counts add up beyond 32 bits.
std::optional<int> ParseEmpiricalFormula(const std::string& formula, std::vector<AtomNum>& counts);
// Counts per element (letter case ignored); returns the number of atoms,
// hydrogens only when withHydrogens.
int CountStructureElements(const std::vector<QueryAtom>& atoms, std::vector<AtomNum>& counts, bool withHydrogens);
// The heavy-atom structure (and hydrogens) of a structure file; throws when it
// cannot be read.
std::vector<QueryAtom> ReadStructureAtoms(const std::string& path);
// Whether the molecule of the structure file matches the query structure, or
// the formula when the structure is empty. A missing or unreadable file is no match.
bool FormulaQuery(const std::string& path, const std::vector<QueryAtom>& query, const std::string& formula,
                  bool formulaMode);

// The result table: row 0 the titles, then one row per hit; columns "No.",
// "ID dataset", "Name", "CAS", "SMILES" and one per data set.
struct QueryResult {
  std::vector<std::vector<std::string>> rows;
  QueryMode mode = QueryMode::Cas;  // the mode that ran (empty inputs fall back to CAS)
  int Hits() const { return static_cast<int>(rows.size()) - 1; }
  // A data-set column with no value in any row.
  bool EmptyColumn(int col) const;
};

constexpr int kFirstDataColumn = 5;

class DatabaseQuery {
public:
  DatabaseQuery(const DatabaseContent& content, const std::string& folder, const std::vector<std::string>& files)
      : content_(content), folder_(folder), files_(files) {}

  QueryResult Run(const QueryInput& input, Progress* progress = nullptr);

private:
  bool Considered(const Molecule& m, const QueryInput& input) const;
  bool Matches(const Molecule& m, const QueryInput& input, const std::vector<QueryAtom>& structure) const;
  void Place(QueryResult& result, const Molecule& m, const QueryInput& input) const;

  const DatabaseContent& content_;
  const std::string& folder_;
  const std::vector<std::string>& files_;
};

// True when the CAS parts match the record's CAS at their positions.
bool CasMatches(const std::string& cas, const std::string parts[3]);
// Lower case of Latin-1 text.
std::string LowerLatin1(const std::string& text);
// The first result row (from 1) whose CAS is this text; -1 when none or when
// records are shown separately.
int FindRowByCas(const QueryResult& result, const std::string& cas, bool separate);

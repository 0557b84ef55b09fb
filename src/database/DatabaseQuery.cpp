#include "database/DatabaseQuery.h"

#include <algorithm>
#include <map>

#include "database/HinReader.h"
#include "numerics/Utils.h"

namespace {

bool IsAromaticOrganic(const std::string& candidate) {
  if (candidate.size() != 1) return false;
  char c = static_cast<char>(std::toupper(static_cast<unsigned char>(candidate[0])));
  return c == 'C' || c == 'N' || c == 'O' || c == 'S';
}

std::string Upper(const std::string& candidate) {
  return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(candidate[0]))));
}

bool IsTableSymbol(const std::string& candidate) {
  return std::any_of(kPerElem.begin(), kPerElem.end(), [&](const PerElem& e) { return candidate == e.symbol; });
}

bool EqualNoCase(const std::string& a, const std::string& b) { return LowerLatin1(a) == LowerLatin1(b); }

// Adds one element occurrence (letter case ignored) to counts.
void AddCount(std::vector<AtomNum>& counts, const std::string& element, int n) {
  for (AtomNum& entry : counts) {
    if (EqualNoCase(entry.element, element)) {
      entry.count += n;
      return;
    }
  }
  counts.push_back({element, n});
}

int CountOf(const std::vector<AtomNum>& counts, const std::string& element) {
  for (const AtomNum& entry : counts)
    if (EqualNoCase(entry.element, element)) return entry.count;
  return 0;
}

bool IsHydrogen(const std::string& element) { return element == "H" || element == "h"; }

// The bonded element pairs of a structure, each bond from both of its atoms,
// as order-free keys; hydrogens and partners outside the list are left out.
std::vector<std::pair<std::string, std::string>> ElementPairs(const std::vector<QueryAtom>& atoms) {
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const QueryAtom& atom : atoms) {
    if (IsHydrogen(atom.element)) continue;
    for (int partner : atom.partners) {
      if (partner < 0 || partner >= static_cast<int>(atoms.size())) continue;
      const std::string& other = atoms[partner].element;
      if (IsHydrogen(other)) continue;
      std::string a = LowerLatin1(atom.element);
      std::string b = LowerLatin1(other);
      pairs.emplace_back(std::min(a, b), std::max(a, b));
    }
  }
  std::sort(pairs.begin(), pairs.end());
  return pairs;
}

bool CompositionMatches(const std::vector<QueryAtom>& molecule, const std::vector<QueryAtom>& query,
                        const std::string& formula, bool formulaMode) {
  std::vector<AtomNum> queryCounts;
  std::vector<AtomNum> moleculeCounts;
  std::optional<int> q = query.empty() ? ParseEmpiricalFormula(formula, queryCounts)
                                       : CountStructureElements(query, queryCounts, formulaMode);
  int m = CountStructureElements(molecule, moleculeCounts, formulaMode);
  if (q != m) return false;  // a bad formula matches nothing
  int sum = 0;
  for (const AtomNum& entry : moleculeCounts) {
    if (!formulaMode && IsHydrogen(entry.element)) continue;
    if (CountOf(queryCounts, entry.element) == entry.count) sum += entry.count;
  }
  return sum == q;
}

}  // namespace

std::string LowerLatin1(const std::string& text) {
  std::string lower = text;
  for (char& ch : lower) {
    unsigned char c = static_cast<unsigned char>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) ch = static_cast<char>(c + 32);
  }
  return lower;
}

std::string NextElementSymbol(const std::string& text, std::size_t& p, bool formula, bool inBracket) {
  std::string candidate = text.substr(p, 3);
  for (std::size_t n = candidate.size(); n >= 1; --n) {
    std::string cut = candidate.substr(0, n);
    if (!formula && !inBracket && n > 1 && cut != "Cl" && cut != "Br") continue;
    std::string symbol;
    if (!formula && IsAromaticOrganic(cut))
      symbol = Upper(cut);
    else if (IsTableSymbol(cut))
      symbol = cut;
    if (!symbol.empty()) {
      p += n - 1;
      return symbol;
    }
  }
  return "";
}

std::vector<QueryAtom> ParseSmilesStructure(const std::string& smiles) {
  std::string text;
  for (char c : smiles)
    if (c != ' ') text.push_back(c);
  std::vector<QueryAtom> atoms;
  std::vector<int> branches;
  int pending = -1;      // the atom the next atom bonds to after a branch
  int lastBranch = -1;   // the branch point popped last
  std::map<char, int> openRings;
  bool inBracket = false;
  auto bond = [&](int a, int b) { atoms[a].partners.push_back(b); };
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '[' || c == ']') {
      inBracket = c == '[';
    } else if (c == '(') {
      if (!atoms.empty())
        branches.push_back(i > 0 && text[i - 1] == ')' ? lastBranch : static_cast<int>(atoms.size()) - 1);
    } else if (c == ')') {
      if (!branches.empty()) {
        lastBranch = pending = branches.back();
        branches.pop_back();
      }
    } else if (c >= '0' && c <= '9') {
      if (inBracket || atoms.empty()) continue;
      int last = static_cast<int>(atoms.size()) - 1;
      auto open = openRings.find(c);
      if (open == openRings.end()) {
        openRings[c] = last;
      } else {
        bond(last, open->second);
        openRings.erase(open);
      }
    } else {
      std::string symbol = NextElementSymbol(text, i, false, inBracket);
      if (symbol.empty() || IsHydrogen(symbol)) continue;
      atoms.push_back({symbol, {}});
      int added = static_cast<int>(atoms.size()) - 1;
      if (pending >= 0) {
        bond(added, pending);
        pending = -1;
      } else if (added > 0) {
        bond(added, added - 1);
      }
    }
  }
  for (int a = 0; a < static_cast<int>(atoms.size()); ++a)
    for (int b : atoms[a].partners)
      if (std::find(atoms[b].partners.begin(), atoms[b].partners.end(), a) == atoms[b].partners.end())
        atoms[b].partners.push_back(a);
  return atoms;
}

std::optional<int> ParseEmpiricalFormula(const std::string& formula, std::vector<AtomNum>& counts) {
  constexpr int64_t kTooMany = int64_t{INT32_MAX} + 1;
  auto digitAt = [&](std::size_t p) { return p < formula.size() && formula[p] >= '0' && formula[p] <= '9'; };
  counts.clear();
  int64_t total = 0;
  for (std::size_t p = 0; p < formula.size(); ++p) {
    std::string symbol = NextElementSymbol(formula, p, true, false);
    if (symbol.empty()) continue;
    int64_t n = digitAt(p + 1) ? 0 : 1;
    while (digitAt(p + 1)) n = std::min(n * 10 + (formula[++p] - '0'), kTooMany);
    total += n;
    if (total >= kTooMany) return std::nullopt;
    AddCount(counts, symbol, static_cast<int>(n));  // no count exceeds the total
  }
  return static_cast<int>(total);
}

int CountStructureElements(const std::vector<QueryAtom>& atoms, std::vector<AtomNum>& counts, bool withHydrogens) {
  int total = 0;
  for (const QueryAtom& atom : atoms) {
    AddCount(counts, atom.element, 1);
    if (withHydrogens || atom.element != "H") ++total;
  }
  return total;
}

std::vector<QueryAtom> ReadStructureAtoms(const std::string& path) {
  FileStream file(path, FileMode::OpenRead);
  ByteSource source(file);
  std::vector<QueryAtom> atoms;
  std::map<int32_t, int> position;  // atom number -> place in the list (the first atom of a number)
  ScanHinFile(source, [&](ByteSource& in, int32_t offset) {
    ElemCoord atom = ReadHinAtom(in, offset);
    QueryAtom entry{atom.element, {}};
    for (const BondStruct& b : atom.bonds) entry.partners.push_back(b.partner);
    position.emplace(atom.number, static_cast<int>(atoms.size()));
    atoms.push_back(std::move(entry));
  });
  // Partners are atom numbers; turn them into positions in the list.
  for (QueryAtom& atom : atoms)
    for (int& partner : atom.partners) {
      auto found = position.find(partner);
      partner = found == position.end() ? -1 : found->second;
    }
  return atoms;
}

bool FormulaQuery(const std::string& path, const std::vector<QueryAtom>& query, const std::string& formula,
                  bool formulaMode) {
  std::vector<QueryAtom> molecule;
  try {
    molecule = ReadStructureAtoms(path);
  } catch (const Exception&) {
    return false;
  }
  if (!CompositionMatches(molecule, query, formula, formulaMode)) return false;
  if (query.empty()) return true;
  return ElementPairs(query) == ElementPairs(molecule);
}

bool CasMatches(const std::string& cas, const std::string parts[3]) {
  auto at = [&](const std::string& part, std::size_t position) {
    return position - 1 + part.size() <= cas.size() && cas.compare(position - 1, part.size(), part) == 0;
  };
  auto any = [&](const std::string& part, std::initializer_list<std::size_t> positions) {
    if (part.empty()) return true;
    return std::any_of(positions.begin(), positions.end(), [&](std::size_t p) { return at(part, p); });
  };
  return any(parts[0], {1, 2, 3, 4, 5}) && any(parts[1], {7, 8}) && any(parts[2], {11});
}

int FindRowByCas(const QueryResult& result, const std::string& cas, bool separate) {
  if (separate) return -1;
  for (std::size_t r = 1; r < result.rows.size(); ++r)
    if (result.rows[r][3] == cas) return static_cast<int>(r);
  return -1;
}

bool QueryResult::EmptyColumn(int col) const {
  return std::all_of(rows.begin() + 1, rows.end(), [col](const auto& row) { return row[col].empty(); });
}

bool DatabaseQuery::Considered(const Molecule& m, const QueryInput& input) const {
  return input.dataset < 0 || m.dataset == input.dataset;
}

bool DatabaseQuery::Matches(const Molecule& m, const QueryInput& input,
                            const std::vector<QueryAtom>& structure) const {
  switch (input.mode) {
    case QueryMode::Cas:
      return CasMatches(m.cas, input.cas);
    case QueryMode::Name:
      return LowerLatin1(m.name).find(LowerLatin1(input.name)) != std::string::npos;
    case QueryMode::Smiles:
      if (input.smilesKind == SmilesKind::DatasetText) return m.smiles == input.smiles;
      break;
    case QueryMode::Formula:
      break;
  }
  if (m.dataset < 0 || m.dataset >= static_cast<int>(files_.size())) return false;
  return FormulaQuery(HinPath(folder_, files_[m.dataset], m.cas), structure, input.formula,
                      input.mode == QueryMode::Formula);
}

void DatabaseQuery::Place(QueryResult& result, const Molecule& m, const QueryInput& input) const {
  int row = m.cas.empty() ? -1 : FindRowByCas(result, m.cas, input.separate);
  bool rewrite = row < 0 || input.mode == QueryMode::Cas;
  if (row < 0) {
    row = static_cast<int>(result.rows.size()) - 1;
    result.rows.emplace_back(result.rows[0].size());
  }
  std::vector<std::string>& cells = result.rows[row];
  if (rewrite) {
    cells[0] = IntToStr(row);
    cells[1] = m.idDataset;
    cells[2] = m.name;
    cells[3] = m.cas;
    cells[4] = m.smiles;
  }
  std::size_t col = kFirstDataColumn + static_cast<std::size_t>(m.dataset);
  if (col < cells.size()) cells[col] = m.value;
}

QueryResult DatabaseQuery::Run(const QueryInput& asked, Progress* progress) {
  QueryInput input = asked;
  bool empty = (input.mode == QueryMode::Smiles && input.smiles.empty()) ||
               (input.mode == QueryMode::Formula && input.formula.empty()) ||
               (input.mode == QueryMode::Name && input.name.empty());
  if (empty) input.mode = QueryMode::Cas;

  QueryResult result;
  result.mode = input.mode;
  std::vector<std::string> titles = {"No.", "ID dataset", "Name", "CAS", "SMILES"};
  for (std::size_t k = 0; k < files_.size(); ++k)
    titles.push_back(k < content_.titles.size() ? content_.titles[k] : std::string());
  result.rows.push_back(titles);
  result.rows.emplace_back(titles.size());  // the table always ends in one empty row

  std::vector<QueryAtom> structure;
  if (input.mode == QueryMode::Smiles && input.smilesKind == SmilesKind::Structure)
    structure = ParseSmilesStructure(input.smiles);

  const int records = static_cast<int>(content_.records.size());
  const int step = records == 0 ? 0 : LargestInt() / records;
  for (int i = 0; i < records; ++i) {
    const Molecule& m = content_.records[i];
    if (Considered(m, input) && Matches(m, input, structure)) Place(result, m, input);
    if (progress != nullptr) progress->SetPosition((i + 1) * step);
  }
  result.rows.pop_back();
  return result;
}

#include "database/DatabaseLoader.h"

#include <unordered_set>

#include "database/ByteSource.h"
#include "numerics/Utils.h"

namespace {

constexpr int kCR = 13;
constexpr int kLF = 10;
constexpr int kFields = 6;

// The state of the byte reader of one data-set file.
class DataSetReader {
public:
  DataSetReader(int datasetIndex, DatabaseContent& content, std::unordered_set<std::string>& knownCas)
      : index_(datasetIndex), content_(content), knownCas_(knownCas) {}

  void Separator() {
    if (count_ >= kFields) {
      EndRecord();
      return;
    }
    StoreField();
  }
  void Append(char c) { buffer_.push_back(c); }
  int FieldCount() const { return count_; }

private:
  void EndRecord() {
    if (!header_) {
      record_.dataset = index_;
      content_.records.push_back(record_);
      ++content_.recordCount;
      if (knownCas_.insert(record_.cas).second) ++content_.distinctCas;
    }
    header_ = false;
    count_ = 0;  // the buffer keeps what followed the sixth field
  }
  void StoreField() {
    std::string* fields[] = {&record_.idDataset, &record_.name, &record_.cas, &record_.smiles, &record_.value};
    if (count_ < 5) *fields[count_] = buffer_;
    if (header_ && count_ == 4) content_.titles[index_] = buffer_;
    if (header_ && count_ == 5) content_.references[index_] = buffer_;
    ++count_;
    buffer_.clear();
  }

  int index_;
  DatabaseContent& content_;
  std::unordered_set<std::string>& knownCas_;
  Molecule record_;
  std::string buffer_;
  int count_ = 0;
  bool header_ = true;
};

std::unordered_set<std::string> CasTexts(const DatabaseContent& content) {
  std::unordered_set<std::string> known;
  for (const Molecule& m : content.records) known.insert(m.cas);
  return known;
}

}  // namespace

void LoadDataSet(Stream& stream, int datasetIndex, DatabaseContent& content) {
  if (static_cast<int>(content.titles.size()) <= datasetIndex) {
    content.titles.resize(datasetIndex + 1);
    content.references.resize(datasetIndex + 1);
  }
  std::unordered_set<std::string> knownCas = CasTexts(content);
  DataSetReader reader(datasetIndex, content, knownCas);
  ByteSource source(stream);
  int previous = -1;
  for (int b = source.Get(); b >= 0; previous = b, b = source.Get()) {
    if (b != ';' && b != kCR && b != kLF) {
      reader.Append(static_cast<char>(b));
      continue;
    }
    // A line feed without its carriage return reads as both, except after a
    // sixth field already closed by ';', where it ends the record by itself.
    if (b == kLF && previous != kCR && reader.FieldCount() < kFields) reader.Separator();
    reader.Separator();
  }
}

void LoadDatabaseFiles(const std::string& folder, const std::vector<std::string>& files, DatabaseContent& content,
                       Progress* progress) {
  content.titles.resize(files.size());
  content.references.resize(files.size());
  const int step = files.empty() ? 0 : LargestInt() / static_cast<int>(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    {
      FileStream file(folder + files[i], FileMode::OpenRead);
      LoadDataSet(file, static_cast<int>(i), content);
    }
    if (progress != nullptr) progress->SetPosition(static_cast<int>((i + 1) * static_cast<std::size_t>(step)));
  }
}

std::string DatabaseCaption(const DatabaseContent& content) {
  return "Database: " + IntToStr(content.distinctCas) + " molecules - " + IntToStr(content.recordCount) + " data";
}

std::string DataSetName(const std::string& fileName) {
  std::size_t dot = fileName.rfind('.');
  return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

std::string HinPath(const std::string& folder, const std::string& fileName, const std::string& cas) {
  return folder + DataSetName(fileName) + "/hin/" + cas + ".hin";
}

#include "prepare/TableReader.h"

#include <algorithm>

namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';
// The animation redraws at most every 125 ms; there is no need to ask for every byte.
constexpr std::size_t kTickInterval = 1 << 16;

class TableBuilder {
public:
  explicit TableBuilder(char delimiter) : delimiter_(delimiter) { table_.Rows.emplace_back(); }

  void Byte(char b) {
    if (b == kLF && previous_ == kCR) {
      previous_ = b;
      return;
    }
    const bool lineEnd = b == kCR || b == kLF;
    if (b == delimiter_ || lineEnd) {
      if (previous_ != delimiter_) EndField();
      if (lineEnd) table_.Rows.emplace_back();
    } else {
      pending_.push_back(b);
    }
    previous_ = b;
  }

  TextTable Finish() {
    if (previous_ == kCR || previous_ == kLF)
      table_.Rows.pop_back();  // the row opened by the last line end stayed empty
    else if (previous_ != delimiter_)
      EndField();
    return std::move(table_);
  }

private:
  void EndField() {
    auto& row = table_.Rows.back();
    row.push_back(std::move(pending_));
    pending_.clear();
    table_.ColCount = std::max(table_.ColCount, static_cast<int>(row.size()));
  }

  char delimiter_;
  char previous_ = 0;
  std::string pending_;
  TextTable table_;
};

}  // namespace

const std::string& TextTable::Field(int col, int row) const {
  static const std::string empty;
  const auto& fields = Rows.at(static_cast<std::size_t>(row));
  return col < static_cast<int>(fields.size()) ? fields[static_cast<std::size_t>(col)] : empty;
}

TextTable ReadDelimitedTable(std::string_view bytes, char delimiter, Progress* progress) {
  if (bytes.empty()) return TextTable{};
  TableBuilder builder(delimiter);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    builder.Byte(bytes[i]);
    if (progress != nullptr && i % kTickInterval == 0) progress->AnimationTick();
  }
  return builder.Finish();
}

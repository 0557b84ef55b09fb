#include "prepare/TableReader.h"

#include <algorithm>
#include <limits>

#include "platform/base/Exception.h"

namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';
// The animation redraws at most every 125 ms; there is no need to ask for every byte.
constexpr std::size_t kTickInterval = 1 << 16;

}  // namespace

class TableBuilder {
public:
  TableBuilder(std::string bytes, char delimiter) : delimiter_(delimiter) {
    table_.bytes_ = std::move(bytes);
    StartRow(0);
  }

  void Read(Progress* progress) {
    const std::string& bytes = table_.bytes_;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      Byte(bytes[i], i);
      if (progress != nullptr && i % kTickInterval == 0) progress->AnimationTick();
    }
  }

  TextTable Finish() {
    if (previous_ == kCR || previous_ == kLF) {
      table_.rowStart_.pop_back();  // the row opened by the last line end stayed empty
      table_.rowFirstField_.pop_back();
    } else if (previous_ != delimiter_) {
      EndField(table_.bytes_.size());
    }
    table_.rowStart_.shrink_to_fit();
    table_.rowFirstField_.shrink_to_fit();
    table_.spans_.shrink_to_fit();
    return std::move(table_);
  }

private:
  void Byte(char b, std::size_t at) {
    if (b == kLF && previous_ == kCR) {
      previous_ = b;
      fieldStart_ = at + 1;
      return;
    }
    const bool lineEnd = b == kCR || b == kLF;
    if (b == delimiter_ || lineEnd) {
      if (previous_ != delimiter_) EndField(at);
      if (lineEnd) StartRow(at + 1);
      fieldStart_ = at + 1;
    }
    previous_ = b;
  }

  void StartRow(std::size_t at) {
    table_.rowStart_.push_back(at);
    table_.rowFirstField_.push_back(table_.spans_.size());
    fieldStart_ = at;
  }

  void EndField(std::size_t end) {
    const std::size_t lineStart = table_.rowStart_.back();
    if (end - lineStart > std::numeric_limits<uint32_t>::max())
      throw Exception("Cannot read a line longer than 4 GB.");
    table_.spans_.push_back({static_cast<uint32_t>(fieldStart_ - lineStart), static_cast<uint32_t>(end - fieldStart_)});
    const std::size_t fields = table_.spans_.size() - table_.rowFirstField_.back();
    table_.ColCount = std::max(table_.ColCount, static_cast<int>(fields));
  }

  char delimiter_;
  char previous_ = 0;
  std::size_t fieldStart_ = 0;
  TextTable table_;
};

int TextTable::FieldCount(int row) const {
  const auto r = static_cast<std::size_t>(row);
  const std::size_t end = r + 1 < rowFirstField_.size() ? rowFirstField_[r + 1] : spans_.size();
  return static_cast<int>(end - rowFirstField_.at(r));
}

std::string_view TextTable::Field(int col, int row) const {
  if (col >= FieldCount(row)) return {};
  const auto r = static_cast<std::size_t>(row);
  const Span span = spans_[rowFirstField_[r] + static_cast<std::size_t>(col)];
  return std::string_view(bytes_).substr(rowStart_[r] + span.offset, span.length);
}

TextTable ReadDelimitedTable(std::string bytes, char delimiter, Progress* progress) {
  if (bytes.empty()) return TextTable{};
  TableBuilder builder(std::move(bytes), delimiter);
  builder.Read(progress);
  return builder.Finish();
}

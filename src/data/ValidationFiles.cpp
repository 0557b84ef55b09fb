#include "data/ValidationFiles.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "platform/base/ExtendedCodec.h"
#include "platform/base/Files.h"
#include "platform/base/Stream.h"
#include "platform/base/UiServices.h"

namespace {

const char* const kMergeFailed = "Cannot handle or find validation files, please check your privileges.";

void AppendInt32(std::vector<uint8_t>& bytes, int32_t value) {
  uint8_t image[4];
  EncodeInt32(value, image);
  bytes.insert(bytes.end(), image, image + 4);
}

void AppendCell(std::vector<uint8_t>& bytes, const CheckedValue& cell) {
  uint8_t image[kCheckedValueSize];
  EncodeCheckedValueImage(cell.Missing, cell.Value, image);
  bytes.insert(bytes.end(), image, image + kCheckedValueSize);
}

// A value that is not finite (a damaged file) is no value: a missing zero.
CheckedValue DecodeCell(const uint8_t* image) {
  CheckedValue cell;
  DecodeCheckedValueImage(image, cell.Missing, cell.Value);
  if (!std::isfinite(cell.Value)) cell = CheckedValue(0.0L, true);
  return cell;
}

bool ReadInt32(Stream& stream, int32_t& value) {
  uint8_t image[4];
  if (stream.Read(image, 4) != 4) return false;
  value = DecodeInt32(image);
  return true;
}

int64_t Remaining(Stream& stream) { return stream.Size() - stream.Position(); }

// Copies count bytes from one stream to the other; false on a short read.
bool CopyBytes(Stream& from, Stream& to, int64_t count) {
  std::vector<uint8_t> buffer(64 * 1024);
  while (count > 0) {
    const std::size_t chunk = static_cast<std::size_t>(std::min<int64_t>(count, buffer.size()));
    if (from.Read(buffer.data(), chunk) != chunk) return false;
    to.Write(buffer.data(), chunk);
    count -= static_cast<int64_t>(chunk);
  }
  return true;
}

void WriteHead(Stream& stream, const RecordHead& head) {
  std::vector<uint8_t> bytes;
  AppendInt32(bytes, head.iterations);
  AppendInt32(bytes, static_cast<int32_t>(head.variables.size()));
  for (int32_t index : head.variables) AppendInt32(bytes, index);
  stream.Write(bytes.data(), bytes.size());
}

struct MergeFailure {};

// Reads every head of stream, or throws MergeFailure on a damaged record; the
// stream is left at the start.
std::vector<RecordHead> ReadAllHeads(Stream& stream) {
  std::vector<RecordHead> heads;
  RecordHead head;
  RecordRead read;
  while ((read = ReadRecordHead(stream, head)) == RecordRead::Ok) {
    stream.Seek(head.BlockBytes(), SeekOrigin::Current);
    heads.push_back(head);
  }
  if (read == RecordRead::Damaged) throw MergeFailure{};
  stream.Seek(0, SeekOrigin::Begin);
  return heads;
}

bool InSet(const std::vector<std::vector<int32_t>>& sets, const int32_t* variables, int p) {
  for (const std::vector<int32_t>& set : sets)
    if (SameVariableSet(set, variables, p)) return true;
  return false;
}

bool InSet(const std::vector<std::vector<int32_t>>& sets, const std::vector<int32_t>& variables) {
  return InSet(sets, variables.data(), static_cast<int>(variables.size()));
}

std::vector<std::vector<int32_t>> VariableSets(const std::vector<RecordHead>& heads) {
  std::vector<std::vector<int32_t>> sets;
  for (const RecordHead& head : heads) sets.push_back(head.variables);
  return sets;
}

// Copies the records of from to the output, those of a variable set in skip left out.
void CopyRecords(Stream& from, Stream& output, const std::vector<RecordHead>& heads,
                 const std::vector<std::vector<int32_t>>& skip) {
  RecordHead head;
  for (std::size_t i = 0; i < heads.size(); ++i) {
    if (ReadRecordHead(from, head) != RecordRead::Ok) throw MergeFailure{};
    if (InSet(skip, head.variables)) {
      from.Seek(head.BlockBytes(), SeekOrigin::Current);
      continue;
    }
    WriteHead(output, head);
    if (!CopyBytes(from, output, head.BlockBytes())) throw MergeFailure{};
  }
}

// Writes the merged output file; returns the failure's message, empty on success.
// A write that fails (a full disk) is told by its file and reason.
std::string WriteMergedFile(const std::string& validationPath, const std::string& recordPath,
                            const std::string& outputPath) {
  try {
    FileStream oldFile(validationPath, FileMode::OpenRead);
    FileStream newFile(recordPath, FileMode::OpenRead);
    const std::vector<RecordHead> newHeads = ReadAllHeads(newFile);
    const std::vector<RecordHead> oldHeads = ReadAllHeads(oldFile);
    FileStream output(outputPath, FileMode::Create);
    try {
      CopyRecords(newFile, output, newHeads, {});
      CopyRecords(oldFile, output, oldHeads, VariableSets(newHeads));
      output.Close();
    } catch (const EStreamError& e) {
      return e.what();
    }
    return "";
  } catch (const MergeFailure&) {
  } catch (const EStreamError&) {
  }
  return kMergeFailed;
}

bool MergeFailed(const std::string& text = kMergeFailed) {
  Ui().MessageBox(text, "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  return false;
}

// Moves count bytes of the file from one position to an earlier one; they are in
// the file, not in its buffer, when it returns.
void MoveBytesBack(FileStream& file, int64_t from, int64_t to, int64_t count) {
  std::vector<uint8_t> buffer(64 * 1024);
  while (count > 0) {
    const std::size_t chunk = static_cast<std::size_t>(std::min<int64_t>(count, buffer.size()));
    file.Seek(from, SeekOrigin::Begin);
    if (file.Read(buffer.data(), chunk) != chunk) throw MergeFailure{};
    file.Seek(to, SeekOrigin::Begin);
    file.Write(buffer.data(), chunk);
    from += static_cast<int64_t>(chunk);
    to += static_cast<int64_t>(chunk);
    count -= static_cast<int64_t>(chunk);
  }
  file.Flush();
}

// Moves the records outside the sets back over those in them, up to the end or
// a damaged record; kept follows the end of the records in their place.
void MoveKeptRecordsBack(FileStream& file, const std::vector<std::vector<int32_t>>& sets, int64_t& kept) {
  int64_t start = 0;
  RecordHead head;
  while (ReadRecordHead(file, head) == RecordRead::Ok) {
    const int64_t end = file.Position() + head.BlockBytes();
    if (!InSet(sets, head.variables)) {
      if (start != kept) MoveBytesBack(file, start, kept, end - start);
      kept += end - start;
    }
    start = file.Seek(end, SeekOrigin::Begin);
  }
}

// Whether removing the sets' records changes the file: it holds one of them or a
// damaged end, or cannot be read to tell.
bool RemovalChanges(const std::string& path, const std::vector<std::vector<int32_t>>& sets) {
  try {
    FileStream file(path, FileMode::OpenRead);
    RecordHead head;
    RecordRead read;
    while ((read = ReadRecordHead(file, head)) == RecordRead::Ok) {
      if (InSet(sets, head.variables)) return true;
      file.Seek(head.BlockBytes(), SeekOrigin::Current);
    }
    return read == RecordRead::Damaged;
  } catch (const EStreamError&) {
    return !NoSuchFile(path);
  }
}

}  // namespace

bool NoSuchFile(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) != 0 && errno == ENOENT;
}

std::vector<uint8_t> EncodeValidationRecord(const ValidationRecord& record) {
  std::vector<uint8_t> bytes;
  bytes.reserve(8 + 4 * record.variables.size() + kValidationBlockSize * record.iterations.size());
  AppendInt32(bytes, static_cast<int32_t>(record.iterations.size()));
  AppendInt32(bytes, static_cast<int32_t>(record.variables.size()));
  for (int32_t index : record.variables) AppendInt32(bytes, index);
  for (const ValidationIteration& iteration : record.iterations) {
    AppendCell(bytes, iteration.r2);
    AppendCell(bytes, iteration.q2);
    AppendCell(bytes, iteration.k);
  }
  return bytes;
}

void WriteValidationRecord(Stream& stream, const ValidationRecord& record) {
  const std::vector<uint8_t> bytes = EncodeValidationRecord(record);
  stream.Write(bytes.data(), bytes.size());
}

RecordRead ReadRecordHead(Stream& stream, RecordHead& head) {
  int32_t n = 0;
  int32_t p = 0;
  if (!ReadInt32(stream, n)) return RecordRead::End;
  if (!ReadInt32(stream, p) || n < 0 || p < 0) return RecordRead::Damaged;
  if (int64_t{4} * p + int64_t{kValidationBlockSize} * n > Remaining(stream)) return RecordRead::Damaged;
  head.iterations = n;
  head.variables.assign(static_cast<std::size_t>(p), 0);
  for (int32_t& index : head.variables)
    if (!ReadInt32(stream, index)) return RecordRead::Damaged;
  return RecordRead::Ok;
}

RecordRead ReadRecordIterations(Stream& stream, const RecordHead& head, ValidationRecord& record) {
  record.variables = head.variables;
  record.iterations.assign(static_cast<std::size_t>(head.iterations), {});
  uint8_t block[kValidationBlockSize];
  for (ValidationIteration& iteration : record.iterations) {
    if (stream.Read(block, kValidationBlockSize) != kValidationBlockSize) return RecordRead::Damaged;
    iteration.r2 = DecodeCell(block);
    iteration.q2 = DecodeCell(block + kCheckedValueSize);
    iteration.k = DecodeCell(block + 2 * kCheckedValueSize);
  }
  return RecordRead::Ok;
}

bool SameVariableSet(const std::vector<int32_t>& a, const int32_t* b, int bCount) {
  if (static_cast<int>(a.size()) != bCount) return false;
  int pairs = 0;
  for (int32_t x : a)
    for (int k = 0; k < bCount; ++k) pairs += x == b[k] ? 1 : 0;
  return pairs == bCount;
}

RecordSearch FindValidationRecord(Stream& stream, const int32_t* variables, int p, ValidationRecord& record) {
  const std::vector<int32_t> model(variables, variables + p);
  RecordHead head;
  for (;;) {
    switch (ReadRecordHead(stream, head)) {
      case RecordRead::End:
        return RecordSearch::NotFound;
      case RecordRead::Damaged:
        return RecordSearch::Damaged;
      case RecordRead::Ok:
        break;
    }
    if (SameVariableSet(model, head.variables.data(), static_cast<int>(head.variables.size())))
      return ReadRecordIterations(stream, head, record) == RecordRead::Ok ? RecordSearch::Found
                                                                          : RecordSearch::Damaged;
    stream.Seek(head.BlockBytes(), SeekOrigin::Current);
  }
}

bool HoldsValidationRecord(const std::string& path, const int32_t* variables, int p) {
  try {
    FileStream file(path, FileMode::OpenRead);
    ValidationRecord record;
    return FindValidationRecord(file, variables, p, record) == RecordSearch::Found;
  } catch (const EStreamError&) {
    return false;
  }
}

bool MergeValidationFiles(const std::string& validationPath, const std::string& recordPath,
                          const std::string& outputPath) {
  if (!FileExists(validationPath)) return RenameFile(recordPath, validationPath) || MergeFailed();
  const std::string failure = WriteMergedFile(validationPath, recordPath, outputPath);
  // rename(2) replaces the validation file atomically, so one always exists.
  if (failure.empty() && std::rename(outputPath.c_str(), validationPath.c_str()) == 0) {
    DeleteFile(recordPath);
    return true;
  }
  DeleteFile(outputPath);  // a partial output is of no use
  return MergeFailed(failure.empty() ? kMergeFailed : failure);
}

std::vector<RecordSpan> RecordSpansOutside(Stream& file, const std::vector<std::vector<int32_t>>& variableSets) {
  std::vector<RecordSpan> spans;
  int64_t start = file.Seek(0, SeekOrigin::Begin);
  RecordHead head;
  while (ReadRecordHead(file, head) == RecordRead::Ok) {
    const int64_t end = file.Seek(head.BlockBytes(), SeekOrigin::Current);
    if (!InSet(variableSets, head.variables)) spans.push_back({start, end});
    start = end;
  }
  return spans;
}

// The kept records move back over the removed ones through the file itself, so
// that neither room on the disk nor the right to write the folder is needed.
bool RemoveValidationRecords(const std::string& path, const std::vector<std::vector<int32_t>>& variableSets) {
  if (!RemovalChanges(path, variableSets)) return true;
  std::optional<FileStream> file;
  try {
    file.emplace(path, FileMode::OpenReadWrite);
  } catch (const EStreamError&) {
    return false;
  }
  int64_t kept = 0;
  try {
    MoveKeptRecordsBack(*file, variableSets, kept);
    file->Truncate(kept);
    file->Close();
    return true;
  } catch (const MergeFailure&) {
  } catch (const EStreamError&) {
  }
  file.reset();  // what it may still hold unwritten lies after kept
  std::error_code failed;
  std::filesystem::resize_file(path, static_cast<std::uintmax_t>(kept), failed);
  return !failed;
}

void StaleRecords::Mark(const std::vector<std::vector<int32_t>>& variableSets) {
  for (const std::vector<int32_t>& set : variableSets)
    if (!InSet(sets_, set)) sets_.push_back(set);
}

void StaleRecords::Unmark(const std::vector<std::vector<int32_t>>& variableSets) {
  std::erase_if(sets_, [&variableSets](const std::vector<int32_t>& set) { return InSet(variableSets, set); });
}

bool StaleRecords::Holds(const int32_t* variables, int p) const { return all_ || InSet(sets_, variables, p); }

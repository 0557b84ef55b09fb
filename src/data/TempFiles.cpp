#include "data/TempFiles.h"

#include <memory>
#include <new>
#include <optional>

#include "data/RecordStreams.h"
#include "numerics/Utils.h"
#include "platform/base/Files.h"
#include "platform/base/UiServices.h"

namespace {

// Files are copied in blocks of at most this many bytes through one buffer.
constexpr int kCopyBlock = 32767;

std::unique_ptr<char[]> CopyBuffer() {
  char* buffer = nullptr;
  AllocCheckedArray(buffer, kCopyBlock, "*cpStorage");
  return std::unique_ptr<char[]>(buffer);
}

// Copies size bytes from one stream to the other; false when the source ran short.
bool CopyBlocks(Stream& from, Stream& to, int64_t size) {
  std::unique_ptr<char[]> buffer = CopyBuffer();
  while (size > 0) {
    std::size_t block = static_cast<std::size_t>(std::min<int64_t>(kCopyBlock, size));
    if (from.Read(buffer.get(), block) != block) return false;
    to.Write(buffer.get(), block);
    size -= static_cast<int64_t>(block);
  }
  return true;
}

// What a project keeps of a validation file: all of it, or, when some of its
// records are out of date, the others, so that a loaded project shows none of them.
std::vector<RecordSpan> StoredParts(Stream& file, const StaleRecords& stale) {
  if (stale.All()) return {};
  if (stale.Sets().empty()) return {{0, file.Size()}};
  return RecordSpansOutside(file, stale.Sets());
}

// The text of the exception being handled when it is the temporary file's
// failure (it cannot be created or written): a stream error other than damage,
// as reads of the project do not throw.
std::optional<std::string> TempFileFailure() {
  try {
    throw;
  } catch (const EDamagedRecord&) {
    return std::nullopt;
  } catch (const EStreamError& e) {
    return e.what();
  } catch (...) {
    return std::nullopt;
  }
}

}  // namespace

void StreamInt64(Stream& stream, int64_t& target, uint8_t mode) {
  uint8_t bytes[8];
  if (IsWriting(mode)) {
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(static_cast<uint64_t>(target) >> (8 * i));
    stream.Write(bytes, sizeof bytes);
    return;
  }
  if (stream.Read(bytes, sizeof bytes) != sizeof bytes) return;
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | bytes[i];
  target = static_cast<int64_t>(value);
}

TempFiles::TempFiles(std::string directory) : directory_(std::move(directory)) {}

TempFiles::~TempFiles() {
  while (first_ != nullptr) {
    FileNameNode* next = first_->Next();
    delete first_;
    first_ = next;
  }
}

FileNameNode* TempFiles::AddName(const std::string& name) {
  FileNameNode* node = new (std::nothrow) FileNameNode(name);
  if (node == nullptr) throw DataNoMemoryEx("*tpTempNodePtr");
  if (last_ != nullptr) {
    last_->SetNext(node);
  } else {
    first_ = node;
  }
  last_ = node;
  return node;
}

// A validation file that stays holds the records of an earlier project or search,
// which must not be taken for those of the models to come; the user is told when
// some file newly stays. Working copies stay behind when a run was killed.
void TempFiles::DeleteTempFiles(StaleNotice notice) {
  bool newlyStale = false;
  for (FileNameNode* node = first_; node != nullptr; node = node->Next()) {
    const bool wasStale = Stale(node->Name()).All();
    for (const std::string& extension : extensions_) {
      DeleteFile(directory_ + node->Name() + extension);
      if (extension != DbExtension()) DeleteFile(WorkingCopyPath(node->Name(), extension));
    }
    if (!ForgetIfDeleted(node->Name()) && !wasStale) newlyStale = true;
  }
  if (newlyStale && notice == StaleNotice::Warn)
    Ui().MessageBox("Cannot delete the earlier validation files: their records will not be available for "
                    "validation plots. Please check your privileges.",
                    "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
}

bool TempFiles::DeleteWhollyStaleFile(const std::string& name) {
  if (!Stale(name).All()) return true;
  DeleteFile(DbPath(name));
  return ForgetIfDeleted(name);
}

bool TempFiles::ForgetIfDeleted(const std::string& name) {
  if (NoSuchFile(DbPath(name))) {
    stale_.erase(name);
    return true;
  }
  stale_[name].MarkAll();
  return false;
}

std::string TempFiles::FindTempFilePath(const std::string& name, int extensionIndex) const {
  if (extensionIndex < 0 || extensionIndex >= static_cast<int>(extensions_.size())) return "";
  std::string target = name + extensions_[extensionIndex];
  std::string result;
  for (FileNameNode* node = first_; node != nullptr; node = node->Next()) {
    for (const std::string& extension : extensions_) {
      if (node->Name() + extension == target) result = directory_ + node->Name() + extension;
    }
  }
  return result;
}

std::string TempFiles::WorkingCopyPath(const std::string& name, const std::string& extension) const {
  const std::string path = FindTempFilePath(name, DbExtensionIndex());
  return path.empty() ? path : path + extension;
}

bool TempFiles::StoreTempFile(const std::string& name, Stream& stream) {
  BusyCursor busy;
  std::unique_ptr<FileStream> file;
  try {
    file = std::make_unique<FileStream>(DbPath(name), FileMode::OpenRead);
  } catch (const EStreamError&) {
    return false;
  }
  std::string storedName = name;
  StreamString(stream, storedName, kStreamWrite);
  const std::vector<RecordSpan> parts = StoredParts(*file, Stale(name));
  int64_t size = 0;
  for (const RecordSpan& part : parts) size += part.end - part.start;
  StreamInt64(stream, size, kStreamWrite);
  for (const RecordSpan& part : parts) {
    file->Seek(part.start, SeekOrigin::Begin);
    if (!CopyBlocks(*file, stream, part.end - part.start))
      throw EStreamError("Cannot read file \"" + DbPath(name) + "\"");
  }
  return true;
}

void TempFiles::RestoreTempFile(Stream& stream, const std::string& name) {
  BusyCursor busy;
  int64_t size = -1;
  StreamInt64(stream, size, kStreamRead);
  RequireRoom(stream, size, 1, "embedded file size");
  const int64_t end = stream.Seek(0, SeekOrigin::Current) + size;
  std::unique_ptr<FileStream> file;
  try {
    file = std::make_unique<FileStream>(DbPath(name), FileMode::Create);
    if (!CopyBlocks(stream, *file, size)) throw EDamagedRecord("embedded file content");
    file->Flush();
  } catch (...) {
    file.reset();
    DeleteFile(DbPath(name));
    const std::optional<std::string> cause = TempFileFailure();
    if (!cause) throw;
    ForgetIfDeleted(name);
    stream.Seek(end, SeekOrigin::Begin);
    Ui().MessageBox(*cause + ": validation results of " + name + " are not restored.", "APPLICATION WARNING",
                    MB_OK | MB_ICONWARNING);
    return;
  }
  stale_.erase(name);
}

bool TempFiles::HoldsCurrentRecord(const std::string& name, const int32_t* variables, int p) {
  return !Stale(name).Holds(variables, p) && HoldsValidationRecord(DbPath(name), variables, p);
}

#include "platform/base/Stream.h"

#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace {

// The failure of an operation on the file, with the system's reason for it.
EStreamError FileError(const char* verb, const std::string& fileName, int error) {
  const std::string reason = error != 0 ? std::generic_category().message(error) : "unknown error";
  return EStreamError(std::string(verb) + " \"" + fileName + "\": " + reason);
}

int ToWhence(SeekOrigin origin) {
  switch (origin) {
    case SeekOrigin::Begin: return SEEK_SET;
    case SeekOrigin::Current: return SEEK_CUR;
    default: return SEEK_END;
  }
}

const char* ToFopenMode(FileMode mode) {
  switch (mode) {
    case FileMode::OpenRead: return "rb";
    case FileMode::OpenReadWrite: return "r+b";
    default: return "w+b";
  }
}

}  // namespace

FileStream::FileStream(const std::string& fileName, FileMode mode) : fileName_(fileName) {
  file_ = std::fopen(fileName.c_str(), ToFopenMode(mode));
  if (file_ == nullptr)
    throw FileError(mode == FileMode::Create ? "Cannot create file" : "Cannot open file", fileName, errno);
}

FileStream::~FileStream() {
  if (file_ != nullptr) std::fclose(file_);
}

// A C stream must be repositioned between a read and a following write (and back).
void FileStream::SwitchTo(LastOp op) {
  if (lastOp_ != op && lastOp_ != LastOp::None) fseeko(file_, 0, SEEK_CUR);
  lastOp_ = op;
}

std::size_t FileStream::Read(void* buffer, std::size_t count) {
  SwitchTo(LastOp::Read);
  return std::fread(buffer, 1, count, file_);
}

void FileStream::Write(const void* buffer, std::size_t count) {
  SwitchTo(LastOp::Write);
  errno = 0;
  if (std::fwrite(buffer, 1, count, file_) != count) throw WriteError();
}

int64_t FileStream::Seek(int64_t offset, SeekOrigin origin) {
  if (fseeko(file_, static_cast<off_t>(offset), ToWhence(origin)) != 0) throw EStreamError("Stream seek error");
  lastOp_ = LastOp::None;
  return static_cast<int64_t>(ftello(file_));
}

int64_t FileStream::Size() {
  off_t position = ftello(file_);
  fseeko(file_, 0, SEEK_END);
  off_t size = ftello(file_);
  fseeko(file_, position, SEEK_SET);
  lastOp_ = LastOp::None;
  return static_cast<int64_t>(size);
}

void FileStream::Flush() {
  errno = 0;
  if (std::fflush(file_) != 0 || std::ferror(file_)) throw WriteError();
}

void FileStream::Truncate(int64_t size) {
  Flush();
  if (ftruncate(fileno(file_), static_cast<off_t>(size)) != 0) throw FileError("Cannot write file", fileName_, errno);
}

void FileStream::Close() {
  errno = 0;
  const bool flushed = std::fflush(file_) == 0 && !std::ferror(file_);
  if (!flushed) WriteError();  // takes the flush's reason before the close may change errno
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!flushed || !closed) throw WriteError();
}

// A failed write leaves the stream's error flag set, and later calls may find
// errno clear: they report the reason of the first failure.
EStreamError FileStream::WriteError() {
  if (!writeError_) writeError_ = FileError("Cannot write file", fileName_, errno);
  return *writeError_;
}

std::size_t MemoryStream::Read(void* buffer, std::size_t count) {
  if (position_ >= bytes_.size()) return 0;
  std::size_t got = std::min(count, bytes_.size() - position_);
  std::memcpy(buffer, bytes_.data() + position_, got);
  position_ += got;
  return got;
}

void MemoryStream::Write(const void* buffer, std::size_t count) {
  if (count == 0) return;
  if (position_ + count > bytes_.size()) bytes_.resize(position_ + count);
  std::memcpy(bytes_.data() + position_, buffer, count);
  position_ += count;
}

int64_t MemoryStream::Seek(int64_t offset, SeekOrigin origin) {
  int64_t base = origin == SeekOrigin::Begin ? 0
                 : origin == SeekOrigin::Current ? static_cast<int64_t>(position_)
                                                 : static_cast<int64_t>(bytes_.size());
  if (base + offset < 0) throw EStreamError("Stream seek error");
  position_ = static_cast<std::size_t>(base + offset);
  return base + offset;
}

// Byte streams with the class library's semantics: a read returns the count it
// got (a short read is not an exception), writes throw on failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/Exception.h"

class EStreamError : public Exception {
public:
  using Exception::Exception;
};

enum class SeekOrigin { Begin, Current, End };

class Stream {
public:
  virtual ~Stream() = default;
  // Reads up to count bytes into buffer; returns the number read.
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  // Writes count bytes; throws EStreamError when not all could be written.
  virtual void Write(const void* buffer, std::size_t count) = 0;
  // Moves the position; returns the new position.
  virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
  virtual int64_t Size() = 0;
  int64_t Position() { return Seek(0, SeekOrigin::Current); }
};

enum class FileMode {
  OpenRead,       // existing file, read only
  OpenReadWrite,  // existing file, read and write
  Create,         // create or truncate, read and write
};

// A file on disk. The constructor throws EStreamError when the file cannot be
// opened; every EStreamError of a file names it and the system's reason.
class FileStream : public Stream {
public:
  FileStream(const std::string& fileName, FileMode mode);
  ~FileStream() override;
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  std::size_t Read(void* buffer, std::size_t count) override;
  void Write(const void* buffer, std::size_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Size() override;
  // Flushes buffered writes; throws EStreamError when the data could not be written.
  void Flush();
  // Cuts the file to size bytes; throws EStreamError when it cannot.
  void Truncate(int64_t size);
  // Flushes and closes the file; throws EStreamError when either failed. Nothing
  // may be read or written afterwards.
  void Close();
  const std::string& FileName() const { return fileName_; }

private:
  enum class LastOp { None, Read, Write };
  void SwitchTo(LastOp op);
  EStreamError WriteError();

  std::string fileName_;
  std::FILE* file_ = nullptr;
  LastOp lastOp_ = LastOp::None;
  std::optional<EStreamError> writeError_;
};

// A growable stream in memory.
class MemoryStream : public Stream {
public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  std::size_t Read(void* buffer, std::size_t count) override;
  void Write(const void* buffer, std::size_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
  std::vector<uint8_t> bytes_;
  std::size_t position_ = 0;
};

#include "database/ReplaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "platform/base/Files.h"
#include "platform/base/Stream.h"

namespace {

// Creates an empty file of a name that did not exist, beside fileName; keeps
// the permissions of an existing target.
std::string CreateTemporaryBeside(const std::string& fileName) {
  std::vector<char> name(fileName.begin(), fileName.end());
  const std::string suffix = ".saving~XXXXXX";
  name.insert(name.end(), suffix.begin(), suffix.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) throw EStreamError("Cannot create file \"" + fileName + "\"");
  struct stat existing{};
  mode_t mode = 0644 & ~[] { mode_t m = ::umask(0); ::umask(m); return m; }();
  if (::stat(fileName.c_str(), &existing) == 0) mode = existing.st_mode & 07777;
  ::fchmod(fd, mode);
  ::close(fd);
  return name.data();
}

}  // namespace

void WriteReplacingPath(const std::string& fileName, const std::function<void(const std::string&)>& write) {
  const std::string temporary = CreateTemporaryBeside(fileName);
  try {
    write(temporary);
    if (std::rename(temporary.c_str(), fileName.c_str()) != 0)
      throw EStreamError("Cannot replace file \"" + fileName + "\"");
  } catch (...) {
    DeleteFile(temporary);
    throw;
  }
}

void WriteReplacingFile(const std::string& fileName, const std::function<void(Stream&)>& write) {
  WriteReplacingPath(fileName, [&](const std::string& temporary) {
    FileStream file(temporary, FileMode::Create);
    write(file);
    file.Flush();
  });
}

#include "platform/base/Files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

bool FileExists(const std::string& path) {
  std::error_code ec;
  const auto status = fs::status(path, ec);
  return fs::exists(status) && !fs::is_directory(status);
}

bool DirectoryExists(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

bool DeleteFile(const std::string& path) {
  std::error_code ec;
  return FileExists(path) && fs::remove(path, ec);
}

bool RenameOver(const std::string& from, const std::string& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  return !ec;
}

bool RenameFile(const std::string& from, const std::string& to) {
  std::error_code ec;
  return !fs::exists(fs::symlink_status(to, ec)) && RenameOver(from, to);
}

bool CopyFile(const std::string& from, const std::string& to, bool overwrite) {
  std::error_code ec;
  const auto options = overwrite ? fs::copy_options::overwrite_existing : fs::copy_options::none;
  return FileExists(from) && fs::copy_file(from, to, options, ec);
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

std::optional<FileStamp> StampOf(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return FileStamp{static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino), status.st_size,
                   status.st_mtim.tv_sec, status.st_mtim.tv_nsec};
}

FileLock::~FileLock() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

void FileLock::Hold(int descriptor) {
  ::flock(descriptor, LOCK_EX);
  descriptor_ = descriptor;
}

std::string CreateUniqueFile(const std::string& folder, const std::string& prefix, const std::string& suffix,
                             FileLock* lock) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<int> letter(0, sizeof kLetters - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string path = folder + prefix;
    for (int i = 0; i < 8; ++i) path += kLetters[letter(random)];
    path += suffix;
    // O_EXCL: fails when the name exists, also as a dangling link.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      if (lock != nullptr)
        lock->Hold(fd);
      else
        ::close(fd);
      return path;
    }
    if (errno != EEXIST) return "";
  }
  return "";
}

// The lock is taken on the file opened, which must still be the one of that
// name (not a link) when it is deleted.
bool DeleteIfUnlocked(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat opened {};
  struct stat named {};
  const bool deleted = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == ::geteuid() &&
                       ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.c_str(), &named) == 0 &&
                       named.st_dev == opened.st_dev && named.st_ino == opened.st_ino && ::unlink(path.c_str()) == 0;
  ::close(fd);
  return deleted;
}

std::string ResolveLinks(const std::string& path) {
  fs::path current(path);
  std::error_code ec;
  for (int depth = 0; depth < 40 && fs::is_symlink(fs::symlink_status(current, ec)); ++depth) {
    const fs::path target = fs::read_symlink(current, ec);
    if (ec) break;
    current = target.is_absolute() ? target : current.parent_path() / target;
  }
  return current.string();
}

bool SyncToDisk(const std::string& path) {
  const int fd = ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  const bool folder = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
  const bool synced = ::fsync(fd) == 0 || (folder && (errno == EINVAL || errno == ENOTSUP));
  return ::close(fd) == 0 && synced;
}

bool CopyPermissions(const std::string& model, const std::string& path) {
  struct stat status {};
  return ::stat(model.c_str(), &status) == 0 && ::chmod(path.c_str(), status.st_mode & 07777) == 0;
}

bool ForceDirectories(const std::string& path) {
  std::error_code ec;
  fs::create_directories(path, ec);
  return DirectoryExists(path);
}

bool RemoveDirIfEmpty(const std::string& path) {
  std::error_code ec;
  return DirectoryExists(path) && fs::is_empty(path, ec) && !ec && fs::remove(path, ec);
}

bool MatchesMask(const std::string& name, const std::string& mask) {
  // Greedy matching with backtracking to the last '*'.
  std::size_t n = 0, m = 0, starMask = std::string::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::string::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

std::vector<std::string> ListFiles(const std::string& folder, const std::string& mask) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (it->is_directory(typeError)) continue;
    const std::string name = it->path().filename().string();
    if (MatchesMask(name, mask)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> ListFilesWithExtension(const std::string& folder, const std::string& extension) {
  const auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  std::vector<std::string> names;
  for (const std::string& name : ListFiles(folder, "*"))
    if (name.size() > extension.size() && lower(name.substr(name.size() - extension.size())) == lower(extension))
      names.push_back(name);
  return names;
}

std::string CurrentDir() {
  std::error_code ec;
  return fs::current_path(ec).string();
}

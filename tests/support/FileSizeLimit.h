// A disk that fills up: for the object's life the process cannot make a regular
// file longer than a given size. A write past it fails (EFBIG) instead of raising
// SIGXFSZ, so a save fails midway as on a full disk, even for root. Keep test
// assertions outside its life: a failure message written to a log file would fail too.
#pragma once

#include <sys/resource.h>

#include <csignal>

class FileSizeLimit {
public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &before_);
    handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = before_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &before_);
    std::signal(SIGXFSZ, handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
  rlimit before_{};
  void (*handler_)(int) = nullptr;
};

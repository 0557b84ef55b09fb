// A folder replaced by a plain file while the object lives, so that nothing in it
// can be looked into, written or deleted, even by root; put back by Restore or at
// the end.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

class BlockedFolder {
public:
  // folder ends with '/'.
  explicit BlockedFolder(const std::string& folder)
      : path_(std::filesystem::path(folder).parent_path()), aside_(path_.string() + ".aside") {
    std::filesystem::rename(path_, aside_);
    std::ofstream(path_) << "no folder";
  }
  ~BlockedFolder() { Restore(); }
  BlockedFolder(const BlockedFolder&) = delete;
  BlockedFolder& operator=(const BlockedFolder&) = delete;

  void Restore() {
    if (!std::filesystem::exists(aside_)) return;
    std::filesystem::remove(path_);
    std::filesystem::rename(aside_, path_);
  }

private:
  std::filesystem::path path_;
  std::filesystem::path aside_;
};

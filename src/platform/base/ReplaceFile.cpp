#include "platform/base/ReplaceFile.h"

#include <algorithm>
#include <cstdio>

#include "platform/base/Files.h"
#include "platform/base/Stream.h"

namespace {

// The temporary file of a save is the target's name, a dot, eight letters or
// digits and this suffix: a save killed midway leaves one of that name.
const std::string kTemporarySuffix = ".saving~";
constexpr std::size_t kUniqueLetters = 8;

bool IsTemporaryOf(const std::string& name, const std::string& target) {
  const std::string prefix = target + ".";
  if (name.size() != prefix.size() + kUniqueLetters + kTemporarySuffix.size()) return false;
  if (name.compare(0, prefix.size(), prefix) != 0 || !name.ends_with(kTemporarySuffix)) return false;
  const std::string letters = name.substr(prefix.size(), kUniqueLetters);
  return std::all_of(letters.begin(), letters.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  });
}

// Deletes what saves of the target killed midway left: files named as its
// temporary files that no save under way holds locked.
void DeleteLeftovers(const std::string& folder, const std::string& target) {
  for (const std::string& name : ListFiles(folder.empty() ? "." : folder, "*"))
    if (IsTemporaryOf(name, target)) DeleteIfUnlocked(folder + name);
}

// A message naming the temporary file names the user's file instead.
std::string NamingTarget(std::string text, const std::string& temporary, const std::string& fileName) {
  for (std::size_t at = text.find(temporary); at != std::string::npos; at = text.find(temporary, at + fileName.size()))
    text.replace(at, temporary.size(), fileName);
  return text;
}

}  // namespace

// The temporary file reaches the disk before it replaces the target, and the
// folder's new entry after, so that a power loss leaves the old file or the new
// one, never an empty one.
void WriteReplacingPath(const std::string& fileName, const std::function<void(const std::string&)>& write) {
  // A link is followed, so that its target is replaced and the link stays.
  const std::string target = ResolveLinks(fileName);
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string name = target.substr(folder.size());
  DeleteLeftovers(folder, name);
  FileLock inUse;
  const std::string temporary = CreateUniqueFile(folder, name + ".", kTemporarySuffix, &inUse);
  if (temporary.empty()) throw EStreamError("Cannot create a temporary file in the folder of \"" + fileName + "\"");
  try {
    write(temporary);
    if (FileExists(target)) CopyPermissions(target, temporary);
    if (!SyncToDisk(temporary)) throw EStreamError("Cannot write file \"" + fileName + "\"");
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
      throw EStreamError("Cannot replace file \"" + fileName + "\"");
    }
  } catch (const Exception& e) {
    DeleteFile(temporary);
    const std::string text = NamingTarget(e.Message, temporary, fileName);
    if (text == e.Message) throw;
    throw EStreamError(text);
  } catch (...) {
    DeleteFile(temporary);
    throw;
  }
  if (!SyncToDisk(folder)) throw EStreamError("Cannot write the folder of \"" + fileName + "\"");
}

void WriteReplacingFile(const std::string& fileName, const std::function<void(Stream&)>& write) {
  WriteReplacingPath(fileName, [&](const std::string& temporary) {
    FileStream file(temporary, FileMode::Create);
    write(file);
    file.Close();
  });
}

#include "platform/base/ReplaceFile.h"

#include <cstdio>

#include "platform/base/Files.h"
#include "platform/base/Stream.h"

namespace {

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
  const std::string temporary = CreateUniqueFile(folder, target.substr(folder.size()) + ".", "~");
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

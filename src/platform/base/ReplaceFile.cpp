#include "platform/base/ReplaceFile.h"

#include <cstdio>

#include "platform/base/Files.h"
#include "platform/base/Stream.h"

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
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
      throw EStreamError("Cannot replace file \"" + fileName + "\"");
    }
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

// Saving a file without ever leaving it half written.
#pragma once

#include <functional>
#include <string>

class Stream;

// Writes fileName through write(), which receives the path of a new temporary
// file of a unique name in the same folder, and renames that over fileName once
// write() returned, so that saves running at once each leave a whole file. An
// existing file keeps its permissions; a symbolic link keeps pointing at its
// target, which is replaced. The file is written through to the disk and closed
// before the rename, and the folder after it. On failure the temporary file is
// removed, fileName is left as it was, and the exception is passed on, naming
// fileName where it named the temporary file. The temporary files that saves of
// fileName killed midway left are deleted first.
void WriteReplacingPath(const std::string& fileName, const std::function<void(const std::string&)>& write);
// The same for writers of a stream.
void WriteReplacingFile(const std::string& fileName, const std::function<void(Stream&)>& write);

// Saving a file without ever leaving it half written.
#pragma once

#include <functional>
#include <string>

class Stream;

// Writes fileName through write() into a new temporary file in the same
// folder and renames it over fileName. On failure the temporary file is
// removed, fileName is left as it was, and the Exception is passed on.
void WriteReplacingFile(const std::string& fileName, const std::function<void(Stream&)>& write);
// The same for writers that take a path (image encoders).
void WriteReplacingPath(const std::string& fileName, const std::function<void(const std::string&)>& write);

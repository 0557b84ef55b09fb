// Files and folders. Paths are joined with '/' and names are case-sensitive. Every
// operation reports an ordinary failure (missing file, no permission) by its result and
// never throws for it.
#pragma once

#include <string>
#include <vector>

// True when path names an existing file (not a folder).
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Deletes a file (never a folder); false when nothing was deleted.
bool DeleteFile(const std::string& path);
// Renames or moves a file; fails, changing nothing, when `to` already exists.
bool RenameFile(const std::string& from, const std::string& to);
// Copies a file; an existing `to` is replaced only when overwrite is set.
bool CopyFile(const std::string& from, const std::string& to, bool overwrite);

// Makes the folder with any missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string& path);
// Removes the folder only when it is empty.
bool RemoveDirIfEmpty(const std::string& path);

// Names (without folder) of the files in folder matching mask ('*' any run of characters,
// '?' one character), sorted by name; empty when the folder cannot be read.
std::vector<std::string> ListFiles(const std::string& folder, const std::string& mask);

// The process's current folder, without a trailing '/'.
std::string CurrentDir();

// True when name matches mask ('*' and '?' wildcards, case-sensitive).
bool MatchesMask(const std::string& name, const std::string& mask);

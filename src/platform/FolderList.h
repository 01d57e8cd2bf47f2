#pragma once
// Folder listing with the wildcard patterns users know from file dialogs.

#include "platform/File.h"

#include <string>
#include <vector>

// Lists the entries of a folder, without "." and "..", sorted by name (byte order) so
// that every walk of the same tree visits it in the same order. False when the folder
// cannot be read.
bool ListFolder(const std::string& folder, std::vector<SFolderEntry>& entries);

// Matches a name against a pattern of "*" (any run) and "?" (one character), ignoring the
// case of ASCII letters, so "*.cpp" finds "MAIN.CPP". "*.*" and "*" match every name, also
// one without a dot.
bool MatchWildcard(const char* pattern, const char* name);

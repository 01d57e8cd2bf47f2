#pragma once
// Folders, paths and the file-system facts the program needs.
// Paths are UTF-8 byte strings with the native separator and no trailing separator.

#include <string>

// The native path separator ('/' here, '\\' on Windows).
constexpr char kPathSeparator = '/';

// Joins a folder and a name with one separator.
std::string JoinPath(const std::string& folder, const std::string& name);

// Creates the folder and every missing parent. Returns true when the folder exists after.
bool CreateFolderTree(const std::string& path);

// The per-user application-data folder: $XDG_DATA_HOME, else $HOME/.local/share.
// Empty when neither can be found.
std::string GetUserAppDataFolder();

// Full path of the running program and its folder; empty when they cannot be read.
std::string GetExecutablePath();
std::string GetExecutableFolder();

bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);

// The folder part of a path (everything before the last separator), and the name part.
std::string FolderOfPath(const std::string& path);
std::string NameOfPath(const std::string& path);

// Makes a relative path absolute against the current folder; an absolute path is returned
// unchanged. Dots are not resolved and links are not followed.
std::string MakeAbsolutePath(const std::string& path);

// Whether two paths name the same file by the platform's rule for names: exact on Linux,
// where /a/File.txt and /a/file.txt are two files; ignoring case on Windows.
bool PathsEqual(const std::string& a, const std::string& b);

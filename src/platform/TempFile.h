#pragma once
// Names and files that must not be taken over by another program while a save replaces a
// file.

#include <string>

// Creates path exclusively (it must not exist, and a link planted under the name is not
// followed) for reading and writing with the given permission bits (before the umask).
// Returns the descriptor, or -1 with the errno value in nError.
int CreateExclusiveFile(const std::string& path, unsigned nMode, int& nError);

// Follows symbolic links in the last component of path until it names something that is
// not a link (or does not exist), so that a save replaces the file a link points to and
// the link stays a link. A relative link target is taken relative to the link's folder.
// Gives up after 40 links (a loop) and returns the last name reached.
std::string ResolveFinalLinks(const std::string& path);

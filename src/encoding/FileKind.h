#pragma once
// Deciding whether a file opens as text or as bytes.

#include <string>

// File kinds for opening; FileKindAuto asks for detection from the contents.
enum EFileKind
{
    FileKindMissing = -1,
    FileKindAuto = 0,
    FileKindText = 1,
    FileKindBinary = 2,
};

// -1 for an empty path or a file that does not exist (or cannot be opened); 1 for a file
// that starts with a byte-order mark, or in which no zero byte is found, scanning 4,096-byte
// blocks until a short block (the end of the file or a read error); 2 for a file with a
// zero byte. An empty file is text.
int DetectFileKind(const std::string& path);

#pragma once
// System facts that the program asks the operating system for.

#include <cstdint>
#include <string>

// The system's ANSI code page. On Linux it follows the locale's character set (UTF-8 gives
// 65001; a character set with a Windows number gives that number; anything else, the plain
// C locale included, gives 1252). Tests set it with SetAnsiCodePage; 0 returns to the
// system's value.
int GetAnsiCodePage();
void SetAnsiCodePage(int nCodePage);

// The system's OEM code page: 437 on Linux unless a test sets another (0 restores it).
int GetOemCodePage();
void SetOemCodePage(int nCodePage);

// Resolves the symbolic code pages: 0 and 3 (system and thread ANSI) and 1 (OEM) become
// the real numbers; every other number is returned unchanged.
int ResolveCodePage(int nCodePage);

// The system's message text for an error number (errno), without a trailing line break.
std::string GetSystemErrorText(int nError);

// Milliseconds since an arbitrary start, wrapping at 2^32 as the Windows tick count does.
uint32_t GetTickCount();

// The code page of text held in memory: the "DefaultCodePage" text setting, resolved.
// Until the text settings set it, the ANSI code page. The buffer, parsers, view and search
// use it for their multibyte rules.
int GetTextCodePage();
void SetTextCodePage(int nCodePage);

#pragma once
// The text that travels through the clipboard and drag and drop is UTF-16 plain text; the
// text in memory is bytes of the text code page. These conversions are the only place
// where the two meet.

#include <string>

// Text of the code page (line endings as they are) as UTF-16.
std::u16string TextToClipboard(const std::string& text, int nCodePage);

// UTF-16 text as bytes of the code page: every CR LF, lone CR and lone LF becomes `eol`.
// A character the code page cannot hold (and a zero character, which a line cannot hold)
// becomes the code page's default character and is counted in nLost.
std::string ClipboardToText(const std::u16string& text, const char* eol, int nCodePage, int& nLost);

// The status-bar text after characters were replaced on a paste or drop.
std::string LostCharactersStatusText(int nLost);

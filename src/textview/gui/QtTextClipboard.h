#pragma once
// The system clipboard as plain text for the editing controller's hooks.

#include <string>

struct STextEditHooks;

// Puts UTF-16 text on the clipboard (text/plain).
void SetClipboardPlainText(const std::u16string& text);
// The clipboard's plain text; false when it holds none.
bool GetClipboardPlainText(std::u16string& text);
// Fills the clipboard hooks of an editing controller.
void InstallClipboardHooks(STextEditHooks& hooks);

#pragma once
// The program's folders and files. Paths are computed on each call; only the program folder
// is remembered, in the profile value "AppFolder" of the application key.

#include <string>

class CProfileStore;

// The program folder: "AppFolder", or the running program's folder, which is then written
// back to "AppFolder".
std::string GetAppFolder(CProfileStore& store);
// The per-user data folder, <application data>/Vantro Software/Scrivel, created with every
// missing parent on each call; the program folder when there is no application-data folder.
std::string GetUserDataFolder(CProfileStore& store);
std::string GetFavoritesFilePath(CProfileStore& store);
std::string GetHistoryFilePath(CProfileStore& store);

// The help pages beside the program: <program folder>/help. The help "file" exists when its
// index page does; a topic such as "::/command_line.html" names a page in that folder.
std::string GetHelpFolder(CProfileStore& store);
std::string GetHelpFilePath(CProfileStore& store);
std::string GetHelpTopicPath(CProfileStore& store, const std::string& topic);

constexpr const char kHelpTopicCommandLine[] = "::/command_line.html";
constexpr const char kHelpTopicKeyboard[] = "::/keyboard_shortcuts.html";

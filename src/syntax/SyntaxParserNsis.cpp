// NSIS installer scripts: "!" opens a compiler directive and ";" a
// line comment.

#include "syntax/SyntaxParserCFamily.h"
#include "syntax/SyntaxParsers.h"

namespace
{
const char* const kNsisCommands[] = {
    "Abort", "AddBrandingImage", "AddSharedDLL", "AddSize", "AllowRootDirInstall",
    "AllowSkipFiles", "AutoCloseWindow", "BGFont", "BGGradient", "BrandingText", "BringToFront",
    "Call", "CallInstDLL", "Caption", "ChangeUI", "CheckBitmap", "ClearErrors", "CloseWinamp",
    "CompareDLLVersions", "CompareFileTimes", "CompletedText", "ComponentText", "CopyFiles",
    "CRCCheck", "CreateDirectory", "CreateFont", "CreateShortCut", "Delete", "DeleteINISec",
    "DeleteINIStr", "DeleteNSPlug", "DeleteRegKey", "DeleteRegValue", "DetailPrint",
    "DetailsButtonText", "DirShow", "DirText", "DirVar", "DirVerify", "DisabledBitmap",
    "EnabledBitmap", "EnableWindow", "EnumRegKey", "EnumRegValue", "Exch", "Exec", "ExecShell",
    "ExecWait", "ExpandEnvStrings", "File", "FileBufSize", "FileClose", "FileErrorText",
    "FileOpen", "FileRead", "FileReadByte", "FileSeek", "FileWrite", "FileWriteByte",
    "FindClose", "FindFirst", "FindNext", "FindWindow", "FindWindowByTitle", "FlushINI",
    "Function", "FunctionEnd", "GetCurInstType", "GetCurrentAddress", "GetDlgItem",
    "GetDLLVersion", "GetDLLVersionLocal", "GetErrorLevel", "GetFileTime", "GetFileTimeLocal",
    "GetFullDLLPath", "GetFullPathName", "GetFunctionAddress", "GetIEVersion",
    "GetInstDirError", "GetLabelAddress", "GetParameters", "GetParent", "GetParentDir",
    "GetTempFileName", "GetWinampDSPPath", "GetWinampInstPath", "GetWinampSkinPath",
    "GetWinampVisPath", "GetWindowsVersion", "Goto", "HideWindow", "Icon", "IfAbort",
    "IfErrors", "IfFileExists", "IfRebootFlag", "IfSilent", "InitPluginsDir",
    "InstallButtonText", "InstallColors", "InstallDir", "InstallDirRegKey",
    "InstallNetscapePlugin", "InstNSPlug", "InstProgressFlags", "InstType", "InstTypeGetText",
    "InstTypeSetText", "IntCmp", "IntCmpU", "IntFmt", "IntOp", "IsFlashInstalled", "IsWindow",
    "LangString", "LangStringUP", "LicenseBkColor", "LicenseData", "LicenseForceSelection",
    "LicenseLangString", "LicenseText", "LoadLanguageFile", "LockWindow", "LogicLib", "LogSet",
    "LogText", "MessageBox", "MiscButtonText", "Name", "Nop", "OutFile", "PackEXEHeader",
    "Page", "PageCallbacks", "PageEx", "Pop", "Push", "Quit", "ReadEnvStr", "ReadINIStr",
    "ReadRegDWORD", "ReadRegStr", "Reboot", "RegDLL", "Rename", "ReserveFile", "Return",
    "RMDir", "SearchPath", "Section", "SectionDivider", "SectionEnd", "SectionGetFlags",
    "SectionGetInstTypes", "SectionGetSize", "SectionGetText", "SectionGroup",
    "SectionGroupEnd", "SectionIn", "SectionSetFlags", "SectionSetInstTypes", "SectionSetSize",
    "SectionSetText", "SendMessage", "SetAutoClose", "SetBrandingImage", "SetCompress",
    "SetCompressionLevel", "SetCompressor", "SetCompressorDictSize", "SetCtlColors",
    "SetCurInstType", "SetDatablockOptimize", "SetDateSave", "SetDetailsPrint", "SetDetailsWnd",
    "SetErrorLevel", "SetErrors", "SetFileAttributes", "SetFont", "SetOutPath", "SetOverwrite",
    "SetPluginUnload", "SetRebootFlag", "SetShellVarContext", "SetSilent", "SetStaticBkColor",
    "SetWindowLong", "ShowInstDetails", "ShowUninstDetails", "ShowWindow", "SilentInstall",
    "SilentUnInstall", "Sleep", "SpaceTexts", "StrCmp", "StrCpy", "StrLen", "StrStr",
    "SubCaption", "SubSection", "SubSectionEnd", "TrimNewlines", "UninstallButtonText",
    "UninstallCaption", "UninstallExeName", "UninstallIcon", "UninstallSubCaption",
    "UninstallText", "UninstPage", "UnRegDLL", "UpgradeDLL", "Var", "VIAddVersionKey",
    "VIProductVersion", "WindowIcon", "WriteINIStr", "WriteRegBin", "WriteRegDWORD",
    "WriteRegExpandStr", "WriteRegStr", "WriteUninstaller", "XPStyle", nullptr,
};

const char* const kNsisParameters[] = {
    "alwaysoff", "ARCHIVE", "auto", "both", "bottom", "bzip2", "components", "custom",
    "directory", "false", "FILE_ATTRIBUTE_ARCHIVE", "FILE_ATTRIBUTE_HIDDEN",
    "FILE_ATTRIBUTE_NORMAL", "FILE_ATTRIBUTE_OFFLINE", "FILE_ATTRIBUTE_READONLY",
    "FILE_ATTRIBUTE_SYSTEM", "FILE_ATTRIBUTE_TEMPORARY", "force", "HIDDEN", "hide", "HKCC",
    "HKCR", "HKCU", "HKDD", "HKEY_CLASSES_ROOT", "HKEY_CURRENT_CONFIG", "HKEY_CURRENT_USER",
    "HKEY_DYN_DATA", "HKEY_LOCAL_MACHINE", "HKEY_PERFORMANCE_DATA", "HKEY_USERS", "HKLM",
    "HKPD", "HKU", "IDABORT", "IDCANCEL", "IDIGNORE", "IDNO", "IDOK", "IDRETRY", "IDYES",
    "ifdiff", "ifnewer", "instfiles", "lastused", "leave", "left", "license", "listonly",
    "lzma", "manual", "MB_ABORTRETRYIGNORE", "MB_DEFBUTTON1", "MB_DEFBUTTON2", "MB_DEFBUTTON3",
    "MB_DEFBUTTON4", "MB_ICONEXCLAMATION", "MB_ICONINFORMATION", "MB_ICONQUESTION",
    "MB_ICONSTOP", "MB_OK", "MB_OKCANCEL", "MB_RETRYCANCEL", "MB_RIGHT", "MB_RTLREADING",
    "MB_SETFOREGROUND", "MB_TOPMOST", "MB_YESNO", "MB_YESNOCANCEL", "nevershow", "none",
    "normal", "NORMAL", "off", "OFFLINE", "on", "READONLY", "right", "RO", "show", "silent",
    "silentlog", "SW_HIDE", "SW_SHOWMAXIMIZED", "SW_SHOWMINIMIZED", "SW_SHOWNORMAL", "SYSTEM",
    "TEMPORARY", "textonly", "top", "true", "try", "uninstConfirm", "zlib", nullptr,
};

const SCFamilyWordList kLists[] = {
    {kNsisCommands, kSyntaxColorKeyword, false},
    {kNsisParameters, kSyntaxColorKeyword2, false},
};

SCFamilyOptions MakeOptions()
{
    SCFamilyOptions options;
    options.pLists = kLists;
    options.nListCount = static_cast<int>(sizeof(kLists) / sizeof(kLists[0]));
    options.chDirective = '!';
    options.bSemicolonComment = true;
    return options;
}
} // namespace

class CSyntaxParserNsis final : public CSyntaxParserCFamily
{
public:
    CSyntaxParserNsis() : CSyntaxParserCFamily(MakeOptions())
    {
        SetDefinition(14, "NSIS", "nsi,nsh", 0x30, "/*", "*/", ";");
    }
};

CSyntaxParser* CreateSyntaxParserNsis()
{
    return new CSyntaxParserNsis();
}

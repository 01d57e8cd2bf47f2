// Inno Setup scripts.

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

static const char* const s_apszIssPascalWords[] = {
    "program", "const", "type", "var", "begin", "end", "array", "set", "record", "string", "if",
    "then", "else", "while", "for", "to", "downto", "do", "with", "repeat", "until", "case",
    "of", "goto", "exit", "label", "procedure", "function", "nil", "file", "and", "or", "not",
    "xor", "div", "mod", "unit", "uses", "implementation", "interface", "external", "asm",
    "inline", "object", "constructor", "destructor", "virtual", "far", "assembler", "near",
    "inherited", "AdminPrivilegesRequired", "AfterInstall", "AllowCancelDuringInstall",
    "AllowNoIcons", "AllowRootDirectory", "AllowUNCPath", "AlwaysRestart",
    "AlwaysShowComponentsList", "AlwaysShowDirOnReadyPage", "AlwaysShowGroupOnReadyPage",
    "AlwaysUsePersonalGroup", "AppComments", "AppContact", "AppCopyright",
    "AppendDefaultDirName", "AppendDefaultGroupName", "AppId", "AppModifyPath", "AppMutex",
    "AppName", "AppPublisher", "AppPublisherURL", "AppReadmeFile", "AppSupportURL",
    "AppUpdatesURL", "AppVerName", "AppVersion", "Attribs", "BackColor", "BackColor2",
    "BackColorDirection", "BackSolid", "BeforeInstall", "ChangesAssociations",
    "ChangesEnvironment", "Check", "CodeFile", "Comment", "Components", "Compression",
    "CopyMode", "CreateAppDir", "CreateUninstallRegKey", "DefaultDirName", "DefaultGroupName",
    "DefaultUserInfoName", "DefaultUserInfoOrg", "DefaultUserInfoSerial", "Description",
    "DestDir", "DestName", "DirExistsWarning", "DisableDirPage", "DisableFinishedPage",
    "DisableProgramGroupPage", "DisableReadyMemo", "DisableReadyPage", "DisableStartupPrompt",
    "DiskClusterSize", "DiskSliceSize", "DiskSpaceMBLabel", "DiskSpanning",
    "DontMergeDuplicateFiles", "EnableDirDoesntExistWarning", "Encryption", "Excludes",
    "ExtraDiskSpaceRequired", "Filename", "Flags", "FlatComponentsList", "FontInstall",
    "GroupDescription", "HotKey", "IconFilename", "IconIndex", "InfoAfterFile",
    "InfoBeforeFile", "InternalCompressLevel", "Key", "LanguageDetectionMethod", "Languages",
    "LicenseFile", "MergeDuplicateFiles", "MessagesFile", "MinVersion", "Name",
    "OnlyBelowVersion", "OutputBaseFilename", "OutputManifestFile", "OutputDir", "Parameters",
    "Password", "Permissions", "PrivilegesRequired", "ReserveBytes", "RestartIfNeededByRun",
    "Root", "RunOnceId", "Section", "SetupIconFile", "ShowComponentSizes", "ShowLanguageDialog",
    "ShowTasksTreeLines", "SlicesPerDisk", "SolidCompression", "Source", "SourceDir",
    "StatusMsg", "Subkey", "Tasks", "TimeStampRounding", "TimeStampsInUTC", "TouchDate",
    "TouchTime", "Type", "Types", "UninstallDisplayIcon", "UninstallDisplayName",
    "UninstallFilesDir", "UninstallIconFile", "UninstallLogMode", "UninstallRestartComputer",
    "UninstallStyle", "Uninstallable", "UpdateUninstallLogAppName", "UsePreviousAppDir",
    "UsePreviousGroup", "UsePreviousTasks", "UsePreviousSetupType", "UsePreviousUserInfo",
    "UserInfoPage", "UseSetupLdr", "ValueData", "ValueName", "ValueType", "VersionInfoVersion",
    "VersionInfoCompany", "VersionInfoDescription", "VersionInfoTextVersion", "WindowResizable",
    "WindowShowCaption", "WindowStartMaximized", "WindowVisible", "WizardImageBackColor",
    "WizardImageFile", "WizardImageStretch", "WizardSmallImageBackColor",
    "WizardSmallImageFile", "WizardStyle", "WorkingDir", nullptr,
};

static const char* const s_apszIssFlags[] = {
    "HKCC", "HKCR", "HKCU", "HKLM", "HKU", "alwaysoverwrite", "alwaysskipifsameorolder",
    "append", "binary", "classic", "closeonexit", "comparetimestamp", "confirmoverwrite",
    "createkeyifdoesntexist", "createonlyiffileexists", "createvalueifdoesntexist",
    "deleteafterinstall", "deletekey", "deletevalue", "dirifempty", "dontcloseonexit",
    "dontcopy", "dontcreatekey", "disablenouninstallwarning", "dword", "exclusive", "expandsz",
    "external", "files", "filesandordirs", "fixed", "fontisnttruetype", "ignoreversion",
    "iscustom", "isreadme", "modern", "multisz", "new", "noerror", "none", "normal", "nowait",
    "onlyifdestfileexists", "onlyifdoesntexist", "onlyifnewer", "overwrite",
    "overwritereadonly", "postinstall", "preservestringtype", "promptifolder", "regserver",
    "regtypelib", "restart", "restartreplace", "runhidden", "runmaximized", "runminimized",
    "sharedfile", "shellexec", "showcheckbox", "skipifnotsilent", "skipifsilent", "silent",
    "skipifdoesntexist", "skipifsourcedoesntexist", "sortfilesbyextension", "unchecked",
    "uninsalwaysuninstall", "uninsclearvalue", "uninsdeleteentry", "uninsdeletekey",
    "uninsdeletekeyifempty", "uninsdeletesection", "uninsdeletesectionifempty",
    "uninsdeletevalue", "uninsneveruninstall", "useapppaths", "verysilent", "waituntilidle", nullptr,
};

enum : uint32_t
{
    kIssSection = 64,
};

// Pascal comments everywhere ("(*" ... "*)", "{" ... "}", "//"); at the first non-blank
// position of a line ";" starts a comment, "#" a preprocessor directive and "[" a section
// name shown in function-name colour up to and including "]". Inside a directive only the
// comment openers "//" and "(*" are recognised; quotes and braces are part of it.
class CSyntaxParserIss : public CScriptPascalCommentParser
{
public:
    CSyntaxParserIss()
        : CScriptPascalCommentParser(10, "InnoSetup", "iss,isl", 0x30, "{", "}", ";")
    {
        AddWordList(s_apszIssPascalWords, kSyntaxColorKeyword, true);
        AddWordList(s_apszIssFlags, kSyntaxColorKeyword2, true);
    }

protected:
    int StateColor(uint32_t state) const override
    {
        const int color = CScriptPascalCommentParser::StateColor(state);
        if (color < 0 && (state & kIssSection) != 0)
            return kSyntaxColorFunction;
        return color;
    }

    bool ScanFirstChar(SScan& scan) const override
    {
        switch (scan.Current())
        {
        case ';':
            StartLineComment(scan, scan.nPos);
            return true;
        case '#':
            OpenRegion(scan, kScriptDirective, kSyntaxColorPreprocessor, 1);
            return true;
        case '[':
            OpenRegion(scan, kIssSection, kSyntaxColorFunction, 1);
            return true;
        default:
            return false;
        }
    }

    void ScanRegion(SScan& scan) const override
    {
        const uint32_t state = scan.dwState;
        if ((state & (kScriptBlockComment | kScriptBraceComment | kScriptStringBits)) != 0)
        {
            CScriptPascalCommentParser::ScanRegion(scan);
            return;
        }
        if ((state & kIssSection) != 0)
        {
            if (scan.Current() == ']')
                CloseRegion(scan, kIssSection, 1);
            return;
        }
        if ((state & kScriptDirective) != 0)
        {
            if (MatchesAt(scan, scan.nPos, "//"))
                StartLineComment(scan, scan.nPos);
            else if (MatchesAt(scan, scan.nPos, "(*"))
                OpenRegion(scan, kScriptBlockComment, kSyntaxColorComment, 2);
        }
    }
};

CSyntaxParser* CreateSyntaxParserIss()
{
    return new CSyntaxParserIss();
}

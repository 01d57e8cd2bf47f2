// DOS, Windows and 4DOS/4NT batch files.

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

static const char* const s_apszBatchCommands[] = {
    ".AND.", ".OR.", ".XOR.", "?", "ACTIVATE", "ALIAS", "ASSOC", "ATTRIB", "BATCOMP",
    "BDEBUGGER", "BEEP", "BREAK", "BY", "CALL", "CANCEL", "CASE", "CD", "CDD", "CHCP", "CHDIR",
    "CLS", "COLOR", "COPY", "CTTY", "DATE", "DEFAULT", "DEFINED", "DEL", "DELAY", "DESCRIBE",
    "DETACH", "DIR", "DIREXIST", "DIRHISTORY", "DIRS", "DO", "DRAWBOX", "DRAWHLINE",
    "DRAWVLINE", "ECHO", "ECHOERR", "ECHOS", "ECHOSERR", "ELSE", "ELSEIFF", "ENDDO", "ENDIFF",
    "ENDLOCAL", "ENDSWITCH", "ENDTEXT", "EQ", "EQL", "EQU", "ERASE", "ERROR", "ERRORLEVEL",
    "ERRORMSG", "ESET", "EVENTLOG", "EXCEPT", "EXIST", "EXIT", "FFIND", "FOR", "FOREVER",
    "FREE", "FTYPE", "FUNCTION", "GE", "GEQ", "GLOBAL", "GOSUB", "GOTO", "GT", "GTR", "HEAD",
    "HELP", "HISTORY", "IF", "IFF", "IFTP", "IN", "INKEY", "INPUT", "ISALIAS", "ISAPP", "ISDIR",
    "ISFUNCTION", "ISINTERNAL", "ISLABEL", "ISWINDOW", "ITERATE", "KEYBD", "KEYS", "KEYSTACK",
    "LE", "LEAVE", "LEQ", "LH", "LIST", "LOADBTM", "LOADHIGH", "LOCK", "LOG", "LSS", "LT", "MD",
    "MEMORY", "MKDIR", "MKLNK", "MOVE", "MSGBOX", "NE", "NEQ", "NOT", "ON", "OPTION", "PATH",
    "PAUSE", "PDIR", "PLAYAVI", "PLAYSOUND", "POPD", "PRINT", "PROMPT", "PUSHD", "QUERYBOX",
    "QUIT", "RD", "REBOOT", "RECYCLE", "REM", "REN", "RENAME", "RETURN", "RMDIR", "SCREEN",
    "SCRPUT", "SELECT", "SENDMAIL", "SET", "SETDOS", "SETLOCAL", "SHIFT", "SHORTCUT",
    "SHRALIAS", "SMPP", "SNPP", "START", "SWAPPING", "SWITCH", "TAIL", "TASKEND", "TASKLIST",
    "TEE", "TEXT", "THEN", "TIME", "TIMER", "TITLE", "TOUCH", "TREE", "TRUENAME", "TYPE",
    "UNALIAS", "UNFUNCTION", "UNLOCK", "UNSET", "UNTIL", "VER", "VERIFY", "VOL", "VSCRPUT",
    "WHICH", "WHILE", "WINDOW", "Y", nullptr,
};

static const char* const s_apszBatchPrograms[] = {
    "APPEND", "ATTRIB", "BUSETUP", "CHKDSK", "CHOICE", "COMMAND", "DEBUG", "DEFRAG", "DELOLDOS",
    "DELTREE", "DISKCOMP", "DISKCOPY", "DOSKEY", "DRVSPACE", "EDIT", "EMM386", "EXPAND",
    "FASTHELP", "FASTOPEN", "FC", "FDISK", "FIND", "FORMAT", "GRAPHICS", "HELP", "INTERLNK",
    "INTERSVR", "KEYB", "LABEL", "LOADFIX", "MEM", "MEMMAKER", "MODE", "MORE", "MOUSE", "MOVE",
    "MSAV", "MSBACKUP", "MSCDEX", "MSD", "MWAV", "MWAVTSR", "MWBACKUP", "MWUNDEL", "NLSFUNC",
    "POWER", "PRINT", "QBASIC", "REPLACE", "RESTORE", "SCANDISK", "SETUP", "SETVER", "SHARE",
    "SIZER", "SMARTDRV", "SMARTMON", "SORT", "SUBST", "SYS", "TREE", "UNDELETE", "UNFORMAT",
    "UNINSTAL", "VSAFE", "XCOPY", nullptr,
};

static const char* const s_apszBatchFunctions[] = {
    "@ABS", "@AGEDATE", "@ALIAS", "@ALTNAME", "@ASCII", "@ATTRIB", "@CAPS", "@CDROM",
    "@CEILING", "@CHAR", "@CLIP", "@CLIPW", "@COLOR", "@COMMA", "@CONSOLE", "@CONVERT",
    "@CRC32", "@DATE", "@DAY", "@DEC", "@DECIMAL", "@DESCRIPT", "@DEVICE", "@DIGITS",
    "@DIRSTACK", "@DISKFREE", "@DISKTOTAL", "@DISKUSED", "@DOSMEM", "@DOW", "@DOWF", "@DOWI",
    "@DOY", "@EMS", "@ENUMSERVERS", "@ENUMSHARES", "@ERRTEXT", "@EVAL", "@EXEC", "@EXECSTR",
    "@EXETYPE", "@EXPAND", "@EXT", "@EXTENDED", "@FIELD", "@FIELDS", "@FILEAGE", "@FILECLOSE",
    "@FILEDATE", "@FILENAME", "@FILEOPEN", "@FILEREAD", "@FILES", "@FILESEEK", "@FILESEEKL",
    "@FILESIZE", "@FILETIME", "@FILEWRITE", "@FILEWRITEB", "@FINDCLOSE", "@FINDFIRST",
    "@FINDNEXT", "@FLOOR", "@FORMAT", "@FORMATN", "@FSTYPE", "@FULL", "@FUNCTION", "@GETDIR",
    "@GETFILE", "@GETFOLDER", "@HISTORY", "@IDOW", "@IDOWF", "@IF", "@INC", "@INDEX",
    "@INIREAD", "@INIWRITE", "@INSERT", "@INSTR", "@INT", "@IPADDRESS", "@IPNAME", "@ISALNUM",
    "@ISALPHA", "@ISASCII", "@ISCNTRL", "@ISDIGIT", "@ISPRINT", "@ISPUNCT", "@ISSPACE",
    "@ISXDIGIT", "@LABEL", "@LEFT", "@LEN", "@LFN", "@LINE", "@LINES", "@LOWER", "@LPT",
    "@LTRIM", "@MAKEAGE", "@MAKEDATE", "@MAKETIME", "@MASTER", "@MAX", "@MD5", "@MIN", "@MONTH",
    "@NAME", "@NUMERIC", "@OPTION", "@PATH", "@RANDOM", "@READSCR", "@READY", "@REGCREATE",
    "@REGDELKEY", "@REGEXIST", "@REGQUERY", "@REGSET", "@REGSETENV", "@REMOTE", "@REMOVABLE",
    "@REPEAT", "@REPLACE", "@REXX", "@RIGHT", "@RTRIM", "@SEARCH", "@SELECT", "@SFN", "@STRIP",
    "@SUBST", "@SUBSTR", "@TIME", "@TIMER", "@TRIM", "@TRUENAME", "@UNC", "@UNICODE", "@UNIQUE",
    "@UPPER", "@VERINFO", "@WATTRIB", "@WILD", "@WINCLASS", "@WINEXENAME", "@WININFO",
    "@WINMEMORY", "@WINMETRICS", "@WINSTATE", "@WINSYSTEM", "@WORD", "@WORDS", "@XMS", "@YEAR",
    "_", "_4VER", "_ACSTATUS", "_ALIAS", "_ANSI", "_APMAC", "_APMBATT", "_APMLIFE", "_BATCH",
    "_BATCHLINE", "_BATCHNAME", "_BATCHTYPE", "_BATTERY", "_BATTERYLIFE", "_BATTERYPERCENT",
    "_BG", "_BOOT", "_BUILD", "_CAPSLOCK", "_CHILDPID", "_CI", "_CMDPROC", "_CO", "_CODEPAGE",
    "_COLUMN", "_COLUMNS", "_COUNTRY", "_CPU", "_CPUUSAGE", "_CTRL", "_CWD", "_CWDS", "_CWP",
    "_CWPS", "_DATE", "_DAY", "_DETACHPID", "_DISK", "_DNAME", "_DOS", "_DOSVER", "_DOW",
    "_DOWF", "_DOWI", "_DOY", "_DPMI", "_DV", "_ECHO", "_ENV", "_FG", "_FTPERROR", "_HLOGFILE",
    "_HOST", "_HOUR", "_HWPROFILE", "_IDOW", "_IDOWF", "_IMONTH", "_IMONTHF", "_ININAME", "_IP",
    "_ISODATE", "_KBHIT", "_KSTACK", "_LALT", "_LASTDISK", "_LCTRL", "_LOGFILE", "_LSHIFT",
    "_MINUTE", "_MONITOR", "_MONTH", "_MONTHF", "_MOUSE", "_NDP", "_NUMLOCK", "_PID", "_PIPE",
    "_PPID", "_RALT", "_RCTRL", "_ROW", "_ROWS", "_RSHIFT", "_SCROLLLOCK", "_SECOND",
    "_SELECTED", "_SHELL", "_SHIFT", "_SHRALIAS", "_STARTPATH", "_STARTPID", "_SWAPPING",
    "_SYSERR", "_TIME", "_TRANSIENT", "_UNICODE", "_VIDEO", "_WIN", "_WINDIR", "_WINFGWINDOW",
    "_WINNAME", "_WINSYSDIR", "_WINTICKS", "_WINTITLE", "_WINUSER", "_WINVER", "_XPIXELS",
    "_YEAR", "_YPIXELS", nullptr,
};

// At the first non-blank position of a line: "REM" before a blank or the line end comments
// out the line; ":" before a word character or blank starts a label (directive colour to
// the end of the line) and ":" before anything else ("::") a comment; the word TEXT opens
// a block shown as comment (bit 4, carried) that the word ENDTEXT closes wherever it
// stands. After GOTO or GOSUB the rest of the line is the label, in directive colour.
// "_" and "@" are word characters; there are no function names.
class CSyntaxParserBatch : public CScriptSyntaxParser
{
public:
    CSyntaxParserBatch()
        : CScriptSyntaxParser(3, "Batch", "bat,btm,cmd", 0x10, "", "", "rem ",
                              kScriptBlockComment)
    {
        AddWordList(s_apszBatchCommands, kSyntaxColorKeyword, true);
        AddWordList(s_apszBatchPrograms, kSyntaxColorKeyword2, true);
        AddWordList(s_apszBatchFunctions, kSyntaxColorKeyword3, true);
        m_bFunctionNames = false;
    }

protected:
    bool IsWordByte(unsigned char c) const override
    {
        return IsSyntaxWordChar(c) || c == '@';
    }

    static bool IsBlank(unsigned char c) { return c == ' ' || c == '\t'; }

    // True when a word of `width` bytes at `pos` is not part of a longer word.
    bool IsWholeWord(const SScan& scan, int pos, int width) const
    {
        if (pos > 0 && IsWordByte(scan.At(pos - 1)))
            return false;
        return pos + width >= scan.Length() || !IsWordByte(scan.At(pos + width));
    }

    bool ScanFirstChar(SScan& scan) const override
    {
        const int pos = scan.nPos;
        const int n = scan.Length();
        const unsigned char c = scan.Current();
        if (MatchesAtNoCase(scan, pos, "rem") && (pos + 3 == n || IsBlank(scan.At(pos + 3))))
        {
            StartLineComment(scan, pos);
            return true;
        }
        if (c == ':')
        {
            // A ":" alone on its line is an empty label.
            const bool label = pos + 1 >= n || IsWordByte(scan.At(pos + 1)) ||
                               IsBlank(scan.At(pos + 1));
            if (!label)
            {
                StartLineComment(scan, pos);
                return true;
            }
            StartDirective(scan, pos);
            return true;
        }
        if (MatchesAtNoCase(scan, pos, "text") && IsWholeWord(scan, pos, 4))
        {
            Emit(scan, pos, kSyntaxColorKeyword);
            scan.dwState |= kScriptBlockComment;
            scan.nNext = pos + 4;
            scan.bNewRun = true;
            return true;
        }
        return false;
    }

    void ScanRegion(SScan& scan) const override
    {
        const uint32_t state = scan.dwState;
        if ((state & kScriptBlockComment) != 0)
        {
            const int pos = scan.nPos;
            if (MatchesAtNoCase(scan, pos, "endtext") && IsWholeWord(scan, pos, 7))
            {
                Emit(scan, pos, kSyntaxColorKeyword);
                CloseRegion(scan, kScriptBlockComment, 7);
                scan.bFirstChar = false;
            }
            return;
        }
        if ((state & kScriptDirective) != 0)
        {
            // A label runs to the end of the line.
            scan.bStop = true;
            return;
        }
        CScriptSyntaxParser::ScanRegion(scan);
    }

    int EndWord(SScan& scan, int start, int end) const override
    {
        const int width = end - start;
        if ((width == 4 && MatchesAtNoCase(scan, start, "goto")) ||
            (width == 5 && MatchesAtNoCase(scan, start, "gosub")))
        {
            Emit(scan, start, kSyntaxColorKeyword);
            if (end < scan.Length())
                StartDirective(scan, end);
            return end;
        }
        if (scan.pRuns != nullptr && end + 4 <= scan.Length() && scan.At(end) == '.' &&
            (MatchesAtNoCase(scan, end + 1, "com") || MatchesAtNoCase(scan, end + 1, "exe")) &&
            (end + 4 == scan.Length() || !IsWordAt(scan, end + 4)) &&
            GetWordListCount() > 1 && ListIs(scan, 1, start, end))
        {
            // A program named with its extension is one word in the programs' colour.
            Emit(scan, start, kSyntaxColorKeyword2);
            return end + 4;
        }
        return CScriptSyntaxParser::EndWord(scan, start, end);
    }

private:
    void StartDirective(SScan& scan, int pos) const
    {
        Emit(scan, pos, kSyntaxColorPreprocessor);
        scan.dwState |= kScriptDirective;
        scan.bStop = true;
    }

    bool ListIs(const SScan& scan, int index, int start, int end) const
    {
        const SSyntaxWordList list = GetWordList(index);
        return IsKeywordNoCase(list.pWords,
                               reinterpret_cast<const char*>(scan.text.pText + start),
                               end - start);
    }
};

CSyntaxParser* CreateSyntaxParserBatch()
{
    return new CSyntaxParserBatch();
}

// Visual Basic and VBScript.

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

static const char* const s_apszBasicKeywords[] = {
    "SMDoMenu", "GetAttrType", "GetAttrName", "GetAttrValString", "GetAttrValFloat",
    "GetAttrValInt", "GetAttrValBool", "GetAttrValEnumInt", "GetAttrValEnumString",
    "GetClassId", "GetGeoType", "SetAttrValString", "SetAttrValInt", "SetAttrValFloat",
    "SetAttrValBool", "SetAttrValEnumString", "SetAttrValEnumInt", "CreateVerifyItem",
    "VerifyCardinalities", "Alias", "As", "Abs", "And", "Any", "AppActivate", "Asc", "Atn",
    "Beep", "Begin", "Boolean", "ByRef", "ByVal", "Byte", "Call", "CDbl", "ChDir", "ChDrive",
    "CheckBox", "Chr", "CInt", "CLng", "Close", "Const", "Cos", "CreateObject", "CSng", "CStr",
    "CVar", "CurDir", "Currency", "Date", "Declare", "Dialog", "Dim", "Dir", "DlgEnable",
    "DlgText", "DlgVisible", "Do", "Double", "Loop", "Each", "End", "Enum", "EOF", "Erase",
    "Exit", "Exp", "Explicit", "False", "FileCopy", "FileLen", "Fix", "For", "To", "Step",
    "Next", "Format", "Friend", "Function", "Get", "GetObject", "Global", "GoSub", "Return",
    "GoTo", "Hex", "Hour", "If", "In", "Then", "Else", "ElseIf", "Input", "InputBox", "InStr",
    "Int", "Integer", "Is", "IsDate", "IsEmpty", "IsNull", "IsNumeric", "Kill", "LBound",
    "LCase", "LCase$", "Left", "Left$", "Len", "Let", "Like", "Lib", "Line", "Input#", "Log",
    "Long", "Mid", "Minute", "MkDir", "Month", "MsgBox", "Name", "New", "Now", "Not", "Nothing",
    "Oct", "On", "Or", "Error", "Open", "Option", "Optional", "Base", "Print", "Private",
    "Property", "Public", "Rem", "Resume", "Right", "RmDir", "Rnd", "Second", "Seek", "Select",
    "Case", "SendKeys", "Set", "Shell", "Sin", "Space", "Sqr", "Static", "Stop", "Str",
    "StrComp", "String", "StringFunction", "Sub", "Tan", "Text", "TextBox", "Time",
    "TimeSerial", "TimeValue", "Trim", "LTrim", "RTrim", "Type", "True", "UBound", "UCase",
    "Val", "Variant", "VarType", "While", "Wend", "With", "Write", "Year", nullptr,
};

// A single quote that does not follow a word character opens a remark shown in string
// colour up to the next single quote or the end of the line; the word REM (any case)
// before a non-word character comments out the rest of the line.
class CSyntaxParserBasic : public CScriptSyntaxParser
{
public:
    CSyntaxParserBasic()
        : CScriptSyntaxParser(2, "Basic", "bas,vb,vbs,frm,dsm,cls", 0x30, "", "", "'",
                              kScriptBlockComment)
    {
        AddWordList(s_apszBasicKeywords, kSyntaxColorKeyword, false);
    }

protected:
    void ScanRegion(SScan& scan) const override
    {
        // Basic has no escapes: the remark ends at the very next single quote.
        if ((scan.dwState & kScriptCharString) != 0)
        {
            if (scan.Current() == '\'')
                CloseRegion(scan, kScriptCharString, 1);
            return;
        }
        CScriptSyntaxParser::ScanRegion(scan);
    }

    int EndWord(SScan& scan, int start, int end) const override
    {
        // Only the whole word counts, so names that merely end in "rem" (Theorem) stay code.
        if (end - start == 3 && end < scan.Length() && MatchesAtNoCase(scan, start, "rem"))
        {
            StartLineComment(scan, start);
            return end;
        }
        return CScriptSyntaxParser::EndWord(scan, start, end);
    }
};

CSyntaxParser* CreateSyntaxParserBasic()
{
    return new CSyntaxParserBasic();
}

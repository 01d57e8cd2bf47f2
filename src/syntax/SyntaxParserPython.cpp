// Python.

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

static const char* const s_apszPythonKeywords[] = {
    "access", "and", "break", "class", "continue", "def", "del", "elif", "else", "except",
    "exec", "finally", "for", "from", "global", "if", "import", "in", "is", "lambda", "not",
    "or", "pass", "print", "raise", "return", "try", "while", nullptr,
};

static const char* const s_apszPythonModuleNames[] = {
    "argv", "builtin_module_names", "exc_type", "exc_value", "exc_traceback", "exit",
    "exitfunc", "last_type", "last_value", "last_traceback", "modules", "path", "ps1", "ps2",
    "settrace", "setprofile", "stdin", "stdout", "stderr", "tracebacklimit", "AttributeError",
    "EOFError", "IOError", "ImportError", "IndexError", "KeyError", "KeyboardInterrupt",
    "MemoryError", "NameError", "OverflowError", "RuntimeError", "SyntaxError", "SystemError",
    "SystemExit", "TypeError", "ValueError", "ZeroDivisionError", nullptr,
};

static const char* const s_apszPythonSpecialNames[] = {
    "id", "__init__", "__del__", "__repr__", "__str__", "__cmp__", "__hash__", "__dict__",
    "__methods__", "__members__", "__class__", "__bases__", "__add__", "__mul__", "__mod__",
    "__sub__", "__div__", "divmod", "__divmod__", "pow", "__pow__", "__and__", "__xor__",
    "__or__", "__lshift__", "__rshift__", "nonzero", "__nonzero__", "coerce", "__coerce__",
    "__neg__", "__pos__", "abs", "__abs__", "__invert__", "int", "__int__", "float",
    "__float__", "long", "__long__", "oct", "__oct__", "hex", "__hex__", "range", "round",
    "xrange", "len", "__len__", "__getitem__", nullptr,
};

// Python names are case-sensitive, so all three lists are compared exactly.
class CSyntaxParserPython : public CScriptHashCommentParser
{
public:
    CSyntaxParserPython()
        : CScriptHashCommentParser(18, "Python", "py", 0x50, "/*", "*/", "//",
                                   kScriptBlockComment)
    {
        AddWordList(s_apszPythonKeywords, kSyntaxColorKeyword, false);
        AddWordList(s_apszPythonModuleNames, kSyntaxColorKeyword2, false);
        AddWordList(s_apszPythonSpecialNames, kSyntaxColorKeyword3, false);
    }
};

CSyntaxParser* CreateSyntaxParserPython()
{
    return new CSyntaxParserPython();
}

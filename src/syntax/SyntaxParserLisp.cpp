// AutoLISP.

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

static const char* const s_apszLispKeywords[] = {
    "abs", "acad_colordlg", "acad_helpdlg", "acad_strlsort", "action_tile", "add_list", "ads",
    "alert", "alloc", "and", "angle", "angtof", "angtos", "append", "apply", "arxload",
    "arxunload", "arx", "ascii", "assoc", "atan", "atof", "atoi", "atoms-family", "atom",
    "autoarxload", "autoload", "autoxload", "boole", "boundp", "caaaar", "caaadr", "caaar",
    "caadar", "caaddr", "caadr", "caar", "cadaar", "cadadr", "cadar", "caddar", "cadddr",
    "caddr", "cadr", "car", "cdaaar", "cdaadr", "cdaar", "cdadar", "cdaddr", "cdadr", "cdar",
    "cddaar", "cddadr", "cddar", "cdddar", "cddddr", "cdddr", "cddr", "cdr", "chr",
    "client_data_tile", "close", "command", "cond", "cons", "cos", "cvunit", "defun",
    "dictnext", "dictsearch", "dimx_tile", "dimy_tile", "distance", "distof", "done_dialog",
    "end_image", "end_list", "entdel", "entget", "entlast", "entmake", "entmod", "entnext",
    "entsel", "entupd", "equal", "eq", "eval", "exit", "expand", "expt", "exp", "fill_image",
    "findfile", "fix", "float", "foreach", "gcd", "gc", "get_attr", "get_tile", "getangle",
    "getcfg", "getcorner", "getdist", "getenv", "getfield", "getint", "getkword", "getorient",
    "getpoint", "getreal", "getstring", "getvar", "graphscr", "grclear", "grdraw", "grread",
    "grtext", "grvecs", "handent", "if", "help", "initget", "inters", "itoa", "lambda", "last",
    "length", "listp", "list", "load_dialog", "load", "logand", "logior", "log", "lsh",
    "mapcar", "max", "member", "mem", "menucmd", "minusp", "min", "mode_tile", "namedobjdict",
    "nentsel", "nentselp", "new_dialog", "not", "nth", "null", "numberp", "open", "or", "osnap",
    "polar", "prin1", "princ", "print", "progn", "prompt", "quit", "quote", "read-char",
    "read-line", "read", "redraw", "regapp", "rem", "repeat", "reverse", "rtos", "setcfg",
    "setfunhelp", "setq", "setvar", "set_tile", "set", "sin", "slide_image", "snvalid", "sqrt",
    "ssadd", "ssdel", "ssget", "sslength", "ssmemb", "ssname", "startapp", "start_dialog",
    "start_image", "start_list", "strcase", "strcat", "strlen", "substr", "subst", "tablet",
    "tblnext", "tblobjname", "tblsearch", "term_dialog", "terpri", "textbox", "textpage",
    "textscr", "trace", "trans", "type", "unload_dialog", "untrace", "vector_image", "ver",
    "vmon", "vports", "wcmatch", "while", "write-char", "write-line", "xdroom", "xdsize",
    "xload", "xunload", "zerop", nullptr,
};

class CSyntaxParserLisp : public CScriptLispParser
{
public:
    CSyntaxParserLisp() : CScriptLispParser(13, "AutoLISP", "lsp", 0x30)
    {
        AddWordList(s_apszLispKeywords, kSyntaxColorKeyword, false);
    }
};

CSyntaxParser* CreateSyntaxParserLisp()
{
    return new CSyntaxParserLisp();
}

// SIOD (Scheme In One Defun).

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

static const char* const s_apszSiodWords1[] = {
    "abs", "alarm", "and", "append", "apply", "ass", "assoc", "assq", "assv", "base64decode",
    "base64encode", "begin", "caaar", "caadr", "caar", "cadar", "caddr", "cadr", "car", "cdaar",
    "cdadr", "cdar", "cddar", "cdddr", "cddr", "cdr", "cond", "cons-array", "define", "eq?",
    "equal?", "eqv?", "eval", "exec", "exit", "fclose", "fopen", "if", "lambda", "length",
    "let", "let*", "letrec", "list", "load", "max", "min", "member", "memq", "memv", "nil",
    "not", "null?", "number?", "number->string", "or", "pair?", "quit", "quote", "set!",
    "set-car!", "set-cdr!", "string->number", "string-length", "string?", "string-append",
    "substring", "symbol?", "read", "reverse", nullptr,
};

static const char* const s_apszSiodWords2[] = {
    "acos", "asin", "atan", "cos", "exp", "log", "sin", "tan", "sqrt", nullptr,
};

static const char* const s_apszSiodWords3[] = {
    "%%%memref", "%%closure", "%%closure-code", "%%closure-env", "%%stack-limit", "*after-gc*",
    "*args*", "*catch", "*env*", "*eval-history-ptr*", "*pi*", "*plists*", "*throw", "*traced*",
    "F_GETLK", "F_SETLK", "F_SETLKW", "access-problem?", "allocate-heap", "apropos", "aref",
    "array->hexstr", "aset", "ash", "atan2", "benchmark-eval", "benchmark-funcall1",
    "benchmark-funcall2", "bit-and", "bit-not", "bit-or", "bit-xor", "butlast", "bytes-append",
    "chdir", "chmod", "chown", "closedir", "copy-list", "cpu-usage-limits", "crypt",
    "current-resource-usage", "datlength", "datref", "decode-file-mode", "delete-file", "delq",
    "encode-file-mode", "encode-open-flags", "endpwent", "env-lookup", "eof-val", "errobj",
    "error", "fast-load", "fast-print", "fast-read", "fast-save", "fchmod", "fflush",
    "file-times", "first", "fmod", "fnmatch", "fork", "fread", "fseek", "fstat", "ftell",
    "fwrite", "gc", "gc-info", "gc-status", "get", "getc", "getcwd", "getenv", "getgid",
    "getgrgid", "getpass", "getpgrp", "getpid", "getppid", "getpwent", "getpwnam", "getpwuid",
    "gets", "getuid", "gmtime", "hexstr->bytes", "href", "hset", "html-encode", "intern",
    "kill", "larg-default", "last", "last-c-error", "lchown", "link", "lkey-default", "load-so",
    "localtime", "lref-default", "lstat", "make-list", "mapcar", "md5-final", "md5-init",
    "md5-update", "mkdatref", "mkdir", "mktime", "nconc", "nice", "nreverse", "nth", "opendir",
    "os-classification", "parse-number", "pclose", "popen", "pow", "prin1", "print",
    "print-to-string", "prog1", "putc", "putenv", "putprop", "puts", "qsort", "rand", "random",
    "read-from-string", "readdir", "readline", "readlink", "realtime", "rename", "require",
    "require-so", "rest", "rld-pathnames", "rmdir", "runtime", "save-forms", "sdatref",
    "set-eval-history", "set-symbol-value!", "setprop", "setpwent", "setuid", "siod-lib",
    "sleep", "so-ext", "srand", "srandom", "stat", "strbreakup", "strcat", "strcmp", "strcpy",
    "strcspn", "strftime", "string-dimension", "string-downcase", "string-lessp",
    "string-search", "string-trim", "string-trim-left", "string-trim-right", "string-upcase",
    "strptime", "strspn", "subset", "substring-equal?", "swrite", "sxhash", "symbol-bound?",
    "symbol-value", "symbolconc", "symlink", "system", "t", "the-environment", "trace", "trunc",
    "typeof", "unbreakupstr", "ungetc", "unix-ctime", "unix-time", "unix-time->strtime",
    "unlink", "untrace", "url-decode", "url-encode", "utime", "verbose", "wait", "while",
    "writes", nullptr,
};

class CSyntaxParserSiod : public CScriptLispParser
{
public:
    CSyntaxParserSiod() : CScriptLispParser(23, "SIOD", "scm", 0x50)
    {
        AddWordList(s_apszSiodWords1, kSyntaxColorKeyword, true);
        AddWordList(s_apszSiodWords2, kSyntaxColorKeyword2, true);
        AddWordList(s_apszSiodWords3, kSyntaxColorKeyword3, true);
    }
};

CSyntaxParser* CreateSyntaxParserSiod()
{
    return new CSyntaxParserSiod();
}

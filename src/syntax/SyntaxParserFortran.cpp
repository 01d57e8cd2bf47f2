// Fortran, fixed and free form.

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

static const char* const s_apszFortranKeywords[] = {
    "abs", "achar", "acos", "adjustl", "adjustr", "aimag", "aint", "all", "allocatable",
    "allocate", "allocated", ".and.", "anint", "any", "asin", "assignment", "associated",
    "atan", "atan2", "backspace", "bit_size", "block", "blockdata", "btest", "call",
    "random_number", "random_seed", "system_clock", "case", "ceiling", "char", "character",
    "close", "cmplx", "common", "complex", "conjg", "contains", "continue", "cos", "cosh",
    "count", "cshift", "cycle", "data", "date_and_time", "dble", "deallocate", "default",
    "digits", "dim", "dimension", "do", "dot_product", "double", "doubleprecision", "dprod",
    "else", "elseif", "elsewhere", "end", "endblock", "endblockdata", "enddo", "endfile",
    "endif", "endinterface", "endselect", "endtype", "endwhere", "entry", "eoshift", "epsilon",
    "equivalence", "exit", "exp", "exponent", "external", "file", "floor", "format.",
    "fraction", "function", "go", "goto", "huge", "iachar", "iand", "ibclr", "ibits", "ibset",
    "ichar", "ieor", "if", "implicit", "in", "index", "inout", "inquire", "int", "integer",
    "intent", "interface", "intrinsic", "iolength", "ior", "ishftc", "ishift", "kind", "lbound",
    "len", "len_trim", "lge", "lgt", "lle", "llt", "log", "log10", "logical", "matmul", "max",
    "maxexponent", "maxloc", "maxval", "merge", "min", "minexponent", "minloc", "minval", "mod",
    "module", "modulo", "mvbits", "namelist", "nearest", "nint", "none", ".not.", "nullify",
    "only", "open", "operator", "optional", ".or.", "out", "pack", "parameter", "pointer",
    "precision", "present", "print", "private", "procedure", "product", "program", "public",
    "radix", "rangereal", "read", "real", "recursive", "repeat", "reshape", "result", "return",
    "rewrind", "rrspacing", "save", "scale", "scan", "select", "selectcase",
    "selected_int_kind", "selected_real_kind", "sequence", "set_exponent", "shape", "sign",
    "sin", "sinh", "size", "spacing", "spread", "sqrt", "stop", "subroutine", "sum", "tan",
    "tanh", "target", "then", "tiny", "to", "transfer", "transpose", "trim", "type", "unbound",
    "unpack", "use", "verify", "where", "while", "write", nullptr,
};

// "!" comments out the rest of a line; "C" or "c" in the first column makes the whole line a
// comment (the fixed-form comment card).
class CSyntaxParserFortran : public CScriptSyntaxParser
{
public:
    CSyntaxParserFortran()
        : CScriptSyntaxParser(7, "Fortran", "f,f90,f9p,fpp,for,f77", 0x10, "", "", "!",
                              kScriptBlockComment)
    {
        AddWordList(s_apszFortranKeywords, kSyntaxColorKeyword, true);
        m_bFunctionNames = false;
    }

protected:
    void BeginLine(SScan& scan) const override
    {
        const unsigned char c = scan.At(0);
        if (scan.bFirstChar && (c == 'C' || c == 'c'))
            StartLineComment(scan, 0);
    }

    bool ScanOpener(SScan& scan) const override
    {
        if (scan.Current() == '!')
        {
            StartLineComment(scan, scan.nPos);
            return true;
        }
        return OpenString(scan);
    }
};

CSyntaxParser* CreateSyntaxParserFortran()
{
    return new CSyntaxParserFortran();
}

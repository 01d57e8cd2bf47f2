// Rust.

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

constexpr uint32_t kRustRawString = 32; // inside r"..." or r#"..."#, carried
constexpr int kRustDepthShift = 8;
constexpr uint32_t kRustDepthMask = 0xFu
                                    << kRustDepthShift; // block comments open inside the outer one
constexpr int kRustHashShift = 12;
constexpr uint32_t kRustHashMask = 0xFu << kRustHashShift; // the "#" count of the open raw string

static const char* const s_apszRustKeywords[] = {
    "as",       "async",  "await",  "break",    "const",   "continue", "crate", "dyn",    "else",
    "enum",     "extern", "false",  "fn",       "for",     "if",       "impl",  "in",     "let",
    "loop",     "match",  "mod",    "move",     "mut",     "pub",      "ref",   "return", "self",
    "Self",     "static", "struct", "super",    "trait",   "true",     "type",  "union",  "unsafe",
    "use",      "where",  "while",  "abstract", "become",  "box",      "do",    "final",  "macro",
    "override", "priv",   "try",    "typeof",   "unsized", "virtual",  "yield", nullptr,
};

static const char* const s_apszRustTypes[] = {
    "i8",  "i16",    "i32",    "i64", "i128", "isize", "u8",   "u16", "u32",
    "u64", "u128",   "usize",  "f32", "f64",  "bool",  "char", "str", "String",
    "Vec", "Option", "Result", "Box", "Some", "None",  "Ok",   "Err", nullptr,
};

static const char* const s_apszRustNumberSuffixes[] = {
    "i8",  "i16", "i32",  "i64",   "i128", "isize", "u8",    "u16",
    "u32", "u64", "u128", "usize", "f32",  "f64",   nullptr,
};

// Comments nest ("/* /* */ */" is one comment) and, like strings and raw strings, go on
// over the following lines. Character literals ('a', '\n', b'x') are strings; a quote
// that opens none starts a lifetime or loop label ('a), coloured as a third-class word.
// Attributes (#[...] and #![...]) are directives, a name followed by "!" is a macro and
// coloured as a function.
class CSyntaxParserRust final : public CScriptCodeParser
{
public:
    CSyntaxParserRust()
        : CScriptCodeParser(34, "Rust", "rs", 0x30, "/*", "*/", "//",
                            kScriptBlockComment | kScriptString | kRustRawString | kRustDepthMask |
                                kRustHashMask,
                            "", "*/\"\\#")
    {
        m_bSingleQuoteStrings = false;
        m_dwBackslashBits = 0;
        m_pNumberSuffixes = s_apszRustNumberSuffixes;
        AddWordList(s_apszRustKeywords, kSyntaxColorKeyword, false);
        AddWordList(s_apszRustTypes, kSyntaxColorKeyword2, false);
    }

protected:
    int StateColor(uint32_t state) const override
    {
        if ((state & kRustRawString) != 0)
            return kSyntaxColorString;
        return CScriptSyntaxParser::StateColor(state);
    }

    void ScanRegion(SScan& scan) const override
    {
        const uint32_t s = scan.dwState;
        const int pos = scan.nPos;
        if ((s & kScriptBlockComment) != 0)
        {
            if (MatchesAt(scan, pos, "*/"))
            {
                if ((s & kRustDepthMask) != 0)
                {
                    scan.dwState = s - (1u << kRustDepthShift);
                    scan.nNext = pos + 2;
                }
                else
                {
                    CloseRegion(scan, kScriptBlockComment, 2);
                }
            }
            else if (MatchesAt(scan, pos, "/*"))
            {
                if ((s & kRustDepthMask) != kRustDepthMask)
                    scan.dwState = s + (1u << kRustDepthShift);
                scan.nNext = pos + 2;
            }
            return;
        }
        if ((s & kRustRawString) != 0)
        {
            const int hashes = static_cast<int>((s & kRustHashMask) >> kRustHashShift);
            if (scan.Current() != '"')
                return;
            for (int k = 1; k <= hashes; ++k)
            {
                if (pos + k >= scan.Length() || scan.At(pos + k) != '#')
                    return;
            }
            CloseRegion(scan, kRustRawString | kRustHashMask, hashes + 1);
            return;
        }
        ScanString(scan);
    }

    bool ScanOpener(SScan& scan) const override
    {
        const int n = scan.Length();
        const int pos = scan.nPos;
        switch (scan.Current())
        {
        case '/':
            return OpenSlashComment(scan);
        case '"':
        {
            const int prefix = Prefix(scan);
            const bool raw = prefix < pos && scan.At(pos - 1) == 'r';
            Recolour(scan, prefix, kSyntaxColorString);
            scan.dwState |= raw ? kRustRawString : kScriptString;
            scan.bNewRun = false;
            return true;
        }
        case '#':
        {
            const int prefix = Prefix(scan);
            if (prefix < pos && scan.At(pos - 1) == 'r')
            {
                int k = pos;
                while (k < n && scan.At(k) == '#')
                    ++k;
                if (k < n && scan.At(k) == '"' && k - pos <= 15)
                {
                    Recolour(scan, prefix, kSyntaxColorString);
                    scan.dwState |=
                        kRustRawString | (static_cast<uint32_t>(k - pos) << kRustHashShift);
                    scan.bNewRun = false;
                    scan.nNext = k + 1;
                    return true;
                }
            }
            if (!MatchesAt(scan, pos, "#[") && !MatchesAt(scan, pos, "#!["))
                return false;
            // An attribute up to its closing bracket, or to the line end.
            int depth = 0;
            int j = pos + 1;
            for (; j < n; ++j)
            {
                if (scan.At(j) == '[')
                    ++depth;
                else if (scan.At(j) == ']' && --depth == 0)
                    break;
            }
            Emit(scan, pos, kSyntaxColorPreprocessor);
            scan.bNewRun = true;
            scan.nNext = j < n ? j + 1 : n;
            return true;
        }
        case '\'':
        {
            const int end = CharLiteralEnd(scan);
            if (end > 0)
            {
                Recolour(scan, Prefix(scan), kSyntaxColorString);
                scan.bNewRun = true;
                scan.nNext = end;
                return true;
            }
            if (pos + 1 < n && IsSyntaxWordStart(scan.At(pos + 1)))
            {
                int j = pos + 1;
                while (j < n && IsWordByte(scan.At(j)))
                    ++j;
                Emit(scan, pos, kSyntaxColorKeyword3);
                scan.bNewRun = true;
                scan.nNext = j;
                return true;
            }
            return false;
        }
        default:
            return false;
        }
    }

    int ClassifyWord(SScan& scan, int start, int end) const override
    {
        const int color = CScriptCodeParser::ClassifyWord(scan, start, end);
        if (color != -1 && color != kSyntaxColorFunction)
            return color;
        if (end + 1 < scan.Length() && scan.At(end) == '!' && scan.At(end + 1) != '=')
            return kSyntaxColorFunction;
        return color;
    }

private:
    // Where a string or character literal at the current character begins: at its
    // "b", "c", "r", "br" or "cr" prefix when one stands right before it as a word.
    int Prefix(const SScan& scan) const
    {
        const int pos = scan.nPos;
        const auto startsWord = [&](int k) { return k == 0 || !IsWordByte(scan.At(k - 1)); };
        if (pos >= 2 && (MatchesAt(scan, pos - 2, "br") || MatchesAt(scan, pos - 2, "cr")) &&
            startsWord(pos - 2))
            return pos - 2;
        if (pos >= 1 &&
            (scan.At(pos - 1) == 'b' || scan.At(pos - 1) == 'c' || scan.At(pos - 1) == 'r') &&
            startsWord(pos - 1))
            return pos - 1;
        return pos;
    }

    // The end (after the closing quote) of a character literal at the current quote, or 0.
    int CharLiteralEnd(const SScan& scan) const
    {
        const int n = scan.Length();
        const int j = scan.nPos + 1;
        if (j >= n)
            return 0;
        if (scan.At(j) == '\\')
        {
            for (int k = j + 2; k < n && k < j + 12; ++k)
            {
                if (scan.At(k) == '\'')
                    return k + 1;
            }
            return 0;
        }
        int len = 1;
        if (scan.At(j) >= 0xC0)
        {
            while (j + len < n && (scan.At(j + len) & 0xC0) == 0x80)
                ++len;
        }
        return j + len < n && scan.At(j + len) == '\'' && scan.At(j) != '\'' ? j + len + 1 : 0;
    }
};

CSyntaxParser* CreateSyntaxParserRust()
{
    return new CSyntaxParserRust();
}

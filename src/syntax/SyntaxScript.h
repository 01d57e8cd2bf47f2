#pragma once
// The line scanner shared by the script, configuration and document parsers (Basic, Batch,
// Fortran, INI, InnoSetup, AutoLISP, Pascal, Perl, Python, Shell, SIOD, TCL, TeX, and
// JavaScript, TypeScript, JSON, CSS, Markdown, YAML, Rust, Go, Lua, Makefile, CMake, Diff).
//
// They all colour a line the way the C/C++ parser does, and differ only in their comment
// forms, special regions and word classes, which they add through the hooks below:
// - outside strings, comments and other regions, every character that is not part of a
//   word is an operator run (13) of its own and a word starts a normal-text run (3); when
//   the character after a word is reached the word is classified (word lists in order,
//   then numbers 12, then function names 10 when the next non-blank character is "(");
// - a double quote opens a string (bit 8); a single quote that does not follow a word
//   character opens a single-quoted string (bit 16); both are colour 14 and end at their
//   quote unless a backslash that is not itself preceded by a backslash escapes it;
// - a line comment (bit 1) runs to the end of the line;
// - at the end of a line only the parser's carried bits survive, unless the line's last
//   byte is a backslash of its own: then every bit carries over (or the parser's
//   m_dwBackslashBits). An empty line returns its input state masked to the carried bits.
// The state-only pass (runs == null) runs every rule that can change the state, so it
// returns the state of the colouring pass; only word-list lookups and runs are skipped.

#include <cstdint>
#include <memory>
#include <vector>

#include "syntax/SyntaxParser.h"
#include "syntax/SyntaxShared.h"

enum : uint32_t
{
    kScriptLineComment = 1,
    kScriptDirective = 2,
    kScriptBlockComment = 4,
    kScriptString = 8,
    kScriptCharString = 16,
    kScriptStringBits = kScriptString | kScriptCharString,
    kScriptBraceComment = 32, // Pascal and InnoSetup "{" ... "}"
};

class CScriptSyntaxParser : public CSyntaxParser
{
public:
    uint32_t ParseLine(uint32_t state, const CTarvoTextLineInfo* line, SyntaxRun* runs,
                       int* count) override;

    int GetWordListCount() const override;
    SSyntaxWordList GetWordList(int index) const override;

protected:
    // The scan of one line. Hooks read the line through it and change the state, the scan
    // position and the run mode through it; it lives on the stack of one ParseLine call.
    struct SScan
    {
        SScan(const CTarvoTextLineInfo* line, SyntaxRun* runs, int* count);

        SSyntaxLineText text;
        const CTarvoTextLineInfo* pLine;
        SyntaxRun* pRuns;
        int* pnCount;
        int nOwnRuns; // runs below this index belong to the caller
        uint32_t dwState = 0;
        int nPos = 0;              // the character being scanned
        int nNext = 0;             // where the scan goes on; hooks move it to consume more
        int nPrev = -1;            // start of the character before nPos, -1 at the line start
        int nPrevPrev = -1;        // start of the character before nPrev
        int nWordStart = -1;       // first character of the open word, -1 when none
        bool bFirstChar = false;   // no non-blank character outside regions seen yet
        bool bNewRun = true;       // the next character starts a run of its own
        bool bStop = false;        // the rest of the line keeps the current run
        bool bKeywordSeen = false; // free for a parser's word rules (AutoLISP's "defun")

        unsigned char At(int index) const { return text.pText[index]; }
        int Length() const { return text.nLength; }
        unsigned char Current() const { return text.pText[nPos]; }
    };

    // dwCarriedBits: the state bits that survive the end of a line.
    CScriptSyntaxParser(int nId, const char* name, const char* extensions, uint32_t dwFlags,
                        const char* blockOpen, const char* blockClose, const char* lineComment,
                        uint32_t dwCarriedBits);
    ~CScriptSyntaxParser() override;

    // Appends a word list; words are classified by the lists in the order they were added.
    void AddWordList(const char* const* words, int nColor, bool bNoCase);

    // --- hooks ---
    // Word characters of the language (the "." rule of numbers is added by IsWordAt).
    // The base answers from a table that starts as IsSyntaxWordChar; SetWordByte and
    // EnableFastScan change it.
    virtual bool IsWordByte(unsigned char c) const { return m_abWordBytes[c]; }
    // Colour of a run that starts in `state`, or -1 when the state is normal text.
    virtual int StateColor(uint32_t state) const;
    // Called once before the scan of a non-empty line.
    virtual void BeginLine(SScan& /*scan*/) const {}
    // The first non-blank character outside regions; true when it was handled.
    virtual bool ScanFirstChar(SScan& /*scan*/) const { return false; }
    // A character while the state is not 0 (strings, comments, directives, regions).
    virtual void ScanRegion(SScan& scan) const;
    // A character of normal text; true when it opened a comment, string or region.
    virtual bool ScanOpener(SScan& scan) const;
    // A word [start, end) is complete. Returns where the scan goes on (normally `end`).
    // The base colours it by ClassifyWord when a run array is given.
    virtual int EndWord(SScan& scan, int start, int end) const;
    // Colour of a complete word, or -1 to leave it normal text.
    virtual int ClassifyWord(SScan& scan, int start, int end) const;

    // --- helpers for the hooks ---
    // Adds a run at `pos` (a later run with the same start replaces an own earlier one).
    void Emit(SScan& scan, int pos, int nColor) const;
    // Colours from `pos` on with `nColor`, dropping the parser's own runs that start after
    // `pos` (a prefix before a string turns out to belong to it).
    void Recolour(SScan& scan, int pos, int nColor) const;
    // A line comment from `pos` to the end of the line.
    void StartLineComment(SScan& scan, int pos) const;
    // Enters `bit` with a run of `nColor` at the current character; `width` characters
    // (bytes, all ASCII) belong to the opener.
    void OpenRegion(SScan& scan, uint32_t bit, int nColor, int width) const;
    // Leaves `bit` after `width` bytes at the current character; the next character
    // starts a new run.
    void CloseRegion(SScan& scan, uint32_t bit, int width) const;
    // The quote rules of normal text: true when the current character opened a string.
    bool OpenString(SScan& scan) const;
    // Inside a string: closes it at its unescaped quote.
    void ScanString(SScan& scan) const;
    // True when the character before the current one is a backslash that is not itself
    // preceded by a backslash.
    bool IsEscaped(const SScan& scan) const;
    // True when `text` (ASCII) stands at `pos`.
    bool MatchesAt(const SScan& scan, int pos, const char* text) const;
    bool MatchesAtNoCase(const SScan& scan, int pos, const char* text) const;
    // True when the character at `pos` belongs to a word: a word byte, or a "." that is not
    // at position 0 and has no letter, "_" or byte above 127 on either side.
    bool IsWordAt(const SScan& scan, int pos) const;
    // Colour of the first word list holding the word, or -1.
    int ListColor(const SScan& scan, int start, int end) const;
    // True when the first non-blank character at or after `from` is `c`.
    bool NextNonBlankIs(const SScan& scan, int from, unsigned char c) const;

    bool m_bFunctionNames = true;      // words followed by "(" are function names
    bool m_bSingleQuoteStrings = true; // a single quote may open a string (bit 16)
    // The bits a trailing backslash carries into the next line on top of the carried bits
    // (all by default; a language whose comments do not continue keeps only its strings).
    uint32_t m_dwBackslashBits = ~0u;
    // Bits that say where code stands (a brace depth, code inside a string template)
    // rather than open a region: with only these set, the text is scanned as normal text.
    // Only parsers with the fast scan on use them.
    uint32_t m_dwContextBits = 0;

    // Opt-in speed-ups for parsers whose hooks allow them (the plain scan stays the default):
    // - inside a word the bytes of m_abWordBytes are passed over in one step, so the hooks
    //   see only the first character of a word (the parser must not override IsWordByte);
    // - inside a region only the bytes of `regionStops` reach ScanRegion, the others keep
    //   the region's run;
    // - blanks of normal text are passed over in one step (they never open anything);
    // - an operator run right after another operator run is not added, which leaves what
    //   the user sees unchanged and saves a run per blank of indentation.
    // Both skips work in byte steps and are off for double-byte code pages.
    void EnableFastScan(const char* extraWordBytes, const char* regionStops);
    void SetWordByte(unsigned char c, bool bWord) { m_abWordBytes[c] = bWord; }

private:
    // The scan of a non-empty line and its steps: kCode honours the context bits and
    // merges operator runs (fast-scan parsers), kSkip takes the fast steps (fast-scan
    // parsers on single-byte and UTF-8 text).
    template <bool kCode, bool kSkip> void ScanLine(SScan& scan) const;
    template <bool kCode> void StartRun(SScan& scan, int pos) const;
    template <bool kCode> void ScanChar(SScan& scan) const;

    struct SList
    {
        SSyntaxWordList list;
        std::unique_ptr<CSyntaxKeywordSet> pSet;
    };
    uint32_t m_dwCarriedBits;
    std::vector<SList> m_lists;
    bool m_bFastScan = false;
    bool m_abWordBytes[256] = {};
    bool m_abRegionStops[256] = {};
};

// Parsers whose only comment is "#" to the end of the line (Perl, Python, Shell, TCL).
class CScriptHashCommentParser : public CScriptSyntaxParser
{
protected:
    using CScriptSyntaxParser::CScriptSyntaxParser;
    bool ScanOpener(SScan& scan) const override;
};

// Pascal comments (Pascal, InnoSetup): "(*" ... "*)" (bit 4) and "{" ... "}" (bit 32), both
// carried to the following lines, and "//" to the end of the line. A closing "*)" never
// shares its "*" with the "(*" that opened the comment, so "(*)" stays open.
class CScriptPascalCommentParser : public CScriptSyntaxParser
{
protected:
    CScriptPascalCommentParser(int nId, const char* name, const char* extensions, uint32_t dwFlags,
                               const char* blockOpen, const char* blockClose,
                               const char* lineComment);
    int StateColor(uint32_t state) const override;
    void ScanRegion(SScan& scan) const override;
    bool ScanOpener(SScan& scan) const override;
    // The comment openers alone: true when the current character opened a comment.
    bool OpenComment(SScan& scan) const;
};

// Lisp dialects (AutoLISP, SIOD): ";" comments to the end of the line, ";|" ... "|;" block
// comments (bit 4). A single quote is Lisp's quote operator, not a string delimiter, so
// '(a b) does not turn the rest of the line into a string. A word in no list and not a
// number is a function name when "(" follows it directly, or when the nearest non-blank
// character before it is "(" and no keyword beginning with "defun" came earlier on the
// line (so the parameter list of a defun is not taken for calls).
class CScriptLispParser : public CScriptSyntaxParser
{
protected:
    CScriptLispParser(int nId, const char* name, const char* extensions, uint32_t dwFlags);
    void ScanRegion(SScan& scan) const override;
    bool ScanOpener(SScan& scan) const override;
    int ClassifyWord(SScan& scan, int start, int end) const override;
};

// Length of the number at the start of w[0 .. len): decimal digits with "_" between them,
// an optional fraction and an optional exponent ("e" or "E", a sign, digits); or "0x" / "0X"
// with hexadecimal digits (also a fraction and a "p" exponent), "0b" / "0B" with binary and
// "0o" / "0O" with octal digits. 0 when w does not begin with a digit or "." and a digit.
int MeasureCodeNumber(const unsigned char* w, int len);

// The scanner of the curly-brace languages of today (JavaScript, TypeScript, JSON, CSS,
// Rust, Go, Lua, CMake): the fast scan is on, words are classified by the word lists, then
// as numbers in the language's own form (a number and one of m_pNumberSuffixes), then as
// function names. An exponent sign joins its number ("1e+5" is one number), and a ".." in
// a word splits it, so "0..10" is two numbers around an operator.
class CScriptCodeParser : public CScriptSyntaxParser
{
protected:
    // extraWordBytes: bytes that belong to words beside letters, digits, "_" and bytes above
    // 127; regionStops: every byte the parser's ScanRegion reacts to.
    CScriptCodeParser(int nId, const char* name, const char* extensions, uint32_t dwFlags,
                      const char* blockOpen, const char* blockClose, const char* lineComment,
                      uint32_t dwCarriedBits, const char* extraWordBytes, const char* regionStops);

    int EndWord(SScan& scan, int start, int end) const override;
    int ClassifyWord(SScan& scan, int start, int end) const override;
    // True when the word [start, end) is a number of the language.
    virtual bool IsNumberWord(const SScan& scan, int start, int end) const;

    // "//" opens a line comment and "/*" a block comment (bit 4): true when one was opened.
    bool OpenSlashComment(SScan& scan) const;
    // Inside a block comment: "*/" closes it (never sharing its "*" with the opener).
    void ScanBlockComment(SScan& scan) const;
    // The byte before the nearest non-blank character before `pos`, or 0 at the line start.
    unsigned char PrevNonBlank(const SScan& scan, int pos) const;

    const char* const* m_pNumberSuffixes = nullptr; // null-terminated; null for none
    bool m_bNumberUnderscores = true;               // "1_000" is a number
};

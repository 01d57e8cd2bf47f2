#pragma once
// The scanner of JavaScript and of TypeScript, which colours the same way with more words.
//
// State bits on top of the script scanner's (1 line comment, 4 block comment, 8 and 16
// strings):
//   32   inside a regular expression literal (ends with the line)
//   64   inside a template literal `...`, carried to the following lines
//   128  inside the code of a "${ ... }" of a template literal; its closing "}" goes back
//        to the template
//   256  inside a [...] class of a regular expression, where "/" does not end it
//   0xE00  the number of "{" open inside that code (up to 7), so the "}" of an object
//        literal does not end it
// A template inside the code of another template is coloured as a string, but its own
// "${" is not followed.

#include "syntax/SyntaxScript.h"

constexpr uint32_t kJsRegex = 32;
constexpr uint32_t kJsTemplate = 64;
constexpr uint32_t kJsTemplateCode = 128;
constexpr uint32_t kJsRegexClass = 256;
constexpr int kJsDepthShift = 9;
constexpr uint32_t kJsDepthMask = 7u << kJsDepthShift;

class CSyntaxParserJsFamily : public CScriptCodeParser
{
protected:
    CSyntaxParserJsFamily(int nId, const char* name, const char* extensions);

    int StateColor(uint32_t state) const override;
    void ScanRegion(SScan& scan) const override;
    bool ScanOpener(SScan& scan) const override;

private:
    // A "/" that is not a comment starts a regular expression where an operand may
    // start: at the line start, after an operator or bracket, or after a keyword such as
    // "return"; after a name, a number or a closing bracket it divides.
    bool RegexMayStart(const SScan& scan) const;
};

// The JavaScript word lists, shared with TypeScript.
extern const char* const g_apszJsKeywords[];
extern const char* const g_apszJsGlobals[];

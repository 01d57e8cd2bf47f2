// The definitions of the script, configuration and document parsers, and the line-end and
// multibyte rules they share.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "platform/SystemInfo.h"
#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"
#include "SyntaxTestUtil.h"

namespace
{
struct SDefinitionCase
{
    int nId;
    const char* name;
    const char* extensions;
    uint32_t dwFlags;
    const char* blockOpen;
    const char* blockClose;
    const char* lineComment;
    uint32_t dwCarried; // state bits that survive the end of a line
};

const SDefinitionCase kDefinitions[] = {
    {2, "Basic", "bas,vb,vbs,frm,dsm,cls", 0x30, "", "", "'", 4},
    {3, "Batch", "bat,btm,cmd", 0x10, "", "", "rem ", 4},
    {7, "Fortran", "f,f90,f9p,fpp,for,f77", 0x10, "", "", "!", 4},
    {9, "INI", "ini,reg", 0x50, "", "", ";", 4},
    {10, "InnoSetup", "iss,isl", 0x30, "{", "}", ";", 4 | 32},
    {13, "AutoLISP", "lsp", 0x30, ";|", "|;", ";", 4},
    {15, "Pascal", "pas", 0x30, "{", "}", "", 4 | 32},
    {16, "Perl", "pl", 0x10, "", "", "#", 4},
    {18, "Python", "py", 0x50, "/*", "*/", "//", 4},
    {22, "Shell", "sh,conf", 0x10, "", "", "#", 4},
    {23, "SIOD", "scm", 0x50, ";|", "|;", ";", 4},
    {25, "TCL", "tcl", 0x50, "", "", "#", 4},
    {26, "TEX", "tex,sty,clo,ltx,fd,dtx", 0x10, "", "", "%", 4},
};

std::unique_ptr<CSyntaxParser> Create(int nId)
{
    return std::unique_ptr<CSyntaxParser>(g_syntaxParserCreators[nId]());
}

struct SCodePageGuard
{
    int nSaved = GetTextCodePage();
    ~SCodePageGuard() { SetTextCodePage(nSaved); }
};

TEST(ScriptParsers, DefinitionsMatchTheParserTable)
{
    for (const SDefinitionCase& c : kDefinitions)
    {
        const auto parser = Create(c.nId);
        ASSERT_NE(parser, nullptr) << c.name;
        EXPECT_EQ(parser->GetId(), c.nId);
        EXPECT_EQ(parser->GetParserId(), c.nId);
        EXPECT_STREQ(parser->GetName(), c.name);
        EXPECT_STREQ(parser->GetExtensions(), c.extensions);
        EXPECT_EQ(parser->GetFlags(), c.dwFlags) << c.name;
        EXPECT_STREQ(parser->GetBlockCommentOpen(), c.blockOpen) << c.name;
        EXPECT_STREQ(parser->GetBlockCommentClose(), c.blockClose) << c.name;
        EXPECT_STREQ(parser->GetLineComment(), c.lineComment) << c.name;
    }
}

// Every state bit a parser can produce, fed in as the state of an empty line, a line of
// plain words and a line ending with a backslash.
TEST(ScriptParsers, LineEndsKeepOnlyCarriedBitsUnlessBackslashEnds)
{
    for (const SDefinitionCase& c : kDefinitions)
    {
        const auto parser = Create(c.nId);
        ASSERT_NE(parser, nullptr);
        for (uint32_t bit = 1; bit <= 64; bit <<= 1)
        {
            const CTestLine empty("");
            int count = 0;
            EXPECT_EQ(parser->ParseLine(bit, empty.Info(), nullptr, &count), bit & c.dwCarried)
                << c.name << " bit " << bit;
        }
        // A string left open: only a trailing backslash keeps it.
        EXPECT_EQ(ColourLine(*parser, 0, "x = \"open").nState, 0u) << c.name;
        EXPECT_EQ(ColourLine(*parser, 0, "x = \"open\\").nState, 8u) << c.name;
    }
}

// In code page 932 the byte 0x5C is the second byte of many characters; such a byte at the
// line end is no continuation backslash, and it escapes no quote.
TEST(ScriptParsers, TrailByteBackslashNeitherContinuesNorEscapes)
{
    SCodePageGuard guard;
    SetTextCodePage(932);
    for (const SDefinitionCase& c : kDefinitions)
    {
        const auto parser = Create(c.nId);
        ASSERT_NE(parser, nullptr);
        EXPECT_EQ(ColourLine(*parser, 0, "x = \"\x83\x5c").nState, 0u) << c.name;
        // The closing quote after the double-byte character ends the string, so the last
        // run is the operator after it.
        const SColourResult r = ColourLine(*parser, 0, "x = \"\x83\x5c\" +");
        EXPECT_EQ(r.nState, 0u) << c.name;
        ASSERT_FALSE(r.runs.empty());
        EXPECT_EQ(r.runs.back().nColor, kSyntaxColorOperator) << c.name;
    }
}
} // namespace

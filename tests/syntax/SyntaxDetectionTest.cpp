// The parser list as a whole: the first 28 definitions stay as they always were, the
// added languages follow them in every list the user sees, and a file finds its parser by
// its name, its extension or, failing both, its first two lines.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "syntax/SyntaxParserFactory.h"
#include "syntax/SyntaxParsers.h"

namespace
{
struct SClassicDefinition
{
    const char* name;
    const char* extensions;
    uint32_t dwFlags;
    const char* blockOpen;
    const char* blockClose;
    const char* lineComment;
};

// Indexed by id. Documents, settings and syntax-menu commands of earlier versions refer
// to these ids, names and extension lists, so none of them may move.
const SClassicDefinition kClassic[] = {
    {"Text", "txt,diz", 0x10, "", "", ";"},
    {"ASP", "asp", 0x30, "", "", "'"},
    {"Basic", "bas,vb,vbs,frm,dsm,cls", 0x30, "", "", "'"},
    {"Batch", "bat,btm,cmd", 0x10, "", "", "rem "},
    {"C/C++", "c,cc,cpp,cxx,h,hpp,hxx,hm,inl,rh,tlh,tli,xs", 0x30, "/*", "*/", "//"},
    {"C#", "cs", 0x30, "/*", "*/", "//"},
    {"DCL", "dcl,dcc", 0x50, "/*", "*/", "//"},
    {"Fortran", "f,f90,f9p,fpp,for,f77", 0x10, "", "", "!"},
    {"HTML", "html,htm,shtml,ihtml,ssi,stm,stml", 0x30, "<!--", "-->", "'"},
    {"INI", "ini,reg", 0x50, "", "", ";"},
    {"InnoSetup", "iss,isl", 0x30, "{", "}", ";"},
    {"InstallShield", "rul", 0x30, "/*", "*/", "//"},
    {"Java", "java,jav,js", 0x30, "/*", "*/", "//"},
    {"AutoLISP", "lsp", 0x30, ";|", "|;", ";"},
    {"NSIS", "nsi,nsh", 0x30, "/*", "*/", ";"},
    {"Pascal", "pas", 0x30, "{", "}", ""},
    {"Perl", "pl", 0x10, "", "", "#"},
    {"PHP", "php,php3,php4,php5,phtml", 0x50, "/*", "*/", "//"},
    {"Python", "py", 0x50, "/*", "*/", "//"},
    {"REXX", "rex,rexx", 0x10, "/*", "*/", "//"},
    {"Resources", "rc,dlg,r16,r32,rc2", 0x30, "/*", "*/", "//"},
    {"Sgml", "sgml", 0x30, "<!--", "-->", "'"},
    {"Shell", "sh,conf", 0x10, "", "", "#"},
    {"SIOD", "scm", 0x50, ";|", "|;", ";"},
    {"SQL", "sql", 0x10, "/*", "*/", "//"},
    {"TCL", "tcl", 0x50, "", "", "#"},
    {"TEX", "tex,sty,clo,ltx,fd,dtx", 0x10, "", "", "%"},
    {"XML", "xml", 0x30, "<!--", "-->", ""},
};
static_assert(sizeof(kClassic) / sizeof(kClassic[0]) == kSyntaxClassicParserCount);

class SyntaxDetection : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(m_factory.CreateParsers(), kSyntaxParserCount); }
    int IdForName(const std::string& name) const
    {
        const CSyntaxParser* parser = m_factory.FindByExtension(name);
        return parser != nullptr ? parser->GetId() : -1;
    }
    int IdForLines(const std::string& first, const std::string& second = "") const
    {
        const CSyntaxParser* parser = m_factory.FindByFirstLines(first, second);
        return parser != nullptr ? parser->GetId() : -1;
    }
    CSyntaxParserFactory m_factory;
};

TEST_F(SyntaxDetection, ClassicDefinitionsNeverChange)
{
    for (int id = 0; id < kSyntaxClassicParserCount; ++id)
    {
        const CSyntaxParser* parser = m_factory.GetAt(id);
        ASSERT_NE(parser, nullptr) << id;
        const SClassicDefinition& want = kClassic[id];
        EXPECT_EQ(parser->GetId(), id);
        EXPECT_STREQ(parser->GetName(), want.name) << id;
        EXPECT_STREQ(parser->GetExtensions(), want.extensions) << id;
        EXPECT_EQ(parser->GetFlags(), want.dwFlags) << id;
        EXPECT_STREQ(parser->GetBlockCommentOpen(), want.blockOpen) << id;
        EXPECT_STREQ(parser->GetBlockCommentClose(), want.blockClose) << id;
        EXPECT_STREQ(parser->GetLineComment(), want.lineComment) << id;
        // Every classic extension still chooses the parser it always chose.
        for (const std::string& ext : {std::string(want.extensions)})
        {
            size_t start = 0;
            while (start <= ext.size())
            {
                const size_t comma = std::min(ext.find(',', start), ext.size());
                const std::string one = ext.substr(start, comma - start);
                EXPECT_EQ(IdForName(one), one == "js" ? 12 : id) << one;
                EXPECT_EQ(IdForName("file." + one), IdForName(one)) << one;
                start = comma + 1;
            }
        }
    }
}

TEST_F(SyntaxDetection, AddedLanguagesFollowInIdOrderEverywhere)
{
    const char* const names[] = {"JavaScript", "TypeScript", "JSON",  "CSS",
                                 "Markdown",   "YAML",       "Rust",  "Go",
                                 "Lua",        "Makefile",   "CMake", "Diff"};
    for (int i = 0; i < 12; ++i)
    {
        const CSyntaxParser* parser = m_factory.GetAt(kSyntaxClassicParserCount + i);
        ASSERT_NE(parser, nullptr);
        EXPECT_EQ(parser->GetId(), kSyntaxClassicParserCount + i);
        EXPECT_STREQ(parser->GetName(), names[i]);
        EXPECT_EQ(m_factory.FindByCommand(kSyntaxFirstCommandId + parser->GetId()), parser);
    }
    const auto menu = m_factory.BuildSyntaxMenu(38);
    ASSERT_EQ(menu.size(), static_cast<size_t>(kSyntaxParserCount) + 1);
    EXPECT_EQ(menu[kSyntaxClassicParserCount + 1].strText, "JavaScript");
    EXPECT_EQ(menu.back().strText, "Diff");
    EXPECT_TRUE(menu[38 + 1].bChecked);

    // File-name masks stand as they are in the dialog masks; extensions get "*.".
    const std::string filter = m_factory.BuildFilterString(true);
    const size_t xml = filter.find("|XML Files (*.xml)|*.xml|");
    const size_t js = filter.find("|JavaScript Files (*.js;*.mjs;*.cjs;*.jsx)|");
    const size_t make = filter.find("|Makefile Files (Makefile;GNUmakefile;*.mk)|"
                                    "Makefile;GNUmakefile;*.mk|");
    const size_t cmake = filter.find("|CMake Files (CMakeLists.txt;*.cmake)|");
    ASSERT_NE(xml, std::string::npos);
    EXPECT_LT(xml, js);
    EXPECT_LT(js, make);
    EXPECT_LT(make, cmake);
    EXPECT_NE(cmake, std::string::npos);
    EXPECT_NE(filter.find("*.diff;*.patch|All Files (*.*)|*.*||"), std::string::npos);
    std::vector<std::string> masks;
    EXPECT_EQ(m_factory.BuildMaskList(masks), kSyntaxParserCount);
    EXPECT_EQ(masks[37], "Makefile;GNUmakefile;*.mk");
    EXPECT_EQ(masks[38], "CMakeLists.txt;*.cmake");
}

TEST_F(SyntaxDetection, WholeNamesComeBeforeExtensions)
{
    EXPECT_EQ(IdForName("CMakeLists.txt"), 38);
    EXPECT_EQ(IdForName("/src/app/cmakelists.TXT"), 38);
    EXPECT_EQ(IdForName("C:\\src\\CMakeLists.txt"), 38);
    EXPECT_EQ(IdForName("notes.txt"), 0);
    EXPECT_EQ(IdForName("Makefile"), 37);
    EXPECT_EQ(IdForName("makefile"), 37);
    EXPECT_EQ(IdForName("GNUmakefile"), 37);
    EXPECT_EQ(IdForName("rules.mk"), 37);
    EXPECT_EQ(IdForName("mk"), 37);
    EXPECT_EQ(IdForName("Makefile.am"), 0); // a name mask matches the whole name only
    EXPECT_EQ(IdForName("Config.cmake"), 38);
    EXPECT_EQ(IdForName("app.mjs"), 28);
    EXPECT_EQ(IdForName("view.TSX"), 29);
    EXPECT_EQ(IdForName("settings.jsonc"), 30);
    EXPECT_EQ(IdForName("site.scss"), 31);
    EXPECT_EQ(IdForName("README.md"), 32);
    EXPECT_EQ(IdForName(".github/ci.yml"), 33);
    EXPECT_EQ(IdForName("lib.rs"), 34);
    EXPECT_EQ(IdForName("main.go"), 35);
    EXPECT_EQ(IdForName("init.lua"), 36);
    EXPECT_EQ(IdForName("fix.patch"), 39);
    // js stays with Java, the parser it has always chosen.
    EXPECT_EQ(IdForName("app.js"), 12);
    EXPECT_EQ(IdForName("archive.tar.gz"), 0);
    EXPECT_EQ(IdForName("script"), 0);
    EXPECT_EQ(m_factory.MatchFileName("script"), nullptr);
    EXPECT_EQ(m_factory.MatchFileName(""), nullptr);
    EXPECT_EQ(m_factory.MatchFileName("dir/"), nullptr);
}

TEST_F(SyntaxDetection, InterpreterLinesNameTheirParser)
{
    EXPECT_EQ(IdForLines("#!/bin/sh"), 22);
    EXPECT_EQ(IdForLines("#! /bin/bash -e"), 22);
    EXPECT_EQ(IdForLines("#!/usr/bin/env dash"), 22);
    EXPECT_EQ(IdForLines("#!/bin/zsh"), 22);
    EXPECT_EQ(IdForLines("#!/bin/ksh"), 22);
    EXPECT_EQ(IdForLines("#!/usr/bin/python3.11"), 18);
    EXPECT_EQ(IdForLines("#!/usr/bin/env -S python3 -u"), 18);
    EXPECT_EQ(IdForLines("#!/usr/bin/perl -w"), 16);
    EXPECT_EQ(IdForLines("#!/usr/bin/tclsh8.6"), 25);
    EXPECT_EQ(IdForLines("#!/usr/bin/wish"), 25);
    EXPECT_EQ(IdForLines("#!/usr/bin/env lua5.4"), 36);
    EXPECT_EQ(IdForLines("#!/usr/bin/env NODE_ENV=production node"), 28);
    EXPECT_EQ(IdForLines("#!/usr/bin/make -f"), 37);
    EXPECT_EQ(IdForLines("#!/usr/bin/ruby"), -1);
    EXPECT_EQ(IdForLines("#!"), -1);
    EXPECT_EQ(IdForLines("# !/bin/sh"), -1);
    EXPECT_EQ(IdForLines("echo #!/bin/sh"), -1);
}

TEST_F(SyntaxDetection, ModeLinesOnEitherOfTheFirstTwoLines)
{
    EXPECT_EQ(IdForLines("# -*- mode: python; coding: utf-8 -*-"), 18);
    EXPECT_EQ(IdForLines("/* -*- C++ -*- */"), 4);
    EXPECT_EQ(IdForLines("#!/usr/bin/ruby", "# -*- Mode: YAML -*-"), 33);
    EXPECT_EQ(IdForLines("-*- mode: js2-mode -*-"), 28);
    EXPECT_EQ(IdForLines("# vim: set ft=yaml:"), 33);
    EXPECT_EQ(IdForLines("x", "// vim: filetype=rust ts=4"), 34);
    EXPECT_EQ(IdForLines("# vi: syntax=sh"), 22);
    EXPECT_EQ(IdForLines("# vim: set ts=4 sw=4:"), -1);
    EXPECT_EQ(IdForLines("-*- coding: utf-8 -*-"), -1);
    EXPECT_EQ(IdForLines("-*- mode: nosuchmode -*-"), -1);
    EXPECT_EQ(IdForLines("nvim: ft=go"), -1); // "vim:" must stand as a word
    EXPECT_EQ(IdForLines("plain text", "more text"), -1);
}

TEST_F(SyntaxDetection, FileChoiceTriesNameThenFirstLines)
{
    EXPECT_EQ(m_factory.FindForFile("/usr/bin/tool", "#!/usr/bin/env python3", "")->GetId(), 18);
    EXPECT_EQ(m_factory.FindForFile("build", "#!/bin/sh", "")->GetId(), 22);
    // A name that chooses a parser wins over the first line, plain text included.
    EXPECT_EQ(m_factory.FindForFile("notes.txt", "#!/bin/sh", "")->GetId(), 0);
    EXPECT_EQ(m_factory.FindForFile("a.py", "#!/bin/sh", "")->GetId(), 18);
    EXPECT_EQ(m_factory.FindForFile("data.unknown", "nothing", "")->GetId(), 0);
    CSyntaxParserFactory empty;
    EXPECT_EQ(empty.FindForFile("a.py", "", ""), nullptr);
    EXPECT_EQ(empty.FindByFirstLines("#!/bin/sh", ""), nullptr);
}
} // namespace

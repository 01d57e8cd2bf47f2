#pragma once
// A buffer, a geometry without wrap and an editing controller wired together, with hooks
// that write down messages, status texts and the clipboard.

#include <memory>
#include <string>
#include <vector>

#include "platform/SystemInfo.h"
#include "syntax/SyntaxParser.h"
#include "text/TextEditBuffer.h"
#include "textview/TextEditController.h"
#include "textview/TextEditGeometry.h"
#include "textview/TextFind.h"

// A parser with chosen editing flags and comment strings; it colours nothing.
class CTestSyntaxParser : public CSyntaxParser
{
public:
    CTestSyntaxParser(int nId, uint32_t dwFlags, const char* lineComment,
                      const char* blockOpen = "", const char* blockClose = "")
    {
        SetDefinition(nId, "Test", "tst", dwFlags, blockOpen, blockClose, lineComment);
    }
};

struct SCodePageGuard
{
    int nSaved = GetTextCodePage();
    ~SCodePageGuard() { SetTextCodePage(nSaved); }
};

class CEditFixture
{
public:
    CEditFixture(const std::string& text, int nLineEndMode = LineEndCrLf, int nRows = 10)
        : m_geometry(&m_buffer, nRows)
    {
        m_buffer.InitNew(nLineEndMode);
        int endLine = 0;
        int endChar = 0;
        m_buffer.InsertText(nullptr, 0, 0, text.c_str(), endLine, endChar, 0, false);
        m_buffer.SetModified(false);
        m_controller.Attach(&m_buffer, &m_geometry);
        m_controller.SetSearchHistory(&m_history);
        STextEditHooks hooks;
        hooks.setClipboardText = [this](const std::u16string& t) { m_clipboard = t; };
        hooks.getClipboardText = [this](std::u16string& t)
        {
            t = m_clipboard;
            return !m_clipboard.empty();
        };
        hooks.setStatusText = [this](const std::string& t) { m_status.push_back(t); };
        hooks.messageBox = [this](const std::string& t, bool) { m_messages.push_back(t); };
        hooks.getModifiers = [this]() { return m_nModifiers; };
        hooks.getFindBarText = [this]() { return m_findBar; };
        hooks.setFindBarText = [this](const std::string& t) { m_findBar = t; };
        m_controller.SetHooks(std::move(hooks));
    }

    void SetParser(std::unique_ptr<CSyntaxParser> parser)
    {
        m_parser = std::move(parser);
        m_buffer.SetParser(m_parser.get());
    }

    // The whole text as stored, every line with its own ending.
    std::string Text() const
    {
        std::string text;
        const int last = m_buffer.GetLineCount() - 1;
        m_buffer.GetStoredTextRange(0, 0, last, m_buffer.GetLineRecord(last)->nLength, text);
        return text;
    }

    void Run(int nId) { m_controller.OnCommand(nId); }
    void Type(const std::string& text)
    {
        for (char c : text)
            m_controller.OnChar(std::string(1, c));
    }

    CTarvoTextEditBuffer m_buffer;
    CSimpleTextEditGeometry m_geometry;
    CTarvoTextEditController m_controller;
    CMemorySearchHistory m_history;
    std::unique_ptr<CSyntaxParser> m_parser;
    std::u16string m_clipboard;
    std::vector<std::string> m_status;
    std::vector<std::string> m_messages;
    std::string m_findBar;
    int m_nModifiers = 0;
};

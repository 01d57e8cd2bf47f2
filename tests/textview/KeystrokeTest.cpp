// Runs every keystroke case in data/keys/ (the format is in data/keys/README.md): a text
// with the caret and selection marked, keys, typed text and commands, and the text, caret
// and selection expected afterwards.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "TextEditTestSupport.h"
#include "syntax/SyntaxParserFactory.h"
#include "textview/TextEditDialogs.h"

namespace
{
const std::string kKeysDir = std::string(SCRIVEL_TEST_DATA_DIR) + "/keys";

std::vector<std::string> FindCases()
{
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(kKeysDir, ec))
        if (entry.path().extension() == ".txt")
            files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    return files;
}

// Expands \t, \r, \n, \\ and \xHH.
std::string Unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != '\\' || i + 1 >= text.size())
        {
            out.push_back(text[i]);
            continue;
        }
        const char c = text[++i];
        if (c == 't')
            out.push_back('\t');
        else if (c == 'r')
            out.push_back('\r');
        else if (c == 'n')
            out.push_back('\n');
        else if (c == 'x' && i + 2 < text.size())
        {
            out.push_back(static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        }
        else
            out.push_back(c);
    }
    return out;
}

struct SMarkedText
{
    std::string strText;
    STextPosition ptCaret{0, 0};
    STextPosition ptAnchor{0, 0};
};

// Lines joined by `eol`; "[|]" marks the caret and "[^]" the anchor (the caret when absent).
SMarkedText ParseMarked(const std::vector<std::string>& lines, const std::string& eol)
{
    SMarkedText marked;
    bool bAnchor = false;
    for (size_t y = 0; y < lines.size(); ++y)
    {
        const std::string line = Unescape(lines[y]);
        std::string clean;
        for (size_t i = 0; i < line.size(); ++i)
        {
            if (line.compare(i, 3, "[|]") == 0)
            {
                marked.ptCaret = {static_cast<int>(clean.size()), static_cast<int>(y)};
                i += 2;
            }
            else if (line.compare(i, 3, "[^]") == 0)
            {
                marked.ptAnchor = {static_cast<int>(clean.size()), static_cast<int>(y)};
                bAnchor = true;
                i += 2;
            }
            else
                clean.push_back(line[i]);
        }
        marked.strText += clean;
        if (y + 1 < lines.size())
            marked.strText += eol;
    }
    if (!bAnchor)
        marked.ptAnchor = marked.ptCaret;
    return marked;
}

std::map<std::string, int> KeyNames()
{
    std::map<std::string, int> names;
    for (const SCommandInfo& info : TextEditCommandTable())
    {
        std::string keys = info.pszKeys;
        size_t pos = 0;
        while (!keys.empty() && pos != std::string::npos)
        {
            const size_t next = keys.find("; ", pos);
            names.emplace(
                keys.substr(pos, next == std::string::npos ? std::string::npos : next - pos),
                info.nId);
            pos = next == std::string::npos ? next : next + 2;
        }
    }
    return names;
}

std::string Describe(const std::string& text, const STextPosition& caret,
                     const STextPosition& anchor)
{
    std::ostringstream out;
    out << "text: ";
    for (char c : text)
    {
        if (c == '\r')
            out << "\\r";
        else if (c == '\n')
            out << "\\n";
        else if (c == '\t')
            out << "\\t";
        else
            out << c;
    }
    out << "\ncaret: (" << caret.x << ", " << caret.y << ") anchor: (" << anchor.x << ", "
        << anchor.y << ")";
    return out.str();
}

class KeystrokeTest : public ::testing::TestWithParam<std::string>
{
};

TEST(KeystrokeCases, FolderHoldsCases)
{
    // A missing or empty folder must fail, not pass with nothing run.
    EXPECT_GE(FindCases().size(), 20u) << kKeysDir;
}

TEST_P(KeystrokeTest, GivesExpectedTextAndSelection)
{
    std::ifstream file(kKeysDir + "/" + GetParam(), std::ios::binary);
    ASSERT_TRUE(file);
    std::map<std::string, std::vector<std::string>> sections;
    std::string section;
    std::string line;
    while (std::getline(file, line))
    {
        if (line.rfind("=== ", 0) == 0)
        {
            section = line.substr(4);
            sections[section];
            continue;
        }
        if (!section.empty())
            sections[section].push_back(line);
    }
    ASSERT_TRUE(sections.count("before") && sections.count("after") && sections.count("keys"));

    std::map<std::string, std::string> options;
    for (const std::string& optionLine : sections["options"])
    {
        std::istringstream in(optionLine);
        std::string token;
        while (in >> token)
        {
            const size_t eq = token.find('=');
            options[token.substr(0, eq)] = eq == std::string::npos ? "1" : token.substr(eq + 1);
        }
    }
    SCodePageGuard guard;
    SetTextCodePage(options.count("codepage") ? std::stoi(options["codepage"]) : 1252);
    int mode = LineEndCrLf;
    std::string eol = "\r\n";
    if (options["eol"] == "lf")
    {
        mode = LineEndLf;
        eol = "\n";
    }
    else if (options["eol"] == "cr")
    {
        mode = LineEndCr;
        eol = "\r";
    }
    const SMarkedText before = ParseMarked(sections["before"], eol);
    const SMarkedText after = ParseMarked(sections["after"], eol);
    CEditFixture f(before.strText, mode, options.count("rows") ? std::stoi(options["rows"]) : 10);
    f.m_buffer.SetTabSize(options.count("tabsize") ? std::stoi(options["tabsize"]) : 4);
    f.m_buffer.SetUseTabs(options.count("tabs") ? options["tabs"] == "1" : true);
    CSyntaxParserFactory factory;
    if (options.count("parser"))
    {
        factory.CreateParsers();
        CSyntaxParser* parser = factory.FindByExtension(options["parser"]);
        ASSERT_NE(parser, nullptr);
        f.m_buffer.SetParser(parser);
    }
    else if (options.count("flags") || options.count("comment"))
    {
        const uint32_t flags =
            options.count("flags") ? std::stoul(options["flags"], nullptr, 16) : 0x10;
        f.SetParser(std::make_unique<CTestSyntaxParser>(0, flags, options["comment"].c_str()));
    }
    f.m_controller.OnParserChanged();
    if (options.count("autoindent"))
        f.m_controller.SetAutoIndent(options["autoindent"] == "1");
    f.m_controller.SetSelection(before.ptAnchor, before.ptCaret);
    if (options["overwrite"] == "1")
        f.m_controller.SetOverwrite(true);

    const std::map<std::string, int> keys = KeyNames();
    for (const std::string& step : sections["keys"])
    {
        if (step.empty() || step[0] == '#')
            continue;
        SCOPED_TRACE(step);
        if (step.rfind("type ", 0) == 0)
        {
            f.Type(Unescape(step.substr(5)));
            continue;
        }
        if (step == "Enter")
        {
            f.m_controller.OnChar("\r");
            continue;
        }
        if (step.rfind("cmd ", 0) == 0)
        {
            f.Run(std::stoi(step.substr(4)));
            continue;
        }
        if (step.rfind("find ", 0) == 0 || step.rfind("replace-all ", 0) == 0 ||
            step.rfind("replace ", 0) == 0)
        {
            // find <options> : text    replace-all <options> : find => replacement
            const size_t colon = step.find(" : ");
            ASSERT_NE(colon, std::string::npos);
            const std::string words = step.substr(0, colon);
            std::string rest = Unescape(step.substr(colon + 3));
            uint32_t flags = 0;
            flags |= words.find(" case") != std::string::npos ? SearchMatchCase : 0u;
            flags |= words.find(" word") != std::string::npos ? SearchWholeWord : 0u;
            flags |= words.find(" regex") != std::string::npos ? SearchPattern : 0u;
            flags |= words.find(" up") != std::string::npos ? SearchUp : 0u;
            if (step.rfind("find ", 0) == 0)
            {
                f.m_controller.GetFind().FindFromDialog(
                    rest, flags, words.find(" highlight") != std::string::npos);
                continue;
            }
            const size_t arrow = rest.find(" => ");
            ASSERT_NE(arrow, std::string::npos);
            CTextReplaceSession session(f.m_controller);
            session.m_strFind = rest.substr(0, arrow);
            session.m_strReplace = rest.substr(arrow + 4);
            session.m_bMatchCase = (flags & SearchMatchCase) != 0;
            session.m_bWholeWord = (flags & SearchWholeWord) != 0;
            session.m_bRegExp = (flags & SearchPattern) != 0;
            session.m_bDontWrap = words.find(" nowrap") != std::string::npos;
            session.m_bSelectionScope =
                words.find(" selection") != std::string::npos && session.IsSelectionEnabled();
            if (step.rfind("replace-all ", 0) == 0)
                session.ReplaceAll();
            else
            {
                const int times = words.find(" twice") != std::string::npos ? 2 : 1;
                for (int i = 0; i < times; ++i)
                    session.Replace();
            }
            session.Close();
            continue;
        }
        if (step.rfind("goto ", 0) == 0)
        {
            std::istringstream in(step.substr(5));
            int n = 0;
            std::string relative;
            in >> n >> relative;
            SGoToLine::Apply(f.m_controller, n, relative == "relative");
            continue;
        }
        std::string name = step;
        f.m_nModifiers = 0;
        if (name.find("F3") != std::string::npos)
        {
            f.m_nModifiers = (name.find("Shift+") != std::string::npos ? kTextModShift : 0) |
                             (name.find("Ctrl+") != std::string::npos ? kTextModCtrl : 0);
        }
        const auto it = keys.find(name);
        ASSERT_NE(it, keys.end()) << "unknown key " << name;
        f.Run(it->second);
    }
    EXPECT_EQ(Describe(f.Text(), f.m_controller.GetCaret(), f.m_controller.GetAnchor()),
              Describe(after.strText, after.ptCaret, after.ptAnchor));
    if (sections.count("message"))
    {
        ASSERT_FALSE(f.m_messages.empty());
        EXPECT_EQ(f.m_messages.back(), Unescape(sections["message"].front()));
    }
    if (sections.count("status"))
    {
        EXPECT_EQ(f.m_controller.GetPositionPaneText(), sections["status"].front());
    }
    if (sections.count("undo"))
    {
        // Undoing everything gives back the text before the keys.
        while (f.m_buffer.CanUndo())
            f.Run(CmdUndo);
        EXPECT_EQ(f.Text(), before.strText);
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, KeystrokeTest, ::testing::ValuesIn(FindCases()),
                         [](const ::testing::TestParamInfo<std::string>& info)
                         {
                             std::string name = info.param.substr(0, info.param.size() - 4);
                             for (char& c : name)
                             {
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             }
                             return name;
                         });
} // namespace

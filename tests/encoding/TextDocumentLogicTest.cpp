#include <gtest/gtest.h>

#include "EncodingTestFiles.h"
#include "TextEditBufferExTestUtil.h"
#include "encoding/TextDocumentLogic.h"
#include "platform/ProfileStore.h"
#include "syntax/TextEditModule.h"

namespace
{
class TextDocumentTest : public ::testing::Test
{
protected:
    TextDocumentTest()
    {
        m_hooks.isFavorite = [this](const std::string& path) { return path == m_favorite; };
        m_hooks.stopWatching = [this](const std::string& path)
        { m_events.push_back("stop " + path + " [" + CScratchFolder::Read(path) + "]"); };
        m_hooks.startWatching = [this](const std::string& path)
        { m_events.push_back("start " + path + " [" + CScratchFolder::Read(path) + "]"); };
        m_hooks.askYesNo = [this](const std::string& question)
        {
            m_events.push_back("ask " + question);
            return m_bAnswerYes;
        };
        m_hooks.reloadViews = [this]() { m_events.push_back("views"); };
    }

    CTextCodePageScope m_codePage{65001};
    CScratchFolder m_folder;
    STextDocumentHooks m_hooks;
    std::vector<std::string> m_events;
    std::string m_favorite;
    bool m_bAnswerYes = false;
};
} // namespace

TEST_F(TextDocumentTest, OpenSetsTheFavoriteFlagAndReportsFailure)
{
    const std::string path = m_folder.Write("a.txt", "x\ny");
    m_favorite = path;
    CTextDocumentLogic doc(m_hooks);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_TRUE(doc.IsFavorite());
    EXPECT_EQ(doc.GetPath(), path);
    EXPECT_EQ(doc.GetLastLoadResult(), LoadOk);

    CTextDocumentLogic other(m_hooks);
    EXPECT_FALSE(other.OnOpenDocument(m_folder.Path("missing")));
    EXPECT_FALSE(other.GetErrorText().empty());
    // A file with a zero byte opens, empty.
    EXPECT_TRUE(other.OnOpenDocument(m_folder.Write("z.bin", std::string("a\0b", 3))));
    EXPECT_EQ(other.GetLastLoadResult(), LoadBinary);
    EXPECT_FALSE(other.IsFavorite());
}

TEST_F(TextDocumentTest, SaveSuspendsWatchingAroundTheWriteAndReportsFailure)
{
    const std::string path = m_folder.Write("a.txt", "old");
    CTextDocumentLogic doc(m_hooks);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    int endLine = 0, endChar = 0;
    doc.GetBuffer().InsertText(nullptr, 0, 3, "er", endLine, endChar);
    EXPECT_TRUE(doc.CanSave());
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_EQ(m_events,
              (std::vector<std::string>{"stop " + path + " [old]", "start " + path + " [older]"}));
    EXPECT_FALSE(doc.CanSave());

    doc.GetBuffer().InsertText(nullptr, 0, 0, "x", endLine, endChar);
    EXPECT_FALSE(doc.OnSaveDocument(m_folder.Path("no/such/folder.txt")));
    EXPECT_FALSE(doc.GetErrorText().empty());
    EXPECT_TRUE(doc.GetBuffer().IsModified());
    EXPECT_EQ(doc.GetPath(), path);
}

TEST_F(TextDocumentTest, EncodingChoiceMarksModifiedAndLeavesTheText)
{
    CTextDocumentLogic doc(m_hooks);
    doc.OnNewDocument();
    CTarvoTextEditBufferEx& buffer = doc.GetBuffer();
    EXPECT_EQ(buffer.GetLineEndMode(), LineEndCrLf);
    EXPECT_EQ(doc.GetEncodingInput().nEncoding, -1);

    // The code page a new document already has is no change.
    EXPECT_FALSE(doc.ApplyEncodingChoice({-1, buffer.GetCodePage()}));
    EXPECT_FALSE(buffer.IsModified());
    EXPECT_FALSE(doc.ApplyEncodingChoice({-1, -1}));

    int endLine = 0, endChar = 0;
    buffer.InsertText(nullptr, 0, 0, "\xC3\xA9", endLine, endChar);
    buffer.SetModified(false);
    EXPECT_TRUE(doc.ApplyEncodingChoice({EncodingUcs2Be, -1}));
    EXPECT_TRUE(buffer.IsModified());
    EXPECT_EQ(buffer.GetEncoding(), EncodingUcs2Be);
    EXPECT_EQ(StoredText(buffer), "\xC3\xA9");
    EXPECT_FALSE(doc.ApplyEncodingChoice({EncodingUcs2Be, -1}));

    EXPECT_TRUE(doc.ApplyEncodingChoice({-1, 1252}));
    EXPECT_EQ(buffer.GetEncoding(), EncodingNone);
    EXPECT_EQ(buffer.GetCodePage(), 1252);
    ASSERT_TRUE(doc.OnSaveDocument(m_folder.Path("e.txt")));
    EXPECT_EQ(CScratchFolder::Read(m_folder.Path("e.txt")), "\xE9");
}

TEST_F(TextDocumentTest, LineEndingsAndSaveAsChoicesConvertEveryLine)
{
    const std::string path = m_folder.Write("a.txt", "a\nb\nc");
    CTextDocumentLogic doc(m_hooks);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_FALSE(doc.ApplyLineEndMode(0));
    EXPECT_FALSE(doc.ApplyLineEndMode(LineEndLf));
    EXPECT_FALSE(doc.GetBuffer().IsModified());
    EXPECT_TRUE(doc.ApplyLineEndMode(LineEndCr));
    EXPECT_TRUE(doc.GetBuffer().IsModified());
    EXPECT_EQ(StoredText(doc.GetBuffer()), "a\rb\rc");

    doc.ApplySaveAsChoices({EncodingUtf8, -1}, LineEndCrLf);
    ASSERT_TRUE(doc.OnSaveDocument(m_folder.Path("b.txt")));
    EXPECT_EQ(CScratchFolder::Read(m_folder.Path("b.txt")), "\xEF\xBB\xBF"
                                                            "a\r\nb\r\nc");
    EXPECT_EQ(doc.GetPath(), m_folder.Path("b.txt"));
    doc.ApplySaveAsChoices({-1, 1252}, 0);
    EXPECT_EQ(doc.GetBuffer().GetEncoding(), EncodingNone);
    EXPECT_EQ(doc.GetBuffer().GetCodePage(), 1252);
    EXPECT_EQ(doc.GetBuffer().GetLineEndMode(), LineEndCrLf);
}

TEST_F(TextDocumentTest, SaveAsStartsOnTheFilterOfTheParser)
{
    CMemoryProfileStore store;
    CTarvoTextEditModule module;
    ASSERT_TRUE(module.Start(store));
    const CSyntaxParserFactory& factory = module.GetFactory();
    int items = 0;
    for (size_t at = 0; (at = factory.BuildFilterString(true).find('|', at)) != std::string::npos;
         at += 1)
        ++items;
    const int allFiles = (items - 1) / 2; // "name|mask|" pairs, then one more "|"

    CTextDocumentLogic doc(m_hooks);
    doc.OnNewDocument();
    EXPECT_EQ(doc.GetSaveAsFilterIndex(factory), allFiles);
    ASSERT_TRUE(doc.OnOpenDocument(m_folder.Write("x.cpp", "int x;")));
    const int index = doc.GetSaveAsFilterIndex(factory);
    ASSERT_LT(index, allFiles);
    // The index-th "name|mask" pair names the C/C++ masks.
    std::string filter = factory.BuildFilterString(true);
    for (int i = 1; i < index; ++i)
        filter = filter.substr(filter.find('|', filter.find('|') + 1) + 1);
    EXPECT_NE(filter.substr(0, filter.find('|', filter.find('|') + 1)).find("*.cpp"),
              std::string::npos);
    module.Stop(store);
}

TEST_F(TextDocumentTest, ReloadAsksOnlyWhenModified)
{
    const std::string path = m_folder.Write("a.txt", "one");
    CTextDocumentLogic doc(m_hooks);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    m_folder.Write("a.txt", "two");
    ASSERT_TRUE(doc.Reload());
    EXPECT_EQ(m_events, (std::vector<std::string>{"stop " + path + " [two]", "views",
                                                  "start " + path + " [two]"}));
    EXPECT_EQ(StoredText(doc.GetBuffer()), "two");

    int endLine = 0, endChar = 0;
    doc.GetBuffer().InsertText(nullptr, 0, 0, "x", endLine, endChar);
    m_events.clear();
    EXPECT_FALSE(doc.Reload());
    EXPECT_EQ(m_events, std::vector<std::string>{"ask " + path + " is changed, reload anyway?"});
    EXPECT_EQ(StoredText(doc.GetBuffer()), "xtwo");

    m_bAnswerYes = true;
    EXPECT_TRUE(doc.Reload());
    EXPECT_EQ(StoredText(doc.GetBuffer()), "two");
    EXPECT_FALSE(doc.GetBuffer().IsModified());
    EXPECT_FALSE(doc.GetBuffer().CanUndo());

    CTextDocumentLogic fresh(m_hooks);
    fresh.OnNewDocument();
    EXPECT_FALSE(fresh.CanReload());
}

TEST_F(TextDocumentTest, ReadOnlyCommandFollowsWriteProtection)
{
    CTextDocumentLogic doc(m_hooks);
    ASSERT_TRUE(doc.OnOpenDocument(m_folder.Write("a.txt", "ab")));
    EXPECT_TRUE(doc.IsReadOnlyEnabled());
    doc.ToggleReadOnly();
    EXPECT_TRUE(doc.IsReadOnlyChecked());
    EXPECT_FALSE(doc.GetBuffer().CanEdit());
    doc.ToggleReadOnly();
    EXPECT_FALSE(doc.IsReadOnlyChecked());

    ASSERT_TRUE(doc.OnOpenDocument(m_folder.Write("lossy.txt", "\xEF\xBB\xBF\xFF")));
    EXPECT_FALSE(doc.IsReadOnlyEnabled());
    EXPECT_TRUE(doc.IsReadOnlyChecked());
}

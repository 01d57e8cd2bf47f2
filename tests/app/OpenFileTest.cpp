#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/OpenFile.h"

namespace
{
// Records what the application asks of its templates.
class CFakeHost : public CDocumentHost
{
public:
    struct SDoc : CAppDocument
    {
        int nTemplate;
        std::string path;
        bool bReadOnly = false;
    };
    std::map<std::string, int> kinds; // path -> detected kind
    std::vector<std::unique_ptr<SDoc>> docs;
    std::vector<std::string> log;
    bool bHelp = false;

    int DetectFileKind(const std::string& path) override
    {
        log.push_back("detect " + path);
        auto it = kinds.find(path);
        return it == kinds.end() ? -1 : it->second;
    }
    CAppDocument* FindOpenDocument(int nTemplate, const std::string& path) override
    {
        for (auto& d : docs)
            if (d->nTemplate == nTemplate && d->path == path && !path.empty())
                return d.get();
        return nullptr;
    }
    CAppDocument* OpenDocument(int nTemplate, const std::string& path) override
    {
        log.push_back("open " + std::to_string(nTemplate) + " " + path);
        docs.push_back(std::make_unique<SDoc>());
        docs.back()->nTemplate = nTemplate;
        docs.back()->path = path;
        return docs.back().get();
    }
    void SetDocumentReadOnly(CAppDocument* p) override { static_cast<SDoc*>(p)->bReadOnly = true; }
    bool ActivateDocument(CAppDocument* p) override
    {
        log.push_back("activate " + static_cast<SDoc*>(p)->path);
        return true;
    }
    bool HelpFileExists() override { return bHelp; }
    void ShowHelpTopic(const std::string& topic) override { log.push_back("help " + topic); }
    void ShowMessage(const std::string& text) override { log.push_back("message " + text); }
};

CCommandLine Parse(std::vector<std::string> args)
{
    args.insert(args.begin(), "scrivel");
    CCommandLine cmd;
    cmd.ParseCommandLine(args, false);
    return cmd;
}
} // namespace

TEST(OpenFile, EditSwitchOpensTheFileAndANameAloneOpensNothing)
{
    CFakeHost host;
    host.kinds["/a.txt"] = 1;
    EXPECT_TRUE(ActOnCommandLine(host, Parse({"-e", "/a.txt"})));
    ASSERT_EQ(host.docs.size(), 1u);
    EXPECT_EQ(host.docs[0]->nTemplate, 1);

    CFakeHost idle;
    idle.kinds["/a.txt"] = 1;
    EXPECT_TRUE(ActOnCommandLine(idle, Parse({"/a.txt"})));
    EXPECT_TRUE(idle.docs.empty());
}

TEST(OpenFile, TypeHexOpensBinaryWithoutLookingAtTheContents)
{
    CFakeHost host;
    host.kinds["/a.txt"] = 1;
    ActOnCommandLine(host, Parse({"-e", "-t:hex", "/a.txt"}));
    ASSERT_EQ(host.docs.size(), 1u);
    EXPECT_EQ(host.docs[0]->nTemplate, 2);
    for (const std::string& entry : host.log)
        EXPECT_NE(entry.rfind("detect", 0), 0u) << entry;
}

TEST(OpenFile, ReadOnlyListTwoOpensOnlyTheFirstFileWritable)
{
    CFakeHost host;
    host.kinds["/tmp/a"] = 1;
    host.kinds["/tmp/b"] = 1;
    ActOnCommandLine(host, Parse({"-e", "-ro:2", "/tmp/a", "/tmp/b"}));
    ASSERT_EQ(host.docs.size(), 1u);
    EXPECT_EQ(host.docs[0]->path, "/tmp/a");
    EXPECT_FALSE(host.docs[0]->bReadOnly);
}

TEST(OpenFile, EditWithoutNamesCreatesNewDocuments)
{
    CFakeHost text;
    ActOnCommandLine(text, Parse({"-e"}));
    ASSERT_EQ(text.docs.size(), 1u);
    EXPECT_EQ(text.docs[0]->nTemplate, 1);
    EXPECT_EQ(text.docs[0]->path, "");

    CFakeHost binary;
    ActOnCommandLine(binary, Parse({"-e", "-type:binary"}));
    ASSERT_EQ(binary.docs.size(), 1u);
    EXPECT_EQ(binary.docs[0]->nTemplate, 2);

    CFakeHost folder;
    ActOnCommandLine(folder, Parse({"-e", "-t:f"}));
    ASSERT_EQ(folder.docs.size(), 1u);
    EXPECT_EQ(folder.docs[0]->nTemplate, 1);
}

TEST(OpenFile, AlreadyOpenDocumentIsActivatedAndNotMadeReadOnly)
{
    CFakeHost host;
    host.kinds["/tmp/a"] = 1;
    CAppDocument* first = OpenFileAs(host, "/tmp/a", 0, false);
    CAppDocument* again = OpenFileAs(host, "/tmp/a", 0, true);
    EXPECT_EQ(first, again);
    EXPECT_EQ(host.docs.size(), 1u);
    EXPECT_FALSE(host.docs[0]->bReadOnly);
    EXPECT_EQ(host.log.back(), "activate /tmp/a");
}

TEST(OpenFile, MissingAndBinaryFilesGoToTheBinaryTemplate)
{
    CFakeHost host;
    host.kinds["/bin"] = 2;
    OpenFileAs(host, "/missing", 0, true);
    ASSERT_EQ(host.docs.size(), 1u);
    EXPECT_EQ(host.docs[0]->nTemplate, 2);
    EXPECT_TRUE(host.docs[0]->bReadOnly);
    // A text open request for a binary file becomes a binary open.
    OpenTextFile(host, "/bin", false);
    EXPECT_EQ(host.docs.back()->nTemplate, 2);
    // Any kind other than 0 and 1 is binary.
    OpenFileAs(host, "/x", 3, false);
    EXPECT_EQ(host.docs.back()->nTemplate, 2);
}

TEST(OpenFile, HelpSwitchNeedsTheHelpPages)
{
    CFakeHost missing;
    EXPECT_FALSE(ActOnCommandLine(missing, Parse({"-help"})));
    EXPECT_EQ(missing.log.back(), "message Help file is missing!");

    CFakeHost present;
    present.bHelp = true;
    EXPECT_TRUE(ActOnCommandLine(present, Parse({"-?"})));
    EXPECT_EQ(present.log.back(), "help ::/command_line.html");
}

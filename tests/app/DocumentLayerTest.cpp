// The document layer without windows: titles, numbering, watching, save all, closing.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/AppSettings.h"
#include "app/AppletDocTemplate.h"
#include "app/FindInFilesDoc.h"
#include "app/HexEditDoc.h"
#include "app/TextEditDoc.h"
#include "platform/FileWatch.h"

namespace
{
namespace fs = std::filesystem;

// Records what the documents ask of the user and answers from the test's script.
class CRecordingUi : public CDocumentUi
{
public:
    std::vector<std::string> questions, errors, status, recorded, closed;
    std::string yesFor; // questions about this path are answered Yes, all others No
    ESaveAnswer saveAnswer = AnswerCancel;
    std::vector<std::string> saveAsPaths; // consumed in order; empty: cancelled
    int nTitleChanges = 0;
    int nViewUpdates = 0;

    void OnDocumentCreated(CAppletDoc&) override {}
    void OnDocumentClosing(CAppletDoc& doc) override { closed.push_back(doc.GetTitle()); }
    void OnTitleChanged(CAppletDoc&) override { ++nTitleChanges; }
    void OnPathChanged(CAppletDoc&) override {}
    void UpdateViews(CAppletDoc&) override { ++nViewUpdates; }
    bool AskYesNo(const std::string& question) override
    {
        questions.push_back(question);
        return !yesFor.empty() && question.rfind(yesFor + " ", 0) == 0;
    }
    ESaveAnswer AskSaveChanges(CAppletDoc& doc) override
    {
        questions.push_back("save " + doc.GetTitle());
        return saveAnswer;
    }
    bool PromptSaveAs(CAppletDoc&, SSaveAsPrompt& prompt) override
    {
        if (saveAsPaths.empty())
            return false;
        prompt.strPath = saveAsPaths.front();
        saveAsPaths.erase(saveAsPaths.begin());
        return true;
    }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    size_t CountQuestions(const std::string& path) const
    {
        size_t n = 0;
        for (const std::string& q : questions)
            n += q.rfind(path + " ", 0) == 0;
        return n;
    }
    void ShowStatus(const std::string& text) override { status.push_back(text); }
    void RecordClosedDocument(CAppletDoc& doc) override { recorded.push_back(doc.GetPathName()); }
};

// The watcher thread's notifications wait here for the "user-interface thread" (the test).
class CQueuedDelivery
{
public:
    void Post(const SFileWatchNotification& n)
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(n);
        m_arrived.notify_all();
    }
    // Delivers everything posted until a notification for path has been delivered; false
    // after 5 seconds.
    bool DeliverUntil(CAppletDocManager& manager, const std::string& path)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        for (;;)
        {
            std::deque<SFileWatchNotification> batch;
            {
                std::unique_lock lock(m_mutex);
                m_arrived.wait_until(lock, deadline, [&] { return !m_queue.empty(); });
                batch.swap(m_queue);
            }
            if (batch.empty())
                return false;
            bool bFound = false;
            for (const auto& n : batch)
            {
                manager.OnFileWatchNotification(n);
                bFound = bFound || n.strPath == path;
            }
            if (bFound)
                return true;
        }
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<SFileWatchNotification> m_queue;
};

class DocumentLayer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_folder = fs::temp_directory_path() /
                   ("scrivel-docs-" + std::to_string(::getpid()) + "-" + test->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        m_watch.SetNotifyCallback([this](const SFileWatchNotification& n) { m_delivery.Post(n); });
        m_manager.SetUi(&m_ui);
        m_pText = static_cast<CTextEditDocTemplate*>(m_manager.AddTemplate(
            std::make_unique<CTextEditDocTemplate>(m_manager, nullptr, nullptr)));
        m_pHex = m_manager.AddTemplate(std::make_unique<CHexEditDocTemplate>(m_manager));
        m_pTool = m_manager.AddTemplate(std::make_unique<CFindInFilesDocTemplate>(m_manager));
    }
    void TearDown() override
    {
        for (auto& t : m_manager.GetTemplates())
            t->CloseAllDocumentsBut(nullptr);
        fs::remove_all(m_folder);
    }

    std::string Write(const std::string& name, const std::string& text, time_t seconds = 1000000000)
    {
        const std::string path = (m_folder / name).string();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        // An old, whole-second time: a later write always gives a new one.
        struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
        return path;
    }
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    CTextEditDoc* OpenText(const std::string& path)
    {
        return static_cast<CTextEditDoc*>(m_pText->OpenDocumentFile(path));
    }
    static void Type(CTextEditDoc* pDoc, const char* text)
    {
        int nLine = 0, nChar = 0;
        ASSERT_TRUE(pDoc->GetBuffer().InsertText(nullptr, 0, 0, text, nLine, nChar));
    }
    static std::string Text(CTextEditDoc* pDoc)
    {
        std::string text;
        auto& b = pDoc->GetBuffer();
        const int last = b.GetLineCount() - 1;
        b.GetTextRange(0, 0, last, b.GetLineRecord(last)->nLength, text);
        return text;
    }

    fs::path m_folder;
    CAppSettings m_settings;
    CFileWatchService m_watch;
    CQueuedDelivery m_delivery;
    CRecordingUi m_ui;
    CAppletDocManager m_manager{m_settings, &m_watch};
    CTextEditDocTemplate* m_pText = nullptr;
    CAppletDocTemplate* m_pHex = nullptr;
    CAppletDocTemplate* m_pTool = nullptr;
};
} // namespace

TEST_F(DocumentLayer, UntitledDocumentsAreNumberedFromOneAndNumbersAreNotReused)
{
    CAppletDoc* pFirst = m_pText->OpenDocumentFile("");
    CAppletDoc* pSecond = m_pHex->OpenDocumentFile("");
    EXPECT_EQ(pFirst->GetTitle(), "New 1");
    EXPECT_EQ(pSecond->GetTitle(), "New 2");
    m_pText->CloseDocument(pFirst);
    // An opened file and a tool window take no number.
    OpenText(Write("a.txt", "a"));
    m_pTool->OpenDocumentFile("");
    EXPECT_EQ(m_pText->OpenDocumentFile("")->GetTitle(), "New 3");
}

TEST_F(DocumentLayer, TitlesFollowTheModifiedFlagAndTheLongTitleSetting)
{
    const std::string path = Write("title.txt", "x");
    CTextEditDoc* pDoc = OpenText(path);
    EXPECT_EQ(pDoc->GetTitle(), "title.txt");
    EXPECT_EQ(pDoc->GetTitleText(true, false), path);

    const int changes = m_ui.nTitleChanges;
    Type(pDoc, "y");
    EXPECT_EQ(pDoc->GetTitle(), "* title.txt");
    EXPECT_GT(m_ui.nTitleChanges, changes);
    EXPECT_EQ(pDoc->GetTitleText(false, false), "title.txt");

    m_settings.m_bShowLongTitle = true;
    m_manager.UpdateTitles();
    EXPECT_EQ(pDoc->GetTitle(), "* " + path);
    ASSERT_TRUE(pDoc->DoFileSave());
    EXPECT_EQ(pDoc->GetTitle(), path);

    CAppletDoc* pUntitled = m_pText->OpenDocumentFile("");
    Type(static_cast<CTextEditDoc*>(pUntitled), "z");
    EXPECT_EQ(pUntitled->GetTitle(), "* New 1");
    // Tool documents are numbered for the whole process: "Find in Files (n)", n from 1.
    const std::string first = m_pTool->OpenDocumentFile("")->GetTitle();
    const std::string second = m_pTool->OpenDocumentFile("")->GetTitle();
    ASSERT_EQ(first.rfind("Find in Files (", 0), 0u) << first;
    EXPECT_EQ(second, "Find in Files (" + std::to_string(std::stoi(first.substr(15)) + 1) + ")");
}

TEST_F(DocumentLayer, OneFolderNotificationServesItsFilesAndFileWatchSwitchesWatching)
{
    CAppletDoc* pA = OpenText(Write("a.txt", "a"));
    CAppletDoc* pB = m_pHex->OpenDocumentFile(Write("b.bin", std::string("b\0", 2)));
    ASSERT_TRUE(pA && pB);
    EXPECT_NE(pA->GetFileWatchId(), 0u);
    EXPECT_NE(pB->GetFileWatchId(), 0u);
    EXPECT_EQ(m_watch.GetFolderCount(), 1u);

    m_pText->CloseDocument(pA);
    EXPECT_EQ(m_watch.GetWatchCount(), 1u);
    EXPECT_EQ(m_watch.GetFolderCount(), 1u);
    EXPECT_EQ(m_manager.FindDocumentByWatchId(pB->GetFileWatchId()), pB);

    m_settings.m_bFileWatch = false;
    m_manager.ApplyFileWatch();
    EXPECT_EQ(pB->GetFileWatchId(), 0u);
    EXPECT_FALSE(m_watch.IsThreadRunning());
    CAppletDoc* pC = OpenText(Write("c.txt", "c"));
    EXPECT_EQ(pC->GetFileWatchId(), 0u); // off: nothing is watched

    m_settings.m_bFileWatch = true;
    m_manager.ApplyFileWatch();
    EXPECT_NE(pB->GetFileWatchId(), 0u);
    EXPECT_NE(pC->GetFileWatchId(), 0u);
    EXPECT_EQ(m_watch.GetWatchCount(), 2u);
    // Untitled documents have nothing to watch.
    EXPECT_EQ(m_pText->OpenDocumentFile("")->GetFileWatchId(), 0u);
}

TEST_F(DocumentLayer, SavingNeverPromptsButAnOutsideChangeOffersAReload)
{
    const std::string path = Write("saved.txt", "old");
    const std::string sentinel = Write("sentinel.txt", "s");
    CTextEditDoc* pDoc = OpenText(path);
    OpenText(sentinel);
    Type(pDoc, "new ");
    ASSERT_TRUE(pDoc->DoFileSave());
    EXPECT_EQ(Read(path), "new old");
    EXPECT_FALSE(pDoc->IsModified());

    // The sentinel's change comes after every event of the save.
    Write("sentinel.txt", "t", 1000000001);
    ASSERT_TRUE(m_delivery.DeliverUntil(m_manager, sentinel));
    ASSERT_FALSE(m_ui.questions.empty());
    for (const std::string& q : m_ui.questions)
        EXPECT_EQ(q, sentinel + " is changed, reload it?");

    // Another program rewrites the saved file: Yes reloads it.
    m_ui.yesFor = path;
    Write("saved.txt", "theirs", 1000000002);
    ASSERT_TRUE(m_delivery.DeliverUntil(m_manager, path));
    EXPECT_EQ(m_ui.questions.back(), path + " is changed, reload it?");
    EXPECT_EQ(Text(pDoc), "theirs");
    EXPECT_NE(pDoc->GetFileWatchId(), 0u);

    // A modified document is asked once, not again by the reload itself; what the
    // watcher still reports of the same write belongs to the watch the reload replaced.
    Type(pDoc, "mine ");
    const size_t asked = m_ui.CountQuestions(path);
    Write("saved.txt", "again", 1000000003);
    ASSERT_TRUE(m_delivery.DeliverUntil(m_manager, path));
    EXPECT_EQ(m_ui.CountQuestions(path), asked + 1);
    EXPECT_EQ(Text(pDoc), "again");
    EXPECT_EQ(pDoc->GetTitle(), "saved.txt");
}

TEST_F(DocumentLayer, AFileDeletedWhileOpenIsToldOnceAndKeptToBeSavedAgain)
{
    const std::string path = Write("gone.txt", "keep me");
    const std::string sentinel = Write("sentinel.txt", "s");
    CTextEditDoc* pDoc = OpenText(path);
    OpenText(sentinel);
    fs::remove(path);
    ASSERT_TRUE(m_delivery.DeliverUntil(m_manager, path));
    Write("sentinel.txt", "t", 1000000001);
    ASSERT_TRUE(m_delivery.DeliverUntil(m_manager, sentinel));
    ASSERT_EQ(m_ui.status.size(), 1u);
    EXPECT_NE(m_ui.status[0].find(path), std::string::npos);
    EXPECT_TRUE(pDoc->IsModified());
    EXPECT_EQ(pDoc->GetTitle(), "* gone.txt");
    EXPECT_EQ(Text(pDoc), "keep me");

    // Reload has nothing to read and keeps the text.
    EXPECT_FALSE(pDoc->Reload(false));
    EXPECT_EQ(Text(pDoc), "keep me");
    ASSERT_TRUE(pDoc->DoFileSave());
    EXPECT_EQ(Read(path), "keep me");
    EXPECT_NE(pDoc->GetFileWatchId(), 0u);
}

TEST_F(DocumentLayer, ReloadAsksOnlyWhenModified)
{
    const std::string path = Write("r.txt", "one");
    CTextEditDoc* pDoc = OpenText(path);
    Write("r.txt", "two", 1000000001);
    EXPECT_TRUE(pDoc->Reload(true));
    EXPECT_TRUE(m_ui.questions.empty());
    EXPECT_EQ(Text(pDoc), "two");

    Type(pDoc, "x");
    EXPECT_FALSE(pDoc->Reload(true)); // answered No
    ASSERT_EQ(m_ui.questions.size(), 1u);
    EXPECT_EQ(m_ui.questions[0], path + " is changed, reload anyway?");
    EXPECT_EQ(Text(pDoc), "xtwo");

    // The hex document reopens its file and drops its changes.
    const std::string bin = Write("h.bin", std::string("\0\1", 2));
    auto* pHex = static_cast<CHexEditDoc*>(m_pHex->OpenDocumentFile(bin));
    const uint8_t byte = 7;
    ASSERT_TRUE(pHex->GetBuffer().Change(CTarvoHexEditBuffer::kInsert, 0, 1, &byte, 0, nullptr));
    EXPECT_EQ(pHex->GetTitle(), "* h.bin");
    m_ui.yesFor = bin;
    EXPECT_TRUE(pHex->Reload(true));
    EXPECT_EQ(pHex->GetBuffer().GetLength(), 2u);
    EXPECT_EQ(pHex->GetTitle(), "h.bin");
}

TEST_F(DocumentLayer, SaveAllWritesOnlyModifiedDocumentsAndPromptsForUntitledOnes)
{
    const std::string a = Write("a.txt", "a");
    const std::string b = Write("b.txt", "b");
    CTextEditDoc* pA = OpenText(a);
    OpenText(b);
    CTextEditDoc* pNew = static_cast<CTextEditDoc*>(m_pText->OpenDocumentFile(""));
    Type(pA, "1");
    Type(pNew, "fresh");
    const std::string newPath = (m_folder / "fresh.txt").string();
    m_ui.saveAsPaths = {newPath};
    const auto bTime = fs::last_write_time(b);

    EXPECT_TRUE(m_manager.SaveAll());
    EXPECT_EQ(Read(a), "1a");
    EXPECT_EQ(fs::last_write_time(b), bTime); // not modified: not written
    EXPECT_EQ(Read(newPath), "fresh");
    EXPECT_EQ(pNew->GetPathName(), newPath);
    EXPECT_EQ(pNew->GetTitle(), "fresh.txt");
    EXPECT_NE(pNew->GetFileWatchId(), 0u);

    // A save that fails is reported, and the document stays modified.
    Type(pA, "2");
    fs::remove_all(m_folder / "nowhere");
    m_ui.saveAsPaths = {(m_folder / "nowhere" / "x.txt").string()};
    EXPECT_FALSE(pA->DoSaveAs());
    EXPECT_EQ(m_ui.errors.size(), 1u);
    EXPECT_TRUE(pA->IsModified());
    EXPECT_EQ(pA->GetPathName(), a);
    EXPECT_NE(pA->GetFileWatchId(), 0u); // still watching its own file
}

TEST_F(DocumentLayer, ClosingAsksPerModifiedDocumentAndCancelClosesNothing)
{
    CTextEditDoc* pA = OpenText(Write("a.txt", "a"));
    CTextEditDoc* pB = OpenText(Write("b.txt", "b"));
    CTextEditDoc* pKeep = OpenText(Write("keep.txt", "k"));
    Type(pA, "1");
    Type(pB, "2");
    Type(pKeep, "3");

    m_ui.saveAnswer = CDocumentUi::AnswerCancel;
    EXPECT_FALSE(m_manager.CloseAllDocuments());
    EXPECT_EQ(m_manager.GetDocumentCount(), 3u);
    EXPECT_EQ(m_ui.questions, std::vector<std::string>{"save * a.txt"});

    // Close All But This asks for the others only and keeps the one.
    m_ui.questions.clear();
    m_ui.saveAnswer = CDocumentUi::AnswerDiscard;
    EXPECT_TRUE(m_manager.CloseAllDocuments(pKeep));
    EXPECT_EQ(m_ui.questions, (std::vector<std::string>{"save * a.txt", "save * b.txt"}));
    EXPECT_EQ(m_manager.GetDocuments(), std::vector<CAppletDoc*>{pKeep});
    EXPECT_EQ(m_ui.recorded.size(), 2u); // each closed file is handed to the history
    EXPECT_EQ(Read((m_folder / "a.txt").string()), "a");
    EXPECT_EQ(m_watch.GetWatchCount(), 1u);

    // Save writes it before it closes.
    m_ui.saveAnswer = CDocumentUi::AnswerSave;
    EXPECT_TRUE(m_manager.CloseDocument(pKeep));
    EXPECT_EQ(Read((m_folder / "keep.txt").string()), "3k");
    EXPECT_EQ(m_manager.GetDocumentCount(), 0u);
    EXPECT_FALSE(m_watch.IsThreadRunning());
}

TEST_F(DocumentLayer, OnlyTextAndBinaryDocumentsArePromptedForANewName)
{
    m_ui.saveAsPaths = {"/tmp/x", "/tmp/y"};
    CAppletDoc* pTool = m_pTool->OpenDocumentFile("");
    std::string path;
    EXPECT_FALSE(m_manager.DoPromptFileName(*pTool, path));
    EXPECT_EQ(m_ui.saveAsPaths.size(), 2u); // the prompt was never shown
    CAppletDoc* pHex = m_pHex->OpenDocumentFile("");
    EXPECT_TRUE(m_manager.DoPromptFileName(*pHex, path));
    EXPECT_EQ(path, "/tmp/x");
}

TEST_F(DocumentLayer, OpenFindsTheDocumentOfAPathAndStaleNotificationsAreDropped)
{
    const std::string path = Write("f.txt", "f");
    CAppletDoc* pDoc = OpenText(path);
    EXPECT_EQ(m_pText->FindOpenDocument(path), pDoc);
    EXPECT_EQ(m_pText->FindOpenDocument((m_folder / "other.txt").string()), nullptr);
    EXPECT_EQ(m_pHex->FindOpenDocument(path), nullptr);

    SFileWatchNotification stale;
    stale.nWatchId = pDoc->GetFileWatchId();
    stale.strPath = path;
    pDoc->StopWatching();
    pDoc->StartWatching(); // a new watch: the old id is nobody's
    m_manager.OnFileWatchNotification(stale);
    EXPECT_TRUE(m_ui.questions.empty());

    // A file that cannot be read is reported and opens nothing.
    EXPECT_EQ(OpenText((m_folder / "missing.txt").string()), nullptr);
    EXPECT_EQ(m_ui.errors.size(), 1u);
    EXPECT_EQ(m_manager.GetDocumentCount(), 1u);
}

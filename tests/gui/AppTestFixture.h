#pragma once
// The whole application in a test: a home and a folder of files of its own, the start-up as
// "scrivel" without arguments, and the questions the documents ask recorded and answered
// from members instead of message boxes. Fixtures derive from it and adjust the prompts or
// the window in their hooks.

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/gui/DocumentWindows.h"
#include "app/gui/ScrivelApp.h"
#include "ui/gui/MainFrame.h"

class CScrivelAppTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::setenv("HOME", m_home.path().toLocal8Bit().constData(), 1);
        ::setenv("XDG_CONFIG_HOME", (m_home.path() + "/config").toLocal8Bit().constData(), 1);
        ::setenv("XDG_DATA_HOME", (m_home.path() + "/data").toLocal8Bit().constData(), 1);
        Start();
    }
    void TearDown() override { Stop(); }

    // Starts the application; a test may stop and start it again to see what lasts.
    void Start()
    {
        m_args = {"scrivel"};
        m_argv = {m_args[0].data()};
        m_argc = 1;
        m_pApp = std::make_unique<CScrivelApp>(m_argc, m_argv.data());
        m_pApp->SetMessageHook([this](const std::string& text) { m_messages.push_back(text); });
        ASSERT_TRUE(m_pApp->InitInstance());
        SDocumentPrompts prompts;
        prompts.askYesNo = [this](const std::string& q)
        {
            m_questions.push_back(q);
            return m_bYes;
        };
        prompts.askSaveChanges = [this](const std::string& title)
        {
            m_questions.push_back("save " + title);
            return m_saveAnswer;
        };
        prompts.showError = [this](const std::string& text) { m_messages.push_back(text); };
        AdjustPrompts(prompts);
        m_pApp->DocumentWindows()->SetPrompts(prompts);
        OnStarted();
    }
    // The ordinary exit, modified documents thrown away.
    void Stop()
    {
        if (!m_pApp)
            return;
        m_saveAnswer = CDocumentUi::AnswerDiscard;
        Frame()->close();
        m_pApp->ExitInstance(0);
        m_pApp.reset();
    }

    virtual void AdjustPrompts(SDocumentPrompts& prompts) { (void)prompts; }
    virtual void OnStarted() {}

    CMainFrame* Frame() { return m_pApp->MainFrame(); }
    QList<QMdiSubWindow*> Tabs() { return Frame()->MdiArea()->subWindowList(); }
    QAction* Action(int nId)
    {
        Frame()->UpdateCommandStates();
        return Frame()->CommandAction(nId);
    }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        const std::string path = m_files.path().toStdString() + "/" + name;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        return path;
    }
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    template <class F> static bool ProcessUntil(F condition, int nMilliseconds = 5000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!condition())
        {
            if (timer.elapsed() > nMilliseconds)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    QTemporaryDir m_home;
    QTemporaryDir m_files;
    std::vector<std::string> m_args;
    std::vector<char*> m_argv;
    int m_argc = 0;
    std::unique_ptr<CScrivelApp> m_pApp;
    std::vector<std::string> m_messages;
    // The yes/no questions, and "save " with the title for each save question.
    std::vector<std::string> m_questions;
    bool m_bYes = false;
    CDocumentUi::ESaveAnswer m_saveAnswer = CDocumentUi::AnswerDiscard;
};

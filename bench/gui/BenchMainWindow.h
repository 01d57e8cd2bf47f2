// The whole application as the user starts it with one file ("scrivel -e FILE"), offscreen:
// the main window of 1600 x 1000 with the document in its editable view, coloured with the
// C/C++ parser. The drivers that time the text view inside the real window share this
// start-up so that they all measure the same window. The caller runs the process in a home
// of its own: the application reads and writes its settings there.
#pragma once

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <string>

#include "app/gui/ScrivelApp.h"
#include "app/gui/TextDocumentViews.h"
#include "encoding/TextEditBufferEx.h"
#include "syntax/TextEditModule.h"
#include "textview/gui/TarvoTextEditView.h"
#include "ui/gui/MainFrame.h"

// Ends the event loop right after the first paint of the watched widget.
class CBenchFirstPaint : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_bSeen)
        {
            m_bSeen = true;
            // exit, not quit: quit would close the windows before the loop returns.
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
        return QObject::eventFilter(watched, event);
    }
    bool m_bSeen = false;
};

class CBenchMainWindow
{
public:
    explicit CBenchMainWindow(const char* pszFile) : m_args{"scrivel", "-e", pszFile}
    {
        for (int i = 0; i < 3; ++i)
            m_argv[i] = m_args[i].data();
        m_pApp = std::make_unique<CScrivelApp>(m_argc, m_argv);
    }

    // Starts the application and shows the main window with the document's view; null (with
    // a message) when the start-up failed or no text view holds the document.
    CTarvoTextEditView* Start()
    {
        if (!m_pApp->InitInstance())
            return nullptr;
        m_pView = m_pApp->TextViews() ? m_pApp->TextViews()->ActiveView() : nullptr;
        if (m_pView == nullptr || m_pView->GetBuffer() == nullptr)
        {
            std::fprintf(stderr, "no text view\n");
            m_pView = nullptr;
            return nullptr;
        }
        // Coloured as C/C++, as the user would choose from the syntax menu.
        m_pView->GetBuffer()->SetParser(m_pApp->TextModule()->GetFactory().FindById(4));
        m_pApp->MainFrame()->showNormal();
        m_pApp->MainFrame()->resize(1600, 1000);
        return m_pView;
    }

    // Runs the event loop until the view's page has been painted once.
    bool RunToFirstPaint()
    {
        CBenchFirstPaint watch;
        m_pView->viewport()->installEventFilter(&watch);
        m_pApp->exec();
        m_pView->viewport()->removeEventFilter(&watch);
        return watch.m_bSeen;
    }

    // The window active and the view holding the keyboard focus, as after a click into the
    // text: key shortcuts of the window's actions then apply as they do for the user.
    bool FocusView()
    {
        m_pApp->MainFrame()->activateWindow();
        m_pView->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
        return QApplication::activeWindow() == m_pApp->MainFrame() &&
               QApplication::focusWidget() == m_pView;
    }

    // The ordinary shut-down, the edits thrown away (the file is never written and no
    // dialog asks about it); returns the process exit code.
    int Exit(int code)
    {
        std::fflush(stdout);
        if (m_pView != nullptr && m_pView->GetBuffer() != nullptr)
            m_pView->GetBuffer()->SetModified(false);
        if (m_pApp->MainFrame() != nullptr)
            m_pApp->MainFrame()->close();
        return m_pApp->ExitInstance(code);
    }

    CScrivelApp& App() { return *m_pApp; }

private:
    std::string m_args[3];
    char* m_argv[4] = {};
    int m_argc = 3;
    std::unique_ptr<CScrivelApp> m_pApp;
    CTarvoTextEditView* m_pView = nullptr;
};

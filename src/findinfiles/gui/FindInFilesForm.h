#pragma once
// The view of a find-in-files document: the form with "Find what:", "File types:", the
// "Look in:" folders and the options, Start and Stop. Every rule lives in
// CFindInFilesFormLogic; the search runs in CFindInFilesSearch on its own thread, whose
// notices reach this widget as queued calls. The form takes the lines in batches and
// appends them to the chosen pane of the output bar.
//
// Closing the form while it searches cancels the search and waits for the worker before
// anything of the form goes away; the lines made until then still reach the pane.

#include <QWidget>

#include <functional>
#include <string>

#include "findinfiles/FindInFilesForm.h"
#include "findinfiles/FindInFilesSearch.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QToolButton;
class CFindInFilesOutputBar;
class CSyntaxParserFactory;

// What the form needs from the application; unset members do nothing (tests replace the
// folder dialog with a function).
struct SFindInFilesFormHooks
{
    std::function<void()> showOutputBar;
    // Adds a text to the shared find history; the history is read when a form is made.
    std::function<void(const std::string&)> addFindHistory;
    std::function<std::vector<std::string>()> findHistory;
    // The folder dialog titled "Add folder", starting at a folder; empty when cancelled.
    std::function<std::string(const std::string& strStart)> chooseFolder;
};

class CFindInFilesForm : public QWidget
{
    Q_OBJECT
public:
    // The output bar and the settings outlive the form; the factory may be null.
    CFindInFilesForm(CFindInFilesOutputBar& outputBar, CFindInFilesSettings& settings,
                     const CSyntaxParserFactory* pFactory, SFindInFilesFormHooks hooks,
                     QWidget* parent = nullptr);
    ~CFindInFilesForm() override;

    CFindInFilesFormLogic& Logic() { return m_logic; }
    bool IsSearching() const { return m_logic.m_bSearching; }

    // The buttons' actions.
    void Start();
    void Stop();
    void AddFolder();
    void RemoveFolders();
    void RemoveAllFolders();
    void InsertSnippet(int nIndex);

    // Lines of a running search are taken at most this many per turn of the event loop,
    // so that a burst of results never holds the window still for long.
    static constexpr size_t kLinesPerTurn = 2000;

signals:
    // The search is over and the form is idle again.
    void SearchFinished();

private:
    void BuildControls(const CSyntaxParserFactory* pFactory);
    void ReadControls();
    void ShowFolders();
    void ApplyEnableState();
    void TakeResults(size_t nMax);
    void FinishSearch();
    void PostTakeResults();

    CFindInFilesOutputBar& m_outputBar;
    CFindInFilesSettings& m_settings;
    SFindInFilesFormHooks m_hooks;
    CFindInFilesFormLogic m_logic;
    CFindInFilesSearch m_search;
    int m_nSearchPane = 0;
    bool m_bTakePosted = false;

    QComboBox* m_pFindWhat = nullptr;
    QToolButton* m_pExpression = nullptr;
    QComboBox* m_pFileTypes = nullptr;
    QLabel* m_pLookInLabel = nullptr;
    QListWidget* m_pFolders = nullptr;
    QPushButton* m_pAddFolder = nullptr;
    QPushButton* m_pRemove = nullptr;
    QPushButton* m_pRemoveAll = nullptr;
    QCheckBox* m_pMatchCase = nullptr;
    QCheckBox* m_pRegex = nullptr;
    QCheckBox* m_pSubfolders = nullptr;
    QCheckBox* m_pClearPrevious = nullptr;
    QCheckBox* m_pLookInPrevious = nullptr;
    QRadioButton* m_pPaneButtons[4] = {};
    QPushButton* m_pStart = nullptr;
    QPushButton* m_pStop = nullptr;
};

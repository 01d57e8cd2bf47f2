#include "findinfiles/gui/FindInFilesForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "findinfiles/gui/FindInFilesWnd.h"
#include "syntax/SyntaxParserFactory.h"

namespace
{
QString ToQt(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::string FromQt(const QString& s)
{
    return s.toUtf8().toStdString();
}
} // namespace

CFindInFilesForm::CFindInFilesForm(CFindInFilesOutputBar& outputBar, CFindInFilesSettings& settings,
                                   const CSyntaxParserFactory* pFactory,
                                   SFindInFilesFormHooks hooks, QWidget* parent)
    : QWidget(parent), m_outputBar(outputBar), m_settings(settings), m_hooks(std::move(hooks))
{
    setObjectName(QStringLiteral("FindInFilesForm"));
    m_logic.SetFolders(m_settings.m_lastFolders);
    BuildControls(pFactory);
    ShowFolders();
    ApplyEnableState();
}

CFindInFilesForm::~CFindInFilesForm()
{
    if (!m_logic.m_bSearching)
        return;
    // The worker ends before the form does; what it found until then still reaches the
    // pane, which belongs to the output bar and outlives the form.
    m_search.Cancel();
    bool bMore = true;
    std::vector<SFindInFilesResultLine> lines = m_search.TakeLines(SIZE_MAX, bMore);
    if (CFindInFilesWnd* pPane = m_outputBar.Pane(m_nSearchPane))
        pPane->AppendLines(lines);
}

void CFindInFilesForm::BuildControls(const CSyntaxParserFactory* pFactory)
{
    auto* pGrid = new QGridLayout(this);

    pGrid->addWidget(new QLabel(tr("Find what:"), this), 0, 0);
    m_pFindWhat = new QComboBox(this);
    m_pFindWhat->setObjectName(QStringLiteral("FindWhat"));
    m_pFindWhat->setEditable(true);
    m_pFindWhat->setInsertPolicy(QComboBox::NoInsert);
    m_pFindWhat->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    if (m_hooks.findHistory)
        for (const std::string& text : m_hooks.findHistory())
            m_pFindWhat->addItem(ToQt(text));
    m_pFindWhat->setCurrentIndex(-1);
    m_pFindWhat->setEditText(QString());
    pGrid->addWidget(m_pFindWhat, 0, 1);

    m_pExpression = new QToolButton(this);
    m_pExpression->setObjectName(QStringLiteral("Expression"));
    m_pExpression->setText(tr("Expression"));
    m_pExpression->setPopupMode(QToolButton::InstantPopup);
    auto* pSnippets = new QMenu(m_pExpression);
    const auto& snippets = CFindInFilesFormLogic::GetExpressionSnippets();
    for (int i = 0; i < static_cast<int>(snippets.size()); ++i)
        connect(
            pSnippets->addAction(QString::fromLatin1(snippets[static_cast<size_t>(i)].pszMenuText)),
            &QAction::triggered, this, [this, i] { InsertSnippet(i); });
    m_pExpression->setMenu(pSnippets);
    pGrid->addWidget(m_pExpression, 0, 2);

    pGrid->addWidget(new QLabel(tr("File types:"), this), 1, 0);
    m_pFileTypes = new QComboBox(this);
    m_pFileTypes->setObjectName(QStringLiteral("FileTypes"));
    m_pFileTypes->setEditable(true);
    m_pFileTypes->setInsertPolicy(QComboBox::NoInsert);
    if (pFactory)
        for (const std::string& item : CFindInFilesFormLogic::BuildFileTypeItems(*pFactory))
            m_pFileTypes->addItem(ToQt(item));
    else
        m_pFileTypes->addItem(QStringLiteral("All Files (*.*)"));
    m_pFileTypes->setCurrentIndex(-1);
    m_pFileTypes->setEditText(ToQt(m_logic.m_strFileTypes));
    // Choosing an item puts its patterns into the box, not its description.
    connect(m_pFileTypes, &QComboBox::activated, this,
            [this](int nIndex)
            {
                const std::string types = CFindInFilesFormLogic::FileTypesFromItem(
                    FromQt(m_pFileTypes->itemText(nIndex)));
                m_pFileTypes->setCurrentIndex(-1);
                m_pFileTypes->setEditText(ToQt(types));
            });
    pGrid->addWidget(m_pFileTypes, 1, 1, 1, 2);

    m_pLookInLabel = new QLabel(tr("Look in:"), this);
    pGrid->addWidget(m_pLookInLabel, 2, 0, Qt::AlignTop);
    m_pFolders = new QListWidget(this);
    m_pFolders->setObjectName(QStringLiteral("LookIn"));
    m_pFolders->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(
        m_pFolders, &QListWidget::itemChanged, this,
        [this](QListWidgetItem* pItem)
        { m_logic.SetFolderChecked(m_pFolders->row(pItem), pItem->checkState() == Qt::Checked); });
    connect(m_pFolders, &QListWidget::itemSelectionChanged, this, [this] { ApplyEnableState(); });
    pGrid->addWidget(m_pFolders, 2, 1, 1, 2);

    auto* pFolderButtons = new QVBoxLayout;
    m_pAddFolder = new QPushButton(tr("Add Folder..."), this);
    m_pRemove = new QPushButton(tr("Remove"), this);
    m_pRemoveAll = new QPushButton(tr("Remove All"), this);
    connect(m_pAddFolder, &QPushButton::clicked, this, [this] { AddFolder(); });
    connect(m_pRemove, &QPushButton::clicked, this, [this] { RemoveFolders(); });
    connect(m_pRemoveAll, &QPushButton::clicked, this, [this] { RemoveAllFolders(); });
    pFolderButtons->addWidget(m_pAddFolder);
    pFolderButtons->addWidget(m_pRemove);
    pFolderButtons->addWidget(m_pRemoveAll);
    pFolderButtons->addStretch();
    pGrid->addLayout(pFolderButtons, 2, 3);

    auto* pOptions = new QGroupBox(tr("Options"), this);
    auto* pOptionsLayout = new QVBoxLayout(pOptions);
    auto makeCheck = [&](const QString& text, const char* name, bool bChecked)
    {
        auto* pBox = new QCheckBox(text, pOptions);
        pBox->setObjectName(QString::fromLatin1(name));
        pBox->setChecked(bChecked);
        pOptionsLayout->addWidget(pBox);
        return pBox;
    };
    m_pMatchCase = makeCheck(tr("Match case"), "MatchCase", m_logic.m_bMatchCase);
    m_pRegex = makeCheck(tr("Regular expression"), "RegularExpression", m_logic.m_bRegex);
    m_pSubfolders = makeCheck(tr("Look in subfolders"), "LookInSubfolders", m_logic.m_bSubfolders);
    m_pLookInPrevious = makeCheck(tr("Look in previous results"), "LookInPreviousResults",
                                  m_logic.m_bLookInPrevious);
    connect(m_pLookInPrevious, &QCheckBox::toggled, this,
            [this](bool bOn)
            {
                m_logic.m_bLookInPrevious = bOn;
                ApplyEnableState();
            });
    pGrid->addWidget(pOptions, 3, 1);

    auto* pOutput = new QGroupBox(tr("Output"), this);
    auto* pOutputLayout = new QVBoxLayout(pOutput);
    auto* pPaneGroup = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i)
    {
        m_pPaneButtons[i] = new QRadioButton(tr("Find in Files %1 window").arg(i + 1), pOutput);
        m_pPaneButtons[i]->setObjectName(QStringLiteral("Pane%1").arg(i + 1));
        pPaneGroup->addButton(m_pPaneButtons[i], i);
        pOutputLayout->addWidget(m_pPaneButtons[i]);
    }
    m_pPaneButtons[m_logic.m_nPane]->setChecked(true);
    m_pClearPrevious = new QCheckBox(tr("Clear previous results"), pOutput);
    m_pClearPrevious->setObjectName(QStringLiteral("ClearPreviousResults"));
    m_pClearPrevious->setChecked(m_logic.m_bClearPrevious);
    pOutputLayout->addWidget(m_pClearPrevious);
    pGrid->addWidget(pOutput, 3, 2);

    auto* pCommands = new QVBoxLayout;
    m_pStart = new QPushButton(tr("Start"), this);
    m_pStart->setObjectName(QStringLiteral("Start"));
    m_pStart->setDefault(true);
    m_pStop = new QPushButton(tr("Stop"), this);
    m_pStop->setObjectName(QStringLiteral("Stop"));
    connect(m_pStart, &QPushButton::clicked, this, [this] { Start(); });
    connect(m_pStop, &QPushButton::clicked, this, [this] { Stop(); });
    // Enter in the text boxes starts, as the default button would in a dialog.
    connect(m_pFindWhat->lineEdit(), &QLineEdit::returnPressed, this, [this] { Start(); });
    connect(m_pFileTypes->lineEdit(), &QLineEdit::returnPressed, this, [this] { Start(); });
    pCommands->addWidget(m_pStart);
    pCommands->addWidget(m_pStop);
    pCommands->addStretch();
    pGrid->addLayout(pCommands, 0, 3, 2, 1);

    pGrid->setColumnStretch(1, 1);
    pGrid->setRowStretch(2, 1);
    pGrid->setRowStretch(4, 1);
}

void CFindInFilesForm::ReadControls()
{
    m_logic.m_strSearch = FromQt(m_pFindWhat->currentText());
    m_logic.m_strFileTypes = FromQt(m_pFileTypes->currentText());
    m_logic.m_bMatchCase = m_pMatchCase->isChecked();
    m_logic.m_bRegex = m_pRegex->isChecked();
    m_logic.m_bSubfolders = m_pSubfolders->isChecked();
    m_logic.m_bClearPrevious = m_pClearPrevious->isChecked();
    m_logic.m_bLookInPrevious = m_pLookInPrevious->isChecked();
    for (int i = 0; i < 4; ++i)
        if (m_pPaneButtons[i]->isChecked())
            m_logic.m_nPane = i;
}

void CFindInFilesForm::ShowFolders()
{
    const QSignalBlocker block(m_pFolders);
    m_pFolders->clear();
    for (const SFindInFilesFolder& folder : m_logic.GetFolders())
    {
        auto* pItem = new QListWidgetItem(ToQt(folder.strPath), m_pFolders);
        pItem->setFlags(pItem->flags() | Qt::ItemIsUserCheckable);
        pItem->setCheckState(folder.bChecked ? Qt::Checked : Qt::Unchecked);
        pItem->setIcon(style()->standardIcon(QStyle::SP_DirIcon));
    }
}

void CFindInFilesForm::ApplyEnableState()
{
    const SFindInFilesFormEnable state =
        m_logic.GetEnableState(static_cast<int>(m_pFolders->selectedItems().size()));
    for (QWidget* pInput : std::initializer_list<QWidget*>{
             m_pFindWhat, m_pExpression, m_pFileTypes, m_pMatchCase, m_pRegex, m_pClearPrevious,
             m_pLookInPrevious, m_pStart, m_pPaneButtons[0], m_pPaneButtons[1], m_pPaneButtons[2],
             m_pPaneButtons[3]})
        pInput->setEnabled(state.bInputs);
    m_pStop->setEnabled(state.bStop);
    m_pLookInLabel->setEnabled(state.bFolderList);
    m_pFolders->setEnabled(state.bFolderList);
    m_pAddFolder->setEnabled(state.bAddFolder);
    m_pRemove->setEnabled(state.bRemove);
    m_pRemoveAll->setEnabled(state.bRemoveAll);
    m_pSubfolders->setEnabled(state.bSubfolders);
}

void CFindInFilesForm::InsertSnippet(int nIndex)
{
    QLineEdit* pEdit = m_pFindWhat->lineEdit();
    std::string text = FromQt(pEdit->text());
    // The caret is a character index; the snippets are ASCII, so the byte index of the
    // caret is the length of the text before it.
    const int nCaret =
        static_cast<int>(pEdit->text().left(pEdit->cursorPosition()).toUtf8().size());
    const int nNewCaret = m_logic.InsertSnippet(text, nCaret, nIndex);
    const QString newText = ToQt(text);
    pEdit->setText(newText);
    pEdit->setCursorPosition(static_cast<int>(
        QString::fromUtf8(text.data(),
                          std::min<qsizetype>(nNewCaret, static_cast<qsizetype>(text.size())))
            .size()));
    m_pRegex->setChecked(m_logic.m_bRegex);
    pEdit->setFocus();
}

void CFindInFilesForm::AddFolder()
{
    std::string folder;
    if (m_hooks.chooseFolder)
        folder = m_hooks.chooseFolder(m_logic.GetLastAddedFolder());
    else
        folder = FromQt(QFileDialog::getExistingDirectory(this, tr("Add folder"),
                                                          ToQt(m_logic.GetLastAddedFolder())));
    if (folder.empty() || !m_logic.AddFolder(folder))
        return;
    ShowFolders();
    ApplyEnableState();
}

void CFindInFilesForm::RemoveFolders()
{
    std::vector<int> rows;
    for (QListWidgetItem* pItem : m_pFolders->selectedItems())
        rows.push_back(m_pFolders->row(pItem));
    m_logic.RemoveFolders(rows);
    ShowFolders();
    ApplyEnableState();
}

void CFindInFilesForm::RemoveAllFolders()
{
    m_logic.RemoveAllFolders();
    ShowFolders();
    ApplyEnableState();
}

void CFindInFilesForm::Start()
{
    if (m_logic.m_bSearching)
        return;
    ReadControls();
    CFindInFilesWnd* pPane = m_outputBar.Pane(m_logic.m_nPane);
    if (!pPane)
        return;
    std::optional<CFindInFilesOptions> options = m_logic.BuildSearch(pPane->Results(), &m_settings);
    if (!options)
        return;
    if (m_logic.m_bClearPrevious)
        pPane->Clear();
    m_nSearchPane = m_logic.m_nPane;
    m_bTakePosted = false;
    // The worker only posts; the lines are taken here, on this thread.
    const auto notify = [this]
    {
        QMetaObject::invokeMethod(
            this, [this] { TakeResults(kLinesPerTurn); }, Qt::QueuedConnection);
    };
    if (!m_search.Start(*options, notify))
        return;
    m_logic.m_bSearching = true;

    if (m_hooks.showOutputBar)
        m_hooks.showOutputBar();
    if (m_hooks.addFindHistory)
        m_hooks.addFindHistory(m_logic.m_strSearch);
    const QString text = m_pFindWhat->currentText();
    const int nOld = m_pFindWhat->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (nOld >= 0)
        m_pFindWhat->removeItem(nOld);
    if (!text.trimmed().isEmpty())
        m_pFindWhat->insertItem(0, text);
    m_pFindWhat->setCurrentIndex(-1);
    m_pFindWhat->setEditText(text);
    m_outputBar.SelectPane(m_nSearchPane);
    ApplyEnableState();
    m_pStop->setFocus();
}

void CFindInFilesForm::Stop()
{
    if (!m_logic.m_bSearching)
        return;
    // The engine looks at the cancel event after every line, so the wait is short; the
    // lines it made until then, "Canceled." last, are shown at once.
    m_search.Cancel();
    TakeResults(SIZE_MAX);
}

void CFindInFilesForm::PostTakeResults()
{
    if (m_bTakePosted)
        return;
    m_bTakePosted = true;
    QMetaObject::invokeMethod(
        this,
        [this]
        {
            m_bTakePosted = false;
            TakeResults(kLinesPerTurn);
        },
        Qt::QueuedConnection);
}

void CFindInFilesForm::TakeResults(size_t nMax)
{
    if (!m_logic.m_bSearching)
        return;
    bool bMore = false;
    std::vector<SFindInFilesResultLine> lines = m_search.TakeLines(nMax, bMore);
    if (CFindInFilesWnd* pPane = m_outputBar.Pane(m_nSearchPane))
        pPane->AppendLines(lines);
    if (bMore)
    {
        // The rest waits for the next turn of the event loop, after painting and input.
        PostTakeResults();
        return;
    }
    if (!m_search.IsBusy())
        FinishSearch();
}

void CFindInFilesForm::FinishSearch()
{
    // A search that went to its end says how much of what it met it could not read; a
    // cancelled one keeps "Canceled." as its last line.
    const int nSkipped = m_search.GetSkippedCount();
    if (nSkipped > 0 && !m_search.WasCanceled())
        if (CFindInFilesWnd* pPane = m_outputBar.Pane(m_nSearchPane))
        {
            std::vector<SFindInFilesResultLine> note(1);
            note[0].record.m_nKind = CFindInFilesLineData::KindSummary;
            note[0].strText = FormatSkippedNote(nSkipped);
            pPane->AppendLines(note);
        }
    m_logic.m_bSearching = false;
    ApplyEnableState();
    m_pStart->setFocus();
    emit SearchFinished();
}

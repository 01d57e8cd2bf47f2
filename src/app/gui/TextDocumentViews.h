#pragma once
// The text documents' views in the main window: makes the editable view of each text
// document, puts the active view (its editing commands and display toggles) and the
// document's own text commands on the frame's route, keeps the frame's panes, find box and
// command states on the active view, and lets a view go of its buffer before the document
// that owns the buffer is destroyed.
//
// Commands of a text document handled here: Line Endings, Encoding, Export to HTML,
// Preview in Browser, Print and Print Preview. The menu items of the editor (Edit, Search,
// the View toggles, the syntax types) are registered once by Install.

#include <QObject>
#include <QPointer>

#include <functional>
#include <string>

#include "textview/gui/TarvoTextEditView.h"
#include "ui/CommandTarget.h"

class QWidget;
class CMainFrame;
class CAppletDoc;
class CTextEditDoc;

class CTextEditFrameBinding;
class ITextSearchHistory;
struct SViewHooks;

constexpr int ID_TEXT_LINE_ENDINGS = 40030;
constexpr int ID_TEXT_ENCODING = 40031;
constexpr int ID_TEXT_EXPORT_HTML = 40070;
constexpr int ID_TEXT_PREVIEW_BROWSER = 40071;
constexpr int ID_FILE_PRINT = 57607;
constexpr int ID_FILE_PRINT_PREVIEW = 57609;

// The user's answers to the document dialogs (tests answer with them). Unset members show
// the real dialog.
struct STextDocumentPrompts
{
    // Fills the encoding choice (kind, code page); false on Cancel.
    std::function<bool(const std::string& path, int& nEncoding, int& nCodePage)> chooseEncoding;
    // Returns 0 (Cancel or "Current Setting"), or a line-ending mode 1 to 3.
    std::function<int(const std::string& path)> chooseLineEndings;
};

class CTextDocumentViews : public QObject, public CCommandTarget
{
    Q_OBJECT
public:
    // The page margins (hundredths of a millimetre) are read when printing starts.
    CTextDocumentViews(CMainFrame& frame, ITextSearchHistory& history,
                       std::function<void(int margins[4])> getPageMargins);
    ~CTextDocumentViews() override;

    // Registers the commands and fills the menus (once per frame).
    void Install();
    // The hooks the document windows call.
    SViewHooks MakeViewHooks();
    // The view of a text document; fileOpener opens the other file of a header/source pair.
    QWidget* MakeView(CTextEditDoc& doc);
    void SetFileOpener(std::function<void(const std::string& path)> fn)
    {
        m_fnOpenFile = std::move(fn);
    }
    void SetPrompts(STextDocumentPrompts prompts) { m_prompts = std::move(prompts); }

    CTarvoTextEditView* ActiveView() const { return m_pView; }
    CTextEditFrameBinding* Binding() const { return m_pBinding; }

    bool OnUpdateCommand(int nId, SCommandState& state) override;
    bool OnCommand(int nId) override;

private:
    void OnActivated(QWidget* pView, CAppletDoc* pDoc);
    void ChooseLineEndings();
    void ChooseEncoding();
    void Print(bool bPreview);

    CMainFrame& m_frame;
    ITextSearchHistory& m_history;
    std::function<void(int margins[4])> m_fnPageMargins;
    std::function<void(const std::string& path)> m_fnOpenFile;
    STextDocumentPrompts m_prompts;
    CTextEditFrameBinding* m_pBinding = nullptr;
    QPointer<CTarvoTextEditView> m_pView;
    CTextEditDoc* m_pDoc = nullptr;
};

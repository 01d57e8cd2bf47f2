#pragma once
// Reopening a file where it was left. Closing a document makes it the newest history
// record with its view's scroll position, caret and selection; opening it again, from the
// history or favorites page, from the File menu's history entries or by naming the same
// path, puts the new view back there. The documents and views are reached through hooks,
// so the rules can be tested without them.

#include <functional>
#include <string>

#include "navigate/FileRecord.h"

class CHistoryManager;
class CFavoritesManager;

// Where a text view stands: its first visible column and line, the caret and the selection
// as text positions (byte index within the line, line index); the selection fields are -1
// when there is no selection.
struct SViewPlace
{
    int nScrollX = 0;
    int nScrollY = 0;
    int nCaretX = 0;
    int nCaretY = 0;
    int nSelectionStartX = -1;
    int nSelectionStartY = -1;
    int nSelectionEndX = -1;
    int nSelectionEndY = -1;

    bool HasSelection() const { return nSelectionStartY >= 0 && nSelectionEndY >= 0; }
    bool operator==(const SViewPlace&) const = default;
};

// A text view as the service reads and moves it.
class CViewPlaceTarget
{
public:
    virtual ~CViewPlaceTarget() = default;
    virtual SViewPlace GetViewPlace() const = 0;
    // Moves the view. The place may come from an older version of the file: the view keeps
    // every position inside its text. bScrollX: whether the horizontal scroll position is
    // taken too; otherwise the view keeps its own.
    virtual void SetViewPlace(const SViewPlace& place, bool bScrollX) = 0;
};

class CReopenService
{
public:
    // What opening a path produced: the text view of the document (null for a hex
    // document or when nothing opened), and whether the document was opened now rather
    // than found open already.
    struct SOpened
    {
        CViewPlaceTarget* pView = nullptr;
        bool bNewlyOpened = false;
    };
    // Opens a path by kind (0 automatic, 1 text, 2 binary), not read-only.
    using OpenFn = std::function<SOpened(const std::string& strPath, int nKind)>;

    CReopenService(CHistoryManager& history, CFavoritesManager& favorites);

    void SetOpenHook(OpenFn open) { m_open = std::move(open); }

    // A document with a path is closing: it becomes the newest history record, as text
    // with its view's place (pView) or as binary without one.
    void OnDocumentClosing(const std::string& strPath, int nType, const CViewPlaceTarget* pView);
    // The Favorites commands of a document: adding records it like closing does; both
    // return whether the path is a favorite afterwards (the document's favorite mark).
    bool AddToFavorites(const std::string& strPath, int nType, const CViewPlaceTarget* pView);
    bool RemoveFromFavorites(const std::string& strPath, int nType);

    // Opens a record of a page. A text document opened now takes the record's place; one
    // that was open already stays where the user left it. The history page restores the
    // horizontal scroll position too (bRestoreHorizontal), the favorites page does not.
    // Returns whether anything opened.
    bool OpenRecord(const SFileRecord& record, bool bRestoreHorizontal);
    // A text document has just been opened by path (the File menu, its history entries,
    // the command line): when the history has a record of that path as text, the view
    // takes its place. Returns whether it did.
    bool RestoreFromHistory(const std::string& strPath, CViewPlaceTarget& view) const;

    // The place a record keeps.
    static SViewPlace PlaceOfRecord(const SFileRecord& record);

private:
    CHistoryManager& m_history;
    CFavoritesManager& m_favorites;
    OpenFn m_open;
};

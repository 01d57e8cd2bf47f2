#include "navigate/ReopenService.h"

#include "navigate/FileRecordManager.h"
#include "platform/Folders.h"

namespace
{
void AddRecord(CFileRecordManager& list, const std::string& strPath, int nType,
               const CViewPlaceTarget* pView)
{
    // A document without a text view (a hex document) keeps no place: scroll and caret 0,
    // no selection.
    const SViewPlace place = pView ? pView->GetViewPlace() : SViewPlace{};
    list.AddFileRecord(strPath, nType, place.nScrollX, place.nScrollY, place.nCaretX, place.nCaretY,
                       place.nSelectionStartX, place.nSelectionStartY, place.nSelectionEndX,
                       place.nSelectionEndY);
}
} // namespace

CReopenService::CReopenService(CHistoryManager& history, CFavoritesManager& favorites)
    : m_history(history), m_favorites(favorites)
{
}

SViewPlace CReopenService::PlaceOfRecord(const SFileRecord& record)
{
    SViewPlace place;
    place.nScrollX = record.nScrollPosX;
    place.nScrollY = record.nScrollPosY;
    place.nCaretX = record.nCursorPosX;
    place.nCaretY = record.nCursorPosY;
    place.nSelectionStartX = record.nSelectionStartX;
    place.nSelectionStartY = record.nSelectionStartY;
    place.nSelectionEndX = record.nSelectionEndX;
    place.nSelectionEndY = record.nSelectionEndY;
    return place;
}

void CReopenService::OnDocumentClosing(const std::string& strPath, int nType,
                                       const CViewPlaceTarget* pView)
{
    if (strPath.empty())
        return;
    AddRecord(m_history, strPath, nType, nType == FileRecordText ? pView : nullptr);
}

bool CReopenService::AddToFavorites(const std::string& strPath, int nType,
                                    const CViewPlaceTarget* pView)
{
    if (strPath.empty())
        return false;
    AddRecord(m_favorites, strPath, nType, nType == FileRecordText ? pView : nullptr);
    return m_favorites.IsFavorite(strPath);
}

bool CReopenService::RemoveFromFavorites(const std::string& strPath, int nType)
{
    std::vector<int> indices;
    for (int i = 0; i < m_favorites.GetCount(); ++i)
        if (!m_favorites.IsDifferentFileRecord(strPath, nType, m_favorites.GetAt(i),
                                               m_favorites.GetAt(i).nType))
            indices.push_back(i);
    m_favorites.RemoveFileRecords(indices);
    return m_favorites.IsFavorite(strPath);
}

bool CReopenService::OpenRecord(const SFileRecord& record, bool bRestoreHorizontal)
{
    if (!m_open)
        return false;
    // Copied first: opening may close nothing, but a hook that records documents can add
    // to the list this record lives in and free it.
    const SFileRecord chosen = record;
    const int nKind =
        (chosen.nType == FileRecordText || chosen.nType == FileRecordBinary) ? chosen.nType : 0;
    const SOpened opened = m_open(chosen.strPath, nKind);
    if (opened.pView && opened.bNewlyOpened)
        opened.pView->SetViewPlace(PlaceOfRecord(chosen), bRestoreHorizontal);
    return opened.pView || opened.bNewlyOpened;
}

bool CReopenService::RestoreFromHistory(const std::string& strPath, CViewPlaceTarget& view) const
{
    for (int i = 0; i < m_history.GetCount(); ++i)
    {
        const SFileRecord& record = m_history.GetAt(i);
        if (record.nType == FileRecordText && PathsEqual(record.strPath, strPath))
        {
            view.SetViewPlace(PlaceOfRecord(record), true);
            return true;
        }
    }
    return false;
}

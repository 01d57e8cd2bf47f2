#include "navigate/FileRecordManager.h"

#include <algorithm>
#include <ctime>
#include <pugixml.hpp>

#include "navigate/ReplaceFile.h"
#include "platform/Folders.h"

namespace
{
const char kVersion[] = "2.0.0";

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string Trim(const std::string& text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && IsSpace(text[begin]))
        ++begin;
    while (end > begin && IsSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

bool EqualsAsciiNoCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
    {
        char ca = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
        char cb = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b - 'A' + 'a') : *b;
        if (ca != cb)
            return false;
    }
    return *a == *b;
}

bool NameIs(const char* pszName, const char* pszWanted)
{
    return std::char_traits<char>::compare(pszName, pszWanted,
                                           std::char_traits<char>::length(pszWanted) + 1) == 0;
}

// Applies one attribute of a record element. Each element is read in one pass over its
// attributes, which keeps a file of a million records quick to load.
void ApplyAttribute(SFileRecord& record, const pugi::xml_attribute& attribute)
{
    const char* pszName = attribute.name();
    switch (pszName[0])
    {
    case 'F':
        if (NameIs(pszName, "FilePath"))
            record.strPath = attribute.as_string();
        else if (NameIs(pszName, "FileType"))
        {
            const char* pszType = attribute.as_string();
            record.nType = EqualsAsciiNoCase(pszType, "Text")     ? FileRecordText
                           : EqualsAsciiNoCase(pszType, "Binary") ? FileRecordBinary
                                                                  : FileRecordUnknown;
        }
        break;
    case 'S':
        if (NameIs(pszName, "ScrollPosX"))
            record.nScrollPosX = attribute.as_int();
        else if (NameIs(pszName, "ScrollPosY"))
            record.nScrollPosY = attribute.as_int();
        else if (NameIs(pszName, "SelectionStartX"))
            record.nSelectionStartX = attribute.as_int();
        else if (NameIs(pszName, "SelectionStartY"))
            record.nSelectionStartY = attribute.as_int();
        else if (NameIs(pszName, "SelectionEndX"))
            record.nSelectionEndX = attribute.as_int();
        else if (NameIs(pszName, "SelectionEndY"))
            record.nSelectionEndY = attribute.as_int();
        break;
    case 'C':
        if (NameIs(pszName, "CursorPosX"))
            record.nCursorPosX = attribute.as_int();
        else if (NameIs(pszName, "CursorPosY"))
            record.nCursorPosY = attribute.as_int();
        break;
    case 'L':
        if (NameIs(pszName, "LastAccessTime"))
        {
            long long nTime = attribute.as_llong();
            record.nLastAccessTime = nTime < 0 ? 0 : nTime;
        }
        break;
    default:
        break;
    }
}

// A record read from a file: a missing position attribute reads as 0, a missing type as
// unknown, a missing time as 0.
SFileRecord ReadRecord(const pugi::xml_node& element)
{
    SFileRecord record;
    record.nType = FileRecordUnknown;
    record.nSelectionStartX = record.nSelectionStartY = 0;
    record.nSelectionEndX = record.nSelectionEndY = 0;
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute;
         attribute = attribute.next_attribute())
        ApplyAttribute(record, attribute);
    return record;
}

struct SSinkWriter : pugi::xml_writer
{
    explicit SSinkWriter(CFileContentSink& sink) : sink(sink) {}
    void write(const void* p, size_t n) override { sink.Write(p, n); }
    CFileContentSink& sink;
};
} // namespace

CFileRecordManager::CFileRecordManager(const char* pszRootName, const char* pszRecordName,
                                       const char* pszListName)
    : m_pszRootName(pszRootName), m_pszRecordName(pszRecordName), m_pszListName(pszListName)
{
}

CFileRecordManager::~CFileRecordManager() = default;

EFileRecordLoadResult CFileRecordManager::LoadFileRecords(const std::string& strPath)
{
    m_strLoadMessage.clear();
    m_strUnreadFile.clear();

    std::string data;
    if (!ReadWholeFile(strPath, data))
    {
        if (PathExists(strPath))
        {
            m_strLoadMessage =
                std::string("The ") + m_pszListName + " file \"" + strPath + "\" cannot be read.";
            return EFileRecordLoadResult::Unreadable;
        }
        return EFileRecordLoadResult::Missing;
    }
    if (data.empty())
        return EFileRecordLoadResult::Missing;

    auto refuse = [&](EFileRecordLoadResult result, const std::string& strWhy)
    {
        m_strUnreadFile = strPath;
        m_strLoadMessage = std::string("The ") + m_pszListName + " file \"" + strPath + "\" " +
                           strWhy + " Its content is kept as \"" + strPath +
                           ".bak\" when the list is next saved.";
        return result;
    };

    pugi::xml_document document;
    // Default options and encoding detection. Parsing in place in the buffer just read
    // keeps a single copy of a large file in memory.
    pugi::xml_parse_result parsed = document.load_buffer_inplace(data.data(), data.size());
    if (!parsed)
        return refuse(EFileRecordLoadResult::Unreadable, std::string("is not well-formed XML (") +
                                                             parsed.description() + " at offset " +
                                                             std::to_string(parsed.offset) + ").");

    pugi::xml_node root = document.child(m_pszRootName);
    if (!root)
        return refuse(EFileRecordLoadResult::WrongFormat,
                      std::string("has no element \"") + m_pszRootName + "\".");
    std::string version = root.attribute("Version").as_string();
    if (version != kVersion)
        return refuse(EFileRecordLoadResult::WrongFormat, "has the version \"" + version +
                                                              "\"; only \"" + kVersion +
                                                              "\" can be read.");

    for (pugi::xml_node element = root.child(m_pszRecordName); element;
         element = element.next_sibling(m_pszRecordName))
        m_records.push_back(std::make_unique<SFileRecord>(ReadRecord(element)));
    return EFileRecordLoadResult::Loaded;
}

int CFileRecordManager::SaveFileRecords(const std::string& strPath)
{
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = document.append_child(m_pszRootName);
    if (!root)
        return -1;
    root.append_attribute("Version") = kVersion;

    const size_t nCount = std::min(m_records.size(), static_cast<size_t>(m_nLimit));
    for (size_t i = 0; i < nCount; ++i)
    {
        const SFileRecord& record = *m_records[i];
        pugi::xml_node element = root.append_child(m_pszRecordName);
        element.append_attribute("FilePath") = record.strPath.c_str();
        if (record.nType == FileRecordText)
            element.append_attribute("FileType") = "Text";
        else if (record.nType == FileRecordBinary)
            element.append_attribute("FileType") = "Binary";
        element.append_attribute("ScrollPosX") = record.nScrollPosX;
        element.append_attribute("ScrollPosY") = record.nScrollPosY;
        element.append_attribute("CursorPosX") = record.nCursorPosX;
        element.append_attribute("CursorPosY") = record.nCursorPosY;
        element.append_attribute("SelectionStartX") = record.nSelectionStartX;
        element.append_attribute("SelectionStartY") = record.nSelectionStartY;
        element.append_attribute("SelectionEndX") = record.nSelectionEndX;
        element.append_attribute("SelectionEndY") = record.nSelectionEndY;
        element.append_attribute("LastAccessTime") = static_cast<long long>(record.nLastAccessTime);
    }

    std::string strError;
    // A file that could not be read at load time may be from a newer program or damaged;
    // keep its bytes before it is replaced.
    if (!m_strUnreadFile.empty() && PathsEqual(m_strUnreadFile, strPath))
    {
        std::string old;
        if (ReadWholeFile(strPath, old) && !old.empty() &&
            !WriteFileReplacing(strPath + ".bak", old, strError))
            return -1;
        m_strUnreadFile.clear();
    }
    auto produce = [&](CFileContentSink& sink)
    {
        SSinkWriter writer(sink);
        document.save(writer, "\t", pugi::format_default, pugi::encoding_utf8);
    };
    return WriteFileReplacing(strPath, produce, strError) ? 0 : -1;
}

int CFileRecordManager::AddFileRecord(const std::string& strPath, int nType, int nScrollPosX,
                                      int nScrollPosY, int nCursorPosX, int nCursorPosY,
                                      int nSelectionStartX, int nSelectionStartY,
                                      int nSelectionEndX, int nSelectionEndY)
{
    std::string path = Trim(strPath);
    // A name with a NUL byte names no file, and could not be written back whole.
    if (path.empty() || path.find('\0') != std::string::npos)
        return -1;

    std::vector<bool> same(m_records.size());
    for (size_t i = 0; i < m_records.size(); ++i)
        same[i] = !IsDifferentFileRecord(path, nType, *m_records[i], m_records[i]->nType);
    m_pAddingPath = &path;
    RemoveMarked(same);
    m_pAddingPath = nullptr;

    auto record = std::make_unique<SFileRecord>();
    record->strPath = std::move(path);
    record->nType = nType;
    record->nScrollPosX = nScrollPosX;
    record->nScrollPosY = nScrollPosY;
    record->nCursorPosX = nCursorPosX;
    record->nCursorPosY = nCursorPosY;
    record->nSelectionStartX = nSelectionStartX;
    record->nSelectionStartY = nSelectionStartY;
    record->nSelectionEndX = nSelectionEndX;
    record->nSelectionEndY = nSelectionEndY;
    record->nLastAccessTime = static_cast<int64_t>(std::time(nullptr));
    m_records.insert(m_records.begin(), std::move(record));
    if (m_pObserver)
        m_pObserver->OnFileRecordAdded(*m_records.front());

    if (m_records.size() > static_cast<size_t>(m_nLimit))
    {
        std::vector<bool> beyond(m_records.size(), false);
        std::fill(beyond.begin() + m_nLimit, beyond.end(), true);
        RemoveMarked(beyond);
    }
    return 0;
}

int CFileRecordManager::RemoveFileRecord(int nIndex)
{
    if (nIndex < 0 || nIndex >= GetCount())
        return -1;
    RemoveAt(static_cast<size_t>(nIndex));
    return 0;
}

int CFileRecordManager::RemoveFileRecords(std::vector<int> indices)
{
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    int nRemoved = 0;
    // From the last to the first, so that each index still names the record it named.
    for (auto it = indices.rbegin(); it != indices.rend(); ++it)
        if (RemoveFileRecord(*it) == 0)
            ++nRemoved;
    return nRemoved;
}

int CFileRecordManager::RemoveAllFileRecords()
{
    if (m_pObserver && !m_records.empty())
        m_pObserver->OnAllFileRecordsRemoving();
    std::vector<std::unique_ptr<SFileRecord>> records;
    records.swap(m_records);
    for (const auto& record : records)
        OnRecordRemoved(*record);
    return 0;
}

void CFileRecordManager::RemoveAt(size_t nIndex)
{
    if (m_pObserver)
        m_pObserver->OnFileRecordRemoving(*m_records[nIndex]);
    std::unique_ptr<SFileRecord> record = std::move(m_records[nIndex]);
    m_records.erase(m_records.begin() + static_cast<std::ptrdiff_t>(nIndex));
    OnRecordRemoved(*record);
}

void CFileRecordManager::RemoveMarked(const std::vector<bool>& marked)
{
    // In passes over the whole list rather than one erase per record, so that trimming a
    // long loaded list to its limit, or dropping many duplicates, stays linear. The page
    // hears of every record while the list is still whole.
    bool bAny = false;
    for (size_t i = 0; i < m_records.size(); ++i)
        if (marked[i])
        {
            bAny = true;
            if (m_pObserver)
                m_pObserver->OnFileRecordRemoving(*m_records[i]);
        }
    if (!bAny)
        return;
    std::vector<std::unique_ptr<SFileRecord>> removed;
    size_t nKept = 0;
    for (size_t i = 0; i < m_records.size(); ++i)
    {
        if (marked[i])
            removed.push_back(std::move(m_records[i]));
        else
            m_records[nKept++] = std::move(m_records[i]);
    }
    m_records.resize(nKept);
    for (const auto& record : removed)
        OnRecordRemoved(*record);
}

void CFileRecordManager::OnRecordRemoved(const SFileRecord&) {}

void CFileRecordManager::UpdateFileRecordMenu(SFileRecordMenuState& state)
{
    if (!m_bMenuTextKnown)
    {
        m_strMenuText = state.strCurrentText;
        m_bMenuTextKnown = true;
    }
    state.items.clear();
    if (m_records.empty())
    {
        state.items.push_back({state.nFirstCommandId, m_strMenuText, false});
        return;
    }
    // The caller handles only its range of command ids; an item beyond it would carry the
    // id of an unrelated command.
    size_t nCount = std::min(m_records.size(), static_cast<size_t>(m_nLimit));
    nCount = std::min(nCount, static_cast<size_t>(std::max(state.nMaxItems, 0)));
    for (size_t i = 0; i < nCount; ++i)
    {
        const std::string& path = m_records[i]->strPath;
        state.items.push_back({state.nFirstCommandId + static_cast<int>(i),
                               m_bShowFullPath ? path : NameOfPath(path), true});
    }
}

bool CFileRecordManager::IsDifferentFileRecord(const std::string& strPath, int nType,
                                               const SFileRecord& record, int nRecordType) const
{
    return !PathsEqual(strPath, record.strPath) || nType != nRecordType;
}

int CFileRecordManager::FindRecord(const SFileRecord* pRecord) const
{
    for (size_t i = 0; i < m_records.size(); ++i)
        if (m_records[i].get() == pRecord)
            return static_cast<int>(i);
    return -1;
}

CFavoritesManager::CFavoritesManager() : CFileRecordManager("Favorites", "Favorite", "favorites") {}

bool CFavoritesManager::IsFavorite(const std::string& strPath) const
{
    return std::any_of(m_records.begin(), m_records.end(),
                       [&](const auto& record) { return PathsEqual(record->strPath, strPath); });
}

void CFavoritesManager::OnRecordRemoved(const SFileRecord& record)
{
    // A record replaced by a newer one of the same file keeps the file a favorite.
    if (m_pAddingPath && PathsEqual(*m_pAddingPath, record.strPath))
        return;
    if (m_pMarkObserver && !IsFavorite(record.strPath))
        m_pMarkObserver->OnFavoriteMarkCleared(record.strPath);
}

CHistoryManager::CHistoryManager() : CFileRecordManager("Records", "Record", "history") {}

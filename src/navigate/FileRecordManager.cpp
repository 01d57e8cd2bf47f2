#include "navigate/FileRecordManager.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <iterator>
#include <optional>
#include <pugixml.hpp>

#include "navigate/ReplaceFile.h"
#include "platform/AsciiCase.h"
#include "platform/File.h"
#include "platform/Folders.h"
#include "platform/LargeBlock.h"

// The head of a block of records made by one load; the records follow it. A multiple of
// the huge-page size, so that the system can back a slab with whole huge pages.
struct SRecordSlab
{
    static constexpr size_t kBytes = size_t(4) << 20;
    // Records of the slab not yet freed.
    size_t nLive;
};

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

bool NameIs(const char* pszName, const char* pszWanted)
{
    return std::char_traits<char>::compare(pszName, pszWanted,
                                           std::char_traits<char>::length(pszWanted) + 1) == 0;
}

// Reads the common form of a number, an optional minus and at most nMaxDigits decimal
// digits and nothing else, straight from the text; the XML library reads it to the same
// value. Returns false for any other text, which is left to the library.
template <class T> bool ReadPlainDecimal(const char* psz, int nMaxDigits, T& nValue)
{
    const bool bNegative = *psz == '-';
    if (bNegative)
        ++psz;
    T n = 0;
    int nDigits = 0;
    for (; *psz >= '0' && *psz <= '9'; ++psz)
    {
        if (++nDigits > nMaxDigits)
            return false;
        n = n * 10 + (*psz - '0');
    }
    if (*psz != '\0' || nDigits == 0)
        return false;
    nValue = bNegative ? -n : n;
    return true;
}

int ReadInt(const pugi::xml_attribute& attribute)
{
    int nValue = 0;
    return ReadPlainDecimal(attribute.value(), 9, nValue) ? nValue : attribute.as_int();
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
            record.nScrollPosX = ReadInt(attribute);
        else if (NameIs(pszName, "ScrollPosY"))
            record.nScrollPosY = ReadInt(attribute);
        else if (NameIs(pszName, "SelectionStartX"))
            record.nSelectionStartX = ReadInt(attribute);
        else if (NameIs(pszName, "SelectionStartY"))
            record.nSelectionStartY = ReadInt(attribute);
        else if (NameIs(pszName, "SelectionEndX"))
            record.nSelectionEndX = ReadInt(attribute);
        else if (NameIs(pszName, "SelectionEndY"))
            record.nSelectionEndY = ReadInt(attribute);
        break;
    case 'C':
        if (NameIs(pszName, "CursorPosX"))
            record.nCursorPosX = ReadInt(attribute);
        else if (NameIs(pszName, "CursorPosY"))
            record.nCursorPosY = ReadInt(attribute);
        break;
    case 'L':
        if (NameIs(pszName, "LastAccessTime"))
        {
            long long nTime = 0;
            if (!ReadPlainDecimal(attribute.value(), 18, nTime))
                nTime = attribute.as_llong();
            record.nLastAccessTime = nTime < 0 ? 0 : nTime;
        }
        break;
    default:
        break;
    }
}

// Fills a new record from its element: a missing position attribute reads as 0, a missing
// type as unknown, a missing time as 0.
void ReadRecord(const pugi::xml_node& element, SFileRecord& record)
{
    record.nType = FileRecordUnknown;
    record.nSelectionStartX = record.nSelectionStartY = 0;
    record.nSelectionEndX = record.nSelectionEndY = 0;
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute;
         attribute = attribute.next_attribute())
        ApplyAttribute(record, attribute);
}

// Files from this size on are read into a large block and parsed with the document's
// memory taken from a CDocumentArena. The document of a list file takes about three times
// the file's size, and at a few hundred megabytes the first touch of that memory in small
// pages costs several times the parsing itself; small files keep the ordinary heap.
constexpr size_t kLargeFileSize = size_t(4) << 20;

// Memory for the one document of a large load, taken from the system in large blocks
// (offered huge pages) and given back all at once when the arena goes, after the
// document. Blocks of a quarter chunk or more get a block of their own, which is given
// back as soon as it is freed (the buffer a conversion from UTF-16 replaces); smaller
// pieces are carved from chunks and a free of one is a no-op.
class CDocumentArena
{
public:
    explicit CDocumentArena(size_t nChunkSize) : m_nChunkSize(nChunkSize) {}
    ~CDocumentArena()
    {
        for (const SBlock& block : m_blocks)
            FreeLargeBlock(block.p, block.n);
    }
    CDocumentArena(const CDocumentArena&) = delete;
    CDocumentArena& operator=(const CDocumentArena&) = delete;

    // Null when the system has no room; the parser then reports that it ran out of memory.
    void* Allocate(size_t nSize)
    {
        constexpr size_t kAlign = alignof(std::max_align_t);
        nSize = (nSize + kAlign - 1) & ~(kAlign - 1);
        if (nSize >= m_nChunkSize / 4)
            return Take(nSize, true);
        if (static_cast<size_t>(m_pEnd - m_pNext) < nSize)
        {
            m_pNext = static_cast<char*>(Take(m_nChunkSize, false));
            m_pEnd = m_pNext ? m_pNext + m_nChunkSize : nullptr;
            if (!m_pNext)
                return nullptr;
        }
        void* p = m_pNext;
        m_pNext += nSize;
        return p;
    }
    void Deallocate(void* p)
    {
        for (size_t i = 0; i < m_blocks.size(); ++i)
            if (m_blocks[i].p == p && m_blocks[i].bSingle)
            {
                FreeLargeBlock(m_blocks[i].p, m_blocks[i].n);
                m_blocks.erase(m_blocks.begin() + static_cast<std::ptrdiff_t>(i));
                return;
            }
    }

private:
    struct SBlock
    {
        void* p;
        size_t n;
        bool bSingle;
    };
    void* Take(size_t nSize, bool bSingle)
    {
        void* p = AllocateLargeBlock(nSize);
        if (!p)
            return nullptr;
        try
        {
            m_blocks.push_back({p, nSize, bSingle});
        }
        catch (...)
        {
            FreeLargeBlock(p, nSize);
            return nullptr;
        }
        return p;
    }

    size_t m_nChunkSize;
    std::vector<SBlock> m_blocks;
    char* m_pNext = nullptr;
    char* m_pEnd = nullptr;
};

// While alive, every allocation of the XML library comes from the arena. The library's
// memory functions are global, so the scope must hold only documents that end before it
// does; the program's XML is used on the user-interface thread alone.
class CArenaScope
{
public:
    explicit CArenaScope(CDocumentArena& arena)
        : m_pOldAllocate(pugi::get_memory_allocation_function()),
          m_pOldDeallocate(pugi::get_memory_deallocation_function()), m_pOldArena(s_pArena)
    {
        s_pArena = &arena;
        pugi::set_memory_management_functions(&Allocate, &Deallocate);
    }
    ~CArenaScope()
    {
        pugi::set_memory_management_functions(m_pOldAllocate, m_pOldDeallocate);
        s_pArena = m_pOldArena;
    }
    CArenaScope(const CArenaScope&) = delete;
    CArenaScope& operator=(const CArenaScope&) = delete;

private:
    static void* Allocate(size_t nSize) { return s_pArena->Allocate(nSize); }
    static void Deallocate(void* p) { s_pArena->Deallocate(p); }

    static inline CDocumentArena* s_pArena = nullptr;
    pugi::allocation_function m_pOldAllocate;
    pugi::deallocation_function m_pOldDeallocate;
    CDocumentArena* m_pOldArena;
};

// The bytes of a file read whole: a large file goes to one large block read straight
// from the file, a small one to a string.
class CFileBytes
{
public:
    CFileBytes() = default;
    ~CFileBytes() { FreeLargeBlock(m_pBlock, m_nBlockSize); }
    CFileBytes(const CFileBytes&) = delete;
    CFileBytes& operator=(const CFileBytes&) = delete;

    // False when the file cannot be opened or read.
    bool Read(const std::string& strPath)
    {
        CPlatformFile file;
        if (!file.Open(strPath, CPlatformFile::OpenRead | CPlatformFile::OpenRegularOnly))
            return false;
        const int64_t nSize = file.GetSize();
        if (nSize < 0)
            return false;
        if (static_cast<uint64_t>(nSize) < kLargeFileSize)
        {
            file.Close();
            return ReadWholeFile(strPath, m_small);
        }
        return ReadLarge(file, static_cast<size_t>(nSize));
    }
    char* Data() { return m_pBlock ? m_pBlock : m_small.data(); }
    size_t Size() const { return m_pBlock ? m_nSize : m_small.size(); }
    bool IsLarge() const { return m_pBlock != nullptr; }

private:
    bool ReadLarge(CPlatformFile& file, size_t nExpected)
    {
        // One byte more than the size, so that a file that grew meanwhile is noticed and
        // read on to its end.
        if (!Grow(nExpected + 1))
            return false;
        for (;;)
        {
            if (m_nSize == m_nBlockSize && !Grow(m_nBlockSize * 2))
                return false;
            const size_t nWanted = m_nBlockSize - m_nSize;
            const int64_t n = file.Read(m_pBlock + m_nSize, nWanted);
            if (n < 0)
                return false;
            m_nSize += static_cast<size_t>(n);
            if (static_cast<size_t>(n) < nWanted)
                return true; // the end of the file
        }
    }
    bool Grow(size_t nBlockSize)
    {
        char* pBlock = static_cast<char*>(AllocateLargeBlock(nBlockSize));
        if (!pBlock)
            return false;
        if (m_nSize)
            std::memcpy(pBlock, m_pBlock, m_nSize);
        FreeLargeBlock(m_pBlock, m_nBlockSize);
        m_pBlock = pBlock;
        m_nBlockSize = nBlockSize;
        return true;
    }

    std::string m_small;
    char* m_pBlock = nullptr;
    size_t m_nBlockSize = 0;
    size_t m_nSize = 0;
};

// Places the records of a large load side by side in slabs of huge-page size, so that a
// million records take a few hundred page faults instead of tens of thousands and one
// allocation per slab instead of one per record. A slab is given back when its last
// record is freed, so records that stay after the rest are trimmed keep only their slab.
class CRecordSlabMaker
{
public:
    // A new record; made alone when no slab can be had.
    FileRecordPtr Make()
    {
        if (m_nUsed == m_nCapacity && !NewSlab())
            return FileRecordPtr(new SFileRecord);
        SFileRecord* pRecord = new (Slot(m_nUsed++)) SFileRecord;
        ++m_pSlab->nLive;
        return FileRecordPtr(pRecord, SFileRecordDeleter{m_pSlab});
    }

private:
    static constexpr size_t kHeader = (sizeof(SRecordSlab) + alignof(SFileRecord) - 1) /
                                      alignof(SFileRecord) * alignof(SFileRecord);

    bool NewSlab()
    {
        void* pBlock = AllocateLargeBlock(SRecordSlab::kBytes);
        if (!pBlock)
            return false;
        m_pSlab = new (pBlock) SRecordSlab{0};
        m_nUsed = 0;
        m_nCapacity = (SRecordSlab::kBytes - kHeader) / sizeof(SFileRecord);
        return true;
    }
    void* Slot(size_t nIndex) const
    {
        return reinterpret_cast<char*>(m_pSlab) + kHeader + nIndex * sizeof(SFileRecord);
    }

    SRecordSlab* m_pSlab = nullptr;
    size_t m_nUsed = 0;
    size_t m_nCapacity = 0;
};

// The declaration and the root element of a list file.
void AppendFrame(pugi::xml_document& document, const char* pszRootName)
{
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    document.append_child(pszRootName).append_attribute("Version") = kVersion;
}

// What the XML writer puts before the root element.
const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

// Lays out one record element at a time exactly as saving a document holding all of them
// would: the same element with the same attributes, printed by the XML library itself at
// the depth of the root's children. A long list is thus written without a second copy of
// it in memory, and the escaping of paths stays the library's own.
class CRecordPrinter
{
public:
    explicit CRecordPrinter(const char* pszRecordName) : m_pszRecordName(pszRecordName) { Build(); }

    void Print(const SFileRecord& record, pugi::xml_writer& writer)
    {
        // Values replaced one after another leave unused space in the library's pages;
        // starting afresh now and then keeps the scratch document small.
        if (++m_nPrinted % 4096 == 0)
            Build();
        const bool bTyped = record.nType == FileRecordText || record.nType == FileRecordBinary;
        SElement& element = bTyped ? m_typed : m_untyped;
        pugi::xml_attribute* pValue = element.attributes;
        (pValue++)->set_value(record.strPath.c_str());
        if (bTyped)
            (pValue++)->set_value(record.nType == FileRecordText ? "Text" : "Binary");
        for (int nValue : {record.nScrollPosX, record.nScrollPosY, record.nCursorPosX,
                           record.nCursorPosY, record.nSelectionStartX, record.nSelectionStartY,
                           record.nSelectionEndX, record.nSelectionEndY})
            (pValue++)->set_value(nValue);
        pValue->set_value(static_cast<long long>(record.nLastAccessTime));
        element.node.print(writer, "\t", pugi::format_default, pugi::encoding_utf8, 1);
    }

private:
    struct SElement
    {
        pugi::xml_node node;
        pugi::xml_attribute attributes[11];
    };

    void Build()
    {
        m_document.reset();
        Build(m_typed, true);
        Build(m_untyped, false);
    }
    void Build(SElement& element, bool bTyped)
    {
        // In the order of the file; "FileType" is left out of the untyped element.
        static const char* const kNames[] = {"FilePath",        "FileType",        "ScrollPosX",
                                             "ScrollPosY",      "CursorPosX",      "CursorPosY",
                                             "SelectionStartX", "SelectionStartY", "SelectionEndX",
                                             "SelectionEndY",   "LastAccessTime"};
        element.node = m_document.append_child(m_pszRecordName);
        size_t nAttribute = 0;
        for (size_t i = 0; i < std::size(kNames); ++i)
            if (bTyped || i != 1)
                element.attributes[nAttribute++] = element.node.append_attribute(kNames[i]);
    }

    const char* m_pszRecordName;
    pugi::xml_document m_document;
    SElement m_typed;
    SElement m_untyped;
    size_t m_nPrinted = 0;
};

struct SSinkWriter : pugi::xml_writer
{
    explicit SSinkWriter(CFileContentSink& sink) : sink(sink) {}
    void write(const void* p, size_t n) override { sink.Write(p, n); }
    CFileContentSink& sink;
};
} // namespace

void SFileRecordDeleter::operator()(SFileRecord* pRecord) const
{
    if (!pSlab)
    {
        delete pRecord;
        return;
    }
    pRecord->~SFileRecord();
    if (--pSlab->nLive == 0)
    {
        pSlab->~SRecordSlab();
        FreeLargeBlock(pSlab, SRecordSlab::kBytes);
    }
}

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

    CFileBytes data;
    if (!data.Read(strPath))
    {
        if (PathExists(strPath))
        {
            m_strLoadMessage =
                std::string("The ") + m_pszListName + " file \"" + strPath + "\" cannot be read.";
            return EFileRecordLoadResult::Unreadable;
        }
        return EFileRecordLoadResult::Missing;
    }
    if (data.Size() == 0)
        return EFileRecordLoadResult::Missing;

    auto refuse = [&](EFileRecordLoadResult result, const std::string& strWhy)
    {
        m_strUnreadFile = strPath;
        m_strLoadMessage = std::string("The ") + m_pszListName + " file \"" + strPath + "\" " +
                           strWhy + " Its content is kept as \"" + strPath +
                           ".bak\" when the list is next saved.";
        return result;
    };

    // Declared before the document, so that the document ends first.
    std::optional<CDocumentArena> arena;
    std::optional<CArenaScope> arenaScope;
    if (data.IsLarge())
    {
        arena.emplace(std::clamp(data.Size() / 2, kLargeFileSize, size_t(64) << 20));
        arenaScope.emplace(*arena);
    }
    pugi::xml_document document;
    // Default options and encoding detection. Parsing in place in the buffer just read
    // keeps a single copy of a large file in memory.
    pugi::xml_parse_result parsed = document.load_buffer_inplace(data.Data(), data.Size());
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

    CRecordSlabMaker slabs;
    for (pugi::xml_node element = root.child(m_pszRecordName); element;
         element = element.next_sibling(m_pszRecordName))
    {
        FileRecordPtr record = data.IsLarge() ? slabs.Make() : FileRecordPtr(new SFileRecord);
        ReadRecord(element, *record);
        m_records.push_back(std::move(record));
    }
    return EFileRecordLoadResult::Loaded;
}

int CFileRecordManager::SaveFileRecords(const std::string& strPath)
{
    const size_t nCount = std::min(m_records.size(), static_cast<size_t>(m_nLimit));
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
        if (nCount == 0)
        {
            // The root alone, as "<Records Version=\"2.0.0\" />".
            pugi::xml_document document;
            AppendFrame(document, m_pszRootName);
            document.save(writer, "\t", pugi::format_default, pugi::encoding_utf8);
            return;
        }
        const std::string strOpen =
            std::string(kDeclaration) + "<" + m_pszRootName + " Version=\"" + kVersion + "\">\n";
        const std::string strClose = std::string("</") + m_pszRootName + ">\n";
        sink.Write(strOpen.data(), strOpen.size());
        CRecordPrinter printer(m_pszRecordName);
        for (size_t i = 0; i < nCount; ++i)
            printer.Print(*m_records[i], writer);
        sink.Write(strClose.data(), strClose.size());
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

    FileRecordPtr record(new SFileRecord);
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
    FileRecordArray records;
    records.swap(m_records);
    for (const auto& record : records)
        OnRecordRemoved(*record);
    return 0;
}

void CFileRecordManager::RemoveAt(size_t nIndex)
{
    if (m_pObserver)
        m_pObserver->OnFileRecordRemoving(*m_records[nIndex]);
    FileRecordPtr record = std::move(m_records[nIndex]);
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
    FileRecordArray removed;
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

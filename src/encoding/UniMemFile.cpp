#include "encoding/UniMemFile.h"

#include "encoding/TextConvert.h"
#include "platform/CodePageConv.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace
{
// Sized so that a window stays in the processor's caches while its lines are copied out;
// a longer line makes the window grow.
constexpr size_t WindowBytes = 512 * 1024;
constexpr int64_t MaxFileSize = int64_t(1) << 31;

// The first CR, LF or zero byte in [p, end), or nullptr.
const char* FindBreakOrZero(const char* p, const char* end)
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    while (end - p >= 16)
    {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)),
                                    _mm_cmpeq_epi8(v, zero));
        int mask = _mm_movemask_epi8(hits);
        if (mask)
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    for (; p < end; ++p)
        if (*p == '\r' || *p == '\n' || *p == '\0')
            return p;
    return nullptr;
}

// Bit i is set when p[i] is CR, LF or zero, for the 64 bytes from p.
inline uint64_t BreakMask64(const char* p)
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    uint64_t mask = 0;
    for (int i = 0; i < 4; ++i)
    {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)),
                                    _mm_cmpeq_epi8(v, zero));
        mask |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(hits))) << (16 * i);
    }
    return mask;
#else
    uint64_t mask = 0;
    for (int i = 0; i < 64; ++i)
        if (p[i] == '\r' || p[i] == '\n' || p[i] == '\0')
            mask |= uint64_t(1) << i;
    return mask;
#endif
}

// The first UTF-16 unit CR, LF or zero in the whole units of [p, end), or nullptr. The units
// are in little-endian order when bLittleEndian, else big-endian.
const char* FindUnitBreakOrZero(const char* p, const char* end, bool bLittleEndian)
{
#if defined(__SSE2__)
    // Loaded as little-endian 16-bit lanes, big-endian units appear byte-swapped.
    const __m128i cr = _mm_set1_epi16(bLittleEndian ? 0x000D : 0x0D00);
    const __m128i lf = _mm_set1_epi16(bLittleEndian ? 0x000A : 0x0A00);
    const __m128i zero = _mm_setzero_si128();
    while (end - p >= 16)
    {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, cr), _mm_cmpeq_epi16(v, lf)),
                                    _mm_cmpeq_epi16(v, zero));
        int mask = _mm_movemask_epi8(hits);
        if (mask)
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    for (; end - p >= 2; p += 2)
    {
        char16_t u = bLittleEndian ? static_cast<char16_t>(static_cast<unsigned char>(p[0]) |
                                                           (static_cast<unsigned char>(p[1]) << 8))
                                   : static_cast<char16_t>((static_cast<unsigned char>(p[0]) << 8) |
                                                           static_cast<unsigned char>(p[1]));
        if (u == u'\r' || u == u'\n' || u == 0)
            return p;
    }
    return nullptr;
}

char16_t UnitAt(const char* p, bool bLittleEndian)
{
    auto b0 = static_cast<unsigned char>(p[0]), b1 = static_cast<unsigned char>(p[1]);
    return static_cast<char16_t>(bLittleEndian ? (b0 | (b1 << 8)) : ((b0 << 8) | b1));
}
} // namespace

UniMemFile::~UniMemFile()
{
    Close();
}

bool UniMemFile::OpenRead(const std::string& path)
{
    if (DoOpen(path, false))
        return true;
    Close();
    return false;
}

bool UniMemFile::OpenWrite(const std::string& path)
{
    if (DoOpen(path, true))
        return true;
    Close();
    return false;
}

bool UniMemFile::DoOpen(const std::string& path, bool bWrite)
{
    Close();
    m_lastError.Clear();
    m_strFullPath = path;
    m_strFileName = path;
    // Regular files only, opened without blocking, so that naming a FIFO cannot hang the
    // program.
    if (!m_file.Open(path, (bWrite ? CPlatformFile::OpenReadWrite : CPlatformFile::OpenRead) |
                               CPlatformFile::OpenRegularOnly))
    {
        if (m_file.GetErrorText() == CPlatformFile::kNotRegularText)
            SetCustomError(CPlatformFile::kNotRegularText);
        else
            SetSystemError("CreateFile", m_file.GetErrorNumber());
        return false;
    }
    m_nLineNumber = 0;
    if (!FetchOpenStatus())
        return false;
    m_nLineNumber = -1;
    if (m_nFileSize >= MaxFileSize)
    {
        SetCustomError("UniMemFile cannot handle files over 2 gigabytes");
        return false;
    }
    m_nLineNumber = 0;
    if (m_nFileSize > 0)
        m_file.AdviseSequential();
    return true;
}

bool UniMemFile::FetchOpenStatus()
{
    return IsOpen() && m_file.IsOpen() && FetchStatus(m_file);
}

void UniMemFile::Close()
{
    m_file.Close();
    m_window.reset();
    m_nCapacity = m_nFill = m_nPos = 0;
    m_nWindowOffset = m_nTextStart = 0;
    m_bReadFailed = false;
    m_wide.clear();
    ResetCommonState();
    m_strFullPath.clear();
    m_strFileName.clear();
    SetEncoding(EncodingNone);
    m_nCodePage = m_nDefaultCodePage;
}

bool UniMemFile::ReadMore()
{
    int64_t readOffset = m_nWindowOffset + static_cast<int64_t>(m_nFill);
    if (m_bReadFailed || !m_file.IsOpen() || readOffset >= m_nFileSize)
        return false;
    if (m_nPos > 0)
    {
        std::memmove(m_window.get(), m_window.get() + m_nPos, m_nFill - m_nPos);
        m_nWindowOffset += static_cast<int64_t>(m_nPos);
        m_nFill -= m_nPos;
        m_nPos = 0;
    }
    if (m_nFill == m_nCapacity)
    {
        size_t capacity = m_nCapacity ? m_nCapacity * 2 : WindowBytes;
        capacity = static_cast<size_t>(
            std::min<int64_t>(static_cast<int64_t>(capacity), m_nFileSize - m_nWindowOffset));
        std::unique_ptr<char[]> window(new char[capacity]);
        if (m_nFill)
            std::memcpy(window.get(), m_window.get(), m_nFill);
        m_window = std::move(window);
        m_nCapacity = capacity;
    }
    size_t want = static_cast<size_t>(
        std::min<int64_t>(static_cast<int64_t>(m_nCapacity - m_nFill), m_nFileSize - readOffset));
    const int64_t got = m_file.ReadAt(m_window.get() + m_nFill, want, readOffset);
    if (got < 0)
    {
        m_bReadFailed = true;
        SetSystemError("ReadFile", m_file.GetErrorNumber());
        return false;
    }
    if (got == 0)
    {
        m_bReadFailed = true;
        SetCustomError("The file became shorter while it was being read");
        return false;
    }
    m_nFill += static_cast<size_t>(got);
    return true;
}

bool UniMemFile::Ensure(size_t count)
{
    while (Available() < count)
        if (!ReadMore())
            return false;
    return true;
}

void UniMemFile::SeekTo(int64_t offset)
{
    if (offset >= m_nWindowOffset && offset <= m_nWindowOffset + static_cast<int64_t>(m_nFill))
    {
        m_nPos = static_cast<size_t>(offset - m_nWindowOffset);
        return;
    }
    m_nWindowOffset = offset;
    m_nFill = m_nPos = 0;
}

bool UniMemFile::ReadBom()
{
    if (!IsOpen())
        return false;
    SeekTo(0);
    m_nTextStart = 0;
    Ensure(3);
    int nEncoding = m_nEncoding;
    int nMark = DetectByteOrderMark(reinterpret_cast<const unsigned char*>(m_window.get()),
                                    Available(), &nEncoding);
    SetEncoding(nEncoding);
    m_nTextStart = nMark;
    m_nPos += static_cast<size_t>(nMark);
    m_bBomRead = true;
    return nMark > 0;
}

void UniMemFile::RecordZero(size_t indexFromPos)
{
    auto offset = static_cast<int32_t>(m_nWindowOffset +
                                       static_cast<int64_t>(m_nPos + indexFromPos) - m_nTextStart);
    if (m_stats.nZeroCount++ == 0)
        m_stats.nFirstZero = offset;
    m_stats.nLastZero = offset;
}

void UniMemFile::CountEnding(char first, size_t length)
{
    if (length == 0)
        return;
    if (length == 2)
        ++m_stats.nCrLfCount;
    else if (first == '\r')
        ++m_stats.nCrCount;
    else
        ++m_stats.nLfCount;
    ++m_nLineNumber;
}

bool UniMemFile::ReadLine(std::string& text)
{
    std::string ending;
    return ReadLine(text, ending);
}

bool UniMemFile::ReadLine(std::string& text, std::string& ending)
{
    text.clear();
    ending.clear();
    if (!IsOpen())
        return false;
    if (m_nEncoding == EncodingNone)
    {
        if (AreCodePagesEquivalent(m_nCodePage, m_nDefaultCodePage))
            return ReadLineDirect(text, ending);
        return ReadLineCodePage(text, ending);
    }
    return ReadLineUnicode(text, ending);
}

bool UniMemFile::ScanLineDirect(size_t& start, size_t& length, size_t& eolLength)
{
    eolLength = 0;
    if (Available() == 0 && !ReadMore())
        return false;
    size_t scanned = 0, index;
    for (;;)
    {
        const char* p = m_window.get() + m_nPos;
        const char* hit = FindBreakOrZero(p + scanned, p + Available());
        if (hit)
        {
            index = static_cast<size_t>(hit - p);
            break;
        }
        scanned = Available();
        if (!ReadMore())
        {
            index = Available();
            break;
        }
    }
    if (index == Available())
    {
        start = m_nPos;
        length = index;
        m_nPos += index;
        return true;
    }
    const char c = m_window[m_nPos + index];
    if (c == '\0')
    {
        RecordZero(index);
        start = m_nPos;
        length = index;
        m_nPos += index + 1;
        return true;
    }
    // Looking past a CR may move the window, so the start is taken afterwards.
    eolLength = c == '\r' && Ensure(index + 2) && m_window[m_nPos + index + 1] == '\n' ? 2 : 1;
    CountEnding(c, eolLength);
    start = m_nPos;
    length = index;
    m_nPos += index + eolLength;
    return true;
}

bool UniMemFile::ReadLineDirect(std::string& text, std::string& ending)
{
    size_t start = 0, length = 0, eolLength = 0;
    if (!ScanLineDirect(start, length, eolLength))
        return false;
    const char* p = m_window.get() + start;
    text.assign(p, length);
    ending.assign(p + length, eolLength);
    return true;
}

size_t UniMemFile::ScanWindowLines(SLineView* lines, size_t count)
{
    const char* window = m_window.get();
    const char* end = window + m_nFill;
    const char* p = window + m_nPos; // start of the next line
    size_t n = 0;
    bool bStop = false;
    // Takes the line that ends at the break `hit`; false when it must be left to the
    // single-line read: a zero byte, or a CR as the last byte, which may be the first half
    // of a CR LF.
    auto take = [&](const char* hit)
    {
        if (*hit == '\0' || (*hit == '\r' && hit + 1 == end))
            return false;
        size_t eolLength = 1;
        if (*hit == '\r')
        {
            eolLength = hit[1] == '\n' ? 2 : 1;
            if (eolLength == 2)
                ++m_stats.nCrLfCount;
            else
                ++m_stats.nCrCount;
        }
        else
        {
            ++m_stats.nLfCount;
        }
        SLineView& line = lines[n++];
        line.pText = p;
        line.nLength = static_cast<size_t>(hit - p);
        line.nEolLength = eolLength;
        line.bMore = true;
        p = hit + eolLength;
        return true;
    };
    // The breaks of 64 bytes at a time, taken bit by bit: no call and no search per line.
    for (const char* block = p; !bStop && n < count && end - block >= 64; block += 64)
    {
        for (uint64_t mask = BreakMask64(block); mask != 0 && n < count; mask &= mask - 1)
        {
            const char* hit = block + __builtin_ctzll(mask);
            if (hit < p)
                continue; // the LF of a CR LF already taken
            if (!take(hit))
            {
                bStop = true;
                break;
            }
        }
    }
    while (!bStop && n < count)
    {
        const char* hit = FindBreakOrZero(p, end);
        if (hit == nullptr || !take(hit))
            break;
    }
    m_nLineNumber += static_cast<int>(n);
    m_nPos = static_cast<size_t>(p - window);
    return n;
}

size_t UniMemFile::ReadLineViews(SLineView* lines, size_t count)
{
    if (count == 0)
        return 0;
    if (IsOpen() && m_nEncoding == EncodingNone && m_window &&
        AreCodePagesEquivalent(m_nCodePage, m_nDefaultCodePage))
    {
        if (const size_t n = ScanWindowLines(lines, count))
            return n;
    }
    lines[0].bMore = ReadLineView(lines[0]);
    return 1;
}

bool UniMemFile::ReadLineView(SLineView& line)
{
    line = SLineView();
    if (IsOpen() && m_nEncoding == EncodingNone &&
        AreCodePagesEquivalent(m_nCodePage, m_nDefaultCodePage))
    {
        size_t start = 0;
        const bool bMore = ScanLineDirect(start, line.nLength, line.nEolLength);
        if (bMore)
            line.pText = m_window.get() + start;
        return bMore;
    }
    const bool bMore = ReadLine(m_viewText, m_viewEnding);
    line.nLength = m_viewText.size();
    line.nEolLength = m_viewEnding.size();
    m_viewText += m_viewEnding;
    line.pText = m_viewText.c_str();
    return bMore;
}

bool UniMemFile::ComesBackAs(const std::string& text, const char* bytes, size_t count)
{
    // Converted exactly as a save converts the line.
    int nLost = 0;
    return ConvertText(EncodingNone, m_nDefaultCodePage, text.data(), text.size(), m_nEncoding,
                       m_nCodePage, m_roundTrip, &nLost) &&
           nLost == 0 && m_roundTrip.size() == count &&
           std::memcmp(m_roundTrip.data(), bytes, count) == 0;
}

bool UniMemFile::ReadLineCodePage(std::string& text, std::string& ending)
{
    if (Available() == 0 && !ReadMore())
        return false;
    size_t scanned = 0, index;
    bool bBreak = false;
    for (;;)
    {
        const char* p = m_window.get() + m_nPos;
        const char* hit = FindBreakOrZero(p + scanned, p + Available());
        if (hit && *hit == '\0')
        {
            // Counted, and kept in the line.
            scanned = static_cast<size_t>(hit - p) + 1;
            RecordZero(scanned - 1);
            continue;
        }
        if (hit)
        {
            index = static_cast<size_t>(hit - p);
            bBreak = true;
            break;
        }
        scanned = Available();
        if (!ReadMore())
        {
            index = Available();
            break;
        }
    }
    const char* p = m_window.get() + m_nPos;
    const int nLost = AppendConvertedCodePage(p, index, m_nCodePage, m_nDefaultCodePage, text);
    m_stats.nLostCount += nLost;
    if (nLost == 0 && (HasOneWayMappings(m_nCodePage) || HasOneWayMappings(m_nDefaultCodePage)) &&
        !ComesBackAs(text, p, index))
        ++m_stats.nLostCount;
    if (!bBreak)
    {
        m_nPos += index;
        return false;
    }
    size_t endingLength = 1;
    char c = p[index];
    if (c == '\r' && Ensure(index + 2) && m_window[m_nPos + index + 1] == '\n')
        endingLength = 2;
    ending = endingLength == 2 ? "\r\n" : (c == '\r' ? "\r" : "\n");
    CountEnding(c, endingLength);
    m_nPos += index + endingLength;
    return true;
}

bool UniMemFile::ReadLineUnicode(std::string& text, std::string& ending)
{
    const size_t unit = static_cast<size_t>(m_nCharSize);
    if (!Ensure(unit))
    {
        if (Available() > 0)
        {
            // A byte that cannot form a character: lost, and consumed so it counts once.
            ++m_stats.nLostCount;
            m_nPos += Available();
        }
        return false;
    }
    const bool bUtf16 = m_nEncoding != EncodingUtf8;
    const bool bLittle = m_nEncoding == EncodingUcs2Le;
    size_t scanned = 0, index;
    for (;;)
    {
        const char* p = m_window.get() + m_nPos;
        size_t avail = Available();
        const char* hit = nullptr;
        if (!bUtf16)
            hit = FindBreakOrZero(p + scanned, p + avail);
        else
            hit = FindUnitBreakOrZero(p + scanned, p + avail, bLittle);
        if (hit)
        {
            index = static_cast<size_t>(hit - p);
            break;
        }
        scanned = bUtf16 ? avail & ~size_t(1) : avail;
        if (!ReadMore())
        {
            index = Available();
            break;
        }
    }
    const char* p = m_window.get() + m_nPos;
    m_wide.clear();
    int nLost = 0;
    int nSource = bUtf16 ? (bLittle ? 1200 : 1201) : 65001;
    // An odd byte at the end of UTF-16 data is no character: it is lost, not shown.
    size_t decodeBytes = bUtf16 ? index & ~size_t(1) : index;
    if (decodeBytes != index)
        ++nLost;
    AppendCodePageToUtf16(nSource, p, decodeBytes, m_wide, &nLost);
    text.reserve(std::max<size_t>(1024, m_wide.size()));
    if (!AppendUtf16ToCodePage(m_nDefaultCodePage, m_wide.data(), m_wide.size(), text, &nLost))
    {
        text.assign(m_wide.size(), '?');
        nLost += static_cast<int>(m_wide.size());
    }
    m_stats.nLostCount += nLost;
    if (nLost == 0 && HasOneWayMappings(m_nDefaultCodePage) && !ComesBackAs(text, p, decodeBytes))
        ++m_stats.nLostCount;
    if (index + (bUtf16 ? 1 : 0) >= Available())
    {
        // The end of the data.
        m_nPos += Available();
        return true;
    }
    char16_t c = bUtf16 ? UnitAt(p + index, bLittle) : static_cast<unsigned char>(p[index]);
    if (c == 0)
    {
        RecordZero(index);
        m_nPos += index + unit;
        return true;
    }
    size_t endingLength = unit;
    if (c == u'\r' && Ensure(index + 2 * unit))
    {
        const char* q = m_window.get() + m_nPos + index + unit;
        if ((bUtf16 ? UnitAt(q, bLittle) : static_cast<unsigned char>(*q)) == u'\n')
            endingLength = 2 * unit;
    }
    ending = endingLength == 2 * unit ? "\r\n" : (c == u'\r' ? "\r" : "\n");
    CountEnding(c == u'\r' ? '\r' : '\n', endingLength / unit);
    m_nPos += index + endingLength;
    return true;
}

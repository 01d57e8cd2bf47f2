#include "platform/CodePageConv.h"

#include "platform/Multibyte.h"
#include "platform/SystemInfo.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <map>
#include <memory>
#include <mutex>

namespace
{
struct SIconvName
{
    int nCodePage;
    const char* pszName;
};

// Windows code-page numbers and the names glibc's iconv knows them by. glibc knows none of
// the "CPnnnnn" forms of 65001, 1200, 1201, 20127, 10000, 20866, 20932 and 65000, so those
// carry the names of the encodings they are. Code pages without a faithful iconv
// counterpart are absent and count as not convertible.
const SIconvName g_iconvNames[] = {
    {37, "IBM037"},         {437, "IBM437"},         {500, "IBM500"},
    {708, "ASMO-708"},      {737, "CP737"},          {775, "IBM775"},
    {850, "IBM850"},        {852, "IBM852"},         {855, "IBM855"},
    {857, "IBM857"},        {858, "IBM858"},         {860, "IBM860"},
    {861, "IBM861"},        {862, "IBM862"},         {863, "IBM863"},
    {864, "IBM864"},        {865, "IBM865"},         {866, "IBM866"},
    {869, "IBM869"},        {870, "IBM870"},         {874, "WINDOWS-874"},
    {875, "IBM875"},        {932, "CP932"},          {936, "CP936"},
    {949, "CP949"},         {950, "CP950"},          {1026, "IBM1026"},
    {1047, "IBM1047"},      {1140, "IBM1140"},       {1141, "IBM1141"},
    {1142, "IBM1142"},      {1143, "IBM1143"},       {1144, "IBM1144"},
    {1145, "IBM1145"},      {1146, "IBM1146"},       {1147, "IBM1147"},
    {1148, "IBM1148"},      {1149, "IBM1149"},       {1200, "UTF-16LE"},
    {1201, "UTF-16BE"},     {1250, "CP1250"},        {1251, "CP1251"},
    {1252, "CP1252"},       {1253, "CP1253"},        {1254, "CP1254"},
    {1255, "CP1255"},       {1256, "CP1256"},        {1257, "CP1257"},
    {1258, "CP1258"},       {1361, "JOHAB"},         {10000, "MACINTOSH"},
    {10007, "CP10007"},     {10017, "MACUKRAINIAN"}, {10029, "MAC-CENTRALEUROPE"},
    {10079, "MAC-IS"},      {20106, "DIN_66003"},    {20107, "SEN_850200_B"},
    {20108, "NS_4551-1"},   {20127, "ASCII"},        {20261, "T.61-8BIT"},
    {20269, "ISO6937"},     {20273, "IBM273"},       {20277, "IBM277"},
    {20278, "IBM278"},      {20280, "IBM280"},       {20284, "IBM284"},
    {20285, "IBM285"},      {20290, "IBM290"},       {20297, "IBM297"},
    {20420, "IBM420"},      {20423, "IBM423"},       {20424, "IBM424"},
    {20866, "KOI8-R"},      {20871, "IBM871"},       {20880, "IBM880"},
    {20905, "IBM905"},      {20932, "EUC-JP"},       {20936, "GB2312"},
    {21025, "IBM1025"},     {21866, "KOI8-U"},       {28591, "ISO-8859-1"},
    {28592, "ISO-8859-2"},  {28593, "ISO-8859-3"},   {28594, "ISO-8859-4"},
    {28595, "ISO-8859-5"},  {28596, "ISO-8859-6"},   {28597, "ISO-8859-7"},
    {28598, "ISO-8859-8"},  {28599, "ISO-8859-9"},   {28603, "ISO-8859-13"},
    {28605, "ISO-8859-15"}, {38598, "ISO-8859-8"},   {50220, "ISO-2022-JP"},
    {50225, "ISO-2022-KR"}, {50227, "ISO-2022-CN"},  {50930, "IBM930"},
    {50933, "IBM933"},      {50935, "IBM935"},       {50937, "IBM937"},
    {50939, "IBM939"},      {51932, "EUC-JP"},       {51936, "EUC-CN"},
    {51949, "EUC-KR"},      {54936, "GB18030"},      {65000, "UTF-7"},
    {65001, "UTF-8"},
};

enum EConverterKind
{
    KindNone,
    KindUtf8,
    KindUtf16Le,
    KindUtf16Be,
    KindAscii,
    KindSingleByte,
    KindIconv,
};

constexpr uint16_t NoByte = 0xFFFF;

// How one code page is converted. Built once, never changed afterwards, so readers need
// no lock once they hold the pointer.
struct SConverter
{
    EConverterKind eKind = KindNone;
    const char* pszIconvName = nullptr;
    // Single-byte code pages: byte -> unit (valid where bDefined), unit -> byte or NoByte.
    char16_t toUnit[256] = {};
    bool bDefined[256] = {};
    std::vector<uint16_t> toByte;
    std::string strDefault = "?";
};

bool IsHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

bool IsSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

// iconv descriptors are not safe to share between threads; each thread opens its own and
// closes them when it ends.
class CIconvCache
{
public:
    ~CIconvCache()
    {
        for (auto& entry : m_handles)
            if (entry.second != reinterpret_cast<iconv_t>(-1))
                iconv_close(entry.second);
    }

    // bToUnicode: from the code page to UTF-16LE; otherwise the other way.
    iconv_t Get(const char* pszName, bool bToUnicode)
    {
        auto key = std::make_pair(std::string(pszName), bToUnicode);
        auto it = m_handles.find(key);
        if (it == m_handles.end())
        {
            iconv_t cd =
                bToUnicode ? iconv_open("UTF-16LE", pszName) : iconv_open(pszName, "UTF-16LE");
            it = m_handles.emplace(key, cd).first;
        }
        if (it->second != reinterpret_cast<iconv_t>(-1))
            iconv(it->second, nullptr, nullptr, nullptr, nullptr); // back to the initial state
        return it->second;
    }

private:
    std::map<std::pair<std::string, bool>, iconv_t> m_handles;
};

CIconvCache& ThreadIconvCache()
{
    thread_local CIconvCache cache;
    return cache;
}

bool IconvUsable(const char* pszName)
{
    for (bool bToUnicode : {true, false})
    {
        iconv_t cd = bToUnicode ? iconv_open("UTF-16LE", pszName) : iconv_open(pszName, "UTF-16LE");
        if (cd == reinterpret_cast<iconv_t>(-1))
            return false;
        iconv_close(cd);
    }
    return true;
}

// Fills the single-byte tables when every byte of the code page decodes on its own to one
// UTF-16 unit or to nothing valid; returns false for multibyte and stateful code pages.
bool BuildSingleByteTables(int nCodePage, SConverter& conv)
{
    iconv_t cd = iconv_open("UTF-16LE", conv.pszIconvName);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    bool bSingle = true;
    for (int b = 0; b < 256 && bSingle; ++b)
    {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char in = static_cast<char>(b);
        char out[16];
        char* pIn = &in;
        char* pOut = out;
        size_t inLeft = 1, outLeft = sizeof out;
        size_t r = iconv(cd, &pIn, &inLeft, &pOut, &outLeft);
        if (r == static_cast<size_t>(-1))
        {
            if (errno != EILSEQ)
                bSingle = false; // a byte that begins a longer sequence
            continue;
        }
        if (pOut - out != 2)
        {
            bSingle = false; // a shift byte (no output) or several units
            continue;
        }
        char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                              (static_cast<unsigned char>(out[1]) << 8));
        if (IsSurrogate(unit))
        {
            bSingle = false;
            continue;
        }
        conv.toUnit[b] = unit;
        conv.bDefined[b] = true;
    }
    iconv_close(cd);
    if (!bSingle)
        return false;

    // The Windows tables of the 125x code pages give their unassigned bytes 0x80-0x9F the C1
    // control of the same number, so such bytes survive a round trip.
    if (nCodePage >= 1250 && nCodePage <= 1258)
    {
        for (int b = 0x80; b <= 0x9F; ++b)
        {
            if (conv.bDefined[b])
                continue;
            bool bTaken = false;
            for (int o = 0; o < 256; ++o)
                bTaken = bTaken || (conv.bDefined[o] && conv.toUnit[o] == b);
            if (!bTaken)
            {
                conv.toUnit[b] = static_cast<char16_t>(b);
                conv.bDefined[b] = true;
            }
        }
    }

    conv.toByte.assign(65536, NoByte);
    for (int b = 255; b >= 0; --b) // the lowest byte wins when two bytes share a character
        if (conv.bDefined[b])
            conv.toByte[conv.toUnit[b]] = static_cast<uint16_t>(b);
    uint16_t q = conv.toByte[u'?'];
    conv.strDefault = q == NoByte ? std::string("?") : std::string(1, static_cast<char>(q));
    return true;
}

std::unique_ptr<SConverter> BuildConverter(int nCodePage)
{
    auto conv = std::make_unique<SConverter>();
    conv->pszIconvName = IconvNameOfCodePage(nCodePage);
    switch (nCodePage)
    {
    case 65001:
        conv->eKind = KindUtf8;
        return conv;
    case 1200:
        conv->eKind = KindUtf16Le;
        conv->strDefault = std::string("?\0", 2);
        return conv;
    case 1201:
        conv->eKind = KindUtf16Be;
        conv->strDefault = std::string("\0?", 2);
        return conv;
    case 20127:
        conv->eKind = KindAscii;
        return conv;
    default:
        break;
    }
    if (!conv->pszIconvName || !IconvUsable(conv->pszIconvName))
        return conv;
    if (BuildSingleByteTables(nCodePage, *conv))
    {
        conv->eKind = KindSingleByte;
        return conv;
    }
    conv->eKind = KindIconv;
    // The default character in the code page's own form, from its initial state.
    iconv_t cd = iconv_open(conv->pszIconvName, "UTF-16LE");
    char in[2] = {'?', 0};
    char out[16];
    char* pIn = in;
    char* pOut = out;
    size_t inLeft = 2, outLeft = sizeof out;
    if (iconv(cd, &pIn, &inLeft, &pOut, &outLeft) != static_cast<size_t>(-1) &&
        iconv(cd, nullptr, nullptr, &pOut, &outLeft) != static_cast<size_t>(-1) && pOut > out)
        conv->strDefault.assign(out, pOut);
    iconv_close(cd);
    return conv;
}

const SConverter& GetConverter(int nCodePage)
{
    nCodePage = ResolveCodePage(nCodePage);
    thread_local int tlCodePage = -1;
    thread_local const SConverter* tlConverter = nullptr;
    if (tlConverter && tlCodePage == nCodePage)
        return *tlConverter;

    static std::mutex mutex;
    static std::map<int, std::unique_ptr<SConverter>> converters;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = converters.find(nCodePage);
    if (it == converters.end())
        it = converters.emplace(nCodePage, BuildConverter(nCodePage)).first;
    tlCodePage = nCodePage;
    tlConverter = it->second.get();
    return *tlConverter;
}

int Utf8SequenceLength(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

void DecodeUtf8Bytes(const char* bytes, size_t count, std::u16string& out, int& nLost)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    size_t i = 0;
    while (i < count)
    {
        if (p[i] < 0x80)
        {
            out.push_back(p[i++]);
            continue;
        }
        size_t nAvail = std::min<size_t>(4, count - i);
        uint32_t cp = 0;
        int n = DecodeUtf8(bytes + i, static_cast<int>(nAvail), 0, &cp);
        if (n > 0)
        {
            AppendCodePointToUtf16(cp, out);
            i += n;
            continue;
        }
        out.push_back(u'?');
        ++nLost;
        // A sequence cut by the end of the input is one lost character, not one per byte.
        size_t nNeed = Utf8SequenceLength(p[i]);
        if (nNeed > nAvail)
        {
            bool bPrefix = true;
            for (size_t k = i + 1; k < count; ++k)
                bPrefix = bPrefix && (p[k] & 0xC0) == 0x80;
            if (bPrefix)
                return;
        }
        ++i;
    }
}

void EncodeUtf8Units(const char16_t* text, size_t count, std::string& out, int& nLost)
{
    size_t i = 0;
    while (i < count)
    {
        char16_t c = text[i];
        if (c < 0x80)
        {
            // Runs of ASCII are the common case: size once, then store.
            size_t j = i + 1;
            while (j < count && text[j] < 0x80)
                ++j;
            size_t start = out.size();
            out.resize(start + (j - i));
            char* q = out.data() + start;
            for (; i < j; ++i)
                *q++ = static_cast<char>(text[i]);
        }
        else if (c < 0x800)
        {
            char buf[2] = {static_cast<char>(0xC0 | (c >> 6)),
                           static_cast<char>(0x80 | (c & 0x3F))};
            out.append(buf, 2);
            ++i;
        }
        else if (!IsSurrogate(c))
        {
            char buf[3] = {static_cast<char>(0xE0 | (c >> 12)),
                           static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                           static_cast<char>(0x80 | (c & 0x3F))};
            out.append(buf, 3);
            ++i;
        }
        else if (IsHighSurrogate(c) && i + 1 < count && IsLowSurrogate(text[i + 1]))
        {
            uint32_t cp = 0x10000 + ((static_cast<uint32_t>(c) - 0xD800) << 10) +
                          (static_cast<uint32_t>(text[i + 1]) - 0xDC00);
            char buf[4];
            out.append(buf, EncodeUtf8(cp, buf));
            i += 2;
        }
        else
        {
            out.push_back('?');
            ++nLost;
            ++i;
        }
    }
}

// Steps over one character that cannot be encoded: a surrogate pair counts as one.
size_t LostCharUnits(const char16_t* text, size_t count, size_t i)
{
    return IsHighSurrogate(text[i]) && i + 1 < count && IsLowSurrogate(text[i + 1]) ? 2 : 1;
}

void EncodeSingleByte(const SConverter& conv, const char16_t* text, size_t count, std::string& out,
                      int& nLost)
{
    size_t start = out.size();
    out.resize(start + count);
    char* pOut = out.data() + start;
    const uint16_t* toByte = conv.toByte.data();
    size_t i = 0;
    while (i < count)
    {
        uint16_t b = toByte[text[i]];
        if (b != NoByte && !IsSurrogate(text[i]))
        {
            *pOut++ = static_cast<char>(b);
            ++i;
            continue;
        }
        // Units never outnumber the bytes written, as the default is one byte here.
        i += LostCharUnits(text, count, i);
        for (char d : conv.strDefault)
            *pOut++ = d;
        ++nLost;
    }
    out.resize(static_cast<size_t>(pOut - out.data()));
}

void DecodeWithIconv(const SConverter& conv, const char* bytes, size_t count, std::u16string& out,
                     int& nLost)
{
    iconv_t cd = ThreadIconvCache().Get(conv.pszIconvName, true);
    char* pIn = const_cast<char*>(bytes);
    size_t inLeft = count;
    char buffer[4096];
    auto flush = [&](char* pEnd)
    {
        for (char* q = buffer; q + 1 < pEnd; q += 2)
            out.push_back(static_cast<char16_t>(static_cast<unsigned char>(q[0]) |
                                                (static_cast<unsigned char>(q[1]) << 8)));
    };
    while (true)
    {
        char* pOut = buffer;
        size_t outLeft = sizeof buffer;
        const bool bFlushing = inLeft == 0;
        size_t r = bFlushing ? iconv(cd, nullptr, nullptr, &pOut, &outLeft)
                             : iconv(cd, &pIn, &inLeft, &pOut, &outLeft);
        int err = errno;
        flush(pOut);
        if (r != static_cast<size_t>(-1))
        {
            if (inLeft == 0 && pOut == buffer)
                break;
            continue;
        }
        if (err == E2BIG)
            continue;
        out.push_back(u'?');
        ++nLost;
        if (bFlushing)
        {
            // A shift state that cannot be ended: counted once, and the state is reset.
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            break;
        }
        // glibc may consume an invalid sequence whole before it reports it (CP949 A2 E8):
        // then nothing is left to step over.
        if (err == EINVAL || inLeft == 0) // cut at the end of the input, or consumed
        {
            pIn += inLeft;
            inLeft = 0;
        }
        else
        {
            ++pIn;
            --inLeft;
        }
    }
}

void EncodeWithIconv(const SConverter& conv, const char16_t* text, size_t count, std::string& out,
                     int& nLost)
{
    iconv_t cd = ThreadIconvCache().Get(conv.pszIconvName, false);
    // iconv reads UTF-16LE bytes; the text goes through in slices.
    constexpr size_t SliceUnits = 2048;
    std::string input;
    char buffer[16384];
    size_t i = 0;
    auto run = [&](char** ppIn, size_t* pInLeft)
    {
        // Returns the errno of a stop at an unconvertible character, 0 when all went through.
        while (true)
        {
            char* pOut = buffer;
            size_t outLeft = sizeof buffer;
            size_t r = iconv(cd, ppIn, pInLeft, &pOut, &outLeft);
            int err = errno;
            out.append(buffer, static_cast<size_t>(pOut - buffer));
            if (r != static_cast<size_t>(-1))
                return 0;
            if (err != E2BIG)
                return err;
        }
    };
    auto emitDefault = [&]
    {
        char q[2] = {'?', 0};
        char* pQ = q;
        size_t qLeft = 2;
        if (run(&pQ, &qLeft) != 0)
            out.push_back('?');
        ++nLost;
    };
    while (i < count)
    {
        size_t n = std::min(SliceUnits, count - i);
        // Keep a surrogate pair inside one slice.
        if (i + n < count && IsHighSurrogate(text[i + n - 1]))
            ++n;
        input.resize(n * 2);
        for (size_t k = 0; k < n; ++k)
        {
            input[2 * k] = static_cast<char>(text[i + k] & 0xFF);
            input[2 * k + 1] = static_cast<char>(text[i + k] >> 8);
        }
        char* pIn = input.data();
        size_t inLeft = input.size();
        while (inLeft > 0)
        {
            int err = run(&pIn, &inLeft);
            if (err == 0)
                break;
            size_t unitIndex = i + static_cast<size_t>(pIn - input.data()) / 2;
            size_t skip = LostCharUnits(text, count, unitIndex) * 2;
            skip = std::min(skip, inLeft);
            pIn += skip;
            inLeft -= skip;
            emitDefault();
        }
        i += n;
    }
    char* pOut = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &pOut, &outLeft); // back to the initial shift state
    out.append(buffer, static_cast<size_t>(pOut - buffer));
}
} // namespace

const char* IconvNameOfCodePage(int nCodePage)
{
    nCodePage = ResolveCodePage(nCodePage);
    for (const SIconvName& e : g_iconvNames)
        if (e.nCodePage == nCodePage)
            return e.pszName;
    return nullptr;
}

std::vector<int> EnumCodePages()
{
    std::vector<int> pages;
    for (const SIconvName& e : g_iconvNames)
        pages.push_back(e.nCodePage);
    std::sort(pages.begin(), pages.end());
    return pages;
}

bool IsCodePageConvertible(int nCodePage)
{
    return GetConverter(nCodePage).eKind != KindNone;
}

bool IsSingleByteCodePage(int nCodePage)
{
    EConverterKind kind = GetConverter(nCodePage).eKind;
    return kind == KindSingleByte || kind == KindAscii;
}

bool HasOneWayMappings(int nCodePage)
{
    switch (ResolveCodePage(nCodePage))
    {
    case 932:
    case 950:
    case 1255:
    case 1258:
    case 50220:
    case 50221:
    case 50222:
    case 50225:
    case 50227:
    case 50930:
    case 50933:
    case 50935:
    case 50937:
    case 50939:
    case 52936:
    case 65000:
        return true;
    default:
        return false;
    }
}

bool AreCodePagesEquivalent(int nCodePage1, int nCodePage2)
{
    return nCodePage1 == nCodePage2 || ResolveCodePage(nCodePage1) == ResolveCodePage(nCodePage2);
}

std::string CodePageDefaultChar(int nCodePage)
{
    return GetConverter(nCodePage).strDefault;
}

void AppendCodePointToUtf16(uint32_t codePoint, std::u16string& out)
{
    if (codePoint < 0x10000)
    {
        out.push_back(static_cast<char16_t>(codePoint));
        return;
    }
    codePoint -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
}

bool AppendCodePageToUtf16(int nCodePage, const char* bytes, size_t count, std::u16string& out,
                           int* pLost)
{
    const SConverter& conv = GetConverter(nCodePage);
    int nLost = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    switch (conv.eKind)
    {
    case KindNone:
        return false;
    case KindUtf8:
        DecodeUtf8Bytes(bytes, count, out, nLost);
        break;
    case KindUtf16Le:
    case KindUtf16Be:
    {
        bool bLe = conv.eKind == KindUtf16Le;
        size_t start = out.size();
        out.resize(start + count / 2);
        for (size_t k = 0; k + 1 < count; k += 2)
            out[start + k / 2] =
                static_cast<char16_t>(bLe ? (p[k] | (p[k + 1] << 8)) : ((p[k] << 8) | p[k + 1]));
        if (count % 2)
        {
            out.push_back(u'?');
            ++nLost;
        }
        break;
    }
    case KindAscii:
        for (size_t k = 0; k < count; ++k)
        {
            if (p[k] < 0x80)
                out.push_back(p[k]);
            else
            {
                out.push_back(u'?');
                ++nLost;
            }
        }
        break;
    case KindSingleByte:
    {
        size_t start = out.size();
        out.resize(start + count);
        char16_t* q = out.data() + start;
        for (size_t k = 0; k < count; ++k)
        {
            unsigned char b = p[k];
            if (conv.bDefined[b])
                q[k] = conv.toUnit[b];
            else
            {
                q[k] = u'?';
                ++nLost;
            }
        }
        break;
    }
    case KindIconv:
        DecodeWithIconv(conv, bytes, count, out, nLost);
        break;
    }
    if (pLost)
        *pLost += nLost;
    return true;
}

bool AppendUtf16ToCodePage(int nCodePage, const char16_t* text, size_t count, std::string& out,
                           int* pLost)
{
    const SConverter& conv = GetConverter(nCodePage);
    int nLost = 0;
    switch (conv.eKind)
    {
    case KindNone:
        return false;
    case KindUtf8:
        EncodeUtf8Units(text, count, out, nLost);
        break;
    case KindUtf16Le:
    case KindUtf16Be:
    {
        bool bLe = conv.eKind == KindUtf16Le;
        size_t start = out.size();
        out.resize(start + 2 * count);
        char* q = out.data() + start;
        for (size_t k = 0; k < count; ++k)
        {
            char lo = static_cast<char>(text[k] & 0xFF), hi = static_cast<char>(text[k] >> 8);
            q[2 * k] = bLe ? lo : hi;
            q[2 * k + 1] = bLe ? hi : lo;
        }
        break;
    }
    case KindAscii:
        for (size_t k = 0; k < count;)
        {
            if (text[k] < 0x80)
            {
                out.push_back(static_cast<char>(text[k]));
                ++k;
            }
            else
            {
                k += LostCharUnits(text, count, k);
                out.push_back('?');
                ++nLost;
            }
        }
        break;
    case KindSingleByte:
        EncodeSingleByte(conv, text, count, out, nLost);
        break;
    case KindIconv:
        EncodeWithIconv(conv, text, count, out, nLost);
        break;
    }
    if (pLost)
        *pLost += nLost;
    return true;
}

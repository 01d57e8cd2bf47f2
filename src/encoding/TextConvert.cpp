#include "encoding/TextConvert.h"

#include "encoding/UniFile.h"
#include "platform/CodePageConv.h"
#include "platform/SystemInfo.h"

namespace
{
// The code page that stands for a kind in the conversion layer.
int CodePageOfKind(int nKind, int nCodePage)
{
    switch (nKind)
    {
    case EncodingNone:
        return nCodePage;
    case EncodingUcs2Le:
        return 1200;
    case EncodingUcs2Be:
        return 1201;
    case EncodingUtf8:
        return 65001;
    default:
        return -1;
    }
}
} // namespace

bool ConvertText(int fromKind, int fromCodePage, const char* data, size_t byteCount, int toKind,
                 int toCodePage, std::string& buffer, int* pLost)
{
    buffer.clear();
    int nFrom = CodePageOfKind(fromKind, fromCodePage);
    int nTo = CodePageOfKind(toKind, toCodePage);
    if (nFrom == -1 || nTo == -1)
        return false;
    if (byteCount == 0)
        return IsCodePageConvertible(nFrom) && IsCodePageConvertible(nTo);
    // The same form on both sides (kind 3 and kind 0 in 65001 included) is copied, so bytes
    // that are not valid in it pass unharmed.
    if (AreCodePagesEquivalent(nFrom, nTo))
    {
        buffer.assign(data, byteCount);
        return true;
    }
    // Every other pair goes through UTF-16.
    std::u16string wide;
    wide.reserve(byteCount);
    int nLost = 0;
    if (!AppendCodePageToUtf16(nFrom, data, byteCount, wide, &nLost))
        return false;
    buffer.reserve(wide.size() * (nTo == 65001 ? 3 : nTo == 1200 || nTo == 1201 ? 2 : 1));
    if (!AppendUtf16ToCodePage(nTo, wide.data(), wide.size(), buffer, &nLost))
        return false;
    if (pLost)
        *pLost += nLost;
    return true;
}

int AppendConvertedCodePage(const char* bytes, size_t count, int fromCodePage, int toCodePage,
                            std::string& out)
{
    if (count == 0)
        return 0;
    if (AreCodePagesEquivalent(fromCodePage, toCodePage))
    {
        out.append(bytes, count);
        return 0;
    }
    thread_local std::u16string wide;
    wide.clear();
    int nLost = 0;
    if (!AppendCodePageToUtf16(fromCodePage, bytes, count, wide, &nLost))
    {
        out.push_back('?');
        return 1;
    }
    if (!AppendUtf16ToCodePage(toCodePage, wide.data(), wide.size(), out, &nLost))
    {
        out.push_back('?');
        return 1;
    }
    return nLost;
}

std::string ConvertCodePage(const char* bytes, size_t count, int fromCodePage, int toCodePage,
                            bool* pLost)
{
    std::string out;
    int nLost = AppendConvertedCodePage(bytes, count, fromCodePage, toCodePage, out);
    if (pLost)
        *pLost = nLost != 0;
    return out;
}

std::string ConvertCharacter(uint32_t code, int nCodePage, bool* pLost)
{
    if (pLost)
        *pLost = false;
    if (code < 128)
        return std::string(1, static_cast<char>(code));
    std::u16string wide;
    AppendCodePointToUtf16(code > 0x10FFFF ? 0xFFFF : code, wide);
    std::string out;
    int nLost = code > 0x10FFFF ? 1 : 0;
    if (!AppendUtf16ToCodePage(nCodePage, wide.data(), wide.size(), out, &nLost))
    {
        out.assign(1, '?');
        nLost = 1;
    }
    if (nLost && out.empty())
        out.assign(1, '?');
    if (pLost)
        *pLost = nLost != 0;
    return out;
}

std::string ConvertCharacter(uint32_t code, bool* pLost)
{
    return ConvertCharacter(code, GetAnsiCodePage(), pLost);
}

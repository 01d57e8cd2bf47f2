#include "hex/HexFormat.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>

#include "hex/HexSearch.h"

namespace
{
bool IsHexDigit(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool IsDecimalDigit(char c)
{
    return c >= '0' && c <= '9';
}
} // namespace

std::string GroupHexDigits(const std::string& strDigits)
{
    int nDigits = 0;
    for (char c : strDigits)
    {
        nDigits += IsHexDigit(c) ? 1 : 0;
    }
    std::string result;
    result.reserve(strDigits.size() + static_cast<size_t>(nDigits) / 4);
    int nLeft = nDigits;
    for (char c : strDigits)
    {
        if (IsHexDigit(c))
        {
            if (nLeft != nDigits && nLeft % 4 == 0)
            {
                result += ' ';
            }
            --nLeft;
        }
        result += c;
    }
    return result;
}

std::string RegroupHexText(const std::string& strText, bool bUppercase)
{
    std::string digits;
    for (char c : strText)
    {
        if (IsHexDigit(c))
        {
            const unsigned char u = static_cast<unsigned char>(c);
            digits += static_cast<char>(bUppercase ? std::toupper(u) : std::tolower(u));
        }
    }
    return GroupHexDigits(digits);
}

std::string GroupDecimalDigits(const std::string& strText, const SHexNumberFormat& format)
{
    const int nGrouping = format.m_nGrouping > 0 ? format.m_nGrouping : 3;
    std::string result;
    size_t i = 0;
    while (i < strText.size())
    {
        if (!IsDecimalDigit(strText[i]))
        {
            result += strText[i++];
            continue;
        }
        size_t nEnd = i;
        while (nEnd < strText.size() && IsDecimalDigit(strText[nEnd]))
        {
            ++nEnd;
        }
        const int nDigits = static_cast<int>(nEnd - i);
        for (int k = 0; k < nDigits; ++k)
        {
            if (k != 0 && (nDigits - k) % nGrouping == 0)
            {
                result += format.m_cThousandsSeparator;
            }
            result += strText[i + static_cast<size_t>(k)];
        }
        i = nEnd;
    }
    return result;
}

std::string FormatDecimal(uint64_t nValue, const SHexNumberFormat& format)
{
    return GroupDecimalDigits(std::to_string(nValue), format);
}

std::string FormatByteStatus(uint8_t nByte, bool bUppercase)
{
    char bits[9];
    for (int i = 0; i < 8; ++i)
    {
        bits[i] = (nByte & (0x80 >> i)) ? '1' : '0';
    }
    bits[8] = '\0';
    char text[64];
    if (nByte < 32)
    {
        std::snprintf(text, sizeof text,
                      bUppercase ? "%02X, %d, %03o, %8s, '^%c'" : "%02x, %d, %03o, %8s, '^%c'",
                      nByte, nByte, nByte, bits, nByte + 64);
    }
    else
    {
        std::snprintf(text, sizeof text,
                      bUppercase ? "%02X, %d, %03o, %8s, '%c'" : "%02x, %d, %03o, %8s, '%c'", nByte,
                      nByte, nByte, bits, nByte);
    }
    return text;
}

std::string FormatPositionStatus(uint32_t nPosition, bool bUppercase,
                                 const SHexNumberFormat& format)
{
    char text[32];
    std::snprintf(text, sizeof text, bUppercase ? "%" PRIX32 " | " : "%" PRIx32 " | ", nPosition);
    return text + FormatDecimal(nPosition, format);
}

std::string FormatSelectionSize(uint32_t nLength, bool bUppercase, bool bDecimal,
                                const SHexNumberFormat& format)
{
    if (bDecimal)
    {
        return FormatDecimal(nLength, format);
    }
    char text[32];
    std::snprintf(text, sizeof text, bUppercase ? "%" PRIX32 : "%" PRIx32, nLength);
    std::string result = GroupHexDigits(text);
    if (nLength > 9)
    {
        result += 'h';
    }
    return result + " (" + FormatDecimal(nLength, format) + ")";
}

std::string FormatGoToRange(uint32_t nLength, bool bUppercase)
{
    if (nLength < 2)
    {
        return {};
    }
    char text[40];
    std::snprintf(text, sizeof text, bUppercase ? "(0 - %#" PRIX32 ")" : "(0 - %#" PRIx32 ")",
                  nLength - 1);
    return text;
}

std::string HexFieldToDecimalText(const std::string& strHex)
{
    return std::to_string(ParseAddressText(strHex, 16));
}

std::string DecimalFieldToHexText(const std::string& strDecimal, bool bUppercase)
{
    char text[16];
    std::snprintf(text, sizeof text, bUppercase ? "%" PRIX32 : "%" PRIx32,
                  ParseAddressText(strDecimal, 10));
    return GroupHexDigits(text);
}

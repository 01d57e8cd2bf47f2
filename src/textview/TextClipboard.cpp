#include "textview/TextClipboard.h"

#include <cstring>

#include "platform/CodePageConv.h"

std::u16string TextToClipboard(const std::string& text, int nCodePage)
{
    std::u16string out;
    if (!AppendCodePageToUtf16(nCodePage, text.data(), text.size(), out, nullptr))
    {
        // A code page without a conversion: ASCII passes, anything else is unknown.
        for (unsigned char c : text)
            out.push_back(c < 0x80 ? static_cast<char16_t>(c) : u'?');
    }
    return out;
}

std::string ClipboardToText(const std::u16string& text, const char* eol, int nCodePage, int& nLost)
{
    nLost = 0;
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    const std::string defaultChar = CodePageDefaultChar(nCodePage);
    const size_t eolLength = std::strlen(eol);
    size_t runStart = 0;
    auto flush = [&](size_t end)
    {
        if (end > runStart)
        {
            int lost = 0;
            if (!AppendUtf16ToCodePage(nCodePage, text.data() + runStart, end - runStart, out,
                                       &lost))
            {
                for (size_t i = runStart; i < end; ++i)
                {
                    const char16_t c = text[i];
                    if (c < 0x80)
                        out.push_back(static_cast<char>(c));
                    else if (c < 0xDC00 || c > 0xDFFF)
                    {
                        out += defaultChar;
                        ++lost;
                    }
                }
            }
            nLost += lost;
        }
    };
    for (size_t i = 0; i < text.size(); ++i)
    {
        const char16_t c = text[i];
        if (c != u'\r' && c != u'\n' && c != 0)
            continue;
        flush(i);
        if (c == 0)
        {
            out += defaultChar;
            ++nLost;
        }
        else
        {
            out.append(eol, eolLength);
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        }
        runStart = i + 1;
    }
    flush(text.size());
    return out;
}

std::string LostCharactersStatusText(int nLost)
{
    return std::to_string(nLost) +
           (nLost == 1 ? " character could not be represented in the code page and was replaced"
                       : " characters could not be represented in the code page and were replaced");
}

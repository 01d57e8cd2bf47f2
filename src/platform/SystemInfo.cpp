#include "platform/SystemInfo.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <clocale>
#include <cstring>
#include <langinfo.h>

namespace
{
std::atomic<int> g_nAnsiOverride{0};
std::atomic<int> g_nOemOverride{0};

int CodePageOfCharset(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
    name.erase(std::remove(name.begin(), name.end(), '_'), name.end());
    struct SEntry
    {
        const char* pszName;
        int nCodePage;
    };
    static const SEntry table[] = {
        {"UTF8", 65001},      {"ISO88591", 28591},  {"ISO88592", 28592},  {"ISO88593", 28593},
        {"ISO88594", 28594},  {"ISO88595", 28595},  {"ISO88596", 28596},  {"ISO88597", 28597},
        {"ISO88598", 28598},  {"ISO88599", 28599},  {"ISO885913", 28603}, {"ISO885915", 28605},
        {"KOI8R", 20866},     {"KOI8U", 21866},     {"CP1250", 1250},     {"CP1251", 1251},
        {"CP1252", 1252},     {"CP1253", 1253},     {"CP1254", 1254},     {"CP1255", 1255},
        {"CP1256", 1256},     {"CP1257", 1257},     {"CP1258", 1258},     {"SHIFTJIS", 932},
        {"SJIS", 932},        {"CP932", 932},       {"GBK", 936},         {"GB2312", 936},
        {"CP936", 936},       {"EUCKR", 949},       {"CP949", 949},       {"BIG5", 950},
        {"CP950", 950},       {"EUCJP", 20932},     {"GB18030", 54936},   {"TIS620", 874},
    };
    for (const SEntry& e : table)
        if (name == e.pszName)
            return e.nCodePage;
    return 1252;
}

int SystemAnsiCodePage()
{
    static const int nCodePage = [] {
        // The locale of the environment, read once; the program itself stays in the C locale
        // for everything else.
        const char* previous = std::setlocale(LC_CTYPE, nullptr);
        std::string saved = previous ? previous : "C";
        std::setlocale(LC_CTYPE, "");
        const char* codeset = nl_langinfo(CODESET);
        int n = CodePageOfCharset(codeset ? codeset : "");
        std::setlocale(LC_CTYPE, saved.c_str());
        return n;
    }();
    return nCodePage;
}
} // namespace

int GetAnsiCodePage()
{
    int n = g_nAnsiOverride.load();
    return n ? n : SystemAnsiCodePage();
}

void SetAnsiCodePage(int nCodePage)
{
    g_nAnsiOverride.store(nCodePage);
}

int GetOemCodePage()
{
    int n = g_nOemOverride.load();
    return n ? n : 437;
}

void SetOemCodePage(int nCodePage)
{
    g_nOemOverride.store(nCodePage);
}

int ResolveCodePage(int nCodePage)
{
    if (nCodePage == 0 || nCodePage == 3)
        return GetAnsiCodePage();
    if (nCodePage == 1)
        return GetOemCodePage();
    return nCodePage;
}

std::string GetSystemErrorText(int nError)
{
    char buffer[512];
    // The GNU strerror_r returns the text, which may or may not be in the buffer.
    const char* text = strerror_r(nError, buffer, sizeof buffer);
    return text ? std::string(text) : std::string("Unknown error ") + std::to_string(nError);
}

uint32_t GetTickCount()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

namespace
{
std::atomic<int> g_nTextCodePage{0};
}

int GetTextCodePage()
{
    int n = g_nTextCodePage.load();
    return n ? n : GetAnsiCodePage();
}

void SetTextCodePage(int nCodePage)
{
    g_nTextCodePage.store(nCodePage == 0 ? 0 : ResolveCodePage(nCodePage));
}

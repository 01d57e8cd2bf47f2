#include "text/TextParser.h"

namespace
{
CTextParserLookup* g_pLookup = nullptr;
}

CTextParserLookup* GetTextParserLookup()
{
    return g_pLookup;
}

void SetTextParserLookup(CTextParserLookup* pLookup)
{
    g_pLookup = pLookup;
}

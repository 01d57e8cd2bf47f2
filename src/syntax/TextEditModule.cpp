#include "syntax/TextEditModule.h"

#include "platform/ProfileStore.h"

namespace
{
CTarvoTextEditModule* g_pModule = nullptr;
}

CTarvoTextEditModule::CTarvoTextEditModule(int nLogPixelsY) : m_fonts(nLogPixelsY) {}

CTarvoTextEditModule::~CTarvoTextEditModule()
{
    Shutdown();
}

bool CTarvoTextEditModule::Start(CProfileStore& store)
{
    Shutdown();
    m_settings.Load(store);
    m_settings.Apply();
    m_colors.Load(store);
    m_fonts.Load(store);
    if (m_factory.CreateParsers() < 1)
        return false;
    SetTextParserLookup(&m_factory);
    g_pModule = this;
    m_bStarted = true;
    return true;
}

void CTarvoTextEditModule::Stop(CProfileStore& store)
{
    if (!m_bStarted)
        return;
    m_settings.Save(store);
    m_colors.Save(store);
    m_fonts.Save(store);
    Shutdown();
}

void CTarvoTextEditModule::Shutdown()
{
    if (GetTextParserLookup() == &m_factory)
        SetTextParserLookup(nullptr);
    if (g_pModule == this)
        g_pModule = nullptr;
    m_factory.DeleteParsers();
    m_bStarted = false;
}

SyntaxRun* CTarvoTextEditModule::GetRunScratch(int nLineLength)
{
    const size_t needed = 3 * (static_cast<size_t>(nLineLength > 0 ? nLineLength : 0) + 1);
    if (m_runScratch.size() < needed)
        m_runScratch.resize((needed + 1023) / 1024 * 1024);
    return m_runScratch.data();
}

CTarvoTextEditModule* CTarvoTextEditModule::GetInstance()
{
    return g_pModule;
}

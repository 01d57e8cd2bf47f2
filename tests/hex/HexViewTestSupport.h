#pragma once
// A hex controller over a scratch file, with a host that records what the window would
// be asked to do, and a clipboard held in memory.

#include "HexTestSupport.h"
#include "hex/HexEditController.h"
#include "hex/HexEditSettings.h"

#include <memory>
#include <string>
#include <vector>

class CRecordingHost : public CHexEditHost
{
public:
    CHexMessageSink& GetMessages() override { return m_sink; }
    int AskYesNoCancel(const std::string& strText) override
    {
        m_sink.m_questions.push_back(strText);
        return m_nYesNoCancel;
    }
    void BeepRefused() override { ++m_nRefusedBeeps; }
    void BeepInvalidKey() override { ++m_nKeyBeeps; }
    int GetVisibleLines() const override { return m_nVisibleLines; }
    void OnSelectionChanged(bool) override { ++m_nSelectionChanges; }
    void OnDataChanged(const SHexInvalidation& invalidation) override
    {
        m_invalidations.push_back(invalidation);
    }
    void OnLayoutChanged() override { ++m_nLayoutChanges; }

    CRecordingSink m_sink;
    int m_nYesNoCancel = 1;
    int m_nRefusedBeeps = 0;
    int m_nKeyBeeps = 0;
    int m_nVisibleLines = 10;
    int m_nSelectionChanges = 0;
    int m_nLayoutChanges = 0;
    std::vector<SHexInvalidation> m_invalidations;
};

class CMemoryClipboard : public CHexClipboard
{
public:
    bool Open() override { return m_bOpenWorks; }
    bool Empty() override
    {
        m_bHasText = m_bHasBinary = false;
        return true;
    }
    bool SetText(const std::string& strBytes) override
    {
        m_strText = strBytes;
        m_bHasText = true;
        return true;
    }
    bool SetBinary(const std::vector<uint8_t>& layout) override
    {
        m_binary = layout;
        m_bHasBinary = true;
        return true;
    }
    bool GetBinary(std::vector<uint8_t>& layout) override
    {
        layout = m_binary;
        return m_bHasBinary;
    }
    bool GetText(std::string& strBytes) override
    {
        strBytes = m_strText;
        return m_bHasText;
    }
    void Close() override {}

    bool m_bOpenWorks = true;
    bool m_bHasText = false;
    bool m_bHasBinary = false;
    std::string m_strText;
    std::vector<uint8_t> m_binary;
};

// A buffer over a scratch file holding the given bytes, and one controller on it.
struct SHexEditFixture
{
    explicit SHexEditFixture(const Bytes& data, int nRowSize = 16, int nGroupSize = 4)
    {
        m_settings.m_nRowSize = nRowSize;
        m_settings.m_nGroupSize = nGroupSize;
        WriteFileBytes(m_folder / "data.bin", data);
        OpenDocument(m_buffer, m_folder / "data.bin");
        m_buffer.SetMessageSink(&m_host.m_sink);
        m_pController = std::make_unique<CHexEditController>(m_buffer, m_host, m_settings);
    }
    CHexEditController& C() { return *m_pController; }
    void Type(const std::string& keys)
    {
        for (char c : keys)
            m_pController->OnChar(static_cast<uint8_t>(c));
    }
    Bytes Data() const { return ReadAll(m_buffer); }

    CScratchFolder m_folder;
    CHexEditSettings m_settings;
    CTarvoHexEditBuffer m_buffer;
    CRecordingHost m_host;
    std::unique_ptr<CHexEditController> m_pController;
};

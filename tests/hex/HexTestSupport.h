#pragma once
// Helpers shared by the hex tests: a scratch folder, file contents, and recorders for the
// messages and hints a user and a view would see.

#include "hex/HexEditBuffer.h"
#include "hex/HexHints.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline Bytes ToBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

inline void WriteFileBytes(const std::string& path, const Bytes& data)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
}

inline Bytes ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// A fresh folder, removed with everything in it when the test ends.
class CScratchFolder
{
public:
    CScratchFolder()
    {
        char name[] = "/tmp/scrivel_hex_XXXXXX";
        m_path = mkdtemp(name);
    }
    ~CScratchFolder()
    {
        // Tests make only the folder itself unwritable; give it back before removing.
        chmod(m_path.c_str(), 0700);
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

class CRecordingSink : public CHexMessageSink
{
public:
    void ShowMessage(const std::string& strText) override { m_messages.push_back(strText); }
    bool AskYesNo(const std::string& strText) override
    {
        m_questions.push_back(strText);
        return m_bAnswer;
    }
    bool AskOkCancel(const std::string& strText) override
    {
        m_questions.push_back(strText);
        return m_bAnswer;
    }
    void ShowStatusMessage(const std::string& strText) override { m_status.push_back(strText); }

    bool m_bAnswer = true;
    std::vector<std::string> m_messages;
    std::vector<std::string> m_questions;
    std::vector<std::string> m_status;
};

// Records every hint in a form a test can compare.
struct SSeenHint
{
    char m_cKind = 0; // 'H' CHexHint, 'U' CUndoHint, 'X' CRemoveHint
    uint32_t m_nType = 0;
    uint32_t m_nCount = 0;
    uint32_t m_nOffset = 0;
    int32_t m_nRecord = 0;
    bool m_bUndo = false;
};

class CRecordingView : public CHexBufferView
{
public:
    void OnBufferUpdate(CHexBufferView*, long, CHexUpdateHint* pHint) override
    {
        SSeenHint seen;
        if (auto* p = dynamic_cast<CHexHint*>(pHint))
        {
            seen = {'H', p->m_nType, p->m_nCount, p->m_nOffset, p->m_nRecord, p->m_bUndo};
        }
        else if (auto* u = dynamic_cast<CUndoHint*>(pHint))
        {
            seen.m_cKind = 'U';
            seen.m_nRecord = u->m_nRecord;
        }
        else if (auto* r = dynamic_cast<CRemoveHint*>(pHint))
        {
            seen.m_cKind = 'X';
            seen.m_nRecord = r->m_nLastRecord;
        }
        m_hints.push_back(seen);
    }
    std::vector<SSeenHint> m_hints;
};

// The whole current data of a buffer.
inline Bytes ReadAll(const CTarvoHexEditBuffer& buffer)
{
    Bytes data(buffer.GetLength());
    data.resize(buffer.ReadData(data.data(), buffer.GetLength(), 0));
    return data;
}

// Opens path the way the document does.
inline bool OpenDocument(CTarvoHexEditBuffer& buffer, const std::string& path)
{
    if (!buffer.Open(path))
    {
        return false;
    }
    buffer.AttachFileData();
    return true;
}

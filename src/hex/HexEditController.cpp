#include "hex/HexEditController.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "hex/HexCommands.h"
#include "hex/HexEditSettings.h"
#include "platform/AsciiCase.h"

namespace
{
constexpr uint32_t kInsert = CTarvoHexEditBuffer::kInsert;
constexpr uint32_t kReplace = CTarvoHexEditBuffer::kReplace;
constexpr uint32_t kReplaceBackward = CTarvoHexEditBuffer::kReplaceBackward;
constexpr uint32_t kDelete = CTarvoHexEditBuffer::kDelete;
constexpr uint32_t kDeleteBackward = CTarvoHexEditBuffer::kDeleteBackward;

const char kSelectionQuestion[] = "This will delete the current selection\rwhich is not allowed in "
                                  "overtype mode.\rDo you want to turn off overtype mode?";
const char kExtendQuestion[] =
    "You can't extend this file while in overtype mode.\rDo you want to turn off overtype mode?";
const char kDeleteQuestion[] =
    "You can't delete while in overtype mode.\rDo you want to turn off overtype mode?";
const char kCutQuestion[] =
    "You can't cut while in overtype mode.\rDo you want to turn off overtype mode?";
const char kPasteQuestion[] =
    "Pasting in overtype mode will overwrite data!\rDo you want to turn on insert mode?";
const char kPastePastEndQuestion[] = "The paste operation extends past EOF\nwhich is illegal in "
                                     "overtype mode.\nDo you want to turn on insert mode?";

// Reads in blocks of this size when building clipboard data.
constexpr uint32_t kReadBlock = 65536;

std::string TooLargeText(uint32_t nLength)
{
    const SHexNumberFormat format;
    return "Too much for clipboard!\rThe selection holds " + FormatDecimal(nLength, format) +
           " bytes; at most " + FormatDecimal(CHexEditController::kMaxClipboardBytes, format) +
           " bytes can be copied or dragged at once.";
}
} // namespace

std::vector<uint8_t> MakeBinaryClipData(const uint8_t* pBytes, uint32_t nCount)
{
    std::vector<uint8_t> layout(size_t(nCount) + 4);
    for (int i = 0; i < 4; ++i)
    {
        layout[static_cast<size_t>(i)] = static_cast<uint8_t>(nCount >> (8 * i));
    }
    if (nCount > 0)
    {
        std::memcpy(layout.data() + 4, pBytes, nCount);
    }
    return layout;
}

std::vector<uint8_t> ReadBinaryClipData(const std::vector<uint8_t>& layout)
{
    if (layout.size() < 4)
    {
        return {};
    }
    uint32_t nCount = 0;
    for (int i = 0; i < 4; ++i)
    {
        nCount |= uint32_t(layout[static_cast<size_t>(i)]) << (8 * i);
    }
    nCount = static_cast<uint32_t>(std::min<size_t>(nCount, layout.size() - 4));
    return std::vector<uint8_t>(layout.begin() + 4, layout.begin() + 4 + nCount);
}

CHexEditController::CHexEditController(CTarvoHexEditBuffer& buffer, CHexEditHost& host,
                                       const CHexEditSettings& settings)
    : m_buffer(buffer), m_host(host), m_settings(settings)
{
    m_layout.SetRowGeometry(settings.m_nRowSize, settings.m_nGroupSize);
    m_layout.SetDecimalAddresses(settings.m_bShowDecimalAddresses);
    m_layout.SetCharacterArea(settings.m_bShowCharacterArea);
    m_layout.SetDataLength(buffer.GetLength());
    m_buffer.AddView(this);
}

CHexEditController::~CHexEditController()
{
    m_buffer.RemoveView(this);
}

void CHexEditController::SetMetrics(int nCharWidth, int nLineHeight)
{
    m_layout.SetMetrics(nCharWidth, nLineHeight);
    m_host.OnLayoutChanged();
}

void CHexEditController::ApplySettings()
{
    if (m_layout.GetRowSize() == m_settings.m_nRowSize &&
        m_layout.GetGroupSize() == m_settings.m_nGroupSize)
    {
        return;
    }
    m_layout.SetRowGeometry(m_settings.m_nRowSize, m_settings.m_nGroupSize);
    m_host.OnLayoutChanged();
    m_host.OnDataChanged({SHexInvalidation::EKind::All, 0, 0});
    m_host.OnSelectionChanged(true);
}

bool CHexEditController::IsUppercase() const
{
    return m_settings.m_bShowUppercase;
}

uint8_t CHexEditController::ByteAt(uint32_t nPosition) const
{
    uint8_t nByte = 0;
    if (nPosition < Length() && m_buffer.ReadData(&nByte, 1, nPosition) != 1)
    {
        nByte = 0;
    }
    return nByte;
}

void CHexEditController::ResetSequences()
{
    m_nTypingSequence = 0;
    m_nDeleteSequence = 0;
    m_nBackspaceSequence = 0;
}

void CHexEditController::PlaceCaret(uint32_t nCaret, uint32_t nAnchor, bool bScroll)
{
    m_nCaret = std::min(nCaret, Length());
    m_nAnchor = std::min(nAnchor, Length());
    m_host.OnSelectionChanged(bScroll);
}

bool CHexEditController::CanModifyOrBeep()
{
    if (m_buffer.CanModify())
    {
        return true;
    }
    m_host.BeepRefused();
    return false;
}

bool CHexEditController::ResolveOvertype(const char* pszQuestion)
{
    if (!m_bOvertype)
    {
        return true;
    }
    if (!m_host.GetMessages().AskOkCancel(pszQuestion))
    {
        return false;
    }
    m_bOvertype = false;
    return true;
}

bool CHexEditController::ChangeBuffer(uint32_t nType, uint32_t nOffset, uint32_t nCount,
                                      const uint8_t* pData, int nSequence)
{
    if (m_buffer.Change(nType, nOffset, nCount, pData, nSequence, this))
    {
        return true;
    }
    m_host.BeepRefused();
    return false;
}

// ---------------------------------------------------------------------------------------
// Keyboard

void CHexEditController::MoveCaret(EHexKey key, bool bShift, bool bCtrl)
{
    ResetSequences();
    const int64_t n = Length();
    const int64_t R = m_layout.GetRowSize();
    const int64_t G = m_layout.GetGroupSize();
    const int64_t nCaret = m_nCaret;
    const int64_t nRowStart = nCaret - nCaret % R;
    const int64_t nColumn = nCaret % R;
    int64_t nTarget = nCaret;
    switch (key)
    {
    case EHexKey::Left:
        if (!bCtrl)
        {
            nTarget = nCaret - 1;
        }
        else if (nColumn % G != 0)
        {
            nTarget = nRowStart + nColumn / G * G;
        }
        else if (nColumn > 0)
        {
            nTarget = nRowStart + nColumn - G;
        }
        else
        {
            nTarget = nRowStart - R + (R - 1) / G * G; // the last group of the row above
        }
        break;
    case EHexKey::Right:
        if (!bCtrl)
        {
            nTarget = nCaret + 1;
        }
        else
        {
            const int64_t nNext = (nColumn / G + 1) * G;
            nTarget = nNext >= R ? nRowStart + R : nRowStart + nNext;
        }
        break;
    case EHexKey::Up:
        nTarget = nCaret - R;
        break;
    case EHexKey::Down:
        nTarget = nCaret + R;
        break;
    case EHexKey::PageUp:
    case EHexKey::PageDown:
    {
        const int64_t nStep = R * std::max(1, m_host.GetVisibleLines() - 1);
        nTarget = key == EHexKey::PageUp ? nCaret - nStep : nCaret + nStep;
        break;
    }
    case EHexKey::Home:
        nTarget = bCtrl ? 0 : nRowStart;
        break;
    case EHexKey::End:
        nTarget = bCtrl ? n : nRowStart + R - (bShift ? 0 : 1);
        break;
    }
    if (nTarget < 0)
    {
        nTarget = GetSelStart();
    }
    nTarget = std::min(nTarget, n);
    const uint32_t nNew = static_cast<uint32_t>(nTarget);
    PlaceCaret(nNew, bShift ? m_nAnchor : nNew);
}

void CHexEditController::OnChar(uint8_t nChar)
{
    if (nChar == 0 || nChar == 0x1C)
    {
        return;
    }
    if (nChar == '\b')
    {
        Backspace();
        return;
    }
    m_nDeleteSequence = 0;
    m_nBackspaceSequence = 0;
    TypeByte(nChar);
}

void CHexEditController::TypeByte(uint8_t nChar)
{
    int nDigit = -1;
    if (!m_bCharArea)
    {
        nDigit = AsciiHexDigitValue(static_cast<unsigned char>(nChar));
        if (nDigit < 0)
        {
            m_host.BeepInvalidKey();
            return;
        }
    }
    if (!CanModifyOrBeep())
    {
        return;
    }
    if (m_bOvertype)
    {
        if (HasSelection())
        {
            if (!ResolveOvertype(kSelectionQuestion))
            {
                return;
            }
        }
        else if (m_nCaret >= Length() && !IsHalfTyped())
        {
            if (!ResolveOvertype(kExtendQuestion))
            {
                return;
            }
        }
    }
    const uint32_t s = GetSelStart();
    const uint32_t e = GetSelEnd();
    if (s < e && !ChangeBuffer(kDelete, s, e - s, nullptr, 0))
    {
        return;
    }
    const uint32_t nType = m_bOvertype ? kReplace : kInsert;
    if (m_bCharArea)
    {
        if (!ChangeBuffer(nType, s, 1, &nChar, m_nTypingSequence))
        {
            return;
        }
        m_nTypingSequence += 2;
        PlaceCaret(s + 1, s + 1);
        return;
    }
    if (m_nTypingSequence % 2 == 0)
    {
        const uint8_t nValue = static_cast<uint8_t>(nDigit);
        if (!ChangeBuffer(nType, s, 1, &nValue, m_nTypingSequence))
        {
            return;
        }
        m_nTypingSequence += 1;
        PlaceCaret(s, s); // shown after the byte's two digits
        return;
    }
    const uint8_t nValue = static_cast<uint8_t>((ByteAt(s) << 4) | nDigit);
    if (!ChangeBuffer(nType, s, 1, &nValue, m_nTypingSequence))
    {
        return;
    }
    m_nTypingSequence += 1;
    PlaceCaret(s + 1, s + 1);
}

void CHexEditController::Backspace()
{
    if (!CanModifyOrBeep())
    {
        return;
    }
    uint32_t nPosition = 0;
    if (HasSelection())
    {
        if (!ResolveOvertype(kSelectionQuestion))
        {
            return;
        }
        nPosition = GetSelStart();
        if (!ChangeBuffer(kDelete, nPosition, GetSelEnd() - nPosition, nullptr, 0))
        {
            return;
        }
    }
    else
    {
        const uint64_t nFrom = uint64_t(m_nCaret) + (IsHalfTyped() ? 1 : 0);
        if (nFrom == 0)
        {
            return;
        }
        nPosition = static_cast<uint32_t>(nFrom - 1);
        if (!m_bOvertype)
        {
            if (!ChangeBuffer(kDeleteBackward, nPosition, 1, nullptr, m_nBackspaceSequence))
            {
                return;
            }
            m_nBackspaceSequence += 2;
        }
        else
        {
            const uint8_t nBlank = m_bCharArea ? 0x20 : 0x00;
            if (!ChangeBuffer(kReplaceBackward, nPosition, 1, &nBlank, m_nBackspaceSequence))
            {
                return;
            }
            m_nBackspaceSequence += 1;
        }
    }
    m_nTypingSequence = 0;
    m_nDeleteSequence = 0;
    PlaceCaret(nPosition, nPosition);
}

// ---------------------------------------------------------------------------------------
// Mouse

uint32_t CHexEditController::PositionAt(int64_t nX, int64_t nY, bool* pbCharArea) const
{
    const bool bCharArea =
        m_layout.AreaAt(nX) == EHexArea::Character ||
        (m_layout.AreaAt(nX) == EHexArea::Beyond && m_layout.IsCharacterAreaShown());
    if (pbCharArea != nullptr)
    {
        *pbCharArea = bCharArea;
    }
    return static_cast<uint32_t>(
        std::min<uint64_t>(m_layout.PointToPosition(nX, nY, bCharArea, true), Length()));
}

EHexMouse CHexEditController::MouseDown(int64_t nX, int64_t nY, bool bShift)
{
    if (m_layout.AreaAt(nX) == EHexArea::Beyond)
    {
        return EHexMouse::Ignored;
    }
    if (bShift)
    {
        const uint32_t nPosition = static_cast<uint32_t>(
            std::min<uint64_t>(m_layout.PointToPosition(nX, nY, m_bCharArea, false), Length()));
        PlaceCaret(nPosition, m_nAnchor);
        return EHexMouse::Selecting;
    }
    ResetSequences();
    bool bCharArea = false;
    const uint32_t nPosition = PositionAt(nX, nY, &bCharArea);
    m_bCharArea = bCharArea;
    if (HasSelection() && nPosition >= GetSelStart() && nPosition < GetSelEnd())
    {
        m_host.OnSelectionChanged(false);
        return EHexMouse::DragCandidate;
    }
    PlaceCaret(nPosition, nPosition);
    return EHexMouse::Selecting;
}

void CHexEditController::MouseMove(int64_t nX, int64_t nY)
{
    const uint32_t nPosition = static_cast<uint32_t>(
        std::min<uint64_t>(m_layout.PointToPosition(nX, nY, m_bCharArea, false), Length()));
    if (nPosition != m_nCaret)
    {
        PlaceCaret(nPosition, m_nAnchor);
    }
}

void CHexEditController::MouseUp(int64_t nX, int64_t nY)
{
    const uint32_t nPosition = PositionAt(nX, nY);
    PlaceCaret(nPosition, nPosition);
}

// ---------------------------------------------------------------------------------------
// Commands

void CHexEditController::Delete()
{
    if (!CanModifyOrBeep() || !ResolveOvertype(kDeleteQuestion))
    {
        return;
    }
    m_nTypingSequence = 0;
    m_nBackspaceSequence = 0;
    if (!HasSelection())
    {
        if (m_nCaret < Length() && ChangeBuffer(kDelete, m_nCaret, 1, nullptr, m_nDeleteSequence))
        {
            m_nDeleteSequence += 2;
            PlaceCaret(m_nCaret, m_nCaret);
        }
        return;
    }
    const uint32_t s = GetSelStart();
    m_nDeleteSequence = 0;
    if (ChangeBuffer(kDelete, s, GetSelEnd() - s, nullptr, 0))
    {
        PlaceCaret(s, s);
    }
}

bool CHexEditController::BuildClipText(uint32_t nFrom, uint32_t nTo, std::string& strText,
                                       std::vector<uint8_t>& binary, bool bWithBinary)
{
    const uint32_t nLength = nTo - nFrom;
    try
    {
        strText.clear();
        strText.reserve(size_t(nLength) + 1);
        if (bWithBinary)
        {
            binary.assign(size_t(nLength) + 4, 0);
            for (int i = 0; i < 4; ++i)
            {
                binary[static_cast<size_t>(i)] = static_cast<uint8_t>(nLength >> (8 * i));
            }
        }
        std::vector<uint8_t> block(std::min(nLength, kReadBlock));
        for (uint32_t nPosition = nFrom; nPosition < nTo;)
        {
            const uint32_t nWant = std::min(kReadBlock, nTo - nPosition);
            const uint32_t nGot = m_buffer.ReadData(block.data(), nWant, nPosition);
            for (uint32_t i = 0; i < nGot; ++i)
            {
                if (block[i] != 0)
                {
                    strText += static_cast<char>(block[i]);
                }
            }
            if (bWithBinary)
            {
                std::memcpy(binary.data() + 4 + (nPosition - nFrom), block.data(), nGot);
            }
            if (nGot < nWant)
            {
                break; // the file shrank underneath: what could be read is kept
            }
            nPosition += nGot;
        }
    }
    catch (const std::bad_alloc&)
    {
        strText.clear();
        binary.clear();
        return false;
    }
    return true;
}

bool CHexEditController::Copy(CHexClipboard& clipboard)
{
    ResetSequences();
    CHexMessageSink& messages = m_host.GetMessages();
    if (!HasSelection())
    {
        messages.ShowMessage("Nothing selected to place on clipboard!");
        return false;
    }
    const uint32_t s = GetSelStart();
    const uint32_t e = GetSelEnd();
    if (e - s > kMaxClipboardBytes)
    {
        messages.ShowMessage(TooLargeText(e - s));
        return false;
    }
    if (!clipboard.Open())
    {
        messages.ShowMessage("The clipboard is in use!");
        return false;
    }
    if (!clipboard.Empty())
    {
        messages.ShowMessage("Could not delete previous contents of the clipboard!");
        clipboard.Close();
        return false;
    }
    std::string strText;
    std::vector<uint8_t> binary;
    if (!BuildClipText(s, e, strText, binary, false))
    {
        messages.ShowMessage("Insufficient memory for clipboard data");
        clipboard.Close();
        return false;
    }
    bool bAll = true;
    if (strText.empty())
    {
        messages.ShowStatusMessage("Warning: no valid text bytes - no text placed on clipboard");
    }
    if (!clipboard.SetText(strText))
    {
        messages.ShowMessage("Could not place text data on clipboard");
        bAll = false;
    }
    std::string strUnused;
    strText = std::string(); // give the text's memory back before the binary copy
    if (!BuildClipText(s, e, strUnused, binary, true))
    {
        messages.ShowMessage("Insufficient memory: stored to clipboard as text only");
        bAll = false;
    }
    else if (!clipboard.SetBinary(binary))
    {
        messages.ShowMessage("Could not place binary data on clipboard: stored as text only");
        bAll = false;
    }
    clipboard.Close();
    return bAll;
}

bool CHexEditController::Cut(CHexClipboard& clipboard)
{
    if (!CanModifyOrBeep() || !ResolveOvertype(kCutQuestion))
    {
        return false;
    }
    const uint32_t s = GetSelStart();
    const uint32_t e = GetSelEnd();
    if (!Copy(clipboard))
    {
        return false;
    }
    if (!ChangeBuffer(kDelete, s, e - s, nullptr, 0))
    {
        return false;
    }
    PlaceCaret(s, s);
    return true;
}

bool CHexEditController::Paste(CHexClipboard& clipboard)
{
    if (!CanModifyOrBeep())
    {
        return false;
    }
    if (m_bOvertype)
    {
        const int nAnswer = m_host.AskYesNoCancel(kPasteQuestion);
        if (nAnswer < 0)
        {
            return false;
        }
        if (nAnswer > 0)
        {
            m_bOvertype = false;
        }
    }
    ResetSequences();
    CHexMessageSink& messages = m_host.GetMessages();
    if (!clipboard.Open())
    {
        messages.ShowMessage("The clipboard is in use!");
        return false;
    }
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> layout;
    if (clipboard.GetBinary(layout))
    {
        bytes = ReadBinaryClipData(layout);
    }
    else
    {
        std::string strText;
        if (!clipboard.GetText(strText))
        {
            messages.ShowMessage("There is nothing on the clipboard to paste");
            clipboard.Close();
            return false;
        }
        strText.resize(std::strlen(strText.c_str())); // the text ends at its first zero byte
        if (strText.empty())
        {
            messages.ShowMessage("Text on clipboard is not valid ASCII text!");
            clipboard.Close();
            return false;
        }
        bytes.assign(strText.begin(), strText.end());
    }
    if (bytes.empty() || bytes.size() > UINT32_MAX)
    {
        messages.ShowMessage("There is nothing on the clipboard to paste");
        clipboard.Close();
        return false;
    }
    const uint32_t n = static_cast<uint32_t>(bytes.size());
    const uint32_t s = GetSelStart();
    if (m_bOvertype && uint64_t(s) + n > Length())
    {
        if (!messages.AskOkCancel(kPastePastEndQuestion))
        {
            clipboard.Close();
            return false;
        }
        m_bOvertype = false;
    }
    const bool bDone = ChangeBuffer(m_bOvertype ? kReplace : kInsert, s, n, bytes.data(), 0);
    if (bDone)
    {
        PlaceCaret(s + n, s);
    }
    clipboard.Close();
    return bDone;
}

void CHexEditController::SelectAll()
{
    ResetSequences();
    PlaceCaret(Length(), 0);
}

void CHexEditController::Undo()
{
    const std::vector<SHexChangeRecord>& records = m_buffer.GetRecords();
    if (records.empty() || !CanModifyOrBeep())
    {
        return;
    }
    const uint32_t nOffset = records.back().m_nOffset;
    if (m_buffer.Undo(this, static_cast<int32_t>(records.size()) - 1))
    {
        PlaceCaret(nOffset, nOffset);
    }
}

void CHexEditController::ToggleOvertype()
{
    if (!m_buffer.CanModify())
    {
        m_host.GetMessages().ShowMessage("Attempt to toggle OVR/INS in read only mode");
        return;
    }
    ResetSequences();
    m_bOvertype = !m_bOvertype;
    m_host.OnSelectionChanged(false);
}

void CHexEditController::ToggleReadOnly()
{
    ResetSequences();
    m_buffer.SetReadOnly(!m_buffer.IsReadOnly());
    m_host.OnSelectionChanged(false);
}

void CHexEditController::ToggleBookmark()
{
    m_nBookmark = m_nBookmark == int64_t(m_nCaret) ? -1 : int64_t(m_nCaret);
    m_bBookmarkCharArea = m_bCharArea;
    m_host.OnDataChanged({SHexInvalidation::EKind::All, 0, 0});
}

void CHexEditController::ClearBookmarks()
{
    m_nBookmark = -1;
    m_host.OnDataChanged({SHexInvalidation::EKind::All, 0, 0});
}

void CHexEditController::GotoBookmark()
{
    if (m_nBookmark < 0)
    {
        return;
    }
    ResetSequences();
    if (m_layout.IsCharacterAreaShown())
    {
        m_bCharArea = m_bBookmarkCharArea;
    }
    const uint32_t nPosition = static_cast<uint32_t>(std::min<int64_t>(m_nBookmark, Length()));
    PlaceCaret(nPosition, nPosition);
}

void CHexEditController::ToggleCharacterArea()
{
    const bool bShown = !m_layout.IsCharacterAreaShown();
    m_layout.SetCharacterArea(bShown);
    if (!bShown)
    {
        m_bCharArea = false;
    }
    m_host.OnLayoutChanged();
    m_host.OnDataChanged({SHexInvalidation::EKind::All, 0, 0});
    m_host.OnSelectionChanged(true);
}

void CHexEditController::ToggleDecimalAddresses()
{
    m_layout.SetDecimalAddresses(!m_layout.IsDecimalAddresses());
    m_host.OnLayoutChanged();
    m_host.OnDataChanged({SHexInvalidation::EKind::All, 0, 0});
    m_host.OnSelectionChanged(true);
}

bool CHexEditController::Save(const std::string& path)
{
    ResetSequences();
    m_buffer.SetBackupFile(m_settings.m_bBackupFile);
    return m_buffer.Save(path);
}

bool CHexEditController::SetSelection(int64_t nCaret, int64_t nAnchor)
{
    const std::optional<SHexSelection> selection =
        CheckHexSelection(nCaret, nAnchor, Length(), m_host.GetMessages());
    if (!selection)
    {
        return false;
    }
    ResetSequences();
    if (selection->m_nCaret == m_nCaret && selection->m_nAnchor == m_nAnchor)
    {
        m_host.OnSelectionChanged(true);
        return true;
    }
    PlaceCaret(selection->m_nCaret, selection->m_nAnchor);
    return true;
}

void CHexEditController::ApplyFound(const SHexFindResult& found)
{
    if (found.m_bText && m_layout.IsCharacterAreaShown())
    {
        m_bCharArea = true;
    }
    else if (!found.m_bText)
    {
        m_bCharArea = false;
    }
    SetSelection(found.m_nEnd, found.m_nStart);
}

// ---------------------------------------------------------------------------------------
// Drag and drop

bool CHexEditController::StartDrag(std::string& strText, std::vector<uint8_t>& binary)
{
    ResetSequences();
    CHexMessageSink& messages = m_host.GetMessages();
    if (!HasSelection())
    {
        return false;
    }
    const uint32_t s = GetSelStart();
    const uint32_t e = GetSelEnd();
    if (e - s > kMaxClipboardBytes)
    {
        messages.ShowMessage(TooLargeText(e - s));
        return false;
    }
    if (!BuildClipText(s, e, strText, binary, true))
    {
        messages.ShowMessage("Insufficient memory for clipboard data");
        return false;
    }
    if (strText.empty())
    {
        messages.ShowStatusMessage("Warning: no valid text bytes - no text placed on clipboard");
    }
    m_bDragging = true;
    m_nDragFrom = s;
    m_nDragTo = e;
    return true;
}

void CHexEditController::EndDrag(bool bMoved, bool bDroppedHere)
{
    if (!m_bDragging)
    {
        return;
    }
    m_bDragging = false;
    if (!bMoved || m_nDragTo <= m_nDragFrom || !m_buffer.CanModify())
    {
        return;
    }
    const uint32_t nCaret = m_nCaret;
    if (!ChangeBuffer(kDelete, m_nDragFrom, m_nDragTo - m_nDragFrom, nullptr, 0))
    {
        return;
    }
    if (!bDroppedHere)
    {
        const uint32_t nPosition = std::min(nCaret, Length());
        PlaceCaret(nPosition, nPosition);
    }
}

bool CHexEditController::Drop(const std::vector<uint8_t>& bytes, uint32_t nPosition)
{
    if (bytes.empty() || bytes.size() > UINT32_MAX || nPosition > Length() || !CanModifyOrBeep())
    {
        return false;
    }
    // Dropping the dragged bytes inside themselves would split them, and the move's
    // delete would then take part of the dropped bytes: refused.
    if (m_bDragging && nPosition > m_nDragFrom && nPosition < m_nDragTo)
    {
        return false;
    }
    ResetSequences();
    const uint32_t n = static_cast<uint32_t>(bytes.size());
    if (!ChangeBuffer(kInsert, nPosition, n, bytes.data(), 0))
    {
        return false;
    }
    if (m_bDragging && m_nDragFrom >= nPosition)
    {
        m_nDragFrom += n;
        m_nDragTo += n;
    }
    PlaceCaret(nPosition + n, nPosition);
    return true;
}

// ---------------------------------------------------------------------------------------
// Status, commands and menus

SHexStatus CHexEditController::GetStatus(const SHexNumberFormat& format) const
{
    SHexStatus status;
    const bool bUpper = IsUppercase();
    status.m_bByteEnabled = m_nCaret < Length();
    status.m_strByte = FormatByteStatus(status.m_bByteEnabled ? ByteAt(m_nCaret) : 0, bUpper);
    status.m_strPosition = FormatPositionStatus(m_nCaret, bUpper, format);
    status.m_strReadOnly = m_buffer.CanModify() ? "" : "RO";
    status.m_strOvertype = m_bOvertype ? "OVR" : "INS";
    status.m_bOvertypeEnabled = m_buffer.CanModify();
    return status;
}

std::string CHexEditController::GetSelectionTip(const SHexNumberFormat& format) const
{
    if (!HasSelection())
    {
        return {};
    }
    return FormatSelectionSize(GetSelEnd() - GetSelStart(), IsUppercase(),
                               m_layout.IsDecimalAddresses(), format);
}

const std::vector<SCommandInfo>& CHexEditController::GetCommands()
{
    using namespace HexCommand;
    static const std::vector<SCommandInfo> commands = {
        {kEditUndo, "&Undo", "Ctrl+Z; Alt+Backspace"},
        {kEditCut, "Cu&t", "Ctrl+X; Shift+Del"},
        {kEditCopy, "&Copy", "Ctrl+C; Ctrl+Ins"},
        {kEditPaste, "&Paste", "Ctrl+V; Shift+Ins"},
        {kEditClear, "&Delete", "Del"},
        {kEditSelectAll, "Select &All", "Ctrl+A"},
        {kToggleOvertype, "Toggle &Overtype", "Ins"},
        {kReadOnly, "&Read Only", ""},
        {kToggleBookmark, "Toggle &Bookmark", "Ctrl+F2"},
        {kClearBookmarks, "&Clear All Bookmarks", "Ctrl+Shift+F2"},
        {kGotoBookmark, "Go to &Bookmark", "F2"},
        {kEditFind, "&Find...", "Ctrl+F"},
        {kFindNext, "Find &Next", "F3"},
        {kEditRepeat, "&Repeat", ""},
        {kFindPrevious, "Find &Previous", "Shift+F3"},
        {kHighlightAll, "&Highlight All Matches", ""},
        {kGoTo, "&Go to...", "Ctrl+G"},
        {kCharacterArea, "&Character Area", ""},
        {kDecimalAddresses, "&Decimal Addresses", ""},
        {kFileSave, "&Save", "Ctrl+S"},
        {kFileSaveAs, "Save &As...", ""},
    };
    return commands;
}

bool CHexEditController::UpdateCommand(int nId, SCommandState& state) const
{
    using namespace HexCommand;
    state = SCommandState();
    switch (nId)
    {
    case kEditUndo:
        state.bEnabled = !m_buffer.GetRecords().empty() && m_buffer.CanModify();
        return true;
    case kReadOnly:
        state.bChecked = m_buffer.IsReadOnly();
        return true;
    case kGotoBookmark:
    case kClearBookmarks:
        state.bEnabled = m_nBookmark >= 0;
        return true;
    case kHighlightAll:
        state.bChecked = m_bHighlightAll;
        return true;
    case kCharacterArea:
        state.bChecked = m_layout.IsCharacterAreaShown();
        return true;
    case kDecimalAddresses:
        state.bChecked = m_layout.IsDecimalAddresses();
        return true;
    case kToggleOvertype:
        state.bChecked = !m_bOvertype;
        return true;
    case kEditCut:
    case kEditCopy:
    case kEditPaste:
    case kEditClear:
    case kEditSelectAll:
    case kToggleBookmark:
    case kEditFind:
    case kFindNext:
    case kEditRepeat:
    case kFindPrevious:
    case kGoTo:
    case kFileSave:
    case kFileSaveAs:
        return true;
    default:
        return false;
    }
}

std::vector<SHexMenuItem> CHexEditController::GetContextMenu(int64_t nX) const
{
    using namespace HexCommand;
    if (m_layout.AreaAt(nX) == EHexArea::Address)
    {
        return {{kDecimalAddresses, "&Decimal Addresses"},
                {kGoTo, "&Go to..."},
                {kGotoBookmark, "Go to &Bookmark"},
                {kEditFind, "&Find..."}};
    }
    return {{kEditCut, "Cu&t"},
            {kEditCopy, "&Copy"},
            {kEditPaste, "&Paste"},
            {kEditClear, "&Delete"},
            {kToggleBookmark, "Toggle &Bookmark"},
            {kCompareTo, "Compare to..."}};
}

// ---------------------------------------------------------------------------------------
// Following the buffer

void CHexEditController::FollowChange(const CHexHint& hint)
{
    const uint64_t o = hint.m_nOffset;
    const uint64_t n = hint.m_nCount;
    uint64_t s = GetSelStart();
    uint64_t e = GetSelEnd();
    const bool bCaretFirst = m_nCaret <= m_nAnchor;
    if (hint.m_nType == kInsert)
    {
        if (o < e)
        {
            e += n;
            if (o <= s)
            {
                s += n;
            }
        }
        if (m_nBookmark >= 0 && uint64_t(m_nBookmark) >= o)
        {
            m_nBookmark += int64_t(n);
        }
    }
    else if (hint.m_nType == kDelete || hint.m_nType == kDeleteBackward)
    {
        if (s >= o + n)
        {
            s -= n;
            e -= n;
        }
        else if (e > o)
        {
            s = o <= s ? o : s;
            e = e <= o + n ? o : e - n;
        }
        if (m_nBookmark >= 0)
        {
            if (uint64_t(m_nBookmark) > o + n)
            {
                m_nBookmark -= int64_t(n);
            }
            else if (uint64_t(m_nBookmark) > o)
            {
                m_nBookmark = int64_t(o);
            }
        }
    }
    else
    {
        return;
    }
    const uint32_t nStart = static_cast<uint32_t>(std::min<uint64_t>(s, UINT32_MAX));
    const uint32_t nEnd = static_cast<uint32_t>(std::min<uint64_t>(e, UINT32_MAX));
    m_nCaret = bCaretFirst ? nStart : nEnd;
    m_nAnchor = bCaretFirst ? nEnd : nStart;
}

void CHexEditController::UpdateLength()
{
    const uint32_t n = Length();
    m_nCaret = std::min(m_nCaret, n);
    m_nAnchor = std::min(m_nAnchor, n);
    if (m_nBookmark > int64_t(n))
    {
        m_nBookmark = n;
    }
}

void CHexEditController::OnBufferUpdate(CHexBufferView*, long, CHexUpdateHint* pHint)
{
    if (const auto* pChange = dynamic_cast<const CHexHint*>(pHint))
    {
        const uint32_t nOldLines = m_layout.GetLineCount();
        if (!pChange->m_bUndo)
        {
            FollowChange(*pChange);
        }
        const bool bWidthChanged = m_layout.SetDataLength(Length());
        UpdateLength();
        if (bWidthChanged || nOldLines != m_layout.GetLineCount())
        {
            m_host.OnLayoutChanged();
        }
        m_host.OnDataChanged(CHexLayout::InvalidationAfterChange(
            pChange->m_nType, pChange->m_nOffset, pChange->m_nCount, bWidthChanged));
        if (pChange->m_pSender != this)
        {
            m_host.OnSelectionChanged(false);
        }
        return;
    }
    if (dynamic_cast<const CUndoHint*>(pHint) != nullptr ||
        dynamic_cast<const CRemoveHint*>(pHint) != nullptr)
    {
        ResetSequences();
        if (dynamic_cast<const CRemoveHint*>(pHint) != nullptr)
        {
            const bool bWidthChanged = m_layout.SetDataLength(Length());
            UpdateLength();
            m_host.OnLayoutChanged();
            m_host.OnDataChanged(
                {bWidthChanged ? SHexInvalidation::EKind::All : SHexInvalidation::EKind::None, 0,
                 0});
        }
    }
}

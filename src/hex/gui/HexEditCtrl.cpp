#include "hex/gui/HexEditCtrl.h"

#include <QApplication>
#include <QKeyEvent>

CTarvoHexEditCtrl::CTarvoHexEditCtrl(bool bUppercase, QWidget* pParent)
    : QLineEdit(pParent), m_rules(bUppercase)
{
}

void CTarvoHexEditCtrl::SetHexText(const QString& text)
{
    SHexEntryState state{text.toStdString(), static_cast<size_t>(text.size()),
                         static_cast<size_t>(text.size())};
    m_rules.Reformat(state);
    Apply(state);
}

void CTarvoHexEditCtrl::Apply(const SHexEntryState& state)
{
    const QString text = QString::fromStdString(state.m_strText);
    if (text != this->text())
    {
        setText(text); // emits textChanged for the other field of the dialog
    }
    setCursorPosition(static_cast<int>(state.m_nCaret));
}

void CTarvoHexEditCtrl::keyPressEvent(QKeyEvent* pEvent)
{
    SHexEntryState state;
    state.m_strText = text().toStdString();
    const int nCursor = cursorPosition();
    state.m_nCaret = static_cast<size_t>(nCursor);
    state.m_nAnchor = state.m_nCaret;
    if (hasSelectedText())
    {
        const int nStart = selectionStart();
        const int nEnd = nStart + static_cast<int>(selectedText().size());
        state.m_nAnchor = static_cast<size_t>(nCursor == nStart ? nEnd : nStart);
    }
    const bool bShift = (pEvent->modifiers() & Qt::ShiftModifier) != 0;
    const bool bPlain = (pEvent->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
    EHexEntryResult result = EHexEntryResult::Default;
    switch (pEvent->key())
    {
    case Qt::Key_Backspace:
        result = m_rules.OnChar('\b', state);
        break;
    case Qt::Key_Delete:
        result = m_rules.OnDelete(state);
        break;
    case Qt::Key_Left:
        result = bPlain ? m_rules.OnLeft(bShift, state) : EHexEntryResult::Default;
        break;
    case Qt::Key_Right:
        result = bPlain ? m_rules.OnRight(bShift, state) : EHexEntryResult::Default;
        break;
    default:
    {
        const QString typed = pEvent->text();
        if (bPlain && typed.size() == 1 && typed[0].unicode() >= 32 && typed[0].unicode() != 127)
        {
            const char16_t c = typed[0].unicode();
            result = c < 128 ? m_rules.OnChar(static_cast<char>(c), state) : EHexEntryResult::Beep;
        }
        break;
    }
    }
    switch (result)
    {
    case EHexEntryResult::Handled:
        Apply(state);
        break;
    case EHexEntryResult::Ignored:
        break;
    case EHexEntryResult::Beep:
        // The platform's stand-in for the 5000 Hz, 200 ms beep of a refused key.
        QApplication::beep();
        break;
    case EHexEntryResult::Default:
    {
        const QString before = text();
        QLineEdit::keyPressEvent(pEvent);
        if (text() != before) // a paste or a cut: the text obeys the rules again
        {
            SetHexText(text());
        }
        break;
    }
    }
}

#pragma once
// How an edit moves the positions a view keeps (caret, selection, anchors). The buffer
// passes one with every edit notification; a view maps each stored position taken before
// the edit through RecalcPoint.

#include "text/TextPosition.h"

class CUpdateContext
{
public:
    virtual ~CUpdateContext() = default;
    virtual void RecalcPoint(STextPosition& pt) const = 0;
};

// Text was inserted; it ran from m_ptStart to m_ptEnd after the insert. Positions on
// earlier lines stay; on the start line a position after the insertion point moves along
// with the text behind it, and one exactly at the insertion point stays before the new
// text; positions on later lines move down by the lines inserted.
class CInsertContext : public CUpdateContext
{
public:
    CInsertContext() = default;
    CInsertContext(STextPosition ptStart, STextPosition ptEnd) : m_ptStart(ptStart), m_ptEnd(ptEnd)
    {
    }
    void RecalcPoint(STextPosition& pt) const override;

    STextPosition m_ptStart;
    STextPosition m_ptEnd;
};

// The range m_ptStart..m_ptEnd was deleted. Positions before it stay; positions inside it
// collapse to m_ptStart; positions after it on its end line join the start line; positions
// on later lines move up by the lines removed.
class CDeleteContext : public CUpdateContext
{
public:
    CDeleteContext() = default;
    CDeleteContext(STextPosition ptStart, STextPosition ptEnd) : m_ptStart(ptStart), m_ptEnd(ptEnd)
    {
    }
    void RecalcPoint(STextPosition& pt) const override;

    STextPosition m_ptStart;
    STextPosition m_ptEnd;
};

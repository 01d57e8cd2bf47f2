#include "text/UpdateContext.h"

void CInsertContext::RecalcPoint(STextPosition& pt) const
{
    if (pt.y < m_ptStart.y)
        return;
    if (pt.y == m_ptStart.y)
    {
        if (pt.x > m_ptStart.x)
        {
            pt.x = m_ptEnd.x + pt.x - m_ptStart.x;
            pt.y = m_ptEnd.y;
        }
        return;
    }
    pt.y += m_ptEnd.y - m_ptStart.y;
}

void CDeleteContext::RecalcPoint(STextPosition& pt) const
{
    if (pt.y < m_ptStart.y)
        return;
    if (pt.y == m_ptEnd.y && pt.x >= m_ptEnd.x)
    {
        pt.x = m_ptStart.x + pt.x - m_ptEnd.x;
        pt.y = m_ptStart.y;
        return;
    }
    if (pt.y <= m_ptEnd.y)
    {
        if (pt.y != m_ptStart.y)
            pt = m_ptStart;
        else if (pt.x > m_ptStart.x)
            pt.x = m_ptStart.x;
        return;
    }
    pt.y -= m_ptEnd.y - m_ptStart.y;
}

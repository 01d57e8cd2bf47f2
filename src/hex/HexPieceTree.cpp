#include "hex/HexPieceTree.h"

#include <algorithm>

namespace
{

// The piece made of the bytes of `piece` from nSkip on.
SHexPiece Advanced(const SHexPiece& piece, uint32_t nSkip)
{
    SHexPiece tail = piece;
    tail.m_nLength = piece.m_nLength - nSkip;
    if (tail.m_cKind == 'f')
    {
        tail.m_nSource += nSkip;
    }
    else
    {
        tail.m_pData += nSkip;
    }
    return tail;
}

// Whether `next` starts where `piece` ends, so that the two are one run of bytes.
bool Continues(const SHexPiece& piece, const SHexPiece& next)
{
    if (piece.m_cKind != next.m_cKind || uint64_t(piece.m_nLength) + next.m_nLength > UINT32_MAX)
    {
        return false;
    }
    if (piece.m_cKind == 'f')
    {
        return uint64_t(piece.m_nSource) + piece.m_nLength == next.m_nSource;
    }
    return piece.m_pData + piece.m_nLength == next.m_pData;
}

} // namespace

void CHexPieceTree::Clear()
{
    // The memory goes too: after a save that dropped many changes it would otherwise stay.
    std::vector<SNode>().swap(m_nodes);
    std::vector<int32_t>().swap(m_free);
    m_nRoot = kNone;
    m_nCount = 0;
}

void CHexPieceTree::Reset(const SHexPiece& whole)
{
    Clear();
    m_nRoot = NewNode(whole);
}

void CHexPieceTree::Update(int32_t nNode)
{
    SNode& node = m_nodes[nNode];
    node.m_nTotal = node.m_piece.m_nLength + Total(node.m_nLeft) + Total(node.m_nRight);
}

uint32_t CHexPieceTree::NextPriority()
{
    // xorshift64*: cheap, and any fixed sequence keeps the tree balanced in expectation,
    // since the order of the pieces does not depend on it.
    m_nSeed ^= m_nSeed >> 12;
    m_nSeed ^= m_nSeed << 25;
    m_nSeed ^= m_nSeed >> 27;
    return static_cast<uint32_t>((m_nSeed * 0x2545F4914F6CDD1Dull) >> 32);
}

int32_t CHexPieceTree::NewNode(const SHexPiece& piece)
{
    int32_t nNode;
    if (!m_free.empty())
    {
        nNode = m_free.back();
        m_free.pop_back();
    }
    else
    {
        nNode = static_cast<int32_t>(m_nodes.size());
        m_nodes.emplace_back();
    }
    SNode& node = m_nodes[nNode];
    node.m_piece = piece;
    node.m_nTotal = piece.m_nLength;
    node.m_nLeft = kNone;
    node.m_nRight = kNone;
    node.m_nPriority = NextPriority();
    ++m_nCount;
    return nNode;
}

void CHexPieceTree::FreeNode(int32_t nNode)
{
    m_free.push_back(nNode);
    --m_nCount;
}

// Nodes are addressed by index, never by reference, across calls that may add a node:
// adding one may move them all.
void CHexPieceTree::Split(int32_t nTree, uint64_t nAt, int32_t& nLeft, int32_t& nRight)
{
    // A cut inside a piece first shortens that piece to its head; the tail becomes a node
    // of its own, with a priority of its own, in front of the second part. (Handing the
    // tail down inside the recursive split would put a node of random priority below
    // nodes of lower priority.)
    int32_t nNode = nTree;
    uint64_t nBase = 0;
    std::vector<int32_t>& path = m_path;
    path.clear();
    while (nNode != kNone)
    {
        const uint64_t nStart = nBase + Total(m_nodes[nNode].m_nLeft);
        const uint64_t nEnd = nStart + m_nodes[nNode].m_piece.m_nLength;
        if (nAt < nStart)
        {
            path.push_back(nNode);
            nNode = m_nodes[nNode].m_nLeft;
        }
        else if (nAt >= nEnd)
        {
            path.push_back(nNode);
            nBase = nEnd;
            nNode = m_nodes[nNode].m_nRight;
        }
        else
        {
            if (nAt > nStart)
            {
                const uint32_t nTailLength = static_cast<uint32_t>(nEnd - nAt);
                const SHexPiece tail =
                    Advanced(m_nodes[nNode].m_piece, static_cast<uint32_t>(nAt - nStart));
                m_nodes[nNode].m_piece.m_nLength -= nTailLength;
                m_nodes[nNode].m_nTotal -= nTailLength;
                for (const int32_t nAbove : path)
                {
                    m_nodes[nAbove].m_nTotal -= nTailLength;
                }
                SplitAtBoundary(nTree, nAt, nLeft, nRight);
                nRight = Merge(NewNode(tail), nRight);
                return;
            }
            break;
        }
    }
    SplitAtBoundary(nTree, nAt, nLeft, nRight);
}

void CHexPieceTree::SplitAtBoundary(int32_t nTree, uint64_t nAt, int32_t& nLeft, int32_t& nRight)
{
    if (nTree == kNone)
    {
        nLeft = nRight = kNone;
        return;
    }
    const uint64_t nLeftTotal = Total(m_nodes[nTree].m_nLeft);
    if (nAt <= nLeftTotal)
    {
        int32_t nInnerRight = kNone;
        SplitAtBoundary(m_nodes[nTree].m_nLeft, nAt, nLeft, nInnerRight);
        m_nodes[nTree].m_nLeft = nInnerRight;
        Update(nTree);
        nRight = nTree;
    }
    else
    {
        // nAt is no piece's inside, so it lies at or beyond this node's end.
        const uint64_t nEnd = nLeftTotal + m_nodes[nTree].m_piece.m_nLength;
        int32_t nInnerLeft = kNone;
        SplitAtBoundary(m_nodes[nTree].m_nRight, nAt - nEnd, nInnerLeft, nRight);
        m_nodes[nTree].m_nRight = nInnerLeft;
        Update(nTree);
        nLeft = nTree;
    }
}

int32_t CHexPieceTree::Merge(int32_t nLeft, int32_t nRight)
{
    if (nLeft == kNone)
    {
        return nRight;
    }
    if (nRight == kNone)
    {
        return nLeft;
    }
    if (m_nodes[nLeft].m_nPriority > m_nodes[nRight].m_nPriority)
    {
        const int32_t nInner = Merge(m_nodes[nLeft].m_nRight, nRight);
        m_nodes[nLeft].m_nRight = nInner;
        Update(nLeft);
        return nLeft;
    }
    const int32_t nInner = Merge(nLeft, m_nodes[nRight].m_nLeft);
    m_nodes[nRight].m_nLeft = nInner;
    Update(nRight);
    return nRight;
}

int32_t CHexPieceTree::RemoveFirst(int32_t nTree)
{
    if (m_nodes[nTree].m_nLeft == kNone)
    {
        const int32_t nRight = m_nodes[nTree].m_nRight;
        FreeNode(nTree);
        return nRight;
    }
    const int32_t nInner = RemoveFirst(m_nodes[nTree].m_nLeft);
    m_nodes[nTree].m_nLeft = nInner;
    Update(nTree);
    return nTree;
}

void CHexPieceTree::GrowLast(int32_t nTree, uint32_t nBy)
{
    for (int32_t nNode = nTree; nNode != kNone; nNode = m_nodes[nNode].m_nRight)
    {
        m_nodes[nNode].m_nTotal += nBy;
        if (m_nodes[nNode].m_nRight == kNone)
        {
            m_nodes[nNode].m_piece.m_nLength += nBy;
        }
    }
}

int32_t CHexPieceTree::Join(int32_t nLeft, int32_t nRight)
{
    if (nLeft == kNone || nRight == kNone)
    {
        return nLeft == kNone ? nRight : nLeft;
    }
    int32_t nLast = nLeft;
    while (m_nodes[nLast].m_nRight != kNone)
    {
        nLast = m_nodes[nLast].m_nRight;
    }
    int32_t nFirst = nRight;
    while (m_nodes[nFirst].m_nLeft != kNone)
    {
        nFirst = m_nodes[nFirst].m_nLeft;
    }
    if (Continues(m_nodes[nLast].m_piece, m_nodes[nFirst].m_piece))
    {
        const uint32_t nBy = m_nodes[nFirst].m_piece.m_nLength;
        nRight = RemoveFirst(nRight);
        GrowLast(nLeft, nBy);
    }
    return Merge(nLeft, nRight);
}

void CHexPieceTree::Release(int32_t nTree, std::vector<SHexPiece>* pOut)
{
    std::vector<int32_t> pending;
    int32_t nNode = nTree;
    while (nNode != kNone || !pending.empty())
    {
        while (nNode != kNone)
        {
            pending.push_back(nNode);
            nNode = m_nodes[nNode].m_nLeft;
        }
        nNode = pending.back();
        pending.pop_back();
        if (pOut != nullptr)
        {
            pOut->push_back(m_nodes[nNode].m_piece);
        }
        const int32_t nNext = m_nodes[nNode].m_nRight;
        FreeNode(nNode);
        nNode = nNext;
    }
}

void CHexPieceTree::Splice(uint64_t nOffset, uint64_t nRemove, const SHexPiece* pInsert,
                           size_t nInsert, std::vector<SHexPiece>* pRemoved)
{
    if (m_nRoot != kNone && Total(m_nRoot) == 0)
    {
        Clear(); // the empty piece of an empty file goes with the first change
    }
    const uint64_t nLength = Total(m_nRoot);
    nOffset = std::min(nOffset, nLength);
    nRemove = std::min(nRemove, nLength - nOffset);

    int32_t nBefore = kNone;
    int32_t nRest = kNone;
    int32_t nMiddle = kNone;
    int32_t nAfter = kNone;
    Split(m_nRoot, nOffset, nBefore, nRest);
    Split(nRest, nRemove, nMiddle, nAfter);
    Release(nMiddle, pRemoved);

    int32_t nNew = kNone;
    for (size_t i = 0; i < nInsert; ++i)
    {
        if (pInsert[i].m_nLength > 0)
        {
            nNew = Join(nNew, NewNode(pInsert[i]));
        }
    }
    m_nRoot = Join(Join(nBefore, nNew), nAfter);
}

std::vector<SHexPiece> CHexPieceTree::ToVector() const
{
    std::vector<SHexPiece> pieces;
    pieces.reserve(m_nCount);
    if (m_nRoot != kNone && Total(m_nRoot) == 0)
    {
        pieces.push_back(m_nodes[m_nRoot].m_piece);
        return pieces;
    }
    VisitFrom(0,
              [&](const SHexPiece& piece, uint64_t)
              {
                  pieces.push_back(piece);
                  return true;
              });
    return pieces;
}

bool CHexPieceTree::CheckNode(int32_t nNode, uint64_t nFileLength, const SHexPiece*& pPrevious,
                              size_t& nSeen) const
{
    if (nNode == kNone)
    {
        return true;
    }
    const SNode& node = m_nodes[nNode];
    for (const int32_t nChild : {node.m_nLeft, node.m_nRight})
    {
        if (nChild != kNone && m_nodes[nChild].m_nPriority > node.m_nPriority)
        {
            return false;
        }
    }
    if (node.m_nTotal != node.m_piece.m_nLength + Total(node.m_nLeft) + Total(node.m_nRight))
    {
        return false;
    }
    if (!CheckNode(node.m_nLeft, nFileLength, pPrevious, nSeen))
    {
        return false;
    }
    const SHexPiece& piece = node.m_piece;
    if (piece.m_nLength == 0 ||
        (piece.m_cKind == 'f' && uint64_t(piece.m_nSource) + piece.m_nLength > nFileLength) ||
        (piece.m_cKind == 'm' && piece.m_pData == nullptr) ||
        (pPrevious != nullptr && Continues(*pPrevious, piece)))
    {
        return false;
    }
    pPrevious = &piece;
    ++nSeen;
    return CheckNode(node.m_nRight, nFileLength, pPrevious, nSeen);
}

bool CHexPieceTree::IsConsistent(uint64_t nFileLength) const
{
    if (m_nRoot != kNone && Total(m_nRoot) == 0)
    {
        const SNode& node = m_nodes[m_nRoot];
        return m_nCount == 1 && node.m_nLeft == kNone && node.m_nRight == kNone;
    }
    const SHexPiece* pPrevious = nullptr;
    size_t nSeen = 0;
    return CheckNode(m_nRoot, nFileLength, pPrevious, nSeen) && nSeen == m_nCount &&
           m_nodes.size() == m_nCount + m_free.size();
}

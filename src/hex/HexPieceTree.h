#pragma once
// The piece list of a hex buffer, kept as a balanced tree so that finding the piece that
// holds a byte and replacing a range of pieces take time logarithmic in the number of
// pieces: a keystroke costs the same after a hundred thousand changes as after one.
//
// The tree is a treap ordered by position. Every node holds one piece and the length of
// its whole subtree; a random priority decides its place, which keeps the expected depth
// logarithmic without rebalancing rules. Splice is the one way to change it.
//
// The list is kept canonical: no piece is empty, and no piece continues its neighbour
// (file bytes at the next file position, memory bytes at the next address), since every
// splice joins such neighbours where it meets them. So putting back the pieces a splice
// took out restores the list exactly, and undoing every change leaves one file piece.
// The one exception is an empty file just opened, held as one empty piece until the first
// splice.

#include <cstddef>
#include <cstdint>
#include <vector>

// A run of the current data: m_nLength bytes from the file at m_nSource ('f'), or from
// memory at m_pData ('m'), which points into a change record (or a block the buffer keeps)
// and is valid while the buffer keeps that record.
struct SHexPiece
{
    char m_cKind = 'f';
    uint32_t m_nLength = 0;
    uint32_t m_nSource = 0;
    const uint8_t* m_pData = nullptr;
};

class CHexPieceTree
{
public:
    CHexPieceTree() = default;

    // Empties the list, or makes it the one piece given (which may be empty).
    void Clear();
    void Reset(const SHexPiece& whole);

    // Total length of the pieces and their number.
    uint64_t GetLength() const { return Total(m_nRoot); }
    size_t GetCount() const { return m_nCount; }

    // Replaces nRemove bytes at nOffset (both cut to the data's end) by the pieces
    // pInsert[0..nInsert), skipping empty ones. The pieces taken out are appended to
    // pRemoved, in order and cut exactly to the removed bytes, when it is given.
    void Splice(uint64_t nOffset, uint64_t nRemove, const SHexPiece* pInsert, size_t nInsert,
                std::vector<SHexPiece>* pRemoved);

    // Calls visit(piece, start of the piece in the data) for the piece holding nOffset and
    // each one after it, in order, while visit returns true.
    template <typename F> void VisitFrom(uint64_t nOffset, F&& visit) const;

    // The whole list in order (for saving and for tests; costs a copy of every piece).
    std::vector<SHexPiece> ToVector() const;

    // Whether the tree is well formed: subtree lengths add up, priorities are ordered, the
    // list is canonical (see above), and file pieces lie within nFileLength bytes.
    bool IsConsistent(uint64_t nFileLength) const;

private:
    static constexpr int32_t kNone = -1;

    struct SNode
    {
        SHexPiece m_piece;
        uint64_t m_nTotal = 0; // length of the subtree
        int32_t m_nLeft = kNone;
        int32_t m_nRight = kNone;
        uint32_t m_nPriority = 0;
    };

    uint64_t Total(int32_t nNode) const { return nNode == kNone ? 0 : m_nodes[nNode].m_nTotal; }
    void Update(int32_t nNode);
    int32_t NewNode(const SHexPiece& piece);
    void FreeNode(int32_t nNode);
    // Splits nTree into its first nAt bytes and the rest, cutting a piece in two if need be.
    void Split(int32_t nTree, uint64_t nAt, int32_t& nLeft, int32_t& nRight);
    // Split where nAt is known to fall between two pieces (or at an end).
    void SplitAtBoundary(int32_t nTree, uint64_t nAt, int32_t& nLeft, int32_t& nRight);
    // Joins two trees, all of nLeft before nRight.
    int32_t Merge(int32_t nLeft, int32_t nRight);
    // Merge that also joins the two pieces meeting at the seam when one continues the other.
    int32_t Join(int32_t nLeft, int32_t nRight);
    int32_t RemoveFirst(int32_t nTree);
    void GrowLast(int32_t nTree, uint32_t nBy);
    // Frees every node of a tree, appending its pieces in order to pOut when given.
    void Release(int32_t nTree, std::vector<SHexPiece>* pOut);
    uint32_t NextPriority();
    bool CheckNode(int32_t nNode, uint64_t nFileLength, const SHexPiece*& pPrevious,
                   size_t& nSeen) const;

    std::vector<SNode> m_nodes;
    std::vector<int32_t> m_free;
    std::vector<int32_t> m_path; // scratch for Split, kept to spare an allocation per cut
    int32_t m_nRoot = kNone;
    size_t m_nCount = 0;
    uint64_t m_nSeed = 0x9E3779B97F4A7C15ull;
};

template <typename F> void CHexPieceTree::VisitFrom(uint64_t nOffset, F&& visit) const
{
    // Descends to the piece holding nOffset, remembering the nodes whose pieces follow it
    // (where the walk went left); from there the list is walked in order.
    std::vector<int32_t> pending;
    int32_t nNode = m_nRoot;
    uint64_t nBase = 0; // data position where the current subtree starts
    while (nNode != kNone)
    {
        const SNode& node = m_nodes[nNode];
        const uint64_t nLeftTotal = Total(node.m_nLeft);
        if (nOffset < nBase + nLeftTotal)
        {
            pending.push_back(nNode);
            nNode = node.m_nLeft;
        }
        else if (nOffset < nBase + nLeftTotal + node.m_piece.m_nLength)
        {
            break;
        }
        else
        {
            nBase += nLeftTotal + node.m_piece.m_nLength;
            nNode = node.m_nRight;
        }
    }
    if (nNode == kNone)
    {
        return; // nOffset lies at or beyond the end
    }
    uint64_t nStart = nBase + Total(m_nodes[nNode].m_nLeft);
    for (;;)
    {
        const SNode& node = m_nodes[nNode];
        if (!visit(node.m_piece, nStart))
        {
            return;
        }
        nStart += node.m_piece.m_nLength;
        // The next piece: the leftmost of the right subtree, else the nearest pending node.
        if (node.m_nRight != kNone)
        {
            nNode = node.m_nRight;
            while (m_nodes[nNode].m_nLeft != kNone)
            {
                pending.push_back(nNode);
                nNode = m_nodes[nNode].m_nLeft;
            }
        }
        else if (!pending.empty())
        {
            nNode = pending.back();
            pending.pop_back();
        }
        else
        {
            return;
        }
    }
}

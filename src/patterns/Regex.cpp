#include "patterns/Regex.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace
{
std::atomic<RegexErrorHook> g_errorHook{nullptr};

void Report(const char* message, const char** ppError)
{
    if (ppError)
        *ppError = message;
    if (RegexErrorHook hook = g_errorHook.load(std::memory_order_acquire))
        hook(message);
}

const char kMeta[] = "^$.[()|?+*\\";

bool IsQuantifier(char c)
{
    return c == '*' || c == '+' || c == '?';
}

// Piece flags while parsing.
enum
{
    kHasWidth = 1, // can not match the empty string
    kSimple = 2,   // exactly one byte wide
    kSpStart = 4   // starts with a repeated piece
};

int ReadOffset(const unsigned char* code, int node)
{
    return (code[node + 1] << 8) | code[node + 2];
}

// The parser runs twice over the pattern: the first pass (m_code null) only counts the
// program size, so the second can emit into one exactly sized block. Nodes are addressed by
// their offset in the program; in the first pass every node is the dummy offset 0.
class CRegexCompiler
{
public:
    explicit CRegexCompiler(const char* pattern) : m_pattern(pattern) {}

    // Runs one pass; returns false with m_error set on a malformed pattern.
    bool Run(unsigned char* code)
    {
        m_code = code;
        m_parse = m_pattern;
        m_groupCount = 1;
        m_size = 0;
        m_emit = 0;
        m_setCount = 0;
        Byte(kRegexMagic);
        int flags = 0;
        if (Reg(false, &flags) < 0)
            return false;
        m_topFlags = flags;
        return true;
    }

    const char* m_pattern;
    const char* m_parse = nullptr;
    const char* m_error = nullptr;
    unsigned char* m_code = nullptr;
    int64_t m_size = 0;
    int m_emit = 0;
    int m_groupCount = 1;
    int m_setCount = 0;
    int m_topFlags = 0;

private:
    int Fail(const char* message)
    {
        m_error = message;
        return -1;
    }

    int NewNode(int op)
    {
        if (!m_code)
        {
            m_size += 3;
            return 0;
        }
        int node = m_emit;
        m_code[m_emit++] = static_cast<unsigned char>(op);
        m_code[m_emit++] = 0;
        m_code[m_emit++] = 0;
        return node;
    }

    void Byte(int b)
    {
        if (!m_code)
            m_size++;
        else
            m_code[m_emit++] = static_cast<unsigned char>(b);
    }

    // Inserts a node head before the operand that starts at `at`.
    void Insert(int op, int at)
    {
        if (!m_code)
        {
            m_size += 3;
            return;
        }
        std::memmove(m_code + at + 3, m_code + at, static_cast<size_t>(m_emit - at));
        m_emit += 3;
        m_code[at] = static_cast<unsigned char>(op);
        m_code[at + 1] = 0;
        m_code[at + 2] = 0;
    }

    int Next(int node) const
    {
        int offset = ReadOffset(m_code, node);
        if (offset == 0)
            return -1;
        return m_code[node] == NodeBack ? node - offset : node + offset;
    }

    // Links the last node of the chain that starts at `node` to `target`.
    void Tail(int node, int target)
    {
        if (!m_code)
            return;
        int scan = node;
        for (int next; (next = Next(scan)) >= 0;)
            scan = next;
        int offset = m_code[scan] == NodeBack ? scan - target : target - scan;
        m_code[scan + 1] = static_cast<unsigned char>((offset >> 8) & 0xFF);
        m_code[scan + 2] = static_cast<unsigned char>(offset & 0xFF);
    }

    // Tail on the operand of a branch node; nothing for other nodes.
    void OpTail(int node, int target)
    {
        if (!m_code || m_code[node] != NodeBranch)
            return;
        Tail(node + 3, target);
    }

    // pattern: branch { '|' branch }, inside parentheses when `paren`.
    int Reg(bool paren, int* flagp)
    {
        *flagp = kHasWidth;
        int ret = -1;
        int groupNo = 0;
        if (paren)
        {
            if (m_groupCount >= kRegexGroupSlots)
                return Fail("too many ()");
            groupNo = m_groupCount++;
            ret = NewNode(NodeOpen + groupNo);
        }
        int flags = 0;
        int branch = Branch(&flags);
        if (branch < 0)
            return -1;
        if (ret >= 0)
            Tail(ret, branch);
        else
            ret = branch;
        if (!(flags & kHasWidth))
            *flagp &= ~kHasWidth;
        *flagp |= flags & kSpStart;
        while (*m_parse == '|')
        {
            m_parse++;
            branch = Branch(&flags);
            if (branch < 0)
                return -1;
            Tail(ret, branch);
            if (!(flags & kHasWidth))
                *flagp &= ~kHasWidth;
            *flagp |= flags & kSpStart;
        }
        int ender = NewNode(paren ? NodeClose + groupNo : NodeEnd);
        Tail(ret, ender);
        if (m_code)
        {
            for (int scan = ret; scan >= 0; scan = Next(scan))
                OpTail(scan, ender);
        }
        if (paren)
        {
            if (*m_parse++ != ')')
                return Fail("unmatched ()");
        }
        else if (*m_parse != '\0')
        {
            return Fail(*m_parse == ')' ? "unmatched ()" : "junk on end");
        }
        return ret;
    }

    // branch: zero or more pieces, under one branch node.
    int Branch(int* flagp)
    {
        *flagp = 0;
        int ret = NewNode(NodeBranch);
        int chain = -1;
        while (*m_parse != '\0' && *m_parse != '|' && *m_parse != ')')
        {
            int flags = 0;
            int latest = Piece(&flags);
            if (latest < 0)
                return -1;
            *flagp |= flags & kHasWidth;
            if (chain < 0)
                *flagp |= flags & kSpStart;
            else
                Tail(chain, latest);
            chain = latest;
        }
        if (chain < 0)
            NewNode(NodeEmpty);
        return ret;
    }

    // piece: atom, optionally followed by '*', '+' or '?'.
    int Piece(int* flagp)
    {
        int flags = 0;
        int ret = Atom(&flags);
        if (ret < 0)
            return -1;
        char op = *m_parse;
        if (!IsQuantifier(op))
        {
            *flagp = flags;
            return ret;
        }
        if (!(flags & kHasWidth) && op != '?')
            return Fail("*+ operand could be empty");
        // Every quantified piece counts as starting with a repetition: each makes the
        // pattern worth the must-contain check.
        *flagp = op == '+' ? (kHasWidth | kSpStart) : kSpStart;

        if (op == '*' && (flags & kSimple))
        {
            Insert(NodeStar, ret);
        }
        else if (op == '*')
        {
            // x* as a loop: (x back-to-branch | empty).
            Insert(NodeBranch, ret);
            OpTail(ret, NewNode(NodeBack));
            OpTail(ret, ret);
            Tail(ret, NewNode(NodeBranch));
            Tail(ret, NewNode(NodeEmpty));
        }
        else if (op == '+' && (flags & kSimple))
        {
            Insert(NodePlus, ret);
        }
        else if (op == '+')
        {
            // x+ as x (back-to-x | empty).
            int next = NewNode(NodeBranch);
            Tail(ret, next);
            Tail(NewNode(NodeBack), ret);
            Tail(next, NewNode(NodeBranch));
            Tail(ret, NewNode(NodeEmpty));
        }
        else
        {
            // x? as (x | empty).
            Insert(NodeBranch, ret);
            Tail(ret, NewNode(NodeBranch));
            int next = NewNode(NodeEmpty);
            Tail(ret, next);
            OpTail(ret, next);
        }
        m_parse++;
        if (IsQuantifier(*m_parse))
            return Fail("nested *?+");
        return ret;
    }

    int Atom(int* flagp)
    {
        *flagp = 0;
        int ret = -1;
        switch (*m_parse++)
        {
        case '^':
            ret = NewNode(NodeLineStart);
            break;
        case '$':
            ret = NewNode(NodeLineEnd);
            break;
        case '.':
            ret = NewNode(NodeAnyChar);
            *flagp |= kHasWidth | kSimple;
            break;
        case '[':
        {
            if (*m_parse == '^')
            {
                ret = NewNode(NodeAnyBut);
                m_parse++;
            }
            else
            {
                ret = NewNode(NodeAnyOf);
            }
            m_setCount++;
            if (*m_parse == ']' || *m_parse == '-')
                Byte(*m_parse++);
            while (*m_parse != '\0' && *m_parse != ']')
            {
                if (*m_parse == '-')
                {
                    m_parse++;
                    if (*m_parse == ']' || *m_parse == '\0')
                    {
                        Byte('-');
                    }
                    else
                    {
                        // The range's first byte is already a member.
                        int from = static_cast<unsigned char>(m_parse[-2]) + 1;
                        int to = static_cast<unsigned char>(*m_parse);
                        if (from > to + 1)
                            return Fail("invalid [] range");
                        for (; from <= to; from++)
                            Byte(from);
                        m_parse++;
                    }
                }
                else
                {
                    Byte(*m_parse++);
                }
            }
            Byte('\0');
            if (*m_parse != ']')
                return Fail("unmatched []");
            m_parse++;
            *flagp |= kHasWidth | kSimple;
            break;
        }
        case '(':
        {
            int flags = 0;
            ret = Reg(true, &flags);
            if (ret < 0)
                return -1;
            *flagp |= flags & (kHasWidth | kSpStart);
            break;
        }
        case '\0':
        case '|':
        case ')':
            return Fail("internal urp");
        case '?':
        case '+':
        case '*':
            return Fail("?+* follows nothing");
        case '\\':
            if (*m_parse == '\0')
                return Fail("trailing \\");
            ret = NewNode(NodeLiteral);
            Byte(*m_parse++);
            Byte('\0');
            *flagp |= kHasWidth | kSimple;
            break;
        default:
        {
            m_parse--;
            size_t len = std::strcspn(m_parse, kMeta);
            if (len == 0)
                return Fail("internal disaster");
            // Before a quantifier, the run's last byte becomes a literal of its own.
            if (len > 1 && IsQuantifier(m_parse[len]))
                len--;
            *flagp |= kHasWidth;
            if (len == 1)
                *flagp |= kSimple;
            ret = NewNode(NodeLiteral);
            for (; len > 0; len--)
                Byte(*m_parse++);
            Byte('\0');
            break;
        }
        }
        return ret;
    }
};

// Node navigation over a finished program. A next offset that leaves the program counts as
// no next node, so a damaged program is reported instead of read out of bounds.
struct SProgramView
{
    const unsigned char* code;
    int length;

    int Op(int node) const { return code[node]; }
    int Next(int node) const
    {
        int offset = ReadOffset(code, node);
        if (offset == 0)
            return -1;
        int next = code[node] == NodeBack ? node - offset : node + offset;
        return next >= 1 && next + 3 <= length ? next : -1;
    }
    const char* Operand(int node) const { return reinterpret_cast<const char*>(code + node + 3); }
};

inline bool MapHas(const unsigned char* map, unsigned char c)
{
    return (map[c >> 3] >> (c & 7)) & 1;
}

inline void MapAdd(unsigned char* map, unsigned char c)
{
    map[c >> 3] = static_cast<unsigned char>(map[c >> 3] | (1 << (c & 7)));
}

// The bytes with which a match starting at `node` can begin (NUL for a match that can only
// continue at the end of the string). False when that is not known: the program can match
// the empty string there, depends on the position, or is too involved to follow.
bool CollectLeadSet(const SProgramView& view, const RegexProgram* prog, int node, int depth,
                    int* budget, unsigned char* set);

const unsigned char* FindSetMap(const RegexProgram* prog, int node)
{
    int lo = 0, hi = prog->setCount;
    while (lo < hi)
    {
        int mid = (lo + hi) / 2;
        if (prog->setNodes[mid] < node)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo < prog->setCount && prog->setNodes[lo] == node)
        return prog->setMaps + 32 * lo;
    return nullptr;
}

// Adds the bytes matched by the one-byte-wide node; false for any other node.
bool AddSimpleNode(const SProgramView& view, const RegexProgram* prog, int node, unsigned char* set)
{
    switch (view.Op(node))
    {
    case NodeLiteral:
        MapAdd(set, static_cast<unsigned char>(view.Operand(node)[0]));
        return true;
    case NodeAnyChar:
        for (int c = 1; c < 256; c++)
            MapAdd(set, static_cast<unsigned char>(c));
        return true;
    case NodeAnyOf:
    case NodeAnyBut:
    {
        const unsigned char* map = FindSetMap(prog, node);
        if (!map)
            return false;
        for (int i = 0; i < 32; i++)
            set[i] |= map[i];
        return true;
    }
    default:
        return false;
    }
}

bool CollectLeadSet(const SProgramView& view, const RegexProgram* prog, int node, int depth,
                    int* budget, unsigned char* set)
{
    if (node < 0 || depth > 64 || --*budget < 0)
        return false;
    switch (view.Op(node))
    {
    case NodeLiteral:
    case NodeAnyChar:
    case NodeAnyOf:
    case NodeAnyBut:
        return AddSimpleNode(view, prog, node, set);
    case NodeLineEnd:
        MapAdd(set, 0);
        return true;
    case NodePlus:
        return AddSimpleNode(view, prog, node + 3, set);
    case NodeStar:
        return AddSimpleNode(view, prog, node + 3, set) &&
               CollectLeadSet(view, prog, view.Next(node), depth + 1, budget, set);
    case NodeBranch:
    {
        int next = view.Next(node);
        if (next < 0 || view.Op(next) != NodeBranch)
            return CollectLeadSet(view, prog, node + 3, depth + 1, budget, set);
        for (int alt = node; alt >= 0 && view.Op(alt) == NodeBranch; alt = view.Next(alt))
        {
            if (!CollectLeadSet(view, prog, alt + 3, depth + 1, budget, set))
                return false;
        }
        return true;
    }
    case NodeEmpty:
    case NodeBack:
        return CollectLeadSet(view, prog, view.Next(node), depth + 1, budget, set);
    default:
        if (view.Op(node) > NodeOpen && view.Op(node) < NodeOpen + kRegexGroupSlots)
            return CollectLeadSet(view, prog, view.Next(node), depth + 1, budget, set);
        if (view.Op(node) > NodeClose && view.Op(node) < NodeClose + kRegexGroupSlots)
            return CollectLeadSet(view, prog, view.Next(node), depth + 1, budget, set);
        return false; // NodeEnd, NodeLineStart, anything unexpected
    }
}

// Fills the hints of the header and the matching aids from the emitted program.
void AnalyseProgram(RegexProgram* prog, int topFlags)
{
    SProgramView view{prog->program, prog->programLength};

    // Membership maps of the sets, in program order.
    int setIndex = 0;
    auto* setNodes = const_cast<uint16_t*>(prog->setNodes);
    auto* setMaps = const_cast<unsigned char*>(prog->setMaps);
    for (int node = 1; node + 3 <= prog->programLength;)
    {
        int op = view.Op(node);
        if (op == NodeLiteral || op == NodeAnyOf || op == NodeAnyBut)
        {
            const char* operand = view.Operand(node);
            if ((op == NodeAnyOf || op == NodeAnyBut) && setIndex < prog->setCount)
            {
                unsigned char* map = setMaps + 32 * setIndex;
                std::memset(map, op == NodeAnyBut ? 0xFF : 0, 32);
                for (const char* p = operand; *p; p++)
                {
                    auto c = static_cast<unsigned char>(*p);
                    if (op == NodeAnyOf)
                        MapAdd(map, c);
                    else
                        map[c >> 3] = static_cast<unsigned char>(map[c >> 3] & ~(1 << (c & 7)));
                }
                map[0] = static_cast<unsigned char>(map[0] & ~1); // NUL is never a member
                setNodes[setIndex++] = static_cast<uint16_t>(node);
            }
            node += 3 + static_cast<int>(std::strlen(operand)) + 1;
        }
        else
        {
            node += 3;
        }
    }
    prog->setCount = setIndex;

    prog->firstChar = 0;
    prog->anchored = 0;
    prog->mustText = nullptr;
    prog->mustLength = 0;
    int scan = 1;
    int next = view.Next(scan);
    if (next >= 0 && view.Op(next) == NodeEnd)
    {
        // One top-level branch.
        scan += 3;
        if (view.Op(scan) == NodeLiteral)
            prog->firstChar = static_cast<unsigned char>(view.Operand(scan)[0]);
        else if (view.Op(scan) == NodeLineStart)
            prog->anchored = 1;
        if (topFlags & kSpStart)
        {
            // The longest literal on the branch's own chain must occur in every match; of
            // equal lengths the last one wins.
            const char* longest = nullptr;
            size_t longestLength = 0;
            int steps = 0;
            for (int node = scan; node >= 0 && steps < prog->programLength;
                 node = view.Next(node), steps++)
            {
                if (view.Op(node) == NodeLiteral &&
                    std::strlen(view.Operand(node)) >= longestLength)
                {
                    longest = view.Operand(node);
                    longestLength = std::strlen(longest);
                }
            }
            prog->mustText = longest;
            prog->mustLength = static_cast<int>(longestLength);
        }
    }

    std::memset(prog->leadSet, 0, sizeof(prog->leadSet));
    int budget = 4096;
    prog->leadSetKnown = CollectLeadSet(view, prog, 1, 0, &budget, prog->leadSet) ? 1 : 0;
}

// A stack that keeps its first entries inside the object and moves to the heap beyond them,
// so the common short match allocates nothing.
template <typename T, int N> class CSmallStack
{
public:
    CSmallStack() = default;
    CSmallStack(const CSmallStack&) = delete;
    CSmallStack& operator=(const CSmallStack&) = delete;

    void Push(const T& value)
    {
        if (m_size == m_capacity)
            Grow();
        m_data[m_size++] = value;
    }
    bool Empty() const { return m_size == 0; }
    T& Top() { return m_data[m_size - 1]; }
    void Pop() { m_size--; }
    int Size() const { return m_size; }
    void Resize(int size) { m_size = size; }
    const T& operator[](int i) const { return m_data[i]; }

private:
    void Grow()
    {
        int capacity = m_capacity * 2;
        std::unique_ptr<T[]> heap(new T[static_cast<size_t>(capacity)]);
        std::memcpy(static_cast<void*>(heap.get()), m_data,
                    sizeof(T) * static_cast<size_t>(m_size));
        m_heap = std::move(heap);
        m_data = m_heap.get();
        m_capacity = capacity;
    }

    T m_local[N];
    T* m_data = m_local;
    int m_size = 0;
    int m_capacity = N;
    std::unique_ptr<T[]> m_heap;
};

enum EChoiceKind : int
{
    ChoiceBranch, // node: the next alternative
    ChoiceRepeat  // node: the star or plus node; pos: where its run began; count: next try
};

struct SChoice
{
    int kind;
    int node;
    int count;
    int trail;
    const char* pos;
};

struct SGroupEvent
{
    int slot; // 0-9: a group start, 10-19: a group end
    const char* pos;
};

// The working state of one RegexExecute call.
class CRegexMatcher
{
public:
    CRegexMatcher(const RegexProgram* prog, const char* string)
        : m_prog(prog), m_view{prog->program, prog->programLength}, m_begin(string)
    {
    }

    // Runs the program from `start`; on success *pEnd is where it ended and the group
    // events of the successful path are in m_trail.
    bool Try(const char* start, const char** pEnd);

    // Bytes from `input` matched by the one-byte-wide node.
    int Repeat(int node, const char* input);

    const char* m_error = nullptr;
    CSmallStack<SGroupEvent, 32> m_trail;

private:
    bool FirstVisit(int node, const char* pos);
    void StartMemo();

    const RegexProgram* m_prog;
    SProgramView m_view;
    const char* m_begin;
    CSmallStack<SChoice, 32> m_stack;

    // Visit memo: once matching has done enough work, each choice node is entered at most
    // once per position. A second visit can only follow a complete failure from there (a
    // loop consumes a byte each time round, so a node is never its own descendant at the
    // same position), and whether the rest of the program matches from a node depends on
    // nothing but the position, so it would fail again, also from a later start position.
    long m_steps = 0;
    bool m_memoOn = false;
    bool m_memoRefused = false;
    std::vector<int> m_memoSlot; // by node offset: slot, or -1
    std::vector<uint64_t> m_memoBits;
    size_t m_memoStride = 0; // positions per slot
};

// Matching this many nodes without a result turns the visit memo on.
constexpr long kMemoAfterSteps = 20000;
// The visit memo may take at most this many bits.
constexpr size_t kMemoMaxBits = size_t(64) * 1024 * 1024;

void CRegexMatcher::StartMemo()
{
    m_memoOn = false;
    m_memoRefused = true;
    size_t stride = std::strlen(m_begin) + 1;
    std::vector<int> slot(static_cast<size_t>(m_view.length), -1);
    int slots = 0;
    for (int node = 1; node + 3 <= m_view.length;)
    {
        int op = m_view.Op(node);
        if (op == NodeBranch || op == NodeStar || op == NodePlus)
            slot[static_cast<size_t>(node)] = slots++;
        if (op == NodeLiteral || op == NodeAnyOf || op == NodeAnyBut)
            node += 3 + static_cast<int>(std::strlen(m_view.Operand(node))) + 1;
        else
            node += 3;
    }
    if (slots == 0 || stride * static_cast<size_t>(slots) > kMemoMaxBits)
        return;
    m_memoBits.assign((stride * static_cast<size_t>(slots) + 63) / 64, 0);
    m_memoSlot = std::move(slot);
    m_memoStride = stride;
    m_memoOn = true;
}

bool CRegexMatcher::FirstVisit(int node, const char* pos)
{
    size_t bit = static_cast<size_t>(m_memoSlot[static_cast<size_t>(node)]) * m_memoStride +
                 static_cast<size_t>(pos - m_begin);
    uint64_t mask = uint64_t(1) << (bit & 63);
    if (m_memoBits[bit >> 6] & mask)
        return false;
    m_memoBits[bit >> 6] |= mask;
    return true;
}

int CRegexMatcher::Repeat(int node, const char* input)
{
    const char* scan = input;
    switch (m_view.Op(node))
    {
    case NodeAnyChar:
        return static_cast<int>(std::strlen(input));
    case NodeLiteral:
    {
        char c = m_view.Operand(node)[0];
        while (*scan == c && c != '\0')
            scan++;
        break;
    }
    case NodeAnyOf:
    case NodeAnyBut:
    {
        const unsigned char* map = FindSetMap(m_prog, node);
        if (!map)
        {
            m_error = "memory corruption";
            return 0;
        }
        while (MapHas(map, static_cast<unsigned char>(*scan)))
            scan++;
        break;
    }
    default:
        m_error = "internal foulup";
        return 0;
    }
    return static_cast<int>(scan - input);
}

bool CRegexMatcher::Try(const char* start, const char** pEnd)
{
    m_stack.Resize(0);
    m_trail.Resize(0);
    const char* input = start;
    int scan = 1;
    for (;;)
    {
        bool ok = true;
        if (scan < 0)
        {
            m_error = "corrupted pointers";
            return false;
        }
        ++m_steps;
        int op = m_view.Op(scan);
        int next = m_view.Next(scan);
        switch (op)
        {
        case NodeLineStart:
            ok = input == m_begin;
            break;
        case NodeLineEnd:
            ok = *input == '\0';
            break;
        case NodeAnyChar:
            if (*input == '\0')
                ok = false;
            else
                input++;
            break;
        case NodeLiteral:
        {
            const char* text = m_view.Operand(scan);
            const char* in = input;
            while (*text && *text == *in)
            {
                text++;
                in++;
            }
            if (*text)
                ok = false;
            else
                input = in;
            break;
        }
        case NodeAnyOf:
        case NodeAnyBut:
        {
            const unsigned char* map = FindSetMap(m_prog, scan);
            if (!map)
            {
                m_error = "memory corruption";
                return false;
            }
            if (MapHas(map, static_cast<unsigned char>(*input)))
                input++;
            else
                ok = false;
            break;
        }
        case NodeEmpty:
        case NodeBack:
            break;
        case NodeBranch:
            if (next < 0 || m_view.Op(next) != NodeBranch)
            {
                next = scan + 3; // no choice here
                break;
            }
            [[fallthrough]];
        case NodeStar:
        case NodePlus:
        {
            if (!m_memoOn && !m_memoRefused && m_steps > kMemoAfterSteps)
                StartMemo();
            if (m_memoOn && !FirstVisit(scan, input))
            {
                ok = false;
                break;
            }
            if (op == NodeBranch)
            {
                m_stack.Push({ChoiceBranch, next, 0, m_trail.Size(), input});
                next = scan + 3;
                break;
            }
            int count = Repeat(scan + 3, input);
            if (m_error)
                return false;
            m_stack.Push({ChoiceRepeat, scan, count, m_trail.Size(), input});
            ok = false; // the repeat choice picks the first count to try
            break;
        }
        case NodeEnd:
            *pEnd = input;
            return true;
        default:
            if (op > NodeOpen && op < NodeOpen + kRegexGroupSlots)
            {
                m_trail.Push({op - NodeOpen, input});
                break;
            }
            if (op > NodeClose && op < NodeClose + kRegexGroupSlots)
            {
                m_trail.Push({kRegexGroupSlots + op - NodeClose, input});
                break;
            }
            m_error = "memory corruption";
            return false;
        }
        if (ok)
        {
            scan = next;
            continue;
        }

        // Backtrack to the most recent choice that still has an alternative.
        for (;;)
        {
            if (m_stack.Empty())
                return false;
            SChoice& choice = m_stack.Top();
            m_trail.Resize(choice.trail);
            if (choice.kind == ChoiceBranch)
            {
                int alt = choice.node;
                input = choice.pos;
                int after = m_view.Next(alt);
                if (after >= 0 && m_view.Op(after) == NodeBranch)
                    choice.node = after;
                else
                    m_stack.Pop();
                scan = alt + 3;
                break;
            }
            // A repeat gives back one byte at a time, trying the rest only where it can
            // begin: before the first byte of a literal that follows.
            int follow = m_view.Next(choice.node);
            int min = m_view.Op(choice.node) == NodePlus ? 1 : 0;
            char nextChar = 0;
            if (follow >= 0 && m_view.Op(follow) == NodeLiteral)
                nextChar = m_view.Operand(follow)[0];
            int count = choice.count;
            while (count >= min && nextChar != '\0' && choice.pos[count] != nextChar)
                count--;
            if (count < min)
            {
                m_stack.Pop();
                continue;
            }
            input = choice.pos + count;
            choice.count = count - 1;
            scan = follow;
            break;
        }
    }
}
} // namespace

RegexErrorHook SetRegexErrorHook(RegexErrorHook hook)
{
    return g_errorHook.exchange(hook, std::memory_order_acq_rel);
}

RegexErrorHook GetRegexErrorHook()
{
    return g_errorHook.load(std::memory_order_acquire);
}

RegexProgram* RegexCompile(const char* pattern, const char** ppError)
{
    if (ppError)
        *ppError = nullptr;
    if (!pattern)
    {
        Report("NULL argument", ppError);
        return nullptr;
    }
    CRegexCompiler compiler(pattern);
    if (!compiler.Run(nullptr))
    {
        Report(compiler.m_error, ppError);
        return nullptr;
    }
    if (compiler.m_size >= kRegexMaxProgram)
    {
        Report("regexp too big", ppError);
        return nullptr;
    }
    int programLength = static_cast<int>(compiler.m_size);
    int setCount = compiler.m_setCount;
    size_t mapsOffset = sizeof(RegexProgram);
    size_t nodesOffset = mapsOffset + 32 * static_cast<size_t>(setCount);
    size_t programOffset = nodesOffset + 2 * static_cast<size_t>(setCount);
    void* block = std::malloc(programOffset + static_cast<size_t>(programLength));
    if (!block)
    {
        Report("out of space", ppError);
        return nullptr;
    }
    std::memset(block, 0, programOffset);
    auto* prog = static_cast<RegexProgram*>(block);
    auto* bytes = static_cast<unsigned char*>(block);
    prog->program = bytes + programOffset;
    prog->programLength = programLength;
    prog->setCount = setCount;
    prog->setMaps = bytes + mapsOffset;
    prog->setNodes = reinterpret_cast<const uint16_t*>(bytes + nodesOffset);
    if (!compiler.Run(prog->program) || compiler.m_emit != programLength)
    {
        // The second pass sees the same pattern as the first; this cannot fail.
        Report(compiler.m_error ? compiler.m_error : "internal disaster", ppError);
        std::free(block);
        return nullptr;
    }
    AnalyseProgram(prog, compiler.m_topFlags);
    return prog;
}

int RegexExecute(RegexProgram* prog, const char* string, const char** ppError)
{
    if (ppError)
        *ppError = nullptr;
    if (!prog || !string)
    {
        Report("NULL parameter", ppError);
        return 0;
    }
    if (!prog->program || prog->programLength < 4 || prog->program[0] != kRegexMagic)
    {
        Report("corrupted program", ppError);
        return 0;
    }
    // Only a successful match leaves positions behind (slot 0 always among them), so the
    // common case of a failed line clears nothing.
    if (prog->groupStart[0])
    {
        for (int i = 0; i < kRegexGroupSlots; i++)
        {
            prog->groupStart[i] = nullptr;
            prog->groupEnd[i] = nullptr;
        }
    }
    if (prog->mustText && !std::strstr(string, prog->mustText))
        return 0;
    // Most lines of a search hold no candidate at all; they are turned away before any
    // matcher state is built.
    const char* firstCandidate = string;
    if (!prog->anchored && prog->firstChar != 0)
    {
        firstCandidate = std::strchr(string, prog->firstChar);
        if (!firstCandidate)
            return 0;
    }

    try
    {
        CRegexMatcher matcher(prog, string);
        const SProgramView view{prog->program, prog->programLength};
        // A failed try at p with a leading repeat also rules out the positions its run
        // covered: from inside the run the rest of the pattern is tried at a subset of the
        // same places.
        int leadRepeat = -1;
        if (!prog->anchored && prog->firstChar == 0)
        {
            int top = view.Next(1);
            if (top >= 0 && view.Op(top) == NodeEnd &&
                (view.Op(4) == NodeStar || view.Op(4) == NodePlus))
                leadRepeat = 4;
        }
        const unsigned char* lead = prog->leadSetKnown ? prog->leadSet : nullptr;

        auto attempt = [&](const char* at) -> bool
        {
            const char* end = nullptr;
            if (!matcher.Try(at, &end))
                return false;
            for (int i = 0; i < kRegexGroupSlots; i++)
            {
                prog->groupStart[i] = nullptr;
                prog->groupEnd[i] = nullptr;
            }
            for (int i = 0; i < matcher.m_trail.Size(); i++)
            {
                const SGroupEvent& event = matcher.m_trail[i];
                if (event.slot < kRegexGroupSlots)
                    prog->groupStart[event.slot] = event.pos;
                else
                    prog->groupEnd[event.slot - kRegexGroupSlots] = event.pos;
            }
            prog->groupStart[0] = at;
            prog->groupEnd[0] = end;
            return true;
        };

        int found = 0;
        if (prog->anchored)
        {
            found = attempt(string);
        }
        else if (prog->firstChar != 0)
        {
            for (const char* s = firstCandidate; s && !matcher.m_error;
                 s = std::strchr(s + 1, prog->firstChar))
            {
                if (attempt(s))
                {
                    found = 1;
                    break;
                }
            }
        }
        else
        {
            for (const char* s = string;; s++)
            {
                auto c = static_cast<unsigned char>(*s);
                if (!lead || MapHas(lead, c))
                {
                    if (attempt(s))
                    {
                        found = 1;
                        break;
                    }
                    if (matcher.m_error)
                        break;
                    if (leadRepeat >= 0 && c != '\0')
                    {
                        s += matcher.Repeat(leadRepeat + 3, s);
                        if (*s == '\0')
                            break; // the try at the end was covered too
                        continue;
                    }
                }
                if (c == '\0')
                    break;
            }
        }
        if (matcher.m_error)
        {
            Report(matcher.m_error, ppError);
            return 0;
        }
        return found;
    }
    catch (const std::bad_alloc&)
    {
        Report("out of space", ppError);
        return 0;
    }
}

void RegexFree(RegexProgram* prog)
{
    std::free(prog);
}

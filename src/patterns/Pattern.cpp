#include "patterns/Pattern.h"

#include "platform/AsciiCase.h"
#include "platform/Multibyte.h"
#include "platform/SystemInfo.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace
{
bool IsAsciiAlnum(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

unsigned char AsciiUpper(unsigned char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c;
}

unsigned char AsciiLower(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}

// Reads the digits of a numeric escape at p: \xHH (base 16, two digits) or three digits in
// base 8 or 10. Returns the byte value, or -1 when the digits are missing or the value is
// above 255.
int ReadNumber(const char* p, int base)
{
    int digits = base == 16 ? 2 : 3;
    int value = 0;
    for (int i = 0; i < digits; i++)
    {
        int d = AsciiHexDigitValue(static_cast<unsigned char>(p[i]));
        if (d < 0 || d >= base)
            return -1;
        value = value * base + d;
    }
    return value <= 255 ? value : -1;
}

// One character of text in a code page: its byte length and its 16-bit code (-1 for a
// character that has none: a UTF-8 character above U+FFFF).
struct SChar
{
    int length;
    int code;
};

SChar ReadChar(int codePage, const unsigned char* text, int length, int index)
{
    unsigned char b = text[index];
    if (b < 0x80 || !IsMultibyteCodePage(codePage))
        return {1, b};
    if (codePage == 65001)
    {
        uint32_t cp = 0;
        int n = DecodeUtf8(reinterpret_cast<const char*>(text), length, index, &cp);
        if (n == 0)
            return {1, b};
        return {n, cp <= 0xFFFF ? static_cast<int>(cp) : -1};
    }
    int n = CharLength(codePage, reinterpret_cast<const char*>(text), length, index);
    if (n == 2)
        return {2, (b << 8) | text[index + 1]};
    return {1, b};
}

// Character classes of the escapes \d \D \w \W \s \S \U \L, by node kind.
bool ClassHas(int kind, int code)
{
    bool ascii = code >= 0 && code < 0x80;
    auto c = static_cast<unsigned char>(ascii ? code : 0);
    switch (kind)
    {
    case PatternSpace:
        return ascii && (c == ' ' || c == '\t' || c == '\n' || c == '\r');
    case PatternNotSpace:
        return !(ascii && (c == ' ' || c == '\t' || c == '\n' || c == '\r'));
    case PatternUpper:
        return ascii && c >= 'A' && c <= 'Z';
    case PatternLower:
        return ascii && c >= 'a' && c <= 'z';
    case PatternDigit:
        return ascii && c >= '0' && c <= '9';
    case PatternNotDigit:
        return !(ascii && c >= '0' && c <= '9');
    case PatternAlnum:
        return ascii && IsAsciiAlnum(c);
    case PatternNotAlnum:
        return !(ascii && IsAsciiAlnum(c));
    default:
        return false;
    }
}

int ClassOfEscape(char c)
{
    switch (c)
    {
    case 'd':
        return PatternDigit;
    case 'D':
        return PatternNotDigit;
    case 'w':
        return PatternAlnum;
    case 'W':
        return PatternNotAlnum;
    case 's':
        return PatternSpace;
    case 'S':
        return PatternNotSpace;
    case 'U':
        return PatternUpper;
    case 'L':
        return PatternLower;
    default:
        return -1;
    }
}

// The byte of a one-letter control escape (\t, \n ...), or -1.
int ControlEscape(char c)
{
    switch (c)
    {
    case 't':
        return '\t';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 'f':
        return '\f';
    case 'v':
        return '\v';
    case 'a':
        return '\a';
    case 'b':
        return '\b';
    case 'e':
        return 0x1B;
    default:
        return -1;
    }
}

void FreeNode(SPatternNode* node)
{
    delete[] node->data;
    delete node;
}

// A piece of the program under construction: a chain of nodes and the fewest characters
// it can match.
struct SUnit
{
    SPatternNode* first;
    SPatternNode* last;
    int width;
};

// Groups nested deeper than this, or more sets than this, make a pattern malformed.
constexpr int kMaxNesting = 100;
constexpr int kMaxSets = 4096;

class CPatternCompiler
{
public:
    CPatternCompiler(const char* pattern, int codePage)
        : m_pattern(reinterpret_cast<const unsigned char*>(pattern)),
          m_length(static_cast<int>(std::strlen(pattern))), m_codePage(codePage)
    {
    }

    ~CPatternCompiler()
    {
        if (!m_done)
        {
            for (SPatternNode* node : m_nodes)
                FreeNode(node);
        }
    }

    PatternProgram* Compile()
    {
        SUnit unit{};
        if (!Sequence(0, &unit))
            return nullptr;
        SPatternNode* end = NewNode(PatternEndProgram);
        if (unit.first)
        {
            Link(unit.last, end);
        }
        else
        {
            unit.first = end;
        }
        for (const auto& fix : m_fixups)
            fix.first->target = fix.second->next;
        int index = 0;
        for (SPatternNode* node = unit.first; node; node = node->next)
            node->index = index++;
        if (index != static_cast<int>(m_nodes.size()))
            return nullptr; // every node is on the list; anything else is a compiler fault
        auto* prog = new PatternProgram;
        prog->first = unit.first;
        prog->codePage = m_codePage;
        prog->groupCount = m_groupCount;
        prog->nodeCount = index;
        m_done = true;
        return prog;
    }

private:
    SPatternNode* NewNode(uint16_t type)
    {
        auto node = std::make_unique<SPatternNode>();
        *node = SPatternNode{type, 0, nullptr, nullptr, nullptr, nullptr, 0};
        m_nodes.push_back(node.get()); // on failure the unique_ptr still frees the node
        return node.release();
    }

    static void Link(SPatternNode* a, SPatternNode* b)
    {
        a->next = b;
        b->prev = a;
    }

    static SUnit Single(SPatternNode* node, int width) { return {node, node, width}; }

    static SUnit Join(const SUnit& a, const SUnit& b)
    {
        if (!a.first)
            return b;
        if (!b.first)
            return a;
        Link(a.last, b.first);
        return {a.first, b.last, a.width + b.width};
    }

    // Sets node->target, once the program is complete, to the node after `last`.
    void TargetAfter(SPatternNode* node, SPatternNode* last) { m_fixups.emplace_back(node, last); }

    SPatternNode* Literal(const unsigned char* bytes, int length)
    {
        SPatternNode* node = NewNode(PatternLiteral);
        node->length = static_cast<uint16_t>(length);
        node->data = new unsigned char[static_cast<size_t>(length)];
        std::memcpy(node->data, bytes, static_cast<size_t>(length));
        return node;
    }

    // A sequence of pieces up to `closer` (0 at the top level). At the top level a ')' or
    // '}' with no opener ends the pattern.
    bool Sequence(char closer, SUnit* pUnit)
    {
        SUnit seq{nullptr, nullptr, 0};
        bool choicePending = false;
        SUnit left{};
        SUnit lastPiece{};
        while (m_pos < m_length)
        {
            char c = static_cast<char>(m_pattern[m_pos]);
            if (c == ')' || c == '}')
            {
                if (c == closer)
                    break;
                if (closer == 0)
                {
                    m_length = m_pos; // the rest of the pattern is ignored
                    break;
                }
                return false; // a closer of the other kind inside a group
            }
            if (c == '*' || c == '+' || c == '@' || c == '#' || c == '?')
                return false; // an operator with no operand
            if (c == '|')
            {
                if (choicePending || !seq.first)
                    return false;
                // The choice's left side is the last piece of the sequence.
                left = lastPiece;
                if (left.first == seq.first)
                {
                    seq = SUnit{nullptr, nullptr, 0};
                }
                else
                {
                    seq.last = left.first->prev;
                    seq.last->next = nullptr;
                    left.first->prev = nullptr;
                    seq.width -= left.width;
                }
                choicePending = true;
                m_pos++;
                continue;
            }
            SUnit piece{};
            if (!Piece(&piece))
                return false;
            if (choicePending)
            {
                piece = Choice(left, piece);
                choicePending = false;
            }
            lastPiece = piece;
            seq = Join(seq, piece);
        }
        if (choicePending)
            return false;
        *pUnit = seq;
        return true;
    }

    // left | right: the left side first; when it matches, the right one is skipped.
    SUnit Choice(const SUnit& left, const SUnit& right)
    {
        SPatternNode* op = NewNode(kPatternOperatorFlag | '|');
        SPatternNode* skip = NewNode(PatternSkipRight);
        op->target = right.first;
        TargetAfter(skip, right.last);
        SUnit unit = Join(Join(Single(op, 0), left), Single(skip, 0));
        unit = Join(unit, right);
        unit.width = left.width < right.width ? left.width : right.width;
        return unit;
    }

    // An atom and the postfix operators that follow it.
    bool Piece(SUnit* pUnit)
    {
        SUnit unit{};
        if (!Atom(&unit))
            return false;
        while (m_pos < m_length)
        {
            char c = static_cast<char>(m_pattern[m_pos]);
            if (c != '*' && c != '+' && c != '@' && c != '#' && c != '?')
                break;
            m_pos++;
            bool greedy = c == '*' || c == '+' || c == '?';
            SPatternNode* op = NewNode(static_cast<uint16_t>(kPatternOperatorFlag |
                                                             (greedy ? kPatternGreedyFlag : 0) |
                                                             static_cast<unsigned char>(c)));
            if (c == '?')
            {
                TargetAfter(op, unit.last);
                unit = Join(Single(op, 0), unit);
                unit.width = 0;
                continue;
            }
            // A repetition must consume something each time round, or it could loop forever.
            if (unit.width == 0)
                return false;
            SPatternNode* jump = NewNode(PatternJump);
            jump->target = op;
            TargetAfter(op, jump);
            int width = c == '+' || c == '#' ? unit.width : 0;
            unit = Join(Join(Single(op, 0), unit), Single(jump, 0));
            unit.width = width;
        }
        *pUnit = unit;
        return true;
    }

    bool Group(char closer, SUnit* pUnit)
    {
        // The parser recurses once per open group; the depth is bounded so that no pattern
        // can exhaust the machine stack of the thread that compiles it.
        if (m_depth >= kMaxNesting)
            return false;
        struct SDepth
        {
            int& depth;
            explicit SDepth(int& d) : depth(d) { depth++; }
            ~SDepth() { depth--; }
        } guard(m_depth);
        int number = 0;
        if (closer == ')')
        {
            if (m_groupCount >= kPatternGroups - 1)
                return false;
            number = ++m_groupCount;
        }
        SPatternNode* open =
            NewNode(static_cast<uint16_t>(kPatternGroupFlag | kPatternOpenFlag | number));
        SUnit inner{};
        if (!Sequence(closer, &inner))
            return false;
        if (m_pos >= m_length || m_pattern[m_pos] != closer)
            return false; // not closed
        m_pos++;
        SPatternNode* close =
            NewNode(static_cast<uint16_t>(kPatternGroupFlag | kPatternCloseFlag | number));
        SUnit unit = Join(Join(Single(open, 0), inner), Single(close, 0));
        unit.width = inner.width;
        *pUnit = unit;
        return true;
    }

    bool Atom(SUnit* pUnit)
    {
        auto c = static_cast<char>(m_pattern[m_pos]);
        switch (c)
        {
        case '.':
            m_pos++;
            *pUnit = Single(NewNode(PatternAnyChar), 1);
            return true;
        case '^':
        case '$':
        case '<':
        case '>':
            m_pos++;
            *pUnit = Single(NewNode(c == '^'   ? PatternLineStart
                                    : c == '$' ? PatternLineEnd
                                    : c == '<' ? PatternWordStart
                                               : PatternWordEnd),
                            0);
            return true;
        case '(':
            m_pos++;
            return Group(')', pUnit);
        case '{':
            m_pos++;
            return Group('}', pUnit);
        case '[':
            m_pos++;
            return Set(pUnit);
        case '\\':
            return Escape(pUnit);
        default:
        {
            SChar ch = ReadChar(m_codePage, m_pattern, m_length, m_pos);
            *pUnit = Single(Literal(m_pattern + m_pos, ch.length), 1);
            m_pos += ch.length;
            return true;
        }
        }
    }

    bool Escape(SUnit* pUnit)
    {
        m_pos++;
        if (m_pos >= m_length)
            return false; // a backslash at the end
        char c = static_cast<char>(m_pattern[m_pos]);
        int kind = ClassOfEscape(c);
        if (kind >= 0)
        {
            m_pos++;
            *pUnit = Single(NewNode(static_cast<uint16_t>(kind)), 1);
            return true;
        }
        if (c == 'C' || c == 'c')
        {
            m_pos++;
            *pUnit = Single(NewNode(c == 'C' ? PatternCaseOn : PatternCaseOff), 0);
            return true;
        }
        int byte = EscapeByte();
        if (byte == -2)
            return false;
        if (byte >= 0)
        {
            unsigned char b = static_cast<unsigned char>(byte);
            *pUnit = Single(Literal(&b, 1), 1);
            return true;
        }
        SChar ch = ReadChar(m_codePage, m_pattern, m_length, m_pos);
        *pUnit = Single(Literal(m_pattern + m_pos, ch.length), 1);
        m_pos += ch.length;
        return true;
    }

    // At the character after a backslash: for a control or numeric escape, consumes it and
    // returns its byte; -2 for a malformed numeric escape; -1 (nothing consumed) otherwise.
    int EscapeByte()
    {
        char c = static_cast<char>(m_pattern[m_pos]);
        int control = ControlEscape(c);
        if (control >= 0)
        {
            m_pos++;
            return control;
        }
        int base = c == 'x' ? 16 : c == 'o' ? 8 : c == 'N' ? 10 : 0;
        if (base == 0)
            return -1;
        int value = ReadNumber(reinterpret_cast<const char*>(m_pattern) + m_pos + 1, base);
        if (value < 0)
            return -2;
        m_pos += base == 16 ? 3 : 4;
        return value;
    }

    // One member of a set: a character code, or (for a class escape) its class kind.
    // Returns false on a malformed member.
    bool SetMember(int* pCode, int* pClass)
    {
        *pCode = -1;
        *pClass = -1;
        if (m_pattern[m_pos] == '\\')
        {
            m_pos++;
            if (m_pos >= m_length)
                return false;
            int kind = ClassOfEscape(static_cast<char>(m_pattern[m_pos]));
            if (kind >= 0)
            {
                m_pos++;
                *pClass = kind;
                return true;
            }
            int byte = EscapeByte();
            if (byte == -2)
                return false;
            if (byte >= 0)
            {
                *pCode = byte;
                return true;
            }
        }
        SChar ch = ReadChar(m_codePage, m_pattern, m_length, m_pos);
        *pCode = ch.code;
        m_pos += ch.length;
        return true;
    }

    bool Set(SUnit* pUnit)
    {
        bool negate = m_pos < m_length && m_pattern[m_pos] == '^';
        if (negate)
            m_pos++;
        // Each set holds an 8 KiB bitmap; a bound on their number keeps a pasted pattern of
        // thousands of sets from taking the memory of the process.
        if (++m_setCount > kMaxSets)
            return false;
        SPatternNode* node = NewNode(negate ? PatternNotInSet : PatternInSet);
        node->length = static_cast<uint16_t>(kPatternSetBytes);
        node->data = new unsigned char[kPatternSetBytes]();
        unsigned char* map = node->data;
        auto add = [map](int code)
        {
            if (code >= 0 && code <= 0xFFFF)
                map[code >> 3] = static_cast<unsigned char>(map[code >> 3] | (1 << (code & 7)));
        };
        for (;;)
        {
            if (m_pos >= m_length)
                return false; // not closed
            if (m_pattern[m_pos] == ']')
            {
                m_pos++;
                break;
            }
            int code = -1, kind = -1;
            if (!SetMember(&code, &kind))
                return false;
            if (kind >= 0)
            {
                for (int i = 0; i <= 0xFFFF; i++)
                {
                    if (ClassHas(kind, i))
                        add(i);
                }
                continue;
            }
            if (m_pos < m_length && m_pattern[m_pos] == '-')
            {
                m_pos++;
                if (m_pos >= m_length || m_pattern[m_pos] == ']')
                    return false; // a range left open
                int to = -1;
                if (!SetMember(&to, &kind) || kind >= 0 || to < 0 || code < 0 || to < code)
                    return false;
                for (int i = code; i <= to; i++)
                    add(i);
                continue;
            }
            add(code);
        }
        *pUnit = Single(node, 1);
        return true;
    }

    const unsigned char* m_pattern;
    int m_length;
    int m_codePage;
    int m_pos = 0;
    int m_groupCount = 0;
    int m_depth = 0;
    int m_setCount = 0;
    bool m_done = false;
    std::vector<SPatternNode*> m_nodes;
    std::vector<std::pair<SPatternNode*, SPatternNode*>> m_fixups;
};

bool IsRepeatOperator(const SPatternNode* node)
{
    if (!(node->type & kPatternOperatorFlag))
        return false;
    char c = static_cast<char>(node->type & 0xFF);
    return c == '*' || c == '+' || c == '@' || c == '#';
}

struct SAlternative
{
    const SPatternNode* node;
    int pos;
    int trail;
    bool caseSensitive;
};

struct SGroupEvent
{
    int slot; // 0 to 63: a group start, 64 to 127: a group end
    int pos;
};

// Matching this many nodes without a result turns the visit memo on.
constexpr long kMemoAfterSteps = 20000;
// The visit memo may take at most this many bits.
constexpr size_t kMemoMaxBits = size_t(64) * 1024 * 1024;

// The working state of one PatternMatch call.
class CPatternMatcher
{
public:
    CPatternMatcher(const PatternProgram* prog, const char* text, int length)
        : m_prog(prog), m_text(reinterpret_cast<const unsigned char*>(text)), m_length(length),
          m_codePage(prog->codePage), m_multibyte(IsMultibyteCodePage(prog->codePage))
    {
    }

    // Runs the program from `start`; on success *pEnd is where it ended and m_trail holds
    // the group events of the successful path.
    bool Try(int start, bool caseSensitive, int* pEnd);

    int CharLengthAt(int pos) const
    {
        if (!m_multibyte || m_text[pos] < 0x80)
            return 1;
        return ReadChar(m_codePage, m_text, m_length, pos).length;
    }

    std::vector<SGroupEvent> m_trail;

private:
    bool WordCharBefore(int pos);
    bool WordCharAt(int pos) const { return pos < m_length && IsAsciiAlnum(m_text[pos]); }
    bool FirstVisit(const SPatternNode* node, int pos, bool caseSensitive);
    void StartMemo();

    const PatternProgram* m_prog;
    const unsigned char* m_text;
    int m_length;
    int m_codePage;
    bool m_multibyte;
    std::vector<SAlternative> m_stack;
    std::vector<unsigned char> m_charStart; // double-byte code pages: 1 where a character starts

    // Visit memo: once matching has done enough work, each choice point is entered at most
    // once per position and case mode. A second visit can only follow a complete failure
    // from there (every repetition consumes a character, so a choice point is never its own
    // descendant at the same position), and whether the rest of the program matches from a
    // node depends on nothing but the position and the case mode, so it would fail again.
    long m_steps = 0;
    bool m_memoOn = false;
    bool m_memoRefused = false;
    std::vector<uint64_t> m_memoBits;
};

bool CPatternMatcher::WordCharBefore(int pos)
{
    if (pos <= 0 || !IsAsciiAlnum(m_text[pos - 1]))
        return false;
    if (!IsDbcsCodePage(m_codePage))
        return true; // an ASCII byte is a character of its own
    // In a double-byte code page a trail byte may look like a letter.
    if (m_charStart.empty())
    {
        m_charStart.assign(static_cast<size_t>(m_length) + 1, 0);
        for (int i = 0; i < m_length; i += CharLengthAt(i))
            m_charStart[static_cast<size_t>(i)] = 1;
    }
    return m_charStart[static_cast<size_t>(pos - 1)] != 0;
}

void CPatternMatcher::StartMemo()
{
    m_memoRefused = true;
    size_t bits = static_cast<size_t>(m_prog->nodeCount) * (static_cast<size_t>(m_length) + 1) * 2;
    if (bits > kMemoMaxBits)
        return;
    m_memoBits.assign((bits + 63) / 64, 0);
    m_memoOn = true;
}

bool CPatternMatcher::FirstVisit(const SPatternNode* node, int pos, bool caseSensitive)
{
    size_t bit = (static_cast<size_t>(node->index) * (static_cast<size_t>(m_length) + 1) +
                  static_cast<size_t>(pos)) *
                     2 +
                 (caseSensitive ? 1 : 0);
    uint64_t mask = uint64_t(1) << (bit & 63);
    if (m_memoBits[bit >> 6] & mask)
        return false;
    m_memoBits[bit >> 6] |= mask;
    return true;
}

bool CPatternMatcher::Try(int start, bool caseSensitive, int* pEnd)
{
    m_stack.clear();
    m_trail.clear();
    const SPatternNode* node = m_prog->first;
    int pos = start;
    for (;;)
    {
        bool ok = true;
        const SPatternNode* next = node->next;
        ++m_steps;
        uint16_t type = node->type;
        if (type & kPatternGroupFlag)
        {
            int number = type & 0xFF;
            if (number > 0)
                m_trail.push_back(
                    {(type & kPatternOpenFlag) ? number : kPatternGroups + number, pos});
        }
        else if (type & kPatternOperatorFlag)
        {
            // A choice point: '*' '@' '?' '|' when reached in order; '+' and '#' take their
            // operand first and become a choice when their loop jumps back.
            char op = static_cast<char>(type & 0xFF);
            if (op == '+' || op == '#')
            {
                next = node->next;
            }
            else
            {
                const SPatternNode* first = node->next;
                const SPatternNode* second = node->target;
                if (op == '@')
                    std::swap(first, second);
                if (!m_memoOn && !m_memoRefused && m_steps > kMemoAfterSteps)
                    StartMemo();
                if (m_memoOn && !FirstVisit(node, pos, caseSensitive))
                {
                    ok = false;
                }
                else
                {
                    m_stack.push_back(
                        {second, pos, static_cast<int>(m_trail.size()), caseSensitive});
                    next = first;
                }
            }
        }
        else
        {
            switch (type)
            {
            case PatternEmpty:
                break;
            case PatternJump:
            {
                const SPatternNode* target = node->target;
                if (IsRepeatOperator(target))
                {
                    // Round the loop again or leave it; the greedy ones try the loop first.
                    const SPatternNode* again = target->next;
                    const SPatternNode* leave = target->target;
                    if (!(target->type & kPatternGreedyFlag))
                        std::swap(again, leave);
                    if (!m_memoOn && !m_memoRefused && m_steps > kMemoAfterSteps)
                        StartMemo();
                    if (m_memoOn && !FirstVisit(node, pos, caseSensitive))
                    {
                        ok = false;
                        break;
                    }
                    m_stack.push_back(
                        {leave, pos, static_cast<int>(m_trail.size()), caseSensitive});
                    next = again;
                }
                else
                {
                    next = target;
                }
                break;
            }
            case PatternSkipRight:
                next = node->target;
                break;
            case PatternLineStart:
                ok = pos == 0;
                break;
            case PatternLineEnd:
                ok = pos == m_length;
                break;
            case PatternWordStart:
                ok = (pos == 0 && m_length > 0) || (WordCharAt(pos) && !WordCharBefore(pos));
                break;
            case PatternWordEnd:
                ok = pos != 0 && (pos == m_length || (!WordCharAt(pos) && WordCharBefore(pos)));
                break;
            case PatternCaseOn:
                caseSensitive = true;
                break;
            case PatternCaseOff:
                caseSensitive = false;
                break;
            case PatternEndProgram:
                *pEnd = pos;
                return true;
            case PatternLiteral:
            {
                int n = node->length;
                if (pos + n > m_length)
                {
                    ok = false;
                }
                else if (n == 1 && !caseSensitive)
                {
                    ok = AsciiUpper(m_text[pos]) == AsciiUpper(node->data[0]);
                }
                else
                {
                    ok = std::memcmp(m_text + pos, node->data, static_cast<size_t>(n)) == 0;
                }
                // A literal byte must not be the first half of a longer character.
                if (ok && CharLengthAt(pos) != n)
                    ok = false;
                if (ok)
                    pos += n;
                break;
            }
            default:
            {
                // The nodes that consume one character.
                if (pos >= m_length)
                {
                    ok = false;
                    break;
                }
                SChar ch = m_multibyte ? ReadChar(m_codePage, m_text, m_length, pos)
                                       : SChar{1, m_text[pos]};
                if (type == PatternAnyChar)
                {
                }
                else if (type == PatternInSet || type == PatternNotInSet)
                {
                    bool in = ch.code >= 0 && ((node->data[ch.code >> 3] >> (ch.code & 7)) & 1);
                    ok = in == (type == PatternInSet);
                }
                else if (type >= PatternSpace && type <= PatternNotAlnum)
                {
                    ok = ClassHas(type, ch.code < 0 ? 0x10000 : ch.code);
                }
                else
                {
                    ok = false; // an unknown node: treat as no match
                }
                if (ok)
                    pos += ch.length;
                break;
            }
            }
        }
        if (ok)
        {
            node = next;
            continue;
        }

        for (;;)
        {
            if (m_stack.empty())
                return false;
            SAlternative alt = m_stack.back();
            m_stack.pop_back();
            m_trail.resize(static_cast<size_t>(alt.trail));
            node = alt.node;
            pos = alt.pos;
            caseSensitive = alt.caseSensitive;
            break;
        }
    }
}
} // namespace

PatternProgram* PatternCompile(const char* pattern)
{
    return PatternCompile(pattern, ResolveCodePage(GetTextCodePage()));
}

PatternProgram* PatternCompile(const char* pattern, int codePage)
{
    if (!pattern)
        return nullptr;
    try
    {
        CPatternCompiler compiler(pattern, codePage);
        return compiler.Compile();
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

void PatternFree(PatternProgram* prog)
{
    if (!prog)
        return;
    for (SPatternNode* node = prog->first; node;)
    {
        SPatternNode* next = node->next;
        FreeNode(node);
        node = next;
    }
    delete prog;
}

int PatternMatch(const PatternProgram* prog, const char* text, int length, int searchStart,
                 PatternMatchInfo* pInfo, bool caseSensitive)
{
    if (pInfo)
    {
        for (int i = 0; i < kPatternGroups; i++)
        {
            pInfo->start[i] = -1;
            pInfo->end[i] = -1;
        }
    }
    if (!prog || !prog->first || !text || length < 0 || searchStart < 0 || searchStart > length)
        return 0;
    try
    {
        CPatternMatcher matcher(prog, text, length);
        const SPatternNode* first = prog->first;
        const auto* bytes = reinterpret_cast<const unsigned char*>(text);
        bool startOnly = first->type == PatternLineStart;
        bool literalLead = first->type == PatternLiteral;
        unsigned char lead = literalLead ? first->data[0] : 0;
        // Only positions where the first character occurs can start a match; memchr finds
        // them when the comparison does not depend on case.
        bool scanExact = literalLead && (caseSensitive || AsciiUpper(lead) == AsciiLower(lead));
        // Where a trail byte may equal the first byte, hits are reached character by
        // character; elsewhere every hit starts a character.
        bool stepToHits =
            IsDbcsCodePage(prog->codePage) || (lead >= 0x80 && IsMultibyteCodePage(prog->codePage));
        int pos = searchStart;
        while (pos <= length)
        {
            if (scanExact)
            {
                if (pos >= length)
                    break;
                if (bytes[pos] != lead)
                {
                    const void* hit =
                        std::memchr(bytes + pos, lead, static_cast<size_t>(length - pos));
                    if (!hit)
                        break;
                    int at = static_cast<int>(static_cast<const unsigned char*>(hit) - bytes);
                    if (!stepToHits)
                    {
                        pos = at;
                    }
                    else
                    {
                        // Step by characters so that a trail byte is never taken for a lead.
                        while (pos < at)
                            pos += matcher.CharLengthAt(pos);
                        if (pos != at)
                            continue;
                    }
                }
            }
            else if (literalLead && (pos >= length || AsciiUpper(bytes[pos]) != AsciiUpper(lead)))
            {
                if (pos >= length)
                    break;
                pos += matcher.CharLengthAt(pos);
                continue;
            }
            int end = 0;
            if (matcher.Try(pos, caseSensitive, &end))
            {
                if (pInfo)
                {
                    for (const SGroupEvent& event : matcher.m_trail)
                    {
                        if (event.slot < kPatternGroups)
                            pInfo->start[event.slot] = event.pos;
                        else
                            pInfo->end[event.slot - kPatternGroups] = event.pos;
                    }
                    pInfo->start[0] = pos;
                    pInfo->end[0] = end;
                }
                return 1;
            }
            if (startOnly || pos >= length)
                break;
            pos += matcher.CharLengthAt(pos);
        }
    }
    catch (const std::bad_alloc&)
    {
    }
    return 0;
}

namespace
{
// Appends text with the case conversions of a template in force.
class CCaseWriter
{
public:
    CCaseWriter(std::string* pOut, int codePage) : m_out(pOut), m_codePage(codePage) {}

    void Append(const char* text, int length)
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(text);
        for (int i = 0; i < length;)
        {
            int n = 1;
            if (bytes[i] >= 0x80 && IsMultibyteCodePage(m_codePage))
                n = ReadChar(m_codePage, bytes, length, i).length;
            if (n == 1)
            {
                unsigned char c = bytes[i];
                int mode = m_once ? m_once : m_mode;
                if (mode == 'U')
                    c = AsciiUpper(c);
                else if (mode == 'L')
                    c = AsciiLower(c);
                m_out->push_back(static_cast<char>(c));
            }
            else
            {
                m_out->append(text + i, static_cast<size_t>(n));
            }
            m_once = 0;
            i += n;
        }
    }

    int m_mode = 0; // 'U', 'L' or 0
    int m_once = 0; // for the next character only: 'U', 'L' or 0

private:
    std::string* m_out;
    int m_codePage;
};
} // namespace

bool PatternSubstitute(const char* templ, const char* text, const PatternMatchInfo& info,
                       std::string* pOut)
{
    return PatternSubstitute(templ, text, info, pOut, ResolveCodePage(GetTextCodePage()));
}

bool PatternSubstitute(const char* templ, const char* text, const PatternMatchInfo& info,
                       std::string* pOut, int codePage)
{
    if (!pOut)
        return false;
    pOut->clear();
    if (!templ || !text)
        return false;
    std::string out;
    CCaseWriter writer(&out, codePage);
    for (const char* p = templ; *p;)
    {
        if (*p != '\\')
        {
            const char* run = p;
            while (*p && *p != '\\')
                p++;
            writer.Append(run, static_cast<int>(p - run));
            continue;
        }
        char c = p[1];
        if (c == '\0')
            return false; // a backslash at the end
        p += 2;
        if (c >= '0' && c <= '9')
        {
            int n = c - '0';
            int start = info.start[n], end = info.end[n];
            if (start < 0 || end < start)
                return false; // the group took no part
            writer.Append(text + start, end - start);
            continue;
        }
        switch (c)
        {
        case 'U':
        case 'L':
            writer.m_mode = c;
            continue;
        case 'E':
        case 'e':
            writer.m_mode = 0;
            continue;
        case 'u':
            writer.m_once = 'U';
            continue;
        case 'l':
            writer.m_once = 'L';
            continue;
        default:
            break;
        }
        char byte = c;
        int base = c == 'x' ? 16 : c == 'o' ? 8 : c == 'd' ? 10 : 0;
        if (base)
        {
            int value = ReadNumber(p, base);
            if (value < 0)
                return false; // a malformed numeric escape
            p += base == 16 ? 2 : 3;
            byte = static_cast<char>(value);
        }
        else if (c == 'a' || c == 'b' || c == 'n' || c == 'r' || c == 't')
        {
            byte = static_cast<char>(ControlEscape(c));
        }
        writer.Append(&byte, 1);
    }
    *pOut = std::move(out);
    return true;
}

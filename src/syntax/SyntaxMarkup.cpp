#include "syntax/SyntaxMarkup.h"

// The shared markup lists (tags and attributes of HTML and PHP, entities of all five).
// HTML and PHP tag names: colour 9, 93 words.
const char* const g_apszHtmlTagNames[] = {
    "DOCTYPE",  "PUBLIC",  "HTML",       "FRAMESET", "FRAME",   "NOFRAMES", "IFRAME",   "HEAD",
    "TITLE",    "ISINDEX", "META",       "LINK",     "BASE",    "BASEFONT", "SCRIPT",   "NOSCRIPT",
    "STYLE",    "BODY",    "H1",         "H2",       "H3",      "H4",       "H5",       "H6",
    "UL",       "OL",      "DIR",        "MENU",     "LI",      "DL",       "DT",       "DD",
    "P",        "PRE",     "BLOCKQUOTE", "ADDRESS",  "DIV",     "SPAN",     "CENTER",   "HR",
    "EM",       "STRONG",  "DFN",        "CODE",     "SAMP",    "KBD",      "VAR",      "CITE",
    "Q",        "ACRONYM", "ABBR",       "INS",      "DEL",     "BDO",      "TT",       "I",
    "B",        "U",       "STRIKE",     "S",        "BIG",     "SMALL",    "SUB",      "SUP",
    "A",        "IMG",     "APPLET",     "OBJECT",   "PARAM",   "FONT",     "BR",       "MAP",
    "AREA",     "FORM",    "INPUT",      "TEXTAREA", "SELECT",  "OPTION",   "OPTGROUP", "BUTTON",
    "FIELDSET", "LEGEND",  "LABEL",      "TABLE",    "TR",      "TH",       "TD",       "COLGROUP",
    "COL",      "THEAD",   "TBODY",      "TFOOT",    "CAPTION", nullptr,
};

// HTML and PHP attribute names: colour 18, 122 words.
const char* const g_apszHtmlAttributeNames[] = {
    "ABBR",         "ACCEPT",      "ACCEPT-CHARSET", "ACCESSKEY",
    "ACTION",       "ALIGN",       "ALINK",          "ALT",
    "ARCHIVE",      "AXIS",        "BACKGROUND",     "BGCOLOR",
    "BORDER",       "CELLPADDING", "CELLSPACING",    "CHAR",
    "CHAROFF",      "CHARSET",     "CHECKED",        "CITE",
    "CLASS",        "CLASSID",     "CLEAR",          "CODE",
    "CODEBASE",     "CODETYPE",    "COLOR",          "COLS",
    "COLSPAN",      "COMPACT",     "CONTENT",        "COORDS",
    "DATA",         "DATAFLD",     "DATAFORMATAS",   "DATASRC",
    "DATETIME",     "DECLARE",     "DEFER",          "DIR",
    "DISABLED",     "ENCTYPE",     "EVENT",          "FACE",
    "FOR",          "FRAME",       "FRAMEBORDER",    "HEADERS",
    "HEIGHT",       "HREF",        "HREFLANG",       "HSPACE",
    "HTTP-EQUIV",   "ID",          "ISMAP",          "LABEL",
    "LANG",         "LANGUAGE",    "LINK",           "LONGDESC",
    "MARGINHEIGHT", "MARGINWIDTH", "MAXLENGTH",      "MEDIA",
    "METHOD",       "MULTIPLE",    "NAME",           "NOHREF",
    "NORESIZE",     "NOSHADE",     "NOWRAP",         "ONBLUR",
    "ONCHANGE",     "ONCLICK",     "ONDBLCLICK",     "ONFOCUS",
    "ONKEYDOWN",    "ONKEYPRESS",  "ONKEYUP",        "ONLOAD",
    "ONMOUSEDOWN",  "ONMOUSEMOVE", "ONMOUSEOUT",     "ONMOUSEOVER",
    "ONMOUSEUP",    "ONRESET",     "ONSELECT",       "ONSUBMIT",
    "ONUNLOAD",     "PROFILE",     "PROMPT",         "READONLY",
    "REL",          "REV",         "ROWS",           "ROWSPAN",
    "RULES",        "SCHEME",      "SCOPE",          "SCROLLING",
    "SELECTED",     "SHAPE",       "SIZE",           "SPAN",
    "SRC",          "STANDBY",     "START",          "STYLE",
    "SUMMARY",      "TABINDEX",    "TARGET",         "TEXT",
    "TITLE",        "TYPE",        "USEMAP",         "VALIGN",
    "VALUE",        "VALUETYPE",   "VERSION",        "VLINK",
    "VSPACE",       "WIDTH",       nullptr,
};

// Entity names of all five parsers: colour 19, 100 words.
const char* const g_apszEntityNames[] = {
    "nbsp",   "quot",   "amp",    "lt",     "gt",     "copy",   "reg",    "acute",  "laquo",
    "raquo",  "iexcl",  "iquest", "Agrave", "agrave", "Aacute", "aacute", "Acirc",  "acirc",
    "Atilde", "atilde", "Auml",   "auml",   "Aring",  "aring",  "AElig",  "aelig",  "Ccedil",
    "ccedil", "ETH",    "eth",    "Egrave", "egrave", "Eacute", "eacute", "Ecirc",  "ecirc",
    "Euml",   "euml",   "Igrave", "igrave", "Iacute", "iacute", "Icirc",  "icirc",  "Iuml",
    "iuml",   "Ntilde", "ntilde", "Ograve", "ograve", "Oacute", "oacute", "Ocirc",  "ocirc",
    "Otilde", "otilde", "Ouml",   "ouml",   "Oslash", "oslash", "Ugrave", "ugrave", "Uacute",
    "uacute", "Ucirc",  "ucirc",  "Uuml",   "uuml",   "Yacute", "yacute", "yuml",   "THORN",
    "thorn",  "szlig",  "sect",   "para",   "micro",  "brvbar", "plusmn", "middot", "uml",
    "cedil",  "ordf",   "ordm",   "not",    "shy",    "macr",   "deg",    "sup1",   "sup2",
    "sup3",   "frac14", "frac12", "frac34", "times",  "divide", "cent",   "pound",  "curren",
    "yen",    nullptr,
};

int CountListEntries(const char* const* list)
{
    int n = 0;
    for (; list != nullptr && list[n] != nullptr; ++n)
    {
    }
    return n;
}

CSyntaxMarkupParser::CSyntaxMarkupParser(EMarkupDialect dialect, const char* const* tags,
                                         const char* const* attributes,
                                         const char* const* scriptKeywords,
                                         const char* const* scriptOperators,
                                         const char* const* scriptConstants)
    : m_dialect(dialect), m_tags(tags, true), m_attributes(attributes, true),
      m_entities(g_apszEntityNames, true), m_scriptKeywords(scriptKeywords, true),
      m_scriptOperators(scriptOperators, true), m_scriptConstants(scriptConstants, true)
{
}

int CSyntaxMarkupParser::GetWordListCount() const
{
    switch (m_dialect)
    {
    case EMarkupDialect::Asp:
        return 4;
    case EMarkupDialect::Php:
        return 6;
    default:
        return 3;
    }
}

SSyntaxWordList CSyntaxMarkupParser::GetWordList(int index) const
{
    switch (index)
    {
    case 0:
        return {m_tags.GetList(), kSyntaxColorKeyword, true};
    case 1:
        return {m_attributes.GetList(), kSyntaxColorKeyword2, true};
    case 2:
        return {m_entities.GetList(), kSyntaxColorKeyword3, true};
    case 3:
        if (m_dialect == EMarkupDialect::Asp || m_dialect == EMarkupDialect::Php)
            return {m_scriptKeywords.GetList(), kSyntaxColorKeyword, true};
        break;
    case 4:
        if (m_dialect == EMarkupDialect::Php)
            return {m_scriptOperators.GetList(), kSyntaxColorOperator, true};
        break;
    case 5:
        if (m_dialect == EMarkupDialect::Php)
            return {m_scriptConstants.GetList(), kSyntaxColorKeyword3, true};
        break;
    default:
        break;
    }
    return {nullptr, 0, false};
}

// Scans one line. Run mechanics:
// - "New-run mode" starts a run wherever the colour may change: at the line start, after
//   a string, comment or script block closes, after a classified word and after an
//   operator character. In it, a character inside a comment, string, script block or tag
//   takes that region's colour; a word character or "." starts normal text; any other
//   character is an operator run of its own and new-run mode goes on.
// - An operator character is coloured by the state after it has been processed, so a
//   ">" that closes a tag is an operator and not tag interior.
// - Runs placed explicitly by a rule (a string, comment, script block or tag start) win
//   over new-run mode for their position; a second run at the same start replaces this
//   call's previous one instead of stacking records.
// - Words (word characters and ".") are collected only when runs are wanted and are
//   classified at the first character after them; nothing about a word changes the state,
//   so a state-only pass returns what a colouring pass returns.
class CMarkupLineScanner
{
public:
    CMarkupLineScanner(const CSyntaxMarkupParser& parser, const CTarvoTextLineInfo* line,
                       SyntaxRun* runs, int* count, uint32_t state)
        : m_parser(parser), m_dialect(parser.m_dialect),
          m_xmlLike(m_dialect == EMarkupDialect::Xml || m_dialect == EMarkupDialect::Sgml),
          m_line(line), m_text(line), m_p(m_text.pText), m_n(m_text.nLength),
          m_runs(count != nullptr ? runs : nullptr), m_count(count),
          m_firstOwnRun(count != nullptr ? *count : 0), m_state(state)
    {
    }

    uint32_t Scan();

private:
    enum class ERestart
    {
        None,
        Here,  // new-run mode from the current character, coloured after processing it
        After, // new-run mode from the next character
    };

    bool IsWordOrDot(unsigned char c) const { return IsSyntaxWordChar(c) || c == '.'; }
    bool IsByteAt(int pos, char c) const { return pos >= 0 && pos < m_n && m_p[pos] == c; }
    bool InScriptBlock() const;
    int RegionColor() const;
    bool IsEscaped() const;
    bool IsBlockEnd(unsigned char c) const;

    void Mark(int pos, int color);
    void MarkExplicit(int pos, int color);

    ERestart ProcessChar(unsigned char c);
    ERestart ProcessMarkup(unsigned char c);
    ERestart ProcessAspScript(unsigned char c);
    ERestart ProcessPhpScript(unsigned char c);
    bool ClassifyMarkupWord(int end, bool atLineEnd);
    bool ClassifyScriptWord(int end);
    bool ClassifyPendingWord(int end);
    bool CollectWordCharacter(unsigned char c);

    const CSyntaxMarkupParser& m_parser;
    const EMarkupDialect m_dialect;
    const bool m_xmlLike;
    const CTarvoTextLineInfo* m_line;
    SSyntaxLineText m_text;
    const unsigned char* m_p;
    const int m_n;
    SyntaxRun* m_runs;
    int* m_count;
    const int m_firstOwnRun;
    uint32_t m_state;

    int m_pos = 0;          // start of the current character
    int m_prev = -1;        // start of the character before it, -1 = none
    int m_prev2 = -1;       // start of the one before that
    int m_wordStart = -1;   // start of the word being collected, -1 = none
    int m_commentStar = -1; // the "*" of a "/*" opened on this line (PHP)
    int m_explicitPos = -1; // the furthest position an explicit run was placed at
    bool m_stop = false;
};

bool CMarkupLineScanner::InScriptBlock() const
{
    switch (m_dialect)
    {
    case EMarkupDialect::Html:
    case EMarkupDialect::Asp:
        return (m_state & kMarkupScript) != 0;
    case EMarkupDialect::Php:
        return (m_state & kMarkupPhpBlock) != 0;
    default:
        return false;
    }
}

// The colour of a run that starts inside the current region, or -1 outside every region.
// Script blocks come before tags: a block written inside a tag ("<input <?php ... ?>>")
// is script text, not tag interior, on every line it spans.
int CMarkupLineScanner::RegionColor() const
{
    if ((m_state & (kMarkupLineComment | kMarkupComment)) != 0)
        return kSyntaxColorComment;
    if ((m_state & (kMarkupString | kMarkupQuote)) != 0)
        return kSyntaxColorString;
    switch (m_dialect)
    {
    case EMarkupDialect::Html:
        if ((m_state & kMarkupScript) != 0)
            return kSyntaxColorFunction;
        break;
    case EMarkupDialect::Asp:
        if ((m_state & kMarkupScript) != 0)
            return kSyntaxColorNormal;
        break;
    case EMarkupDialect::Php:
        if ((m_state & kMarkupPhpBlock) != 0)
            return (m_state & kMarkupVariable) != 0 ? kSyntaxColorKeyword2 : kSyntaxColorNormal;
        break;
    default:
        break;
    }
    if ((m_state & kMarkupTag) != 0)
        return kSyntaxColorPreprocessor;
    return -1;
}

// A quote is escaped by a backslash before it unless that backslash is itself preceded by
// a backslash. XML strings have no escapes.
bool CMarkupLineScanner::IsEscaped() const
{
    if (m_dialect == EMarkupDialect::Xml)
        return false;
    return IsByteAt(m_prev, '\\') && !IsByteAt(m_prev2, '\\');
}

// The ">" of "?>" or "%>".
bool CMarkupLineScanner::IsBlockEnd(unsigned char c) const
{
    return c == '>' && (IsByteAt(m_prev, '?') || IsByteAt(m_prev, '%'));
}

void CMarkupLineScanner::Mark(int pos, int color)
{
    // A run at the line end would be empty; parsers never look at or past the length.
    if (m_runs == nullptr || pos >= m_n)
        return;
    const int n = *m_count;
    if (n > m_firstOwnRun && m_runs[n - 1].nStart == pos)
    {
        m_runs[n - 1].nColor = color;
        return;
    }
    m_parser.AddRun(m_line, pos, color, m_runs, m_count);
}

void CMarkupLineScanner::MarkExplicit(int pos, int color)
{
    Mark(pos, color);
    if (pos > m_explicitPos)
        m_explicitPos = pos;
}

bool CMarkupLineScanner::ClassifyMarkupWord(int end, bool atLineEnd)
{
    const int start = m_wordStart;
    const char* word = reinterpret_cast<const char*>(m_p + start);
    const int length = end - start;
    int color = -1;
    if ((m_state & kMarkupTag) != 0)
    {
        if (m_xmlLike)
        {
            if (m_parser.m_tags.Contains(word, length))
                color = kSyntaxColorKeyword;
            else if (m_parser.m_attributes.Contains(word, length))
                color = kSyntaxColorKeyword2;
            else if (atLineEnd && m_parser.m_entities.Contains(word, length))
                color = kSyntaxColorKeyword3;
            else if (IsNumber(word, length))
                color = kSyntaxColorNumber;
        }
        else
        {
            // A tag name directly follows "<" or "/"; the same word elsewhere in the tag
            // is an attribute ("<title>" against title="...").
            if ((IsByteAt(start - 1, '<') || IsByteAt(start - 1, '/')) &&
                m_parser.m_tags.Contains(word, length))
                color = kSyntaxColorKeyword;
            else if (m_parser.m_attributes.Contains(word, length))
                color = kSyntaxColorKeyword2;
            else if (atLineEnd && m_parser.m_entities.Contains(word, length))
                color = kSyntaxColorKeyword3;
            else if (IsNumber(word, length))
                color = kSyntaxColorNumber;
        }
    }
    else if ((m_state & kMarkupEntity) != 0 && m_parser.m_entities.Contains(word, length))
        color = kSyntaxColorKeyword3;
    else if (m_xmlLike && IsNumber(word, length))
        color = kSyntaxColorNumber;
    if (color < 0)
        return false;
    Mark(start, color);
    return true;
}

bool CMarkupLineScanner::ClassifyScriptWord(int end)
{
    const int start = m_wordStart;
    const char* word = reinterpret_cast<const char*>(m_p + start);
    const int length = end - start;
    int color = -1;
    if (m_parser.m_scriptKeywords.Contains(word, length))
        color = kSyntaxColorKeyword;
    else if (m_parser.m_scriptOperators.Contains(word, length))
        color = kSyntaxColorOperator;
    else if (m_parser.m_scriptConstants.Contains(word, length))
        color = kSyntaxColorKeyword3;
    else if (IsNumber(word, length))
        color = kSyntaxColorNumber;
    else if (IsByteAt(FindNextNonSpace(m_p, m_n, end), '('))
        color = kSyntaxColorFunction;
    if (color < 0)
        return false;
    Mark(start, color);
    return true;
}

// Classifies the word that ends at `end` (if one is pending) by the rules of the region
// it was collected in; true when it got a run.
bool CMarkupLineScanner::ClassifyPendingWord(int end)
{
    if (m_wordStart < 0)
        return false;
    const bool classified =
        InScriptBlock() ? ClassifyScriptWord(end) : ClassifyMarkupWord(end, end >= m_n);
    m_wordStart = -1;
    return classified;
}

// True when c belongs to a word, which then starts here unless one is already pending;
// the word is classified at the first character that does not belong to it.
bool CMarkupLineScanner::CollectWordCharacter(unsigned char c)
{
    if (!IsWordOrDot(c))
        return false;
    if (m_runs != nullptr && m_wordStart < 0)
        m_wordStart = m_pos;
    return true;
}

CMarkupLineScanner::ERestart CMarkupLineScanner::ProcessMarkup(unsigned char c)
{
    if (CollectWordCharacter(c))
        return ERestart::None;
    const ERestart restart = ClassifyPendingWord(m_pos) ? ERestart::Here : ERestart::None;
    const int i = m_pos;
    const bool inTag = (m_state & kMarkupTag) != 0;
    const bool stringsHere = inTag || m_xmlLike;
    if (c == '"' && stringsHere)
    {
        MarkExplicit(i, kSyntaxColorString);
        m_state |= kMarkupString;
        return restart;
    }
    // An apostrophe after a word character ("don't") is text, not a string.
    if (c == '\'' && stringsHere && !(m_prev >= 0 && IsSyntaxWordChar(m_p[m_prev])))
    {
        MarkExplicit(i, kSyntaxColorString);
        m_state |= kMarkupQuote;
        return restart;
    }
    if (c == '<')
    {
        if (i + 3 < m_n && m_p[i + 1] == '!' && m_p[i + 2] == '-' && m_p[i + 3] == '-')
        {
            MarkExplicit(i, kSyntaxColorComment);
            m_state = (m_state & ~kMarkupTag) | kMarkupComment;
            // Continue after "<!--"; its dashes count as the "--" of a "-->" right after.
            m_prev2 = i + 2;
            m_prev = i + 3;
            m_pos = i + 3;
            return restart;
        }
        if (!m_xmlLike && (IsByteAt(i + 1, '?') || IsByteAt(i + 1, '%')))
        {
            if (m_dialect == EMarkupDialect::Html)
            {
                MarkExplicit(i, kSyntaxColorFunction);
                m_state |= kMarkupScript;
            }
            else
            {
                MarkExplicit(i, kSyntaxColorNormal);
                m_state |= m_dialect == EMarkupDialect::Php ? kMarkupPhpBlock : kMarkupScript;
            }
            return restart;
        }
        // HTML colours a tag from the character after "<"; the "<" keeps the colour of
        // what precedes it. XML and SGML colour the "<" as part of the tag.
        MarkExplicit(m_xmlLike ? i : i + 1, kSyntaxColorPreprocessor);
        m_state |= kMarkupTag;
        return restart;
    }
    if (c == '{' && m_xmlLike)
    {
        MarkExplicit(i, kSyntaxColorPreprocessor);
        m_state |= kMarkupTag;
        return restart;
    }
    if (inTag)
    {
        if (c == '>' || (c == '}' && m_xmlLike))
        {
            m_state &= ~kMarkupTag;
            return ERestart::Here;
        }
        return restart;
    }
    if (c == '&')
    {
        m_state |= kMarkupEntity;
        return ERestart::Here;
    }
    if (c == ';')
        m_state &= ~kMarkupEntity;
    return restart;
}

CMarkupLineScanner::ERestart CMarkupLineScanner::ProcessAspScript(unsigned char c)
{
    if (CollectWordCharacter(c))
        return ERestart::None;
    const ERestart restart = ClassifyPendingWord(m_pos) ? ERestart::Here : ERestart::None;
    if (IsBlockEnd(c))
    {
        m_state &= ~kMarkupScript;
        return ERestart::After;
    }
    if (c == '\'')
    {
        MarkExplicit(m_pos, kSyntaxColorComment);
        m_state |= kMarkupLineComment;
    }
    else if (c == '"')
    {
        MarkExplicit(m_pos, kSyntaxColorString);
        m_state |= kMarkupString;
    }
    return restart;
}

CMarkupLineScanner::ERestart CMarkupLineScanner::ProcessPhpScript(unsigned char c)
{
    ERestart restart = ERestart::None;
    if ((m_state & kMarkupVariable) != 0)
    {
        if (IsSyntaxWordChar(c))
            return ERestart::None;
        m_state &= ~kMarkupVariable;
        restart = ERestart::Here;
    }
    if (CollectWordCharacter(c))
        return restart;
    if (ClassifyPendingWord(m_pos))
        restart = ERestart::Here;
    const int i = m_pos;
    if (IsBlockEnd(c))
    {
        m_state &= ~kMarkupPhpBlock;
        return ERestart::After;
    }
    switch (c)
    {
    case '$':
        MarkExplicit(i, kSyntaxColorKeyword2);
        m_state |= kMarkupVariable;
        break;
    case '"':
        MarkExplicit(i, kSyntaxColorString);
        m_state |= kMarkupString;
        break;
    case '\'':
        if (!(m_prev >= 0 && IsSyntaxWordChar(m_p[m_prev])))
        {
            MarkExplicit(i, kSyntaxColorString);
            m_state |= kMarkupQuote;
        }
        break;
    case '#':
        MarkExplicit(i, kSyntaxColorComment);
        m_state |= kMarkupLineComment;
        break;
    case '/':
        if (IsByteAt(i + 1, '/'))
        {
            MarkExplicit(i, kSyntaxColorComment);
            m_state |= kMarkupLineComment;
        }
        else if (IsByteAt(i + 1, '*'))
        {
            MarkExplicit(i, kSyntaxColorComment);
            m_state |= kMarkupComment;
            m_commentStar = i + 1;
        }
        break;
    default:
        break;
    }
    return restart;
}

CMarkupLineScanner::ERestart CMarkupLineScanner::ProcessChar(unsigned char c)
{
    if ((m_state & kMarkupLineComment) != 0)
    {
        // A line comment of a script block ends at the block's "?>" or "%>", as the
        // server does; otherwise the page after the block would stay script for good.
        if (InScriptBlock() && IsBlockEnd(c))
        {
            m_state &= ~(kMarkupLineComment | kMarkupScript | kMarkupPhpBlock);
            return ERestart::After;
        }
        if (!InScriptBlock())
        {
            MarkExplicit(m_pos, kSyntaxColorComment);
            m_stop = true;
        }
        return ERestart::None;
    }
    if ((m_state & kMarkupString) != 0)
    {
        if (c == '"' && !IsEscaped())
        {
            m_state &= ~kMarkupString;
            return ERestart::After;
        }
        return ERestart::None;
    }
    if ((m_state & kMarkupQuote) != 0)
    {
        if (c == '\'' && !IsEscaped())
        {
            m_state &= ~kMarkupQuote;
            return ERestart::After;
        }
        return ERestart::None;
    }
    if ((m_state & kMarkupComment) != 0)
    {
        if (m_dialect == EMarkupDialect::Php && (m_state & kMarkupPhpBlock) != 0)
        {
            // The "*" of the "/*" that opened the comment does not close it ("/*/").
            if (c == '/' && IsByteAt(m_prev, '*') && m_prev != m_commentStar)
            {
                m_state &= ~kMarkupComment;
                return ERestart::After;
            }
        }
        else if (c == '>' && IsByteAt(m_prev, '-') && IsByteAt(m_prev2, '-'))
        {
            m_state &= ~kMarkupComment;
            return ERestart::After;
        }
        return ERestart::None;
    }
    switch (m_dialect)
    {
    case EMarkupDialect::Html:
        if ((m_state & kMarkupScript) != 0)
        {
            if (IsBlockEnd(c))
            {
                m_state &= ~kMarkupScript;
                return ERestart::After;
            }
            return ERestart::None;
        }
        break;
    case EMarkupDialect::Asp:
        if ((m_state & kMarkupScript) != 0)
            return ProcessAspScript(c);
        break;
    case EMarkupDialect::Php:
        if ((m_state & kMarkupPhpBlock) != 0)
            return ProcessPhpScript(c);
        break;
    default:
        break;
    }
    return ProcessMarkup(c);
}

uint32_t CMarkupLineScanner::Scan()
{
    bool newRun = true;
    bool lagging = false; // the current character is coloured after it is processed
    while (m_pos < m_n && !m_stop)
    {
        const unsigned char c = m_p[m_pos];
        if (newRun && !lagging)
        {
            const int color = RegionColor();
            if (color >= 0)
            {
                Mark(m_pos, color);
                newRun = false;
            }
            else if (IsWordOrDot(c))
            {
                Mark(m_pos, kSyntaxColorNormal);
                newRun = false;
            }
            else
            {
                Mark(m_pos, kSyntaxColorOperator);
                lagging = true;
            }
        }
        const int charStart = m_pos;
        const ERestart restart = ProcessChar(c);
        if (restart == ERestart::After)
        {
            newRun = true;
            lagging = false;
        }
        else if (restart == ERestart::Here)
        {
            newRun = true;
            lagging = true;
        }
        // A run a rule placed at or after this character decides its colour.
        if (m_explicitPos >= charStart)
        {
            newRun = false;
            lagging = false;
        }
        if (newRun && lagging)
        {
            const int color = RegionColor();
            if (color >= 0)
            {
                Mark(charStart, color);
                newRun = false;
                lagging = false;
            }
            else if (IsWordOrDot(c))
            {
                Mark(charStart, kSyntaxColorNormal);
                newRun = false;
                lagging = false;
            }
            else
                Mark(charStart, kSyntaxColorOperator);
        }
        // ProcessChar may have moved m_pos onto the last character it consumed.
        m_prev2 = m_pos == charStart ? m_prev : m_prev2;
        m_prev = m_pos;
        m_pos = m_text.Next(m_pos);
    }
    if (!m_stop)
        ClassifyPendingWord(m_n);
    return m_state;
}

uint32_t CSyntaxMarkupParser::ParseLine(uint32_t state, const CTarvoTextLineInfo* line,
                                        SyntaxRun* runs, int* count)
{
    const int length = line != nullptr && line->pcLine != nullptr ? line->nLength : 0;
    uint32_t carryMask = 0;
    uint32_t emptyMask = 0;
    int shortest = 1;
    switch (m_dialect)
    {
    case EMarkupDialect::Html:
    case EMarkupDialect::Asp:
        carryMask = 0x4E;
        emptyMask = 0x44;
        break;
    case EMarkupDialect::Php:
        carryMask = 0x8E;
        emptyMask = 0x84;
        break;
    case EMarkupDialect::Xml:
        carryMask = 0x4E;
        emptyMask = 0x04;
        break;
    case EMarkupDialect::Sgml:
        carryMask = 0x4E;
        emptyMask = 0x04;
        shortest = 2;
        break;
    }
    if (length < shortest)
        return state & emptyMask;
    CMarkupLineScanner scanner(*this, line, runs, count, state);
    return scanner.Scan() & carryMask;
}

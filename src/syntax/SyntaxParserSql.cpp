// SQL scripts; words compare without case.

#include "syntax/SyntaxParserCFamily.h"
#include "syntax/SyntaxParsers.h"

namespace
{
const char* const kSqlKeywords[] = {
    "select", "where", "insert", "into",  "update",   "from", "in",  "order", "by",
    "and",    "or",    "not",    "union", "distinct", "join", "all", "group", nullptr,
};

const char* const kSqlTypes[] = {
    "CHAR", "VARCHAR", "INTEGER", "REAL", "DOUBLE", "MEMO", "BYTE", "WORD", "DATE", "TIME", nullptr,
};

const SCFamilyWordList kLists[] = {
    {kSqlKeywords, kSyntaxColorKeyword, true},
    {kSqlTypes, kSyntaxColorKeyword2, true},
};

SCFamilyOptions MakeOptions()
{
    return MakeCFamilyOptions(kLists, 0);
}
} // namespace

class CSyntaxParserSql final : public CSyntaxParserCFamily
{
public:
    CSyntaxParserSql() : CSyntaxParserCFamily(MakeOptions())
    {
        SetDefinition(24, "SQL", "sql", 0x10, "/*", "*/", "//");
    }
};

CSyntaxParser* CreateSyntaxParserSql()
{
    return new CSyntaxParserSql();
}

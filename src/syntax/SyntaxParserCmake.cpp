// CMake lists and scripts.

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

constexpr uint32_t kCmakeBracket =
    32; // inside a bracket argument [[ ... ]] or [=[ ... ]=], carried
constexpr int kCmakeLevelShift = 8;
constexpr uint32_t kCmakeLevelMask = 0xFFu << kCmakeLevelShift; // the "=" count of the open bracket

// The commands of the language and of its modules most lists use (compared without case).
static const char* const s_apszCmakeCommands[] = {
    "block",
    "break",
    "cmake_host_system_information",
    "cmake_language",
    "cmake_minimum_required",
    "cmake_parse_arguments",
    "cmake_path",
    "cmake_policy",
    "configure_file",
    "continue",
    "else",
    "elseif",
    "endblock",
    "endforeach",
    "endfunction",
    "endif",
    "endmacro",
    "endwhile",
    "execute_process",
    "file",
    "find_file",
    "find_library",
    "find_package",
    "find_path",
    "find_program",
    "foreach",
    "function",
    "get_cmake_property",
    "get_directory_property",
    "get_filename_component",
    "get_property",
    "if",
    "include",
    "include_guard",
    "list",
    "macro",
    "mark_as_advanced",
    "math",
    "message",
    "option",
    "return",
    "separate_arguments",
    "set",
    "set_directory_properties",
    "set_property",
    "site_name",
    "string",
    "unset",
    "variable_watch",
    "while",
    "add_compile_definitions",
    "add_compile_options",
    "add_custom_command",
    "add_custom_target",
    "add_definitions",
    "add_dependencies",
    "add_executable",
    "add_library",
    "add_link_options",
    "add_subdirectory",
    "add_test",
    "aux_source_directory",
    "build_command",
    "create_test_sourcelist",
    "define_property",
    "enable_language",
    "enable_testing",
    "export",
    "fltk_wrap_ui",
    "get_source_file_property",
    "get_target_property",
    "get_test_property",
    "include_directories",
    "include_external_msproject",
    "include_regular_expression",
    "install",
    "link_directories",
    "link_libraries",
    "load_cache",
    "project",
    "remove_definitions",
    "set_source_files_properties",
    "set_target_properties",
    "set_tests_properties",
    "source_group",
    "target_compile_definitions",
    "target_compile_features",
    "target_compile_options",
    "target_include_directories",
    "target_link_directories",
    "target_link_libraries",
    "target_link_options",
    "target_precompile_headers",
    "target_sources",
    "try_compile",
    "try_run",
    "ctest_build",
    "ctest_configure",
    "ctest_coverage",
    "ctest_empty_binary_directory",
    "ctest_memcheck",
    "ctest_read_custom_files",
    "ctest_run_script",
    "ctest_sleep",
    "ctest_start",
    "ctest_submit",
    "ctest_test",
    "ctest_update",
    "ctest_upload",
    "pkg_check_modules",
    "pkg_search_module",
    "check_include_file",
    "check_function_exists",
    "check_symbol_exists",
    "check_cxx_source_compiles",
    "check_c_source_compiles",
    "fetchcontent_declare",
    "fetchcontent_makeavailable",
    "gtest_discover_tests",
    "cmake_dependent_option",
    "write_basic_package_version_file",
    "configure_package_config_file",
    nullptr,
};

// Keyword arguments and operators of the common commands (upper case, as written).
static const char* const s_apszCmakeKeywords[] = {
    "AND",
    "OR",
    "NOT",
    "COMMAND",
    "POLICY",
    "TARGET",
    "TEST",
    "EXISTS",
    "IS_NEWER_THAN",
    "IS_DIRECTORY",
    "IS_SYMLINK",
    "IS_ABSOLUTE",
    "DEFINED",
    "EQUAL",
    "LESS",
    "LESS_EQUAL",
    "GREATER",
    "GREATER_EQUAL",
    "STREQUAL",
    "STRLESS",
    "STRLESS_EQUAL",
    "STRGREATER",
    "STRGREATER_EQUAL",
    "VERSION_EQUAL",
    "VERSION_LESS",
    "VERSION_LESS_EQUAL",
    "VERSION_GREATER",
    "VERSION_GREATER_EQUAL",
    "MATCHES",
    "IN_LIST",
    "PATH_EQUAL",
    "ON",
    "OFF",
    "TRUE",
    "FALSE",
    "YES",
    "NO",
    "PUBLIC",
    "PRIVATE",
    "INTERFACE",
    "STATIC",
    "SHARED",
    "MODULE",
    "OBJECT",
    "IMPORTED",
    "ALIAS",
    "REQUIRED",
    "QUIET",
    "COMPONENTS",
    "CONFIG",
    "CACHE",
    "FORCE",
    "PARENT_SCOPE",
    "STRING",
    "BOOL",
    "PATH",
    "FILEPATH",
    "INTERNAL",
    "STATUS",
    "WARNING",
    "AUTHOR_WARNING",
    "SEND_ERROR",
    "FATAL_ERROR",
    "DEPRECATION",
    "VERBOSE",
    "DEBUG",
    "TRACE",
    "NOTICE",
    "CHECK_START",
    "CHECK_PASS",
    "CHECK_FAIL",
    "DESTINATION",
    "FILES",
    "DIRECTORY",
    "PROGRAMS",
    "TARGETS",
    "EXPORT",
    "RUNTIME",
    "LIBRARY",
    "ARCHIVE",
    "INCLUDES",
    "COMPONENT",
    "OPTIONAL",
    "PATTERN",
    "REGEX",
    "GLOB",
    "GLOB_RECURSE",
    "APPEND",
    "PREPEND",
    "REMOVE_ITEM",
    "LENGTH",
    "GET",
    "FIND",
    "SOURCES",
    "PROPERTIES",
    "PROPERTY",
    "DEPENDS",
    "OUTPUT",
    "WORKING_DIRECTORY",
    "COMMENT",
    "VERBATIM",
    "ALL",
    "LANGUAGES",
    "DESCRIPTION",
    "HOMEPAGE_URL",
    "NAMES",
    "HINTS",
    "PATHS",
    "PATH_SUFFIXES",
    "NO_DEFAULT_PATH",
    "RESULT_VARIABLE",
    "OUTPUT_VARIABLE",
    "ERROR_VARIABLE",
    "IMPORTED_TARGET",
    "FATAL",
    "ELSE",
    nullptr,
};

// Commands are keywords (9) when CMake or its common modules define them and function
// names (10) otherwise; upper-case keyword arguments are second-class words (18) and
// variable references ("${NAME}", "$ENV{HOME}", also inside quoted arguments) and
// generator expressions ("$<CONFIG>") third-class words (19). Quoted arguments, bracket
// arguments ("[[ ... ]]", "[=[ ... ]=]") and bracket comments ("#[[ ... ]]") go on over
// the following lines. A single quote is an ordinary character.
class CSyntaxParserCmake final : public CScriptCodeParser
{
public:
    CSyntaxParserCmake()
        : CScriptCodeParser(38, "CMake", "CMakeLists.txt,cmake", 0x10, "#[[", "]]", "#",
                            kScriptBlockComment | kScriptString | kCmakeBracket | kCmakeLevelMask,
                            "", "]\"\\$")
    {
        m_bSingleQuoteStrings = false;
        m_bNumberUnderscores = false;
        m_dwBackslashBits = 0;
        AddWordList(s_apszCmakeKeywords, kSyntaxColorKeyword2, false);
    }

protected:
    int StateColor(uint32_t state) const override
    {
        if ((state & kCmakeBracket) != 0)
            return kSyntaxColorString;
        return CScriptSyntaxParser::StateColor(state);
    }

    void ScanRegion(SScan& scan) const override
    {
        const int pos = scan.nPos;
        if ((scan.dwState & (kScriptBlockComment | kCmakeBracket)) != 0)
        {
            if (scan.Current() != ']')
                return;
            const int level =
                static_cast<int>((scan.dwState & kCmakeLevelMask) >> kCmakeLevelShift);
            int j = pos + 1;
            while (j < scan.Length() && scan.At(j) == '=')
                ++j;
            if (j - pos - 1 == level && j < scan.Length() && scan.At(j) == ']')
                CloseRegion(scan, kScriptBlockComment | kCmakeBracket | kCmakeLevelMask,
                            j + 1 - pos);
            return;
        }
        // A quoted argument, with its variable references picked out.
        if (scan.Current() == '$' && !IsEscaped(scan))
        {
            const int end = ReferenceEnd(scan, pos);
            if (end > pos)
            {
                Emit(scan, pos, kSyntaxColorKeyword3);
                if (end < scan.Length())
                    Emit(scan, end, kSyntaxColorString);
                scan.nNext = end;
            }
            return;
        }
        ScanString(scan);
    }

    bool ScanOpener(SScan& scan) const override
    {
        const int pos = scan.nPos;
        switch (scan.Current())
        {
        case '#':
            if (!OpenBracket(scan, pos + 1, kScriptBlockComment, kSyntaxColorComment))
                StartLineComment(scan, pos);
            return true;
        case '[':
            return OpenBracket(scan, pos, kCmakeBracket, kSyntaxColorString);
        case '$':
        {
            const int end = ReferenceEnd(scan, pos);
            if (end <= pos)
                return false;
            Emit(scan, pos, kSyntaxColorKeyword3);
            scan.bNewRun = true;
            scan.nNext = end;
            return true;
        }
        default:
            return OpenString(scan);
        }
    }

    int ClassifyWord(SScan& scan, int start, int end) const override
    {
        if (NextNonBlankIs(scan, end, '('))
            return IsKeywordNoCase(s_apszCmakeCommands,
                                   reinterpret_cast<const char*>(scan.text.pText + start),
                                   end - start)
                       ? kSyntaxColorKeyword
                       : kSyntaxColorFunction;
        const int color = ListColor(scan, start, end);
        if (color >= 0)
            return color;
        return IsNumberWord(scan, start, end) ? kSyntaxColorNumber : -1;
    }

private:
    // A bracket "[" "="* "[" at `at` opens `bit`, coloured from the current character.
    bool OpenBracket(SScan& scan, int at, uint32_t bit, int nColor) const
    {
        const int n = scan.Length();
        if (at >= n || scan.At(at) != '[')
            return false;
        int j = at + 1;
        while (j < n && scan.At(j) == '=')
            ++j;
        if (j >= n || scan.At(j) != '[' || j - at - 1 > 255)
            return false;
        Emit(scan, scan.nPos, nColor);
        scan.dwState |= bit | (static_cast<uint32_t>(j - at - 1) << kCmakeLevelShift);
        scan.bNewRun = false;
        scan.nNext = j + 1;
        return true;
    }

    // The end of "${...}", "$ENV{...}", "$CACHE{...}" or "$<...>" at `pos` (brackets
    // nest; the line end when unclosed), or `pos` when no reference starts there.
    static int ReferenceEnd(const SScan& scan, int pos)
    {
        const int n = scan.Length();
        int open = pos + 1;
        while (open < n && open - pos <= 6 && scan.At(open) >= 'A' && scan.At(open) <= 'Z')
            ++open;
        if (open >= n)
            return pos;
        const unsigned char o = scan.At(open);
        if (!(o == '{' || (o == '<' && open == pos + 1)))
            return pos;
        const unsigned char c = o == '{' ? '}' : '>';
        int depth = 0;
        for (int j = open; j < n; ++j)
        {
            if (scan.At(j) == o)
                ++depth;
            else if (scan.At(j) == c && --depth == 0)
                return j + 1;
        }
        return n;
    }
};

CSyntaxParser* CreateSyntaxParserCmake()
{
    return new CSyntaxParserCmake();
}

// Dialog control language: "." belongs to words, and a tile name
// is recognised by the "{" or ":" next to it.

#include "syntax/SyntaxParserCFamily.h"
#include "syntax/SyntaxParsers.h"

namespace
{
const char* const kDclTileTypes[] = {
    "boxed_column",
    "boxed_radio_column",
    "boxed_radio_row",
    "boxed_row",
    "button",
    "column",
    "concatenation",
    "dialog",
    "edit_box",
    "image",
    "list_box",
    "paragraph",
    "popup_list",
    "radio_button",
    "row",
    "slider",
    "spacer",
    "text_part",
    "text",
    "toggle",
    nullptr,
};

const char* const kDclPredefinedTiles[] = {
    "spacer_0",
    "spacer_1",
    "default_button",
    "retirement_button",
    "ok_cancel_help_errtile",
    "ok_cancel_help_info",
    "ok_cancel",
    "ok_cancel_err",
    "ok_cancel_help",
    "ok_only",
    "ok_button",
    "cancel_button",
    "help_button",
    "info_button",
    "errtile",
    "image_button",
    "radio_column",
    "radio_row",
    nullptr,
};

const char* const kDclAttributes[] = {
    "action",
    "alignment",
    "allow_accept",
    "aspect_ratio",
    "big_increment",
    "children_alignment",
    "children_fixed_height",
    "children_fixed_width",
    "edit_limit",
    "edit_width",
    "fixed_height",
    "fixed_width",
    "height",
    "initial_focus",
    "is_bold",
    "is_cancel",
    "is_default",
    "is_enabled",
    "is_tab_stop",
    "key",
    "label",
    "layout",
    "list",
    "max_value",
    "min_value",
    "mnemonic",
    "multiple_select",
    "small_increment",
    "tabs",
    "value",
    "width",
    nullptr,
};

const SCFamilyWordList kLists[] = {
    {kDclTileTypes, kSyntaxColorKeyword, false},
    {kDclPredefinedTiles, kSyntaxColorKeyword2, false},
    {kDclAttributes, kSyntaxColorKeyword3, false},
};

SCFamilyOptions MakeOptions()
{
    SCFamilyOptions options = MakeCFamilyOptions(kLists, 0);
    options.bDotIsWordChar = true;
    options.bDclFunctionNames = true;
    return options;
}
} // namespace

class CSyntaxParserDcl final : public CSyntaxParserCFamily
{
public:
    CSyntaxParserDcl() : CSyntaxParserCFamily(MakeOptions())
    {
        SetDefinition(6, "DCL", "dcl,dcc", 0x50, "/*", "*/", "//");
    }
};

CSyntaxParser* CreateSyntaxParserDcl()
{
    return new CSyntaxParserDcl();
}

#pragma once
// The action code that each edit passes to the text buffer; the undo record keeps it and
// the Edit menu names the step after it ("Undo Typing").

enum EditAction : int
{
    EditActionUnknown = 0,
    EditActionPaste = 1,
    EditActionDeleteSelection = 2,
    EditActionCut = 3,
    EditActionTyping = 4, // typing, a typed tab or comment string, a selection replaced by typing
    EditActionBackspace = 5,
    EditActionIndent = 6, // block indent and outdent, comment and uncomment of lines
    EditActionDragDrop = 7,
    EditActionReplace = 8,
    EditActionDelete = 9, // Delete, Ctrl+Delete, Ctrl+Backspace, Backspace on a selection
    EditActionAutoIndent = 10,
    EditActionLowercase = 13,
    EditActionUppercase = 14,
    EditActionInvertCase = 15,
    EditActionCapitalize = 16,
    EditActionSentenceCase = 17,
};

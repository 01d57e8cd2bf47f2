#pragma once
// How the application opens files by kind and acts on its command line, apart from any
// window: the document templates and the help viewer are reached through CDocumentHost, so
// the decisions can be tested without them.

#include <string>

#include "encoding/FileKind.h" // EFileKind: the same numbers as the command line's types 0 to 2

struct CCommandOptions;

// A document of any kind, as the application layer sees it.
class CAppDocument
{
public:
    virtual ~CAppDocument() = default;
};

// What the application's templates, frames and help viewer provide.
class CDocumentHost
{
public:
    virtual ~CDocumentHost() = default;
    // -1 for a missing file, 1 text, 2 binary.
    virtual int DetectFileKind(const std::string& path) = 0;
    // The open document of the template (1 text, 2 binary) for this path, or null.
    virtual CAppDocument* FindOpenDocument(int nTemplate, const std::string& path) = 0;
    // Opens the path with the template and makes it visible; an empty path makes a new
    // document. Null when it could not be opened (the template has told the user).
    virtual CAppDocument* OpenDocument(int nTemplate, const std::string& path) = 0;
    virtual void SetDocumentReadOnly(CAppDocument* pDocument) = 0;
    // Brings the document's frame forward; true when it had a view in a frame.
    virtual bool ActivateDocument(CAppDocument* pDocument) = 0;
    // The help pages.
    virtual bool HelpFileExists() = 0;
    virtual void ShowHelpTopic(const std::string& topic) = 0;
    // A modal message to the user.
    virtual void ShowMessage(const std::string& text) = 0;
};

// Kind 0 is decided from the contents; an open document of the resolved kind is activated
// and returned (the read-only flag is not applied to it); otherwise the text template
// (kind 1) or the binary template (anything else, a missing file too) opens the path.
CAppDocument* OpenFileAs(CDocumentHost& host, const std::string& path, int nKind, bool bReadOnly);
// An empty path creates a new document. A file that holds binary data opens in the hex editor.
CAppDocument* OpenTextFile(CDocumentHost& host, const std::string& path, bool bReadOnly);
CAppDocument* OpenBinaryFile(CDocumentHost& host, const std::string& path, bool bReadOnly);

// Acts on a parsed command line. Returns false when start-up must end (the help switch
// without help pages).
bool ActOnCommandLine(CDocumentHost& host, const CCommandOptions& options);

#include "app/OpenFile.h"

#include "app/AppFolders.h"
#include "app/CommandLine.h"

namespace
{
CAppDocument* OpenWithTemplate(CDocumentHost& host, int nTemplate, const std::string& path,
                               bool bReadOnly)
{
    CAppDocument* pDocument = host.OpenDocument(nTemplate, path);
    if (pDocument && bReadOnly)
        host.SetDocumentReadOnly(pDocument);
    return pDocument;
}
} // namespace

CAppDocument* OpenFileAs(CDocumentHost& host, const std::string& path, int nKind, bool bReadOnly)
{
    int nResolved;
    if (nKind == FileKindAuto)
        nResolved = host.DetectFileKind(path);
    else if (nKind == FileKindText)
        nResolved = FileKindText;
    else
        nResolved = FileKindBinary;

    if (nResolved == FileKindText || nResolved == FileKindBinary)
    {
        if (CAppDocument* pOpen = host.FindOpenDocument(nResolved, path))
        {
            host.ActivateDocument(pOpen);
            return pOpen;
        }
    }
    const int nTemplate = nResolved == FileKindText ? FileKindText : FileKindBinary;
    return OpenWithTemplate(host, nTemplate, path, bReadOnly);
}

CAppDocument* OpenTextFile(CDocumentHost& host, const std::string& path, bool bReadOnly)
{
    if (!path.empty())
    {
        if (host.DetectFileKind(path) == FileKindBinary)
            return OpenBinaryFile(host, path, bReadOnly);
        if (CAppDocument* pOpen = host.FindOpenDocument(FileKindText, path))
        {
            host.ActivateDocument(pOpen);
            return pOpen;
        }
    }
    return OpenWithTemplate(host, FileKindText, path, bReadOnly);
}

CAppDocument* OpenBinaryFile(CDocumentHost& host, const std::string& path, bool bReadOnly)
{
    if (!path.empty())
    {
        if (CAppDocument* pOpen = host.FindOpenDocument(FileKindBinary, path))
        {
            host.ActivateDocument(pOpen);
            return pOpen;
        }
    }
    return OpenWithTemplate(host, FileKindBinary, path, bReadOnly);
}

bool ActOnCommandLine(CDocumentHost& host, const CCommandOptions& options)
{
    switch (options.m_nAction)
    {
    case CCommandOptions::ActionHelp:
        if (!host.HelpFileExists())
        {
            host.ShowMessage("Help file is missing!");
            return false;
        }
        host.ShowHelpTopic(kHelpTopicCommandLine);
        return true;
    case CCommandOptions::ActionEdit: {
        int nKind = FileKindAuto;
        if (options.m_nFileType == CCommandOptions::FileTypeText)
            nKind = FileKindText;
        else if (options.m_nFileType == CCommandOptions::FileTypeBinary)
            nKind = FileKindBinary;
        if (options.m_nFileCount >= 1)
            OpenFileAs(host, options.m_strFiles[0], nKind, options.m_bReadOnly[0] != 0);
        else if (nKind == FileKindBinary)
            OpenBinaryFile(host, "", false);
        else
            OpenTextFile(host, "", false);
        return true;
    }
    default:
        return true;
    }
}

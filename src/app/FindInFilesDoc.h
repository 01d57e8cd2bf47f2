#pragma once
// The find-in-files document: a tool window without a file. Its form and result panes
// belong to its window; the document gives it a place among the documents (title, type,
// closing with the others) and is never saved.

#include <string>

#include "app/AppletDocTemplate.h"

class CFindInFilesDoc : public CAppletDoc
{
public:
    explicit CFindInFilesDoc(CAppletDocTemplate& docTemplate)
        : CAppletDoc(docTemplate, DocTypeFindInFiles)
    {
    }
    // Every new tool document takes the next number of the process: "Find in Files (1)",
    // "Find in Files (2)" ..; numbers are not reused.
    bool OnNewDocument() override
    {
        static int s_nLastNumber = 0;
        SetTitle("Find in Files (" + std::to_string(++s_nLastNumber) + ")");
        return true;
    }
};

class CFindInFilesDocTemplate : public CToolDocTemplate
{
public:
    explicit CFindInFilesDocTemplate(CAppletDocManager& manager)
        : CToolDocTemplate(manager, CAppletDoc::DocTypeFindInFiles)
    {
    }

protected:
    std::unique_ptr<CAppletDoc> CreateDocument() override
    {
        return std::make_unique<CFindInFilesDoc>(*this);
    }
};

#pragma once
// The find-in-files document: a tool window without a file. Its form and result panes
// belong to its window; the document gives it a place among the documents (title, type,
// closing with the others) and is never saved.

#include "app/AppletDocTemplate.h"

class CFindInFilesDoc : public CAppletDoc
{
public:
    explicit CFindInFilesDoc(CAppletDocTemplate& docTemplate)
        : CAppletDoc(docTemplate, DocTypeFindInFiles)
    {
    }
    bool OnNewDocument() override
    {
        SetTitle("Find in Files");
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

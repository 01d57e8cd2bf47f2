#pragma once
// Document templates and the document manager, apart from any window.
//
// A template makes the documents of one type and owns them until they close; the manager
// holds the templates (text, binary, find in files), numbers untitled documents, hands
// file-watch notifications to the document they belong to, and runs the operations over
// all documents: save all, close all (but one), apply the settings.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/AppletDoc.h"

class CAppSettings;
class CFileWatchService;
struct SFileWatchNotification;

class CAppletDocTemplate
{
public:
    CAppletDocTemplate(CAppletDocManager& manager, int nDocType);
    virtual ~CAppletDocTemplate();
    CAppletDocTemplate(const CAppletDocTemplate&) = delete;
    CAppletDocTemplate& operator=(const CAppletDocTemplate&) = delete;

    int GetDocType() const { return m_nDocType; }
    CAppletDocManager& GetManager() const { return m_manager; }
    std::vector<CAppletDoc*> GetDocuments() const;

    // An empty path makes a new document; otherwise the file is opened. The document gets
    // its frame (CDocumentUi::OnDocumentCreated) and starts watching. Null when it could
    // not be made (the document has told the user).
    CAppletDoc* OpenDocumentFile(const std::string& path);
    // The open document of this path (the platform's rule for names), or null.
    CAppletDoc* FindOpenDocument(const std::string& path) const;
    // Closes the document without asking: it stops watching, is recorded, loses its
    // frames and is destroyed.
    void CloseDocument(CAppletDoc* pDocument);

    // Saves every modified document; false when one of them was not saved.
    bool SaveAll();
    // Closes, without asking, every document but pKeep (which may be null or another
    // template's).
    void CloseAllDocumentsBut(const CAppletDoc* pKeep);
    void UpdateAllViews();
    void UpdateTitles();
    // Every document starts watching when "FileWatch" is on and stops when it is off.
    void ApplyFileWatch();

    // The Save As prompt for a document of this template; false when refused or cancelled.
    virtual bool PromptFileName(CAppletDoc& doc, std::string& path);

protected:
    virtual std::unique_ptr<CAppletDoc> CreateDocument() = 0;

private:
    CAppletDocManager& m_manager;
    int m_nDocType;
    std::vector<std::unique_ptr<CAppletDoc>> m_documents;
};

// The templates of file documents.
class CFileEditDocTemplate : public CAppletDocTemplate
{
public:
    using CAppletDocTemplate::CAppletDocTemplate;
    // The save dialog with "All Files" only (the text template adds its choices).
    bool PromptFileName(CAppletDoc& doc, std::string& path) override;
};

// The templates of tool windows (find in files): documents without a file.
class CToolDocTemplate : public CAppletDocTemplate
{
public:
    using CAppletDocTemplate::CAppletDocTemplate;
};

class CAppletDocManager
{
public:
    // The settings are read for "ShowLongTitle" and "FileWatch"; the watch service may be
    // null (nothing is watched). Neither is owned.
    CAppletDocManager(CAppSettings& settings, CFileWatchService* pWatch);
    ~CAppletDocManager();
    CAppletDocManager(const CAppletDocManager&) = delete;
    CAppletDocManager& operator=(const CAppletDocManager&) = delete;

    void SetUi(CDocumentUi* pUi) { m_pUi = pUi; }
    CDocumentUi* GetUi() const { return m_pUi; }
    CAppSettings& GetSettings() const { return m_settings; }
    CFileWatchService* GetWatchService() const { return m_pWatch; }

    // Takes ownership; the templates keep the order they were added in.
    CAppletDocTemplate* AddTemplate(std::unique_ptr<CAppletDocTemplate> pTemplate);
    CAppletDocTemplate* GetTemplate(int nDocType) const;
    const std::vector<std::unique_ptr<CAppletDocTemplate>>& GetTemplates() const
    {
        return m_templates;
    }
    std::vector<CAppletDoc*> GetDocuments() const;
    size_t GetDocumentCount() const;

    // Untitled documents are numbered from 1 in creation order; a number is never reused.
    int TakeNewDocumentNumber() { return m_nNextNewDocument++; }

    // The Save As prompt runs only for documents of the text and the binary template;
    // for any other it is refused, so no such document is saved under a new name.
    bool DoPromptFileName(CAppletDoc& doc, std::string& path);

    // Save All: every template saves its modified documents. False when one failed.
    bool SaveAll();
    // Asks Save / Don't Save / Cancel for every modified document but pExcept, in order.
    // False on Cancel (or a save that failed): then nothing is closed by the caller.
    bool SaveAllModified(const CAppletDoc* pExcept = nullptr);
    // Close All and Close All But This: asks for every modified document first; closes
    // nothing when the user cancels. Returns whether the documents were closed.
    bool CloseAllDocuments(const CAppletDoc* pExcept = nullptr);
    // Closes one document after asking when it is modified; false when it stays open.
    bool CloseDocument(CAppletDoc* pDocument);

    void UpdateTitles();
    void ApplyFileWatch();

    // The document whose current watch has this id, or null (closed, or watching anew
    // since the notification was sent).
    CAppletDoc* FindDocumentByWatchId(uint32_t nWatchId) const;
    // On the user-interface thread: hands the notification to its document; a stale one
    // is dropped.
    void OnFileWatchNotification(const SFileWatchNotification& notification);

private:
    CAppSettings& m_settings;
    CFileWatchService* m_pWatch;
    CDocumentUi* m_pUi = nullptr;
    std::vector<std::unique_ptr<CAppletDocTemplate>> m_templates;
    int m_nNextNewDocument = 1;
};

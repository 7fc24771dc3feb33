// Documents with their views and hint codes, and the multi-document template that
// makes a document with its child frame and view.
#pragma once

#include "WinApp.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QPainter;
class CMDIChildWnd;
class CView;

class CDocument : public CCmdTarget {
public:
    ~CDocument() override;

    // Every view except the sender gets OnUpdate with the hint.
    void UpdateAllViews(CView* sender, LPARAM hint = 0, void* hintObject = nullptr);
    const std::vector<CView*>& GetViews() const { return m_views; }
    void AddView(CView* view);
    void RemoveView(CView* view);

    virtual BOOL OnNewDocument() { return TRUE; }
    virtual BOOL OnOpenDocument(const QString& path) { (void)path; return FALSE; }
    virtual BOOL CanCloseFrame(CMDIChildWnd* frame) { (void)frame; return TRUE; }

    void SetTitle(const QString& title);
    const QString& GetTitle() const { return m_strTitle; }
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

private:
    friend class CDocTemplate;
    CDocTemplate* m_pDocTemplate = nullptr;
    std::vector<CView*> m_views;
    QString m_strTitle;
};

// A view of a document inside a child frame; painting goes through OnDraw.
class CView : public QWidget, public CCmdTarget {
public:
    CView();
    ~CView() override;
    CDocument* GetDocument() const { return m_pDocument; }
    virtual void OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }
    virtual void OnUpdate(CView* sender, LPARAM hint, void* hintObject);
    virtual void OnDraw(QPainter* painter) = 0;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    friend class CDocument;
    CDocument* m_pDocument = nullptr;
};

// Makes and keeps the documents of one kind, each shown in a child frame of the main
// frame with one view. The document string (resource `id`) has the fields window
// title, document name, new-file name, filter name, extension, file type id and
// file type name, separated by "\n".
class CDocTemplate {
public:
    enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt,
                          regFileTypeId, regFileTypeName };
    using DocumentFactory = std::function<std::unique_ptr<CDocument>()>;
    using FrameFactory = std::function<CMDIChildWnd*()>;
    using ViewFactory = std::function<CView*()>;

    CDocTemplate(UINT id, DocumentFactory newDocument, FrameFactory newFrame, ViewFactory newView);
    virtual ~CDocTemplate();

    // A new document (a new, untitled one when the path is empty) in a new frame;
    // null when it cannot be made or opened.
    CDocument* OpenDocumentFile(const QString& path, bool makeVisible = true);
    QString GetDocString(DocStringIndex index) const;
    const std::vector<std::unique_ptr<CDocument>>& GetDocuments() const { return m_documents; }
    UINT GetResourceId() const { return m_nIDResource; }
    // Deletes a document that has lost its last view.
    void RemoveDocument(CDocument* document);

private:
    UINT m_nIDResource;
    DocumentFactory m_newDocument;
    FrameFactory m_newFrame;
    ViewFactory m_newView;
    std::vector<std::unique_ptr<CDocument>> m_documents;
    int m_nUntitledCount = 0;
};

// The template of documents that share the main frame, made from the three classes.
template <class Doc, class Frame, class View>
std::unique_ptr<CDocTemplate> MakeMultiDocTemplate(UINT id)
{
    return std::make_unique<CDocTemplate>(
        id, [] { return std::unique_ptr<CDocument>(new Doc); },
        [] { return static_cast<CMDIChildWnd*>(new Frame); },
        [] { return static_cast<CView*>(new View); });
}

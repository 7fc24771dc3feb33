// Documents with their views and hint codes, their files (path, modified flag, save and
// save-on-close), and the multi-document template that makes a document with its child
// frame and view.
#pragma once

#include "WinApp.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class CDC;
class CMDIChildWnd;
class CView;
class QPrinter;

class CDocument : public CCmdTarget {
public:
    CDocument();
    ~CDocument() override;

    // Every view except the sender gets OnUpdate with the hint.
    void UpdateAllViews(CView* sender, LPARAM hint = 0, void* hintObject = nullptr);
    const std::vector<CView*>& GetViews() const { return m_views; }
    void AddView(CView* view);
    void RemoveView(CView* view);

    virtual BOOL OnNewDocument() { return TRUE; }
    virtual BOOL OnOpenDocument(const QString& path) { (void)path; return FALSE; }
    virtual BOOL OnSaveDocument(const QString& path) { (void)path; return FALSE; }
    // Closes every frame of the document and deletes it.
    virtual void OnCloseDocument();
    // Before the document closes: when it is modified, asks whether to save it (Yes,
    // No, Cancel) and saves on Yes. FALSE keeps the document open.
    virtual BOOL SaveModified();
    // A frame may close: when it is the document's last, the changes may be saved first.
    virtual BOOL CanCloseFrame(CMDIChildWnd* frame);

    // The title; each frame of a document shown in several shows it with ":1", ":2", ...
    void SetTitle(const QString& title);
    const QString& GetTitle() const { return m_strTitle; }
    // Numbers the document's frames after the views' order and titles them anew.
    void UpdateFrameCounts();
    // The full path of the document's file; the title becomes the file's name, and the
    // path goes to the recent-file list when asked. An empty path leaves the document
    // without a file (and the title as it is).
    virtual void SetPathName(const QString& path, BOOL addToMRU = TRUE);
    const QString& GetPathName() const { return m_strPathName; }
    BOOL IsModified() const { return m_bModified; }
    void SetModifiedFlag(BOOL modified = TRUE) { m_bModified = modified; }

    // Saves to the path; without one, asks for a file (named after the title) first.
    // With `replace` the path becomes the document's. FALSE when nothing was saved.
    BOOL DoSave(const QString& path, BOOL replace = TRUE);
    // Save: to the document's own file, or Save As when it has none.
    BOOL DoFileSave();

    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
    bool IsClosing() const { return m_bClosing; }

private:
    friend class CDocTemplate;
    CDocTemplate* m_pDocTemplate = nullptr;
    std::vector<CView*> m_views;
    QString m_strTitle;
    QString m_strPathName;
    BOOL m_bModified = FALSE;
    bool m_bClosing = false;
};

// One print job or preview: how it was asked for and the printer it goes to.
struct CPrintInfo {
    BOOL m_bDirect = FALSE; // printed without the print dialog
    BOOL m_bPreview = FALSE;
    QPrinter* m_pPrinter = nullptr;
    std::unique_ptr<QPrinter> m_ownPrinter; // the printer of this job alone, when it has one
};

// A view of a document inside a child frame; it paints through OnDraw on a device context.
//
// Printing: a print command asks OnPreparePrinting for the printer (DoPreparePrinting
// is the framework's way), then OnDraw draws the page on a printing context. A job is
// one page. The view's pixels are those of a 96-DPI screen: on paper the view has the
// size that it has at its size hint on such a screen, or shrinks to fit the page.
class CView : public QWidget, public CCmdTarget {
public:
    CView();
    ~CView() override;
    // Joins the document; FALSE fails the window that was to hold the view.
    virtual BOOL Create(CDocument* document);
    CDocument* GetDocument() const { return m_pDocument; }
    CMDIChildWnd* GetParentFrame() const;
    virtual void OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }
    virtual void OnUpdate(CView* sender, LPARAM hint, void* hintObject);
    virtual void OnDraw(CDC* dc) = 0;

    // FALSE when nothing is to be printed; the framework's view prints nothing.
    virtual BOOL OnPreparePrinting(CPrintInfo* info);
    // The framework's preparation: the application's printer, chosen in the print dialog
    // unless the job is direct or a preview (a direct job asks too when there is no
    // printer to print on); the printer named by the command line's "/pt" switch. FALSE
    // when there is nothing to print on or the user cancelled.
    BOOL DoPreparePrinting(CPrintInfo* info);
    // File > Print (direct: without asking); FALSE when nothing was printed.
    BOOL OnFilePrint(BOOL direct);
    // File > Print Preview: the page as it will print, in a window of its own.
    void OnFilePrintPreview();
    // Draws the page onto the printer; FALSE when the printer cannot be drawn on.
    BOOL PrintPage(QPrinter* printer);

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
    // A further frame with a view of the document (the framework's New Window); null
    // when it cannot be made.
    CMDIChildWnd* CreateNewFrame(CDocument* document);
    // Brings a new frame's views up to date and shows the frame.
    void InitialUpdateFrame(CMDIChildWnd* frame, bool makeVisible = true);
    QString GetDocString(DocStringIndex index) const;
    const std::vector<std::unique_ptr<CDocument>>& GetDocuments() const { return m_documents; }
    UINT GetResourceId() const { return m_nIDResource; }
    // Deletes a document that has closed.
    void RemoveDocument(CDocument* document);
    // Asks every modified document whether to save it; FALSE when one was cancelled.
    BOOL SaveAllModified();
    void CloseAllDocuments();

private:
    bool HoldsDocument(const CDocument* document) const;

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

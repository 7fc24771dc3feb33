#include "Doc.h"

#include "Frame.h"
#include "Gdi.h"
#include "Resource.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QPainter>
#include <QRegularExpression>
#include <algorithm>

CDocument::CDocument()
{
    OnCommand(ID_FILE_SAVE, [this] { DoFileSave(); });
    OnCommand(ID_FILE_SAVE_AS, [this] { DoSave(QString()); });
    // The whole document closes, in every window that shows it.
    OnCommand(ID_FILE_CLOSE, [this] {
        if (SaveModified())
            OnCloseDocument();
    });
}

CDocument::~CDocument()
{
    for (CView* view : m_views)
        view->m_pDocument = nullptr;
}

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, void* hintObject)
{
    // A view may close while it updates; walk a copy.
    const std::vector<CView*> views = m_views;
    for (CView* view : views)
        if (view != sender)
            view->OnUpdate(sender, hint, hintObject);
}

void CDocument::AddView(CView* view)
{
    if (!view || std::find(m_views.begin(), m_views.end(), view) != m_views.end())
        return;
    m_views.push_back(view);
    view->m_pDocument = this;
    UpdateFrameCounts();
}

void CDocument::RemoveView(CView* view)
{
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
    if (view)
        view->m_pDocument = nullptr;
    if (!m_bClosing)
        UpdateFrameCounts();
}

void CDocument::OnCloseDocument()
{
    m_bClosing = true;
    // Each view leaves the document as its frame goes.
    const std::vector<CView*> views = m_views;
    for (CView* view : views) {
        if (CMDIChildWnd* frame = view->GetParentFrame())
            delete frame;
        else
            delete view;
    }
    if (m_pDocTemplate)
        m_pDocTemplate->RemoveDocument(this); // deletes this document
}

BOOL CDocument::SaveModified()
{
    if (!IsModified())
        return TRUE;
    const QString name = m_strPathName.isEmpty() ? m_strTitle : m_strPathName;
    switch (AfxMessageBox(QStringLiteral("Save changes to %1?").arg(name), MB_YESNOCANCEL)) {
    case IDCANCEL:
        return FALSE;
    case IDYES:
        return DoFileSave();
    default:
        return TRUE;
    }
}

BOOL CDocument::CanCloseFrame(CMDIChildWnd* frame)
{
    for (CView* view : m_views)
        if (view->GetParentFrame() != frame)
            return TRUE; // another frame still shows the document
    return SaveModified();
}

void CDocument::SetTitle(const QString& title)
{
    m_strTitle = title;
    UpdateFrameCounts();
}

void CDocument::UpdateFrameCounts()
{
    // A view that is not in a frame (yet) counts for nothing.
    std::vector<CMDIChildWnd*> frames;
    for (CView* view : m_views)
        if (CMDIChildWnd* frame = view->GetParentFrame())
            if (std::find(frames.begin(), frames.end(), frame) == frames.end())
                frames.push_back(frame);
    for (size_t i = 0; i < frames.size(); ++i)
        frames[i]->setWindowTitle(frames.size() == 1 ? m_strTitle
                                                     : m_strTitle + QLatin1Char(':') + QString::number(i + 1));
}

void CDocument::SetPathName(const QString& path, BOOL addToMRU)
{
    if (path.isEmpty()) {
        m_strPathName.clear();
        return;
    }
    const QFileInfo file(path);
    m_strPathName = file.absoluteFilePath();
    SetTitle(file.fileName());
    CWinApp* app = AfxGetApp();
    if (addToMRU && app && app->GetRecentFileList())
        app->GetRecentFileList()->Add(m_strPathName);
}

BOOL CDocument::DoSave(const QString& path, BOOL replace)
{
    QString newName = path;
    if (newName.isEmpty()) {
        newName = m_strPathName;
        if (replace && newName.isEmpty()) {
            // The title up to its first character that a file name should not have, with
            // the template's extension.
            newName = m_strTitle;
            const int bad = newName.indexOf(QRegularExpression(QStringLiteral("[ #%;/\\\\]")));
            if (bad >= 0)
                newName.truncate(bad);
            if (m_pDocTemplate)
                newName += m_pDocTemplate->GetDocString(CDocTemplate::filterExt);
        }
        CWinApp* app = AfxGetApp();
        if (!app || !app->DoPromptFileName(newName, FALSE, m_pDocTemplate))
            return FALSE;
    }
    if (!OnSaveDocument(newName))
        return FALSE;
    if (replace)
        SetPathName(newName);
    return TRUE;
}

BOOL CDocument::DoFileSave()
{
    const QFileInfo file(m_strPathName);
    if (m_strPathName.isEmpty() || (file.exists() && !file.isWritable()))
        return DoSave(QString());
    return DoSave(m_strPathName);
}

CView::CView()
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
}

CView::~CView()
{
    CDocument* document = m_pDocument;
    if (!document)
        return;
    document->RemoveView(this);
    if (document->GetViews().empty() && !document->IsClosing())
        document->OnCloseDocument();
}

BOOL CView::Create(CDocument* document)
{
    if (!document)
        return FALSE;
    document->AddView(this);
    return TRUE;
}

CMDIChildWnd* CView::GetParentFrame() const
{
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* frame = dynamic_cast<CMDIChildWnd*>(w))
            return frame;
    return nullptr;
}

void CView::OnUpdate(CView* sender, LPARAM hint, void* hintObject)
{
    (void)sender;
    (void)hint;
    (void)hintObject;
    update();
}

void CView::paintEvent(QPaintEvent* e)
{
    (void)e;
    QPainter painter(this);
    CDC dc(&painter);
    OnDraw(&dc);
}

CDocTemplate::CDocTemplate(UINT id, DocumentFactory newDocument, FrameFactory newFrame, ViewFactory newView)
    : m_nIDResource(id), m_newDocument(std::move(newDocument)), m_newFrame(std::move(newFrame)),
      m_newView(std::move(newView))
{
}

CDocTemplate::~CDocTemplate()
{
    // Documents go first; views that outlive them have their document pointer cleared.
    m_documents.clear();
}

QString CDocTemplate::GetDocString(DocStringIndex index) const
{
    const QStringList fields = LoadStringResource(m_nIDResource).split(QLatin1Char('\n'));
    return int(index) < fields.size() ? fields[int(index)] : QString();
}

CMDIChildWnd* CDocTemplate::CreateNewFrame(CDocument* document)
{
    CWinApp* app = AfxGetApp();
    auto* mainFrame = app ? dynamic_cast<CMDIFrameWnd*>(app->GetMainWnd()) : nullptr;
    if (!mainFrame || !document)
        return nullptr;
    CMDIChildWnd* frame = m_newFrame();
    frame->m_nMenuId = m_nIDResource;
    frame->setWindowIcon(LoadIconResource(m_nIDResource));
    CView* view = m_newView();
    frame->SetView(view);
    if (!view->Create(document)) {
        delete frame; // with the view, which never joined the document
        return nullptr;
    }
    mainFrame->MDIArea()->addSubWindow(frame);
    return frame;
}

void CDocTemplate::InitialUpdateFrame(CMDIChildWnd* frame, bool makeVisible)
{
    if (CView* view = frame->GetActiveView())
        view->OnInitialUpdate();
    if (makeVisible)
        frame->ActivateFrame();
}

CDocument* CDocTemplate::OpenDocumentFile(const QString& path, bool makeVisible)
{
    std::unique_ptr<CDocument> owned = m_newDocument();
    if (!owned)
        return nullptr;
    CDocument* document = owned.get();
    document->m_pDocTemplate = this;
    m_documents.push_back(std::move(owned));

    CMDIChildWnd* frame = CreateNewFrame(document);
    if (!frame) {
        RemoveDocument(document);
        return nullptr;
    }
    if (path.isEmpty()) {
        document->SetTitle(GetDocString(docName) + QString::number(++m_nUntitledCount));
        if (!document->OnNewDocument()) {
            document->OnCloseDocument();
            return nullptr;
        }
    } else {
        if (!document->OnOpenDocument(path)) {
            document->OnCloseDocument();
            return nullptr;
        }
        document->SetPathName(path);
    }
    InitialUpdateFrame(frame, makeVisible);
    return document;
}

void CDocTemplate::RemoveDocument(CDocument* document)
{
    const auto it = std::find_if(m_documents.begin(), m_documents.end(),
                                 [document](const auto& d) { return d.get() == document; });
    if (it != m_documents.end())
        m_documents.erase(it);
}

bool CDocTemplate::HoldsDocument(const CDocument* document) const
{
    return std::any_of(m_documents.begin(), m_documents.end(),
                       [document](const auto& d) { return d.get() == document; });
}

BOOL CDocTemplate::SaveAllModified()
{
    // A question runs a nested loop, in which another document may close.
    std::vector<CDocument*> documents;
    for (const auto& document : m_documents)
        documents.push_back(document.get());
    for (CDocument* document : documents)
        if (HoldsDocument(document) && !document->SaveModified())
            return FALSE;
    return TRUE;
}

void CDocTemplate::CloseAllDocuments()
{
    std::vector<CDocument*> documents;
    for (const auto& document : m_documents)
        documents.push_back(document.get());
    for (CDocument* document : documents)
        if (HoldsDocument(document))
            document->OnCloseDocument();
}

#include "Doc.h"

#include "Frame.h"
#include "Resource.h"

#include <QMdiArea>
#include <QPainter>
#include <algorithm>

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
}

void CDocument::RemoveView(CView* view)
{
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
    if (view)
        view->m_pDocument = nullptr;
}

void CDocument::SetTitle(const QString& title)
{
    m_strTitle = title;
    for (CView* view : m_views)
        for (QWidget* w = view->parentWidget(); w; w = w->parentWidget())
            if (auto* frame = dynamic_cast<CMDIChildWnd*>(w)) {
                frame->setWindowTitle(title);
                break;
            }
}

CView::CView()
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CView::~CView()
{
    CDocument* document = m_pDocument;
    if (!document)
        return;
    document->RemoveView(this);
    if (document->GetViews().empty() && document->GetDocTemplate())
        document->GetDocTemplate()->RemoveDocument(document);
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
    OnDraw(&painter);
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

CDocument* CDocTemplate::OpenDocumentFile(const QString& path, bool makeVisible)
{
    CWinApp* app = AfxGetApp();
    auto* mainFrame = app ? dynamic_cast<CMDIFrameWnd*>(app->GetMainWnd()) : nullptr;
    if (!mainFrame)
        return nullptr;
    std::unique_ptr<CDocument> owned = m_newDocument();
    if (!owned)
        return nullptr;
    CDocument* document = owned.get();
    document->m_pDocTemplate = this;
    m_documents.push_back(std::move(owned));

    CMDIChildWnd* frame = m_newFrame();
    frame->m_nMenuId = m_nIDResource;
    frame->setWindowIcon(LoadIconResource(m_nIDResource));
    CView* view = m_newView();
    document->AddView(view);
    frame->SetView(view);
    mainFrame->MDIArea()->addSubWindow(frame);

    const bool opened = path.isEmpty() ? document->OnNewDocument() : document->OnOpenDocument(path);
    if (!opened) {
        delete frame; // the view goes with it, and the document with its last view
        return nullptr;
    }
    if (path.isEmpty())
        document->SetTitle(GetDocString(docName) + QString::number(++m_nUntitledCount));
    else if (app->GetRecentFileList())
        app->GetRecentFileList()->Add(path);
    view->OnInitialUpdate();
    if (makeVisible)
        frame->show();
    return document;
}

void CDocTemplate::RemoveDocument(CDocument* document)
{
    const auto it = std::find_if(m_documents.begin(), m_documents.end(),
                                 [document](const auto& d) { return d.get() == document; });
    if (it != m_documents.end())
        m_documents.erase(it);
}

#include "ChildFrm.h"

#include "mfc/Doc.h"

#include <QMdiArea>

CChildFrame::CChildFrame()
{
    // The framework's New Window: one more view of the active game, replayed on its own.
    OnCommand(ID_WINDOW_NEW, [this] {
        CDocument* document = GetActiveDocument();
        CDocTemplate* docTemplate = document ? document->GetDocTemplate() : nullptr;
        if (CMDIChildWnd* frame = docTemplate ? docTemplate->CreateNewFrame(document) : nullptr)
            docTemplate->InitialUpdateFrame(frame);
    });
}

void CChildFrame::ActivateFrame(int nCmdShow)
{
    if (nCmdShow == -1) {
        QMdiArea* area = mdiArea();
        ASSERT(area != nullptr);
        QMdiSubWindow* active = area ? area->currentSubWindow() : nullptr;
        if (active == this)
            active = nullptr;
        if (!active || active->isMaximized() || isMaximized())
            nCmdShow = SW_SHOWMAXIMIZED;
        else if (isMinimized())
            nCmdShow = SW_SHOWMINIMIZED;
    }
    CMDIChildWnd::ActivateFrame(nCmdShow);
}

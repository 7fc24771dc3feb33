#include "MainFrm.h"

#include "Tavo.h"
#include "TavoGGSStream.h"
#include "res/Resource.h"


namespace {
const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
}

CMainFrame::CMainFrame()
{
    OnMessage(WM_APP, [this](WPARAM w, LPARAM l) { return OnServerLine(w, l); });
    OnMessage(WM_TIMER, [this](WPARAM w, LPARAM l) { return OnTimer(w, l); });
    setAttribute(Qt::WA_DeleteOnClose);
}

CMainFrame::~CMainFrame()
{
    // Taken for good: from now on the reader thread drops what it reads instead of
    // posting it to a window that no longer exists.
    CTavoApp* app = TavoApp();
    if (app && app->GetShutdownMutex()) {
        const DWORD result = WaitForSingleObject(app->GetShutdownMutex(), 10000);
        ASSERT(result != WAIT_TIMEOUT);
        (void)result;
    }
    if (app && app->m_pMainWnd == this)
        app->m_pMainWnd = nullptr;
}

int CMainFrame::OnCreate()
{
    if (!toolBar.CreateEx(this, WS_CHILD | WS_VISIBLE | CBRS_TOP, AFX_IDW_TOOLBAR)
        || !toolBar.LoadToolBar(IDR_MAINFRAME)) {
        TRACE("Failed to create toolbar\n");
        return -1;
    }
    if (!statusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR)
        || !statusBar.SetIndicators(indicators, int(sizeof indicators / sizeof indicators[0]))) {
        TRACE("Failed to create status bar\n");
        return -1;
    }
    toolBar.SetBarStyle(toolBar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);
    toolBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&toolBar);
    resize(800, 600);
    return 0;
}

UINT CMainFrame::StartIdleTimer()
{
    if (idleTimer == 0) {
        idleTimer = SetTimer(1, 950);
        ASSERT(idleTimer != 0);
    }
    return idleTimer;
}

LRESULT CMainFrame::OnTimer(WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    (void)lParam;
    // The window timer repeats by itself; it is re-armed rather than set anew.
    idleTimer = 0;
    if (CWinApp* app = AfxGetApp())
        app->OnIdle(0);
    StartIdleTimer();
    return 1;
}

LRESULT CMainFrame::OnServerLine(WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    std::unique_ptr<CServerLinePacket> packet(reinterpret_cast<CServerLinePacket*>(lParam));
    CTavoApp* app = TavoApp();
    if (!packet || !app || !app->IsCurrentStream(packet->stream))
        return 0;
    packet->stream->ParseText(packet->line, packet->origin);
    return 0;
}

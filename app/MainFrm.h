// The main window: toolbar, status bar, the server texts handed over from the reader
// thread, and the timer that keeps the idle step running.
#pragma once

#include "mfc/Frame.h"

class CMainFrame : public CMDIFrameWnd {
public:
    CMainFrame();
    ~CMainFrame() override;

    int OnCreate() override;
    // Sets the 950 ms idle timer unless it runs; returns its id.
    virtual UINT StartIdleTimer();
    LRESULT OnServerLine(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);

    CStatusBar statusBar;
    CToolBar toolBar;
    UINT idleTimer = 0;
};

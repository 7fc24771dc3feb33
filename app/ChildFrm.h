// The frame of a game window inside the main window.
#pragma once

#include "mfc/Frame.h"

class CChildFrame : public CMDIChildWnd {
public:
    CChildFrame();
    // A new window opens maximised when it is the first or the active one is
    // maximised, and minimised when its own style says so.
    void ActivateFrame(int nCmdShow = -1) override;
};

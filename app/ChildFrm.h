// The frame of a game window inside the main window.
#pragma once

#include "mfc/Frame.h"

class CChildFrame : public CMDIChildWnd {
};

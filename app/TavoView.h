// The view of a game window; it paints the window in the current board style.
#pragma once

#include "mfc/Doc.h"

class CTavoView : public CView {
public:
    void OnDraw(QPainter* painter) override;
};

// The one-line rows of the position and player panes: a disc, then a text beside it, in
// a 12-point font, both centred on the pane's height.
#pragma once

#include "mfc/Gdi.h"

struct CInfoRow {
    // Selects the font of the rows into the context for its life.
    explicit CInfoRow(CDC* dc);
    ~CInfoRow();
    CInfoRow(const CInfoRow&) = delete;
    CInfoRow& operator=(const CInfoRow&) = delete;

    // Takes the geometry from the font's metrics for a pane of that height; false when
    // the metrics cannot be read.
    bool Measure(int paneHeight);
    // The disc's square at x.
    CRect DiscAt(int x) const { return CRect(x, discTop, x + side, discTop + side); }
    // Where the text beside the disc at x starts.
    int TextX(int x) const { return x + side + gap; }

    CDC* dc;
    CFont font;
    CFont* oldFont = nullptr;
    // The disc's side, the gap between disc and text, and the tops of both.
    int side = 0;
    int gap = 0;
    int discTop = 0;
    int textTop = 0;
};

#include "PaneInfoRow.h"

CInfoRow::CInfoRow(CDC* context) : dc(context)
{
    font.CreatePointFont(120, "Arial", dc);
    oldFont = dc->SelectObject(&font);
    ASSERT(oldFont != nullptr);
    dc->SetTextAlign(TA_LEFT | TA_TOP);
}

CInfoRow::~CInfoRow()
{
    if (oldFont)
        dc->SelectObject(oldFont);
}

bool CInfoRow::Measure(int paneHeight)
{
    TEXTMETRIC tm;
    const bool measured = dc->GetTextMetrics(&tm) != FALSE;
    ASSERT(measured);
    if (!measured)
        return false;
    // The height of the capitals, a quarter of it as the unit of spacing.
    const int h = tm.tmAscent - tm.tmInternalLeading;
    gap = h / 4;
    side = h + 2 * gap;
    discTop = (paneHeight - side) / 2;
    textTop = (paneHeight - h) / 2 - tm.tmInternalLeading;
    return true;
}

#include "Window.h"

#include <QWidget>

BOOL GetWindowPlacement(const QWidget* window, WINDOWPLACEMENT* placement)
{
    if (!window || !placement)
        return FALSE;
    placement->rcNormalPosition = window->isWindow() ? window->normalGeometry() : window->geometry();
    // A window never shown has no normal geometry yet: it is where it was put.
    if (placement->rcNormalPosition.isEmpty())
        placement->rcNormalPosition = window->geometry();
    return TRUE;
}

BOOL SetWindowPlacement(QWidget* window, const WINDOWPLACEMENT* placement)
{
    if (!window || !placement || !placement->rcNormalPosition.isValid())
        return FALSE;
    window->setGeometry(placement->rcNormalPosition);
    return TRUE;
}

void MoveWindowEdges(QWidget* window, int dLeft, int dTop, int dRight, int dBottom)
{
    if (!window)
        return;
    WINDOWPLACEMENT placement;
    BOOL done = GetWindowPlacement(window, &placement);
    placement.rcNormalPosition.adjust(dLeft, dTop, dRight, dBottom);
    done = done && SetWindowPlacement(window, &placement);
    ASSERT(done);
    (void)done;
}

#include "Window.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>
#include <algorithm>

int CWindowCascade::s_nPlaced = 0;

void CWindowCascade::Place(QWidget* window)
{
    if (!window)
        return;
    const int offset = (s_nPlaced % 6) * 30;
    ++s_nPlaced;
    QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : AfxGetSafeOwner();
    QPoint corner;
    if (owner) {
        auto* frame = qobject_cast<QMainWindow*>(owner);
        const QWidget* client = frame && frame->centralWidget() ? frame->centralWidget() : owner;
        corner = client->mapToGlobal(QPoint(0, 0));
    }
    // The place of the window with its frame, which a window not shown yet does not
    // have: it will get one as large as its owner's.
    QMargins frame;
    if (owner) {
        const QRect outer = owner->frameGeometry();
        const QRect inner = owner->geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
    }
    QRect place(corner + QPoint(offset, offset), window->size().grownBy(frame));
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        place.moveRight(std::min(place.right(), area.right()));
        place.moveBottom(std::min(place.bottom(), area.bottom()));
        place.moveLeft(std::max(place.left(), area.left()));
        place.moveTop(std::max(place.top(), area.top()));
    }
    window->move(place.topLeft());
}

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

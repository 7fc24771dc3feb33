#include "Window.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <vector>

int CWindowCascade::s_nPlaced = 0;

void CWindowCascade::Place(QWidget* window)
{
    if (!window)
        return;
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
    const QSize size = window->size().grownBy(frame);
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(corner, size);

    // A free place first: the corner, or beside or below one of the owner's other
    // windows, the highest and then the leftmost that covers none of them and lies
    // within the screen.
    std::vector<QRect> taken;
    for (QWidget* other : QApplication::topLevelWidgets())
        if (other != window && other != owner && other->isVisible() && other->parentWidget()
            && other->parentWidget()->window() == owner)
            taken.push_back(other->frameGeometry());
    std::vector<QPoint> candidates{corner};
    for (const QRect& other : taken) {
        candidates.emplace_back(other.right() + 1, other.top());
        candidates.emplace_back(other.left(), other.bottom() + 1);
        candidates.emplace_back(corner.x(), other.bottom() + 1);
    }
    std::sort(candidates.begin(), candidates.end(), [](const QPoint& a, const QPoint& b) {
        return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x();
    });
    for (const QPoint& candidate : candidates) {
        const QRect place(candidate, size);
        if (candidate.x() < corner.x() || candidate.y() < corner.y() || !area.contains(place))
            continue;
        if (std::none_of(taken.begin(), taken.end(), [&](const QRect& other) { return other.intersects(place); })) {
            window->move(place.topLeft());
            return;
        }
    }

    // No room left: the next of six places cascading from the corner, moved as little
    // as needed to lie within the screen.
    const int offset = (s_nPlaced % 6) * 30;
    ++s_nPlaced;
    QRect place(corner + QPoint(offset, offset), size);
    place.moveRight(std::min(place.right(), area.right()));
    place.moveBottom(std::min(place.bottom(), area.bottom()));
    place.moveLeft(std::max(place.left(), area.left()));
    place.moveTop(std::max(place.top(), area.top()));
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

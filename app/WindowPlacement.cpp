#include "WindowPlacement.h"

#include "PaneFrameAndBoard.h"
#include "TavoView.h"
#include "mfc/Frame.h"
#include "mfc/Window.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <algorithm>
#include <functional>
#include <optional>

namespace {

// The board with its frame, at the top left of a game window's view.
constexpr int kBoardFrameSide = 2 * CPaneFrameAndBoard::kFrameWidth + CPaneFrameAndBoard::kBoardSide;

bool CoversAny(const std::vector<QRect>& rects, const QRect& place)
{
    return std::any_of(rects.begin(), rects.end(), [&](const QRect& rect) { return rect.intersects(place); });
}

// The first corner, in the order `before` gives, whose place lies within `area` and
// covers none of `avoid`.
std::optional<QPoint> FirstPlace(const QSize& size, const std::vector<int>& xs, const std::vector<int>& ys,
                                 const QRect& area, const std::vector<QRect>& avoid,
                                 const std::function<bool(const QPoint&, const QPoint&)>& before)
{
    std::vector<QPoint> corners;
    for (const int x : xs)
        for (const int y : ys)
            corners.emplace_back(x, y);
    std::sort(corners.begin(), corners.end(), before);
    for (const QPoint& corner : corners) {
        const QRect place(corner, size);
        if (area.contains(place) && !CoversAny(avoid, place))
            return corner;
    }
    return std::nullopt;
}

// The first free place beside the main window or over its client area, clear of `avoid`.
std::optional<QPoint> FreePlace(const CWindowPlaceInput& in, const std::vector<QRect>& avoid,
                                const std::vector<QRect>& others)
{
    const QSize& size = in.size;
    const QRect& main = in.main;
    const QRect& screen = in.screen;
    const auto columns = [](const QPoint& a, const QPoint& b) {
        return a.x() != b.x() ? a.x() < b.x() : a.y() < b.y();
    };
    const auto columnsLeftward = [](const QPoint& a, const QPoint& b) {
        return a.x() != b.x() ? a.x() > b.x() : a.y() < b.y();
    };
    const auto rows = [](const QPoint& a, const QPoint& b) {
        return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x();
    };
    const auto rowsUpward = [](const QPoint& a, const QPoint& b) {
        return a.y() != b.y() ? a.y() > b.y() : a.x() < b.x();
    };

    // Candidate corners on one axis: `first`, then one per other window.
    const auto along = [&others](std::vector<int> first, auto edge) {
        for (const QRect& other : others)
            first.push_back(edge(other));
        return first;
    };
    const auto rightOf = [](const QRect& r) { return r.right() + 1; };
    const auto leftOf = [&size](const QRect& r) { return r.left() - size.width(); };
    const auto belowOf = [](const QRect& r) { return r.bottom() + 1; };
    const auto aboveOf = [&size](const QRect& r) { return r.top() - size.height(); };

    // Beside the main window, right of it or left: from its top (or the screen's), or
    // below another window.
    const std::vector<int> down =
        along({std::max(main.top(), screen.top()), screen.bottom() - size.height() + 1}, belowOf);
    const QRect right(QPoint(main.right() + 1, screen.top()), screen.bottomRight());
    if (auto place = FirstPlace(size, along({main.right() + 1}, rightOf), down, right, avoid, columns))
        return place;
    const QRect left(screen.topLeft(), QPoint(main.left() - 1, screen.bottom()));
    if (auto place = FirstPlace(size, along({main.left() - size.width()}, leftOf), down, left, avoid, columnsLeftward))
        return place;
    // Then below it or above: from its left (or the screen's), or right of another window.
    const std::vector<int> across =
        along({std::max(main.left(), screen.left()), screen.right() - size.width() + 1}, rightOf);
    const QRect below(QPoint(screen.left(), main.bottom() + 1), screen.bottomRight());
    if (auto place = FirstPlace(size, across, along({main.bottom() + 1}, belowOf), below, avoid, rows))
        return place;
    const QRect above(screen.topLeft(), QPoint(screen.right(), main.top() - 1));
    if (auto place = FirstPlace(size, across, along({main.top() - size.height()}, aboveOf), above, avoid, rowsUpward))
        return place;

    // Over the client area: right of a board or below it, or beside another window.
    std::vector<int> xs{in.client.left(), in.client.right() - size.width() + 1};
    std::vector<int> ys{in.client.top(), in.client.bottom() - size.height() + 1};
    for (const QRect& rect : avoid) {
        xs.push_back(rect.right() + 1);
        ys.push_back(rect.bottom() + 1);
    }
    const auto outside = [](int lo, int hi) { return [lo, hi](int v) { return v < lo || v > hi; }; };
    xs.erase(std::remove_if(xs.begin(), xs.end(), outside(in.client.left(), in.client.right())), xs.end());
    ys.erase(std::remove_if(ys.begin(), ys.end(), outside(in.client.top(), in.client.bottom())), ys.end());
    return FirstPlace(size, xs, ys, screen, avoid, rows);
}

// The cascade's place: from the first place clear of the boards, the next step that
// leaves them clear; none when no place is clear of them.
std::optional<QPoint> CascadedPlace(const CWindowPlaceInput& in, int& cascade)
{
    const auto base = FreePlace(in, in.boards, {});
    if (!base)
        return std::nullopt;
    // The next step whose place no other window has taken exactly.
    for (int next = 0; next < 6; ++next) {
        const int step = (cascade + next) % 6 * 30;
        const QRect stepped(*base + QPoint(step, step), in.size);
        if (in.screen.contains(stepped) && !CoversAny(in.boards, stepped)
            && std::none_of(in.taken.begin(), in.taken.end(),
                            [&](const QRect& other) { return other.topLeft() == stepped.topLeft(); })) {
            cascade += next + 1;
            return stepped.topLeft();
        }
    }
    ++cascade;
    return base;
}

} // namespace

QPoint ChooseWindowPlace(const CWindowPlaceInput& in, int& cascade)
{
    std::vector<QRect> avoid = in.boards;
    avoid.insert(avoid.end(), in.taken.begin(), in.taken.end());
    if (!in.active.isNull())
        avoid.push_back(in.active);
    if (const auto place = FreePlace(in, avoid, in.taken))
        return *place;
    // Where the user is stays clear like a board while the screen allows.
    if (!in.active.isNull()) {
        CWindowPlaceInput keepActive = in;
        keepActive.boards.push_back(in.active);
        if (const auto place = CascadedPlace(keepActive, cascade))
            return *place;
    }
    if (const auto place = CascadedPlace(in, cascade))
        return *place;
    const QPoint corner = in.screen.bottomRight() - QPoint(in.size.width(), in.size.height()) + QPoint(1, 1);
    return QPoint(std::max(corner.x(), in.screen.left()), std::max(corner.y(), in.screen.top()));
}

CWindowPlaceInput WindowPlaceInput(const QWidget* window)
{
    CWindowPlaceInput in;
    const QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : AfxGetSafeOwner();
    if (!owner)
        owner = window;
    in.main = owner->frameGeometry();
    const QScreen* screen = owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    in.screen = screen ? screen->availableGeometry() : in.main;

    // A window never shown has no frame yet: it will get one like its owner's.
    const QRect outer = owner->frameGeometry();
    const QRect inner = owner->geometry();
    in.size = window->size().grownBy(QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                                              outer.right() - inner.right(), outer.bottom() - inner.bottom()));

    const auto* frame = dynamic_cast<const CMDIFrameWnd*>(owner);
    const QWidget* client = frame && frame->MDIArea() ? frame->MDIArea()->viewport() : nullptr;
    if (!client)
        client = frame && frame->centralWidget() ? frame->centralWidget() : owner;
    in.client = QRect(client->mapToGlobal(QPoint(0, 0)), client->size());
    in.boards.push_back(QRect(in.client.topLeft(), QSize(kBoardFrameSide, kBoardFrameSide)).intersected(in.client));
    if (frame && frame->MDIArea())
        for (const QMdiSubWindow* child : frame->MDIArea()->subWindowList()) {
            if (!child->isVisible() || child->isMinimized())
                continue;
            const auto* view = dynamic_cast<const CTavoView*>(child->widget());
            if (!view)
                view = child->findChild<const CTavoView*>();
            if (view) {
                const QRect board(view->mapToGlobal(QPoint(0, 0)), QSize(kBoardFrameSide, kBoardFrameSide));
                in.boards.push_back(board.intersected(in.client));
            }
        }

    const QWidget* active = QApplication::activeWindow();
    for (QWidget* other : QApplication::topLevelWidgets())
        if (other != window && other != owner && other->isVisible() && other->parentWidget()
            && other->parentWidget()->window() == owner) {
            in.taken.push_back(other->frameGeometry());
            if (other == active)
                in.active = in.taken.back();
        }
    // In the main window the user is where the keyboard is: the comment line of a game,
    // say.
    if (active == owner)
        if (const QWidget* focus = owner->focusWidget(); focus && focus != owner)
            in.active = QRect(focus->mapToGlobal(QPoint(0, 0)), focus->size());
    return in;
}

void PlaceNewWindow(QWidget* window)
{
    static int cascaded = 0;
    if (window)
        window->move(ChooseWindowPlace(WindowPlaceInput(window), cascaded));
}

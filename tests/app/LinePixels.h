// The pixels that a one-pixel line of the Windows drawing layer lights, worked out from
// the rule rather than stepped, for the tests that check lines by their pixels.
#pragma once

#include <QPoint>
#include <algorithm>
#include <cstdlib>
#include <set>
#include <utility>

// a / b rounded down (b > 0).
inline int FloorDiv(int a, int b)
{
    return a >= 0 ? a / b : -((b - 1 - a) / b);
}

// The integer nearest to num / n (n > 0); a half goes the way the line runs on this axis
// (`way`, the sign of the line's extent), towards its end point.
inline int NearestTowardsTheEnd(int num, int n, int way)
{
    return way > 0 ? FloorDiv(2 * num + n, 2 * n) : -FloorDiv(n - 2 * num, 2 * n);
}

// A line from `from` to `to`, its end point left out: one pixel for each of the n steps
// along its longer axis (either one at 45 degrees), at the point i / n of the way taken to
// the nearest pixel on the other axis. Where the line runs exactly midway between two
// pixels it lights the one towards its end point, so that a line and the same line drawn
// back may differ there.
inline std::set<std::pair<int, int>> LinePixels(QPoint from, QPoint to)
{
    const int dx = to.x() - from.x();
    const int dy = to.y() - from.y();
    const int n = std::max(std::abs(dx), std::abs(dy));
    std::set<std::pair<int, int>> pixels;
    for (int i = 0; i < n; ++i)
        pixels.emplace(NearestTowardsTheEnd(from.x() * n + i * dx, n, dx),
                       NearestTowardsTheEnd(from.y() * n + i * dy, n, dy));
    return pixels;
}

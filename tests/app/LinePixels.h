// The pixels that a one-pixel line of the Windows drawing layer lights, worked out from
// the rule rather than stepped, for the tests that check lines by their pixels.
#pragma once

#include <QPoint>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <utility>

// The integer nearest to num / den (den > 0), a half going to the smaller one.
inline int NearestDown(int num, int den)
{
    return int(std::ceil(double(2 * num - den) / double(2 * den)));
}

// A line from `from` to `to`, its end point left out: one pixel for each of the n steps
// along its longer axis (either one at 45 degrees), at the point i / n of the way taken to
// the nearest pixel on the other axis. Where the line runs exactly midway between two
// pixels it lights the upper or the left one, whichever way it is drawn.
inline std::set<std::pair<int, int>> LinePixels(QPoint from, QPoint to)
{
    const int dx = to.x() - from.x();
    const int dy = to.y() - from.y();
    const int n = std::max(std::abs(dx), std::abs(dy));
    std::set<std::pair<int, int>> pixels;
    for (int i = 0; i < n; ++i)
        pixels.emplace(NearestDown(from.x() * n + i * dx, n), NearestDown(from.y() * n + i * dy, n));
    return pixels;
}

// The playing area of the game window: the displayed position with the marks of the
// last, the next and the legal moves; a click plays a move, passes, or steps the replay.
#pragma once

#include "PaneGame.h"

class CBoardStyle;

class CPaneBoard : public CPaneGame {
public:
    using CPaneGame::CPaneGame;

    void Draw(CDC* dc) override;
    void Update(LPARAM hint) override;
    void OnClickHere(UINT flags, int x, int y) override;

    // a x b / c with the 32-bit product, truncated.
    static int MulDiv(int a, int b, int c) { return a * b / c; }
    // The square of an n x n board under a point of the board pane.
    static COsMove SquareAt(int x, int y, int n);
    // The top-left corner of a square of an n x n board.
    CPoint GetSquareEdge(int row, int col, int n) const;
    CRect GetSquareRect(int row, int col, int n) const;
    // A small filled square in the top-left corner of a square.
    void DrawMark(CDC* dc, int row, int col, int n, COLORREF colour);
    void DrawLegalMoves(CDC* dc);
    void DrawGridSquare(CDC* dc, CBoardStyle* style);
    void DrawGridOctagon(CDC* dc, CBoardStyle* style);
};

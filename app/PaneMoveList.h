// The moves of the game up to the view's replay, right of the board: a list with a row
// per black move and the white move after it, each with its evaluation. It follows the
// view: rebuilt when the view jumps, a move longer or shorter when it steps.
#pragma once

#include "PaneGame.h"

#include <memory>
#include <utility>

class CListCtrl;

class CPaneMoveList : public CPaneGame {
public:
    CPaneMoveList(QWidget* owner, CPane* parent, int left, int top, int right, int bottom);
    ~CPaneMoveList() override;

    void Draw(CDC* dc) override;
    void Update(LPARAM hint) override;

    // Lists move n (from 1) of the game: an odd one starts a new row.
    void SetMove(int n, const COsGame::Item& item, bool makeVisible);
    // Lists moves 1 to the replay index afresh.
    void Refill();
    // Lists the moves up to the replay index that are not listed yet.
    void AddMove();
    // Takes off the move that a step back has taken off the board.
    void RemoveNextMove();
    void RemoveMove(int n);
    void ApplyColumnWidths();
    void ApplyColours();
    // The widths of the move and the evaluation columns: the evaluations show only
    // while the Evals setting is on.
    static std::pair<int, int> GetEvalColumnWidths();

    // The list control; null when it could not be made.
    CListCtrl* GetList() const { return m_pList.get(); }

private:
    // How many moves the list holds.
    int ListedMoves() const;

    std::unique_ptr<CListCtrl> m_pList;
};

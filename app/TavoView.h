// The view of a game window: it owns the pane tree that draws the window, keeps its own
// replay of the game (following its live end, or showing an earlier position) and
// turns the document's hint codes into steps of that replay.
#pragma once

#include "OsObjects.h"
#include "mfc/Doc.h"

class CTavoDoc;

class CTavoView : public CView {
public:
    using Position = CGGPosition<COsBoard, COsMove>;

    CTavoView();
    ~CTavoView() override;

    BOOL Create(CDocument* document) override;
    CTavoDoc* GetDocument() const;

    // The position the panes draw, and how many moves of the game it holds.
    const Position& GetPosition() const { return m_position; }
    int GetMoveIndex() const { return m_nMoveIndex; }
    bool IsFollowing() const { return m_fFollowing; }
    // The replay holds every move of the game.
    bool IsAtEnd() const;

    void OnUpdate(CView* sender, LPARAM hint, void* hintObject) override;
    // The replay's step for the hint, then the panes' reactions.
    void UpdatePanes(LPARAM hint);
    void ApplyHint(LPARAM hint);
    void OnDraw(QPainter* painter) override;
    QSize sizeHint() const override;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    void OnLButtonDown(QMouseEvent* e);

    bool m_fFollowing = false;
    int m_nMoveIndex = 0;
    Position m_position;
};

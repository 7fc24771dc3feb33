// The view of a game window: it owns the pane tree that draws the window, keeps its own
// replay of the game (following its live end, or showing an earlier position) and
// turns the document's hint codes into steps of that replay.
#pragma once

#include "OsObjects.h"
#include "mfc/Doc.h"
#include "mfc/Gdi.h"

#include <memory>

class CPaneMain;
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
    // Paints the whole window through a buffer (a printer directly).
    void OnDraw(CDC* dc) override;
    BOOL OnPreparePrinting(CPrintInfo* info) override;
    // The background in the style, then the panes.
    void DrawBackground(CDC* dc);
    // Fills a rectangle of the window with the colour and, when asked, the style's
    // picture, which lines up with the window's origin wherever it is painted.
    void DrawRect(CDC* dc, const CRect& rect, COLORREF colour, bool useBitmap);
    CPaneMain* GetRootPane() const { return m_pRoot.get(); }
    QSize sizeHint() const override;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    void OnLButtonDown(QMouseEvent* e);
    // What a paint covers: the client area, or on paper the window at its size hint.
    CRect GetDrawRect(const CDC* dc) const;

    std::unique_ptr<CPaneMain> m_pRoot;
    bool m_fFollowing = false;
    int m_nMoveIndex = 0;
    Position m_position;
};

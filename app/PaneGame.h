// The game window is drawn as a tree of panes: light-weight rectangles inside its one
// view, drawn into the view's buffer and fed with its hints and clicks. CPane is the tree
// node; CPaneGame gives a pane the view's game, displayed position and board style, and
// the fills and discs that several panes draw.
#pragma once

#include "OsObjects.h"
#include "mfc/Gdi.h"

#include <memory>
#include <vector>

class QWidget;
class CGameLive;
class CTavoDoc;
class CTavoView;

class CPane {
public:
    // The rectangle is in the parent's coordinates. The creator appends the new pane to
    // its own children.
    CPane(QWidget* owner, CPane* parent, int left, int top, int right, int bottom);
    // The children go from the last to the first.
    virtual ~CPane();
    CPane(const CPane&) = delete;
    CPane& operator=(const CPane&) = delete;

    // The point, in the parent's coordinates, lies in the rectangle (left and top edges
    // in, right and bottom edges out).
    virtual bool Contains(int x, int y) const;
    // A click at a point in the parent's coordinates.
    void OnClick(UINT flags, int x, int y);
    // The pane, then its children in order: later ones paint over earlier ones.
    void DrawAll(CDC* dc);
    virtual void Draw(CDC* dc);
    void UpdateAll(LPARAM hint);
    virtual void Update(LPARAM hint);
    int Width() const { return m_rect.Width(); }
    int Height() const { return m_rect.Height(); }
    // The rectangle in the window's coordinates.
    CRect GetWindowRect() const;
    // The window coordinates of the pane's top-left corner.
    CPoint GetOrigin() const;
    // A click that no child took, at a point in the pane's own coordinates.
    virtual void OnClickHere(UINT flags, int x, int y);
    // A click at a point in the pane's own coordinates: the last child that holds the
    // point takes it, else the pane itself.
    void DispatchClick(UINT flags, int x, int y);
    // Repaints the pane's part of the window; `deflate` leaves its outermost pixels.
    void Invalidate(BOOL erase, BOOL deflate);
    CPane* AddChild(std::unique_ptr<CPane> child);
    const CRect& GetRect() const { return m_rect; }

protected:
    CPoint ToLocal(int x, int y) const { return CPoint(x - m_rect.left, y - m_rect.top); }

    CRect m_rect;
    CPane* m_pParent;
    QWidget* m_pOwner;
    std::vector<std::unique_ptr<CPane>> m_children;
};

class CPaneGame : public CPane {
public:
    using CPane::CPane;
    using Position = CGGPosition<COsBoard, COsMove>;

    // Flags of the fills: 1 lays the style's picture over the colour, 2 leaves the
    // rectangle's outermost pixels.
    enum : int { kTexture = 1, kDeflate = 2 };

    // The view's displayed position.
    const Position& GetPosition() const;
    CTavoView* GetView() const;
    // The document's game, null when the view has no document.
    CGameLive* GetGame() const;
    CTavoDoc* GetDocument() const;
    // Fills the pane with the style's background colour.
    void FillBackground(CDC* dc, int flags);
    // Fills the pane with the colour.
    void FillRect(CDC* dc, int flags, COLORREF colour);
    // Fills a rectangle of the window (kDeflate shrinks the caller's rectangle).
    void DrawRect(CDC* dc, int flags, COLORREF colour, CRect& rect);
    int GetMoveIndex() const;
    bool IsFollowing() const;
    // A game has been loaded: the panes draw nothing before.
    bool IsGameUpdated() const;
    // Outlines the pane in the style's frame colour, leaving the inside as it is;
    // returns the pane's rectangle in the window.
    CRect DrawOutline(CDC* dc);
    // A disc for the square's character ('*' black, 'O' white, '?' undecided, '-' none):
    // an ellipse over the rectangle with a ring a sixth of its size inside.
    void DrawDisc(CDC* dc, char square, const CRect& rect);
};

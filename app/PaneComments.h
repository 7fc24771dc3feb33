// The comments of a game in its window: a read-only box of the game's comment list and a
// one-line field whose text goes to the game's players when the user presses Enter. Both
// are real edit controls inside the view and panes of its tree at once; they paint in the
// board style's colours with one font that all comment panes share.
#pragma once

#include "PaneGame.h"
#include "mfc/Edit.h"

#include <memory>

class CPaneComments : public CEdit, public CPaneGame {
public:
    ~CPaneComments() override;

    // The outline around the edit, in the style's frame colour; the edit takes the
    // style's colours from here on.
    void Draw(CDC* dc) override;
    // Gives the edit the style's text and background colours (the edit shows them from
    // its next repaint on).
    void CtlColor();
    // The font of every comment pane: 9-point Arial, made on first use.
    static CFont* GetFont();
    // The edit control.
    QWidget* GetWindow() const { return m_pWindow.get(); }

protected:
    // Places the edit inside the pane's rectangle, one pixel in from each side, as a
    // child of the view, and shows it without taking the focus.
    CPaneComments(QWidget* owner, CPane* parent, int left, int top, int right, int bottom,
                  std::unique_ptr<QWidget> window);

private:
    std::unique_ptr<QWidget> m_pWindow;
};

// The field that sends a comment with Enter; hidden once the game is detached.
class CPaneCommentsIn : public CPaneComments {
public:
    CPaneCommentsIn(QWidget* owner, CPane* parent, int left, int top, int right, int bottom);
    void Update(LPARAM hint) override;
    // Enter: the text (not empty) goes to the game as a comment, and the field empties.
    void OnEnter();
};

// The game's comments, one after the other; a click in it does nothing.
class CPaneCommentsOut : public CPaneComments {
public:
    CPaneCommentsOut(QWidget* owner, CPane* parent, int left, int top, int right, int bottom);
    void Update(LPARAM hint) override;
    // Shows the game's comment list afresh.
    void Refill();
    // Adds the comments that came since the text was last made; when the game has
    // dropped comments that the text shows, shows the list afresh instead.
    void AddNewComments();

private:
    // Adds the game's comments from index `from` on to the text (after emptying it, with
    // `replace`), each on lines of its own.
    void Show(size_t from, bool replace);

    // The game's numbers (see CGameLive::GetCommentsDropped) of the first comment shown
    // and of the one after the last.
    size_t m_nFirstShown = 0;
    size_t m_nEndShown = 0;
};

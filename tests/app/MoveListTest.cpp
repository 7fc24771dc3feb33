// The move list right of the board: its rows and cells as the view replays a game, the
// evaluations and the Evals setting, the style's colours.
#include "PaneTestSupport.h"
#include "TalkSupport.h"

#include "PaneMain.h"
#include "PaneMoveList.h"
#include "mfc/Frame.h"
#include "mfc/ListCtrl.h"
#include "res/Resource.h"

#include <QHeaderView>
#include <gtest/gtest.h>

namespace {

CListCtrl* ListOf(CTavoDoc* doc)
{
    CPaneMoveList* pane = ViewOf(doc)->GetRootPane()->FindPane<CPaneMoveList>();
    return pane ? pane->GetList() : nullptr;
}

// The last row lies wholly inside the list's visible area.
bool LastRowVisible(CListCtrl* list)
{
    const int last = list->GetItemCount() - 1;
    return last >= 0 && list->viewport()->rect().contains(list->visualItemRect(list->topLevelItem(last)));
}

COsGame WithEvals(COsGame game, const std::vector<double>& evals)
{
    for (size_t i = 0; i < evals.size() && i < game.moves.size(); ++i)
        game.moves[i].eval = evals[i];
    return game;
}

const std::vector<std::string> kFiveMoves = {"F5", "D6", "C3", "D3", "C4"};

} // namespace

TEST(MoveList, ColumnsAndPlace)
{
    PaneWindow w;
    CTavoDoc* doc = w.Look(MakeGame("amy", "bob", kFiveMoves));
    CListCtrl* list = ListOf(doc);
    ASSERT_NE(list, nullptr);
    // A real list inside the pane's outline, in the view.
    EXPECT_EQ(list->parentWidget(), ViewOf(doc));
    EXPECT_EQ(list->geometry(), QRect(391, 31, 203, 148));
    EXPECT_TRUE(list->isVisible());
    ASSERT_EQ(list->columnCount(), 5);
    const QStringList titles = {QStringLiteral("#"), QStringLiteral("B"), QStringLiteral(" "), QStringLiteral("W"),
                                QStringLiteral(" ")};
    const std::vector<int> widths = {25, 35, 45, 35, 45};
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(list->headerItem()->text(column), titles[column]) << column;
        EXPECT_EQ(list->columnWidth(column), widths[size_t(column)]) << column;
    }
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    // The outline around it in the style's frame colour.
    const QImage image = Grab(doc);
    EXPECT_TRUE(AllIn(image, QRect(390, 30, 205, 1), 0xFF000000));
    EXPECT_TRUE(AllIn(image, QRect(390, 30, 1, 150), 0xFF000000));
    EXPECT_TRUE(AllIn(image, QRect(594, 30, 1, 150), 0xFF000000));
    EXPECT_TRUE(AllIn(image, QRect(390, 179, 205, 1), 0xFF000000));
    EXPECT_EQ(At(image, 389, 100), 0xFFFFFFFF);
    // The outline is the list's only border: below the header, just inside the outline,
    // lies the list's background, with the focus in the list or not.
    const int below = 31 + list->header()->height();
    for (const bool focused : {false, true}) {
        ASSERT_TRUE(!focused || GiveFocus(list));
        const QImage inside = Grab(doc);
        EXPECT_TRUE(AllIn(inside, QRect(391, below, 1, 179 - below), 0xFFFFFFFF)) << focused;
        EXPECT_TRUE(AllIn(inside, QRect(593, below, 1, 179 - below), 0xFFFFFFFF)) << focused;
        EXPECT_TRUE(AllIn(inside, QRect(391, 178, 203, 1), 0xFFFFFFFF)) << focused;
    }
    // The list paints its own area whole: repainting it leaves the board and panes below
    // it unpainted.
    PaintRecorder paints(ViewOf(doc));
    paints.Take();
    list->update();
    list->viewport()->update();
    EXPECT_TRUE(paints.Take().isEmpty());
}

TEST(MoveList, FollowsTheReplay)
{
    PaneWindow w;
    CTavoDoc* doc = w.Look(MakeGame("amy", "bob", kFiveMoves));
    CListCtrl* list = ListOf(doc);
    ASSERT_NE(list, nullptr);
    // A game from a file opens at its start: nothing listed.
    EXPECT_EQ(list->GetItemCount(), 0);

    // At its end: rows numbered 1, 3, 5 with black's and white's moves; the last row
    // has only black's.
    w.app.GetMainWnd()->RouteCommand(ID_VIEW_CURRENT);
    EXPECT_EQ(ListRows(list), (std::vector<std::string>{"1|F5||D6|", "3|C3||D3|", "5|C4|||"}));
    EXPECT_TRUE(LastRowVisible(list));

    // A step back from 5 to 4 deletes row 3; to 3 it blanks white's cells of row 2.
    w.app.GetMainWnd()->RouteCommand(ID_VIEW_BACK);
    EXPECT_EQ(ListRows(list), (std::vector<std::string>{"1|F5||D6|", "3|C3||D3|"}));
    w.app.GetMainWnd()->RouteCommand(ID_VIEW_BACK);
    EXPECT_EQ(ListRows(list), (std::vector<std::string>{"1|F5||D6|", "3|C3|||"}));
    // Forward again: white's move back in its row, then a new row for move 5.
    w.app.GetMainWnd()->RouteCommand(ID_VIEW_FORWARD);
    EXPECT_EQ(ListRows(list), (std::vector<std::string>{"1|F5||D6|", "3|C3||D3|"}));
    w.app.GetMainWnd()->RouteCommand(ID_VIEW_FORWARD);
    EXPECT_EQ(ListRows(list), (std::vector<std::string>{"1|F5||D6|", "3|C3||D3|", "5|C4|||"}));
    // The start empties it.
    w.app.GetMainWnd()->RouteCommand(ID_VIEW_START);
    EXPECT_EQ(list->GetItemCount(), 0);

    // A long game at its end: its last row scrolled into view.
    COsGame game = MakeGame("amy", "bob");
    while (!game.posCurrent.board.GameOver()) {
        const std::vector<COsMove> legal = game.posCurrent.board.LegalMoves();
        game.Play(COsGame::Item(legal.empty() ? COsMove() : legal.front(), 0, 1));
    }
    ASSERT_GT(game.moves.size(), 40u);
    CTavoDoc* whole = w.Join("1", game);
    CListCtrl* longList = ListOf(whole);
    EXPECT_EQ(longList->GetItemCount(), int(game.moves.size() + 1) / 2);
    EXPECT_TRUE(LastRowVisible(longList));
    EXPECT_FALSE(longList->viewport()->rect().contains(longList->visualItemRect(longList->topLevelItem(0))));
}

TEST(MoveList, MovesOfALiveGame)
{
    PaneWindow w;
    CTavoDoc* doc = w.Join("1", MakeGame("carol", "dave", {"F5", "D6"}));
    ASSERT_NE(doc, nullptr);
    CListCtrl* list = ListOf(doc);
    EXPECT_EQ(ListRows(list), (std::vector<std::string>{"1|F5||D6|"}));
    // A move arrives while the view follows: listed.
    w.connection->Feed("/os: update 1 C3/1.25/3");
    EXPECT_EQ(ListRows(list), (std::vector<std::string>{"1|F5||D6|", "3|C3|+1.25||"}));
    // While the view replays, new moves are not listed until it steps to them.
    ViewOf(doc)->OnUpdate(nullptr, CTavoDoc::kHintBack, nullptr);
    w.connection->Feed("/os: update 1 D3");
    EXPECT_EQ(ListRows(list), (std::vector<std::string>{"1|F5||D6|"}));
    ViewOf(doc)->OnUpdate(nullptr, CTavoDoc::kHintForward, nullptr);
    EXPECT_EQ(ListRows(list), (std::vector<std::string>{"1|F5||D6|", "3|C3|+1.25||"}));
    ViewOf(doc)->OnUpdate(nullptr, CTavoDoc::kHintCurrent, nullptr);
    EXPECT_EQ(ListRows(list), (std::vector<std::string>{"1|F5||D6|", "3|C3|+1.25|D3|"}));
    // A whole new state of the game: listed afresh.
    w.connection->Feed("/os: join 1 " + GgfText(MakeGame("carol", "dave", {"F5"})));
    EXPECT_EQ(ListRows(list), (std::vector<std::string>{"1|F5|||"}));

    // Where the view takes several moves at once (a komi game's first move comes with
    // its bids), every one of them is listed.
    doc->Play(COsGame::Item(MoveFrom("D6"), 0, 1));
    doc->Play(COsGame::Item(MoveFrom("C3"), 0, 1));
    doc->OnGameChanged(*doc, CTavoDoc::kHintMove);
    EXPECT_EQ(ViewOf(doc)->GetMoveIndex(), 3);
    EXPECT_EQ(ListRows(list), (std::vector<std::string>{"1|F5||D6|", "3|C3|||"}));
}

TEST(MoveList, EvaluationsAndPasses)
{
    PaneWindow w;
    COsGame game = WithEvals(MakeGame("amy", "bob", kFiveMoves), {0.0, -1.5, 3, 0.004, -0.5});
    CTavoDoc* doc = w.Look(game);
    w.app.GetMainWnd()->RouteCommand(ID_VIEW_CURRENT);
    CListCtrl* list = ListOf(doc);
    EXPECT_EQ(ListRows(list), (std::vector<std::string>{"1|F5||D6|-1.50", "3|C3|+3.00|D3|+0.00", "5|C4|-0.50||"}));

    // A pass is PA, with its evaluation when it has one.
    COsGame passes = MakeGame("amy", "bob");
    passes.posStart.board.SetEmpty(passes.matchType.bt);
    passes.posStart.board.Set(0, 0, 'O');
    passes.posStart.board.Set(0, 1, '*');
    passes.posStart.board.Set(2, 2, 'O');
    passes.UpdatePosition();
    passes.Play(COsGame::Item(COsMove(), -2.25, 0));
    passes.Play(COsGame::Item(MoveFrom("C1"), 0, 0));
    passes.Play(COsGame::Item(COsMove(), 0, 0));
    CTavoDoc* passed = w.Join("1", passes);
    EXPECT_EQ(ListRows(ListOf(passed)), (std::vector<std::string>{"1|PA|-2.25|C1|", "3|PA|||"}));
}

TEST(MoveList, EvalsSettingAndStyle)
{
    PaneWindow w;
    CTavoDoc* doc = w.Look(WithEvals(MakeGame("amy", "bob", kFiveMoves), {1, 2, 3, 4, 5}));
    w.app.GetMainWnd()->RouteCommand(ID_VIEW_CURRENT);
    CListCtrl* list = ListOf(doc);
    // Evals off: the evaluation columns have no width, their cells keep their texts.
    w.app.GetMainWnd()->RouteCommand(ID_VIEW_EVALS);
    ASSERT_FALSE(w.app.fShowEvals);
    EXPECT_EQ(list->columnWidth(2), 0);
    EXPECT_EQ(list->columnWidth(4), 0);
    EXPECT_EQ(list->columnWidth(1), 35);
    EXPECT_EQ(list->columnWidth(0), 25);
    EXPECT_EQ(list->GetItemText(0, 2), QStringLiteral("+1.00"));
    // A window opened now starts with them hidden.
    EXPECT_EQ(ListOf(w.Look(MakeGame("amy", "bob")))->columnWidth(2), 0);
    // On again: shown at 45.
    w.app.GetMainWnd()->RouteCommand(ID_VIEW_EVALS);
    EXPECT_EQ(list->columnWidth(2), 45);
    EXPECT_EQ(list->columnWidth(4), 45);
    EXPECT_EQ(list->GetItemText(1, 4), QStringLiteral("+4.00"));

    // A style change recolours the list without rebuilding it.
    QTreeWidgetItem* first = list->topLevelItem(0);
    EXPECT_EQ(list->palette().color(QPalette::Base), QColor(Qt::white));
    w.app.GetMainWnd()->RouteCommand(ID_VIEW_THEME_SPACE);
    EXPECT_EQ(list->topLevelItem(0), first);
    EXPECT_EQ(list->palette().color(QPalette::Base), QColor(Qt::black));
    EXPECT_EQ(list->palette().color(QPalette::Text), QColor(0, 255, 0));
    const QImage image = Grab(doc);
    const QRect lastRow = list->visualItemRect(list->topLevelItem(2)).translated(list->viewport()->mapTo(ViewOf(doc), QPoint()));
    EXPECT_TRUE(AnyIn(image, lastRow, 0xFF00FF00));   // the text
    EXPECT_EQ(At(image, 590, 170), 0xFF000000);         // the background below the rows
    EXPECT_TRUE(AllIn(image, QRect(390, 30, 205, 1), 0xFF00FF00)); // the outline
    w.app.GetMainWnd()->RouteCommand(ID_VIEW_THEME_WOOD);
    EXPECT_EQ(list->palette().color(QPalette::Base), QColor(128, 96, 64));
    EXPECT_EQ(list->palette().color(QPalette::Text), QColor(Qt::white));
}

// The game window as the user sees it: the board and its frame by the pixels of a grabbed
// window, the replay of a game, clicks on the board, the pane tree and the frame.
#include "LinePixels.h"
#include "PaneTestSupport.h"

#include "MainFrm.h"
#include "PaneBoard.h"
#include "PaneMain.h"
#include "mfc/Frame.h"
#include "res/Resource.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QMdiArea>
#include <QPaintEvent>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kGreen = 0xFF008000;     // the board of the "standard" style
constexpr QRgb kLastMark = 0xFF0000FF;  // blue
constexpr QRgb kNextMark = 0xFF00FF00;  // bright green
constexpr QRgb kLegalPen = 0xFFFF8080;

CMainFrame* Frame(PaneWindow& w)
{
    return dynamic_cast<CMainFrame*>(w.app.GetMainWnd());
}

// The top-left corner of a square of the 8x8 board, in the window.
QPoint Corner(const std::string& square)
{
    const COsMove move = MoveFrom(square);
    return QPoint(30 + 40 * move.col, 30 + 40 * move.row);
}

// Reads every letter and number of the frame around an n x n board: each must be its
// column's letter or its row's number, in its place, in 16-point Arial. The letters are
// centred over the columns, bottom at -1 above the board and top at 323 below it; the
// numbers stand right of -3 and left of 323, centred on their rows.
void ExpectFrameLabels(const QImage& shot, int n)
{
    QStringList candidates;
    for (int i = 0; i < 16; ++i)
        candidates << QString(QChar('A' + i)) << QString(QChar('a' + i)) << QString::number(i);
    CFont font;
    font.CreatePointFont(160, "Arial");
    const int height = QFontMetrics(font.GetQFont()).height();
    const auto expect = [&](const QRect& area, UINT align, QPoint anchor, const QString& label, const char* where) {
        const ShownText read = ReadText(shot, area, 160, align, anchor, candidates);
        EXPECT_EQ(read.text, label) << where;
        EXPECT_EQ(read.differences, 0) << where << " " << label.toStdString();
    };
    for (int i = 0; i < n; ++i) {
        const int from = 30 + i * 320 / n;
        const int to = 30 + (i + 1) * 320 / n;
        const int x = 30 + (2 * i + 1) * 320 / (2 * n);
        const QString letter(QChar('A' + i));
        expect(QRect(from, 0, to - from, 29), TA_CENTER | TA_BOTTOM, QPoint(x, 29), letter, "above");
        expect(QRect(from, 351, to - from, 29), TA_CENTER | TA_TOP, QPoint(x, 353), letter, "below");
        const int y = 30 + ((2 * i + 1) * 320 / n - height) / 2;
        const QString number = QString::number(i + 1);
        expect(QRect(0, from, 29, to - from), TA_RIGHT | TA_TOP, QPoint(27, y), number, "left");
        expect(QRect(351, from, 29, to - from), TA_LEFT | TA_TOP, QPoint(353, y), number, "right");
    }
}

// Records the clicks that reach it and what it is given to repaint.
class ClickPane : public CPane {
public:
    using CPane::CPane;
    void OnClickHere(UINT, int x, int y) override { clicks.emplace_back(x, y); }
    std::vector<std::pair<int, int>> clicks;
};

class PaintedArea : public QWidget {
public:
    void paintEvent(QPaintEvent* e) override { painted = e->rect(); }
    QRect painted;
};

} // namespace

TEST(BoardPane, GridDotsDiscsAndFrame)
{
    PaneWindow w;
    CTavoDoc* doc = w.Look(MakeGame("amy", "bob"));
    ASSERT_NE(doc, nullptr);
    const QImage image = Grab(doc);

    // Grid lines at 0, 40, .., 320 of the board, both ways; the board green between them.
    for (int k = 0; k <= 8; ++k) {
        EXPECT_EQ(At(image, 30 + 40 * k, 35), kBlack) << k;
        EXPECT_EQ(At(image, 35, 30 + 40 * k), kBlack) << k;
        if (k < 8) {
            EXPECT_EQ(At(image, 31 + 40 * k, 35), kGreen) << k;
            EXPECT_EQ(At(image, 35, 31 + 40 * k), kGreen) << k;
        }
    }
    // The frame around the board is the background.
    EXPECT_EQ(At(image, 29, 35), kWhite);
    EXPECT_EQ(At(image, 351, 35), kWhite);

    // The dots: 5 x 5, centred on the intersections 2 and 6.
    for (const int x : {110, 270})
        for (const int y : {110, 270}) {
            EXPECT_TRUE(AllIn(image, QRect(x - 2, y - 2, 5, 5), kBlack)) << x << "," << y;
            EXPECT_EQ(At(image, x + 3, y - 2), kGreen);
            EXPECT_EQ(At(image, x - 3, y - 2), kGreen);
        }

    // The discs of the start: white D4 and E5, black E4 and D5, each an ellipse 4 pixels
    // in from its square with a ring a sixth inside.
    EXPECT_EQ(At(image, 170, 170), kWhite);
    EXPECT_EQ(At(image, 210, 210), kWhite);
    EXPECT_EQ(At(image, 210, 170), kBlack);
    EXPECT_EQ(At(image, 170, 210), kBlack);
    EXPECT_EQ(At(image, 153, 170), kGreen); // outside the disc
    EXPECT_EQ(At(image, 154, 170), kBlack); // its outline
    EXPECT_EQ(At(image, 157, 170), kWhite);
    EXPECT_EQ(At(image, 159, 170), kBlack); // the ring
    EXPECT_EQ(At(image, 194, 170), kWhite); // a black disc's outline is white
    EXPECT_EQ(At(image, 50, 50), kGreen);   // an empty square

    ExpectFrameLabels(image, 8);
}

TEST(BoardPane, MarksOfMovesByRole)
{
    PaneWindow w;
    // A game from a file, replayed to its second move: the last move (D6) blue, the next
    // one (C3) green, the legal moves ringed.
    CTavoDoc* looked = w.Look(MakeGame("amy", "bob", {"F5", "D6", "C3"}));
    ASSERT_NE(looked, nullptr);
    CTavoView* view = ViewOf(looked);
    view->OnUpdate(nullptr, CTavoDoc::kHintForward, nullptr);
    view->OnUpdate(nullptr, CTavoDoc::kHintForward, nullptr);
    QImage image = Grab(looked);
    const QPoint d6 = Corner("D6");
    EXPECT_TRUE(AllIn(image, QRect(d6.x() + 5, d6.y() + 5, 5, 5), kLastMark));
    EXPECT_EQ(At(image, d6.x() + 10, d6.y() + 5), kGreen);
    const QPoint c3 = Corner("C3");
    EXPECT_TRUE(AllIn(image, QRect(c3.x() + 5, c3.y() + 5, 5, 5), kNextMark));
    // Legal for black: C3, C4, C5 ... a ring in the middle of each: its left point in,
    // the box's corner out.
    EXPECT_EQ(At(image, c3.x() + 15, c3.y() + 20), kLegalPen);
    EXPECT_NE(At(image, c3.x() + 15, c3.y() + 15), kLegalPen);

    // At the start there is no last move; at the end no next move.
    view->OnUpdate(nullptr, CTavoDoc::kHintStart, nullptr);
    image = Grab(looked);
    EXPECT_FALSE(AnyIn(image, QRect(30, 30, 320, 320), kLastMark));
    EXPECT_TRUE(AllIn(image, QRect(Corner("F5").x() + 5, Corner("F5").y() + 5, 5, 5), kNextMark));
    view->OnUpdate(nullptr, CTavoDoc::kHintCurrent, nullptr);
    image = Grab(looked);
    EXPECT_FALSE(AnyIn(image, QRect(30, 30, 320, 320), kNextMark));
    EXPECT_TRUE(AllIn(image, QRect(c3.x() + 5, c3.y() + 5, 5, 5), kLastMark));

    // The marks follow the settings.
    w.app.fShowLastMove = w.app.fShowValidMoves = false;
    w.app.UpdateAllDocuments(CTavoDoc::kHintOptions);
    image = Grab(looked);
    EXPECT_FALSE(AnyIn(image, QRect(30, 30, 320, 320), kLastMark));
    EXPECT_FALSE(AnyIn(image, QRect(30, 30, 320, 320), kLegalPen));
    w.app.fShowLastMove = w.app.fShowValidMoves = true;

    // A pass as the last move: no mark.
    CTavoDoc* passed = w.Look(GameOnBoard("amy", "bob", {{"A1", 'O'}, {"B1", '*'}, {"C2", 'O'}}));
    passed->Play(COsGame::Item(COsMove(), 0, 0));
    passed->OnGameChanged(*passed, CTavoDoc::kHintLoaded);
    EXPECT_FALSE(AnyIn(Grab(passed), QRect(30, 30, 320, 320), kLastMark));

    // The user's own game: a cross on the user's turn, a box on the opponent's.
    CTavoDoc* own = w.Join("1", MakeGame("alice", "bob"));
    image = Grab(own);
    const QPoint d3 = Corner("D3");
    EXPECT_EQ(At(image, d3.x() + 16, d3.y() + 16), kLegalPen);
    EXPECT_EQ(At(image, d3.x() + 20, d3.y() + 20), kLegalPen);
    EXPECT_EQ(At(image, d3.x() + 16, d3.y() + 24), kLegalPen);
    EXPECT_NE(At(image, d3.x() + 15, d3.y() + 20), kLegalPen);
    CTavoDoc* theirs = w.Join("2", MakeGame("alice", "bob", {"F5"}));
    image = Grab(theirs);
    const QPoint f6 = Corner("F6"); // legal for white after F5
    EXPECT_EQ(At(image, f6.x() + 15, f6.y() + 15), kLegalPen);
    EXPECT_EQ(At(image, f6.x() + 24, f6.y() + 24), kLegalPen);
    EXPECT_NE(At(image, f6.x() + 20, f6.y() + 20), kLegalPen);
    // A watched game: rings.
    CTavoDoc* watched = w.Join("3", MakeGame("carol", "dave"));
    image = Grab(watched);
    EXPECT_EQ(At(image, d3.x() + 15, d3.y() + 20), kLegalPen);
    EXPECT_NE(At(image, d3.x() + 15, d3.y() + 15), kLegalPen);
}

TEST(BoardPane, CrossesOnSquaresThatAreNotSquare)
{
    // On the 6 x 6 board the squares are 53 or 54 pixels each way: some are a pixel wider
    // than high or higher than wide, and their crosses are not at 45 degrees.
    PaneWindow w;
    CTavoDoc* doc = w.Join("1", MakeGame("alice", "bob", {}, "6"));
    ASSERT_NE(doc, nullptr);
    const QImage image = Grab(doc);
    const std::vector<COsMove> moves = doc->posCurrent.board.LegalMoves();
    ASSERT_FALSE(moves.empty());
    const auto edge = [](int k) { return 30 + k * 320 / 6; };
    int notSquare = 0;
    for (const COsMove& move : moves) {
        const QRect square(QPoint(edge(move.col), edge(move.row)), QPoint(edge(move.col + 1) - 1, edge(move.row + 1) - 1));
        notSquare += square.width() != square.height();
        // The box 3/8 in from each side; one line from its top left, one from its
        // bottom left, each to the opposite corner.
        const int l = square.left() + square.width() * 3 / 8;
        const int t = square.top() + square.height() * 3 / 8;
        const int r = square.left() + square.width() - square.width() * 3 / 8;
        const int b = square.top() + square.height() - square.height() * 3 / 8;
        std::set<std::pair<int, int>> cross = LinePixels(QPoint(l + 1, t + 1), QPoint(r, b));
        for (const auto& pixel : LinePixels(QPoint(l + 1, b - 1), QPoint(r, t)))
            cross.insert(pixel);
        std::set<std::pair<int, int>> shown;
        for (int y = square.top(); y <= square.bottom(); ++y)
            for (int x = square.left(); x <= square.right(); ++x)
                if (At(image, x, y) == kLegalPen)
                    shown.emplace(x, y);
        EXPECT_EQ(shown, cross) << square.width() << " x " << square.height();
    }
    EXPECT_GT(notSquare, 0);
}

TEST(BoardPane, Octagon)
{
    PaneWindow w;
    CTavoDoc* doc = w.Look(MakeGame("amy", "bob", {}, "88"));
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->posStart.board.bt.fOctagon);
    const QImage image = Grab(doc);
    // Squares of 32 pixels. The three cut squares of a corner: no board colour, no grid.
    EXPECT_EQ(At(image, 45, 45), kWhite);   // A1
    EXPECT_EQ(At(image, 77, 45), kWhite);   // B1
    EXPECT_EQ(At(image, 45, 77), kWhite);   // A2
    EXPECT_EQ(At(image, 77, 77), kGreen);   // B2
    EXPECT_EQ(At(image, 110, 45), kGreen);  // C1
    EXPECT_EQ(At(image, 334, 334), kWhite); // J10
    // The outer lines run from edge 2 to edge 8, the next ones from edge 1 to edge 9.
    EXPECT_EQ(At(image, 80, 30), kWhite);
    EXPECT_EQ(At(image, 94, 30), kBlack);
    EXPECT_EQ(At(image, 285, 30), kBlack);
    EXPECT_EQ(At(image, 287, 30), kWhite);
    EXPECT_EQ(At(image, 30, 80), kWhite);
    EXPECT_EQ(At(image, 30, 94), kBlack);
    EXPECT_EQ(At(image, 50, 62), kWhite);
    EXPECT_EQ(At(image, 70, 62), kBlack);
    EXPECT_EQ(At(image, 317, 62), kBlack);
    // The dots at the intersections 3 and 7.
    for (const int x : {126, 254})
        for (const int y : {126, 254})
            EXPECT_TRUE(AllIn(image, QRect(x - 2, y - 2, 5, 5), kBlack)) << x << "," << y;
    ExpectFrameLabels(image, 10);
}

TEST(BoardPane, StylesAndNothingBeforeAGame)
{
    PaneWindow w;
    // An empty game window (File, New): the background, and no board.
    Frame(w)->RouteCommand(ID_FILE_NEW);
    CTavoDoc* empty = dynamic_cast<CTavoDoc*>(w.app.pGameTemplate->GetDocuments().back().get());
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(AllIn(Grab(empty), QRect(0, 0, 385, 440), kWhite));

    // The "space" style: black background and board, green lines and text.
    CTavoDoc* doc = w.Look(MakeGame("amy", "bob"));
    Frame(w)->UpdateCommandUI();
    Frame(w)->GetCommandAction(ID_VIEW_THEME_SPACE)->trigger();
    const QImage image = Grab(doc);
    EXPECT_EQ(At(image, 5, 5), kBlack);
    EXPECT_EQ(At(image, 35, 35), kBlack);
    EXPECT_EQ(At(image, 70, 35), kNextMark);
    EXPECT_TRUE(AnyIn(image, QRect(42, 2, 17, 27), kNextMark)); // the letter A
}

TEST(BoardPane, ClicksPlayPassOrStep)
{
    PaneWindow w;
    // H1 is black's one move: a click on the board's last pixel column plays it.
    CTavoDoc* doc = w.Join("1", GameOnBoard("alice", "bob", {{"F1", '*'}, {"G1", 'O'}}));
    ASSERT_NE(doc, nullptr);
    CTavoView* view = ViewOf(doc);
    ClickAt(view, QPoint(350, 35)); // the frame, right of the board
    ClickAt(view, QPoint(385, 100)); // between the panes
    ClickAt(view, QPoint(30 + 279, 35)); // G1: not legal
    EXPECT_EQ(w.Sent(), "");
    ClickAt(view, QPoint(30 + 319, 35));
    EXPECT_EQ(w.Sent().rfind("t /os play 1 H1", 0), 0u);
    EXPECT_EQ(view->GetMoveIndex(), 1);
    // Until the server answers, and then on the opponent's turn, clicks send nothing.
    ClickAt(view, QPoint(30 + 319, 75));
    w.connection->Feed("/os: update 1 H1");
    ClickAt(view, QPoint(30 + 319, 75));
    EXPECT_EQ(w.Sent(), "");

    // With no move, a click anywhere on the board passes.
    CTavoDoc* pass = w.Join("2", GameOnBoard("alice", "bob", {{"A1", 'O'}, {"B1", '*'}}));
    ClickAt(ViewOf(pass), QPoint(300, 300));
    EXPECT_EQ(w.Sent().rfind("t /os play 2 PA", 0), 0u);

    // A finished game takes no move.
    COsGame over = MakeGame("alice", "bob");
    over.result.Set(64, CGGResult::kResigned);
    CTavoDoc* finished = w.Join("3", over);
    ClickAt(ViewOf(finished), SquareCentre(MoveFrom("D3")));
    EXPECT_EQ(w.Sent(), "");

    // In replay a click steps one move forward and sends nothing; the green mark shows
    // the move it will replay.
    CTavoDoc* game = w.Join("4", MakeGame("alice", "bob", {"F5", "D6"}));
    CTavoView* replay = ViewOf(game);
    replay->OnUpdate(nullptr, CTavoDoc::kHintStart, nullptr);
    const QPoint f5 = Corner("F5");
    EXPECT_TRUE(AllIn(Grab(game), QRect(f5.x() + 5, f5.y() + 5, 5, 5), kNextMark));
    ClickAt(replay, SquareCentre(MoveFrom("E6")));
    EXPECT_EQ(replay->GetMoveIndex(), 1);
    EXPECT_FALSE(replay->IsFollowing());
    ClickAt(replay, QPoint(100, 100));
    EXPECT_EQ(replay->GetMoveIndex(), 2);
    EXPECT_TRUE(replay->IsFollowing());
    EXPECT_EQ(w.Sent(), "");

    // The square under a point: x = 319 is column 7 of 8; on 6 x 6, 53 is column 0, 54
    // column 1.
    EXPECT_EQ(CPaneBoard::SquareAt(319, 0, 8).col, 7);
    EXPECT_EQ(CPaneBoard::SquareAt(53, 0, 6).col, 0);
    EXPECT_EQ(CPaneBoard::SquareAt(54, 0, 6).col, 1);
    EXPECT_EQ(CPaneBoard::SquareAt(0, 319, 8).row, 7);
}

TEST(BoardPane, KomiGameAsksForTheBid)
{
    PaneWindow w;
    CTavoDoc* doc = w.Join("1", MakeGame("alice", "bob", {}, "8k"));
    ASSERT_NE(doc, nullptr);
    CTavoView* view = ViewOf(doc);
    {
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) { ClickButton(d, IDCANCEL); });
        ClickAt(view, SquareCentre(MoveFrom("F5")));
        EXPECT_TRUE(driver.Done());
    }
    EXPECT_EQ(w.Sent(), "");
    {
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) {
            QLineEdit* edit = EditOf(d, IDC_KOMI);
            edit->clear();
            TypeText(edit, QStringLiteral("3.5"));
            ClickButton(d, IDOK);
        });
        ClickAt(view, SquareCentre(MoveFrom("F5")));
        EXPECT_TRUE(driver.Done());
    }
    EXPECT_EQ(w.Sent().rfind("t /os play 1 F5/3.50", 0), 0u);
    EXPECT_TRUE(doc->moves.empty()); // a bid is not played here
}

TEST(GameView, Replay)
{
    PaneWindow w;
    // A game with moves from a file: the start, not following; Forward steps move by
    // move and follows at the last; Back leaves following again.
    const COsGame game = MakeGame("amy", "bob", {"F5", "D6", "C3"});
    CTavoDoc* doc = w.Look(game);
    CTavoView* view = ViewOf(doc);
    EXPECT_EQ(view->GetMoveIndex(), 0);
    EXPECT_FALSE(view->IsFollowing());
    EXPECT_EQ(view->GetPosition().board.squares, game.posStart.board.squares);
    const auto enabled = [&](UINT id) {
        CCmdUI ui(id);
        Frame(w)->RouteCommand(id, &ui);
        return ui.m_bEnabled;
    };
    EXPECT_FALSE(enabled(ID_VIEW_BACK));
    EXPECT_TRUE(enabled(ID_VIEW_FORWARD));
    EXPECT_TRUE(enabled(ID_VIEW_START));
    EXPECT_TRUE(enabled(ID_VIEW_CURRENT));
    for (int i = 1; i <= 3; ++i) {
        Frame(w)->RouteCommand(ID_VIEW_FORWARD);
        EXPECT_EQ(view->GetMoveIndex(), i);
        EXPECT_EQ(view->IsFollowing(), i == 3);
        EXPECT_EQ(view->GetPosition().board.squares, game.GetPosition(size_t(i)).board.squares);
        EXPECT_EQ(view->GetPosition().clocks[1], game.GetPosition(size_t(i)).clocks[1]);
    }
    EXPECT_FALSE(enabled(ID_VIEW_FORWARD));
    Frame(w)->RouteCommand(ID_VIEW_FORWARD);
    view->OnUpdate(nullptr, CTavoDoc::kHintForward, nullptr); // a stray step: nothing
    EXPECT_EQ(view->GetMoveIndex(), 3);
    // Back, move by move, to the start: the board shows the start position again.
    for (int i = 2; i >= 0; --i) {
        Frame(w)->RouteCommand(ID_VIEW_BACK);
        EXPECT_EQ(view->GetMoveIndex(), i);
        EXPECT_FALSE(view->IsFollowing());
        EXPECT_EQ(view->GetPosition().board.squares, game.GetPosition(size_t(i)).board.squares);
    }
    const QImage start = Grab(doc);
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 8; ++col) {
            const char square = game.posStart.board.GetSquare(row, col);
            const QPoint centre = SquareCentre(COsMove(row, col));
            EXPECT_EQ(At(start, centre.x(), centre.y()),
                      square == COsBoard::kBlack ? kBlack : square == COsBoard::kWhite ? kWhite : kGreen)
                << row << "," << col;
        }
    EXPECT_FALSE(enabled(ID_VIEW_BACK));
    view->OnUpdate(nullptr, CTavoDoc::kHintBack, nullptr); // a stray step: nothing
    EXPECT_EQ(view->GetMoveIndex(), 0);
    Frame(w)->RouteCommand(ID_VIEW_CURRENT);
    EXPECT_EQ(view->GetMoveIndex(), 3);
    EXPECT_TRUE(view->IsFollowing());
    Frame(w)->RouteCommand(ID_VIEW_START);
    EXPECT_EQ(view->GetMoveIndex(), 0);
    EXPECT_FALSE(view->IsFollowing());

    // A file game without moves follows from the start.
    EXPECT_TRUE(ViewOf(w.Look(MakeGame("amy", "bob")))->IsFollowing());

    // A komi game: the first step charges the bid's time before the first move.
    COsGame komi = MakeGame("amy", "bob", {}, "8k");
    komi.komiMoves[0] = COsGame::Item(MoveFrom("F5"), 2, 30);
    komi.komiMoves[1] = COsGame::Item(MoveFrom("F5"), 3, 40);
    komi.Play(COsGame::Item(MoveFrom("F5"), 3, 40));
    komi.Play(COsGame::Item(MoveFrom("D6"), 0, 5));
    komi.UpdatePosition();
    CTavoView* komiView = ViewOf(w.Look(komi));
    komiView->OnUpdate(nullptr, CTavoDoc::kHintForward, nullptr);
    EXPECT_EQ(komiView->GetPosition().clocks[0], komi.GetPosition(1).clocks[0]);
    EXPECT_EQ(komiView->GetPosition().clocks[1], komi.GetPosition(1).clocks[1]);
    EXPECT_NE(komiView->GetPosition().clocks[0], komi.posStart.clocks[0]);
}

TEST(GameView, ReplayCommandsAtTheEdges)
{
    PaneWindow w;
    CTavoView* view = ViewOf(w.Look(MakeGame("amy", "bob", {"F5", "D6", "C3", "D3"})));
    CMainFrame* frame = Frame(w);
    // The replay buttons that the toolbar offers, and a click on one of them.
    const auto offered = [frame] {
        frame->UpdateCommandUI();
        std::string names;
        for (const auto& [id, name] : std::vector<std::pair<UINT, const char*>>{
                 {ID_VIEW_START, "Start"}, {ID_VIEW_BACK, "Back"}, {ID_VIEW_FORWARD, "Forward"},
                 {ID_VIEW_CURRENT, "Current"}})
            if (frame->GetCommandAction(id)->isEnabled())
                names += std::string(names.empty() ? "" : " ") + name;
        return names;
    };
    const auto click = [frame, view](UINT id) {
        frame->GetCommandAction(id)->trigger();
        return view->GetMoveIndex();
    };
    // At the start, one move in, one move short of the end and at the end.
    EXPECT_EQ(offered(), "Start Forward Current");
    EXPECT_EQ(click(ID_VIEW_FORWARD), 1);
    EXPECT_EQ(offered(), "Start Back Forward Current");
    EXPECT_EQ(click(ID_VIEW_BACK), 0);
    EXPECT_EQ(click(ID_VIEW_CURRENT), 4);
    EXPECT_EQ(offered(), "Start Back Current");
    EXPECT_EQ(click(ID_VIEW_BACK), 3);
    EXPECT_EQ(offered(), "Start Back Forward Current");
    EXPECT_EQ(click(ID_VIEW_FORWARD), 4);
    EXPECT_EQ(click(ID_VIEW_START), 0);
    EXPECT_EQ(offered(), "Start Forward Current");
}

TEST(GameView, EachHintRepaintsItsPanes)
{
    PaneWindow w;
    // A game from a file: its clocks stand still, so the idle hint has nothing to show.
    CTavoDoc* doc = w.Look(MakeGame("amy", "bob", {"F5", "D6", "C3"}));
    ASSERT_NE(doc, nullptr);
    // A point of each part of the window where the style's colours show.
    const std::vector<std::pair<std::string, QPoint>> parts = {{"board", QPoint(32, 32)},
                                                               {"position", QPoint(170, 381)},
                                                               {"players", QPoint(180, 407)},
                                                               {"frame", QPoint(5, 5)},
                                                               {"ground", QPoint(385, 100)}};
    const std::vector<std::string> repaints = {
        "",                                      // 0 idle
        "board position players ",               // 1 loaded
        "board position players ",               // 2 joined
        "board position players ",               // 3 a move
        "players ",                              // 4 the echo of the user's move
        "position players ",                     // 5 ended
        "",                                      // 6 comments
        "board players ",                        // 7 display options
        "board position players frame ground ",  // 8 style
        "board position ",                       // 9 detached
        "board position players ",               // 10 start
        "board position players ",               // 11 back
        "board position players ",               // 12 forward
        "board position players ",               // 13 current
    };
    const auto letPaint = [] { ProcessPendingEvents(); };
    for (int hint = CTavoDoc::kHintIdle; hint <= CTavoDoc::kHintLast; ++hint) {
        // At the end of the game, with what the hint needs: a move to add, a move to step
        // forward to; the clocks as the player line last showed them.
        Frame(w)->RouteCommand(ID_VIEW_CURRENT);
        if (hint == CTavoDoc::kHintMove)
            doc->Play(COsGame::Item(doc->posCurrent.board.LegalMoves().front(), 0, 1));
        if (hint == CTavoDoc::kHintForward)
            Frame(w)->RouteCommand(ID_VIEW_BACK);
        doc->UpdateAllViews(nullptr, CTavoDoc::kHintIdle);
        // The whole window shown in "standard"; then "space" is chosen behind its back, so
        // that what the hint repaints shows in black.
        w.app.pBoardStyle = &CBoardStyle::standard;
        ViewOf(doc)->update();
        letPaint();
        w.app.pBoardStyle = &CBoardStyle::space;
        doc->UpdateAllViews(nullptr, hint);
        letPaint();
        const QImage shown = OnScreen(doc);
        std::string repainted;
        for (const auto& part : parts)
            if (At(shown, part.second.x(), part.second.y()) == kBlack)
                repainted += part.first + " ";
        EXPECT_EQ(repainted, repaints[size_t(hint)]) << "hint " << hint;
    }
}

TEST(GameView, EachViewReplaysOnItsOwn)
{
    PaneWindow w;
    CTavoDoc* doc = w.Join("1", MakeGame("alice", "bob", {"F5", "D6"}));
    ASSERT_NE(doc, nullptr);
    CTavoView* first = ViewOf(doc);
    // The framework's New Window: a second view of the game.
    Frame(w)->RouteCommand(ID_WINDOW_NEW);
    ASSERT_EQ(doc->GetViews().size(), 2u);
    auto* second = dynamic_cast<CTavoView*>(doc->GetViews().back());
    ASSERT_NE(second, nullptr);
    // It starts at the start of the game, as every new view does.
    EXPECT_FALSE(second->IsFollowing());
    EXPECT_EQ(second->GetMoveIndex(), 0);

    // The replay commands go to the active view only.
    ASSERT_EQ(Frame(w)->GetActiveView(), second);
    Frame(w)->RouteCommand(ID_VIEW_CURRENT);
    EXPECT_TRUE(second->IsFollowing());
    EXPECT_EQ(second->GetMoveIndex(), 2);
    Frame(w)->RouteCommand(ID_VIEW_BACK);
    EXPECT_EQ(second->GetMoveIndex(), 1);
    EXPECT_EQ(first->GetMoveIndex(), 2);

    // A new move of the server steps the view that follows, not the replaying one.
    w.connection->Feed("/os: update 1 C3");
    EXPECT_EQ(first->GetMoveIndex(), 3);
    EXPECT_EQ(second->GetMoveIndex(), 1);
    EXPECT_EQ(first->GetPosition().board.squares, doc->posCurrent.board.squares);

    // The user's move steps once; its echo refreshes without stepping again.
    doc->SendMove(MoveFrom("B3"), 0);
    ASSERT_EQ(doc->moves.size(), 4u);
    EXPECT_EQ(first->GetMoveIndex(), 4);
    w.connection->Feed("/os: update 1 B3//4.00");
    EXPECT_EQ(first->GetMoveIndex(), 4);
    EXPECT_EQ(first->GetPosition().clocks[0], doc->posCurrent.clocks[0]);

    // Closing one of the windows leaves the game open in the other.
    second->GetParentFrame()->close();
    ProcessEventsUntil([&] { return doc->GetViews().size() == 1; });
    EXPECT_EQ(w.connection->Service()->FindPane("1"), doc);
    EXPECT_EQ(w.Sent().rfind("t /os play 1 B3", 0), 0u);
}

TEST(GameView, FirstWindowOpensMaximised)
{
    PaneWindow w;
    CTavoDoc* first = w.Look(MakeGame("amy", "bob"));
    EXPECT_TRUE(ViewOf(first)->GetParentFrame()->isMaximized());
    CTavoDoc* second = w.Look(MakeGame("amy", "bob"));
    EXPECT_TRUE(ViewOf(second)->GetParentFrame()->isMaximized());
    // A new window follows the active one's state.
    ViewOf(second)->GetParentFrame()->showNormal();
    CTavoDoc* third = w.Look(MakeGame("amy", "bob"));
    EXPECT_FALSE(ViewOf(third)->GetParentFrame()->isMaximized());
    EXPECT_EQ(Frame(w)->MDIArea()->currentSubWindow(), ViewOf(third)->GetParentFrame());
}

TEST(PaneTree, ClicksFindTheirPane)
{
    TestHome();
    QWidget owner;
    ClickPane root(&owner, nullptr, 0, 0, 10000, 10000);
    auto* frame = static_cast<ClickPane*>(root.AddChild(std::make_unique<ClickPane>(&owner, &root, 0, 0, 380, 380)));
    auto* board = static_cast<ClickPane*>(frame->AddChild(std::make_unique<ClickPane>(&owner, frame, 30, 30, 350, 350)));
    auto* list = static_cast<ClickPane*>(root.AddChild(std::make_unique<ClickPane>(&owner, &root, 390, 30, 595, 180)));

    // A board square, in the board's own coordinates.
    root.OnClick(0, 100, 50);
    EXPECT_EQ(board->clicks, (std::vector<std::pair<int, int>>{{70, 20}}));
    root.OnClick(0, 30, 30); // the left and top edges are in
    EXPECT_EQ(board->clicks.back(), std::make_pair(0, 0));
    root.OnClick(0, 350, 100); // the right edge is out: the frame
    EXPECT_EQ(frame->clicks, (std::vector<std::pair<int, int>>{{350, 100}}));
    root.OnClick(0, 385, 100); // between the panes: the root
    EXPECT_EQ(root.clicks, (std::vector<std::pair<int, int>>{{385, 100}}));
    root.OnClick(0, 390, 30);
    EXPECT_EQ(list->clicks, (std::vector<std::pair<int, int>>{{0, 0}}));
    // Where siblings overlap, the later one (painted over the earlier) takes the click.
    auto* over = static_cast<ClickPane*>(root.AddChild(std::make_unique<ClickPane>(&owner, &root, 300, 20, 500, 60)));
    root.OnClick(0, 400, 40);
    EXPECT_EQ(over->clicks, (std::vector<std::pair<int, int>>{{100, 20}}));
    EXPECT_EQ(list->clicks.size(), 1u);

    // Window rectangles and repainting.
    EXPECT_EQ(board->GetWindowRect(), CRect(30, 30, 350, 350));
    EXPECT_EQ(board->GetOrigin(), CPoint(30, 30));
    PaintedArea view;
    view.resize(600, 440);
    view.show();
    ProcessPendingEvents();
    CPane moves(&view, &root, 390, 30, 595, 180);
    view.painted = QRect();
    moves.Invalidate(FALSE, TRUE);
    ProcessEventsUntil([&] { return !view.painted.isNull(); }, std::chrono::milliseconds(2000));
    EXPECT_EQ(CRect(view.painted), CRect(391, 31, 594, 179));
}

TEST(PaneTree, Discs)
{
    TestHome();
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::green);
    QWidget owner;
    CPaneGame pane(&owner, nullptr, 0, 0, 40, 40);
    {
        QPainter painter(&image);
        CDC dc(&painter);
        pane.DrawDisc(&dc, '-', CRect(0, 0, 40, 40));
    }
    EXPECT_TRUE(AllIn(image, QRect(0, 0, 40, 40), 0xFF00FF00));
    {
        QPainter painter(&image);
        CDC dc(&painter);
        pane.DrawDisc(&dc, 'O', CRect(0, 0, 40, 40));
    }
    EXPECT_EQ(At(image, 0, 20), kBlack);  // the outline over the whole rectangle
    EXPECT_EQ(At(image, 20, 0), kBlack);
    EXPECT_EQ(At(image, 3, 20), kWhite);
    EXPECT_EQ(At(image, 6, 20), kBlack);  // the ring, 6 pixels in
    EXPECT_EQ(At(image, 20, 20), kWhite);
    EXPECT_EQ(At(image, 1, 1), 0xFF00FF00);
}

// The two lines under the board: the position's status and counts, and the players with
// their clocks, as a grabbed window shows them.
#include "PaneTestSupport.h"

#include "PaneMain.h"
#include "PanePlayerInfo.h"
#include "PanePositionInfo.h"
#include "mfc/Frame.h"
#include "res/Resource.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kGrey = 0xFF808080;
constexpr QRgb kGreen = 0xFF008000;      // the board of "standard" and "wood"
constexpr QRgb kSpaceGreen = 0xFF00FF00; // the lines and text of "space"
constexpr QRgb kRed = 0xFFFF0000;

// The panes' rectangles in the window.
const QRect kPosition(30, 380, 320, 20);
const QRect kPlayers(30, 405, 320, 25);
// The middle of a row's disc whose square starts at x in the pane.
QPoint PositionDisc(int x) { return QPoint(30 + x + 8, 390); }
QPoint PlayerDisc(int x) { return QPoint(30 + x + 8, 417); }
// Where a player's clock and login stand: black's on the left, white's on the right.
const QRect kBlackText(30 + 25, 406, 130, 23);
const QRect kWhiteText(30 + 160 + 20, 406, 135, 23);

// The clock of the running game is charged from this many milliseconds ago.
void SetLastUpdate(CTavoDoc* doc, DWORD millisecondsAgo)
{
    struct Access : CTavoDoc {
        static DWORD CGameLive::*Tick() { return &Access::m_dwTick; }
    };
    doc->*Access::Tick() = GetTickCount() - millisecondsAgo;
}

// Where a row's disc and text stand in a pane of the given height, from the 12-point
// font: h is the capitals' height (ascent less internal leading) and q a quarter of it;
// the disc is a square of h + 2q, the text starts q right of it, and both are centred on
// the pane's height.
struct Row {
    int side;
    int gap;
    int discTop;
    int textTop;
};
Row RowIn(int paneHeight)
{
    CFont font;
    font.CreatePointFont(120, "Arial");
    const QFontMetrics metrics(font.GetQFont());
    const int leading = metrics.height() - QFontInfo(font.GetQFont()).pixelSize();
    const int h = metrics.ascent() - leading;
    const int q = h / 4;
    return {h + 2 * q, q, (paneHeight - (h + 2 * q)) / 2, (paneHeight - h) / 2 - leading};
}

// The smallest rectangle that holds every pixel of the area unlike the background.
QRect InkIn(const QImage& image, const QRect& area, QRgb background)
{
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (At(image, x, y) != background)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// A row of a pane (its rectangle in the window; the player pane's outline left out):
// the disc in its square at x (a white disc's black outline and the empty squares' box
// fill the square; a black disc's white outline does not show on the white ground), then
// the text in its place.
void ExpectRow(const QImage& image, const QRect& pane, bool outline, int x, char disc, const QString& text,
               int textWidth)
{
    const Row row = RowIn(pane.height());
    const QRect square(pane.left() + x, pane.top() + row.discTop, row.side, row.side);
    const QRect band = QRect(square.left(), pane.top(), row.side, pane.height()).adjusted(0, outline, 0, -outline);
    EXPECT_EQ(InkIn(image, band, kWhite), disc == '*' ? square.adjusted(1, 1, -1, -1) : square) << x;
    const QRect area(square.right() + 1, band.top(), row.gap + textWidth, band.height());
    const QPoint anchor(square.right() + 1 + row.gap, pane.top() + row.textTop);
    EXPECT_EQ(ReadText(image, area, 120, TA_LEFT | TA_TOP, anchor, {text}).differences, 0) << text.toStdString();
}

QImage Part(const QImage& image, const QRect& area)
{
    return image.copy(area);
}

COsGame WithClocks(COsGame game, const CGGClock& white, const CGGClock& black)
{
    game.posStart.clocks[0] = white;
    game.posStart.clocks[1] = black;
    game.UpdatePosition();
    return game;
}

} // namespace

TEST(PlayerPane, ClockText)
{
    EXPECT_EQ(CPanePlayerInfo::FormatClock(905.7), "15:05");
    EXPECT_EQ(CPanePlayerInfo::FormatClock(59), "00:59");
    EXPECT_EQ(CPanePlayerInfo::FormatClock(59.999), "00:59");
    EXPECT_EQ(CPanePlayerInfo::FormatClock(0), "00:00");
    EXPECT_EQ(CPanePlayerInfo::FormatClock(6000), "100:00");
    // Times a server may send that fit no int are held at its limits, not wrapped.
    EXPECT_EQ(CPanePlayerInfo::FormatClock(1e300), "35791394:07");
    EXPECT_EQ(CPanePlayerInfo::FormatClock(std::numeric_limits<double>::quiet_NaN()), "00:00");
}

TEST(PlayerPane, DiscsClocksAndLogins)
{
    PaneWindow w;
    CTavoDoc* doc = w.Look(MakeGame("amy", "bob", {"F5"}));
    ViewOf(doc)->OnUpdate(nullptr, CTavoDoc::kHintCurrent, nullptr);
    QImage image = Grab(doc);
    // Black's disc at x = 5, white's at the middle of the pane; the outline in the
    // style's frame colour inside the background.
    EXPECT_EQ(At(image, PlayerDisc(5).x(), PlayerDisc(5).y()), kBlack);
    EXPECT_EQ(At(image, PlayerDisc(160).x(), PlayerDisc(160).y()), kWhite);
    EXPECT_TRUE(AllIn(image, QRect(30, 405, 320, 1), kBlack));
    EXPECT_TRUE(AllIn(image, QRect(30, 429, 320, 1), kBlack));
    EXPECT_TRUE(AllIn(image, QRect(349, 405, 1, 25), kBlack));
    EXPECT_EQ(At(image, 31, 406), kWhite);
    EXPECT_EQ(At(image, 29, 417), kWhite);
    // Each row centred on the pane's height.
    ExpectRow(image, kPlayers, true, 5, '*', QStringLiteral("14:59 amy"), 120);
    ExpectRow(image, kPlayers, true, 160, 'O', QStringLiteral("15:00 bob"), 130);
    EXPECT_FALSE(AnyIn(image, QRect(kPlayers), kRed));

    // The clock in whole seconds: 905.7 s shows as 15:05.
    image = Grab(w.Look(WithClocks(MakeGame("amy", "bob"), CGGClock(905.7, 0, 120, CGGClock::kRunning),
                                   CGGClock(900, 0, 120, CGGClock::kRunning))));
    ExpectRow(image, kPlayers, true, 160, 'O', QStringLiteral("15:05 bob"), 130);
}

TEST(PlayerPane, FlaggedClocksAreRed)
{
    PaneWindow w;
    // Black in its extension, white running: black's line is red, white's is not.
    CTavoDoc* doc = w.Look(WithClocks(MakeGame("amy", "bob"), CGGClock(300, 0, 120, CGGClock::kRunning),
                                      CGGClock(100, 0, 0, CGGClock::kInExtension)));
    QImage image = Grab(doc);
    EXPECT_TRUE(AnyIn(image, kBlackText, kRed));
    EXPECT_FALSE(AnyIn(image, kBlackText, kBlack));
    EXPECT_FALSE(AnyIn(image, kWhiteText, kRed));
    EXPECT_TRUE(AnyIn(image, kWhiteText, kBlack));

    // Out of time is red as well, in every style.
    CTavoDoc* out = w.Look(WithClocks(MakeGame("amy", "bob"), CGGClock(0, 0, 0, CGGClock::kOutOfTime),
                                      CGGClock(100, 0, 0, CGGClock::kRunning)));
    w.SetStyle(&CBoardStyle::space);
    image = Grab(out);
    EXPECT_TRUE(AnyIn(image, kWhiteText, kRed));
    EXPECT_FALSE(AnyIn(image, kWhiteText, kSpaceGreen));
    EXPECT_TRUE(AnyIn(image, kBlackText, kSpaceGreen));
    EXPECT_FALSE(AnyIn(image, kBlackText, kRed));
}

TEST(PlayerPane, LongLoginsEndAtTheirHalf)
{
    PaneWindow w;
    const auto shown = [&w](const std::string& black, const std::string& white) {
        CTavoDoc* doc = w.Look(MakeGame(black, white, {"F5"}));
        ViewOf(doc)->OnUpdate(nullptr, CTavoDoc::kHintCurrent, nullptr);
        return Grab(doc);
    };
    const QImage image = shown("amy", "bob");
    // Black's leaves white's disc, clock and login as they were; white's leaves the
    // outline and what lies beyond it.
    const QRect whiteHalf(30 + 160, 406, 160, 23);
    const QRect beyond(30 + 319, 405, 40, 25);
    const QImage longBlack = shown("Kortendijk_Albert", "bob");
    EXPECT_NE(Part(longBlack, kBlackText), Part(image, kBlackText));
    EXPECT_EQ(Part(longBlack, whiteHalf), Part(image, whiteHalf));
    EXPECT_EQ(Part(shown("amy", "Kortendijk_Albert"), beyond), Part(image, beyond));
}

TEST(PlayerPane, KomiGameDiscsAreGreyAtTheStart)
{
    PaneWindow w;
    COsGame komi = MakeGame("amy", "bob", {}, "8k");
    komi.komiMoves[0] = COsGame::Item(MoveFrom("F5"), 2, 30);
    komi.komiMoves[1] = COsGame::Item(MoveFrom("F5"), 3, 40);
    komi.Play(COsGame::Item(MoveFrom("F5"), 3, 40));
    komi.UpdatePosition();
    CTavoDoc* doc = w.Look(komi);
    QImage image = Grab(doc);
    EXPECT_EQ(At(image, PlayerDisc(5).x(), PlayerDisc(5).y()), kGrey);
    EXPECT_EQ(At(image, PlayerDisc(160).x(), PlayerDisc(160).y()), kGrey);
    ViewOf(doc)->OnUpdate(nullptr, CTavoDoc::kHintForward, nullptr);
    image = Grab(doc);
    EXPECT_EQ(At(image, PlayerDisc(5).x(), PlayerDisc(5).y()), kBlack);
    EXPECT_EQ(At(image, PlayerDisc(160).x(), PlayerDisc(160).y()), kWhite);

    // Any other game at its start has its colours.
    image = Grab(w.Look(MakeGame("amy", "bob", {"F5"})));
    EXPECT_EQ(At(image, PlayerDisc(5).x(), PlayerDisc(5).y()), kBlack);
}

TEST(PlayerPane, LiveClocksRunOnlyWhileFollowing)
{
    PaneWindow w;
    // A watched game, black to move.
    CTavoDoc* doc = w.Join("1", MakeGame("carol", "dave", {"F5", "D6"}));
    ASSERT_NE(doc, nullptr);
    CTavoView* view = ViewOf(doc);
    const QImage fresh = Grab(doc);
    const DWORD minuteOn = GetTickCount();
    SetLastUpdate(doc, 61000);
    const QImage later = Grab(doc);
    // Black's clock has run down a minute; white's stands.
    EXPECT_NE(Part(later, kBlackText), Part(fresh, kBlackText));
    EXPECT_EQ(Part(later, kWhiteText), Part(fresh, kWhiteText));
    CGGClock clocks[2];
    auto* pane = view->GetRootPane()->FindPane<CPanePlayerInfo>();
    ASSERT_NE(pane, nullptr);
    pane->GetClocks(clocks);
    const double since = CGameLive::ElapsedSeconds(minuteOn, GetTickCount());
    EXPECT_LE(clocks[1].timeLeft, doc->posCurrent.clocks[1].timeLeft - 61);
    EXPECT_GE(clocks[1].timeLeft, doc->posCurrent.clocks[1].timeLeft - 61 - since);
    EXPECT_EQ(clocks[0], doc->posCurrent.clocks[0]);

    // In replay the clocks are those stored with the position shown; they do not run.
    view->OnUpdate(nullptr, CTavoDoc::kHintBack, nullptr);
    pane->GetClocks(clocks);
    EXPECT_EQ(clocks[0], doc->GetPosition(1).clocks[0]);
    EXPECT_EQ(clocks[1], doc->GetPosition(1).clocks[1]);
    const QImage replay = Grab(doc);
    SetLastUpdate(doc, 200000);
    EXPECT_EQ(Part(Grab(doc), kPlayers), Part(replay, kPlayers));

    // Back at the live end they run again; a detached game's clocks stand.
    view->OnUpdate(nullptr, CTavoDoc::kHintCurrent, nullptr);
    EXPECT_NE(Part(Grab(doc), kBlackText), Part(fresh, kBlackText));
    doc->Detach();
    const QImage detached = Grab(doc);
    SetLastUpdate(doc, 300000);
    EXPECT_EQ(Part(Grab(doc), kPlayers), Part(detached, kPlayers));
}

TEST(PlayerPane, IdleRepaintsOnlyWhenASecondChanged)
{
    PaneWindow w;
    CTavoDoc* doc = w.Join("1", MakeGame("carol", "dave", {"F5"}));
    ASSERT_NE(doc, nullptr);
    CTavoView* view = ViewOf(doc);
    PaintRecorder paints(view);
    // The first idle pass notes the clocks (and repaints them).
    SetLastUpdate(doc, 200);
    w.app.UpdateAllDocuments(CTavoDoc::kHintIdle);
    paints.Take();

    // Within the same second nothing is repainted, however often the idle pass runs.
    for (const DWORD ago : {250, 350, 450, 550}) {
        SetLastUpdate(doc, ago);
        w.app.UpdateAllDocuments(CTavoDoc::kHintIdle);
    }
    EXPECT_TRUE(paints.Take().isEmpty());

    // A whole second later the player pane, and only its inside, is repainted once.
    SetLastUpdate(doc, 1200);
    w.app.UpdateAllDocuments(CTavoDoc::kHintIdle);
    w.app.UpdateAllDocuments(CTavoDoc::kHintIdle);
    EXPECT_EQ(paints.Take(), QRegion(31, 406, 318, 23));

    // A clock that changes its state (into the extension) repaints as well.
    SetLastUpdate(doc, 900500);
    w.app.UpdateAllDocuments(CTavoDoc::kHintIdle);
    EXPECT_EQ(paints.Take(), QRegion(31, 406, 318, 23));
    w.app.UpdateAllDocuments(CTavoDoc::kHintIdle);
    EXPECT_TRUE(paints.Take().isEmpty());

    // A file game's clocks never run: the idle pass repaints nothing.
    CTavoDoc* file = w.Look(MakeGame("amy", "bob", {"F5"}));
    PaintRecorder filePaints(ViewOf(file));
    w.app.UpdateAllDocuments(CTavoDoc::kHintIdle);
    filePaints.Take();
    SetLastUpdate(file, 5000);
    w.app.UpdateAllDocuments(CTavoDoc::kHintIdle);
    EXPECT_TRUE(filePaints.Take().isEmpty());
}

TEST(PositionPane, StatusOfThePosition)
{
    PaneWindow w;
    const auto status = [](CTavoDoc* doc) {
        auto* pane = ViewOf(doc)->GetRootPane()->FindPane<CPanePositionInfo>();
        char disc = 0;
        std::string text;
        if (pane)
            pane->GetStatus(disc, text);
        return std::string(1, disc) + " " + text;
    };
    // The side to move; black without a move while white has one must pass.
    CTavoDoc* start = w.Join("1", MakeGame("alice", "bob"));
    EXPECT_EQ(status(start), "* to move");
    EXPECT_EQ(status(w.Join("2", MakeGame("alice", "bob", {"F5"}))), "O to move");
    COsGame pass = MakeGame("alice", "bob");
    pass.posStart.board.SetEmpty(pass.matchType.bt);
    pass.posStart.board.Set(0, 0, 'O');
    pass.posStart.board.Set(0, 1, '*');
    pass.UpdatePosition();
    EXPECT_EQ(status(w.Join("3", pass)), "* must pass");

    // A finished game shows its result only at its end: a looked-at game opens at its
    // start.
    COsGame adjourned = MakeGame("alice", "bob", {"F5", "D6"});
    adjourned.result.Set(0, CGGResult::kAdjourned);
    CTavoDoc* doc = w.Look(adjourned);
    EXPECT_EQ(status(doc), "* to move");
    ViewOf(doc)->OnUpdate(nullptr, CTavoDoc::kHintCurrent, nullptr);
    EXPECT_EQ(status(doc), "? Game adjourned");
    ViewOf(doc)->OnUpdate(nullptr, CTavoDoc::kHintBack, nullptr);
    EXPECT_EQ(status(doc), "O to move");

    // The end of a game by its result: the winner's disc, or grey.
    const auto atEnd = [&](double score, int kind) {
        COsGame game = MakeGame("alice", "bob", {"F5", "D6"});
        game.result.Set(score, kind);
        CTavoDoc* d = w.Look(game);
        ViewOf(d)->OnUpdate(nullptr, CTavoDoc::kHintCurrent, nullptr);
        return status(d);
    };
    EXPECT_EQ(atEnd(0, CGGResult::kAborted), "? Game aborted");
    EXPECT_EQ(atEnd(12, CGGResult::kOverOnBoard), "* wins by 12");
    EXPECT_EQ(atEnd(-64, CGGResult::kResigned), "O wins by 64 (resign)");
    EXPECT_EQ(atEnd(0, CGGResult::kAgreed), "? draw (agreed)");
    EXPECT_EQ(atEnd(0, CGGResult::kScore), "? draw");
    EXPECT_EQ(atEnd(-3, CGGResult::kTimeout), "O wins by 3 (time)");
    EXPECT_EQ(atEnd(5.9, CGGResult::kScore), "* wins by 5");
    EXPECT_EQ(atEnd(0.5, CGGResult::kScore), "* wins by 0");
    EXPECT_EQ(atEnd(-1e300, CGGResult::kScore), "O wins by 2147483647");
}

TEST(PositionPane, DiscsCountsAndTheEmptyBox)
{
    PaneWindow w;
    // Nothing is drawn before a game is loaded (File, New).
    w.app.GetMainWnd()->RouteCommand(ID_FILE_NEW);
    auto* empty = dynamic_cast<CTavoDoc*>(w.app.pGameTemplate->GetDocuments().back().get());
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(AllIn(Grab(empty), QRect(0, 380, 385, 60), kWhite));

    // White to move after F5: 4 black discs, 1 white, 59 empty.
    CTavoDoc* doc = w.Join("1", MakeGame("carol", "dave", {"F5"}));
    QImage image = Grab(doc);
    EXPECT_EQ(At(image, PositionDisc(0).x(), PositionDisc(0).y()), kWhite);
    EXPECT_EQ(At(image, PositionDisc(160).x(), PositionDisc(160).y()), kBlack);
    EXPECT_EQ(At(image, PositionDisc(213).x(), PositionDisc(213).y()), kWhite);
    // Each row centred on the pane's height: the status, then the counts.
    ExpectRow(image, kPosition, false, 0, 'O', QStringLiteral("to move"), 120);
    ExpectRow(image, kPosition, false, 160, '*', QStringLiteral("4"), 25);
    ExpectRow(image, kPosition, false, 213, 'O', QStringLiteral("1"), 25);
    ExpectRow(image, kPosition, false, 266, '-', QStringLiteral("59"), 25);
    // A finished game's grey disc: a draw.
    COsGame draw = MakeGame("carol", "dave", {"F5"});
    draw.result.Set(0, CGGResult::kAgreed);
    image = Grab(w.Join("2", draw));
    EXPECT_EQ(At(image, PositionDisc(0).x(), PositionDisc(0).y()), kGrey);

    // The empty squares' box: its left column, found on the row through the middle, and
    // its top row from there.
    const auto box = [](const QImage& shot, QRgb edge) {
        int left = 30 + CPanePositionInfo::kEmptyX;
        while (left < 350 && At(shot, left, 390) != edge)
            ++left;
        int top = 390;
        while (top > 380 && At(shot, left, top - 1) == edge)
            --top;
        int right = left;
        while (right < 350 && At(shot, right + 1, top) == edge)
            ++right;
        int bottom = 390;
        while (bottom < 400 && At(shot, left, bottom + 1) == edge)
            ++bottom;
        return QRect(QPoint(left, top), QPoint(right, bottom));
    };
    // "standard": a green box without an outline.
    image = Grab(doc);
    QRect area = box(image, kGreen);
    EXPECT_TRUE(AllIn(image, area, kGreen));
    EXPECT_EQ(At(image, area.left() - 1, 390), kWhite);
    // "wood": the same box on the wood's brown.
    w.SetStyle(&CBoardStyle::wood);
    image = Grab(doc);
    EXPECT_EQ(box(image, kGreen), area);
    EXPECT_TRUE(AllIn(image, area, kGreen));
    // "space": black on black inside a green outline; the counts in green.
    w.SetStyle(&CBoardStyle::space);
    image = Grab(doc);
    EXPECT_EQ(box(image, kSpaceGreen), area);
    EXPECT_TRUE(AllIn(image, QRect(area.left(), area.top(), area.width(), 1), kSpaceGreen));
    EXPECT_TRUE(AllIn(image, QRect(area.left(), area.bottom(), area.width(), 1), kSpaceGreen));
    EXPECT_TRUE(AllIn(image, QRect(area.right(), area.top(), 1, area.height()), kSpaceGreen));
    EXPECT_TRUE(AllIn(image, area.adjusted(1, 1, -1, -1), kBlack));
    EXPECT_TRUE(AnyIn(image, QRect(area.right() + 1, 381, 30, 18), kSpaceGreen)); // "59"
    // The player pane in "space": its outline green, black inside.
    EXPECT_TRUE(AllIn(image, QRect(30, 405, 320, 1), kSpaceGreen));
    EXPECT_EQ(At(image, 32, 407), kBlack);
}

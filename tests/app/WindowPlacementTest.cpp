// Where the client's modeless windows open and whether they take the keyboard: the
// windows that the server's texts open (talk, "/os", the console, who, matches) leave the
// focus where the user is and the game boards in view; the windows that the user's
// commands open come up as the active window.
// The kit clients of the stand-in's own tests, before the client's test support.
#include "../net/MatchSupport.h"

#include "GameTestSupport.h"
#include "TalkSupport.h"

#include "DialogOsGames.h"
#include "DialogOsTop.h"
#include "PaneComments.h"
#include "PaneMain.h"
#include "WindowPlacement.h"
#include "mfc/Frame.h"
#include "res/Resource.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

// Failing checks print a point as its coordinates.
static void PrintTo(const QPoint& point, std::ostream* os)
{
    *os << "(" << point.x() << ", " << point.y() << ")";
}

namespace {

std::string Text(const QRect& rect)
{
    return "(" + std::to_string(rect.x()) + ", " + std::to_string(rect.y()) + " " + std::to_string(rect.width())
           + "x" + std::to_string(rect.height()) + ")";
}

// The offscreen platform makes every window that it shows the active one; a window
// manager does not when the window asks to be shown without activation
// (Qt::WA_ShowWithoutActivating). While this lives, the activation that such a showing
// brings is handed straight back to the window that was active, as the window manager
// leaves it there; an activation asked for afterwards (activateWindow) still follows.
class WindowManager : public QObject {
public:
    WindowManager() { qApp->installEventFilter(this); }
    ~WindowManager() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* object, QEvent* e) override
    {
        // Sent once the platform has been told to show the window, which has queued its
        // activation: the one queued here comes after it.
        auto* widget = qobject_cast<QWidget*>(object);
        if (e->type() == QEvent::ShowToParent && widget && widget->isWindow()
            && widget->testAttribute(Qt::WA_ShowWithoutActivating)) {
            QWidget* active = QApplication::activeWindow();
            if (active && active != widget && active->windowHandle())
                active->windowHandle()->requestActivate();
        }
        return false;
    }
};

constexpr int kBoardFrame = 380;

// The board and its frame in a game window, in screen coordinates.
QRect BoardOf(CTavoDoc* doc)
{
    return QRect(ViewOf(doc)->mapToGlobal(QPoint(0, 0)), QSize(kBoardFrame, kBoardFrame));
}

QLineEdit* CommentInputOf(CTavoDoc* doc)
{
    CPaneCommentsIn* pane = ViewOf(doc)->GetRootPane()->m_pCommentsIn;
    return pane ? qobject_cast<QLineEdit*>(pane->GetWindow()) : nullptr;
}

// Makes the widget's window the active one with the focus in the widget (a window: the
// window active).
bool Focus(QWidget* widget)
{
    widget->window()->activateWindow();
    if (!widget->isWindow())
        widget->setFocus();
    return ProcessEventsUntil([&] {
        return QApplication::activeWindow() == widget->window()
               && (widget->isWindow() || QApplication::focusWidget() == widget);
    });
}

// The user's window keeps the keyboard: once everything due has been handled, it is still
// the active window with the focus in the same widget.
::testing::AssertionResult KeepsTheKeyboard(QWidget* widget)
{
    // An activation that should not come is due at once: the window system's events
    // queued by a showing or an activation, and what handling them posts.
    const QWidget* expected = widget->window();
    ProcessPendingEvents();
    if (QApplication::activeWindow() != expected)
        return ::testing::AssertionFailure()
               << "active: " << (QApplication::activeWindow() ? ToStd(QApplication::activeWindow()->windowTitle())
                                                              : std::string("none"));
    if (QApplication::focusWidget() != widget)
        return ::testing::AssertionFailure() << "the focus moved";
    return ::testing::AssertionSuccess();
}

// The window becomes the active one, the focus in it.
bool Activated(QWidget* window)
{
    return ProcessEventsUntil([&] {
        return QApplication::activeWindow() == window && QApplication::focusWidget()
               && QApplication::focusWidget()->window() == window;
    });
}

// A client with its main window, a game window in it and a stream of its own for the
// server's texts (the game's service is the session's).
struct GameWindowSession {
    GameWindowSession()
    {
        main = s.app.GetMainWnd();
        screen = main->screen()->availableGeometry();
    }
    CTavoDoc* Join(const std::string& id = "1")
    {
        CTavoDoc* doc = s.Join(id, MakeGame("alice", "bob"));
        ProcessEventsUntil([&] { return ViewOf(doc)->isVisible(); });
        return doc;
    }
    void Receive(const std::string& text) { stream.ParseMessage(text); }
    // The stream's window of that title (the windows of earlier tests may be going still).
    CConsole* Window(const std::string& title)
    {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* console = dynamic_cast<CConsole*>(widget);
                console && console->m_pStream == &stream && console->windowTitle() == ToQ(title))
                return console;
        return nullptr;
    }

    ServiceSession<> s;
    tavostream stream;
    CFrameWnd* main = nullptr;
    QRect screen;
    WindowManager windowManager;
};

} // namespace

TEST(WindowPlacement, ServerTextsOpenWindowsWithoutTakingTheKeyboardOrTheBoard)
{
    // The main window fills the screen: no room beside it.
    GameWindowSession w;
    w.main->setGeometry(w.screen);
    CTavoDoc* doc = w.Join();
    ASSERT_TRUE(ProcessEventsUntil([&] { return ViewOf(doc)->GetParentFrame()->isMaximized(); }));
    QLineEdit* input = CommentInputOf(doc);
    ASSERT_NE(input, nullptr);
    ASSERT_TRUE(Focus(input));
    QTest::keyClicks(input, QStringLiteral("good "));

    // A tell opens its talk window while a comment is typed: the typing goes on in the
    // game window, and Enter sends the comment to the game.
    w.Receive("bob: are you there?");
    CConsole* talk = w.Window("bob");
    ASSERT_NE(talk, nullptr);
    EXPECT_TRUE(talk->isVisible());
    EXPECT_TRUE(KeepsTheKeyboard(input));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("luck"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(w.s.Sent(), "t /os tell 1 good luck\n");
    EXPECT_EQ(InputOf(talk)->text(), QString());
    // It stays a window that only a command activates, also when it shows again.
    EXPECT_TRUE(talk->testAttribute(Qt::WA_ShowWithoutActivating));

    // The service's unknown text, a server error, the who reply and the matches list the
    // client asks for at login: each opens without the keyboard.
    w.Receive(": + /os 1");
    w.Receive(": + bob 1");
    w.Receive("/os: frobnicate");
    EXPECT_TRUE(KeepsTheKeyboard(input));
    w.Receive(": ERR command 'x' not recognized.");
    EXPECT_TRUE(KeepsTheKeyboard(input));
    w.Receive(": who 2\n/os - 0:00 1:00 - -\nbob - 1:00 2:00 - -");
    EXPECT_TRUE(KeepsTheKeyboard(input));
    w.s.Feed("/os: match 1/1\n.12 1500 bob 1600 ann 8 R 0");
    EXPECT_TRUE(KeepsTheKeyboard(input));
    CDialogOsMatches* matches = w.s.Service()->matchesDialog.get();
    ASSERT_NE(matches, nullptr);
    const std::vector<QWidget*> opened{talk, w.Window("/os"), w.Window("GGS Console"), w.stream.GetWhoDialog(),
                                       matches};
    for (QWidget* window : opened) {
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible()) << ToStd(window->windowTitle());
    }

    // None hides the board or the line the user types into, none lies off the screen,
    // and no two open at one spot.
    const QRect typing(input->mapToGlobal(QPoint(0, 0)), input->size());
    for (size_t i = 0; i < opened.size(); ++i) {
        const QRect place = opened[i]->frameGeometry();
        EXPECT_FALSE(place.intersects(BoardOf(doc)))
            << ToStd(opened[i]->windowTitle()) << " at " << Text(place) << ", the board at " << Text(BoardOf(doc));
        EXPECT_FALSE(place.intersects(typing)) << ToStd(opened[i]->windowTitle()) << " at " << Text(place);
        EXPECT_TRUE(w.screen.contains(place)) << ToStd(opened[i]->windowTitle());
        for (size_t j = 0; j < i; ++j)
            EXPECT_NE(place.topLeft(), opened[j]->frameGeometry().topLeft()) << i << " " << j;
    }

    // New text into a window shown already neither moves nor activates it.
    talk->move(talk->pos() + QPoint(5, 5));
    const QPoint moved = talk->pos();
    w.Receive("bob: hello?");
    EXPECT_EQ(talk->pos(), moved);
    EXPECT_TRUE(KeepsTheKeyboard(input));
}

TEST(WindowPlacement, TheWindowTheUserIsInStaysInView)
{
    // No room beside the main window; the user types into the console, which the
    // command opened over the main window.
    GameWindowSession w;
    w.main->setGeometry(w.screen);
    CTavoDoc* doc = w.Join();
    w.stream.ShowWindowFor(std::string(), false);
    CConsole* console = w.Window("GGS Console");
    ASSERT_NE(console, nullptr);
    ASSERT_TRUE(Focus(InputOf(console)));

    // More windows than the screen has free places for: none covers the console or the
    // board, and the typing stays in the console.
    for (int i = 0; i < 16; ++i) {
        w.Receive("busy" + std::to_string(i) + ": hi");
        CConsole* talk = w.Window("busy" + std::to_string(i));
        ASSERT_NE(talk, nullptr);
        EXPECT_FALSE(talk->frameGeometry().intersects(console->frameGeometry()))
            << i << ": " << Text(talk->frameGeometry()) << " over " << Text(console->frameGeometry());
        EXPECT_FALSE(talk->frameGeometry().intersects(BoardOf(doc))) << i;
        EXPECT_TRUE(KeepsTheKeyboard(InputOf(console))) << i;
    }
}

TEST(WindowPlacement, BesideTheMainWindowWhereTheScreenHasRoom)
{
    GameWindowSession w;
    // The main window on the screen's left, the screen's right 300 pixels free; its game
    // window maximised.
    QRect left = w.screen;
    left.setWidth(w.screen.width() - 300);
    w.main->setGeometry(left);
    CTavoDoc* doc = w.Join();
    ASSERT_TRUE(Focus(CommentInputOf(doc)));

    // The windows fill a column right of the main window from its top, then the next.
    std::vector<QRect> places;
    for (int i = 0; i < 4; ++i) {
        w.Receive("user" + std::to_string(i) + ": hi");
        CConsole* talk = w.Window("user" + std::to_string(i));
        ASSERT_NE(talk, nullptr);
        places.push_back(talk->frameGeometry());
        EXPECT_TRUE(w.screen.contains(places.back())) << i;
        EXPECT_GT(places.back().left(), w.main->frameGeometry().right()) << i;
        for (size_t j = 0; j + 1 < places.size(); ++j)
            EXPECT_FALSE(places[j].intersects(places.back())) << i << " " << j;
    }
    EXPECT_EQ(places[0].topLeft(), QPoint(w.main->frameGeometry().right() + 1, w.main->frameGeometry().top()));
    EXPECT_EQ(places[1].topLeft(), QPoint(places[0].left(), places[0].bottom() + 1));
    EXPECT_TRUE(KeepsTheKeyboard(CommentInputOf(doc)));

    // A window that the user moved and closed shows again where the user put it.
    CConsole* moved = w.Window("user1");
    moved->move(QPoint(7, 9));
    moved->close();
    w.Receive("user1: back");
    EXPECT_TRUE(moved->isVisible());
    EXPECT_EQ(moved->pos(), QPoint(7, 9));
    EXPECT_TRUE(KeepsTheKeyboard(CommentInputOf(doc)));

    // With the main window at the screen's far corner a new window still shows whole.
    w.main->move(w.screen.bottomRight() - QPoint(50, 50));
    w.Receive("cornered: hi");
    ASSERT_NE(w.Window("cornered"), nullptr);
    EXPECT_TRUE(w.screen.contains(w.Window("cornered")->frameGeometry()));
}

TEST(WindowPlacement, WindowsOpenedBeforeTheFirstGameLeaveItsBoardClear)
{
    // No room beside the main window; the windows of the login open before any game.
    GameWindowSession w;
    w.main->setGeometry(w.screen);
    ProcessPendingEvents();
    std::vector<CConsole*> opened;
    for (int i = 0; i < 3; ++i) {
        w.Receive("first" + std::to_string(i) + ": hi");
        opened.push_back(w.Window("first" + std::to_string(i)));
        ASSERT_NE(opened.back(), nullptr);
    }
    // The first game window opens maximised below them: its board stays in view.
    CTavoDoc* doc = w.Join();
    ASSERT_TRUE(ProcessEventsUntil([&] { return ViewOf(doc)->GetParentFrame()->isMaximized(); }));
    for (CConsole* window : opened)
        EXPECT_FALSE(window->frameGeometry().intersects(BoardOf(doc)))
            << ToStd(window->windowTitle()) << " at " << Text(window->frameGeometry()) << ", the board at "
            << Text(BoardOf(doc));
}

TEST(WindowPlacement, OverTheMainWindowBesideTheBoardsOfItsGameWindows)
{
    GameWindowSession w;
    w.main->setGeometry(w.screen);
    // Two game windows side by side, not maximised: the windows keep off both boards.
    CTavoDoc* first = w.Join("1");
    ViewOf(first)->GetParentFrame()->showNormal();
    CTavoDoc* second = w.Join("2");
    QMdiSubWindow* secondFrame = ViewOf(second)->GetParentFrame();
    secondFrame->showNormal();
    ViewOf(first)->GetParentFrame()->setGeometry(0, 0, 300, 300);
    secondFrame->setGeometry(300, 0, 420, 420);
    ASSERT_TRUE(ProcessEventsUntil([&] { return ViewOf(second)->isVisible() && ViewOf(first)->isVisible(); }));
    const QRect client(w.s.app.GetMainWnd()->centralWidget()->mapToGlobal(QPoint(0, 0)),
                       w.s.app.GetMainWnd()->centralWidget()->size());

    for (int i = 0; i < 8; ++i) {
        w.Receive("user" + std::to_string(i) + ": hi");
        CConsole* talk = w.Window("user" + std::to_string(i));
        ASSERT_NE(talk, nullptr);
        const QRect place = talk->frameGeometry();
        EXPECT_TRUE(w.screen.contains(place)) << i;
        EXPECT_FALSE(place.intersects(BoardOf(first).intersected(client))) << i;
        EXPECT_FALSE(place.intersects(BoardOf(second).intersected(client))) << i;
        // Where a maximised game window shows its board.
        EXPECT_FALSE(place.intersects(QRect(client.topLeft(), QSize(kBoardFrame, kBoardFrame)))) << i;
    }
}

TEST(WindowPlacement, TheUsersCommandsOpenWindowsInFront)
{
    TalkSession session;
    WindowManager windowManager;
    ASSERT_TRUE(session.LogIn("alice"));
    CTestClient bob("bob");
    ASSERT_TRUE(bob.Start(session.server.GetPort()));
    QWidget* main = session.app.GetMainWnd();
    // The windows that the login opens by itself are there first: one shown while another
    // activation is on its way would hand the activation to the window active before it.
    CServerOsTavo* service = nullptr;
    ASSERT_TRUE(ProcessEventsUntil([&] {
        service = dynamic_cast<CServerOsTavo*>(session.Stream()->FindService("/os"));
        return WhoWindow() && WhoWindow()->isVisible() && service && service->matchesDialog
               && service->matchesDialog->isVisible();
    }));
    ASSERT_TRUE(Focus(main));

    session.Command(ID_GGS_CONSOLE);
    ASSERT_TRUE(Activated(ConsoleTitled("GGS Console")));
    EXPECT_EQ(QApplication::focusWidget(), InputOf(ConsoleTitled("GGS Console")));

    ASSERT_TRUE(Focus(main));
    session.Command(ID_GGS_WHO);
    EXPECT_TRUE(Activated(WhoWindow()));

    ASSERT_TRUE(Focus(main));
    session.Command(ID_GGS_CHAT);
    EXPECT_TRUE(Activated(ConsoleTitled(".chat")));

    // A click on a user in the who window opens the talk window in front.
    ASSERT_TRUE(ProcessEventsUntil([] { return Rows(WhoWindow()).size() == 2; }));
    const std::vector<std::string> rows = Rows(WhoWindow());
    const int bobRow = rows[0].rfind("bob", 0) == 0 ? 0 : 1;
    ASSERT_TRUE(Focus(ListOf(WhoWindow())));
    ClickCell(ListOf(WhoWindow()), bobRow, 0, Qt::LeftButton);
    ASSERT_NE(ConsoleTitled("bob"), nullptr);
    EXPECT_TRUE(Activated(ConsoleTitled("bob")));

    // Brought up again by the command once closed.
    ConsoleTitled("GGS Console")->close();
    ASSERT_TRUE(Focus(main));
    session.Command(ID_GGS_CONSOLE);
    EXPECT_TRUE(Activated(ConsoleTitled("GGS Console")));

    // The watch command brings up the matches window that the login filled.
    ASSERT_TRUE(Focus(main));
    session.Command(ID_REVERSI_WATCH);
    EXPECT_TRUE(Activated(service->matchesDialog.get()));

    // A list command's window comes up in front once the reply is there.
    ASSERT_TRUE(Focus(main));
    session.Command(ID_REVERSI_TOPLIST);
    ASSERT_TRUE(ProcessEventsUntil([&] { return service->topDialog && service->topDialog->isVisible(); }));
    EXPECT_TRUE(Activated(service->topDialog.get()));
    // Still a window that showing alone does not activate, should it show again by
    // itself: the window system learns that as the window is made, whichever way it
    // first shows.
    EXPECT_TRUE(service->topDialog->testAttribute(Qt::WA_ShowWithoutActivating));
}

TEST(WindowPlacement, ChoiceOfPlace)
{
    // A 1000 x 800 screen; the main window 600 x 500 at its top left, its client area
    // below a menu and a toolbar; windows of 200 x 150.
    CWindowPlaceInput in;
    in.screen = QRect(0, 0, 1000, 800);
    in.main = QRect(0, 0, 600, 500);
    in.client = QRect(0, 60, 600, 420);
    in.boards = {QRect(0, 60, 380, 380)};
    in.size = QSize(200, 150);
    int cascade = 0;
    const auto place = [&] {
        const QPoint corner = ChooseWindowPlace(in, cascade);
        in.taken.emplace_back(corner, in.size);
        return corner;
    };
    // Right of the main window, a column from its top down to the screen's bottom, then
    // the next column.
    EXPECT_EQ(place(), QPoint(600, 0));
    EXPECT_EQ(place(), QPoint(600, 150));
    EXPECT_EQ(place(), QPoint(600, 300));
    EXPECT_EQ(place(), QPoint(600, 450));
    EXPECT_EQ(place(), QPoint(600, 600));
    EXPECT_EQ(place(), QPoint(800, 0));
    // The right full: below the main window, a row from its left.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(place(), QPoint(800, 150 * (i + 1))) << i;
    EXPECT_EQ(place(), QPoint(0, 500));
    EXPECT_EQ(place(), QPoint(200, 500));
    EXPECT_EQ(cascade, 0);

    // With the main window at the right of the screen: left of it.
    in.taken.clear();
    in.main = QRect(400, 0, 600, 500);
    in.client = QRect(400, 60, 600, 420);
    in.boards = {QRect(400, 60, 380, 380)};
    EXPECT_EQ(place(), QPoint(200, 0));
    EXPECT_EQ(place(), QPoint(200, 150));
    // At the bottom, as wide as the screen: above it.
    in.taken.clear();
    in.main = QRect(0, 400, 1000, 400);
    in.client = QRect(0, 460, 1000, 320);
    in.boards = {QRect(0, 460, 380, 320)};
    EXPECT_EQ(place(), QPoint(0, 250));
    EXPECT_EQ(place(), QPoint(200, 250));

    // No room beside it: right of the board in the client area, the highest places
    // first, also below the board; never over it.
    in.taken.clear();
    in.main = in.screen;
    in.client = QRect(0, 60, 1000, 700);
    in.boards = {QRect(0, 60, 380, 380)};
    EXPECT_EQ(place(), QPoint(380, 60));
    EXPECT_EQ(place(), QPoint(580, 60));
    EXPECT_EQ(place(), QPoint(780, 60));
    EXPECT_EQ(place(), QPoint(380, 210));
    bool below = false;
    while (cascade == 0) {
        const QRect last(place(), in.size);
        if (cascade != 0)
            break;
        EXPECT_TRUE(in.screen.contains(last));
        EXPECT_FALSE(last.intersects(in.boards[0]));
        for (size_t i = 0; i + 1 < in.taken.size(); ++i)
            EXPECT_FALSE(last.intersects(in.taken[i])) << i;
        below = below || (last.top() >= 440 && last.left() < 380);
        ASSERT_LT(in.taken.size(), 30u);
    }
    EXPECT_TRUE(below);

    // A second board (a game window not maximised) is kept clear as well.
    in.taken.clear();
    in.boards.push_back(QRect(380, 100, 380, 380));
    EXPECT_EQ(place(), QPoint(760, 60));

    // Every free place taken: cascading in steps of 30 from the first place beside the
    // board, six places, then over again; a place where a window is already is passed.
    in.boards = {QRect(0, 60, 380, 380)};
    in.taken = {in.screen};
    cascade = 0;
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(ChooseWindowPlace(in, cascade), QPoint(380, 60) + QPoint(i % 6 * 30, i % 6 * 30)) << i;
    EXPECT_EQ(cascade, 7);
    in.taken.push_back(QRect(QPoint(410, 90), in.size));
    EXPECT_EQ(ChooseWindowPlace(in, cascade), QPoint(440, 120));
    EXPECT_EQ(cascade, 9);
    // A step that would leave the screen is passed too.
    in.size = QSize(200, 620);
    cascade = 5;
    EXPECT_EQ(ChooseWindowPlace(in, cascade), QPoint(380, 60));

    // Where the user is (here a window among the taken) is passed over as well while
    // the screen has room beside it.
    in.size = QSize(200, 150);
    in.active = QRect(380, 60, 300, 200);
    in.taken = {QRect(380, 60, 620, 700), QRect(0, 440, 380, 320), in.active};
    cascade = 0;
    EXPECT_EQ(ChooseWindowPlace(in, cascade), QPoint(680, 60));
    in.active = QRect(0, 60, 1000, 700);
    EXPECT_FALSE(QRect(ChooseWindowPlace(in, cascade), in.size).intersects(in.boards[0]));
    in.active = QRect();

    // A window too large to leave the board clear goes to the screen's bottom right.
    in.size = QSize(700, 700);
    EXPECT_EQ(ChooseWindowPlace(in, cascade), QPoint(300, 100));
    in.size = QSize(1200, 900);
    EXPECT_EQ(ChooseWindowPlace(in, cascade), QPoint(0, 0));
}

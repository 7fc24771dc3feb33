// The whole table of the application's commands as the user meets it: the menus of the
// main window and of a game window, the toolbar, the keys, the prompts and tooltips;
// which commands are enabled with no connection, connected without the Reversi service
// and connected with it; the check and radio marks and what each toggle tells the game
// windows; the exact line each command sends; and the Window menu.
#include "MainFrm.h"
#include "PaneTestSupport.h"
#include "TalkSupport.h"
#include "res/Resource.h"

#include <QAction>
#include <QActionGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

CMainFrame* FrameOf(CWinApp& app)
{
    return dynamic_cast<CMainFrame*>(app.GetMainWnd());
}

// The menu bar as lines: "&File/&Open...\tCtrl+O", "-" for a bar, submenus by path.
void DumpMenu(const QList<QAction*>& actions, const QString& path, QStringList& lines)
{
    for (QAction* action : actions) {
        if (action->isSeparator()) {
            lines << path + QStringLiteral("-");
        } else if (QMenu* menu = action->menu()) {
            lines << path + menu->title();
            DumpMenu(menu->actions(), path + menu->title() + QLatin1Char('/'), lines);
        } else {
            QString text = action->text();
            if (!action->shortcut().isEmpty())
                text += QLatin1Char('\t') + action->shortcut().toString();
            lines << path + text;
        }
    }
}

QStringList MenuLines(CMainFrame* frame)
{
    QStringList lines;
    DumpMenu(frame->menuBar()->actions(), QString(), lines);
    return lines;
}

QStringList Lines(std::initializer_list<const char*> texts)
{
    QStringList lines;
    for (const char* text : texts)
        lines << QString::fromUtf8(text);
    return lines;
}

// The menus that both windows share, after "&File".
QStringList SharedMenus(bool gameWindow)
{
    const QString theme = gameWindow ? QStringLiteral("Theme") : QStringLiteral("T&heme");
    QStringList view = Lines({"&View", "&View/&Moves", "&View/&Moves/&Next", "&View/&Moves/&Last",
                              "&View/&Moves/&Valid", "&View/&Moves/&Beep"});
    view << QStringLiteral("&View/") + theme;
    for (const char* style : {"Standard", "Space", "Wood"})
        view << QStringLiteral("&View/") + theme + QLatin1Char('/') + QLatin1String(style);
    view << Lines({"&View/&Evals", "&View/Unified Chat", "&View/-", "&View/&Toolbar", "&View/&Status Bar"});
    return view;
}

const QStringList kGgsAndReversi = Lines({
    "&GGS", "&GGS/&Connect...", "&GGS/-", "&GGS/&Who", "&GGS/&Talk to...", "&GGS/Chat", "&GGS/-",
    "&GGS/&Register", "&GGS/Server...", "&GGS/Console",
    "&Reversi", "&Reversi/&New Game...", "&Reversi/&Watch...", "&Reversi/Stored", "&Reversi/-",
    "&Reversi/&Autoplay...", "&Reversi/Autosave...", "&Reversi/-", "&Reversi/8x8 Ratings",
    "&Reversi/8x8 Rank", "&Reversi/8x8 Top List", "&Reversi/-", "&Reversi/History...", "&Reversi/Info..."});
const QStringList kHelp = Lines({"&Help", "&Help/&About Tavo...", "&Help/User Guide"});

QStringList FileMenu(bool gameWindow)
{
    QStringList file = Lines({"&File", "&File/&Open...\tCtrl+O"});
    if (gameWindow)
        file << QStringLiteral("&File/&Close");
    file << Lines({"&File/&Save\tCtrl+S", "&File/Save &As...", "&File/-", "&File/&Print...\tCtrl+P",
                   "&File/Print Pre&view", "&File/P&rint Setup...", "&File/-", "&File/Recent File", "&File/-",
                   "&File/E&xit"});
    return file;
}

// The keys that the window's commands answer, with the command of each (0 for none).
std::set<std::pair<std::string, UINT>> KeysOf(CMainFrame* frame)
{
    std::set<std::pair<std::string, UINT>> keys;
    for (QAction* action : frame->findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly))
        for (const QKeySequence& key : action->shortcuts())
            keys.emplace(ToStd(key.toString()), action->data().toUInt());
    return keys;
}

// Each key on its command and on nothing else: New, Open, Save and Print, the edit keys,
// which do nothing, the panes' keys, and F1 for the help.
const std::set<std::pair<std::string, UINT>> kKeys = {
    {"Ctrl+N", ID_FILE_NEW}, {"Ctrl+O", ID_FILE_OPEN}, {"Ctrl+S", ID_FILE_SAVE}, {"Ctrl+P", ID_FILE_PRINT},
    {"Ctrl+Z", ID_EDIT_UNDO}, {"Alt+Backspace", ID_EDIT_UNDO}, {"Ctrl+X", ID_EDIT_CUT}, {"Shift+Del", ID_EDIT_CUT},
    {"Ctrl+C", ID_EDIT_COPY}, {"Ctrl+Ins", ID_EDIT_COPY}, {"Ctrl+V", ID_EDIT_PASTE}, {"Shift+Ins", ID_EDIT_PASTE},
    {"F6", ID_NEXT_PANE}, {"Shift+F6", ID_PREV_PANE}, {"F1", 0}};

// The commands whose enabling depends on the connection, and those enabled whatever it is.
const std::set<UINT> kAlways = {
    ID_GGS_CONNECT, ID_GGS_SERVER, ID_REVERSI_AUTOPLAY, ID_REVERSI_AUTOSAVE, ID_VIEW_MOVES_NEXT,
    ID_VIEW_MOVES_LAST, ID_VIEW_MOVES_VALID, ID_VIEW_MOVES_BEEP, ID_VIEW_THEME_STANDARD, ID_VIEW_THEME_SPACE,
    ID_VIEW_THEME_WOOD, ID_VIEW_EVALS, ID_VIEW_UNIFIEDCHAT, ID_APP_ABOUT, ID_HELP_USERGUIDE, ID_APP_EXIT,
    ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_PRINT_SETUP, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR};
const std::set<UINT> kLoggedIn = {ID_GGS_WHO, ID_GGS_TALKTO, ID_GGS_CHAT, ID_GGS_CONSOLE, ID_GGS_REGISTER};
const std::set<UINT> kService = {ID_REVERSI_NEWGAME, ID_REVERSI_WATCH, ID_REVERSI_STORED, ID_REVERSI_RATINGS,
                                 ID_REVERSI_RANK, ID_REVERSI_TOPLIST, ID_REVERSI_HISTORY, ID_REVERSI_INFO};
// Without a game window: the game's and the document's commands, the edit keys (no
// handler anywhere), the panes' keys and the empty recent-file list.
const std::set<UINT> kNever = {
    ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_FILE_MRU_FILE1, ID_EDIT_CUT,
    ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_UNDO, ID_NEXT_PANE, ID_PREV_PANE, ID_VIEW_START, ID_VIEW_BACK,
    ID_VIEW_FORWARD, ID_VIEW_CURRENT, ID_GAME_UNDO, ID_GAME_RESIGN, ID_GAME_BREAK, ID_GAME_ABORT, ID_WINDOW_NEW};

// Checks every command's enabling in one state of the connection.
void ExpectEnabling(CMainFrame* frame, const std::set<UINT>& enabled, const char* state)
{
    frame->UpdateCommandUI();
    for (const auto* group : {&kAlways, &kLoggedIn, &kService, &kNever})
        for (const UINT id : *group)
            EXPECT_EQ(frame->GetCommandAction(id)->isEnabled(), enabled.count(id) == 1) << state << ": " << id;
}

std::set<UINT> Union(std::initializer_list<const std::set<UINT>*> sets)
{
    std::set<UINT> all;
    for (const auto* s : sets)
        all.insert(s->begin(), s->end());
    return all;
}

// Runs the command and waits until the server has received exactly the line from the
// application after what it had before.
::testing::AssertionResult SendsExactly(TalkSession& session, UINT id, const std::string& line)
{
    const size_t before = session.server.GetClientBytes(session.client).size();
    session.Command(id);
    // Anything it sends comes before a line that the test sends after it (one that the
    // server does not answer).
    ProcessPendingEvents();
    std::string sent;
    static int markers = 0;
    const std::string marker = "ve marker " + std::to_string(++markers) + "\n";
    *session.app.pStream << marker << std::flush;
    ProcessEventsUntil([&] {
        sent = session.server.GetClientBytes(session.client).substr(before);
        return sent.find(marker) != std::string::npos;
    });
    sent = sent.substr(0, sent.find(marker));
    if (sent == line)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "command " << id << " sent \"" << sent << "\"";
}

} // namespace

TEST(CommandTable, MenusToolbarKeysPromptsAndTooltips)
{
    PaneWindow window;
    CMainFrame* frame = FrameOf(window.app);
    EXPECT_EQ(MenuLines(frame), FileMenu(false) + SharedMenus(false) + kGgsAndReversi + kHelp);
    EXPECT_EQ(KeysOf(frame), kKeys);

    // A game window brings its own menu, and the main window's comes back after it.
    CTavoDoc* doc = window.Look(MakeGame("alice", "bob", {"F5"}));
    ASSERT_NE(doc, nullptr);
    const QStringList windowMenu = Lines({"&Window", "&Window/&New Window", "&Window/&Cascade", "&Window/&Tile",
                                          "&Window/&Arrange Icons"});
    const QStringList gameMenu = Lines({"Ga&me", "Ga&me/Undo", "Ga&me/-", "Ga&me/Resign", "Ga&me/Break",
                                        "Ga&me/Abort"});
    EXPECT_EQ(MenuLines(frame), FileMenu(true) + SharedMenus(true) + windowMenu + kGgsAndReversi + gameMenu + kHelp);
    EXPECT_EQ(KeysOf(frame), kKeys);
    ViewOf(doc)->GetParentFrame()->close();
    ASSERT_TRUE(ProcessEventsUntil([&] { return window.app.pGameTemplate->GetDocuments().empty(); }));
    EXPECT_EQ(MenuLines(frame).first(), QStringLiteral("&File"));
    EXPECT_EQ(MenuLines(frame).size(), (FileMenu(false) + SharedMenus(false) + kGgsAndReversi + kHelp).size());

    // The toolbar's buttons with their tooltips; 0 is a separator.
    const std::vector<std::pair<UINT, const char*>> buttons = {
        {ID_FILE_OPEN, "Open"}, {ID_FILE_SAVE, "Save"}, {0, nullptr}, {ID_EDIT_CUT, "Cut"},
        {ID_EDIT_COPY, "Copy"}, {ID_EDIT_PASTE, "Paste"}, {0, nullptr}, {ID_VIEW_START, "Start position"},
        {ID_VIEW_BACK, "Back"}, {ID_VIEW_FORWARD, "Forward"}, {ID_VIEW_CURRENT, "Current position"}, {0, nullptr},
        {ID_GAME_UNDO, "Undo move"}, {0, nullptr}, {ID_FILE_PRINT, "Print"}, {ID_APP_ABOUT, "About"}};
    const QList<QAction*> bar = frame->toolBar.GetBar()->actions();
    ASSERT_EQ(size_t(bar.size()), buttons.size());
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (!buttons[i].first) {
            EXPECT_TRUE(bar[int(i)]->isSeparator()) << i;
            continue;
        }
        EXPECT_EQ(bar[int(i)], frame->GetCommandAction(buttons[i].first)) << i;
        EXPECT_EQ(bar[int(i)]->toolTip(), QString::fromUtf8(buttons[i].second)) << i;
    }

    // The keys stay as they were through the game window's menus.
    EXPECT_EQ(KeysOf(frame), kKeys);

    // The status bar's prompts, from the string table: one of each menu, and an item
    // without one.
    const std::map<UINT, const char*> prompts = {
        {32771, "Connect to the GGS server"}, {32800, "Automatically play passes or forced moves"},
        {32807, "Wooden background"}, {32809, "Resign from a game, you get the maximum negative score"},
        {32788, "Step back a move"}, {32805, ""}, {57665, "Quit the application"}};
    for (const auto& [id, prompt] : prompts)
        EXPECT_EQ(frame->GetCommandAction(id)->statusTip(), QString::fromUtf8(prompt)) << id;

    // A prompt shows in the status bar while the mouse is on its item.
    QAction* reversiItem = nullptr;
    for (QAction* menu : frame->menuBar()->actions())
        if (menu->text() == QStringLiteral("&Reversi"))
            reversiItem = menu;
    ASSERT_NE(reversiItem, nullptr);
    QMenu* reversi = reversiItem->menu();
    QTest::mouseClick(frame->menuBar(), Qt::LeftButton, {}, frame->menuBar()->actionGeometry(reversiItem).center());
    ASSERT_TRUE(ProcessEventsUntil([reversi] { return reversi->isVisible(); }));
    reversi->setActiveAction(frame->GetCommandAction(ID_REVERSI_AUTOPLAY));
    EXPECT_TRUE(ProcessEventsUntil([frame] {
        return frame->statusBar.GetBar()->currentMessage() == QStringLiteral("Automatically play passes or forced moves");
    }));
    reversi->close();
}

TEST(CommandTable, EnablingWithoutAConnection)
{
    TestApp app;
    ASSERT_TRUE(app.Start());
    ExpectEnabling(FrameOf(app), kAlways, "no connection");
    EXPECT_EQ(FrameOf(app)->GetCommandAction(ID_GGS_CONNECT)->text(), QStringLiteral("&Connect..."));
}

TEST(CommandTable, EnablingConnectedWithoutTheService)
{
    // The server tells alice that she is unregistered, and nothing of "/os".
    TalkSession session(": + alice 0\nREADY\n: done\nREADY\n");
    ASSERT_TRUE(session.LogIn("alice"));
    ASSERT_TRUE(ProcessEventsUntil([&] { return session.Stream()->IsUnregistered(); }));
    ASSERT_EQ(session.Stream()->FindService("/os"), nullptr);
    ExpectEnabling(FrameOf(session.app), Union({&kAlways, &kLoggedIn}), "without the service");
    EXPECT_EQ(FrameOf(session.app)->GetCommandAction(ID_GGS_CONNECT)->text(), QStringLiteral("Disconnect"));

    // The service's commands do nothing, whatever reaches them.
    for (const UINT id : kService)
        FrameOf(session.app)->RouteCommand(id);
    EXPECT_TRUE(SendsExactly(session, ID_GGS_WHO, "who\n"));
}

TEST(CommandTable, EnablingAndLinesWithTheService)
{
    TalkSession session;
    ASSERT_TRUE(session.LogIn("alice"));
    // The service is there once its set-up has gone out.
    ASSERT_TRUE(session.Sent("t /os match\n"));
    ASSERT_TRUE(session.Stream()->FindService("/os") && session.Stream()->IsUnregistered());
    CMainFrame* frame = FrameOf(session.app);
    ExpectEnabling(frame, Union({&kAlways, &kLoggedIn, &kService}), "with the service");
    // The service's answers that come in boxes are closed as they come.
    MessageBoxes boxes;

    // New Game: the match request, sent on OK only; Watch: the matches window.
    {
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) { ClickButton(d, IDCANCEL); });
        EXPECT_TRUE(SendsExactly(session, ID_REVERSI_NEWGAME, ""));
        EXPECT_TRUE(driver.Done());
    }
    {
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) {
            EditOf(d, IDC_GR_OPPONENT)->clear();
            TypeText(EditOf(d, IDC_GR_OPPONENT), QStringLiteral("bob"));
            ClickButton(d, IDOK);
        });
        EXPECT_TRUE(SendsExactly(session, ID_REVERSI_NEWGAME, "t /os ask 8 15:00//2:00 15:00//2:00 bob\n"));
        EXPECT_TRUE(driver.Done());
    }
    EXPECT_TRUE(SendsExactly(session, ID_REVERSI_WATCH, ""));
    auto* matches = FindWindowTitled<QDialog>(QStringLiteral("Reversi Matches"));
    ASSERT_NE(matches, nullptr);
    EXPECT_TRUE(matches->isVisible());

    // Each command's line, exactly: the Reversi list commands with two blanks.
    const std::vector<std::pair<UINT, std::string>> lines = {
        {ID_GGS_WHO, "who\n"},
        {ID_GGS_REGISTER, "g _admin\n"},
        {ID_REVERSI_STORED, "tell /os  stored\n"},
        {ID_REVERSI_RATINGS, "tell /os  who 8\n"},
        {ID_REVERSI_RANK, "tell /os  rank 8\n"},
        {ID_REVERSI_TOPLIST, "tell /os  top 8\n"}};
    for (const auto& [id, line] : lines)
        EXPECT_TRUE(SendsExactly(session, id, line));
    // History and Info ask for the login, the own one first; Cancel sends nothing.
    for (const auto& [id, line] : std::vector<std::pair<UINT, std::string>>{
             {ID_REVERSI_HISTORY, "tell /os  history alice\n"}, {ID_REVERSI_INFO, "tell /os  finger alice\n"}}) {
        {
            ModalDriver driver;
            driver.OnDialog([](CDialog* d) { ClickButton(d, IDCANCEL); });
            EXPECT_TRUE(SendsExactly(session, id, ""));
            EXPECT_TRUE(driver.Done());
        }
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) {
            EXPECT_EQ(EditOf(d, IDC_LOGIN)->text(), QStringLiteral("alice"));
            ClickButton(d, IDOK);
        });
        EXPECT_TRUE(SendsExactly(session, id, line));
        EXPECT_TRUE(driver.Done());
    }

    // Disconnect: logged out, and the item offers to connect again.
    session.Command(ID_GGS_CONNECT);
    ASSERT_TRUE(session.Sent("quit\n"));
    ASSERT_TRUE(ProcessEventsUntil([&] { return bool(*session.deleted); }));
    ExpectEnabling(frame, kAlways, "disconnected");
    EXPECT_EQ(frame->GetCommandAction(ID_GGS_CONNECT)->text(), QStringLiteral("&Connect..."));
}

TEST(CommandTable, MarksAndWhatTheTogglesTellTheGameWindows)
{
    PaneWindow window;
    CMainFrame* frame = FrameOf(window.app);
    CTavoDoc* doc = window.Look(MakeGame("alice", "bob", {"F5"}));
    ASSERT_NE(doc, nullptr);
    HintRecorder recorder;
    doc->AddView(&recorder);

    const auto checked = [frame](UINT id) {
        frame->UpdateCommandUI();
        return frame->GetCommandAction(id)->isChecked();
    };
    const std::vector<std::pair<UINT, bool*>> toggles = {
        {ID_VIEW_MOVES_NEXT, &window.app.fShowNextMove}, {ID_VIEW_MOVES_LAST, &window.app.fShowLastMove},
        {ID_VIEW_MOVES_VALID, &window.app.fShowValidMoves}, {ID_VIEW_EVALS, &window.app.fShowEvals},
        {ID_VIEW_MOVES_BEEP, &window.app.fMoveBeep}, {ID_VIEW_UNIFIEDCHAT, &window.app.fUnifiedChat}};
    for (const auto& [id, setting] : toggles) {
        const bool was = *setting;
        EXPECT_EQ(checked(id), was) << id;
        EXPECT_EQ(frame->GetCommandAction(id)->actionGroup(), nullptr) << id; // a check box
        recorder.hints.clear();
        frame->GetCommandAction(id)->trigger();
        EXPECT_EQ(*setting, !was) << id;
        EXPECT_EQ(checked(id), !was) << id;
        // The display marks redraw the game windows; Beep and Unified Chat change none.
        const bool display = id != ID_VIEW_MOVES_BEEP && id != ID_VIEW_UNIFIEDCHAT;
        EXPECT_EQ(recorder.hints, display ? std::vector<int>{CTavoDoc::kHintOptions} : std::vector<int>{}) << id;
        frame->GetCommandAction(id)->trigger();
        EXPECT_EQ(*setting, was) << id;
    }

    // Themes: one radio mark, and one hint per change of style.
    const auto radio = [&](UINT id) {
        return checked(id) && frame->GetCommandAction(id)->actionGroup() != nullptr;
    };
    EXPECT_TRUE(radio(ID_VIEW_THEME_STANDARD));
    const QActionGroup* themes = frame->GetCommandAction(ID_VIEW_THEME_STANDARD)->actionGroup();
    EXPECT_TRUE(themes->isExclusive());
    EXPECT_EQ(themes->actions(), (QList<QAction*>{frame->GetCommandAction(ID_VIEW_THEME_STANDARD),
                                                  frame->GetCommandAction(ID_VIEW_THEME_SPACE),
                                                  frame->GetCommandAction(ID_VIEW_THEME_WOOD)}));
    recorder.hints.clear();
    frame->GetCommandAction(ID_VIEW_THEME_WOOD)->trigger();
    frame->GetCommandAction(ID_VIEW_THEME_WOOD)->trigger();
    EXPECT_EQ(recorder.hints, std::vector<int>{CTavoDoc::kHintStyle});
    EXPECT_EQ(window.app.GetBoardStyle(), &CBoardStyle::wood);
    EXPECT_TRUE(radio(ID_VIEW_THEME_WOOD));
    EXPECT_FALSE(checked(ID_VIEW_THEME_STANDARD));
    EXPECT_FALSE(checked(ID_VIEW_THEME_SPACE));
    frame->GetCommandAction(ID_VIEW_THEME_SPACE)->trigger();
    EXPECT_EQ(recorder.hints, (std::vector<int>{CTavoDoc::kHintStyle, CTavoDoc::kHintStyle}));
    EXPECT_TRUE(radio(ID_VIEW_THEME_SPACE));
    EXPECT_FALSE(checked(ID_VIEW_THEME_WOOD));
    // The style is compared by name: a style of the chosen one's name changes nothing.
    CBoardStyle sameName(0, 0, 0, 0, 0, 0, "standard");
    window.app.pBoardStyle = &sameName;
    frame->GetCommandAction(ID_VIEW_THEME_STANDARD)->trigger();
    EXPECT_EQ(recorder.hints.size(), 2u);
    EXPECT_EQ(window.app.GetBoardStyle(), &sameName);
    window.app.pBoardStyle = &CBoardStyle::standard;

    // The toolbar and the status bar show and hide, with their marks.
    for (const UINT id : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) {
        QWidget* bar = id == ID_VIEW_TOOLBAR ? static_cast<QWidget*>(frame->toolBar.GetBar()) : frame->statusBar.GetBar();
        EXPECT_TRUE(bar->isVisible()) << id;
        EXPECT_TRUE(checked(id)) << id;
        frame->GetCommandAction(id)->trigger();
        EXPECT_FALSE(bar->isVisible()) << id;
        EXPECT_FALSE(checked(id)) << id;
        frame->GetCommandAction(id)->trigger();
        EXPECT_TRUE(bar->isVisible()) << id;
    }
    doc->RemoveView(&recorder);
}

namespace {

int beeps = 0;
void CountBeep()
{
    ++beeps;
}

} // namespace

TEST(CommandTable, BeepSoundsWhenTheUsersMoveIsAwaited)
{
    PaneWindow window;
    SetBeepSound(CountBeep);
    beeps = 0;
    // Off: the user's turn is silent.
    window.Join("1", MakeGame("alice", "bob"));
    ProcessPendingEvents();
    EXPECT_EQ(beeps, 0);

    window.app.fMoveBeep = true;
    CTavoDoc* doc = window.Join("2", MakeGame("alice", "bob"));
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(ProcessEventsUntil([] { return beeps == 1; }));
    // The user's own move and its echo: the opponent is to move, no beep.
    doc->SendMove(MoveFrom("F5"), 0.0);
    window.connection->Feed("/os: update 2 F5");
    // The opponent's move: the user's turn again.
    window.connection->Feed("/os: update 2 D6");
    ASSERT_TRUE(ProcessEventsUntil([] { return beeps == 2; }));
    // A game the user watches never beeps.
    window.Join("3", MakeGame("carol", "dave"));
    ProcessPendingEvents();
    EXPECT_EQ(beeps, 2);
    SetBeepSound(nullptr);
}

TEST(CommandTable, WindowMenuArrangesTheGameWindows)
{
    PaneWindow window;
    CMainFrame* frame = FrameOf(window.app);
    CTavoDoc* first = window.Look(MakeGame("alice", "bob", {"F5"}));
    window.Look(MakeGame("carol", "dave", {"F5", "D6"}));
    ASSERT_NE(first, nullptr);
    QMdiArea* area = frame->MDIArea();
    frame->resize(1000, 800);
    ProcessPendingEvents();
    ASSERT_EQ(area->subWindowList().size(), 2);

    // New Window: one more view of the active game.
    frame->UpdateCommandUI();
    ASSERT_TRUE(frame->GetCommandAction(ID_WINDOW_NEW)->isEnabled());
    frame->GetCommandAction(ID_WINDOW_NEW)->trigger();
    ASSERT_EQ(area->subWindowList().size(), 3);
    for (QMdiSubWindow* child : area->subWindowList())
        child->showNormal();

    frame->GetCommandAction(ID_WINDOW_CASCADE)->trigger();
    QList<QMdiSubWindow*> windows = area->subWindowList();
    EXPECT_LT(windows[0]->y(), windows[1]->y());
    EXPECT_LT(windows[1]->y(), windows[2]->y());

    frame->GetCommandAction(ID_WINDOW_TILE_VERT)->trigger();
    for (int i = 0; i < windows.size(); ++i)
        for (int j = i + 1; j < windows.size(); ++j)
            EXPECT_FALSE(windows[i]->geometry().intersects(windows[j]->geometry())) << i << " " << j;

    // Arrange Icons: the minimised windows in a row along the bottom, the others stay.
    windows[0]->showMinimized();
    windows[2]->showMinimized();
    windows[0]->move(300, 40);
    windows[2]->move(10, 200);
    const QRect open = windows[1]->geometry();
    frame->GetCommandAction(ID_WINDOW_ARRANGE)->trigger();
    const int bottom = area->viewport()->height();
    EXPECT_EQ(windows[0]->geometry().bottom() + 1, bottom);
    EXPECT_EQ(windows[2]->geometry().bottom() + 1, bottom);
    EXPECT_EQ(windows[0]->x(), 0);
    EXPECT_EQ(windows[2]->x(), windows[0]->width());
    EXPECT_EQ(windows[1]->geometry(), open);

    // File > Close closes the game in all of its windows; the other game stays.
    area->setActiveSubWindow(windows[2]);
    frame->UpdateCommandUI();
    ASSERT_TRUE(frame->GetCommandAction(ID_FILE_CLOSE)->isEnabled());
    frame->GetCommandAction(ID_FILE_CLOSE)->trigger();
    ProcessPendingEvents();
    EXPECT_EQ(area->subWindowList(), QList<QMdiSubWindow*>{ViewOf(first)->GetParentFrame()});

    // Switching between the game's and the main window's menus leaves none of the
    // earlier popups behind.
    const auto popupsHeld = [frame] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return frame->menuBar()->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly).size();
    };
    const qsizetype held = popupsHeld();
    for (int i = 0; i < 5; ++i) {
        frame->SetMenuResource(frame->GetResourceId());
        frame->SetMenuResource(ViewOf(first)->GetParentFrame()->m_nMenuId);
    }
    EXPECT_EQ(popupsHeld(), held);

    // A game that opens while the user has a menu open switches the menus under it.
    QMenuBar* bar = frame->menuBar();
    QPointer<QMenu> shown = bar->actions().front()->menu();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(bar->actions().front()).center());
    ASSERT_TRUE(ProcessEventsUntil([shown] { return shown && shown->isVisible(); }));
    frame->SetMenuResource(frame->GetResourceId());
    EXPECT_TRUE(ProcessEventsUntil([shown] { return !shown; }));
    EXPECT_EQ(bar->actions().size(), 5);
}

namespace {

// Opens the Window menu from the menu bar as the user does; what it lists after its own
// commands, "* " before the checked item.
QStringList OpenWindowMenu(CMainFrame* frame, QMenu*& menu)
{
    menu = nullptr;
    QAction* item = nullptr;
    for (QAction* popup : frame->menuBar()->actions())
        if (popup->text() == QStringLiteral("&Window"))
            item = popup;
    if (!item)
        return {QStringLiteral("no Window menu")};
    menu = item->menu();
    QTest::mouseClick(frame->menuBar(), Qt::LeftButton, {}, frame->menuBar()->actionGeometry(item).center());
    if (!ProcessEventsUntil([menu] { return menu->isVisible(); }))
        return {QStringLiteral("the menu did not open")};
    QStringList lines;
    const QList<QAction*> actions = menu->actions();
    for (int i = 4; i < actions.size(); ++i)
        lines << (actions[i]->isSeparator() ? QStringLiteral("-")
                                            : (actions[i]->isChecked() ? QStringLiteral("* ") : QString())
                                                  + actions[i]->text());
    return lines;
}

// Clicks the item of the open menu.
void Choose(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions())
        if (action->text() == text) {
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
            ProcessEventsUntil([menu] { return !menu->isVisible(); });
            return;
        }
    ADD_FAILURE() << "no item " << text.toStdString();
    menu->close();
}

// Acts on the next modal dialog once it shows.
class NextDialog : public QObject {
public:
    explicit NextDialog(std::function<void(QDialog*)> act)
    {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [timer, act] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog && dialog->isVisible()) {
                timer->stop();
                act(dialog);
            }
        });
        timer->start(5);
    }

private:
    ModalExpectation m_expectation{[](QWidget* w) { return qobject_cast<QDialog*>(w) != nullptr; }};
};

} // namespace

TEST(CommandTable, WindowMenuListsTheGameWindows)
{
    PaneWindow window;
    CMainFrame* frame = FrameOf(window.app);
    QMdiArea* area = frame->MDIArea();
    const QString date = QStringLiteral("  2026.12.09 07:39:55 GMT");
    CTavoDoc* first = window.Look(MakeGame("alice", "bob", {"F5"}));
    CTavoDoc* second = window.Look(MakeGame("carol", "dave", {"F5", "D6"}));
    ASSERT_TRUE(first && second);
    QMdiSubWindow* firstFrame = ViewOf(first)->GetParentFrame();
    QMdiSubWindow* secondFrame = ViewOf(second)->GetParentFrame();

    // A second view of a game: its windows are told apart by number.
    frame->UpdateCommandUI();
    frame->GetCommandAction(ID_WINDOW_NEW)->trigger();
    QMdiSubWindow* newFrame = area->currentSubWindow();
    ASSERT_NE(newFrame, secondFrame);
    QMenu* menu = nullptr;
    EXPECT_EQ(OpenWindowMenu(frame, menu),
              (QStringList{QStringLiteral("-"), QStringLiteral("&1 alice vs bob") + date,
                           QStringLiteral("&2 carol vs dave") + date + QStringLiteral(":1"),
                           QStringLiteral("* &3 carol vs dave") + date + QStringLiteral(":2")}));
    EXPECT_EQ(secondFrame->windowTitle(), QStringLiteral("carol vs dave") + date + QStringLiteral(":1"));

    // A click on an entry makes that window the active one; a minimised one comes back.
    Choose(menu, QStringLiteral("&1 alice vs bob") + date);
    EXPECT_EQ(area->currentSubWindow(), firstFrame);
    EXPECT_EQ(OpenWindowMenu(frame, menu).at(1), QStringLiteral("* &1 alice vs bob") + date);
    menu->close();
    secondFrame->showMinimized();
    OpenWindowMenu(frame, menu);
    Choose(menu, QStringLiteral("&2 carol vs dave") + date + QStringLiteral(":1"));
    EXPECT_EQ(area->currentSubWindow(), secondFrame);
    EXPECT_FALSE(secondFrame->isMinimized());

    // One view left: the plain title again, in the list too, which is always current.
    QPointer<QMdiSubWindow> closing(newFrame);
    newFrame->close();
    ASSERT_TRUE(ProcessEventsUntil([&] { return closing.isNull(); }));
    EXPECT_EQ(secondFrame->windowTitle(), QStringLiteral("carol vs dave") + date);
    EXPECT_EQ(OpenWindowMenu(frame, menu),
              (QStringList{QStringLiteral("-"), QStringLiteral("&1 alice vs bob") + date,
                           QStringLiteral("* &2 carol vs dave") + date}));
    menu->close();

    // Beyond nine windows: nine of them, then a list of them all to choose from (the
    // active one is chosen there; Cancel changes nothing). The active window is always
    // among the nine, checked: beyond the ninth it takes the ninth place.
    std::vector<QMdiSubWindow*> frames = {firstFrame, secondFrame};
    for (int i = 3; i <= 11; ++i)
        frames.push_back(ViewOf(window.Look(MakeGame("p" + std::to_string(i), "q", {"F5"})))->GetParentFrame());
    QStringList lines = OpenWindowMenu(frame, menu);
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines[8], QStringLiteral("&8 p8 vs q") + date);
    EXPECT_EQ(lines[9], QStringLiteral("* &9 p11 vs q") + date);
    EXPECT_EQ(lines[10], QStringLiteral("&More Windows..."));
    menu->close();
    area->setActiveSubWindow(frames[4]);
    EXPECT_EQ(OpenWindowMenu(frame, menu).mid(5, 5),
              (QStringList{QStringLiteral("* &5 p5 vs q") + date, QStringLiteral("&6 p6 vs q") + date,
                           QStringLiteral("&7 p7 vs q") + date, QStringLiteral("&8 p8 vs q") + date,
                           QStringLiteral("&9 p9 vs q") + date}));
    menu->close();
    area->setActiveSubWindow(frames[10]);
    QStringList listed;
    QWidget* owner = nullptr;
    bool chose = false;
    for (const bool ok : {false, true}) {
        NextDialog next([&, ok](QDialog* dialog) {
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Select Window"));
            owner = dialog->parentWidget();
            auto* list = dialog->findChild<QListWidget*>();
            listed.clear();
            for (int row = 0; list && row < list->count(); ++row)
                listed << list->item(row)->text();
            EXPECT_EQ(list->currentRow(), 10); // the active window
            list->setCurrentRow(9);
            chose = true;
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        });
        OpenWindowMenu(frame, menu);
        Choose(menu, QStringLiteral("&More Windows..."));
        ASSERT_TRUE(ProcessEventsUntil([&] { return chose; }));
        chose = false;
        EXPECT_EQ(owner, frame);
        ASSERT_EQ(listed.size(), 11);
        EXPECT_EQ(listed[0], QStringLiteral("alice vs bob") + date);
        EXPECT_EQ(listed[10], QStringLiteral("p11 vs q") + date);
        EXPECT_EQ(area->currentSubWindow(), ok ? frames[9] : frames[10]) << ok;
    }
}

TEST(CommandTable, HelpPagesExistAndTheGuideNamesEveryMenuItem)
{
    const QString folder = QStringLiteral(TAVO_TEST_DATA_DIR "/../../app/res/");
    const auto read = [](const QString& path) { return QString::fromStdString(ReadFile(path)); };
    // Every page that the string table names is there, and every link between the pages
    // leads to a page (and a place in it) that is there.
    for (const UINT id : {IDH_INDEX, IDH_MATCH_TYPES, IDH_COMCTL})
        EXPECT_FALSE(read(folder + LoadStringResource(id)).isEmpty()) << id;
    const QRegularExpression link(QStringLiteral("href=\"([^\"#]*)(?:#([^\"]*))?\""));
    for (const UINT id : {IDH_INDEX, IDH_MATCH_TYPES, IDH_COMCTL}) {
        const QString page = folder + LoadStringResource(id);
        for (const QRegularExpressionMatch& match : link.globalMatch(read(page))) {
            const QString target = match.captured(1).isEmpty()
                                       ? page
                                       : QFileInfo(page).absolutePath() + QLatin1Char('/') + match.captured(1);
            const QString text = read(target);
            EXPECT_FALSE(text.isEmpty()) << match.captured(0).toStdString();
            if (!match.captured(2).isEmpty()) {
                EXPECT_TRUE(text.contains(QStringLiteral("id=\"%1\"").arg(match.captured(2))))
                    << match.captured(0).toStdString();
            }
        }
    }

    // The guide tells what each item of both menus does.
    QString guide = read(folder + LoadStringResource(IDH_INDEX));
    guide.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    PaneWindow window;
    QStringList items = MenuLines(FrameOf(window.app));
    ASSERT_NE(window.Look(MakeGame("alice", "bob")), nullptr);
    items += MenuLines(FrameOf(window.app));
    for (const QString& line : items) {
        const QString item = line.section(QLatin1Char('/'), -1).section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
        if (item != QStringLiteral("-")) {
            EXPECT_TRUE(guide.contains(item, Qt::CaseInsensitive)) << item.toStdString();
        }
    }
}

TEST(CommandTable, EnablingWithAGameWindowAndWhenItIsReEvaluated)
{
    PaneWindow window;
    CMainFrame* frame = FrameOf(window.app);
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame, int(Scaled(std::chrono::milliseconds(5000)).count())));

    // Ctrl+N: a new, empty game window, whose commands join the enabled ones.
    frame->UpdateCommandUI();
    QTest::keyClick(frame, Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(window.app.pGameTemplate->GetDocuments().size(), 1u);
    const std::set<UINT> document = {ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW,
                                     ID_FILE_CLOSE, ID_WINDOW_NEW, ID_WINDOW_CASCADE, ID_WINDOW_TILE_VERT,
                                     ID_WINDOW_ARRANGE, ID_VIEW_START, ID_VIEW_CURRENT};
    frame->UpdateCommandUI();
    for (const UINT id : document)
        EXPECT_TRUE(frame->GetCommandAction(id)->isEnabled()) << id;
    // Not the user's game, nothing to replay, and no edit command anywhere.
    for (const UINT id : {ID_GAME_UNDO, ID_GAME_RESIGN, ID_GAME_BREAK, ID_GAME_ABORT, ID_VIEW_BACK, ID_VIEW_FORWARD,
                          ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_UNDO})
        EXPECT_FALSE(frame->GetCommandAction(id)->isEnabled()) << id;

    // The marks follow the settings when a menu opens, and at the idle step.
    QAction* evals = frame->GetCommandAction(ID_VIEW_EVALS);
    ASSERT_TRUE(evals->isChecked());
    window.app.fShowEvals = false;
    QMenu* view = frame->menuBar()->actions()[1]->menu();
    ASSERT_EQ(view->title(), QStringLiteral("&View"));
    emit view->aboutToShow();
    EXPECT_FALSE(evals->isChecked());
    window.app.fShowEvals = true;
    window.app.OnIdle(0);
    EXPECT_TRUE(evals->isChecked());
}

TEST(CommandTable, ASecondClientSeesTheServerThatTheFirstOneSet)
{
    TestApp app;
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(app.GetProfileString(QStringLiteral("GGS"), QStringLiteral("server")), QString());
    // Another run of the program stores a server name (GGS > Server...) in the file.
    const QString file = TestProfile().fileName();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).absolutePath()));
    {
        QFile profile(file);
        ASSERT_TRUE(profile.open(QIODevice::WriteOnly | QIODevice::Append));
        profile.write("\n[GGS]\nserver=localhost\n");
    }
    // The next Connect of this one goes there.
    EXPECT_EQ(app.GetProfileString(QStringLiteral("GGS"), QStringLiteral("server")), QStringLiteral("localhost"));
}

TEST(CommandTable, GameMenusStayWhileTheProgramIsInTheBackground)
{
    PaneWindow window;
    CMainFrame* frame = FrameOf(window.app);
    ASSERT_NE(window.Look(MakeGame("alice", "bob", {"F5"})), nullptr);
    const QStringList gameMenus = MenuLines(frame);
    ASSERT_TRUE(gameMenus.contains(QStringLiteral("Ga&me")));
    // When the user goes on to another program from one of the talk windows, the MDI
    // area announces that no child is active; the game window is still the current one
    // and its menus stay.
    emit frame->MDIArea()->subWindowActivated(nullptr);
    EXPECT_EQ(MenuLines(frame), gameMenus);
}

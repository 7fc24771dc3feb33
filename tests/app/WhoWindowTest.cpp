// The who window: its rows in the who-list order with the users' classes, the filter of
// the service logins, the notifications that add, move and remove rows, and what its
// clicks, menu and buttons send.
// The kit clients of the stand-in's own tests, before the client's test support.
#include "../net/MatchSupport.h"

#include "TalkSupport.h"

#include "res/KnownLogins.h"
#include "res/Resource.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

// The window's stream, not connected, with a known-login table of the test's own; the
// server's messages are handed to it as the main window hands them on.
struct WhoFixture {
    WhoFixture() : stream({{"prog", 'p'}, {"champ", 'h'}, {"helper", '.'}}) { app.Start(); }
    CDialogGGSWho* Who() { return stream.GetWhoDialog(); }
    void Receive(const std::string& text) { stream.ParseMessage(text); }
    // A who reply with these logins, each with its idle and online times.
    void ReceiveWho(const std::vector<std::string>& logins)
    {
        std::string text = ": who " + std::to_string(logins.size());
        for (const std::string& login : logins)
            text += "\n" + login + " - 1:" + login.substr(login.size() - 1) + "0 2:00 - -";
        Receive(text);
    }

    // The boxes the messages raise come once the handlers have returned.
    std::vector<QString> Boxes() { return boxes.Texts(); }

    TestApp app;
    tavostream stream;
    MessageBoxes boxes;
};

std::string Letter(tavostream& stream, const std::string& login)
{
    CGGSUser user;
    user.login = login;
    stream.ClassifyUser(user);
    return std::string(1, user.status);
}

QCheckBox* ShowServersBox(CDialogGGSWho* who)
{
    return qobject_cast<QCheckBox*>(who->GetDlgItem(IDC_WHO_SHOW_SERVERS));
}

} // namespace

TEST(WhoWindow, ClassesFromLevelsAndTheKnownLogins)
{
    WhoFixture f;
    for (const char* delta : {": + prog 1", ": + champ 3", ": + helper 0", ": + /svc 0", ": + plain 1",
                              ": + low 0", ": + high 2"})
        f.Receive(delta);
    EXPECT_EQ(Letter(f.stream, "prog"), "p");    // a known login of level 1 keeps its letter
    EXPECT_EQ(Letter(f.stream, "champ"), "a");   // level 2 or more wins over the table
    EXPECT_EQ(Letter(f.stream, "helper"), ".");
    EXPECT_EQ(Letter(f.stream, "/svc"), "s");    // a service whatever its level
    EXPECT_EQ(Letter(f.stream, "/absent"), "s");
    EXPECT_EQ(Letter(f.stream, "plain"), "+");
    EXPECT_EQ(Letter(f.stream, "low"), "-");
    EXPECT_EQ(Letter(f.stream, "high"), "a");
    EXPECT_EQ(Letter(f.stream, "nobody"), "-");   // not logged in
    f.Receive(": - prog 1");
    EXPECT_EQ(Letter(f.stream, "prog"), "p");    // the table needs no level

    // The rows in the who-list order: service, 'a', 'h', then '+' and '-' by login, 'p', '.'.
    f.app.fShowServers = true;
    // A first reply without "/os".
    f.ReceiveWho({"low", "helper", "plain", "/svc", "champ", "prog", "high"});
    EXPECT_EQ(f.Boxes(), std::vector<QString>{LoadStringResource(IDS_OS_UNAVAILABLE)});
    EXPECT_EQ(Rows(f.Who()), (std::vector<std::string>{
        "/svc s 1:c0 2:00", "champ a 1:p0 2:00", "high a 1:h0 2:00", "low - 1:w0 2:00", "plain + 1:n0 2:00",
        "prog p 1:g0 2:00", "helper . 1:r0 2:00"}));
}

TEST(WhoWindow, BuiltInTableClassesTheWellKnownLogins)
{
    // The built-in table: 16 helpers, 17 programs and 26 players, no login twice.
    std::map<char, int> counts;
    for (const auto& [login, letter] : BuiltInKnownLogins())
        ++counts[letter];
    EXPECT_EQ(counts, (std::map<char, int>{{'.', 16}, {'h', 26}, {'p', 17}}));
    EXPECT_EQ(BuiltInKnownLogins().size(), 59u);

    // A stream with the built-in table: well-known programs, whatever their level, are
    // listed as programs, below everyone but the helpers.
    TestApp app;
    app.Start();
    tavostream stream;
    MessageBoxes boxes;
    for (const char* delta : {": + /os 2", ": + zebra 1", ": + ntest 0", ": + inoue 0", ": + _bugs 0",
                              ": + plain 1", ": + low 0"})
        stream.ParseMessage(delta);
    stream.ParseMessage(": who 7\n/os s 0:00 0:00 - -\nzebra - 0:01 0:00 - -\nntest - 0:02 0:00 - -\n"
                        "inoue - 0:03 0:00 - -\n_bugs - 0:04 0:00 - -\nplain - 0:05 0:00 - -\nlow - 0:06 0:00 - -");
    EXPECT_EQ(Rows(stream.GetWhoDialog()),
              (std::vector<std::string>{"inoue h 0:03 0:00", "low - 0:06 0:00", "plain + 0:05 0:00",
                                        "ntest p 0:02 0:00", "zebra p 0:01 0:00", "_bugs . 0:04 0:00"}));
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST(WhoWindow, NotificationsStopAddingAtTheUsersCap)
{
    WhoFixture f;
    f.Receive(": + bob 0");
    CDialogGGSWho* who = f.Who();
    ASSERT_NE(who, nullptr);
    // A list one short of the cap, the most users that the stream files.
    std::vector<CGGSUser> users(ggsstream::kMaxUsers - 1);
    for (size_t i = 0; i < users.size(); ++i) {
        users[i].login = "u" + std::to_string(100000 + i);
        users[i].word1 = "0:00";
    }
    who->SetUsers(users);
    const int rows = ListOf(who)->GetItemCount();
    ASSERT_EQ(rows, int(ggsstream::kMaxUsers) - 1);

    // The last place is taken; a further login is refused, and so is it again.
    f.Receive(": + aaron 1");
    EXPECT_EQ(who->m_allUsers.size(), ggsstream::kMaxUsers);
    EXPECT_EQ(Rows(who).front(), "aaron +  ");
    f.Receive(": + abel 1");
    f.Receive(": + abel 1");
    EXPECT_EQ(who->m_allUsers.size(), ggsstream::kMaxUsers);
    EXPECT_EQ(ListOf(who)->GetItemCount(), rows + 1);
    EXPECT_EQ(Rows(who)[1], "u100000 - 0:00 ");
    // A full list still follows its users: a new letter moves a row, a "-" frees a
    // place that the next login takes.
    f.Receive(": + aaron 2");
    EXPECT_EQ(Rows(who).front(), "aaron a  ");
    EXPECT_EQ(who->m_allUsers.size(), ggsstream::kMaxUsers);
    f.Receive(": - u100005 0");
    f.Receive(": + abel 1");
    EXPECT_EQ(Rows(who)[1], "abel +  ");
    EXPECT_EQ(who->m_allUsers.size(), ggsstream::kMaxUsers);
    EXPECT_EQ(ListOf(who)->GetItemCount(), rows + 1);
}

TEST(WhoWindow, ReplyOrderAndTheServersFilter)
{
    WhoFixture f;
    for (const char* delta : {": + /os 2", ": + adam 2", ": + cid 0", ": + bea 1"})
        f.Receive(delta);
    CDialogGGSWho* who = f.Who();
    ASSERT_NE(who, nullptr);
    EXPECT_FALSE(who->isVisible()); // made by the notifications, shown by a reply
    f.ReceiveWho({"cid", "/os", "bea", "adam"});
    EXPECT_TRUE(who->isVisible());
    EXPECT_EQ(Rows(who), (std::vector<std::string>{"adam a 1:m0 2:00", "bea + 1:a0 2:00", "cid - 1:d0 2:00"}));
    EXPECT_FALSE(ShowServersBox(who)->isChecked());
    CListCtrl* list = ListOf(who);
    ASSERT_EQ(list->columnCount(), 4);
    EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("Registered"));
    EXPECT_EQ(std::vector<int>({list->columnWidth(0), list->columnWidth(2), list->columnWidth(3)}),
              std::vector<int>({65, 65, 65}));
    // The letter's column is as wide as its title.
    EXPECT_EQ(CutTexts(list), std::vector<std::string>{});

    // Ticking the box shows the services at the top and keeps the setting.
    ShowServersBox(who)->click();
    EXPECT_TRUE(f.app.fShowServers);
    EXPECT_TRUE(ShowServersBox(who)->isChecked());
    EXPECT_EQ(Rows(who).size(), 4u);
    EXPECT_EQ(Rows(who).front(), "/os s 1:s0 2:00");
    f.ReceiveWho({"cid", "/os", "bea", "adam"});
    EXPECT_EQ(Rows(who).front(), "/os s 1:s0 2:00");
    ShowServersBox(who)->click();
    EXPECT_FALSE(f.app.fShowServers);
    EXPECT_EQ(Rows(who), (std::vector<std::string>{"adam a 1:m0 2:00", "bea + 1:a0 2:00", "cid - 1:d0 2:00"}));
    EXPECT_TRUE(f.Boxes().empty());
}

TEST(WhoWindow, NotificationsAddMoveAndRemoveRows)
{
    WhoFixture f;
    for (const char* delta : {": + /os 2", ": + adam 2", ": + bea 1", ": + cid 0", ": + prog 1"})
        f.Receive(delta);
    f.ReceiveWho({"/os", "adam", "bea", "cid", "prog"});
    CDialogGGSWho* who = f.Who();
    const std::vector<std::string> before = {"adam a 1:m0 2:00", "bea + 1:a0 2:00", "cid - 1:d0 2:00",
                                             "prog p 1:g0 2:00"};
    ASSERT_EQ(Rows(who), before);

    // A new login: one row at its place, with its letter and no times.
    f.Receive(": + bob 0");
    EXPECT_EQ(Rows(who), (std::vector<std::string>{"adam a 1:m0 2:00", "bea + 1:a0 2:00", "bob -  ",
                                                   "cid - 1:d0 2:00", "prog p 1:g0 2:00"}));
    // A listed user whose letter stays: nothing changes.
    f.Receive(": + bea 1");
    EXPECT_EQ(Rows(who)[1], "bea + 1:a0 2:00");
    // Level 0 to 1: the letter changes; to 2: the row moves up among the 'a' users.
    f.Receive(": + cid 1");
    EXPECT_EQ(Rows(who)[3], "cid +  ");
    f.Receive(": + cid 2");
    EXPECT_EQ(Rows(who), (std::vector<std::string>{"adam a 1:m0 2:00", "cid a  ", "bea + 1:a0 2:00", "bob -  ",
                                                   "prog p 1:g0 2:00"}));
    // A known program that reaches level 2 leaves the bottom.
    f.Receive(": + prog 2");
    EXPECT_EQ(Rows(who)[2], "prog a  ");

    // "-" of a hidden service leaves every row; "-" of a shown user takes exactly its row.
    const std::vector<std::string> rows = Rows(who);
    f.Receive(": - /os 2");
    EXPECT_EQ(Rows(who), rows);
    EXPECT_EQ(who->m_allUsers.size(), rows.size());
    f.Receive(": - bob 0");
    EXPECT_EQ(Rows(who), (std::vector<std::string>{"adam a 1:m0 2:00", "cid a  ", "prog a  ", "bea + 1:a0 2:00"}));
    f.Receive(": - stranger 0");
    EXPECT_EQ(Rows(who).size(), 4u);

    // With the services shown, a service's notifications change rows like any other.
    f.app.fShowServers = true;
    f.Receive(": + /os 2");
    EXPECT_EQ(Rows(who).front(), "/os s  ");
    f.Receive(": - /os 2");
    EXPECT_EQ(Rows(who).front(), "adam a 1:m0 2:00");
    // The first notice, still waiting when the same one comes again, gives it its place:
    // the last box tells how things are.
    const QString away = LoadStringResource(IDS_OS_UNAVAILABLE);
    EXPECT_EQ(f.Boxes(), (std::vector<QString>{LoadStringResource(IDS_OS_BACK), away}));
}

TEST(WhoWindow, BadInputStaysBounded)
{
    WhoFixture f;
    f.Receive(": + /os 2");
    // A reply of 100,000 users.
    std::string reply = ": who 100000";
    for (int i = 0; i < 100000; ++i)
        reply += "\nuser" + std::to_string(i) + " - 0:00 0:00 - -";
    f.Receive(reply);
    // The reply keeps the records that a list message may hold.
    EXPECT_EQ(ListOf(f.Who())->GetItemCount(), int(kMaxListItems));
    // 10,000 notifications in a burst, on a list of 2,000.
    reply = ": who 2000";
    for (int i = 0; i < 2000; ++i)
        reply += "\nuser" + std::to_string(i) + " - 0:00 0:00 - -";
    f.Receive(reply);
    for (int i = 0; i < 5000; ++i) {
        f.Receive(": - user" + std::to_string(i) + " 0");
        f.Receive(": + new" + std::to_string(i) + " 1");
    }
    EXPECT_EQ(ListOf(f.Who())->GetItemCount(), 5000);
    EXPECT_EQ(Rows(f.Who()).front(), "new0 +  ");
    // A login of 64 KB is refused, as the users table refuses it; one of the longest
    // login the table files is listed.
    f.Receive(": + " + std::string(64 * 1024, 'z') + " 0");
    EXPECT_EQ(ListOf(f.Who())->GetItemCount(), 5000);
    const std::string longest(ggsstream::kMaxLogin, 'z');
    f.Receive(": + " + longest + " 0");
    EXPECT_EQ(ListOf(f.Who())->GetItemCount(), 5001);
    EXPECT_EQ(ToStd(ListOf(f.Who())->GetItemText(5000, 0)), longest);
    EXPECT_TRUE(f.Boxes().empty());
}

// ---------------------------------------------------------------------------------
// Against the live server, with a second login in the list.

namespace {

int RowOf(CDialogGGSWho* who, const std::string& login)
{
    const std::vector<std::string> rows = Rows(who);
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].rfind(login + " ", 0) == 0)
            return int(i);
    return -1;
}

struct LiveWho {
    LiveWho()
    {
        ok = session.LogIn("alice") && bob.Start(session.server.GetPort())
             && ProcessEventsUntil([this] { return WhoWindow() && RowOf(WhoWindow(), "bob") >= 0; });
    }
    TalkSession session;
    CTestClient bob{"bob"};
    bool ok = false;
};

} // namespace

TEST(WhoWindow, ClicksOpenTalkWindows)
{
    LiveWho live;
    ASSERT_TRUE(live.ok);
    CDialogGGSWho* who = WhoWindow();
    EXPECT_TRUE(who->isVisible());
    CListCtrl* list = ListOf(who);

    // Beside the rows: nothing; on bob's row, any column: bob's window.
    ClickCell(list, -1, 0, Qt::LeftButton);
    EXPECT_EQ(ConsoleTitled("bob"), nullptr);
    ClickCell(list, RowOf(who, "bob"), 2, Qt::LeftButton);
    ASSERT_NE(ConsoleTitled("bob"), nullptr);
    TypeLine(ConsoleTitled("bob"), QStringLiteral("hi"));
    EXPECT_NE(live.bob.Next("alice: hi"), "");

    // Chats joined: the click addresses the joined window to bob.
    live.session.app.fUnifiedChat = true;
    ClickCell(list, RowOf(who, "alice"), 0, Qt::LeftButton);
    CConsole* chat = ConsoleTitled(".chat");
    ASSERT_NE(chat, nullptr);
    EXPECT_EQ(InputOf(chat)->text(), QStringLiteral("alice "));
    ClickCell(list, RowOf(who, "bob"), 1, Qt::LeftButton);
    EXPECT_EQ(InputOf(chat)->text(), QStringLiteral("bob "));
    // The Chat button addresses it to the channel.
    ClickButton(who, IDC_WHO_CHAT);
    EXPECT_EQ(InputOf(chat)->text(), QStringLiteral(".chat "));

    // Old list controls ignore clicks on rows.
    live.session.app.fComCtl471 = false;
    ClickCell(list, RowOf(who, "bob"), 0, Qt::LeftButton);
    EXPECT_EQ(InputOf(chat)->text(), QStringLiteral(".chat "));
    ClickCell(list, RowOf(who, "bob"), 0, Qt::RightButton);
    EXPECT_EQ(OpenMenu(), nullptr);
}

TEST(WhoWindow, ContextMenuAndButtonsSendTheirCommands)
{
    LiveWho live;
    ASSERT_TRUE(live.ok);
    CDialogGGSWho* who = WhoWindow();
    CListCtrl* list = ListOf(who);

    ClickCell(list, -1, 0, Qt::RightButton);
    EXPECT_EQ(OpenMenu(), nullptr);
    ClickCell(list, RowOf(who, "bob"), 0, Qt::RightButton);
    QMenu* menu = OpenMenu();
    ASSERT_NE(menu, nullptr);
    std::vector<std::string> items;
    for (QAction* action : menu->actions())
        items.push_back(ToStd(action->text()) + (action->isEnabled() ? "" : " (disabled)"));
    EXPECT_EQ(items, (std::vector<std::string>{"Challenge...", "Chat", "Info", "Reversi Info", "&History"}));

    {
        // The service's finger reply comes in a box of its own.
        MessageBoxes boxes;
        ChooseMenuItem(QStringLiteral("Reversi Info"));
        EXPECT_TRUE(live.session.Sent("tell /os f bob\n"));
        ASSERT_TRUE(ProcessEventsUntil([&] { return !boxes.Texts().empty(); }));
        ASSERT_EQ(boxes.Texts().size(), 1u);
        EXPECT_TRUE(boxes.Texts()[0].startsWith(QStringLiteral("/os: finger bob\n")));
    }
    ClickCell(list, RowOf(who, "bob"), 3, Qt::RightButton);
    ChooseMenuItem(QStringLiteral("&History"));
    EXPECT_TRUE(live.session.Sent("tell /os f bob\ntell /os history bob\n"));
    ClickCell(list, RowOf(who, "bob"), 0, Qt::RightButton);
    ChooseMenuItem(QStringLiteral("Chat"));
    EXPECT_NE(ConsoleTitled("bob"), nullptr);
    {
        MessageBoxes boxes;
        ClickCell(list, RowOf(who, "bob"), 0, Qt::RightButton);
        ChooseMenuItem(QStringLiteral("Info"));
        EXPECT_TRUE(live.session.Sent("tell /os history bob\nf bob\n"));
        ASSERT_TRUE(ProcessEventsUntil([&] { return !boxes.Texts().empty(); }));
        ASSERT_EQ(boxes.Texts().size(), 1u);
        EXPECT_TRUE(boxes.Texts()[0].contains(QStringLiteral("login: bob")));
    }

    ClickButton(who, IDC_WHO_RATINGS);
    EXPECT_TRUE(live.session.Sent("f bob\ntell /os who 8\n"));
    ClickButton(who, IDC_WHO_REFRESH);
    EXPECT_TRUE(live.session.Sent("tell /os who 8\nwho\n"));
}

TEST(WhoWindow, ResizingGrowsTheListOnly)
{
    WhoFixture f;
    f.Receive(": + bob 1");
    CDialogGGSWho* who = f.Who();
    who->ShowWindow(SW_SHOW);
    ASSERT_TRUE(ProcessEventsUntil([&] { return who->m_bSized; }));
    CListCtrl* list = ListOf(who);
    QWidget* refresh = who->GetDlgItem(IDC_WHO_REFRESH);
    const QRect listBefore = list->geometry();
    const QRect refreshBefore = refresh->geometry();
    // The template's place in dialog units of the dialog font (6 x 12 pixels), as much
    // wider as the "Registered" column is for its title.
    EXPECT_EQ(listBefore, QRect(0, 45, 239 + list->GetTitleWidening(), 324));
    who->resize(who->size() + QSize(30, -50));
    EXPECT_EQ(list->geometry(), listBefore.adjusted(0, 0, 30, -50));
    EXPECT_EQ(refresh->geometry(), refreshBefore);
    who->resize(10, 10);
    EXPECT_EQ(who->size(), QSize(100, 100));
    // Closing only hides it; it keeps following the notifications.
    who->close();
    EXPECT_FALSE(who->isVisible());
    f.Receive(": + cid 0");
    EXPECT_EQ(f.stream.GetWhoDialog(), who);
    EXPECT_EQ(Rows(who).size(), 2u);
}

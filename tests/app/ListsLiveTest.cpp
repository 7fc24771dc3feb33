// The service's list windows against the stand-in server: each filled from the server's
// own reply, its rows in order, and a click on a row doing its work there.
#include "ServiceLiveSupport.h"

#include "DialogOsGames.h"
#include "DialogOsHistory.h"
#include "DialogOsStored.h"
#include "DialogOsTop.h"
#include "DialogOsWho.h"
#include "res/Resource.h"

#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

class ListsLive : public ServiceLive {
protected:
    // The match id once alice's window is open.
    std::string Match(CTestClient& other, const std::string& terms)
    {
        const std::string id = ServiceLive::Match(other, terms);
        WaitForWindow(id);
        return id;
    }
    // The column of every row.
    static std::vector<std::string> Column(CDialogResizableList* dialog, int column)
    {
        std::vector<std::string> cells;
        for (int row = 0; row < dialog->m_list->GetItemCount(); ++row)
            cells.push_back(ToStd(dialog->m_list->GetItemText(row, column)));
        return cells;
    }
};

} // namespace

TEST_F(ListsLive, MatchesWatchedFromTheirWindow)
{
    CTestClient& bob = User("bob");
    CTestClient& carol = User("carol");
    // The reply to the set-up's "match" shows the window, empty.
    ASSERT_TRUE(WaitFor([&] { return Service()->matchesDialog != nullptr; }));
    CDialogOsMatches* matches = Service()->matchesDialog.get();
    EXPECT_TRUE(Rows(matches).empty());
    // It and the who window, both shown at login, stand apart, neither covering the
    // other, and within the screen.
    ASSERT_TRUE(WaitFor([&] { return WhoWindow() && WhoWindow()->isVisible() && matches->isVisible(); }));
    const QRect area = matches->screen()->availableGeometry();
    EXPECT_FALSE(matches->frameGeometry().intersects(WhoWindow()->frameGeometry()));
    EXPECT_TRUE(area.contains(matches->frameGeometry()));
    EXPECT_TRUE(area.contains(WhoWindow()->frameGeometry()));
    // Both stay above the main window, as windows it owns (a dialog's transient hint).
    EXPECT_EQ(matches->windowType(), Qt::Dialog);
    EXPECT_EQ(WhoWindow()->windowType(), Qt::Dialog);
    // Two matches start between others: their rows come from the service's notices.
    const auto start = [](CTestClient& asker, CTestClient& asked, const std::string& terms) {
        asker.Os("ask " + terms + " " + asked.name);
        EXPECT_NE(asker.Next("/os: + ."), "");
        asked.Os("accept " + IdOf(asked.Next("/os: + .")));
        EXPECT_NE(asker.Next("/os: + match "), "");
        return IdOf(asked.Next("/os: + match "));
    };
    const std::string first = start(bob, carol, "8 10:00//0:00");
    const std::string second = start(carol, bob, "8w 10:00//0:00");
    ASSERT_TRUE(WaitFor([&] { return Rows(matches).size() == 2; }));
    std::vector<std::string> ids = {first, second};
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(Column(matches, 0), ids);
    // Asked for again from the menu: the whole list, and the window comes up.
    matches->close();
    MenuCommand(ID_REVERSI_WATCH);
    ASSERT_TRUE(WaitFor([&] { return matches->isVisible(); }));
    EXPECT_EQ(Column(matches, 0), ids);

    // A click watches: the game's window opens.
    const int row = Column(matches, 0)[0] == second ? 0 : 1;
    // carol wished for white: bob plays black.
    EXPECT_EQ(Column(matches, 1)[size_t(row)] + " " + Column(matches, 2)[size_t(row)], "bob carol");
    ClickCell(matches->m_list, row, 0, Qt::LeftButton);
    EXPECT_TRUE(Sent("t /os watch + " + second + "\n"));
    CTavoDoc* doc = WaitForWindow(second);
    ASSERT_NE(doc, nullptr);
    EXPECT_FALSE(doc->IsPlaying());
    // bob resigns: the row goes and the window stays with the end.
    bob.Os("resign " + second);
    ASSERT_TRUE(WaitFor([&] { return Rows(matches).size() == 1; }));
    EXPECT_EQ(Column(matches, 0), std::vector<std::string>{first});
    EXPECT_EQ(doc->GetServer(), nullptr);
}

TEST_F(ListsLive, HistoryLookedAtFromItsWindow)
{
    CTestClient& bob = User("bob");
    const std::string first = Match(bob, "8b 10:00//0:00");
    Os("resign " + first);
    const std::string second = Match(bob, "8w 10:00//0:00");
    bob.Os("resign " + second);
    ASSERT_TRUE(WaitFor([&] { return Service()->panes.empty(); }));

    ModalDriver driver;
    driver.OnDialog([](CDialog* d) {
        EXPECT_EQ(EditOf(d, IDC_LOGIN)->text(), QStringLiteral("alice"));
        ClickButton(d, IDOK);
    });
    MenuCommand(ID_REVERSI_HISTORY);
    ASSERT_TRUE(WaitFor([&] { return Service()->historyDialog && Service()->historyDialog->isVisible(); }));
    EXPECT_TRUE(Sent("tell /os  history alice\n"));
    CDialogOsHistory* history = Service()->historyDialog.get();
    std::vector<std::string> ids = {first, second};
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(Column(history, 0), ids);
    // Black, white and the result from black's view.
    const int row = ids[0] == first ? 0 : 1;
    EXPECT_EQ(Rows(history)[size_t(row)].substr(Rows(history)[size_t(row)].find("|alice|")), "|alice|bob|8b|-64:r");
    EXPECT_EQ(Rows(history)[size_t(1 - row)].substr(Rows(history)[size_t(1 - row)].find("|bob|")), "|bob|alice|8w|-64:r");

    // A click looks at the game: a window of its own, not attached.
    const size_t windows = app.pGameTemplate->GetDocuments().size();
    ClickCell(history->m_list, row, 1, Qt::LeftButton);
    EXPECT_TRUE(Sent("t /os look " + first + "\n"));
    ASSERT_TRUE(WaitFor([&] { return app.pGameTemplate->GetDocuments().size() == windows + 1; }));
    auto* looked = dynamic_cast<CTavoDoc*>(app.pGameTemplate->GetDocuments().back().get());
    EXPECT_EQ(looked->GetServer(), nullptr);
    EXPECT_EQ(looked->players[1].login, "alice");
}

TEST_F(ListsLive, StoredMatchContinuedFromItsWindow)
{
    CTestClient& bob = User("bob");
    const std::string id = Match(bob, "8b 10:00//0:00");
    CTavoDoc* doc = Service()->FindPane(id);
    ASSERT_NE(doc, nullptr);
    Os("play " + id + " F5");
    ASSERT_TRUE(WaitFor([&] { return doc->moves.size() == 1; }));
    bob.Os("break " + id);
    ASSERT_TRUE(WaitFor([&] { return doc->GetServer() == nullptr; }));

    MenuCommand(ID_REVERSI_STORED);
    ASSERT_TRUE(WaitFor([&] { return Service()->storedDialog && Service()->storedDialog->isVisible(); }));
    EXPECT_TRUE(Sent("tell /os  stored\n"));
    CDialogOsStored* stored = Service()->storedDialog.get();
    ASSERT_EQ(Rows(stored).size(), 1u);
    EXPECT_EQ(Rows(stored)[0].substr(0, id.size() + 1), id + "|");
    EXPECT_EQ(Rows(stored)[0].substr(Rows(stored)[0].find("|alice|")), "|alice|bob|8b");

    // The click asks bob to go on; he agrees and the match goes on where it stopped.
    ClickCell(stored->m_list, 0, 2, Qt::LeftButton);
    EXPECT_TRUE(Sent("t /os ask " + id + "\n"));
    const std::string request = bob.Next("/os: + .");
    EXPECT_NE(request.find(" S "), std::string::npos) << request;
    bob.Os("accept " + IdOf(request));
    const std::string resumed = IdOf(bob.Next("/os: + match "));
    CTavoDoc* goesOn = WaitForWindow(resumed);
    ASSERT_NE(goesOn, nullptr);
    EXPECT_NE(goesOn, doc);
    EXPECT_EQ(goesOn->moves.size(), 1u);
    EXPECT_TRUE(goesOn->IsPlaying());
}

TEST_F(ListsLive, RatingsTopAndRank)
{
    CTestClient& bob = User("bob");
    User("carol");
    // A rated game gives alice and bob ratings of their own: alice wins.
    const std::string id = Match(bob, "8b 10:00//0:00");
    bob.Os("resign " + id);
    ASSERT_TRUE(WaitFor([&] { return Service()->panes.empty(); }));

    MenuCommand(ID_REVERSI_RATINGS);
    ASSERT_TRUE(WaitFor([&] { return Service()->ratingsDialog && Service()->ratingsDialog->isVisible(); }));
    EXPECT_TRUE(Sent("tell /os  who 8\n"));
    CDialogOsWho* ratings = Service()->ratingsDialog.get();
    // The lowest adjusted rating first: carol, who never played, is the most uncertain.
    EXPECT_EQ(Column(ratings, 0), (std::vector<std::string>{"carol", "bob", "alice"}));
    EXPECT_EQ(Rows(ratings)[0], "carol|-220|1500|350||||");
    // alice's rating after her win, whole; her one win with a decimal.
    EXPECT_EQ(Column(ratings, 2)[2], "1516");
    EXPECT_EQ(Column(ratings, 4)[2], "1.0");
    // A click challenges the player of the row.
    ModalDriver driver;
    driver.OnDialog([](CDialog* d) {
        EXPECT_EQ(EditOf(d, IDC_GR_OPPONENT)->text(), QStringLiteral("bob"));
        ClickButton(d, IDOK);
    });
    ClickCell(ratings->m_list, 1, 0, Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return driver.Done() && !QApplication::activeModalWidget(); }));
    EXPECT_NE(bob.Next("/os: + ."), "");

    MenuCommand(ID_REVERSI_TOPLIST);
    ASSERT_TRUE(WaitFor([&] { return Service()->topDialog && Service()->topDialog->isVisible(); }));
    EXPECT_TRUE(Sent("tell /os  top 8\n"));
    CDialogOsTop* top = Service()->topDialog.get();
    EXPECT_EQ(top->windowTitle(), QStringLiteral("Top"));
    EXPECT_EQ(Column(top, 0), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(Column(top, 1), (std::vector<std::string>{"alice", "bob"}));
    EXPECT_EQ(Column(top, 3), (std::vector<std::string>{"1516", "1484"}));
    EXPECT_EQ(Column(top, 4), (std::vector<std::string>{"1", "0"}));
    EXPECT_EQ(Column(top, 7), (std::vector<std::string>{"<=", ""}));
    // A click asks the server itself about the player; its answer comes in a box.
    {
        MessageBoxes boxes;
        ClickCell(top->m_list, 1, 3, Qt::LeftButton);
        EXPECT_TRUE(Sent("finger bob\n"));
        ASSERT_TRUE(WaitFor([&] { return !boxes.Texts().empty(); }));
        EXPECT_TRUE(boxes.Texts()[0].contains(QStringLiteral("login: bob")));
    }

    top->close();
    MenuCommand(ID_REVERSI_RANK);
    ASSERT_TRUE(WaitFor([&] { return top->isVisible(); }));
    EXPECT_TRUE(Sent("tell /os  rank 8\n"));
    EXPECT_EQ(Service()->topDialog.get(), top);
    EXPECT_EQ(top->windowTitle(), QStringLiteral("Rank"));
    EXPECT_EQ(Column(top, 1), (std::vector<std::string>{"alice", "bob"}));
}

TEST_F(ListsLive, ChallengeFromTheWhoWindow)
{
    CTestClient& bob = User("bob");
    MenuCommand(ID_GGS_WHO);
    const auto rowOfBob = [] {
        CDialogGGSWho* who = WhoWindow();
        const std::vector<std::string> rows = who ? Rows(who) : std::vector<std::string>();
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].rfind("bob ", 0) == 0)
                return int(i);
        return -1;
    };
    ASSERT_TRUE(WaitFor([&] { return rowOfBob() >= 0; }));
    ModalDriver driver;
    driver.OnDialog([](CDialog* d) {
        EXPECT_EQ(EditOf(d, IDC_GR_OPPONENT)->text(), QStringLiteral("bob"));
        ClickButton(d, IDOK);
    });
    ClickCell(ListOf(WhoWindow()), rowOfBob(), 0, Qt::RightButton);
    ChooseMenuItem(QStringLiteral("Challenge..."));
    ASSERT_TRUE(WaitFor([&] { return driver.Done() && !QApplication::activeModalWidget(); }));
    const std::string request = bob.Next("/os: + .");
    EXPECT_NE(request.find(" 1500 alice "), std::string::npos) << request;
}

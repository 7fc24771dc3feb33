// The service's list windows, filled from the service's replies on a connection that
// records what is sent, and clicked as the user does.
#include "ServiceTestSupport.h"

#include "DialogList.h"
#include "DialogOsGames.h"
#include "DialogOsHistory.h"
#include "DialogOsStored.h"
#include "DialogOsTop.h"
#include "DialogOsWho.h"
#include "res/Resource.h"

#include <gtest/gtest.h>

namespace {

using Lists = ServiceSession<CHelpRecordingApp>;

// A record whose order and equality differ: ordered by key, equal only with the same
// key and name; the list shows the name and the value.
struct Entry {
    int key = 0;
    std::string name;
    std::string value;
    bool operator<(const Entry& b) const { return key < b.key; }
    bool operator==(const Entry& b) const { return key == b.key && name == b.name; }
};

class EntryList : public CDialogList<Entry> {
public:
    EntryList() : CDialogList(IDD_OS_MATCHES, nullptr) {}
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_list->InsertColumn(0, QStringLiteral("Name"));
        m_list->InsertColumn(1, QStringLiteral("Value"));
        return TRUE;
    }
    std::string GetItemLabel(const Entry& item) override { return item.name; }
    void SetSubItems(int row, const Entry& item) override { m_list->SetItemText(row, 1, ToQ(item.value)); }
    void OnItemClick(int row) override { clicks.push_back(row); }
    std::vector<int> clicks;
};

} // namespace

TEST(ListTemplate, RowsFollowTheSortedRecords)
{
    CHelpRecordingApp app;
    ASSERT_TRUE(app.Start());
    EntryList list;
    ASSERT_TRUE(list.Create());
    list.SetItems({{3, "c", "1"}, {1, "a", "1"}, {2, "b", "1"}, {1, "a", "2"}});
    // Equal records: one row, the later one's values; column 0 stays.
    EXPECT_EQ(Rows(&list), (std::vector<std::string>{"a|2", "b|1", "c|1"}));
    list.AddItem({2, "b", "3"});
    list.AddItem({0, "z", "0"});
    EXPECT_EQ(Rows(&list), (std::vector<std::string>{"z|0", "a|2", "b|3", "c|1"}));
    // The same key, not the same record: nothing goes.
    list.RemoveItem({2, "x", "3"});
    list.RemoveItem({9, "c", "1"});
    EXPECT_EQ(Rows(&list).size(), 4u);
    list.RemoveItem({1, "a", "whatever"});
    EXPECT_EQ(Rows(&list), (std::vector<std::string>{"z|0", "b|3", "c|1"}));
    EXPECT_EQ(list.m_items.size(), 3u);
    list.SetItems({});
    EXPECT_TRUE(Rows(&list).empty());
    EXPECT_TRUE(list.m_items.empty());
    list.SetItems({{5, "e", "5"}});
    list.ClearItems();
    EXPECT_TRUE(Rows(&list).empty());
    EXPECT_TRUE(list.m_items.empty());
}

TEST(ListTemplate, ClicksOnRowsOnly)
{
    CHelpRecordingApp app;
    ASSERT_TRUE(app.Start());
    EntryList list;
    ASSERT_TRUE(list.Create());
    list.SetItems({{1, "a", "1"}, {2, "b", "2"}});
    list.ShowWindow(SW_SHOW);
    ClickCell(list.m_list, 1, 1, Qt::LeftButton);
    ClickCell(list.m_list, 0, 0, Qt::LeftButton);
    ClickCell(list.m_list, -1, 0, Qt::LeftButton); // below the last row
    EXPECT_EQ(list.clicks, (std::vector<int>{1, 0}));
    app.fComCtl471 = false;
    ClickCell(list.m_list, 0, 1, Qt::LeftButton);
    EXPECT_EQ(list.clicks.size(), 2u);
}

TEST(ListTemplate, ListFollowsTheWindowsSize)
{
    CHelpRecordingApp app;
    ASSERT_TRUE(app.Start());
    EntryList list;
    ASSERT_TRUE(list.Create());
    list.ShowWindow(SW_SHOW);
    ASSERT_TRUE(ProcessEventsUntil([&] { return list.m_bSized; }));
    const QRect before = list.m_list->geometry();
    // The template's list fills the window.
    EXPECT_EQ(before, QRect(QPoint(0, 0), list.size()));
    list.resize(list.size() + QSize(40, 20));
    EXPECT_EQ(list.m_list->geometry(), before.adjusted(0, 0, 40, 20));
    list.resize(list.size() - QSize(40, 20));
    EXPECT_EQ(list.m_list->geometry(), before);
    // A minimised window keeps its list as it was.
    const QSize size = list.size();
    list.OnSize(SIZE_MINIMIZED, 0, 0);
    list.OnSize(SIZE_RESTORED, size.width(), size.height());
    EXPECT_EQ(list.m_list->geometry(), before);
}

TEST(ListWindows, Matches)
{
    Lists l;
    l.Feed("/os: match 3/3\n.12 1500 bob 1600 ann 8 R 0\n.9 1700 cid 1800 dan s8r20 U 2\n"
           ".100 1500 eve 1500 fay 88ab R 1");
    CDialogOsMatches* matches = l.Service()->matchesDialog.get();
    ASSERT_NE(matches, nullptr);
    EXPECT_TRUE(matches->isVisible());
    EXPECT_EQ(matches->windowTitle(), QStringLiteral("Reversi Matches"));
    EXPECT_EQ(Columns(matches), "Id|Black|White|Game type|Rated");
    // Ids compare as text; the player named first plays black.
    EXPECT_EQ(Rows(matches), (std::vector<std::string>{".100|eve|fay|88ab|R", ".12|bob|ann|8|R", ".9|cid|dan|s8r20|U"}));
    EXPECT_EQ(CutTexts(matches->m_list), std::vector<std::string>{});

    // A double click is one click: one watch, however slow the join.
    DoubleClickCell(matches->m_list, 1, 3);
    EXPECT_EQ(l.Sent(), "t /os watch + .12\n");
    // Once its game is held, the click brings its window up instead.
    l.Feed("/os: join .12 " + GgfText(MakeGame("ann", "bob")));
    CTavoDoc* doc = l.Service()->FindPane(".12");
    ASSERT_NE(doc, nullptr);
    ClickCell(matches->m_list, 1, 0, Qt::LeftButton);
    EXPECT_EQ(l.Sent(), "");

    // Deltas add and remove rows; the window is not brought up by them.
    matches->close();
    l.Feed("/os: + match .50 1500 gus 1500 hal 10 R");
    l.Feed("/os: - match .9 1700 cid 1800 dan s8r20 U +4");
    l.Feed("/os: - match .77 1700 cid 1800 dan 8 U +4"); // never listed
    EXPECT_EQ(Rows(matches), (std::vector<std::string>{".100|eve|fay|88ab|R", ".12|bob|ann|8|R", ".50|gus|hal|10|R"}));
    EXPECT_FALSE(matches->isVisible());
    EXPECT_EQ(l.Service()->matches.size(), 3u);
    // The match of a game window ends: its window gets the end, and its row goes.
    l.Feed("/os: - match .12 1500 bob 1600 ann 8 R -10");
    EXPECT_EQ(Rows(matches).size(), 2u);
    EXPECT_EQ(doc->GetServer(), nullptr);
}

TEST(ListWindows, MatchesTheServiceDoesNotKeepHaveNoRow)
{
    Lists l;
    // A login too long leaves its match out, in a list reply and in a delta.
    const std::string longLogin(ggsstream::kMaxLogin + 1, 'z');
    l.Feed("/os: match 2/2\n.1 1500 bob 1600 ann 8 R 0\n.2 1500 " + longLogin + " 1600 ann 8 R 0");
    CDialogOsMatches* matches = l.Service()->matchesDialog.get();
    ASSERT_NE(matches, nullptr);
    EXPECT_EQ(Rows(matches), std::vector<std::string>{".1|bob|ann|8|R"});
    l.Feed("/os: + match .3 1500 " + longLogin + " 1600 ann 8 R");
    l.Feed("/os: + match .4 1500 ann 1600 " + longLogin + " 8 R");
    EXPECT_EQ(Rows(matches), std::vector<std::string>{".1|bob|ann|8|R"});
    // The service holds as many matches as it may: a new one gets no row.
    for (size_t i = l.Service()->matches.size(); i < CServerOsTavo::kMaxMatches; ++i)
        l.Service()->matches["held" + std::to_string(i)].id = "held" + std::to_string(i);
    l.Feed("/os: + match .5 1500 bob 1600 ann 8 R");
    EXPECT_EQ(Rows(matches), std::vector<std::string>{".1|bob|ann|8|R"});
}

TEST(ListWindows, FirstDeltaBeforeAnyList)
{
    Lists l;
    l.Feed("/os: + match .7 1500 bob 1600 ann 8 R");
    CDialogOsMatches* matches = l.Service()->matchesDialog.get();
    ASSERT_NE(matches, nullptr);
    EXPECT_FALSE(matches->isVisible());
    EXPECT_EQ(Rows(matches), std::vector<std::string>{".7|bob|ann|8|R"});
    // The Watch command shows it.
    l.Service()->ShowMatchesDialog();
    EXPECT_TRUE(matches->isVisible());
}

TEST(ListWindows, HistoryAndStored)
{
    Lists l;
    l.Feed("/os: history 3 bob\n"
           "1234.0 5 Mar 2001 12:34:56 1500 bob 1600 ann +10 8\n"
           "99.1 17 Dec 987 01:02:03 1500 ann 1600 bob -64 s8r20\n"
           ".3 1 Jan 2026 00:00:00 1500 bob 1600 ann 0 8a");
    CDialogOsHistory* history = l.Service()->historyDialog.get();
    ASSERT_NE(history, nullptr);
    EXPECT_TRUE(history->isVisible());
    EXPECT_EQ(history->windowTitle(), QStringLiteral("Match History"));
    EXPECT_EQ(Columns(history), "Id|Date/Time|Black|White|Game type|Result");
    EXPECT_EQ(Rows(history), (std::vector<std::string>{
                                 ".3|2026-Jan-1 00:00:00|bob|ann|8a|0",
                                 "1234.0|2001-Mar-5 12:34:56|bob|ann|8|10",
                                 "99.1| 987-Dec-17 01:02:03|ann|bob|s8r20|-64",
                             }));
    EXPECT_EQ(history->m_list->headerItem()->textAlignment(5) & Qt::AlignRight, Qt::AlignRight);
    EXPECT_EQ(CutTexts(history->m_list), std::vector<std::string>{});
    DoubleClickCell(history->m_list, 1, 2);
    EXPECT_EQ(l.Sent(), "t /os look 1234.0\n");
    // The next reply replaces every row.
    l.Feed("/os: history 0 cid");
    EXPECT_TRUE(Rows(history).empty());

    // Stored matches stand in the order of the reply.
    l.Feed("/os: stored 2 alice\n.5 5 Mar 2001 12:34:56 alice bob 8 :l\n.30 6 Mar 2001 10:00:00 cid alice s10 :l");
    CDialogOsStored* stored = l.Service()->storedDialog.get();
    ASSERT_NE(stored, nullptr);
    EXPECT_TRUE(stored->isVisible());
    EXPECT_EQ(stored->windowTitle(), QStringLiteral("Stored Matches"));
    EXPECT_EQ(Columns(stored), "Id|Date/Time|Black|White|Game type");
    EXPECT_EQ(Rows(stored), (std::vector<std::string>{".5|2001-Mar-5 12:34:56|alice|bob|8",
                                                      ".30|2001-Mar-6 10:00:00|cid|alice|s10"}));
    EXPECT_EQ(CutTexts(stored->m_list), std::vector<std::string>{});
    DoubleClickCell(stored->m_list, 1, 4);
    EXPECT_EQ(l.Sent(), "t /os ask .30\n");
    l.Feed("/os: stored 2 alice\n.30 6 Mar 2001 10:00:00 cid alice s10 :l\n.5 5 Mar 2001 12:34:56 alice bob 8 :l");
    EXPECT_EQ(Rows(stored)[0].substr(0, 4), ".30|");
}

TEST(ListWindows, TopAndRankShareOneWindow)
{
    Lists l;
    l.Feed("/os: top 1500@50 of 3 players in 8 3\n"
           "2 bob 1834.9@0 = 8 + @ 1500 1900 10 2 3\n"
           "1 ann 2100@10 = 8 + @ 1500 2100 40 0 1\n"
           "10 alice -0.5@0 = 8 + @ 0 0 0 0 7 <=");
    CDialogOsTop* top = l.Service()->topDialog.get();
    ASSERT_NE(top, nullptr);
    EXPECT_TRUE(top->isVisible());
    EXPECT_EQ(top->windowTitle(), QStringLiteral("Top"));
    EXPECT_EQ(Columns(top), "Rank|Login|Adj. Rating|Rating|# W|# D|# L|");
    // Ratings cut to their integer part; the own line marked.
    EXPECT_EQ(Rows(top), (std::vector<std::string>{
                             "1|ann|2050|2100|40|0|1|",
                             "2|bob|1834|1834|10|2|3|",
                             "10|alice|0|0|0|0|7|<=",
                         }));
    EXPECT_EQ(CutTexts(top->m_list), std::vector<std::string>{});
    DoubleClickCell(top->m_list, 1, 5);
    // A question to the server itself.
    EXPECT_EQ(l.Sent(), "finger bob\n");

    l.Feed("/os: rank 1500@50 of 3 players in 8 1\n7 alice 1600@20 = 8 + @ 1500 1600 1 0 0 <=");
    EXPECT_EQ(l.Service()->topDialog.get(), top);
    EXPECT_EQ(top->windowTitle(), QStringLiteral("Rank"));
    EXPECT_EQ(Rows(top), std::vector<std::string>{"7|alice|1501|1600|1|0|0|<="});
}

TEST(ListWindows, Ratings)
{
    Lists l;
    l.Feed("/os: who 3 8\n"
           "zed + 1834.6@0 -> 12 3 4.25 @ 80\n"
           "bob + 1500@350\n"
           "amy + 1834.6@0 -> 1 2 3 @ 4");
    CDialogOsWho* ratings = l.Service()->ratingsDialog.get();
    ASSERT_NE(ratings, nullptr);
    EXPECT_TRUE(ratings->isVisible());
    EXPECT_EQ(ratings->windowTitle(), QStringLiteral("Ratings"));
    EXPECT_EQ(Columns(ratings), "Login|Adj. Rating|Rating|SD|Win|Draw|Loss|SD");
    // Lowest adjusted rating first, equal ones by login; rounded, not cut; no statistics
    // leave their columns empty.
    EXPECT_EQ(Rows(ratings), (std::vector<std::string>{
                                 "bob|-220|1500|350||||",
                                 "amy|1835|1835|0|1.0|2.0|3.0|4.0",
                                 "zed|1835|1835|0|12.0|3.0|4.2|80.0",
                             }));
    EXPECT_EQ(CutTexts(ratings->m_list), std::vector<std::string>{});
    // A click offers a match against the player; cancelled, nothing is sent.
    ModalDriver driver;
    driver.OnDialog([](CDialog* d) {
        EXPECT_EQ(EditOf(d, IDC_GR_OPPONENT)->text(), QStringLiteral("amy"));
        ClickButton(d, IDCANCEL);
    });
    ClickCell(ratings->m_list, 1, 3, Qt::LeftButton);
    EXPECT_TRUE(ProcessEventsUntil([&] { return driver.Done() && !QApplication::activeModalWidget(); }));
    EXPECT_EQ(l.Sent(), "");
    EXPECT_EQ(Rows(ratings).size(), 3u);
}

TEST(ListWindows, ConnectionEndingWhileAChallengeIsOpen)
{
    Lists l;
    l.Feed("/os: who 1 8\nbob + 1500@350");
    ModalDriver driver;
    driver.OnDialog([&](CDialog* d) {
        l.connection.reset(); // the service object and its windows go
        ClickButton(d, IDOK);
    });
    ClickCell(l.Service()->ratingsDialog->m_list, 0, 0, Qt::LeftButton);
    EXPECT_TRUE(ProcessEventsUntil([&] { return driver.Done() && !QApplication::activeModalWidget(); }));
}

TEST(ListWindows, LargeListsAndOddRecords)
{
    Lists l;
    std::string matches = "/os: match 10000/10000";
    std::string history = "/os: history 10000 bob";
    for (int i = 0; i < 10000; ++i) {
        // The history comes in no order of its ids.
        const int id = (i * 7919) % 10000;
        matches += "\n." + std::to_string(i) + " 1500 bob 1600 ann 8 R 0";
        history += "\n" + std::to_string(id) + ".0 5 Mar 2001 12:34:56 1500 bob 1600 ann +2 8";
    }
    l.Feed(matches);
    l.Feed(history);
    EXPECT_EQ(l.Service()->matchesDialog->m_list->GetItemCount(), 10000);
    EXPECT_EQ(l.Service()->historyDialog->m_list->GetItemCount(), 10000);
    EXPECT_EQ(l.Service()->historyDialog->m_list->GetItemText(0, 0), QStringLiteral("0.0"));
    EXPECT_EQ(l.Service()->historyDialog->m_list->GetItemText(9999, 0), QStringLiteral("9999.0"));
    // A list cut short keeps what came before the line that cannot be read; a request of
    // an unknown match type changes no window.
    l.Feed("/os: stored 3 alice\n.1 5 Mar 2001 12:34:56 alice bob 8 :l\n.2 garbage\n.3 5 Mar 2001 1:00 a b 8 :l");
    EXPECT_EQ(Rows(l.Service()->storedDialog.get()).size(), 1u);
    l.Feed("/os: + .44 1600 bob 10:00//0:00 zz U 1500 carol 15:00//2:00");
    EXPECT_EQ(l.Service()->requests.size(), 1u);
}

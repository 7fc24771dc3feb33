// The service's requests addressed to the user, its finger replies and its notices to the
// game windows, fed as the server's messages on a connection that records what is sent.
#include "ServiceTestSupport.h"

#include "DialogOsIncomingRequest.h"
#include "res/Resource.h"

#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

struct Session : ServiceSession<CHelpRecordingApp> {
    ~Session()
    {
        connection.reset();
        EXPECT_TRUE(strays.titles.empty()) << strays.titles.front();
    }
    // A request from bob to alice.
    void Request(const std::string& id, const std::string& terms = "8 U")
    {
        Feed("/os: + " + id + " 1600 bob 10:00//0:00 " + terms + " 1500 alice 15:00//2:00");
    }
    // Lets the deferred questions come up.
    void Settle() { ProcessPendingEvents(); }

    StrayModals strays;
};

} // namespace

TEST(ServiceRequests, OnlyThoseAddressedToTheUserAreShown)
{
    Session s;
    s.Feed("/os: + .5 1600 bob 10:00//0:00 8 U 1500 carol 15:00//2:00");
    s.Feed("/os: + .6 1500 alice 10:00//0:00 8 U 1500 bob 15:00//2:00");
    s.Settle();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(s.Service()->requests.size(), 2u);

    ModalDriver driver;
    driver.OnDialog([](CDialog* d) {
        EXPECT_EQ(EditOf(d, IDC_GR_OPPONENT)->text(), QStringLiteral("bob"));
        EXPECT_EQ(EditOf(d, IDC_GR_COLOR)->text(), QStringLiteral("White"));
        ClickButton(d, IDOK);
    });
    driver.OnDialog([](CDialog* d) { ClickButton(d, IDCANCEL); });
    s.Request(".7", "8b R");
    s.Request(".8");
    EXPECT_TRUE(ProcessEventsUntil([&] { return driver.Done() && !QApplication::activeModalWidget(); }));
    EXPECT_EQ(s.Sent(), "t /os accept .7\nt /os decline .8\n");
    // The server's "-" takes the answered requests away; the others stay.
    s.Feed("/os: - .7 1600 bob 10:00//0:00 8b R 1500 alice 15:00//2:00");
    s.Feed("/os: - .8 1600 bob 10:00//0:00 8 U 1500 alice 15:00//2:00");
    EXPECT_EQ(s.Service()->requests.size(), 2u);
    EXPECT_EQ(s.Service()->requests.count(".5"), 1u);
}

TEST(ServiceRequests, StoredMatchIsAnsweredOnce)
{
    Session s;
    for (const bool yes : {true, false}) {
        ModalDriver driver;
        driver.OnMessageBox([yes](QMessageBox* box) {
            box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        s.Feed("/os: + .9 1600 bob 10:00//0:00 8 S 1500 alice .3");
        EXPECT_TRUE(ProcessEventsUntil([&] { return driver.Done() && !QApplication::activeModalWidget(); }));
        s.Settle();
        // The box was the answer: no dialog asks a second time.
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_EQ(driver.messageBoxes, std::vector<QString>{QStringLiteral("bob is asking: Continue stored match .3?")});
        EXPECT_EQ(s.Sent(), yes ? "t /os accept .9\n" : "t /os decline .9\n");
        s.Feed("/os: - .9 1600 bob 10:00//0:00 8 S 1500 alice .3");
    }
}

TEST(ServiceRequests, UnknownMatchTypeIsShownAndAnswered)
{
    Session s;
    ModalDriver driver;
    driver.OnDialog([](CDialog* d) {
        EXPECT_EQ(EditOf(d, IDC_GR_BOARD)->text(), QStringLiteral("Unknown board"));
        EXPECT_EQ(EditOf(d, IDC_GR_COLOR)->text(), QStringLiteral("Random"));
        ClickButton(d, IDCANCEL);
    });
    s.Request(".11", "zz U");
    EXPECT_TRUE(ProcessEventsUntil([&] { return driver.Done() && !QApplication::activeModalWidget(); }));
    EXPECT_EQ(s.Sent(), "t /os decline .11\n");
    // A board that cannot be read ends the request there: it names nobody, and only the
    // service keeps it.
    s.Request(".12", "9q U");
    s.Settle();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(s.Service()->requests.count(".12"), 1u);
}

TEST(ServiceRequests, WithdrawnBeforeShownIsNotShown)
{
    Session s;
    s.Request(".10");
    s.Feed("/os: - .10 1600 bob 10:00//0:00 8 U 1500 alice 15:00//2:00");
    s.Settle();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(s.Sent(), "");
}

TEST(ServiceRequests, BurstWhileADialogIsOpen)
{
    Session s;
    ModalDriver driver;
    int shown = 0;
    driver.OnDialog([&](CDialog* d) {
        ++shown;
        // A thousand more arrive while this one is open; they wait their turn.
        for (int i = 0; i < 1000; ++i)
            s.Request(".b" + std::to_string(i));
        EXPECT_EQ(s.Service()->requests.size(), 1001u);
        // All but the last are withdrawn before their turn comes.
        for (int i = 0; i < 999; ++i)
            s.Feed("/os: - .b" + std::to_string(i) + " 1600 bob 10:00//0:00 8 U 1500 alice 15:00//2:00");
        ClickButton(d, IDCANCEL);
    });
    driver.OnDialog([&](CDialog* d) {
        ++shown;
        ClickButton(d, IDOK);
    });
    s.Request(".a");
    EXPECT_TRUE(ProcessEventsUntil([&] { return driver.Done() && !QApplication::activeModalWidget(); }));
    s.Settle();
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(s.Sent(), "t /os decline .a\nt /os accept .b999\n");
    EXPECT_EQ(s.Service()->requests.size(), 2u);
}

TEST(ServiceRequests, ConnectionEndingWhileADialogIsOpen)
{
    Session s;
    ModalDriver driver;
    driver.OnDialog([&](CDialog* d) {
        s.Request(".c2");
        s.connection.reset(); // the service object goes, and the request waiting with it
        ClickButton(d, IDOK);
    });
    s.Request(".c1");
    EXPECT_TRUE(ProcessEventsUntil([&] { return driver.Done() && !QApplication::activeModalWidget(); }));
    s.Settle();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(ServiceRequests, FingerReplyInABox)
{
    Session s;
    ModalDriver driver;
    // A reply of a few lines: a plain box with the whole text, markup and all.
    const std::string reply = "/os: finger bob\nlogin: <b>bob</b>\nplaying: 0\nratings\n8 1600@50 = 8 + @ 1 2 3 4 5";
    driver.OnMessageBox([](QMessageBox* box) {
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->findChild<QPlainTextEdit*>(), nullptr);
        ExpectDialogFont(box);
        box->button(QMessageBox::Ok)->click();
    });
    // A reply of megabytes: the box shows its beginning and says that the rest is cut;
    // it fits the screen, with its OK button, and its text scrolls.
    std::string huge = "/os: finger carol";
    for (int line = 0; huge.size() < 4'000'000; ++line)
        huge += "\nline " + std::to_string(line) + " of a reply that goes on and on and on";
    driver.OnMessageBox([&](QMessageBox* box) {
        const QString text = box->text();
        EXPECT_TRUE(text.startsWith(QStringLiteral("/os: finger carol\nline 0 ")));
        EXPECT_TRUE(text.endsWith(QStringLiteral("more characters not shown]")));
        EXPECT_LT(text.size(), kBoxChars + 100);
        const QRect screen = box->screen()->availableGeometry();
        EXPECT_TRUE(screen.contains(box->frameGeometry())) << box->frameGeometry().height();
        QAbstractButton* ok = box->button(QMessageBox::Ok);
        EXPECT_TRUE(ok->isVisible());
        EXPECT_TRUE(screen.contains(QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size())));
        auto* view = box->findChild<QPlainTextEdit*>();
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(view->isVisible());
        EXPECT_EQ(view->toPlainText(), text);
        EXPECT_GT(view->verticalScrollBar()->maximum(), 0);
        ExpectDialogFont(box);
        ok->click();
    });
    s.Feed(reply);
    s.Feed(huge);
    EXPECT_TRUE(ProcessEventsUntil([&] { return driver.Done() && !QApplication::activeModalWidget(); }));
    ASSERT_EQ(driver.messageBoxes.size(), 2u);
    EXPECT_EQ(driver.messageBoxes[0], ToQ(reply));
}

TEST(ServiceRequests, BoxesOfTheServerWaitWithinABound)
{
    Session s;
    MessageBoxes boxes;
    // The same reply a hundred times, then more replies than may wait, then the first
    // again: it waits once, behind the others; those past the bound are dropped.
    const std::string same = "/os: finger bob\nlogin: bob";
    for (int i = 0; i < 100; ++i)
        s.Feed(same);
    std::vector<QString> expected;
    for (int i = 0; i < 100; ++i) {
        const std::string reply = "/os: finger p" + std::to_string(i) + "\nlogin: p" + std::to_string(i);
        s.Feed(reply);
        if (i < kMaxWaitingBoxes - 1)
            expected.push_back(ToQ(reply));
    }
    s.Feed(same);
    expected.push_back(ToQ(same));
    ASSERT_TRUE(ProcessEventsUntil([&] { return boxes.Texts().size() >= expected.size(); }));
    s.Settle();
    EXPECT_EQ(boxes.Texts(), expected);
}

TEST(ServiceNotices, ReachTheWindowOfTheirGame)
{
    Session s;
    s.Feed("/os: join .5 " + GgfText(MakeGame("bob", "alice")));
    CTavoDoc* doc = s.Service()->FindPane(".5");
    ASSERT_NE(doc, nullptr);
    const std::vector<std::string> notices = {
        "/os: abort .5 bob is asking",
        "/os: undo .5 bob is asking",
        "/os: timeout .5 bob",
        "/os: fatal-timeout .5 bob",
        "/os: trust-violation .5 bob ( x ) delta= 1.5 / 2 secs",
        "/os: rating_update .5 alice 1500@100 10 -> 1510@90 bob 1600@100 -10 -> 1590@90",
    };
    for (const std::string& notice : notices)
        s.Feed(notice);
    s.Feed("/os: .5 > 1600 bob: well played: really");
    // Notices of games without a window go nowhere.
    s.Feed("/os: abort .6 bob is asking");
    s.Feed("/os: .6 > 1600 bob: lost");
    std::vector<std::string> expected = notices;
    expected.push_back("bob: well played: really");
    EXPECT_EQ(doc->GetComments(), expected);
    EXPECT_TRUE(s.connection->messages.empty());
}

TEST(ServiceNotices, SynchroMatchReachesBothGames)
{
    Session s;
    s.Feed("/os: + match .7 1500 alice 1600 bob s8 R");
    s.Feed("/os: + match .8 1500 alice 1600 bob 8 R");
    s.Feed("/os: join .7.0 " + GgfText(MakeGame("bob", "alice", {}, "s8")));
    s.Feed("/os: join .7.1 " + GgfText(MakeGame("alice", "bob", {}, "s8")));
    s.Feed("/os: join .8 " + GgfText(MakeGame("bob", "alice")));
    CTavoDoc* first = s.Service()->FindPane(".7.0");
    CTavoDoc* second = s.Service()->FindPane(".7.1");
    CTavoDoc* other = s.Service()->FindPane(".8");
    ASSERT_TRUE(first && second && other);
    const std::string update = "/os: rating_update .7 alice 1500@100 10 -> 1510@90 bob 1600@100 -10 -> 1590@90";
    s.Feed(update);
    s.Feed("/os: + carol watch .7");
    s.Feed("/os: - carol watch .8");
    // A watch notice for a match that is not listed is dropped.
    s.Feed("/os: + carol watch .9");
    const std::vector<std::string> synchro = {update, "/os: + carol watch .7"};
    EXPECT_EQ(first->GetComments(), synchro);
    EXPECT_EQ(second->GetComments(), synchro);
    EXPECT_EQ(other->GetComments(), std::vector<std::string>{"/os: - carol watch .8"});
}

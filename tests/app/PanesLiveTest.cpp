// The game window's panes in a game against the stand-in server: alice's client and a kit
// client as her opponent.
#include "ServiceLiveSupport.h"

#include "PaneComments.h"
#include "PaneMain.h"
#include "PanePlayerInfo.h"
#include "PaneTestSupport.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <algorithm>
#include <chrono>

namespace {

class LivePanes : public ServiceLive {
protected:
    void SetUp() override
    {
        ServiceLive::SetUp();
        app.pBoardStyle = &CBoardStyle::standard;
    }
};

} // namespace

TEST_F(LivePanes, ClockRunsDownOnScreen)
{
    CTavoDoc* doc = WaitForWindow(Match(User("bob"), "8b 1:00//0:00"));
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->IsMyTurn());
    CTavoView* view = ViewOf(doc);
    // alice (black, on the left) is to move: her clock runs on the idle passes, bob's
    // stands.
    const QRect aliceClock(55, 406, 130, 23);
    const QRect bobClock(210, 406, 135, 23);
    const QImage before = view->grab().toImage();
    // Each idle step redraws it as it stands at that step: once the repaint is on the
    // screen, it shows the second that the clock had then. The frame's idle timer runs
    // the step every 950 ms; here each step is the timer's tick sent by the test, so that
    // what is seen follows the steps and not when the timer fires.
    auto* pane = view->GetRootPane()->FindPane<CPanePlayerInfo>();
    ASSERT_NE(pane, nullptr);
    const auto liveSeconds = [pane] {
        CGGClock clocks[2];
        pane->GetClocks(clocks);
        return int(clocks[1].timeLeft);
    };
    ASSERT_NE(Frame()->idleTimer, 0u);
    ProcessPendingEvents();
    QImage shown = OnScreen(doc, aliceClock);
    int shownSeconds = liveSeconds();
    int redraws = 0;
    while (redraws < 2 && !HasFailure()) {
        // The clock runs on to its next second (the one hang guard here).
        ASSERT_TRUE(WaitFor([&] { return liveSeconds() != shownSeconds; }));
        const int atStep = liveSeconds();
        Frame()->SendMessage(WM_TIMER, Frame()->idleTimer, 0);
        const bool turnedDuringStep = liveSeconds() != atStep;
        ProcessPendingEvents();
        const QImage now = OnScreen(doc, aliceClock);
        if (turnedDuringStep) // either second may show
            continue;
        EXPECT_TRUE(now != shown) << "second " << atStep;
        // The same second again shows the same.
        Frame()->SendMessage(WM_TIMER, Frame()->idleTimer, 0);
        ProcessPendingEvents();
        if (liveSeconds() == atStep) {
            EXPECT_TRUE(OnScreen(doc, aliceClock) == now) << "second " << atStep;
        }
        shown = now;
        shownSeconds = atStep;
        ++redraws;
    }
    const QImage after = view->grab().toImage();
    EXPECT_NE(after.copy(aliceClock), before.copy(aliceClock));
    EXPECT_EQ(after.copy(bobClock), before.copy(bobClock));
    CGGClock clocks[2];
    pane->GetClocks(clocks);
    EXPECT_LE(clocks[1].timeLeft, 59);
    EXPECT_EQ(clocks[0].timeLeft, 60);
}

TEST_F(LivePanes, CommentTypedReachesTheOpponent)
{
    CTestClient& bob = User("bob");
    CTavoDoc* doc = WaitForWindow(Match(bob, "8w 5:00//0:00"));
    ASSERT_NE(doc, nullptr);
    CPaneMain* root = ViewOf(doc)->GetRootPane();
    auto* input = qobject_cast<QLineEdit*>(root->m_pCommentsIn->GetWindow());
    auto* output = qobject_cast<QPlainTextEdit*>(root->m_pCommentsOut->GetWindow());
    ASSERT_NE(input, nullptr);
    QTest::keyClicks(input, QStringLiteral("have fun, bob"));
    QTest::keyClick(input, Qt::Key_Return);
    // bob is told it once, as a comment of the game from alice.
    const std::string told = bob.Next("/os: " + doc->GetId() + " ");
    EXPECT_EQ(told.substr(told.size() - std::string(": have fun, bob").size()), ": have fun, bob");
    EXPECT_NE(told.find("alice"), std::string::npos);
    bob.Sync();
    EXPECT_FALSE(bob.Has("/os: " + doc->GetId() + " "));
    // alice's window shows her comment; the field is empty for the next.
    EXPECT_TRUE(ProcessEventsUntil([&] { return output->toPlainText() == QStringLiteral("alice: have fun, bob"); }));
    EXPECT_EQ(input->text(), QString());
    // bob's answer reaches alice's window below her own comment.
    bob.Os("tell " + doc->GetId() + " thanks, you too");
    EXPECT_TRUE(ProcessEventsUntil([&] { return output->toPlainText().contains(QStringLiteral("you too")); }));
    EXPECT_EQ(output->toPlainText(), QStringLiteral("alice: have fun, bob\nbob: thanks, you too"));
}

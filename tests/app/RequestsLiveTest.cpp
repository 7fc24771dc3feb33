// Challenges against the stand-in server, made and answered in the request dialogs.
#include "ServiceLiveSupport.h"

#include "res/Resource.h"

#include <gtest/gtest.h>

TEST_F(ServiceLive, ChallengeFromTheDialogAcceptedByTheOther)
{
    CTestClient& bob = User("bob");
    ModalDriver driver;
    driver.OnDialog([](CDialog* d) {
        Retype(EditOf(d, IDC_GR_OPPONENT), QStringLiteral("bob"));
        Choose(ComboOf(d, IDC_GR_COLOR), QStringLiteral("Black"));
        Retype(EditOf(d, IDC_GR_MY_TIME), QStringLiteral("10:00//0:00"));
        ClickButton(d, IDOK);
    });
    MenuCommand(ID_REVERSI_NEWGAME);
    ASSERT_TRUE(WaitFor([&] { return driver.Done() && !QApplication::activeModalWidget(); }));
    // Unrated, from a registered user: between the two switches.
    EXPECT_TRUE(Sent("t /os rated -\nt /os ask 8b 10:00//0:00 10:00//0:00 bob\nt /os rated +\n"));
    const std::string request = bob.Next("/os: + .");
    ASSERT_NE(request, "");
    EXPECT_NE(request.find(" 8b U "), std::string::npos) << request;
    bob.Os("accept " + IdOf(request));
    const std::string id = IdOf(bob.Next("/os: + match "));
    CTavoDoc* doc = WaitForWindow(id);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->players[1].login, "alice");
    EXPECT_TRUE(doc->IsMyTurn());
}

TEST_F(ServiceLive, IncomingChallengesAcceptedAndDeclined)
{
    CTestClient& bob = User("bob");
    // Declined: the request goes, no match starts.
    {
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) {
            EXPECT_EQ(EditOf(d, IDC_GR_OPPONENT)->text(), QStringLiteral("bob"));
            EXPECT_EQ(EditOf(d, IDC_GR_COLOR)->text(), QStringLiteral("Black"));
            EXPECT_EQ(EditOf(d, IDC_GR_MY_TIME)->text(), QStringLiteral("5:00//0:00"));
            ClickButton(d, IDCANCEL);
        });
        bob.Os("ask 8w 5:00//0:00 alice");
        const std::string request = bob.Next("/os: + .");
        ASSERT_TRUE(WaitFor([&] { return driver.Done() && !QApplication::activeModalWidget(); }));
        EXPECT_TRUE(Sent("t /os decline " + IdOf(request) + "\n"));
        EXPECT_NE(bob.Next("/os: - " + IdOf(request) + " "), "");
        EXPECT_TRUE(WaitFor([&] { return Service()->requests.empty(); }));
        EXPECT_TRUE(Service()->panes.empty());
    }
    // Accepted: the match starts and its window opens.
    {
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) { ClickButton(d, IDOK); });
        bob.Os("ask 8 5:00//0:00 alice");
        const std::string request = bob.Next("/os: + .");
        ASSERT_TRUE(WaitFor([&] { return driver.Done() && !QApplication::activeModalWidget(); }));
        EXPECT_TRUE(Sent("t /os accept " + IdOf(request) + "\n"));
        const std::string id = IdOf(bob.Next("/os: + match "));
        EXPECT_NE(WaitForWindow(id), nullptr);
    }
}

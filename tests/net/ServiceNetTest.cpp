// The "/os" service end to end: the stand-in announces the service, the stream builds
// the service object, and scripted service texts reach its state and events.

#include "NetSupport.h"
#include "Server.h"

namespace {

std::string Board8()
{
    return "8 " + std::string(27, '-') + "O*" + std::string(6, '-') + "*O" + std::string(27, '-') + " *";
}

std::string Game(const std::string& id, const std::string& type, const std::string& black,
                 const std::string& white, const std::string& moves)
{
    return "/os: join " + id + "\n|(;GM[Othello]PC[GGS/os]DT[2026.12.09_04:30:00.GMT]PB[" + black + "]PW[" + white +
           "]RE[?]TI[5:00//2:00]TY[" + type + "]BO[" + Board8() + "]" + moves + ";)";
}

} // namespace

TEST_F(NetTest, ServiceFollowsTheScriptedService)
{
    const std::string join3 = Game(".3", "8", "tester", "bob", "B[F5]W[D6]");
    const std::string join5 = Game(".5.0", "s8", "bob", "tester", "");
    std::string script = "@expect notify + /os\\n\n"
                         ": + /os 1\n"
                         "READY\n"
                         "@expect tell /os notify + *\\n\n";
    for (const std::string& text : {
             std::string("/os: + match .3 1700 bob 1800 tester 8 R"),
             join3,
             std::string("/os: update .3 C3/0.50/1.25"),
             std::string("/os: update .9 C3"),
             std::string("/os: + match .5 1700 bob 1800 tester s8 R"),
             join5,
             std::string("/os: end .5.0 ( bob vs. tester ) 12"),
             std::string("/os: + .r7 1600 carl 5:00//2:00 8 R 1800 tester 5:00//2:00"),
             std::string("/os: who 2\n|carl + 1600@80\n|tester + 1800@60 -> 1 2 3 @ 50"),
             std::string("/os: ERR you are not registered."),
         })
        script += text + "\nREADY\n";
    script += "@pause 20\n/os: - match .3 1700 bob 1800 tester 8 R -10\nREADY\n";
    server.SetScript(script);

    ConnectAndLogin();
    StartReader();
    ASSERT_TRUE(stream.WaitForText("/os: - match .3 1700 bob 1800 tester 8 R -10"));
    ASSERT_TRUE(server.WaitForClientText("tell /os client +\ntell /os notify + *\n", kNetTimeout));

    auto* service = dynamic_cast<CServerOs*>(stream.FindService("/os"));
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(service->connection, &stream);

    // Match .3 ended: its game got the line's result from bob's view (bob is white).
    EXPECT_EQ(service->FindGame(".3"), nullptr);
    EXPECT_EQ(service->FindMatch(".3"), nullptr);
    ASSERT_NE(service->FindMatch(".5"), nullptr);
    const COsGame* synchro = service->FindGame(".5.0");
    ASSERT_NE(synchro, nullptr);
    EXPECT_EQ(synchro->result.kind, CGGResult::kScore);
    EXPECT_DOUBLE_EQ(synchro->result.score, 12);
    ASSERT_NE(service->FindRequest(".r7"), nullptr);
    EXPECT_EQ(service->requests.size(), 1u);

    // Every message but the who list reached the generic handler once, in order.
    std::vector<std::string> forwarded;
    for (const std::string& text : stream.messages)
        if (text.rfind("/os", 0) == 0)
            forwarded.push_back(text);
    ASSERT_EQ(forwarded.size(), 10u);
    EXPECT_EQ(forwarded.front(), "/os: + match .3 1700 bob 1800 tester 8 R");
    EXPECT_EQ(forwarded[1], join3.substr(0, join3.find('|')) + join3.substr(join3.find('|') + 1));
    EXPECT_EQ(forwarded[8], "/os: ERR you are not registered.");
    EXPECT_EQ(forwarded.back(), "/os: - match .3 1700 bob 1800 tester 8 R -10");

    // A command through Tell leaves as one line once flushed.
    service->Tell() << "watch + .5\n";
    stream.flush();
    ASSERT_TRUE(server.WaitForClientText("t /os watch + .5\n", kNetTimeout));
    EXPECT_EQ(server.GetClientBytes(),
              "tester\npw\nve -ack\nnotify + /os\ntell /os client +\ntell /os notify + *\nt /os watch + .5\n");
}

TEST_F(NetTest, ServiceGoesAndComesWithItsLogin)
{
    server.SetScript(": + /os 1\nREADY\n"
                     "/os: + match .1 1700 bob 1800 ann 8 R\nREADY\n"
                     ": - /os\nREADY\n"
                     "/os: + match .2 1700 bob 1800 ann 8 R\nREADY\n"
                     ": + /os 1\nREADY\n"
                     "/os: + match .3 1700 bob 1800 ann 8 R\nREADY\n");
    ConnectAndLogin();
    StartReader();
    ASSERT_TRUE(stream.WaitForText("/os: + match .3 1700 bob 1800 ann 8 R"));
    ASSERT_TRUE(server.WaitForClientText("tell /os notify + *\ntell /os client +\ntell /os notify + *\n",
                                         kNetTimeout));

    // The service object built the second time starts empty; while "/os" was away its
    // text was a tell from "/os".
    auto* service = dynamic_cast<CServerOs*>(stream.FindService("/os"));
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(service->matches.size(), 1u);
    EXPECT_NE(service->FindMatch(".3"), nullptr);
    EXPECT_EQ(stream.servicePresent, (std::vector<bool>{false, false, true, true, false, false, true, true}));
}

#include "MatchSupport.h"

namespace {

std::string Score(double score)
{
    std::ostringstream text;
    text << score;
    return text.str();
}

} // namespace

TEST_F(StandinMatchTest, WholeGameWatchedByAThird)
{
    CTestClient& alice = User("alice", 1);
    CTestClient& bob = User("bob", 1);
    CTestClient& carol = User("carol");

    // The request reaches both logins; rated, since both play rated.
    alice.Os("ask 8b 10:00//1:00 10:00/0:05/1:00 bob");
    EXPECT_EQ(alice.Next("/os: + ."), "/os: + .1 1500 alice 10:00//1:00 8b R 1500 bob 10:00/0:05/1:00");
    EXPECT_EQ(bob.Next("/os: + ."), "/os: + .1 1500 alice 10:00//1:00 8b R 1500 bob 10:00/0:05/1:00");
    EXPECT_FALSE(carol.Has("/os: + ."));
    bob.Os("accept .1");
    EXPECT_EQ(alice.Next("/os: - ."), "/os: - .1 1500 alice 10:00//1:00 8b R 1500 bob 10:00/0:05/1:00");
    EXPECT_EQ(bob.Next("/os: - ."), "/os: - .1 1500 alice 10:00//1:00 8b R 1500 bob 10:00/0:05/1:00");
    // The match is announced to everyone notified; the game goes to both players.
    for (CTestClient* each : {&alice, &bob, &carol})
        EXPECT_EQ(each->Next("/os: + match"), "/os: + match .2 1500 alice 1500 bob 8b R") << each->name;
    const std::string join = alice.Next("/os: join .2 ");
    EXPECT_EQ(bob.Next("/os: join .2 "), join);
    EXPECT_EQ(join,
              "/os: join .2 (;GM[Reversi]PC[GGS/os]DT[28 May 2026 20:26:40]PB[alice]PW[bob]RE[?]RB[1500]RW[1500]"
              "TB[10:00//1:00]TW[10:00/0:05/1:00]TY[8b]BO[8 ---------------------------O*------*O"
              "--------------------------- *];)");
    CJoinedGame game = ReadJoin(join);
    EXPECT_EQ(game.black, "alice");

    // The third login watches: the game comes to it, and everyone hears of the watcher.
    carol.Os("watch + .2");
    EXPECT_EQ(carol.Next("/os: join .2 "), join);
    for (CTestClient* each : {&alice, &bob, &carol})
        EXPECT_EQ(each->Next("/os: + carol watch"), "/os: + carol watch .2") << each->name;
    carol.Os("watch");
    EXPECT_EQ(carol.Next("/os: watch"), "/os: watch 1 : .2 (1)");
    alice.Os("match");
    EXPECT_EQ(alice.Next("/os: match"), "/os: match 1/1\n.2 1500 alice 1500 bob 8b R 1");

    // The time used is the server's: 2.5 seconds for black's first move.
    server.AdvanceClock(2.5);
    alice.Os("play .2 F5/0.30/9.99");
    for (CTestClient* each : {&alice, &bob, &carol})
        EXPECT_EQ(each->Next("/os: update .2 "), "/os: update .2 F5/0.30/2.50") << each->name;
    game.board.Update(COsMove(4, 5));
    // Comments go to the players and the watchers, but not back to the writer.
    bob.Os("tell .2 good luck: both");
    EXPECT_EQ(alice.Next("/os: .2"), "/os: .2 > 1500 bob: good luck: both");
    EXPECT_EQ(carol.Next("/os: .2"), "/os: .2 > 1500 bob: good luck: both");
    carol.Os("tell .2 hello");
    EXPECT_EQ(bob.Next("/os: .2"), "/os: .2 - 1500 carol: hello");
    EXPECT_FALSE(bob.Has("/os: .2 > 1500 bob"));

    const COsBoard end = PlayOut(game, alice, bob, {&carol});
    const std::string result = Score(end.Result(false));
    for (CTestClient* each : {&alice, &bob, &carol})
        EXPECT_EQ(each->Next("/os: - match"), "/os: - match .2 1500 alice 1500 bob 8b R " + result) << each->name;
    const bool aliceWon = end.Result(false) > 0;
    const std::string winner = aliceWon ? "alice" : "bob", loser = aliceWon ? "bob" : "alice";
    const std::string update = aliceWon ? "alice 1500@350 +16 -> 1516@315 bob 1500@350 -16 -> 1484@315"
                                        : "alice 1500@350 -16 -> 1484@315 bob 1500@350 +16 -> 1516@315";
    EXPECT_EQ(alice.Next("/os: rating_update"), "/os: rating_update .2 " + update);
    EXPECT_EQ(bob.Next("/os: rating_update"), "/os: rating_update .2 " + update);
    EXPECT_FALSE(carol.Has("/os: rating_update"));

    // The lists know the game now.
    alice.Os("match");
    EXPECT_EQ(alice.Next("/os: match"), "/os: match 0/0");
    carol.Os("history alice");
    EXPECT_EQ(carol.Next("/os: history"),
              "/os: history 1 alice\n.2 28 May 2026 20:26:40 1500 alice 1500 bob " + result + " 8b");
    carol.Os("look .2");
    const std::string look = carol.Next("/os: look");
    EXPECT_EQ(look.substr(0, 34), "/os: look 1\n(;GM[Reversi]PC[GGS/os");
    EXPECT_NE(look.find("]RE[" + result + "]"), std::string::npos) << look;
    EXPECT_NE(look.find("]B[F5/0.30/2.50]W["), std::string::npos) << look;
    bob.Os("who 8");
    const std::string who = bob.Next("/os: who");
    EXPECT_NE(who.find("\n" + winner + " + 1516@315 -> 1 0 0 @ 315"), std::string::npos) << who;
    EXPECT_NE(who.find("\n" + loser + " + 1484@315 -> 0 0 1 @ 315"), std::string::npos) << who;
    EXPECT_NE(who.find("\ncarol + 1500@350"), std::string::npos) << who;
    EXPECT_EQ(who.substr(0, 13), "/os: who 3 8\n");
    bob.Os("top 8");
    EXPECT_EQ(bob.Next("/os: top"), "/os: top " + std::string(aliceWon ? "1484@315" : "1516@315") +
                                        " of 2 players in 8 2\n1 " + winner + " 1516@315 = 8 + @ 1500 1516 1 0 0" +
                                        (aliceWon ? "" : " <=") + "\n2 " + loser +
                                        " 1484@315 = 8 + @ 1484 1500 0 0 1" + (aliceWon ? " <=" : ""));
    carol.Os("rank 8 bob");
    EXPECT_NE(carol.Next("/os: rank").find("bob 1" + std::string(aliceWon ? "484" : "516") + "@315"), std::string::npos);
    carol.Os("rank 8");
    EXPECT_EQ(carol.Next("/os: rank"), "/os: rank 1500@350 of 2 players in 8 2\n1 " + winner +
                                            " 1516@315 = 8 + @ 1500 1516 1 0 0\n2 " + loser +
                                            " 1484@315 = 8 + @ 1484 1500 0 0 1");
    carol.Os("finger alice");
    EXPECT_EQ(carol.Next("/os: finger"), "/os: finger alice\nlogin: alice\nlevel: 1\nrated: +\nopen: 1\nplaying: 0\n"
                                         "ratings\n8 " + std::string(aliceWon ? "1516@315 = 8 + @ 1500 1516 1 0 0"
                                                                              : "1484@315 = 8 + @ 1484 1500 0 0 1"));
}

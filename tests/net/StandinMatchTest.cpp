#include "MatchSupport.h"

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
    {
        // Both clients hold the request; the asked one is its second player.
        ASSERT_NE(bob.Service(), nullptr);
        const auto* request = bob.Service()->FindRequest(".1");
        ASSERT_NE(request, nullptr);
        EXPECT_EQ(request->players[0].login, "alice");
        EXPECT_EQ(request->players[1].login, "bob");
        EXPECT_EQ(request->rated, 'R');
        EXPECT_EQ(request->clocks[1].increment, 5);
    }
    EXPECT_EQ(alice.Held(), (std::vector<size_t>{1, 0, 0}));
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
    EXPECT_EQ(alice.Held(), (std::vector<size_t>{0, 1, 1}));
    EXPECT_EQ(carol.Held(), (std::vector<size_t>{0, 1, 0}));

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
    const std::string result = Text(end.Result(false));
    for (CTestClient* each : {&alice, &bob, &carol}) {
        EXPECT_EQ(each->Next("/os: - match"), "/os: - match .2 1500 alice 1500 bob 8b R " + result) << each->name;
        // Every client played every update on its record and ends with the server's result.
        const COsGame ended = each->Ended(".2");
        EXPECT_EQ(ended.posCurrent.board.squares, end.squares) << each->name;
        EXPECT_EQ(ended.result.kind, CGGResult::kScore) << each->name;
        EXPECT_EQ(ended.result.score, end.Result(false)) << each->name;
        EXPECT_DOUBLE_EQ(ended.posCurrent.clocks[1].timeLeft, 600 - 2.5) << each->name;
        EXPECT_EQ(each->Held(), (std::vector<size_t>{0, 0, 0})) << each->name;
    }
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
    EXPECT_NE(carol.Next("/os: rank").find("bob 1" + std::string(aliceWon ? "484" : "516") + "@315"),
              std::string::npos);
    carol.Os("rank 8");
    EXPECT_EQ(carol.Next("/os: rank"), "/os: rank 1500@350 of 2 players in 8 2\n1 " + winner +
                                            " 1516@315 = 8 + @ 1500 1516 1 0 0\n2 " + loser +
                                            " 1484@315 = 8 + @ 1484 1500 0 0 1");
    carol.Os("finger alice");
    EXPECT_EQ(carol.Next("/os: finger"), "/os: finger alice\nlogin: alice\nlevel: 1\nrated: +\nopen: 1\nplaying: 0\n"
                                         "ratings\n8 " + std::string(aliceWon ? "1516@315 = 8 + @ 1500 1516 1 0 0"
                                                                              : "1484@315 = 8 + @ 1484 1500 0 0 1"));
}

TEST_F(StandinMatchTest, SynchroMatchIsTwoGames)
{
    CTestClient& alice = User("alice");
    CTestClient& bob = User("bob");
    CTestClient& carol = User("carol");
    const std::string id = StartMatch(alice, bob, "s6 5:00//0:00 5:00//0:00");
    EXPECT_EQ(id, ".2");
    // Each player is black in one game, on the same start position.
    CJoinedGame first = ReadJoin(alice.Next("/os: join .2.0 "));
    CJoinedGame second = ReadJoin(alice.Next("/os: join .2.1 "));
    EXPECT_EQ(bob.Next("/os: join .2.0 "), "/os: join .2.0 " + first.ggf);
    EXPECT_EQ(bob.Next("/os: join .2.1 "), "/os: join .2.1 " + second.ggf);
    EXPECT_EQ(first.black, "alice");
    EXPECT_EQ(second.black, "bob");
    EXPECT_EQ(first.game.matchType.kind, 's');
    // Watching the match brings both games.
    carol.Os("watch + .2");
    EXPECT_EQ(carol.Next("/os: join .2.0 "), "/os: join .2.0 " + first.ggf);
    EXPECT_EQ(carol.Next("/os: join .2.1 "), "/os: join .2.1 " + second.ggf);

    // The games are played apart; each reports its own end.
    const COsBoard end0 = PlayOut(first, alice, bob, {&carol});
    const std::string score0 = Text(end0.Result(false));
    for (CTestClient* each : {&alice, &bob, &carol})
        EXPECT_EQ(each->Next("/os: end .2.0"), "/os: end .2.0 ( alice vs. bob ) " + score0) << each->name;
    EXPECT_FALSE(alice.Has("/os: - match"));
    const COsBoard end1 = PlayOut(second, bob, alice, {&carol});
    const std::string score1 = Text(end1.Result(false));
    for (CTestClient* each : {&alice, &bob, &carol})
        EXPECT_EQ(each->Next("/os: end .2.1"), "/os: end .2.1 ( bob vs. alice ) " + score1) << each->name;
    // The match's result is alice's: her score as black less bob's as black.
    const std::string total = Text(end0.Result(false) - end1.Result(false));
    for (CTestClient* each : {&alice, &bob, &carol}) {
        EXPECT_EQ(each->Next("/os: - match"), "/os: - match .2 1500 alice 1500 bob s6 U " + total) << each->name;
        // Each game keeps the result of its own end, from black's view.
        const COsGame first = each->Ended(".2.0"), second = each->Ended(".2.1");
        EXPECT_EQ(first.result.kind, CGGResult::kScore) << each->name;
        EXPECT_EQ(first.result.score, end0.Result(false)) << each->name;
        EXPECT_EQ(second.result.kind, CGGResult::kScore) << each->name;
        EXPECT_EQ(second.result.score, end1.Result(false)) << each->name;
        EXPECT_EQ(second.posCurrent.board.squares, end1.squares) << each->name;
        EXPECT_EQ(each->Held(), (std::vector<size_t>{0, 0, 0})) << each->name;
    }
    EXPECT_FALSE(alice.Has("/os: rating_update"));
    alice.Os("history");
    EXPECT_EQ(alice.Next("/os: history"), "/os: history 2 alice\n.2.1 28 May 2026 20:26:40 1500 bob 1500 alice " +
                                              score1 + " s6\n.2.0 28 May 2026 20:26:40 1500 alice 1500 bob " +
                                              score0 + " s6");
    alice.Os("look .2");
    const std::string look = alice.Next("/os: look");
    EXPECT_EQ(look.substr(0, 14), "/os: look 2\n(;");
    EXPECT_NE(look.find(";)\n(;"), std::string::npos);
}

TEST_F(StandinMatchTest, KomiMatchWithBothBids)
{
    CTestClient& alice = User("alice");
    CTestClient& bob = User("bob");
    const std::string id = StartMatch(alice, bob, "6k 5:00//0:00 5:00//0:00");
    const CJoinedGame start = ReadJoin(alice.Next("/os: join " + id + " "));
    EXPECT_EQ(bob.Next("/os: join " + id + " "), "/os: join " + id + " " + start.ggf);
    EXPECT_TRUE(start.game.NeedsKomi());
    const std::vector<COsMove> legal = start.board.LegalMoves();
    ASSERT_GE(legal.size(), 2u);

    // Bids are moves with the bid as evaluation; the first is kept until the second comes.
    server.AdvanceClock(3);
    bob.Os("play " + id + " " + Text(legal[0]) + "/2.5");
    bob.Sync();
    EXPECT_FALSE(alice.Has("/os: join"));
    EXPECT_FALSE(alice.Has("/os: update"));
    server.AdvanceClock(4);
    alice.Os("play " + id + " " + Text(legal[1]) + "/1");
    // The higher bidder, bob, is black and gives the mean of the bids to white.
    const CJoinedGame game = ReadJoin(alice.Next("/os: join " + id + " "));
    EXPECT_EQ(bob.Next("/os: join " + id + " "), "/os: join " + id + " " + game.ggf);
    EXPECT_EQ(game.black, "bob");
    EXPECT_NE(game.ggf.find("]KB[" + Text(legal[0]) + "/2.50/3.00]KW[" + Text(legal[1]) +
                            "/1.00/7.00]KM[1.75]B[" + Text(legal[0]) + "/2.50/3.00];)"),
              std::string::npos)
        << game.ggf;
    EXPECT_EQ(game.game.moves.size(), 1u);
    EXPECT_DOUBLE_EQ(game.game.posCurrent.clocks[0].timeLeft, 293);
    EXPECT_DOUBLE_EQ(game.game.posCurrent.clocks[1].timeLeft, 297);

    const COsBoard end = PlayOut(game, bob, alice);
    const std::string result = Text(end.Result(false) - 1.75);
    for (CTestClient* each : {&alice, &bob}) {
        EXPECT_EQ(each->Next("/os: - match"), "/os: - match " + id + " 1500 bob 1500 alice 6k U " + result);
        const COsGame ended = each->Ended(id);
        EXPECT_DOUBLE_EQ(ended.result.score, end.Result(false) - 1.75) << each->name;
        EXPECT_DOUBLE_EQ(ended.komiMoves[1].eval, 2.5) << each->name;
        EXPECT_DOUBLE_EQ(ended.komiMoves[0].eval, 1) << each->name;
        EXPECT_EQ(ended.players[1].login, "bob") << each->name;
        EXPECT_EQ(ended.posCurrent.board.squares, end.squares) << each->name;
    }
}

TEST_F(StandinMatchTest, TimeRunsIntoTheExtensionThenOut)
{
    CTestClient& alice = User("alice");
    CTestClient& bob = User("bob");
    // Alice is white with a minute and a half-minute extension; bob black with two minutes.
    const std::string id = StartMatch(alice, bob, "8w 1:00//0:30 2:00//0:00");
    const CJoinedGame game = ReadJoin(alice.Next("/os: join " + id + " "));
    EXPECT_EQ(game.white, "alice");
    EXPECT_NE(game.ggf.find("]TB[2:00//0:00]TW[1:00//0:30]"), std::string::npos) << game.ggf;
    server.AdvanceClock(10);
    bob.Os("play " + id + " F5");
    EXPECT_EQ(alice.Next("/os: update"), "/os: update " + id + " F5//10.00");

    // Exactly the time is not yet too late; a moment more begins the extension, once.
    server.AdvanceClock(60);
    alice.Sync();
    EXPECT_FALSE(alice.Has("/os: timeout"));
    server.AdvanceClock(0.5);
    EXPECT_EQ(alice.Next("/os: timeout"), "/os: timeout " + id + " alice");
    EXPECT_EQ(bob.Next("/os: timeout"), "/os: timeout " + id + " alice");
    server.AdvanceClock(29);
    alice.Sync();
    EXPECT_FALSE(alice.Has("/os: timeout"));
    EXPECT_FALSE(alice.Has("/os: fatal-timeout"));
    server.AdvanceClock(1);
    for (CTestClient* each : {&alice, &bob}) {
        EXPECT_EQ(each->Next("/os: fatal-timeout"), "/os: fatal-timeout " + id + " alice");
        EXPECT_EQ(each->Next("/os: - match"), "/os: - match " + id + " 1500 bob 1500 alice 8w U 64:t");
        EXPECT_EQ(each->Ended(id).result.kind, CGGResult::kTimeout);
        EXPECT_EQ(each->Ended(id).result.score, 64);
    }
    alice.Os("play " + id + " F4");
    EXPECT_EQ(alice.Next("/os: ERR"), "/os: ERR game " + id + " not found.");
}

TEST_F(StandinMatchTest, BreakStoresARatedMatchToContinueLater)
{
    CTestClient& alice = User("alice", 1);
    CTestClient& bob = User("bob", 1);
    const std::string id = StartMatch(alice, bob, "8b 5:00//0:00 5:00//0:00");
    CJoinedGame game = ReadJoin(alice.Next("/os: join " + id + " "));
    server.AdvanceClock(4);
    alice.Os("play " + id + " F5");
    EXPECT_EQ(bob.Next("/os: update"), "/os: update " + id + " F5//4.00");
    bob.Os("play " + id + " F6");
    EXPECT_EQ(alice.Next("/os: update " + id + " F6"), "/os: update " + id + " F6");

    bob.Os("break " + id);
    for (CTestClient* each : {&alice, &bob}) {
        EXPECT_EQ(each->Next("/os: - match"), "/os: - match " + id + " 1500 alice 1500 bob 8b R 0:l");
        EXPECT_EQ(each->Ended(id).result.kind, CGGResult::kAdjourned);
        EXPECT_EQ(each->Ended(id).moves.size(), 2u);
    }
    EXPECT_FALSE(alice.Has("/os: rating_update"));
    alice.Os("stored");
    EXPECT_EQ(alice.Next("/os: stored"), "/os: stored 1 alice\n" + id + " 28 May 2026 20:26:40 alice bob 8b :l");
    CTestClient& carol = User("carol");
    carol.Os("stored");
    EXPECT_EQ(carol.Next("/os: stored"), "/os: stored 0 carol");

    // Asking with the stored id continues the match: a request of kind 'S' naming it.
    bob.Os("ask " + id);
    const std::string request = "+ .3 1500 bob 5:00//0:00 8b S 1500 alice " + id;
    EXPECT_EQ(alice.Next("/os: + .3"), "/os: " + request);
    EXPECT_EQ(bob.Next("/os: + .3"), "/os: " + request);
    alice.Os("accept .3");
    EXPECT_EQ(bob.Next("/os: - .3"), "/os: - .3 1500 bob 5:00//0:00 8b S 1500 alice " + id);
    EXPECT_EQ(bob.Next("/os: + match .4"), "/os: + match .4 1500 alice 1500 bob 8b R");
    const CJoinedGame resumed = ReadJoin(bob.Next("/os: join .4 "));
    EXPECT_EQ(resumed.game.moves.size(), 2u);
    EXPECT_EQ(resumed.black, "alice");
    EXPECT_EQ(resumed.game.result.kind, CGGResult::kUnknown);
    EXPECT_DOUBLE_EQ(resumed.game.posCurrent.clocks[1].timeLeft, 296);
    alice.Os("stored");
    EXPECT_EQ(alice.Next("/os: stored"), "/os: stored 0 alice");
    alice.Os("play .4 E6");
    EXPECT_EQ(bob.Next("/os: update .4 "), "/os: update .4 E6");

    // An unrated match is not stored; leaving adjourns a match.
    bob.Os("resign .4");
    EXPECT_EQ(alice.Next("/os: - match .4"), "/os: - match .4 1500 alice 1500 bob 8b R 64:r");
    EXPECT_EQ(alice.Ended(".4").result.kind, CGGResult::kResigned);
    EXPECT_EQ(alice.Ended(".4").result.score, 64);
    alice.Os("rated -");
    StartMatch(alice, carol, "8 5:00//0:00 5:00//0:00");
    carol.Os("break .6");
    EXPECT_EQ(carol.Next("/os: - match .6 ").substr(0, 17), "/os: - match .6 1");
    alice.Os("stored");
    EXPECT_EQ(alice.Next("/os: stored"), "/os: stored 0 alice");
    alice.Os("rated +");
    StartMatch(alice, bob, "8 5:00//0:00 5:00//0:00");
    bob.Send("quit");
    const bool aliceBlack = ReadJoin(alice.Next("/os: join .8 ")).black == "alice";
    EXPECT_EQ(alice.Next("/os: - match .8 "),
              aliceBlack ? "/os: - match .8 1516 alice 1484 bob 8 R 0:l"
                         : "/os: - match .8 1484 bob 1516 alice 8 R 0:l");
    alice.Os("stored");
    EXPECT_EQ(alice.Next("/os: stored").substr(0, 25), "/os: stored 1 alice\n.8 28");
}

TEST_F(StandinMatchTest, AbortUndoAndResignTakeTheirCourse)
{
    CTestClient& alice = User("alice");
    CTestClient& bob = User("bob");
    CTestClient& carol = User("carol");
    const std::string id = StartMatch(alice, bob, "8b 5:00//0:00 5:00//0:00");
    EXPECT_NE(alice.Next("/os: join"), "");
    EXPECT_NE(bob.Next("/os: join"), "");
    carol.Os("watch + " + id);
    EXPECT_NE(carol.Next("/os: join"), "");
    alice.Os("play " + id + " F5");
    bob.Os("play " + id + " F6");
    EXPECT_EQ(alice.Next("/os: update " + id + " F6"), "/os: update " + id + " F6");

    // Undo: asked by one, agreed by the other; the asker is to move again.
    bob.Os("undo " + id);
    EXPECT_EQ(alice.Next("/os: undo"), "/os: undo " + id + " bob is asking");
    EXPECT_FALSE(carol.Has("/os: undo"));
    alice.Os("undo " + id);
    for (CTestClient* each : {&alice, &bob, &carol}) {
        const CJoinedGame joined = ReadJoin(each->Next("/os: join " + id + " "));
        EXPECT_EQ(joined.game.moves.size(), 1u) << each->name;
        EXPECT_FALSE(joined.board.fBlackMove);
    }
    // The watcher stops watching: no more updates for it.
    carol.Os("watch - " + id);
    for (CTestClient* each : {&alice, &bob, &carol})
        EXPECT_EQ(each->Next("/os: - carol"), "/os: - carol watch " + id) << each->name;
    // A move in between forgets an undo request.
    alice.Os("undo " + id);
    EXPECT_EQ(bob.Next("/os: undo"), "/os: undo " + id + " alice is asking");
    bob.Os("play " + id + " D6");
    EXPECT_EQ(alice.Next("/os: update " + id + " D6"), "/os: update " + id + " D6");
    carol.Sync();
    EXPECT_FALSE(carol.Has("/os: update " + id + " D6"));
    bob.Os("undo " + id);
    EXPECT_EQ(alice.Next("/os: undo"), "/os: undo " + id + " bob is asking");

    // Abort needs both players.
    alice.Os("abort " + id);
    EXPECT_EQ(bob.Next("/os: abort"), "/os: abort " + id + " alice is asking");
    carol.Os("abort " + id);
    EXPECT_EQ(carol.Next("/os: ERR"), "/os: ERR game " + id + " not found.");
    bob.Os("abort " + id);
    for (CTestClient* each : {&alice, &bob, &carol}) {
        EXPECT_EQ(each->Next("/os: - match"), "/os: - match " + id + " 1500 alice 1500 bob 8b U aborted");
        EXPECT_EQ(each->Ended(id).result.kind, CGGResult::kAborted) << each->name;
    }
    alice.Os("history");
    EXPECT_EQ(alice.Next("/os: history"), "/os: history 0 alice");

    // Resigning gives the other side the whole board; in a synchro match, one game.
    const std::string synchro = StartMatch(bob, alice, "s4 5:00//0:00 5:00//0:00");
    alice.Os("resign " + synchro + ".1");
    EXPECT_EQ(bob.Next("/os: end " + synchro + ".1"), "/os: end " + synchro + ".1 ( alice vs. bob ) -16");
    EXPECT_FALSE(bob.Has("/os: - match"));
    bob.Os("resign " + synchro + ".0");
    EXPECT_EQ(alice.Next("/os: end " + synchro + ".0"), "/os: end " + synchro + ".0 ( bob vs. alice ) -16");
    EXPECT_EQ(alice.Next("/os: - match"), "/os: - match " + synchro + " 1500 bob 1500 alice s4 U 0:r");
    // Each game keeps its own score in the client's state.
    EXPECT_EQ(alice.Ended(synchro + ".0").result.score, -16);
    EXPECT_EQ(alice.Ended(synchro + ".1").result.score, -16);
    EXPECT_EQ(alice.Ended(synchro + ".1").result.kind, CGGResult::kScore);
}

TEST_F(StandinMatchTest, ErrorRepliesInTheClassifiedForms)
{
    CTestClient& alice = User("alice", 1);
    CTestClient& bob = User("bob", 1);
    CTestClient& carol = User("carol");
    // The command told to the service is answered with the error reply.
    auto refused = [](CTestClient& client, const std::string& command, const std::string& reply) {
        client.Os(command);
        EXPECT_EQ(client.Next("/os: ERR "), "/os: ERR " + reply) << command;
    };

    refused(alice, "ask 9 5:00//0:00 5:00//0:00 bob", "board type");
    refused(alice, "ask 8bw 5:00//0:00 5:00//0:00 bob", "only one color preference allowed");
    refused(alice, "ask 8r20 5:00//0:00 5:00//0:00 bob", "rand games must have color = synch or komi");
    refused(alice, "ask 8 x 5:00//0:00 bob", "bad clock x");
    refused(alice, "ask 8 5:00//0:00", "ask <type> <clock> [<clock>] <login>");
    refused(alice, "ask 8 5:00//0:00 5:00//0:00 zed", "user 'zed' not found.");
    refused(alice, "ask 8 5:00//0:00 5:00//0:00 alice", "you can't play against yourself.");
    // A rated asker meets an opponent who plays unrated only.
    refused(alice, "ask 8 5:00//0:00 5:00//0:00 carol", "rated variable mismatch.");
    refused(carol, "rated +", "you are not registered.");
    bob.Os("open 0");
    bob.Sync();
    refused(alice, "ask 8 5:00//0:00 5:00//0:00 bob", "Player is not accepting new matches.");
    refused(bob, "ask 8 5:00//0:00 5:00//0:00 alice", "Your open value is too low for new matches.");
    bob.Os("open 1");
    bob.Sync();
    EXPECT_FALSE(alice.Has("/os: + ."));

    // Requests: only the asked accepts; either side declines.
    alice.Os("ask 8 5:00 bob");
    EXPECT_EQ(bob.Next("/os: + ."), "/os: + .1 1500 alice 5:00//0:00 8 R 1500 bob 5:00//0:00");
    refused(alice, "accept .1", "request .1 not found.");
    refused(carol, "decline .1", "request .1 not found.");
    bob.Os("decline .1");
    EXPECT_EQ(alice.Next("/os: - .1"), "/os: - .1 1500 alice 5:00//0:00 8 R 1500 bob 5:00//0:00");
    refused(bob, "accept .1", "request .1 not found.");
    // A request goes when its asker leaves.
    carol.Os("ask 8 5:00 bob");
    EXPECT_EQ(bob.Next("/os: + .2"), "/os: + .2 1500 carol 5:00//0:00 8 U 1500 bob 5:00//0:00");
    carol.Send("quit");
    EXPECT_EQ(bob.Next("/os: - .2"), "/os: - .2 1500 carol 5:00//0:00 8 U 1500 bob 5:00//0:00");

    // Moves.
    const std::string id = StartMatch(alice, bob, "8b 5:00//0:00 5:00//0:00");
    refused(bob, "play " + id + " F5", "it's not your turn in " + id + ".");
    refused(alice, "play " + id + " A1", "illegal move A1 in " + id + ".");
    refused(alice, "play " + id + " PA", "illegal move PA in " + id + ".");
    refused(alice, "play " + id + " Z99", "corrupt move Z99");
    // One row or one column off the board is no move; the last row and column are.
    refused(alice, "play " + id + " A9", "corrupt move A9");
    refused(alice, "play " + id + " I1", "corrupt move I1");
    refused(alice, "play " + id + " A0", "corrupt move A0");
    refused(alice, "play " + id + " H8", "illegal move H8 in " + id + ".");
    refused(alice, "play " + id, "corrupt move ");
    refused(alice, "play .77 F5", "game .77 not found.");
    refused(alice, "tell .77 hi", "game .77 not found.");
    refused(alice, "look .77", "game .77 not found.");
    // Replies that the client classifies by their keyword.
    alice.Os("watch + .77");
    EXPECT_EQ(alice.Next("/os: watch"), "/os: watch + .77 not found.");
    alice.Os("watch - " + id);
    EXPECT_EQ(alice.Next("/os: watch"), "/os: watch - " + id + " not found.");
    alice.Os("history zed");
    EXPECT_EQ(alice.Next("/os: history"), "/os: history ERR user 'zed' not found.");
    refused(alice, "rank 9", "rank <type> [login]");
    refused(alice, "who 8b", "board type");
    refused(alice, "finger zed", "user 'zed' not found.");
    alice.Os("stored .5");
    EXPECT_EQ(alice.Next("/os: stored"), "/os: stored 0 alice");
    refused(alice, "ask .9", "stored match .9 not found.");
}

TEST_F(StandinMatchTest, EveryKindOfMatchPlaysThrough)
{
    CTestClient& alice = User("alice");
    CTestClient& bob = User("bob");
    CTestClient& carol = User("carol");
    struct Kind {
        const char* type;
        int discs;   // on the start board
    };
    for (const Kind kind : {Kind{"4", 4}, Kind{"10w", 4}, Kind{"88", 4}, Kind{"6a", 4}, Kind{"14", 4}, Kind{"12b", 4},
                            Kind{"s8r20", 20}, Kind{"8kr12", 12}}) {
        SCOPED_TRACE(kind.type);
        const std::string id = StartMatch(alice, bob, std::string(kind.type) + " 9:00 9:00");
        carol.Os("watch + " + id);
        std::vector<CJoinedGame> games;
        const bool synchro = kind.type[0] == 's';
        for (const std::string& gameId : synchro ? std::vector<std::string>{id + ".0", id + ".1"}
                                                 : std::vector<std::string>{id}) {
            games.push_back(ReadJoin(alice.Next("/os: join " + gameId + " ")));
            EXPECT_EQ(bob.Next("/os: join " + gameId + " "), "/os: join " + games.back().ggf.insert(0, gameId + " "))
                << gameId;
            games.back().ggf.erase(0, gameId.size() + 1);
            EXPECT_EQ(carol.Next("/os: join " + gameId + " "), "/os: join " + gameId + " " + games.back().ggf);
            int black = 0, white = 0, empty = 0;
            games.back().board.CountDiscs(black, white, empty);
            EXPECT_EQ(black + white, kind.discs);
            EXPECT_EQ(Text(games.back().game.matchType), kind.type);
        }
        if (synchro) {
            EXPECT_EQ(games[0].game.posStart.board.squares, games[1].game.posStart.board.squares);
        }
        if (kind.type[1] == 'k') {
            // Alice bids more, so she moves first.
            const std::vector<COsMove> legal = games[0].board.LegalMoves();
            alice.Os("play " + id + " " + Text(legal[0]) + "/4");
            alice.Sync();
            bob.Os("play " + id + " " + Text(legal[0]) + "/-4");
            games[0] = ReadJoin(alice.Next("/os: join " + id + " "));
            EXPECT_EQ(carol.Next("/os: join " + id + " "), "/os: join " + id + " " + games[0].ggf);
            EXPECT_EQ(games[0].game.moves.size(), 1u);
            EXPECT_EQ(games[0].game.players[games[0].game.posStart.board.fBlackMove ? 1 : 0].login, "alice");
        }
        if (std::string(kind.type).back() == 'w') {
            EXPECT_EQ(games[0].white, "alice");
        }
        for (const auto& game : games) {
            const bool aliceBlack = game.black == "alice";
            PlayOut(game, aliceBlack ? alice : bob, aliceBlack ? bob : alice, {&carol});
        }
        EXPECT_NE(carol.Next("/os: - match " + id + " "), "");
        EXPECT_NE(alice.Next("/os: - match " + id + " "), "");
        if (HasFailure())
            break;
    }
}

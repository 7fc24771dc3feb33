// The "/os" service object: keyword dispatch, events, set-up and the service state.

#include "ServerTemplates.h"
#include "ServiceRecordParse.h"
#include "TextForms.h"
#include "ggsstream.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Counts flushes, so that a test can see how often the service flushed.
class CCountingBuf : public std::stringbuf {
public:
    int syncs = 0;

protected:
    int sync() override
    {
        ++syncs;
        return std::stringbuf::sync();
    }
};

// A connection that writes into memory and records what reaches its generic handler.
class CTestStream : public ggsstream {
public:
    CTestStream() { rdbuf(&buffer); }
    ~CTestStream() override { rdbuf(nullptr); }
    void OnMessage(const CMsg& msg) override { received.push_back(msg.text); }
    std::string GetLogin() const override { return ownLogin; }
    std::string Sent() const { return buffer.str(); }

    CCountingBuf buffer;
    std::vector<std::string> received;
    std::string ownLogin = "me";
};

// Records the name of every event raised, then runs the kit's own body.
class CRecordingService : public CServerOs {
public:
    using CServerOs::CServerOs;
    using Base = CServerOs;
    std::vector<std::string> events;
    int unknownViaOnMessage = 0;
    std::string lastKeyword;
    int lastErr = 0;

    void OnMessage(const CMsg& msg) override
    {
        if (const auto* unknown = dynamic_cast<const CMsgGGUnknown*>(&msg)) {
            lastKeyword = unknown->keyword;
            if (events.empty() || events.back() != "UnknownDelta") {
                events.push_back("Message");
                ++unknownViaOnMessage;
            }
        }
        Base::OnMessage(msg);
    }
    void OnAbortRequest(const CMsgGGAbortRequest& m) override { Rec("AbortRequest"), Base::OnAbortRequest(m); }
    void OnComment(const CMsgGGComment& m) override { Rec("Comment"), Base::OnComment(m); }
    void OnEnd(const CMsgGGEnd& m) override { Rec("End"), Base::OnEnd(m); }
    void OnErr(const CMsgGGErr& m) override
    {
        lastErr = m.code;
        Rec("Err"), Base::OnErr(m);
    }
    void OnFatalTimeout(const CMsgGGFatalTimeout& m) override { Rec("FatalTimeout"), Base::OnFatalTimeout(m); }
    void OnFinger(const CMsgFinger& m) override { Rec("Finger"), Base::OnFinger(m); }
    void OnHistory(const CMsgHistory& m) override { Rec("History"), Base::OnHistory(m); }
    void OnJoin(const CMsgJoin& m) override { Rec("Join"), Base::OnJoin(m); }
    void OnLook(const CMsgLook& m) override { Rec("Look"), Base::OnLook(m); }
    void OnMatch(const CMsgMatch& m) override { Rec("Match"), Base::OnMatch(m); }
    void OnMatchDelta(const CMsgMatchDelta& m) override { Rec("MatchDelta"), Base::OnMatchDelta(m); }
    void OnRank(const CMsgGGRank& m) override { Rec("Rank"), Base::OnRank(m); }
    void OnRatingUpdate(const CMsgGGRatingUpdate& m) override { Rec("RatingUpdate"), Base::OnRatingUpdate(m); }
    void OnRequestDelta(const CMsgRequestDelta& m) override { Rec("RequestDelta"), Base::OnRequestDelta(m); }
    void OnStored(const CMsgStored& m) override { Rec("Stored"), Base::OnStored(m); }
    void OnTDStart(const CMsgGGTDStart& m) override { Rec("TDStart"), Base::OnTDStart(m); }
    void OnTimeout(const CMsgGGTimeout& m) override { Rec("Timeout"), Base::OnTimeout(m); }
    void OnTop(const CMsgGGTop& m) override { Rec("Top"), Base::OnTop(m); }
    void OnTrustViolation(const CMsgGGTrustViolation& m) override { Rec("TrustViolation"), Base::OnTrustViolation(m); }
    void OnUndoRequest(const CMsgGGUndoRequest& m) override { Rec("UndoRequest"), Base::OnUndoRequest(m); }
    void OnUnknownDelta(const CMsgGGUnknown& m) override { Rec("UnknownDelta"), Base::OnUnknownDelta(m); }
    void OnUpdate(const CMsgUpdate& m) override { Rec("Update"), Base::OnUpdate(m); }
    void OnWatch(const CMsgGGWatch& m) override { Rec("Watch"), Base::OnWatch(m); }
    void OnWatchDelta(const CMsgGGWatchDelta& m) override
    {
        lastKeyword = m.login;
        Rec("WatchDelta"), Base::OnWatchDelta(m);
    }
    void OnWho(const CMsgGGWho& m) override { Rec("Who"), Base::OnWho(m); }

private:
    void Rec(const char* name) { events.push_back(name); }
};

// Hands one message to the service the way the stream does.
void Send(CServer& service, const std::string& text)
{
    std::istringstream is(text);
    std::string word;
    is >> word >> std::ws;
    if (!word.empty() && word.back() == ':')
        word.pop_back();
    service.HandleMessage(text, word, is);
}

std::string Game(const std::string& type, const std::string& black, const std::string& white,
                 const std::string& moves = "")
{
    return "(;GM[Othello]PC[GGS/os]PB[" + black + "]PW[" + white + "]RE[?]TI[5:00//2:00]TY[" + type + "]BO[" +
           kStart8 + "]" + moves + ";)";
}

// One message of every kind the service knows, each with the event it must raise.
std::vector<std::pair<std::string, std::string>> EveryKindOfMessage()
{
    return {
        {"/os: .12 - 1800 ann: hello", "Comment"},
        {"/os: .12 abort whatever", "Comment"},
        {"/os: abort .3 ann is asking", "AbortRequest"},
        {"/os: end .3.0 ( ann vs. bob ) 4", "End"},
        {"/os: ERR board type", "Err"},
        {"/os: fatal-timeout .3 ann", "FatalTimeout"},
        {"/os: finger ann\nname: Ann", "Finger"},
        {"/os: history 0 ann", "History"},
        {"/os: history ERR user not found", "Err"},
        {"/os: illegal move F9", "Err"},
        {"/os: join .3 " + Game("8", "ann", "bob"), "Join"},
        {"/os: look 1 " + Game("8", "ann", "bob"), "Look"},
        {"/os: match 0 / 0", "Match"},
        {"/os: rank 1800@50 a b c d e 0", "Rank"},
        {"/os: rating_update .3 ann 1800@50 1 -> 1801@50 bob 1700@50 -1 -> 1699@50", "RatingUpdate"},
        {"/os: stored 0 ann", "Stored"},
        {"/os: tdstart a b", "TDStart"},
        {"/os: timeout .3 ann", "Timeout"},
        {"/os: top 1800@50 a b c d e 0", "Top"},
        {"/os: trust-violation .3 ann ( * ) delta= 1/2 secs", "TrustViolation"},
        {"/os: undo .3 ann is asking", "UndoRequest"},
        {"/os: update .3 F5", "Update"},
        {"/os: watch 1 : .3 (2)", "Watch"},
        {"/os: watch + .3 not found", "Err"},
        {"/os: watch -.3 not found", "Err"},
        {"/os: who 0", "Who"},
        {"/os: + .r1 1800 ann 5:00//2:00 8 R 1700 bob 5:00//2:00", "RequestDelta"},
        {"/os: -   .r1 1800 ann 5:00//2:00 8 R 1700 bob 5:00//2:00", "RequestDelta"},
        {"/os: + match .4 1700 bob 1800 ann 8 R", "MatchDelta"},
        {"/os: + carol watch .4", "WatchDelta"},
        {"/os: - carol look .4", "UnknownDelta"},
        {"/os: +", "UnknownDelta"},
        {"/os: brandnew thing", "Message"},
        {"/os:", "Message"},
        {"/os: End .3", "Message"},
        {"/os: ++ match .4", "Message"},
    };
}

} // namespace

TEST(Service, SetUpTellsAndTell)
{
    CTestStream stream;
    CServerOs service(&stream);
    EXPECT_EQ(stream.Sent(), "tell /os client +\ntell /os notify + *\n");
    EXPECT_EQ(stream.buffer.syncs, 1);
    EXPECT_EQ(service.name, "/os");
    EXPECT_EQ(service.connection, &stream);
    EXPECT_TRUE(service.games.empty() && service.matches.empty() && service.requests.empty());

    service.Tell() << "watch + .12\n";
    EXPECT_EQ(stream.Sent(), "tell /os client +\ntell /os notify + *\nt /os watch + .12\n");
    EXPECT_EQ(stream.buffer.syncs, 1); // Tell itself never flushes
}

TEST(Service, KeywordDispatch)
{
    CTestStream stream;
    CRecordingService service(&stream);
    const auto cases = EveryKindOfMessage();
    for (const auto& [text, event] : cases) {
        service.events.clear();
        Send(service, text);
        ASSERT_EQ(service.events.size(), 1u) << text;
        EXPECT_EQ(service.events[0], event) << text;
    }
}

TEST(Service, DispatchDetails)
{
    CTestStream stream;
    CRecordingService service(&stream);

    Send(service, "/os: watch + .3 illegal move");
    EXPECT_EQ(service.lastErr, 33544);
    Send(service, "/os: history Error: user not found");
    EXPECT_EQ(service.lastErr, 33545);
    Send(service, "/os: illegal move");
    EXPECT_EQ(service.lastErr, 33536); // "illegal" itself is not part of the text
    Send(service, "/os: - dan watch .4");
    EXPECT_EQ(service.lastKeyword, "dan");
    Send(service, "/os: - dan look .4");
    EXPECT_EQ(service.lastKeyword, "--");
    Send(service, "/os: newthing a\nb");
    EXPECT_EQ(service.lastKeyword, "newthing");
    Send(service, "/os:");
    EXPECT_EQ(service.lastKeyword, "");
}

TEST(Service, DefaultEventsForwardOnceExceptWho)
{
    CTestStream stream;
    CServerOs service(&stream);
    for (const auto& [text, event] : EveryKindOfMessage()) {
        stream.received.clear();
        Send(service, text);
        if (event == "Who")
            EXPECT_TRUE(stream.received.empty()) << text;
        else
            EXPECT_EQ(stream.received, std::vector<std::string>{text}) << text;
    }
}

TEST(Service, StateIsUpdatedBeforeTheForward)
{
    // What the generic handler finds in the service state when a message reaches it.
    struct CWatcher : CServerOs {
        using CServerOs::CServerOs;
        std::string seen;
        void OnMessage(const CMsg& msg) override
        {
            const COsGame* game = FindGame(".5.0");
            seen = std::to_string(matches.size()) + " " + std::to_string(requests.size()) + " " +
                   (game ? std::to_string(game->moves.size()) + " " + std::to_string(game->result.kind) : "-");
            CServerOs::OnMessage(msg);
        }
    };
    CTestStream stream;
    CWatcher service(&stream);
    const std::vector<std::pair<std::string, std::string>> steps = {
        {"/os: + match .5 1700 bob 1800 ann s8 R", "1 0 -"},
        {"/os: join .5.0 " + Game("s8", "ann", "bob"), "1 0 0 2"},
        {"/os: update .5.0 F5", "1 0 1 2"},
        {"/os: end .5.0 ( ann vs. bob ) 10", "1 0 1 6"},
        {"/os: + .r1 1800 ann 5:00//2:00 8 R 1700 bob 5:00//2:00", "1 1 1 6"},
        {"/os: - .r1 1800 ann 5:00//2:00 8 R 1700 bob 5:00//2:00", "1 0 1 6"},
        {"/os: match 0 / 2\n.5 1700 bob 1800 ann s8 R 0\n.6 1700 bob 1800 ann 8 R 0", "2 0 1 6"},
        {"/os: - match .5 1700 bob 1800 ann s8 R 10", "1 0 -"},
    };
    for (const auto& [text, expected] : steps) {
        Send(service, text);
        EXPECT_EQ(service.seen, expected) << text;
    }
}

// The application keeps its games in its own windows and overrides the finders and the
// end of a game; the state updates reach its overrides, never the service's map directly.
TEST(Service, StateUpdatesGoThroughTheVirtualCalls)
{
    struct CElsewhere : CServerOs {
        using CServerOs::CServerOs;
        std::map<std::string, COsGame> mine;
        std::vector<std::string> finished;
        std::vector<std::string> removed;
        COsGame* FindGame(const std::string& id) override
        {
            const auto it = mine.find(id);
            return it == mine.end() ? nullptr : &it->second;
        }
        void FinishGame(const CMsgMatchDelta& msg, const std::string& id) override
        {
            finished.push_back(id);
            CServerOs::FinishGame(msg, id);
        }
        void RemoveGame(const CMsgMatchDelta&, const std::string& id) override
        {
            removed.push_back(id + " " + std::to_string(FindGame(id)->result.score));
            mine.erase(id);
        }
    };
    CTestStream stream;
    CElsewhere service(&stream);
    service.mine[".5.0"] = ReadFrom<COsGame>(Game("s8", "ann", "bob"));
    service.mine[".5.1"] = ReadFrom<COsGame>(Game("s8", "bob", "ann"));
    service.mine[".6"] = ReadFrom<COsGame>(Game("8", "ann", "bob"));
    Send(service, "/os: + match .5 1700 bob 1800 ann s8 R");
    Send(service, "/os: + match .6 1700 bob 1800 ann 8 R");

    Send(service, "/os: end .5.0 ( ann vs. bob ) 10");
    EXPECT_EQ(service.mine[".5.0"].result.kind, CGGResult::kScore);
    Send(service, "/os: - match .5 1700 bob 1800 ann s8 R 4");
    Send(service, "/os: - match .6 1700 bob 1800 ann 8 R -8");
    EXPECT_EQ(service.finished, (std::vector<std::string>{".5.0", ".5.1", ".6"}));
    // bob is black in .5.1 and white in .6: the line's result is from his view.
    EXPECT_EQ(service.removed, (std::vector<std::string>{".5.0 10.000000", ".5.1 4.000000", ".6 8.000000"}));
    EXPECT_TRUE(service.mine.empty());
    EXPECT_TRUE(service.matches.empty());
}

TEST(Service, JoinUpdateAndReplacement)
{
    CTestStream stream;
    CServerOs service(&stream);

    Send(service, "/os: update .3 F5"); // before its join: dropped
    EXPECT_TRUE(service.games.empty());

    Send(service, "/os: join .3 " + Game("8", "ann", "bob", "B[F5]"));
    ASSERT_NE(service.FindGame(".3"), nullptr);
    EXPECT_EQ(service.FindGame(".3")->moves.size(), 1u);

    Send(service, "/os: update .3 D6/1.5/3");
    EXPECT_EQ(service.FindGame(".3")->moves.size(), 2u);
    Send(service, "/os: update .4 D6");
    EXPECT_EQ(service.FindGame(".4"), nullptr);

    // Texts that hold no move or no game leave the state alone.
    Send(service, "/os: update .3");
    Send(service, "/os: update .3 \n");
    Send(service, "/os: update .3 /");
    EXPECT_EQ(service.FindGame(".3")->moves.size(), 2u);
    Send(service, "/os: join .3");
    Send(service, "/os: join .3 no game here");
    EXPECT_EQ(service.FindGame(".3")->moves.size(), 2u);
    Send(service, "/os: join .4 (oops");
    EXPECT_EQ(service.FindGame(".4"), nullptr);

    // A second join replaces the whole record.
    Send(service, "/os: join .3 " + Game("8", "carl", "dan"));
    const COsGame* game = service.FindGame(".3");
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game->moves.size(), 0u);
    EXPECT_EQ(game->players[1].login, "carl");
    EXPECT_EQ(game->players[0].login, "dan");
    EXPECT_EQ(service.games.size(), 1u);
}

TEST(Service, SynchroEndsAndMatchEnd)
{
    CTestStream stream;
    CServerOs service(&stream);
    Send(service, "/os: + match .5 1700 bob 1800 ann s8 R");
    ASSERT_NE(service.FindMatch(".5"), nullptr);
    Send(service, "/os: join .5.0 " + Game("s8", "ann", "bob"));
    Send(service, "/os: join .5.1 " + Game("s8", "bob", "ann"));

    // End results come from the first login's view: ann is white in .5.1.
    Send(service, "/os: end .5.0 ( ann vs. bob ) 10");
    EXPECT_DOUBLE_EQ(service.FindGame(".5.0")->result.score, 10);
    EXPECT_EQ(service.FindGame(".5.0")->result.kind, 6);
    Send(service, "/os: end .9 ( ann vs. bob ) 10"); // unknown game: nothing
    EXPECT_EQ(service.games.size(), 2u);

    // .5.1 saw no "end": it takes the match line's result from bob's view (bob is
    // listed first and is black there); .5.0 keeps its own.
    struct CWatcher : CServerOs {
        using CServerOs::CServerOs;
        std::vector<std::pair<std::string, double>> removed;
        void RemoveGame(const CMsgMatchDelta& msg, const std::string& id) override
        {
            removed.emplace_back(id, FindGame(id)->result.score);
            CServerOs::RemoveGame(msg, id);
        }
    };
    CWatcher watcher(&stream);
    Send(watcher, "/os: + match .5 1700 bob 1800 ann s8 R");
    Send(watcher, "/os: join .5.0 " + Game("s8", "ann", "bob"));
    Send(watcher, "/os: join .5.1 " + Game("s8", "bob", "ann"));
    Send(watcher, "/os: end .5.0 ( ann vs. bob ) 10");
    Send(watcher, "/os: - match .5 1700 bob 1800 ann s8 R 6");
    ASSERT_EQ(watcher.removed.size(), 2u);
    EXPECT_EQ(watcher.removed[0], std::make_pair(std::string(".5.0"), 10.0));
    EXPECT_EQ(watcher.removed[1], std::make_pair(std::string(".5.1"), 6.0));
    EXPECT_TRUE(watcher.games.empty());
    EXPECT_TRUE(watcher.matches.empty());

    // Same match where the first listed player is white in the game: negated.
    Send(watcher, "/os: + match .6 1800 ann 1700 bob s8 R");
    Send(watcher, "/os: join .6.1 " + Game("s8", "bob", "ann"));
    watcher.removed.clear();
    Send(watcher, "/os: - match .6 1800 ann 1700 bob s8 R 6");
    ASSERT_EQ(watcher.removed.size(), 1u);
    EXPECT_EQ(watcher.removed[0], std::make_pair(std::string(".6.1"), -6.0));
}

TEST(Service, OrdinaryMatchAndMatchList)
{
    CTestStream stream;
    CServerOs service(&stream);
    Send(service, "/os: + match .7 1700 bob 1800 ann 8 R");
    Send(service, "/os: join .7 " + Game("8", "bob", "ann"));
    Send(service, "/os: - match .8 1700 bob 1800 ann 8 R 6"); // unknown match: nothing
    EXPECT_EQ(service.games.size(), 1u);
    EXPECT_EQ(service.matches.size(), 1u);

    Send(service, "/os: - match .7 1700 bob 1800 ann 8 R 6");
    EXPECT_TRUE(service.games.empty());
    EXPECT_TRUE(service.matches.empty());

    // A match end with no game held only erases the match.
    Send(service, "/os: + match .9 1700 bob 1800 ann 8 R");
    Send(service, "/os: - match .9 1700 bob 1800 ann 8 R aborted");
    EXPECT_TRUE(service.matches.empty());

    // A list replaces the matches; a later duplicate id wins.
    Send(service, "/os: + match .1 1700 bob 1800 ann 8 R");
    Send(service, "/os: match 3 / 3\n.2 1 a 2 b 8 U 0\n.3 1 c 2 d 10 R 0\n.2 1 e 2 f 8 U 0");
    EXPECT_EQ(service.FindMatch(".1"), nullptr);
    ASSERT_NE(service.FindMatch(".2"), nullptr);
    EXPECT_EQ(service.FindMatch(".2")->players[1].login, "e");
    EXPECT_NE(service.FindMatch(".3"), nullptr);
    EXPECT_EQ(service.matches.size(), 2u);
}

TEST(Service, RequestsAndConcernsLogin)
{
    CTestStream stream;
    CServerOs service(&stream);
    Send(service, "/os: + .r1 1800 ann 5:00//2:00 8 R 1700 me 5:00//2:00");
    Send(service, "/os: + .r2 1800 me 5:00//2:00 8 R 1700 bob 5:00//2:00");
    EXPECT_EQ(service.requests.size(), 2u);
    ASSERT_NE(service.FindRequest(".r1"), nullptr);
    EXPECT_EQ(service.FindRequest(".r1")->players[0].login, "ann");
    Send(service, "/os: - .r9 1800 ann 5:00//2:00 8 R 1700 me 5:00//2:00");
    EXPECT_EQ(service.requests.size(), 2u);
    Send(service, "/os: - .r1 1800 ann 5:00//2:00 8 R 1700 me 5:00//2:00");
    EXPECT_EQ(service.FindRequest(".r1"), nullptr);
    EXPECT_EQ(service.requests.size(), 1u);

    auto request = [](const std::string& text) { return Parse<CMsgGGRequestDelta<COsMatchType>>(text, true); };
    EXPECT_TRUE(request(".r1 1800 ann 5:00//2:00 8 R 1700 me 5:00//2:00").ConcernsLogin(stream));
    EXPECT_FALSE(request(".r1 1800 me 5:00//2:00 8 R 1700 bob 5:00//2:00").ConcernsLogin(stream));
    EXPECT_FALSE(request(".r1 1800 ann 5:00//2:00 8 R 1700 Me 5:00//2:00").ConcernsLogin(stream));
}

TEST(Service, StateIsBounded)
{
    CTestStream stream;
    CServerOs service(&stream);
    const std::string tooLong(CServerOs::kMaxId + 1, 'x');

    // Matches: a full map takes no new one, a known one is still replaced, a freed place
    // is taken again; ids and logins longer than any real one are not filed.
    auto match = [](const std::string& id, const std::string& login = "ann") {
        return "/os: + match " + id + " 1700 bob 1800 " + login + " 8 R";
    };
    for (size_t i = 0; i < CServerOs::kMaxMatches; ++i)
        Send(service, match("." + std::to_string(i)));
    Send(service, match(".late"));
    Send(service, match(".5", "carl"));
    EXPECT_EQ(service.matches.size(), CServerOs::kMaxMatches);
    EXPECT_EQ(service.FindMatch(".late"), nullptr);
    EXPECT_EQ(service.FindMatch(".5")->players[0].login, "carl");
    Send(service, "/os: - match .5 1700 bob 1800 carl 8 R 2");
    Send(service, match(".late"));
    EXPECT_NE(service.FindMatch(".late"), nullptr);
    Send(service, "/os: - match .late 1700 bob 1800 ann 8 R 2");
    Send(service, match("." + tooLong));
    Send(service, match(".7x", tooLong));
    EXPECT_EQ(service.matches.size(), CServerOs::kMaxMatches - 1);

    // A match list keeps the matches that fit.
    Send(service, "/os: match 0 / 4\n." + tooLong + " 1 a 2 b 8 R 0\n.1 1 a 2 b 8 R 0\n.2 1 a 2 " + tooLong +
                      " 8 R 0\n.3 1 " + tooLong + " 2 b 8 R 0");
    EXPECT_EQ(service.matches.size(), 1u);
    EXPECT_NE(service.FindMatch(".1"), nullptr);

    // Requests.
    auto request = [](const std::string& id, const std::string& login = "me") {
        return "/os: + " + id + " 1800 ann 5:00//2:00 8 R 1700 " + login + " 5:00//2:00";
    };
    for (size_t i = 0; i < CServerOs::kMaxRequests; ++i)
        Send(service, request(".r" + std::to_string(i)));
    Send(service, request(".late"));
    EXPECT_EQ(service.requests.size(), CServerOs::kMaxRequests);
    EXPECT_EQ(service.FindRequest(".late"), nullptr);
    Send(service, "/os: - .r1 1800 ann 5:00//2:00 8 R 1700 me 5:00//2:00");
    Send(service, request(".r" + tooLong));
    Send(service, request(".r1", tooLong));
    Send(service, "/os: + .r1 1800 ann 5:00//2:00 8 S 1700 me ." + tooLong);
    EXPECT_EQ(service.requests.size(), CServerOs::kMaxRequests - 1);

    // Games: a full map, a join longer than any real game, a game with more moves than
    // any board allows; a game at the last possible move takes no further one.
    for (size_t i = 0; i < CServerOs::kMaxGames; ++i)
        Send(service, "/os: join .g" + std::to_string(i) + " " + Game("8", "ann", "bob"));
    Send(service, "/os: join .late " + Game("8", "ann", "bob"));
    EXPECT_EQ(service.games.size(), CServerOs::kMaxGames);
    EXPECT_EQ(service.FindGame(".late"), nullptr);
    service.games.clear();
    Send(service, "/os: join ." + tooLong + " " + Game("8", "ann", "bob"));
    Send(service, "/os: join .big " + Game("8", "ann" + std::string(CServerOs::kMaxJoin, 'n'), "bob"));
    EXPECT_TRUE(service.games.empty());
    std::string passes;
    for (size_t i = 0; i < CServerOs::kMaxGameMoves; ++i)
        passes += i % 2 ? "W[PA]" : "B[PA]";
    Send(service, "/os: join .long " + Game("8", "ann", "bob", passes + "W[PA]"));
    EXPECT_EQ(service.FindGame(".long"), nullptr);
    Send(service, "/os: join .long " + Game("8", "ann", "bob", passes));
    ASSERT_NE(service.FindGame(".long"), nullptr);
    Send(service, "/os: update .long PA");
    EXPECT_EQ(service.FindGame(".long")->moves.size(), CServerOs::kMaxGameMoves);
}

// Real tournament games through the service: each is joined after 20 moves, the rest
// arrive as updates, and the match end gives the final result from black's view.
TEST(Service, RealGamesPlayedThroughUpdates)
{
    std::ifstream file(TAVO_GAMES_DIR "/wthor-2001.ggf");
    ASSERT_TRUE(file.is_open());
    CTestStream stream;
    struct CFinisher : CServerOs {
        using CServerOs::CServerOs;
        std::vector<COsGame> finished;
        void RemoveGame(const CMsgMatchDelta& msg, const std::string& id) override
        {
            finished.push_back(*FindGame(id));
            CServerOs::RemoveGame(msg, id);
        }
    } service(&stream);

    std::string line;
    for (int n = 1; n <= 300 && std::getline(file, line); ++n) {
        SCOPED_TRACE(line);
        std::istringstream is(line);
        COsGame expected;
        is >> expected;
        ASSERT_FALSE(is.fail());
        ASSERT_GT(expected.moves.size(), 20u);

        COsGame start = expected;
        start.moves.resize(20);
        start.result.Clear();
        start.UpdatePosition();
        std::ostringstream join;
        join << "/os: join ." << n << "\n" << start;
        Send(service, "/os: + match ." + std::to_string(n) + " 1 " + expected.players[1].login + " 2 " +
                          expected.players[0].login + " 8 R");
        Send(service, join.str());
        for (size_t m = 20; m < expected.moves.size(); ++m) {
            std::ostringstream update;
            update << "/os: update ." << n << " " << expected.moves[m];
            Send(service, update.str());
        }
        const COsGame* game = service.FindGame("." + std::to_string(n));
        ASSERT_NE(game, nullptr);
        ASSERT_EQ(game->moves.size(), expected.moves.size());
        EXPECT_EQ(game->posCurrent.board.squares, expected.posCurrent.board.squares);
        EXPECT_EQ(game->result.kind, CGGResult::kOverOnBoard);
        EXPECT_EQ(game->result.score, expected.result.score);

        std::ostringstream end;
        end << "/os: - match ." << n << " 1 " << expected.players[1].login << " 2 " << expected.players[0].login
            << " 8 R " << expected.result;
        Send(service, end.str());
        ASSERT_EQ(service.finished.size(), static_cast<size_t>(n));
        EXPECT_EQ(service.finished.back().result.kind, CGGResult::kScore);
        EXPECT_EQ(service.finished.back().result.score, expected.result.score);
    }
    EXPECT_TRUE(service.games.empty());
    EXPECT_TRUE(service.matches.empty());
}

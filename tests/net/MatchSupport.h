#pragma once
// Support for the tests of the stand-in GGS server: kit streams that log in as users, run
// their reader loops on threads of their own, route on the test thread and record every
// message text, and a fixture with a server that answers as GGS with its "/os" service on
// a test clock.

#include "../kit/TextForms.h"
#include "NetSupport.h"
#include "OsObjects.h"
#include "Server.h"

#include <memory>
#include <sstream>

// The kit's "/os" service object, which also keeps every game as its match's end left it
// (the kit drops a game from its map when its match ends).
class CTestService : public CServerOs {
public:
    explicit CTestService(ggsstream* connection) : CServerOs(connection) {}
    void RemoveGame(const CMsgMatchDelta& msg, const std::string& gameId) override
    {
        if (const COsGame* game = FindGame(gameId))
            ended[gameId] = *game;
        CServerOs::RemoveGame(msg, gameId);
    }
    std::map<std::string, COsGame> ended;
};

// A user's connection. The reader loop runs on a thread of its own; the test thread routes
// the texts (so the service object keeps its state) while it waits for one, and records them.
class CTestClient : public CRoutedStream {
public:
    explicit CTestClient(const std::string& login) : name(login) {}
    ~CTestClient() override { Stop(); }

    void OnMessage(const CMsg&) override {}
    void CreateService(const std::string& name) override
    {
        if (name == "/os" && !HasService(name))
            services[name].reset(new CTestService(this));
    }
    // The service object, null before "/os" was reported.
    CTestService* Service() { return static_cast<CTestService*>(FindService("/os")); }
    // Routes until the server has reported "/os" and the service object exists (its
    // set-up tells are then sent).
    bool WaitForService()
    {
        return RouteUntil([&] { return Service() != nullptr; });
    }
    // Sizes of the service's maps of requests, matches and games, in that order.
    std::vector<size_t> Held()
    {
        RouteWaiting();
        CTestService* service = Service();
        if (!service)
            return {};
        return {service->requests.size(), service->matches.size(), service->games.size()};
    }
    // The game as the end of its match left it in the service state (a cleared record
    // when the service holds none).
    COsGame Ended(const std::string& id)
    {
        RouteWaiting();
        COsGame game;
        game.Clear();
        CTestService* service = Service();
        if (service && service->ended.count(id))
            game = service->ended[id];
        return game;
    }

    bool Start(uint16_t port, const std::string& password = "pw")
    {
        if (Connect("127.0.0.1", port) != 0 || Login(name, password) != 0)
            return false;
        StartReader();
        return true;
    }
    void Stop() { StopReader(); }
    // A command line to the server ("\n" is added).
    void Send(const std::string& line) { *this << line << '\n' << std::flush; }
    void Os(const std::string& command) { Send("t /os " + command); }
    // Waits until the server has done everything this client sent before.
    void Sync()
    {
        Send("finger");
        Next(": finger");
    }

    // The first text not taken yet that begins with the prefix, which is taken; empty after
    // the time-out. Texts of one prefix are taken in the order they came.
    std::string Next(const std::string& prefix)
    {
        std::string found;
        RouteUntil([&] {
            const size_t at = Find(prefix);
            if (at == texts.size())
                return false;
            taken[at] = true;
            found = texts[at];
            return true;
        });
        return found;
    }
    // Whether a text not taken yet begins with the prefix, now.
    bool Has(const std::string& prefix)
    {
        RouteWaiting();
        return Find(prefix) != texts.size();
    }
    std::vector<std::string> Texts()
    {
        RouteWaiting();
        return texts;
    }

    const std::string name;

protected:
    void Routed(const std::string& text) override
    {
        texts.push_back(text);
        taken.push_back(false);
    }

private:
    size_t Find(const std::string& prefix) const
    {
        for (size_t i = 0; i < texts.size(); ++i)
            if (!taken[i] && texts[i].compare(0, prefix.size(), prefix) == 0)
                return i;
        return texts.size();
    }

    std::vector<std::string> texts;
    std::vector<bool> taken;
};

// A game as a join gives it: the record, its logins and its current board.
struct CJoinedGame {
    std::string id;
    std::string ggf;
    COsGame game;
    std::string black;
    std::string white;
    COsBoard board;
};

// Reads "/os: join <id> <GGF>".
inline CJoinedGame ReadJoin(const std::string& text)
{
    CJoinedGame joined;
    std::istringstream in(text);
    std::string word;
    in >> word >> word >> joined.id;
    std::getline(in >> std::ws, joined.ggf);
    std::istringstream ggf(joined.ggf);
    joined.game.ReadGGF(ggf);
    joined.black = joined.game.players[1].login;
    joined.white = joined.game.players[0].login;
    joined.board = joined.game.posCurrent.board;
    return joined;
}

// A server on a test clock with "/os", and users that log in to it.
class StandinMatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(scratch.path.empty());
        server.ServeGGS();
        server.UseTestClock();
        port = server.Start();
        ASSERT_NE(port, 0);
    }
    void TearDown() override
    {
        for (auto& client : clients)
            client->Stop();
        server.Stop();
    }
    // Logs a user in the way the client does, with notifications of everyone, and waits
    // until the server has reported the user's level and has done all of this.
    CTestClient& User(const std::string& login, int level = 0)
    {
        if (level != 0)
            server.SetLevel(login, level);
        clients.push_back(std::make_unique<CTestClient>(login));
        CTestClient& client = *clients.back();
        EXPECT_TRUE(client.Start(port));
        // The kit's service object tells "/os" "client +" and "notify + *" itself.
        client.Send("notify + *");
        client.Os(level >= 1 ? "rated +" : "open 1");
        EXPECT_NE(client.Next(": + " + login + " "), "");
        EXPECT_TRUE(client.WaitForService());
        client.Sync();
        return client;
    }
    // "a" asks "b"; "b" accepts; returns the match id once both have the start.
    std::string StartMatch(CTestClient& a, CTestClient& b, const std::string& terms)
    {
        a.Os("ask " + terms + " " + b.name);
        const std::string request = b.Next("/os: + .");
        EXPECT_NE(a.Next("/os: + ."), "");
        std::istringstream words(request);
        std::string word, id;
        words >> word >> word >> id;
        b.Os("accept " + id);
        const std::string started = a.Next("/os: + match ");
        EXPECT_NE(b.Next("/os: + match "), "");
        std::istringstream match(started);
        match >> word >> word >> word >> id;
        return id;
    }
    // Plays a game on to its end with the first legal move (or a pass) of the side to
    // move, each from its player, and checks that every watcher sees every update.
    // Returns the final board.
    COsBoard PlayOut(CJoinedGame game, CTestClient& black, CTestClient& white, std::vector<CTestClient*> watchers = {})
    {
        watchers.insert(watchers.begin(), {&black, &white});
        while (!game.board.GameOver()) {
            CTestClient& mover = game.board.fBlackMove ? black : white;
            const std::vector<COsMove> moves = game.board.LegalMoves();
            COsMove move;   // a pass unless there is a move
            if (!moves.empty())
                move = moves.front();
            mover.Os("play " + game.id + " " + Text(move));
            const std::string update = "/os: update " + game.id + " " + Text(move);
            for (CTestClient* each : watchers)
                EXPECT_EQ(each->Next("/os: update " + game.id + " "), update) << each->name;
            if (::testing::Test::HasFailure())
                break;
            game.board.Update(move);
        }
        return game.board;
    }

    CScratchDir scratch;
    CStandinServer server;
    uint16_t port = 0;
    std::vector<std::unique_ptr<CTestClient>> clients;
};

// The stand-in's server logic driven directly, without sockets, by long runs of commands
// picked at random from what clients send, with random words in their places: nothing may
// crash, and every message must keep the wire form that the client's reader relies on.

#include "StandinGGS.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

// Checks one message as it goes on the wire: the first line, continuation lines that begin
// with '|', and "READY" at the end.
void ExpectWireForm(const std::string& bytes)
{
    ASSERT_GE(bytes.size(), 7u);
    EXPECT_EQ(bytes.substr(bytes.size() - 7), "\nREADY\n") << bytes;
    const std::string body = bytes.substr(0, bytes.size() - 7);
    size_t begin = 0;
    for (size_t line = 0; begin <= body.size(); ++line) {
        size_t end = body.find('\n', begin);
        if (end == std::string::npos)
            end = body.size();
        const std::string text = body.substr(begin, end - begin);
        if (line > 0) {
            EXPECT_EQ(text.substr(0, 1), "|") << bytes;
        }
        EXPECT_EQ(text.find('\r'), std::string::npos) << bytes;
        EXPECT_NE(text, "READY") << bytes;
        begin = end + 1;
    }
}

} // namespace

TEST(StandinRobustness, RandomCommandsKeepTheWireForm)
{
    std::map<int, std::string> received;
    std::vector<int> closed;
    size_t messages = 0;
    std::vector<std::string> seen;   // game and request ids from the replies, the latest last
    std::vector<std::string> games;  // game ids only
    CStandinGGS ggs(
        [&](int connection, const std::string& bytes) {
            ExpectWireForm(bytes);
            received[connection] += bytes;
            ++messages;
            for (const char* prefix : {"/os: join ", "/os: + "})
                if (bytes.compare(0, std::strlen(prefix), prefix) == 0 && bytes[std::strlen(prefix)] == '.') {
                    seen.push_back(bytes.substr(std::strlen(prefix), bytes.find(' ', std::strlen(prefix)) -
                                                                         std::strlen(prefix)));
                    if (prefix[6] == 'j')
                        games.push_back(seen.back());
                }
            return true;
        },
        [&](int connection) { closed.push_back(connection); });

    const std::vector<std::string> logins = {"ann", "bob", "cy", "admin"};
    double now = 1780000000;
    for (int i = 0; i < 4; ++i)
        ggs.Login(i, logins[i], i == 3 ? 2 : i % 2, now);

    const std::vector<std::string> verbs = {
        "ask", "accept", "decline", "play", "resign", "break", "abort", "undo", "watch", "tell", "match",
        "stored", "history", "who", "rank", "top", "finger", "f", "look", "rated", "open", "notify", "client"};
    const std::vector<std::string> words = {
        "8", "s6", "4k", "88", "6a", "8r20", "s8r12", "8kr10", "4b", "10w", "99", "8bw", "k", "r", "",
        "5:00", "1:00//0:30", "0:01", "x", "+", "-", "*", ".1", ".2", ".3", ".4", ".5", ".6", ".7",
        ".8", ".9", ".2.0", ".2.1", ".3.1", "F5", "PA", "A1", "Z99", "F5/1.5/2", "D3//9", "ann", "bob",
        "cy", "admin", "zed", "/os", ":", "|", "READY", "\t", "1e308", "-5", "\x7f", "ann bob"};
    const std::vector<std::string> server = {"who", "t", "tell", "c", "f", "finger", "alias", "notify", "ve",
                                             "quit", "frob", ".x"};

    const std::vector<std::string> types = {"8", "s6", "4k", "88", "6a", "s8r12", "8kr10", "4b", "10w", "4", "s4"};
    std::mt19937 random(7);
    auto id = [&] {
        if (!seen.empty() && random() % 4)
            return seen[seen.size() - 1 - random() % std::min<size_t>(seen.size(), 8)];
        std::string text = "." + std::to_string(1 + random() % 400);
        return random() % 3 ? text : text + (random() % 2 ? ".0" : ".1");
    };
    auto move = [&] {
        // Mostly squares near the middle of the smaller boards, where legal moves are.
        const unsigned span = random() % 4 ? 6 : 10;
        const char column = char('A' + random() % span);
        return random() % 20 ? std::string(1, column) + std::to_string(1 + random() % span) : "PA";
    };
    auto word = [&] {
        switch (random() % 4) {
        case 0: return id();
        case 1: return move();
        default: return words[random() % words.size()];
        }
    };
    for (int step = 0; step < 20000; ++step) {
        const int connection = static_cast<int>(random() % 4);
        std::string line;
        const unsigned shape = random() % 8;
        if (shape == 0) {
            line = "t /os ask " + types[random() % types.size()] + " 1:00//0:30 2:00 " + logins[random() % 4];
        } else if (shape == 1) {
            line = "t /os accept " + id();
        } else if (shape <= 4) {
            const std::string game =
                games.empty() ? id() : games[games.size() - 1 - random() % std::min<size_t>(games.size(), 4)];
            line = "t /os play " + game + " " + move();
        } else if (shape == 5) {
            line = server[random() % server.size()];
            if (line == "t" || line == "tell")
                line += " " + (random() % 2 ? std::string("/os ") + verbs[random() % verbs.size()]
                                            : logins[random() % 4]);
        } else {
            line = "t /os " + verbs[random() % verbs.size()];
        }
        for (unsigned n = shape <= 4 ? 0 : random() % 6; n > 0; --n)
            line += " " + word();
        if (line == "quit")
            continue;   // the connection would go; logins come and go below instead
        ggs.Command(connection, line, now);
        if (random() % 16 == 0) {
            now += (random() % 40) / 10.0;
            ggs.Tick(now);
        }
        if (random() % 500 == 0) {
            ggs.Logout(connection, now);
            ggs.Login(connection, logins[connection], connection == 3 ? 2 : connection % 2, now);
        }
        if (::testing::Test::HasFailure())
            break;
    }
    // Clocks keep running to their end with nobody moving.
    for (int hour = 0; hour < 10; ++hour) {
        now += 3600;
        ggs.Tick(now);
    }
    EXPECT_GT(messages, 1000u);
    std::string all;
    for (const auto& entry : received)
        all += entry.second;
    auto count = [&](const std::string& text) {
        size_t n = 0;
        for (size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1))
            ++n;
        return n;
    };
    // The run went through matches, not only through error replies.
    EXPECT_GT(count("/os: + match"), 20u);
    EXPECT_GT(count("/os: update"), 10u);
    EXPECT_GT(count("/os: - match"), 20u);
    EXPECT_LT(ggs.NextAlarm(), 0);
    for (const auto& entry : received)
        EXPECT_LT(entry.second.size(), 64u << 20);
}

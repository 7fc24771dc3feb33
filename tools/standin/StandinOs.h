#pragma once
// The stand-in's Reversi service "/os": match requests, matches of one or two games with
// clocks, watchers, comments, adjourned (stored) matches, histories, ratings and the lists.
// It answers the commands that users tell it and speaks to them through the sender given
// at construction; it runs on the server's one thread and never blocks.

#include "StandinGame.h"

#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

class CStandinOs {
public:
    // Hands one message of the service (its lines without the sender word) to a login.
    using Sender = std::function<void(const std::string& login, const std::string& message)>;

    explicit CStandinOs(Sender send);

    // A user logs in (level 0 unregistered, 1 registered, 2 administrator) or leaves; a
    // player who leaves adjourns the matches in progress.
    void Arrive(const std::string& login, int level);
    void Leave(const std::string& login, double now);
    // One command told to the service, as the user wrote it after "t /os".
    void Command(const std::string& login, const std::string& line, double now);
    // Runs the clocks up to `now`: extension notices and losses on time.
    void Tick(double now);
    // The next moment Tick has something to do; negative when no clock runs.
    double NextAlarm() const;
    // Seeds the choice of colours without a wish and of random start positions.
    void Seed(unsigned seed) { random.seed(seed); }

    static const char* const kPlace;

private:
    struct User {
        int level = 0;
        bool rated = false;   // the user's requests are rated
        int open = 1;         // 0: takes no new requests
        bool notify = false;  // wants the "+ match" and "- match" notices
    };
    struct Rating {
        double value = 1500;
        double deviation = 350;
        double low = 1500;
        double high = 1500;
        int won = 0;
        int drawn = 0;
        int lost = 0;
    };
    struct Request {
        std::string id;
        std::string logins[2];   // asker, asked
        CGGClock clocks[2];
        COsMatchType type;
        char rated = 'U';        // 'R' rated, 'U' unrated, 'S' continues a stored match
        std::string storedId;
    };
    struct Stored {
        std::string id;
        std::string logins[2];
        COsMatchType type;
        bool rated = false;
        std::string date;
        std::vector<COsGame> games;
    };
    struct Match {
        std::string id;
        COsMatchType type;
        bool rated = false;
        std::string logins[2];   // listed first: black of the first game
        std::string date;
        std::vector<CStandinGame> games;
        std::set<std::string> watchers;
        std::set<std::string> abortAskers;
        std::map<std::string, std::string> undoAskers;   // game id -> login
    };
    struct HistoryItem {
        std::string id;
        std::string date;
        CGGPlayer players[2];   // black, white
        CGGResult result;       // from black's view
        COsMatchType type;
    };

    using Words = std::vector<std::string>;

    void Send(const std::string& login, const std::string& message);
    void SendErr(const std::string& login, const std::string& text);
    // The players and the watchers of a match: ToMatch sends to them, ToNotified to them
    // and to every user who wants the match notices.
    static std::set<std::string> Audience(const Match& match);
    void ToMatch(const Match& match, const std::string& message);
    void ToNotified(const Match& match, const std::string& message);

    void Ask(const std::string& login, const Words& words);
    void AskStored(const std::string& login, const std::string& storedId);
    // Gives the request its id and logins, keeps it and tells both logins.
    void Offer(const std::string& asker, const std::string& asked, Request& request);
    void Accept(const std::string& login, const std::string& id, double now);
    void Decline(const std::string& login, const std::string& id);
    void Play(const std::string& login, const Words& words, double now);
    void Resign(const std::string& login, const std::string& id);
    void Break(const std::string& login, const std::string& id);
    void Abort(const std::string& login, const std::string& id);
    void Undo(const std::string& login, const std::string& id, double now);
    void Watch(const std::string& login, const Words& words);
    void Comment(const std::string& login, const std::string& id, const std::string& text);
    void ListMatches(const std::string& login);
    void ListStored(const std::string& login);
    void ListHistory(const std::string& login, const std::string& whose);
    void ListWho(const std::string& login, const Words& words);
    void ListRank(const std::string& login, const Words& words, bool top);
    void Finger(const std::string& login, const std::string& whose);
    void Look(const std::string& login, const std::string& id);

    void StartMatch(const Request& request, double now);
    void GameEnded(Match& match, CStandinGame& game);
    void EndMatch(const std::string& matchId);
    // Ends a match without a score: adjourned (stored when rated) or aborted.
    void StopMatch(const std::string& matchId, bool adjourn);
    void TimeUp(Match& match, CStandinGame& game, const std::string& login);
    void UpdateRatings(const Match& match, double score);

    Match* FindMatch(const std::string& id);
    // The match of a game id, or of a match id (game = null then).
    Match* FindGame(const std::string& id, CStandinGame*& game);
    // The same for a match that the login plays; an error reply when there is none.
    Match* FindPlayed(const std::string& login, const std::string& id, CStandinGame*& game);
    // The match of a game id, or of the id of a match of one game, which then names that
    // game; null (with no reply) when there is none.
    Match* FindOneGame(const std::string& id, CStandinGame*& game);
    bool TakeRequest(const std::string& login, const std::string& id, bool accepting, Request& taken);
    bool IsPresent(const std::string& login) const { return users.count(login) != 0; }
    bool IsKnown(const std::string& login) const;
    Rating& RatingOf(const std::string& login, const COsMatchType& type);
    const Rating* FindRating(const std::string& login, const std::string& key) const;
    CGGPlayer PlayerOf(const std::string& login, const COsMatchType& type) const;
    COsBoard StartBoard(const COsMatchType& type);
    std::string NewId() { return "." + std::to_string(nextId++); }

    std::string RequestText(const Request& request) const;
    // A rating as the rank lists and finger write it: rating = key + @ low high won drawn lost.
    static std::string RatingRecord(const Rating& rating, const std::string& key);
    std::string MatchText(const Match& match) const;
    std::string DateText(double now) const;

    Sender send;
    std::mt19937 random;
    int nextId = 1;
    std::map<std::string, User> users;
    std::map<std::string, std::map<std::string, Rating>> ratings;   // login -> rating type -> rating
    std::map<std::string, Request> requests;
    std::map<std::string, Match> matches;
    std::vector<Stored> stored;
    std::map<std::string, std::vector<HistoryItem>> histories;
    std::map<std::string, COsGame> finished;   // by game id, for "look"
};

#pragma once
// The game service's messages that carry the game types: lists of matches, stored
// matches, history items and ratings, whole games, a move, a request and a match change.

#include "GGMessage.h"
#include "GGObjectTemplates.h"
#include "KitAssert.h"
#include "ggsstream.h"

#include <algorithm>
#include <istream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

// A finger reply: the login, its "key: value" facts and one rating item per later line.
template <class TRatingType>
class CMsgGGFinger : public CMsg {
public:
    CMsgGGFinger(const std::string& text, const std::string& from, std::istream& is)
        : CMsg(text, from)
    {
        is >> login;
        textinput::SkipBlanks(is);
        std::string line;
        bool factsEnded = false;
        while (facts.size() < kMaxListItems && std::getline(is, line)) {
            const std::size_t colon = line.find(':');
            if (colon == std::string::npos) {
                factsEnded = true; // that line is dropped
                break;
            }
            std::string key = line.substr(0, colon);
            while (!key.empty() && key.back() == ' ')
                key.pop_back();
            const std::size_t start = line.find_first_not_of(" \t\n\v\f\r", colon + 1);
            KIT_ASSERT(facts.find(key) == facts.end());
            facts[key] = start == std::string::npos ? std::string() : line.substr(start);
        }
        if (!factsEnded)
            return;
        // One item serves every line, so a line that cannot be read repeats what the
        // reader left of the line before.
        CGGRatingItem<TRatingType> item{};
        while (ratings.size() < kMaxListItems && std::getline(is, line)) {
            std::istringstream lineStream(line);
            lineStream >> item;
            ratings.push_back(item);
        }
    }

    std::string login;
    std::map<std::string, std::string> facts;
    std::vector<CGGRatingItem<TRatingType>> ratings;
};

// A reply of a count, one word and a list of records (history and stored matches).
template <class TItem>
class CMsgGGCountedList : public CMsg {
public:
    CMsgGGCountedList(const std::string& text, const std::string& from, std::istream& is)
        : CMsg(text, from)
    {
        is >> count >> word2;
        ReadGGList(is, items);
        KIT_ASSERT(count == static_cast<int>(items.size()));
    }

    int count = 0;
    std::string word2;
    std::vector<TItem> items;
};

template <class TMatchType>
class CMsgGGHistory : public CMsgGGCountedList<CGGHistoryItem<TMatchType>> {
public:
    using CMsgGGCountedList<CGGHistoryItem<TMatchType>>::CMsgGGCountedList;
};

template <class TGame>
class CMsgGGJoin : public CMsg {
public:
    CMsgGGJoin(const std::string& text, const std::string& from, std::istream& is)
        : CMsg(text, from)
    {
        textinput::ReadWord(is, gameId);
        textinput::SkipBlanks(is);
        is >> game;
        gameRead = !is.fail();
    }

    std::string gameId;
    TGame game;
    // The game text could be read; a join without one leaves the service state alone.
    bool gameRead = false;
};

// A look reply holds one or two games. Any other count reads no more than two, so
// the server's number never sizes a reservation or a loop.
template <class TGame>
class CMsgGGLook : public CMsg {
public:
    CMsgGGLook(const std::string& text, const std::string& from, std::istream& is)
        : CMsg(text, from)
    {
        is >> count;
        KIT_ASSERT(count == 1 || count == 2);
        const int n = std::clamp(count, 0, 2);
        games.reserve(n);
        TGame game;
        for (int i = 0; i < n; ++i) {
            is >> game;
            games.push_back(game);
        }
    }

    int count = 0;
    std::vector<TGame> games;
};

template <class TMatchType>
class CMsgGGMatch : public CMsg {
public:
    CMsgGGMatch(const std::string& text, const std::string& from, std::istream& is)
        : CMsg(text, from)
    {
        is >> first;
        textinput::Expect(is, '/');
        is >> count;
        ReadGGList(is, matches);
        KIT_ASSERT(count == static_cast<int>(matches.size()));
    }

    int first = 0;
    int count = 0;
    std::vector<CGGMatch<TMatchType>> matches;
};

template <class TMatchType>
class CMsgGGStored : public CMsgGGCountedList<CGGStoredMatch<TMatchType>> {
public:
    using CMsgGGCountedList<CGGStoredMatch<TMatchType>>::CMsgGGCountedList;
};

template <class TMoveListItem>
class CMsgGGUpdate : public CMsg {
public:
    CMsgGGUpdate(const std::string& text, const std::string& from, std::istream& is)
        : CMsg(text, from)
    {
        textinput::ThroughCursor(is, [this](auto& in) {
            textinput::ReadWord(in, gameId);
            item.Read(in);
        });
        itemRead = !is.fail();
    }

    std::string gameId;
    TMoveListItem item{};
    // The move could be read; an update without one is not played.
    bool itemRead = false;
};

template <class TMatchType>
class CMsgGGRequestDelta : public CMsg {
public:
    CMsgGGRequestDelta(const std::string& text, const std::string& from, std::istream& is, bool plus)
        : CMsg(text, from), plus(plus)
    {
        is >> requestId >> request;
    }

    // Whether the request is addressed to the connection's own login.
    bool ConcernsLogin(const ggsstream& connection) const
    {
        return request.players[1].login == connection.GetLogin();
    }

    bool plus;
    std::string requestId;
    CGGRequest<TMatchType> request;
};

template <class TMatchType>
class CMsgGGMatchDelta : public CMsg {
public:
    CMsgGGMatchDelta(const std::string& text, const std::string& from, std::istream& is, bool plus)
        : CMsg(text, from), plus(plus)
    {
        match.ReadDelta(is);
        if (!plus)
            is >> result;
    }

    bool plus;
    CGGMatch<TMatchType> match;
    CGGResult result{};
};
